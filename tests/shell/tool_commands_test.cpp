// The frame's tool commands as the menus reach them: each sets its mode and sub-state, the
// same command again switches it off, another one ends the previous tool and closes the
// tool windows; the update rules with side effects; what the mode toolbars end and set.
#include "shell/tool_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "dxf/dxf_store.h"
#include "model/duplicate_points.h"
#include "model/terrain_data.h"
#include "platform/busy.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "route/route_data.h"
#include "shell/command_table.h"
#include "shell/mode_toolbars.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/display_flags.h"
#include "view/view_input.h"
#include "view/view_state.h"
#include "view/view_toggles.h"
#include "volume/mesh_data.h"

namespace {
// A tool window that records its closing and clears its own slot.
class Window : public ToolWindowHandle {
public:
    explicit Window(ToolWindow slot) : m_slot(slot) { SetToolWindow(slot, this); }
    ~Window() override { ClearToolWindow(m_slot, this); }
    void CloseToolWindow() override {
        ++closed;
        ClearToolWindow(m_slot, this);
    }
    int closed = 0;

private:
    ToolWindow m_slot;
};

class ToolCommands : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        ToolServices() = ToolCommandServices{};
        ToolServices().showPointInputPanel = [this] { ++m_panelShown; };
        ToolServices().focusMainWindow = [this] { ++m_focused; };
        Register();
        SetViewRepaintHandler([this] {
            m_repaintMasks.push_back(g_redrawMask);
            g_redrawMask = 0;
        });
    }
    void TearDown() override {
        SetViewRepaintHandler(nullptr);
        ToolServices() = ToolCommandServices{};
        SetHeadlessKeyDown(key::kShift, false);
        for (size_t i = 0; i < kToolWindowCount; ++i) ClearToolWindow(static_cast<ToolWindow>(i));
        InitDataModel();
    }

    void Register() {
        m_frame = std::make_unique<FrameCommandTarget>();
        RegisterToolCommands(*m_frame);
        m_router.SetTargets(nullptr, nullptr, m_frame.get(), nullptr);
    }
    void Run(int id) { EXPECT_EQ(m_router.Execute(id), 2) << id; }
    static void SetPicks() {
        g_pickedPoint = 1;
        g_pickedPoint2 = 2;
        g_pickedPoint3 = 3;
        g_pickedPoint4 = 4;
    }
    static bool NoPicks() {
        return g_pickedPoint == 0 && g_pickedPoint2 == 0 && g_pickedPoint3 == 0 &&
               g_pickedPoint4 == 0;
    }

    std::unique_ptr<FrameCommandTarget> m_frame;
    CommandRouter m_router;
    std::vector<int32_t> m_repaintMasks;
    int m_panelShown = 0;
    int m_focused = 0;
};

struct ToolCase {
    int id;
    int32_t mode;
    int32_t* subState;  // null: the mode has none
    int32_t state;
};

const ToolCase kToolCases[] = {
    {32834, MODE_OUTLINE_EDIT, &g_outlineEditState, OUTLINE_EDIT_PARTIAL_ERASE},
    {32835, MODE_OUTLINE_EDIT, &g_outlineEditState, OUTLINE_EDIT_PARTIAL_CHANGE},
    {32954, MODE_OUTLINE_EDIT, &g_outlineEditState, OUTLINE_EDIT_HOLE_DELETE},
    {32862, MODE_OUTLINE_EDIT, &g_outlineEditState, OUTLINE_EDIT_PARTIAL_TIN},
    {32955, MODE_OUTLINE_EDIT, &g_outlineEditState, OUTLINE_EDIT_HOLE_REGISTER},
    {32842, MODE_POINT_EDIT, &g_pointEditState, POINT_EDIT_MODIFY},
    {32843, MODE_POINT_EDIT, &g_pointEditState, POINT_EDIT_ADD},
    {32844, MODE_POINT_EDIT, &g_pointEditState, POINT_EDIT_BETWEEN},
    {32845, MODE_POINT_EDIT, &g_pointEditState, POINT_EDIT_OFFSET},
    {32846, MODE_POINT_EDIT, &g_pointEditState, POINT_EDIT_FOUR_POINT},
    {32879, MODE_POINT_EDIT, &g_pointEditState, POINT_EDIT_PARALLEL},
    {32847, MODE_POINT_EDIT, &g_pointEditState, POINT_EDIT_VALID_INVALID},
    {32808, MODE_IP_POINT, &g_toolSubState, IP_POINT_INPUT},
    {32809, MODE_IP_POINT, &g_toolSubState, IP_POINT_CHANGE},
    {32810, MODE_IP_POINT, &g_toolSubState, IP_POINT_DELETE},
    {32976, MODE_IP_POINT, &g_toolSubState, IP_POINT_INSERT},
    {32893, MODE_AREA_INFO, &g_areaInfoState, AREA_INFO_PICK},
    {32901, MODE_AREA_INFO, &g_areaInfoState, AREA_INFO_VALID_INVALID},
    {32878, MODE_MESH_ELEVATION_EDIT, &g_toolSubState, 0},
    {32911, MODE_ARBITRARY_SECTION, &g_toolSubState, 0},
    {32966, MODE_SIMPLE_SECTION, &g_toolSubState, 0},
    {32968, MODE_TEXT_FLAG, &g_toolSubState, 0},
    {32980, MODE_CUT_POSITION_DELETE, &g_toolSubState, 0},
};
}  // namespace

TEST_F(ToolCommands, EachCommandSetsItsToolAndSwitchesItOffAgain) {
    for (const ToolCase& c : kToolCases) {
        InitDataModel();
        g_dragState = 16;  // the zoom box armed: every switch ends it
        Run(c.id);
        EXPECT_EQ(g_toolMode, c.mode) << c.id;
        EXPECT_EQ(*c.subState, c.state) << c.id;
        EXPECT_EQ(g_dragState, 0) << c.id;
        Run(c.id);
        EXPECT_EQ(g_toolMode, MODE_NONE) << c.id;
        EXPECT_EQ(*c.subState, 0) << c.id;
    }
}

TEST_F(ToolCommands, AnotherToolEndsThePreviousOneAndClosesTheToolWindows) {
    for (const ToolCase& next : kToolCases) {
        for (const ToolCase& previous : {kToolCases[0], kToolCases[6], kToolCases[12]}) {
            if (previous.mode == next.mode && previous.state == next.state) continue;
            InitDataModel();
            Run(previous.id);
            ASSERT_EQ(g_toolMode, previous.mode);
            Run(next.id);
            EXPECT_EQ(g_toolMode, next.mode) << previous.id << " -> " << next.id;
            EXPECT_EQ(*next.subState, next.state) << previous.id << " -> " << next.id;
            Run(next.id);
            EXPECT_EQ(g_toolMode, MODE_NONE) << previous.id << " -> " << next.id;
        }
    }

    // The outline, hole, point, IP and section tools close the tool windows; the point
    // tools also close their own dialogs.
    for (int id : {32834, 32835, 32954, 32862, 32955, 32842, 32843, 32844, 32845, 32846, 32879,
                   32847, 32808, 32809, 32810, 32976, 32911}) {
        InitDataModel();
        Window contour(ToolWindow::kContourCalc), vector(ToolWindow::kVecCreate);
        Window pointEdit(ToolWindow::kPointEditDialog), offset(ToolWindow::kOffsetDialog);
        Run(id);
        EXPECT_EQ(contour.closed, 1) << id;
        EXPECT_EQ(vector.closed, 1) << id;
        const bool pointTool = id >= 32842 && id <= 32879 && id != 32862;
        EXPECT_EQ(pointEdit.closed, pointTool ? 1 : 0) << id;
        EXPECT_EQ(offset.closed, pointTool ? 1 : 0) << id;
    }
}

TEST_F(ToolCommands, OutlineToolsEdgeCases) {
    // Chosen twice: no tool, the picks untouched and no redraw.
    Run(32834);
    EXPECT_EQ(g_showPoints, -1);
    EXPECT_EQ(m_repaintMasks, std::vector<int32_t>{-1});
    SetPicks();
    Run(32834);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_pickedPoint3, 3);
    EXPECT_EQ(m_repaintMasks.size(), 1u);

    // Switching on clears the picks.
    SetPicks();
    g_pickAux3 = 7;
    Run(32834);
    EXPECT_TRUE(NoPicks());
    EXPECT_EQ(g_pickAux3, 0);
    EXPECT_EQ(m_focused, 2);  // both times it switched on

    // Nothing while a long operation runs.
    ResetToolMode();
    SetBusy(true);
    Run(32834);
    SetBusy(false);
    EXPECT_EQ(g_toolMode, MODE_NONE);

    // The partial change in its second step starts again at its first.
    Run(32835);
    g_outlineEditState = OUTLINE_EDIT_PARTIAL_CHANGE + 1;
    Run(32835);
    EXPECT_EQ(g_toolMode, MODE_OUTLINE_EDIT);
    EXPECT_EQ(g_outlineEditState, OUTLINE_EDIT_PARTIAL_CHANGE);

    // Hole registration opens the hole-type dialog once and closes it when switched off.
    int opened = 0;
    std::unique_ptr<Window> holeType;
    ToolServices().openHoleTypeDialog = [&] {
        ++opened;
        holeType = std::make_unique<Window>(ToolWindow::kHoleType);
    };
    Run(32955);
    EXPECT_EQ(opened, 1);
    g_pickAux1 = g_pickAux2 = 5;
    Run(32954);  // switches over to hole deletion: the dialog goes with the tool windows
    EXPECT_EQ(holeType->closed, 1);
    EXPECT_EQ(g_pickAux1, 0);
    EXPECT_EQ(g_pickAux2, 0);
    Run(32955);
    EXPECT_EQ(opened, 2);
    Run(32955);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(holeType->closed, 1);
    EXPECT_FALSE(IsToolWindowOpen(ToolWindow::kHoleType));
}

TEST_F(ToolCommands, PointToolsPanelsAndPicks) {
    // Point edit: the panel with DXF snapping when DXF elements exist, else closed.
    g_dxfElementCount = 1;
    Run(32842);
    EXPECT_EQ(g_pointInputKind, 2);
    EXPECT_EQ(m_panelShown, 1);
    Run(32842);
    g_dxfElementCount = 0;
    {
        Window panel(ToolWindow::kPointInputPanel);
        Run(32842);
        EXPECT_EQ(panel.closed, 1);
        EXPECT_EQ(m_panelShown, 1);
    }

    // The add tool takes the mouse, empties the template's name and Z and shows the panel.
    g_editPoint.z = 12.5;
    g_editPoint.name[0] = 'A';
    Run(32843);
    EXPECT_EQ(g_pointInputKind, 1);
    EXPECT_EQ(g_editPoint.z, 0.0);
    EXPECT_EQ(g_editPoint.name[0], 0);
    EXPECT_EQ(m_panelShown, 2);

    // Between two points: snapping off, no panel; the picks are cleared both ways.
    g_pickedPointRecord.flags = 9;
    SetPicks();
    Run(32844);
    EXPECT_EQ(g_pointSnapMode, -1);
    EXPECT_EQ(g_pickedPointRecord.flags, 0);
    EXPECT_TRUE(NoPicks());
    EXPECT_EQ(m_panelShown, 2);
    SetPicks();
    Run(32844);
    EXPECT_TRUE(NoPicks());

    // Offset, four points and parallel take typed values; parallel says how to go on.
    for (int id : {32845, 32846, 32879}) {
        g_pointInputKind = 1;
        Run(id);
        EXPECT_EQ(g_pointInputKind, 0) << id;
    }
    EXPECT_EQ(m_panelShown, 5);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "基準線選択後ENTERキーを押してください。");

    // Valid/invalid closes the three point-edit panels.
    Window p1(ToolWindow::kPointEditPanel1), p3(ToolWindow::kPointEditPanel3);
    Run(32847);
    EXPECT_EQ(p1.closed, 1);
    EXPECT_EQ(p3.closed, 1);

    // With Shift it leaves the tool and opens or closes the move/rotate dialog instead.
    std::unique_ptr<Window> moveRotate;
    ToolServices().openMoveRotateDialog = [&] {
        moveRotate = std::make_unique<Window>(ToolWindow::kMoveRotate);
    };
    SetHeadlessKeyDown(key::kShift, true);
    Run(32847);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    ASSERT_TRUE(moveRotate);
    EXPECT_TRUE(IsToolWindowOpen(ToolWindow::kMoveRotate));
    Run(32847);
    EXPECT_EQ(moveRotate->closed, 1);
    EXPECT_EQ(g_toolMode, MODE_NONE);
}

TEST_F(ToolCommands, BatchEditFollowsTheShapeDialog) {
    EXPECT_EQ(m_router.Execute(32914), -1);  // without its dialog the command is not there

    int answer = 0;
    int refreshed = 0;
    ToolServices().runSelectShapeDialog = [&] { return answer; };
    ToolServices().refreshPointToolBar = [&] {
        ++refreshed;
        EXPECT_EQ(g_pointEditState, POINT_EDIT_BATCH);
    };
    Register();
    struct Case {
        int answer;
        int32_t mode, state;
    };
    const Case cases[] = {{1, MODE_POINT_EDIT, 8},
                          {2, MODE_POINT_EDIT, 9},
                          {3, MODE_POINT_EDIT, 10},
                          {0, MODE_NONE, 0},
                          {-1, MODE_NONE, 0}};
    for (const Case& c : cases) {
        InitDataModel();
        answer = c.answer;
        Run(32914);
        EXPECT_EQ(g_toolMode, c.mode) << c.answer;
        EXPECT_EQ(g_pointEditState, c.state) << c.answer;
        if (c.mode != MODE_NONE) {
            SetPicks();
            Run(32914);  // any of the three shapes switches it off
            EXPECT_EQ(g_toolMode, MODE_NONE);
            EXPECT_EQ(g_pickedPoint, 0);
            EXPECT_EQ(g_pickedPoint3, 0);
        }
    }
    EXPECT_EQ(refreshed, 5);
}

TEST_F(ToolCommands, IpToolsSwitchOverAndAskForTheSnapRule) {
    int asked = 0;
    ToolServices().runCoordInputDialog = [&] { ++asked; };
    g_showRoute = 0;
    Run(32808);
    EXPECT_EQ(g_showRoute, -1);
    EXPECT_EQ(asked, 0);  // nothing to snap to
    g_pointCount = 1;
    Run(32809);
    EXPECT_EQ(asked, 1);
    g_pointCount = 0;

    // Insert while delete is active switches to insert; insert again switches it off.
    Run(32810);
    Run(32976);
    EXPECT_EQ(g_toolMode, MODE_IP_POINT);
    EXPECT_EQ(g_toolSubState, IP_POINT_INSERT);
    Run(32976);
    EXPECT_EQ(g_toolMode, MODE_NONE);
}

TEST_F(ToolCommands, OtherToolsEdgeCases) {
    // The sag curve stays on when chosen twice.
    Run(32985);
    Run(32985);
    EXPECT_EQ(g_toolMode, MODE_SAG_CURVE);

    // Area information and slice valid/invalid: the other one switches over.
    Run(32893);
    Run(32901);
    EXPECT_EQ(g_toolMode, MODE_AREA_INFO);
    EXPECT_EQ(g_areaInfoState, AREA_INFO_VALID_INVALID);

    // The simple section runs its settings dialog only without a TIN, first values once.
    std::vector<bool> settings;
    ToolServices().runPointSectionSettingsDialog = [&](bool first) { settings.push_back(first); };
    g_linePickState = 2;
    g_tinEdgeCount = 16;
    Run(32966);
    EXPECT_EQ(g_toolMode, MODE_SIMPLE_SECTION);
    EXPECT_EQ(g_linePickState, 0);
    EXPECT_TRUE(settings.empty());
    Run(32966);
    g_tinEdgeCount = 0;
    Run(32966);
    Run(32966);
    Run(32966);
    EXPECT_EQ(settings, (std::vector<bool>{true, false}));

    // The arbitrary section asks before it drops the IP points: No keeps everything.
    Run(32985);
    g_ipPointCount = 3;
    QueueMessageAnswer(msg::kIdNo);
    Run(32911);
    EXPECT_EQ(g_ipPointCount, 3);
    EXPECT_EQ(g_toolMode, MODE_SAG_CURVE);
    QueueMessageAnswer(msg::kIdYes);
    m_repaintMasks.clear();
    Run(32911);
    EXPECT_EQ(g_ipPointCount, 0);
    EXPECT_EQ(g_toolMode, MODE_ARBITRARY_SECTION);
    EXPECT_EQ(m_repaintMasks, std::vector<int32_t>{-1});

    // The mesh elevation edit repaints both ways and forgets the dragged vertex.
    g_draggedMeshVertex = 4;
    m_repaintMasks.clear();
    Run(32878);
    EXPECT_EQ(g_draggedMeshVertex, 0);
    Run(32878);
    EXPECT_EQ(m_repaintMasks.size(), 2u);

    // The text-flag tool opens its dialog and closes it when switched off.
    std::unique_ptr<Window> textFlag;
    ToolServices().openTextFlagDialog = [&] {
        textFlag = std::make_unique<Window>(ToolWindow::kTextFlag);
    };
    Run(32968);
    ASSERT_TRUE(textFlag);
    Run(32968);
    EXPECT_EQ(textFlag->closed, 1);
}

TEST_F(ToolCommands, MeshAreaEditAndVectorCreateNeedTheirDialogs) {
    EXPECT_EQ(m_router.Execute(32903), -1);
    EXPECT_EQ(m_router.Execute(33025), -1);

    int result = 0, initialised = 0;
    std::unique_ptr<Window> vector;
    ToolServices().runMeshRangeDialog = [&] { return result; };
    ToolServices().initMeshAreaPolygon = [&] {
        ++initialised;
        g_meshAreaPolygonCount = 5;
    };
    ToolServices().openVecCreateDialog = [&] {
        vector = std::make_unique<Window>(ToolWindow::kVecCreate);
    };
    Register();

    // Edit with an empty range sets it up; initialise always; delete empties it.
    Run(32903);
    EXPECT_EQ(g_toolMode, MODE_MESH_AREA_EDIT);
    EXPECT_EQ(initialised, 1);
    Run(32903);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    Run(32903);
    EXPECT_EQ(initialised, 1);
    Run(32903);
    result = 1;
    Run(32903);
    EXPECT_EQ(initialised, 2);
    Run(32903);
    result = 2;
    Run(32903);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_meshAreaPolygonCount, 0);

    // The vector tool shows the DXF layer; off closes its dialog; a dialog closed by
    // itself is opened again.
    g_showBackgroundDxf = 0;
    Run(33025);
    EXPECT_EQ(g_toolMode, MODE_VECTOR_CREATE);
    EXPECT_EQ(g_showBackgroundDxf, -1);
    Run(33025);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(vector->closed, 1);
    Run(33025);
    vector.reset();
    Run(33025);
    EXPECT_EQ(g_toolMode, MODE_VECTOR_CREATE);
    EXPECT_TRUE(IsToolWindowOpen(ToolWindow::kVecCreate));
}

TEST_F(ToolCommands, RulesWithSideEffects) {
    // Both tools built: their clicks reach their functions and their windows exist.
    ToolServices().toolClickHandled = [](int32_t, int32_t) { return true; };
    ToolServices().openTextFlagDialog = [] {};
    ToolServices().runPointSectionSettingsDialog = [](bool) {};
    g_pointCount = 4;
    g_pointsPresent = -1;
    Window section(ToolWindow::kSimpleSection);
    Run(32966);
    CommandUpdate u = m_router.Update(32966);
    EXPECT_TRUE(u.enabled);
    EXPECT_EQ(u.check, CheckState::kChecked);
    EXPECT_EQ(section.closed, 0);

    // The sag curve keeps the line pick, and the section window closes.
    Run(32985);
    g_linePickState = 1;
    u = m_router.Update(32966);
    EXPECT_EQ(u.check, CheckState::kUnchecked);
    EXPECT_EQ(section.closed, 1);
    EXPECT_EQ(g_linePickState, 1);
    ResetToolMode();
    m_router.Update(32966);
    EXPECT_EQ(g_linePickState, 0);
    // Fewer than four points: disabled, line pick cleared, window closed.
    Window again(ToolWindow::kSimpleSection);
    Run(32966);
    g_pointCount = 3;
    g_linePickState = 1;
    EXPECT_FALSE(m_router.Update(32966).enabled);
    EXPECT_EQ(g_linePickState, 0);
    EXPECT_EQ(again.closed, 1);

    // The text-flag dialog closes while no TIN exists.
    Window textFlag(ToolWindow::kTextFlag);
    g_tinPresent = -1;
    u = m_router.Update(32968);
    EXPECT_TRUE(u.enabled);
    EXPECT_EQ(u.check, CheckState::kChecked);
    g_tinPresent = 0;
    EXPECT_FALSE(m_router.Update(32968).enabled);
    EXPECT_EQ(textFlag.closed, 1);
}

TEST_F(ToolCommands, DuplicateCheckEndsTheToolAndClosesTheToolWindowsFirst) {
    int32_t modeAtDialog = -1;
    bool listOpenAtDialog = true;
    m_frame->SetHandler(cmd::kDuplicateCheck, [&] {
        OnDuplicateCheck([&](DuplicateCheckValues&) {
            modeAtDialog = g_toolMode;
            listOpenAtDialog = IsToolWindowOpen(ToolWindow::kPointList);
            return false;  // 終了
        });
    });
    Run(32834);
    ASSERT_EQ(g_toolMode, MODE_OUTLINE_EDIT);
    g_dragState = 16;
    Window list(ToolWindow::kPointList);
    Run(cmd::kDuplicateCheck);
    EXPECT_EQ(modeAtDialog, MODE_NONE);
    EXPECT_FALSE(listOpenAtDialog);
    EXPECT_EQ(list.closed, 1);
    EXPECT_EQ(g_outlineEditState, 0);
    EXPECT_EQ(g_dragState, 0);
}

namespace {
// The window each tool opens, as the tool-mode tables give it; the tool is of no use
// without it. The tools whose clicks their window takes reach no row of the view's
// dispatch table.
struct ToolWindowNeed {
    int id;
    bool (*exists)(const ToolCommandServices&);
    bool clicksInWindow;
};
const ToolWindowNeed kToolWindowNeeds[] = {
    {32955, [](const ToolCommandServices& s) { return bool(s.openHoleTypeDialog); }, false},
    {32968, [](const ToolCommandServices& s) { return bool(s.openTextFlagDialog); }, true},
    {33025, [](const ToolCommandServices& s) { return bool(s.openVecCreateDialog); }, true},
    {32914, [](const ToolCommandServices& s) { return bool(s.runSelectShapeDialog); }, true},
    {32903, [](const ToolCommandServices& s) { return bool(s.runMeshRangeDialog); }, true},
    {32966, [](const ToolCommandServices& s) { return bool(s.runPointSectionSettingsDialog); },
     false},
    {32842, [](const ToolCommandServices& s) { return bool(s.showPointInputPanel); }, false},
    {32843, [](const ToolCommandServices& s) { return bool(s.showPointInputPanel); }, false},
    {32845, [](const ToolCommandServices& s) { return bool(s.showPointInputPanel); }, false},
    {32846, [](const ToolCommandServices& s) { return bool(s.showPointInputPanel); }, false},
    {32879, [](const ToolCommandServices& s) { return bool(s.showPointInputPanel); }, false},
    {32808, [](const ToolCommandServices& s) { return bool(s.runCoordInputDialog); }, false},
    {32809, [](const ToolCommandServices& s) { return bool(s.runCoordInputDialog); }, false},
    {32911, [](const ToolCommandServices& s) { return bool(s.runCoordInputDialog); }, false},
    {32861, [](const ToolCommandServices& s) { return bool(s.runPlotterFileDialog); }, false},
};

// Every condition of the enable rules met.
ShellConditions Everything() {
    ShellConditions c;
    c.points = c.tin = c.contours = c.sliceLines = c.sections = true;
    c.meshArea = c.meshElevations = c.image = true;
    c.pointCount = c.outlineVertices = c.ipCount = c.stationCount = 10;
    c.simpleSectionCount = c.dxfCount = 10;
    return c;
}
}  // namespace

// A tool command is offered only when the view's click reaches its function and the window
// it opens exists: every tool command the frame (or the view) enables, chosen, sets a mode
// whose click finds a function in the dispatch table, and its window is there.
TEST(ToolCommandsAsBuilt, EveryEnabledToolReachesItsClickFunctionAndItsWindow) {
    const ShellConditions all = Everything();
    // As the program's frame installs them; then with every window there.
    for (bool windows : {false, true}) {
        SCOPED_TRACE(windows ? "every window" : "as built");
        InitDataModel();
        ToolServices() = ToolCommandServices{};
        ToolServices().focusMainWindow = [] {};
        ToolServices().refreshPointToolBar = [] {};
        if (windows) {
            ToolCommandServices& s = ToolServices();
            s.showPointInputPanel = s.openHoleTypeDialog = s.openTextFlagDialog = [] {};
            s.openVecCreateDialog = s.openMoveRotateDialog = s.runCoordInputDialog = [] {};
            s.initMeshAreaPolygon = [] {};
            s.runSelectShapeDialog = [] { return 1; };
            s.runMeshRangeDialog = [] { return 0; };
            s.runPointSectionSettingsDialog = [](bool) {};
            s.runPlotterFileDialog = [](const PlotterBasePoint&, const PlotterBasePoint&) {};
        }
        FrameCommandTarget frame;
        frame.SetConditionSource([&] { return all; });
        RegisterToolCommands(frame, [&] { return all; });
        CommandHandlerMap view;
        RegisterViewToggles(view, MeshAreaRegisterDialogs{});
        CommandRouter router;
        router.SetTargets(&view, nullptr, &frame, nullptr);

        std::set<int> enabledTools;
        for (int id : CommandIds()) {
            if (!router.Update(id).enabled) continue;
            ResetToolMode();
            g_toolSubState = g_areaInfoState = 0;
            router.Execute(id);
            const int32_t mode = g_toolMode;
            if (mode == MODE_NONE) continue;  // not a tool
            enabledTools.insert(id);
            const ToolWindowNeed* need = nullptr;
            for (const ToolWindowNeed& n : kToolWindowNeeds)
                if (n.id == id) need = &n;
            bool reached = need && need->clicksInWindow;
            for (const ToolClickRoute& r : FindToolClickRoutes(mode, ToolSubState(mode), 0))
                reached = reached || r.run != nullptr;
            EXPECT_TRUE(reached) << id;
            if (need) {
                EXPECT_TRUE(need->exists(ToolServices())) << id;
            }
        }
        // The outline tools are built; the point tools with the panel need it, the
        // valid/invalid and two-point tools do not.
        EXPECT_TRUE(enabledTools.count(32831) && enabledTools.count(32834) &&
                    enabledTools.count(32835));
        EXPECT_EQ(enabledTools.count(32842), windows ? 1u : 0u);
        EXPECT_EQ(enabledTools.count(32846), windows ? 1u : 0u);
        EXPECT_TRUE(enabledTools.count(32847));
        EXPECT_TRUE(enabledTools.count(32844));
        EXPECT_EQ(enabledTools.count(32845), windows ? 1u : 0u);
        EXPECT_EQ(enabledTools.count(32879), windows ? 1u : 0u);
        EXPECT_EQ(enabledTools.count(33025), windows ? 1u : 0u);
    }
    ToolServices() = ToolCommandServices{};
    ResetToolMode();
    InitDataModel();
}

TEST(ModeToolBars, EndTheToolAndSetTheirDisplay) {
    InitDataModel();
    // Without a tool nothing is touched.
    g_outlineEditState = 3;
    EndToolForModeToolBars();
    EXPECT_EQ(g_outlineEditState, 3);
    {
        g_toolMode = MODE_POINT_EDIT;
        Window panel(ToolWindow::kPointInputPanel);
        EndToolForModeToolBars();
        EXPECT_EQ(g_toolMode, MODE_NONE);
        EXPECT_EQ(g_outlineEditState, 0);
        EXPECT_EQ(panel.closed, 1);
    }

    // The terrain bar: TIN (when there is one) and points, no route, sections or mesh.
    struct Flags {
        int32_t tin, points, route, other, ipNames, mesh;
    };
    auto flags = [] {
        return Flags{g_showTin,         g_showPoints,  g_showRoute,
                     g_showOtherRoutes, g_showIpNames, g_showMesh};
    };
    auto setAll = [](int32_t v) {
        g_showTin = g_showPoints = g_showRoute = g_showOtherRoutes = g_showIpNames = g_showMesh = v;
    };
    setAll(0);
    EXPECT_TRUE(ApplyModeToolBarDisplay(3));
    EXPECT_EQ(flags().tin, 0);  // no TIN
    EXPECT_EQ(flags().points, -1);
    g_tinPresent = -1;
    setAll(-1);
    ApplyModeToolBarDisplay(3);
    const Flags terrain = flags();
    EXPECT_EQ(terrain.tin, -1);
    EXPECT_EQ(terrain.route, 0);
    EXPECT_EQ(terrain.other, 0);
    EXPECT_EQ(terrain.ipNames, 0);
    EXPECT_EQ(terrain.mesh, 0);

    // The cross-section bar: the route when there is one, no points.
    setAll(-1);
    g_showRoute = 0;
    g_stationCount = 2;
    EXPECT_TRUE(ApplyModeToolBarDisplay(5));
    const Flags cross = flags();
    EXPECT_EQ(cross.route, -1);
    EXPECT_EQ(cross.points, 0);
    EXPECT_EQ(cross.other, 0);
    EXPECT_EQ(cross.ipNames, 0);

    // Which bars redraw: 8, 4, 2, 1, 3 and 5.
    setAll(7);
    for (int code : {6, 7, 10}) EXPECT_FALSE(ApplyModeToolBarDisplay(code)) << code;
    for (int code : {1, 2, 4, 8}) EXPECT_TRUE(ApplyModeToolBarDisplay(code)) << code;
    EXPECT_EQ(flags().points, 7);  // those bars leave the switches alone
    InitDataModel();
}
