#pragma once
// The automatic outline: a circle whose radius is the maximum distance is rolled around the
// valid points, pivoting from point to point, counterclockwise on the map from the
// westernmost point; the points it touches become the outline. Bays the circle fits into
// are followed, narrower ones bridged. The command 自動外周 runs it from its dialog
// "外周自動設定"; the host channel and the map-mesh import call BuildAutoOutline directly.
#include <cstdint>
#include <functional>
#include <string>

// The dialog's maximum distance (negative while a walk runs, so the view draws no circle).
extern double g_autoOutlineDistance;
// Nonzero while the dialog is open.
extern int32_t g_autoOutlineWnd;

// Results of BuildAutoOutline.
constexpr int32_t kAutoOutlineDone = 0;
constexpr int32_t kAutoOutlineFailed = 1;   // a crossing, or no way round
constexpr int32_t kAutoOutlineFull = 2;     // the outline list is full
constexpr int32_t kAutoOutlineStopped = 3;  // the user stopped it

// Walks the outline with the given distance (<= 0: a tenth of the diagonal of the points'
// box). An open outline is continued from its last vertex; with at least 3 points in
// g_pickList2 the walk follows that polygon as a guide, taking only points near it.
int32_t BuildAutoOutline(double distance);

// ---- the dialog "外周自動設定" without its window ----

// The distance the dialog starts with for n points and the extent size D.
double DefaultAutoOutlineDistance(int32_t n, double extentSize);
// One wheel step: forward (delta > 0) x 1.1, backward / 1.1, kept within
// [0.01, 10 x extentSize].
double StepAutoOutlineDistance(double distance, int wheelDelta, double extentSize);

struct AutoOutlineDialogValues {
    std::string distanceText;  // edit 1011
};

// Opening: the distance from the point count and g_extentSize into g_autoOutlineDistance
// and the edit ("%3.3f").
void OpenAutoOutlineDialog(AutoOutlineDialogValues& values);
// Edit 1011 losing the focus: a number greater than 0 becomes the distance; the edit shows
// the distance ("%3.3f") and the view is repainted either way.
void AutoOutlineDistanceLeft(AutoOutlineDialogValues& values);
// The mouse wheel over the focused edit (" %3.3f").
void AutoOutlineDistanceWheel(int wheelDelta, AutoOutlineDialogValues& values);
// 実行: asks about an existing outline and walks. True when the dialog is to close.
bool RunAutoOutline(const AutoOutlineDialogValues& values);
// ｷｬﾝｾﾙ, the right button or closing: the dialog is gone.
void CloseAutoOutlineDialog();

// The command 自動外周: resets the tool mode, closes the tool windows, shows the points and
// runs the dialog (through `runDialog`, which shows it modally). Nothing while a progress
// window is open.
void OnAutoOutline(const std::function<void()>& runDialog);
