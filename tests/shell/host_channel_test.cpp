// The host channel's block and helpers, run on a block in memory as the host fills it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "model/outline_edit.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "pointedit/point_array.h"
#include "shell/host_channel.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace fs = std::filesystem;

namespace {
class HostBlock : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_pointCapacity = 100;
        ASSERT_EQ(GrowPointBlock(100), 0);
        m_bytes.assign(sizeof(ExternalCommandBlock) + 2 * kHostStringBytes, 0);
        Block().version = kHostBlockVersion;
        Block().resultCode = 12345;
    }
    void TearDown() override { ReleaseDataModel(); }
    ExternalCommandBlock& Block() { return *reinterpret_cast<ExternalCommandBlock*>(m_bytes.data()); }
    std::string Text() { return Cp932ToUtf8(std::string(Block().resultText, strnlen(Block().resultText, 512))); }
    std::string Run(int32_t command, size_t size = 0) {
        std::string path = "unchanged";
        RunExternalCommandOn(command, m_bytes.data(), size ? size : m_bytes.size(), path, m_hooks);
        return path;
    }
    void AddPoints(const std::vector<std::pair<double, double>>& xy) {
        for (const auto& [x, y] : xy) {
            ++g_pointCount;
            RandomPoint& p = g_points[g_pointCount];
            p = RandomPoint{};
            p.x = x;
            p.y = y;
            const std::string name = "P" + std::to_string(g_pointCount % 1000);
            std::memcpy(p.name, name.c_str(), name.size() + 1);
        }
        g_points[g_pointCount + 1] = RandomPoint{};
        g_points[g_pointCount + 1].hidden = kEndMarker;
        g_pointsPresent = -1;
    }

    std::vector<char> m_bytes;
    ExternalCommandHooks m_hooks;
};
}  // namespace

TEST_F(HostBlock, VersionCheckedFirst) {
    Block().version = 102;
    AddPoints({{1, 2}, {3, 4}, {5, 6}});
    EXPECT_EQ(Run(4), "");
    EXPECT_EQ(Block().resultCode, 99);
    EXPECT_EQ(Text(), "Quarvelのバージョンが異なります");
    EXPECT_EQ(g_pointCount, 3);  // untouched
}

TEST_F(HostBlock, CommandZeroAnswers103AndSwitchesThePointToolBar) {
    std::vector<int> posted;
    m_hooks.postFrameCommand = [&](int id) { posted.push_back(id); };
    std::strcpy(Block().basePath, "/out/site");
    EXPECT_EQ(Run(0), "/out/site.RND");
    EXPECT_EQ(Block().resultCode, 103);
    EXPECT_EQ(Text(), "正常終了");
    EXPECT_EQ(posted, std::vector<int>{32787});
    EXPECT_EQ(g_showMesh, 0);  // a code above 10 hides the mesh
}

TEST_F(HostBlock, CommandFourClearsEverythingAndLeavesNoPath) {
    AddPoints({{1, 2}, {3, 4}, {5, 6}});
    g_meshLength = 50;
    std::strcpy(Block().basePath, "/out/site");
    EXPECT_EQ(Run(4), "");
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(g_pointsPresent, 0);
    EXPECT_EQ(g_meshLength, 0);
    EXPECT_EQ(Block().resultCode, 12345);  // unchanged
    EXPECT_EQ(Text(), "正常終了");
    // An empty base path: no name.
    Block().basePath[0] = 0;
    EXPECT_EQ(Run(77), "");
    EXPECT_EQ(g_currentDataPath, "NoName.RND");
}

// Damaged requests say so and change nothing.
TEST_F(HostBlock, BadRequestsGiveATextAndLeaveTheData) {
    struct Case {
        const char* what;
        std::function<void(ExternalCommandBlock&)> damage;
        size_t size;
        int command;
    };
    const Case kCases[] = {
        {"short mapping", [](ExternalCommandBlock&) {}, 1000, 4},
        {"base path without end", [](ExternalCommandBlock& b) { std::memset(b.basePath, 'a', 512); }, 0, 4},
        {"first file without end", [](ExternalCommandBlock& b) { std::memset(b.firstInputFile, 'a', 512); }, 0, 4},
        {"base path of 256", [](ExternalCommandBlock& b) { std::memset(b.basePath, 'a', 256); }, 0, 4},
        {"extra files beyond the mapping", [](ExternalCommandBlock& b) { b.extraFileCount = 3; }, 0, 1},
        {"negative extra file count", [](ExternalCommandBlock& b) { b.extraFileCount = -1; }, 0, 2},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        ASSERT_EQ(GrowPointBlock(100), 0);
        AddPoints({{1, 2}, {3, 4}, {5, 6}});
        std::fill(m_bytes.begin(), m_bytes.end(), 0);
        Block().version = kHostBlockVersion;
        Block().resultCode = 12345;
        c.damage(Block());
        EXPECT_EQ(Run(c.command, c.size), "");
        EXPECT_FALSE(Text().empty());
        EXPECT_NE(Text(), "正常終了");
        EXPECT_EQ(Block().resultCode, 12345);
        EXPECT_EQ(g_pointCount, 3);
    }
    // 255 characters are still taken.
    std::fill(m_bytes.begin(), m_bytes.end(), 0);
    Block().version = kHostBlockVersion;
    std::memset(Block().basePath, 'a', 255);
    EXPECT_EQ(Run(0).size(), 259u);
}

TEST(HostChannel, InputKindsByTheFirstFourCharactersOfTheExtension) {
    const std::pair<const char*, int> kCases[] = {
        {"/a/b.RND", 0},    {"/a/b.rnd", 0},  {"/a/b.RNDX", 0},  {"/a/b.Dxf", 10}, {"/a/b.BN2", 200},
        {"/a/b.bn2x", 200}, {"/a/b.BN5", 9},  {"/a/b.csv", 9},   {"/a/b", 9},      {"/a.RND/b", 9},
        {"/a/b.", 9},       {"", 9},
    };
    for (const auto& [path, kind] : kCases) EXPECT_EQ(ClassifyInputExtension(path), kind) << path;
}

TEST_F(HostBlock, OutlinePointsMoveToTheFrontInOutlineOrder) {
    AddPoints({{0, 0}, {10, 0}, {5, 5}, {10, 10}, {0, 10}, {6, 6}});
    // Outline 4, 2, 5 (closed); points 1, 3, 6 are inside.
    ClearOutline();
    for (int p : {4, 2, 5}) g_outline.Append(p);
    g_outline.Close();
    ReorderOutlinePointsFirst();
    ASSERT_EQ(g_pointCount, 3);
    const double xs[] = {10, 10, 0}, ys[] = {10, 0, 10};
    // The outline keeps its vertex order over the new numbers 1..3.
    std::set<int> numbers;
    for (int k = 1; k <= 3; ++k) {
        const int p = g_outline[k];
        numbers.insert(p);
        ASSERT_GE(p, 1);
        ASSERT_LE(p, 3);
        EXPECT_EQ(g_points[p].x, xs[k - 1]);
        EXPECT_EQ(g_points[p].y, ys[k - 1]);
    }
    EXPECT_EQ(numbers.size(), 3u);
    EXPECT_EQ(g_outline[4], g_outline[1]);
    EXPECT_EQ(g_points[4].hidden, kEndMarker);
}

TEST_F(HostBlock, MeshExtentCoversTheDataOnThePitchGrid) {
    AddPoints({{12.3, 40.0}, {57.8, 45.5}, {30.0, 41.0}});
    g_points[3].invalid = 1;  // left out
    CalcHostMeshExtent(10);
    EXPECT_DOUBLE_EQ(g_meshOriginX, 10);
    EXPECT_DOUBLE_EQ(g_meshLength, 52);
    EXPECT_DOUBLE_EQ(g_meshOriginY, 40);
    EXPECT_DOUBLE_EQ(g_meshWidth, 10 * (4 + 1.2) - 40);
    EXPECT_EQ(g_meshAreaDefined, 1);
    CalcHostMeshExtent(0.0001);  // too small: 1
    EXPECT_DOUBLE_EQ(g_meshPitchLength, 1.0);
    EXPECT_DOUBLE_EQ(g_meshOriginX, 12);
}

TEST(HostChannel, MeshHeaderNeedsTenFields) {
    const fs::path dir = fs::temp_directory_path() / ("nostrel-msh-" + std::to_string(getpid()));
    fs::create_directories(dir);
    auto write = [&](const std::string& sixth) {
        std::ofstream out(dir / "plan.MSH", std::ios::binary);
        for (int i = 0; i < 5; ++i) out << "header\r\n";
        out << sixth << "\r\n";
    };
    write("100.5,200.25,0,50,40,5,4,x,11,9,rest");
    EXPECT_EQ(ReadMshHeader((dir / "plan").string()), 10);
    EXPECT_DOUBLE_EQ(g_meshOriginX, 100.5);
    EXPECT_DOUBLE_EQ(g_meshOriginY, 200.25);
    EXPECT_DOUBLE_EQ(g_meshLength, 50);
    EXPECT_DOUBLE_EQ(g_meshPitchWidth, 4);
    EXPECT_EQ(g_meshColumns, 11);
    EXPECT_EQ(g_meshRows, 9);
    write("100.5,200.25,0,50,40,5,4,x,11");  // 8 commas
    EXPECT_EQ(ReadMshHeader((dir / "plan").string()), 0);
    EXPECT_EQ(g_meshAreaDefined, 0);
    EXPECT_DOUBLE_EQ(g_meshPitchLength, 1.0);
    EXPECT_EQ(ReadMshHeader((dir / "missing").string()), 0);
    fs::remove_all(dir);
}

// A host request may come before the window has a size: showing all keeps a usable scale.
TEST_F(HostBlock, ShowingAllBeforeTheWindowHasASizeKeepsTheScale) {
    AddPoints({{1, 2}, {30, 40}, {5, 60}});
    const int32_t savedX = g_bufferMaxX, savedY = g_bufferMaxY;
    g_bufferMaxX = g_bufferMaxY = 0;
    g_viewScale = 25.6;
    Run(0);
    EXPECT_GT(g_viewScale, 0);
    EXPECT_TRUE(std::isfinite(g_viewScale));
    g_bufferMaxX = 800;
    g_bufferMaxY = 600;
    Run(0);
    EXPECT_GT(g_viewScale, 0);
    EXPECT_TRUE(std::isfinite(g_viewScale));
    EXPECT_TRUE(std::isfinite(g_viewCenterX) && std::isfinite(g_viewCenterY));
    g_bufferMaxX = savedX;
    g_bufferMaxY = savedY;
}
