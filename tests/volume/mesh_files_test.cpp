#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "model/record_block.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "volume/mesh_data.h"
#include "volume/mesh_files.h"
#include "mesh_test_support.h"

namespace fs = std::filesystem;

namespace {

using meshtest::Vertex;

class MeshFiles : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
        m_folder = fs::temp_directory_path() / ("nostrel_meshfiles_" + std::to_string(getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
        fs::remove_all(m_folder);
    }
    std::string Path(const std::string& name) const { return (m_folder / name).string(); }
    static std::string Bytes(const std::string& path) {
        std::string b;
        EXPECT_TRUE(ReadFileBytes(path, b)) << path;
        return b;
    }
    static void Write(const std::string& path, const std::string& text) { ASSERT_TRUE(WriteFileBytes(path, text)); }
    static std::string LastMessage() {
        return RecordedMessages().empty() ? "" : RecordedMessages().back().text;
    }
    fs::path m_folder;
};

// A 100 x 60 mesh at (1000, 2000) turned 30°, elevations z = 10 + 0.01 X, an outline
// across it, a range of five entries.
void MakeSample() {
    meshtest::MakeMesh(1000.125, 2000.5, 100, 60, 20, 20, [](double x, double) { return 10 + 0.01 * x; });
    g_meshRotation = 30;
    g_meshNodes.Data()[MeshNodeNumber(6, 4)].valid = 0;
    meshtest::SetOutline({{990, 1990, 9.5}, {1090, 1990, 10.4}, {1090, 2050, 10.7}, {990, 2050, 9.9}});
    const double range[][2] = {{1000, 2000}, {1100, 2000}, {1100, 2060}, {1000, 2060}, {1000, 2000}};
    for (int i = 0; i < 5; ++i) {
        g_meshAreaPolygon[i + 1].x = range[i][0];
        g_meshAreaPolygon[i + 1].y = range[i][1];
    }
    g_meshAreaPolygonCount = 5;
}

TEST_F(MeshFiles, MeshFileRoundTripsByteForByte) {
    MakeSample();
    const std::string first = Path("site.MSH"), second = Path("again.MSH");
    ASSERT_TRUE(WriteMeshFile(first));
    const std::string bytes = Bytes(first);
    EXPECT_EQ(bytes.substr(0, 22), "********************\r\n");
    EXPECT_NE(bytes.find("\r\n1000.125,2000.500,30.0000000,100.000,60.000,20.000,20.000,1,6,4\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nOUTLINE\r\n"), std::string::npos);
    const std::string range = Bytes(Path("site.MBO"));
    EXPECT_EQ(range.substr(110), "5\r\n1000.000,2000.000\r\n1100.000,2000.000\r\n1100.000,2060.000\r\n"
                                 "1000.000,2060.000\r\n1000.000,2000.000\r\n");
    const int32_t crossings = g_outlineCrossingCount;
    const OutlineCrossing firstEntry = g_outlineCrossings.Data()[1];

    InitDataModel();
    ASSERT_EQ(ReadMeshFile(first), 1);
    EXPECT_EQ(g_meshAreaDefined, 1);
    EXPECT_EQ(g_meshElevationsDone, 1);
    EXPECT_EQ(g_meshColumns, 6);
    EXPECT_EQ(g_meshRows, 4);
    EXPECT_EQ(g_meshRotation, 30);
    EXPECT_EQ(g_meshFilePath, first);
    EXPECT_EQ(g_meshNodes.Data()[MeshNodeNumber(6, 4)].valid, 0);
    EXPECT_EQ(g_outlineCrossingCount, crossings);
    const OutlineCrossing copy = g_outlineCrossings.Data()[crossings + 1];  // closing copy
    EXPECT_NEAR(copy.x, firstEntry.x, 5e-4);
    EXPECT_EQ(copy.column, firstEntry.column);
    EXPECT_EQ(g_meshAreaPolygonCount, 5);
    ASSERT_TRUE(WriteMeshFile(second));
    EXPECT_EQ(Bytes(second), bytes);
    EXPECT_EQ(Bytes(Path("again.MBO")), range);
}

TEST_F(MeshFiles, MeshWithoutElevationsHasOnlyItsHeaderAndNoRangeLeavesNoRangeFile) {
    MakeSample();
    ASSERT_TRUE(WriteMeshFile(Path("a.MSH")));
    ASSERT_TRUE(fs::exists(Path("a.MBO")));
    g_meshElevationsDone = 0;
    g_meshAreaPolygonCount = 0;
    ASSERT_TRUE(WriteMeshFile(Path("a.MSH")));
    EXPECT_FALSE(fs::exists(Path("a.MBO")));  // the stale range is gone
    std::string header;
    for (int i = 0; i < 5; ++i) header += "********************\r\n";
    EXPECT_EQ(Bytes(Path("a.MSH")), header + "1000.125,2000.500,30.0000000,100.000,60.000,20.000,20.000,0,6,4\r\n");
    InitDataModel();
    ASSERT_EQ(ReadMeshFile(Path("a.MSH")), 1);
    EXPECT_EQ(g_meshAreaDefined, 1);
    EXPECT_EQ(g_meshElevationsDone, 0);
    EXPECT_TRUE(g_meshNodes.Empty());
    EXPECT_EQ(g_meshNodeCount, 0);
}

TEST_F(MeshFiles, VolumeFileRoundTripsByteForByteWithItsPlanLines) {
    MakeSample();
    meshtest::AddPlanLine({{1010, 2010, 12}, {1050, 2010, 12}, {1050, 2040, 12}}, [](double, double) { return 12.0; });
    meshtest::AddPlanLine({{1060, 2010, 13}, {1080, 2010, 13}, {1080, 2040, 13}, {1060, 2040, 13}},
                          [](double, double) { return 13.0; });
    g_planLines[2].number = 7;
    for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
        MeshNode& n = g_meshNodes.Data()[i];
        n.averageZ = 10.25 + i;
        n.planAverageZ = 11.5 + i;
        n.cut = 0.125 * i;
        n.fill = 3.0625 * i;
    }
    g_meshVolumeDone = 1;
    const std::string first = Path("v.MVO"), second = Path("w.MVO");
    ASSERT_TRUE(WriteMeshVolumeFile(first));
    EXPECT_EQ(g_meshVolumeFilePath, first);
    const std::string bytes = Bytes(first);
    EXPECT_NE(bytes.find("\r\nPLANLINE,1\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nPLANLINE,7\r\n"), std::string::npos);
    const int32_t planCount = g_planCrossingCount;

    InitDataModel();
    ASSERT_EQ(ReadMeshVolumeFile(first), 1);
    EXPECT_EQ(g_meshVolumeDone, 1);
    EXPECT_EQ(g_meshPlanDone, 1);
    EXPECT_EQ(g_planLineCount, 2);
    EXPECT_EQ(g_planLines[2].number, 7);
    EXPECT_EQ(g_planLines[1].path, "");
    EXPECT_EQ(g_planCrossingCount, planCount);
    EXPECT_EQ(g_meshNodes.Data()[5].fill, std::stod(FormatString("%.3f", 3.0625 * 5)));  // as printed
    ASSERT_TRUE(WriteMeshVolumeFile(second));
    EXPECT_EQ(Bytes(second), bytes);
}

TEST_F(MeshFiles, VolumeFileNeedsAVolumeAndNodes) {
    MakeSample();
    EXPECT_FALSE(WriteMeshVolumeFile(Path("none.MVO")));  // no volume yet
    EXPECT_FALSE(fs::exists(Path("none.MVO")));
    EXPECT_EQ(SaveMeshVolumeFile(), "");
    EXPECT_EQ(LastMessage(), "土量計算されていません");
    EXPECT_TRUE(RecordedFileDialogs().empty());
    // A mesh that claims elevations its node block does not hold writes nothing.
    g_meshVolumeDone = 1;
    g_meshNodes.Release();
    EXPECT_FALSE(WriteMeshVolumeFile(Path("none.MVO")));
    EXPECT_FALSE(WriteMeshFile(Path("none.MSH")));
    EXPECT_FALSE(fs::exists(Path("none.MVO")));
    EXPECT_FALSE(fs::exists(Path("none.MSH")));
    EXPECT_EQ(LastMessage(), kMeshNoNodesToWriteMessage);
}

TEST_F(MeshFiles, AFailedWriteIsReportedAndLeavesTheOlderFile) {
    MakeSample();
    ASSERT_TRUE(WriteMeshFile(Path("keep.MSH")));
    const std::string before = Bytes(Path("keep.MSH"));
    EXPECT_FALSE(WriteMeshFile(Path("no/such/folder/x.MSH")));
    EXPECT_NE(LastMessage().find("no/such/folder/x.MSH"), std::string::npos);
    ClearRecordedMessages();
    EXPECT_FALSE(WriteMeshFile(Path("keep.MSH/x.MSH")));  // a file where a folder should be
    EXPECT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(Bytes(Path("keep.MSH")), before);
}

// The plan checks: tolerances 0.01 for origin X, rotation and the length pitch, 0.001 for
// origin Y and the width pitch; only the last failing check is shown.
TEST_F(MeshFiles, PlanMeshChecks) {
    MakeSample();
    ASSERT_TRUE(WriteMeshFile(Path("current.MSH")));
    struct Case {
        const char* name;
        const char* header;
        const char* message;  // nullptr: accepted
    } const cases[] = {
        {"same", "1000.125,2000.500,30.0000000,100.000,60.000,20.000,20.000,1,6,4", nullptr},
        {"x", "1000.127,2000.500,30.0000000,100.000,60.000,20.000,20.000,1,6,4", nullptr},
        {"y", "1000.125,2000.502,30.0000000,100.000,60.000,20.000,20.000,1,6,4", kPlanMeshOriginMessage},
        {"xfar", "1000.140,2000.500,30.0000000,100.000,60.000,20.000,20.000,1,6,4", kPlanMeshOriginMessage},
        {"turn", "1000.125,2000.500,30.0200000,100.000,60.000,20.000,20.000,1,6,4", kPlanMeshRotationMessage},
        {"pitchw", "1000.125,2000.500,30.0000000,100.000,60.000,20.000,20.002,1,6,4", kPlanMeshPitchMessage},
        {"pitchl", "1000.125,2000.500,30.0000000,100.000,60.000,20.008,20.000,1,6,4", nullptr},
        {"cols", "1000.125,2000.502,30.0000000,100.000,60.000,20.000,20.000,1,7,4", kPlanMeshCountMessage},
        {"flat", "1000.125,2000.502,30.0000000,100.000,60.000,20.000,20.000,0,6,4", kPlanMeshOriginMessage},
        {"none", "1000.125,2000.500,30.0000000,100.000,60.000,20.000,20.000,0,6,4", kPlanMeshNotComputedMessage},
    };
    for (const Case& c : cases) {
        ClearRecordedMessages();
        const int32_t before = g_planLineCount;
        const std::string path = Path(std::string(c.name) + ".MSH");
        Write(path, std::string("*\r\n*\r\n*\r\n*\r\n*\r\n") + c.header + "\r\n1.0,2.0,15.5,2,1,1\r\n");
        EXPECT_EQ(ReadPlanMeshFile(path), c.message ? 0 : 1) << c.name;
        if (c.message) {
            ASSERT_EQ(RecordedMessages().size(), 1u) << c.name;
            EXPECT_EQ(LastMessage(), c.message) << c.name;
            EXPECT_EQ(g_planLineCount, before) << c.name;
        } else {
            EXPECT_TRUE(RecordedMessages().empty()) << c.name;
            EXPECT_EQ(g_planLineCount, before + 1) << c.name;
            EXPECT_EQ(g_meshNodes.Data()[2].planZ, 15.5) << c.name;
            EXPECT_EQ(g_meshNodes.Data()[2].planSource, g_planLineCount) << c.name;
        }
    }
    // The same file again, or one whose path is part of a registered one: a duplicate.
    ClearRecordedMessages();
    EXPECT_EQ(ReadPlanMeshFile(Path("same.MSH")), 0);
    EXPECT_EQ(LastMessage(), kPlanMeshDuplicateMessage);
}

TEST_F(MeshFiles, PlanLineTableAndRangeTableLimits) {
    MakeSample();
    ASSERT_TRUE(WriteMeshFile(Path("plan.MSH")));
    g_planLineCount = kMaxPlanLines;
    for (int32_t k = 1; k <= kMaxPlanLines; ++k) g_planLines[k].path = "other" + std::to_string(k);
    EXPECT_EQ(ReadPlanMeshFile(Path("plan.MSH")), 0);
    EXPECT_EQ(LastMessage(), kPlanLineLimitMessage);
    EXPECT_EQ(g_planLineCount, kMaxPlanLines);

    // A range file of 34 vertices does not fit the 33 entries of the range table.
    std::string mbo = "*\r\n*\r\n*\r\n*\r\n*\r\n34\r\n";
    for (int i = 0; i < 34; ++i) mbo += std::to_string(1000 + i) + ".0,2000.0\r\n";
    Write(Path("plan.MBO"), mbo);
    ClearRecordedMessages();
    ASSERT_EQ(ReadMeshFile(Path("plan.MSH")), 1);
    EXPECT_EQ(LastMessage(), kMeshAreaLimitMessage);
    EXPECT_EQ(g_meshAreaPolygonCount, 0);
}

// A .MVO with more PLANLINE blocks than the table holds is refused whole.
TEST_F(MeshFiles, VolumeFileWithTooManyPlanLinesIsRefused) {
    MakeSample();
    g_meshVolumeDone = 1;
    ASSERT_TRUE(WriteMeshVolumeFile(Path("many.MVO")));
    std::string text = Bytes(Path("many.MVO"));
    for (int k = 1; k <= kMaxPlanLines + 1; ++k) text += "PLANLINE," + std::to_string(k) + "\r\n1\r\n1.0,2.0,3.0,4.0,1,-1,0\r\n";
    Write(Path("many.MVO"), text);
    InitDataModel();
    MakeSample();
    EXPECT_EQ(ReadMeshVolumeFile(Path("many.MVO")), 0);
    EXPECT_EQ(LastMessage(), kPlanLineLimitMessage);
    EXPECT_EQ(g_planLineCount, 0);
    EXPECT_EQ(g_meshVolumeDone, 0);
}

// Damaged files: a message, nothing read past a buffer, the loaded mesh kept.
TEST_F(MeshFiles, DamagedMeshFilesKeepTheLoadedMesh) {
    const std::string stars = "*\r\n*\r\n*\r\n*\r\n*\r\n";
    struct Case {
        const char* name;
        std::string text;
        bool read;
    } const cases[] = {
        {"short", stars, false},
        {"hugeoutline", stars + "0,0,0,40,20,20,20,1,3,2\r\n0,0,1,1,1,1\r\nOUTLINE\r\n2147483648\r\n1,2,3,4,1,1,2\r\n", false},
        {"negoutline", stars + "0,0,0,40,20,20,20,1,3,2\r\nOUTLINE\r\n-5\r\n", false},
        {"hugegrid", stars + "0,0,0,40,20,20,20,1,2147483647,2147483647\r\n", false},
        {"nogrid", stars + "0,0,0,40,20,20,20,1,0,2\r\n", false},
        {"nan", stars + "nan,0,0,40,20,20,20,1,3,2\r\n", false},
        // Short lines and nodes outside the block are skipped; the rest is read.
        {"skips", stars + "0,0,0,40,20,20,20,1,3,2\r\n0,0\r\n5,5,5,9,9,1\r\n0,0,7.5,1,1,1\r\n", true},
    };
    for (const Case& c : cases) {
        InitDataModel();
        MakeSample();
        ClearRecordedMessages();
        const std::string path = Path(std::string(c.name) + ".MSH");
        Write(path, c.text);
        EXPECT_EQ(ReadMeshFile(path), c.read ? 1 : 0) << c.name;
        if (c.read) {
            EXPECT_EQ(g_meshColumns, 3) << c.name;
            EXPECT_EQ(g_meshNodes.Data()[1].z, 7.5) << c.name;
            EXPECT_EQ(g_meshNodes.Data()[2].valid, 0) << c.name;
            continue;
        }
        EXPECT_EQ(LastMessage(), kMeshFileDamagedMessage) << c.name;
        EXPECT_EQ(g_meshColumns, 6) << c.name;
        EXPECT_EQ(g_meshOriginX, 1000.125) << c.name;
        EXPECT_EQ(g_meshNodeCount, 24) << c.name;
        EXPECT_GT(g_outlineCrossingCount, 1) << c.name;
    }
}

TEST_F(MeshFiles, FailedGrowthKeepsTheMeshAndItsCounts) {
    MakeSample();
    ASSERT_TRUE(WriteMeshFile(Path("big.MSH")));
    InitDataModel();
    meshtest::MakeMesh(0, 0, 40, 40, 20, 20, [](double, double) { return 1.0; });
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(ReadMeshFile(Path("big.MSH")), 0);
    EXPECT_EQ(LastMessage(), kMeshMemoryMessage);
    EXPECT_EQ(g_meshColumns, 3);
    EXPECT_EQ(g_meshRows, 3);
    EXPECT_EQ(g_meshNodeCount, 9);
    EXPECT_EQ(g_meshNodes.Data()[9].z, 1.0);
}

// A node beyond the block ends the node lines of a plan file (no outline then); in an
// .MVO a short node line ends them with a message, and later plan blocks are still read.
TEST_F(MeshFiles, NodeLinesEndWhereTheFileSays) {
    MakeSample();
    const std::string head = "*\r\n*\r\n*\r\n*\r\n*\r\n1000.125,2000.500,30.0000000,100.000,60.000,20.000,20.000,1,6,4\r\n";
    Write(Path("p.MSH"), head + "0,0,21,1,1,1\r\n0,0,22,1,99,1\r\n0,0,23,2,1,1\r\nOUTLINE\r\n1\r\n1,2,3,4,1,1,2\r\n");
    ASSERT_EQ(ReadPlanMeshFile(Path("p.MSH")), 1);
    EXPECT_EQ(g_meshNodes.Data()[1].planZ, 21);
    EXPECT_EQ(g_meshNodes.Data()[2].planSource, 0);
    EXPECT_EQ(g_planLines[1].first, 0);
    EXPECT_EQ(g_planCrossingCount, 0);

    std::string mvo = head + "1,2,3,4,5,6,7,8,1,1,1,0\r\n1,2,3,4,5,6,7\r\n9,9,9,9,9,9,9,9,2,1,1,0\r\nOUTLINE\r\n1\r\n"
                             "1,2,3,4,1,1,2\r\nPLANLINE,4\r\n2\r\n1,1,1,1,1,-1,0\r\n2,2,2,2,1,1,2\r\n";
    Write(Path("n.MVO"), mvo);
    ClearRecordedMessages();
    ASSERT_EQ(ReadMeshVolumeFile(Path("n.MVO")), 1);
    EXPECT_EQ(LastMessage(), kMeshFileDamagedMessage);
    EXPECT_EQ(g_meshNodes.Data()[1].fill, 8);
    EXPECT_EQ(g_meshNodes.Data()[2].fill, 0);
    EXPECT_EQ(g_outlineCrossingCount, 0);
    EXPECT_EQ(g_planLineCount, 1);
    EXPECT_EQ(g_planLines[1].number, 4);
    EXPECT_EQ(g_planCrossingCount, 3);  // two entries and the counted copy
    EXPECT_EQ(g_planCrossings.Data()[3].x, 1);
}

// An .MVO without elevations defines the area but gives no plan surface to compute with.
TEST_F(MeshFiles, VolumeFileWithoutElevationsLeavesNothingToCompute) {
    Write(Path("flat.MVO"), "*\r\n*\r\n*\r\n*\r\n*\r\n0,0,0,100,60,20,20,0,6,4\r\n");
    ASSERT_EQ(ReadMeshVolumeFile(Path("flat.MVO")), 1);
    EXPECT_EQ(LastMessage(), "標高計算されていません");
    EXPECT_EQ(g_meshAreaDefined, 1);
    EXPECT_EQ(g_meshPlanDone, 0);
    EXPECT_TRUE(g_meshNodes.Empty());
}

TEST_F(MeshFiles, FileCommandsUseTheirDialogs) {
    MakeSample();
    g_meshFilePath = Path("site.MSH");
    QueueFileDialogAnswer(Path("saved"));
    EXPECT_TRUE(SaveMeshFile());
    EXPECT_TRUE(fs::exists(Path("saved.MSH")));
    EXPECT_EQ(g_meshFilePath, Path("saved.MSH"));
    ASSERT_FALSE(RecordedFileDialogs().empty());
    EXPECT_EQ(RecordedFileDialogs().back().title, "メッシュデータ書き込み");
    EXPECT_EQ(RecordedFileDialogs().back().fileName, Path("site.MSH"));
    g_meshVolumeDone = 1;
    QueueFileDialogAnswer(Path("result"));
    EXPECT_EQ(SaveMeshVolumeFile(), Path("result.MVO"));
    EXPECT_EQ(RecordedFileDialogs().back().fileName, Path("saved.MVO"));
    InitDataModel();
    QueueFileDialogAnswer(Path("result.MVO"));
    EXPECT_TRUE(OpenMeshVolumeFile());
    EXPECT_EQ(g_meshVolumeDone, 1);
    ClearRecordedFileDialogs();
}

}  // namespace
