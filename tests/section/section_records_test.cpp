#include "section/section_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "section_test_support.h"
#include "volume/mesh_data.h"

namespace {

using sectiontest::SectionFixture;

class SectionRecords : public SectionFixture {};

void FillSide(CrossSection* s, bool right, int32_t n) {
    ASSERT_TRUE(ReserveSectionPoints(s, n));
    for (int32_t j = 1; j <= n; ++j) {
        SectionPoint& p = s->points[j];
        const std::string name = "N" + std::to_string(j);
        if (right) {
            p.rightOffset = j, p.rightHeight = 10 + j, p.rightNamed = 1;
            std::strcpy(p.rightName, name.c_str());
        } else {
            p.leftOffset = -j, p.leftHeight = 20 + j, p.leftNamed = 1;
            std::strcpy(p.leftName, name.c_str());
        }
    }
    (right ? s->rightCount : s->leftCount) = n;
}

TEST_F(SectionRecords, NullResultsAndClearing) {
    EXPECT_EQ(GetCrossSection(0), nullptr);
    EXPECT_NE(GetCrossSection(1), nullptr);
    EXPECT_NE(GetCrossSection(g_crossSectionCapacity), nullptr);
    EXPECT_EQ(GetCrossSection(g_crossSectionCapacity + 1), nullptr);
    CrossSection* s = GetCrossSection(3);
    s->number = 3;
    std::strcpy(s->name, "NO.3");
    FillSide(s, true, 5);
    g_crossSectionCount = 3;
    EXPECT_TRUE(ClearCrossSections());
    EXPECT_EQ(g_crossSectionCount, 0);
    EXPECT_EQ(s->rightCount, 0);
    EXPECT_EQ(s->number, 0);
    EXPECT_STREQ(s->name, "");
    EXPECT_NE(GetCrossSection(g_crossSectionCapacity), nullptr);

    FreeCrossSections();
    EXPECT_EQ(GetCrossSection(1), nullptr);
    EXPECT_FALSE(ClearCrossSections());
}

TEST_F(SectionRecords, ContinuationBlocksInFileTerms) {
    struct Case {
        int32_t left, right, blocks;
    };
    for (const Case& c : {Case{124, 0, 0}, Case{125, 0, 1}, Case{0, 125, 1}, Case{3, 130, 1}, Case{250, 1, 2}})
        EXPECT_EQ(SectionExtraBlocks(c.left, c.right), c.blocks) << c.left << " " << c.right;
    // A record holds far more than one block's points, and its neighbour is untouched.
    CrossSection* s = GetCrossSection(1);
    FillSide(s, true, 1000);
    EXPECT_EQ(GetCrossSection(2)->rightCount, 0);
    EXPECT_EQ(s->points[1000].rightHeight, 1010);
}

TEST_F(SectionRecords, DeletingPointsMovesNamesWithThem) {
    g_currentSection = 2;
    CrossSection* s = GetCrossSection(2);
    FillSide(s, false, 3);
    FillSide(s, true, 5);
    DeleteSectionPoint(-2);
    EXPECT_EQ(s->leftCount, 2);
    EXPECT_EQ(s->points[2].leftHeight, 23);
    EXPECT_STREQ(s->points[2].leftName, "N3");
    DeleteSectionPoint(-4);  // beyond the count: nothing
    EXPECT_EQ(s->leftCount, 2);
    DeleteSectionPoint(0);
    EXPECT_EQ(s->leftCount, 2);
    g_sectionHitRightPoint = 5;
    DeleteSectionPoint(1);
    EXPECT_EQ(s->rightCount, 4);
    EXPECT_EQ(g_sectionHitRightPoint, 4);
    EXPECT_STREQ(s->points[1].rightName, "N2");
    g_currentSection = 0;
    DeleteSectionPoint(1);  // no record: nothing
}

TEST_F(SectionRecords, OldDataKeptWhenMemoryFails) {
    CrossSection* s = GetCrossSection(7);
    FillSide(s, true, 4);
    const int32_t capacity = g_crossSectionCapacity;
    InjectAllocationFailures(0, 1);
    EXPECT_FALSE(EnsureCrossSectionRoom(capacity, 160, 200));
    EXPECT_EQ(g_crossSectionCapacity, capacity);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(GetCrossSection(7)->rightCount, 4);
    EXPECT_EQ(GetCrossSection(7)->points[4].rightHeight, 14);
    // A record's point list that cannot grow keeps its points.
    InjectAllocationFailures(0, 1);
    EXPECT_FALSE(ReserveSectionPoints(GetCrossSection(7), 100000));
    EXPECT_EQ(GetCrossSection(7)->points[4].rightHeight, 14);
    // Growing works afterwards and keeps the records.
    EXPECT_TRUE(EnsureCrossSectionRoom(capacity, 160, 200));
    EXPECT_GE(g_crossSectionCapacity, capacity + 160);
    EXPECT_EQ(GetCrossSection(7)->points[4].rightHeight, 14);
}

TEST_F(SectionRecords, LongNamesAreCutToTheirField) {
    char field[kSectionNameBytes];
    const std::string longName(40, 'A');
    CopySectionName(field, sizeof field, longName.c_str());
    EXPECT_EQ(std::strlen(field), 31u);
}

TEST_F(SectionRecords, DefaultsAndMeshLineNames) {
    g_sectionWidthSpan = 3;
    g_leftCutWidth = 1;
    InitRouteSectionDefaults();
    EXPECT_EQ(g_sectionWidthSpan, 50.0);
    EXPECT_EQ(g_leftCutWidth, 30.0);
    EXPECT_EQ(g_crossSectionCapacity, 500);
    EXPECT_EQ(g_sectionViewColors[0], 0xFF0000u);
    EXPECT_EQ(g_sectionViewColors[10], 0xFFC0C0u);
    EXPECT_EQ(g_sectionViewColors[11], 0u);
    EXPECT_EQ(GetCrossSection(1), nullptr);  // no block until the frame makes them
    struct Case {
        int32_t n;
        const char* letters;
    };
    for (const Case& c : {Case{1, "A"}, Case{26, "Z"}, Case{27, "AA"}, Case{52, "AZ"}, Case{53, "BA"}, Case{702, "ZZ"}})
        EXPECT_EQ(MeshLineName(c.n, 1), c.letters) << c.n;
    EXPECT_EQ(MeshLineName(27, 0), "27");
}

}  // namespace
