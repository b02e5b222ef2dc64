#pragma once
// Terrains on a grid with their TIN, contour work files in a temp folder, and a reader of
// the line file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "contour/contour_calc.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "model/tin_query.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "shell/work_files.h"

namespace contourtest {

struct Line {
    int16_t code;
    double level;
    std::vector<double> x, y;
    int64_t offset;
    bool Closed() const { return x.front() == x.back() && y.front() == y.back(); }
};

inline std::vector<Line> ReadLines(const std::string& path = g_contourLinesPath) {
    std::vector<Line> lines;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return lines;
    ContourRecord h;
    int64_t offset = 0;
    while (ReadContourRecord(f, &h)) {
        Line l{h.code, h.a, {}, {}, offset};
        const int32_t n = static_cast<int32_t>(h.b);
        EXPECT_EQ(h.b, n);
        for (int32_t i = 0; i < n; ++i) {
            ContourRecord v;
            EXPECT_TRUE(ReadContourRecord(f, &v));
            EXPECT_EQ(v.code, 0);
            l.x.push_back(v.a);
            l.y.push_back(v.b);
        }
        offset += 18 * (1 + n);
        lines.push_back(std::move(l));
    }
    std::fclose(f);
    return lines;
}

inline std::vector<ContourIndexEntry> ReadIndex(const std::string& path = g_contourIndexPath) {
    std::vector<ContourIndexEntry> entries;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return entries;
    ContourIndexEntry e;
    while (ReadContourIndexEntry(f, &e)) entries.push_back(e);
    std::fclose(f);
    return entries;
}

inline double Length(const Line& l) {
    double s = 0;
    for (size_t i = 0; i + 1 < l.x.size(); ++i)
        s += std::hypot(l.x[i + 1] - l.x[i], l.y[i + 1] - l.y[i]);
    return s;
}

class ContourFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        m_dir =
            std::filesystem::temp_directory_path() /
            ("contour_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        g_contourLinesPath = (m_dir / "_#ovk$1.$$$").string();
        g_contourIndexPath = (m_dir / "_#ovk$2.$$$").string();
        ClearRecordedMessages();
        SetLongLoopPollInterval(0);
        g_contourLevelTolerance = 0.00001;
        g_contourSmoothness = 1.0;
        SetContourReplaceQuestion({});
    }
    void TearDown() override {
        SetHeadlessKeyDown('Q', false);
        SetHeadlessPumpCallback({});
        SetLongLoopPollInterval(100);
        std::filesystem::remove_all(m_dir);
        InitDataModel();
    }

    // Points (i * step, j * step) for i, j = 0..n with z = f(x, y) and their TIN.
    void BuildGrid(int32_t n, double step, const std::function<double(double, double)>& f) {
        for (int32_t i = 0; i <= n; ++i)
            for (int32_t j = 0; j <= n; ++j) {
                EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
                RandomPoint& p = g_points[++g_pointCount];
                p = RandomPoint{};
                p.x = i * step;
                p.y = j * step;
                p.z = f(p.x, p.y);
                std::snprintf(p.name, sizeof p.name, "P%d", g_pointCount);
            }
        SetPointEndMarker();
        g_pointsPresent = -1;
        auto id = [n](int32_t i, int32_t j) { return i * (n + 1) + j + 1; };
        g_outline.Reset();
        for (int32_t j = 0; j < n; ++j) g_outline.Append(id(0, j));
        for (int32_t i = 0; i < n; ++i) g_outline.Append(id(i, n));
        for (int32_t j = n; j > 0; --j) g_outline.Append(id(n, j));
        for (int32_t i = n; i > 0; --i) g_outline.Append(id(i, 0));
        g_outline.Close();
        for (int32_t k = 1; k <= g_outline.Count(); ++k)
            g_points[g_outline[k]].flags |= kPointFlagOutline;
        OrientPolygonClockwise(g_outline);
        MarkPointsOutsideOutline(g_outline);
        BuildTinGrid();
        ASSERT_NE(g_tinPresent, 0);
        g_pointZMin = 1e300;
        g_pointZMax = -1e300;
        for (int32_t k = 1; k <= g_pointCount; ++k) {
            g_pointZMin = std::min(g_pointZMin, g_points[k].z);
            g_pointZMax = std::max(g_pointZMax, g_points[k].z);
        }
    }

    std::filesystem::path m_dir;
};

}  // namespace contourtest
