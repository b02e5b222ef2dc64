#include "route/route_data.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/terrain_data.h"
#include "section/section_defaults.h"

namespace {
class RouteData : public ::testing::Test {
protected:
    // The start-up order of the main frame: the defaults, then the data model.
    void SetUp() override {
        InitRouteSectionDefaults();
        InitDataModel();
    }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        ReleaseDataModel();
    }
};
}  // namespace

TEST_F(RouteData, StartUpParametersAreTheDefaults) {
    struct Case {
        const char* name;
        double value;
        double want;
    };
    const Case cases[] = {
        {"g_stationInterval", g_stationInterval, 20},
        {"g_leftCutWidth", g_leftCutWidth, 30},
        {"g_rightCutWidth", g_rightCutWidth, 30},
        {"g_bpAddedDistance", g_bpAddedDistance, 0},
        {"g_bpBackDistance", g_bpBackDistance, 0},
        {"g_epForwardDistance", g_epForwardDistance, 0},
        {"g_firstStationNumber", double(g_firstStationNumber), 1},
        {"g_stationNaming", double(g_stationNaming), 0},
        {"g_clothoidNaming", double(g_clothoidNaming), 1},
        {"g_outputSingleCurveSp", double(g_outputSingleCurveSp), 0},
        {"g_makeAuxStations", double(g_makeAuxStations), 0},
        {"g_routeTolerance", g_routeTolerance, 0.01},
        {"g_crossSectionInterval", g_crossSectionInterval, 10},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, c.want) << c.name;

    EXPECT_EQ(g_ipPointCount, 0);
    EXPECT_EQ(g_stationCount, 0);
    EXPECT_EQ(g_plusStakeCount, 0);
    EXPECT_EQ(g_otherRouteIpCount, 0);
    EXPECT_EQ(g_otherRouteStationCount, 0);
    EXPECT_EQ(g_currentIp, 0);
    EXPECT_EQ(g_stations, nullptr);
}

TEST_F(RouteData, DefaultsLeaveTheThreeCalculationOptionsAlone) {
    g_stationInterval = 5;
    g_clothoidNaming = 0;
    g_outputSingleCurveSp = 1;
    g_makeAuxStations = 1;
    g_routeTolerance = 0.5;
    InitRouteSectionDefaults();
    EXPECT_EQ(g_stationInterval, 20);
    EXPECT_EQ(g_clothoidNaming, 1);
    EXPECT_EQ(g_outputSingleCurveSp, 1);
    EXPECT_EQ(g_makeAuxStations, 1);
    EXPECT_EQ(g_routeTolerance, 0.5);
}

TEST_F(RouteData, StationBlocksKeepTheOldBlockWhenTheyCannotGrow) {
    struct Case {
        const char* name;
        int32_t (*grow)(int32_t);
        StationRecord** pointer;
        RecordBlock<StationRecord>* block;
        int32_t* capacity;
    };
    const Case cases[] = {
        {"stations", GrowStationBlock, &g_stations, &g_stationsBlock, &g_stationCapacity},
        {"other routes", GrowOtherRouteStationBlock, &g_otherRouteStations,
         &g_otherRouteStationsBlock, &g_otherRouteStationCapacity},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.grow(10), 0);
        ASSERT_NE(*c.pointer, nullptr);
        const StationRecord zero{};
        EXPECT_EQ(std::memcmp(&(*c.pointer)[9], &zero, sizeof zero), 0);  // first block is zeroed
        for (int32_t i = 1; i < 10; ++i) {
            (*c.pointer)[i].kind = 2;
            (*c.pointer)[i].x = i * 10.5;
            std::snprintf((*c.pointer)[i].name, sizeof zero.name, "NO%d", i);
        }
        // A resize that fails keeps the block and its records.
        InjectAllocationFailures(0, 1);
        StationRecord* before = *c.pointer;
        EXPECT_EQ(c.grow(1000000), -1);
        EXPECT_EQ(*c.pointer, before);
        EXPECT_EQ(c.block->Size(), 10);
        // A resize that succeeds keeps them too, wherever the block moves.
        ASSERT_EQ(c.grow(5000), 0);
        EXPECT_EQ(c.block->Size(), 5000);
        EXPECT_STREQ((*c.pointer)[9].name, "NO9");
        EXPECT_EQ((*c.pointer)[9].x, 94.5);
        EXPECT_EQ(*c.capacity, 0);  // the capacity is the caller's to keep
        EXPECT_EQ(c.grow(0), 0);
        EXPECT_EQ(*c.pointer, nullptr);
    }
}

TEST_F(RouteData, DataModelStartFreesTheStationsAndEmptiesTheTables) {
    ASSERT_EQ(GrowStationBlock(100), 0);
    ASSERT_EQ(GrowOtherRouteStationBlock(100), 0);
    g_stationCount = 50;
    g_ipPointCount = 3;
    g_currentIp = 2;
    g_plusStakeCount = 4;
    g_routeTolerance = 1;
    InitDataModel();
    EXPECT_EQ(g_stations, nullptr);
    EXPECT_EQ(g_otherRouteStations, nullptr);
    EXPECT_EQ(g_stationCount, 0);
    EXPECT_EQ(g_ipPointCount, 0);
    EXPECT_EQ(g_currentIp, 0);
    EXPECT_EQ(g_plusStakeCount, 0);
    EXPECT_EQ(g_routeTolerance, 0.01);
}
