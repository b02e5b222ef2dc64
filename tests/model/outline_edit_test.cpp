#include "model/outline_edit.h"

#include <vector>

#include "../view/view_fixture.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "view/view_input.h"
#include "view/view_navigation.h"

namespace {
// A 3 x 3 grid of points 50 m apart, numbered from the south-west corner row by row:
//   7 8 9
//   4 5 6
//   1 2 3
// shown at one pixel per metre, so neighbours lie 50 pixels apart.
class OutlineEdit : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                AddPoint(-50.0 + 50 * row, -50.0 + 50 * column, 10);
        ClearRecordedMessages();
        g_toolMode = MODE_OUTLINE_EDIT;
    }
    void TearDown() override {
        SetHeadlessKeyDown(key::kAlt, false);
        CloseProgressWindow();
        ResetToolMode();
        ViewTest::TearDown();
    }

    // Client position of a point, off by a few pixels as a hand would be.
    static int32_t X(int32_t i) {
        return g_viewportCenterX + static_cast<int32_t>(g_points[i].y) + 2;
    }
    static int32_t Y(int32_t i) {
        return g_viewportCenterY - static_cast<int32_t>(g_points[i].x) - 1;
    }

    static void Enter(int32_t i, int32_t flags = 0) {
        EnterOutlinePointAtCursor(flags, X(i), Y(i));
    }
    static void Erase(int32_t i) { EditOutlineVertexAtCursor(0, X(i), Y(i)); }
    static void Chain(int32_t i) { PickOutlineChainAtCursor(0, X(i), Y(i)); }
    static void Replace(int32_t i) { ReplaceOutlineAtCursor(0, X(i), Y(i)); }

    // The vertices [1..n] and, when closed, the closing copy.
    static std::vector<int32_t> Outline() {
        std::vector<int32_t> v;
        for (int32_t k = 1; k <= g_outline.Count(); ++k) v.push_back(g_outline[k]);
        if (g_outline.IsClosed()) v.push_back(g_outline[g_outline.Count() + 1]);
        return v;
    }
    static void SetOutline(std::vector<int32_t> vertices, bool closed) {
        ClearOutline();
        for (int32_t p : vertices) {
            g_outline.Append(p);
            g_points[p].flags = kPointFlagOutline;
        }
        if (closed) g_outline.Close();
        g_pickAux3 = 0;
        g_outlineInsertPos = 0;
    }
    // The flag bytes of points 1..9.
    static std::vector<int> FlagBytes() {
        std::vector<int> v;
        for (int32_t i = 1; i <= g_pointCount; ++i) v.push_back(g_points[i].flags);
        return v;
    }
    static size_t MessageCount(const std::string& text) {
        size_t n = 0;
        for (const RecordedMessage& m : RecordedMessages()) n += m.text == text;
        return n;
    }
};

const std::string kClosed = "外周が閉じました。";
}  // namespace

TEST_F(OutlineEdit, EntryAddsVerticesInOrderAndTheFirstVertexClosesTheOutline) {
    g_outlineEditState = OUTLINE_EDIT_SPECIFY;
    Enter(1);
    Enter(3);
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(g_points[3].flags, kPointFlagOutline);
    EXPECT_EQ(g_redrawMask, 1);
    EXPECT_EQ(g_dataChanged, -1);

    // Two vertices cannot close: a click at the first vertex takes the nearest free point.
    Enter(1);
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 2}));
    EXPECT_EQ(MessageCount(kClosed), 0u);

    Enter(1);
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 2, 1}));
    EXPECT_EQ(MessageCount(kClosed), 1u);
    EXPECT_EQ(RecordedMessages().back().caption, "外周登録終了");

    // Closing again only says so again.
    Enter(1);
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 2, 1}));
    EXPECT_EQ(MessageCount(kClosed), 2u);

    // A new point after the closing takes the closing copy's place: open, one more vertex.
    g_redrawMask = 0;
    Enter(7);
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 2, 7}));
    EXPECT_FALSE(g_outline.IsClosed());
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_EQ(FlagBytes(), (std::vector<int>{1, 1, 1, 0, 0, 0, 1, 0, 0}));
}

TEST_F(OutlineEdit, ClicksAreRefusedWhileBusyWithShiftOrCtrlAndWithAlt) {
    g_outlineEditState = OUTLINE_EDIT_SPECIFY;
    Enter(1, kMouseFlagShift);
    Enter(1, kMouseFlagControl);
    SetHeadlessKeyDown(key::kAlt, true);
    Enter(1);
    SetHeadlessKeyDown(key::kAlt, false);
    ASSERT_TRUE(OpenProgressWindow(progress::kTinEdges));
    Enter(1);
    EXPECT_EQ(g_outline.Count(), 0);
    EXPECT_EQ(g_dataChanged, 0);
    CloseProgressWindow();
    Enter(1);
    EXPECT_EQ(g_outline.Count(), 1);
}

TEST_F(OutlineEdit, PartialEraseAndRestore) {
    g_outlineEditState = OUTLINE_EDIT_PARTIAL_ERASE;
    struct Case {
        std::vector<int32_t> before;
        int32_t erased;
        std::vector<int32_t> after;  // closing copy included
        bool closedAfter;
    };
    const Case cases[] = {
        {{1, 3, 9, 7}, 3, {1, 9, 7, 1}, true},
        {{1, 3, 9, 7}, 1, {3, 9, 7, 3}, true},
        {{1, 3, 9}, 9, {1, 3}, false},
    };
    for (const Case& c : cases) {
        SetOutline(c.before, true);
        Erase(c.erased);
        EXPECT_EQ(Outline(), c.after) << c.erased;
        EXPECT_EQ(g_outline.IsClosed(), c.closedAfter);
        EXPECT_EQ(g_points[c.erased].flags, 0);
        EXPECT_EQ(g_pickAux3, c.erased);
    }

    // Clicking the erased point again puts it back where it was.
    SetOutline({1, 3, 9, 7}, true);
    Erase(9);
    Erase(9);
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 9, 7, 1}));
    EXPECT_EQ(g_points[9].flags, kPointFlagOutline);
    EXPECT_EQ(g_pickAux3, 0);
    EXPECT_EQ(g_outlineInsertPos, 0);

    // A point that is no vertex changes nothing.
    Erase(5);
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 9, 7, 1}));

    // The last vertex of a one-vertex outline leaves it empty, with nothing to restore.
    SetOutline({5}, false);
    Erase(5);
    EXPECT_EQ(g_outline.Count(), 0);
    Erase(5);
    EXPECT_EQ(g_outline.Count(), 0);
}

TEST_F(OutlineEdit, PartialChangeAlongAgainstAndOverTheStart) {
    struct Case {
        const char* what;
        std::vector<int32_t> chain;     // clicked in the first step
        std::vector<int32_t> newChain;  // clicked in the second, ending on the other end
        std::vector<int32_t> after;     // closing copy included
    };
    // The border of the grid, closed: 1 2 3 6 9 8 7 4.
    const Case cases[] = {
        {"along", {2, 3, 6}, {5, 6}, {1, 2, 5, 6, 9, 8, 7, 4, 1}},
        {"against", {6, 3, 2}, {5, 2}, {1, 2, 5, 6, 9, 8, 7, 4, 1}},
        // Over the first vertex: the outline now starts after the stretch.
        {"over the start", {4, 1, 2}, {5, 2}, {3, 6, 9, 8, 7, 4, 5, 2, 3}},
        {"longer", {9, 8}, {5, 8}, {1, 2, 3, 6, 9, 5, 8, 7, 4, 1}},
    };
    for (const Case& c : cases) {
        SetOutline({1, 2, 3, 6, 9, 8, 7, 4}, true);
        g_points[5].flags = 0x10;  // another tool's selection bit, lost by the replacement
        ClearPicks();
        ClearPickList();
        g_outlineEditState = OUTLINE_EDIT_PARTIAL_CHANGE;
        for (int32_t p : c.chain) Chain(p);
        ASSERT_EQ(g_pickList2.Count(), static_cast<int32_t>(c.chain.size())) << c.what;
        EXPECT_EQ(g_points[c.chain[1]].flags, kPointFlagOutline | kPointFlagPickList2);
        OnViewKey(vkey::kReturn);
        ASSERT_EQ(g_outlineEditState, OUTLINE_EDIT_PARTIAL_CHANGE + 1) << c.what;
        EXPECT_EQ(g_pickedPoint2, c.chain.back());

        ClearRecordedMessages();
        for (int32_t p : c.newChain) Replace(p);
        ASSERT_EQ(MessageCount("置き換えを行います"), 1u) << c.what;
        EXPECT_EQ(Outline(), c.after) << c.what;
        EXPECT_EQ(g_outlineEditState, OUTLINE_EDIT_PARTIAL_CHANGE);
        EXPECT_EQ(g_pickList.Count(), 0);
        EXPECT_EQ(g_pickList2.Count(), 0);
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            bool vertex = false;
            for (int32_t v : c.after) vertex |= v == i;
            EXPECT_EQ(g_points[i].flags, vertex ? 1 : 0) << c.what << " point " << i;
        }
    }
}

TEST_F(OutlineEdit, PartialChangeRefusesPointsOffTheChainAndCancelKeepsTheOutline) {
    SetOutline({1, 2, 3, 6, 9, 8, 7, 4}, true);
    g_outlineEditState = OUTLINE_EDIT_PARTIAL_CHANGE;
    Chain(2);
    Chain(9);  // not next to 2
    Chain(5);  // not a vertex
    EXPECT_EQ(g_pickList2.Count(), 1);
    Chain(3);
    Chain(2);  // behind the chain's direction
    EXPECT_EQ(g_pickList2.Count(), 2);
    Chain(3);  // the last chain point again takes it back
    EXPECT_EQ(g_pickList2.Count(), 1);
    EXPECT_EQ(g_points[3].flags, kPointFlagOutline);
    Chain(3);
    Chain(6);
    OnViewKey(vkey::kReturn);

    Replace(2);  // the first end cannot start the new chain
    EXPECT_EQ(g_pickList.Count(), 0);
    Replace(7);  // another outline vertex
    EXPECT_EQ(g_pickList.Count(), 0);
    Replace(5);
    EXPECT_EQ(g_pickList.Count(), 2);
    Replace(5);  // the last new point again takes it back
    EXPECT_EQ(g_pickList.Count(), 1);
    EXPECT_EQ(g_points[5].flags, 0);
    Replace(5);
    QueueMessageAnswer(msg::kIdCancel);
    Replace(6);
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 2, 3, 6, 9, 8, 7, 4, 1}));
    EXPECT_EQ(g_pickList2.Count(), 0);
    EXPECT_EQ(g_points[3].flags, kPointFlagOutline);
}

TEST_F(OutlineEdit, CtrlClicksInsertAfterTheRememberedVertexAndClose) {
    SetOutline({1, 3, 9, 7}, true);
    g_outlineEditState = OUTLINE_EDIT_PARTIAL_CHANGE;
    ExtendOutlineAtCursor(kMouseFlagControl, X(3), Y(3));
    EXPECT_EQ(g_pickedPoint, 3);
    ExtendOutlineAtCursor(kMouseFlagControl, X(6), Y(6));
    ExtendOutlineAtCursor(kMouseFlagControl, X(5), Y(5));
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 6, 5, 9, 7, 1}));
    EXPECT_EQ(g_pickedPoint, 5);
    EXPECT_EQ(g_points[6].flags, kPointFlagOutline);
    // The remembered vertex again is erased.
    ExtendOutlineAtCursor(kMouseFlagControl, X(5), Y(5));
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 6, 9, 7, 1}));
    EXPECT_EQ(g_pickedPoint, 0);

    // The last vertex remembered, a Ctrl-click on the first closes an open outline.
    SetOutline({1, 3, 9, 7}, false);
    ExtendOutlineAtCursor(kMouseFlagControl, X(7), Y(7));
    ExtendOutlineAtCursor(kMouseFlagControl, X(1), Y(1));
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 9, 7, 1}));
    EXPECT_EQ(g_pickedPoint, 0);
}

TEST_F(OutlineEdit, UndoTakesBackTheLastPick) {
    g_outlineEditState = OUTLINE_EDIT_SPECIFY;
    Enter(1);
    Enter(3);
    Enter(9);
    Enter(1);
    UndoLastPick();
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3, 9})) << "the closing goes first";
    EXPECT_FALSE(g_outline.IsClosed());
    UndoLastPick();
    EXPECT_EQ(Outline(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(g_points[9].flags, 0);
    EXPECT_EQ(g_redrawMask, 7);
    OnViewKey(vkey::kDelete);
    OnViewKey(vkey::kDelete);
    OnViewKey(vkey::kDelete);
    EXPECT_EQ(g_outline.Count(), 0);

    // A vertex far off the view brings the view to it.
    SetOutline({1, 3}, false);
    g_outline.Append(5);
    g_points[3].screenX = 2000;
    g_projectionValid = -1;
    UndoLastPick();
    EXPECT_EQ(g_viewCenterX, g_points[3].x);
    EXPECT_EQ(g_viewCenterY, g_points[3].y);
}

TEST_F(OutlineEdit, AFullListRefusesWithAMessageAndWritesNothingPastIt) {
    // Every vertex but the last refers to point 1; the list is full.
    auto fill = [] {
        ClearOutline();
        for (int32_t k = 1; k < kIndexListMaxVertices; ++k) g_outline.Append(1);
        g_outline.Append(3);
        g_points[1].flags = g_points[3].flags = kPointFlagOutline;
        ASSERT_EQ(g_outline.Count(), kIndexListMaxVertices);
    };
    const int32_t last = kIndexListEntries - 1;
    struct Case {
        const char* what;
        void (*click)();
    };
    const Case cases[] = {
        {"entry", [] { Enter(5); }},
        {"insertion",
         [] {
             g_outlineEditState = OUTLINE_EDIT_PARTIAL_CHANGE;
             g_pickedPoint = 3;
             ExtendOutlineAtCursor(kMouseFlagControl, X(5), Y(5));
         }},
    };
    for (const Case& c : cases) {
        fill();
        g_outlineEditState = OUTLINE_EDIT_SPECIFY;
        ClearRecordedMessages();
        c.click();
        EXPECT_EQ(g_outline.Count(), kIndexListMaxVertices) << c.what;
        EXPECT_EQ(g_outline[kIndexListMaxVertices], 3) << c.what;
        EXPECT_EQ(g_outline[last], 0) << c.what;
        EXPECT_EQ(g_points[5].flags, 0) << c.what;
        ASSERT_EQ(RecordedMessages().size(), 1u) << c.what;
    }

    // A replacement that would make the outline longer than the list is refused too: the
    // stretch 2 3 at its start becomes 2 5 6 3.
    fill();
    g_outline[1] = 2;
    g_outline[2] = 3;
    g_outline[kIndexListMaxVertices] = 1;
    for (int32_t p : {2, 3}) g_pickList2.Append(p);
    for (int32_t p : {2, 5, 6, 3}) g_pickList.Append(p);
    g_pickedPoint = 2;
    g_pickedPoint2 = 3;
    ClearRecordedMessages();
    ReplaceOutlineStretch();
    EXPECT_EQ(g_outline.Count(), kIndexListMaxVertices);
    EXPECT_EQ(g_outline[2], 3);
    EXPECT_EQ(g_outline[3], 1);
    EXPECT_EQ(RecordedMessages().size(), 1u);
}

TEST_F(OutlineEdit, SpecifyAndClearAllCommands) {
    SetOutline({1, 3, 9}, true);
    g_toolMode = MODE_NONE;
    g_pickedPoint = 4;
    OnOutlineSpecify();
    EXPECT_EQ(g_toolMode, MODE_OUTLINE_EDIT);
    EXPECT_EQ(g_outlineEditState, OUTLINE_EDIT_SPECIFY);
    EXPECT_EQ(g_pickedPoint, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].caption, "外周閉合確認");
    OnOutlineSpecify();
    EXPECT_EQ(g_toolMode, MODE_NONE) << "the command again switches the tool off";

    QueueMessageAnswer(msg::kIdCancel);
    OnOutlineClearAll();
    EXPECT_EQ(g_outline.Count(), 3);
    g_points[4].outside = 1;
    OnOutlineClearAll();
    EXPECT_EQ(g_outline.Count(), 0);
    EXPECT_EQ(g_outline[1], 0);
    EXPECT_EQ(g_points[1].flags, 0);
    EXPECT_EQ(g_points[4].outside, 0);
    EXPECT_EQ(g_dataChanged, -1);
}
