// Editing rules of the colour-band dialogs: band limits and labels, colour presets and
// the three-colour stripes, the cancel rule, the light widget, point colours without a
// TIN and the inclined-plane arithmetic.
#include "view/color_band_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "model/terrain_data.h"

namespace {

ColorBandParams Params() {
    ColorBandParams p = DefaultColorBandParams();
    p.dataHighest = 140;
    p.dataLowest = 60;
    return p;
}

TEST(ColorBandEdit, BandLimitsFollowTheEdits) {
    struct Case {
        const char* what;
        bool inclined;
        double step, centre;
        void (*edit)(ColorBandParams&);
        double highest, lowest, stepAfter;
    };
    const Case cases[] = {
        {"step sets both limits", false, 0, 100, [](ColorBandParams& p) { EditBandStep(p, 2); }, 120, 80, 2},
        {"centre moves the limits with a step", false, 2, 0,
         [](ColorBandParams& p) { EditBandCentre(p, 100); }, 120, 80, 2},
        {"highest clears the step, keeps lowest", false, 2, 100,
         [](ColorBandParams& p) { EditBandHighest(p, 130); }, 130, 80, 0},
        {"lowest clears the step", false, 2, 100, [](ColorBandParams& p) { EditBandLowest(p, 70); }, 120, 70, 0},
        {"inclined highest is relative", true, 2, 100,
         [](ColorBandParams& p) { EditBandHighest(p, 5); }, 105, 80, 0},
        {"inclined lowest is relative", true, 2, 100, [](ColorBandParams& p) { EditBandLowest(p, -5); }, 120, 95, 0},
        {"no step takes the data's range", false, 2, 100,
         [](ColorBandParams& p) { EditBandStep(p, 0); }, 140, 60, 0},
        {"negative step too", false, 2, 100, [](ColorBandParams& p) { EditBandStep(p, -1); }, 140, 60, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ColorBandParams p = Params();
        p.refInclined = c.inclined;
        p.centre = c.centre;
        if (c.step > 0) EditBandStep(p, c.step);
        c.edit(p);
        EXPECT_DOUBLE_EQ(p.highest, c.highest);
        EXPECT_DOUBLE_EQ(p.lowest, c.lowest);
        EXPECT_DOUBLE_EQ(p.step, c.stepAfter);
    }
}

TEST(ColorBandEdit, LabelsAndEnabledEdits) {
    ColorBandParams p = Params();
    p.centre = 100;
    EditBandStep(p, 2);
    EXPECT_EQ(BandLabelText(p, 1), "82.000");
    EXPECT_EQ(BandLabelText(p, 10), "100.000");
    EXPECT_EQ(BandLabelText(p, 19), "118.000");
    // With the inclined reference the centre boundary is zero: never "-0.000".
    p.refInclined = 1;
    EXPECT_DOUBLE_EQ(BandLabelValue(p, 10), 0.00001);
    EXPECT_EQ(BandLabelText(p, 10), "0.000");
    EXPECT_EQ(BandLabelText(p, 1), "-18.000");
    const bool enabled[] = {true, true, false, false};
    for (int mode = 0; mode < 4; ++mode) EXPECT_EQ(BandLimitEditsEnabled(mode), enabled[mode]) << mode;
}

TEST(ColorBandEdit, EditTextParsing) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {{"25", true, 25}, {" 12.5 ", true, 12.5}, {"-3", true, -3}, {"", false, 0},
                          {"  ", false, 0}, {"abc", false, 0},       {"12x", false, 0}, {"nan", false, 0}};
    for (const Case& c : cases) {
        double v = 777;
        EXPECT_EQ(ParseEditNumber(c.text, v), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(v, c.ok ? c.value : 777) << c.text;
    }
}

TEST(ColorBandEdit, ThreeColourStripes) {
    ColorBandParams p = Params();
    ApplyThreeColourBands(p, 0x000000, 0x808080, 0xFFFFFF, false);
    // 128 / 10 = 12 and 127 / 10 = 12 per step, truncated.
    EXPECT_EQ(p.stripeColours[0], 0x000000);
    EXPECT_EQ(p.stripeColours[1], 0x0C0C0C);
    EXPECT_EQ(p.stripeColours[8], 0x606060);
    EXPECT_EQ(p.stripeColours[9], 0x808080);
    EXPECT_EQ(p.stripeColours[10], 0x8C8C8C);
    EXPECT_EQ(p.stripeColours[18], 0xEC0000 | 0x00EC00 | 0x0000EC);
    EXPECT_EQ(p.stripeColours[19], 0xFFFFFF);

    ApplyThreeColourBands(p, 0x000000, 0x123456, 0xFFFFFF, true);
    EXPECT_EQ(p.stripeColours[1], 0x0C0C0C);  // 255 / 20 = 12
    EXPECT_EQ(p.stripeColours[18], 0xD8D8D8);
    EXPECT_EQ(p.stripeColours[19], 0xFFFFFF);

    // Channels step apart and downwards: red 255 -> 0 in steps of -25 toward the middle.
    ApplyThreeColourBands(p, 0xFF0000, 0x000000, 0x0000FF, false);
    EXPECT_EQ(p.stripeColours[1], 0xE60000);
    EXPECT_EQ(p.stripeColours[11], 0x000032);
}

TEST(ColorBandEdit, PresetsWriteTheirTables) {
    struct Case {
        BandPreset preset;
        int32_t first, tenth, last;
    };
    const Case cases[] = {
        {BandPreset::Red, 0xFF0000, 0xFF3366, 0xFF99CC},   {BandPreset::Green, 0x00FFFF, 0x00CC99, 0x006633},
        {BandPreset::Map, 0x28E828, 0xC8C000, 0x682808},   {BandPreset::Camouflage, 0xF1F2CE, 0x2C4015, 0xC8C8FF},
        {BandPreset::Initial, 0xFF0000, 0xFFFFFF, 0xFFFFFF}, {BandPreset::BlueToRed, 0x00007F, 0x00FF74, 0xFF0000},
        {BandPreset::WhiteToBlack, 0xFFFFFF, 0x939393, 0x1B1B1B},
    };
    for (const Case& c : cases) {
        ColorBandParams p = Params();
        std::memset(p.stripeColours, 0x55, sizeof p.stripeColours);
        ApplyBandPreset(p, c.preset);
        EXPECT_EQ(p.stripeColours[0], c.first);
        EXPECT_EQ(p.stripeColours[9], c.tenth);
        EXPECT_EQ(p.stripeColours[19], c.last);
    }
    // The start colours are the initial preset.
    ColorBandParams p = Params();
    const ColorBandParams start = DefaultColorBandParams();
    ApplyBandPreset(p, BandPreset::WhiteToBlack);
    ApplyBandPreset(p, BandPreset::Initial);
    EXPECT_EQ(std::memcmp(p.stripeColours, start.stripeColours, sizeof p.stripeColours), 0);
    // The grey ramp falls by 12 each step.
    ApplyBandPreset(p, BandPreset::WhiteToBlack);
    for (int k = 1; k < 20; ++k) EXPECT_EQ((p.stripeColours[k - 1] & 0xFF) - (p.stripeColours[k] & 0xFF), 12);
}

TEST(ColorBandEdit, CancelKeepsTheLiveFieldsOnly) {
    const ColorBandParams backup = Params();
    ColorBandParams p = backup;
    p.waterLevel = 12.5;
    p.textColourChange = 1;
    p.shading = 1;
    p.waterShown = -1;
    p.waterTransparent = 0;
    p.centre = 55;
    p.mode = 2;
    p.stripeColours[3] = 0x123456;
    p.refDirection = 33;
    p.lightAzimuth = 10;
    RestoreColorBandBackup(p, backup);
    EXPECT_DOUBLE_EQ(p.waterLevel, 12.5);
    EXPECT_EQ(p.textColourChange, 1);
    EXPECT_EQ(p.shading, 1);
    EXPECT_EQ(p.waterShown, -1);
    EXPECT_EQ(p.waterTransparent, 0);
    ColorBandParams rest = p;
    rest.waterLevel = backup.waterLevel;
    rest.textColourChange = backup.textColourChange;
    rest.shading = backup.shading;
    rest.waterShown = backup.waterShown;
    rest.waterTransparent = backup.waterTransparent;
    EXPECT_EQ(std::memcmp(&rest, &backup, sizeof rest), 0);
}

TEST(ColorBandEdit, SlopeEntriesClamped) {
    EXPECT_DOUBLE_EQ(ClampSlopeAngle(-5), 0);
    EXPECT_DOUBLE_EQ(ClampSlopeAngle(95), 89);
    EXPECT_DOUBLE_EQ(ClampSlopeAngle(30), 30);
    EXPECT_DOUBLE_EQ(ClampMaxSlope(0), 0.001);
    EXPECT_DOUBLE_EQ(ClampMaxSlope(500), 200);
}

TEST(ColorBandEdit, LightWidgetClicks) {
    // 120 x 120: radius 54 around (60, 60).
    ASSERT_EQ(LightWidgetRadius(120, 120), 54);
    struct Case {
        const char* what;
        int x, y;
        bool hit;
        double azimuth, elevation;
    };
    const Case cases[] = {
        {"centre keeps the azimuth", 60, 60, true, 123, 90},
        {"top rim", 60, 6, true, 0, 0},
        {"right rim", 114, 60, true, 90, 0},
        {"bottom rim", 60, 114, true, 180, 0},
        {"left half radius", 33, 60, true, 270, 45},
        {"half radius up", 60, 33, true, 0, 45},
        {"corner, beyond the disc", 0, 0, true, 315, 0},
        {"a hair left of north", 59, 0, true, 359, 0},
        {"outside the control", 120, 60, false, 123, 47},
        {"outside above", 60, -1, false, 123, 47},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double az = 123, el = 47;
        EXPECT_EQ(LightWidgetClick(120, 120, c.x, c.y, az, el), c.hit);
        EXPECT_DOUBLE_EQ(az, c.azimuth);
        EXPECT_DOUBLE_EQ(el, c.elevation);
    }
}

class VertexColours : public ::testing::Test {
protected:
    void SetUp() override {
        m_p = Params();
        m_points.resize(6);
        const double zs[] = {0, 10, 20, 15, 12, 18};
        const char* names[] = {"", "A", "_skip", "#FF0000!", "B", "C"};
        for (int i = 0; i < 6; ++i) {
            m_points[i].z = zs[i];
            std::strncpy(m_points[i].name, names[i], sizeof m_points[i].name);
        }
        m_points[5].invalid = 1;
        ASSERT_TRUE(VertexBandRangeFromPoints(m_p, m_points.data(), 4));
    }
    ColorBandParams m_p{};
    std::vector<RandomPoint> m_points;
};

TEST_F(VertexColours, RangeAndEndColours) {
    // Points 1..4: invalid point 5 does not count.
    EXPECT_DOUBLE_EQ(m_p.highest, 20);
    EXPECT_DOUBLE_EQ(m_p.lowest, 10);
    EXPECT_DOUBLE_EQ(m_p.centre, 15);
    double r = -1;
    EXPECT_EQ(VertexBandColour(m_p, 20, &r), m_p.gradientColours[3]);
    EXPECT_DOUBLE_EQ(r, 1);
    EXPECT_EQ(VertexBandColour(m_p, 10, &r), m_p.gradientColours[0]);
    EXPECT_EQ(VertexBandColour(m_p, 99, &r), m_p.gradientColours[3]);  // limited to 1
    EXPECT_EQ(VertexBandColour(m_p, 15, &r), m_p.gradientColours[1]);
    EXPECT_DOUBLE_EQ(r, 0);
    // Half way up: per channel halfway between c203 and c204, truncated.
    m_p.gradientColours[2] = 0x000000;
    m_p.gradientColours[3] = 0xFF6401;
    EXPECT_EQ(VertexBandColour(m_p, 17.5, &r), 0x7F3200);
}

TEST_F(VertexColours, ApplyWritesNamesOrHiddenBytes) {
    EXPECT_EQ(ApplyVertexColours(m_p, m_points.data(), 5, {true, true}), 2);  // A and B
    EXPECT_STREQ(m_points[1].name, "#0000FF~");                              // lowest: c201, r = 1
    EXPECT_STREQ(m_points[2].name, "_skip");
    EXPECT_STREQ(m_points[3].name, "#FF0000!");  // kept
    const int32_t c = VertexBandColour(m_p, 12);
    char expect[16];
    std::snprintf(expect, sizeof expect, "#%06X%c", static_cast<unsigned>(c), 35 + static_cast<int>(91 * 0.6));
    EXPECT_STREQ(m_points[4].name, expect);

    ClearVertexColours(m_points.data(), 5, true);
    EXPECT_STREQ(m_points[1].name, "");
    EXPECT_STREQ(m_points[2].name, "_skip");
}

TEST_F(VertexColours, HiddenColourKeepsNames) {
    m_p.gradientColours[1] = 0x204060;
    EXPECT_EQ(ApplyVertexColours(m_p, m_points.data(), 4, {false, false}), 3);
    EXPECT_STREQ(m_points[1].name, "A");
    EXPECT_STREQ(m_points[3].name, "#FF0000!");  // 8 characters: the terminator at 8 kept
    const auto bytes = [](const RandomPoint& pt) {
        return std::vector<int>{pt.name[8], static_cast<uint8_t>(pt.name[9]), static_cast<uint8_t>(pt.name[10]),
                                static_cast<uint8_t>(pt.name[11])};
    };
    EXPECT_EQ(bytes(m_points[1]), (std::vector<int>{0, 0xFF, 0x01, 0x01}));  // c201 0000FF
    EXPECT_EQ(bytes(m_points[3]), (std::vector<int>{0, 0x61, 0x41, 0x21}));  // at the centre: c202 204060, low bits set
    ClearVertexColours(m_points.data(), 4, false);
    EXPECT_STREQ(m_points[1].name, "A");
    EXPECT_STREQ(m_points[3].name, "#FF0000!");
    EXPECT_EQ(m_points[1].name[9], 0);
}

TEST(ColorBandEdit, PlaneAimedAtTarget) {
    ColorBandParams p = Params();
    p.refX = 100;
    p.refY = 200;
    p.refH = 10;
    ASSERT_TRUE(AimPlaneAtTarget(p, 130, 240, 15));
    EXPECT_NEAR(p.refDirection, 53.130, 0.0005);
    EXPECT_NEAR(p.refInclination, 5.711, 0.0005);
    EXPECT_FALSE(AimPlaneAtTarget(p, 100, 200, 99));
    EXPECT_NEAR(p.refDirection, 53.130, 0.0005);
    // Fields: direction in 0..360, percent = tan(i) x 100.
    EXPECT_DOUBLE_EQ(WrapDirection(-90), 270);
    EXPECT_DOUBLE_EQ(WrapDirection(450), 90);
    EXPECT_NEAR(SlopePercent(p.refInclination), 10.0, 1e-9);
    EXPECT_NEAR(SlopePercent(90), std::tan(89.9 * M_PI / 180) * 100, 1e-6);
    // The handle at the tick's height is a slope of 0.1.
    EXPECT_NEAR(std::tan(SlopeHandleInclination(40, 40) * M_PI / 180), 0.1, 1e-5);
}

TEST(ColorBandEdit, GizmoGeometry) {
    ColorBandParams p = Params();
    p.refX = 1000;
    p.refY = 2000;
    p.refH = 50;
    p.refDirection = 90;  // east
    p.refInclination = 45;
    const GizmoGeometry g = ComputeGizmoGeometry(p, 2.0);  // a = 75 m
    EXPECT_NEAR(g.direction.x, 1000, 1e-9);
    EXPECT_NEAR(g.direction.y, 2075, 1e-9);
    EXPECT_NEAR(g.poleTop.z, 125, 1e-9);
    EXPECT_NEAR(g.baseA.x, 1075, 1e-9);  // across the direction
    EXPECT_NEAR(g.baseB.x, 925, 1e-9);
    EXPECT_NEAR(g.slope.y, 2067.5, 1e-9);
    EXPECT_NEAR(g.slope.z, 50 + 67.5, 1e-9);
    EXPECT_NEAR(g.tick.z, 50 + 6.75, 1e-9);
    EXPECT_NEAR(g.ground.z, 50, 1e-9);
}

}  // namespace
