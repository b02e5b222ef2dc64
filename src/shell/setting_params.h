#pragma once
// The parameter dialog "パラメータ設定": display and navigation parameters held in the
// program's globals, each taking effect at once. The window only shows the texts and
// radios these functions give.
#include <array>
#include <string>

namespace setting_dlg {
constexpr int kDecimals0 = 1129, kDecimals1 = 1130, kDecimals2 = 1131, kDecimals3 = 1132;
constexpr int kOverviewAll = 1127, kOverviewUsed = 1128, kOverviewInside = 1126;
constexpr int kRouteSectionsOn = 1035, kRouteSectionsOff = 1036;
constexpr int kOtherSectionsOn = 1037, kOtherSectionsOff = 1038;
constexpr int kAxisVertical = 1039, kAxisForeAft = 1040;
constexpr int kDot1 = 1119, kDot2 = 1121, kDot3 = 1122, kDot4 = 1120;
constexpr int kSimpleInterval = 1081;
constexpr int kCursorStep = 1082;
constexpr int kAzimuth = 1083;
constexpr int kTilt = 1084;
constexpr int kFinish = 1022;
// The longest text an edit gives.
constexpr size_t kEditChars = 62;
}  // namespace setting_dlg

// The radio checked in each group, from the globals: decimals, overview, route sections,
// other routes' sections, rotation axis, dot size.
std::array<int, 6> CheckedSettingRadios();
// A radio clicked: its value into its global, with the redraw the parameter needs.
// Unknown ids do nothing.
void OnSettingRadio(int id);

// The boxes' texts from the globals.
std::string SimpleIntervalText();  // "%8.3f"
std::string CursorStepText();      // "%3d" percent
std::string AzimuthText();         // "%.1f" degrees, 0 to 360
std::string TiltText();            // "%.1f" degrees

// An edit left: takes the typed text when it is valid and returns the text the box
// shows afterwards (the typed text itself where it stays as typed).
std::string OnSimpleIntervalEdit(const std::string& typed);
std::string OnCursorStepEdit(const std::string& typed);
std::string OnAzimuthEdit(const std::string& typed);
std::string OnTiltEdit(const std::string& typed);
