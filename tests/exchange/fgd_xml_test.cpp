// Fundamental-map XML: feature classes to layers and colours, labels, meshes, zone
// finding, layouts, encodings and damaged files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "exchange/fgd_xml.h"
#include "exchange/xml_stream.h"
#include "import_test_support.h"
#include "model/geodesy.h"
#include "model/record_block.h"
#include "platform/encoding.h"
#include "view/display_flags.h"

namespace {

using importtest::ImportFixture;

// A dataset in the published GML layout, one element per line, around the features.
std::string Dataset(const std::string& features, const std::string& encoding = "UTF-8") {
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n"
           "<Dataset xmlns:gml=\"http://www.opengis.net/gml/3.2\" gml:id=\"Dataset1\">\n"
           "<description>fundamental map</description>\n" +
           features + "</Dataset>\n";
}

std::string Curve(const std::string& element, const std::string& id,
                  const std::vector<std::pair<double, double>>& positions,
                  const std::string& extra = "") {
    std::ostringstream o;
    o.precision(12);
    o << "<" << element << " gml:id=\"" << id << "\">\n<fid>fgoid:10-00200-11-6181-" << id
      << "</fid>\n<lfSpanFr gml:id=\"" << id << "-1\">\n<gml:timePosition>2008-03-01"
      << "</gml:timePosition>\n</lfSpanFr>\n<orgGILvl>2500</orgGILvl>\n<vis>表示</vis>\n"
      << "<loc>\n<gml:Curve gml:id=\"" << id << "-2\" srsName=\"fguuid:jgd2011.bl\">\n"
      << "<gml:segments>\n<gml:LineStringSegment>\n<gml:posList>\n";
    for (const auto& p : positions) o << p.first << " " << p.second << "\n";
    o << "</gml:posList>\n</gml:LineStringSegment>\n</gml:segments>\n</gml:Curve>\n</loc>\n"
      << extra << "</" << element << ">\n";
    return o.str();
}

std::string Point(const std::string& element, const std::string& id, double lat, double lon,
                  const std::string& extra) {
    std::ostringstream o;
    o.precision(12);
    o << "<" << element << " gml:id=\"" << id << "\">\n<fid>fgoid:" << id << "</fid>\n<pos>\n"
      << "<gml:Point gml:id=\"" << id << "-p\" srsName=\"fguuid:jgd2011.bl\">\n<gml:pos>" << lat
      << " " << lon << "</gml:pos>\n</gml:Point>\n</pos>\n"
      << extra << "</" << element << ">\n";
    return o.str();
}

// The same file on one line (line breaks kept only where a tuple list needs them) and
// re-indented.
std::string OneLine(const std::string& s) {
    std::string out;
    bool inTuple = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 15, "<gml:tupleList>") == 0) inTuple = true;
        if (s.compare(i, 16, "</gml:tupleList>") == 0) inTuple = false;
        if (s[i] == '\n' && !inTuple && i > 40) {
            out += ' ';
            continue;
        }
        out += s[i];
    }
    return out;
}

std::string Indented(const std::string& s) {
    std::string out;
    for (char ch : s) {
        out += ch;
        if (ch == '\n') out += "\t  ";
    }
    return out;
}

constexpr double kLat = 35.70, kLon = 139.66;

class FgdXmlTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        g_planeZone = 9;
        g_useWorldDatum = 1;
        m_options = DefaultGsiXmlOptions();
    }
    int32_t Import(const std::string& bytes, int32_t fileIndex = 0, const char* name = "map.xml") {
        return ImportGsiXmlFeatures(0, Write(name, bytes), fileIndex, m_options);
    }
    static const DxfElement& E(int32_t i) { return g_dxfElementsBlock.Data()[i]; }
    static std::string Text(int32_t i) { return E(i).text; }
    static void Plane(double lat, double lon, double& x, double& y) {
        Ellipsoid e;
        e.SelectEllipsoid(kEllipsoidGrs1980);
        ASSERT_TRUE(e.ZoneGeographicToPlane(x, y, 9, lat, lon));
    }
    GsiXmlOptions m_options;
};

TEST_F(FgdXmlTest, ContourElevationChoosesTheOrdinaryOrTheIndexRow) {
    const struct {
        const char* alti;
        int32_t row;
        double z;
    } cases[] = {{"100.0", kGsiRowIndexContour, 100.0},
                 {"-50", kGsiRowIndexContour, -50.0},
                 {"125.0", kGsiRowContour, 125.0},
                 {"0.0", kGsiRowIndexContour, 0.0}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.alti);
        InitDataModel();
        g_planeZone = 9;
        const std::string file = Dataset(Curve("Cntr", "K1", {{kLat, kLon}, {kLat + 0.001, kLon + 0.001}, {kLat + 0.002, kLon}},
                                               "<type>一般等高線</type>\n<alti>" + std::string(tc.alti) + "</alti>\n"));
        ASSERT_EQ(Import(file), 0);
        ASSERT_EQ(g_dxfElementCount, 3);
        const uint8_t pens[] = {DXF_PEN_MOVE, DXF_PEN_DRAW, DXF_PEN_DRAW};
        for (int32_t i = 1; i <= 3; ++i) {
            EXPECT_EQ(E(i).pen, pens[i - 1]);
            EXPECT_EQ(E(i).layer, m_options.rows[tc.row].layer);
            EXPECT_EQ(E(i).colour, m_options.rows[tc.row].colour);
            EXPECT_DOUBLE_EQ(E(i).z, tc.z);
            EXPECT_EQ(E(i).x, E(i).sourceX);
            EXPECT_EQ(E(i).y, E(i).sourceY);
        }
        EXPECT_EQ(Text(1), "");
    }
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 1);
    EXPECT_NE(g_showBackgroundDxf, 0);
    EXPECT_EQ(g_dxfSourcePath.substr(g_dxfSourcePath.size() - 8), "/map.DXF");
}

TEST_F(FgdXmlTest, PositionsAgreeWithProj) {
    if (std::system("cs2cs >/dev/null 2>&1 </dev/null; command -v cs2cs >/dev/null") != 0)
        GTEST_SKIP() << "no cs2cs";
    const std::pair<double, double> at[] = {{35.70, 139.66}, {35.7123, 139.8321}};
    ASSERT_EQ(Import(Dataset(Curve("RdEdg", "R1", {at[0], at[1]}))), 0);
    ASSERT_EQ(g_dxfElementCount, 2);
    for (int32_t i = 0; i < 2; ++i) {
        // JGD2011 geographic to JGD2011 zone IX (north, east).
        const std::string cmd = "echo '" + std::to_string(at[i].first) + " " + std::to_string(at[i].second) +
                                "' | cs2cs -f %.4f EPSG:6668 EPSG:6677";
        std::FILE* p = ::popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        double north = 0, east = 0;
        ASSERT_EQ(std::fscanf(p, "%lf %lf", &north, &east), 2);
        ::pclose(p);
        EXPECT_NEAR(E(i + 1).x, north, 0.001);
        EXPECT_NEAR(E(i + 1).y, east, 0.001);
    }
}

// One file holding every class, in the published layout: what each class becomes.
std::string EveryClass() {
    std::string f;
    f += Curve("Cstline", "C1", {{kLat, kLon}, {kLat, kLon + 0.001}});
    f += Curve("AdmBdry", "A1", {{kLat, kLon}, {kLat, kLon + 0.002}});
    f += Point("GCP", "G1", kLat + 0.003, kLon, "<name>三角点</name>\n<alti>41.2</alti>\n");
    // A water structure line has no class of its own: the next class claims it.
    f += Curve("WStrL", "W1", {{kLat, kLon}, {kLat + 0.001, kLon}});
    f += Curve("RdEdg", "R1", {{kLat, kLon + 0.004}, {kLat + 0.001, kLon + 0.004}});
    f += Curve("RailCL", "L1", {{kLat, kLon + 0.005}, {kLat + 0.001, kLon + 0.005}});
    f += Point("ElevPt", "E1", kLat + 0.002, kLon + 0.002, "<alti>57.3</alti>\n");
    f += Curve("WL", "WL1", {{kLat, kLon + 0.006}, {kLat + 0.001, kLon + 0.006}});
    f += Curve("BldA", "B1", {{kLat, kLon + 0.007}, {kLat + 0.001, kLon + 0.007}, {kLat, kLon + 0.007}});
    f += Point("CommPt", "P1", kLat + 0.004, kLon, "<name>本町一丁目</name>\n");
    f += Point("SBAPt", "SB12", kLat + 0.005, kLon, "");
    f += Curve("SBBdry", "S1", {{kLat, kLon + 0.008}, {kLat + 0.001, kLon + 0.008}});
    return Dataset(f);
}

struct Expected {
    int32_t row;
    uint8_t pen;
    double z;
    const char* text;  // UTF-8
};

const Expected kEveryClass[] = {
    {kGsiRowCoast, DXF_PEN_MOVE, 0, ""},           {kGsiRowCoast, DXF_PEN_DRAW, 0, ""},
    {kGsiRowBoundary, DXF_PEN_MOVE, 0, ""},        {kGsiRowBoundary, DXF_PEN_DRAW, 0, ""},
    {kGsiRowControlPoint, DXF_PEN_TEXT, 41.2, "41.2"},
    {kGsiRowRoadEdge, DXF_PEN_MOVE, 0, ""},        {kGsiRowRoadEdge, DXF_PEN_DRAW, 0, ""},
    {kGsiRowRoadEdge, DXF_PEN_MOVE, 0, ""},        {kGsiRowRoadEdge, DXF_PEN_DRAW, 0, ""},
    {kGsiRowRailway, DXF_PEN_MOVE, 0, ""},         {kGsiRowRailway, DXF_PEN_DRAW, 0, ""},
    {kGsiRowElevationPoint, DXF_PEN_TEXT, 57.3, "57.3"},
    {kGsiRowWaterLine, DXF_PEN_MOVE, 0, ""},       {kGsiRowWaterLine, DXF_PEN_DRAW, 0, ""},
    {kGsiRowBuilding, DXF_PEN_MOVE, 0, ""},        {kGsiRowBuilding, DXF_PEN_DRAW, 0, ""},
    {kGsiRowBuilding, DXF_PEN_DRAW, 0, ""},
    {kGsiRowBoundary, DXF_PEN_TEXT, 0, "本町一丁目"},
    {kGsiRowBoundary, DXF_PEN_TEXT, 0, "SB12"},
    // A street-block boundary keeps its pens and takes the label.
    {kGsiRowBoundary, DXF_PEN_MOVE, 0, "SB12"},    {kGsiRowBoundary, DXF_PEN_DRAW, 0, "SB12"},
};

TEST_F(FgdXmlTest, EveryClassGoesToItsRowInEveryLayout) {
    // Options unlike the defaults, so that a row mixed up shows.
    for (int32_t r = 0; r < kGsiRowCount; ++r) m_options.rows[r] = {100 + r, r};
    m_options.textHeight = 2.5;
    const std::string published = EveryClass();
    const struct {
        const char* layout;
        std::string bytes;
    } layouts[] = {{"published", published}, {"one line", OneLine(published)}, {"indented", Indented(published)}};
    std::vector<DxfElement> first;
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.layout);
        InitDataModel();
        g_planeZone = 9;
        ASSERT_EQ(Import(layout.bytes), 0) << (RecordedMessages().empty() ? "" : RecordedMessages()[0].text);
        ASSERT_EQ(g_dxfElementCount, static_cast<int32_t>(std::size(kEveryClass)));
        for (int32_t i = 1; i <= g_dxfElementCount; ++i) {
            const Expected& x = kEveryClass[i - 1];
            SCOPED_TRACE(i);
            EXPECT_EQ(E(i).layer, 100 + x.row);
            EXPECT_EQ(E(i).colour, x.row);
            EXPECT_EQ(E(i).pen, x.pen);
            EXPECT_DOUBLE_EQ(E(i).z, x.z);
            EXPECT_EQ(Cp932ToUtf8(E(i).text), x.text);
            EXPECT_DOUBLE_EQ(E(i).textHeight, x.pen == DXF_PEN_TEXT ? 2.5 : 0.0);
        }
        if (first.empty()) {
            first.assign(&E(1), &E(1) + g_dxfElementCount);
        } else {
            for (int32_t i = 1; i <= g_dxfElementCount; ++i) {
                EXPECT_EQ(E(i).x, first[i - 1].x) << i;
                EXPECT_EQ(E(i).y, first[i - 1].y) << i;
            }
        }
    }
    double x = 0, y = 0;
    Plane(kLat + 0.003, kLon, x, y);
    EXPECT_NEAR(first[4].x, x, 1e-6);
    EXPECT_NEAR(first[4].y, y, 1e-6);
}

// A mesh of 3 x 2 cells written as labels.
std::string MeshFile(const std::vector<std::string>& tuples) {
    std::string s =
        "<DEM gml:id=\"DEM1\">\n<mesh>53394611</mesh>\n<coverage gml:id=\"DEM1-1\">\n"
        "<gml:boundedBy>\n<gml:Envelope srsName=\"fguuid:jgd2011.bl\">\n"
        "<gml:lowerCorner>35.7 139.6625</gml:lowerCorner>\n"
        "<gml:upperCorner>35.70166666667 139.66625</gml:upperCorner>\n</gml:Envelope>\n"
        "</gml:boundedBy>\n<gml:gridDomain>\n<gml:Grid gml:id=\"DEM1-2\" dimension=\"2\">\n"
        "<gml:limits>\n<gml:GridEnvelope>\n<gml:low>0 0</gml:low>\n<gml:high>2 1</gml:high>\n"
        "</gml:GridEnvelope>\n</gml:limits>\n</gml:Grid>\n</gml:gridDomain>\n<gml:rangeSet>\n"
        "<gml:DataBlock>\n<gml:tupleList>\n";
    for (const std::string& t : tuples) s += t + "\n";
    s += "</gml:tupleList>\n</gml:DataBlock>\n</gml:rangeSet>\n<gml:coverageFunction>\n"
         "<gml:GridFunction>\n<gml:startPoint>0 0</gml:startPoint>\n</gml:GridFunction>\n"
         "</gml:coverageFunction>\n</coverage>\n</DEM>\n";
    return Dataset(s);
}

TEST_F(FgdXmlTest, MeshValuesBecomeLabelsOnlyTrueGapsReadZero) {
    ASSERT_EQ(Import(MeshFile({"地表面,12.50", "地表面,-9999.", "no comma here", "地表面,-3.25",
                               "地表面,0.00", "水部,-9000", "地表面,7.5"})),
              0);
    const struct {
        double z;
        const char* text;
    } cases[] = {{12.5, "12.50"}, {0, "0"}, {-3.25, "-3.25"}, {0, "0.00"}, {0, "0"}, {7.5, "7.5"}};
    ASSERT_EQ(g_dxfElementCount, 6);
    for (int32_t i = 1; i <= 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(E(i).pen, DXF_PEN_TEXT);
        EXPECT_DOUBLE_EQ(E(i).z, cases[i - 1].z);
        EXPECT_EQ(Text(i), cases[i - 1].text);
        EXPECT_DOUBLE_EQ(E(i).textHeight, 1.0);
        EXPECT_EQ(E(i).layer, m_options.rows[kGsiRowElevationPoint].layer);
    }
    // Cells run west to east, then north to south; each label at its cell's centre.
    for (int32_t i = 1; i <= 6; ++i) {
        const int c = (i - 1) % 3 + 1, r = (i - 1) / 3 + 1;
        const double lat = 35.70166666667 - (r - 0.5) * (35.70166666667 - 35.7) / 2;
        const double lon = 139.6625 + (c - 0.5) * (139.66625 - 139.6625) / 3;
        double x = 0, y = 0;
        Plane(lat, lon, x, y);
        EXPECT_NEAR(E(i).x, x, 0.01) << i;
        EXPECT_NEAR(E(i).y, y, 0.01) << i;
    }
}

TEST_F(FgdXmlTest, ZonePassTakesTheFirstPositionAndReadsNoFurther) {
    const struct {
        const char* what;
        std::string bytes;
        int32_t zone;
    } cases[] = {
        // The mesh envelope's lower corner comes first.
        {"lower corner", MeshFile({"a,1"}), 9},
        {"first coordinate", Dataset(Curve("Cntr", "K", {{33.6, 130.4}, {35.7, 139.7}})), 2},
        {"bounding box", Dataset("<jps:westBoundLongitude xmlns:jps=\"j\">141.35</jps:westBoundLongitude>\n"
                                 "<jps:eastBoundLongitude xmlns:jps=\"j\">141.36</jps:eastBoundLongitude>\n"
                                 "<jps:southBoundLatitude xmlns:jps=\"j\">43.06</jps:southBoundLatitude>\n"
                                 "<jps:northBoundLatitude xmlns:jps=\"j\">43.07</jps:northBoundLatitude>\n"),
         12},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        InitDataModel();
        g_planeZone = 0;
        EXPECT_EQ(ImportGsiXmlFeatures(1, Write("z.xml", tc.bytes), 0, m_options), 0);
        EXPECT_EQ(g_planeZone, tc.zone);
        EXPECT_EQ(g_dxfElementCount, 0);
    }
}

TEST_F(FgdXmlTest, EarlierElementsGoOnlyWhenTheUserSaysSo) {
    const std::string file = Dataset(Curve("RailCL", "L", {{kLat, kLon}, {kLat, kLon + 0.001}}));
    ASSERT_EQ(Import(file), 0);
    ASSERT_EQ(g_dxfElementCount, 2);
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdNo);
    ASSERT_EQ(Import(file, 0), 0);
    EXPECT_EQ(g_dxfElementCount, 4);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "現在の背景DXFデータを削除しますか");
    // Later files of the same selection are appended without asking.
    ASSERT_EQ(Import(file, 1), 0);
    EXPECT_EQ(g_dxfElementCount, 6);
    EXPECT_EQ(RecordedMessages().size(), 1u);
    QueueMessageAnswer(msg::kIdYes);
    ASSERT_EQ(Import(file, 0), 0);
    EXPECT_EQ(g_dxfElementCount, 2);
}

TEST_F(FgdXmlTest, ElementsKeptFromBeforeStayWhereTheRegistrationShowedThem) {
    const std::string file = Dataset(Curve("WL", "W", {{kLat, kLon}, {kLat, kLon + 0.001}}));
    ASSERT_EQ(Import(file), 0);
    // A registration in force moves the shown positions away from the source.
    g_dxfRegistration.a = 1;
    g_dxfRegistration.b = 0;
    g_dxfRegistration.tx = 100;
    g_dxfRegistration.ty = -50;
    g_dxfRegistration.transformActive = 1;
    ApplyDxfRegistration(0);
    const double shownX = E(1).x, shownY = E(1).y;
    ASSERT_NE(shownX, E(1).sourceX);
    QueueMessageAnswer(msg::kIdNo);
    ASSERT_EQ(Import(file, 0), 0);
    EXPECT_EQ(g_dxfRegistration.transformActive, 0);
    EXPECT_EQ(g_dxfRegistration.tx, 0);
    // A later apply of the (identity) registration leaves them where they were shown.
    ApplyDxfRegistration(0);
    EXPECT_DOUBLE_EQ(E(1).x, shownX);
    EXPECT_DOUBLE_EQ(E(1).y, shownY);
    EXPECT_DOUBLE_EQ(E(3).x, E(3).sourceX);
}

TEST_F(FgdXmlTest, ImportWithoutAZoneIsRefused) {
    for (int32_t zone : {0, 20, -1}) {
        SCOPED_TRACE(zone);
        g_planeZone = zone;
        ClearRecordedMessages();
        EXPECT_EQ(Import(EveryClass()), -1);
        EXPECT_EQ(g_dxfElementCount, 0);
        EXPECT_EQ(RecordedMessages().size(), 1u);
    }
}

TEST_F(FgdXmlTest, LongLabelsAreCutOnACharacterBoundary) {
    const struct {
        std::string name;
        std::string expected;  // UTF-8
    } cases[] = {
        // 20 double-byte characters are 40 bytes: 15 of them fit in 31.
        {"一二三四五六七八九十一二三四五六七八九十", "一二三四五六七八九十一二三四五"},
        // One single-byte character first: 16 double-byte characters fit.
        {"A一二三四五六七八九十一二三四五六七八九十", "A一二三四五六七八九十一二三四五"},
        {std::string(40, 'x'), std::string(31, 'x')},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.expected);
        InitDataModel();
        g_planeZone = 9;
        ASSERT_EQ(Import(Dataset(Point("AdmPt", "P", kLat, kLon, "<name>" + tc.name + "</name>\n"))), 0);
        ASSERT_EQ(g_dxfElementCount, 1);
        EXPECT_LE(std::strlen(E(1).text), 31u);
        EXPECT_EQ(Cp932ToUtf8(E(1).text), tc.expected);
    }
}

TEST_F(FgdXmlTest, ShiftJisDeclaredFileDecodes) {
    // "<name>本町</name>" and "一般等高線" in Shift_JIS.
    const std::string sjisName = "\x96\x7b\x92\xac";
    const std::string file = Dataset(Curve("Cntr", "K", {{kLat, kLon}, {kLat, kLon + 0.001}},
                                           "<type>\x88\xea\x94\xca\x93\x99\x8d\x82\x90\xfc</type>\n<alti>30</alti>\n") +
                                         Point("AdmPt", "P", kLat, kLon, "<name>" + sjisName + "</name>\n"),
                                     "Shift_JIS");
    ASSERT_EQ(Import(file), 0) << (RecordedMessages().empty() ? "" : RecordedMessages()[0].text);
    ASSERT_EQ(g_dxfElementCount, 3);
    EXPECT_EQ(Text(3), sjisName);
    EXPECT_EQ(Cp932ToUtf8(Text(3)), "本町");
}

TEST_F(FgdXmlTest, DamagedFileIsToldWithItsLineAndItsElementsTakenBack) {
    const std::string good = Dataset(Curve("RdEdg", "R", {{kLat, kLon}, {kLat, kLon + 0.001}}));
    ASSERT_EQ(Import(good), 0);
    ASSERT_EQ(g_dxfElementCount, 2);
    const std::string full = EveryClass();
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"truncated", full.substr(0, full.size() / 2)},
        {"mismatched tag",
         [&] {
             std::string s = full;
             s.replace(s.find("</RailCL>"), 9, "</RailC1>");
             return s;
         }()},
        {"external entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
         "<d><AdmPt><name>&x;</name></AdmPt></d>\n"},
        {"entity expansion",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\">"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>\n"
         "<d><name>&c;</name></d>\n"},
        {"huge text node",
         Dataset("<name>" + std::string(kXmlMaxHeldText + 1, 'n') + "</name>\n")},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        ClearRecordedMessages();
        EXPECT_EQ(Import(tc.bytes, 1, "bad.xml"), -1);
        EXPECT_EQ(g_dxfElementCount, 2);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_NE(RecordedMessages()[0].text.find("bad.xml: line "), std::string::npos)
            << RecordedMessages()[0].text;
    }
}

TEST_F(FgdXmlTest, StoreThatCannotGrowTakesBackTheFile) {
    ASSERT_EQ(Import(Dataset(Curve("WL", "W", {{kLat, kLon}, {kLat, kLon + 0.001}}))), 0);
    const int32_t before = g_dxfElementCount;
    // Enough positions to need a larger store.
    std::vector<std::pair<double, double>> many;
    for (int i = 0; i < 1200; ++i) many.push_back({kLat + i * 1e-5, kLon});
    InjectAllocationFailures(0, 1);
    ClearRecordedMessages();
    EXPECT_EQ(Import(Dataset(Curve("WL", "W2", many)), 1), -1);
    InjectAllocationFailures(0, 0);
    EXPECT_EQ(g_dxfElementCount, before);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "メモリーが不足しています。");
}

TEST_F(FgdXmlTest, OptionEditsFollowTheirRules) {
    const struct {
        const char* typed;
        double before;
        const char* shown;
    } heights[] = {{"-2.5", 10.0, "2.500"}, {"0", 4.0, "4.000"}, {"abc", 4.0, "4.000"}, {"7", 1.0, "7.000"}};
    for (const auto& tc : heights) {
        SCOPED_TRACE(tc.typed);
        GsiXmlOptions o = DefaultGsiXmlOptions();
        o.textHeight = tc.before;
        EXPECT_EQ(GsiXmlTextHeightLostFocus(o, tc.typed), tc.shown);
    }
    GsiXmlOptions o = DefaultGsiXmlOptions();
    const int32_t layers[kGsiRowCount] = {8, 9, 5, 14, 7, 12, 11, 10, 13, 15};
    for (int32_t r = 0; r < kGsiRowCount; ++r) {
        EXPECT_EQ(o.rows[r].layer, layers[r]);
        EXPECT_EQ(o.rows[r].colour, layers[r]);
    }
    EXPECT_EQ(GsiXmlTextHeightText(o.textHeight), "10.000");
    GsiXmlLayerLostFocus(o, kGsiRowCoast, "-3x");
    EXPECT_EQ(o.rows[kGsiRowCoast].layer, -3);
}

TEST_F(FgdXmlTest, MutatedFilesNeverCrashOrLeaveHalfAFile) {
    const std::string base = EveryClass() + MeshFile({"a,1", "a,2", "a,3", "a,4", "a,5", "a,6"});
    std::mt19937 rng(77);
    for (int round = 0; round < 300; ++round) {
        std::string s = base;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % s.size();
            switch (rng() % 3) {
            case 0: s[at] = static_cast<char>(rng()); break;
            case 1: s.erase(at, 1 + rng() % 20); break;
            default: s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 30)); break;
            }
        }
        InitDataModel();
        g_planeZone = 9;
        const int32_t result = Import(s, 1, "mut.xml");
        if (result != 0) {
            EXPECT_EQ(g_dxfElementCount, 0) << round;
        }
        for (int32_t i = 1; i <= g_dxfElementCount; ++i) {
            ASSERT_TRUE(std::isfinite(E(i).x) && std::isfinite(E(i).y) && std::isfinite(E(i).z)) << round;
            ASSERT_LE(std::strlen(E(i).text), 31u);
        }
    }
}

}  // namespace
