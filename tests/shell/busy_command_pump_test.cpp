// Commands that arrive in the middle of a long operation. The long operations run for real
// on part of a real survey, started through the routing as the menus start them, with a
// hook in their polling that fires every command of the table and every recent-file entry
// through the same routing. Nothing that reads or changes the data may run then: each
// operation ends exactly as it ends alone, the file on disk is untouched, and (under the
// sanitizers) no freed or resized array is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "../support/long_operations.h"
#include "contour/contour_dialog.h"
#include "model/auto_outline.h"
#include "model/document.h"
#include "model/duplicate_points.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_calc_command.h"
#include "platform/busy.h"
#include "platform/folders.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/command_routing.h"
#include "shell/command_table.h"
#include "shell/tool_commands.h"
#include "shell/work_files.h"
#include "view/view_navigation.h"
#include "view/view_toggles.h"

namespace fs = std::filesystem;

namespace {
using long_ops::kPlantedDuplicates;
using long_ops::kSurveyPoints;
constexpr int kSmallSurvey = 20;

// Every command of the table and every entry of the recent-file list.
std::vector<int> FiredCommands() {
    std::vector<int> ids = CommandIds();
    for (int i = 1; i < cmd::kRecentFileCount; ++i) ids.push_back(cmd::kFileRecent + i);
    return ids;
}

class BusyCommandPump : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("busy-pump-" + std::to_string(::getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "program");
        fs::create_directories(m_root / "config");
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        m_keptProgramFolder = ProgramFolder();
        SetProgramFolder(m_root / "program");  // no start-up data set
        InitDataModel();
        SetWorkFilePaths();
        ClearRecordedMessages();
        m_survey = m_root / "survey.RND";
        ASSERT_TRUE(WriteFileBytes(m_survey, long_ops::SurveyWithDuplicates()));
        ASSERT_TRUE(ReadFileBytes(m_survey, m_surveyBytes));
        // The recent file: a smaller part of the survey, so that opening it in the middle
        // of an operation would pull the arrays from under it.
        m_recent = m_root / "small.RND";
        ASSERT_TRUE(WriteFileBytes(m_recent, m_surveyBytes.substr(0, 5 * 22 + kSmallSurvey * 63)));

        // The commands as the program registers them, with the dialogs answered.
        RegisterViewToggles(m_view, MeshAreaRegisterDialogs{});
        m_view.SetHandler(32790, OnZoomIn);
        m_view.SetHandler(32779, OnZoomOut);
        m_view.SetHandler(32800, OnShowAll);
        m_view.SetHandler(32776, OnPreviousScreen);
        CPelmo_3DDoc::Hooks hooks;
        hooks.addRecentFile = [this](const std::string& p) { m_recentAdded.push_back(p); };
        m_doc.SetHooks(hooks);
        RegisterToolCommands(m_frame);
        m_frame.SetHandler(cmd::kDuplicateCheck, [] {
            OnDuplicateCheck([](DuplicateCheckValues& values) {
                values.keepRule = kKeepHighest;
                return true;
            });
        });
        m_frame.SetHandler(cmd::kAutoOutline, [] {
            OnAutoOutline([] {
                AutoOutlineDialogValues values;
                OpenAutoOutlineDialog(values);
                RunAutoOutline(values);
                CloseAutoOutlineDialog();
            });
        });
        m_frame.SetHandler(cmd::kTinCalc, OnTinCalc);
        m_frame.SetHandler(cmd::kContour, OnContourCommand);
        // The contour dialog, opened and started at once.
        SetContourDialogOpener([] {
            ProposeContourParameters();
            StartContourCalculation();
        });
        m_app.SetHandler(cmd::kFileNew, [this] {
            if (m_doc.SaveModified()) m_doc.NewDocument();
        });
        m_app.SetHandler(cmd::kFileRecent, [this] {
            if (m_doc.SaveModified()) m_doc.OpenDocument(m_recent.string());
        });
        m_router.SetTargets(&m_view, &m_doc, &m_frame, &m_app);

        // A second routing whose every command only records that it ran.
        for (int id : FiredCommands()) m_spy.SetHandler(id, [this, id] { m_spyRan.insert(id); });
        m_spyRouter.SetTargets(&m_spy, nullptr, nullptr, nullptr);
    }

    void TearDown() override {
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
        SetContourDialogOpener(nullptr);
        SetProgramFolder(m_keptProgramFolder);
        InitDataModel();
        RemoveTempFolder();
        fs::remove_all(m_root);
    }

    // Every poll of a long operation fires the whole set now and then (the first polls,
    // then every 64th).
    void StartPump() {
        m_busyPolls = 0;
        SetLongLoopPollInterval(0);
        SetHeadlessPumpCallback([this] {
            if (!IsBusy()) return;
            ++m_busyPolls;
            if (m_busyPolls > 3 && m_busyPolls % 64 != 0) return;
            for (int id : FiredCommands()) {
                m_router.Execute(id);
                m_spyRouter.Execute(id);
                const MenuEntry* entry = FindCommand(id);
                if (m_router.Update(id).enabled && !(entry && entry->runsWhileBusy))
                    m_enabledWhileBusy.insert(id);
            }
        });
    }
    void StopPump() {
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
    }

    struct Step {
        const char* name;
        std::function<void(CommandRouter&)> run;
        std::function<std::string()> result;
    };
    // The survey opened, its duplicates removed, the outline traced, the TIN built and the
    // contours drawn: each long operation started as its menu command starts it.
    std::vector<Step> Steps() const {
        return {
            {"重複点チェック", [](CommandRouter& r) { r.Execute(cmd::kDuplicateCheck); },
             long_ops::Points},
            {"自動外周", [](CommandRouter& r) { r.Execute(cmd::kAutoOutline); }, long_ops::Outline},
            {"三角網計算", [](CommandRouter& r) { r.Execute(cmd::kTinCalc); }, long_ops::Tin},
            {"等高線", [](CommandRouter& r) { r.Execute(cmd::kContour); }, long_ops::Contours},
        };
    }
    void OpenSurvey() {
        InitDataModel();
        std::error_code ec;
        fs::remove(g_contourLinesPath, ec);
        g_drawingContoursLoaded = 0;
        ASSERT_TRUE(m_doc.OpenDocument(m_survey.string()));
        ASSERT_EQ(g_pointCount, kSurveyPoints + kPlantedDuplicates);
    }

    fs::path m_root;
    fs::path m_keptProgramFolder;
    fs::path m_survey;
    fs::path m_recent;
    std::string m_surveyBytes;
    CommandHandlerMap m_view;
    CPelmo_3DDoc m_doc;
    FrameCommandTarget m_frame;
    CommandHandlerMap m_app;
    CommandRouter m_router;
    CommandHandlerMap m_spy;
    CommandRouter m_spyRouter;
    std::set<int> m_spyRan;
    std::set<int> m_enabledWhileBusy;
    std::vector<std::string> m_recentAdded;
    int m_busyPolls = 0;
};
}  // namespace

TEST_F(BusyCommandPump, NoCommandThatTouchesTheDataRunsInsideALongOperation) {
    // Each operation alone.
    OpenSurvey();
    std::vector<std::string> alone;
    for (const Step& step : Steps()) {
        step.run(m_router);
        alone.push_back(step.result());
    }
    ASSERT_LT(g_pointCount, kSurveyPoints + kPlantedDuplicates);  // duplicates went
    ASSERT_TRUE(g_outline.IsClosed());
    ASSERT_GT(g_tinEdgeCount, 3 * kSurveyPoints / 2);
    ASSERT_NE(g_drawingContoursLoaded, 0);

    // The same with every command fired in the middle of each.
    OpenSurvey();
    m_recentAdded.clear();
    const std::string title = m_doc.PlainTitle();
    std::set<int> allowed;
    for (int id : FiredCommands())
        if (const MenuEntry* e = FindCommand(id); e && e->runsWhileBusy) allowed.insert(id);
    const std::vector<Step> steps = Steps();
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(steps[i].name);
        m_spyRan.clear();
        m_enabledWhileBusy.clear();
        StartPump();
        steps[i].run(m_router);
        StopPump();
        EXPECT_GT(m_busyPolls, 3);
        EXPECT_FALSE(IsBusy());
        EXPECT_EQ(steps[i].result(), alone[i]);
        EXPECT_EQ(m_spyRan, allowed);
        EXPECT_TRUE(m_enabledWhileBusy.empty());
    }
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(m_survey, bytes));
    EXPECT_TRUE(bytes == m_surveyBytes);  // 上書き保存 wrote nothing
    EXPECT_TRUE(m_recentAdded.empty());
    EXPECT_EQ(m_doc.PlainTitle(), title);

    // Once the operations are over the same routing acts again.
    QueueMessageAnswer(msg::kIdNo);  // the changes are not saved
    m_router.Execute(cmd::kFileRecent);
    EXPECT_EQ(g_pointCount, kSmallSurvey);
}
