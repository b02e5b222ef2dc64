#pragma once
// The external-data import ("外部データ取り込み"): the request the import dialog hands to
// the main frame, the dialog's remembered choices and control rules, and the frame's
// command that runs the chosen reader.
#include <cstdint>
#include <functional>
#include <string>

struct ImportRequest {
    int32_t readyCode;  // 99 while a request waits for the main frame
    int32_t kind;
    int32_t takeZeroElevation;
    int32_t plotMode;
    int32_t addError;
    int32_t errorDigits;
    int32_t swapXY;
    int32_t intensityLowerLimit;
    int32_t belowLimitMode;  // 0 no limit, 1 drop, 2 unused points
};
extern ImportRequest g_importRequest;

constexpr int32_t kImportReady = 99;

// ImportKind
constexpr int32_t kImportKindRnd = 0;
constexpr int32_t kImportKindSima = 1;
constexpr int32_t kImportKindWing = 2;
constexpr int32_t kImportKindBlueTrend = 3;
constexpr int32_t kImportKindTrend = 4;
constexpr int32_t kImportKindJec = 5;
constexpr int32_t kImportKindSeiko = 6;
constexpr int32_t kImportKindSunmap = 8;
constexpr int32_t kImportKindText = 9;
constexpr int32_t kImportKindDxf = 10;
constexpr int32_t kImportKindRiegl = 11;
constexpr int32_t kImportKindLatLong = 12;

// The dialog's choices for the program's run.
extern int32_t g_importKind;         // 1
extern int32_t g_importPlotMode;     // 3
extern int32_t g_importErrorDigits;  // 5
extern int32_t g_importTakeZero;     // 0
extern int32_t g_importAddError;     // 0

// Back to the start state (tests, a new run).
void ResetImportChoices();

// The file-type filter of the file dialog for a kind ("description|pattern|" pairs).
std::string ImportFileFilter(int32_t kind);
// The texts of the file types the filters are cut from.
extern const char* const kImportFileTypes;
// The hint shown before the file dialog of kind 9.
extern const char* const kTextFormatHint;

// The intensity limit as the edit shows it after a change: limited to 0..999, " %d".
int32_t ClampIntensityLimit(int32_t limit);
std::string IntensityLimitText(int32_t limit);
// The edit losing the focus: a non-empty text sets the limit (atoi); the limit then
// shown. The wheel over the edit: its text as a number, plus or minus 5.
void IntensityEditLostFocus(const std::string& text);
void IntensityWheel(const std::string& text, int32_t delta);
// Check boxes "下限以下を破棄" (mode 1) and "下限以下を無効" (mode 2) exclude each other.
void SetBelowLimitCheck(int32_t mode, bool checked);
// The intensity controls and "XY入換" are enabled only for kind 9.
inline bool IntensityControlsEnabled(int32_t kind) { return kind == kImportKindText; }

// A file chosen: g_lastFolder, g_currentDataPath and the request filled from the choices,
// ready for the frame.
void SubmitImportRequest(const std::string& path, bool swapXYChecked);

// Runs the reader of the ready request on g_currentDataPath, tells what went wrong, and
// returns the reader's result.
int32_t RunImportRequest();

// What command 32803 needs of the windows.
struct ExternalImportHooks {
    std::function<bool()> dialogOpen;
    std::function<void()> closeDialog;
    std::function<void()> showDialog;
};
// Command 32803: takes a ready request (then the overall view of the data), else toggles
// the import dialog, asking first when points exist already.
void OnExternalImport(const ExternalImportHooks& hooks);
