#include "shell/tool_commands.h"

#include <cstring>

#include "analysis/simple_section.h"
#include "dxf/dxf_store.h"
#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/terrain_data.h"
#include "model/watershed.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "pointedit/edit_windows.h"
#include "route/route_data.h"
#include "shell/plotter_file_command.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/display_flags.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
ToolCommandServices& Services() {
    static ToolCommandServices services;
    return services;
}

void Call(const std::function<void()>& f) {
    if (f) f();
}

void Focus() { Call(Services().focusMainWindow); }

// Points, DXF elements or a mesh area to snap the coordinate input to.
void RunCoordInputWhenThereIsData() {
    if (g_pointCount > 0 || g_dxfElementCount > 0 || g_meshAreaDefined != 0)
        Call(Services().runCoordInputDialog);
}

void ClosePointEditPanels() {
    CloseToolWindow(ToolWindow::kPointEditPanel1);
    CloseToolWindow(ToolWindow::kPointEditPanel2);
    CloseToolWindow(ToolWindow::kPointEditPanel3);
}

// ---- Outline and hole tools ----

bool OutlineToolActive(int32_t state) {
    return g_toolMode == MODE_OUTLINE_EDIT && g_outlineEditState == state;
}

void StartOutlineTool(int32_t state, bool clearAux3) {
    g_dragState = 0;
    g_toolMode = MODE_NONE;
    g_pointEditState = 0;
    CloseToolWindows();
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = state;
    ClearPickedPoints();
    if (clearAux3) g_pickAux3 = 0;
    ClearPicks();
    ClearPickList();
    g_showPoints = -1;
    FullRepaintView();
    Focus();
}

void StartHoleTool(int32_t state) {
    ResetToolMode();
    CloseToolWindows();
    ClearPicks();
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = state;
    g_pickAux1 = 0;
    g_pickAux2 = 0;
    ClearPickedPoints();
    FullRepaintView();
}

// ---- Point tools ----

bool PointToolActive(int32_t state) {
    return g_toolMode == MODE_POINT_EDIT && g_pointEditState == state;
}

void SetPointTool(int32_t state) {
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = state;
}

// Reset the mode and close the point tools' windows and every tool window.
void EndToolForPointTool() {
    ResetToolMode();
    CloseEditToolWindows();
    CloseToolWindows();
}

void ShowPointInputPanel(int32_t kind) {
    g_pointInputKind = kind;
    Call(Services().showPointInputPanel);
}

// 32845 and 32846: the offset and four-point tools take typed values in the panel.
void TogglePointToolWithTypedValues(int32_t state) {
    ClearPickedPoints();
    if (PointToolActive(state)) {
        ResetToolMode();
        return;
    }
    EndToolForPointTool();
    ClearPicks();
    g_showPoints = -1;
    g_pickAux1 = 0;
    g_pickAux3 = 0;
    FullRepaintView();
    Focus();
    SetPointTool(state);
    ShowPointInputPanel(0);
}

// ---- IP tools ----

bool IpToolActive(int32_t state) { return g_toolMode == MODE_IP_POINT && g_toolSubState == state; }

// True when the command switched its tool off.
bool SwitchIpTool(int32_t state) {
    if (IpToolActive(state)) {
        g_dragState = 0;
        g_toolMode = MODE_NONE;
        g_toolSubState = 0;
        return true;
    }
    g_dragState = 0;
    g_toolMode = MODE_NONE;
    CloseToolWindows();
    g_toolMode = MODE_IP_POINT;
    g_toolSubState = state;
    return false;
}

// ---- Area information ----

void ToggleAreaInfo(int32_t state) {
    // Only the command of the active tool switches it off; the other one switches over.
    if (g_toolMode == MODE_AREA_INFO && g_areaInfoState == state) {
        g_areaInfoState = 0;
        g_toolMode = MODE_NONE;
        return;
    }
    ClearPicks();
    ClearPickList();
    g_areaInfoState = state;
    g_toolMode = MODE_AREA_INFO;
    g_dragState = 0;
}

bool g_sectionSettingsUsed = false;

// ---- What each tool needs ----

// The sub-state of a tool whose clicks go to its own window (or the view's press and drag
// handlers), not to a row of the view's dispatch table.
constexpr int32_t kClicksInWindow = -1;

using WindowCheck = bool (*)(const ToolCommandServices&);
bool NoWindow(const ToolCommandServices&) { return true; }
bool PointPanel(const ToolCommandServices& s) { return bool(s.showPointInputPanel); }
bool HoleType(const ToolCommandServices& s) { return bool(s.openHoleTypeDialog); }
bool CoordInput(const ToolCommandServices& s) { return bool(s.runCoordInputDialog); }
bool SectionSettings(const ToolCommandServices& s) { return bool(s.runPointSectionSettingsDialog); }
bool TextFlagDialog(const ToolCommandServices& s) { return bool(s.openTextFlagDialog); }
bool SelectShape(const ToolCommandServices& s) { return bool(s.runSelectShapeDialog); }
bool MeshRange(const ToolCommandServices& s) {
    return s.runMeshRangeDialog && s.initMeshAreaPolygon;
}
bool VecCreate(const ToolCommandServices& s) { return bool(s.openVecCreateDialog); }
bool PlotterFileDialog(const ToolCommandServices& s) { return bool(s.runPlotterFileDialog); }

// The mode and sub-state each tool command sets, and the window it opens.
struct ToolNeeds {
    int id;
    int32_t mode;
    int32_t subState;
    WindowCheck window;
};
const ToolNeeds kToolNeeds[] = {
    {32831, MODE_OUTLINE_EDIT, OUTLINE_EDIT_SPECIFY, NoWindow},
    {32834, MODE_OUTLINE_EDIT, OUTLINE_EDIT_PARTIAL_ERASE, NoWindow},
    {32835, MODE_OUTLINE_EDIT, OUTLINE_EDIT_PARTIAL_CHANGE, NoWindow},
    {32954, MODE_OUTLINE_EDIT, OUTLINE_EDIT_HOLE_DELETE, NoWindow},
    {32862, MODE_OUTLINE_EDIT, OUTLINE_EDIT_PARTIAL_TIN, NoWindow},
    {32955, MODE_OUTLINE_EDIT, OUTLINE_EDIT_HOLE_REGISTER, HoleType},
    {32978, MODE_OUTLINE_EDIT, OUTLINE_EDIT_WATERSHED, NoWindow},
    {32842, MODE_POINT_EDIT, POINT_EDIT_MODIFY, PointPanel},
    {32843, MODE_POINT_EDIT, POINT_EDIT_ADD, PointPanel},
    {32844, MODE_POINT_EDIT, POINT_EDIT_BETWEEN, NoWindow},
    {32845, MODE_POINT_EDIT, POINT_EDIT_OFFSET, PointPanel},
    {32846, MODE_POINT_EDIT, POINT_EDIT_FOUR_POINT, PointPanel},
    {32879, MODE_POINT_EDIT, POINT_EDIT_PARALLEL, PointPanel},
    {32847, MODE_POINT_EDIT, POINT_EDIT_VALID_INVALID, NoWindow},
    {32861, MODE_POINT_EDIT, POINT_EDIT_PLOTTER_BASE, PlotterFileDialog},
    {32914, MODE_POINT_EDIT, kClicksInWindow, SelectShape},
    {32808, MODE_IP_POINT, IP_POINT_INPUT, CoordInput},
    {32809, MODE_IP_POINT, IP_POINT_CHANGE, CoordInput},
    {32810, MODE_IP_POINT, IP_POINT_DELETE, NoWindow},
    {32976, MODE_IP_POINT, IP_POINT_INSERT, NoWindow},
    {32893, MODE_AREA_INFO, AREA_INFO_PICK, NoWindow},
    {32901, MODE_AREA_INFO, AREA_INFO_VALID_INVALID, NoWindow},
    {32878, MODE_MESH_ELEVATION_EDIT, 0, NoWindow},
    {32903, MODE_MESH_AREA_EDIT, kClicksInWindow, MeshRange},
    {32869, MODE_MESH_AREA_REGISTER, 256, NoWindow},
    {32911, MODE_ARBITRARY_SECTION, 0, CoordInput},
    {32966, MODE_SIMPLE_SECTION, 0, SectionSettings},
    {32985, MODE_SAG_CURVE, 0, NoWindow},
    {32968, MODE_TEXT_FLAG, kClicksInWindow, TextFlagDialog},
    {32980, MODE_CUT_POSITION_DELETE, 0, NoWindow},
    {33025, MODE_VECTOR_CREATE, kClicksInWindow, VecCreate},
};

bool ClickReachesTool(int32_t mode, int32_t subState) {
    if (Services().toolClickHandled) return Services().toolClickHandled(mode, subState);
    for (const ToolClickRoute& route : FindToolClickRoutes(mode, subState, 0))
        if (route.run) return true;
    return false;
}
}  // namespace

ToolCommandServices& ToolServices() { return Services(); }

bool ToolCommandBuilt(int id) {
    for (const ToolNeeds& t : kToolNeeds) {
        if (t.id != id) continue;
        if (!t.window(Services())) return false;
        return t.subState == kClicksInWindow || ClickReachesTool(t.mode, t.subState);
    }
    return true;
}

void OnOutlinePartialErase() {
    if (OutlineToolActive(OUTLINE_EDIT_PARTIAL_ERASE)) {
        ResetToolMode();
        return;
    }
    StartOutlineTool(OUTLINE_EDIT_PARTIAL_ERASE, true);
}

void OnOutlinePartialChange() {
    // In its second step the command starts the tool again.
    if (OutlineToolActive(OUTLINE_EDIT_PARTIAL_CHANGE)) {
        ResetToolMode();
        return;
    }
    StartOutlineTool(OUTLINE_EDIT_PARTIAL_CHANGE, false);
}

void OnHoleDelete() {
    if (OutlineToolActive(OUTLINE_EDIT_HOLE_DELETE)) {
        ResetToolMode();
        return;
    }
    StartHoleTool(OUTLINE_EDIT_HOLE_DELETE);
}

void OnPartialTin() {
    if (OutlineToolActive(OUTLINE_EDIT_PARTIAL_TIN)) {
        ResetToolMode();
        return;
    }
    StartHoleTool(OUTLINE_EDIT_PARTIAL_TIN);
}

void OnHoleRegister() {
    if (OutlineToolActive(OUTLINE_EDIT_HOLE_REGISTER)) {
        ResetToolMode();
        CloseToolWindow(ToolWindow::kHoleType);
        return;
    }
    StartHoleTool(OUTLINE_EDIT_HOLE_REGISTER);
    if (!IsToolWindowOpen(ToolWindow::kHoleType)) Call(Services().openHoleTypeDialog);
}

void OnPointModify() {
    ClearPickedPoints();
    if (PointToolActive(POINT_EDIT_MODIFY)) {
        ResetToolMode();
        return;
    }
    EndToolForPointTool();
    g_pickAux1 = 0;
    g_pickAux3 = 0;
    ClearPicks();
    g_showPoints = -1;
    FullRepaintView();
    Focus();
    SetPointTool(POINT_EDIT_MODIFY);
    if (g_dxfElementCount >= 1)
        ShowPointInputPanel(2);
    else
        CloseToolWindow(ToolWindow::kPointInputPanel);
}

void OnPointAddByMouse() {
    if (PointToolActive(POINT_EDIT_ADD)) {
        ResetToolMode();
        ClearPicks();
        return;
    }
    EndToolForPointTool();
    ClearPicks();
    g_showPoints = -1;
    FullRepaintView();
    Focus();
    g_editPoint.z = 0;
    ClearPickedPoints();
    g_pickAux1 = 0;
    g_pickAux3 = 0;
    g_dragState = 0;
    SetPointTool(POINT_EDIT_ADD);
    std::memset(g_editPoint.name, 0, sizeof g_editPoint.name);
    ShowPointInputPanel(1);
}

void OnPointAddBetweenTwo() {
    ClearPickedPoints();
    if (PointToolActive(POINT_EDIT_BETWEEN)) {
        ResetToolMode();
        ClearPicks();
        return;
    }
    EndToolForPointTool();
    ClearPicks();
    g_showPoints = -1;
    FullRepaintView();
    Focus();
    SetPointTool(POINT_EDIT_BETWEEN);
    g_pickAux1 = 0;
    g_pickAux3 = 0;
    g_pickedPointRecord.flags = 0;
    g_pickedPointRecord2.flags = 0;
    g_pointSnapMode = -1;
    g_pointInputKind = 1;
}

void OnPointAddOffset() { TogglePointToolWithTypedValues(POINT_EDIT_OFFSET); }

void OnPointAddFourPointIntersection() { TogglePointToolWithTypedValues(POINT_EDIT_FOUR_POINT); }

void OnPointAddParallel() {
    if (PointToolActive(POINT_EDIT_PARALLEL)) {
        ResetToolMode();
        ClearPicks();
        ClearPickList();
        return;
    }
    EndToolForPointTool();
    ClearPicks();
    g_showPoints = -1;
    ClearPickedPoints();
    g_pickAux1 = 0;
    g_pickAux3 = 0;
    FullRepaintView();
    Focus();
    SetPointTool(POINT_EDIT_PARALLEL);
    ShowMessage("基準線選択後ENTERキーを押してください。", "", msg::kOk | msg::kIconInformation);
    ShowPointInputPanel(0);
    ClearPicks();
    ClearPickList();
}

void OnPointValidInvalid(bool shift) {
    if (shift) {
        ResetToolMode();
        g_showPoints = -1;
        if (IsToolWindowOpen(ToolWindow::kMoveRotate)) {
            CloseToolWindow(ToolWindow::kMoveRotate);
        } else if (Services().openMoveRotateDialog) {
            CloseEditToolWindows();
            ClearPicks();
            Services().openMoveRotateDialog();
        }
        return;
    }
    if (PointToolActive(POINT_EDIT_VALID_INVALID)) {
        ResetToolMode();
        return;
    }
    EndToolForPointTool();
    ClearPicks();
    g_showPoints = -1;
    g_pickedPoint = 0;
    FullRepaintView();
    Focus();
    ClosePointEditPanels();
    SetPointTool(POINT_EDIT_VALID_INVALID);
}

void OnPointBatchEdit() {
    if (g_toolMode == MODE_POINT_EDIT && g_pointEditState >= POINT_EDIT_BATCH &&
        g_pointEditState <= POINT_EDIT_BATCH + 2) {
        ResetToolMode();
        g_pickedPoint3 = 0;
        g_pickedPoint = 0;
        return;
    }
    ResetToolMode();
    g_pickedPoint3 = 0;
    g_pickedPoint = 0;
    CloseEditToolWindows();
    CloseToolWindows();
    ClearPicks();
    g_showPoints = -1;
    FullRepaintView();
    Focus();
    ClosePointEditPanels();
    SetPointTool(POINT_EDIT_BATCH);
    Call(Services().refreshPointToolBar);
    const int shape = Services().runSelectShapeDialog ? Services().runSelectShapeDialog() : 0;
    switch (shape) {
        case 1:
            break;
        case 2:
        case 3:
            g_pointEditState = POINT_EDIT_BATCH + shape - 1;
            g_pickList[0] = 0;
            break;
        default:
            g_toolMode = MODE_NONE;
            g_pointEditState = 0;
            break;
    }
}

void OnIpInput() {
    if (SwitchIpTool(IP_POINT_INPUT)) return;
    g_showRoute = -1;
    RunCoordInputWhenThereIsData();
}

void OnIpChange() {
    if (SwitchIpTool(IP_POINT_CHANGE)) return;
    RunCoordInputWhenThereIsData();
}

void OnIpDelete() { SwitchIpTool(IP_POINT_DELETE); }
void OnIpInsert() { SwitchIpTool(IP_POINT_INSERT); }

void OnAreaInfo() { ToggleAreaInfo(AREA_INFO_PICK); }
void OnSliceValidInvalid() { ToggleAreaInfo(AREA_INFO_VALID_INVALID); }

void OnMeshElevationEdit() {
    if (g_toolMode == MODE_MESH_ELEVATION_EDIT) {
        g_toolMode = MODE_NONE;
        g_toolSubState = 0;
    } else {
        g_dragState = 0;
        g_toolMode = MODE_MESH_ELEVATION_EDIT;
        g_toolSubState = 0;
        g_draggedMeshVertex = 0;
    }
    InvalidateAndUpdateView();
}

void OnMeshAreaEdit() {
    if (g_toolMode == MODE_MESH_AREA_EDIT) {
        g_toolMode = MODE_NONE;
        g_toolSubState = 0;
        InvalidateAndUpdateView();
        return;
    }
    if (!Services().runMeshRangeDialog) return;
    const int result = Services().runMeshRangeDialog();
    if (result == 2) {
        g_meshAreaPolygonCount = 0;
    } else {
        g_dragState = 0;
        g_toolMode = MODE_MESH_AREA_EDIT;
        if (result == 1 || g_meshAreaPolygonCount == 0) Call(Services().initMeshAreaPolygon);
        g_draggedMeshVertex = 0;
        g_toolSubState = 0;
    }
    InvalidateAndUpdateView();
}

void OnArbitrarySection() {
    if (g_toolMode == MODE_ARBITRARY_SECTION) {
        g_dragState = 0;
        g_toolMode = MODE_NONE;
        g_toolSubState = 0;
        return;
    }
    if (g_ipPointCount > 0) {
        if (ShowMessage("現在のＩＰデータは破棄されますがよろしいですか", "",
                        msg::kYesNo | msg::kIconQuestion) != msg::kIdYes)
            return;
        g_ipPointCount = 0;
        FullRepaintView();
    }
    g_dragState = 0;
    g_toolMode = MODE_NONE;
    g_toolSubState = 0;
    CloseToolWindows();
    g_toolMode = MODE_ARBITRARY_SECTION;
    g_showRoute = -1;
    RunCoordInputWhenThereIsData();
}

void OnSimpleSection() {
    g_linePickState = 0;
    g_toolSubState = 0;
    g_dragState = 0;
    if (g_toolMode == MODE_SIMPLE_SECTION) {
        g_toolMode = MODE_NONE;
        return;
    }
    g_toolMode = MODE_SIMPLE_SECTION;
    if (g_tinEdgeCount < 3 && Services().runPointSectionSettingsDialog) {
        const bool firstUse = !g_sectionSettingsUsed;
        g_sectionSettingsUsed = true;
        Services().runPointSectionSettingsDialog(firstUse);
    }
}

void OnSagCurve() {
    g_dragState = 0;
    g_toolSubState = 0;
    g_linePickState = 0;
    g_toolMode = MODE_SAG_CURVE;
}

void OnTextFlag() {
    g_toolSubState = 0;
    g_dragState = 0;
    if (g_toolMode == MODE_TEXT_FLAG) {
        g_toolMode = MODE_NONE;
        CloseToolWindow(ToolWindow::kTextFlag);
        return;
    }
    g_toolMode = MODE_TEXT_FLAG;
    if (!IsToolWindowOpen(ToolWindow::kTextFlag)) Call(Services().openTextFlagDialog);
}

void OnCutPositionDelete() {
    g_toolMode = g_toolMode == MODE_CUT_POSITION_DELETE ? MODE_NONE : MODE_CUT_POSITION_DELETE;
    g_dragState = 0;
    g_toolSubState = 0;
}

void OnVectorCreate() {
    g_outlineEditState = 0;
    g_pointEditState = 0;
    g_dragState = 0;
    // Closing the dialog by itself leaves the mode: the command then opens it again.
    if (g_toolMode == MODE_VECTOR_CREATE && IsToolWindowOpen(ToolWindow::kVecCreate)) {
        g_toolMode = MODE_NONE;
        CloseToolWindow(ToolWindow::kVecCreate);
        return;
    }
    g_toolMode = MODE_VECTOR_CREATE;
    ClearPicks();
    ClearPickList();
    g_showBackgroundDxf = -1;
    Call(Services().openVecCreateDialog);
    FullRepaintView();
}

namespace {
void ApplyTableRule(int id, const ShellConditions& c, CommandUpdate& u) {
    const CommandRule rule = EvaluateFrameRule(id, c);
    u.enabled = rule.enabled;
    u.check = rule.check;
}
}  // namespace

void UpdateSimpleSection(const ShellConditions& c, CommandUpdate& u) {
    ApplyTableRule(32966, c, u);
    // The stored sections are paged outside the tool mode: their window stays.
    if (c.toolMode != MODE_SIMPLE_SECTION && !SimpleSectionInStoredMode()) {
        CloseToolWindow(ToolWindow::kSimpleSection);
        if (c.toolMode != MODE_SAG_CURVE) g_linePickState = 0;
    }
    if (c.pointCount < 4) {
        u.enabled = false;
        g_linePickState = 0;
        CloseToolWindow(ToolWindow::kSimpleSection);
    }
}

void UpdateTextFlag(const ShellConditions& c, CommandUpdate& u) {
    ApplyTableRule(32968, c, u);
    if (!c.tin) CloseToolWindow(ToolWindow::kTextFlag);
}

void RegisterToolCommands(FrameCommandTarget& commands,
                          std::function<ShellConditions()> conditions) {
    if (!conditions) conditions = CurrentShellConditions;
    struct Tool {
        int id;
        void (*run)();
    };
    static constexpr Tool kTools[] = {
        {32831, OnOutlineSpecify},
        {32833, OnOutlineClearAll},
        {32834, OnOutlinePartialErase},
        {32835, OnOutlinePartialChange},
        {32954, OnHoleDelete},
        {32862, OnPartialTin},
        {32955, OnHoleRegister},
        {32978, OnWatershed},
        {32842, OnPointModify},
        {32843, OnPointAddByMouse},
        {32844, OnPointAddBetweenTwo},
        {32845, OnPointAddOffset},
        {32846, OnPointAddFourPointIntersection},
        {32879, OnPointAddParallel},
        {32808, OnIpInput},
        {32809, OnIpChange},
        {32810, OnIpDelete},
        {32976, OnIpInsert},
        {32893, OnAreaInfo},
        {32901, OnSliceValidInvalid},
        {32878, OnMeshElevationEdit},
        {32911, OnArbitrarySection},
        {32966, OnSimpleSection},
        {32985, OnSagCurve},
        {32968, OnTextFlag},
        {32980, OnCutPositionDelete},
        {32861, OnPlotterFileOutput},
    };
    // The table's rule, and never enabled while the tool is not built.
    auto rule = [&commands, conditions](
                    int id, void (*table)(int, const ShellConditions&, CommandUpdate&)) {
        commands.SetUpdateRule(id, [id, table, conditions](CommandUpdate& u) {
            table(id, conditions(), u);
            if (!ToolCommandBuilt(id)) u.enabled = false;
        });
    };
    for (const Tool& t : kTools) {
        commands.SetHandler(t.id, t.run);
        rule(t.id, ApplyTableRule);
    }
    commands.SetHandler(32847, [] { OnPointValidInvalid(IsKeyDown(key::kShift)); });
    rule(32847, ApplyTableRule);
    rule(32966, [](int, const ShellConditions& c, CommandUpdate& u) { UpdateSimpleSection(c, u); });
    rule(32968, [](int, const ShellConditions& c, CommandUpdate& u) { UpdateTextFlag(c, u); });

    // These cannot work without their dialogs.
    const ToolCommandServices& s = Services();
    if (s.runSelectShapeDialog) commands.SetHandler(32914, OnPointBatchEdit);
    if (s.runMeshRangeDialog && s.initMeshAreaPolygon) commands.SetHandler(32903, OnMeshAreaEdit);
    if (s.openVecCreateDialog) commands.SetHandler(33025, OnVectorCreate);
}
