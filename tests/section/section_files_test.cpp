// The section files: fixed-column .ODN and .JDN, comma-separated .QDN.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/text_io.h"
#include "section/section_files.h"
#include "section_test_support.h"

namespace {

using sectiontest::SectionFixture;

class SectionFiles : public SectionFixture {
protected:
    // Section k with its header; points are added with the helpers below.
    static CrossSection& MakeSection(int32_t k, const char* name, double distance, double height) {
        EXPECT_TRUE(EnsureCrossSectionRoom(k, 10, 300));
        CrossSection& s = *GetCrossSection(k);
        s = CrossSection{};
        s.number = k;
        CopySectionName(s.name, kSectionNameBytes, name);
        s.distance = distance;
        s.height = height;
        s.points.resize(1);
        g_crossSectionCount = std::max(g_crossSectionCount, k);
        g_hasSections = 1;
        return s;
    }
    static void AddLeft(CrossSection& s, double offset, double height, const char* name = nullptr) {
        ++s.leftCount;
        if (static_cast<int32_t>(s.points.size()) <= s.leftCount) s.points.resize(s.leftCount + 1, SectionPoint{});
        SectionPoint& p = s.points[s.leftCount];
        p.leftOffset = offset, p.leftHeight = height;
        p.leftNamed = name != nullptr;
        CopySectionName(p.leftName, kSectionNameBytes, name ? name : "");
    }
    static void AddRight(CrossSection& s, double offset, double height, const char* name = nullptr) {
        ++s.rightCount;
        if (static_cast<int32_t>(s.points.size()) <= s.rightCount) s.points.resize(s.rightCount + 1, SectionPoint{});
        SectionPoint& p = s.points[s.rightCount];
        p.rightOffset = offset, p.rightHeight = height;
        p.rightNamed = name != nullptr;
        CopySectionName(p.rightName, kSectionNameBytes, name ? name : "");
    }
    std::filesystem::path Doc() const { return m_dir / "road.ALG"; }
    std::string Bytes(const char* extension) const {
        std::string b;
        EXPECT_TRUE(ReadFileBytes(WithExtension(Doc(), extension), b));
        return b;
    }
    void WriteText(const char* extension, const std::string& text) const {
        ASSERT_TRUE(WriteFileBytes(WithExtension(Doc(), extension), text));
    }
    static std::string Stars() {
        std::string s;
        for (int i = 0; i < 5; ++i) s += "********************\r\n";
        return s;
    }
};

TEST_F(SectionFiles, OdnGoldenLinesAndByteForByteRoundTrip) {
    AddCrossStation("NO.1", 20, 100, 0, 30, 30);
    CrossSection& s = MakeSection(1, "NO.1", 20, 10.5);
    AddLeft(s, -5, 10.25, "P1");
    AddLeft(s, -0.0004, 10.5);  // on the centre line: not written
    AddRight(s, 3, 10.125);
    // A right point stored with a negative offset goes out as it is and comes back left.
    AddRight(s, -7, 9.5);
    ASSERT_EQ(WriteOdnJdnFiles(Doc(), 1), 0);
    EXPECT_FALSE(std::filesystem::exists(WithExtension(Doc(), ".JDN")));
    const std::string want = Stars() +
                             "  1NO.1              20.000      10.500       0.000  0\r\n"
                             "    -5.000    10.250 P1\r\n"
                             "     3.000    10.125\r\n"
                             "    -7.000     9.500\r\n"
                             "E\r\n";
    EXPECT_EQ(Bytes(".ODN"), want);

    ASSERT_EQ(ReadOdnFile(Doc()), 0);
    ASSERT_EQ(g_crossSectionCount, 1);
    const CrossSection& r = *GetCrossSection(1);
    EXPECT_EQ(r.leftCount, 2);
    EXPECT_EQ(r.rightCount, 1);
    EXPECT_STREQ(r.points[1].leftName, "P1");
    EXPECT_EQ(r.points[1].leftNamed, 1);
    EXPECT_EQ(r.points[2].leftNamed, 0);
    EXPECT_DOUBLE_EQ(r.points[2].leftOffset, -7);
    // Placed on the plan through the station: left toward y - 30.
    EXPECT_DOUBLE_EQ(r.points[1].leftX, 100);
    EXPECT_DOUBLE_EQ(r.points[1].leftY, -5);
    EXPECT_DOUBLE_EQ(r.points[1].rightY, 3);
    EXPECT_EQ(g_sectionViewCount, 1);
    EXPECT_DOUBLE_EQ(g_stations[1].groundZ, 10.5);
    EXPECT_DOUBLE_EQ(g_pointZMin, 9.5);
    EXPECT_DOUBLE_EQ(g_pointZMax, 10.25);  // point heights only
    EXPECT_EQ(g_earthworkCurrentLoaded, 1);

    ASSERT_EQ(WriteOdnJdnFiles(Doc(), 1), 0);
    EXPECT_EQ(Bytes(".ODN"), want.substr(0, want.find("     3.000")) + "    -7.000     9.500\r\n     3.000    10.125\r\nE\r\n");
    ASSERT_EQ(ReadOdnFile(Doc()), 0);
    const std::string twice = Bytes(".ODN");
    ASSERT_EQ(WriteOdnJdnFiles(Doc(), 1), 0);
    EXPECT_EQ(Bytes(".ODN"), twice);
}

TEST_F(SectionFiles, OdnReaderFieldsAndStations) {
    // Stations 1..3; sections 1 and 2 are near station 3 and 2 within 0.01.
    AddCrossStation("A", 0, 0, 0, 10, 10);
    AddCrossStation("B", 50.005, 50, 0, 10, 10);
    AddCrossStation("C", 50.0, 60, 0, 10, 10);
    const std::string longName(40, 'N');
    WriteText(".ODN", "header 1\r\nh2\nh3\r\nh4\r\nh5\r\n"
                      "999LONGNAME-CUT" "      50.000" "      12.000" "       1.500" "  1\r\n"
                      "    -2.000    11.000 " + longName + "\r\n"
                      "    -1.0\r\n"  // short line: height 0
                      "E anything\r\n"
                      "  2NO.2        " "    1234.000" "       8.000\n"
                      "     4.000     7.000\r\n"
                      "E\r\n");
    ASSERT_EQ(ReadOdnFile(Doc()), 0);
    ASSERT_EQ(g_crossSectionCount, 2);
    const CrossSection& a = *GetCrossSection(1);
    EXPECT_EQ(a.number, 1);
    EXPECT_STREQ(a.name, "LONGNAME-CUT");
    EXPECT_DOUBLE_EQ(a.height2, 1.5);
    EXPECT_EQ(a.centreEstimated, 1);
    ASSERT_EQ(a.leftCount, 2);
    EXPECT_EQ(std::strlen(a.points[1].leftName), static_cast<size_t>(kSectionNameBytes - 1));
    EXPECT_DOUBLE_EQ(a.points[2].leftHeight, 0);
    // Two stations agree, neither of number 1: the higher number wins.
    EXPECT_DOUBLE_EQ(a.centreX, 60);
    const CrossSection& b = *GetCrossSection(2);
    EXPECT_STREQ(b.name, "NO.2");
    EXPECT_DOUBLE_EQ(b.singleDistance, 1234 - 50);
    EXPECT_EQ(b.centreEstimated, 0);
    // No station at its distance: centre and plan positions stay at 0.
    EXPECT_DOUBLE_EQ(b.centreX, 0);
    EXPECT_DOUBLE_EQ(b.points[1].rightX, 0);
    EXPECT_EQ(g_sectionViewCount, 1);

    // Five header lines only: no sections.
    WriteText(".ODN", Stars());
    ASSERT_EQ(ReadOdnFile(Doc()), 0);
    EXPECT_EQ(g_crossSectionCount, 0);
    EXPECT_EQ(g_hasSections, 0);
}

TEST_F(SectionFiles, OdnReadFailuresKeepTheSections) {
    AddCrossStation("A", 0, 0, 0, 10, 10);
    MakeSection(1, "KEEP", 0, 5);
    // No file.
    EXPECT_EQ(ReadOdnFile(m_dir / "none.ALG"), -1);
    EXPECT_EQ(g_crossSectionCount, 1);
    EXPECT_STREQ(GetCrossSection(1)->name, "KEEP");
    // No stations.
    WriteText(".ODN", Stars() + "  1X                  0.000       1.000       0.000  0\r\nE\r\n");
    g_stationCount = 0;
    EXPECT_EQ(ReadOdnFile(Doc()), -1);
    EXPECT_STREQ(GetCrossSection(1)->name, "KEEP");
    // Found without regard to case.
    g_stationCount = 1;
    std::filesystem::rename(WithExtension(Doc(), ".ODN"), WithExtension(Doc(), ".odn"));
    EXPECT_EQ(ReadOdnFile(Doc()), 0);
    EXPECT_STREQ(GetCrossSection(1)->name, "X");
    // Of the extension only: a base name in another case is another document's.
    std::filesystem::rename(WithExtension(Doc(), ".odn"), m_dir / "ROAD.ODN");
    MakeSection(1, "KEEP", 0, 5);
    EXPECT_EQ(ReadOdnFile(Doc()), -1);
    EXPECT_STREQ(GetCrossSection(1)->name, "KEEP");
}

TEST_F(SectionFiles, SectionNumbersFrom1000AreWrittenAsZero) {
    AddCrossStation("A", 0, 0, 0, 10, 10);
    for (int32_t k = 1; k <= 1001; ++k) MakeSection(k, "S", k, 1);
    ASSERT_EQ(WriteOdnJdnFiles(Doc(), 1), 0);
    const std::string text = Bytes(".ODN");
    EXPECT_NE(text.find("\r\n999S "), std::string::npos);
    EXPECT_NE(text.find("\r\n  0S               1000.000"), std::string::npos);
    EXPECT_NE(text.find("\r\n  0S               1001.000"), std::string::npos);
}

TEST_F(SectionFiles, JdnWithCrossListRoundTrip) {
    AddCrossStation("A", 0, 0, 0, 10, 10);
    CrossSection& s = MakeSection(1, "CROSS1", 0, 10.5);
    s.height2 = 2.25;
    MakeSection(2, "NO.1", 20, 11);
    ASSERT_EQ(WriteOdnJdnFiles(Doc(), 2), 0);
    const std::string plain = Bytes(".JDN");
    EXPECT_EQ(plain, Stars() + "    1\r\n    1\r\n"
                               "CROSS1             0.000      10.500       2.250\r\n"
                               "NO.1              20.000      11.000       0.000\r\n"
                               "E\r\n");
    // No list written; a section named CROSS... is no list.
    ASSERT_EQ(ReadJdnFile(Doc()), 0);
    EXPECT_EQ(g_longCrossingCount, 0);

    ASSERT_EQ(GrowLongCrossingBlock(2), 0);
    g_longCrossings[1] = LongCrossing{5.5, 10.75, 0, 1, 2, -1, "K1"};
    g_longCrossings[2] = LongCrossing{12.25, 10.5, 0.5, 0, 0, 1, "TWELVECHARSX"};
    g_longCrossingCount = 2;
    ASSERT_EQ(WriteOdnJdnFiles(Doc(), 0), 0);
    const std::string with = Bytes(".JDN");
    EXPECT_EQ(with, plain + "CROSS\r\n2\r\n"
                            "K1                 5.500      10.750       0.000   -1\r\n"
                            "TWELVECHARSX      12.250      10.500       0.500    1\r\n"
                            "E\r\n");
    g_longCrossingCount = 0;
    ASSERT_EQ(ReadJdnFile(Doc()), 0);
    ASSERT_EQ(g_longCrossingCount, 2);
    // The name field is taken with its filling blanks.
    EXPECT_STREQ(g_longCrossings[1].name, "K1          ");
    EXPECT_EQ(g_longCrossings[1].station, -1);
    EXPECT_DOUBLE_EQ(g_longCrossings[2].height2, 0.5);
    ASSERT_EQ(WriteOdnJdnFiles(Doc(), 2), 0);
    std::string again = Bytes(".JDN");
    // The blanks read back are blanks written again.
    EXPECT_EQ(again, with);
}

TEST_F(SectionFiles, JdnReadsOnlyTheFirstListAndTrustsNoCount) {
    AddCrossStation("A", 0, 0, 0, 10, 10);
    const std::string head = Stars() + "    1\r\n    1\r\nS1                 0.000      10.000       0.000\r\nE\r\n";
    WriteText(".JDN", head + "CROSS\r\n1\r\nK1                 5.500      10.750       0.000   -1\r\nE\r\n"
                             "CROSS\r\n3\r\nX1 1 1 1\r\nX2\r\nX3\r\nE\r\n");
    ASSERT_EQ(ReadJdnFile(Doc()), 0);
    ASSERT_EQ(g_longCrossingCount, 1);
    EXPECT_DOUBLE_EQ(g_longCrossings[1].distance, 5.5);
    // A count far beyond the lines present.
    WriteText(".JDN", head + "CROSS\r\n2000000000\r\nK1                 5.500\r\n");
    ASSERT_EQ(ReadJdnFile(Doc()), 0);
    EXPECT_EQ(g_longCrossingCount, 1);
    EXPECT_LE(g_longCrossingCapacity, 100);
    // No stations: the list is emptied, the file not read.
    g_stationCount = 0;
    EXPECT_EQ(ReadJdnFile(Doc()), -1);
    EXPECT_EQ(g_longCrossingCount, 0);
}

TEST_F(SectionFiles, QdnRoundTripThroughTheWorkFile) {
    ASSERT_TRUE(ResetSimpleSections());
    for (int32_t k = 1; k <= 2; ++k) {
        SectionProfile& p = g_profile;
        p.number = k;
        std::snprintf(p.name, sizeof p.name, "NO.%d", k);
        p.distance = 20.0 * (k - 1), p.height = 10.12345, p.height2 = 0, p.x = 100, p.y = 200.5;
        p.right.count = k + 1, p.left.count = -(k + 1);
        for (int32_t j = 1; j <= k + 1; ++j) {
            p.left.dist[j] = -j, p.left.z[j] = 10 + j * 0.25, p.left.x[j] = 1, p.left.y[j] = 2;
            p.right.dist[j] = j, p.right.z[j] = 9, p.right.x[j] = 3, p.right.y[j] = 4;
        }
        ASSERT_TRUE(AppendSimpleSection());
    }
    ASSERT_EQ(WriteQdnFile(Doc()), 0);
    const std::string once = Bytes(".QDN");
    EXPECT_EQ(once.substr(0, once.find("\r\n", once.find("\r\n") + 2) + 2),
              "1,-2,2,0.0000,10.1235,0.0000,100.0000,200.5000,NO.1,\r\n"
              "-1.0000,10.2500,1.0000,2.0000,1.0000,9.0000,3.0000,4.0000,\r\n");
    ASSERT_EQ(ReadQdnFile(Doc()), 2);
    ASSERT_EQ(WriteQdnFile(Doc()), 0);
    EXPECT_EQ(Bytes(".QDN"), once);
    // A count larger than its lines, an early E and blank lines between sections.
    WriteText(".QDN", "\r\n7,-9,9,1,2,3,4,5,X,\r\n1,2,3,4,5,6,7,8,\r\nE\r\n\r\n8,0,0,1,2,3,4,5,Y,\r\nE\r\n");
    ASSERT_EQ(ReadQdnFile(Doc()), 2);
    ASSERT_TRUE(ReadSimpleSection(1));
    EXPECT_EQ(g_profile.number, 7);
    EXPECT_EQ(g_profile.right.count, 1);
    EXPECT_DOUBLE_EQ(g_profile.right.y[1], 8);
}

TEST_F(SectionFiles, WriteFailuresAreToldAndReturnMinusOne) {
    AddCrossStation("A", 0, 0, 0, 10, 10);
    MakeSection(1, "S", 0, 1);
    const std::filesystem::path nowhere = m_dir / "missing" / "road.ALG";
    ClearRecordedMessages();
    EXPECT_EQ(WriteOdnJdnFiles(nowhere, 0), -1);
    EXPECT_FALSE(RecordedMessages().empty());
}

}  // namespace

#include "model/document_services.h"

namespace {

TEST_F(SectionFiles, RouteDocumentAsksBeforeTheLongitudinalFile) {
    AddCrossStation("NO.1", 0, 0, 0, 10, 10);
    // Without sections: a cross-section file of its header lines, no question.
    ClearRecordedMessages();
    WriteRouteDocumentFiles(Doc());
    EXPECT_EQ(Bytes(".ODN"), Stars());
    EXPECT_FALSE(std::filesystem::exists(WithExtension(Doc(), ".JDN")));
    EXPECT_TRUE(RecordedMessages().empty());

    CrossSection& s = MakeSection(1, "NO.1", 0, 10);
    AddRight(s, 5, 11, "R1");
    for (int answer : {msg::kIdNo, msg::kIdYes}) {
        std::filesystem::remove(WithExtension(Doc(), ".JDN"));
        ClearRecordedMessages();
        QueueMessageAnswer(answer);
        WriteRouteDocumentFiles(Doc());
        ASSERT_FALSE(RecordedMessages().empty());
        EXPECT_EQ(RecordedMessages().front().text,
                  "縦断データを出力しますか\n（縦断計画で現況を編集した場合は出力しないでください）");
        EXPECT_EQ(std::filesystem::exists(WithExtension(Doc(), ".JDN")), answer == msg::kIdYes);
    }
    // Opening the route document reads the sections back.
    ClearRouteSections();
    EXPECT_EQ(g_crossSectionCount, 0);
    EXPECT_EQ(g_hasSections, 0);
    ReadRouteDocumentFiles(Doc());
    ASSERT_EQ(g_crossSectionCount, 1);
    EXPECT_STREQ(GetCrossSection(1)->points[1].rightName, "R1");
}

}  // namespace
