// The document's sibling commands against the suite's stand-in program, copied under the
// plotter's and the mesh program's names into a program folder of the test's own; and
// the shared file-dialog convention.
#include "model/document_commands.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "file_test_support.h"
#include "model/document.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/window_registry.h"
#include "shell/work_folder.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kAskSave = "上書き保存してよろしいですか";

class DocumentSiblings : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        static int serial = 0;
        // Short: the registry's socket paths must fit a socket address.
        m_run = fs::temp_directory_path() / ("ndoc-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(m_run);
        fs::create_directories(m_run);
        setenv("XDG_RUNTIME_DIR", m_run.c_str(), 1);
        fs::create_directories(Dir() / "program");
        m_keptProgramFolder = ProgramFolder();
        SetProgramFolder(Dir() / "program");
        ClearRecordedFileDialogs();
        m_document = Dir() / "site.RND";
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(m_run))
            if (entry.path().filename().string()[0] != '#')
                SendWindowMessage(entry.path().filename().string(), wm::kCommand, 57665, 0, 300);
        SetProgramFolder(m_keptProgramFolder);
        fs::remove_all(m_run);
        FileTest::TearDown();
    }

    void Install(const std::string& stem, const std::string& className) {
        // Copied once: an instance that has closed its window may still be running, and a
        // running program's file cannot be written over.
        const fs::path program = Dir() / "program" / stem;
        if (!fs::exists(program)) fs::copy_file(NOSTREL_SIBLING_STAND_IN, program);
        std::ofstream(Dir() / "program" / (stem + ".class")) << className << '\n';
    }
    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        std::ifstream in(Dir() / "program" / "siblings.log");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The log line that begins with `prefix`, once it is there.
    std::string WaitFor(const std::string& prefix) const {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        do {
            for (const std::string& line : Log())
                if (line.rfind(prefix, 0) == 0) return line;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        return "";
    }
    // A running copy of the program, as the user left it open.
    void Running(const std::string& stem, const std::string& className) {
        Install(stem, className);
        ASSERT_GT(StartSiblingProgram(className, stem, ""), 31);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!FindWindowClass(className)) {
            ASSERT_LT(std::chrono::steady_clock::now(), end);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : RecordedMessages()) texts.push_back(m.text);
        return texts;
    }
    // Points under the document's name, changed since they were last saved.
    void ModifiedPoints(const fs::path& path) {
        MakePoints(3);
        g_pointsPresent = -1;
        doc.SetPathName(path, false);
        g_currentDataPath = path.string();
        g_dataChanged = -1;
    }

    CPelmo_3DDoc doc;
    fs::path m_run, m_keptProgramFolder, m_document;
};
}  // namespace

TEST_F(DocumentSiblings, ContourPlotStartsOnlyOnTheSavedFile) {
    // Running: brought forward, nothing asked, nothing saved.
    ModifiedPoints(m_document);
    Running("HOLVAN", "HOL_VAN");
    doc.OnCommand(32857);
    EXPECT_NE(WaitFor("HOLVAN raise"), "");
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(fs::exists(m_document));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocumentSiblings, ContourPlotAfterNoOrAFailedSaveStartsNothing) {
    // Not installed: a start would say so, so the messages tell whether one was tried.
    struct Case {
        const char* name;
        int answer;
        fs::path document;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"No", msg::kIdNo, m_document, {kAskSave}},
        {"save fails", msg::kIdYes, Dir() / "missing folder" / "site.RND",
         {kAskSave, "ファイルが作成できませんでした。\n" + (Dir() / "missing folder" / "site.RND").string()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InitDataModel();
        ClearRecordedMessages();
        ModifiedPoints(c.document);
        QueueMessageAnswer(c.answer);
        doc.OnCommand(32857);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_FALSE(fs::exists(c.document));
        EXPECT_TRUE(doc.IsModified());
    }
}

TEST_F(DocumentSiblings, ContourPlotYesSavesThenStartsOnThePath) {
    const fs::path spaced = Dir() / "my site.RND";
    ModifiedPoints(spaced);
    Install("HOLVAN", "HOL_VAN");
    QueueMessageAnswer(msg::kIdYes);
    doc.OnCommand(32857);
    EXPECT_EQ(Messages(), std::vector<std::string>{kAskSave});
    EXPECT_TRUE(fs::exists(spaced));
    EXPECT_FALSE(doc.IsModified());
    const std::string start = WaitFor("HOLVAN start");
    ASSERT_NE(start, "");
    // The path is one argument, blank and all, and the program starts in its folder.
    EXPECT_NE(start.find("cwd=" + (Dir() / "program").string()), std::string::npos) << start;
    EXPECT_NE(start.find(" arg=[" + spaced.string() + "]"), std::string::npos) << start;
}

TEST_F(DocumentSiblings, MeshProgramArgumentFollowsTheData) {
    struct Case {
        const char* name;
        bool points, modified;
        int answer;  // 0: no question expected
        bool saved, withPath;
    };
    const Case cases[] = {
        {"no points", false, false, 0, false, false},
        {"modified, No", true, true, msg::kIdNo, false, false},
        {"modified, Yes", true, true, msg::kIdYes, true, true},
        {"saved before", true, false, 0, false, true},
        {"modified, Yes, save fails", true, true, msg::kIdYes, false, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InitDataModel();
        ClearRecordedMessages();
        // The failing save goes to a folder that is not there.
        const bool saveFails = c.answer == msg::kIdYes && !c.saved;
        const fs::path path = Dir() / (saveFails ? "missing folder" : "") / ("mesh" + std::to_string(n++) + ".RND");
        if (c.points) {
            ModifiedPoints(path);
            if (!c.modified) doc.SetModifiedFlag(false);
        }
        Install("BELMORA", "OVK_BELMORA");
        if (c.answer) QueueMessageAnswer(c.answer);
        doc.OnCommand(32962);
        std::vector<std::string> told;
        if (c.answer) told.push_back(kAskSave);
        if (saveFails) told.push_back("ファイルが作成できませんでした。\n" + path.string());
        EXPECT_EQ(Messages(), told);
        EXPECT_EQ(fs::exists(path), c.saved);
        const std::string start = WaitFor("BELMORA start");
        ASSERT_NE(start, "");
        EXPECT_EQ(start.find(" arg="), c.withPath ? start.rfind(" arg=[" + path.string() + "]") : std::string::npos)
            << start;
        // Ended before the next case, so that it starts rather than being brought forward.
        SendWindowMessage("OVK_BELMORA", wm::kCommand, 57665, 0, 1000);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (FindWindowClass("OVK_BELMORA") && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        fs::remove(Dir() / "program" / "siblings.log");
    }
}

TEST_F(DocumentSiblings, MeshProgramRunningIsBroughtForwardWithoutAQuestion) {
    ModifiedPoints(m_document);
    Running("BELMORA", "OVK_BELMORA");
    doc.OnCommand(32962);
    EXPECT_NE(WaitFor("BELMORA raise"), "");
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(fs::exists(m_document));
}

TEST_F(DocumentSiblings, StartFailuresUseEachProgramsTexts) {
    // No program file in the folder (2), then no folder at all (3).
    MakePoints(2);
    g_pointsPresent = -1;
    doc.SetModifiedFlag(false);
    doc.OnCommand(32962);
    SetProgramFolder(Dir() / "no such folder");
    doc.OnCommand(32962);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"メッシュ計算プログラムはインストールされていません。",
                                                    "メッシュ計算プログラムのパスが見つかりません。"}));
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kOk | msg::kIconError);
    EXPECT_EQ(SiblingStartMessage(kMeshProgramRow, 11), "メッシュ計算プログラムファイルが異常です。");
    EXPECT_EQ(SiblingStartMessage(kMeshProgramRow, 0), "メモリ不足で実行できません。");
    EXPECT_EQ(SiblingStartMessage(kContourPlotRow, 2), "作画プログラムはインストールされていません。");
    EXPECT_EQ(SiblingStartMessage(kContourPlotRow, 3), "作画プログラムのパスが見つかりません。");
    EXPECT_EQ(SiblingStartMessage(kContourPlotRow, 11), "作画プログラムファイルが異常です。");
}

TEST_F(DocumentSiblings, FileDialogStartsInTheWorkFolderAndRemembersTheChosenOne) {
    g_workFolder = (Dir() / "work/").string();
    g_lastFolder = "unchanged";
    DocumentFileDialog dialog;
    dialog.filter = "テキストデータ|*.TXT| すべてのファイル|*.*|";
    dialog.title = "測点テキスト";
    dialog.defaultExtension = "TXT";
    QueueFileDialogAnswer("");
    EXPECT_EQ(AskDocumentFile(dialog), "");
    EXPECT_EQ(g_lastFolder, "unchanged");
    QueueFileDialogAnswer((Dir() / "out" / "a.TXT").string());
    EXPECT_EQ(AskDocumentFile(dialog), (Dir() / "out" / "a.TXT").string());
    EXPECT_EQ(g_lastFolder, (Dir() / "out" / "").string());
    ASSERT_EQ(RecordedFileDialogs().size(), 2u);
    const FileDialogRequest& asked = RecordedFileDialogs()[1];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.folder, g_workFolder);
    EXPECT_EQ(asked.defaultExtension, "TXT");
    EXPECT_EQ(asked.title, "測点テキスト");
}
