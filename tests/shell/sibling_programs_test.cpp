// The sibling commands against a stand-in program copied under the suite's names into a
// program folder of the test's own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/window_registry.h"
#include "shell/sibling_programs.h"
#include "shell/work_folder.h"

namespace fs = std::filesystem;

namespace {
class SiblingPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        // Short: the registry's socket paths must fit a socket address.
        static int serial = 0;
        m_root = fs::temp_directory_path() /
                 ("nsib-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "run");
        fs::create_directories(m_root / "program folder");
        setenv("XDG_RUNTIME_DIR", (m_root / "run").c_str(), 1);
        m_savedProgramFolder = ProgramFolder();
        SetProgramFolder(m_root / "program folder");
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
        std::error_code ec;
        m_cwd = fs::current_path(ec);
    }
    void TearDown() override {
        // Every stand-in still running ends now.
        for (const auto& entry : fs::directory_iterator(m_root / "run"))
            if (entry.path().filename().string()[0] != '#')
                SendWindowMessage(entry.path().filename().string(), wm::kCommand, 57665, 0, 300);
        SetProgramFolder(m_savedProgramFolder);
        fs::remove_all(m_root);
    }

    fs::path Folder() const { return m_root / "program folder"; }

    // The stand-in under the program's name (without ".exe", as on Linux).
    void Install(const std::string& program, const std::string& className, bool hangs = false) {
        std::string stem = program.substr(0, program.size() - 4);
        // Copied once: an instance that has closed its window may still be running, and a
        // running program's file cannot be written over.
        if (!fs::exists(Folder() / stem)) fs::copy_file(NOSTREL_SIBLING_STAND_IN, Folder() / stem);
        std::ofstream(Folder() / (stem + ".class")) << className << '\n' << (hangs ? "hang" : "") << '\n';
    }

    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        std::ifstream in(Folder() / "siblings.log");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Waits until the log holds a line beginning with `prefix`.
    bool WaitFor(const std::string& prefix, int ms = 5000) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        do {
            for (const std::string& line : Log())
                if (line.rfind(prefix, 0) == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }
    bool WaitForClass(const std::string& className, int ms = 5000) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!FindWindowClass(className)) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    void Run(const std::string& program, const std::string& className) {
        Install(program, className);
        ASSERT_GT(StartSiblingProgram(className, program, ""), 31);
        ASSERT_TRUE(WaitForClass(className));
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : RecordedMessages()) texts.push_back(m.text);
        return texts;
    }

    fs::path m_root, m_savedProgramFolder, m_cwd;
};

SiblingCommandHooks QuietHooks(int choice = kChoiceNormal) {
    SiblingCommandHooks hooks;
    hooks.chooseCrossSection = [choice] { return choice; };
    hooks.sendFrameCommand = [](int) {};
    hooks.documentSaved = [] { return true; };
    return hooks;
}
}  // namespace

// Each row's texts for the start results, reached the way a user meets them: no program
// folder, a folder without the program, a file under the program's name that is no
// program; out of resources cannot be provoked and is asked of the texts directly.
TEST_F(SiblingPrograms, EachRowReportsItsOwnFailureTexts) {
    struct Texts {
        int command;
        const char* r2;
        const char* r3;
        const char* r11;
    };
    const Texts kPlot = {0, "作画プログラムはインストールされていません。", "作画プログラムのパスが見つかりません。",
                         "作画プログラムファイルが異常です。"};
    const Texts kCases[] = {
        {32839, kPlot.r2, kPlot.r3, kPlot.r11},
        {32840, kPlot.r2, kPlot.r3, kPlot.r11},
        {32821, kPlot.r2, kPlot.r3, kPlot.r11},
        {32910, kPlot.r2, kPlot.r3, kPlot.r11},
        {32890, kPlot.r2, kPlot.r3, kPlot.r11},
        {32953, "横断プログラムはインストールされていません。", "横断プログラムのパスが見つかりません。", "横断プログラムファイルが異常です。"},
        {32904, "縦断計画はインストールされていません。", "縦断計画プログラムのパスが見つかりません。", "縦断計画プログラムファイルが異常です。"},
        {32902, "拡幅・片勾配登録はインストールされていません。", "拡幅・片勾配登録プログラムのパスが見つかりません。", "拡幅・片勾配登録プログラムファイルが異常です。"},
        {32906, "定規図登録はインストールされていません。", "定規図登録プログラムのパスが見つかりません。", "定規図登録プログラムファイルが異常です。"},
        {32907, "横断計画はインストールされていません。", "横断計画プログラムのパスが見つかりません。", "横断計画プログラムファイルが異常です。"},
        {32908, "テクスチャー鳥瞰図はインストールされていません。", "テクスチャー鳥瞰図プログラムのパスが見つかりません。", "テクスチャー鳥瞰図プログラムファイルが異常です。"},
        {32987, "ビデオ鳥瞰図はインストールされていません。", "ビデオ鳥瞰図プログラムのパスが見つかりません。", "ビデオ鳥瞰図プログラムファイルが異常です。"},
        {33000, "データクリーナはインストールされていません。", "データクリーナプログラムのパスが見つかりません。", "データクリーナプログラムファイルが異常です。"},
        {32995, "TINデータ変換はインストールされていません。", "ＴＩＮデータ変換プログラムのパスが見つかりません。", "ＴＩＮデータ変換プログラムファイルが異常です。"},
        {33058, "XYZメッシュはインストールされていません。", "XYZメッシュプログラムのパスが見つかりません", "XYZメッシュプログラムファイルが異常です。"},
        {32999, "座標変換ユーティリティはインストールされていません。", "座標変換ユーティリティプログラムのパスが見つかりません。", "座標変換ユーティリティプログラムファイルが異常です。"},
        {33014, "標高差出力ツールはインストールされていません", "標高差出力ツールのパスが見つかりません", "標高差出力プログラムファイルが異常です。"},
        {32905, "グラフプログラムはインストールされていません。", "グラフプログラムのパスが見つかりません。", "グラフプログラムファイルが異常です。"},
    };
    ASSERT_EQ(SiblingProgramRows().size(), std::size(kCases));
    for (const Texts& c : kCases) {
        SCOPED_TRACE(c.command);
        const SiblingProgramRow* row = FindSiblingProgramRow(c.command);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(SiblingStartMessage(*row, 0), "メモリ不足で実行できません。");
        EXPECT_EQ(SiblingStartMessage(*row, 33), "");
        auto runOnce = [&] {
            ClearRecordedMessages();
            if (row->argument == SiblingArgument::kChosenFile) QueueFileDialogAnswer("/data/a.MVO");
            RunSiblingCommand(c.command, QuietHooks());
            const std::vector<std::string> texts = Messages();
            return texts.empty() ? std::string() : texts.back();
        };
        SetProgramFolder(m_root / "no such folder");
        EXPECT_EQ(runOnce(), c.r3);
        SetProgramFolder(Folder());
        EXPECT_EQ(runOnce(), c.r2);
        const std::string stem = std::string(row->program).substr(0, std::strlen(row->program) - 4);
        std::ofstream(Folder() / stem) << "not a program\n";
        EXPECT_EQ(runOnce(), c.r11);
        fs::remove(Folder() / stem);
        EXPECT_EQ(RecordedMessages().back().buttons, msg::kOk | msg::kIconError);
    }
}

TEST_F(SiblingPrograms, StartsInTheProgramFolderWithoutChangingOurs) {
    Install("KELBRA.exe", "OVK_KELBRA");
    RunSiblingCommand(32953, QuietHooks());
    ASSERT_TRUE(WaitFor("KELBRA start"));
    EXPECT_EQ(Log().front(), "KELBRA start cwd=" + Folder().string());
    EXPECT_TRUE(RecordedMessages().empty());
    std::error_code ec;
    EXPECT_EQ(fs::current_path(ec), m_cwd);
}

TEST_F(SiblingPrograms, ARunningProgramIsRaisedAndNoSecondStarts) {
    Run("LOMVIT.exe", "OVK_LOMVIT");
    RunSiblingCommand(32904, QuietHooks());
    ASSERT_TRUE(WaitFor("LOMVIT raise"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int starts = 0;
    for (const std::string& line : Log()) starts += line.rfind("LOMVIT start", 0) == 0;
    EXPECT_EQ(starts, 1);

    // The plan drawing program shares the textured bird's-eye program's class.
    Run("RASKOV-GL.exe", "RASKOV8_95");
    Install("SOLWIK.exe", "RASKOV8_95");
    RunSiblingCommand(32910, QuietHooks());
    ASSERT_TRUE(WaitFor("RASKOV-GL raise"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(WaitFor("SOLWIK", 0));
}

TEST_F(SiblingPrograms, CrossSectionChoiceDecidesTheProgram) {
    Run("BRISKA.exe", "OVK_BRISKA");
    Install("DORVEN.exe", "OVK_DORVEN");
    // The earthwork drawing starts although the normal one runs.
    RunSiblingCommand(32839, QuietHooks(kChoiceEarthwork));
    ASSERT_TRUE(WaitFor("DORVEN start"));
    EXPECT_FALSE(WaitFor("BRISKA raise", 100));
    // Closing the choice by the keyboard means the normal drawing: brought forward.
    RunSiblingCommand(32839, QuietHooks(kChoiceCancel));
    EXPECT_TRUE(WaitFor("BRISKA raise"));
    // The choice is asked even while a program runs.
    int asked = 0;
    SiblingCommandHooks hooks = QuietHooks();
    hooks.chooseCrossSection = [&] {
        ++asked;
        return kChoiceNormal;
    };
    RunSiblingCommand(32839, hooks);
    EXPECT_EQ(asked, 1);
}

TEST_F(SiblingPrograms, ChosenPathWithBlanksReachesTheProgramWhole) {
    Install("HOLVAN.exe", "HOL_VAN");
    g_workFolder = (m_root / "work").string() + "/";
    QueueFileDialogAnswer("/survey data/site 3/mesh plan.MSH");
    RunSiblingCommand(32890, QuietHooks());
    ASSERT_TRUE(WaitFor("HOLVAN start"));
    EXPECT_NE(Log().front().find(" arg=[/survey data/site 3/mesh plan.MSH]"), std::string::npos);
    EXPECT_EQ(g_lastFolder, "/survey data/site 3/");
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].title, "メッシュデータ読み込み");
    EXPECT_EQ(RecordedFileDialogs()[0].folder, g_workFolder);

    // A cancelled dialog starts nothing and says nothing.
    Install("JUSTEM.exe", "OVK_JUSTEM");
    RunSiblingCommand(32905, QuietHooks());
    EXPECT_EQ(RecordedFileDialogs().back().title, "メッシュ土量データ読み込み");
    EXPECT_FALSE(WaitFor("JUSTEM", 200));
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(SiblingPrograms, SliceContourPlotSavesAndConvertsBeforeTheStart) {
    Install("HOLVAN.exe", "HOL_VAN");
    g_currentDataPath = "/surveys/north site/day 1.RND";
    std::vector<std::string> order;
    bool saved = true;
    SiblingCommandHooks hooks = QuietHooks();
    hooks.sendFrameCommand = [&](int id) {
        order.push_back(std::to_string(id) + (WaitFor("HOLVAN", 0) ? " after start" : ""));
    };
    hooks.documentSaved = [&] { return saved; };

    // No: nothing is saved or started.
    QueueMessageAnswer(msg::kIdNo);
    RunSiblingCommand(32821, hooks);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "上書き保存してよろしいですか");
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kYesNo | msg::kIconQuestion);
    EXPECT_TRUE(order.empty());

    // A failed save starts nothing: the program would read a stale file.
    saved = false;
    QueueMessageAnswer(msg::kIdYes);
    RunSiblingCommand(32821, hooks);
    EXPECT_EQ(order, std::vector<std::string>{"57603"});
    EXPECT_FALSE(WaitFor("HOLVAN", 200));

    order.clear();
    saved = true;
    QueueMessageAnswer(msg::kIdYes);
    RunSiblingCommand(32821, hooks);
    EXPECT_EQ(order, (std::vector<std::string>{"57603", "32900"}));
    ASSERT_TRUE(WaitFor("HOLVAN start"));
    EXPECT_NE(Log().front().find(" arg=[/surveys/north site/day 1.RND]"), std::string::npos);

    // Running: brought forward, no question.
    ASSERT_TRUE(WaitForClass("HOL_VAN"));
    ClearRecordedMessages();
    RunSiblingCommand(32821, hooks);
    EXPECT_TRUE(WaitFor("HOLVAN raise"));
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(SiblingPrograms, RunningSectionProgramFirstInTableOrderIsReportedAndRaised) {
    Run("KELBRA.exe", "OVK_KELBRA");
    Run("BRISKA.exe", "OVK_BRISKA");
    EXPECT_EQ(FindRunningSectionProgram(0), 1);
    ASSERT_EQ(Messages(), std::vector<std::string>{"横断テキスト起動中です\n"});
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kOk | msg::kIconInformation);
    EXPECT_TRUE(WaitFor("KELBRA raise"));
    EXPECT_FALSE(WaitFor("BRISKA raise", 200));
    // Leaving the text editor out finds the drawing program.
    ClearRecordedMessages();
    EXPECT_EQ(FindRunningSectionProgram(1), 4);
    EXPECT_EQ(Messages(), std::vector<std::string>{"横断図起動中です\n"});
}

TEST_F(SiblingPrograms, ExitClosesSectionProgramsInOrderAndAHungOneCostsItsTimeOut) {
    Run("KELBRA.exe", "OVK_KELBRA");
    Install("LOMVIT.exe", "OVK_LOMVIT", true);
    ASSERT_GT(StartSiblingProgram("OVK_LOMVIT", "LOMVIT.exe", ""), 31);
    ASSERT_TRUE(WaitForClass("OVK_LOMVIT"));
    Run("BRISKA.exe", "OVK_BRISKA");
    Run("DORVEN.exe", "OVK_DORVEN");
    const auto t0 = std::chrono::steady_clock::now();
    CloseSectionPrograms();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    EXPECT_LT(ms.count(), kSiblingCloseTimeoutMs + 1500);
    std::vector<std::string> messages;
    for (const std::string& line : Log())
        if (line.find(" message ") != std::string::npos) messages.push_back(line);
    EXPECT_EQ(messages, (std::vector<std::string>{"KELBRA message 273 57665 0", "LOMVIT message 273 57665 0",
                                                  "BRISKA message 273 57665 0"}));
}
