#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>

#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/quiet_mode.h"
#include "volume/mesh_data.h"
#include "volume/mesh_files.h"
#include "volume/mesh_volume.h"
#include "mesh_test_support.h"

namespace fs = std::filesystem;

namespace {

class MeshVolume : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
        g_quietMode = 0;
    }
    void TearDown() override {
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
        ReleaseDataModel();
    }
};

// The 100 x 60 mesh of pitch 20 (6 x 4 nodes, 15 cells) at (500, 800), current z, plan p
// on every node.
void FlatMesh(double z, const std::function<double(double, double)>& plan) {
    meshtest::MakeMesh(500, 800, 100, 60, 20, 20, [z](double, double) { return z; });
    for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
        MeshNode& n = g_meshNodes.Data()[i];
        n.planZ = plan(n.x, n.y);
        n.planSource = 1;
    }
    g_meshPlanDone = 1;
}

const MeshNode& Node(int32_t c, int32_t r) { return g_meshNodes.Data()[MeshNodeNumber(c, r)]; }

TEST_F(MeshVolume, FlatGroundUnderARaisedPlanGivesCellRowColumnAndTotalSums) {
    FlatMesh(10, [](double, double) { return 11.5; });
    g_quietMode = 1;
    const MeshVolumeRun run = CalcMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
    ASSERT_TRUE(run.computed);
    EXPECT_EQ(g_meshVolumeDone, 1);
    EXPECT_EQ(Node(1, 1).averageZ, 10);
    EXPECT_EQ(Node(1, 1).planAverageZ, 11.5);
    EXPECT_EQ(Node(3, 2).fill, 600);
    EXPECT_EQ(Node(3, 2).cut, 0);
    for (int32_t r = 1; r < 4; ++r) EXPECT_EQ(FormatString("%.3f", Node(6, r).fill), "3000.000") << r;
    for (int32_t c = 1; c < 6; ++c) EXPECT_EQ(FormatString("%.3f", Node(c, 4).fill), "1800.000") << c;
    EXPECT_EQ(FormatString("%.3f", Node(6, 4).fill), "9000.000");
    EXPECT_EQ(Node(6, 4).cut, 0);
    EXPECT_EQ(run.text, " 　切土[0.0]\n 　盛土[9000.0]\n 不足土[9000.0]\n計算結果を保存しますか？");
    EXPECT_TRUE(RecordedMessages().empty());  // quiet: no questions
}

TEST_F(MeshVolume, TotalsOfSimpleSurfaces) {
    struct Case {
        const char* name;
        double ground;
        std::function<double(double, double)> plan;
        int32_t mode;
        const char* cut;
        const char* fill;
        const char* text;
    } const cases[] = {
        // A plan sloping 1 % along the length axis: mean rise 0.5 m over 6000 m².
        {"slope", 10, [](double x, double) { return 10 + 0.01 * (x - 500); }, kMeshVolumeCompute, "0.000",
         "3000.000", " 　切土[0.0]\n 　盛土[3000.0]\n 不足土[3000.0]\n計算結果を保存しますか？"},
        {"lower", 12, [](double, double) { return 10.0; }, kMeshVolumeCompute, "12000.000", "0.000",
         "　切土[12000.0]\n　盛土[0.0]\n　残土[12000.0]\n計算結果を保存しますか？"},
        {"equal", 10, [](double, double) { return 10.0; }, kMeshVolumeCompute, "0.000", "0.000",
         " 　切土[0.0]\n 　盛土[0.0]\n 不足土[0.0]\n計算結果を保存しますか？"},
        // The area check books every cell's area as fill.
        {"area", 10, [](double, double) { return 99.0; }, kMeshVolumeAreaCheck, "0.000", "6000.000",
         " 　切土[0.0]\n 　盛土[6000.0]\n 不足土[6000.0]\n計算結果を保存しますか？"},
    };
    for (const Case& c : cases) {
        InitDataModel();
        FlatMesh(c.ground, c.plan);
        const MeshVolumeRun run = ComputeMeshAverageVolume(c.mode, kPartialCellsAll);
        EXPECT_EQ(FormatString("%.3f", Node(6, 4).cut), c.cut) << c.name;
        EXPECT_EQ(FormatString("%.3f", Node(6, 4).fill), c.fill) << c.name;
        EXPECT_EQ(run.text, c.text) << c.name;
    }
}

// Zero limit and rounding: the volume is computed from the stored (rounded) averages and
// stored rounded; at or below the limit it counts as 0.
TEST_F(MeshVolume, ZeroLimitAndStoredDecimals) {
    // The cases the limit separates: ±0.5 is 0, ±0.501 stays.
    for (double v : {0.5, -0.5, 0.501, -0.501}) {
        InitDataModel();
        FlatMesh(10, [v](double, double) { return 10 + v / 400; });
        g_meshAverageDigits = 9;
        g_meshVolumeZeroLimit = 0.5;
        ComputeMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
        const bool kept = std::fabs(v) > 0.5;
        EXPECT_DOUBLE_EQ(Node(1, 1).fill, kept && v > 0 ? 0.501 : 0) << v;
        EXPECT_DOUBLE_EQ(Node(1, 1).cut, kept && v < 0 ? 0.501 : 0) << v;
    }
    // Zero decimals: a cell average of 12.5 is stored as printf's "%.0f" makes it (12),
    // and the volume follows the stored averages: (12 - 10) x 400.
    InitDataModel();
    FlatMesh(10, [](double, double) { return 12.5; });
    g_meshAverageDigits = 0;
    ComputeMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
    EXPECT_EQ(Node(1, 1).planAverageZ, 12);
    EXPECT_EQ(Node(1, 1).fill, 800);
    EXPECT_EQ(RoundMeshValue(13.5, 0), 14);
}

TEST_F(MeshVolume, OneRowOrColumnHasNoCells) {
    for (auto size : {std::pair<double, double>{0, 60}, {100, 0}}) {
        InitDataModel();
        meshtest::MakeMesh(0, 0, size.first, size.second, 20, 20, [](double, double) { return 1.0; });
        for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
            g_meshNodes.Data()[i].planZ = 5;
            g_meshNodes.Data()[i].cut = g_meshNodes.Data()[i].fill = 77;  // stale
        }
        const MeshVolumeRun run = ComputeMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
        ASSERT_TRUE(run.computed);
        EXPECT_EQ(run.cut + run.fill, 0);
        EXPECT_EQ(Node(g_meshColumns, g_meshRows).fill, 0);
        EXPECT_EQ(Node(g_meshColumns, 1).fill, 0);
        EXPECT_EQ(Node(1, g_meshRows).fill, 0);
    }
}

// A plan line over part of the mesh: a cell it cuts counts as its polygon with option 1
// and as a whole cell (its corners) with options 2 and 0; a cell the TIN outline cuts
// counts as a polygon with options 1 and 2 and not at all with option 0.
TEST_F(MeshVolume, PartialCellOptions) {
    struct Case {
        int32_t option;
        double cell21;  // cut by the plan line
        bool cell22;    // cut by the TIN outline: counted
    } const cases[] = {
        // Polygon X 20..30 (200 m²): its plan-line entries bring the plan's 12 as both
        // elevations, the corners 10 and 12: (12 - 11) x 200.
        {kPartialCellsAll, 200, true},
        // Corners at X = 20 carry 12, at X = 40 carry 10: (11 - 10) x 400.
        {kPartialCellsCurrentOnly, 400, true},
        {kPartialCellsNone, 400, false},
    };
    for (const Case& c : cases) {
        InitDataModel();
        meshtest::MakeMesh(0, 0, 40, 40, 20, 20, [](double, double) { return 10.0; });
        // The TIN outline X + Y = 65 cuts corner (40, 40) off cell (2, 2).
        meshtest::SetOutline({{-10, -10, 10}, {50, -10, 10}, {50, 15, 10}, {15, 50, 10}, {-10, 50, 10}});
        meshtest::AddPlanLine({{-10, -10, 12}, {30, -10, 12}, {30, 50, 12}, {-10, 50, 12}},
                              [](double, double) { return 12.0; });
        ComputeMeshAverageVolume(kMeshVolumeCompute, c.option);
        EXPECT_EQ(Node(1, 1).fill, 800) << c.option;
        EXPECT_DOUBLE_EQ(Node(2, 1).fill, c.cell21) << c.option;
        EXPECT_EQ(Node(2, 2).fill > 0, c.cell22) << c.option;
    }
}

// A mesh read without elevations has no nodes: nothing to compute on, however the flags stand.
TEST_F(MeshVolume, NoRunWithoutTheGridsNodes) {
    meshtest::MakeMesh(0, 0, 100, 60, 20, 20, [](double, double) { return 1.0; });
    g_meshPlanDone = 1;
    EXPECT_TRUE(MeshVolumeStartEnabled());
    g_meshColumns = 60;  // claims more nodes than the block holds
    EXPECT_FALSE(MeshVolumeStartEnabled());
    const MeshVolumeRun run = ComputeMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
    EXPECT_FALSE(run.computed);
    EXPECT_EQ(g_meshVolumeDone, 0);
    EXPECT_EQ(RecordedMessages().back().text, "メッシュ標高計算されていません");
    g_meshColumns = 6;
    g_meshNodes.Release();
    EXPECT_FALSE(MeshVolumeStartEnabled());
}

// A cell whose outline polygon needs more vertices than the clipping lists hold does not
// count, and the user is told so before the result.
TEST_F(MeshVolume, CellsThatCannotBeExaminedAreReported) {
    meshtest::MakeMesh(0, 0, 40, 40, 20, 20, [](double, double) { return 10.0; });
    std::vector<meshtest::Vertex> outline = {{-10, -10, 10}, {1, -10, 10}};
    for (int i = 0; i < 600; ++i) outline.push_back({1 + 18.0 * i / 599, i % 2 ? 2.0 : 1.0, 10});
    for (meshtest::Vertex v : std::vector<meshtest::Vertex>{{19, -10, 10}, {50, -10, 10}, {50, 50, 10}, {-10, 50, 10}})
        outline.push_back(v);
    meshtest::SetOutline(outline);
    for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
        g_meshNodes.Data()[i].planZ = 11;
        g_meshNodes.Data()[i].planSource = 1;
    }
    g_meshPlanDone = 1;
    QueueMessageAnswer(msg::kIdOk);
    QueueMessageAnswer(msg::kIdNo);
    const MeshVolumeRun run = CalcMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
    EXPECT_EQ(run.refusedCells, 1);
    EXPECT_EQ(Node(1, 1).fill, 0);
    EXPECT_EQ(run.fill, 3 * 400);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_NE(RecordedMessages()[0].text.find("1 個のメッシュ"), std::string::npos);
}

class MeshVolumeSaveAndPlot : public MeshVolume {
protected:
    void SetUp() override {
        MeshVolume::SetUp();
        m_saved = ProgramFolder();
        m_folder = fs::temp_directory_path() / ("nostrel_meshplot_" + std::to_string(getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        // The plotting program: writes down the argument it was given, whole or not at all
        // (the test reads the file while the program may still be writing it).
        const fs::path stub = m_folder / "HOLVAN";
        ASSERT_TRUE(WriteFileBytes(stub, "#!/bin/sh\nprintf '%s' \"$1\" > \"$(pwd)/plotted.tmp\" && "
                                         "mv \"$(pwd)/plotted.tmp\" \"$(pwd)/plotted.txt\"\n"));
        chmod(stub.c_str(), 0755);
        SetProgramFolder(m_folder);
        FlatMesh(10, [](double, double) { return 11.5; });
    }
    void TearDown() override {
        SetProgramFolder(m_saved);
        fs::remove_all(m_folder);
        MeshVolume::TearDown();
    }
    std::string Plotted() {
        std::string text;
        // The program runs on its own; a loaded machine may take seconds to start it.
        for (int i = 0; i < 3000 && !ReadFileBytes(m_folder / "plotted.txt", text); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return text;
    }
    fs::path m_saved, m_folder;
};

TEST_F(MeshVolumeSaveAndPlot, SavedResultIsHandedToThePlottingProgram) {
    const std::string mvo = (m_folder / "result.MVO").string();
    QueueMessageAnswer(msg::kIdYes);  // save
    QueueFileDialogAnswer(mvo);
    QueueMessageAnswer(msg::kIdYes);  // plot
    const MeshVolumeRun run = CalcMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
    EXPECT_EQ(run.writtenPath, mvo);
    EXPECT_TRUE(fs::exists(mvo));
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[1].text, "作画しますか");
    EXPECT_EQ(Plotted(), mvo);
}

TEST_F(MeshVolumeSaveAndPlot, NoPlotOfAnOlderFileWhenNothingWasSaved) {
    g_meshVolumeFilePath = (m_folder / "older.MVO").string();
    QueueMessageAnswer(msg::kIdYes);  // save, then the dialog is cancelled
    QueueFileDialogAnswer("");
    const MeshVolumeRun run = CalcMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
    EXPECT_TRUE(run.writtenPath.empty());
    EXPECT_EQ(RecordedMessages().size(), 1u);  // no plot question
    EXPECT_EQ(run.plotResult, -1);
}

TEST_F(MeshVolumeSaveAndPlot, AMissingPlottingProgramIsReported) {
    fs::remove(m_folder / "HOLVAN");
    QueueMessageAnswer(msg::kIdYes);
    QueueFileDialogAnswer((m_folder / "r.MVO").string());
    QueueMessageAnswer(msg::kIdYes);
    const MeshVolumeRun run = CalcMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
    EXPECT_EQ(run.plotResult, 2);
    EXPECT_EQ(RecordedMessages().back().text, "作画プログラムはインストールされていません。");
}

}  // namespace
