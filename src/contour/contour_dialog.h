#pragma once
// What the contour parameter dialog (等高線計算パラメータの設定) does, apart from its
// window: the proposed parameters, the reading of its edits and the start button.
#include <cstdint>
#include <functional>
#include <string>

// Index interval of the view's simple contour lines; the main interval edit sets it too.
extern double g_simpleContourIndexInterval;

// Edit and button ids of the dialog.
namespace contour_dlg {
constexpr int kMethodStraight = 1076;
constexpr int kMethodBSpline = 1077;
constexpr int kMethodThrough = 1078;
constexpr int kMinZ = 1079;
constexpr int kMaxZ = 1080;
constexpr int kInterval = 1081;
constexpr int kIndexInterval = 1082;
constexpr int kSmoothness = 1084;
constexpr int kTolerance = 1186;
constexpr int kPointMinZ = 1125;
constexpr int kPointMaxZ = 1126;
constexpr int kStart = 1132;
constexpr int kClose = 1133;
}  // namespace contour_dlg

// Opening: g_pointZMin/Max from the valid points inside the outline and proposals for the
// parameters that are still 0.
void ProposeContourParameters();
// The text an edit shows for its value ("%8.3f"; the tolerance "%9.6f"; the point
// elevations "(%8.3f)m").
std::string ContourEditText(int id);
// What became of an edit's text.
enum class ContourEditRead {
    kStored,   // stored; the window shows the edit again (after the main interval also the
               // index interval)
    kIgnored,  // not stored, the old value stays and the text keeps what was typed
    kRefused,  // not stored and said in a message; the window shows the stored value again
};
// An edit lost the focus with `text` (read as the C library reads a number, so text that
// is not one reads as 0) and is stored by the edit's rule. A main interval that is not a
// positive number is refused; an index interval or smoothness that is not is ignored.
ContourEditRead ReadContourEdit(int id, const std::string& text);
// The start button: runs the calculation with g_contourMethod; the contours count as
// present and shown when the calculation wrote the files. Ignored while it runs already
// or while the progress window is open.
void StartContourCalculation();

// The frame's 等高線 command: opens the dialog (through the opener the window installs) or
// closes it when it is open; nothing while the progress window is open.
void OnContourCommand();
// The window's opener: makes the dialog when none is open and returns; the dialog holds
// the kContourCalc tool window slot while it exists.
void SetContourDialogOpener(std::function<void()> open);
