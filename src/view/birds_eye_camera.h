#pragma once
// The bird's-eye camera as the user steers it: the switch between plan and bird's-eye
// view, the menu steps of azimuth and tilt, the reset, mouse rotation, wheel zoom and
// the vertical exaggeration. The camera globals are in view/view_state.h; the camera
// built from them is the bird's-eye projection's.
#include <cstdint>
#include <string>

// "３D表示": enabled with a background DXF, points, stations, other-route stations or
// mesh elevations; checked while the bird's-eye view is shown.
bool CanToggleBirdsEye();
void OnToggleBirdsEye();

// "右に回転", "左に回転", "下に向ける", "上に向ける", "初期化": enabled in the bird's-eye
// view. None of them wraps or limits an angle; each repaints fully.
bool CanSteerBirdsEye();
void OnRotateRight();
void OnRotateLeft();
void OnTiltDown();
void OnTiltUp();
// Exaggeration 1, roll 0, azimuth 0, tilt -0.2; the scale and the target stay.
void OnResetBirdsEye();

// A left-button drag step, dx = previous x - x and dy = previous y - y in pixels: with
// Alt (or Shift in the bird's-eye view) it turns the azimuth and tilts, with Ctrl it
// rolls and tilts. True when the camera moved (the view is then repainted fully).
bool DragBirdsEyeCamera(int32_t dx, int32_t dy, bool alt, bool shift, bool ctrl);

// Alt and the wheel in the bird's-eye view: the exaggeration steps up for a positive
// delta, down for a negative one; the status bar shows it and the frame's box follows.
// True when the exaggeration changed. (Without Alt the wheel zooms, ZoomWheel.)
bool WheelExaggeration(int32_t delta);
// One exaggeration step from h (HeightScaleStep: 0.1 below 2, 0.3 below 5, 0.5 below 10,
// else 1); added for a positive delta, subtracted for a negative one; kept within 0.1 ..
// 50. Unlike the exaggeration box's wheel it is not held to tenths.
double StepExaggeration(double h, int32_t delta);
// Alt + middle button: exaggeration back to 1 (the status bar shows "1.0"); true when it
// was not 1.
bool ResetExaggeration(bool alt);

// What the status bar shows after the wheel changed the exaggeration.
std::string ExaggerationStatusText();
