#include "model/tin_calc_command.h"

#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_keep_existing.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/view_state.h"

namespace {
void KeepExistingDefault() { BuildTinKeepingExisting(0); }
std::function<void()> g_keepExistingBuilder = KeepExistingDefault;

void RepaintView() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// Undoes the command's marks however the build ends.
class BuildScope {
public:
    BuildScope() {
        g_tinCalcBusy = -1;
        EnableMainWindow(false);
    }
    ~BuildScope() {
        EnableMainWindow(true);
        g_tinCalcBusy = 0;
        ShowWaitCursor(false);
    }
};
}  // namespace

void SetKeepExistingTinBuilder(std::function<void()> builder) {
    g_keepExistingBuilder = builder ? std::move(builder) : KeepExistingDefault;
}

void OnTinCalc() {
    ResetToolMode();
    if (g_tinCalcBusy || IsProgressWindowOpen()) return;
    CloseToolWindows();
    g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint4 = 0;

    const int32_t n = g_outline.Count();
    if (n < 3) {
        ShowMessage("外周が設定されていません", "", msg::kOk | msg::kIconQuestion);
        return;
    }
    if (!g_outline.IsClosed()) {
        if (ShowMessage("外周が閉じていません\n始点と終点をつなぎますか", "",
                        msg::kOkCancel | msg::kIconQuestion) != msg::kIdOk)
            return;
        g_outline.Close();
    }
    if (g_tinEdgeCount != 0) {
        const int answer = ShowMessage(
            "三角網が既に作成されています。\n "
            "既存の三角網を残さない場合は「はい」\n既存の三角網を残す場合は「いいえ」\n計算しない場"
            "合は「キャンセル」を選択してくだい。",
            "", msg::kYesNoCancel | msg::kIconQuestion);
        if (answer == msg::kIdCancel) return;
        if (answer == msg::kIdNo) {
            {
                BuildScope scope;
                g_keepExistingBuilder();
            }
            g_dataChanged = -1;
            RepaintView();
            return;
        }
    }

    ShowWaitCursor(true);
    RepaintView();
    {
        BuildScope scope;
        if (4 * static_cast<int64_t>(g_pointCount) > g_tinEdgeCapacity) {
            // The existing TIN stays as it is when the block cannot grow.
            const int32_t previous = g_tinEdgeCapacity;
            g_tinEdgeCapacity = 4 * g_pointCount;
            if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) {
                g_tinEdgeCapacity = previous;
                ShowMessage("三角網計算の作業用メモリ確保に失敗しました。", "",
                            msg::kOk | msg::kIconError);
                return;
            }
        }
        // The builder replaces the TIN only when it completes; otherwise the old one stays.
        OrientPolygonClockwise(g_outline);
        MarkPointsInPolygonRaster(g_outline, 0);
        BuildTinRegions(0);
    }
    g_dataChanged = -1;
    if (g_tinPresent) {
        g_showTin = 1;
        RepaintView();
    }
}
