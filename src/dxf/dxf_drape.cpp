#include "dxf/dxf_drape.h"

#include <algorithm>
#include <cstdio>

#include "dxf/dxf_store.h"
#include "model/tin_triangle_grid.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "pointedit/edit_point.h"
#include "shell/status_text.h"
#include "view/view_picking.h"
#include "view/view_state.h"

namespace {
// Progress is written after every 201 elements, not per element.
constexpr int32_t kProgressStep = 200;
}  // namespace

void DrapeDxfOnTin(bool showProgress) {
    if (g_dxfElementCount < 1) return;
    DxfElement* elements = g_dxfElementsBlock.Data();
    const RandomPoint savedEditPoint = g_editPoint;

    // A bucket grid gives the same triangle as the one-by-one search, fast enough for
    // drawings of millions of elements.
    TinTriangleGrid grid;
    const bool ready = elements != nullptr && grid.Build();
    if (!ready) {
        // Nothing was draped: saying "完了" alone would report a failure as success.
        ShowMessage("メモリーが不足しています。", "", msg::kOk | msg::kIconError);
    } else {
        const int32_t last = std::min(g_dxfElementCount, g_dxfElementsBlock.Size() - 1);
        int32_t counter = 0;
        for (int32_t i = 1; i <= last; ++i) {
            DxfElement& e = elements[i];
            double z = g_dataBaseZ;
            if (InsideTriangleIdMapFrame(e.x, e.y)) grid.Find(e.x, e.y, &z);
            e.z = z;
            if (counter > kProgressStep && showProgress) {
                char text[64];
                std::snprintf(text, sizeof text, "計算中・・・ %7d/%8d", i, g_dxfElementCount);
                SetStatusText(text);
                counter = 0;
            }
            ++counter;
        }
    }
    if (showProgress) SetStatusText("完了");
    g_editPoint = savedEditPoint;
}

void OnDrapeDxfOnTin() {
    ShowWaitCursor(true);
    DrapeDxfOnTin(true);
    ShowWaitCursor(false);
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
