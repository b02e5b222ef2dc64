#include "analysis/simple_section.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "../section/section_test_support.h"
#include "shell/tool_mode.h"
#include "view/view_input.h"
#include "view/view_state.h"
#include "view/raster_primitives.h"

namespace {

using sectiontest::SectionFixture;

// The window as the pick sees it: what was asked of it.
struct FakeWindows {
    bool simpleOpen = false, sagOpen = false;
    int shows = 0, reloads = 0, sagCloses = 0;
    int32_t mode = -1;
};

class SimpleSectionTest : public SectionFixture {
protected:
    void SetUp() override {
        SectionFixture::SetUp();
        g_birdsEyeOn = 0;
        g_viewCenterX = 0, g_viewCenterY = 0, g_viewScale = 1;
        g_viewportCenterX = 0, g_viewportCenterY = 0;
        g_linePickState = 0;
        g_toolMode = MODE_SIMPLE_SECTION;
        LineToolWindows& w = LineTools();
        w = {};
        w.simpleSectionOpen = [this] { return m_fake.simpleOpen; };
        w.showSimpleSection = [this](int32_t mode) {
            m_fake.simpleOpen = true, m_fake.mode = mode, ++m_fake.shows, ++m_fake.reloads;
        };
        w.reloadSimpleSection = [this] { ++m_fake.reloads; };
        w.sagOpen = [this] { return m_fake.sagOpen; };
        w.closeSag = [this] { m_fake.sagOpen = false, ++m_fake.sagCloses; };
    }
    void TearDown() override {
        LineTools() = {};
        g_toolMode = MODE_NONE;
        g_linePickState = 0;
        SetSimpleSectionStoredMode(false);
        SectionFixture::TearDown();
    }
    // The client pixel of ground (x, y) with the test's view: row = -x, column = y.
    static void PickGround(double x, double y) {
        OnSimpleSectionPick(0, static_cast<int32_t>(y), static_cast<int32_t>(-x));
    }

    FakeWindows m_fake;
};

double Slope(double x, double y) { return 50 + 0.1 * x + 0.02 * y; }

TEST_F(SimpleSectionTest, PickCutsThenAThirdClickStartsANewLineKeepingTheProfile) {
    BuildGrid(10, 10, Slope);  // 0..100 square
    m_fake.sagOpen = true;
    PickGround(10, 20);
    EXPECT_EQ(g_linePickState, 1);
    EXPECT_DOUBLE_EQ(g_towerStart.x, 10);
    EXPECT_DOUBLE_EQ(g_towerStart.y, 20);
    EXPECT_EQ(m_fake.shows, 0);

    // The line runs past the TIN: S stays, E moves onto the profile's last point.
    PickGround(10, 150);
    EXPECT_EQ(g_linePickState, 2);
    EXPECT_EQ(g_profileFromPoints, 0);
    ASSERT_GE(g_profile.right.count, 2);
    EXPECT_EQ(m_fake.shows, 1);
    EXPECT_EQ(m_fake.mode, kSimpleSectionPicked);
    EXPECT_EQ(m_fake.sagCloses, 1);
    EXPECT_DOUBLE_EQ(g_pickedLineEnd.y, 150);
    EXPECT_NEAR(g_towerEnd.y, 100, 1e-9);
    EXPECT_NEAR(g_towerEnd.z, Slope(10, 100), 1e-9);
    EXPECT_NEAR(g_towerStart.z, Slope(10, 20), 1e-9);
    const int32_t count = g_profile.right.count;
    const double lastDist = g_profile.right.dist[count];

    // Third click: a new S, the old profile stays until the new E.
    PickGround(200, 200);
    EXPECT_EQ(g_linePickState, 1);
    EXPECT_DOUBLE_EQ(g_towerStart.x, 200);
    EXPECT_EQ(g_profile.right.count, count);
    EXPECT_DOUBLE_EQ(g_profile.right.dist[count], lastDist);
    EXPECT_EQ(m_fake.shows, 1);

    // An E whose line misses the TIN: an empty cut returns the pick to the start and
    // the open window reloads to show it empty.
    const int reloads = m_fake.reloads;
    PickGround(300, 300);
    EXPECT_EQ(g_linePickState, 0);
    EXPECT_LT(g_profile.right.count, 2);
    EXPECT_EQ(m_fake.reloads, reloads + 1);
    EXPECT_EQ(m_fake.shows, 1);
}

TEST_F(SimpleSectionTest, CtrlClickIsIgnored) {
    BuildGrid(2, 10, Slope);
    OnSimpleSectionPick(kMouseFlagControl, 5, -5);
    EXPECT_EQ(g_linePickState, 0);
}

// Whole view keeps twice the largest absolute distance; the band recalculation takes
// 1.5 times the distance range, so it comes out tighter.
TEST_F(SimpleSectionTest, WholeViewAndRecalculationSpans) {
    // Band points only (no TIN) along the X axis, 10..60 m from the line's start.
    for (double x : {10.0, 25.0, 40.0, 60.0}) AddPoint(x, 0.01, 100 + x / 10);
    g_sectionBandWidth = 1;
    g_toolMode = MODE_SIMPLE_SECTION;
    PickGround(0, 0);
    PickGround(100, 0);
    ASSERT_EQ(g_profileFromPoints, 1);
    ASSERT_EQ(g_profile.right.count, 4);

    SimpleSectionView v;
    ReloadSimpleSection(v);
    EXPECT_NEAR(v.frame.offsetOrigin, 35, 1e-9);
    EXPECT_NEAR(v.frame.heightOrigin, 103.5, 1e-9);
    EXPECT_NEAR(v.distanceSpan, 120, 1e-9);
    EXPECT_NEAR(v.heightSpan, 5, 1e-9);
    EXPECT_DOUBLE_EQ(v.frame.gridInterval, 10);

    v.frame.zoom = 3, v.frame.offsetPan = 7;
    ASSERT_TRUE(RecalculateSimpleSection(v));
    EXPECT_NEAR(v.distanceSpan, 75, 1e-9);
    EXPECT_DOUBLE_EQ(v.frame.zoom, 1);
    EXPECT_DOUBLE_EQ(v.frame.offsetPan, 0);
    EXPECT_EQ(g_redrawMask, -1);

    // A band too narrow for two points changes nothing.
    g_sectionBandWidth = 0.001;
    EXPECT_FALSE(RecalculateSimpleSection(v));
    EXPECT_NEAR(v.distanceSpan, 75, 1e-9);
}

TEST_F(SimpleSectionTest, WholeViewOfAPointLikeProfileIsFiftyMetres) {
    g_profile.left.count = 0;
    g_profile.right.count = 2;
    for (int i = 1; i <= 2; ++i) g_profile.right.dist[i] = 0, g_profile.right.z[i] = 12;
    SimpleSectionView v;
    SimpleSectionWholeView(v);
    EXPECT_DOUBLE_EQ(v.distanceSpan, 50);
    EXPECT_DOUBLE_EQ(v.heightSpan, 50);

    struct Case {
        double span, pitch;
    };
    for (const Case& c : {Case{1000, 10}, Case{1000.5, 100}, Case{10000, 100}, Case{10001, 1000}})
        EXPECT_DOUBLE_EQ(SimpleSectionGridPitch(c.span), c.pitch) << c.span;
}

TEST_F(SimpleSectionTest, StoredSectionsPageWithinOneAndTheCount) {
    ASSERT_TRUE(ResetSimpleSections());
    for (int k = 1; k <= 3; ++k) {
        g_profile = SectionProfile{};
        g_profile.number = k;
        std::snprintf(g_profile.name, sizeof g_profile.name, "No.%d", k);
        g_profile.distance = 20.0 * k;
        g_profile.right.count = 2;
        g_profile.right.x[1] = k, g_profile.right.y[1] = 0, g_profile.right.z[1] = 10;
        g_profile.right.x[2] = k, g_profile.right.y[2] = 30, g_profile.right.z[2] = 11;
        g_profile.right.dist[2] = 30;
        ASSERT_TRUE(AppendSimpleSection());
    }
    SimpleSectionView v;
    v.mode = kSimpleSectionStored;
    ReloadSimpleSection(v);
    EXPECT_EQ(v.number, 1);
    EXPECT_EQ(g_profile.number, 1);
    EXPECT_EQ(g_linePickState, 2);
    EXPECT_DOUBLE_EQ(g_towerStart.x, 1);
    EXPECT_EQ(SimpleSectionTitle(v), "簡易断面 No.1 20.000");

    // The spin's step counts down: -1 goes to the next section.
    struct Step {
        int32_t step;
        int32_t number;
        bool planRepaint;
    };
    const Step steps[] = {{1, 1, false}, {-1, 2, true}, {-5, 3, true}, {-1, 3, true}, {1, 2, true}, {9, 1, false}};
    for (const Step& s : steps) {
        g_linePickState = 1;
        EXPECT_EQ(StepSimpleSection(v, s.step), s.planRepaint) << s.step;
        EXPECT_EQ(v.number, s.number) << s.step;
        EXPECT_EQ(g_profile.number, s.number) << s.step;
        EXPECT_DOUBLE_EQ(g_towerStart.x, s.number);
        EXPECT_EQ(g_linePickState, s.planRepaint ? 2 : 1);
    }

    // Typed numbers: outside 1..count or the current one are refused.
    EXPECT_FALSE(TypeSimpleSectionNumber(v, 0));
    EXPECT_FALSE(TypeSimpleSectionNumber(v, 4));
    EXPECT_FALSE(TypeSimpleSectionNumber(v, 1));
    EXPECT_TRUE(TypeSimpleSectionNumber(v, 3));
    EXPECT_EQ(g_profile.number, 3);
}

TEST_F(SimpleSectionTest, TextLinesAndReadout) {
    struct Case {
        double ex, ey, ez;
        const char* span;
    };
    // Bearings from the direction of growing X, turning toward growing Y.
    const Case cases[] = {
        {0, 100, 15, "D= 100.000m P= 5.000% Rot= 90.0000"},
        {30, 30, 10, "D= 42.426m P= 0.000% Rot= 45.0000"},
        {-10, 0, 12, "D= 10.000m P= 20.000% Rot= 180.0000"},
        {0.005, 0, 99, "D= 0.005m P= 0.000% Rot= 0.0000"},
    };
    for (const Case& c : cases) {
        g_profile.right.count = 2;
        g_profile.right.x[1] = 0, g_profile.right.y[1] = 0, g_profile.right.z[1] = 10;
        g_profile.right.x[2] = c.ex, g_profile.right.y[2] = c.ey, g_profile.right.z[2] = c.ez;
        const SimpleSectionTexts t = SimpleSectionTextLines();
        EXPECT_EQ(t.start, "S [ X= 0.000 Y= 0.000 Z= 10.000 ]");
        EXPECT_EQ(t.span, c.span);
    }
    EXPECT_EQ(SimpleSectionReadout(3.5, 101.25, false, 0, 0), "D: +3.500 H:101.250");
    EXPECT_EQ(SimpleSectionReadout(3, 104, true, 0, 100), "D: +3.000 H:104.000 R:5.000m P:80.000% V:4.000m ");
}

TEST_F(SimpleSectionTest, TypedValues) {
    SimpleSectionView v;
    EXPECT_TRUE(ApplySimpleSectionGrid(v, 0));
    EXPECT_FALSE(ApplySimpleSectionGrid(v, 100000));
    EXPECT_FALSE(ApplySimpleSectionGrid(v, -1));
    EXPECT_DOUBLE_EQ(v.frame.gridInterval, 0);
    EXPECT_FALSE(ApplySimpleSectionBandWidth(0));
    EXPECT_TRUE(ApplySimpleSectionBandWidth(0.0005));
    EXPECT_EQ(SimpleSectionBandWidthText(), " 0.00050");
    EXPECT_TRUE(ApplySimpleSectionBandWidth(2.5));
    EXPECT_EQ(SimpleSectionBandWidthText(), " 2.500");
}

TEST_F(SimpleSectionTest, ClosingEndsThePickAndTheMode) {
    g_linePickState = 2;
    g_profileFromPoints = 1;
    SetSimpleSectionStoredMode(true);
    SimpleSectionWindowClosed();
    EXPECT_EQ(g_linePickState, 0);
    EXPECT_EQ(g_profileFromPoints, 0);
    EXPECT_FALSE(SimpleSectionInStoredMode());
    EXPECT_EQ(g_toolMode, MODE_NONE);
}

}  // namespace
