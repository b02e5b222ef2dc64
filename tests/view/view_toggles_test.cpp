// The view's display switches, point-colour modes and the mesh-area registration start,
// driven through the command routing as the menus drive them.
#include "view/view_toggles.h"

#include <gtest/gtest.h>

#include "model/terrain_data.h"
#include "route/route_data.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
class ViewToggles : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_showTin = 0;
        g_pointColorMode = 0;
        g_redrawMask = 0;
        RegisterViewToggles(m_view, m_dialogs);
        m_router.SetTargets(&m_view, nullptr, nullptr, nullptr);
        SetViewRepaintHandler([this] {
            m_repaintMasks.push_back(g_redrawMask);
            g_redrawMask = 0;
        });
    }
    void TearDown() override {
        SetViewRepaintHandler(nullptr);
        InitDataModel();
    }

    void Run(int id) { EXPECT_EQ(m_router.Execute(id), 0) << id; }
    CommandUpdate Update(int id) { return m_router.Update(id); }

    CommandHandlerMap m_view;
    CommandRouter m_router;
    MeshAreaRegisterDialogs m_dialogs;
    std::vector<int32_t> m_repaintMasks;
};
}  // namespace

TEST_F(ViewToggles, EachSwitchFlipsItsFlagAndRepaintsFully) {
    struct Case {
        int id;
        int32_t* flag;
        int32_t on;  // the value "on" stores
    };
    const Case cases[] = {
        {32771, &g_showTin, -1},
        {32785, &g_showIpNames, -1},
        {32798, &g_showSections, -1},
        {32876, &g_showMesh, -1},
        {32783, &g_showMeshElevations, -1},
        {32784, &g_showMeshVolumes, -1},
        {32824, &g_showRoute, -1},
        {33004, &g_depthOrderPoints, 1},
    };
    for (const Case& c : cases) {
        *c.flag = 0;
        m_repaintMasks.clear();
        Run(c.id);
        EXPECT_EQ(*c.flag, c.on) << c.id;
        Run(c.id);
        EXPECT_EQ(*c.flag, 0) << c.id;
        EXPECT_EQ(m_repaintMasks, (std::vector<int32_t>{-1, -1})) << c.id;
    }
    // Any nonzero value counts as on.
    g_showTin = 1;
    Run(32771);
    EXPECT_EQ(g_showTin, 0);
}

TEST_F(ViewToggles, RouteSwitchTakesTheOtherRoutesAlong) {
    g_showRoute = -1;
    g_showOtherRoutes = 1;
    Run(32824);
    EXPECT_EQ(g_showRoute, 0);
    EXPECT_EQ(g_showOtherRoutes, 0);
    g_showOtherRoutes = 0;
    Run(32824);
    EXPECT_EQ(g_showRoute, -1);
    EXPECT_EQ(g_showOtherRoutes, -1);
}

TEST_F(ViewToggles, PointColourModes) {
    // At start colours come from the names.
    EXPECT_EQ(g_pointColorPrefix, '#');
    EXPECT_EQ(Update(33002).check, CheckState::kChecked);
    EXPECT_EQ(Update(33003).check, CheckState::kUnchecked);

    Run(33002);  // off
    EXPECT_EQ(g_pointColorPrefix, 27);
    EXPECT_EQ(Update(33002).check, CheckState::kUnchecked);
    Run(33002);  // on again
    EXPECT_EQ(g_pointColorPrefix, '#');
    EXPECT_EQ(g_pointColorMode, 0);

    // The intensity display replaces the name colours, and the name colours it directly.
    Run(33003);
    EXPECT_EQ(g_pointColorPrefix, '#');
    EXPECT_EQ(g_pointColorMode, 1);
    EXPECT_EQ(Update(33002).check, CheckState::kUnchecked);
    EXPECT_EQ(Update(33003).check, CheckState::kChecked);
    Run(33002);
    EXPECT_EQ(g_pointColorPrefix, '#');
    EXPECT_EQ(g_pointColorMode, 0);
    Run(33003);
    Run(33003);  // the intensity display off
    EXPECT_EQ(g_pointColorPrefix, 27);
    EXPECT_EQ(g_pointColorMode, 1);
    EXPECT_EQ(Update(33003).check, CheckState::kUnchecked);
    Run(33003);  // on from off
    EXPECT_EQ(g_pointColorPrefix, '#');
    EXPECT_EQ(m_repaintMasks, std::vector<int32_t>(7, -1));
}

TEST_F(ViewToggles, MenuRulesFollowTheData) {
    // Without a TIN the TIN switch is disabled with the indeterminate mark.
    g_showTin = -1;
    CommandUpdate u = Update(32771);
    EXPECT_FALSE(u.enabled);
    EXPECT_EQ(u.check, CheckState::kIndeterminate);
    g_tinPresent = -1;
    u = Update(32771);
    EXPECT_TRUE(u.enabled);
    EXPECT_EQ(u.check, CheckState::kChecked);
    g_showTin = 0;
    EXPECT_EQ(Update(32771).check, CheckState::kUnchecked);

    // Route names and route: IP points, stations or other-route stations.
    for (int id : {32785, 32824}) {
        EXPECT_FALSE(Update(id).enabled) << id;
        for (int32_t* count : {&g_ipPointCount, &g_stationCount, &g_otherRouteStationCount}) {
            *count = 1;
            EXPECT_TRUE(Update(id).enabled) << id;
            *count = 0;
        }
    }

    // Sections need sections and the bird's-eye view: none in the plan.
    g_birdsEyeOn = 0;
    EXPECT_FALSE(Update(32798).enabled);

    EXPECT_FALSE(Update(32876).enabled);
    g_meshAreaDefined = 1;
    EXPECT_TRUE(Update(32876).enabled);
    EXPECT_FALSE(Update(32783).enabled);
    g_meshElevationsDone = 1;
    EXPECT_TRUE(Update(32783).enabled);

    // The mesh volume switch: once the volumes are computed.
    g_showMeshVolumes = -1;
    u = Update(32784);
    EXPECT_FALSE(u.enabled);
    g_meshVolumeDone = 1;
    u = Update(32784);
    EXPECT_TRUE(u.enabled);
    EXPECT_EQ(u.check, CheckState::kChecked);

    // Point order correction: the bird's-eye view only.
    EXPECT_FALSE(Update(33004).enabled);
    g_birdsEyeOn = 1;
    EXPECT_TRUE(Update(33004).enabled);
    // The colour modes are always there.
    g_birdsEyeOn = 0;
    EXPECT_TRUE(Update(33002).enabled);
    EXPECT_TRUE(Update(33003).enabled);
}

TEST_F(ViewToggles, MeshAreaRegistration) {
    // Without a mesh area: the mouse registration starts at once and shows the mesh.
    g_dragState = 16;
    g_showMesh = 0;
    Run(32869);
    EXPECT_EQ(g_toolMode, MODE_MESH_AREA_REGISTER);
    EXPECT_EQ(g_toolSubState, 256);
    EXPECT_EQ(g_dragState, 0);
    EXPECT_EQ(g_showMesh, -1);
    // Chosen again during the registration it cancels it without any dialog.
    int asked = 0;
    m_dialogs.askRegister = [&] {
        ++asked;
        return MeshRegisterChoice::kNewRegistration;
    };
    RegisterViewToggles(m_view, m_dialogs);
    g_meshAreaDefined = 1;
    Run(32869);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_toolSubState, 0);
    EXPECT_EQ(asked, 0);

    // With a mesh area the question decides: a new registration, or the area dialog.
    g_showMesh = 0;
    Run(32869);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(g_toolMode, MODE_MESH_AREA_REGISTER);
    EXPECT_EQ(g_toolSubState, 256);
    EXPECT_EQ(g_showMesh, 0);
    Run(32869);

    int edited = 0;
    for (MeshRegisterChoice choice : {MeshRegisterChoice::kEdit, MeshRegisterChoice::kClosed}) {
        m_dialogs.askRegister = [choice] { return choice; };
        m_dialogs.editArea = [&] { ++edited; };
        RegisterViewToggles(m_view, m_dialogs);
        Run(32869);
        EXPECT_EQ(g_toolMode, MODE_NONE);
    }
    EXPECT_EQ(edited, 2);
}
