// A host program drives the real executable, started offscreen: it creates the shared
// block, sends the request to the main window by its class and waits for the reply posted
// to its own window.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/encoding.h"
#include "platform/shared_memory.h"
#include "platform/window_registry.h"
#include "shell/host_channel.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {
class HostEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = fs::temp_directory_path() / ("nhost-" + std::to_string(getpid()));
        fs::create_directories(s_root / "run");
        fs::permissions(s_root / "run", fs::perms::owner_all);
        fs::create_directories(s_root / "config");
        setenv("XDG_RUNTIME_DIR", (s_root / "run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (s_root / "config").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_TRUE(s_block.Create(kHostBlockName, sizeof(ExternalCommandBlock) + 4 * kHostStringBytes));
        ASSERT_TRUE(s_host.Listen("TEST_HOST"));
        char* argv[] = {const_cast<char*>(NOSTREL_PROGRAM), nullptr};
        ASSERT_EQ(posix_spawn(&s_pid, NOSTREL_PROGRAM, nullptr, nullptr, argv, environ), 0);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!FindWindowClass("OVK_NOSTREL") && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(FindWindowClass("OVK_NOSTREL"));
    }
    static void TearDownTestSuite() {
        if (s_pid > 0) {
            kill(s_pid, SIGTERM);
            waitpid(s_pid, nullptr, 0);
        }
        s_host.Stop();
        s_block.Close();
        fs::remove_all(s_root);
    }

    ExternalCommandBlock& Block() { return *static_cast<ExternalCommandBlock*>(s_block.Data()); }
    std::string Text() { return Cp932ToUtf8(std::string(Block().resultText, strnlen(Block().resultText, 512))); }

    // Sends the request and waits for the reply, then briefly for the request to bring this
    // window forward (`m_raised`); false when no reply came.
    bool Request(int32_t command) {
        if (!PostWindowMessage("OVK_NOSTREL", kHostMessage, static_cast<int32_t>(s_host.Handle()), command))
            return false;
        bool replied = false;
        m_raised = false;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!(replied && m_raised) && std::chrono::steady_clock::now() < end) {
            s_host.Receive(
                [&](const WindowMessage& m) {
                    if (m.message == kHostMessage && m.wParam == 0 && m.lParam == 0 && !replied) {
                        replied = true;
                        end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
                    }
                    if (m.message == wm::kRaiseRequest) m_raised = replied;
                    return 0;
                },
                100);
        }
        return replied;
    }
    bool m_raised = false;
    void Reset() {
        std::memset(s_block.Data(), 0, s_block.Size());
        Block().version = kHostBlockVersion;
        Block().resultCode = 12345;
    }

    void SetPath(char* field, const fs::path& path) {
        const std::string s = path.string();
        ASSERT_LT(s.size(), kHostStringBytes);
        std::memcpy(field, s.c_str(), s.size() + 1);
    }
    char* Extra(int i) { return static_cast<char*>(s_block.Data()) + kHostExtraFilesOffset + i * kHostStringBytes; }

    static inline fs::path s_root;
    static inline SharedMemoryBlock s_block;
    static inline WindowClassListener s_host;
    static inline pid_t s_pid = 0;
};
}  // namespace

TEST_F(HostEndToEnd, RequestsAreAnsweredThroughTheBlock) {
    Reset();
    Block().version = 102;
    ASSERT_TRUE(Request(4));
    EXPECT_EQ(Block().resultCode, 99);
    EXPECT_EQ(Text(), "Quarvelのバージョンが異なります");

    Reset();
    ASSERT_TRUE(Request(0));
    EXPECT_EQ(Block().resultCode, 103);
    EXPECT_EQ(Text(), "正常終了");
    EXPECT_TRUE(m_raised);  // after the reply

    Reset();
    ASSERT_TRUE(Request(4));
    EXPECT_EQ(Block().resultCode, 12345);
    EXPECT_EQ(Text(), "正常終了");

    // A damaged request still gets its reply.
    Reset();
    std::memset(Block().basePath, 'a', 300);
    ASSERT_TRUE(Request(0));
    EXPECT_EQ(Block().resultCode, 12345);
    EXPECT_EQ(Text(), "出力パスが長すぎます(255文字まで)");

    // A request without a reply address runs all the same.
    Reset();
    ASSERT_TRUE(PostWindowMessage("OVK_NOSTREL", kHostMessage, 0, 0));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Block().resultCode != 103 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Block().resultCode, 103);
}

// ---- the saved files, read back as another program would ----
namespace {
using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;

struct SavedPoint {
    double x, y, z;
    int invalid;
};

std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << path << ": no CR LF";
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Random points from 1: five header lines, then name 10, X 14, Y 16, Z 12, flags.
std::vector<SavedPoint> ReadSavedRnd(const fs::path& path) {
    std::vector<SavedPoint> points(1);
    const auto lines = Lines(path);
    for (size_t i = 5; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (l.size() < 55) {
            ADD_FAILURE() << "short line " << i + 1;
            continue;
        }
        points.push_back({std::stod(l.substr(10, 14)), std::stod(l.substr(24, 16)), std::stod(l.substr(40, 12)),
                          l[54] - '0'});
    }
    return points;
}

// Outline point numbers: five star lines, "BOUND1", the count, the numbers.
std::vector<int> ReadSavedBnd(const fs::path& path) {
    const auto lines = Lines(path);
    std::vector<int> ring;
    if (lines.size() < 7 || lines[5] != "BOUND1") {
        ADD_FAILURE() << "no outline header";
        return ring;
    }
    for (size_t i = 7; i < lines.size(); ++i) ring.push_back(std::stoi(lines[i]));
    EXPECT_EQ(static_cast<int>(ring.size()), std::stoi(lines[6]));
    return ring;
}

// TIN records: a header of four little-endian int32 (the third the count), then four per
// edge: A, B, the apex behind and the apex on the search side.
std::vector<std::array<int32_t, 4>> ReadSavedTri(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    auto next = [&] {
        unsigned char b[4] = {};
        in.read(reinterpret_cast<char*>(b), 4);
        return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
    };
    next();
    next();
    const int32_t count = next();
    next();
    std::vector<std::array<int32_t, 4>> records;
    for (int32_t i = 0; i < count && in; ++i) records.push_back({next(), next(), next(), next()});
    EXPECT_TRUE(in) << "short TIN file";
    return records;
}

struct TinFacts {
    double area = 0;
    int triangles = 0;
    int notDelaunay = 0;
    std::set<int> vertices;
};

// The triangles the records name, and CGAL's exact in-circle test on every inner edge.
TinFacts CheckSavedTin(const std::vector<SavedPoint>& pts, const std::vector<std::array<int32_t, 4>>& records) {
    TinFacts facts;
    auto at = [&](int32_t i) {
        i = std::abs(i);
        EXPECT_TRUE(i >= 1 && i < static_cast<int32_t>(pts.size())) << i;
        const SavedPoint& p = pts[std::clamp<int32_t>(i, 1, static_cast<int32_t>(pts.size()) - 1)];
        return Kernel::Point_2(p.x, p.y);
    };
    auto valid = [&](int32_t i) { return i != -999999999 && i != 0 && std::abs(i) < static_cast<int32_t>(pts.size()); };
    std::set<std::array<int32_t, 3>> triangles;
    for (const auto& r : records) {
        facts.vertices.insert(std::abs(r[0]));
        facts.vertices.insert(std::abs(r[1]));
        for (int32_t apex : {r[2], r[3]}) {
            if (!valid(apex)) continue;
            std::array<int32_t, 3> t = {std::abs(r[0]), std::abs(r[1]), std::abs(apex)};
            std::sort(t.begin(), t.end());
            triangles.insert(t);
        }
        if (valid(r[2]) && valid(r[3])) {
            const auto a = at(r[0]), b = at(r[1]), c = at(r[3]), d = at(r[2]);
            if (CGAL::side_of_bounded_circle(a, b, c, d) == CGAL::ON_BOUNDED_SIDE) ++facts.notDelaunay;
        }
    }
    for (const auto& t : triangles) facts.area += std::abs(CGAL::area(at(t[0]), at(t[1]), at(t[2])));
    facts.triangles = static_cast<int>(triangles.size());
    return facts;
}
}  // namespace

// Command 1: the grid survey with its outline and two more files, no mesh.
TEST_F(HostEndToEnd, BuildsAndSavesFromInputFiles) {
    const fs::path in = s_root / "in", out = s_root / "out";
    fs::create_directories(in);
    fs::create_directories(out);
    const fs::path data = fs::path(NOSTREL_SOURCE_DIR) / "tests/data";
    fs::copy_file(data / "plan_grid.RND", in / "site.RND", fs::copy_options::overwrite_existing);
    fs::copy_file(data / "plan_grid.BND", in / "site.BND", fs::copy_options::overwrite_existing);
    fs::copy_file(data / "host_extra.RND", in / "extra.RND", fs::copy_options::overwrite_existing);
    fs::copy_file(data / "host_extra.txt", in / "extra.txt", fs::copy_options::overwrite_existing);
    // The outline of the .BND, by coordinates; the inner grid point G5 is not one.
    const std::set<std::pair<double, double>> ring = {{1000, 2000}, {1000, 2010}, {1000, 2020}, {1010, 2020},
                                                      {1020, 2020}, {1020, 2010}, {1020, 2000}, {1010, 2000}};

    for (int keepOutline : {1, 0}) {
        SCOPED_TRACE(keepOutline ? "outline kept" : "outline guides a new one");
        Reset();
        Block().firstFileFlag = 1;
        Block().extraFileCount = 2;
        Block().noMeshFlag = 1;
        Block().keepOutlineFlag = keepOutline;
        Block().duplicateTolerance = 0.001;
        const fs::path base = out / (keepOutline ? "kept" : "guided");
        SetPath(Block().basePath, base);
        SetPath(Block().firstInputFile, in / "site.RND");
        SetPath(Extra(0), in / "extra.RND");
        SetPath(Extra(1), in / "extra.txt");
        ASSERT_TRUE(Request(1));
        EXPECT_EQ(Text(), "正常終了");
        EXPECT_EQ(Block().resultCode, 12345);

        const auto pts = ReadSavedRnd(fs::path(base.string() + ".RND"));
        ASSERT_GE(pts.size(), 15u);
        // The first file gave only its outline vertices, and those come first.
        std::set<std::pair<double, double>> first;
        for (int i = 1; i <= 8; ++i) first.insert({pts[i].x, pts[i].y});
        EXPECT_EQ(first, ring);
        int valid = 0;
        for (size_t i = 1; i < pts.size(); ++i) {
            EXPECT_FALSE(pts[i].x == 1010 && pts[i].y == 2010) << "the inner grid point was kept";
            if (pts[i].invalid == 0) ++valid;
            // The point outside the outline is not part of the TIN.
            if (pts[i].x == 1030) {
                EXPECT_EQ(pts[i].invalid, 1);
            }
        }
        EXPECT_EQ(valid, 14);

        const auto outline = ReadSavedBnd(fs::path(base.string() + ".BND"));
        if (keepOutline) {
            // The .BND's ring itself: round the square in 10 m steps.
            ASSERT_EQ(outline.size(), 8u);
            EXPECT_EQ(std::set<int>(outline.begin(), outline.end()), (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));
            for (size_t k = 0; k < 8; ++k) {
                const SavedPoint &a = pts[outline[k]], &b = pts[outline[(k + 1) % 8]];
                EXPECT_DOUBLE_EQ(std::hypot(b.x - a.x, b.y - a.y), 10) << "side " << k;
            }
        } else {
            EXPECT_GE(outline.size(), 4u);
        }

        const TinFacts tin = CheckSavedTin(pts, ReadSavedTri(fs::path(base.string() + ".TRI")));
        EXPECT_EQ(tin.notDelaunay, 0);
        EXPECT_EQ(static_cast<int>(tin.vertices.size()), 14);
        if (keepOutline) {
            // 14 points, 8 of them on the border: 2n - 2 - h triangles fill the 20 m square.
            EXPECT_EQ(tin.triangles, 2 * 14 - 2 - 8);
            EXPECT_NEAR(tin.area, 400, 1e-6);
        } else {
            EXPECT_LE(tin.area, 400 + 1e-6);
            EXPECT_GT(tin.area, 0);
        }
    }
    EXPECT_FALSE(fs::exists(out / "kept.MSH"));
}

// Command 5: the automatic outline of an input beside it, unless a read-only .BN2 is there.
TEST_F(HostEndToEnd, WritesTheOutlineOfAnInput) {
    const fs::path in = s_root / "five";
    fs::create_directories(in);
    fs::copy_file(fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND", in / "grid.RND",
                  fs::copy_options::overwrite_existing);
    Reset();
    Block().firstFileFlag = 1;
    SetPath(Block().firstInputFile, in / "grid.RND");
    ASSERT_TRUE(Request(5));
    EXPECT_EQ(Block().resultCode, -5);
    EXPECT_EQ(Text(), "正常終了");
    const auto lines = Lines(in / "grid.BN5");
    EXPECT_GE(lines.size(), 4u);
    for (const auto& line : lines) {
        double x, y, z;
        EXPECT_EQ(std::sscanf(line.c_str(), "%lf, %lf, %lf", &x, &y, &z), 3) << line;
    }

    fs::remove(in / "grid.BN5");
    std::ofstream(in / "grid.BN2", std::ios::binary) << "1000,2000,0\r\n";
    fs::permissions(in / "grid.BN2", fs::perms::owner_read);
    ASSERT_TRUE(Request(5));
    EXPECT_EQ(Block().resultCode, 92);
    EXPECT_EQ(Text(), "外周ファイル保存失敗(読取専用)");
    EXPECT_FALSE(fs::exists(in / "grid.BN5"));
}
