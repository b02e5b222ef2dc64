// Elevation-mesh XML: grids in the published layouts, missing values, start points,
// zone finding, encodings and damaged files.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <string>

#include "exchange/dem_xml.h"
#include "exchange/xml_stream.h"
#include "import_test_support.h"
#include "model/geodesy.h"

namespace {

using importtest::ImportFixture;

constexpr double kLowerLat = 35.7, kLowerLon = 139.6625;
// Cell centres are interpolated in the plane, where a parallel is slightly curved:
// a few centimetres from the centre worked out in degrees over a whole mesh.
constexpr double kTol = 0.03;
constexpr double kUpperLat = 35.708333333333, kUpperLon = 139.675;

// A mesh in the published GML layout, one element per line. `values` are the tuple
// elevations; `start` the text of the start point.
std::string GmlMesh(int n, int m, const std::vector<std::string>& values,
                    const std::string& start = "0 0", const std::string& encoding = "UTF-8") {
    std::ostringstream o;
    o.precision(12);
    o << "<?xml version=\"1.0\" encoding=\"" << encoding << "\"?>\n"
      << "<Dataset "
         "xmlns:gml=\"http://www.opengis.net/gml/3.2\" gml:id=\"Dataset1\">\n"
      << "<description>elevation</description>\n<DEM gml:id=\"DEM001\">\n"
      << "<type>5m mesh</type>\n<mesh>53394611</mesh>\n<coverage gml:id=\"DEM001-3\">\n"
      << "<gml:boundedBy>\n<gml:Envelope srsName=\"fguuid:jgd2011.bl\">\n"
      << "<gml:lowerCorner>" << kLowerLat << " " << kLowerLon << "</gml:lowerCorner>\n"
      << "<gml:upperCorner>" << kUpperLat << " " << kUpperLon << "</gml:upperCorner>\n"
      << "</gml:Envelope>\n</gml:boundedBy>\n<gml:gridDomain>\n"
      << "<gml:Grid gml:id=\"DEM001-4\" dimension=\"2\">\n<gml:limits>\n<gml:GridEnvelope>\n"
      << "<gml:low>0 0</gml:low>\n<gml:high>" << n - 1 << " " << m - 1 << "</gml:high>\n"
      << "</gml:GridEnvelope>\n</gml:limits>\n<gml:axisLabels>x y</gml:axisLabels>\n"
      << "</gml:Grid>\n</gml:gridDomain>\n<gml:rangeSet>\n<gml:DataBlock>\n"
      << "<gml:rangeParameters>\n<gml:QuantityList uom=\"DEM\"/>\n</gml:rangeParameters>\n"
      << "<gml:tupleList>\n";
    for (const std::string& v : values) o << "ground," << v << "\n";
    o << "</gml:tupleList>\n</gml:DataBlock>\n</gml:rangeSet>\n<gml:coverageFunction>\n"
      << "<gml:GridFunction>\n<gml:sequenceRule order=\"+x-y\">Linear</gml:sequenceRule>\n"
      << "<gml:startPoint>" << start << "</gml:startPoint>\n</gml:GridFunction>\n"
      << "</gml:coverageFunction>\n</coverage>\n</DEM>\n</Dataset>\n";
    return o.str();
}

std::vector<std::string> Ramp(int count) {
    std::vector<std::string> v;
    for (int i = 0; i < count; ++i) v.push_back(std::to_string(10 + i % 500) + ".25");
    return v;
}

// Same file, elements on one line; and re-indented with blanks.
std::string OneLine(std::string s) {
    std::string out;
    bool inTuple = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 15, "<gml:tupleList>") == 0) inTuple = true;
        if (s.compare(i, 16, "</gml:tupleList>") == 0) inTuple = false;
        if (s[i] == '\n' && !inTuple && i > 40) continue;  // keep the declaration's line
        out += s[i];
    }
    return out;
}

std::string Indented(const std::string& s) {
    std::string out;
    for (char ch : s) {
        out += ch;
        if (ch == '\n') out += "    ";
    }
    return out;
}

class DemXmlTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        g_planeZone = 9;
        g_useWorldDatum = 1;
    }
    // The centre of a cell worked out in degrees, then projected.
    static void GeoCentre(int n, int m, int c, int r, double& x, double& y) {
        const double lat = kUpperLat - (r - 0.5) * (kUpperLat - kLowerLat) / m;
        const double lon = kLowerLon + (c - 0.5) * (kUpperLon - kLowerLon) / n;
        Ellipsoid e;
        e.SelectEllipsoid(kEllipsoidGrs1980);
        ASSERT_TRUE(e.ZoneGeographicToPlane(x, y, 9, lat, lon));
    }
};

TEST_F(DemXmlTest, FullMeshInEveryLayoutGivesOnePointPerCellAtItsCentre) {
    const std::string published = GmlMesh(225, 150, Ramp(225 * 150));
    const struct {
        const char* layout;
        std::string bytes;
    } cases[] = {{"published", published},
                 {"one line", OneLine(published)},
                 {"indented", Indented(published)}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.layout);
        InitDataModel();
        const auto path = Write("mesh.xml", tc.bytes);
        ASSERT_EQ(ImportGsiXmlDem(0, path), 0);
        ASSERT_EQ(g_pointCount, 33750);
        EXPECT_EQ(g_pointsPresent, -1);
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        const struct {
            int index, c, r;
        } cells[] = {{1, 1, 1}, {225, 225, 1}, {226, 1, 2}, {33750, 225, 150}, {16913, 38, 76}};
        for (const auto& cell : cells) {
            double x = 0, y = 0;
            GeoCentre(225, 150, cell.c, cell.r, x, y);
            EXPECT_NEAR(g_points[cell.index].x, x, kTol) << cell.index;
            EXPECT_NEAR(g_points[cell.index].y, y, kTol) << cell.index;
        }
        EXPECT_DOUBLE_EQ(g_points[226].z, 10 + 225 % 500 + 0.25);
        EXPECT_EQ(g_points[1].plotKind, 3);
    }
}

TEST_F(DemXmlTest, PointCountMatchesXmllintsCountOfTuples) {
    if (std::system("xmllint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xmllint";
    const auto path = Write("mesh.xml", GmlMesh(225, 150, Ramp(225 * 150)));
    const std::string cmd = "xmllint --xpath \"//*[local-name()='tupleList']/text()\" " +
                            path.string() + " | grep -c ,";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    int expected = 0;
    ASSERT_EQ(std::fscanf(p, "%d", &expected), 1);
    ::pclose(p);
    ASSERT_EQ(ImportGsiXmlDem(0, path), 0);
    EXPECT_EQ(g_pointCount, expected);
}

TEST_F(DemXmlTest, MissingValuesAreThoseAtOrBelowMinus9000) {
    const struct {
        std::string value;
        double z;
        const char* name;
    } cases[] = {{"-9999.", 0.0, "_W"}, {"-9000", 0.0, "_W"}, {"0.0", 0.0, ""},
                 {"-8999", -8999.0, ""}, {"-3.5", -3.5, ""}, {"12.5", 12.5, ""}};
    std::vector<std::string> values;
    for (const auto& tc : cases) values.push_back(tc.value);
    ASSERT_EQ(ImportGsiXmlDem(0, Write("m.xml", GmlMesh(3, 2, values))), 0);
    ASSERT_EQ(g_pointCount, 6);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].value);
        EXPECT_DOUBLE_EQ(g_points[i + 1].z, cases[i].z);
        EXPECT_EQ(Name(static_cast<int32_t>(i + 1)), cases[i].name);
    }
}

TEST_F(DemXmlTest, StartPointMovesTheValuesAlong) {
    ASSERT_EQ(ImportGsiXmlDem(0, Write("a.xml", GmlMesh(4, 3, Ramp(5), "0 0"))), 0);
    std::vector<std::pair<double, double>> atOrigin;
    for (int i = 1; i <= 5; ++i) atOrigin.push_back({g_points[i].x, g_points[i].y});
    InitDataModel();
    g_planeZone = 9;
    g_useWorldDatum = 1;
    // Starting at column 2 of row 1 (0-based 1 1): the first value sits in cell 6.
    ASSERT_EQ(ImportGsiXmlDem(0, Write("b.xml", GmlMesh(4, 3, Ramp(5), "1 1"))), 0);
    double x = 0, y = 0;
    GeoCentre(4, 3, 2, 2, x, y);
    EXPECT_NEAR(g_points[1].x, x, kTol);
    EXPECT_NEAR(g_points[1].y, y, kTol);
    EXPECT_DOUBLE_EQ(g_points[1].z, 10.25);
    // Five values from (2,2): the last wraps to (2,3).
    GeoCentre(4, 3, 2, 3, x, y);
    EXPECT_NEAR(g_points[5].x, x, kTol);
    EXPECT_NEAR(g_points[5].y, y, kTol);
}

std::string Jpgis(bool withMesh) {
    std::ostringstream o;
    o.precision(12);
    o << "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n"
      << "<GI xmlns:jps=\"http://www.gsi.go.jp/GIS/jpgis/standardSchemas\">\n<dataset>\n"
      << "<jps:westBoundLongitude>" << kLowerLon << "</jps:westBoundLongitude>\n"
      << "<jps:eastBoundLongitude>" << kUpperLon << "</jps:eastBoundLongitude>\n"
      << "<jps:southBoundLatitude>" << kLowerLat << "</jps:southBoundLatitude>\n"
      << "<jps:northBoundLatitude>" << kUpperLat << "</jps:northBoundLatitude>\n"
      << "<jps:coordValues>0 0</jps:coordValues>\n<jps:coordValues>1 1</jps:coordValues>\n"
      << (withMesh ? "<mesh>\n" : "<block>\n")
      << "<type>\x95\x57\x8d\x82</type>\n"  // "標高" in Shift_JIS
      << "<alti>-9999.</alti>\n<alti>-8999</alti>\n<alti>5</alti>\n<alti>6</alti>\n"
      << (withMesh ? "</mesh>\n" : "</block>\n") << "</dataset>\n</GI>\n";
    return o.str();
}

TEST_F(DemXmlTest, OlderLayoutReadsAltiInsideTheMeshOnly) {
    ASSERT_EQ(ImportGsiXmlDem(0, Write("j.xml", Jpgis(true))), 0);
    ASSERT_EQ(g_pointCount, 4);
    EXPECT_EQ(Name(1), "_W");
    EXPECT_DOUBLE_EQ(g_points[1].z, 0.0);
    EXPECT_DOUBLE_EQ(g_points[2].z, -8999.0);
    EXPECT_EQ(Name(2), "");
    double x = 0, y = 0;
    GeoCentre(2, 2, 2, 2, x, y);
    EXPECT_NEAR(g_points[4].x, x, kTol);
    EXPECT_NEAR(g_points[4].y, y, kTol);

    InitDataModel();
    g_planeZone = 9;
    g_useWorldDatum = 1;
    EXPECT_EQ(ImportGsiXmlDem(0, Write("k.xml", Jpgis(false))), 0);
    EXPECT_EQ(g_pointCount, 0);
}

TEST_F(DemXmlTest, ZonePassFindsTheZoneOfTheSouthWestCorner) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {{"gml", GmlMesh(2, 2, Ramp(4))}, {"older layout", Jpgis(true)}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        g_planeZone = 0;
        EXPECT_EQ(ImportGsiXmlDem(1, Write("z.xml", tc.bytes)), 0);
        EXPECT_EQ(g_planeZone, 9);
        EXPECT_EQ(g_pointCount, 0);
    }
}

TEST_F(DemXmlTest, ImportWithoutAZoneIsRefused) {
    g_planeZone = 0;
    EXPECT_EQ(ImportGsiXmlDem(0, Write("m.xml", GmlMesh(2, 2, Ramp(4)))), -1);
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_FALSE(RecordedMessages().empty());
}

TEST_F(DemXmlTest, DamagedFileIsToldWithItsLineAndItsPointsTakenBack) {
    ASSERT_EQ(ImportGsiXmlDem(0, Write("good.xml", GmlMesh(2, 2, Ramp(4)))), 0);
    ASSERT_EQ(g_pointCount, 4);
    const std::string full = GmlMesh(3, 3, Ramp(9));
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"truncated", full.substr(0, full.find("</gml:tupleList>") + 3)},
        {"mismatched tag", [&] {
             std::string s = full;
             s.replace(s.find("</gml:DataBlock>"), 16, "</gml:Datablock>");
             return s;
         }()},
        {"external entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
         "<d><mesh/><gml:tupleList xmlns:gml=\"g\">a,&x;</gml:tupleList></d>\n"},
        {"nested entities",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\">"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>\n<d>&b;</d>\n"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        ClearRecordedMessages();
        EXPECT_EQ(ImportGsiXmlDem(0, Write("bad.xml", tc.bytes)), -1);
        EXPECT_EQ(g_pointCount, 4);
        EXPECT_EQ(g_points[5].hidden, kEndMarker);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_NE(RecordedMessages()[0].text.find("bad.xml"), std::string::npos);
    }
    EXPECT_NE(RecordedMessages()[0].text.find("line"), std::string::npos);
}

TEST_F(DemXmlTest, OversizedOrInvertedGridIsRefused) {
    const struct {
        const char* high;
    } cases[] = {{"-5 3"}, {"99999 99999"}, {"2147483647 2147483647"}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.high);
        std::string s = GmlMesh(2, 2, Ramp(4));
        s.replace(s.find("1 1</gml:high>"), 3, tc.high);
        EXPECT_EQ(ImportGsiXmlDem(0, Write("g.xml", s)), -1);
        EXPECT_EQ(g_pointCount, 0);
    }
}

TEST_F(DemXmlTest, MutatedFilesNeverCrashOrLeaveHalfAFile) {
    const std::string base = GmlMesh(5, 4, Ramp(20));
    std::mt19937 rng(1234);
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
        const int32_t result = ImportGsiXmlDem(0, Write("mut.xml", s));
        if (result != 0) {
            EXPECT_EQ(g_pointCount, 0) << round;
        }
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker) << round;
    }
}

TEST_F(DemXmlTest, GridsWithoutTwoCellsEachWayValuesBeforeTheGridOrNoEnvelopeAreRefused) {
    const std::string good = GmlMesh(3, 3, Ramp(9));
    auto edit = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    // The tuple list moved before the grid lines.
    std::string early = good;
    {
        const size_t a = early.find("<gml:tupleList>");
        const size_t b = early.find("</gml:tupleList>") + 16;
        const std::string tuples = early.substr(a, b - a);
        early.erase(a, b - a);
        early.insert(early.find("<gml:boundedBy>"), tuples);
    }
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"one column", edit("<gml:high>2 2", "<gml:high>0 2")},
        {"one row", edit("<gml:high>2 2", "<gml:high>2 0")},
        {"values before the grid", early},
        {"no envelope", [&] {
             std::string s = edit("<gml:lowerCorner>", "<gml:other>");
             s.replace(s.find("</gml:lowerCorner>"), 18, "</gml:other>");
             return s;
         }()},
        {"huge text node", edit("<description>elevation", "<description>" + std::string(kXmlMaxHeldText + 10, 'x'))},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        InitDataModel();
        g_planeZone = 9;
        ClearRecordedMessages();
        EXPECT_EQ(ImportGsiXmlDem(0, Write("g.xml", tc.bytes)), -1);
        EXPECT_EQ(g_pointCount, 0);
        EXPECT_EQ(RecordedMessages().size(), 1u);
    }
}

// A 10 m mesh holds 1125 x 750 cells, a tuple list of some 14 MB: more than one text
// node of a tree-building parser may hold.
TEST_F(DemXmlTest, TupleListLargerThanATreeParserTakesIsReadWhole) {
    std::vector<std::string> values(1125 * 750, "123.45");
    const auto path = Write("big.xml", GmlMesh(1125, 750, values));
    ASSERT_GT(std::filesystem::file_size(path), 10u << 20);
    ASSERT_EQ(ImportGsiXmlDem(0, path), 0) << (RecordedMessages().empty() ? "" : RecordedMessages()[0].text);
    EXPECT_EQ(g_pointCount, 1125 * 750);
    EXPECT_DOUBLE_EQ(g_points[g_pointCount].z, 123.45);
}

}  // namespace
