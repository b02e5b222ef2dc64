#include "section/section_rut_source.h"

#include <cstring>
#include <string>

#include "analysis/section_profile.h"
#include "section/section_records.h"

RutSectionSource CrossSectionRutSource() {
    RutSectionSource source;
    source.count = g_crossSectionCount;
    source.getCrossSection = [](int32_t n, RutSection* out) {
        const CrossSection* s = n <= g_crossSectionCount ? GetCrossSection(n) : nullptr;
        if (s == nullptr || out == nullptr) return false;
        out->name.assign(s->name, strnlen(s->name, sizeof s->name));
        out->addedDistance = s->distance;
        out->centerX = s->centreX;
        out->centerY = s->centreY;
        const bool noGround = s->leftCount == 0 && s->rightCount == 0 && s->centreEstimated != 0;
        out->groundZ = noGround ? kNoProfileHeight : s->height;
        return true;
    };
    return source;
}

bool HaveRutSections() { return g_crossSectionCount > 0 && GetCrossSection(1) != nullptr; }
