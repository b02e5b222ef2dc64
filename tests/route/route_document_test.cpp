// A route across the real Jacksboro terrain saved as a route document through the
// document, the state cleared, and the document reopened.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../support/survey_data.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/alg_file.h"
#include "route/curve_report.h"
#include "route_files_support.h"

namespace fs = std::filesystem;

namespace {
std::string Fixed(double v, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

// What a reopened route must give back, at the decimals its files keep.
struct RouteSnapshot {
    std::vector<std::string> ips;
    std::vector<std::string> stations;
    std::vector<std::string> reports;

    static RouteSnapshot Take() {
        RouteSnapshot s;
        for (int32_t i = 1; i <= g_ipPointCount; ++i) {
            const IpPoint& ip = g_ipPoints[i];
            s.ips.push_back(std::string(ip.name) + " " + std::to_string(ip.number) + " " +
                            Fixed(ip.x, 5) + " " + Fixed(ip.y, 5) + " " + Fixed(ip.radius, 3) +
                            " " + Fixed(ip.a1, 3) + " " + Fixed(ip.a2, 3));
        }
        for (int32_t i = 1; i <= g_stationCount; ++i) {
            const StationRecord& st = g_stations[i];
            std::string line = std::string(st.name) + " " + std::to_string(st.kind) + " " +
                               std::to_string(st.number);
            for (double v :
                 {st.addedDistance, st.x, st.y, st.leftX, st.leftY, st.rightX, st.rightY})
                line += " " + Fixed(v, 5);
            s.stations.push_back(line);
        }
        for (int32_t i = 2; i < g_ipPointCount; ++i) {
            // Added distances travel with three decimals in the curve-element file.
            IpPoint& ip = g_ipPoints[i];
            for (double* d : {&ip.ka1Distance, &ip.ke1Distance, &ip.ke2Distance, &ip.ka2Distance})
                *d = std::stod(Fixed(*d, 3));
            IpPoint& ep = g_ipPoints[g_ipPointCount];
            ep.addedDistance = std::stod(Fixed(ep.addedDistance, 3));
            s.reports.push_back(CurveReportText(i));
        }
        return s;
    }
};

class RouteDocument : public ::testing::Test {
protected:
    void SetUp() override {
        InitRouteSectionDefaults();
        InitDataModel();
        ClearRecordedMessages();
        m_dir = fs::temp_directory_path() / ("nostrel_routedoc_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        fs::remove_all(m_dir);
        ReleaseDataModel();
        ClearRecordedMessages();
    }
    fs::path m_dir;
};
}  // namespace

TEST_F(RouteDocument, JacksboroRouteReopensAsItWasSaved) {
    CPelmo_3DDoc doc;
    ASSERT_TRUE(doc.OpenDocument(SurveyFile("jacksboro_grid.RND").string()));
    ASSERT_GT(g_pointCount, 100000);
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        minX = std::min(minX, g_points[i].x);
        maxX = std::max(maxX, g_points[i].x);
        minY = std::min(minY, g_points[i].y);
        maxY = std::max(maxY, g_points[i].y);
    }
    // Five IPs zig-zagging across the terrain: two clothoids and a circle between.
    auto at = [&](double fx, double fy, double* x, double* y) {
        *x = minX + fx * (maxX - minX);
        *y = minY + fy * (maxY - minY);
    };
    double x, y;
    at(0.1, 0.1, &x, &y);
    route_fixture::SetIp(1, "BP", 0, x, y);
    at(0.35, 0.5, &x, &y);
    route_fixture::SetIp(2, "IP", 1, x, y, 1500, 600, 500);
    at(0.6, 0.2, &x, &y);
    route_fixture::SetIp(3, "IP", 2, x, y, 800);
    at(0.8, 0.75, &x, &y);
    route_fixture::SetIp(4, "IP", 3, x, y, 1200, 500, 500);
    at(0.9, 0.9, &x, &y);
    route_fixture::SetIp(5, "EP", 0, x, y);
    g_ipPointCount = 5;
    g_stationInterval = 20.0;
    g_leftCutWidth = 25.0;
    g_rightCutWidth = 30.0;
    CalcRoute();
    ASSERT_TRUE(RecordedMessages().empty()) << RecordedMessages()[0].text;
    ASSERT_GT(g_stationCount, 1000);
    for (int32_t i = 2; i <= 4; ++i) ASSERT_NE(g_ipPoints[i].curveType, kCurveNone) << i;

    const fs::path first = m_dir / "jacksboro_route.ALG";
    ASSERT_TRUE(doc.OnSaveDocument(first));
    const RouteSnapshot saved = RouteSnapshot::Take();
    const int32_t points = g_pointCount;

    // The route state cleared, the random data kept.
    std::memset(g_ipPoints, 0, sizeof g_ipPoints);
    g_ipPointCount = 0;
    g_stationCount = 0;
    g_plusStakeCount = 0;
    InitRouteSectionDefaults();
    ASSERT_TRUE(doc.OpenDocument(first.string()));
    EXPECT_EQ(g_pointCount, points);
    EXPECT_EQ(g_routeDataName, "jacksboro_route");
    const RouteSnapshot reopened = RouteSnapshot::Take();
    EXPECT_EQ(reopened.ips, saved.ips);
    ASSERT_EQ(reopened.stations.size(), saved.stations.size());
    for (size_t k = 0; k < saved.stations.size(); ++k)
        ASSERT_EQ(reopened.stations[k], saved.stations[k]) << k;
    EXPECT_EQ(reopened.reports, saved.reports);
    EXPECT_DOUBLE_EQ(g_stationInterval, 20.0);
    EXPECT_DOUBLE_EQ(g_rightCutWidth, 30.0);

    const fs::path second = m_dir / "again.ALG";
    ASSERT_TRUE(doc.OnSaveDocument(second));
    for (const char* ext : {".ALG", ".YSO", ".RSN"}) {
        std::string a, b;
        ASSERT_TRUE(ReadFileBytes(fs::path(first).replace_extension(ext), a));
        ASSERT_TRUE(ReadFileBytes(fs::path(second).replace_extension(ext), b));
        EXPECT_EQ(a, b) << ext;
    }
    EXPECT_TRUE(RecordedMessages().empty());
}
