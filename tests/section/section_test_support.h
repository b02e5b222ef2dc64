#pragma once
// Terrains with their TIN, hand-placed or computed route stations, and work files in a
// temp folder for the section calculations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "analysis/section_profile.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/record_block.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "route/route_calc.h"
#include "route/route_data.h"
#include "section/section_calc.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
#include "shell/work_files.h"

namespace sectiontest {

class SectionFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        InitSectionBandDefaults();
        g_simpleSectionCount = 0;
        SetSectionCrossingIndex(true);
        m_dir = std::filesystem::temp_directory_path() /
                ("section_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        g_tempPath4 = (m_dir / "_#ovk$4.$$$").string();
        g_tempPath5 = (m_dir / "_#ovk$5.$$$").string();
        g_sectionTempPath = (m_dir / "_#ovk$6.$$$").string();
        g_contourLinesPath = (m_dir / "_#ovk$1.$$$").string();
        g_contourIndexPath = (m_dir / "_#ovk$2.$$$").string();
        ClearRecordedMessages();
    }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        SetSectionCrossingIndex(true);
        std::filesystem::remove_all(m_dir);
        InitRouteSectionDefaults();
        InitDataModel();
        ClearRecordedMessages();
    }

    static int32_t AddPoint(double x, double y, double z, const char* name = nullptr) {
        EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = x, p.y = y, p.z = z;
        const std::string text = name ? std::string(name) : "P" + std::to_string(g_pointCount);
        std::strncpy(p.name, text.c_str(), sizeof p.name - 1);
        SetPointEndMarker();
        g_pointsPresent = -1;
        return g_pointCount;
    }

    // Points (x0 + i * step, y0 + j * step), i, j = 0..n, with z = f(x, y), and their TIN
    // inside the grid's boundary.
    static void BuildGrid(int32_t n, double step, const std::function<double(double, double)>& f, double x0 = 0,
                          double y0 = 0) {
        for (int32_t i = 0; i <= n; ++i)
            for (int32_t j = 0; j <= n; ++j) {
                const double x = x0 + i * step, y = y0 + j * step;
                AddPoint(x, y, f(x, y));
            }
        auto id = [n](int32_t i, int32_t j) { return i * (n + 1) + j + 1; };
        g_outline.Reset();
        for (int32_t j = 0; j < n; ++j) g_outline.Append(id(0, j));
        for (int32_t i = 0; i < n; ++i) g_outline.Append(id(i, n));
        for (int32_t j = n; j > 0; --j) g_outline.Append(id(n, j));
        for (int32_t i = n; i > 0; --i) g_outline.Append(id(i, 0));
        g_outline.Close();
        for (int32_t k = 1; k <= g_outline.Count(); ++k) g_points[g_outline[k]].flags |= kPointFlagOutline;
        OrientPolygonClockwise(g_outline);
        MarkPointsOutsideOutline(g_outline);
        BuildTinGrid();
        ASSERT_NE(g_tinPresent, 0);
    }

    // One triangle's three records, counter-clockwise on the map.
    static void AddTriangle(int32_t a, int32_t b, int32_t c) {
        EXPECT_EQ(EnsureTinEdgeCapacity(g_tinEdgeCount + 3), 0);
        g_tinEdges[++g_tinEdgeCount] = {a, b, kNoApex, c, 0};
        g_tinEdges[++g_tinEdgeCount] = {b, c, kNoApex, a, 0};
        g_tinEdges[++g_tinEdgeCount] = {c, a, kNoApex, b, 0};
        SetTinEndRecord();
        g_tinPresent = -1;
    }

    // A station with its centre and stakes given.
    static void AddStation(const char* name, double distance, double cx, double cy, double lx, double ly, double rx,
                           double ry) {
        if (g_stationCount + 2 > g_stationCapacity) {
            g_stationCapacity = g_stationCount + 100;
            ASSERT_EQ(GrowStationBlock(g_stationCapacity), 0);
        }
        StationRecord& s = g_stations[++g_stationCount];
        s = StationRecord{};
        s.number = g_stationCount;
        std::snprintf(s.name, sizeof s.name, "%s", name);
        s.addedDistance = distance;
        s.x = cx, s.y = cy;
        s.leftX = lx, s.leftY = ly, s.rightX = rx, s.rightY = ry;
    }

    // Stations across the north direction: centre (x, y), stakes `half` to the west (left)
    // and east (right).
    static void AddCrossStation(const char* name, double distance, double x, double y, double halfLeft,
                                double halfRight) {
        AddStation(name, distance, x, y, x, y - halfLeft, x, y + halfRight);
    }

    // A straight route of two IPs computed by the route code.
    static void StraightRoute(double x0, double y0, double x1, double y1) {
        g_ipPointCount = 2;
        for (int32_t k = 1; k <= 2; ++k) {
            IpPoint& ip = g_ipPoints[k];
            std::memset(&ip, 0, sizeof ip);
            std::snprintf(ip.name, sizeof ip.name, "%s", k == 1 ? "BP" : "EP");
            ip.number = k;
            ip.x = k == 1 ? x0 : x1;
            ip.y = k == 1 ? y0 : y1;
        }
        CalcRoute();
        ASSERT_GT(g_stationCount, 1);
    }

    static std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : RecordedMessages()) texts.push_back(m.text);
        return texts;
    }

    std::filesystem::path m_dir;
};

}  // namespace sectiontest
