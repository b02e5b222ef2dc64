#include "model/flat_points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "model/tin_calc_command.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "tin_test_support.h"
#include "view/display_flags.h"

namespace {

class FlatPointsTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

struct Around {
    int32_t records = 0;
    bool higher = false, lower = false;
    double smallestCos = 1;  // between the steepest triangle's normal and the others
};

// The records at each point: those starting there, then those ending there, in record order.
std::vector<std::vector<int32_t>> RecordsAtPoints() {
    std::vector<std::vector<int32_t>> from(g_pointCount + 1), to(g_pointCount + 1);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        from[std::abs(g_tinEdges[i].a)].push_back(i);
        to[std::abs(g_tinEdges[i].b)].push_back(i);
    }
    for (int32_t k = 1; k <= g_pointCount; ++k) from[k].insert(from[k].end(), to[k].begin(), to[k].end());
    return from;
}

// The search-side triangles of the records at point k, judged by the test's own sums: the
// upward unit normal of each, the steepest (of equally steep ones the first), and the
// widest angle from it.
Around LookAround(int32_t k, const std::vector<int32_t>& records) {
    Around r;
    std::vector<std::array<double, 3>> normals;
    for (int32_t i : records) {
        const TinEdge& e = g_tinEdges[i];
        const int32_t a = std::abs(e.a), b = std::abs(e.b), s = std::abs(e.apexSearch);
        ++r.records;
        const double zn = g_points[a == k ? b : a].z;
        r.higher = r.higher || zn >= g_points[k].z;
        r.lower = r.lower || zn <= g_points[k].z;
        const RandomPoint &pa = g_points[a], &pb = g_points[b], &ps = g_points[s];
        const double u[3] = {pb.x - pa.x, pb.y - pa.y, pb.z - pa.z};
        const double v[3] = {ps.x - pa.x, ps.y - pa.y, ps.z - pa.z};
        std::array<double, 3> n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                                   u[0] * v[1] - u[1] * v[0]};
        const double length = std::hypot(n[0], n[1], n[2]);
        const double sign = n[2] < 0 ? -1 : 1;
        for (double& c : n) c *= sign / length;
        normals.push_back(n);
    }
    if (normals.empty()) return r;
    double lowest = 1;
    for (const auto& n : normals) lowest = std::min(lowest, n[2]);
    // Rounding apart, two triangles of a regular grid are often equally steep.
    std::array<double, 3> steepest{};
    for (const auto& n : normals)
        if (n[2] <= lowest + 1e-12) {
            steepest = n;
            break;
        }
    for (const auto& n : normals)
        r.smallestCos =
            std::min(r.smallestCos, n[0] * steepest[0] + n[1] * steepest[1] + n[2] * steepest[2]);
    return r;
}

std::set<int32_t> Marked() {
    std::set<int32_t> m;
    for (int32_t i = 1; i <= g_pointCount; ++i)
        if (g_points[i].invalid == kFlatPointMark) m.insert(i);
    return m;
}

std::vector<RandomPoint> PointBytes() { return {g_points + 1, g_points + 1 + g_pointCount}; }

bool SameBytes(const std::vector<RandomPoint>& saved) {
    return std::memcmp(saved.data(), g_points + 1, saved.size() * sizeof(RandomPoint)) == 0;
}

}  // namespace

TEST_F(FlatPointsTest, JacksboroGridMarksExactlyThePointsWithinTheAngle) {
    constexpr int32_t rows = 344, columns = 403;
    ASSERT_EQ(tintest::LoadRndPoints(tintest::JacksboroFile("jacksboro_grid.RND")), rows * columns);
    auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < columns; ++c) ring.push_back(node(0, c));
    for (int32_t r = 1; r < rows; ++r) ring.push_back(node(r, columns - 1));
    for (int32_t c = columns - 2; c >= 0; --c) ring.push_back(node(rows - 1, c));
    for (int32_t r = rows - 2; r >= 1; --r) ring.push_back(node(r, 0));
    tintest::SetOutline(ring);
    for (int32_t c = 100; c < 110; ++c) g_points[node(200, c)].name[0] = '_';
    OnTinCalc();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    const std::vector<RandomPoint> saved = PointBytes();

    FlatPointDeleteValues values;
    values.angle = 2;
    const int32_t at2 = FlatPointExecute(values);
    EXPECT_EQ(values.title, "平坦点削除 [ " + std::to_string(at2) + " ]点削除");
    const std::set<int32_t> marked2 = Marked();
    EXPECT_EQ(static_cast<int32_t>(marked2.size()), at2);
    EXPECT_GT(at2, 1000);
    const double limit = std::cos(2 * M_PI / 180);
    int32_t judged = 0;
    const auto recordsAt = RecordsAtPoints();
    for (int32_t k = 1; k <= g_pointCount; ++k) {
        const RandomPoint& p = saved[k - 1];
        if ((p.flags & kPointFlagOutline) || p.invalid != 0 || p.name[0] == '_') {
            ASSERT_FALSE(marked2.count(k)) << k;
            continue;
        }
        const Around a = LookAround(k, recordsAt[k]);
        const bool peakOrPit = a.higher != a.lower;
        const bool flat = a.records > 0 && !peakOrPit && a.smallestCos > limit;
        // Within a rounding of the boundary the two sums may differ.
        if (std::fabs(a.smallestCos - limit) < 1e-12) continue;
        ++judged;
        ASSERT_EQ(marked2.count(k) != 0, flat) << "point " << k << " cos " << a.smallestCos;
    }
    EXPECT_GT(judged, 130000);

    // A second 実行 adds its marks; キャンセル takes both back, byte for byte.
    values.angle = 5;
    FlatPointExecute(values);
    EXPECT_TRUE(std::includes(Marked().begin(), Marked().end(), marked2.begin(), marked2.end()));
    FlatPointCancelMarks(values);
    EXPECT_EQ(values.title, "平坦点削除");
    EXPECT_TRUE(SameBytes(saved));

    // The marks at 2 degrees are among those at 5.
    const int32_t at5 = FlatPointExecute(values);
    const std::set<int32_t> marked5 = Marked();
    EXPECT_GT(at5, at2);
    EXPECT_TRUE(std::includes(marked5.begin(), marked5.end(), marked2.begin(), marked2.end()));

    // 閉じる makes exactly the marked points invalid.
    FlatPointCommitMarks();
    for (int32_t k = 1; k <= g_pointCount; ++k)
        ASSERT_EQ(g_points[k].invalid, marked5.count(k) ? 1 : saved[k - 1].invalid) << k;
}

TEST_F(FlatPointsTest, OnlyValidTerrainPointsAmongTheirNeighboursAreMarked) {
    // A 7 x 7 grid on a uniform slope with a peak and a pit, and a point outside the outline.
    int32_t id[7][7];
    for (int32_t r = 0; r < 7; ++r)
        for (int32_t c = 0; c < 7; ++c) id[r][c] = tintest::AddPoint(10 * r, 10 * c, 0.1 * r + 0.2 * c);
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < 7; ++c) ring.push_back(id[0][c]);
    for (int32_t r = 1; r < 7; ++r) ring.push_back(id[r][6]);
    for (int32_t c = 5; c >= 0; --c) ring.push_back(id[6][c]);
    for (int32_t r = 5; r >= 1; --r) ring.push_back(id[r][0]);
    tintest::SetOutline(ring);
    g_points[id[4][4]].z += 5;  // a peak
    g_points[id[1][4]].z -= 5;  // a pit
    std::strcpy(g_points[id[2][1]].name, "_KEEP");
    const int32_t outside = tintest::AddPoint(500, 500, 3);
    g_points[id[1][1]].invalid = 1;
    OnTinCalc();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);

    EXPECT_GT(DeleteFlatPoints(1.0 / 3600), 0);
    struct Case {
        int32_t point;
        bool marked;
        const char* why;
    };
    const Case cases[] = {
        {id[3][1], true, "on the slope, far from the peak and the pit"},
        {id[4][4], false, "peak"},
        {id[1][4], false, "pit"},
        {id[2][1], false, "name beginning with _"},
        {id[1][1], false, "invalid"},
        {id[0][3], false, "outline vertex"},
        {outside, false, "no TIN record"},
        {id[3][4], false, "next to the peak"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g_points[c.point].invalid == kFlatPointMark, c.marked) << c.why;
    EXPECT_EQ(g_points[id[1][1]].invalid, 1);
}

TEST_F(FlatPointsTest, TypedAnglesAreBoundedAndGarbageKeepsTheAngle) {
    struct Case {
        const char* typed;
        double angle;
        const char* shown;
    };
    const Case cases[] = {
        {"0", 1.0 / 3600, " 0.00028"}, {"-3", 1.0 / 3600, " 0.00028"}, {"90", 85, " 85.000"},
        {" 2.5 ", 2.5, " 2.500"},      {"abc", 5, " 5.000"},            {"", 5, " 5.000"},
        {"3度", 5, " 5.000"},          {"1e999", 5, " 5.000"},         {"0.0004", 0.0004, " 0.00040"},
    };
    for (const Case& c : cases) {
        FlatPointDeleteValues v;
        v.angleText = c.typed;
        FlatPointAngleLeft(v);
        EXPECT_DOUBLE_EQ(v.angle, c.angle) << c.typed;
        EXPECT_EQ(v.angleText, c.shown) << c.typed;
    }
}

TEST_F(FlatPointsTest, WithoutATinTheCommandSaysSoAndOpensNothing) {
    tintest::AddPoint(0, 0, 1);
    bool opened = false;
    OnFlatPointDelete([&](FlatPointDeleteValues&) { opened = true; });
    EXPECT_FALSE(opened);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網が計算されていません");
    EXPECT_EQ(g_points[1].invalid, 0);
}
