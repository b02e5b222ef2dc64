#pragma once
// The small windows that set display values: the vertical-exaggeration bar (縦倍率), the
// simple-contour interval dialog and the slope-line dialog. What they do, apart from
// their windows, so that the rules are tested headless.
//
// The slope-line values live in g_colorBandParams: gentleSlope and steepSlope (degrees)
// and slopeLineSetting (the label decimals, 0..5); the switch and label bits are
// g_showSlopeLines (1 lines, 2 degree labels, 4 percent labels, 8 "%" after a percent).
#include <cstdint>
#include <functional>
#include <string>

// ---- the exaggeration bar ----

struct HeightScaleBarState {
    bool shown = false;
    bool enabled = false;
    double lastShown = 0;  // the value the edit field shows
    bool enterPressed = false;
};

// What the window does after an update.
struct HeightScaleBarRefresh {
    bool show = false;   // show the window now
    bool hide = false;   // hide it now
    std::string text;    // new text for the field; empty: leave it
};

// The bar shows while the bird's-eye view is on and the bar is enabled; the field follows
// g_heightScale (" %3.1f").
HeightScaleBarRefresh UpdateHeightScaleBar(HeightScaleBarState& bar, bool birdsEyeOn);
// The wheel over the bar: one step of g_heightScale (0.1 .. 50). True when it changed.
bool WheelHeightScaleBar(int wheelDelta);
// The field left with `text`: empty changes nothing; else g_heightScale = the number, 0.1
// below 0.01 and 100 above 100. True when the value differs from the one shown.
bool LeaveHeightScaleField(const HeightScaleBarState& bar, const std::string& text);

// ---- 簡易等高線の設定 ----

// The field's text on opening ("%3.3f"); a negative interval is made 0 first.
std::string OpenSimpleContourDialog();
// The field left: a positive number sets the interval and the index interval (5 x, at
// least 1); 0 turns the simple contours off by interval; a negative number (or no number)
// changes nothing. Returns the field's new text.
std::string LeaveSimpleContourField(const std::string& text);

// ---- 傾斜線の設定 ----

struct SlopeLineDialogValues {
    bool percent = false;  // % chosen rather than 度
    bool labels = false;   // 数値あり
    std::string gentle;    // "%4.2f"
    std::string steep;     // "%4.2f"
    std::string decimals;  // " %d", and "%" when percent labels end with one
};

// Opening: the values shown, and the angles and switch kept in g_colorBandParamsCopy for
// Cancel.
SlopeLineDialogValues OpenSlopeLineDialog();
// An angle field left: the number held to 0..89, stored; the text shown again.
std::string LeaveGentleSlopeField(const std::string& text);
std::string LeaveSteepSlopeField(const std::string& text);
// The decimals field left: held to 0..5 (more than 4 gives 5), stored; shown again with a
// "%" when the text had one.
std::string LeaveSlopeDecimalsField(const std::string& text);
// OK: lines on, with degree labels, percent labels or percent labels with "%".
void AcceptSlopeLineDialog(const SlopeLineDialogValues& values);
// Cancel: the angles taken back; the slope lines off.
void CancelSlopeLineDialog();

// The bar's window refresh, installed by the window: the view calls it after every paint.
void SetHeightScaleBarRefresh(std::function<void()> refresh);
void RefreshHeightScaleBar();
