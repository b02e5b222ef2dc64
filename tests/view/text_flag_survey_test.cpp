// Text flags on a real survey: three flags snapped onto grid nodes of the Jacksboro DEM,
// saved, and found on the same nodes once the document is opened again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "model/document.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/text_flag_tool.h"
#include "view/text_flags.h"
#include "view/view_input.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

namespace {
constexpr int32_t kGridColumns = 403;

void PlanViewOn(const RandomPoint& centre) {
    g_birdsEyeOn = 0;
    g_bufferMaxX = 800;
    g_bufferMaxY = 600;
    g_viewportCenterX = 400;
    g_viewportCenterY = 300;
    g_viewCenterX = centre.x;
    g_viewCenterY = centre.y;
    g_viewScale = 0.2;  // about 15 pixels between nodes
    ProjectAllData(0);
}

TEST(TextFlagSurvey, FlagsClickedOntoGridNodesComeBackOnTheNodes) {
    const fs::path source = fs::absolute("data/jacksboro/jacksboro_grid.RND");
    ASSERT_TRUE(fs::exists(source)) << source;
    const fs::path dir = fs::temp_directory_path() / ("flag_survey_" + std::to_string(::getpid()));
    fs::create_directories(dir / "program");
    const fs::path keptProgram = ProgramFolder();
    SetProgramFolder(dir / "program");
    const fs::path survey = dir / "jacksboro_grid.RND";
    fs::create_symlink(source, survey);
    InitDataModel();
    ClearRecordedMessages();

    const int32_t nodes[3] = {60000, 60001, 60000 + kGridColumns};
    {
        CPelmo_3DDoc doc;
        ASSERT_TRUE(doc.OpenDocument(survey.string()));
        ASSERT_EQ(g_pointCount, 138632);
        PlanViewOn(g_points[nodes[0]]);
        auto dlg = std::make_unique<CTextFlagDlg>();
        dlg->OnMode(CTextFlagDlg::kAdd);
        for (int32_t i : nodes) {
            // A click a few pixels off the node, Shift snapping it on.
            const int32_t x = g_viewportCenterX + g_points[i].screenX + 3;
            const int32_t y = g_viewportCenterY - g_points[i].screenY - 2;
            OnViewLButtonDown(kMouseFlagLeft | kMouseFlagShift, x, y, false);
            OnViewLButtonUp(kMouseFlagShift, x, y, false);
            dlg->Fields().text = "G" + std::to_string(i);
            dlg->OnRegister();
            ProjectAllData(0);
        }
        ASSERT_EQ(g_textFlagCount, 3);
        QueueFileDialogAnswer((dir / "jacksboro_grid.TFG").string());
        ASSERT_TRUE(dlg->OnSave());
        EXPECT_FALSE(dlg->Modified());
        dlg.reset();
    }

    InitDataModel();
    EXPECT_EQ(g_textFlagCount, 0);
    {
        CPelmo_3DDoc doc;
        ASSERT_TRUE(doc.OpenDocument(survey.string()));
        ASSERT_EQ(g_textFlagCount, 3);
        PlanViewOn(g_points[nodes[0]]);
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(k);
            const TextFlag& f = g_textFlags[k + 1];
            const RandomPoint& p = g_points[nodes[k]];
            EXPECT_EQ(std::string(f.text), "G" + std::to_string(nodes[k]));
            EXPECT_NEAR(f.x, p.x, 0.0005);
            EXPECT_NEAR(f.y, p.y, 0.0005);
            EXPECT_NEAR(f.z, p.z, 0.0005);
            EXPECT_EQ(f.offScreen, 0);
            EXPECT_LE(std::abs(f.screenX - p.screenX), 1);
            EXPECT_LE(std::abs(f.screenY - p.screenY), 1);
        }
    }
    EXPECT_TRUE(RecordedMessages().empty());
    ReleaseDataModel();
    SetProgramFolder(keptProgram);
    fs::remove_all(dir);
}
}  // namespace
