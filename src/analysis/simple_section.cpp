#include "analysis/simple_section.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "analysis/section_profile.h"
#include "model/geometry.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/input.h"
#include "platform/text_io.h"
#include "section/section_calc.h"
#include "shell/tool_mode.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

LinePoint g_towerStart;
LinePoint g_towerEnd;
LinePoint g_pickedLineStart;
LinePoint g_pickedLineEnd;
int32_t g_profileFromPoints = 0;
SectionWindowRect g_simpleSectionWndRect = {0, 0, 0, 0};

namespace {
bool g_storedMode = false;

LinePoint ProfilePoint(int32_t i) {
    return {g_profile.right.x[i], g_profile.right.y[i], g_profile.right.z[i]};
}

int32_t RightCount() { return std::clamp(g_profile.right.count, 0, kProfileMaxPoints); }

struct Ranges {
    double dMin = 0, dMax = 0, hMin = 0, hMax = 0;
    bool any = false;
    void Add(double d, double h) {
        if (!any) {
            dMin = dMax = d, hMin = hMax = h, any = true;
            return;
        }
        dMin = std::min(dMin, d), dMax = std::max(dMax, d);
        hMin = std::min(hMin, h), hMax = std::max(hMax, h);
    }
};

Ranges RightRanges() {
    Ranges r;
    for (int32_t i = 1; i <= RightCount(); ++i) r.Add(g_profile.right.dist[i], g_profile.right.z[i]);
    return r;
}

void SetCentre(SimpleSectionView& v, const Ranges& r) {
    v.frame.offsetOrigin = (r.dMin + r.dMax) / 2;
    v.frame.heightOrigin = (r.hMin + r.hMax) / 2;
    v.distanceSpan = r.dMax - r.dMin;
    v.heightSpan = r.hMax - r.hMin;
}

void ResetZoom(SimpleSectionView& v) {
    v.frame.zoom = 1;
    v.frame.offsetPan = 0;
    v.frame.heightPan = 0;
}

void SetEndsFromProfile() {
    const int32_t n = RightCount();
    if (n < 1) return;
    g_towerStart = ProfilePoint(1);
    g_towerEnd = ProfilePoint(n);
}

void Call(const std::function<void()>& f) {
    if (f) f();
}
bool Ask(const std::function<bool()>& f) { return f && f(); }

// Reads stored section k and makes it the shown line.
bool ShowStored(SimpleSectionView& v, int32_t k) {
    v.number = k;
    if (!ReadSimpleSection(k)) return false;
    SetEndsFromProfile();
    return true;
}
}  // namespace

LineToolWindows& LineTools() {
    static LineToolWindows windows;
    return windows;
}

bool SimpleSectionInStoredMode() { return g_storedMode; }
void SetSimpleSectionStoredMode(bool stored) { g_storedMode = stored; }

void ShowStoredSimpleSections() {
    g_storedMode = true;
    if (LineTools().showSimpleSection) LineTools().showSimpleSection(kSimpleSectionStored);
}

void OnSimpleSectionPick(int32_t flags, int32_t x, int32_t y) {
    if ((flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) return;
    LinePoint p;
    bool found = false;
    if ((flags & kMouseFlagShift) || g_birdsEyeOn) {
        const int32_t i = FindPointAtCursor(x, y, kPickRadius2);
        if (i > 0 && i <= g_pointCount) {
            p = {g_points[i].x, g_points[i].y, g_points[i].z};
            g_pickedPoint = i;
            found = true;
        } else if (g_birdsEyeOn) {
            return;
        }
    }
    if (!found) ClientToGround(x, y, p.x, p.y);

    g_linePickState = g_linePickState >= 2 ? 1 : g_linePickState + 1;
    if (g_linePickState == 1) {
        g_towerStart = p;
        g_redrawMask = 0;
        QuickRepaintView();
        return;
    }
    g_towerEnd = p;
    g_pickedLineStart = g_towerStart;
    g_pickedLineEnd = g_towerEnd;
    g_pickedPoint = 0;
    g_profileFromPoints = 0;
    if (g_tinEdgeCount > 3) {
        CutTinProfile(g_towerStart.x, g_towerStart.y, g_towerEnd.x, g_towerEnd.y, 0);
    } else {
        CollectBandPoints(g_towerStart.x, g_towerStart.y, g_towerEnd.x, g_towerEnd.y);
        g_profileFromPoints = 1;
    }
    LineToolWindows& w = LineTools();
    if (g_profile.right.count < 2) {
        if (Ask(w.simpleSectionOpen)) Call(w.reloadSimpleSection);
        g_linePickState = 0;
        g_redrawMask = 0;
        QuickRepaintView();
        return;
    }
    SetEndsFromProfile();
    g_storedMode = false;
    if (w.showSimpleSection) w.showSimpleSection(kSimpleSectionPicked);
    if (Ask(w.sagOpen)) Call(w.closeSag);
    g_redrawMask = 0;
    QuickRepaintView();
}

void UpdateSimpleSectionScale(SimpleSectionView& v) {
    UpdateSectionScale(v.frame, v.distanceSpan, v.heightSpan, kSimpleSectionScaleFactor);
}

double SimpleSectionGridPitch(double distanceSpan) {
    if (distanceSpan > 10000) return 1000;
    if (distanceSpan > 1000) return 100;
    return 10;
}

void SimpleSectionWholeView(SimpleSectionView& v) {
    Ranges r = RightRanges();
    if (g_profile.left.count >= 2) {
        const int32_t n = std::min(g_profile.left.count, kProfileMaxPoints);
        for (int32_t i = 2; i <= n; ++i) r.Add(g_profile.left.dist[i], g_profile.left.z[i]);
    }
    SetCentre(v, r);
    if (v.distanceSpan < 0.001 && v.heightSpan < 0.001) {
        v.distanceSpan = v.heightSpan = 50;
    } else {
        v.distanceSpan = std::max(v.distanceSpan, 2 * std::max(std::fabs(r.dMin), std::fabs(r.dMax)));
    }
    ResetZoom(v);
}

void ReloadSimpleSection(SimpleSectionView& v) {
    if (v.mode == kSimpleSectionStored) {
        ShowStored(v, 1);
        g_linePickState = 2;
    }
    const Ranges r = RightRanges();
    SetCentre(v, r);
    v.frame.gridInterval = SimpleSectionGridPitch(v.distanceSpan);
    SimpleSectionWholeView(v);
}

bool RecalculateSimpleSection(SimpleSectionView& v) {
    CollectBandPoints(g_pickedLineStart.x, g_pickedLineStart.y, g_pickedLineEnd.x, g_pickedLineEnd.y);
    if (g_profile.right.count < 2) return false;
    SetCentre(v, RightRanges());
    if (v.distanceSpan < 0.001 && v.heightSpan < 0.001) v.distanceSpan = v.heightSpan = 50;
    v.distanceSpan *= 1.5;
    ResetZoom(v);
    g_redrawMask = -1;
    return true;
}

bool StepSimpleSection(SimpleSectionView& v, int32_t step) {
    const int32_t last = std::max(1, g_simpleSectionCount);
    const int64_t wanted = int64_t{v.number} - step;
    if (wanted < 1) {
        ShowStored(v, 1);
        SimpleSectionWholeView(v);
        return false;
    }
    ShowStored(v, static_cast<int32_t>(std::min<int64_t>(wanted, last)));
    SimpleSectionWholeView(v);
    g_linePickState = 2;
    g_redrawMask = 0;
    return true;
}

bool TypeSimpleSectionNumber(SimpleSectionView& v, int32_t number) {
    if (number < 1 || number > g_simpleSectionCount || number == v.number) return false;
    ShowStored(v, number);
    SimpleSectionWholeView(v);
    g_linePickState = 2;
    g_redrawMask = 0;
    return true;
}

SimpleSectionTexts SimpleSectionTextLines() {
    SimpleSectionTexts t;
    const int32_t n = RightCount();
    if (n < 1) return t;
    const LinePoint s = ProfilePoint(1), e = ProfilePoint(n);
    t.start = FormatString("S [ X= %.3f Y= %.3f Z= %.3f ]", s.x, s.y, s.z);
    t.end = FormatString("E [ X= %.3f Y= %.3f Z= %.3f ]", e.x, e.y, e.z);
    const double d = std::hypot(e.x - s.x, e.y - s.y);
    double slope = 0, rot = 0;
    if (d >= 0.01) {
        slope = (e.z - s.z) / d * 100;
        double signedAngle = 0, fullAngle = 0;
        AngleAtVertex(s.x + 1, s.y, s.x, s.y, e.x, e.y, 0.001, &signedAngle, &fullAngle);
        rot = ConvertDegreesDms(fullAngle, 1);
    }
    t.span = FormatString("D= %.3fm P= %.3f%% Rot= %.4f", d, slope, rot);
    return t;
}

std::string SimpleSectionTitle(const SimpleSectionView& v) {
    if (v.mode != kSimpleSectionStored) return "簡易断面";
    const std::string name(g_profile.name, strnlen(g_profile.name, sizeof g_profile.name));
    return "簡易断面 " + Cp932ToUtf8(name) + FormatString(" %.3f", g_profile.distance);
}

std::string SimpleSectionReadout(double d, double h, bool measuring, double d0, double h0) {
    if (!measuring) return FormatString("D:%+7.3f H:%7.3f", d, h);
    const double r = std::hypot(d - d0, h - h0);
    const double dv = h - h0;
    const double p = r < 0.01 ? 0 : dv / r * 100;
    return FormatString("D:%+7.3f H:%7.3f R:%.3fm P:%.3f%% V:%.3fm ", d, h, r, p, dv);
}

bool ApplySimpleSectionGrid(SimpleSectionView& v, double pitch) {
    if (!(pitch >= 0 && pitch < 100000)) return false;
    v.frame.gridInterval = pitch;
    return true;
}

bool ApplySimpleSectionBandWidth(double width) {
    if (!(width > 0) || !std::isfinite(width)) return false;
    g_sectionBandWidth = width;
    return true;
}

std::string SimpleSectionBandWidthText() {
    return FormatString(g_sectionBandWidth < 0.001 ? " %7.5f" : " %5.3f", g_sectionBandWidth);
}

void SimpleSectionWindowClosed() {
    g_profileFromPoints = 0;
    g_linePickState = 0;
    g_storedMode = false;
    g_redrawMask = 0;
    if (g_toolMode == MODE_SIMPLE_SECTION) g_toolMode = MODE_NONE;
    QuickRepaintView();
}
