// The band and slope legends' labels and the slope DXF: which triangles go out, read back
// by ezdxf and GDAL, and a file that cannot be written.
#include "view/legends.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>

#include "../../bench/contour_bench_support.h"
#include "../dxf/dxf_oracles.h"
#include "dxf/dxf_writer.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "view/color_band_params.h"

namespace {
namespace fs = std::filesystem;
using namespace dxftest;

class Legends : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = ScratchDir("legends");
        InitDataModel();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
    }
    void TearDown() override {
        fs::remove_all(dir);
        ReleaseDataModel();
    }

    static int32_t Point(double x, double y, double z) {
        EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = x, p.y = y, p.z = z;
        std::snprintf(p.name, sizeof p.name, "P%d", static_cast<int>(g_pointCount % 1000));
        SetPointEndMarker();
        g_pointsPresent = -1;
        return g_pointCount;
    }
};

// Slope in degrees by the angle between the face normal and the vertical: another road to
// the number than the one the program takes.
double SlopeOf(const double* v) {
    const double ux = v[3] - v[0], uy = v[4] - v[1], uz = v[5] - v[2];
    const double wx = v[6] - v[0], wy = v[7] - v[1], wz = v[8] - v[2];
    const double nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
    const double n = std::sqrt(nx * nx + ny * ny + nz * nz);
    return std::acos(std::fabs(nz) / n) * 180 / M_PI;
}

TEST_F(Legends, BandLabelsRunFromLowerThroughMiddleToUpper) {
    g_colorBandParams.lowest = 10;
    g_colorBandParams.centre = 20;
    g_colorBandParams.highest = 40;
    const auto labels = BandLegendLabels();
    const char* expected[19] = {"11.000", "12.000", "13.000", "14.000", "15.000", "16.000", "17.000",
                                "18.000", "19.000", "20.000", "22.000", "24.000", "26.000", "28.000",
                                "30.000", "32.000", "34.000", "36.000", "38.000"};
    for (int j = 0; j < 19; ++j) EXPECT_EQ(labels[j], expected[j]) << j + 1;

    // No range below the middle: the labels stay apart rather than collapsing.
    g_colorBandParams.lowest = 20;
    EXPECT_EQ(BandLegendLabels()[0], "20.000");
    EXPECT_EQ(BandLegendColour(1), g_colorBandParams.stripeColours[0]);
    EXPECT_EQ(BandLegendColour(20), g_colorBandParams.stripeColours[19]);
}

TEST_F(Legends, SlopeLabelsAreTenthsOfTheMaximum) {
    g_colorBandParams.maxSlope = 45;
    const auto labels = SlopeLegendLabels();
    for (int j = 1; j <= 10; ++j) EXPECT_NEAR(std::atof(labels[j - 1].c_str()), 4.5 * j, 1e-9);
    EXPECT_EQ(labels[0], "   4.5");
    EXPECT_EQ(labels[9], "  45.0");
    EXPECT_EQ(SlopeLegendColour(10), g_colorBandParams.slopeColours[9]);
}

TEST_F(Legends, DxfFieldsAreHeldToTheirRanges) {
    struct Case {
        const char* text;
        const char* shown;
    } cases[] = {{"120", "90.0"}, {"-3", "0.0"}, {"33.33", "33.3"}, {"abc", "0.0"}};
    for (const Case& c : cases) EXPECT_EQ(SlopeDxfAngleText(ReadSlopeDxfAngle(c.text)), c.shown) << c.text;
    EXPECT_EQ(ReadSlopeDxfNumber("12"), 12);
}

TEST_F(Legends, TriangleSlopeAngleFollowsTheWinding) {
    // A plane rising 1 m per metre northwards: 45 degrees; the other winding negative.
    EXPECT_NEAR(TriangleSlopeAngle(0, 0, 0, 0, 1, 0, 1, 0, 1), 45.0, 1e-6);
    EXPECT_NEAR(TriangleSlopeAngle(0, 0, 0, 1, 0, 1, 0, 1, 0), -45.0, 1e-6);
    EXPECT_EQ(TriangleSlopeAngle(0, 0, 5, 0, 1, 5, 1, 0, 5), 0.0);
}

// Four triangles round a centre point: one level, three of different slopes.
TEST_F(Legends, SlopeDxfHoldsExactlyTheTrianglesInTheRange) {
    const int32_t p1 = Point(100, 200, 0), p2 = Point(100, 210, 0), p3 = Point(110, 210, 10),
                  p4 = Point(110, 200, 4);
    Point(105, 205, 0);
    tin_bench::SetOutline({p1, p2, p3, p4});
    ASSERT_TRUE(BuildGridTinInOutline());

    // The four faces with their slopes, from the points themselves.
    struct Face {
        std::set<std::tuple<long, long, long>> corners;
        double slope;
    };
    std::vector<Face> faces;
    const int32_t ring[5] = {p1, p2, p3, p4, p1};
    for (int k = 0; k < 4; ++k) {
        const RandomPoint &a = g_points[5], &b = g_points[ring[k]], &c = g_points[ring[k + 1]];
        const double v[9] = {a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z};
        Face f{{}, SlopeOf(v)};
        for (const RandomPoint* p : {&a, &b, &c}) f.corners.insert({std::lround(p->x), std::lround(p->y), std::lround(p->z)});
        faces.push_back(f);
    }
    // Each range read back by ezdxf (python starts slowly, so only the ranges that
    // matter: everything, the level face alone, and the slopes between).
    struct Case {
        double min, max;
    } cases[] = {{0, 90}, {0, 0}, {1, 60}};
    const bool ezdxf = HaveEzdxf();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max);
        const fs::path out = dir / "slope.dxf";
        ASSERT_EQ(ExportSlopeFacesDxf(out.string(), c.min, c.max, 7, 3), 0);
        std::set<std::set<std::tuple<long, long, long>>> expected;
        for (const Face& f : faces)
            if (f.slope >= c.min - 1e-9 && f.slope <= c.max + 1e-9) expected.insert(f.corners);
        ASSERT_GT(expected.size(), 0u);
        ASSERT_LT(expected.size(), c.max == 90 ? 5u : 4u);
        if (!ezdxf) continue;
        const EzdxfReport r = EzdxfRead(out);
        ASSERT_TRUE(r.ran);
        EXPECT_EQ(r.recoverErrors, 0);
        EXPECT_EQ(r.auditErrors, 0);
        std::set<std::set<std::tuple<long, long, long>>> written;
        for (const OracleEntity& e : r.entities) {
            ASSERT_EQ(e.kind, "3DFACE");
            EXPECT_EQ(e.layer, "7");
            EXPECT_EQ(e.colour, 3);
            ASSERT_EQ(e.numbers.size(), 12u);
            // The fourth corner repeats the first; the file holds east before north.
            for (int i = 0; i < 3; ++i) EXPECT_EQ(e.numbers[9 + i], e.numbers[i]);
            std::set<std::tuple<long, long, long>> corners;
            for (int k = 0; k < 3; ++k)
                corners.insert({std::lround(e.numbers[3 * k + 1]), std::lround(e.numbers[3 * k]),
                                std::lround(e.numbers[3 * k + 2])});
            written.insert(corners);
        }
        EXPECT_EQ(written, expected);
        EXPECT_EQ(r.entities.size(), expected.size());
        if (c.max == 90 && HaveOgrinfo()) {
            EXPECT_EQ(OgrRead(out).size(), expected.size());
        }
    }
    if (!ezdxf) GTEST_SKIP() << "python3-ezdxf is not installed: the files were not read back";
}

TEST_F(Legends, AnUnwritableFileIsToldAndLeavesNothing) {
    Point(0, 0, 0);
    const fs::path out = dir / "no such folder" / "slope.dxf";
    EXPECT_EQ(ExportSlopeFacesDxf(out.string(), 0, 90, 0, 0), kDxfWriteCannotCreate);
    QueueFileDialogAnswer(out.string());
    RunSlopeFacesDxfOutput(SlopeDxfFields{});
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].defaultExtension, "DXF");
    EXPECT_EQ(RecordedFileDialogs()[0].title, "ＤＸＦファイル出力");
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_FALSE(fs::exists(out));

    // A full disk: the writes fail, the incomplete file is removed and the failure told.
    if (fs::exists("/dev/full")) {
        ClearRecordedMessages();
        EXPECT_EQ(ExportSlopeFacesDxf("/dev/full", 0, 90, 0, 0), kDxfWriteFailed);
    }
}

// The real survey: every triangle of 20 degrees or more goes out, each once. Slow (the
// whole grid's TIN and an ezdxf read of the file): only with NOSTREL_SLOW_ORACLES set.
TEST_F(Legends, JacksboroSteepFacesMatchTheirOwnCount) {
    if (!std::getenv("NOSTREL_SLOW_ORACLES")) GTEST_SKIP() << "set NOSTREL_SLOW_ORACLES to run";
    if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
    ASSERT_TRUE(LoadJacksboroTin());
    // Every triangle once, found by its corner set, whichever records hold it.
    std::set<std::tuple<int32_t, int32_t, int32_t>> steep;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        for (int32_t apex : {e.apexSearch, e.apexBack}) {
            if (apex == kNoApex || apex == 0) continue;
            int32_t v[3] = {std::abs(e.a), std::abs(e.b), std::abs(apex)};
            std::sort(v, v + 3);
            const RandomPoint &a = g_points[v[0]], &b = g_points[v[1]], &c = g_points[v[2]];
            const double xyz[9] = {a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z};
            if (SlopeOf(xyz) >= 20) steep.insert({v[0], v[1], v[2]});
        }
    }
    ASSERT_GT(steep.size(), 0u);
    const fs::path out = dir / "steep.dxf";
    ASSERT_EQ(ExportSlopeFacesDxf(out.string(), 20, 90, 1, 1), 0);
    const EzdxfReport r = EzdxfRead(out);
    ASSERT_TRUE(r.ran);
    EXPECT_EQ(CountKinds(r.entities)["3DFACE"], static_cast<int>(steep.size()));
}
}  // namespace
