// The contour work files of the real surveys at 10 m, held byte for byte: any change to the
// tracing, smoothing or writing that moves one byte shows here, and so would levels worked
// out on several threads coming out otherwise than on one. The checksums were taken from
// the straightforward single-threaded calculation that preceded the indexed one.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "../../bench/contour_bench_support.h"
#include "platform/input.h"
#include "platform/message_box.h"

namespace {

// FNV-1a, 64 bits.
class Fnv1a {
public:
    void Add(const void* data, size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) m_h = (m_h ^ p[i]) * 0x100000001b3ull;
    }
    uint64_t Value() const { return m_h; }

private:
    uint64_t m_h = 0xcbf29ce484222325ull;
};

uint64_t FileHash(const std::string& path) {
    Fnv1a h;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) h.Add(buf, n);
    std::fclose(f);
    return h.Value();
}

// The TIN the checksums were taken on: another triangulation gives other lines.
uint64_t TinHash() {
    Fnv1a h;
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& r = g_tinEdges[e];
        const int32_t fields[4] = {r.a, r.b, r.apexBack, r.apexSearch};
        h.Add(fields, sizeof fields);
    }
    return h.Value();
}

struct Survey {
    const char* name;
    bool (*load)();
    uint64_t tin;
};

struct Case {
    int32_t method;
    uint64_t lines, index;
};

class JacksboroContours : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("contour_jacksboro_" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        ClearRecordedMessages();
        SetContourReplaceQuestion({});
        g_contourLevelTolerance = 0.00001;
    }
    void TearDown() override {
        SetContourThreads(0);
        std::filesystem::remove_all(m_dir);
        SetLongLoopPollInterval(100);
        ClearRecordedMessages();
        InitDataModel();
    }

    // With threads 1 every level is worked out on the calling thread; 0 lets the machine
    // choose the worker threads.
    void Check(const Survey& survey, std::initializer_list<int32_t> threads,
               std::initializer_list<Case> cases) {
        ASSERT_TRUE(survey.load()) << survey.name;
        ASSERT_EQ(TinHash(), survey.tin)
            << survey.name << ": the grid builder's TIN is not the one the contour checksums "
            << "were taken on; take them again from contour code known to be right";
        PrepareContourRun(m_dir, 10);
        SetLongLoopPollInterval(0);
        for (int32_t t : threads)
            for (const Case& c : cases) Run(survey, t, c);
    }

    void Run(const Survey& survey, int32_t threads, const Case& c) {
        SCOPED_TRACE(testing::Message() << survey.name << " method " << c.method << " threads "
                                        << threads);
        SetContourThreads(threads);
        ClearRecordedMessages();
        EXPECT_EQ(CalcContours(c.method), ContourCalcResult::kDone);
        EXPECT_TRUE(SkippedContourLevels().empty());
        char got[64];
        std::snprintf(got, sizeof got, "0x%016llx, 0x%016llx",
                      static_cast<unsigned long long>(FileHash(g_contourLinesPath)),
                      static_cast<unsigned long long>(FileHash(g_contourIndexPath)));
        char want[64];
        std::snprintf(want, sizeof want, "0x%016llx, 0x%016llx",
                      static_cast<unsigned long long>(c.lines),
                      static_cast<unsigned long long>(c.index));
        EXPECT_STREQ(got, want);
    }

    std::filesystem::path m_dir;
};

const Survey kGrid{"jacksboro_grid", LoadJacksboroTin, 0x632612e039e537b2};
const Survey kScatter{"jacksboro_scatter20k", LoadJacksboroScatterTin, 0x5a84e825ce68ff69};

TEST_F(JacksboroContours, ScatterWorkFilesKeepTheirBytes) {
    Check(kScatter, {1, 0},
          {{0, 0xa0e45f227c560163, 0xa91dc3fff13ec91b},
           {1, 0xbefa8dd84c0d6f5d, 0x01607f9757b6e4d2},
           {2, 0xafa8cc67acbee437, 0xb78b2e2f8298031d}});
}

TEST_F(JacksboroContours, GridWorkFilesKeepTheirBytes) {
    Check(kGrid, {0},
          {{0, 0xde7e2d61e183c8c7, 0xc1e16c5ee5018eb5},
           {1, 0xb8ff56a36a90f42c, 0xc1b2b272f511f731},
           {2, 0x35025ca8eacbb45f, 0xccbdc2de5e0e819c}});
}

}  // namespace
