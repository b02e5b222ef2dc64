// SIMA route and section files: the records of a one-curve route, reading them back,
// curve values given by C99 alone, and the side order of the section points.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "exchange/sima_route.h"
#include "import_test_support.h"
#include "platform/encoding.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "section/section_records.h"

namespace {

using importtest::ImportFixture;

class SimaRouteTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
    }
    static void SetIp(int32_t i, const char* name, int32_t number, double x, double y) {
        IpPoint& ip = g_ipPoints[i];
        ip = IpPoint{};
        std::strcpy(ip.name, name);
        ip.number = number;
        ip.x = x;
        ip.y = y;
    }
    // BP - IP1 (R 100, A1 = A2 = 50, turning right) - EP with a station on every main point.
    static void OneCurveRoute() {
        g_ipPointCount = 3;
        SetIp(1, "BP", 0, 0, 0);
        SetIp(2, "IP", 1, 300, 100);
        SetIp(3, "EP", 2, 500, 0);
        IpPoint& ip = g_ipPoints[2];
        ip.radius = 100;
        ip.a1 = ip.a2 = 50;
        ip.turnSide = 1;
        ip.ka1Distance = 100;
        ip.ke1Distance = 125;
        ip.arcLength = 80;  // pi R is longer: arc flag 0
        ip.ke2Distance = 205;
        ip.ka2Distance = 230;
        struct S {
            int32_t kind;
            const char* name;
            double added;
        };
        const std::vector<S> st = {{1, "BP", 0},     {2, "NO.1", 20},   {3, "KA1", 100.4}, {5, "KE1", 125},
                                   {8, "KE2", 205}, {10, "KA2", 230}, {11, "EP", 300}};
        g_stationCapacity = 20;
        ASSERT_EQ(GrowStationBlock(g_stationCapacity), 0);
        g_stationCount = static_cast<int32_t>(st.size());
        for (int32_t j = 1; j <= g_stationCount; ++j) {
            StationRecord& r = g_stations[j];
            r = StationRecord{};
            r.kind = st[j - 1].kind;
            std::strcpy(r.name, st[j - 1].name);
            r.addedDistance = st[j - 1].added;
            r.x = j * 10.0;
            r.y = j;
            r.leftX = r.x - 1;
            r.leftY = r.y + 5;
            r.rightX = r.x + 1;
            r.rightY = r.y - 5;
        }
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> out;
        size_t pos = 0;
        while (pos < text.size()) {
            const size_t e = text.find("\r\n", pos);
            EXPECT_NE(e, std::string::npos) << "every line ends in CR LF";
            if (e == std::string::npos) break;
            out.push_back(Cp932ToUtf8(text.substr(pos, e - pos)));
            pos = e + 2;
        }
        return out;
    }
    static std::vector<std::string> Block(const std::vector<std::string>& lines, const std::string& head) {
        std::vector<std::string> out;
        bool in = false;
        for (const auto& l : lines) {
            if (l.rfind(head, 0) == 0) in = true;
            if (in) out.push_back(l);
            if (in && l == "F99,") break;
        }
        return out;
    }
};

TEST_F(SimaRouteTest, OneCurveRouteRecords) {
    OneCurveRoute();
    const auto lines = Lines(RouteSimaText());
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "G00,02,-,");
    EXPECT_EQ(lines[1], "Z00,/ 座標 /,");
    EXPECT_EQ(lines[3], "A01,1,BP,0.000,0.000,0.000,");
    EXPECT_EQ(lines[4], "A01,2,IP1,300.000,100.000,0.000,");
    EXPECT_EQ(lines[5], "A01,3,EP,500.000,0.000,0.000,");
    EXPECT_EQ(lines[6], "A01,4,BP,10.000,1.000,0.000,");
    EXPECT_EQ(lines[13], "A01,11,ﾊﾊﾞL1,9.000,6.000,0.000,");
    EXPECT_EQ(lines[20], "A01,18,ﾊﾊﾞR1,11.000,-4.000,0.000,");
    EXPECT_EQ(lines[27], "A99,");

    const std::vector<std::string> main = {
        "Z00,/ 主要線 /,", "F00, 2, 1, MAIN,2,", "B01, 4,BP,",  "B01, 6,KA1,",
        "C02, 50.000, 0.000, -100.000,", "C04, 2,IP1,", "B01, 7,KE1,", "C01, 0, -100.000,",
        "C04, 2,IP1,", "B01, 8,KE2,", "C02, 50.000, -100.000, 0.000,", "C04, 2,IP1,",
        "B01, 9,KA2,", "B01, 10,EP,", "F99,"};
    EXPECT_EQ(Block(lines, "Z00,/ 主要線"), main);
    const std::vector<std::string> ipLine = {"Z00,/ ＩＰ線 /,", "F00, 1, 1, IP-POINT,1,", "B01, 1,BP,",
                                             "B01, 2,IP1,", "B01, 3,EP,", "F99,"};
    EXPECT_EQ(Block(lines, "Z00,/ ＩＰ線"), ipLine);
    const auto centre = Block(lines, "Z00,/ 中心線");
    const std::vector<std::string> centreHead = {"Z00,/ 中心線 /,", "F00, 3, 1, CENTER,3,", "B01, 4,BP,",
                                                 "B03, 0.000,", "B01, 5,NO.1,", "B03, 20.000,",
                                                 "B01, 6,KA1,", "B03, 100.400,",
                                                 "C02, 50.000, 0.000, -100.000,", "C00,",
                                                 // the arc start closes the entry clothoid
                                                 "C99,", "B01, 7,KE1,", "B03, 125.000,",
                                                 "C01, 0, -100.000,", "C00,", "C99,", "B01, 8,KE2,",
                                                 "B03, 205.000,", "C02, 50.000, -100.000, 0.000,",
                                                 "C00,", "C99,", "B01, 9,KA2,"};
    ASSERT_GE(centre.size(), centreHead.size());
    EXPECT_EQ(std::vector<std::string>(centre.begin(), centre.begin() + centreHead.size()), centreHead);
    const auto left = Block(lines, "Z00,/ 幅杭線 左");
    ASSERT_EQ(left.size(), 10u);
    EXPECT_EQ(left[1], "F00, 4, 1, ﾊﾊﾞﾋﾀﾞﾘ,4,");
    EXPECT_EQ(left[2], "B01, 11,ﾊﾊﾞL1,");
    const auto right = Block(lines, "Z00,/ 幅杭線 右");
    ASSERT_EQ(right.size(), 10u);
    EXPECT_EQ(right[1], "F00, 5, 1, ﾊﾊﾞﾐｷﾞ,5,");
    EXPECT_EQ(right[8], "B01, 24,ﾊﾊﾞR7,");
}

TEST_F(SimaRouteTest, ReadsItsOwnFileBack) {
    OneCurveRoute();
    const auto path = m_dir / "route.SIM";
    ASSERT_EQ(WriteRouteSima(path), 0);
    std::vector<StationRecord> written(g_stations + 1, g_stations + 1 + g_stationCount);
    InitDataModel();

    ASSERT_EQ(ReadRouteSima(path), 0);
    ASSERT_EQ(g_ipPointCount, 3);
    EXPECT_STREQ(g_ipPoints[2].name, "IP");  // written again as IP1
    EXPECT_EQ(g_ipPoints[2].number, 1);
    EXPECT_STREQ(g_ipPoints[3].name, "EP");
    EXPECT_DOUBLE_EQ(g_ipPoints[2].x, 300);
    EXPECT_DOUBLE_EQ(g_ipPoints[2].radius, 100);
    EXPECT_DOUBLE_EQ(g_ipPoints[2].a1, 50);
    EXPECT_DOUBLE_EQ(g_ipPoints[2].a2, 50);
    EXPECT_DOUBLE_EQ(g_ipPoints[1].radius, 0);
    ASSERT_EQ(g_stationCount, static_cast<int32_t>(written.size()));
    for (int32_t j = 1; j <= g_stationCount; ++j) {
        SCOPED_TRACE(j);
        EXPECT_STREQ(g_stations[j].name, written[j - 1].name);
        EXPECT_NEAR(g_stations[j].addedDistance, written[j - 1].addedDistance, 5e-4);
        EXPECT_DOUBLE_EQ(g_stations[j].leftX, written[j - 1].leftX);
        EXPECT_DOUBLE_EQ(g_stations[j].rightY, written[j - 1].rightY);
    }
    EXPECT_EQ(g_stations[1].kind, 1);
    EXPECT_EQ(g_stations[2].kind, 2);
    EXPECT_EQ(g_stations[g_stationCount].kind, 11);
    ASSERT_EQ(g_pointCount, 3 + 3 * 7);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        EXPECT_EQ(g_points[i].invalid, 1);
        EXPECT_EQ(g_points[i].multiUse, i);
    }
    EXPECT_EQ(Name(12), "\xCA\xCA\xDE" "L2");  // CP932 bytes of the stake name
    ExpectConsistent();
    ASSERT_EQ(RecordedMessages().size(), 1u);
}

TEST_F(SimaRouteTest, CurvesClosedByC99AloneGoToIpsInOrder) {
    const std::string file =
        "G00,02,-,\r\nA00,\r\nA01,1,BP,0,0,0,\r\nA01,2,IP1,100,50,0,\r\nA01,3,IP2,200,0,0,\r\n"
        "A01,4,EP,300,50,0,\r\nA99,\r\nF00, 1, 1, IP-POINT,1,\r\nB01, 1,BP,\r\nB01, 2,IP1,\r\n"
        "B01, 3,IP2,\r\nB01, 4,EP,\r\nF99,\r\nF00, 3, 1, CENTER,3,\r\nB01, 1,BP,\r\nB03, 0.000,\r\n"
        "C02, 40.000, 0.000, -150.000,\r\nC00,\r\nC01, 1, -150.000,\r\nC02, 30.000, -150.000, 0.000,\r\n"
        "C99,\r\nC01, 0, 80.000,\r\nC99,\r\nB01, 4,EP,\r\nB03, 300.000,\r\nF99,\r\n";
    ASSERT_EQ(ReadRouteSima(Write("c99.SIM", file)), 0);
    ASSERT_EQ(g_ipPointCount, 4);
    struct Want {
        int32_t ip;
        double r, a1, a2;
    };
    for (const Want& w : {Want{1, 0, 0, 0}, Want{2, 150, 40, 30}, Want{3, 80, 0, 0}, Want{4, 0, 0, 0}}) {
        SCOPED_TRACE(w.ip);
        EXPECT_DOUBLE_EQ(g_ipPoints[w.ip].radius, w.r);
        EXPECT_DOUBLE_EQ(g_ipPoints[w.ip].a1, w.a1);
        EXPECT_DOUBLE_EQ(g_ipPoints[w.ip].a2, w.a2);
    }
    ASSERT_EQ(g_stationCount, 2);
    EXPECT_DOUBLE_EQ(g_stations[2].addedDistance, 300);
}

TEST_F(SimaRouteTest, PointShapesAndSingleRecord) {
    struct Case {
        const char* line;
        const char* name;
        double x, y, z;
    };
    for (const Case& c : {Case{"A01,7,P 1,1.5,2.5,3.5,", "P1", 1.5, 2.5, 3.5},
                          Case{"A01,7,\"NAME\",1.5,2.5,,", "NAME", 1.5, 2.5, 0},
                          Case{"A01,7,,1.5,2.5,3.5,", "", 1.5, 2.5, 3.5},
                          Case{"A01,7,LONGNAME12345,1,2", "LONGNAME1", 1, 2, 0}}) {
        SCOPED_TRACE(c.line);
        InitDataModel();
        const std::string file = std::string("A01,1,Q,0,0,0,\r\n") + c.line + "\r\n";
        ASSERT_EQ(ReadRouteSima(Write("p.SIM", file)), 0);
        ASSERT_EQ(g_pointCount, 2);
        EXPECT_EQ(Name(2), c.name);
        EXPECT_EQ(g_points[2].multiUse, 7);
        EXPECT_DOUBLE_EQ(g_points[2].x, c.x);
        EXPECT_DOUBLE_EQ(g_points[2].y, c.y);
        EXPECT_DOUBLE_EQ(g_points[2].z, c.z);
    }
    InitDataModel();
    ClearRecordedMessages();
    ASSERT_EQ(ReadRouteSima(Write("one.SIM", "A01,1,Q,1,2,3,\r\n")), 0);
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(SimaRouteTest, MissingFileKeepsTheRoute) {
    OneCurveRoute();
    EXPECT_EQ(ReadRouteSima(m_dir / "absent.SIM"), kRouteSimaOpenFailed);
    EXPECT_EQ(g_ipPointCount, 3);
    EXPECT_EQ(g_stationCount, 7);
}

TEST_F(SimaRouteTest, NothingToWriteAndUnwritablePath) {
    EXPECT_EQ(WriteRouteSima(m_dir / "none.SIM"), kRouteSimaNothing);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "none.SIM"));
    OneCurveRoute();
    EXPECT_EQ(WriteRouteSima(m_dir / "no-such-folder" / "r.SIM"), kRouteSimaWriteFailed);
}

TEST_F(SimaRouteTest, SectionRecordsLeftOutermostFirst) {
    EXPECT_EQ(WriteCrossSectionSima(m_dir / "x.SIM"), kRouteSimaNothing);
    g_crossSectionCapacity = 4;
    ASSERT_EQ(GrowCrossSections(), 0);
    g_crossSectionCount = 1;
    CrossSection* c = GetCrossSection(1);
    ASSERT_NE(c, nullptr);
    std::strcpy(c->name, "NO.1");
    c->distance = 20;
    c->height = 10.5;
    c->height2 = 11;
    ASSERT_TRUE(ReserveSectionPoints(c, 3));
    c->leftCount = 3;
    c->rightCount = 2;
    for (int32_t j = 1; j <= 3; ++j) {
        SectionPoint& p = c->points[j];
        std::snprintf(p.leftName, sizeof p.leftName, "L%d", j);
        std::snprintf(p.rightName, sizeof p.rightName, "R%d", j);
        p.leftOffset = -j * 2.0;
        p.leftHeight = 10 + j;
        p.rightOffset = j * 3.0;
        p.rightHeight = 20 + j;
    }
    const std::string cross =
        "G00,02,-,\r\nI00,,,\r\nI01,NO.1,20.000,10.500,11.000,1,\r\nI02,L3,-6.000,13.000,\r\n"
        "I02,L2,-4.000,12.000,\r\nI02,L1,-2.000,11.000,\r\nI02,R1,3.000,21.000,\r\n"
        "I02,R2,6.000,22.000,\r\nI99,\r\n";
    EXPECT_EQ(CrossSectionSimaText(), cross);
    EXPECT_EQ(LongSectionSimaText(), "G00,02,-,\r\nH00,,,\r\nH01,NO.1,20.000,10.500,11.000,1,\r\nH99,\r\n");
    ASSERT_EQ(WriteCrossSectionSima(m_dir / "x.SIM"), 0);
    std::string back;
    ASSERT_TRUE(ReadFileBytes(m_dir / "x.SIM", back));
    EXPECT_EQ(back, cross);
    FreeCrossSections();
}

}  // namespace
