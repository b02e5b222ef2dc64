// Inserting, moving and writing section points; the spans of all sections; growth of full
// records.
#include "section/section_point_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/record_block.h"
#include "platform/message_box.h"
#include "section/section_defaults.h"

namespace {

class SectionPointEdit : public ::testing::Test {
protected:
    void SetUp() override {
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        ClearRecordedMessages();
        g_sectionSelectedPoint = 0;
    }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        InitRouteSectionDefaults();
        ClearRecordedMessages();
    }

    // Section n at centre (1000, 2000), height z, its line running east (right) and west
    // (left); named points "L<j>" / "R<j>" at the given offsets, each at height z + offset.
    static CrossSection* MakeSection(int32_t n, double z, const std::vector<double>& left,
                                     const std::vector<double>& right) {
        CrossSection* s = GetCrossSection(n);
        EXPECT_NE(s, nullptr);
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
            p.leftNamed = 1;
            std::snprintf(p.leftName, sizeof p.leftName, "L%zu", k + 1);
        }
        for (size_t k = 0; k < right.size(); ++k) {
            SectionPoint& p = s->points[k + 1];
            p.rightOffset = right[k], p.rightHeight = z + right[k];
            p.rightX = 1000, p.rightY = 2000 + right[k];
            p.rightNamed = 1;
            std::snprintf(p.rightName, sizeof p.rightName, "R%zu", k + 1);
        }
        s->leftCount = static_cast<int32_t>(left.size());
        s->rightCount = static_cast<int32_t>(right.size());
        s->extraBlocks = SectionExtraBlocks(s->leftCount, s->rightCount);
        g_crossSectionCount = std::max(g_crossSectionCount, n);
        return s;
    }

    // The offsets and names of one side, in entry order.
    static std::vector<std::pair<double, std::string>> Side(const CrossSection* s, bool right) {
        std::vector<std::pair<double, std::string>> out;
        const int32_t n = right ? s->rightCount : s->leftCount;
        for (int32_t j = 1; j <= n; ++j) {
            const SectionPoint& p = s->points[j];
            out.emplace_back(right ? p.rightOffset : p.leftOffset,
                             std::string(right ? p.rightName : p.leftName) +
                                 ((right ? p.rightNamed : p.leftNamed) ? "*" : ""));
        }
        return out;
    }

    static std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : RecordedMessages()) texts.push_back(m.text);
        return texts;
    }
};

using Points = std::vector<std::pair<double, std::string>>;

TEST_F(SectionPointEdit, SpansOfAllSections) {
    struct Case {
        const char* what;
        std::vector<std::vector<double>> lefts, rights;  // one entry per section
        double width, height;
    };
    // Heights are z + offset at z = 100 (section 1) and 90 (section 2): the height span is
    // the offset range (and 10 more with two sections), the width span the offset range or
    // twice the farther side.
    const Case cases[] = {
        {"no sections", {}, {}, 50, 50},
        {"-30 .. +20", {{-10, -30}}, {{5, 20}}, 60, 50},
        {"-5 .. +40", {{-5}}, {{40}}, 80, 45},
        {"balanced -25 .. +25", {{-25}}, {{25}}, 50, 50},
        {"two sections", {{-10}, {-12}}, {{10}, {3}}, 24, 32},
        {"centre only", {{}}, {{}}, 50, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        for (size_t k = 0; k < c.lefts.size(); ++k)
            MakeSection(static_cast<int32_t>(k) + 1, 100 - 10.0 * k, c.lefts[k], c.rights[k]);
        g_sectionWidthSpan = g_sectionHeightSpan = -1;
        RecalcSectionExtents();
        EXPECT_DOUBLE_EQ(g_sectionWidthSpan, c.width);
        EXPECT_DOUBLE_EQ(g_sectionHeightSpan, c.height);
    }
}

TEST_F(SectionPointEdit, FlatSectionsGiveTheDefaultSpans) {
    CrossSection* s = MakeSection(1, 100, {-30, -60}, {20});
    for (int32_t j = 1; j <= 2; ++j) s->points[j].leftHeight = s->points[j].rightHeight = 100;
    // The centre heights of later sections do not count.
    MakeSection(2, 7, {}, {});
    RecalcSectionExtents();
    EXPECT_EQ(g_sectionWidthSpan, 50);
    EXPECT_EQ(g_sectionHeightSpan, 50);
}

TEST_F(SectionPointEdit, InsertionKeepsEachSideInOrderAndNamesWithTheirPoints) {
    struct Case {
        double offset;
        int32_t code;
        Points left, right;
    };
    const Case cases[] = {
        {5.0, 2, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}, {5, ""}, {5, "R2*"}, {8, "R3*"}}},
        {0.0, 1, {{-3, "L1*"}, {-6, "L2*"}}, {{0, ""}, {2, "R1*"}, {5, "R2*"}, {8, "R3*"}}},
        {9.5, 4, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}, {5, "R2*"}, {8, "R3*"}, {9.5, ""}}},
        {-3.0, -1, {{-3, ""}, {-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}, {5, "R2*"}, {8, "R3*"}}},
        {-4.0, -2, {{-3, "L1*"}, {-4, ""}, {-6, "L2*"}}, {{2, "R1*"}, {5, "R2*"}, {8, "R3*"}}},
        {-7.0, -3, {{-3, "L1*"}, {-6, "L2*"}, {-7, ""}}, {{2, "R1*"}, {5, "R2*"}, {8, "R3*"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        CrossSection* s = MakeSection(1, 100, {-3, -6}, {2, 5, 8});
        g_currentSection = 1;
        ASSERT_EQ(InsertSectionPoint(c.offset, 123.0), c.code);
        EXPECT_EQ(Side(s, false), c.left);
        EXPECT_EQ(Side(s, true), c.right);
        // The new point lies on the section line at its distance from the centre.
        const SectionPoint& p = s->points[std::abs(c.code)];
        const double x = c.code > 0 ? p.rightX : p.leftX, y = c.code > 0 ? p.rightY : p.leftY;
        const double z = c.code > 0 ? p.rightHeight : p.leftHeight;
        EXPECT_DOUBLE_EQ(x, 1000);
        EXPECT_DOUBLE_EQ(y, 2000 + c.offset);
        EXPECT_EQ(z, 123.0);
        // Every moved point kept its plan position and height.
        for (int32_t j = 1; j <= s->rightCount; ++j) {
            if (j == c.code) continue;
            EXPECT_EQ(s->points[j].rightY, 2000 + s->points[j].rightOffset) << j;
        }
        for (int32_t j = 1; j <= s->leftCount; ++j) {
            if (-j == c.code) continue;
            EXPECT_EQ(s->points[j].leftHeight, 100 + s->points[j].leftOffset) << j;
        }
    }
}

TEST_F(SectionPointEdit, ACancelledInsertionUndoneByDeletionLeavesTheSectionAsItWas) {
    for (const double offset : {5.0, -4.0, 0.0}) {
        SCOPED_TRACE(offset);
        CrossSection* s = MakeSection(1, 100, {-3, -6}, {2, 5, 8});
        const std::vector<SectionPoint> before(s->points.begin() + 1, s->points.begin() + 4);
        g_currentSection = 1;
        const int32_t code = InsertSectionPoint(offset, 50.0);
        ASSERT_NE(code, 0);
        DeleteSectionPoint(code);
        ASSERT_EQ(s->leftCount, 2);
        ASSERT_EQ(s->rightCount, 3);
        for (int32_t j = 1; j <= 3; ++j) {
            const SectionPoint& p = s->points[j];
            const SectionPoint& q = before[j - 1];
            EXPECT_EQ(p.rightOffset, q.rightOffset) << j;
            EXPECT_EQ(p.rightHeight, q.rightHeight) << j;
            EXPECT_EQ(p.rightY, q.rightY) << j;
            EXPECT_EQ(p.rightNamed, q.rightNamed) << j;
            EXPECT_STREQ(p.rightName, q.rightName) << j;
            if (j > 2) continue;
            EXPECT_EQ(p.leftOffset, q.leftOffset) << j;
            EXPECT_EQ(p.leftNamed, q.leftNamed) << j;
            EXPECT_STREQ(p.leftName, q.leftName) << j;
        }
    }
}

TEST_F(SectionPointEdit, MissingSectionsChangeNothing) {
    MakeSection(1, 100, {-3}, {2});
    for (const int32_t current : {0, 2, -1, 1 << 30}) {
        g_currentSection = current;
        EXPECT_EQ(InsertSectionPoint(1.0, 1.0), 0) << current;
        g_sectionSelectedPoint = 1;
        MoveSelectedSectionPoint(1.0, 1.0);
    }
    SetSectionPointFromEdit(0, 1, SectionPoint{});
    const CrossSection* s = GetCrossSection(1);
    EXPECT_EQ(Side(s, true), (Points{{2, "R1*"}}));
    EXPECT_EQ(Side(s, false), (Points{{-3, "L1*"}}));
    // An offset that is not a number is no place on the section.
    g_currentSection = 1;
    EXPECT_EQ(InsertSectionPoint(std::nan(""), 1.0), 0);
    EXPECT_EQ(s->rightCount + s->leftCount, 2);
}

TEST_F(SectionPointEdit, MovingAPointNeverCrossesTheCentreLine) {
    struct Case {
        int32_t selected;
        double offset;
        Points left, right;
    };
    const Case cases[] = {
        {-1, -4.5, {{-4.5, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
        {-1, 0.0, {{0, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
        {-1, 1.0, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
        {1, -1.0, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
        {1, 7.0, {{-3, "L1*"}, {-6, "L2*"}}, {{7, "R1*"}}},
        {0, 7.0, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
        {2, 7.0, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
        {-3, -7.0, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.selected << " " << c.offset);
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        CrossSection* s = MakeSection(1, 100, {-3, -6}, {2});
        g_currentSection = 1;
        g_sectionSelectedPoint = c.selected;
        g_sectionWidthSpan = g_sectionHeightSpan = -1;
        MoveSelectedSectionPoint(c.offset, 80.0);
        EXPECT_EQ(Side(s, false), c.left);
        EXPECT_EQ(Side(s, true), c.right);
        EXPECT_EQ(s->height, 100);
        // The plan position waits for the dialog's write-back; the spans are recomputed
        // whether or not the point moved.
        EXPECT_EQ(s->points[1].leftY, 1997);
        EXPECT_EQ(s->points[1].rightY, 2002);
        EXPECT_GT(g_sectionWidthSpan, 0);
        EXPECT_GT(g_sectionHeightSpan, 0);
    }
}

TEST_F(SectionPointEdit, WritingFromTheCopy) {
    SectionPoint copy{};
    copy.leftOffset = 4.0;  // typed as a distance: stored on the left
    copy.leftHeight = 91.0;
    copy.rightOffset = 9.0;
    copy.rightHeight = 92.0;
    std::strcpy(copy.leftName, "XX");
    std::strcpy(copy.rightName, "YY");
    copy.leftNamed = copy.rightNamed = 0;

    struct Case {
        int32_t code;
        double height;
        Points left, right;
    };
    const Case cases[] = {
        {0, 92.0, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
        {-2, 100.0, {{-3, "L1*"}, {-4, "L2*"}}, {{2, "R1*"}}},
        {1, 100.0, {{-3, "L1*"}, {-6, "L2*"}}, {{9, "R1*"}}},
        {-3, 100.0, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
        {2, 100.0, {{-3, "L1*"}, {-6, "L2*"}}, {{2, "R1*"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        CrossSection* s = MakeSection(1, 100, {-3, -6}, {2});
        SetSectionPointFromEdit(1, c.code, copy);
        EXPECT_EQ(s->height, c.height);
        EXPECT_EQ(Side(s, false), c.left);
        EXPECT_EQ(Side(s, true), c.right);
        if (c.code == -2) {
            EXPECT_EQ(s->points[2].leftHeight, 91.0);
            EXPECT_DOUBLE_EQ(s->points[2].leftY, 1996.0);
        }
        if (c.code == 1) {
            EXPECT_EQ(s->points[1].rightHeight, 92.0);
            EXPECT_DOUBLE_EQ(s->points[1].rightY, 2009.0);
        }
    }
}

TEST_F(SectionPointEdit, AFullRecordGrowsBeforeAnInsertionAndRefusesWhenItCannot) {
    // Section 1 has 123 right points: the 124th fits its first block, the 125th needs a
    // continuation block. Section 2 behind it must keep its points.
    std::vector<double> offsets;
    for (int32_t j = 1; j <= 123; ++j) offsets.push_back(j);
    CrossSection* s = MakeSection(1, 100, {-1}, offsets);
    MakeSection(2, 90, {-2, -4}, {3});
    g_currentSection = 1;
    ASSERT_EQ(InsertSectionPoint(200.0, 1.0), 124);
    EXPECT_EQ(s->extraBlocks, 0);
    ASSERT_EQ(InsertSectionPoint(0.5, 1.0), 1);
    EXPECT_EQ(s->extraBlocks, 1);
    EXPECT_EQ(s->rightCount, 125);
    EXPECT_EQ(s->points[125].rightOffset, 200.0);
    EXPECT_EQ(s->points[124].rightOffset, 123.0);
    EXPECT_GE(static_cast<int32_t>(s->points.size()), 250);
    EXPECT_TRUE(RecordedMessages().empty());

    const CrossSection* t = GetCrossSection(2);
    EXPECT_EQ(Side(t, false), (Points{{-2, "L1*"}, {-4, "L2*"}}));
    EXPECT_EQ(Side(t, true), (Points{{3, "R1*"}}));
    EXPECT_EQ(t->extraBlocks, 0);

    // Fill up to the next bound, then let the growth fail: the point is refused with a
    // message and the record keeps what it held.
    while (s->rightCount + 2 <= 250) ASSERT_GT(InsertSectionPoint(300.0 + s->rightCount, 1.0), 0);
    ASSERT_EQ(s->rightCount, 249);
    EXPECT_EQ(s->extraBlocks, 1);
    s->points.resize(251);  // no spare entries: growing must allocate
    InjectAllocationFailures(0, 1);
    ClearRecordedMessages();
    EXPECT_EQ(InsertSectionPoint(1.5, 1.0), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"メモリ確保に失敗しました。(1)"});
    EXPECT_EQ(s->rightCount, 249);
    EXPECT_EQ(s->extraBlocks, 1);
    EXPECT_EQ(s->points[2].rightOffset, 1.0);
    // With memory back the same insertion goes in.
    ClearRecordedMessages();
    EXPECT_EQ(InsertSectionPoint(1.5, 1.0), 3);
    EXPECT_EQ(s->extraBlocks, 2);
    EXPECT_EQ(s->rightCount, 250);
    EXPECT_TRUE(RecordedMessages().empty());
}

}  // namespace
