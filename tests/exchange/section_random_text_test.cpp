// The cross sections as random-point text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../section/section_test_support.h"
#include "exchange/section_random_text.h"
#include "model/rnd_file.h"
#include "platform/text_io.h"

namespace {

using sectiontest::SectionFixture;

class SectionRandomText : public SectionFixture {
protected:
    static CrossSection& MakeSection(int32_t k, const char* name, double x, double y, double height) {
        EXPECT_TRUE(EnsureCrossSectionRoom(k, 10, 300));
        CrossSection& s = *GetCrossSection(k);
        s = CrossSection{};
        CopySectionName(s.name, kSectionNameBytes, name);
        s.centreX = x, s.centreY = y, s.height = height;
        s.points.resize(1);
        g_crossSectionCount = std::max(g_crossSectionCount, k);
        g_hasSections = 1;
        return s;
    }
    static void AddSide(CrossSection& s, bool left, double x, double y, double h) {
        int32_t& n = left ? s.leftCount : s.rightCount;
        ++n;
        if (static_cast<int32_t>(s.points.size()) <= n) s.points.resize(n + 1, SectionPoint{});
        SectionPoint& p = s.points[n];
        if (left)
            p.leftX = x, p.leftY = y, p.leftHeight = h, p.leftOffset = -1;
        else
            p.rightX = x, p.rightY = y, p.rightHeight = h, p.rightOffset = 1;
    }
    static void AddCrossing(double x, double y, double h) {
        ASSERT_EQ(GrowLongCrossingBlock(g_longCrossingCount + 1), 0);
        LongCrossing& c = g_longCrossings[++g_longCrossingCount];
        c = LongCrossing{};
        c.x = x, c.y = y, c.height = h;
    }
    static std::string Stars() {
        std::string s;
        for (int i = 0; i < 5; ++i) s += "********************\r\n";
        return s;
    }
};

TEST_F(SectionRandomText, CentreThenLeftThenRightInTheRecordColumns) {
    CrossSection& s = MakeSection(1, "ABCDEFGHIJ", 100.5, -20.25, 12.5);
    AddSide(s, false, 106, -20.25, 13.125);
    AddSide(s, true, 95, -20.25, 11);
    const std::filesystem::path file = m_dir / "sections.RND";
    ASSERT_EQ(WriteSectionsAsRandomText(file, 0, 1, 0), 0);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(file, bytes));
    EXPECT_EQ(bytes, Stars() +
                         "ABCDEFGH        100.5000        -20.2500      12.500  0  0  3\r\n"
                         "                 95.0000        -20.2500      11.000  0  0  3\r\n"
                         "                106.0000        -20.2500      13.125  0  0  3\r\n");
    // The point reader takes it back as three valid points.
    InitDataModel();
    std::FILE* f = std::fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(ReadRndText(f), 0);
    ASSERT_EQ(g_pointCount, 3);
    EXPECT_STREQ(g_points[1].name, "ABCDEFGH");
    EXPECT_DOUBLE_EQ(g_points[1].x, 100.5);
    EXPECT_DOUBLE_EQ(g_points[3].z, 13.125);
}

TEST_F(SectionRandomText, OptionsChooseTheLines) {
    CrossSection& a = MakeSection(1, "A", 0, 0, 1);
    AddSide(a, true, -5, 0, 1);
    MakeSection(2, "B", 10, 0, 2);
    AddCrossing(0, 0, 7);  // no plan position: never written
    AddCrossing(5, 0, 8);
    struct Case {
        int32_t centreOnly, withCrossings;
        int lines;
    };
    for (const Case& c : {Case{1, 0, 2}, Case{0, 0, 3}, Case{1, 1, 3}, Case{0, 1, 4}}) {
        SCOPED_TRACE(c.centreOnly * 10 + c.withCrossings);
        const std::string text = FormatSectionsAsRandomText(c.centreOnly, c.withCrossings, 0);
        int lines = 0;
        for (size_t at = Stars().size(); at < text.size(); at = text.find('\n', at) + 1) ++lines;
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(text.find("       7.000"), std::string::npos);
    }
}

TEST_F(SectionRandomText, InsideOnlyKeepsPointsOnTheOutline) {
    // Outline square (0, 0) - (100, 100).
    const int32_t p1 = AddPoint(0, 0, 0), p2 = AddPoint(0, 100, 0), p3 = AddPoint(100, 100, 0),
                  p4 = AddPoint(100, 0, 0);
    for (int32_t p : {p1, p2, p3, p4}) g_outline.Append(p);
    g_outline.Close();
    CrossSection& s = MakeSection(1, "C", 50, 50, 3);
    AddSide(s, true, 50, 0, 4);      // on an edge
    AddSide(s, true, 50, -10, 5);    // outside the bounding box
    AddSide(s, false, 150, 150, 6);  // outside
    const std::string inside = FormatSectionsAsRandomText(0, 0, 1);
    EXPECT_NE(inside.find("       4.000"), std::string::npos);
    EXPECT_EQ(inside.find("       5.000"), std::string::npos);
    EXPECT_EQ(inside.find("       6.000"), std::string::npos);
    EXPECT_NE(FormatSectionsAsRandomText(0, 0, 0).find("       6.000"), std::string::npos);
}

TEST_F(SectionRandomText, UnwritableFileIsToldAndReturnsMinusOne) {
    MakeSection(1, "A", 0, 0, 1);
    EXPECT_EQ(WriteSectionsAsRandomText(m_dir / "no" / "x.RND", 0, 1, 0), -1);
    EXPECT_FALSE(RecordedMessages().empty());
}

}  // namespace
