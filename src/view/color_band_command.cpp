#include "view/color_band_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/document_services.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/window_state.h"
#include "shell/tool_windows.h"
#include "view/band_texture.h"
#include "view/color_band_edit.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "view/view_transform.h"

int32_t g_gcolSetColours[3] = {0x000000, 0x808080, 0xFFFFFF};

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string Format(const char* format, double v) {
    char buf[96];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::function<void()>& ColorBandFactory() {
    static std::function<void()> make;
    return make;
}
std::function<void()>& VertexColorBandFactory() {
    static std::function<void()> make;
    return make;
}

std::function<void()>& FieldsRefresher() {
    static std::function<void()> refresh;
    return refresh;
}

bool NearZero(double v) { return std::fabs(v) < 0.001; }

}  // namespace

void RedrawAfterButtonRelease(int32_t rebuild) {
    if (rebuild || g_colorBandOn) BuildElevationPalette();
    WaitForKeyRelease(key::kMouseLeft, 900);
    if (g_colorBandOn) g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void OpenColorBandDialogState() {
    ColorBandParams& p = g_colorBandParams;
    g_colorBandParamsCopy = p;
    const int32_t birdsEye = g_birdsEyeOn;
    if (NearZero(p.centre) && NearZero(p.highest) && NearZero(p.lowest)) {
        ComputeDataExtents(0);
        p.shading = 1;
        g_colorBandParamsCopy = p;
    } else {
        const double high = p.dataHighest, low = p.dataLowest;
        ComputeDataExtents(1);
        if (std::fabs(p.dataHighest - high) + std::fabs(p.dataLowest - low) > 0.0001) {
            p.centre = (p.dataHighest + p.dataLowest) / 2;
            p.highest = p.dataHighest;
            p.lowest = p.dataLowest;
        }
    }
    g_birdsEyeOn = birdsEye;
}

void SelectColorBandMode(ColorBandParams& p, int32_t mode) {
    if (mode < 0 || mode > 3) return;
    p.mode = mode;
    p.shading = mode <= 2 ? 1 : 0;
}

const char* ColorBandGroupTitle(int32_t mode) {
    switch (mode) {
        case 1: return "グラデーション";
        case 2: return "鳥瞰図配色";
        case 3: return "傾斜段彩";
        default: return "縞段彩色";
    }
}

ColorBandTexts FormatColorBandTexts(const ColorBandParams& p) {
    ColorBandTexts t;
    const double offset = p.refInclined ? p.centre : 0.0;
    if (!p.refInclined) t.centre = Format(" %5.3f", p.centre);
    t.highest = Format(" %5.3f", p.highest - offset);
    t.lowest = Format(" %5.3f", p.lowest - offset);
    if (p.step > 0) t.step = Format(" %5.3f", p.step);
    t.dataHighest = Format("最高 %5.3f", p.dataHighest);
    t.dataLowest = Format("最低 %5.3f", p.dataLowest);
    for (int k = 1; k <= 19; ++k) t.labels[k - 1] = BandLabelText(p, k);
    return t;
}

bool EditBandLimitText(ColorBandParams& p, BandLimitEdit which, const std::string& text) {
    double v;
    if (!ParseEditNumber(text, v)) return false;
    switch (which) {
        case BandLimitEdit::Centre: EditBandCentre(p, v); break;
        case BandLimitEdit::Highest: EditBandHighest(p, v); break;
        case BandLimitEdit::Lowest: EditBandLowest(p, v); break;
        case BandLimitEdit::Step: EditBandStep(p, v); break;
    }
    return true;
}

bool EditPlaneFieldText(ColorBandParams& p, PlaneField which, const std::string& text) {
    double v;
    if (!ParseEditNumber(text, v)) return false;
    switch (which) {
        case PlaneField::X: p.refX = v; break;
        case PlaneField::Y: p.refY = v; break;
        case PlaneField::H: p.refH = v; break;
        case PlaneField::Direction: p.refDirection = WrapDirection(v); break;
        case PlaneField::Inclination: p.refInclination = std::clamp(v, -89.9, 89.9); break;
        case PlaneField::Percent: p.refInclination = std::atan(v / 100.0) * 180.0 / kPi; break;
    }
    return true;
}

PlaneTexts FormatPlaneTexts(const ColorBandParams& p) {
    return {Format(" %5.3f", p.refX),
            Format(" %5.3f", p.refY),
            Format(" %5.3f", p.refH),
            Format(" %5.3f", WrapDirection(p.refDirection)),
            Format(" %5.3f", p.refInclination),
            Format(" %5.3f", SlopePercent(p.refInclination))};
}

std::string FormatMaxSlope(double slope) { return Format(" %5.1f", slope); }
std::string FormatSlopeAngle(double angle) { return Format("%4.2f", angle); }

bool EditMaxSlopeText(ColorBandParams& p, const std::string& text, std::string& shown) {
    double v;
    shown.clear();
    if (!ParseEditNumber(text, v)) return false;
    p.maxSlope = ClampMaxSlope(v);
    if (p.maxSlope != v) shown = FormatMaxSlope(p.maxSlope);
    return true;
}

bool EditSlopeAngleText(double& angle, const std::string& text, std::string& shown) {
    double v;
    shown.clear();
    if (!ParseEditNumber(text, v)) return false;
    angle = ClampSlopeAngle(v);
    if (angle != v) shown = FormatSlopeAngle(angle);
    return true;
}

void TurnBandsOnAndRedraw() {
    g_colorBandOn = 1;
    BuildElevationPalette();
    FullRepaintView();
}

void ColorBandOk() {
    BuildElevationPalette();
    g_colorBandOn = 1;
    // The band legend (mode 0) or the slope legend (mode 3 in many colours).
    OpenLegendWindows();
    FullRepaintView();
}

void ColorBandCancel() {
    RestoreColorBandBackup(g_colorBandParams, g_colorBandParamsCopy);
    g_colorBandOn = 0;
    g_showPoints = 1;
    FullRepaintView();
}

void CloseGcolSet(const GcolSetAnswer& answer) {
    if (answer.registered)
        for (int i = 0; i < 3; ++i) g_gcolSetColours[i] = answer.colours[i];
    ApplyThreeColourBands(g_colorBandParams, answer.colours[0], answer.colours[1], answer.colours[2],
                          answer.ignoreMiddle);
    TurnBandsOnAndRedraw();
}

void RefreshColorBandFields() {
    if (FieldsRefresher()) FieldsRefresher()();
}
void SetColorBandFieldsRefresher(std::function<void()> refresh) { FieldsRefresher() = std::move(refresh); }

void SetColorBandDialogFactories(std::function<void()> colorBand, std::function<void()> vertexColorBand) {
    ColorBandFactory() = std::move(colorBand);
    VertexColorBandFactory() = std::move(vertexColorBand);
}

void OnColorBandDisplay() {
    if (!g_tinPresent) {
        if (IsToolWindowOpen(ToolWindow::kVertexColorBand))
            CloseToolWindow(ToolWindow::kVertexColorBand);
        else if (VertexColorBandFactory())
            VertexColorBandFactory()();
        return;
    }
    if (g_colorBandOn) {
        g_colorBandOn = 0;
        g_showPoints = 1;
        if (IsToolWindowOpen(ToolWindow::kColorBand)) CloseToolWindow(ToolWindow::kColorBand);
        DestroyLegendWindows();
        FullRepaintView();
        return;
    }
    if (IsToolWindowOpen(ToolWindow::kColorBand)) {
        CloseToolWindow(ToolWindow::kColorBand);
    } else if (ColorBandFactory()) {
        ColorBandFactory()();
        FullRepaintView();
    }
    g_showPoints = 0;
}

// ---- point colours without a TIN ----

namespace {
VertexBandTexts RangeTexts(const ColorBandParams& p) {
    return {Format("%10.3f", p.highest), Format("%10.3f", p.lowest)};
}
}  // namespace

VertexBandTexts OpenVertexColorBandState() {
    if (g_points) VertexBandRangeFromPoints(g_colorBandParams, g_points, g_pointCount);
    return RangeTexts(g_colorBandParams);
}

int32_t ApplyVertexColorBand(bool updateNames, bool keepExisting) {
    ShowWaitCursor(true);
    VertexColourOptions options;
    options.updateNames = updateNames;
    options.keepExisting = keepExisting;
    const int32_t n = g_points ? ApplyVertexColours(g_colorBandParams, g_points, g_pointCount, options) : 0;
    g_pointColorPrefix = '#';
    g_pointColorMode = 0;
    FullRepaintView();
    ShowWaitCursor(false);
    return n;
}

VertexBandTexts ClearVertexColorBand(bool updateNames) {
    // Shows the points' range without moving the bands the user set.
    ColorBandParams range = g_colorBandParams;
    if (g_points) VertexBandRangeFromPoints(range, g_points, g_pointCount);
    const VertexBandTexts texts = RangeTexts(range);
    if (g_points) ClearVertexColours(g_points, g_pointCount, updateNames);
    FullRepaintView();
    return texts;
}
