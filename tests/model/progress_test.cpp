#include <gtest/gtest.h>

#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/busy.h"
#include "platform/input.h"
#include "platform/message_box.h"

namespace {

class Progress : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override {
        SetHeadlessKeyDown('Q', false);
        CloseProgressWindow();
        CloseRecordProgressWindow();
        SetProgressWindowFactory(nullptr);
        ReleaseDataModel();
    }
};

// A window that an owner can destroy behind the core's back.
class OwnedWindow : public ProgressWindow {
public:
    ~OwnedWindow() override { ProgressWindowGone(this); }
    void Refresh() override { ++refreshes; }
    void SetCaption(const std::string&) override {}
    void ShowNote(const std::string&) override {}
    void Destroy() override { delete this; }
    int refreshes = 0;
};

}  // namespace

TEST_F(Progress, LinesFollowTheModeTable) {
    g_tinEdgeCount = 42;
    g_contourCurrentLevel = 123.4567;
    g_sortProgress = 12;
    g_pointCount = 345;
    g_progressCurrent = 3;
    g_progressTotal = 9;
    struct Case {
        int32_t mode;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {0, "作成ライン数       42", "[Qキー]:中止"},
        {1, "等高線標高    123.457", "[Qキー]:中止"},
        {2, " [    12] / [   345]  ", "[Qキー]:中止"},
        {3, "ＤＸＦファイル出力中", ""},
        {5, "      体積計算中", ""},
        {7, " 数値地図データ取り込み中", "レコード[3]/[9]"},
        {8, " 三角網データ作成中", "レコード[3]/[9]"},
        {13, "       外周検索中", ""},
        {14, "メッシュテキストデータ取り込み中", "レコード[3]/[9]"},
        {15, "      三角網交差計算中   ", ""},
        {16, "", ""},
        {-1, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressFirstLine(c.mode), c.first) << c.mode;
        EXPECT_EQ(ProgressSecondLine(c.mode), c.second) << c.mode;
    }
    EXPECT_EQ(FormatRecordCounter(7, 1234), "[     7]/[  1234]");
}

TEST_F(Progress, TheOpenWindowIsTheBusyStateWhicheverWayItCloses) {
    EXPECT_FALSE(IsProgressWindowOpen());
    ASSERT_TRUE(OpenProgressWindow(progress::kSortPoints, "ランダム点ソート中"));
    EXPECT_TRUE(IsProgressWindowOpen());
    EXPECT_TRUE(IsBusy());
    EXPECT_EQ(g_progressMode, progress::kSortPoints);
    EXPECT_EQ(LastHeadlessProgressTexts().caption, "ランダム点ソート中");
    EXPECT_FALSE(OpenProgressWindow(progress::kTinEdges)) << "at most one at a time";
    EXPECT_EQ(g_progressMode, progress::kSortPoints);
    CloseProgressWindow();
    EXPECT_FALSE(IsProgressWindowOpen());
    EXPECT_FALSE(IsBusy());

    // Destroyed by its owner: the busy state ends all the same.
    SetProgressWindowFactory([](ProgressWindowKind) { return new OwnedWindow; });
    ASSERT_TRUE(OpenProgressWindow(progress::kTinEdges));
    EXPECT_TRUE(IsBusy());
    delete g_progressWnd;
    EXPECT_EQ(g_progressWnd, nullptr);
    EXPECT_FALSE(IsBusy());
    CloseProgressWindow();  // nothing left to close

    // Work that waited for the busy state runs when the window closes.
    ASSERT_TRUE(OpenProgressWindow(progress::kTinEdges));
    bool ran = false;
    RunWhenIdle("test", [&] { ran = true; });
    EXPECT_FALSE(ran);
    CloseProgressWindow();
    EXPECT_TRUE(ran);
}

TEST_F(Progress, RecordWindowDoesNotMakeTheProgramBusy) {
    SetProgressWindowFactory([](ProgressWindowKind) { return new OwnedWindow; });
    OpenRecordProgressWindow();
    ASSERT_NE(g_recordProgressWnd, nullptr);
    EXPECT_FALSE(IsBusy());
    g_progressCounter = FormatRecordCounter(1, 2);
    RefreshRecordProgressWindow();
    EXPECT_EQ(static_cast<OwnedWindow*>(g_recordProgressWnd)->refreshes, 2);
    CloseRecordProgressWindow();
    EXPECT_EQ(g_recordProgressWnd, nullptr);
}

TEST_F(Progress, StopIsAskedOncePerPressOrClose) {
    ClearRecordedMessages();
    const std::string question = "計算を中止してよろしいですか";
    const int buttons = msg::kYesNo | msg::kIconQuestion;
    // A press before the window opened does not count.
    SetHeadlessKeyDown('Q', true);
    ASSERT_TRUE(OpenProgressWindow(progress::kContourLevel));
    EXPECT_EQ(AskToStopWhenRequested(question, buttons), 0);
    // Held since then: still nothing. Let go and pressed again: asked once.
    SetHeadlessKeyDown('Q', false);
    SetHeadlessKeyDown('Q', true);
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(AskToStopWhenRequested(question, buttons), msg::kIdNo);
    EXPECT_EQ(AskToStopWhenRequested(question, buttons), 0);
    // Closing the window asks the same, once.
    RequestProgressStop();
    EXPECT_TRUE(IsProgressWindowOpen());
    EXPECT_EQ(AskToStopWhenRequested(question, buttons), msg::kIdYes);
    EXPECT_EQ(AskToStopWhenRequested(question, buttons), 0);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[1].text, question);
    EXPECT_EQ(RecordedMessages()[1].buttons, buttons);
    // Loops that read the key as held see a close as the key down, once.
    SetHeadlessKeyDown('Q', false);
    RequestProgressStop();
    EXPECT_TRUE(IsKeyDown('Q'));
    EXPECT_FALSE(IsKeyDown('Q'));
    // A close left unread is forgotten by the next window.
    RequestProgressStop();
    CloseProgressWindow();
    ASSERT_TRUE(OpenProgressWindow(progress::kContourLevel));
    EXPECT_EQ(AskToStopWhenRequested(question, buttons), 0);
    EXPECT_FALSE(IsKeyDown('Q'));
}
