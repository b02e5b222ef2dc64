#pragma once
// Stations built by hand from surveyed points: the dialog "切出し座標編集" (149) without its
// window, and the mouse tool of its three registration modes.
#include <cstdint>
#include <functional>

constexpr int kCutCentreButton = 1005;      // センター点登録, result 1
constexpr int kCutLeftButton = 1006;        // 左幅杭点登録, result 2
constexpr int kCutRightButton = 1007;       // 右幅杭点登録, result 3
constexpr int kCutDeleteAllButton = 1008;   // 全ての測点削除, result -1
constexpr int kCutDeleteLeftButton = 1009;  // 左幅杭点全削除, result -2
constexpr int kCutDeleteRightButton = 1010; // 右幅杭点全削除, result -3
constexpr int kCutCancelButton = 1088;      // 中止
constexpr int kCutCancelResult = 2;         // the standard cancel result

bool CutPointEditButtonEnabled(int id);
// A registration button: sets the mode (and the stake cursor) and returns the dialog's
// result.
int StartStakeRegistration(int id);
// A deletion button: its question, then the deletion. The dialog's result, or 0 when the
// answer was No (the dialog stays open).
int DeleteStakesAfterQuestion(int id);

// The frame command 32963: runs the dialog (its result), then shows the points and names
// for a registration and redraws the view after any result but 0.
void OnCutPointEditCommand(const std::function<int()>& runDialog);

// A left-button release in the three registration modes (keyFlags of the message; client
// pixel). Shift, Ctrl or Alt keep the click from the tool.
void RegisterStakeAtPoint(int32_t keyFlags, int32_t x, int32_t y);
