#pragma once
// Progress windows of long operations.
//
// The main progress window ("IDD_MAKETRI") shows one or two text lines chosen by
// g_progressMode. While it exists the program is busy (IsBusy of platform/busy.h): commands
// that carry the busy test, tool clicks, host requests and the backup-reminder tick wait
// until it is closed. The core opens, refreshes and closes it through this file; the
// window itself is made by a factory that the program installs (Qt, model/ui) and is a
// silent recorder in headless runs.
//
// The record-progress window (dialog 134) shows g_progressCaption and g_progressCounter
// for the mesh, section and elevation-at-points calculations; it does not make the program
// busy.
#include <cstdint>
#include <functional>
#include <string>

// Caption modes of the main progress window.
namespace progress {
constexpr int32_t kTinEdges = 0;
constexpr int32_t kContourLevel = 1;
constexpr int32_t kSortPoints = 2;
constexpr int32_t kDxfOutput = 3;
constexpr int32_t kSimaOutput = 4;
constexpr int32_t kVolume = 5;
constexpr int32_t kSunmapOutput = 6;
constexpr int32_t kDigitalMapImport = 7;
constexpr int32_t kTinData = 8;
constexpr int32_t kTraceOutput = 9;
constexpr int32_t kSurfaceArea = 10;
constexpr int32_t kHorizontalArea = 11;
constexpr int32_t kRandomMerge = 12;
constexpr int32_t kOutlineSearch = 13;
constexpr int32_t kMeshTextImport = 14;
constexpr int32_t kTinIntersection = 15;
}  // namespace progress

// A window that shows the progress texts. Implementations call ProgressWindowGone(this)
// from their destructor, so a window destroyed by its owner also ends the busy state.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // Repaints the lines from the current mode and counters (or the record texts).
    virtual void Refresh() = 0;
    // Replaces the window title (the sort sets its own).
    virtual void SetCaption(const std::string& utf8) = 0;
    // A passing note written into the window by a polling loop (elapsed time, hit counts).
    virtual void ShowNote(const std::string& utf8) = 0;
    // Closes and deletes the window.
    virtual void Destroy() = 0;
};

enum class ProgressWindowKind { kMain, kRecord };

// Makes a window of the given kind and shows it; nullptr when it cannot.
using ProgressWindowFactory = std::function<ProgressWindow*(ProgressWindowKind kind)>;

// State read by the main window's lines.
extern int32_t g_progressMode;
extern double g_contourCurrentLevel;  // mode 1
extern int32_t g_sortProgress;        // mode 2, with g_pointCount
extern int32_t g_progressCurrent;     // modes 7, 8 and 14
extern int32_t g_progressTotal;

// The open main progress window; nullptr when none. Non-null means busy.
extern ProgressWindow* g_progressWnd;

// Texts of the record-progress window (at most 255 characters each, UTF-8).
extern std::string g_progressCaption;
extern std::string g_progressCounter;
extern ProgressWindow* g_recordProgressWnd;

// The busy state: the main progress window exists.
inline bool IsProgressWindowOpen() { return g_progressWnd != nullptr; }

// Sets g_progressMode and opens the main window (with an optional title). False, and
// nothing changed, when one is already open: there is at most one at a time.
bool OpenProgressWindow(int32_t mode, const std::string& caption = "");
// Repaints the main window now (after the counters changed).
void RefreshProgressWindow();
// Writes a passing note into the main window.
void ShowProgressNote(const std::string& utf8);
// Closes the main window; the busy state ends.
void CloseProgressWindow();

// Stopping. A long loop under a progress window is asked to stop by a new press of the
// stop key (platform/input.h) or by closing the window (Escape, its close button), which
// presses the key for it: the window stays open and the loop asks its question. Presses
// made before the window opened do not count.
void RequestProgressStop();
// The stop question of a loop's poll: asked (owned by the progress window) when the stop
// key was newly pressed. Returns the answer, or 0 when nothing was asked. Presses made
// while the question was shown are forgotten, so a declined question is not asked again
// until the key is pressed again.
int AskToStopWhenRequested(const std::string& question, int buttons);

// The record-progress window: open (again), refresh after writing the two texts, close.
void OpenRecordProgressWindow();
void RefreshRecordProgressWindow();
void CloseRecordProgressWindow();
// "[%6ld]/[%6ld]" for g_progressCounter.
std::string FormatRecordCounter(int32_t current, int32_t total);

// First and second line of the main window for a mode and the current counters (UTF-8;
// empty when the mode has none).
std::string ProgressFirstLine(int32_t mode);
std::string ProgressSecondLine(int32_t mode);

// Installed by the window system at start; an empty factory restores the headless one.
void SetProgressWindowFactory(ProgressWindowFactory factory);
// Called by a window's destructor.
void ProgressWindowGone(ProgressWindow* window);

// Headless: the texts the last main window showed (first line, second line, last note).
struct HeadlessProgressTexts {
    std::string caption;
    std::string firstLine;
    std::string secondLine;
    std::string note;
    int refreshCount = 0;
};
const HeadlessProgressTexts& LastHeadlessProgressTexts();

// How often long loops poll keys and pass a message on (milliseconds; 100 by default).
// Tests set 0 so that a short loop polls at every step.
uint32_t LongLoopPollInterval();
void SetLongLoopPollInterval(uint32_t milliseconds);
