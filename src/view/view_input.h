#pragma once
// The mouse and the keys on the view: what a press, a move and a release of the left
// button, the right and middle buttons and the keys do, which tool a click reaches in
// each tool mode, and the cursor the view shows.
//
// Client positions are window pixels, rows counted downwards.
#include <cstdint>
#include <string>
#include <vector>

// Key flags of a mouse message.
constexpr int32_t kMouseFlagLeft = 0x01;
constexpr int32_t kMouseFlagRight = 0x02;
constexpr int32_t kMouseFlagShift = 0x04;
constexpr int32_t kMouseFlagControl = 0x08;

// g_dragState values of the view.
constexpr int32_t kDragRubberLine = 1;
constexpr int32_t kDragZoomArmed = 16;
constexpr int32_t kDragZoomPressed = 17;
constexpr int32_t kDragZoomBox = 19;
constexpr int32_t kDragToolArmed = 49;  // a tool's rubber rectangle may follow
constexpr int32_t kDragToolBox = 51;
constexpr int32_t kDragPan = 128;

struct ViewMouseState {
    int32_t pressX = 0;  // where the left button went down
    int32_t pressY = 0;
    int32_t lastX = 0;  // the previous mouse position
    int32_t lastY = 0;
    int32_t anchorX = 0;  // start of a mesh-area drag (the press, or a picked point)
    int32_t anchorY = 0;
    int32_t pressFlags = 0;  // key flags of the press; Ctrl when Alt was held
    int32_t buttonDown = 0;
    // The camera turned or the view panned while a button was held: the frames since then
    // are the drag's quick pictures, and the full picture follows when the last button goes
    // up.
    int32_t dragFrames = 0;
};
extern ViewMouseState g_viewMouse;
// The rubber rectangle (zoom box or tool rectangle, while the drag state's low five bits
// are 19) or the free rubber line (drag state 1): x0, y0, x1, y1.
extern int32_t g_rubberBandRect[4];

// Lines that follow the mouse between paints. The window draws them over the frame after
// every paint; the mouse handlers replace them on each move and drop them when the button
// goes up.
struct RubberLine {
    int32_t x0, y0, x1, y1;
    bool inverted;      // drawn inverting the pixels below; else one red pixel wide
    std::string label;  // drawn in red on white at the line's end (x1, y1); empty for none
};
extern std::vector<RubberLine> g_rubberLines;

// flags: kMouseFlag* of the message; alt: Alt held.
void OnViewLButtonDown(int32_t flags, int32_t x, int32_t y, bool alt);
void OnViewMouseMove(int32_t flags, int32_t x, int32_t y);
void OnViewLButtonUp(int32_t flags, int32_t x, int32_t y, bool alt);
// Centres on the picked point in the plan view, then the inclined plane's gizmo.
void OnViewLButtonDblClk(int32_t flags, int32_t x, int32_t y);
void OnViewRButtonUp();
void OnViewRButtonDoubleClick();
void OnViewMButtonDown(bool alt);
// A key on the view (virtual-key code).
void OnViewKeyDown(int32_t key);
// A key the open raster-tracing window takes from the view (with its modifiers); false
// when it is not one of its keys.
bool OnViewTraceKey(int32_t key, bool ctrl, bool shift, bool alt);

// ---- Tool dispatch of a left-button release ----

struct ToolClick {
    int32_t flags;  // key flags of the release
    int32_t x;
    int32_t y;
    int32_t pressX;
    int32_t pressY;
};
using ToolClickHandler = void (*)(const ToolClick&);

// One row of the dispatch table: the function the click reaches. `run` is null while that
// tool is not part of the program; its clicks then do nothing.
struct ToolClickRoute {
    const char* callee;
    ToolClickHandler run;
    bool terrainTool;  // refused with Shift or Ctrl in the key flags
};
// The rows a release reaches in the mode, in the order they run. subState is the
// sub-state word of the mode (ToolSubState).
std::vector<ToolClickRoute> FindToolClickRoutes(int32_t mode, int32_t subState, int32_t flags);
// The sub-state word that selects the tool within the mode (0 for modes without one).
int32_t ToolSubState(int32_t mode);
// Whether the click is kept from the row's tool: while the progress window is open (the
// data may be half built), while Alt is held, and for the terrain tools with Shift or
// Ctrl in the key flags.
bool ToolClickIgnored(const ToolClickRoute& route, int32_t flags);

// ---- Cursor ----

constexpr int32_t kCursorArrow = 0;
constexpr int32_t kCursorWait = -1;
// The view's cursor for the current state: kCursorWait, kCursorArrow or the resource id
// of a tool cursor.
int32_t ViewCursorResource(bool leftButtonDown);
