#include "section/section_shift.h"

#include <algorithm>
#include <cmath>

#include "model/file_report.h"
#include "model/geometry.h"
#include "platform/files.h"
#include "platform/text_io.h"
#include "section/section_records.h"

namespace fs = std::filesystem;

namespace {

constexpr double kTolerance = 0.001;
constexpr const char* kHeaderLine = "********************";

// The plan block as large as the ground block; false when either block is missing.
bool PreparePlanBlock() {
    if (g_crossSections.empty() || g_planSections.empty()) return false;
    if (g_planSectionCapacity < g_crossSectionCapacity) {
        const int32_t old = g_planSectionCapacity;
        g_planSectionCapacity = g_crossSectionCapacity;
        if (GrowPlanSections() != 0) {
            g_planSectionCapacity = old;
            return false;
        }
    }
    return true;
}

void ResetPlanRecord(PlanSection& plan) {
    plan.leftCount = plan.rightCount = plan.extraBlocks = 0;
    if (plan.points.empty()) plan.points.resize(1);
    PlanPoint& slot = plan.points[0];
    slot.leftOffset = slot.leftHeight = slot.rightOffset = slot.rightHeight = 0;
}

}  // namespace

int32_t ShiftSectionsDown(double shift, double datum) {
    if (!PreparePlanBlock()) return 0;
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* ground = GetCrossSection(i);
        PlanSection* plan = GetPlanSection(i);
        if (ground == nullptr || plan == nullptr) continue;
        const int32_t have = std::max(0, static_cast<int32_t>(ground->points.size()) - 1);
        const int32_t left = std::clamp(ground->leftCount, 0, have);
        const int32_t right = std::clamp(ground->rightCount, 0, have);
        ResetPlanRecord(*plan);
        if (!ReservePlanPoints(plan, std::max(left, right))) continue;
        plan->leftCount = left;
        plan->rightCount = right;
        plan->extraBlocks = ground->extraBlocks;
        plan->planHeight = std::max(ground->height - shift, datum);
        for (int32_t j = 1; j <= std::max(left, right); ++j) {
            const SectionPoint& g = ground->points[j];
            PlanPoint& p = plan->points[j];
            if (j <= left) {
                p.leftOffset = g.leftOffset;
                p.leftHeight = std::max(g.leftHeight - shift, datum);
            }
            if (j <= right) {
                p.rightOffset = g.rightOffset;
                p.rightHeight = std::max(g.rightHeight - shift, datum);
            }
        }
        g_planSectionCount = i;
    }
    return 1;
}

void ShiftSideParallel(const double* offsets, const double* heights, int32_t n, bool left, double shift,
                       double datum, double* startHeight, std::vector<double>& outOffsets,
                       std::vector<double>& outHeights) {
    const double side = left ? -1.0 : 1.0;
    const double d = left ? -shift : shift;
    const double a = std::fabs(shift);
    const double groundEnd = offsets[n];
    double start = heights[0];
    double lastEndHeight = start;
    auto farther = [side](double x, double than) { return side * x > side * than; };
    // The point before the first stored one is the side's shifted start at the centre.
    auto lastOffset = [&]() { return outOffsets.empty() ? 0.0 : outOffsets.back(); };
    auto lastHeight = [&]() { return outHeights.empty() ? start : outHeights.back(); };
    for (int32_t j = 1; j <= n; ++j) {
        double p1x, p1y, p2x, p2y;
        OffsetSegment(offsets[j - 1], heights[j - 1], offsets[j], heights[j], d, kTolerance, &p1x, &p1y, &p2x, &p2y);
        if (j == 1) start = p1y;
        double qx = p2x, qy = p2y;
        bool accepted = true;
        if (j < n) {
            double r1x, r1y, r2x, r2y;
            OffsetSegment(offsets[j], heights[j], offsets[j + 1], heights[j + 1], d, kTolerance, &r1x, &r1y, &r2x,
                          &r2y);
            double ix = 0, iy = 0;
            if (IntersectLines(p1x, p1y, p2x, p2y, r1x, r1y, r2x, r2y, &ix, &iy) != 0) {
                accepted = false;
            } else {
                qx = ix;
                qy = iy;
                const double vx = offsets[j], vy = heights[j];
                const double reach = 1.5 * a;
                if (std::fabs(qx - vx) > 0.7 * a || std::fabs(qy - vy) > reach) accepted = false;
                if ((shift > 0 && qy > vy) || (shift < 0 && qy < vy)) accepted = false;
                if (std::hypot(qx - p2x, qy - p2y) > reach || std::hypot(qx - r1x, qy - r1y) > reach ||
                    std::hypot(qx - vx, qy - vy) > reach)
                    accepted = false;
            }
        }
        start = std::max(start, datum);
        qy = std::max(qy, datum);
        if (j == n) lastEndHeight = qy;
        if (j == 1) {
            *startHeight = start;
        } else if (accepted && farther(qx, lastOffset())) {
            outOffsets.push_back(qx);
            outHeights.push_back(qy);
        }
        if (!outOffsets.empty() && farther(lastOffset(), groundEnd)) {
            const double bx = lastOffset(), by = lastHeight();
            const double ax = outOffsets.size() > 1 ? outOffsets[outOffsets.size() - 2] : 0.0;
            const double ay = outHeights.size() > 1 ? outHeights[outHeights.size() - 2] : start;
            if (std::fabs(bx - ax) > 1e-12) {
                outOffsets.back() = groundEnd;
                outHeights.back() = ay + (by - ay) * (groundEnd - ax) / (bx - ax);
                return;
            }
        }
    }
    if (n >= 1 && farther(groundEnd, lastOffset())) {
        // A side that stored nothing ends at its shifted last segment, not at the empty slot.
        const double h = outOffsets.empty() ? lastEndHeight : lastHeight();
        outOffsets.push_back(groundEnd);
        outHeights.push_back(h);
    }
}

int32_t ShiftSectionsParallel(double shift, double datum) {
    if (!PreparePlanBlock()) return 0;
    std::vector<double> offsets, heights, outOffsets[2], outHeights[2];
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* ground = GetCrossSection(i);
        PlanSection* plan = GetPlanSection(i);
        if (ground == nullptr || plan == nullptr) continue;
        const int32_t have = std::max(0, static_cast<int32_t>(ground->points.size()) - 1);
        const int32_t counts[2] = {std::clamp(ground->leftCount, 0, have), std::clamp(ground->rightCount, 0, have)};
        ResetPlanRecord(*plan);
        double starts[2] = {0, 0};
        for (int side = 0; side < 2; ++side) {
            const int32_t n = counts[side];
            outOffsets[side].clear();
            outHeights[side].clear();
            if (n < 1) continue;
            offsets.assign(n + 1, 0.0);
            heights.assign(n + 1, ground->height);
            for (int32_t k = 1; k <= n; ++k) {
                const SectionPoint& g = ground->points[k];
                offsets[k] = side == 0 ? -std::fabs(g.leftOffset) : std::fabs(g.rightOffset);
                heights[k] = side == 0 ? g.leftHeight : g.rightHeight;
            }
            ShiftSideParallel(offsets.data(), heights.data(), n, side == 0, shift, datum, &starts[side],
                              outOffsets[side], outHeights[side]);
            plan->planHeight = starts[side];
        }
        const int32_t left = static_cast<int32_t>(outOffsets[0].size());
        const int32_t right = static_cast<int32_t>(outOffsets[1].size());
        if (!ReservePlanPoints(plan, std::max(left, right))) continue;
        for (int32_t k = 1; k <= left; ++k) {
            plan->points[k].leftOffset = outOffsets[0][k - 1];
            plan->points[k].leftHeight = outHeights[0][k - 1];
        }
        for (int32_t k = 1; k <= right; ++k) {
            plan->points[k].rightOffset = outOffsets[1][k - 1];
            plan->points[k].rightHeight = outHeights[1][k - 1];
        }
        plan->leftCount = left;
        plan->rightCount = right;
        plan->extraBlocks = SectionExtraBlocks(left, right);
        if (left >= 2 && right >= 2) {
            const double lx = outOffsets[0][0], ly = outHeights[0][0];
            const double rx = outOffsets[1][0], ry = outHeights[1][0];
            plan->planHeight = std::fabs(rx - lx) > 1e-12 ? ly + (ry - ly) * (0 - lx) / (rx - lx)
                                                          : (starts[0] + starts[1]) / 2;
        }
        g_planSectionCount = i;
    }
    return 1;
}

std::string FormatShiftedOdnText() {
    std::string out;
    for (int i = 0; i < 5; ++i) out += std::string(kHeaderLine) + "\r\n";
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* g = GetCrossSection(i);
        const PlanSection* p = GetPlanSection(i);
        if (g == nullptr || p == nullptr) continue;
        out += FormatString("%3d%-12.12s%12.3f%12.3f%12.3f%3d\r\n", i < 1000 ? i : 0, g->name, g->distance,
                            p->planHeight, g->height2, g->centreEstimated);
        const int32_t have = static_cast<int32_t>(p->points.size()) - 1;
        for (int32_t j = 1; j <= std::min(p->leftCount, have); ++j) {
            const PlanPoint& q = p->points[j];
            if (std::fabs(q.leftOffset) >= 0.001)
                out += FormatString("%10.3f%10.3f\r\n", -std::fabs(q.leftOffset), q.leftHeight);
        }
        for (int32_t j = 1; j <= std::min(p->rightCount, have); ++j) {
            const PlanPoint& q = p->points[j];
            if (std::fabs(q.rightOffset) >= 0.001) out += FormatString("%10.3f%10.3f\r\n", q.rightOffset, q.rightHeight);
        }
        out += "E\r\n";
    }
    return out;
}

std::string FormatShiftedJdnText() {
    std::string out;
    for (int i = 0; i < 5; ++i) out += std::string(kHeaderLine) + "\r\n";
    out += FormatString("%5d\r\n%5d\r\n", 1, 1);
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* g = GetCrossSection(i);
        const PlanSection* p = GetPlanSection(i);
        if (g == nullptr || p == nullptr) continue;
        out += FormatString("%-12.12s%12.3f%12.3f%12.3f\r\n", g->name, g->distance, p->planHeight, g->height2);
    }
    out += "E\r\n";
    return out;
}

std::string FormatSectionPointsRndText() {
    std::string out;
    for (int i = 0; i < 5; ++i) out += std::string(kHeaderLine) + "\r\n";
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* g = GetCrossSection(i);
        const PlanSection* p = GetPlanSection(i);
        if (g == nullptr || p == nullptr) continue;
        out += FormatString("%-8.8s%16.4f%16.4f%12.3f%3d%3d%3d\r\n", g->name, g->centreX, g->centreY, p->planHeight, 0,
                            0, 3);
        const int32_t have = static_cast<int32_t>(p->points.size()) - 1;
        for (int32_t j = 1; j <= std::min(p->leftCount, have); ++j) {
            const PlanPoint& q = p->points[j];
            const double o = std::fabs(q.leftOffset);
            out += FormatString("        %16.4f%16.4f%12.3f%3d%3d%3d\r\n", o * g->leftDirX + g->centreX,
                                o * g->leftDirY + g->centreY, q.leftHeight, 0, 0, 3);
        }
        for (int32_t j = 1; j <= std::min(p->rightCount, have); ++j) {
            const PlanPoint& q = p->points[j];
            const double o = std::fabs(q.rightOffset);
            out += FormatString("        %16.4f%16.4f%12.3f%3d%3d%3d\r\n", o * g->rightDirX + g->centreX,
                                o * g->rightDirY + g->centreY, q.rightHeight, 0, 0, 3);
        }
    }
    return out;
}

int32_t WriteShiftedSections(const fs::path& path, int32_t kind) {
    bool ok = true;
    if (kind == 0 || kind == 1) ok = WriteWholeFileOrReport(WithExtension(path, ".ODN"), FormatShiftedOdnText()) && ok;
    if (kind == 0 || kind == 2) ok = WriteWholeFileOrReport(WithExtension(path, ".JDN"), FormatShiftedJdnText()) && ok;
    return ok ? 0 : -1;
}

int32_t WriteSectionPointsRnd(const fs::path& path) {
    return WriteWholeFileOrReport(path, FormatSectionPointsRndText()) ? 0 : -1;
}
