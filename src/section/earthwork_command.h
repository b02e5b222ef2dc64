#pragma once
// The earthwork commands: 32897 runs the settings dialog (148), the calculation, the
// closing question with the save of the result files and the list (147); 32898 shows the
// list alone. The dialogs' Qt classes fill and read the state below.
#include <cstdint>
#include <functional>
#include <string>

// Dialog 148: the options that are not kept between openings.
struct EarthworkCalcDialogState {
    bool duplicateTest = false;  // 重複判定: run the cross-point check after the calculation
    bool adjust = false;         // 横断点調整: the check also moves points
    double judgeDistance = 0.1;
    std::string rateText;       // edit 1082
    std::string toleranceText;  // edit 1164
    std::string judgeText;      // edit 1165
};

EarthworkCalcDialogState OpenEarthworkCalcDialog();
// The enable rules of 選択 (計画) and 計算.
bool EarthworkPlanSelectable();
bool EarthworkCalcAllowed();
// The two path texts as the dialog shows them (UTF-8).
std::string EarthworkCurrentPathText();
std::string EarthworkPlanPathText();
// 選択 (現況) and 選択 (計画): a file dialog, then the file read; false when cancelled or
// the file could not be read (told).
bool SelectEarthworkCurrentFile();
bool SelectEarthworkPlanFile();
// A decimals list (0 area, 1 mean area, 2 volume, 3 distance) set to 0..3.
void SetEarthworkDecimals(int32_t which, int32_t value);
int32_t EarthworkDecimals(int32_t which);
// An edit left: the value taken when valid, else the previous one; the text it then shows.
std::string EarthworkRateLeft(const std::string& typed);
std::string EarthworkToleranceLeft(const std::string& typed);
std::string EarthworkJudgeLeft(const std::string& typed, EarthworkCalcDialogState& state);

struct EarthworkHooks {
    // Runs dialog 148; true when 計算 closed it.
    std::function<bool(EarthworkCalcDialogState&)> runCalcDialog;
    std::function<void()> runListDialog;
};
void SetEarthworkHooks(EarthworkHooks hooks);
const EarthworkHooks& CurrentEarthworkHooks();

// Command 32897 with the installed hooks.
void OnEarthworkCalc();
// Command 32898.
void OnVolumeList();
bool VolumeListEnabled();

extern const char* const kEarthworkFileFilter;  // 5416
