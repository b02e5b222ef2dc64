#pragma once
// The node elevation editor: a click picks the nearest node on the screen, the dialog
// edits its elevation and missing flag and walks to its neighbours.
#include <cstdint>
#include <functional>
#include <string>

// The node being edited (node numbering of the mesh); 0 while no editor is open.
extern int32_t g_meshEditNode;

// The modal "メッシュ標高編集" dialog; installed by the window system.
std::function<void()>& MeshElevationEditRunner();

// Arrow buttons of the editor.
enum class MeshNodeStep { kColumnUp, kColumnDown, kRowUp, kRowDown };

// What the dialog shows of g_meshEditNode.
struct MeshNodeEditView {
    std::string elevation;  // "%.3f"
    bool missing = false;
    std::string position;  // "column/row"
    bool canStep[4] = {false, false, false, false};  // in MeshNodeStep order
};
MeshNodeEditView CurrentMeshNodeView();

// The elevation typed into the editor: text that is no number keeps the old value (false).
bool SetMeshEditNodeElevation(const std::string& text);
// The missing check box: checked makes the node missing, unchecked valid.
void SetMeshEditNodeMissing(bool missing);
// Moves to the neighbour; when it lies off the screen the view is centred on it. False at
// the mesh's edge.
bool StepMeshEditNode(MeshNodeStep step);

// The on-screen node nearest to window (x, y) within a squared distance of 4800 pixels,
// 0 for none.
int32_t FindMeshNodeAtCursor(int32_t x, int32_t y);
// A click of the tool: opens the editor on the node picked.
void OnClickMeshElevationEdit(int32_t x, int32_t y);
