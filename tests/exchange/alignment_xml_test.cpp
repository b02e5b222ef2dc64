// Alignment XML: IPs, stations and geometry values from a file in the published layout,
// the same file re-indented, on one line and declared Shift_JIS; the vector question; and
// files that must change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "exchange/alignment_xml.h"
#include "import_test_support.h"
#include "model/record_block.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "view/display_flags.h"

namespace {

using importtest::ImportFixture;
using importtest::RunCommand;

std::string Header(const char* encoding = "UTF-8") {
    return std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\n";
}

// Two element points, three intersection points, stations and one geometry element per IP.
std::string Alignment(const std::string& gm = {}) {
    return "<RoadGM>\n"
           " <Alignment Name=\"Route1\">\n"
           "  <ElementPnts>\n"
           "   <ElementPnt Name=\"BP\" x=\"1000.000\" y=\"2000.000\"/>\n"
           "   <ElementPnt Name=\"EP\" x=\"1800.000\" y=\"2600.000\"/>\n"
           "  </ElementPnts>\n"
           "  <PIs>\n"
           "   <PI Name=\"IP1\" x=\"1200.000\" y=\"2300.000\"/>\n"
           "   <PI Name=\"IP2\" x=\"1400.000\" y=\"2200.000\"/>\n"
           "   <PI Name=\"IP3\" x=\"1600.000\" y=\"2500.000\"/>\n"
           "  </PIs>\n"
           "  <IntermediatePnts>\n"
           "   <IntermediatePnt Name=\"No.0\" x=\"1000.000\" y=\"2000.000\" CumulativeDist=\"0.000\"/>\n"
           "   <IntermediatePnt Name=\"No.1\" x=\"1011.094\" y=\"2016.641\" CumulativeDist=\"20.000\"/>\n"
           "   <IntermediatePnt Name=\"No.1+5\" x=\"1013.868\" y=\"2020.801\"/>\n"
           "  </IntermediatePnts>\n"
           "  <GmElements>\n" +
           (gm.empty() ? "   <GmElement Name=\"C1\" RefPI=\"IP1\">\n"
                         "    <Clothoid StartRadius=\"0\" EndRadius=\"300\" A=\"120\"/>\n"
                         "   </GmElement>\n"
                         "   <GmElement Name=\"C2\" RefPI=\"IP2\">\n"
                         "    <Curve Radius=\"-250\"/>\n"
                         "   </GmElement>\n"
                         "   <GmElement Name=\"C3\" RefPI=\"IP3\">\n"
                         "    <Clothoid StartRadius=\"300\" EndRadius=\"0\" A=\"90\"/>\n"
                         "   </GmElement>\n"
                       : gm) +
           "  </GmElements>\n"
           " </Alignment>\n"
           "</RoadGM>\n";
}

// The same document with every line's indentation and line end removed.
std::string OneLine(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (c == '\n') {
            lineStart = true;
            continue;
        }
        if (lineStart && c == ' ') continue;
        lineStart = false;
        out += c;
    }
    return out;
}

// Deeper indentation, attributes on lines of their own.
std::string Reindented(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            out += "\r\n\t";
        } else if (text[i] == ' ' && i + 1 < text.size() && std::isalpha(static_cast<unsigned char>(text[i + 1])) &&
                   i > 0 && text[i - 1] == '"') {
            out += "\n        ";
        } else {
            out += text[i];
        }
    }
    return out;
}

// Ten levels of ten references each: a thousand million copies if they were expanded.
std::string BillionLaughs() {
    std::string t = Header() + "<!DOCTYPE r [";
    for (int i = 0; i < 10; ++i) {
        std::string body = "lol";
        if (i > 0) {
            body.clear();
            for (int k = 0; k < 10; ++k) body += "&l" + std::to_string(i - 1) + ";";
        }
        t += "<!ENTITY l" + std::to_string(i) + " \"" + body + "\">";
    }
    return t + "]><RoadGM><PIs><PI Name=\"&l9;\" x=\"1\" y=\"2\"/></PIs></RoadGM>";
}

class AlignmentXmlTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        g_ipPointCount = 0;
        g_stationCount = 0;
    }
    int32_t Read(const std::string& text, int answer = msg::kIdNo) {
        QueueMessageAnswer(answer);
        return ReadRoadGmXml(Write("route.xml", text));
    }
    // A route that an unsuccessful read must leave as it is.
    static void OldRoute() {
        g_ipPointCount = 2;
        std::strcpy(g_ipPoints[1].name, "OLD");
        std::strcpy(g_ipPoints[2].name, "OLD2");
        g_stationCapacity = 10;
        ASSERT_EQ(GrowStationBlock(10), 0);
        g_stationCount = 1;
        std::strcpy(g_stations[1].name, "KEEP");
    }
    static void ExpectOldRoute() {
        EXPECT_EQ(g_ipPointCount, 2);
        EXPECT_STREQ(g_ipPoints[1].name, "OLD");
        EXPECT_EQ(g_stationCount, 1);
        EXPECT_STREQ(g_stations[1].name, "KEEP");
    }
    static std::string LastMessage() {
        return RecordedMessages().empty() ? std::string() : RecordedMessages().back().text;
    }
};

TEST_F(AlignmentXmlTest, ElementPointsBracketTheIntersectionPointsInEveryLayout) {
    const std::string base = Header() + Alignment();
    for (const std::string& text : {base, OneLine(base), Reindented(base)}) {
        SCOPED_TRACE(text.substr(0, 200));
        ASSERT_EQ(Read(text), 0);
        ASSERT_EQ(g_ipPointCount, 5);
        const char* names[] = {"", "BP", "IP1", "IP2", "IP3", "EP"};
        const double xs[] = {0, 1000, 1200, 1400, 1600, 1800};
        const double ys[] = {0, 2000, 2300, 2200, 2500, 2600};
        for (int i = 1; i <= 5; ++i) {
            EXPECT_STREQ(g_ipPoints[i].name, names[i]);
            EXPECT_DOUBLE_EQ(g_ipPoints[i].x, xs[i]);
            EXPECT_DOUBLE_EQ(g_ipPoints[i].y, ys[i]);
        }
        EXPECT_DOUBLE_EQ(g_ipPoints[2].a1, 120);
        EXPECT_DOUBLE_EQ(g_ipPoints[3].radius, 250);
        EXPECT_DOUBLE_EQ(g_ipPoints[4].a2, 90);
        ASSERT_EQ(g_stationCount, 3);
        EXPECT_STREQ(g_stations[3].name, "No.1+5");
        EXPECT_EQ(g_stations[3].kind, 2);
        // Without the attribute the previous record's distance stays.
        EXPECT_DOUBLE_EQ(g_stations[3].addedDistance, 20.0);
        EXPECT_DOUBLE_EQ(g_stations[2].leftX, 1011.094);
        EXPECT_DOUBLE_EQ(g_stations[2].rightY, 2016.641);
    }
    // A second opinion on the fixture: well-formed, and the same number of intersection points.
    const auto path = Write("check.xml", base);
    EXPECT_EQ(RunCommand("xmllint --noout '" + path.string() + "' 2>&1; echo $?"), "0\n");
    EXPECT_EQ(RunCommand("xmllint --xpath 'count(//PI)' '" + path.string() + "'"), "3\n");
}

TEST_F(AlignmentXmlTest, GeometryElementSetsRadiusAndClothoidParameters) {
    struct Case {
        const char* line;
        double r, a1, a2;
    };
    const Case cases[] = {
        {"<Clothoid StartRadius=\"0\" EndRadius=\"300\" A=\"120\"/>", 0, 120, 0},
        {"<Clothoid StartRadius=\"300\" EndRadius=\"0\" A=\"120\"/>", 0, 0, 120},
        {"<Clothoid StartRadius=\"300\" EndRadius=\"300\" A=\"120\"/>", 0, 0, 0},  // egg-shaped: neither
        {"<Curve Radius=\"-250\"/>", 250, 0, 0},
        {"<Clothoid StartRadius=\"0\" EndRadius=\"-300\" A=\"-80\"/>", 0, 80, 0},
        // Every element inside resets all four: the last one decides.
        {"<Curve Radius=\"250\"/><Clothoid StartRadius=\"250\" EndRadius=\"0\" A=\"70\"/>", 0, 0, 70},
        {"<Clothoid StartRadius=\"250\" EndRadius=\"0\" A=\"70\"/><Curve Radius=\"250\"/>", 250, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string gm = std::string("<GmElement Name=\"G\" RefPI=\"IP2\">") + c.line + "</GmElement>";
        ASSERT_EQ(Read(Header() + Alignment(gm)), 0);
        EXPECT_DOUBLE_EQ(g_ipPoints[3].radius, c.r);
        EXPECT_DOUBLE_EQ(g_ipPoints[3].a1, c.a1);
        EXPECT_DOUBLE_EQ(g_ipPoints[3].a2, c.a2);
    }
    // A geometry element naming no IP changes nothing.
    ASSERT_EQ(Read(Header() + Alignment("<GmElement Name=\"G\" RefPI=\"IP9\"><Curve Radius=\"99\"/></GmElement>")), 0);
    for (int i = 1; i <= g_ipPointCount; ++i) EXPECT_EQ(g_ipPoints[i].radius, 0);
}

TEST_F(AlignmentXmlTest, MissingAttributesKeepThePreviousValueButNotTheName) {
    const std::string text = Header() +
                             "<RoadGM><PIs>\n"
                             "<PI Name=\"A\" x=\"10\" y=\"20\"/>\n"
                             "<PI Name=\"B\" x=\"30\"/>\n"
                             "<PI y=\"50\"/>\n"
                             "</PIs></RoadGM>\n";
    ASSERT_EQ(Read(text), 0);
    ASSERT_EQ(g_ipPointCount, 3);  // no element points: no BP, no EP
    EXPECT_STREQ(g_ipPoints[2].name, "B");
    EXPECT_DOUBLE_EQ(g_ipPoints[2].y, 20);
    EXPECT_STREQ(g_ipPoints[3].name, "");
    EXPECT_DOUBLE_EQ(g_ipPoints[3].x, 30);
    EXPECT_DOUBLE_EQ(g_ipPoints[3].y, 50);
}

TEST_F(AlignmentXmlTest, ShiftJisFileDecodesAndNamesAreCutOnCharacterBoundaries) {
    const std::string utf8 = Header("Shift_JIS") +
                             "<RoadGM><ElementPnts><ElementPnt Name=\"起点\" x=\"0\" y=\"0\"/>"
                             "<ElementPnt Name=\"終点\" x=\"100\" y=\"0\"/></ElementPnts>"
                             "<PIs><PI Name=\"交点１２\" x=\"50\" y=\"10\"/></PIs>"
                             "<IntermediatePnts><IntermediatePnt Name=\"測点ＮＯ．１２３４５\" x=\"1\" y=\"2\"/>"
                             "</IntermediatePnts></RoadGM>";
    ASSERT_EQ(Read(Utf8ToCp932(utf8), msg::kIdYes), 0);
    ASSERT_EQ(g_ipPointCount, 3);
    // Six bytes hold three double-byte characters; the fourth is not split.
    EXPECT_EQ(std::string(g_ipPoints[2].name), Utf8ToCp932("交点１"));
    EXPECT_EQ(std::string(g_stations[1].name), Utf8ToCp932("測点ＮＯ．１２"));
    // The vector text keeps the whole name.
    ASSERT_EQ(g_dxfElementCount, 4);
    EXPECT_EQ(std::string(g_dxfElementsBlock.Data()[3].text), Utf8ToCp932("交点１２"));
}

TEST_F(AlignmentXmlTest, VectorQuestionDecidesWhetherTheLayerIsReplaced) {
    g_dxfElementCount = 1;
    DxfElement& kept = g_dxfElementsBlock.Data()[1];
    kept = DxfElement{};
    std::strcpy(kept.text, "OLD");
    g_dxfRegistration.a = 2;
    // No: the layer as it was; the route is still replaced.
    ASSERT_EQ(Read(Header() + Alignment(), msg::kIdNo), 0);
    EXPECT_EQ(g_dxfElementCount, 1);
    EXPECT_STREQ(g_dxfElementsBlock.Data()[1].text, "OLD");
    EXPECT_EQ(g_dxfRegistration.a, 2);
    EXPECT_EQ(g_ipPointCount, 5);

    ASSERT_EQ(Read(Header() + Alignment(), msg::kIdYes), 0);
    // Two element points, three IPs, three stations, in file order.
    ASSERT_EQ(g_dxfElementCount, 8);
    struct Row {
        const char* text;
        int32_t layer;
        double x, y;
    };
    const Row rows[] = {{"BP", 2, 1000, 2000},  {"EP", 2, 1800, 2600},  {"IP1", 1, 1200, 2300},
                        {"IP2", 1, 1400, 2200}, {"IP3", 1, 1600, 2500}, {"No.0", 3, 1000, 2000},
                        {"No.1", 3, 1011.094, 2016.641}, {"No.1+5", 3, 1013.868, 2020.801}};
    for (int i = 0; i < 8; ++i) {
        const DxfElement& e = g_dxfElementsBlock.Data()[i + 1];
        EXPECT_STREQ(e.text, rows[i].text);
        EXPECT_EQ(e.pen, DXF_PEN_TEXT);
        EXPECT_EQ(e.layer, rows[i].layer);
        EXPECT_EQ(e.colour, rows[i].layer);
        EXPECT_DOUBLE_EQ(e.x, rows[i].x);
        EXPECT_DOUBLE_EQ(e.sourceY, rows[i].y);
        EXPECT_EQ(e.textHeight, 1.0);
    }
    EXPECT_EQ(g_dxfRegistration.a, 1);
    EXPECT_EQ(g_dxfRegistration.transformActive, 0);
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 1);
    EXPECT_EQ(g_showBackgroundDxf, 1);
}

TEST_F(AlignmentXmlTest, IpTableLimitIsToldAndTheRouteKept) {
    auto file = [](int pis) {
        std::string t = Header() + "<RoadGM><ElementPnts><ElementPnt Name=\"BP\" x=\"0\" y=\"0\"/>"
                                   "<ElementPnt Name=\"EP\" x=\"1\" y=\"1\"/></ElementPnts><PIs>\n";
        for (int i = 1; i <= pis; ++i) t += "<PI Name=\"P" + std::to_string(i) + "\" x=\"" + std::to_string(i) + "\" y=\"0\"/>\n";
        return t + "</PIs></RoadGM>\n";
    };
    ASSERT_EQ(Read(file(kAlignmentMaxIps - 2)), 0);
    EXPECT_EQ(g_ipPointCount, kAlignmentMaxIps);
    EXPECT_STREQ(g_ipPoints[kAlignmentMaxIps].name, "EP");

    OldRoute();
    ClearRecordedMessages();
    EXPECT_EQ(Read(file(kAlignmentMaxIps - 1)), -1);
    EXPECT_NE(LastMessage().find(std::to_string(kAlignmentMaxIps)), std::string::npos);
    ExpectOldRoute();
}

TEST_F(AlignmentXmlTest, DamagedFilesAreToldWithTheirLineAndChangeNothing) {
    const std::string good = Header() + Alignment();
    struct Case {
        const char* what;
        std::string text;
        const char* said;  // part of the message
    };
    const Case cases[] = {
        {"truncated", good.substr(0, good.find("<IntermediatePnts>") + 40), "route.xml: line "},
        {"unclosed attribute", Header() + "<RoadGM><PIs>\n<PI Name=\"A x=\"1\"/>\n</PIs></RoadGM>", "route.xml: line "},
        {"entity expansion",
         Header() + "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                    "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>\n<RoadGM><PIs><PI Name=\"&c;\" x=\"1\" y=\"1\"/>"
                    "<PI>&c;</PI></PIs></RoadGM>",
         "route.xml"},
        {"entity expansion in an attribute", BillionLaughs(), "route.xml: line 2"},
        {"external entity",
         Header() + "<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n<RoadGM><PIs><PI Name=\"x\">&e;</PI>"
                    "</PIs></RoadGM>",
         "route.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OldRoute();
        ClearRecordedMessages();
        EXPECT_EQ(Read(c.text, msg::kIdYes), -1);
        EXPECT_NE(LastMessage().find(c.said), std::string::npos) << LastMessage();
        ExpectOldRoute();
        EXPECT_EQ(g_dxfElementCount, 0);
    }
    // A file that is not there: -1, nothing asked.
    ClearRecordedMessages();
    EXPECT_EQ(ReadRoadGmXml(m_dir / "missing.xml"), -1);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(AlignmentXmlTest, StationBlockThatCannotGrowKeepsTheRoute) {
    OldRoute();
    std::string t = Header() + "<RoadGM><IntermediatePnts>";
    for (int i = 0; i < 40; ++i) t += "<IntermediatePnt Name=\"S\" x=\"1\" y=\"2\"/>";
    t += "</IntermediatePnts></RoadGM>";
    QueueMessageAnswer(msg::kIdNo);
    const auto path = Write("route.xml", t);
    InjectAllocationFailures(0, 100);
    const int32_t r = ReadRoadGmXml(path);
    InjectAllocationFailures(0, 0);
    EXPECT_EQ(r, -1);
    EXPECT_EQ(LastMessage(), "路線データ用のメモリが確保できませんでした。");
    ExpectOldRoute();
}

// Seeded byte mutations of a good file: whatever happens, the tables stay consistent and
// a failed read leaves the route as it was.
TEST_F(AlignmentXmlTest, MutatedFilesNeverLeaveAHalfReadRoute) {
    const std::string good = Header() + Alignment();
    std::mt19937 random(20261211);
    for (int round = 0; round < 300; ++round) {
        std::string t = good;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < edits; ++k) {
            const size_t at = random() % t.size();
            switch (random() % 3) {
            case 0: t[at] = static_cast<char>(random()); break;
            case 1: t.erase(at, 1 + random() % 8); break;
            default: t.insert(at, 1, "<>\"=&/ x"[random() % 8]); break;
            }
        }
        OldRoute();
        const int32_t r = Read(t, round % 2 ? msg::kIdYes : msg::kIdNo);
        if (r != 0) {
            ExpectOldRoute();
        } else {
            EXPECT_LE(g_ipPointCount, kAlignmentMaxIps);
            EXPECT_LE(g_stationCount, g_stationCapacity);
        }
    }
}

}  // namespace
