#pragma once
// Duplicate points: two valid points closer than a tolerance in both X and Y (a square
// window; the distance itself is not computed) break the triangulation. The points are
// sorted by X, largest first, and a window swept down the list groups them; of each group
// one point is kept.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ProgressWindow;

// Sort comparator on the first double of two entries: 1 when a < b, -1 when a > b, 0 when
// equal (larger X first).
int CompareXDescending(const void* a, const void* b);

// Keep rules of the removal: the highest elevation, the lowest, the user's choice per
// group; any other value keeps the group's first point (the one of largest X).
constexpr int32_t kKeepHighest = 1;
constexpr int32_t kKeepLowest = 2;
constexpr int32_t kKeepAsk = 3;

// The menu command's removal under the progress window, with g_dupTolerance; Q asks to
// stop. Point numbers change, so the outline and the TIN are cleared when anything was
// removed.
void CheckDuplicatePoints(int32_t keepRule);
// The same without questions or progress window (the host channel); sets g_dupTolerance.
// The outline list is left to the caller.
void RemoveDuplicatePoints(double tolerance, int32_t keepRule);
// Marks the duplicates invalid (flag 3) instead of removing them; the count stays. Mode 0
// keeps the highest, 1 the lowest, others the first point. The window, when given, shows
// the progress.
void FindDuplicatePoints(ProgressWindow* window, int32_t mode, double tolerance);

// How the user picks the point to keep for rule 3 (the point selection dialog "ランダム点
// 選択"): given the group's point numbers, the 0-based row chosen, -1 for none (the first
// point is kept) or -2 to stop the check. Without one the first point is kept.
using DupPointChooser = std::function<int32_t(const std::vector<int32_t>& group)>;
void SetDupPointChooser(DupPointChooser chooser);

// ---- the dialog "重複点チェック" without its window ----

struct DuplicateCheckValues {
    int32_t keepRule = kKeepAsk;  // radios ユーザー指定 / 標高最高値を登録 / 標高最低値を登録
    double distance = 0.001;   // 判定距離
    std::string distanceText;  // edit 1236
};

// Opening: rule 3, the distance from g_dupTolerance ("%.3f").
DuplicateCheckValues OpenDuplicateCheckDialog();
// The distance edit losing the focus: the absolute value typed is taken when it is at least
// 0.001, otherwise the previous value stays; the edit shows the distance with "%.3f".
void DuplicateDistanceLeft(DuplicateCheckValues& values);

// The command 重複点チェック: closes the tool windows and ends the active tool, runs the
// dialog (through `runDialog`, false when it was ended with 終了), then stores the distance
// into g_dupTolerance, removes the duplicates with the chosen rule and repaints the view.
// Nothing while a progress window is open.
void OnDuplicateCheck(const std::function<bool(DuplicateCheckValues&)>& runDialog);
