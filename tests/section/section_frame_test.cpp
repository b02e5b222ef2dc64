// The section frame's rules, checked against hand-worked numbers.
#include "section/section_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

SectionFrame Frame800x400() {
    SectionFrame f;
    f.right = 800;
    f.bottom = 400;
    UpdateSectionScale(f, 50.0, 50.0, kCrossSectionScaleFactor);
    return f;
}

struct FrameCase {
    const char* name;
    std::function<void()> check;
};

void RunCases(const std::vector<FrameCase>& cases) {
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        c.check();
    }
}

TEST(SectionFrame, Rules) {
    RunCases({
        {"spans 50 x 50 in 800 x 400: base 16, drawn 14.4 (0.9) or 19.2 (1.2)",
         [] {
             SectionFrame f = Frame800x400();
             EXPECT_DOUBLE_EQ(f.pixelsPerMetre, 14.4);
             EXPECT_DOUBLE_EQ(f.metresPerPixel, 1.0 / 14.4);
             UpdateSectionScale(f, 50.0, 50.0, kLongSectionScaleFactor);
             EXPECT_DOUBLE_EQ(f.pixelsPerMetre, 19.2);
             // A tall frame scales to the height instead: 400 / 100 x 0.9.
             SectionFrame t;
             t.right = 400;
             t.bottom = 800;
             UpdateSectionScale(t, 50.0, 100.0, 0.9);
             EXPECT_DOUBLE_EQ(t.pixelsPerMetre, 800.0 / 100.0 * 0.9);
         }},
        {"zoom is clamped to 10000 at every scale update",
         [] {
             SectionFrame f = Frame800x400();
             f.zoom = 50000;
             UpdateSectionScale(f, 50, 50, 0.9);
             EXPECT_DOUBLE_EQ(f.zoom, 10000.0);
         }},
        {"mapping round trip, centre, truncation toward zero, vertical scale",
         [] {
             SectionFrame f = Frame800x400();
             f.heightOrigin = 100.0;
             f.verticalScale = 2.0;
             EXPECT_EQ(SectionWorldToScreen(f, 0.0, 100.0), (SectionPixel{400, 200}));
             // 1 m right and 1 m up: 14.4 -> 14 columns, 28.8 -> 28 rows.
             EXPECT_EQ(SectionWorldToScreen(f, 1.0, 101.0), (SectionPixel{414, 172}));
             EXPECT_EQ(SectionWorldToScreen(f, -1.0, 99.0), (SectionPixel{386, 228}));
             const SectionWorld w = SectionScreenToWorld(f, 400 + 144, 200 - 288);
             EXPECT_NEAR(w.offset, 10.0, 1e-9);
             EXPECT_NEAR(w.height, 110.0, 1e-9);
         }},
        {"1 m grid over a 300 m visible height labels every 20 m; over 2000 m none",
         [] {
             EXPECT_DOUBLE_EQ(SectionLabelStep(1.0, 300.0), 20.0);
             EXPECT_DOUBLE_EQ(SectionLabelStep(1.0, 2000.0), 0.0);
             EXPECT_DOUBLE_EQ(SectionLabelStep(1.0, 19.0), 1.0);
             EXPECT_DOUBLE_EQ(SectionLabelStep(1.0, 20.0), 2.0);  // 20 labels are too many
             EXPECT_DOUBLE_EQ(SectionLabelStep(0.0, 10.0), 0.0);
             // The same through the frame: 400 px at 0.75 m/px = 300 m high.
             SectionFrame f;
             f.right = 800;
             f.bottom = 400;
             f.pixelsPerMetre = 1.0 / 0.75;
             f.metresPerPixel = 0.75;
             f.gridInterval = 1.0;
             const SectionLabels labels = ComputeSectionLabels(f);
             ASSERT_GE(labels.heights.size(), 2u);
             EXPECT_DOUBLE_EQ(labels.heights[0].value, 140.0);  // first multiple of 20 below +150
             EXPECT_DOUBLE_EQ(labels.heights[0].value - labels.heights[1].value, 20.0);
             EXPECT_EQ(labels.heights[0].text, "140 ");
             for (const SectionLabel& l : labels.offsets) EXPECT_GT(l.position, 30);
             // 600 m wide: step 50; -300 sits at column 0, left of column 30.
             EXPECT_EQ(labels.offsets.front().text, "-250 ");
         }},
        {"typed grid 1000 keeps the old interval; 0 hides grid and labels",
         [] {
             SectionFrame f = Frame800x400();
             EXPECT_FALSE(ApplySectionGridInterval(f, 1000.0));
             EXPECT_DOUBLE_EQ(f.gridInterval, 10.0);
             EXPECT_FALSE(ApplySectionGridInterval(f, -1.0));
             EXPECT_TRUE(ApplySectionGridInterval(f, 999.9));
             EXPECT_TRUE(ApplySectionGridInterval(f, 0.0));
             const SectionGridLines g = ComputeSectionGrid(f);
             EXPECT_TRUE(g.rows.empty());
             EXPECT_TRUE(g.columns.empty());
             const SectionLabels l = ComputeSectionLabels(f);
             EXPECT_TRUE(l.heights.empty());
             EXPECT_TRUE(l.offsets.empty());
         }},
        {"grid lines lie on whole multiples, centre line included",
         [] {
             SectionFrame f = Frame800x400();
             f.heightOrigin = 7.0;  // heights 7 +- 13.9: multiples of 10 at 20, 10, 0
             const SectionGridLines g = ComputeSectionGrid(f);
             ASSERT_EQ(g.rows.size(), 3u);
             EXPECT_EQ(g.rows[1], SectionWorldToScreen(f, 0, 10.0).y);
             EXPECT_LT(g.rows[0], g.rows[1]);
             EXPECT_NE(std::find(g.columns.begin(), g.columns.end(), 400), g.columns.end());
         }},
        {"wheel on the vertical scale: 2.0 -> 2.1 -> 2.3, down 2.3 -> 2.0 -> 1.9, limits",
         [] {
             EXPECT_DOUBLE_EQ(SectionWheelVerticalScale(2.0, true), 2.1);
             EXPECT_NEAR(SectionWheelVerticalScale(2.1, true), 2.3, 1e-12);  // 2.31 cut
             EXPECT_NEAR(SectionWheelVerticalScale(2.3, false), 2.0, 1e-12);  // 2.0909 cut
             EXPECT_NEAR(SectionWheelVerticalScale(2.0, false), 1.9, 1e-12);
             EXPECT_NEAR(SectionWheelVerticalScale(0.1, false), 0.1, 1e-12);
             EXPECT_NEAR(SectionWheelVerticalScale(100.0, true), 100.0, 1e-12);
         }},
        {"typed vertical scale: 0 -> 1, 150 -> 100, 3.5 kept",
         [] {
             EXPECT_DOUBLE_EQ(ClampTypedVerticalScale(0.0), 1.0);
             EXPECT_DOUBLE_EQ(ClampTypedVerticalScale(0.0005), 1.0);
             EXPECT_DOUBLE_EQ(ClampTypedVerticalScale(150.0), 100.0);
             EXPECT_DOUBLE_EQ(ClampTypedVerticalScale(3.5), 3.5);
         }},
        {"wheel zoom keeps the point under the cursor",
         [] {
             SectionFrame f = Frame800x400();
             f.heightOrigin = 50.0;
             const SectionWorld before = SectionScreenToWorld(f, 600, 100);
             SectionWheelZoom(f, true, 600, 100);
             EXPECT_DOUBLE_EQ(f.zoom, 1.2);
             UpdateSectionScale(f, 50, 50, 0.9);
             const SectionWorld after = SectionScreenToWorld(f, 600, 100);
             EXPECT_NEAR(after.offset, before.offset, 1e-9);
             EXPECT_NEAR(after.height, before.height, 1e-9);
             // Outside the frame only the zoom changes; never below 0.01.
             SectionFrame g = Frame800x400();
             g.zoom = 0.011;
             SectionWheelZoom(g, false, 900, 100);
             EXPECT_DOUBLE_EQ(g.zoom, 0.01);
             EXPECT_DOUBLE_EQ(g.offsetPan, 0.0);
         }},
        {"zoom box fits the box; a click zooms 1.2; zoom out stops at 0.01; all resets",
         [] {
             SectionFrame f = Frame800x400();
             ApplyZoomBox(f, 500, 100, 699, 199);  // 199 x 99 -> min(800/200, 400/100) = 4
             EXPECT_DOUBLE_EQ(f.zoom, 4.0);
             EXPECT_NEAR(f.offsetPan, (599 - 400) / 14.4, 1e-9);
             EXPECT_NEAR(f.heightPan, (200 - 149) / 14.4, 1e-9);
             SectionFrame c = Frame800x400();
             ApplyZoomBox(c, 400, 200, 402, 202);
             EXPECT_DOUBLE_EQ(c.zoom, 1.2);
             c.zoom = 0.0105;
             SectionZoomOut(c);
             EXPECT_DOUBLE_EQ(c.zoom, 0.01);
             SectionZoomAll(f);
             EXPECT_EQ(f.zoom, 1.0);
             EXPECT_EQ(f.offsetPan, 0.0);
             EXPECT_EQ(f.heightPan, 0.0);
         }},
        {"drag and keys move the view",
         [] {
             SectionFrame f = Frame800x400();
             f.verticalScale = 2.0;
             SectionDragPan(f, 100, 100, 110, 120);  // drawing follows the cursor
             EXPECT_NEAR(f.offsetPan, -10 / 14.4, 1e-12);
             EXPECT_NEAR(f.heightPan, 20 / 2.0 / 14.4, 1e-12);
             SectionFrame k = Frame800x400();
             k.verticalScale = 2.0;
             const double tenth = 400 / 14.4 * 0.1;
             SectionKeyPan(k, SectionKey::Up);
             EXPECT_NEAR(k.heightPan, tenth / 2.0, 1e-12);
             SectionKeyPan(k, SectionKey::Left);
             EXPECT_NEAR(k.offsetPan, -tenth, 1e-12);
             SectionKeyPan(k, SectionKey::Down);
             SectionKeyPan(k, SectionKey::Right);
             EXPECT_NEAR(k.heightPan, 0.0, 1e-12);
             EXPECT_NEAR(k.offsetPan, 0.0, 1e-12);
         }},
        {"hit test: ties go left before right, lower index first; radius is a strict bound",
         [] {
             SectionFrame f = Frame800x400();
             // Two left points and one right point at the same spot, 1 m from the cursor.
             const std::vector<SectionWorld> left = {{-5.0, 0.0}, {1.0, 0.0}, {1.0, 0.0}};
             const std::vector<SectionWorld> right = {{1.0, 0.0}};
             SectionHit h = HitTestSectionPoints(f, 15.0, 400, 200, left, right);
             EXPECT_EQ(h.code, -2);
             EXPECT_EQ(h.left, 2);
             EXPECT_EQ(h.right, 0);
             h = HitTestSectionPoints(f, 15.0, 400, 200, {}, {{0.5, 0.0}, {0.5, 0.0}});
             EXPECT_EQ(h.code, 1);
             EXPECT_EQ(h.left, 0);
             EXPECT_EQ(h.right, 1);
             // 1 m = 14.4 px: outside 14 px, inside 15 px.
             EXPECT_EQ(HitTestSectionPoints(f, 14.0, 400, 200, {}, right).code, 0);
             EXPECT_EQ(HitTestSectionPoints(f, 15.0, 400, 200, {}, right).code, 1);
         }},
        {"selected mark inside the frame moves the anchor; outside, the view pans under it",
         [] {
             SectionFrame f = Frame800x400();
             SectionPixel anchor{400, 200};
             SectionPixel m = PlaceSectionMark(f, 10.0, 0.0, anchor);
             EXPECT_EQ(m, (SectionPixel{544, 200}));
             EXPECT_EQ(anchor, m);
             anchor = {400, 200};
             m = PlaceSectionMark(f, 100.0, 0.0, anchor);
             EXPECT_EQ(m, anchor);
             UpdateSectionScale(f, 50, 50, 0.9);
             EXPECT_EQ(SectionWorldToScreen(f, 100.0, 0.0).x, 400);
         }},
        {"readout format",
         [] { EXPECT_EQ(FormatSectionReadout(-1.5, 12.25), "D: -1.500 H: 12.250  "); }},
    });
}

}  // namespace
