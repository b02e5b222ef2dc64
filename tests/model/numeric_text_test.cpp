#include "model/numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/terrain_data.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// All tokens of a text (copied into a buffer of exactly its size, so that a read past
// the end shows under the address sanitizer).
std::vector<std::string> Tokens(const std::string& text, const char* delimiter) {
    std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    std::vector<std::string> tokens;
    for (char* t = TokenizeText(buffer.get(), delimiter); t != nullptr;
         t = TokenizeText(nullptr, delimiter))
        tokens.emplace_back(t);
    EXPECT_EQ(TokenizeText(nullptr, delimiter), nullptr);  // stays at the end
    return tokens;
}

}  // namespace

TEST(IntersectLines2, MarginAndParallel) {
    struct Case {
        double x1, y1, x2, y2, x3, y3, x4, y4;
        int found, parallel;
        double x, y;
    };
    const Case cases[] = {
        {0, 0, 1, 0, 1.0005, -1, 1.0005, 1, 1, 0, 1.0005, 0},  // within the 0.001 margin
        {0, 0, 1, 0, 1.002, -1, 1.002, 1, 0, 0, kNaN, kNaN},   // beyond it
        {0, 0, 2, 2, 0, 2, 2, 0, 1, 0, 1, 1},
        {0, 0, 2, 2, 0, 1, 2, 3, 0, 1, kNaN, kNaN},  // parallel
        {-35000, 12000, -34990, 12010, -35000, 12010, -34990, 12000, 1, 0, -34995, 12005},
    };
    for (const Case& c : cases) {
        int found = -1, parallel = -1;
        double x = kNaN, y = kNaN;
        IntersectLines2(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4, &found, &parallel, &x, &y);
        EXPECT_EQ(found, c.found) << c.x3;
        EXPECT_EQ(parallel, c.parallel) << c.x3;
        if (c.found) {
            EXPECT_NEAR(x, c.x, 1e-9) << c.x3;
            EXPECT_NEAR(y, c.y, 1e-9) << c.x3;
        } else {
            EXPECT_TRUE(std::isnan(x) && std::isnan(y)) << c.x3;  // not written
        }
    }
}

// Random dyadic segments against exact rational parameters s and t on the two segments;
// cases within 1e-6 of the margin ends -0.001 and 1.001 are skipped.
TEST(IntersectLines2, AgreesWithExactOracle) {
    using Int = __int128;
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int64_t> coord(-16000, 16000);
    std::uniform_int_distribution<int> pick(0, 9);
    int counts[3] = {0, 0, 0};  // found, not found, parallel
    for (int iter = 0; iter < 40000; ++iter) {
        int64_t x[5], y[5];
        for (int i = 1; i <= 4; ++i) x[i] = coord(rng), y[i] = coord(rng);
        if (pick(rng) < 5) {  // second segment near the first one's middle
            for (int i = 3; i <= 4; ++i) {
                x[i] = (x[1] + x[2]) / 2 + coord(rng) / 8;
                y[i] = (y[1] + y[2]) / 2 + coord(rng) / 8;
            }
        }
        if (pick(rng) == 0) x[4] = x[3] + (x[2] - x[1]) * 2, y[4] = y[3] + (y[2] - y[1]) * 2;
        Int r = Int(x[4] - x[3]) * (y[2] - y[1]) - Int(x[2] - x[1]) * (y[4] - y[3]);
        Int sn = Int(x[4] - x[3]) * (y[3] - y[1]) - Int(y[4] - y[3]) * (x[3] - x[1]);
        Int tn = Int(x[2] - x[1]) * (y[3] - y[1]) - Int(y[2] - y[1]) * (x[3] - x[1]);
        if (r < 0) r = -r, sn = -sn, tn = -tn;
        auto nearBand = [&](Int n) {  // |n / r - (-0.001)| or |n / r - 1.001| below 1e-6
            const Int a = 1000 * n + r, b = 1000 * n - 1001 * r;
            return 1000 * (a < 0 ? -a : a) < r || 1000 * (b < 0 ? -b : b) < r;
        };
        auto inBand = [&](Int n) { return 1000 * n >= -r && 1000 * n <= 1001 * r; };
        const double d[9] = {0,           x[1] / 16.0, y[1] / 16.0, x[2] / 16.0, y[2] / 16.0,
                             x[3] / 16.0, y[3] / 16.0, x[4] / 16.0, y[4] / 16.0};
        int found = -1, parallel = -1;
        double px = kNaN, py = kNaN;
        if (r != 0 && (nearBand(sn) || nearBand(tn))) continue;
        IntersectLines2(d[1], d[2], d[3], d[4], d[5], d[6], d[7], d[8], &found, &parallel, &px,
                        &py);
        if (r == 0) {
            EXPECT_EQ(parallel, 1) << iter;
            EXPECT_EQ(found, 0) << iter;
            ++counts[2];
            continue;
        }
        const bool want = inBand(sn) && inBand(tn);
        EXPECT_EQ(parallel, 0) << iter;
        ASSERT_EQ(found, want ? 1 : 0) << iter;
        if (want) {
            const long double s = static_cast<long double>(sn) / static_cast<long double>(r);
            EXPECT_NEAR(px, static_cast<double>(d[1] + (d[3] - d[1]) * s), 1e-7) << iter;
            EXPECT_NEAR(py, static_cast<double>(d[2] + (d[4] - d[2]) * s), 1e-7) << iter;
        }
        ++counts[want ? 0 : 1];
    }
    EXPECT_GT(counts[0], 1000);
    EXPECT_GT(counts[1], 1000);
    EXPECT_GT(counts[2], 100);
}

TEST(RoundToDecimals, HalfAwayFromZero) {
    struct Case {
        double value;
        int n;
        double want;
    };
    const Case cases[] = {
        {-2.5, 0, -3},      {2.5, 0, 3},      {2.345, 2, 2.35},
        {-2.345, 2, -2.35}, {1.005, 2, 1.01}, {123.4567, 3, 123.457},
        {2.344, 2, 2.34},   {0.0, 2, 0.0},    {-0.4, 0, 0.0},
        {1234.5, -2, 1200},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(RoundToDecimals(c.value, c.n), c.want) << c.value << " " << c.n;
}

TEST(PolygonAreaTrapezoid, UsesEntriesFromOne) {
    // Entry 0 is not part of the polygon.
    const double x[] = {kNaN, 0, 0, 1, 1, 0};
    const double y[] = {kNaN, 0, 1, 1, 0, 0};
    double area = kNaN;
    int orientation = -1;
    ASSERT_EQ(PolygonAreaTrapezoid(x, y, 5, &area, &orientation), 0);
    EXPECT_DOUBLE_EQ(area, 1);
    EXPECT_EQ(orientation, 0);
    EXPECT_EQ(PolygonAreaTrapezoid(x, y, 3, &area, &orientation), 8);
    EXPECT_EQ(area, 0);
    EXPECT_EQ(orientation, 1);
}

TEST(TokenizeText, KeepsEmptyFieldsAndDoubleByteCharacters) {
    using V = std::vector<std::string>;
    struct Case {
        std::string text;
        const char* delimiter;
        V want;
    };
    const Case cases[] = {
        {"a,,b", ",", {"a", "", "b"}},
        {",a,", ",", {"", "a", ""}},
        {"", ",", {""}},
        {"x\t1.5\t\t", "\t", {"x", "1.5", "", ""}},
        {"no delimiter", ",", {"no delimiter"}},
        {"a;b,c", ";,", {"a", "b,c"}},  // only the first byte of the delimiter counts
        // "表" 0x95 0x5C and "ソ" 0x83 0x5C end in the backslash's code.
        {"\x95\x5C\\\x83\x5C\\x", "\\", {"\x95\x5C", "\x83\x5C", "x"}},
        {"C:\\\x95\x5C\x8E\xA6\\a.rnd", "\\", {"C:", "\x95\x5C\x8E\xA6", "a.rnd"}},
        // A comma as the trail byte ("\x82\x2C" is no character, but the rule is bytewise).
        {"\x82,,z", ",", {"\x82,", "z"}},
        // A lead byte cut off by the end of the text ends the last field there.
        {"ab,\x95", ",", {"ab", "\x95"}},
        {"\x95", "\\", {"\x95"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Tokens(c.text, c.delimiter), c.want) << c.text;
}

TEST(TokenizeText, CutLeadByteDoesNotRunIntoTheNextText) {
    // Two texts back to back in one buffer: the first one ends in a lead byte.
    char buffer[] = "a,\x95\0b,c";
    EXPECT_STREQ(TokenizeText(buffer, ","), "a");
    EXPECT_STREQ(TokenizeText(nullptr, ","), "\x95");
    EXPECT_EQ(TokenizeText(nullptr, ","), nullptr);
    EXPECT_STREQ(buffer + 4, "b,c");  // untouched
}

TEST(TokenizeText, NewTextRestarts) {
    char first[] = "1,2,3";
    char second[] = "x,y";
    EXPECT_STREQ(TokenizeText(first, ","), "1");
    EXPECT_STREQ(TokenizeText(second, ","), "x");
    EXPECT_STREQ(TokenizeText(nullptr, ","), "y");
    EXPECT_EQ(TokenizeText(nullptr, ","), nullptr);
}

TEST(MarkHoleVertices, MarksNegativeEndsOnly) {
    InitDataModel();
    g_pointCount = 6;
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].scratch = 9;
    SetPointEndMarker();
    // Triangle 1-2-3 is plain, triangle 2-3-4 is a hole; point 5 is a hole apex only.
    const TinEdge records[] = {
        {1, 2, kNoApex, 3, 77},
        {-3, -2, -1, -4, 77},
        {-4, -3, kNoApex, -5, 77},
        {-999, 6, kNoApex, 0, 77},  // damaged end: marks nothing
    };
    g_tinEdgeCount = 4;
    for (int32_t k = 1; k <= g_tinEdgeCount; ++k) g_tinEdges[k] = records[k - 1];
    SetTinEndRecord();  // its -1 ends are not a hole mark of point 1

    MarkHoleVertices();
    const int8_t want[] = {0, 0, 1, 1, 1, 0, 0};
    for (int32_t i = 1; i <= g_pointCount; ++i) EXPECT_EQ(g_points[i].scratch, want[i]) << i;
    for (int32_t k = 1; k <= g_tinEdgeCount; ++k) EXPECT_EQ(g_tinEdges[k].state, 0) << k;
    EXPECT_EQ(g_tinEdges[5].a, -1);
    ReleaseDataModel();
}
