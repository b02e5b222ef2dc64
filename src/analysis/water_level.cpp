#include "analysis/water_level.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "model/pick_reset.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "view/band_texture.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/view_state.h"

CWaterSM* g_waterDlg = nullptr;

namespace {
std::function<void()> g_waterWindowFactory;

ColorBandParams& Water() { return g_colorBandParams; }

void PointElevationRange() {
    bool any = false;
    for (int32_t i = 1; i <= g_pointCount && g_points[i].hidden != kEndMarker; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.invalid != 0) continue;
        if (!any || p.z < g_pointZMin) g_pointZMin = p.z;
        if (!any || p.z > g_pointZMax) g_pointZMax = p.z;
        any = true;
    }
}

bool Empty(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }
}  // namespace

CWaterSM::CWaterSM() {
    g_waterDlg = this;
    ColorBandParams& w = Water();
    PointElevationRange();
    if (std::fabs(w.waterStart) < 0.001 && std::fabs(w.waterEnd) < 0.001) {
        w.waterStart = std::trunc(g_pointZMin);
        w.waterEnd = std::trunc(g_pointZMax);
        w.waterLevel = (g_pointZMin + g_pointZMax) / 2;
    }
    if (w.waterShown == 0 || g_colorBandOn == 0 || w.mode == 0) {
        g_colorBandOn = -1;
        w.waterShown = 1;
        if (w.mode == 0) {
            w.mode = 2;
            BuildElevationPalette();
        }
        g_redrawMask = -1;
    }
    if (std::fabs(w.waterStep) < 0.001) w.waterStep = 1.0;
    if (std::fabs(w.waterInterval) < 0.001) w.waterInterval = 1.0;
    // An interval that is not positive would make no timer.
    if (w.waterInterval < 0) w.waterInterval = 1.0;
}

CWaterSM::~CWaterSM() {
    if (m_running && stopTimer) stopTimer();
    m_running = false;
    if (Water().waterShown != 0) {
        Water().waterShown = 0;
        g_redrawMask = -1;
        if (repaintView) repaintView();
    }
    if (g_waterDlg == this) g_waterDlg = nullptr;
}

void CWaterSM::Stop() {
    if (stopTimer) stopTimer();
    m_running = false;
    ShowMessage("Simulation complete", "", msg::kOk | msg::kIconInformation);
    if (repaintWindow) repaintWindow();
}

void CWaterSM::OnStartStop() {
    if (m_running) {
        Stop();
        return;
    }
    ColorBandParams& w = Water();
    w.waterLevel = w.waterStart;
    m_running = true;
    if (startTimer) startTimer(static_cast<int32_t>(w.waterInterval * 1000));
    if (repaintWindow) repaintWindow();
}

void CWaterSM::OnTimer() {
    if (!m_running) return;
    if (repaintWindow) repaintWindow();
    g_redrawMask = -1;
    if (repaintView) repaintView();
    ColorBandParams& w = Water();
    if (w.waterEnd > w.waterStart) {
        const double next = w.waterLevel + w.waterStep;
        if (next <= w.waterEnd) {
            w.waterLevel = next;
            return;
        }
    } else {
        const double next = w.waterLevel - w.waterStep;
        if (next >= w.waterEnd) {
            w.waterLevel = next;
            return;
        }
    }
    Stop();
}

void CWaterSM::OnReverse() {
    std::swap(Water().waterStart, Water().waterEnd);
    if (repaintWindow) repaintWindow();
}

std::string CWaterSM::FieldText(int control) const {
    const ColorBandParams& w = Water();
    switch (control) {
        case 1282: return FormatString("%.3f", w.waterLevel);
        case 1269: return FormatString("%.3f", w.waterStart);
        case 1270: return FormatString("%.3f", w.waterEnd);
        case 1285: return FormatString("%.3f", w.waterStep);
        case 1286: return FormatString("%.3f", w.waterInterval);
        default: return std::string();
    }
}

void CWaterSM::EditLeft(int control, const std::string& text) {
    if (Empty(text)) return;
    const double v = std::atof(text.c_str());
    ColorBandParams& w = Water();
    switch (control) {
        case 1282:
            if (v == w.waterLevel) return;
            w.waterLevel = v;
            if (repaintWindow) repaintWindow();
            g_redrawMask = -1;
            if (repaintView) repaintView();
            return;
        case 1269:
        case 1270:
        case 1285: {
            (control == 1269 ? w.waterStart : control == 1270 ? w.waterEnd : w.waterStep) = v;
            return;
        }
        case 1286:
            // Seconds between steps: positive only.
            if (v != w.waterInterval && v > 0.001) w.waterInterval = v;
            return;
        default:
            return;
    }
}

void CWaterSM::SetAboveHoles(bool checked) {
    ColorBandParams& w = Water();
    w.waterShown = checked ? -std::abs(w.waterShown) : std::abs(w.waterShown);
    g_redrawMask = -1;
    if (repaintWindow) repaintWindow();
    if (repaintView) repaintView();
}

void CWaterSM::SetTransparent(bool checked) {
    Water().waterTransparent = checked ? 1 : 0;
    g_redrawMask = -1;
    if (repaintView) repaintView();
}

void CWaterSM::SetColor(uint32_t rgb) {
    Water().waterColour = static_cast<int32_t>(rgb & 0xFFFFFF);
    if (repaintWindow) repaintWindow();
    g_redrawMask = -1;
    if (repaintView) repaintView();
}

std::string CWaterSM::LevelBanner() const { return FormatString("%10.3fm", Water().waterLevel); }

void SetWaterWindowFactory(std::function<void()> open) { g_waterWindowFactory = std::move(open); }

void OnWaterLevelSimulation() {
    if (g_waterDlg) {
        if (g_waterDlg->closeWindow)
            g_waterDlg->closeWindow();
        else
            delete g_waterDlg;
        return;
    }
    ResetToolMode();
    g_toolSubState = 0;
    ClearPickList();
    if (g_waterWindowFactory) g_waterWindowFactory();
}
