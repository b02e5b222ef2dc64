#include "section/earthwork.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/numeric_text.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "section/section_files.h"
#include "section/section_records.h"

namespace fs = std::filesystem;

double g_diversionRate = 1.0;
double g_areaTolerance = 0.1;
int32_t g_areaDecimals = 1;
int32_t g_meanAreaDecimals = 1;
int32_t g_volumeDecimals = 1;
int32_t g_distanceDecimals = 2;

double g_totalCut = 0;
double g_totalFill = 0;
double g_divertedVolume = 0;
double g_earthBalance = 0;

void InitEarthworkDefaults() {
    g_diversionRate = 1.0;
    g_areaTolerance = 0.1;
    g_areaDecimals = 1;
    g_meanAreaDecimals = 1;
    g_volumeDecimals = 1;
    g_distanceDecimals = 2;
    g_totalCut = g_totalFill = g_divertedVolume = g_earthBalance = 0;
    g_earthworkCurrentPath.clear();
    g_earthworkPlanPath.clear();
    g_earthworkOutputPath.clear();
    g_earthworkCurrentLoaded = 0;
    g_earthworkPlanLoaded = 0;
}

namespace {

constexpr int32_t kMaxSidePoints = 50000;

// One side's view of the two-sided point records.
struct SideEntry {
    double offset, height, x, y;
    int32_t mark;
};

SideEntry GetPlan(const PlanSection& s, int32_t side, int32_t j) {
    const PlanPoint& p = s.points[j];
    return side == 0 ? SideEntry{p.leftOffset, p.leftHeight, p.leftX, p.leftY, p.leftMark}
                     : SideEntry{p.rightOffset, p.rightHeight, p.rightX, p.rightY, p.rightMark};
}

void SetPlan(PlanSection& s, int32_t side, int32_t j, const SideEntry& e) {
    PlanPoint& p = s.points[j];
    if (side == 0) p.leftOffset = e.offset, p.leftHeight = e.height, p.leftX = e.x, p.leftY = e.y, p.leftMark = e.mark;
    else p.rightOffset = e.offset, p.rightHeight = e.height, p.rightX = e.x, p.rightY = e.y, p.rightMark = e.mark;
}

int32_t& PlanCount(PlanSection& s, int32_t side) { return side == 0 ? s.leftCount : s.rightCount; }
int32_t GroundCount(const CrossSection& s, int32_t side) { return side == 0 ? s.leftCount : s.rightCount; }

// Entries a record really holds on a side (its count, never past its points).
int32_t PlanHeld(const PlanSection& s, int32_t side) {
    return std::max(0, std::min(side == 0 ? s.leftCount : s.rightCount, static_cast<int32_t>(s.points.size()) - 1));
}
int32_t GroundHeld(const CrossSection& s, int32_t side) {
    return std::max(0, std::min(GroundCount(s, side), static_cast<int32_t>(s.points.size()) - 1));
}

double GroundOffset(const CrossSection& s, int32_t side, int32_t j) {
    return side == 0 ? s.points[j].leftOffset : s.points[j].rightOffset;
}
double GroundHeight(const CrossSection& s, int32_t side, int32_t j) {
    return side == 0 ? s.points[j].leftHeight : s.points[j].rightHeight;
}
void SetGround(CrossSection& s, int32_t side, int32_t j, double offset, double height) {
    if (side == 0) s.points[j].leftOffset = offset, s.points[j].leftHeight = height;
    else s.points[j].rightOffset = offset, s.points[j].rightHeight = height;
}

void PlanPosition(const CrossSection& c, int32_t side, double offset, double* x, double* y) {
    const double dx = side == 0 ? c.leftDirX : c.rightDirX;
    const double dy = side == 0 ? c.leftDirY : c.rightDirY;
    *x = c.centreX + std::fabs(offset) * dx;
    *y = c.centreY + std::fabs(offset) * dy;
}

bool AppendPlan(PlanSection& s, int32_t side, const SideEntry& e) {
    int32_t& count = PlanCount(s, side);
    if (count >= kMaxSidePoints) return false;
    if (!ReservePlanPoints(&s, count + 1)) return false;
    ++count;
    SetPlan(s, side, count, e);
    return true;
}

bool InsertPlanFirst(PlanSection& s, int32_t side, const SideEntry& e) {
    int32_t& count = PlanCount(s, side);
    if (count >= kMaxSidePoints || !ReservePlanPoints(&s, count + 1)) return false;
    for (int32_t j = count; j >= 1; --j) SetPlan(s, side, j + 1, GetPlan(s, side, j));
    ++count;
    SetPlan(s, side, 1, e);
    return true;
}

bool Within(double v, double a, double b) {
    return v >= std::min(a, b) - 0.001 && v <= std::max(a, b) + 0.001;
}

// Closes one end of a plan side against the ground with a vertical probe.
void CloseEnd(PlanSection& plan, const CrossSection& current, int32_t side, bool inner) {
    const int32_t count = PlanCount(plan, side);
    if (count <= 1) return;
    const SideEntry end = GetPlan(plan, side, inner ? 1 : count);
    const double ch = current.height;
    double o = 0, h = 0;
    if (ClosePlanSlopeWithGround(side, end.offset, ch - g_sectionHeightSpan, end.offset, ch + g_sectionHeightSpan,
                                 current, &o, &h) == 0)
        return;
    if (std::hypot(o - end.offset, h - end.height) < 0.001) return;
    SideEntry e{o, h, 0, 0, 0};
    PlanPosition(current, side, o, &e.x, &e.y);
    if (inner) InsertPlanFirst(plan, side, e);
    else AppendPlan(plan, side, e);
}

void ClearPlanRecords() {
    for (PlanSection& s : g_planSections) {
        s.kind = 0;
        s.leftCount = s.rightCount = s.extraBlocks = 0;
        s.planHeight = 0;
        s.cutArea = s.meanCutArea = s.cutVolume = 0;
        s.fillArea = s.meanFillArea = s.fillVolume = 0;
    }
    g_planSectionCount = 0;
}

bool IsEndLine(const std::string& line) { return !line.empty() && line[0] == 'E'; }

}  // namespace

int32_t ClosePlanSlopeWithGround(int32_t side, double x1, double y1, double x2, double y2, const CrossSection& section,
                                 double* offset, double* height) {
    double ao = 0, ah = section.height;
    const int32_t n = GroundHeld(section, side);
    for (int32_t j = 1; j <= n; ++j) {
        const double bo = GroundOffset(section, side, j), bh = GroundHeight(section, side, j);
        double x = 0, y = 0;
        if (IntersectLines(x1, y1, x2, y2, ao, ah, bo, bh, &x, &y) == 0 && Within(x, x1, x2) && Within(x, ao, bo) &&
            Within(y, y1, y2) && Within(y, ah, bh)) {
            *offset = x;
            *height = y;
            return 1;
        }
        ao = bo, ah = bh;
    }
    return 0;
}

int32_t ReadPlanOdnFile(const fs::path& path) {
    if (g_stationCount < 1 || g_hasSections == 0) return -1;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return -1;
    std::vector<std::string> lines;
    {
        TextLineReader reader(f);
        std::string_view line;
        while (reader.Next(line)) lines.emplace_back(line);
    }
    std::fclose(f);
    if (!EnsurePlanSectionRoom(g_crossSectionCount, 10, 200)) return -1;
    // Sections of an earlier plan file must not count against this one.
    ClearPlanRecords();

    size_t at = 5;
    while (at < lines.size()) {
        const std::string& head = lines[at++];
        const double distance = ColumnNumber(head, 16, 27);
        const double planHeight = ColumnNumber(head, 28, 39);
        const int32_t kind = std::atoi(std::string(ColumnField(head, 52, 54)).c_str());
        int32_t i = 0;
        for (int32_t k = 1; k <= g_crossSectionCount && i == 0; ++k) {
            const CrossSection* c = GetCrossSection(k);
            if (c != nullptr && std::fabs(c->distance - distance) < 0.001) i = k;
        }
        PlanSection* plan = GetPlanSection(i);
        if (i == 0 || plan == nullptr) {
            while (at < lines.size() && !IsEndLine(lines[at])) ++at;
            ++at;
            continue;
        }
        const CrossSection& current = *GetCrossSection(i);
        plan->planHeight = planHeight;
        plan->kind = kind;
        plan->leftCount = plan->rightCount = plan->extraBlocks = 0;
        if (kind == 0) {
            for (int32_t side : {0, 1}) AppendPlan(*plan, side, {0.0, planHeight, current.centreX, current.centreY, 0});
        }
        g_planSectionCount = std::max(g_planSectionCount, i);
        while (at < lines.size()) {
            const std::string& line = lines[at++];
            if (IsEndLine(line)) break;
            SideEntry e{ColumnNumber(line, 1, 10), ColumnNumber(line, 11, 20), 0, 0, 0};
            const int32_t side = e.offset < 0 ? 0 : 1;
            PlanPosition(current, side, e.offset, &e.x, &e.y);
            if (!AppendPlan(*plan, side, e)) continue;
            if (PlanCount(*plan, side) + 10 >= kSectionBlockEntries * (1 + plan->extraBlocks)) ++plan->extraBlocks;
        }
        for (int32_t side : {0, 1}) {
            if (kind == 1) CloseEnd(*plan, current, side, true);
            CloseEnd(*plan, current, side, false);
        }
    }
    g_earthworkPlanPath = path.string();
    g_earthworkPlanLoaded = 1;
    return 0;
}

SideAreas CalcCutFillAreas(int32_t side, const EarthworkLine& ground, const EarthworkLine& plan) {
    SideAreas areas;
    const int32_t ng = ground.Count(), np = plan.Count();
    struct Crossing {
        double o, h;
        int32_t g, p;  // segments from point g to g + 1 and p to p + 1, counted from 1
    };
    std::vector<Crossing> crossings;
    // Bounds of each ground segment, widened as far as the crossing test reaches.
    struct Box {
        double lo, hi, bottom, top;
    };
    auto boxOf = [](double ax, double ay, double bx, double by) {
        const double reach = 0.0011 * std::hypot(bx - ax, by - ay) + 1e-9;
        return Box{std::min(ax, bx) - reach, std::max(ax, bx) + reach, std::min(ay, by) - reach,
                   std::max(ay, by) + reach};
    };
    std::vector<Box> groundBoxes;
    groundBoxes.reserve(std::max(0, ng - 1));
    for (int32_t g = 0; g + 1 < ng; ++g)
        groundBoxes.push_back(boxOf(ground.offset[g], ground.height[g], ground.offset[g + 1], ground.height[g + 1]));
    for (int32_t p = 0; p + 1 < np; ++p) {
        const Box pb = boxOf(plan.offset[p], plan.height[p], plan.offset[p + 1], plan.height[p + 1]);
        for (int32_t g = 0; g + 1 < ng; ++g) {
            const Box& gb = groundBoxes[g];
            if (pb.hi < gb.lo || gb.hi < pb.lo || pb.top < gb.bottom || gb.top < pb.bottom) continue;
            int found = 0, parallel = 0;
            double x = 0, y = 0;
            IntersectLines2(plan.offset[p], plan.height[p], plan.offset[p + 1], plan.height[p + 1], ground.offset[g],
                            ground.height[g], ground.offset[g + 1], ground.height[g + 1], &found, &parallel, &x, &y);
            if (found) crossings.push_back({x, y, g + 1, p + 1});
        }
    }
    std::vector<double> xs, ys;
    auto add = [&](double x, double y) { xs.push_back(x), ys.push_back(y); };
    for (size_t v = 0; v < crossings.size(); ++v) {
        xs.assign(1, 0.0);
        ys.assign(1, 0.0);  // entry 0 unused
        const Crossing& c = crossings[v];
        if (v == 0) {
            if (np < 1 || ng < 1 || !(std::fabs(plan.offset[0]) < 0.001) ||
                !(std::fabs(plan.height[0] - ground.height[0]) > 0.001))
                continue;
            for (int32_t k = 1; k <= c.p; ++k) add(plan.offset[k - 1], plan.height[k - 1]);
            add(c.o, c.h);
            for (int32_t k = c.g; k >= 1; --k) add(ground.offset[k - 1], ground.height[k - 1]);
            add(plan.offset[0], plan.height[0]);
        } else {
            const Crossing& b = crossings[v - 1];
            add(b.o, b.h);
            for (int32_t k = b.p + 1; k <= c.p; ++k) add(plan.offset[k - 1], plan.height[k - 1]);
            add(c.o, c.h);
            for (int32_t k = c.g; k >= b.g + 1; --k) add(ground.offset[k - 1], ground.height[k - 1]);
            add(b.o, b.h);
        }
        double area = 0;
        int orientation = 1;
        PolygonAreaTrapezoid(xs.data(), ys.data(), static_cast<int>(xs.size()) - 1, &area, &orientation);
        area = area < g_areaTolerance ? 0.0 : RoundToDecimals(area, g_areaDecimals);
        const bool positive = orientation == 0;
        if ((side == 0) == positive) areas.cut += area;
        else areas.fill += area;
    }
    return areas;
}

void CalcEarthwork() {
    g_totalCut = 0;
    g_totalFill = 0;
    bool first = true;
    double lastCut = 0, lastFill = 0;
    EarthworkLine ground, plan;
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* c = GetCrossSection(i);
        PlanSection* s = GetPlanSection(i);
        if (c == nullptr || s == nullptr) continue;
        SideAreas sides[2];
        for (int32_t side : {0, 1}) {
            ground.offset.clear(), ground.height.clear();
            plan.offset.clear(), plan.height.clear();
            ground.Add(0, c->height);
            for (int32_t j = 1; j <= GroundHeld(*c, side); ++j) ground.Add(GroundOffset(*c, side, j), GroundHeight(*c, side, j));
            if (s->kind == 0) plan.Add(0, s->planHeight);
            for (int32_t j = 1; j <= PlanHeld(*s, side); ++j) {
                const SideEntry e = GetPlan(*s, side, j);
                plan.Add(e.offset, e.height);
            }
            const int32_t n = plan.Count();
            if (n >= 2) {
                const double dx = plan.offset[n - 1] - plan.offset[n - 2], dy = plan.height[n - 1] - plan.height[n - 2];
                const double length = std::hypot(dx, dy);
                if (length > 0.001) {
                    plan.offset[n - 1] = plan.offset[n - 2] + dx * (length + 0.01) / length;
                    plan.height[n - 1] = plan.height[n - 2] + dy * (length + 0.01) / length;
                }
            }
            sides[side] = CalcCutFillAreas(side, ground, plan);
            if (sides[side].cut < g_areaTolerance) sides[side].cut = 0;
            if (sides[side].fill < g_areaTolerance) sides[side].fill = 0;
        }
        s->cutArea = RoundToDecimals(sides[0].cut + sides[1].cut, g_areaDecimals);
        s->fillArea = RoundToDecimals(sides[0].fill + sides[1].fill, g_areaDecimals);
        if (first) {
            s->meanCutArea = s->cutVolume = s->meanFillArea = s->fillVolume = 0;
            first = false;
        } else {
            const double d = c->singleDistance;
            s->meanCutArea = RoundToDecimals((lastCut + s->cutArea) * 0.5, g_meanAreaDecimals);
            s->cutVolume = RoundToDecimals(RoundToDecimals(d, g_distanceDecimals) * s->meanCutArea, g_volumeDecimals);
            s->meanFillArea = RoundToDecimals((lastFill + s->fillArea) * 0.5, g_meanAreaDecimals);
            s->fillVolume = RoundToDecimals(s->meanFillArea * d, g_volumeDecimals);
        }
        lastCut = s->cutArea;
        lastFill = s->fillArea;
        g_totalCut += s->cutVolume;
        g_totalFill += s->fillVolume;
    }
    g_divertedVolume = RoundToDecimals(g_diversionRate * g_totalCut, g_volumeDecimals);
    g_earthBalance = g_divertedVolume - g_totalFill;
}

void AdjustCrossSectionPoints(double distance, int32_t adjust) {
    const double d = distance;
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        CrossSection* c = GetCrossSection(i);
        PlanSection* s = GetPlanSection(i);
        if (c == nullptr || s == nullptr) continue;
        for (int32_t side : {0, 1}) {
            const int32_t np = PlanHeld(*s, side);
            const int32_t ng = GroundHeld(*c, side);
            for (int32_t m = 1; m <= np; ++m) {
                SideEntry e = GetPlan(*s, side, m);
                e.mark = 0;
                if (std::fabs(e.offset) < d && std::hypot(e.offset, e.height - c->height) <= d) {
                    e.mark = 1;
                    if (adjust) s->planHeight = e.height;
                }
                for (int32_t k = 1; k <= ng; ++k) {
                    if (std::hypot(GroundOffset(*c, side, k) - e.offset, GroundHeight(*c, side, k) - e.height) <= d) {
                        e.mark = k;
                        if (adjust) SetGround(*c, side, k, e.offset, e.height);
                        break;
                    }
                }
                SetPlan(*s, side, m, e);
            }
            for (int32_t m = 1; m <= np; ++m) {
                SideEntry e = GetPlan(*s, side, m);
                if (e.mark != 0) continue;
                for (int32_t k = 2; k <= ng; ++k) {
                    double dist = 0, fx = 0, fy = 0;
                    int cls = 0;
                    PointToSegment(GroundOffset(*c, side, k - 1), GroundHeight(*c, side, k - 1), GroundOffset(*c, side, k),
                                   GroundHeight(*c, side, k), e.offset, e.height, 0.001, &dist, &fx, &fy, &cls);
                    if (cls == 0 || dist > d) continue;
                    e.mark = -1;
                    if (adjust) e.offset = fx, e.height = fy;
                    break;
                }
                SetPlan(*s, side, m, e);
            }
            for (int32_t m = 1; m < np; ++m) {
                SideEntry e = GetPlan(*s, side, m);
                const SideEntry next = GetPlan(*s, side, m + 1);
                if (e.mark == 0 || next.mark == 0) continue;
                const int32_t a = std::abs(e.mark), b = std::abs(next.mark);
                if (a == b || a == b + 1) continue;
                bool leaves = false;
                if (ng > 0) {
                    for (int32_t k = 2; k <= ng; ++k) {
                        double dist = 0, fx = 0, fy = 0;
                        int cls = 0;
                        PointToSegment(e.offset, e.height, next.offset, next.height, GroundOffset(*c, side, k),
                                       GroundHeight(*c, side, k), 0.001, &dist, &fx, &fy, &cls);
                        if (cls == 0) continue;
                        if (dist <= d) {
                            if (adjust) SetGround(*c, side, k, fx, fy);
                        } else {
                            leaves = true;
                        }
                    }
                }
                if (!leaves) {
                    e.mark = -2;
                    SetPlan(*s, side, m, e);
                }
            }
        }
    }
}
