// DXF entity vertices as points, checked against a drawing written and read back by
// ezdxf, and the scanner's polar records.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "exchange/dxf_points.h"
#include "exchange/scanner.h"
#include "import_test_support.h"
#include "shell/quiet_mode.h"

namespace {

using importtest::ImportFixture;
using importtest::RunCommand;

bool HaveEzdxf() { return RunCommand("/usr/bin/python3 -c 'import ezdxf; print(1)' 2>/dev/null") == "1\n"; }

DxfImportParams Only(int32_t DxfImportParams::*kind, int32_t xyMode = 1, int32_t unit = 0) {
    DxfImportParams p{};
    p.*kind = 1;
    p.xyMode = xyMode;
    p.unit = unit;
    return p;
}

using Point = std::tuple<double, double, double, std::string>;

class DxfPoints : public ImportFixture {
protected:
    int32_t ReadWith(const std::filesystem::path& path, const DxfImportParams& p, int32_t takeZero = 1) {
        return ReadDxfEntitiesWithParams(path, p, takeZero, 3, 0, 5);
    }
    static std::vector<Point> Points(int32_t from = 1) {
        std::vector<Point> v;
        for (int32_t i = from; i <= g_pointCount; ++i)
            v.emplace_back(g_points[i].x, g_points[i].y, g_points[i].z, g_points[i].name);
        std::sort(v.begin(), v.end());
        return v;
    }
};

// The drawing: every kind, a layer named like an entity, a text "GEOFF", a tilted 2D
// polyline. ezdxf prints, per option, the points the rules give, from its own reading.
constexpr const char* kDrawingScript = R"PY(
import sys, ezdxf
from ezdxf.math import OCS, Vec3
doc = ezdxf.new('R2000')
doc.layers.add('LINE')
msp = doc.modelspace()
msp.add_3dface([(0, 0, 1), (10, 0, 2), (10, 10, 3), (10, 10, 3)])
msp.add_3dface([(0, 0, 1), (10, 0, 2), (10, 10, 3), (0, 10, 4)])
msp.add_solid([(0, 0, 5), (5, 0, 5), (0, 5, 5)])
msp.add_line((1, 2, 3), (4, 5, 6), dxfattribs={'layer': 'LINE'})
msp.add_arc((7, 8, 9), 2, 0, 90)
msp.add_circle((11, 12, 13), 1, dxfattribs={'layer': 'LINE'})
msp.add_point((100, 200, 5))
msp.add_text('No. 12', dxfattribs={'insert': (20, 30, 40)})
msp.add_text('GEOFF', dxfattribs={'insert': (21, 31, 41)})
msp.add_polyline3d([(1, 1, 1), (2, 2, 2), (3, 3, 3)])
msp.add_polyline2d([(4, 5), (6, 7)], dxfattribs={'extrusion': (0.6, 0, 0.8)})
msp.add_lwpolyline([(0, 0), (1, 0), (1, 1), (0, 1)], dxfattribs={'elevation': 12.5})
msp.add_lwpolyline([(5, 5), (6, 6)])
doc.saveas(sys.argv[1])

doc = ezdxf.readfile(sys.argv[1])
out = []
def put(kind, p, name=''):
    out.append('%s %.9f %.9f %.9f %s' % (kind, p[0], p[1], p[2], name.replace(' ', '') or '-'))
for e in doc.modelspace():
    t = e.dxftype()
    if t in ('3DFACE', 'SOLID'):
        v = [Vec3(e.dxf.get('vtx%d' % i)) for i in range(4)]
        n = 3 if all(abs(a - b) <= 0.001 for a, b in zip(v[3], v[2])) else 4
        for p in v[:n]: put('face' if t == '3DFACE' else 'solid', p)
    elif t == 'LINE':
        put('line', e.dxf.start); put('line', e.dxf.end)
    elif t in ('ARC', 'CIRCLE'):
        put(t.lower(), e.dxf.center)
    elif t == 'POINT':
        put('point', e.dxf.location)
    elif t == 'TEXT':
        put('text', e.dxf.insert, e.dxf.text)
    elif t == 'POLYLINE':
        ocs = OCS(e.dxf.extrusion) if e.dxf.hasattr('extrusion') else None
        for v in e.vertices:
            p = Vec3(v.dxf.location)
            put('vertex', ocs.to_wcs(p) if ocs else p)
    elif t == 'LWPOLYLINE':
        for x, y, *_ in e.get_points():
            put('vertex', (x, y, e.dxf.elevation))
print('\n'.join(out))
)PY";

TEST_F(DxfPoints, EveryKindAgainstEzdxf) {
    if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is missing: run scripts/install-deps.sh";
    const auto script = Write("make.py", kDrawingScript);
    const auto drawing = m_dir / "all.dxf";
    std::istringstream expected(RunCommand("/usr/bin/python3 '" + script.string() + "' '" + drawing.string() + "'"));
    std::map<std::string, std::vector<Point>> want;
    std::string kind, name;
    double x, y, z;
    while (expected >> kind >> x >> y >> z >> name) want[kind].emplace_back(x, y, z, name == "-" ? "" : name);
    ASSERT_EQ(want["vertex"].size(), 11u);  // 3 + 2 polyline vertices, 4 + 2 lightweight ones

    const struct {
        int32_t DxfImportParams::*option;
        std::vector<std::string> kinds;
    } options[] = {
        {&DxfImportParams::read3dFace, {"face"}}, {&DxfImportParams::readSolid, {"solid"}},
        {&DxfImportParams::readLine, {"line"}},   {&DxfImportParams::readArc, {"arc"}},
        {&DxfImportParams::readCircle, {"circle"}}, {&DxfImportParams::readPoint, {"point"}},
        {&DxfImportParams::readText, {"text"}},   {&DxfImportParams::readVertex, {"vertex"}},
    };
    for (const auto& o : options) {
        InitDataModel();
        ASSERT_EQ(ReadWith(drawing, Only(o.option)), 0);
        std::vector<Point> w;
        for (const std::string& k : o.kinds) w.insert(w.end(), want[k].begin(), want[k].end());
        std::sort(w.begin(), w.end());
        const std::vector<Point> got = Points();
        ASSERT_EQ(got.size(), w.size()) << o.kinds[0];
        for (size_t i = 0; i < w.size(); ++i) {
            EXPECT_NEAR(std::get<0>(got[i]), std::get<0>(w[i]), 1e-6) << o.kinds[0];
            EXPECT_NEAR(std::get<1>(got[i]), std::get<1>(w[i]), 1e-6) << o.kinds[0];
            EXPECT_NEAR(std::get<2>(got[i]), std::get<2>(w[i]), 1e-6) << o.kinds[0];
            EXPECT_EQ(std::get<3>(got[i]), std::get<3>(w[i])) << o.kinds[0];
        }
        ExpectConsistent();
    }
    // All kinds at once, zero elevations dropped: the zero-level lightweight polyline and
    // the tilted polyline's vertices at z 0 go.
    InitDataModel();
    DxfImportParams all = Only(&DxfImportParams::read3dFace);
    all.readSolid = all.readLine = all.readArc = all.readCircle = all.readPoint = all.readText = all.readVertex = 1;
    ASSERT_EQ(ReadWith(drawing, all, 0), 0);
    size_t nonZero = 0;
    for (auto& [k, v] : want)
        for (const Point& p : v) nonZero += std::get<2>(p) != 0;
    EXPECT_EQ(static_cast<size_t>(g_pointCount), nonZero);
}

TEST_F(DxfPoints, AxesUnitsAndQuietMode) {
    const auto path = Write("p.dxf", "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n10\n100\n20\n200\n30\n5\n"
                                     "0\nLINE\n10\n1\n20\n2\n30\n3\n11\n4\n21\n5\n31\n6\n0\nENDSEC\n0\nEOF\n");
    const struct {
        int32_t xyMode, unit;
        double x, y, z;
    } cases[] = {{0, 0, 200, 100, 5}, {1, 0, 100, 200, 5}, {0, -1, 0.2, 0.1, 0.005}, {1, 1, 1e5, 2e5, 5000}};
    for (const auto& c : cases) {
        InitDataModel();
        ASSERT_EQ(ReadWith(path, Only(&DxfImportParams::readPoint, c.xyMode, c.unit)), 0);
        ASSERT_EQ(g_pointCount, 1);
        EXPECT_DOUBLE_EQ(g_points[1].x, c.x);
        EXPECT_DOUBLE_EQ(g_points[1].y, c.y);
        EXPECT_DOUBLE_EQ(g_points[1].z, c.z);
    }
    // A host-driven read: points and vertices only, the drawing's x as X, no dialog.
    InitDataModel();
    int asked = 0;
    SetDxfPointParamDialog([&](DxfImportParams&) { return ++asked, 1; });
    g_quietMode = 1;
    ASSERT_EQ(ReadDxfEntitiesAsPoints(path, 0, 3, 0, 5), 0);
    g_quietMode = 0;
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(g_points[1].x, 100);
    // The dialog cancelled: nothing read.
    SetDxfPointParamDialog([](DxfImportParams&) { return 0; });
    ASSERT_EQ(ReadDxfEntitiesAsPoints(path, 0, 3, 0, 5), 0);
    EXPECT_EQ(g_pointCount, 1);
    SetDxfPointParamDialog(nullptr);
}

// A vertex count that lies, or none, or one that asks for everything: every vertex is a
// point and the block grows as it needs.
TEST_F(DxfPoints, LightweightVertexCountsAreNotTrusted) {
    for (const char* count : {"90\n1\n", "", "90\n2147483647\n"}) {
        InitDataModel();
        std::string s = "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n" + std::string(count) + "38\n12.5\n";
        for (int i = 0; i < 25000; ++i) s += "10\n" + std::to_string(i) + "\n20\n" + std::to_string(i % 7) + "\n";
        s += "0\nENDSEC\n0\nEOF\n";
        ASSERT_EQ(ReadWith(Write("lw.dxf", s), Only(&DxfImportParams::readVertex)), 0) << count;
        ASSERT_EQ(g_pointCount, 25000) << count;
        EXPECT_EQ(g_points[25000].x, 24999);
        EXPECT_EQ(g_points[25000].z, 12.5);
        ExpectConsistent();
    }
    // Elevation 0 and zero elevations not taken: nothing.
    InitDataModel();
    ASSERT_EQ(ReadWith(Write("lw0.dxf", "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n10\n1\n20\n2\n10\n3\n20\n4\n0\nEOF\n"),
                       Only(&DxfImportParams::readVertex), 0),
              0);
    EXPECT_EQ(g_pointCount, 0);
}

TEST_F(DxfPoints, DamagedGroupsTakeTheReadBack) {
    // A code line that is no number: the rest is out of step; the read is taken back.
    const auto path = Write("bad.dxf", "0\nSECTION\n2\nENTITIES\n0\nPOINT\n10\n1\n20\n2\n30\n3\n"
                                       "0\nPOINT\nten\n1\n20\n2\n30\n3\n0\nEOF\n");
    ASSERT_EQ(ReadWith(path, Only(&DxfImportParams::readPoint)), kImportReadFailed);
    EXPECT_EQ(g_pointCount, 0);
    ExpectConsistent();
    EXPECT_EQ(ReadWith(m_dir / "none.dxf", Only(&DxfImportParams::readPoint)), kImportCannotOpen);
    // No ENTITIES section: nothing, and no failure.
    EXPECT_EQ(ReadWith(Write("empty.dxf", "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n"),
                       Only(&DxfImportParams::readPoint)),
              0);
    EXPECT_EQ(g_pointCount, 0);
}

class Scanner : public ImportFixture {
protected:
    void TearDown() override {
        SetRieglSetupDialog(nullptr);
        ImportFixture::TearDown();
    }
};

TEST_F(Scanner, RecordsAboutTheSetUpPoint) {
    SetRieglSetupDialog([](RieglSetup& s) {
        EXPECT_EQ(s.x, 0);
        s = {1000, 2000, 50};
    });
    struct Case {
        const char* record;
        int32_t takeZero, points;
        double x, y, z;
    };
    const Case cases[] = {
        {"r25.000;eTB90.0;eTI60.0;eTW0", 0, 1, 1000, 1975, 62.5},
        {"eTW0;eTI60.0;r25.000;eTB90.0", 0, 1, 1000, 1975, 62.5},
        {"r10;eTB0;eTI0;eTW0", 0, 1, 1010, 2000, 60},
        {"r0;eTB10;eTI10;eTW0", 0, 0, 0, 0, 0},
        {"r0;eTB10;eTI10;eTW0", 1, 1, 1000, 2000, 50},
        {"r25;eTB90;eTI60;eTW1", 1, 0, 0, 0, 0},
        {"m...;r25;eTB90;eTI60;eTW0", 1, 0, 0, 0, 0},
        {"r25;eTB90;eTW0", 1, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        for (const char* end : {"\r", "\r\n", "\n"}) {
            InitDataModel();
            const std::string text = std::string(c.record) + end;
            ASSERT_EQ(ReadRieglScanFile(Write("s.3dd", text + text), c.takeZero, 3, 0, 5), 0);
            ASSERT_EQ(g_pointCount, 2 * c.points) << c.record;
            if (c.points == 0) continue;
            EXPECT_NEAR(g_points[1].x, c.x, 1e-9) << c.record;
            EXPECT_NEAR(g_points[1].y, c.y, 1e-9) << c.record;
            EXPECT_NEAR(g_points[1].z, c.z, 1e-9) << c.record;
            EXPECT_STREQ(g_points[1].name, "");
        }
    }
}

TEST_F(Scanner, DamagedRecordsAreListed) {
    ImportSkippedLines skipped;
    const std::string text = "rx;eTB90;eTI60;eTW0\r" + std::string(2000, 'r') + "\rr1;eTB0;eTI0;eTW0\r";
    ASSERT_EQ(ReadRieglScanFile(Write("d.3dd", text), 0, 3, 0, 5, &skipped), 0);
    EXPECT_EQ(g_pointCount, 1);
    EXPECT_EQ(skipped.count, 2);
    EXPECT_EQ(ReadRieglScanFile(m_dir / "none.3dd", 0, 3, 0, 5), kImportCannotOpen);
}

}  // namespace
