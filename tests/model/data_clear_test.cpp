#include "model/data_clear.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "model/document_services.h"
#include "file_test_support.h"
#include "shell/work_files.h"
#include "volume/mesh_data.h"

namespace fs = std::filesystem;

namespace {

class DataClearTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        MakePoints(4);
    }
    void TearDown() override {
        g_contourLinesPath.clear();
        g_contourIndexPath.clear();
        g_meshAreaDefined = g_meshElevationsDone = g_meshPlanDone = g_meshVolumeDone = 0;
        FileTest::TearDown();
    }
    void AddTin() {
        EnsureTinEdgeCapacity(1);
        g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
        g_tinEdgeCount = 1;
        SetTinEndRecord();
        g_tinPresent = -1;
    }
};

TEST_F(DataClearTest, DialogOffersThePresentKindsAndTheTinFollowsThePoints) {
    struct Case {
        const char* what;
        bool tin;
        int32_t tinAfterTick;  // the TIN member once ランダムデータ is ticked
    };
    const Case cases[] = {
        {"points only: the disabled TIN box stays unticked", false, 0},
        {"points and TIN: the TIN is chosen with them", true, kDataPresent | kDataChosen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        MakePoints(4);
        if (c.tin) AddTin();
        DataClearValues v = DataClearPresence();
        EXPECT_EQ(v.random, kDataPresent);
        EXPECT_EQ(v.tin, c.tin ? kDataPresent : 0);
        EXPECT_EQ(v.mesh | v.route | v.image | v.dxf | v.contour | v.slice, 0);
        DataClearTick(v, &DataClearValues::random, true);
        EXPECT_EQ(v.random, kDataPresent | kDataChosen);
        EXPECT_EQ(v.tin, c.tinAfterTick);
        DataClearTick(v, &DataClearValues::random, false);
        EXPECT_EQ(v.random, kDataPresent);
        EXPECT_EQ(v.tin, c.tinAfterTick);  // unticking leaves the TIN box as it is
    }
}

TEST_F(DataClearTest, ClearingThePointsForgetsTheDocument) {
    AddTin();
    g_outline.Append(1);
    g_outline.Append(2);
    g_outline.Append(3);
    g_outline.Close();
    g_dataChanged = -1;
    g_currentDataPath = (Dir() / "SITE.RND").string();
    int forgotten = 0;
    OnDataClear(
        [](DataClearValues& v) {
            DataClearTick(v, &DataClearValues::random, true);
            return 1;
        },
        [&] { ++forgotten; });
    EXPECT_EQ(forgotten, 1);
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(g_points[1].hidden, kEndMarker);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_pointsPresent, 0);
    EXPECT_EQ(g_outline.Count(), 0);
    EXPECT_EQ(g_dataChanged, 0);
    EXPECT_TRUE(g_currentDataPath.empty());
}

TEST_F(DataClearTest, StopClearsNothing) {
    AddTin();
    OnDataClear(
        [](DataClearValues& v) {
            DataClearTick(v, &DataClearValues::random, true);
            return 0;
        },
        nullptr);
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_EQ(g_tinEdgeCount, 1);
}

TEST_F(DataClearTest, ContourClearDeletesWorkFilesButNoCompanion) {
    // Long and short document paths alike: the copies beside the document stay until that
    // document is saved again.
    for (const std::string& name : {std::string("SITE.RND"), std::string("a.r")}) {
        SCOPED_TRACE(name);
        g_currentDataPath = (Dir() / name).string();
        const std::string base = fs::path(name).stem().string();
        const fs::path ct1 = Write(base + ".ct1", "c1"), ct2 = Write(base + ".CT2", "c2");
        const fs::path ct3 = Write(base + ".ct3", "c3"), hlt = Write(base + ".hlt", "h");
        g_contourLinesPath = Write("_#ovk$1.$$$", "lines").string();
        g_contourIndexPath = Write("_#ovk$2.$$$", "index").string();
        g_drawingContoursLoaded = -1;
        g_showDrawingContours = -1;
        g_sliceContoursLoaded = -1;
        g_showSliceContours = -1;
        DataClearValues v = DataClearPresence();
        EXPECT_EQ(v.contour, kDataPresent);
        EXPECT_EQ(v.slice, kDataPresent);
        DataClearTick(v, &DataClearValues::contour, true);
        DataClearTick(v, &DataClearValues::slice, true);
        ClearChosenData(v, nullptr);
        EXPECT_FALSE(fs::exists(g_contourLinesPath));
        EXPECT_FALSE(fs::exists(g_contourIndexPath));
        for (const fs::path& companion : {ct1, ct2, ct3, hlt}) EXPECT_TRUE(fs::exists(companion)) << companion;
        EXPECT_EQ(g_drawingContoursLoaded, 0);
        EXPECT_EQ(g_showDrawingContours, 0);
        EXPECT_EQ(g_sliceContoursLoaded, 0);
        EXPECT_EQ(g_showSliceContours, 0);
        EXPECT_EQ(g_pointCount, 4);  // nothing else went
        // That document's next save takes them away.
        WriteDocumentCompanions(g_currentDataPath);
        for (const fs::path& companion : {ct1, ct2, ct3, hlt}) EXPECT_FALSE(fs::exists(companion)) << companion;
    }
}

TEST_F(DataClearTest, MeshClearKeepsNodesAndParameters) {
    g_meshAreaDefined = 1;
    g_meshElevationsDone = 1;
    g_meshPlanDone = 1;
    g_meshVolumeDone = 1;
    g_meshColumns = 7;
    g_meshPitchLength = 2.5;
    DataClearValues v = DataClearPresence();
    ASSERT_EQ(v.mesh, kDataPresent);
    DataClearTick(v, &DataClearValues::mesh, true);
    ClearChosenData(v, nullptr);
    EXPECT_EQ(g_meshAreaDefined, 0);
    EXPECT_EQ(g_meshElevationsDone | g_meshPlanDone | g_meshVolumeDone, 0);
    EXPECT_EQ(g_meshColumns, 7);
    EXPECT_EQ(g_meshPitchLength, 2.5);
    EXPECT_EQ(DataClearPresence().mesh, 0);
    EXPECT_EQ(g_pointCount, 4);
}

}  // namespace
