// Editing points in the cross-section window and its point edit and colour dialogs.
#include "section/cross_section_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/message_box.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "route/route_data.h"
#include "route/station_list.h"
#include "model/terrain_data.h"
#include "section/cross_section_command.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include <cstring>

namespace {

class CrossSectionEdit : public ::testing::Test {
protected:
    void SetUp() override {
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        ClearRecordedMessages();
        g_sectionSelectedPoint = 0;
        MakeSection(1, 10.0, {-2.0, -5.0}, {3.0, 6.0});
        g_sectionViewCount = 1;
        g_currentSection = 1;
    }
    void TearDown() override {
        InitRouteSectionDefaults();
        ClearRecordedMessages();
        g_sectionSelectedPoint = 0;
    }

    // Centre (1000, 2000) at height z; left runs south, right north; heights z + offset.
    static CrossSection* MakeSection(int32_t n, double z, const std::vector<double>& left,
                                     const std::vector<double>& right) {
        CrossSection* s = GetCrossSection(n);
        s->number = n;
        s->height = z;
        s->centreX = 1000, s->centreY = 2000;
        s->leftDirX = 0, s->leftDirY = -1;
        s->rightDirX = 0, s->rightDirY = 1;
        const int32_t count = static_cast<int32_t>(std::max(left.size(), right.size()));
        EXPECT_TRUE(ReserveSectionPoints(s, count));
        for (size_t k = 0; k < left.size(); ++k) {
            SectionPoint& p = s->points[k + 1];
            p.leftOffset = left[k], p.leftHeight = z + left[k];
            p.leftX = 1000, p.leftY = 2000 + left[k];
        }
        for (size_t k = 0; k < right.size(); ++k) {
            SectionPoint& p = s->points[k + 1];
            p.rightOffset = right[k], p.rightHeight = z + right[k];
            p.rightX = 1000, p.rightY = 2000 + right[k];
        }
        s->leftCount = static_cast<int32_t>(left.size());
        s->rightCount = static_cast<int32_t>(right.size());
        s->extraBlocks = SectionExtraBlocks(s->leftCount, s->rightCount);
        g_crossSectionCount = std::max(g_crossSectionCount, n);
        return s;
    }
    static CrossSection* S() { return GetCrossSection(1); }
};

TEST_F(CrossSectionEdit, AddModeCancelUndoesOnlyWhatTheClickDid) {
    // A new point, cancelled: gone again.
    int32_t code = SectionAddRelease(0, {1.5, 11.0}, true, [] { return false; });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(S()->rightCount, 2);
    EXPECT_DOUBLE_EQ(S()->points[1].rightOffset, 3.0);
    EXPECT_EQ(g_sectionSelectedPoint, 0);

    // A new point, registered: stays, in offset order.
    code = SectionAddRelease(0, {-3.0, 8.0}, true, [] { return true; });
    EXPECT_EQ(code, -2);
    ASSERT_EQ(S()->leftCount, 3);
    EXPECT_DOUBLE_EQ(S()->points[2].leftOffset, -3.0);

    // An existing point dragged, then cancelled: back where it was, not deleted.
    const SectionPoint before = S()->points[2];
    code = SectionAddRelease(2, {4.5, 20.0}, true, [] {
        EXPECT_DOUBLE_EQ(S()->points[2].rightOffset, 4.5);  // the dialog sees the moved point
        return false;
    });
    EXPECT_EQ(code, 2);
    ASSERT_EQ(S()->rightCount, 2);
    EXPECT_DOUBLE_EQ(S()->points[2].rightOffset, before.rightOffset);
    EXPECT_DOUBLE_EQ(S()->points[2].rightHeight, before.rightHeight);
    EXPECT_DOUBLE_EQ(S()->points[2].rightY, before.rightY);

    // Dragged and registered: moved.
    SectionAddRelease(2, {4.5, 20.0}, true, [] { return true; });
    EXPECT_DOUBLE_EQ(S()->points[2].rightOffset, 4.5);
    EXPECT_DOUBLE_EQ(S()->points[2].rightHeight, 20.0);

    // A click outside the frame inserts nothing and opens no dialog.
    bool ran = false;
    EXPECT_EQ(SectionAddRelease(0, {1.0, 1.0}, false, [&] { return ran = true; }), 0);
    EXPECT_FALSE(ran);
}

TEST_F(CrossSectionEdit, ModifyModeKeepsWhatTheDialogWrote) {
    const int32_t code = SectionModifyRelease(-1, [] {
        SectionPointEditValues v;
        EXPECT_TRUE(FillSectionPointEdit(v));
        EXPECT_EQ(v.title, "測点編集 左 1");
        EXPECT_EQ(v.distance, "  2.000");
        ApplySectionPointHeight(v, "7.25", true);
        return false;  // 中止
    });
    EXPECT_EQ(code, -1);
    EXPECT_DOUBLE_EQ(S()->points[1].leftHeight, 7.25);
    EXPECT_EQ(g_sectionSelectedPoint, 0);
}

TEST_F(CrossSectionEdit, PointEditDialogRules) {
    SectionPointEditValues v;
    g_sectionSelectedPoint = 2;
    ASSERT_TRUE(FillSectionPointEdit(v));
    EXPECT_EQ(v.title, "測点編集 右 2");
    EXPECT_EQ(g_sectionHitRightPoint, 2);
    struct Case {
        const char* text;
        bool enter;
        double distance;
    } cases[] = {
        {"0", true, 6.0}, {"-4", true, 6.0}, {"1000000", true, 6.0}, {"abc", true, 6.0},
        {"8.5", false, 6.0}, {"8.5", true, 8.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ApplySectionPointDistance(v, c.text, c.enter);
        EXPECT_DOUBLE_EQ(S()->points[2].rightOffset, c.distance);  // written at once
        EXPECT_DOUBLE_EQ(S()->points[2].rightY, 2000 + c.distance);
    }
    EXPECT_EQ(v.distance, "  8.500");
    ApplySectionPointHeight(v, "100000", true);
    EXPECT_DOUBLE_EQ(S()->points[2].rightHeight, 16.0);

    // The centre: no distance box; the height goes to the section's centre height.
    g_sectionSelectedPoint = 0;
    ASSERT_TRUE(FillSectionPointEdit(v));
    EXPECT_EQ(v.title, "測点編集 センター");
    EXPECT_FALSE(v.showDistance);
    ApplySectionPointHeight(v, "12.5", true);
    EXPECT_DOUBLE_EQ(S()->height, 12.5);

    // Spin: -1 -> 0 -> +1, stopping at the outermost points.
    const int32_t steps[][3] = {{-1, -1, 0}, {0, -1, 1}, {2, -1, 2}, {-2, 1, -2}, {1, 5, -2}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s[0]);
        EXPECT_EQ(SpinSectionPoint(s[0], s[1]), s[2]);
        EXPECT_EQ(g_sectionSelectedPoint, s[2]);
    }
}

TEST_F(CrossSectionEdit, PointEditPlacement) {
    struct Case {
        SectionPixel anchor;
        SectionPixel expected;
    } cases[] = {
        {{500, 300}, {400, 330}},    // below the anchor, centred
        {{500, 900}, {400, 770}},    // too near the bottom: above
        {{50, 300}, {10, 330}},      // not left of 10
        {{1900, 300}, {1710, 330}},  // not within 10 of the right edge
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceSectionPointEdit(c.anchor, 200, 100, 1920, 1000), c.expected);
    }
}

TEST_F(CrossSectionEdit, ColourDialogCancelCloseAndDefaults) {
    const uint32_t defaults[11] = {0xFF0000, 0xFFFFFF, 0x820000, 0x808000, 0x800080, 0x00FF00,
                                   0xFFFF00, 0xFF00FF, 0xFFFFFF, 0x000000, 0xFFC0C0};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(g_sectionViewColors[i], defaults[i]) << i;
    SectionColorEdit edit = OpenSectionColorEdit();
    g_sectionViewColors[0] = 1, g_sectionViewColors[5] = 2, g_sectionViewColors[10] = 3;
    CancelSectionColorEdit(edit);  // キャンセル
    for (int i = 0; i < 11; ++i) EXPECT_EQ(g_sectionViewColors[i], defaults[i]) << i;
    edit = OpenSectionColorEdit();
    g_sectionViewColors[0] = 1, g_sectionViewColors[5] = 2, g_sectionViewColors[10] = 3;  // 閉じる: nothing to do
    EXPECT_EQ(g_sectionViewColors[5], 2u);
    ResetSectionViewColors();  // 初期化
    for (int i = 0; i < 11; ++i) EXPECT_EQ(g_sectionViewColors[i], defaults[i]) << i;
}

TEST_F(CrossSectionEdit, EstimatedCentreIsJoinedToNeitherSide) {
    auto pieces = SectionLinePieces(1);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[0].points[0].offset, 0.0);
    EXPECT_DOUBLE_EQ(pieces[1].points[0].offset, 0.0);
    S()->centreEstimated = 1;
    pieces = SectionLinePieces(1);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[0].points[0].offset, -2.0);
    EXPECT_EQ(pieces[0].points.size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[1].points[0].offset, 3.0);
}

TEST_F(CrossSectionEdit, HitTestOnTheShownSection) {
    SectionFrame f;
    f.right = 800, f.bottom = 400;
    UpdateSectionScale(f, 50, 50, kCrossSectionScaleFactor);
    f.heightOrigin = 10.0;
    const SectionPixel p = SectionWorldToScreen(f, 3.0, 13.0);
    EXPECT_EQ(HitTestSectionPoint(f, 5, p.x + 1, p.y), 1);
    EXPECT_EQ(g_sectionHitRightPoint, 1);
    EXPECT_EQ(g_sectionHitLeftPoint, 0);
    g_currentSection = 2;  // beyond the count
    EXPECT_EQ(HitTestSectionPoint(f, 5, p.x, p.y), 0);
}

TEST(StationMarks, PlanClickSelectsTheNearestWithinSquared5000) {
    const std::vector<SectionPixel> marks = {{100, 100}, {200, 100}, {150, 100}};
    struct Case {
        int32_t x, y, expected;
    } cases[] = {
        {110, 100, 1}, {190, 100, 2},
        {125, 100, 1},  // tie between 1 and 3: the first stays
        {150, 170, 3},  // 70^2 = 4900
        {150, 171, 0},  // 71^2 = 5041
    };
    for (const Case& c : cases) EXPECT_EQ(NearestStationMark(c.x, c.y, marks), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(NearestStationMark(0, 0, {}), 0);
}

TEST_F(CrossSectionEdit, PlanClickPicksTheShownSection) {
    InitDataModel();
    g_viewportCenterX = 400;
    g_viewportCenterY = 300;
    // Marks at client (410, 290) and (500, 300).
    const int32_t screen[][2] = {{10, 10}, {100, 0}};
    for (const auto& p : screen) {
        ASSERT_TRUE(EnsureStationRoom(2));
        StationRecord& s = g_stations[++g_stationCount];
        std::memset(&s, 0, sizeof s);
        s.x = s.y = 1;
        s.screenX = p[0];
        s.screenY = p[1];
    }
    g_currentSection = 1;
    g_sectionSelectedPoint = -1;
    EXPECT_TRUE(SelectSectionAtPoint(520, 330));  // 20^2 + 30^2 from station 2
    EXPECT_EQ(g_currentSection, 2);
    EXPECT_EQ(g_sectionSelectedPoint, 0);
    EXPECT_FALSE(SelectSectionAtPoint(410, 362));  // 72^2 from station 1
    EXPECT_EQ(g_currentSection, 2);
    g_birdsEyeOn = 1;
    EXPECT_FALSE(SelectSectionAtPoint(410, 290));
    EXPECT_EQ(g_currentSection, 2);
    g_birdsEyeOn = 0;
    EXPECT_TRUE(SelectSectionAtPoint(410, 290));
    EXPECT_EQ(g_currentSection, 1);
    InitDataModel();
}

}  // namespace
