#include "section/cross_section_edit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"

namespace {

CrossSection* Shown(int32_t n) { return n >= 1 && n <= g_crossSectionCount ? GetCrossSection(n) : nullptr; }

std::string Fixed73(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%7.3f", v);
    return buf;
}

bool ParseNumber(const std::string& text, double& out) {
    const char* s = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (end == s || !std::isfinite(v)) return false;
    out = v;
    return true;
}

}  // namespace

void CurrentSectionSides(std::vector<SectionWorld>& left, std::vector<SectionWorld>& right) {
    left.clear();
    right.clear();
    const CrossSection* s = Shown(g_currentSection);
    if (s == nullptr) return;
    const int32_t n = static_cast<int32_t>(s->points.size()) - 1;
    for (int32_t i = 1; i <= std::min(s->leftCount, n); ++i)
        left.push_back({s->points[i].leftOffset, s->points[i].leftHeight});
    for (int32_t j = 1; j <= std::min(s->rightCount, n); ++j)
        right.push_back({s->points[j].rightOffset, s->points[j].rightHeight});
}

std::vector<SectionPolyline> SectionLinePieces(int32_t section) {
    std::vector<SectionPolyline> out;
    const CrossSection* s = Shown(section);
    if (s == nullptr) return out;
    const int32_t n = static_cast<int32_t>(s->points.size()) - 1;
    for (int side = 0; side < 2; ++side) {
        const int32_t count = std::min(side == 0 ? s->leftCount : s->rightCount, n);
        SectionPolyline line;
        if (s->centreEstimated != 1) line.points.push_back({0.0, s->height});
        for (int32_t i = 1; i <= count; ++i) {
            const SectionPoint& p = s->points[i];
            line.points.push_back(side == 0 ? SectionWorld{p.leftOffset, p.leftHeight}
                                            : SectionWorld{p.rightOffset, p.rightHeight});
        }
        if (!line.points.empty()) out.push_back(std::move(line));
    }
    return out;
}

int32_t HitTestSectionPoint(const SectionFrame& frame, double radius, int32_t x, int32_t y) {
    g_sectionHitLeftPoint = 0;
    g_sectionHitRightPoint = 0;
    if (g_sectionViewCount < 1 || Shown(g_currentSection) == nullptr) return 0;
    std::vector<SectionWorld> left, right;
    CurrentSectionSides(left, right);
    const SectionHit hit = HitTestSectionPoints(frame, radius, x, y, left, right);
    g_sectionHitLeftPoint = hit.left;
    g_sectionHitRightPoint = hit.right;
    return hit.code;
}

void ApplySectionPopupItem(SectionPopupItem item) {
    switch (item) {
    case SectionPopupItem::ZoomBox: g_sectionViewMode = kSectionViewZoomBox; break;
    case SectionPopupItem::Move: g_sectionViewMode = kSectionViewMove; break;
    case SectionPopupItem::AddPoints:
        g_sectionEditMode = kSectionEditAdd;
        g_sectionViewMode = 0;
        break;
    case SectionPopupItem::ModifyPoints:
        g_sectionEditMode = kSectionEditModify;
        g_sectionViewMode = 0;
        break;
    case SectionPopupItem::Release:
        g_sectionEditMode = 0;
        g_sectionViewMode = 0;
        g_sectionSelectedPoint = 0;
        break;
    }
}

int32_t SectionAddRelease(int32_t grabbed, SectionWorld at, bool inside, const std::function<bool()>& runDialog) {
    CrossSection* s = Shown(g_currentSection);
    if (s == nullptr) return 0;
    bool inserted = false;
    SectionPoint before{};
    if (grabbed != 0) {
        const int32_t i = std::abs(grabbed);
        if (i >= static_cast<int32_t>(s->points.size())) return 0;
        before = s->points[i];
        g_sectionSelectedPoint = grabbed;
        MoveSelectedSectionPoint(at.offset, at.height);
    } else if (inside) {
        g_sectionSelectedPoint = InsertSectionPoint(at.offset, at.height);
        inserted = g_sectionSelectedPoint != 0;
    }
    const int32_t code = g_sectionSelectedPoint;
    if (code != 0) {
        const bool registered = runDialog ? runDialog() : false;
        if (!registered) {
            if (inserted) {
                DeleteSectionPoint(code);
            } else {
                // The drag is undone; the point stays.
                SetSectionPointFromEdit(g_currentSection, code, before);
            }
            RecalcSectionExtents();
        }
    }
    g_sectionSelectedPoint = 0;
    return code;
}

int32_t SectionModifyRelease(int32_t hit, const std::function<bool()>& runDialog) {
    g_sectionSelectedPoint = hit;
    if (hit != 0 && runDialog) runDialog();
    g_sectionSelectedPoint = 0;
    return hit;
}

bool FillSectionPointEdit(SectionPointEditValues& v) {
    const CrossSection* s = Shown(g_currentSection);
    if (s == nullptr) return false;
    const int32_t code = g_sectionSelectedPoint;
    const int32_t i = std::abs(code);
    char title[64];
    if (code != 0 && i < static_cast<int32_t>(s->points.size()) && i <= (code > 0 ? s->rightCount : s->leftCount)) {
        g_sectionPointCopy = s->points[i];
        if (code > 0) {
            g_sectionHitRightPoint = i;
            g_sectionHitLeftPoint = 0;
            std::snprintf(title, sizeof title, "測点編集 右 %d", i);
        } else {
            g_sectionHitLeftPoint = i;
            g_sectionHitRightPoint = 0;
            std::snprintf(title, sizeof title, "測点編集 左 %d", i);
        }
        v.title = title;
        v.distance = Fixed73(std::fabs(code > 0 ? g_sectionPointCopy.rightOffset : g_sectionPointCopy.leftOffset));
        v.height = Fixed73(code > 0 ? g_sectionPointCopy.rightHeight : g_sectionPointCopy.leftHeight);
        v.showDistance = true;
        return true;
    }
    if (code != 0) return false;
    v.title = "測点編集 センター";
    g_sectionPointCopy = SectionPoint{};
    g_sectionPointCopy.leftHeight = g_sectionPointCopy.rightHeight = s->height;
    v.height = Fixed73(s->height);
    v.distance = Fixed73(0.0);
    v.showDistance = false;
    return true;
}

void ApplySectionPointDistance(SectionPointEditValues& v, const std::string& text, bool enter) {
    const CrossSection* s = Shown(g_currentSection);
    if (s == nullptr) return;
    const int32_t code = g_sectionSelectedPoint;
    if (code == 0) {
        g_sectionPointCopy.leftOffset = g_sectionPointCopy.rightOffset = 0.0;
        g_sectionPointCopy.leftHeight = g_sectionPointCopy.rightHeight = s->height;
        v.distance = Fixed73(0.0);
    } else {
        double d = std::fabs(code > 0 ? g_sectionPointCopy.rightOffset : g_sectionPointCopy.leftOffset);
        double typed = 0.0;
        if (enter && ParseNumber(text, typed) && typed > 0.0 && typed < 1000000.0) d = typed;
        if (code > 0) g_sectionPointCopy.rightOffset = d;
        else g_sectionPointCopy.leftOffset = -d;
        v.distance = Fixed73(d);
    }
    SetSectionPointFromEdit(g_currentSection, code, g_sectionPointCopy);
    RecalcSectionExtents();
}

void ApplySectionPointHeight(SectionPointEditValues& v, const std::string& text, bool enter) {
    if (Shown(g_currentSection) == nullptr) return;
    const int32_t code = g_sectionSelectedPoint;
    double& h = code < 0 ? g_sectionPointCopy.leftHeight : g_sectionPointCopy.rightHeight;
    double typed = 0.0;
    if (enter && ParseNumber(text, typed) && typed > -100000.0 && typed < 100000.0) h = typed;
    v.height = Fixed73(h);
    SetSectionPointFromEdit(g_currentSection, code, g_sectionPointCopy);
    RecalcSectionExtents();
}

int32_t SpinSectionPoint(int32_t code, int32_t delta) {
    const CrossSection* s = Shown(g_currentSection);
    if (s == nullptr) return code;
    const int64_t next = int64_t{code} - delta;
    const int32_t out = static_cast<int32_t>(std::clamp<int64_t>(next, -int64_t{s->leftCount}, s->rightCount));
    g_sectionSelectedPoint = out;
    g_sectionHitLeftPoint = out < 0 ? -out : 0;
    g_sectionHitRightPoint = out > 0 ? out : 0;
    return out;
}

SectionPixel PlaceSectionPointEdit(SectionPixel anchor, int32_t w, int32_t h, int32_t screenW, int32_t screenH) {
    SectionPixel p;
    p.y = screenH < anchor.y + h + 40 ? anchor.y - h - 30 : anchor.y + 30;
    p.x = std::max(10, anchor.x - w / 2);
    if (p.x + w > screenW - 10) p.x = screenW - w - 10;
    return p;
}

SectionColorEdit OpenSectionColorEdit() {
    SectionColorEdit e;
    std::copy(g_sectionViewColors, g_sectionViewColors + 11, e.opened);
    return e;
}

void CancelSectionColorEdit(const SectionColorEdit& edit) {
    std::copy(edit.opened, edit.opened + 11, g_sectionViewColors);
}

int32_t NearestStationMark(int32_t x, int32_t y, const std::vector<SectionPixel>& marks) {
    int32_t best = 0;
    int64_t bestD2 = 0;
    for (size_t i = 0; i < marks.size(); ++i) {
        const int64_t dx = int64_t{x} - marks[i].x;
        const int64_t dy = int64_t{y} - marks[i].y;
        const int64_t d2 = dx * dx + dy * dy;
        if (best == 0 || d2 < bestD2) {
            best = static_cast<int32_t>(i + 1);
            bestD2 = d2;
        }
    }
    return best != 0 && bestD2 <= 5000 ? best : 0;
}
