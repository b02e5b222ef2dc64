#include "section/section_point_edit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/message_box.h"

int32_t g_sectionSelectedPoint = 0;
SectionPoint g_sectionPointCopy{};

namespace {

constexpr double kDefaultSpan = 50.0;

// Entry j of one side, moved as a whole: offset, height, plan position, name and flag.
struct SidePoint {
    double height, offset, x, y;
    int32_t named;
    char name[kSectionNameBytes];
};

SidePoint TakeSide(const SectionPoint& p, bool right) {
    SidePoint s;
    if (right) {
        s = {p.rightHeight, p.rightOffset, p.rightX, p.rightY, p.rightNamed, {}};
        std::memcpy(s.name, p.rightName, kSectionNameBytes);
    } else {
        s = {p.leftHeight, p.leftOffset, p.leftX, p.leftY, p.leftNamed, {}};
        std::memcpy(s.name, p.leftName, kSectionNameBytes);
    }
    return s;
}

void PutSide(SectionPoint& p, bool right, const SidePoint& s) {
    if (right) {
        p.rightHeight = s.height, p.rightOffset = s.offset, p.rightX = s.x, p.rightY = s.y;
        p.rightNamed = s.named;
        std::memcpy(p.rightName, s.name, kSectionNameBytes);
    } else {
        p.leftHeight = s.height, p.leftOffset = s.offset, p.leftX = s.x, p.leftY = s.y;
        p.leftNamed = s.named;
        std::memcpy(p.leftName, s.name, kSectionNameBytes);
    }
}

// Whether a side of `count` points leaves the record's blocks less than two spare entries.
bool IsFull(const CrossSection& s) {
    const int64_t larger = std::max(s.leftCount, s.rightCount);
    return larger + 2 > int64_t{kSectionBlockEntries} * (1 + int64_t{s.extraBlocks});
}

// The valid entry index of a side, or 0.
int32_t SideIndex(const CrossSection& s, int32_t code) {
    const int32_t i = code < 0 ? -code : code;
    const int32_t count = code < 0 ? s.leftCount : s.rightCount;
    if (code == 0 || i > count || i >= static_cast<int32_t>(s.points.size())) return 0;
    return i;
}

// Section n when it is one of the sections held (records past the count hold nothing).
CrossSection* HeldSection(int32_t n) { return n >= 1 && n <= g_crossSectionCount ? GetCrossSection(n) : nullptr; }

}  // namespace

void RecalcSectionExtents() {
    g_sectionWidthSpan = kDefaultSpan;
    g_sectionHeightSpan = kDefaultSpan;
    if (g_crossSectionCount < 1) return;
    const CrossSection* first = GetCrossSection(1);
    double lowZ = first ? first->height : 0.0, highZ = lowZ;
    double lowD = 0.0, highD = 0.0;
    for (int32_t n = 1; n <= g_crossSectionCount; ++n) {
        const CrossSection* s = GetCrossSection(n);
        if (s == nullptr) continue;
        const int32_t entries = static_cast<int32_t>(s->points.size()) - 1;
        const int32_t left = std::min(s->leftCount, entries), right = std::min(s->rightCount, entries);
        for (int32_t j = 1; j <= left; ++j) {
            const SectionPoint& p = s->points[j];
            lowD = std::min(lowD, p.leftOffset), highD = std::max(highD, p.leftOffset);
            lowZ = std::min(lowZ, p.leftHeight), highZ = std::max(highZ, p.leftHeight);
        }
        for (int32_t j = 1; j <= right; ++j) {
            const SectionPoint& p = s->points[j];
            lowD = std::min(lowD, p.rightOffset), highD = std::max(highD, p.rightOffset);
            lowZ = std::min(lowZ, p.rightHeight), highZ = std::max(highZ, p.rightHeight);
        }
    }
    const double width = highD - lowD, height = highZ - lowZ;
    if (!(height >= 0.001)) return;
    // Wide enough on both sides that the centre can stand in the middle of the window.
    g_sectionWidthSpan = std::max({width, 2 * std::fabs(highD), 2 * std::fabs(lowD)});
    g_sectionHeightSpan = height;
}

bool GrowCrossSectionRecords() {
    bool all = true;
    for (int32_t n = 1; n <= g_crossSectionCount; ++n) {
        CrossSection* s = GetCrossSection(n);
        if (s == nullptr || !IsFull(*s)) continue;
        // Room for every entry of one more block: entries 1 .. 124 + 125 (extraBlocks + 1).
        const int64_t last = int64_t{kSectionBlockEntries} * (int64_t{s->extraBlocks} + 2) - 1;
        if (last > INT32_MAX - 1 || !ReserveSectionPoints(s, static_cast<int32_t>(last))) {
            all = false;
            continue;
        }
        ++s->extraBlocks;
    }
    if (!all) ShowMessage("メモリ確保に失敗しました。(1)", "", msg::kOk | msg::kIconError);
    return all;
}

int32_t InsertSectionPoint(double offset, double height) {
    if (!std::isfinite(offset) || !std::isfinite(height)) return 0;
    GrowCrossSectionRecords();
    CrossSection* s = HeldSection(g_currentSection);
    if (s == nullptr) return 0;
    const bool right = offset >= 0;
    int32_t& count = right ? s->rightCount : s->leftCount;
    // Never past the entries the record holds: a record that could not grow refuses the
    // point (the growth has told the user why).
    if (count < 0 || count > INT32_MAX - 2 || IsFull(*s)) return 0;
    if (static_cast<int64_t>(s->points.size()) < int64_t{count} + 2 && !ReserveSectionPoints(s, count + 1)) {
        ShowMessage("メモリ確保に失敗しました。(1)", "", msg::kOk | msg::kIconError);
        return 0;
    }
    int32_t j = 1;
    while (j <= count && (right ? s->points[j].rightOffset < offset : s->points[j].leftOffset > offset)) ++j;
    for (int32_t k = count; k >= j; --k) PutSide(s->points[k + 1], right, TakeSide(s->points[k], right));
    const double distance = std::fabs(offset);
    SidePoint fresh{height,
                    offset,
                    s->centreX + distance * (right ? s->rightDirX : s->leftDirX),
                    s->centreY + distance * (right ? s->rightDirY : s->leftDirY),
                    0,
                    {}};
    PutSide(s->points[j], right, fresh);
    ++count;
    RecalcSectionExtents();
    return right ? j : -j;
}

void MoveSelectedSectionPoint(double offset, double height) {
    CrossSection* s = HeldSection(g_currentSection);
    if (s == nullptr) return;
    const int32_t code = g_sectionSelectedPoint;
    const int32_t i = SideIndex(*s, code);
    if (i > 0 && code < 0 && offset <= 0) {
        s->points[i].leftOffset = offset;
        s->points[i].leftHeight = height;
    } else if (i > 0 && code > 0 && offset >= 0) {
        s->points[i].rightOffset = offset;
        s->points[i].rightHeight = height;
    }
    RecalcSectionExtents();
}

void SetSectionPointFromEdit(int32_t section, int32_t code, const SectionPoint& copy) {
    CrossSection* s = HeldSection(section);
    if (s == nullptr) return;
    if (code == 0) {
        s->height = copy.rightHeight;
    } else if (const int32_t i = SideIndex(*s, code); i > 0) {
        SectionPoint& p = s->points[i];
        if (code < 0) {
            const double distance = std::fabs(copy.leftOffset);
            p.leftOffset = -distance;
            p.leftHeight = copy.leftHeight;
            p.leftX = s->centreX + distance * s->leftDirX;
            p.leftY = s->centreY + distance * s->leftDirY;
        } else {
            const double distance = std::fabs(copy.rightOffset);
            p.rightOffset = copy.rightOffset;
            p.rightHeight = copy.rightHeight;
            p.rightX = s->centreX + distance * s->rightDirX;
            p.rightY = s->centreY + distance * s->rightDirY;
        }
    }
    RecalcSectionExtents();
}
