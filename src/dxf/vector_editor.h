#pragma once
// The vector editor ベクトル作成: draws and edits the background vector layer in the view
// (polylines, optionally following the terrain, texts, circles, arcs; vertex moves,
// searching, attribute changes, deleting, stepping back and forth, saving). This is the
// editor's state and its commands; the window is a thin Qt shell that mirrors
// VecCreateControls and forwards its controls' events here.
#include <cstdint>
#include <functional>
#include <string>

#include "dxf/dxf_store.h"
#include "model/terrain_data.h"

class OverlayCanvas;

// Tools, the value of g_vecCreateTool.
constexpr int32_t VEC_TOOL_POLYLINE = 0;
constexpr int32_t VEC_TOOL_TEXT = 1;
constexpr int32_t VEC_TOOL_SEARCH = 2;
constexpr int32_t VEC_TOOL_END_POINT = 3;
constexpr int32_t VEC_TOOL_CIRCLE = 4;
constexpr int32_t VEC_TOOL_ARC = 5;

// Snap modes of g_pointSnapMode as this editor uses them.
constexpr int32_t kVecSnapNone = 0;
constexpr int32_t kVecSnapVertex = 1;
constexpr int32_t kVecSnapLine = 2;
constexpr int32_t kVecSnapCrossing = 3;
constexpr int32_t kVecSnapRandomPoint = 4;

// Commands the view (and the window's own keys) send to the editor.
enum VecCommand : int32_t {
    kVecCmdClick = 333,
    kVecCmdDelete = 335,
    kVecCmdUndo = 336,
    kVecCmdEndPolyline = 337,
    kVecCmdRedo = 338,
    kVecCmdToolPolyline = 339,
    kVecCmdToolText = 340,
    kVecCmdToolEndPoint = 341,
    kVecCmdToolSearch = 342,
    kVecCmdSnapNone = 343,
    kVecCmdSnapLine = 344,
    kVecCmdSnapCrossing = 345,
    kVecCmdSnapRandomPoint = 346,
    kVecCmdElevationLinked = 347,
    kVecCmdElevationTin = 348,
    kVecCmdElevationGiven = 349,
    kVecCmdSnapVertex = 350,
    kVecCmdBirdsEyeToggled = 351,
    kVecCmdToolArc = 352,
    kVecCmdToolCircle = 353,
};

// The settings; they outlive the window.
extern int32_t g_vecCreateTool;
extern int32_t g_vecElevationSource;  // 0 with the snap, 1 TIN, 2 g_newPointZ
extern double g_vecWheelStep;
extern char g_vecNewText[32];
extern double g_vecTextHeight;
extern int32_t g_vecDecimals;
extern int32_t g_vecDivisions;
extern int32_t g_vecTinCross;

// Mouse messages of OnViewMouse.
constexpr int32_t kVecMouseDown = 0x0201;
constexpr int32_t kVecMouseMove = 0x0200;

// What the window shows: texts of the edits, checked buttons, enabled groups. Texts are
// CP932 bytes.
struct VecCreateControls {
    std::string pickX, pickY, pickZ;  // 1171, 1173, 1174
    std::string text;                 // 1094
    std::string textHeight;           // 1175
    std::string layer;                // 1076
    std::string elevation;            // 1224
    std::string divisions;            // 1212
    int toolButton = 1170;
    int snapButton = 1225;
    int elevationButton = 1228;
    int decimalsIndex = 3;
    int colourIndex = 0;
    bool save3d = true;          // 1079 (else 1078)
    bool penSizeOne = true;      // 1182 (else 1183)
    bool hideDoubleByte = false; // 1211
    bool tinCross = false;       // 1229
    bool textAsElevation = false;  // 1176
    bool sameLayer = false, sameColour = false, continuous = false;
    bool deleteEnabled = false;          // 1077
    bool searchOptionsEnabled = false;   // 1084, 1085, 1086
    bool textOptionsEnabled = false;     // 1176, 1282
    bool tinCrossEnabled = false;        // 1229
    bool elevationEnabled = true;        // 1228, 1306, 1307, 1224
    bool crossingSnapEnabled = true;     // 1304
};

class CVecCreate {
public:
    // OnInitDialog: becomes g_vecCreateDlg.
    CVecCreate();
    ~CVecCreate();
    CVecCreate(const CVecCreate&) = delete;
    CVecCreate& operator=(const CVecCreate&) = delete;

    // Set by the window: copies `controls` into its widgets.
    std::function<void()> refreshControls;

    // A command of the view or of the window's keys, followed by the common refresh.
    void OnTimer(int32_t id);
    // A key pressed while the window itself has the focus (virtual-key code).
    void OnKeyDown(int32_t key);

    void UpdateControls();
    void SelectTool(int32_t tool);
    void OnSearchOption(int id, bool checked);  // 1084, 1085, 1086
    void OnTextAsElevation(bool checked);       // 1176
    void OnTinCross();                          // 1229
    void OnSnapMode(int32_t mode);
    void OnElevationSource(int32_t source);
    void OnSave3d(int32_t save3d);
    void OnPenSize(int32_t size);  // 1182: 1, 1183: 0
    void OnDoubleByteText();       // 1211

    void PickElement();
    void DeleteSelected();
    void Undo();
    void Redo();

    // The attribute fields, as they lose the focus with `text` (CP932) in them.
    void OnTextField(const std::string& text);                // 1094
    void OnCoordinateField(int id, const std::string& text);  // 1171, 1173, 1174
    void OnLayerField(const std::string& text);               // 1076
    void OnColourSelected(int index);                         // 1074
    void OnTextHeightField(const std::string& text);          // 1175
    void OnDivisionsField(const std::string& text);           // 1212
    void OnDecimalsSelected(int index);                       // 1282
    void OnElevationField(const std::string& text);           // 1224
    void OnWheel(int delta);

    // The snapped and elevated position of the click at (g_dxfPickCursorX, g_dxfPickCursorY).
    void ResolveClick(double startZ, double& north, double& east, double& elevation);
    void ClickPolyline();
    void ClickText();
    void ClickCircle();
    void ClickArc();
    void ClickEndPoint();

    // The view's press and moves; always 0.
    int32_t OnViewMouse(int32_t message, int32_t flags, int32_t column, int32_t row);
    int32_t DrawCursorMark(OverlayCanvas* canvas);
    int32_t DrawRubberBand(OverlayCanvas* canvas);
    // The view's rubber line in the plan: its start pixel and its label for a cursor at
    // (column, row); false when there is none.
    bool RubberLine(int32_t column, int32_t row, int32_t& x0, int32_t& y0, std::string& label) const;

    void SaveAsDxf();
    // After the window is gone: clears the selection, offers to save, redraws.
    void PostNcDestroy();

    VecCreateControls controls;

    bool enterPressed = false;
    bool escapePressed = false;
    int32_t m_sameLayer = 0;
    int32_t m_sameColour = 0;
    int32_t m_continuous = 0;
    int32_t m_drawing = 0;
    int32_t m_lastKind = -1;
    int32_t m_undoCount = -1;
    int32_t m_textAsElevation = 0;
    int32_t m_clickCount = 0;
    RandomPoint m_markers[3] = {};
    int32_t m_grabbedElement = 0;
    double m_grabbedZ = 0;
    int32_t m_pressX = 0;
    int32_t m_pressY = 0;
    int32_t m_moved = 0;
    DxfElement m_backupElement = {};
    int32_t m_backupIndex = 0;

private:
    void Refresh();
    void ExchangeUndoCount();
    void AfterCountChange(int32_t before);
    bool CollectConstructionPoint(double& cN, double& cE, double& r, double& z);
    void AttributeToPicked(bool layer, int32_t value);
};
extern CVecCreate* g_vecCreateDlg;

// Room for `extra` more elements plus a margin; false (with the message) when the store
// cannot grow: it keeps its capacity and contents.
bool EnsureVectorCapacity(int32_t extra);

// Every removal that compacts the store ends here: redo cannot go past the records that
// are left, and the editor's saved counts and vertex no longer name the same records.
void NoteDxfStoreCompacted();

// The command a view key sends to the open editor, 0 for none.
int32_t VecCommandForViewKey(int32_t key);

// The ground profile a terrain-following segment takes (mode 1 of the TIN profile cutter
// by default); tests put their own.
extern std::function<void(double, double, double, double)> g_vecProfileCutter;
