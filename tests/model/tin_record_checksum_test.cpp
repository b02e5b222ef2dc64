// The record order of a TIN is written to the .TRI file, so it is part of what a build
// gives: these checksums hold the records (all four stored fields, in order) and the file
// bytes of both builders on real and random data as they were before the builders were
// tuned for speed. Any change to them changes the stored files.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "file_test_support.h"
#include "model/auto_outline.h"
#include "model/point_in_outline.h"
#include "model/tin_grid_builder.h"
#include "model/tin_region_builder.h"
#include "model/tri_file.h"
#include "tin_test_support.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {

class TinRecordChecksumTest : public FileTest {};

uint64_t Fnv1a(const void* data, size_t size, uint64_t hash = 14695981039346656037ull) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

uint64_t RecordChecksum() {
    uint64_t hash = 14695981039346656037ull;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const int32_t fields[4] = {e.a, e.b, e.apexBack, e.apexSearch};
        hash = Fnv1a(fields, sizeof fields, hash);
    }
    return hash;
}

enum class Builder { kGrid, kRegion };

// Builds as the program does: the region builder after the raster classification of the
// TIN calculation, the grid builder after the grid classification.
void Build(Builder builder) {
    if (4 * g_pointCount > g_tinEdgeCapacity) {
        g_tinEdgeCapacity = 4 * g_pointCount;
        ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    }
    OrientPolygonClockwise(g_outline);
    g_tinEdgeCount = 0;
    if (builder == Builder::kRegion) {
        MarkPointsInPolygonRaster(g_outline, 0);
        BuildTinRegions(0);
    } else {
        MarkPointsOutsideOutline(g_outline);
        BuildTinGrid();
    }
    ClearRecordedMessages();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
}

bool JacksboroScatter() {
    if (tintest::LoadRndPoints(tintest::JacksboroFile("jacksboro_scatter20k.RND")) != 20000)
        return false;
    ComputeDataExtents(0);
    return BuildAutoOutline(DefaultAutoOutlineDistance(g_pointCount, g_extentSize)) ==
           kAutoOutlineDone;
}

bool JacksboroGrid() {
    const int32_t rows = 344, columns = 403;
    if (tintest::LoadRndPoints(tintest::JacksboroFile("jacksboro_grid.RND")) != rows * columns)
        return false;
    auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < columns; ++c) ring.push_back(node(0, c));
    for (int32_t r = 1; r < rows; ++r) ring.push_back(node(r, columns - 1));
    for (int32_t c = columns - 2; c >= 0; --c) ring.push_back(node(rows - 1, c));
    for (int32_t r = rows - 2; r >= 1; --r) ring.push_back(node(r, 0));
    tintest::SetOutline(ring);
    return true;
}

bool UniformSquare() {
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> u(0.0, 10000.0);
    EnsurePointCapacity(100004);
    for (int32_t i = 0; i < 100000; ++i) {
        const double x = u(rng);
        tintest::AddPoint(x, u(rng));
    }
    tintest::SetOutline({tintest::AddPoint(-1, -1), tintest::AddPoint(-1, 10001),
                         tintest::AddPoint(10001, 10001), tintest::AddPoint(10001, -1)});
    return true;
}

// Clusters of normally spread points, clamped to the square: most cells stay empty while a
// few hold hundreds of points, and the clamped points lie in rows on the square's sides.
bool ClusteredSquare() {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 10000.0);
    std::normal_distribution<double> spread(0.0, 60.0);
    std::vector<std::pair<double, double>> centres(40);
    for (auto& [x, y] : centres) {
        x = u(rng);
        y = u(rng);
    }
    EnsurePointCapacity(100004);
    for (int32_t i = 0; i < 100000; ++i) {
        const auto& [cx, cy] = centres[i % centres.size()];
        const double x = std::clamp(cx + spread(rng), 0.0, 10000.0);
        tintest::AddPoint(x, std::clamp(cy + spread(rng), 0.0, 10000.0));
    }
    tintest::SetOutline({tintest::AddPoint(-1, -1), tintest::AddPoint(-1, 10001),
                         tintest::AddPoint(10001, 10001), tintest::AddPoint(10001, -1)});
    return true;
}

struct Case {
    const char* what;
    bool (*make)();
    Builder builder;
    int32_t records;
    uint64_t recordSum;
    uint64_t fileSum;
};

}  // namespace

TEST_F(TinRecordChecksumTest, BothBuildersGiveTheRecordsAndFilesTheyAlwaysGave) {
    const Case cases[] = {
        {"jacksboro_scatter20k, automatic outline, region", JacksboroScatter, Builder::kRegion,
         59616, 0x5a84e825ce68ff69ull, 0x8542395bb6420540ull},
        {"jacksboro_scatter20k, automatic outline, grid", JacksboroScatter, Builder::kGrid, 59616,
         0x5a84e825ce68ff69ull, 0x8542395bb6420540ull},
        {"jacksboro_grid, boundary ring, region", JacksboroGrid, Builder::kRegion, 414403,
         0x9f37089044f0d1c2ull, 0x0ec4934cc27fc600ull},
        {"jacksboro_grid, boundary ring, grid", JacksboroGrid, Builder::kGrid, 414403,
         0x632612e039e537b2ull, 0x618fc0416e0d7c58ull},
        {"100k uniform square, region", UniformSquare, Builder::kRegion, 300005,
         0x3563109f968309ddull, 0xc163f8b9d7c94c7cull},
        {"100k uniform square, grid", UniformSquare, Builder::kGrid, 300005, 0x3563109f968309ddull,
         0xc163f8b9d7c94c7cull},
        {"100k clustered, region", ClusteredSquare, Builder::kRegion, 299795, 0x1a88814a35e5b12dull,
         0x6970cf6dc51a4e76ull},
        {"100k clustered, grid", ClusteredSquare, Builder::kGrid, 299795, 0x002a5f1858154af1ull,
         0x14233563509d4f52ull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        ASSERT_TRUE(c.make());
        Build(c.builder);
        const std::filesystem::path document = Dir() / "CHECK.RND";
        ASSERT_EQ(WriteTriFile(document), 0);
        const std::string bytes = Read(Dir() / "CHECK.TRI");
        EXPECT_EQ(g_tinEdgeCount, c.records);
        EXPECT_EQ(RecordChecksum(), c.recordSum);
        EXPECT_EQ(Fnv1a(bytes.data(), bytes.size()), c.fileSum);
    }
}
