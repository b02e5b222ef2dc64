#pragma once
// The raster tracing tool window ラスター追跡: traces lines of the scanned drawing under the
// plan (the main background image) click by click, shows the vertices over the view and
// turns a traced line into random points (and optionally vector elements). This is the
// window's state and its commands; the Qt window mirrors RasterTraceControls and forwards
// its controls' events here.
#include <cstdint>
#include <functional>
#include <string>

class CommandHandlerMap;
class OverlayCanvas;

// Settings that outlive the window.
extern double g_traceLevel;          // start elevation of generated points
extern double g_traceEndValue;       // elevation difference or end elevation, by the mode
extern double g_tracePointInterval;  // metres
extern double g_traceLevelStep;      // wheel step of the elevation field
extern int32_t g_traceCreateDxf;     // generated points also become vector elements

// Keys the view and the window's filter hand to OnEditKey.
constexpr int32_t kTraceKeyHome = 36;
constexpr int32_t kTraceKeyEnd = 35;
constexpr int32_t kTraceKeyInsert = 45;
constexpr int32_t kTraceKeyDelete = 46;

// Fields whose wheel turns change a value.
enum TraceField : int32_t { kTraceFieldOther = 0, kTraceFieldLevel = 1259, kTraceFieldInterval = 1263,
                            kTraceFieldLevelStep = 1261 };

// What the window shows. Texts are UTF-8 except the point name (CP932 bytes).
struct RasterTraceControls {
    bool startDown = false, addDown = false, cutDown = false;
    bool lineHeld = false;   // 開始 reads やり直し; 切断指定, 追加, 点発生 enabled
    bool undoEnabled = false;
    std::string status;
    std::string level, endValue, interval, levelStep, levelStepLabel, judgingAngle, layer;
    std::string pointName;
    bool endValueReadOnly = true;
    int sensitivity = 22;
    bool fine = true, continuous = false, changePoints = false, createDxf = false, save3d = true;
    int plotKind = 0;
    int invalid = 0;
    int elevationMode = 0;
    uint32_t paperColour = 0;  // 0x00RRGGBB of the swatch
};

class CRasterTraceDlg {
public:
    // The opening steps: becomes g_rasterTraceDlg, resets the tracer, takes the paper
    // colour from the main image.
    CRasterTraceDlg();
    ~CRasterTraceDlg();
    CRasterTraceDlg(const CRasterTraceDlg&) = delete;
    CRasterTraceDlg& operator=(const CRasterTraceDlg&) = delete;

    // Set by the window: copies `controls` into its widgets; repaints it at once.
    std::function<void()> refreshControls;
    std::function<void()> repaintNow;

    // Mode buttons with their new state.
    void OnStart(bool down);
    void OnCut(bool down);
    void OnAdd(bool down);

    // The ground point under a released left button while a trace mode is on.
    int32_t OnViewClick(double north, double east);
    void OnEditKey(int32_t key);

    void OnGeneratePoints();
    int32_t GeneratePointsAtInterval();
    int32_t GeneratePointsAtChanges();
    void OnUndoPoints();

    // Scroll bar: -1 line left, 1 line right, 0 anything else.
    void OnHScroll(int32_t step);
    void OnSensitivity(int32_t position);
    // The swatch was clicked: a 1-bit image swaps paper and ink; otherwise `chosen`
    // (0x00RRGGBB, asked for by the window) becomes the paper colour when given.
    bool PaperIsOneBit() const;
    void OnPaperColour(const uint32_t* chosen);

    // Fields as they lose the focus with `text` in them (the window shows the stored
    // value again after an Esc instead of calling these).
    void OnLevelField(const std::string& text);
    void OnIntervalField(const std::string& text);
    void OnEndValueField(const std::string& text);
    void OnJudgingAngleField(const std::string& text);
    void OnLevelStepField(const std::string& text);
    void OnLayerField(const std::string& text);
    void OnPointNameField(const std::string& cp932);
    // A wheel turn (delta > 0 away from the user) over a field with `text` typed in it.
    // False when the field takes no wheel (the window passes it to the view).
    bool OnWheel(int32_t field, const std::string& text, int32_t delta);
    // 標高差 (1) or 終点標高 (2) checked or released.
    void OnElevationMode(int32_t mode, bool checked);
    void OnSlopeSettings(bool down);
    void OnFlag(int32_t id, bool checked);  // 1131 fine, 1133 continuous, 1132 change points, 1071 DXF
    void OnPlotKind(int32_t kind);
    void OnInvalid(int32_t invalid);
    void OnSave3d(int32_t save3d);
    void OnColourSelected(int32_t index);

    // 保存: the element store as a DXF file.
    void OnSaveDxf();
    // 閉じる, then what follows the window's end (the save question); the window deletes
    // the object afterwards.
    void OnOK();
    void PostNcDestroy();

    void UpdateControls();

    RasterTraceControls controls;

    int32_t continuous = 0;
    double judgingAngle = 15.0;
    double endLevel = 0.0;
    int32_t elevationMode = 0;
    int32_t invalidFlag = 0;
    char pointName[12] = {};
    int32_t plotKind = 0;
    int32_t savedVertexCount = 0;
    int32_t pointCountAfterGeneration = 0;
    int32_t changePoints = 0;
    int32_t scrollIndex = 0;
    int32_t generatedCount = 0;
    int32_t fine = 1;
    int32_t escapePressed = 0;
    // Vector elements of the last generation: the store's count before it and right
    // after it (the undo takes back exactly those while the count is unchanged).
    int32_t elementCountBefore = 0;
    int32_t elementCountAfterGeneration = -1;

private:
    void SetStatus(const std::string& text);
    void ShowVertexCount();
    void CentreOnVertex(int32_t i);
    void ShowFields();
    // Emits one generated point (and its element); false when it could not be stored.
    void EmitPoint(double east, double north, double z, bool first);
    bool MakeRoom(int32_t need);
    double ElevationAt(double s, double length) const;
};
extern CRasterTraceDlg* g_rasterTraceDlg;

// The traced vertices over the view, after the back buffer has been shown.
void DrawRasterTraceMarks(OverlayCanvas& canvas);

// The view command 32891: shows the open window or makes a new one (the window installs
// its maker, and its shower while it is open).
void OnRasterTrace();
extern std::function<void()> g_openRasterTraceWindow;
extern std::function<void()> g_showRasterTraceWindow;
void RegisterRasterTraceCommand(CommandHandlerMap& commands);

// The edit key a view key stands for while the window is open (Home, End, Insert and
// Delete, and the edit shortcuts: Ctrl+Z / Alt+Backspace, Ctrl+X / Shift+Delete, Ctrl+C /
// Ctrl+Insert, Ctrl+V / Shift+Insert); 0 for none. `key` is a virtual-key code.
int32_t TraceKeyForViewInput(int32_t key, bool ctrl, bool shift, bool alt);
