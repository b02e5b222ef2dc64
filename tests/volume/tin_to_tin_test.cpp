#include <CGAL/Boolean_set_operations_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Polygon_2.h>
#include <CGAL/Polygon_with_holes_2.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/input.h"
#include "platform/text_io.h"
#include "volume/tin_to_tin.h"
#include "volume/tin_volume_regions.h"
#include "volume_test_support.h"

using namespace voltest;

namespace {

class TinToTin : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override {
        SetHeadlessKeyDown(key::kEscape, false);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

double Flat(double, double) { return 0; }

TEST_F(TinToTin, IdenticalTinsGiveNoVolumeAndAllAreaCoincides) {
    MakeGridTin(4, 5, 20, [](double x, double y) { return 100 + 0.1 * x - 0.05 * y + 0.001 * x * y; });
    const auto base = WriteBaseTin(FreshFolder("identical"), "base");
    TinVolumeRequest q;
    EXPECT_EQ(CalcTinToTinVolume(base, &q), 40);  // each triangle with itself only
    EXPECT_EQ(q.plusVolume, 0);
    EXPECT_EQ(q.minusVolume, 0);
    EXPECT_NEAR(q.zeroArea, 80 * 100, 1e-9);
    EXPECT_NEAR(q.totalArea, 80 * 100, 1e-9);
    EXPECT_EQ(q.overhangCount, 0);
}

TEST_F(TinToTin, PlaneRaisedByAConstant) {
    MakeGridTin(5, 5, 20, Flat);
    const auto base = WriteBaseTin(FreshFolder("raised"), "base");
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].z += 2;
    TinVolumeRequest q;
    EXPECT_GT(CalcTinToTinVolume(base, &q), 0);
    EXPECT_NEAR(q.plusVolume, 20000, 1e-6);
    EXPECT_EQ(q.minusVolume, 0);
    EXPECT_NEAR(q.plusArea, 10000, 1e-6);
    EXPECT_NEAR(q.totalArea, 10000, 1e-9);
}

TEST_F(TinToTin, CrossingPlanesOverAnotherTriangulation) {
    // Base z = X - 50 on one diagonal, current z = 0 on the other: the surfaces cross at
    // X = 50, inside the triangles of the 5 x 5 grid.
    MakeGridTin(5, 5, 20, [](double x, double) { return x - 50; });
    const auto base = WriteBaseTin(FreshFolder("crossing"), "base");
    MakeGridTin(5, 5, 20, Flat, true);
    TinVolumeRequest q;
    EXPECT_GT(CalcTinToTinVolume(base, &q), 50);
    EXPECT_NEAR(q.plusVolume, 125000, 1e-6);
    EXPECT_NEAR(q.minusVolume, -125000, 1e-6);
    EXPECT_NEAR(q.plusArea, 5000, 1e-6);
    EXPECT_NEAR(q.minusArea, 5000, 1e-6);
    EXPECT_NEAR(q.totalArea, 10000, 1e-9);
}

TEST_F(TinToTin, PlaneAgainstPyramid) {
    // Base: a pyramid of height 30 over 100 x 100; current: flat at 0 on a finer grid.
    const int32_t c = AddPoint(50, 50, 30);
    const int32_t p1 = AddPoint(0, 0, 0), p2 = AddPoint(0, 100, 0), p3 = AddPoint(100, 100, 0), p4 = AddPoint(100, 0, 0);
    SetTin({{c, p1, p2}, {c, p2, p3}, {c, p3, p4}, {c, p4, p1}});
    const auto base = WriteBaseTin(FreshFolder("pyramid"), "base");
    MakeGridTin(7, 7, 100.0 / 7, Flat);
    TinVolumeRequest q;
    EXPECT_GT(CalcTinToTinVolume(base, &q), 0);
    EXPECT_NEAR(q.minusVolume, -100.0 * 100 * 30 / 3, 1e-6);
    EXPECT_EQ(q.plusVolume, 0);
}

TEST_F(TinToTin, UncoveredPartsCountOnlyInTheTotalArea) {
    // Base covers X 0..50; current X 0..100; a current triangle beyond the base's box is not
    // counted at all.
    MakeGridTin(1, 2, 50, Flat);
    const auto base = WriteBaseTin(FreshFolder("partial"), "base");
    MakeGridTin(4, 4, 25, [](double, double) { return 1.0; });
    TinVolumeRequest q;
    EXPECT_GT(CalcTinToTinVolume(base, &q), 0);
    EXPECT_NEAR(q.plusArea, 5000, 1e-6);
    EXPECT_NEAR(q.plusVolume, 5000, 1e-6);
    // Rows 0 and 1 lie on the base; row 2 touches its box at X = 50; row 3 is beyond it.
    EXPECT_NEAR(q.totalArea, 7500, 1e-9);
}

TEST_F(TinToTin, HoleOptionsChooseTheTriangles) {
    // Two triangles, the second a hole triangle on both sides.
    auto make = [] {
        InitDataModel();
        const int32_t a = AddPoint(0, 0, 1), b = AddPoint(0, 10, 1), c = AddPoint(10, 0, 1), d = AddPoint(10, 10, 1);
        SetTin({{a, b, d}, {a, d, -c}});
    };
    make();
    const auto base = WriteBaseTin(FreshFolder("holes"), "base");
    struct Case {
        int32_t baseOption, currentOption;
        double zeroArea;
    };
    for (const Case c : {Case{0, 0, 100}, Case{1, 0, 50}, Case{0, 1, 50}, Case{-1, 0, 50}, Case{-1, -1, 50}, Case{1, -1, 0}}) {
        make();
        TinVolumeRequest q;
        q.baseHoleOption = c.baseOption;
        q.currentHoleOption = c.currentOption;
        CalcTinToTinVolume(base, &q);
        EXPECT_NEAR(q.zeroArea, c.zeroArea, 1e-9) << c.baseOption << " " << c.currentOption;
    }
}

TEST_F(TinToTin, OverlappingBaseCountsOverhangAndMarksItsRegions) {
    // The base holds the same triangle twice (two separate copies of its points).
    const int32_t a = AddPoint(0, 0, 0), b = AddPoint(10, 0, 0), c = AddPoint(0, 10, 0);
    const int32_t d = AddPoint(0, 0, 0), e = AddPoint(10, 0, 0), f = AddPoint(0, 10, 0);
    SetTin({{a, b, c}, {d, e, f}});
    const auto folder = FreshFolder("overhang");
    const auto base = WriteBaseTin(folder, "base");
    InitDataModel();
    SetTin({{AddPoint(0, 0, 1), AddPoint(10, 0, 1), AddPoint(0, 10, 1)}});
    const std::string regionPath = (folder / "regions.bin").string();
    TinVolumeRequest q;
    q.regionMode = 1;
    q.regionFile = CreateRegionFile(regionPath);
    ASSERT_NE(q.regionFile, nullptr);
    EXPECT_EQ(CalcTinToTinVolume(base, &q), 2);
    EXPECT_EQ(q.overhangCount, 1);
    EXPECT_NEAR(q.overhangArea, 50, 1e-6);
    EXPECT_NEAR(q.plusVolume, 100, 1e-9);
    ASSERT_EQ(q.plusRegionCount, 2);
    ASSERT_TRUE(WriteRegionHeader(q.regionFile, q.plusRegionCount + q.minusRegionCount));
    std::vector<RegionRecord> records;
    ASSERT_TRUE(ReadRegionFile(regionPath, &records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].count, 3);   // first cover
    EXPECT_EQ(records[1].count, -3);  // covered again
    std::fclose(q.regionFile);
}

TEST_F(TinToTin, RegionFileRoundTripsAndListsItsRecords) {
    MakeGridTin(5, 5, 20, [](double x, double) { return x - 50; });
    const auto folder = FreshFolder("regions");
    const auto base = WriteBaseTin(folder, "base");
    MakeGridTin(5, 5, 20, Flat, true);
    const std::string regionPath = (folder / "t_vol1").string();
    TinVolumeRequest q;
    q.regionMode = 2;
    q.regionFile = CreateRegionFile(regionPath);
    ASSERT_GT(CalcTinToTinVolume(base, &q), 0);
    EXPECT_EQ(q.plusRegionCount, 0);
    ASSERT_GT(q.minusRegionCount, 0);
    ASSERT_TRUE(WriteRegionHeader(q.regionFile, q.minusRegionCount));
    // Read through a second handle while the first stays open: the header has reached it.
    std::vector<RegionRecord> records;
    ASSERT_TRUE(ReadRegionFile(regionPath, &records));
    ASSERT_EQ(static_cast<int32_t>(records.size()), q.minusRegionCount);
    double volume = 0, area = 0;
    for (const RegionRecord& r : records) {
        EXPECT_LT(r.volume, 0);
        volume += r.volume;
        area += r.area;
        double a = 0;
        EXPECT_NEAR(PolygonPrismVolume(r.vertices.data(), static_cast<int32_t>(r.vertices.size()), &a), r.volume, 1e-6);
        EXPECT_NEAR(a, r.area, 1e-9);
    }
    EXPECT_NEAR(volume, -125000, 1e-6);
    EXPECT_NEAR(area, 5000, 1e-6);

    std::string first, second;
    ASSERT_TRUE(ReadFileBytes(regionPath, first));
    ASSERT_TRUE(WriteRegionFile(folder / "copy", records));
    ASSERT_TRUE(ReadFileBytes(folder / "copy", second));
    EXPECT_EQ(first, second);

    ASSERT_EQ(WriteRegionList(regionPath, folder / "list.TXT"), 0);
    std::string list;
    ASSERT_TRUE(ReadFileBytes(folder / "list.TXT", list));
    EXPECT_EQ(list.rfind(FormatString("NO 1, %d, %10.5f, %10.5f\r\n %10.5f,", std::abs(records[0].count), records[0].volume,
                                      records[0].area, records[0].vertices[0].y),
                         0),
              0u);
    EXPECT_EQ(list.find("-3,"), std::string::npos);
    std::fclose(q.regionFile);
}

TEST_F(TinToTin, ADamagedRegionFileEndsTheReadingAtTheBadRecord) {
    const auto folder = FreshFolder("bad_regions");
    RegionRecord good;
    good.count = 3;
    good.volume = 1;
    good.area = 2;
    good.vertices = {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}};
    RegionRecord bad = good;
    bad.count = 9;
    ASSERT_TRUE(WriteRegionFile(folder / "r", {good, bad, good}));
    std::vector<RegionRecord> records;
    ASSERT_TRUE(ReadRegionFile(folder / "r", &records));
    EXPECT_EQ(records.size(), 1u);
    // Cut short inside the second record.
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(folder / "r", bytes));
    ASSERT_TRUE(WriteFileBytes(folder / "short", bytes.substr(0, 4 + 116 + 50)));
    ASSERT_TRUE(ReadRegionFile(folder / "short", &records));
    EXPECT_EQ(records.size(), 1u);
    ASSERT_TRUE(WriteFileBytes(folder / "empty", ""));
    EXPECT_FALSE(ReadRegionFile(folder / "empty", &records));
    EXPECT_EQ(WriteRegionList(folder / "empty", folder / "list.TXT"), -1);
    EXPECT_FALSE(std::filesystem::exists(folder / "list.TXT"));
}

TEST_F(TinToTin, BadBaseFilesAreRefusedWithAMessage) {
    MakeGridTin(2, 2, 10, Flat);
    const auto folder = FreshFolder("bad_base");
    const auto base = WriteBaseTin(folder, "base");
    std::string tri, rnd;
    ASSERT_TRUE(ReadFileBytes(folder / "base.TRI", tri));
    ASSERT_TRUE(ReadFileBytes(folder / "base.RND", rnd));
    struct Case {
        const char* what;
        std::string tri, rnd;
    };
    std::string hugeCount = tri;
    hugeCount[8] = '\xff';
    hugeCount[9] = '\xff';
    hugeCount[10] = '\xff';
    hugeCount[11] = '\x7f';
    const size_t lineLength = rnd.find("\r\n", rnd.size() - 3 - 63) ;
    const Case cases[] = {
        {"no files", "", ""},
        {"truncated .TRI", tri.substr(0, tri.size() - 5), rnd},
        {"absurd count", hugeCount, rnd},
        {"short .RND", tri, rnd.substr(0, lineLength - 62)},
        {"damaged .RND line", tri, rnd.substr(0, rnd.size() - 30) + "x\r\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder / "base.TRI");
        std::filesystem::remove(folder / "base.RND");
        if (!c.tri.empty()) {
            ASSERT_TRUE(WriteFileBytes(folder / "base.TRI", c.tri));
        }
        if (!c.rnd.empty()) {
            ASSERT_TRUE(WriteFileBytes(folder / "base.RND", c.rnd));
        }
        ClearRecordedMessages();
        TinVolumeRequest q;
        EXPECT_EQ(CalcTinToTinVolume(base, &q), 0) << c.what;
        EXPECT_EQ(RecordedMessages().size(), 1u) << c.what;
        EXPECT_EQ(q.totalArea, 0) << c.what;
    }
    // No current TIN: nothing computed.
    ASSERT_TRUE(WriteFileBytes(folder / "base.TRI", tri));
    ASSERT_TRUE(WriteFileBytes(folder / "base.RND", rnd));
    g_tinEdgeCount = 0;
    TinVolumeRequest q;
    EXPECT_EQ(CalcTinToTinVolume(base, &q), 0);
}

TEST_F(TinToTin, EscapeStopsWithPartialSums) {
    MakeGridTin(4, 4, 10, Flat);
    const auto base = WriteBaseTin(FreshFolder("escape"), "base");
    SetHeadlessKeyDown(key::kEscape, true);
    std::string last;
    TinVolumeRequest q;
    q.progressWindow = [&](const std::string& text) { last = text; };
    EXPECT_EQ(CalcTinToTinVolume(base, &q), -1);
    EXPECT_EQ(last, "ESC-Key Break");
}

// The overlap of two random triangles against CGAL's exact intersection.
TEST_F(TinToTin, PairOverlapsEqualExactIntersections) {
    using K = CGAL::Exact_predicates_exact_constructions_kernel;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0, 10);
    int32_t compared = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        double p[6][2];
        for (auto& v : p) v[0] = u(rng), v[1] = u(rng);
        auto ccw = [](double (*t)[2]) {
            // (X, Y) with Y east: counter-clockwise on the map.
            const double cross = (t[1][1] - t[0][1]) * (t[2][0] - t[0][0]) - (t[1][0] - t[0][0]) * (t[2][1] - t[0][1]);
            if (cross < 0) std::swap(t[1], t[2]);
            return std::fabs(cross) > 1e-3;
        };
        if (!ccw(p) || !ccw(p + 3)) continue;
        std::array<std::array<double, 3>, 3> base;
        TinPairRecord pair;
        for (int k = 0; k < 3; ++k) {
            base[k] = {p[k][0], p[k][1], 0};
            pair.v[k] = {p[3 + k][0], p[3 + k][1], 0};
        }
        PrepareCurrentTriangle(&pair);
        ClipTrianglePair(base, &pair);
        CGAL::Polygon_2<K> a, b;
        for (int k = 0; k < 3; ++k) {
            a.push_back(K::Point_2(p[k][1], p[k][0]));
            b.push_back(K::Point_2(p[3 + k][1], p[3 + k][0]));
        }
        std::vector<CGAL::Polygon_with_holes_2<K>> out;
        CGAL::intersection(a, b, std::back_inserter(out));
        double exact = 0;
        for (const auto& poly : out) exact += CGAL::to_double(poly.outer_boundary().area());
        EXPECT_NEAR(pair.zeroArea, exact, 1e-6) << trial;
        ++compared;
    }
    EXPECT_GT(compared, 2500);
}

}  // namespace

namespace {

TEST(TinVolumeResult, FormatsEachValueInItsColumns) {
    TinVolumeRequest q;
    q.plusVolume = 1234.567;
    q.plusArea = 10.5;
    q.minusVolume = -2.5;
    q.minusArea = 1;
    q.zeroArea = 3;
    q.totalArea = 14.5;
    std::string text = FormatTinVolumeResult(q, 0, 3);
    EXPECT_EQ(text.rfind("＋体積[           1235]  水平面積[      10.500]\r\n－体積[             -2]  水平面積[       1.000]\r\n"
                         "\t\t体積なし水平面積[       3.000]\r\n体積合計[           1232]　総面積[         14.500]\r\n",
                         0),
              0u);
    EXPECT_EQ(text.find("オーバーハング"), std::string::npos);
    q.overhangCount = 2;
    q.overhangArea = 0.25;
    text = FormatTinVolumeResult(q, 1, 1);
    EXPECT_NE(text.find("現況ファイル オーバーハング面積 [            0.2] (2 個)\r\n"), std::string::npos);
}

}  // namespace
