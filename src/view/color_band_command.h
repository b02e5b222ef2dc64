#pragma once
// The work behind the colour-band dialogs and the 段彩表示 command: opening with a backup
// of the record, the mode switch, the texts of the edits, OK, Cancel, the three-colour
// picker and the point colours without a TIN. The windows in view/ui call these.
#include <cstdint>
#include <functional>
#include <string>

#include "view/color_band_params.h"

// Rebuilds the palette when asked or while bands are on, waits until the left button is
// let go (at most 900 ms) so that a drag on a control is not slowed by repaints, then
// repaints the view (fully while bands are on).
void RedrawAfterButtonRelease(int32_t rebuild);

// Opening: the backup copy, and the band range from the data when the record has none
// or when the data's range has changed since.
void OpenColorBandDialogState();

// Mode radios: 0 striped, 1 gradient, 2 bird's-eye colours, 3 slope bands.
void SelectColorBandMode(ColorBandParams& p, int32_t mode);
// Title of the colour group for the mode.
const char* ColorBandGroupTitle(int32_t mode);

// What the dialog shows for the record.
struct ColorBandTexts {
    std::string centre, highest, lowest, step;  // the four edits
    std::string dataHighest, dataLowest;        // "最高 …", "最低 …"
    std::string labels[19];                     // boundaries k = 1 … 19
};
ColorBandTexts FormatColorBandTexts(const ColorBandParams& p);

// The four limit edits: empty or non-numeric text leaves the record as it is. Return
// whether the record changed.
enum class BandLimitEdit { Centre, Highest, Lowest, Step };
bool EditBandLimitText(ColorBandParams& p, BandLimitEdit which, const std::string& text);

// The inclined-plane fields of page 194: X, Y, H, 方向(度), 傾斜(度), (％).
enum class PlaneField { X, Y, H, Direction, Inclination, Percent };
bool EditPlaneFieldText(ColorBandParams& p, PlaneField which, const std::string& text);
struct PlaneTexts {
    std::string x, y, h, direction, inclination, percent;
};
// The direction is shown in 0 … 360 and the percent as tan(i) × 100.
PlaneTexts FormatPlaneTexts(const ColorBandParams& p);

// Page 226: 最大傾斜 and the two slope-line angles, limited to their ranges. The text to
// show again comes back in `shown` (empty when the text was ignored).
bool EditMaxSlopeText(ColorBandParams& p, const std::string& text, std::string& shown);
bool EditSlopeAngleText(double& angle, const std::string& text, std::string& shown);
std::string FormatMaxSlope(double slope);    // " %5.1f"
std::string FormatSlopeAngle(double angle);  // "%4.2f"

// A preset or the three-colour stripes: bands on, palette rebuilt, view repainted.
void TurnBandsOnAndRedraw();

// OK: legends for the mode, palette rebuilt, bands on, full repaint.
void ColorBandOk();
// Cancel: the backup back except the live fields, bands off, points shown, repaint.
void ColorBandCancel();

// The colours of 縞段彩色指定 (dialog 282): high, middle, low, kept from the last 登録.
extern int32_t g_gcolSetColours[3];
struct GcolSetAnswer {
    int32_t colours[3];   // as the dialog shows them when it closes
    bool ignoreMiddle;    // ←無視
    bool registered;      // closed by 登録 (kept for the next opening); Esc otherwise
};
// Either way of closing computes the stripes and turns bands on.
void CloseGcolSet(const GcolSetAnswer& answer);

// The open dialog shows the record again (after the gizmo moved the plane).
void RefreshColorBandFields();
void SetColorBandFieldsRefresher(std::function<void()> refresh);

// 段彩表示 (32786). The window layer installs how the two dialogs are made.
void SetColorBandDialogFactories(std::function<void()> colorBand, std::function<void()> vertexColorBand);
void OnColorBandDisplay();

// ---- point colours without a TIN ----
struct VertexBandTexts {
    std::string max, min;  // "%10.3f"
};
// Opening and 全クリア: the range from the points' elevations.
VertexBandTexts OpenVertexColorBandState();
// 適用: colours the points and switches the point colours to names; returns how many.
int32_t ApplyVertexColorBand(bool updateNames, bool keepExisting);
// 全クリア.
VertexBandTexts ClearVertexColorBand(bool updateNames);
