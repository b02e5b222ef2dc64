#include "model/progress.h"
#include "model/ridge_valley.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "view/view_state.h"

void OnRidgeValleyCorrection() {
    if (IsProgressWindowOpen()) return;
    if (g_tinPresent == 0 || g_tinEdgeCount < 1) {
        ShowMessage("三角網が計算されていません", "", msg::kOk | msg::kIconInformation);
        return;
    }
    ShowWaitCursor(true);
    const int32_t flipped = CorrectRidgesValleys(1, 1, 2);
    ShowWaitCursor(false);
    if (flipped == kRidgeValleyNoMemory)
        ShowMessage("メモリ不足で実行できません。", "", msg::kOk | msg::kIconError);
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
