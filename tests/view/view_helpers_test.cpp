#include "view/view_helpers.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "view_fixture.h"

namespace {
using ViewHelpers = ViewTest;

std::string Format(double value, int32_t decimals, int32_t* length = nullptr) {
    char out[64];
    std::memset(out, 'x', sizeof out);
    const int32_t n = FormatFixed(value, decimals, out, sizeof out);
    if (length) *length = n;
    return std::string(out, std::strlen(out));
}

// A 12-byte name field with the given bytes, the rest zero.
struct Name {
    char bytes[12] = {};
    explicit Name(const char* text, size_t n) { std::memcpy(bytes, text, n); }
    explicit Name(const char* text) : Name(text, std::strlen(text)) {}
};
}  // namespace

TEST_F(ViewHelpers, FormatFixedCases) {
    struct Case {
        double value;
        int32_t decimals;
        const char* want;
    };
    const Case cases[] = {
        {-0.004, 2, "-0.00"},  // the sign follows the value, not the rounded digits
        {9.996, 2, "10.00"},   // the carry into a new digit goes through printf
        {12.5, 0, "13"},
        {0.125, 2, "0.13"},
        {0.05, 2, "0.05"},
        {1234.5678, 3, "1234.568"},
        {-56.7, 1, "-56.7"},
        {99.999, 2, "100.00"},
        {998.99999999, 7, "999.0000000"},
        {0.0000004, 7, "0.0000004"},
        {9998.4, 0, "9998"},
        {9999.5, 1, "9999.5"},
        {-123456.789, 2, "-123456.79"},
        {7, 0, "7"},
    };
    for (const Case& c : cases) {
        int32_t length = -1;
        EXPECT_EQ(Format(c.value, c.decimals, &length), c.want) << c.value;
        EXPECT_EQ(length, static_cast<int32_t>(std::strlen(c.want))) << c.value;
    }
}

TEST_F(ViewHelpers, FormatFixedRefusesAndTruncatesSafely) {
    char out[8] = "abc";
    EXPECT_EQ(FormatFixed(2.5, 8, out, sizeof out), 0);
    EXPECT_EQ(FormatFixed(2.5, -1, out, sizeof out), 0);
    EXPECT_STREQ(out, "abc");
    // A large value in a small buffer is cut, never written past its end.
    EXPECT_EQ(FormatFixed(1e300, 7, out, sizeof out), 7);
    EXPECT_STREQ(out, "1000000");
    EXPECT_EQ(FormatFixed(-12.345, 2, out, 4), 3);
    EXPECT_STREQ(out, "-12");
    EXPECT_EQ(FormatFixed(std::nan(""), 2, out, sizeof out), 3);
}

TEST_F(ViewHelpers, FormatFixedAgreesWithPrintf) {
    // Away from exact halves the fast road must write what printf writes.
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> magnitude(-4, 5);
    std::uniform_int_distribution<int32_t> decimals(0, 7);
    for (int k = 0; k < 20000; ++k) {
        const double value = (k % 2 ? -1 : 1) * std::pow(10.0, magnitude(random));
        const int32_t d = decimals(random);
        const long double scaled = std::fabs(static_cast<long double>(value)) * std::pow(10.0L, d);
        if (std::fabs(scaled - std::floor(scaled) - 0.5L) < 1e-4L) continue;  // too close to a half
        char want[64];
        std::snprintf(want, sizeof want, "%.*f", d, value);
        ASSERT_EQ(Format(value, d), want) << value << " with " << d;
    }
}

TEST_F(ViewHelpers, PointColourFromName) {
    struct Case {
        Name name;
        int32_t mode;
        int32_t found;
        uint32_t colour;
    };
    const Case cases[] = {
        {Name("#FF0000"), 0, 1, 0xFF0000},
        {Name("#00ff80"), 0, 1, 0x00FF80},
        {Name("#A1B2C3X"), 0, 1, 0xA1B2C3},
        {Name("#"), 0, 1, 0xFFFFFF},  // zero bytes count as F
        {Name("#12"), 0, 1, 0x12FFFF},
        {Name("#GG0000"), 0, 1, 0x000000},  // other characters count as 0
        {Name("#F-z9A "), 0, 1, 0xF009A0},
        {Name("FF0000"), 0, 0, 0},
        {Name(""), 0, 0, 0},
        // Bytes left in the field after a shorter name are not a colour.
        {Name("P1\0\0\0\0\0\0\0\x41\x43\x45", 12), 0, 0, 0},
        {Name("#000000}"), 1, 1, 0xFEFEFE},
        {Name("#000000#"), 1, 1, 0x404040},
        {Name("#000000$"), 1, 1, 0x424242},
        {Name("#FF0000P"), 1, 1, 0x9F9F9F},  // 'P' is the 46th character: 159
        {Name("#000000~"), 1, 1, 0xFFFFFF},
        {Name("#"), 1, 1, 0xFFFFFF},
        {Name("ABCDEFG}"), 1, 0, 0},
    };
    for (const Case& c : cases) {
        g_pointColorMode = c.mode;
        g_rasterColor = 0x12345678;
        EXPECT_EQ(PointColorFromName(c.name.bytes), c.found) << c.name.bytes;
        EXPECT_EQ(g_rasterColor, c.found ? c.colour : 0x12345678u) << c.name.bytes;
    }
}

#include "model/auto_outline.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

TEST(AutoOutlineCircle, ShownOnlyWhileTheDialogIsOpenWithADistance) {
    struct Case {
        int32_t wnd;
        double distance;
        bool shown;
        int radius;
    };
    const Case cases[] = {{1, 25, true, 50}, {0, 25, false, 0}, {1, -25, false, 0}, {1, 0, false, 0}, {1, 0.2, false, 0}};
    const int32_t wnd = g_autoOutlineWnd;
    const double distance = g_autoOutlineDistance, scale = g_viewScale;
    g_viewScale = 2;
    g_viewportCenterX = 300;
    g_viewportCenterY = 200;
    for (const Case& c : cases) {
        g_autoOutlineWnd = c.wnd;
        g_autoOutlineDistance = c.distance;
        int x = 0, y = 0, r = 0;
        EXPECT_EQ(AutoOutlineSearchCircle(x, y, r), c.shown) << c.distance;
        if (c.shown) {
            EXPECT_EQ(x, 300);
            EXPECT_EQ(y, 200);
            EXPECT_EQ(r, c.radius);
        }
    }
    g_autoOutlineWnd = wnd;
    g_autoOutlineDistance = distance;
    g_viewScale = scale;
}
