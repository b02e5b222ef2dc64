// The work behind the colour-band dialogs: texts of the edits and labels, the mode
// switch, opening with the data's range, OK and Cancel, the three-colour picker, the
// 段彩表示 command and point colours without a TIN.
#include "view/color_band_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "model/document_services.h"
#include "shell/tool_windows.h"
#include "view/band_texture.h"
#include "view/color_band_edit.h"
#include "view/display_flags.h"
#include "view_fixture.h"

namespace {

class ColorBandCommand : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        g_colorBandOn = 0;
        g_showPoints = 1;
        g_gcolSetColours[0] = 0x000000;
        g_gcolSetColours[1] = 0x808080;
        g_gcolSetColours[2] = 0xFFFFFF;
        SetViewRepaintHandler([this] { ++m_repaints; });
    }
    void TearDown() override {
        SetColorBandDialogFactories(nullptr, nullptr);
        ViewTest::TearDown();
    }
    int m_repaints = 0;
};

// Stripe k as the palette holds it (column 0: unshaded).
uint32_t StripeTexel(int k) { return g_bandTexture[(12 * k + 6) * kBandTextureSide] & 0xFFFFFF; }

TEST_F(ColorBandCommand, TextsOfEditsAndLabels) {
    ColorBandParams p = DefaultColorBandParams();
    p.dataHighest = 140.5;
    p.dataLowest = 60.25;
    p.centre = 100;
    EditBandStep(p, 2);
    ColorBandTexts t = FormatColorBandTexts(p);
    EXPECT_EQ(t.centre, " 100.000");
    EXPECT_EQ(t.highest, " 120.000");
    EXPECT_EQ(t.lowest, " 80.000");
    EXPECT_EQ(t.step, " 2.000");
    EXPECT_EQ(t.dataHighest, "最高 140.500");
    EXPECT_EQ(t.dataLowest, "最低 60.250");
    EXPECT_EQ(t.labels[0], "82.000");
    EXPECT_EQ(t.labels[9], "100.000");
    EXPECT_EQ(t.labels[18], "118.000");

    // Inclined: no centre, the limits as offsets, labels relative to the centre; the
    // boundary at the centre is not shown as "-0.000".
    p.refInclined = 1;
    EditBandHighest(p, 5);
    t = FormatColorBandTexts(p);
    EXPECT_EQ(t.centre, "");
    EXPECT_EQ(t.highest, " 5.000");
    EXPECT_EQ(t.lowest, " -20.000");
    EXPECT_EQ(t.step, "");  // the step is 0 after a limit was typed
    EXPECT_EQ(t.labels[9], "0.000");
    EXPECT_EQ(t.labels[0], "-18.000");
}

TEST_F(ColorBandCommand, EditTextsIgnoreBadInput) {
    ColorBandParams p = DefaultColorBandParams();
    p.centre = 100;
    EditBandStep(p, 2);
    const ColorBandParams before = p;
    for (const char* text : {"", "  ", "abc", "12x", "nan"}) {
        SCOPED_TRACE(text);
        for (BandLimitEdit e : {BandLimitEdit::Centre, BandLimitEdit::Highest, BandLimitEdit::Lowest,
                                BandLimitEdit::Step})
            EXPECT_FALSE(EditBandLimitText(p, e, text));
        EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    }
    EXPECT_TRUE(EditBandLimitText(p, BandLimitEdit::Highest, " 130 "));
    EXPECT_DOUBLE_EQ(p.highest, 130);
    EXPECT_DOUBLE_EQ(p.step, 0);
    EXPECT_DOUBLE_EQ(p.lowest, 80);
}

TEST_F(ColorBandCommand, PlaneFields) {
    struct Case {
        PlaneField field;
        const char* text;
        double direction, inclination;
        const char* shownDirection;
        const char* shownPercent;
    };
    const Case cases[] = {
        {PlaneField::Direction, "-90", 270, 0, " 270.000", " 0.000"},
        {PlaneField::Direction, "450", 90, 0, " 90.000", " 0.000"},
        {PlaneField::Inclination, "45", 0, 45, " 0.000", " 100.000"},
        {PlaneField::Percent, "10", 0, 5.710593137499643, " 0.000", " 10.000"},
        {PlaneField::Inclination, "90", 0, 89.9, " 0.000", " 57295.721"},  // not infinite
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ColorBandParams p = DefaultColorBandParams();
        ASSERT_TRUE(EditPlaneFieldText(p, c.field, c.text));
        EXPECT_NEAR(p.refDirection, c.direction, 1e-9);
        EXPECT_NEAR(p.refInclination, c.inclination, 1e-9);
        const PlaneTexts t = FormatPlaneTexts(p);
        EXPECT_EQ(t.direction, c.shownDirection);
        EXPECT_EQ(t.percent, c.shownPercent);
    }
    ColorBandParams p = DefaultColorBandParams();
    EXPECT_FALSE(EditPlaneFieldText(p, PlaneField::X, ""));
    EXPECT_TRUE(EditPlaneFieldText(p, PlaneField::X, "1234.5"));
    EXPECT_EQ(FormatPlaneTexts(p).x, " 1234.500");
}

TEST_F(ColorBandCommand, SlopeEntriesShownAgainWhenLimited) {
    ColorBandParams p = DefaultColorBandParams();
    std::string shown;
    EXPECT_TRUE(EditMaxSlopeText(p, "500", shown));
    EXPECT_DOUBLE_EQ(p.maxSlope, 200);
    EXPECT_EQ(shown, " 200.0");
    EXPECT_TRUE(EditMaxSlopeText(p, "0", shown));
    EXPECT_DOUBLE_EQ(p.maxSlope, 0.001);
    EXPECT_EQ(shown, "   0.0");
    EXPECT_TRUE(EditMaxSlopeText(p, "30", shown));
    EXPECT_EQ(shown, "");  // typed as it stays
    EXPECT_FALSE(EditMaxSlopeText(p, "x", shown));
    EXPECT_DOUBLE_EQ(p.maxSlope, 30);

    double angle = 20;
    EXPECT_TRUE(EditSlopeAngleText(angle, "95", shown));
    EXPECT_DOUBLE_EQ(angle, 89);
    EXPECT_EQ(shown, "89.00");
    EXPECT_TRUE(EditSlopeAngleText(angle, "-3", shown));
    EXPECT_EQ(shown, "0.00");
    EXPECT_FALSE(EditSlopeAngleText(angle, "", shown));
    EXPECT_DOUBLE_EQ(angle, 0);
}

TEST_F(ColorBandCommand, ModeSetsShadingAndTitle) {
    struct Case {
        int32_t mode;
        int32_t shading;
        const char* title;
    };
    const Case cases[] = {{0, 1, "縞段彩色"}, {1, 1, "グラデーション"}, {2, 1, "鳥瞰図配色"}, {3, 0, "傾斜段彩"}};
    for (const Case& c : cases) {
        ColorBandParams p = DefaultColorBandParams();
        p.shading = 1 - c.shading;
        SelectColorBandMode(p, c.mode);
        EXPECT_EQ(p.mode, c.mode);
        EXPECT_EQ(p.shading, c.shading);
        EXPECT_STREQ(ColorBandGroupTitle(c.mode), c.title);
    }
    ColorBandParams p = DefaultColorBandParams();
    SelectColorBandMode(p, 7);
    EXPECT_EQ(p.mode, 0);
}

TEST_F(ColorBandCommand, OpeningTakesTheDataRange) {
    AddPoint(0, 0, 50);
    AddPoint(10, 0, 70);
    AddPoint(0, 10, 60);
    g_birdsEyeOn = 1;

    // A record without a range gets the data's, shading on, and the backup agrees.
    g_colorBandParams.shading = 0;
    OpenColorBandDialogState();
    EXPECT_DOUBLE_EQ(g_colorBandParams.highest, 70);
    EXPECT_DOUBLE_EQ(g_colorBandParams.lowest, 50);
    EXPECT_DOUBLE_EQ(g_colorBandParams.centre, 60);
    EXPECT_EQ(g_colorBandParams.shading, 1);
    EXPECT_EQ(std::memcmp(&g_colorBandParams, &g_colorBandParamsCopy, sizeof g_colorBandParams), 0);
    EXPECT_EQ(g_birdsEyeOn, 1);

    // The user's own range stays while the data are the same ...
    EditBandStep(g_colorBandParams, 1);
    OpenColorBandDialogState();
    EXPECT_DOUBLE_EQ(g_colorBandParams.highest, 70);
    EXPECT_DOUBLE_EQ(g_colorBandParams.lowest, 50);
    EXPECT_DOUBLE_EQ(g_colorBandParams.step, 1);
    // ... and follows the data when they changed.
    AddPoint(5, 5, 90);
    OpenColorBandDialogState();
    EXPECT_DOUBLE_EQ(g_colorBandParams.highest, 90);
    EXPECT_DOUBLE_EQ(g_colorBandParams.lowest, 50);
    EXPECT_DOUBLE_EQ(g_colorBandParams.centre, 70);
}

TEST_F(ColorBandCommand, OkAndCancel) {
    AddPoint(0, 0, 50);
    AddPoint(10, 0, 70);
    AddPoint(0, 10, 60);
    OpenColorBandDialogState();
    const ColorBandParams opened = g_colorBandParams;

    // Every field changed while the dialog is open.
    ColorBandParams& p = g_colorBandParams;
    std::memset(&p, 0x5A, sizeof p);
    p.waterLevel = 12.5;
    p.textColourChange = 1;
    p.shading = 0;
    p.waterShown = -1;
    p.waterTransparent = 0;
    g_colorBandOn = 1;
    g_showPoints = 0;
    ColorBandCancel();
    ColorBandParams expect = opened;
    expect.waterLevel = 12.5;
    expect.textColourChange = 1;
    expect.shading = 0;
    expect.waterShown = -1;
    expect.waterTransparent = 0;
    EXPECT_EQ(std::memcmp(&p, &expect, sizeof p), 0);
    EXPECT_EQ(g_colorBandOn, 0);
    EXPECT_EQ(g_showPoints, 1);
    EXPECT_EQ(g_redrawMask, -1);

    // OK in mode 0: the palette holds the stripe colours and bands are on.
    OpenColorBandDialogState();
    SelectColorBandMode(p, 0);
    ApplyBandPreset(p, BandPreset::WhiteToBlack);
    g_redrawMask = 0;
    const int before = m_repaints;
    ColorBandOk();
    EXPECT_EQ(g_colorBandOn, 1);
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_GT(m_repaints, before);
    ASSERT_NE(g_bandTexture, nullptr);
    EXPECT_EQ(StripeTexel(0), 0xFFFFFFu);
    EXPECT_EQ(StripeTexel(19), 0x1B1B1Bu);
}

TEST_F(ColorBandCommand, ThreeColourPicker) {
    struct Case {
        const char* what;
        bool ignoreMiddle, registered;
        int32_t c102, c110, c119;
    };
    const Case cases[] = {
        {"with the middle, registered", false, true, 0x0C0C0C, 0x808080, 0xECECEC},
        {"ignoring the middle, Esc", true, false, 0x0C0C0C, 0x6C6C6C, 0xD8D8D8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_colorBandOn = 0;
        g_gcolSetColours[0] = 0x123456;
        CloseGcolSet({{0x000000, 0x808080, 0xFFFFFF}, c.ignoreMiddle, c.registered});
        const int32_t* s = g_colorBandParams.stripeColours;
        EXPECT_EQ(s[0], 0x000000);
        EXPECT_EQ(s[1], c.c102);
        EXPECT_EQ(s[9], c.c110);
        EXPECT_EQ(s[18], c.c119);
        EXPECT_EQ(s[19], 0xFFFFFF);
        EXPECT_EQ(g_colorBandOn, 1);
        EXPECT_EQ(StripeTexel(1), static_cast<uint32_t>(c.c102));
        // Only 登録 keeps the three colours for the next opening.
        EXPECT_EQ(g_gcolSetColours[0], c.registered ? 0x000000 : 0x123456);
    }
}

// A stand-in for the dialogs: a slot holder that counts how it was closed.
struct FakeWindow : ToolWindowHandle {
    ToolWindow slot;
    int* closed;
    FakeWindow(ToolWindow s, int* c) : slot(s), closed(c) { SetToolWindow(slot, this); }
    void CloseToolWindow() override {
        ++*closed;
        ClearToolWindow(slot, this);
    }
};

TEST_F(ColorBandCommand, DisplayCommandTogglesTheDialogs) {
    int opened = 0, vertexOpened = 0, closed = 0;
    std::unique_ptr<FakeWindow> band, vertex;
    SetColorBandDialogFactories(
        [&] {
            ++opened;
            band = std::make_unique<FakeWindow>(ToolWindow::kColorBand, &closed);
        },
        [&] {
            ++vertexOpened;
            vertex = std::make_unique<FakeWindow>(ToolWindow::kVertexColorBand, &closed);
        });

    // Without a TIN: the point colour dialog, open then closed.
    g_tinPresent = 0;
    OnColorBandDisplay();
    EXPECT_EQ(vertexOpened, 1);
    EXPECT_TRUE(IsToolWindowOpen(ToolWindow::kVertexColorBand));
    OnColorBandDisplay();
    EXPECT_FALSE(IsToolWindowOpen(ToolWindow::kVertexColorBand));
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(opened, 0);

    // With a TIN and bands off: opens and hides the points; again closes.
    g_tinPresent = 1;
    OnColorBandDisplay();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(g_showPoints, 0);
    OnColorBandDisplay();
    EXPECT_FALSE(IsToolWindowOpen(ToolWindow::kColorBand));
    EXPECT_EQ(closed, 2);

    // Bands on: off, points back, the dialog closed.
    OnColorBandDisplay();
    g_colorBandOn = 1;
    OnColorBandDisplay();
    EXPECT_EQ(g_colorBandOn, 0);
    EXPECT_EQ(g_showPoints, 1);
    EXPECT_FALSE(IsToolWindowOpen(ToolWindow::kColorBand));
    EXPECT_EQ(closed, 3);
}

TEST_F(ColorBandCommand, PointColoursWithoutTin) {
    AddPoint(0, 0, 10, "A");
    AddPoint(1, 0, 20, "B");
    AddPoint(2, 0, 15, "_C");
    const VertexBandTexts texts = OpenVertexColorBandState();
    EXPECT_EQ(texts.max, "    20.000");
    EXPECT_EQ(texts.min, "    10.000");
    EXPECT_DOUBLE_EQ(g_colorBandParams.centre, 15);

    g_pointColorPrefix = 27;
    g_pointColorMode = 1;
    EXPECT_EQ(ApplyVertexColorBand(true, false), 2);
    EXPECT_STREQ(g_points[1].name, "#0000FF~");  // c201 at the lowest, r = 1
    EXPECT_STREQ(g_points[2].name, "#FF0080~");  // c204 at the highest
    EXPECT_STREQ(g_points[3].name, "_C");
    EXPECT_EQ(g_pointColorPrefix, '#');
    EXPECT_EQ(g_pointColorMode, 0);

    // 全クリア without updating names: the names stay; the bands the user set stay too.
    std::snprintf(g_points[1].name, sizeof g_points[1].name, "A");
    std::snprintf(g_points[2].name, sizeof g_points[2].name, "B");
    ApplyVertexColorBand(false, false);
    EXPECT_STREQ(g_points[1].name, "A");
    EXPECT_EQ(static_cast<unsigned char>(g_points[1].name[11]), 0x00 | 1);  // red of 0000FF, bit set
    EditBandHighest(g_colorBandParams, 30);
    const VertexBandTexts cleared = ClearVertexColorBand(false);
    EXPECT_EQ(cleared.max, "    20.000");
    EXPECT_DOUBLE_EQ(g_colorBandParams.highest, 30);
    EXPECT_STREQ(g_points[1].name, "A");
    EXPECT_STREQ(g_points[2].name, "B");
    EXPECT_EQ(g_points[1].name[9], 0);  // the hidden colour is gone
}

}  // namespace
