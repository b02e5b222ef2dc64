#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "contour/contour_files.h"
#include "model/progress.h"
#include "platform/input.h"
#include "shell/work_files.h"
#include "volume/mesh_data.h"
#include "volume/mesh_from_contours.h"
#include "volume/mesh_from_tin.h"
#include "volume_test_support.h"

using namespace voltest;

namespace {

using Polyline = std::vector<std::pair<double, double>>;

class MeshFromContours : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        SetWorkFilePaths();
        SetLongLoopPollInterval(0);
        m_folder = FreshFolder("mesh_contours");
        g_contourLinesPath = (m_folder / "lines.bin").string();
    }
    void TearDown() override {
        SetHeadlessPumpCallback({});
        SetHeadlessKeyDown(kStopKey, false);
        ClearRecordedMessages();
        ReleaseDataModel();
        std::filesystem::remove_all(m_folder);
    }

public:
    // Writes contour lines (level, vertices) as the contour line file.
    void WriteContours(const std::vector<std::pair<double, Polyline>>& lines) {
        std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (const auto& [level, vertices] : lines) {
            ASSERT_TRUE(WriteContourRecord(f, {kContourCodeStraight, level, static_cast<double>(vertices.size())}));
            for (const auto& [x, y] : vertices) ASSERT_TRUE(WriteContourRecord(f, {0, x, y}));
        }
        std::fclose(f);
    }
    std::filesystem::path m_folder;
};

void SetMesh(double x0, double y0, double rotation, double length, double width, double pitch) {
    g_meshOriginX = x0;
    g_meshOriginY = y0;
    g_meshRotation = rotation;
    g_meshLength = length;
    g_meshWidth = width;
    g_meshPitchLength = g_meshPitchWidth = pitch;
    g_meshAreaDefined = 1;
}

const MeshNode& Node(int32_t c, int32_t r) { return g_meshNodes.Data()[MeshNodeNumber(c, r)]; }

// Contours of the plane z = 100 + 0.1 x + 0.05 y: straight lines, one per metre of level.
std::vector<std::pair<double, Polyline>> PlaneContours() {
    std::vector<std::pair<double, Polyline>> lines;
    for (int level = 60; level <= 160; ++level) {
        // 0.1 x + 0.05 y = level - 100, from y = -600 to y = 600.
        auto x = [&](double y) { return (level - 100 - 0.05 * y) / 0.1; };
        lines.push_back({static_cast<double>(level), {{x(-600), -600}, {x(0), 0}, {x(600), 600}}});
    }
    return lines;
}

TEST_F(MeshFromContours, ContoursOfAPlaneGiveThePlane) {
    auto plane = [](double x, double y) { return 100 + 0.1 * x + 0.05 * y; };
    WriteContours(PlaneContours());
    struct Case {
        int32_t method;
        double rotation;
    } const cases[] = {{kContourStraight, 0}, {kContourStraight, 30}, {kContourCurve, 0}, {kContourCurve, 125}};
    for (const Case& k : cases) {
        SetMesh(-50, -80, k.rotation, 100, 60, 10);
        ASSERT_EQ(CalcMeshFromContours(k.method, kMissingGiven, -1, 0), 0) << k.method << " " << k.rotation;
        EXPECT_EQ(g_meshElevationsDone, 1);
        for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
            const MeshNode& n = g_meshNodes.Data()[i];
            ASSERT_EQ(n.valid, 1) << i;
            EXPECT_NEAR(n.z, plane(n.x, n.y), 0.0005 + 1e-9) << k.method << " " << k.rotation << " node " << i;
        }
    }
}

TEST_F(MeshFromContours, RowsWithOneCrossingAreMissing) {
    // A long contour across every row line, and a short one across row line 1 only.
    WriteContours({{10, {{50, -100}, {50, 100}}}, {20, {{-50, -5}, {-50, 5}}}});
    SetMesh(-100, 0, 0, 200, 40, 20);
    ASSERT_EQ(CalcMeshFromContours(kContourStraight, kMissingGiven, 99, 0), 0);
    EXPECT_EQ(Node(1, 1).valid, 0);  // x = -100 lies before the first crossing (x = -50)
    EXPECT_EQ(Node(4, 1).valid, 1);  // x = -40 lies between x = -50 and x = 50
    EXPECT_NEAR(Node(4, 1).z, 20 - 10 * 10.0 / 100, 1e-9);
    for (int32_t r = 2; r <= g_meshRows; ++r)
        for (int32_t c = 1; c <= g_meshColumns; ++c) {
            EXPECT_EQ(Node(c, r).valid, 0);
            EXPECT_EQ(Node(c, r).z, 99);
        }
}

TEST_F(MeshFromContours, FailuresAreReportedAndLeaveNoElevations) {
    struct Case {
        const char* what;
        std::function<void(MeshFromContours*)> prepare;
        std::string message;
        int32_t elevationsDone;  // a file that does not open changes nothing
    } const cases[] = {
        {"no crossing", [](MeshFromContours* t) { t->WriteContours({{10, {{-1000, 500}, {1000, 500}}}}); },
         kNoContourCrossingsMessage, 0},
        {"no contour file", [](MeshFromContours*) { g_contourLinesPath = "/nonexistent/lines.bin"; },
         "等高線データファイルが見つかりません。", 1},
        {"no work file",
         [](MeshFromContours* t) {
             t->WriteContours(PlaneContours());
             g_tempPath4 = "/nonexistent/folder/work.$$$";
         },
         "作業ファイルを作成できません。\n/nonexistent/folder/work.$$$", 0},
    };
    for (const Case& k : cases) {
        ClearRecordedMessages();
        SetWorkFilePaths();
        k.prepare(this);
        SetMesh(0, 0, 0, 100, 60, 20);
        g_meshElevationsDone = 1;
        EXPECT_EQ(CalcMeshFromContours(kContourStraight, kMissingGiven, 0, 0), -1) << k.what;
        EXPECT_EQ(g_meshElevationsDone, k.elevationsDone) << k.what;
        ASSERT_EQ(RecordedMessages().size(), 1u) << k.what;
        EXPECT_EQ(RecordedMessages()[0].text, k.message);
    }
}

TEST_F(MeshFromContours, NodeBlockThatCannotGrowKeepsTheMesh) {
    WriteContours(PlaneContours());
    SetMesh(-50, -80, 0, 100, 60, 10);
    ASSERT_EQ(CalcMeshFromContours(kContourStraight, kMissingGiven, 0, 0), 0);
    const double z = Node(11, 7).z;
    g_meshPitchLength = g_meshPitchWidth = 0.5;
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(CalcMeshFromContours(kContourStraight, kMissingGiven, 0, 0), -1);
    EXPECT_EQ(g_meshColumns, 11);
    EXPECT_EQ(g_meshRows, 7);
    EXPECT_EQ(g_meshNodeCount, 77);
    EXPECT_EQ(Node(11, 7).z, z);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, kMeshMemoryMessage);
}

TEST_F(MeshFromContours, StopDuringTheFirstPassLeavesNodesCleared) {
    WriteContours(PlaneContours());
    SetMesh(-50, -80, 0, 100, 60, 10);
    int pumps = 0;
    SetHeadlessPumpCallback([&] {
        if (++pumps == 5) SetHeadlessKeyDown(kStopKey, true);
    });
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(CalcMeshFromContours(kContourCurve, kMissingGiven, 7, 1), -1);
    EXPECT_EQ(g_meshElevationsDone, 0);
    EXPECT_EQ(Node(3, 3).z, 0);
    EXPECT_EQ(Node(3, 3).valid, 0);
    EXPECT_FALSE(std::filesystem::exists(g_tempPath4));
}

std::vector<ContourCrossing> List(std::initializer_list<std::pair<double, double>> records) {
    std::vector<ContourCrossing> list(1);
    for (const auto& [d, z] : records) list.push_back({d, z, 1});
    return list;
}

TEST_F(MeshFromContours, StraightInterpolationOnTheLine) {
    // Records out of order are sorted first; a vertex at the first node gives +0 and -0.
    std::vector<ContourCrossing> list = List({{20, 12}, {-0.0, 10}, {0.0, 10}, {-30, 7}, {50, 15}});
    SortCrossingsByDistance(list, 5);
    for (int i = 1; i < 5; ++i) EXPECT_LE(list[i].distance, list[i + 1].distance);
    struct Case {
        double s;
        int32_t found;
        double z;
    } const cases[] = {{0, 1, 10}, {10, 1, 11}, {20, 1, 12}, {35, 1, 13.5}, {-15, 1, 8.5}, {-31, 0, 0}, {51, 0, 0}};
    for (const Case& k : cases) {
        double z = -1;
        EXPECT_EQ(InterpolateOnLineStraight(list, 5, k.s, &z), k.found) << k.s;
        EXPECT_NEAR(z, k.z, 1e-12) << k.s;
    }
}

TEST_F(MeshFromContours, CurveInterpolationStaysInsideTheListAndTheBand) {
    // Three records on the parabola z = d^2 / 100: the stencil has only three points, and
    // the polynomial through them is the parabola.
    const std::vector<ContourCrossing> three = List({{0, 0}, {10, 1}, {20, 4}});
    double z = -1;
    struct Case {
        double s, z;
    } const cases[] = {{5, 0.25}, {15, 2.25}, {0, 0}, {20, 4}};
    for (const Case& k : cases) {
        EXPECT_EQ(InterpolateOnLineCurve(three, 3, k.s, 1, &z), 1);
        EXPECT_NEAR(z, k.z, 1e-12) << k.s;
    }
    // A row line through a contour vertex: two records at one place count once.
    const std::vector<ContourCrossing> twice = List({{-10, 9}, {0, 10}, {0, 10}, {10, 11}, {20, 12}});
    EXPECT_EQ(InterpolateOnLineCurve(twice, 5, 5, 1, &z), 1);
    EXPECT_NEAR(z, 10.5, 1e-12);
    // Two records: the straight line.
    EXPECT_EQ(InterpolateOnLineCurve(List({{0, 10}, {10, 11}}), 2, 4, 1, &z), 1);
    EXPECT_NEAR(z, 10.4, 1e-12);
    // Two crossings of one level round a node: within one contour interval of it.
    const std::vector<ContourCrossing> bump = List({{0, 9}, {10, 10}, {20, 10}, {30, 9}});
    EXPECT_EQ(InterpolateOnLineCurve(bump, 4, 15, 1, &z), 1);
    EXPECT_GE(z, 9);
    EXPECT_LE(z, 11);
    // A wild stencil is pulled back into the band of the pair.
    const std::vector<ContourCrossing> wild = List({{0, 0}, {1, 100}, {2, 100.5}, {3, 0}});
    EXPECT_EQ(InterpolateOnLineCurve(wild, 4, 1.5, 0.5, &z), 1);
    EXPECT_LE(std::fabs(z - 100), 0.5 + 1e-12);
    EXPECT_LE(std::fabs(z - 100.5), 0.5 + 1e-12);
}

}  // namespace

namespace {
// The exchange sort by distance, record by record, as the reference for the order of ties.
void ExchangeSort(std::vector<ContourCrossing>& list, int32_t n) {
    for (int32_t i = 1; i < n; ++i)
        for (int32_t j = i + 1; j <= n; ++j)
            if (list[i].distance > list[j].distance) std::swap(list[i], list[j]);
}

bool SameRecords(const std::vector<ContourCrossing>& a, const std::vector<ContourCrossing>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (std::memcmp(&a[k].distance, &b[k].distance, 8) != 0 || std::memcmp(&a[k].level, &b[k].level, 8) != 0 ||
            a[k].row != b[k].row)
            return false;
    return true;
}
}  // namespace

TEST_F(MeshFromContours, SortOrdersTiesAsTheExchangesDo) {
    // Distances from a small set, so that most records tie; +0 and -0 tie too.
    struct Case {
        const char* name;
        std::vector<double> distances;
        std::vector<double> levels;
        int32_t n;
    } const cases[] = {
        {"ties of one level", {-3, 0.0, 2.5, 7}, {10}, 200},
        {"ties of differing levels", {-3, 0.0, 2.5, 7}, {10, 20, 30}, 200},
        {"plus and minus zero", {-0.0, 0.0, 4}, {10}, 50},
        {"no ties", {}, {10, 20}, 300},
        {"one record", {1}, {10}, 1},
    };
    std::mt19937 rng(11);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        for (int round = 0; round < 20; ++round) {
            std::vector<ContourCrossing> list(static_cast<size_t>(k.n) + 2);
            for (int32_t i = 1; i <= k.n; ++i) {
                list[i].distance = k.distances.empty()
                                       ? std::uniform_real_distribution<double>(-100, 100)(rng)
                                       : k.distances[rng() % k.distances.size()];
                list[i].level = k.levels[rng() % k.levels.size()];
                list[i].row = 4;
            }
            list[k.n + 1] = {99, 99, 99};  // past n: never moved
            std::vector<ContourCrossing> expected = list;
            ExchangeSort(expected, k.n);
            SortCrossingsByDistance(list, k.n);
            ASSERT_TRUE(SameRecords(list, expected)) << "round " << round;
        }
    }
}

TEST_F(MeshFromContours, RowsReadInBatchesGiveTheSameNodes) {
    // Closed rings around a hill: rows cut each ring twice, most rows many rings.
    std::vector<std::pair<double, Polyline>> rings;
    for (int level = 1; level <= 30; ++level) {
        Polyline ring;
        const double radius = 3.0 * (31 - level);
        for (int k = 0; k <= 48; ++k) {
            const double t = k * 2 * M_PI / 48;
            ring.push_back({radius * std::cos(t) * (1 + 0.2 * std::sin(3 * t)), radius * std::sin(t)});
        }
        rings.push_back({static_cast<double>(level), ring});
    }
    WriteContours(rings);
    for (int32_t method : {kContourStraight, kContourCurve}) {
        SCOPED_TRACE(method);
        SetMesh(-100, -95, 20, 200, 190, 5);
        const int64_t whole = g_contourCrossingBatch;
        ASSERT_EQ(CalcMeshFromContours(method, kMissingGiven, -1, 0), 0);
        std::vector<MeshNode> reference(g_meshNodes.Data() + 1, g_meshNodes.Data() + 1 + g_meshNodeCount);
        for (int64_t batch : {int64_t{1}, int64_t{7}, int64_t{150}}) {
            g_contourCrossingBatch = batch;
            const int32_t result = CalcMeshFromContours(method, kMissingGiven, -1, 0);
            g_contourCrossingBatch = whole;
            ASSERT_EQ(result, 0);
            ASSERT_EQ(g_meshNodeCount, static_cast<int32_t>(reference.size()));
            for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
                const MeshNode& n = g_meshNodes.Data()[i];
                ASSERT_EQ(n.valid, reference[i - 1].valid) << "batch " << batch << " node " << i;
                ASSERT_EQ(n.z, reference[i - 1].z) << "batch " << batch << " node " << i;
            }
        }
        int32_t valid = 0;
        for (const MeshNode& n : reference) valid += n.valid;
        EXPECT_GT(valid, static_cast<int32_t>(reference.size()) / 2);
    }
}
