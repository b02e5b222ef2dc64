// The text-flag tool driven through the view's own mouse handlers on a plan view of a
// tilted plane (z = 100 + X / 2), so every position it takes has a known elevation.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop_open.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "view/text_flag_file.h"
#include "view/text_flag_tool.h"
#include "view/text_flags.h"
#include "view/view_input.h"
#include "view_fixture.h"

namespace fs = std::filesystem;

namespace {
constexpr int32_t L = kMouseFlagLeft;

double PlaneZ(double x) { return 100 + x / 2; }
// Ground under a client pixel of the 801 x 601 plan view at scale 1 round (0, 0).
double GroundX(int32_t row) { return 300 - row; }
double GroundY(int32_t column) { return column - 400; }

class TextFlagTool : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        for (double x : {-200.0, 200.0})
            for (double y : {-200.0, 200.0}) AddPoint(x, y, PlaneZ(x));
        // Points 1 (-200,-200), 2 (-200,200), 3 (200,-200), 4 (200,200); diagonal 1-4.
        ASSERT_EQ(EnsureTinEdgeCapacity(6), 0);
        const TinEdge edges[] = {{1, 2, kNoApex, 4, 0}, {2, 4, kNoApex, 1, 0}, {4, 3, kNoApex, 1, 0},
                                 {3, 1, kNoApex, 4, 0}, {1, 4, 2, 3, 0}};
        for (int k = 0; k < 5; ++k) g_tinEdges[k + 1] = edges[k];
        g_tinEdgeCount = 5;
        SetTinEndRecord();
        g_tinPresent = -1;
        g_showTin = -1;
        // The paint projects what it draws.
        SetViewRepaintHandler([] { ProjectAllData(0); });
        ClearRecordedMessages();
        m_dlg = std::make_unique<CTextFlagDlg>();
    }
    void TearDown() override {
        m_dlg.reset();
        SetDesktopOpener(nullptr);
        ViewTest::TearDown();
    }

    static void Press(int32_t x, int32_t y, int32_t keys = 0) { OnViewLButtonDown(L | keys, x, y, false); }
    static void Move(int32_t x, int32_t y, int32_t keys = 0) { OnViewMouseMove(L | keys, x, y); }
    static void Release(int32_t x, int32_t y, int32_t keys = 0) { OnViewLButtonUp(keys, x, y, false); }
    static void Click(int32_t x, int32_t y, int32_t keys = 0) {
        Press(x, y, keys);
        Release(x, y, keys);
    }
    static void Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t releaseKeys = 0) {
        Press(x0, y0);
        Move((x0 + x1) / 2, (y0 + y1) / 2);
        Move(x1, y1);
        Release(x1, y1, releaseKeys);
    }
    // A flag added with the tool at a client pixel.
    void AddAt(int32_t x, int32_t y, const std::string& text) {
        m_dlg->OnMode(CTextFlagDlg::kAdd);
        Click(x, y);
        m_dlg->Fields().text = Utf8ToCp932(text);
        m_dlg->OnRegister();
    }
    static void ExpectFlagAt(int32_t i, double x, double y, double z) {
        ASSERT_LE(i, g_textFlagCount);
        EXPECT_DOUBLE_EQ(g_textFlags[i].x, x) << "flag " << i;
        EXPECT_DOUBLE_EQ(g_textFlags[i].y, y) << "flag " << i;
        EXPECT_DOUBLE_EQ(g_textFlags[i].z, z) << "flag " << i;
    }
    static void InitFlags() {
        g_textFlagCount = 0;
        g_selectedTextFlag = 0;
    }
    std::unique_ptr<CTextFlagDlg> m_dlg;
};

TEST_F(TextFlagTool, AddTakesTheGroundUnderTheClickAndRegisters) {
    m_dlg->OnMode(CTextFlagDlg::kAdd);
    EXPECT_EQ(g_toolMode, MODE_TEXT_FLAG);
    Click(500, 200);
    EXPECT_TRUE(m_dlg->EditPartShown());
    EXPECT_EQ(m_dlg->Fields().x, "100.000");
    EXPECT_EQ(m_dlg->Fields().y, "100.000");
    EXPECT_EQ(m_dlg->Fields().z, "150.000");
    m_dlg->Fields().text = Utf8ToCp932("測点１");
    m_dlg->Fields().colour = 3;
    m_dlg->OnSizeClass(1);
    m_dlg->OnRegister();
    ASSERT_EQ(g_textFlagCount, 1);
    ExpectFlagAt(1, 100, 100, 150);
    EXPECT_EQ(Cp932ToUtf8(g_textFlags[1].text), "測点１");
    EXPECT_EQ(g_textFlags[1].colour, 3);
    EXPECT_EQ(g_textFlags[1].sizeClass, 2);
    EXPECT_EQ(g_textFlags[1].lineLength, 50);
    EXPECT_TRUE(m_dlg->Modified());
    EXPECT_FALSE(m_dlg->EditPartShown());
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(TextFlagTool, RegisterRefusesWhatCouldNotBeSavedOrDoesNotFit) {
    struct Case {
        const char* name;
        std::string text, link;
        int32_t flagsBefore;
        const char* message;
    };
    const Case cases[] = {
        {"empty text", "", "", 0, "文字を入力してください"},
        {"comma in the text", "a,b", "", 0, "「,」（半角のカンマ）は使えません。"},
        {"comma in the link", "a", "x,y.pdf", 0, "「,」（半角のカンマ）は使えません。"},
        {"five hundred flags", "a", "", kMaxTextFlags, "制限に達しました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_textFlagCount = c.flagsBefore;
        ClearRecordedMessages();
        m_dlg->OnMode(CTextFlagDlg::kAdd);
        Click(500, 200);
        m_dlg->Fields().text = c.text;
        m_dlg->Fields().link = c.link;
        m_dlg->OnRegister();
        EXPECT_EQ(g_textFlagCount, c.flagsBefore);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages()[0].text, c.message);
    }
    // Four hundred and ninety-nine leave room for one.
    g_textFlagCount = kMaxTextFlags - 1;
    ClearRecordedMessages();
    AddAt(500, 200, "last");
    EXPECT_EQ(g_textFlagCount, kMaxTextFlags);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(TextFlagTool, EditLoadsTheClickedFlagAndWritesItBack) {
    AddAt(500, 200, "one");
    AddAt(300, 400, "two");
    m_dlg->OnMode(CTextFlagDlg::kEdit);
    Click(302, 398);
    ASSERT_EQ(g_selectedTextFlag, 2);
    EXPECT_EQ(m_dlg->Fields().text, "two");
    EXPECT_EQ(m_dlg->Fields().x, "-100.000");
    m_dlg->Fields().text = "zwei";
    m_dlg->Fields().lineLength = "75";
    m_dlg->OnRegister();
    EXPECT_STREQ(g_textFlags[2].text, "zwei");
    EXPECT_EQ(g_textFlags[2].lineLength, 75);
    EXPECT_STREQ(g_textFlags[1].text, "one");
    EXPECT_EQ(g_selectedTextFlag, 0);
}

TEST_F(TextFlagTool, ADragMovesTheFlagOnlyBeyondFourPixels) {
    struct Case {
        int32_t dx, dy;
        bool moves;
    };
    const Case cases[] = {{4, 4, false}, {-4, 0, false}, {5, 0, true}, {0, -5, true}, {20, 30, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        InitFlags();
        AddAt(500, 200, "f");
        m_dlg->OnMode(CTextFlagDlg::kEdit);
        Drag(500, 200, 500 + c.dx, 200 + c.dy);
        m_dlg->OnRegister();
        if (c.moves)
            ExpectFlagAt(1, GroundX(200 + c.dy), GroundY(500 + c.dx), PlaneZ(GroundX(200 + c.dy)));
        else
            ExpectFlagAt(1, 100, 100, 150);
    }
}

TEST_F(TextFlagTool, CancelOrDraggingAnotherFlagPutsAnUnregisteredMoveBack) {
    AddAt(500, 200, "a");
    AddAt(300, 400, "b");
    m_dlg->OnMode(CTextFlagDlg::kEdit);
    Drag(500, 200, 540, 220);
    ExpectFlagAt(1, 80, 140, 140);  // moved while the window edits it
    m_dlg->OnCancel();
    ExpectFlagAt(1, 100, 100, 150);

    Drag(500, 200, 540, 220);
    Drag(300, 400, 320, 420);
    ExpectFlagAt(1, 100, 100, 150);
    ExpectFlagAt(2, -120, -80, PlaneZ(-120));
    m_dlg->OnRegister();
    ExpectFlagAt(2, -120, -80, PlaneZ(-120));
}

TEST_F(TextFlagTool, CtrlAtTheReleaseKeepsTheElevationAndShiftSnapsToAPoint) {
    AddAt(500, 200, "a");
    m_dlg->OnMode(CTextFlagDlg::kEdit);
    Drag(500, 200, 500, 260, kMouseFlagControl);
    m_dlg->OnRegister();
    ExpectFlagAt(1, 40, 100, 150);

    // A point off the plane, 30 pixels from the release.
    const int32_t p = AddPoint(-50, -50, 7.5);
    m_dlg->OnMode(CTextFlagDlg::kEdit);
    Drag(500, 260, 370, 320, kMouseFlagShift);
    m_dlg->OnRegister();
    ExpectFlagAt(1, g_points[p].x, g_points[p].y, 7.5);
}

TEST_F(TextFlagTool, DeleteTakesTwoClicksOnTheSameFlag) {
    AddAt(500, 200, "a");
    AddAt(300, 400, "b");
    AddAt(600, 100, "c");
    m_dlg->OnMode(CTextFlagDlg::kDelete);
    Click(500, 200);
    EXPECT_EQ(g_selectedTextFlag, 1);
    Click(300, 400);  // another flag: the selection moves
    EXPECT_EQ(g_selectedTextFlag, 2);
    EXPECT_EQ(g_textFlagCount, 3);
    Click(301, 401);
    ASSERT_EQ(g_textFlagCount, 2);
    EXPECT_STREQ(g_textFlags[1].text, "a");
    EXPECT_STREQ(g_textFlags[2].text, "c");
    EXPECT_EQ(g_selectedTextFlag, 0);
    Click(100, 500);  // nothing there
    EXPECT_EQ(g_textFlagCount, 2);
    // A press that drags away from a flag deletes nothing.
    Drag(600, 100, 640, 100);
    Click(640, 100);
    EXPECT_EQ(g_textFlagCount, 2);
}

TEST_F(TextFlagTool, LoadReplacingSetsClassOneToTwentyBeforeReading) {
    const fs::path file = fs::temp_directory_path() / "tool_load.TFG";
    ASSERT_TRUE(WriteFileBytes(file, "255,0,0,0\r\n1,2,3,50,1,1,x,\r\n"));
    AddAt(500, 200, "a");
    g_textFlagSizes[0] = 14;

    QueueMessageAnswer(msg::kIdNo);
    QueueFileDialogAnswer(file.string());
    m_dlg->OnLoad();
    EXPECT_EQ(g_textFlagSizes[0], 20);
    ASSERT_EQ(g_textFlagCount, 1);
    EXPECT_STREQ(g_textFlags[1].text, "x");

    QueueMessageAnswer(msg::kIdYes);
    QueueFileDialogAnswer(file.string());
    m_dlg->OnLoad();
    EXPECT_EQ(g_textFlagCount, 2);
    fs::remove(file);
}

// Pole lengths typed into the window stay within what the screen arithmetic can hold.
TEST_F(TextFlagTool, PoleLengthsAreBounded) {
    AddAt(500, 200, "a");
    struct Case {
        const char* typed;
        const char* shown;
    } cases[] = {{"75", "75"}, {"99999999999", "10000"}, {"-99999999999", "-10000"}, {"x", "0"}};
    for (const Case& c : cases) EXPECT_EQ(m_dlg->LineLengthLeft(c.typed), c.shown) << c.typed;
    EXPECT_EQ(m_dlg->AllLineLengths("4294967346"), "10000");
    EXPECT_EQ(g_textFlags[1].lineLength, 10000);
}

TEST_F(TextFlagTool, LinksComeOnlyFromTheDataFolder) {
    const fs::path dir = fs::temp_directory_path() / "tool_links";
    fs::create_directories(dir / "sub");
    g_currentDataPath = (dir / "site.RND").string();
    ASSERT_TRUE(WriteFileBytes(dir / "図面 1.pdf", "%PDF"));
    ASSERT_TRUE(WriteFileBytes(dir / "sub" / "other.pdf", "%PDF"));

    QueueFileDialogAnswer((dir / "sub" / "other.pdf").string());
    m_dlg->OnBrowseLink();
    EXPECT_EQ(m_dlg->Fields().link, "");
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text,
              "リンクファイルはランダムデータファイルと同じフォルダにコピーしてください。");
    QueueFileDialogAnswer((dir / "図面 1.pdf").string());
    m_dlg->OnBrowseLink();
    EXPECT_EQ(Cp932ToUtf8(m_dlg->Fields().link), "図面 1.pdf");

    // Opening: a click without the tool on a flag with a link.
    std::vector<fs::path> opened;
    SetDesktopOpener([&](const fs::path& f, const fs::path&) {
        opened.push_back(f);
        return true;
    });
    AddAt(500, 200, "a");
    std::snprintf(g_textFlags[1].link, sizeof g_textFlags[1].link, "%s", Utf8ToCp932("図面 1.pdf").c_str());
    m_dlg.reset();
    ClearRecordedMessages();
    ProjectAllData(0);
    QueueMessageAnswer(msg::kIdYes);
    Click(505, 195);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], dir / "図面 1.pdf");

    // A flag file naming another folder is not followed.
    std::snprintf(g_textFlags[1].link, sizeof g_textFlags[1].link, "sub/other.pdf");
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdYes);
    Click(505, 195);
    EXPECT_EQ(opened.size(), 1u);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[1].text,
              "リンクファイルはランダムデータファイルと同じフォルダにコピーしてください。");
    g_currentDataPath.clear();
    fs::remove_all(dir);
}
}  // namespace
