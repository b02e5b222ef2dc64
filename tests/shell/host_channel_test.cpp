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
#include "model/record_block.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/folders.h"
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

// ---- commands on input files ----
namespace {
const fs::path kData = fs::path(NOSTREL_SOURCE_DIR) / "tests/data";

// A folder of its own per test, removed at the end.
class HostFiles : public HostBlock {
protected:
    void SetUp() override {
        HostBlock::SetUp();
        m_dir = fs::temp_directory_path() /
                ("nostrel-hostfiles-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_dir);
        HostBlock::TearDown();
    }
    // Copies fixtures into the folder under new names.
    fs::path Copy(const std::string& fixture, const std::string& as) {
        fs::copy_file(kData / fixture, m_dir / as, fs::copy_options::overwrite_existing);
        return m_dir / as;
    }
    void SetPath(char (&field)[kHostStringBytes], const fs::path& path) {
        const std::string s = path.string();
        ASSERT_LT(s.size(), kHostStringBytes);
        std::memcpy(field, s.c_str(), s.size() + 1);
    }
    void SetExtra(int i, const fs::path& path) {
        const std::string s = path.string();
        std::memcpy(m_bytes.data() + kHostExtraFilesOffset + i * kHostStringBytes, s.c_str(), s.size() + 1);
    }
    void WriteFile(const std::string& name, const std::string& text) {
        std::ofstream(m_dir / name, std::ios::binary) << text;
    }
    static std::vector<std::string> Lines(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The nine points of the 20 m grid, read with the program's reader.
    void LoadGrid() {
        std::FILE* f = std::fopen((kData / "plan_grid.RND").c_str(), "rb");
        ASSERT_EQ(ReadRndText(f), 0);
        ASSERT_EQ(g_pointCount, 9);
        g_pointsPresent = -1;
    }
    fs::path m_dir;
};

std::string Bnd(int count, const std::vector<int>& vertices) {
    std::string s;
    for (int i = 0; i < 5; ++i) s += "********************\r\n";
    s += "BOUND1\r\n" + std::to_string(count) + "\r\n";
    for (int v : vertices) s += std::to_string(v) + "\r\n";
    return s;
}
}  // namespace

// The .BND beside an RND input: its count is only a claim, and one bad number drops it all.
TEST_F(HostFiles, BndOutlineIsTakenOnlyWhole) {
    const std::vector<int> ring = {1, 2, 3, 6, 9, 8, 7, 4};
    struct Case {
        const char* what;
        std::string bnd;
        int count;
    } const kCases[] = {
        {"whole", Bnd(8, ring), 8},
        {"count beyond the lines", Bnd(12, ring), 0},
        {"count beyond the outline list", Bnd(199999, ring), 0},
        {"huge count", Bnd(2000000000, ring), 0},
        {"negative count", Bnd(-3, ring), 0},
        {"number beyond the points", Bnd(8, {1, 2, 3, 6, 10, 8, 7, 4}), 0},
        {"two vertices", Bnd(2, {1, 2}), 0},
        {"control character ends", Bnd(8, {1, 2, 3}) + "\x01\r\n6\r\n9\r\n8\r\n7\r\n", 0},
    };
    const fs::path rnd = Copy("plan_grid.RND", "site.RND");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        LoadGrid();
        WriteFile("site.BND", c.bnd);
        std::string copy = "stale";
        ReadBndOutline(rnd.string(), &copy);
        EXPECT_EQ(g_outline.Count(), c.count);
        if (c.count == 0) {
            EXPECT_EQ(copy, "");
            continue;
        }
        EXPECT_EQ(g_outline[9], g_outline[1]);
        // The copy holds the vertices' coordinates in outline order.
        const auto lines = Lines(copy);
        ASSERT_EQ(lines.size(), 8u);
        EXPECT_EQ(lines[3], "1010.0000, 2020.0000, 105.5000\r");
        fs::remove(copy);
    }
    // Lower-case companion, no copy asked for.
    InitDataModel();
    LoadGrid();
    fs::remove(m_dir / "site.BND");
    WriteFile("site.bnd", Bnd(8, ring));
    ReadBndOutline(rnd.string(), nullptr);
    EXPECT_EQ(g_outline.Count(), 8);
    EXPECT_EQ(CheckBndClosed(rnd.string()), 1);
    EXPECT_EQ(CheckBndClosed((m_dir / "site.txt").string()), 0);  // not an RND input
}

// Command 5: the automatic outline of an input as .BN5 beside it.
TEST_F(HostFiles, CommandFiveWritesTheOutlineBesideTheInput) {
    const fs::path rnd = Copy("plan_grid.RND", "survey.RND");
    Block().firstFileFlag = 1;
    SetPath(Block().firstInputFile, rnd);
    Run(5);
    EXPECT_EQ(Block().resultCode, -5);
    EXPECT_EQ(Text(), "正常終了");
    const auto lines = Lines(m_dir / "survey.BN5");
    ASSERT_GE(lines.size(), 4u);
    std::set<std::pair<double, double>> corners;
    for (const std::string& line : lines) {
        double x, y, z;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf, %lf, %lf", &x, &y, &z), 3) << line;
        EXPECT_EQ(line.back(), '\r');
        EXPECT_FALSE(x == 1010 && y == 2010) << "the inner point is no outline vertex";
        if ((x == 1000 || x == 1020) && (y == 2000 || y == 2020)) corners.insert({x, y});
    }
    EXPECT_EQ(corners.size(), 4u);

    // A read-only .BN2 beside the input: nothing written.
    fs::remove(m_dir / "survey.BN5");
    WriteFile("survey.BN2", "1,2,3\r\n");
    fs::permissions(m_dir / "survey.BN2", fs::perms::owner_read | fs::perms::group_read);
    Block().resultCode = 12345;
    Run(5);
    EXPECT_EQ(Block().resultCode, 92);
    EXPECT_EQ(Text(), "外周ファイル保存失敗(読取専用)");
    EXPECT_FALSE(fs::exists(m_dir / "survey.BN5"));

    // An outline read from the .BND is not rewritten.
    WriteFile("survey.BND", Bnd(8, {1, 2, 3, 6, 9, 8, 7, 4}));
    Block().resultCode = 12345;
    Run(5);
    EXPECT_EQ(Block().resultCode, 12345);
    EXPECT_EQ(Text(), "正常終了");
    EXPECT_EQ(g_outline.Count(), 8);

    // Too few points and no outline.
    WriteFile("two.txt", "1,1,1\r\n5,5,5\r\n");
    SetPath(Block().firstInputFile, m_dir / "two.txt");
    Run(5);
    EXPECT_EQ(Block().resultCode, 91);
    EXPECT_EQ(Text(), "外周ファイルにデータがありません");
}

// Commands 1 and 2 that cannot finish say why; a failed save is no success.
TEST_F(HostFiles, CommandOneFailuresAreTold) {
    const fs::path rnd = Copy("plan_grid.RND", "site.RND");
    Copy("plan_grid.BND", "site.BND");
    Block().firstFileFlag = 1;
    Block().noMeshFlag = 1;
    SetPath(Block().firstInputFile, rnd);
    SetPath(Block().basePath, m_dir / "missing-folder" / "out");
    EXPECT_EQ(Run(1), "");
    EXPECT_EQ(Text(), "結果ファイル保存失敗");
    EXPECT_GT(g_tinEdgeCount, 0);  // the work is kept, loaded

    // The TIN block cannot grow.
    SetPath(Block().basePath, m_dir / "out");
    InitDataModel();
    g_pointCapacity = 100;
    ASSERT_EQ(GrowPointBlock(100), 0);
    ASSERT_EQ(GrowTinEdgeBlock(8), 0);
    g_tinEdgeCapacity = 8;
    Block().resultCode = 12345;
    InjectAllocationFailures(0, 1000);
    Run(1);
    InjectAllocationFailures(0, 0);
    EXPECT_EQ(Block().resultCode, 93);
    EXPECT_EQ(Text(), "三角網計算に失敗");
    EXPECT_FALSE(fs::exists(m_dir / "out.RND"));

    // Only three points in all.
    WriteFile("three.txt", "1,1,1\r\n5,5,5\r\n9,1,3\r\n");
    SetPath(Block().firstInputFile, m_dir / "three.txt");
    Run(1);
    EXPECT_EQ(Block().resultCode, 92);
    EXPECT_EQ(Text(), "ファイル内にデータがありません");
    // The temporary outline copy does not outlive the request.
    EXPECT_FALSE(fs::exists(TempFolder() / "TEMPBND.BN2"));
}

// Commands 11 and 12 lay a mesh over a saved data set; 3 computes the volume between two.
TEST_F(HostFiles, MeshCommandsOnSavedData) {
    Copy("plan_grid.RND", "ground.RND");
    Copy("plan_grid.TRI", "ground.TRI");
    SetPath(Block().meshPath, m_dir / "ground");
    SetPath(Block().basePath, m_dir / "current");
    Block().meshPitch = 5;
    EXPECT_EQ(Run(11), (m_dir / "current.RND").string());
    EXPECT_EQ(Text(), "正常終了");
    ASSERT_TRUE(fs::exists(m_dir / "current.MSH"));
    EXPECT_FALSE(fs::exists(m_dir / "current.RND"));  // points and TIN are not written
    EXPECT_DOUBLE_EQ(g_meshOriginX, 1000);
    EXPECT_DOUBLE_EQ(g_meshLength, 26);
    // Half way along the outline side G1-G4 the TIN is the straight line between them.
    bool found = false;
    for (int32_t i = 1; i <= g_meshColumns * g_meshRows; ++i) {
        const MeshNode& n = g_meshNodes.Data()[i];
        if (n.x == 1005 && n.y == 2000) {
            found = true;
            EXPECT_NEAR(n.z, (101.5 + 104.75) / 2, 0.0005);
        }
    }
    EXPECT_TRUE(found);

    // Sixth line with 8 commas.
    std::string header;
    for (int i = 0; i < 5; ++i) header += "x\r\n";
    WriteFile("frame.MSH", header + "1000,2000,0,26,26,5,5,0,6\r\n");
    SetPath(Block().meshPath, m_dir / "frame");
    SetPath(Block().secondMeshPath, m_dir / "ground");
    SetPath(Block().basePath, m_dir / "other");
    Block().resultCode = 12345;
    Run(12);
    EXPECT_EQ(Block().resultCode, 96);
    EXPECT_EQ(Text(), "作業前MSHファイル異常");
    EXPECT_FALSE(fs::exists(m_dir / "other.MSH"));

    // The plan: the same ground one metre higher, on the frame of the current mesh.
    {
        auto lines = Lines(kData / "plan_grid.RND");
        std::ofstream out(m_dir / "raised.RND", std::ios::binary);
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string line = lines[i];
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (i >= 5) {
                char z[16];
                std::snprintf(z, sizeof z, "%12.3f", std::stod(line.substr(40, 12)) + 1);
                line.replace(40, 12, z);
            }
            out << line << "\r\n";
        }
    }
    Copy("plan_grid.TRI", "raised.TRI");
    SetPath(Block().meshPath, m_dir / "current");
    SetPath(Block().secondMeshPath, m_dir / "raised");
    SetPath(Block().basePath, m_dir / "plan");
    Run(12);
    EXPECT_EQ(Text(), "正常終了");
    ASSERT_TRUE(fs::exists(m_dir / "plan.MSH"));

    SetPath(Block().meshPath, m_dir / "current");
    SetPath(Block().secondMeshPath, m_dir / "plan");
    SetPath(Block().basePath, m_dir / "volume");
    Block().decimals = 2;
    Block().resultCode = 12345;
    Run(3);
    EXPECT_EQ(Text(), "正常終了");
    EXPECT_EQ(Block().resultCode, 7);
    EXPECT_TRUE(fs::exists(m_dir / "volume.MVO"));
    // One metre of fill over the 20 m x 20 m that the survey covers.
    EXPECT_NEAR(Block().fillTotal, 400, 0.01);
    EXPECT_NEAR(Block().cutTotal, 0, 0.01);

    // A mesh that cannot be read is no success.
    SetPath(Block().meshPath, m_dir / "nothing");
    Block().resultCode = 12345;
    Run(3);
    EXPECT_EQ(Block().resultCode, 12345);
    EXPECT_NE(Text(), "正常終了");
    EXPECT_FALSE(Text().empty());
}

// A ".Dxf" input is read as DXF, its X and Y exchanged on request like the text files'; an
// empty base path saves nothing and names the data "NoName.RND".
TEST_F(HostFiles, DxfAndTextInputsWithXYSwapAndNoBasePath) {
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{100, 200}, {100, 260}, {150, 260}, {150, 200}})
        dxf += "0\nPOINT\n8\n0\n10\n" + std::to_string(x) + "\n20\n" + std::to_string(y) + "\n30\n5\n";
    dxf += "0\nENDSEC\n0\nEOF\n";
    WriteFile("site.Dxf", dxf);
    WriteFile("more.txt", "120,230,7\r\n");
    Block().firstFileFlag = 1;
    Block().extraFileCount = 1;
    Block().xySwap = 1;
    Block().noMeshFlag = 1;
    SetPath(Block().firstInputFile, m_dir / "site.Dxf");
    SetExtra(0, m_dir / "more.txt");
    EXPECT_EQ(Run(1), "");
    EXPECT_EQ(Text(), "正常終了");
    EXPECT_EQ(g_currentDataPath, "NoName.RND");
    ASSERT_EQ(g_pointCount, 5);
    std::set<std::pair<double, double>> got;
    for (int32_t i = 1; i <= g_pointCount; ++i) got.insert({g_points[i].x, g_points[i].y});
    EXPECT_EQ(got, (std::set<std::pair<double, double>>{{200, 100}, {260, 100}, {260, 150}, {200, 150}, {230, 120}}));
    EXPECT_GT(g_tinEdgeCount, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);  // nothing written
}
