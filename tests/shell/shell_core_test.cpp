// Routing, the busy test, tool windows, the exaggeration steps, and the shell's files.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "model/geodesy.h"
#include "model/terrain_data.h"
#include "platform/busy.h"
#include "platform/folders.h"
#include "platform/text_io.h"
#include "platform/window_registry.h"
#include "route/route_data.h"
#include "shell/command_routing.h"
#include "shell/frame_lifecycle.h"
#include "shell/height_scale.h"
#include "shell/settings_file.h"
#include "shell/shell_conditions.h"
#include "shell/sibling_programs.h"
#include "shell/status_bar.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/work_files.h"
#include "shell/work_folder.h"
#include "view/cursor_state.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_data.h"

namespace fs = std::filesystem;

namespace {
// Each test gets its own configuration and runtime folders.
class ShellFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("shell-test-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "config");
        fs::create_directories(m_root / "run");
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (m_root / "run").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(m_root); }

    static std::string FileBytes(const fs::path& p) {
        std::string bytes;
        ReadFileBytes(p, bytes);
        return bytes;
    }
    fs::path m_root;
};

// Receives messages for a window class on a thread, recording them in order.
class FakeSibling {
public:
    FakeSibling(const std::string& className, std::vector<std::string>& log, std::mutex& mutex,
                bool answers = true)
        : m_class(className) {
        EXPECT_TRUE(m_listener.Listen(className));
        if (!answers) return;  // listens but never reads: a hung program
        m_thread = std::thread([this, &log, &mutex] {
            while (!m_stop)
                m_listener.Receive(
                    [&](const WindowMessage& m) {
                        std::lock_guard lock(mutex);
                        log.push_back(m_class + ":" + std::to_string(m.message) + ":" +
                                      std::to_string(m.wParam));
                        return 1;
                    },
                    20);
        });
    }
    ~FakeSibling() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }

private:
    std::string m_class;
    WindowClassListener m_listener;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
}  // namespace

TEST(CommandRouting, OffersViewDocumentFrameApplicationInThisOrder) {
    std::vector<std::string> log;
    CommandHandlerMap view, document, frame, application;
    auto record = [&](const char* who) { return [&log, who] { log.push_back(who); }; };
    view.SetHandler(1, record("view"));
    document.SetHandler(1, record("document"));
    document.SetHandler(2, record("document"));
    frame.SetHandler(2, record("frame"));
    frame.SetHandler(3, record("frame"));
    application.SetHandler(3, record("application"));
    application.SetHandler(4, record("application"));
    CommandRouter router;
    router.SetTargets(&view, &document, &frame, &application);

    EXPECT_EQ(router.Execute(1), 0);
    EXPECT_EQ(router.Execute(2), 1);
    EXPECT_EQ(router.Execute(3), 2);
    EXPECT_EQ(router.Execute(4), 3);
    EXPECT_EQ(router.Execute(5), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"view", "document", "frame", "application"}));

    // Update rules are found the same way; without one an item is enabled exactly when
    // a handler exists somewhere.
    document.SetUpdateRule(3, [](CommandUpdate& u) {
        u.enabled = false;
        u.check = CheckState::kChecked;
    });
    frame.SetUpdateRule(3, [](CommandUpdate& u) { u.enabled = true; });
    EXPECT_FALSE(router.Update(3).enabled);
    EXPECT_EQ(router.Update(3).check, CheckState::kChecked);
    EXPECT_TRUE(router.Update(4).enabled);
    EXPECT_FALSE(router.Update(5).enabled);

    // Absent targets are passed over.
    router.SetTargets(nullptr, nullptr, &frame, nullptr);
    EXPECT_EQ(router.Execute(2), 2);
    EXPECT_FALSE(router.Update(1).enabled);
}

TEST(CommandRouting, FrameCommandsWithoutHandlersShowDisabled) {
    InitDataModel();
    FrameCommandTarget frame;
    ShellConditions c;
    c.points = true;
    frame.SetConditionSource([&] { return c; });
    CommandRouter router;
    router.SetTargets(nullptr, nullptr, &frame, nullptr);
    EXPECT_FALSE(router.Update(32836).enabled);  // TIN calculation, not built
    frame.SetHandler(32836, [] {});
    EXPECT_TRUE(router.Update(32836).enabled);
    c.points = false;
    EXPECT_FALSE(router.Update(32836).enabled);
}

TEST(CommandRouting, ConditionsComeFromTheProgramsData) {
    InitDataModel();
    EXPECT_FALSE(CurrentShellConditions().points);
    g_pointsPresent = -1;
    g_pointCount = 5;
    g_tinPresent = -1;
    g_ipPointCount = 2;
    g_stationCount = 3;
    g_meshAreaDefined = -1;
    g_birdsEyeOn = 1;
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_OFFSET;
    const ShellConditions c = CurrentShellConditions();
    EXPECT_TRUE(c.points && c.tin && c.meshArea && c.birdsEyeOn);
    EXPECT_EQ(c.pointCount, 5);
    EXPECT_EQ(c.ipCount, 2);
    EXPECT_EQ(c.stationCount, 3);
    EXPECT_EQ(c.toolMode, MODE_POINT_EDIT);
    EXPECT_EQ(c.pointEditState, POINT_EDIT_OFFSET);
    EXPECT_EQ(EvaluateFrameRule(32845, c).check, CheckState::kChecked);
    g_ipPointCount = 0;
    g_stationCount = 0;
    g_meshAreaDefined = 0;
    g_birdsEyeOn = 0;
    ResetToolMode();
    InitDataModel();
}

TEST(CommandRouting, BusyTestMakesHandlersReturn) {
    FrameCommandTarget frame;
    int settings = 0, folder = 0, application = 0;
    frame.SetHandler(32830, [&] { ++settings; });  // パラメータ設定 carries the busy test
    frame.SetHandler(32868, [&] { ++folder; });    // 作業フォルダ指定 does not
    CommandHandlerMap app;
    app.SetHandler(32830, [&] { ++application; });
    CommandRouter router;
    router.SetTargets(nullptr, nullptr, &frame, &app);

    SetBusy(true);
    EXPECT_EQ(router.Execute(32830), 2);  // taken by the frame, which returned at once
    EXPECT_EQ(router.Execute(32868), 2);
    SetBusy(false);
    EXPECT_EQ(settings, 0);
    EXPECT_EQ(folder, 1);
    EXPECT_EQ(application, 0);
    router.Execute(32830);
    EXPECT_EQ(settings, 1);
}

TEST(Busy, WorkWaitsForTheEndOfALongOperation) {
    std::vector<std::string> ran;
    RunWhenIdle("a", [&] { ran.push_back("now"); });
    EXPECT_EQ(ran, std::vector<std::string>{"now"});

    SetBusy(true);
    RunWhenIdle("reminder", [&] { ran.push_back("reminder 1"); });
    RunWhenIdle("host", [&] { ran.push_back("host"); });
    RunWhenIdle("reminder", [&] { ran.push_back("reminder 2"); });  // one tick is enough
    EXPECT_EQ(ran.size(), 1u);
    SetBusy(false);
    EXPECT_EQ(ran, (std::vector<std::string>{"now", "reminder 2", "host"}));

    // A task that starts another long operation leaves the rest waiting for its end.
    ran.clear();
    SetBusy(true);
    RunWhenIdle("first", [&] {
        ran.push_back("first");
        SetBusy(true);
    });
    RunWhenIdle("second", [&] { ran.push_back("second"); });
    SetBusy(false);
    EXPECT_EQ(ran, std::vector<std::string>{"first"});
    SetBusy(false);
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second"}));
}

namespace {
class FakeToolWindow : public ToolWindowHandle {
public:
    FakeToolWindow(ToolWindow slot, std::vector<ToolWindow>& log, bool clearsOwnSlot)
        : m_slot(slot), m_log(log), m_clearsOwnSlot(clearsOwnSlot) {}
    void CloseToolWindow() override {
        m_log.push_back(m_slot);
        if (m_clearsOwnSlot) ClearToolWindow(m_slot, this);
    }

private:
    ToolWindow m_slot;
    std::vector<ToolWindow>& m_log;
    bool m_clearsOwnSlot;
};
}  // namespace

TEST(ToolWindows, CloseToolWindowsClosesInItsOrder) {
    using W = ToolWindow;
    const std::vector<W> expected = {W::kPointEditPanel1, W::kPointEditPanel2, W::kPointEditPanel3,
                                     W::kContourCalc,     W::kSetting,         W::kImport,
                                     W::kPointList,       W::kDxfOutput,       W::kSimaOut,
                                     W::kVolume,          W::kSunmapOut,       W::kColor,
                                     W::kSection,         W::kLongSection,     W::kColorBand,
                                     W::kMoveRotate,      W::kHoleType,        W::kVecCreate};
    const std::set<W> selfClearing = {W::kColorBand, W::kMoveRotate, W::kHoleType, W::kVecCreate};

    std::vector<W> log;
    CloseToolWindows();  // nothing open: nothing happens
    EXPECT_TRUE(log.empty());

    std::vector<std::unique_ptr<FakeToolWindow>> windows;
    for (size_t i = 0; i < kToolWindowCount; ++i) {
        const W slot = static_cast<W>(i);
        windows.push_back(
            std::make_unique<FakeToolWindow>(slot, log, selfClearing.count(slot) != 0));
        SetToolWindow(slot, windows.back().get());
    }
    CloseToolWindows();
    EXPECT_EQ(log, expected);
    for (W slot : expected) EXPECT_FALSE(IsToolWindowOpen(slot)) << static_cast<int>(slot);
    // Windows that are not on the list stay open.
    EXPECT_TRUE(IsToolWindowOpen(W::kIpList));
    EXPECT_TRUE(IsToolWindowOpen(W::kTinVolume));
    for (size_t i = 0; i < kToolWindowCount; ++i) ClearToolWindow(static_cast<W>(i));
}

TEST(HeightScale, TypedValuesAndWheelSteps) {
    struct Typed {
        const char* text;
        double want;
    };
    for (const Typed& t :
         {Typed{"75", 50.0}, {"0", 0.1}, {"abc", 0.1}, {"", 0.1}, {"3", 3.0}, {"50", 50.0}})
        EXPECT_DOUBLE_EQ(HeightScaleFromText(t.text), t.want) << t.text;

    struct Step {
        double from;
        int delta;
        double want;
    };
    const Step steps[] = {{1.9, 120, 2.0},  {2.0, 120, 2.3}, {9.8, 120, 10.3}, {10.0, 120, 11.0},
                          {0.1, -120, 0.1}, {5.0, 120, 5.5}, {4.9, 120, 5.2},  {50.0, 120, 50.0},
                          {2.0, -120, 1.7}, {3.0, 0, 3.0}};
    for (const Step& s : steps)
        EXPECT_DOUBLE_EQ(StepHeightScale(s.from, s.delta), s.want) << s.from;

    // Repeated steps do not drift: twenty steps up from 0.1 land on what the box shows.
    double v = 0.1;
    for (int i = 0; i < 19; ++i) v = StepHeightScale(v, 120);
    EXPECT_DOUBLE_EQ(v, 2.0);
    EXPECT_DOUBLE_EQ(StepHeightScale(v, 120), 2.3);
    EXPECT_EQ(FormatHeightScale(1.0), "1.0");
}

TEST_F(ShellFiles, WorkFolderFileRules) {
    EXPECT_EQ(WorkFolderFilePath(), m_root / "config" / "ovk" / "ovk_menu.fol");
    EXPECT_EQ(ReadWorkFolderFile(), "");  // no file: empty

    struct Case {
        const char* content;
        const char* want;
    };
    const Case cases[] = {
        {"/data/site/\r\n", "/data/site/"},  // trailing separator: that folder
        {"/data/site\r\n", "/data/"},        // none: its parent
        {"/data/site/\n", "/data/site/"},    // LF only
        {"/\r\n", "/"},
        {"site\r\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileBytes(WorkFolderFilePath(), c.content));
        EXPECT_EQ(ReadWorkFolderFile(), c.want) << c.content;
    }
    // A long line is read whole.
    const std::string deep = "/" + std::string(1500, 'd') + "/";
    ASSERT_TRUE(WriteFileBytes(WorkFolderFilePath(), deep + "\r\n"));
    EXPECT_EQ(ReadWorkFolderFile(), deep);

    // Choosing a folder stores it with one trailing separator, in both globals and the file.
    EXPECT_TRUE(SetWorkFolder("/data/new"));
    EXPECT_EQ(g_workFolder, "/data/new/");
    EXPECT_EQ(g_lastFolder, "/data/new/");
    EXPECT_EQ(FileBytes(WorkFolderFilePath()), "/data/new/\r\n");
    EXPECT_TRUE(SetWorkFolder("/"));
    EXPECT_EQ(FileBytes(WorkFolderFilePath()), "/\r\n");
    EXPECT_EQ(ReadWorkFolderFile(), "/");

    // A file that cannot be written is reported; the folder is still taken.
    fs::remove(WorkFolderFilePath());
    fs::create_directory(WorkFolderFilePath());
    EXPECT_FALSE(SetWorkFolder("/data/other/"));
    EXPECT_EQ(g_workFolder, "/data/other/");
}

TEST_F(ShellFiles, SettingsFileRules) {
    SetDefaultSettingsPaths();
    const std::string defaultBackup =
        (m_root / "config" / "nostrel-voda" / "Quarvel_backup.$BK").string();
    EXPECT_EQ(g_backupFilePath, defaultBackup);
    EXPECT_EQ(g_settingsFilePath, (m_root / "config" / "nostrel-voda" / "Quarvel_para").string());

    struct Case {
        const char* content;
        int on, minutes;
        std::string backup;
    };
    const Case cases[] = {
        {"1\r\n30\r\n/b/x.$BK\r\n", 1, 30, "/b/x.$BK"},
        {"0\n0\n\n", 0, 60, defaultBackup},  // interval 0 and an empty path keep the defaults
        {"1\n-5\n", 1, 60, defaultBackup},   // negative interval, missing path
        {"7\n", 7, 60, defaultBackup},
        {"x\r\n15\r\n/y.$BK", 0, 15, "/y.$BK"},  // no number reads 0; last line without an end
    };
    for (const Case& c : cases) {
        g_backupReminder[0] = 0;
        g_backupReminder[1] = 60;
        g_backupFilePath = defaultBackup;
        ASSERT_TRUE(WriteFileBytes(g_settingsFilePath, c.content));
        EXPECT_EQ(ReadSettingsFile(), -1) << c.content;
        EXPECT_EQ(g_backupReminder[0], c.on) << c.content;
        EXPECT_EQ(g_backupReminder[1], c.minutes) << c.content;
        EXPECT_EQ(g_backupFilePath, c.backup) << c.content;
    }
    fs::remove(g_settingsFilePath);
    EXPECT_EQ(ReadSettingsFile(), 0);

    g_backupReminder[0] = 1;
    g_backupReminder[1] = 12;
    g_backupFilePath = "/work/backup.$BK";
    EXPECT_EQ(WriteSettingsFile(), -1);
    EXPECT_EQ(FileBytes(g_settingsFilePath), "1\r\n12\r\n/work/backup.$BK\r\n");

    EXPECT_EQ(ReminderIntervalMs(5), 300000);
    EXPECT_EQ(ReminderIntervalMs(100000), INT32_MAX);  // minutes x 60000 would overflow
    EXPECT_EQ(ReminderIntervalMs(0), 60000);
}

TEST_F(ShellFiles, FrameStartReadsSettingsAndExitCleansUp) {
    // Reminder on, every 5 minutes.
    SetDefaultSettingsPaths();
    ASSERT_TRUE(WriteFileBytes(g_settingsFilePath, "1\r\n5\r\n\r\n"));
    ASSERT_TRUE(WriteFileBytes(WorkFolderFilePath(), "/survey/site/\r\n"));
    FrameStartState start = StartFrameState();
    EXPECT_TRUE(start.reminderTimer);
    EXPECT_EQ(start.reminderIntervalMs, 300000);
    EXPECT_EQ(g_workFolder, "/survey/site/");
    EXPECT_EQ(g_lastFolder, g_workFolder);
    EXPECT_TRUE(g_simParamMapping.IsOpen());
    EXPECT_EQ(g_simParamMapping.Size(), kSimParamMappingSize);

    // The five work files, with no number 3, in this instance's own temp folder.
    const fs::path temp = TempFolder();
    const std::vector<std::string> paths = {g_contourLinesPath, g_contourIndexPath, g_tempPath4,
                                            g_tempPath5, g_sectionTempPath};
    const std::vector<std::string> names = {"_#ovk$1.$$$", "_#ovk$2.$$$", "_#ovk$4.$$$",
                                            "_#ovk$5.$$$", "_#ovk$6.$$$"};
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(fs::path(paths[i]), temp / names[i]);
    // Some written, some not: all are gone afterwards.
    ASSERT_TRUE(WriteFileBytes(g_contourLinesPath, "x"));
    ASSERT_TRUE(WriteFileBytes(g_sectionTempPath, "y"));
    FrameFinalStep();
    FrameDestroySteps();
    for (const std::string& p : paths) EXPECT_FALSE(fs::exists(p)) << p;
    EXPECT_FALSE(g_simParamMapping.IsOpen());
    RemoveTempFolder();
    EXPECT_FALSE(fs::exists(temp));

    // Reminder off: no timer.
    ASSERT_TRUE(WriteFileBytes(g_settingsFilePath, "0\r\n5\r\n"));
    start = StartFrameState();
    EXPECT_FALSE(start.reminderTimer);
    FrameDestroySteps();
    RemoveTempFolder();
}

TEST_F(ShellFiles, WithoutDataTheStartUpViewHasAScaleToDivideBy) {
    InitDataModel();
    // Whatever the view held before: start-up sets its own values.
    g_viewScale = 0;
    g_extentSize = 0;
    g_viewCenterX = g_extentCenterY = 7;
    StartFrameState();
    EXPECT_EQ(g_viewScale, 25.6);
    EXPECT_EQ(g_extentSize, 20.0);
    EXPECT_EQ(g_viewCenterX, 0.0);
    EXPECT_EQ(g_extentCenterY, 0.0);

    // No data: the pan, the wheel zoom and the status bar stay finite.
    g_birdsEyeOn = 0;
    g_bufferMaxX = 639;
    g_bufferMaxY = 479;
    g_viewportCenterX = 320;
    g_viewportCenterY = 240;
    PanByPixels(30, -20);
    ZoomWheel(120, 100, 100, false);
    ZoomWheel(-120, 600, 400, false);
    TrackCursorAt(200, 300);
    for (double v : {g_viewScale, g_viewCenterX, g_viewCenterY, g_cursorX, g_cursorY})
        EXPECT_TRUE(std::isfinite(v)) << v;
    EXPECT_GT(g_viewScale, 0);
    const Ellipsoid geodesy;
    g_cursorValid = 1;  // the panes as they show once the mouse has been over the view
    for (int id : {pane::kX, pane::kY, pane::kWidth, pane::kHeight}) {
        const std::optional<std::string> text = StatusPaneText(id, geodesy, false);
        ASSERT_TRUE(text) << id;
        EXPECT_EQ(text->find("inf"), std::string::npos) << *text;
        EXPECT_EQ(text->find("nan"), std::string::npos) << *text;
    }
    g_cursorValid = 0;
    FrameDestroySteps();
    RemoveTempFolder();
}

TEST_F(ShellFiles, WindowMessagesReachListenersAndNeverHang) {
    EXPECT_FALSE(FindWindowClass("OVK_NOBODY"));
    EXPECT_FALSE(SendWindowMessage("OVK_NOBODY", wm::kCommand, 1, 0).has_value());
    EXPECT_FALSE(PostWindowMessage("OVK_NOBODY", wm::kCommand, 1, 0));
    EXPECT_FALSE(FindWindowClass("../escape"));

    std::vector<std::string> log;
    std::mutex mutex;
    {
        FakeSibling sibling("OVK_TEST", log, mutex);
        EXPECT_TRUE(FindWindowClass("OVK_TEST"));
        EXPECT_EQ(SendWindowMessage("OVK_TEST", wm::kTimer, 299, 0), 1);
        // A second window of the same class is refused while the first lives.
        WindowClassListener second;
        EXPECT_FALSE(second.Listen("OVK_TEST"));
    }
    EXPECT_EQ(log, std::vector<std::string>{"OVK_TEST:275:299"});
    EXPECT_FALSE(FindWindowClass("OVK_TEST"));  // its socket went with it

    // A program that takes the message but never answers costs at most the time-out.
    FakeSibling silent("OVK_SILENT", log, mutex, false);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendWindowMessage("OVK_SILENT", wm::kCommand, 57665, 0, 300).has_value());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - t0);
    EXPECT_GE(ms.count(), 250);
    EXPECT_LT(ms.count(), 2000);
}

TEST_F(ShellFiles, ExitClosesSiblingsInOrderWithoutHanging) {
    std::vector<std::string> log;
    std::mutex mutex;
    SetCloseViewer3d([&] {
        std::lock_guard lock(mutex);
        log.push_back("viewer");
    });
    {
        FakeSibling plotter("HOL_VAN", log, mutex);
        FakeSibling kelbra("OVK_KELBRA", log, mutex);
        FakeSibling fental("OVK_FENTAL", log, mutex);
        FakeSibling brisk("OVK_BRISKA", log, mutex);
        FakeSibling dorven("OVK_DORVEN", log, mutex);         // gets nothing
        FakeSibling lomvit("OVK_LOMVIT", log, mutex, false);  // hung
        StartFrameState();
        const auto t0 = std::chrono::steady_clock::now();
        FrameFinalStep();
        FrameDestroySteps();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - t0);
        EXPECT_LT(ms.count(), kSiblingCloseTimeoutMs + 1500);
    }
    SetCloseViewer3d(nullptr);
    RemoveTempFolder();
    EXPECT_EQ(log, (std::vector<std::string>{"viewer", "HOL_VAN:273:57665", "OVK_KELBRA:273:57665",
                                             "OVK_FENTAL:273:57665", "OVK_BRISKA:273:57665"}));

    // With no sibling running nothing is sent and nothing waits.
    log.clear();
    StartFrameState();
    const auto t0 = std::chrono::steady_clock::now();
    FrameFinalStep();
    FrameDestroySteps();
    EXPECT_LT(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count(),
        500);
    EXPECT_TRUE(log.empty());
    RemoveTempFolder();
}
