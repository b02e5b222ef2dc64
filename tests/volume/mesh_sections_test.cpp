// Mesh sections: the straight route along a mesh edge, its station names after the mesh
// lines, the plus-stake points from the TIN and the hand-over to the section calculation.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "section/section_calc.h"
#include "section/section_records.h"
#include "shell/work_files.h"
#include "volume/mesh_data.h"
#include "volume/mesh_section_command.h"
#include "volume/mesh_sections.h"
#include "volume_test_support.h"

namespace {

class MeshSectionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override { ReleaseDataModel(); }

    static void SetMesh(double x0, double y0, double rotation, double length, double width, double pitchL,
                        double pitchW) {
        g_meshOriginX = x0;
        g_meshOriginY = y0;
        g_meshRotation = rotation;
        g_meshLength = length;
        g_meshWidth = width;
        g_meshPitchLength = pitchL;
        g_meshPitchWidth = pitchW;
        g_meshAreaDefined = 1;
    }

    // Names of the stations in route order.
    static std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int32_t i = 1; i <= g_stationCount; ++i) names.emplace_back(g_stations[i].name);
        return names;
    }
};

TEST(MeshLineNames, NumbersAndLetters) {
    struct Case {
        int32_t n;
        int32_t style;
        const char* name;
    };
    const Case cases[] = {{1, 0, "1"},    {27, 0, "27"},   {1, 1, "A"},     {26, 1, "Z"},
                          {27, 1, "AA"},  {52, 1, "AZ"},   {53, 1, "BA"},   {702, 1, "ZZ"},
                          {703, 1, "AAA"}, {728, 1, "AAZ"}, {729, 1, "ABA"}, {18278, 1, "ZZZ"}};
    for (const Case& c : cases) EXPECT_EQ(MeshLineName(c.n, c.style), c.name) << c.n;
}

TEST_F(MeshSectionsTest, RouteAlongTheWidthAxisNamedAfterTheRows) {
    SetMesh(1000, 2000, 0, 100, 60, 20, 20);
    ASSERT_TRUE(LayMeshSectionRoute(0));
    EXPECT_EQ(Names(), (std::vector<std::string>{"1-1", "1-2", "1-3", "1-4"}));
    const StationRecord& last = g_stations[g_stationCount];
    EXPECT_NEAR(last.addedDistance, 60, 1e-9);
    // The route runs east along the width axis; each section spans the length axis (north)
    // on its left.
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const StationRecord& s = g_stations[i];
        EXPECT_NEAR(s.x, 1000, 1e-6) << i;
        EXPECT_NEAR(s.y, 2000 + 20 * (i - 1), 1e-6) << i;
        EXPECT_NEAR(s.leftX, 1100, 1e-6) << i;
        EXPECT_NEAR(s.leftY, s.y, 1e-6) << i;
    }
    EXPECT_EQ(g_stationInterval, 20);
    EXPECT_EQ(g_leftCutWidth, 100);
    EXPECT_EQ(g_rightCutWidth, 0);
}

TEST_F(MeshSectionsTest, WidthIsCutToWholePitches) {
    SetMesh(0, 0, 30, 100, 65, 20, 20);
    ASSERT_TRUE(LayMeshSectionRoute(0));
    EXPECT_NEAR(g_stations[g_stationCount].addedDistance, 60, 1e-9);
    EXPECT_NEAR(g_ipPoints[2].x, 60 * std::sin(30 * M_PI / 180), 1e-9);
    EXPECT_NEAR(g_ipPoints[2].y, 60 * std::cos(30 * M_PI / 180), 1e-9);
}

TEST_F(MeshSectionsTest, LettersAndTheOtherDirection) {
    SetMesh(0, 0, 0, 40, 520, 20, 20);  // 27 rows
    g_meshStationNameStyleH = 1;
    ASSERT_TRUE(LayMeshSectionRoute(0));
    ASSERT_EQ(g_stationCount, 27);
    EXPECT_STREQ(g_stations[26].name, "1-Z");
    EXPECT_STREQ(g_stations[27].name, "1-AA");

    SetMesh(0, 0, 0, 60, 40, 20, 20);
    g_meshStationNameStyleV = 1;
    g_meshStationNameStyleH = 0;
    ASSERT_TRUE(LayMeshSectionRoute(1));
    EXPECT_EQ(Names(), (std::vector<std::string>{"A-1", "B-1", "C-1", "D-1"}));
    // Along the length axis (north), sections to the right (east) over the width.
    EXPECT_NEAR(g_stations[4].x, 60, 1e-9);
    EXPECT_NEAR(g_stations[4].rightY, 40, 1e-6);
}

TEST_F(MeshSectionsTest, PlusStakesTakeTheLastNameAndTinPoints) {
    // A plane over the whole mesh: z = 100 + 0.5 X + 0.25 Y.
    voltest::MakeGridTin(2, 2, 40, [](double x, double y) { return 100 + 0.5 * x + 0.25 * y; });
    SetMesh(0, 0, 0, 40, 60, 10, 20);
    g_plusStakes[1] = 30;
    g_plusStakeCount = 1;
    ASSERT_TRUE(LayMeshSectionRoute(0));
    EXPECT_EQ(Names(), (std::vector<std::string>{"1-1", "1-2", "1-2+10.000", "1-3", "1-4"}));
    CollectMeshPlusStakePoints(0);
    ASSERT_EQ(g_meshSectionPointCount, 4);  // n = 40 / 10 points along the length axis
    for (int32_t m = 1; m <= 4; ++m) {
        const MeshNode& p = g_meshSectionBlock.Data()[m];
        EXPECT_NEAR(p.x, 10 * m, 1e-9);
        EXPECT_NEAR(p.y, 30, 1e-9);
        EXPECT_NEAR(p.z, 100 + 0.5 * p.x + 0.25 * 30, 1e-9);
        EXPECT_NEAR(p.planZ, 10, 1e-9);
        EXPECT_EQ(p.column, m + 1);
        EXPECT_EQ(p.row, 2);
    }
}

TEST_F(MeshSectionsTest, SectionsFromTheTin) {
    voltest::MakeGridTin(4, 4, 20, [](double x, double y) { return 10 + 0.1 * x + 0.2 * y; });
    SetMesh(0, 0, 0, 80, 80, 20, 20);
    const std::filesystem::path folder = voltest::FreshFolder("mesh_sections");
    g_tempPath4 = (folder / "_#ovk$4.$$$").string();
    g_tempPath5 = (folder / "_#ovk$5.$$$").string();
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(CalcMeshSections(kMeshSectionsFromTin, 0, 0), msg::kIdNo);
    EXPECT_EQ(g_stationCount, 5);
    EXPECT_TRUE(g_meshSectionBlock.Empty());
    EXPECT_NE(g_hasSections, 0);
    // Sections follow the rows: each runs 80 north of its station over the plane.
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const CrossSection* s = GetCrossSection(i);
        ASSERT_NE(s, nullptr) << i;
        EXPECT_GT(s->leftCount, 0) << i;
        EXPECT_NEAR(s->height, 10 + 0.2 * 20 * (i - 1), 1e-6) << i;
        EXPECT_EQ(std::string(s->name), "1-" + std::to_string(i)) << i;
    }
}

TEST_F(MeshSectionsTest, AUsersRouteIsReplacedOnlyAfterAsking) {
    EXPECT_TRUE(ConfirmRouteReplacement());
    EXPECT_TRUE(RecordedMessages().empty());
    g_ipPointCount = 3;
    QueueMessageAnswer(msg::kIdCancel);
    EXPECT_FALSE(ConfirmRouteReplacement());
    ASSERT_EQ(RecordedMessages().size(), 1u);

    // The command leaves the route alone when the question is declined.
    SetMesh(0, 0, 0, 40, 40, 20, 20);
    std::strcpy(g_ipPoints[1].name, "IP1");
    QueueMessageAnswer(msg::kIdCancel);
    OnMeshSectionCalc([](MeshSectionValues&) { return true; }, nullptr);
    EXPECT_EQ(g_ipPointCount, 3);
    EXPECT_STREQ(g_ipPoints[1].name, "IP1");
}

TEST_F(MeshSectionsTest, DialogStartsFromWhatExists) {
    MeshSectionValues v = InitialMeshSectionValues();
    EXPECT_FALSE(v.tinEnabled);
    EXPECT_EQ(v.source, kMeshSectionsFromContours);
    EXPECT_FALSE(v.nodeOptionsEnabled);
    EXPECT_EQ(v.nodeOption, 0);
    g_tinPresent = -1;
    g_meshElevationsDone = 1;
    g_meshSectionDirection = 1;
    v = InitialMeshSectionValues();
    EXPECT_EQ(v.source, kMeshSectionsFromTin);
    EXPECT_EQ(v.nodeOption, 1);
    EXPECT_EQ(v.direction, 1);
}

}  // namespace
