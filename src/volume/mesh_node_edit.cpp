#include "volume/mesh_node_edit.h"

#include <limits>

#include "model/numeric_text.h"
#include "platform/text_io.h"
#include "view/view_navigation.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

int32_t g_meshEditNode = 0;

namespace {
constexpr int64_t kNodePickRadius2 = 4800;

int32_t NodeLimit() {
    const int64_t n = int64_t{g_meshColumns} * g_meshRows;
    if (g_meshColumns < 1 || g_meshRows < 1 || g_meshNodes.Empty()) return 0;
    return static_cast<int32_t>(std::min<int64_t>({n, g_meshNodeCount, g_meshNodes.Size() - 1}));
}

MeshNode* EditedNode() {
    if (g_meshEditNode < 1 || g_meshEditNode > NodeLimit()) return nullptr;
    return &g_meshNodes.Data()[g_meshEditNode];
}

void RepaintAll() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
}  // namespace

std::function<void()>& MeshElevationEditRunner() {
    static std::function<void()> runner;
    return runner;
}

MeshNodeEditView CurrentMeshNodeView() {
    MeshNodeEditView v;
    const MeshNode* n = EditedNode();
    if (!n) return v;
    v.elevation = FormatString("%.3f", n->z);
    v.missing = n->valid == 0;
    v.position = FormatString("%d/%d", n->column, n->row);
    v.canStep[0] = n->column < g_meshColumns;
    v.canStep[1] = n->column > 1;
    v.canStep[2] = n->row < g_meshRows;
    v.canStep[3] = n->row > 1;
    return v;
}

bool SetMeshEditNodeElevation(const std::string& text) {
    MeshNode* n = EditedNode();
    double z = 0;
    if (!n || !ParseDialogNumber(text, &z)) return false;
    n->z = z;
    RepaintAll();
    return true;
}

void SetMeshEditNodeMissing(bool missing) {
    MeshNode* n = EditedNode();
    if (!n) return;
    n->valid = missing ? 0 : 1;
    RepaintAll();
}

bool StepMeshEditNode(MeshNodeStep step) {
    const MeshNode* n = EditedNode();
    if (!n) return false;
    int32_t c = n->column, r = n->row;
    switch (step) {
        case MeshNodeStep::kColumnUp:
            if (c >= g_meshColumns) return false;
            ++c;
            break;
        case MeshNodeStep::kColumnDown:
            if (c <= 1) return false;
            --c;
            break;
        case MeshNodeStep::kRowUp:
            if (r >= g_meshRows) return false;
            ++r;
            break;
        case MeshNodeStep::kRowDown:
            if (r <= 1) return false;
            --r;
            break;
    }
    const int32_t last = NodeLimit();
    for (int32_t i = 1; i <= last; ++i) {
        const MeshNode& m = g_meshNodes.Data()[i];
        if (m.column != c || m.row != r) continue;
        g_meshEditNode = i;
        if (m.offScreen != 0) {
            g_viewCenterX = m.x;
            g_viewCenterY = m.y;
            g_redrawMask = -1;
        } else {
            g_redrawMask = 0;
        }
        InvalidateAndUpdateView();
        return true;
    }
    return false;
}

int32_t FindMeshNodeAtCursor(int32_t x, int32_t y) {
    if (!g_meshElevationsDone) return 0;
    const int32_t last = NodeLimit();
    int64_t best = kNodePickRadius2;
    int32_t found = 0;
    for (int32_t i = 1; i <= last; ++i) {
        const MeshNode& n = g_meshNodes.Data()[i];
        if (n.offScreen != 0) continue;
        const int64_t dx = int64_t{g_viewportCenterX} + n.screenColumn - x;
        const int64_t dy = int64_t{g_viewportCenterY} - n.screenRow - y;
        const int64_t d = dx * dx + dy * dy;
        if (d < best) {
            best = d;
            found = i;
        }
    }
    return found;
}

void OnClickMeshElevationEdit(int32_t x, int32_t y) {
    const int32_t node = FindMeshNodeAtCursor(x, y);
    if (node == 0) return;
    g_meshEditNode = node;
    g_redrawMask = 0;
    InvalidateAndUpdateView();
    if (MeshElevationEditRunner()) MeshElevationEditRunner()();
    g_meshEditNode = 0;
    g_redrawMask = 0;
    InvalidateAndUpdateView();
}
