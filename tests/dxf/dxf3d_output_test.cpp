// The 3D-DXF output: layers by surface class and elevation, the file forms, the drawing
// origin, damaged contour work files, the option file, the dialog's 出力, and a real
// survey end to end checked by ezdxf and GDAL.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <set>

#include "../../bench/contour_bench_support.h"
#include "contour/contour_files.h"
#include "dxf/dxf3d_output.h"
#include "dxf/dxf3d_output_command.h"
#include "dxf/dxf_writer.h"
#include "dxf_oracles.h"
#include "model/progress.h"
#include "model/tin_query.h"

namespace {
namespace fs = std::filesystem;
using namespace dxftest;

// The arguments of Write3dDxf, starting as the options do.
struct Args {
    int32_t contours = 1, tin = 1, contourKind = 0, tinKind = 1, drawingCoords = 0;
    int32_t mainLayer = 1, mainColour = 1, indexLayer = 2, indexColour = 2;
    int32_t existingLayer = 3, existingColour = 3, planLayer = 4, planColour = 4, slopeLayer = 5, slopeColour = 5;
    int32_t waterLayer = 6, waterColour = 6, buildingLayer = 7, buildingColour = 7;
    int32_t twoD = 0, outline = 0, outlineLayer = 8, outlineColour = 8, layerPerElevation = 0, unitMm = 0;
};

int32_t Write(const fs::path& file, const Args& a) {
    return Write3dDxf(file.string(), a.contours, a.tin, a.contourKind, a.tinKind, a.drawingCoords, a.mainLayer,
                      a.mainColour, a.indexLayer, a.indexColour, a.existingLayer, a.existingColour, a.planLayer,
                      a.planColour, a.slopeLayer, a.slopeColour, a.waterLayer, a.waterColour, a.buildingLayer,
                      a.buildingColour, a.twoD, a.outline, a.outlineLayer, a.outlineColour, a.layerPerElevation,
                      a.unitMm);
}

// A DXF file as its groups, and the entities (type and groups) of its ENTITIES section.
struct Entity {
    std::string type;
    std::vector<std::pair<int, std::string>> groups;
    std::string Get(int code) const {
        for (const auto& [c, v] : groups)
            if (c == code) return v;
        return "";
    }
    int Count(int code) const {
        int n = 0;
        for (const auto& g : groups) n += g.first == code;
        return n;
    }
};

struct ParsedDxf {
    bool r14 = false;
    bool crlfOnly = true;
    std::vector<Entity> entities;
};

ParsedDxf Parse(const fs::path& file) {
    ParsedDxf d;
    const std::string bytes = ReadBytes(file);
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t end = bytes.find('\n', at);
        if (end == std::string::npos || end == at || bytes[end - 1] != '\r') {
            d.crlfOnly = false;
            break;
        }
        lines.push_back(bytes.substr(at, end - 1 - at));
        at = end + 1;
    }
    d.r14 = bytes.find("AC1014") != std::string::npos;
    bool inEntities = false;
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        const int code = std::atoi(lines[i].c_str());
        const std::string& value = lines[i + 1];
        if (code == 2 && value == "ENTITIES") inEntities = true;
        if (!inEntities) continue;
        if (code == 0) {
            if (value == "ENDSEC") break;
            d.entities.push_back({value, {}});
        } else if (!d.entities.empty()) {
            d.entities.back().groups.push_back({code, value});
        }
    }
    return d;
}

std::vector<std::string> Types(const ParsedDxf& d) {
    std::vector<std::string> t;
    for (const auto& e : d.entities) t.push_back(e.type);
    return t;
}

class Dxf3dOutput : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = ScratchDir("dxf3d");
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        InitDataModel();
        ResetDxf3dOptions();
        ClearRecordedMessages();
        g_contourLinesPath = (dir / "lines.bin").string();
        g_indexContourInterval = 5;
    }
    void TearDown() override {
        if (g_progressWnd) CloseProgressWindow();
        fs::remove_all(dir);
        ReleaseDataModel();
    }
    fs::path Out(const std::string& name = "out.dxf") const { return dir / name; }

    static int32_t Point(double x, double y, double z, const char* name) {
        EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = x, p.y = y, p.z = z;
        std::snprintf(p.name, sizeof p.name, "%s", name);
        SetPointEndMarker();
        g_pointsPresent = -1;
        return g_pointCount;
    }
    // One triangle, or two sharing an edge (four names), built by the program's TIN builder.
    static void Triangles(const std::vector<std::string>& names, const std::vector<double>& z = {}) {
        InitDataModel();
        const double xy[4][2] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
        std::vector<int32_t> ring;
        for (size_t i = 0; i < names.size(); ++i)
            ring.push_back(Point(xy[i][0] + 100, xy[i][1] + 200, z.empty() ? 50.0 + i : z[i], names[i].c_str()));
        tin_bench::SetOutline(ring);
        ASSERT_TRUE(BuildGridTinInOutline());
    }
    // The contour work file: lines of (elevation, vertices as x, y pairs).
    struct Line {
        double elevation;
        std::vector<double> xy;
    };
    void Contours(const std::vector<Line>& lines) const {
        std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (const Line& l : lines) {
            WriteContourRecord(f, {kContourCodeStraight, l.elevation, static_cast<double>(l.xy.size() / 2)});
            for (size_t i = 0; i + 1 < l.xy.size(); i += 2) WriteContourRecord(f, {0, l.xy[i], l.xy[i + 1]});
        }
        std::fclose(f);
        g_drawingContoursLoaded = -1;
    }
};

TEST_F(Dxf3dOutput, TrianglesGoToTheLayerOfTheirSurface) {
    struct Case {
        std::vector<std::string> names;
        const char* layer;
        const char* colour;
    };
    const Case cases[] = {
        {{"_W1", "_W2", "_F3"}, "6", "16"},  // water
        {{"_F1", "_F2", "_F3"}, "4", "14"},  // plan: all F
        {{"_F1", "_N2", "_F3"}, "5", "15"},  // slope
        {{"_C1", "_H2", "_W3"}, "4", "14"},  // plan: any C
        {{"_H1", "_W2", "_N3"}, "7", "17"},  // building before water
        {{"_F1", "P2", "_F3"}, "3", "13"},   // one name without "_": existing
        {{"_X1", "_F2", "_F3"}, "3", "13"},  // an unknown class counts as existing
    };
    Args a;
    a.contours = 0;
    a.existingColour = 13, a.planColour = 14, a.slopeColour = 15, a.waterColour = 16, a.buildingColour = 17;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names[0] + c.names[1] + c.names[2]);
        Triangles(c.names);
        for (int32_t kind : {1, 0}) {
            a.tinKind = kind;
            ASSERT_EQ(Write(Out(), a), k3dDxfDone);
            const ParsedDxf d = Parse(Out());
            ASSERT_EQ(d.entities.size(), kind ? 1u : 3u);  // one face, or three edges
            for (const Entity& e : d.entities) {
                EXPECT_EQ(e.type, kind ? "3DFACE" : "LINE");
                EXPECT_EQ(e.Get(8), c.layer);
                EXPECT_EQ(e.Get(62), c.colour);
            }
        }
    }
}

TEST_F(Dxf3dOutput, FaceCornersAreTheTrianglesPointsAndTheFirstAgain) {
    Triangles({"A", "B", "C", "D"}, {1, 2, 3, 4});
    Args a;
    a.contours = 0;
    ASSERT_EQ(Write(Out(), a), k3dDxfDone);
    const ParsedDxf d = Parse(Out());
    ASSERT_EQ(Types(d), (std::vector<std::string>{"3DFACE", "3DFACE"}));
    for (const Entity& e : d.entities) {
        EXPECT_EQ(e.Get(10), e.Get(13));
        EXPECT_EQ(e.Get(20), e.Get(23));
        EXPECT_EQ(e.Get(30), e.Get(33));
        std::set<std::string> corners = {e.Get(30), e.Get(31), e.Get(32)};
        EXPECT_EQ(corners.size(), 3u);
    }
}

// Triangles of a hole (negative point numbers) are written as any other, by their points.
TEST_F(Dxf3dOutput, HoleTrianglesAreWrittenWithTheirPoints) {
    Triangles({"A", "B", "C"}, {1, 2, 3});
    ASSERT_GT(g_tinEdgeCount, 0);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        g_tinEdges[i].a = -std::abs(g_tinEdges[i].a);
        g_tinEdges[i].apexSearch = -std::abs(g_tinEdges[i].apexSearch);
    }
    Args a;
    a.contours = 0;
    ASSERT_EQ(Write(Out(), a), k3dDxfDone);
    const ParsedDxf d = Parse(Out());
    ASSERT_EQ(Types(d), (std::vector<std::string>{"3DFACE"}));
    const std::set<std::string> z = {d.entities[0].Get(30), d.entities[0].Get(31), d.entities[0].Get(32)};
    EXPECT_EQ(z, (std::set<std::string>{"1.000", "2.000", "3.000"}));
}

TEST_F(Dxf3dOutput, ContourLayersAndElevations) {
    struct Case {
        double elevation;
        int32_t layerPerElevation, unitMm;
        const char* layer;
        const char* colour;
    };
    const Case cases[] = {
        {12.5, 1, 0, "12", "1"},        {12.5, 1, 1, "12500", "1"},   {-12.5, 1, 1, "-12500", "1"},
        {-12.5, 1, 0, "-12", "1"},      {0.0004, 1, 1, "0", "1"},     {10.0, 0, 0, "2", "2"},
        {10.000001, 0, 0, "2", "2"},    {10.00001, 0, 0, "1", "1"},   {9.9999995, 0, 0, "2", "2"},
        {-15.0, 0, 0, "2", "2"},        {1e12, 1, 1, "2147483647", "2"},
    };
    g_drawingContoursLoaded = -1;
    Args a;
    a.tin = 0;
    a.contourKind = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elevation);
        Contours({{c.elevation, {1, 2, 3, 4}}});
        a.layerPerElevation = c.layerPerElevation;
        a.unitMm = c.unitMm;
        ASSERT_EQ(Write(Out(), a), k3dDxfDone);
        const ParsedDxf d = Parse(Out());
        ASSERT_EQ(Types(d), (std::vector<std::string>{"POLYLINE", "VERTEX", "VERTEX", "SEQEND"}));
        EXPECT_EQ(d.entities[0].Get(8), c.layer);
        EXPECT_EQ(d.entities[0].Get(62), c.colour);
        EXPECT_EQ(d.entities[1].Get(8), c.layer);
        char z[64];
        std::snprintf(z, sizeof z, "%.3f", c.elevation);
        EXPECT_EQ(d.entities[1].Get(30), z);  // the elevation itself, whatever the layer
    }
}

TEST_F(Dxf3dOutput, EntityKindsAndForms) {
    Triangles({"A", "B", "C"}, {10, 11, 12});
    Contours({{10, {100, 200, 101, 201, 102, 203}}, {15, {100, 205, 104, 206}}});
    struct Case {
        const char* name;
        int32_t contourKind, tinKind, outline, twoD;
        bool r14;
        std::vector<std::string> types;
    };
    const std::vector<std::string> poly3 = {"POLYLINE", "VERTEX", "VERTEX", "VERTEX", "SEQEND"};
    const std::vector<std::string> poly2 = {"POLYLINE", "VERTEX", "VERTEX", "SEQEND"};
    const std::vector<std::string> outline = {"POLYLINE", "VERTEX", "VERTEX", "VERTEX", "VERTEX", "SEQEND"};
    auto cat = [](std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> v;
        for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
        return v;
    };
    const Case cases[] = {
        {"LINE contours, LINE TIN", 0, 0, 0, 0, false, {"LINE", "LINE", "LINE", "LINE", "LINE", "LINE"}},
        {"POLYLINE contours, 3DFACE", 1, 1, 0, 0, false, cat({{"3DFACE"}, poly3, poly2})},
        {"LWPOLYLINE: the R14 form", 2, 1, 0, 0, true, {"3DFACE", "LWPOLYLINE", "LWPOLYLINE"}},
        {"LWPOLYLINE with the outline: POLYLINE, bare", 2, 1, 1, 0, false, cat({{"3DFACE"}, poly3, poly2, outline})},
        {"2D", 1, 1, 1, 1, false, cat({{"3DFACE"}, poly3, poly2, outline})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Args a;
        a.contourKind = c.contourKind, a.tinKind = c.tinKind, a.outline = c.outline, a.twoD = c.twoD;
        ASSERT_EQ(Write(Out(), a), k3dDxfDone);
        const ParsedDxf d = Parse(Out());
        EXPECT_TRUE(d.crlfOnly);
        EXPECT_EQ(d.r14, c.r14);
        EXPECT_EQ(Types(d), c.types);
        for (const Entity& e : d.entities) {
            for (int code : {30, 31, 32, 33, 38}) {
                if (e.Get(code).empty()) continue;
                if (c.twoD) {
                    EXPECT_EQ(e.Get(code), "0.000") << e.type << " " << code;
                }
            }
            if (e.type == "POLYLINE" || e.type == "VERTEX") {
                EXPECT_EQ(e.Count(70), c.twoD ? 0 : 1) << e.type;
            }
        }
        if (c.r14) {
            EXPECT_EQ(d.entities[1].Get(38), "10.000");
        }
    }
}

TEST_F(Dxf3dOutput, DrawingCoordinatesStartAtTheLowestTinPoint) {
    Triangles({"A", "B", "C"}, {30, 20, 25});
    Contours({{20, {100, 200, 105, 205}}});
    Args a;
    a.drawingCoords = 1;
    a.contourKind = 1;
    a.outline = 1;
    ASSERT_EQ(Write(Out(), a), k3dDxfDone);
    const ParsedDxf d = Parse(Out());
    ASSERT_EQ(d.entities[0].type, "3DFACE");
    std::set<std::string> z = {d.entities[0].Get(30), d.entities[0].Get(31), d.entities[0].Get(32)};
    EXPECT_EQ(z, (std::set<std::string>{"10.000", "0.000", "5.000"}));
    // The contour at that elevation is at 0 too, and shifted by the smallest X and Y.
    EXPECT_EQ(d.entities[2].Get(30), "0.000");
    EXPECT_EQ(d.entities[2].Get(10), "0.000");
    EXPECT_EQ(d.entities[2].Get(20), "0.000");
    EXPECT_EQ(d.entities[3].Get(10), "5.000");

    // Without TIN edges the origin comes from what is written: contours and outline.
    g_tinEdgeCount = 0;
    g_tinPresent = 0;
    Contours({{12, {150, 260, 160, 270}}});
    a.tin = 0;
    ASSERT_EQ(Write(Out(), a), k3dDxfDone);
    const ParsedDxf e = Parse(Out());
    double minX = 1e300, minY = 1e300, minZ = 1e300;
    for (const Entity& v : e.entities) {
        if (v.type != "VERTEX") continue;
        minX = std::min(minX, std::stod(v.Get(20)));
        minY = std::min(minY, std::stod(v.Get(10)));
        minZ = std::min(minZ, std::stod(v.Get(30)));
    }
    EXPECT_EQ(minX, 0.0);
    EXPECT_EQ(minY, 0.0);
    EXPECT_EQ(minZ, 0.0);
    EXPECT_EQ(e.entities[1].Get(30), "0.000");  // the contour at 12, the lowest of all
}

TEST_F(Dxf3dOutput, ShortContourLinesAreLeftOutInEveryForm) {
    Contours({{10, {}}, {11, {1, 2}}, {12, {1, 2, 3, 4}}});
    Args a;
    a.tin = 0;
    for (int32_t kind : {0, 1, 2}) {
        SCOPED_TRACE(kind);
        a.contourKind = kind;
        ASSERT_EQ(Write(Out(), a), k3dDxfDone);
        EXPECT_EQ(g_dxf3dReport.contoursWritten, 1);
        EXPECT_EQ(g_dxf3dReport.contoursTooShort, 2);
        const ParsedDxf d = Parse(Out());
        ASSERT_FALSE(d.entities.empty());
        EXPECT_EQ(d.entities[0].Get(kind == 2 ? 38 : (kind == 0 ? 30 : 8)), kind == 1 ? "1" : "12.000");
    }
}

// The contour work file as bytes, so that a test can damage it at will.
std::string Record(int16_t code, double a, double b) {
    std::string s(18, '\0');
    std::memcpy(&s[0], &code, 2);
    std::memcpy(&s[2], &a, 8);
    std::memcpy(&s[10], &b, 8);
    return s;
}

TEST_F(Dxf3dOutput, DamagedContourFilesAreReportedAndNeverOverrun) {
    const std::string good = Record(3, 10, 2) + Record(0, 1, 2) + Record(0, 3, 4);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"count 1e9", Record(3, 11, 1e9) + Record(0, 1, 2)},
        {"count 2001", Record(3, 11, 2001)},
        {"negative count", Record(3, 11, -3)},
        {"fractional count", Record(3, 11, 2.5) + Record(0, 1, 2) + Record(0, 3, 4)},
        {"count not a number", Record(3, 11, nan)},
        {"elevation not a number", Record(3, nan, 2) + Record(0, 1, 2) + Record(0, 3, 4)},
        {"vertex not a number", Record(3, 11, 2) + Record(0, nan, 2) + Record(0, 3, 4)},
        {"cut inside a vertex", Record(3, 11, 2) + Record(0, 1, 2) + Record(0, 3, 4).substr(0, 9)},
        {"fewer vertices than counted", Record(3, 11, 3) + Record(0, 1, 2) + Record(0, 3, 4)},
        {"cut inside a header", Record(3, 11, 2).substr(0, 5)},
    };
    Triangles({"A", "B", "C"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(g_contourLinesPath, good + c.bytes);
        g_drawingContoursLoaded = -1;
        Args a;
        a.contourKind = 1;
        a.outline = 1;
        ASSERT_EQ(Write(Out(), a), k3dDxfPartial);
        EXPECT_TRUE(g_dxf3dReport.contourFileCorrupt);
        EXPECT_EQ(g_dxf3dReport.contoursWritten, 1);
        const ParsedDxf d = Parse(Out());
        // The good line, then the outline: a complete file.
        const auto t = Types(d);
        EXPECT_EQ(std::count(t.begin(), t.end(), std::string("POLYLINE")), 2);
        EXPECT_EQ(std::count(t.begin(), t.end(), std::string("SEQEND")), 2);
        const std::string bytes = ReadBytes(Out());
        EXPECT_EQ(bytes.substr(bytes.size() - 10), "  0\r\nEOF\r\n");
    }
}

TEST_F(Dxf3dOutput, MissingContourFileIsReportedAsPartialOutput) {
    Triangles({"A", "B", "C"});
    g_drawingContoursLoaded = -1;
    fs::remove(g_contourLinesPath);
    struct Case {
        int32_t tin, outline;
        int32_t want;
        std::vector<std::string> types;
    };
    const Case cases[] = {
        {1, 0, k3dDxfPartial, {"3DFACE"}},
        {1, 1, k3dDxfPartial, {"3DFACE", "POLYLINE", "VERTEX", "VERTEX", "VERTEX", "VERTEX", "SEQEND"}},
        {0, 0, k3dDxfNothing, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tin * 10 + c.outline);
        Args a;
        a.tin = c.tin;
        a.outline = c.outline;
        EXPECT_EQ(Write(Out(), a), c.want);
        EXPECT_TRUE(g_dxf3dReport.contourFileMissing);
        EXPECT_EQ(Types(Parse(Out())), c.types);
    }
}

TEST_F(Dxf3dOutput, UnwritableFilesFail) {
    Triangles({"A", "B", "C"});
    Args a;
    a.contours = 0;
    EXPECT_EQ(Write(dir / "missing" / "x.dxf", a), k3dDxfNothing);
    EXPECT_EQ(Write("/dev/full", a), k3dDxfWriteFailed);
    a.tin = 0;
    EXPECT_EQ(Write(Out(), a), k3dDxfNothing);  // nothing chosen
    EXPECT_EQ(g_dxfOutFile, nullptr);
}

TEST_F(Dxf3dOutput, PointsThatAreNotNumbersAreLeftOut) {
    Triangles({"A", "B", "C", "D"});
    g_points[1].z = std::numeric_limits<double>::quiet_NaN();
    Args a;
    a.contours = 0;
    a.outline = 1;
    EXPECT_EQ(Write(Out(), a), k3dDxfPartial);
    EXPECT_GE(g_dxf3dReport.entitiesRefused, 1);
    const std::string bytes = ReadBytes(Out());
    EXPECT_EQ(bytes.find("nan"), std::string::npos);
    const auto t = Types(Parse(Out()));
    EXPECT_EQ(std::count(t.begin(), t.end(), std::string("SEQEND")), 1);  // the outline stays whole
}

TEST_F(Dxf3dOutput, OptionFileRoundTrip) {
    std::vector<int32_t> want;
    for (int i = 0; i < 16; ++i) want.push_back(i % 2 ? -i * 7 : 1000 + i);
    int32_t* fields[] = {&g_dxf3dMainContourLayer, &g_dxf3dMainContourColour, &g_dxf3dIndexContourLayer,
                         &g_dxf3dIndexContourColour, &g_dxf3dExistingLayer, &g_dxf3dExistingColour,
                         &g_dxf3dPlanLayer, &g_dxf3dPlanColour, &g_dxf3dSlopeLayer, &g_dxf3dSlopeColour,
                         &g_dxf3dWaterLayer, &g_dxf3dWaterColour, &g_dxf3dBuildingLayer, &g_dxf3dBuildingColour,
                         &g_dxf3dOutlineLayer, &g_dxf3dOutlineColour};
    for (int i = 0; i < 16; ++i) *fields[i] = want[i];
    EXPECT_EQ(ReadDxpFile(), 0);  // none yet: nothing changes
    ASSERT_EQ(WriteDxpFile(), 1);
    EXPECT_EQ(DxpFilePath(), (dir / "config" / "nostrel-voda" / "QUARVEL.DXP").string());
    const std::string bytes = ReadBytes(DxpFilePath());
    EXPECT_EQ(bytes.substr(0, 12), "1000\r\n-7\r\n10");
    ResetDxf3dOptions();
    ASSERT_EQ(ReadDxpFile(), 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(*fields[i], want[i]) << i;
    EXPECT_TRUE(RecordedMessages().empty());

    struct Case {
        const char* name;
        std::string bytes;
        std::vector<int32_t> first3;  // what the first three fields hold after reading
        bool said;
    };
    const Case cases[] = {
        {"short: missing lines keep their values", "11\r\n12\r\n", {11, 12, 2}, false},
        {"LF line ends", "21\n22\n23\n", {21, 22, 23}, false},
        {"garbage lines are reported and keep their values", "abc\r\n99999999999\r\n5x\r\n", {1, 1, 2}, true},
        {"binary", std::string("\x00\xff\xfe\r\n", 5) + std::string(5000, 'A'), {1, 1, 2}, true},
        {"empty file", "", {1, 1, 2}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetDxf3dOptions();
        ClearRecordedMessages();
        WriteBytes(DxpFilePath(), c.bytes);
        ASSERT_EQ(ReadDxpFile(), 1);
        EXPECT_EQ((std::vector<int32_t>{g_dxf3dMainContourLayer, g_dxf3dMainContourColour, g_dxf3dIndexContourLayer}),
                  c.first3);
        EXPECT_EQ(g_dxf3dOutlineColour, 8);
        EXPECT_EQ(RecordedMessages().size(), c.said ? 1u : 0u);
    }
}

TEST_F(Dxf3dOutput, DialogOutputAsksAndReports) {
    Triangles({"A", "B", "C"});
    g_tinPresent = -1;
    g_currentDataPath = (dir / "site.RND").string();
    InitDxf3dOutputDialog();
    EXPECT_EQ(g_dxf3dOutputPath, (dir / "site.DXF").string());
    EXPECT_EQ(g_dxf3dContours, 0);  // no contours loaded
    EXPECT_EQ(g_dxpFileRead, 1);
    EXPECT_EQ(Dxf3dNumberText(12), "   12");
    EXPECT_EQ(Dxf3dNumberFromText("  -42xyz"), -42);
    EXPECT_EQ(Dxf3dNumberFromText("junk"), 0);

    // Contours asked for while none are loaded, and nothing else: the no-data message.
    ClearRecordedMessages();
    EXPECT_TRUE(OnDxfOutput(true, false, false));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "出力するデータがありません。");
    EXPECT_FALSE(fs::exists(g_dxf3dOutputPath));

    // Written, then asked before it is replaced; No keeps the dialog.
    ClearRecordedMessages();
    g_dxf3dMainContourLayer = 77;
    EXPECT_TRUE(OnDxfOutput(false, true, false));
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(LastHeadlessProgressTexts().caption, "ＤＸＦファイル出力中");
    EXPECT_EQ(g_progressWnd, nullptr);
    EXPECT_EQ(g_dxf3dBusy, 0);
    EXPECT_EQ(ReadBytes(DxpFilePath()).substr(0, 4), "77\r\n");
    fs::resize_file(g_dxf3dOutputPath, 3);
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_FALSE(OnDxfOutput(false, true, false));
    EXPECT_EQ(RecordedMessages().back().text, "同一名のファイルがありますが\n上書きしてよろしいですか");
    EXPECT_EQ(RecordedMessages().back().caption, "上書き確認");
    EXPECT_EQ(fs::file_size(g_dxf3dOutputPath), 3u);
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_TRUE(OnDxfOutput(false, true, false));
    EXPECT_GT(fs::file_size(g_dxf3dOutputPath), 3u);

    // A file that cannot be written: the failure message; the option file is still saved.
    ClearRecordedMessages();
    g_dxf3dOutputPath = "/dev/full";
    g_dxf3dMainContourLayer = 78;
    EXPECT_TRUE(OnDxfOutput(false, true, false));
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "ファイルが作成できませんでした。");
    EXPECT_EQ(RecordedMessages().back().caption, "ファイル作成失敗");
    EXPECT_EQ(ReadBytes(DxpFilePath()).substr(0, 4), "78\r\n");

    // A missing contour file: the file is written, and the user is told what it lacks.
    ClearRecordedMessages();
    g_dxf3dOutputPath = Out().string();
    g_drawingContoursLoaded = -1;
    fs::remove(g_contourLinesPath);
    EXPECT_TRUE(OnDxfOutput(true, true, false));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("等高線"), std::string::npos);

    // Busy: nothing happens, the dialog stays.
    g_dxf3dBusy = -1;
    EXPECT_FALSE(OnDxfOutput(false, true, false));
    g_dxf3dBusy = 0;
}

TEST_F(Dxf3dOutput, LongPathsAreWritten) {
    Triangles({"A", "B", "C"});
    fs::path deep = dir;
    for (int i = 0; i < 4; ++i) deep /= std::string(80, 'd');
    fs::create_directories(deep);
    const fs::path file = deep / "terrain.dxf";
    ASSERT_GT(file.string().size(), 300u);
    Args a;
    a.contours = 0;
    EXPECT_EQ(Write(file, a), k3dDxfDone);
    EXPECT_EQ(Types(Parse(file)), (std::vector<std::string>{"3DFACE"}));
}

// A block of the real grid survey: its TIN and contours by the program's own commands,
// then both file forms, checked by ezdxf and GDAL against the TIN and the work file.
class Dxf3dJacksboro : public Dxf3dOutput {
protected:
    void SetUp() override {
        Dxf3dOutput::SetUp();
        ASSERT_TRUE(tin_bench::LoadJacksboro("jacksboro_grid.RND"));
        const int32_t columns = tin_bench::kJacksboroGridColumns;
        auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
        const int32_t r0 = 150, r1 = 175, c0 = 200, c1 = 230;
        std::vector<int32_t> ring;
        for (int32_t c = c0; c <= c1; ++c) ring.push_back(node(r0, c));
        for (int32_t r = r0 + 1; r <= r1; ++r) ring.push_back(node(r, c1));
        for (int32_t c = c1 - 1; c >= c0; --c) ring.push_back(node(r1, c));
        for (int32_t r = r1 - 1; r > r0; --r) ring.push_back(node(r, c0));
        tin_bench::SetOutline(ring);
        ASSERT_TRUE(BuildGridTinInOutline());
        PrepareContourRun(dir, 10);
        g_contourMinZ = std::floor(g_pointZMin / 10) * 10;
        ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
        g_drawingContoursLoaded = -1;
    }
    // The contour work file read here, apart from the program: (elevation, vertex count).
    std::vector<std::pair<double, int>> WorkFileLines() const {
        std::vector<std::pair<double, int>> lines;
        const std::string bytes = ReadBytes(g_contourLinesPath);
        size_t at = 0;
        while (at + 18 <= bytes.size()) {
            double e, n;
            std::memcpy(&e, &bytes[at + 2], 8);
            std::memcpy(&n, &bytes[at + 10], 8);
            lines.push_back({e, static_cast<int>(n)});
            at += 18 * (1 + static_cast<size_t>(n));
        }
        return lines;
    }
};

TEST_F(Dxf3dJacksboro, EzdxfAndGdalFindTheTinAndTheContours) {
    if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is missing: run scripts/install-deps.sh";
    std::vector<uint8_t> marks;
    ASSERT_NE(BuildTinAdjacency(nullptr, nullptr, &marks), 0);
    const int triangles = static_cast<int>(std::count(marks.begin() + 1, marks.end(), uint8_t{1}));
    ASSERT_GT(triangles, 1000);
    const auto lines = WorkFileLines();
    ASSERT_GT(lines.size(), 5u);
    std::multimap<std::tuple<long long, long long, long long>, int32_t> points;
    auto key = [](double x, double y, double z) {
        return std::make_tuple(std::llround(x * 1000), std::llround(y * 1000), std::llround(z * 1000));
    };
    for (int32_t i = 1; i <= g_pointCount; ++i) points.insert({key(g_points[i].x, g_points[i].y, g_points[i].z), i});

    for (int32_t contourKind : {1, 2}) {
        SCOPED_TRACE(contourKind);
        Args a;
        a.contourKind = contourKind;
        const fs::path file = Out(contourKind == 2 ? "jacksboro_r14.dxf" : "jacksboro_bare.dxf");
        ASSERT_EQ(Write(file, a), k3dDxfDone);
        const EzdxfReport r = EzdxfRead(file);
        ASSERT_TRUE(r.ran);
        EXPECT_EQ(r.recoverErrors, 0);
        EXPECT_EQ(r.recoverFixes, 0);
        EXPECT_EQ(r.auditErrors, 0);
        EXPECT_EQ(r.auditFixes, 0);
        const std::string lineKind = contourKind == 2 ? "LWPOLYLINE" : "POLYLINE3D";
        const std::map<std::string, int> kinds = {{"3DFACE", triangles},
                                                  {lineKind, static_cast<int>(lines.size())}};
        EXPECT_EQ(CountKinds(r.entities), kinds);
        size_t line = 0;
        int farCorners = 0;
        for (const OracleEntity& e : r.entities) {
            if (e.kind == "3DFACE") {
                // DXF x is east (our Y), y north (our X).
                for (int k = 0; k < 3; ++k) {
                    const double east = e.numbers[3 * k], north = e.numbers[3 * k + 1], z = e.numbers[3 * k + 2];
                    // A survey point within half a millimetre on each axis (the file has
                    // three decimals; the survey four), give or take the binary rounding.
                    bool found = false;
                    for (long long dx : {-1, 0, 1})
                        for (long long dy : {-1, 0, 1})
                            for (long long dz : {-1, 0, 1}) {
                                auto [kx, ky, kz] = key(north, east, z);
                                const auto range = points.equal_range({kx + dx, ky + dy, kz + dz});
                                for (auto it = range.first; it != range.second; ++it) {
                                    const auto& p = g_points[it->second];
                                    constexpr double kHalf = 0.0005 + 1e-9;
                                    found = found || (std::abs(p.x - north) <= kHalf && std::abs(p.y - east) <= kHalf &&
                                                      std::abs(p.z - z) <= kHalf);
                                }
                            }
                    farCorners += !found;
                }
                continue;
            }
            ASSERT_LT(line, lines.size());
            EXPECT_EQ(e.numbers.size(), 3u * lines[line].second) << line;
            EXPECT_NEAR(e.numbers[2], lines[line].first, 0.0005) << line;
            ++line;
        }
        EXPECT_EQ(farCorners, 0);
        if (!HaveOgrinfo()) continue;
        const auto ogr = OgrRead(file);
        const std::map<std::string, int> geometries = {{"POLYGON", triangles},
                                                       {"LINESTRING", static_cast<int>(lines.size())}};
        EXPECT_EQ(CountGeometries(ogr), geometries);
    }
}

}  // namespace
