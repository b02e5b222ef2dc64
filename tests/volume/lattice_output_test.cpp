#include <gtest/gtest.h>

#include <filesystem>

#include "model/geodesy.h"
#include "model/progress.h"
#include "platform/input.h"
#include "platform/text_io.h"
#include "pointedit/point_array.h"
#include "volume/lattice_output.h"
#include "volume/mesh_data.h"
#include "volume/mesh_elevation_command.h"
#include "volume_test_support.h"

using namespace voltest;
namespace fs = std::filesystem;

namespace {

class LatticeOutput : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        SetLongLoopPollInterval(0);
        m_folder = FreshFolder("lattice_output");
        // The TIN: a rectangle of the plane z = 50 + 0.1234 (x - 100) - 0.0567 (y - 200);
        // the mesh: 40 x 30 m, pitch 10, turned by 30 degrees round (100, 200).
        auto plane = [](double x, double y) { return 50 + 0.1234 * (x - 100) - 0.0567 * (y - 200); };
        const double xs[4] = {90, 117.3, 117.3, 90}, ys[4] = {150, 150, 260, 260};
        int32_t p[4];
        for (int k = 0; k < 4; ++k) p[k] = AddPoint(xs[k], ys[k], plane(xs[k], ys[k]));
        SetTin({{p[0], p[1], p[2]}, {p[0], p[2], p[3]}});
        g_meshOriginX = 100;
        g_meshOriginY = 200;
        g_meshRotation = 30;
        g_meshLength = 40;
        g_meshWidth = 30;
        g_meshPitchLength = g_meshPitchWidth = 10;
        g_meshAreaDefined = 1;
        g_planeZone = 0;
        g_newPointInvalid = 0;
        g_newPointPlotMode = 1;
    }
    void TearDown() override {
        SetHeadlessPumpCallback({});
        SetHeadlessKeyDown(key::kEscape, false);
        ClearRecordedMessages();
        ReleaseDataModel();
        fs::remove_all(m_folder);
    }
    fs::path m_folder;
};

std::string Bytes(const fs::path& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
    return bytes;
}

// The golden file was written by tests/data/mesh/make_lattice_golden.py from the lattice
// and plane formulas.
TEST_F(LatticeOutput, PolicyThreeMatchesTheGoldenFile) {
    const fs::path out = m_folder / "LATTICE.RND";
    WriteFileBytes(m_folder / "LATTICE.TRI", "stale");
    LatticeOutputSummary summary;
    ASSERT_EQ(WriteTriangularLatticeRnd(out.string(), 3, 100, &summary), kLatticeDone);
    EXPECT_EQ(Bytes(out), Bytes(fs::path(NOSTREL_SOURCE_DIR) / "tests/data/mesh/lattice_policy3.RND"));
    EXPECT_EQ(summary.written, 18);
    EXPECT_FALSE(summary.stopped);
    EXPECT_FALSE(fs::exists(m_folder / "LATTICE.TRI"));
}

TEST_F(LatticeOutput, PolicyBelowOneTakesTheDialogsRememberedChoice) {
    MeshElevationCalcValues values = MeshElevationCalcDefaults();
    SelectMissingPolicy(values, 3);
    SetMissingValue(values, 100);
    const fs::path out = m_folder / "remembered.RND";
    ASSERT_EQ(RunTriangularLatticeOutput(out.string()), kLatticeDone);
    EXPECT_EQ(Bytes(out), Bytes(fs::path(NOSTREL_SOURCE_DIR) / "tests/data/mesh/lattice_policy3.RND"));
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(LatticeOutput, StopWithEscapeKeepsThePointsAndSaysTheFileIsIncomplete) {
    const fs::path out = m_folder / "stopped.RND";
    WriteFileBytes(m_folder / "stopped.tri", "stale");
    int pumps = 0;
    SetHeadlessPumpCallback([&] {
        ++pumps;
        if (pumps == 3) SetHeadlessKeyDown(key::kEscape, true);
        if (pumps == 5) SetHeadlessKeyDown(key::kEscape, false);
    });
    ASSERT_EQ(RunTriangularLatticeOutput(out.string()), kLatticeDone);
    const std::string bytes = Bytes(out);
    EXPECT_EQ(bytes.size(), 5 * 22u + 2 * 63u);  // the header and the two points before the stop
    EXPECT_FALSE(fs::exists(m_folder / "stopped.tri"));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("incomplete"), std::string::npos);
}

TEST_F(LatticeOutput, FailuresAreShown) {
    struct Case {
        std::string path;
        int32_t result;
        std::string message;
    } const cases[] = {
        {"", kLatticeBadPath, "ファイル名が正しくありません。"},
        {"a.R", kLatticeBadPath, "ファイル名が正しくありません。"},
        {"/nonexistent/folder/x.RND", kLatticeCannotCreate,
         "ファイルが作成できませんでした。\n/nonexistent/folder/x.RND"},
    };
    for (const Case& k : cases) {
        ClearRecordedMessages();
        EXPECT_EQ(RunTriangularLatticeOutput(k.path), k.result) << k.path;
        ASSERT_EQ(RecordedMessages().size(), 1u) << k.path;
        EXPECT_EQ(RecordedMessages()[0].text, k.message);
    }
}

TEST_F(LatticeOutput, NoPointWrittenLeavesNoFile) {
    const double ring[5][2] = {{1000, 1000}, {1010, 1000}, {1010, 1010}, {1000, 1010}, {1000, 1000}};
    for (int k = 0; k < 5; ++k) g_meshAreaPolygon[k + 1] = {ring[k][0], ring[k][1], 0, 0, 0};
    g_meshAreaPolygonCount = 5;  // a range that holds no lattice point
    const fs::path out = m_folder / "none.RND";
    EXPECT_EQ(WriteTriangularLatticeRnd(out.string(), 3, 100), kLatticeDone);
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
