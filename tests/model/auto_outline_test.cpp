#include "model/auto_outline.h"

#include <CGAL/convex_hull_2.h>
#include <gtest/gtest.h>

#include "model/point_in_outline.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "platform/window_state.h"
#include "shell/status_text.h"
#include "shell/tool_mode.h"
#include "tin_cgal_support.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "view/view_transform.h"

using namespace tintest;

namespace {

class AutoOutlineTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        SetHeadlessKeyDown(key::kMouseRight, false);
        SetHeadlessPumpCallback(nullptr);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

std::vector<int32_t> OutlineVertices() {
    std::vector<int32_t> v;
    for (int32_t i = 1; i <= g_outline.Count(); ++i) v.push_back(g_outline[i]);
    return v;
}

// The convex hull by CGAL, counterclockwise on the map, from the westernmost point.
std::vector<int32_t> CgalHull() {
    std::vector<std::pair<Point, int32_t>> in;
    for (int32_t p = 1; p <= g_pointCount; ++p)
        if (g_points[p].invalid == 0) in.emplace_back(MapPoint(p), p);
    std::vector<Point> points;
    std::map<std::pair<double, double>, int32_t> index;
    for (auto& [pt, p] : in) {
        points.push_back(pt);
        index[{pt.x(), pt.y()}] = p;
    }
    std::vector<Point> hull;
    CGAL::convex_hull_2(points.begin(), points.end(), std::back_inserter(hull));
    std::vector<int32_t> ids;
    for (const Point& h : hull) ids.push_back(index[{h.x(), h.y()}]);
    std::rotate(
        ids.begin(),
        std::min_element(ids.begin(), ids.end(),
                         [](int32_t a, int32_t b) { return g_points[a].y < g_points[b].y; }),
        ids.end());
    return ids;
}

// Every valid point lies inside the outline or on it (CGAL's exact predicate).
bool EveryValidPointInside() {
    const std::vector<Point> poly = OutlinePolygon();
    for (int32_t p = 1; p <= g_pointCount; ++p)
        if (g_points[p].invalid == 0 && CGAL::bounded_side_2(poly.begin(), poly.end(), MapPoint(p),
                                                             Kernel()) == CGAL::ON_UNBOUNDED_SIDE)
            return false;
    return true;
}

void RandomDisc(int32_t n, uint32_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int32_t i = 0; i < n; ++i) {
        const double r = 500 * std::sqrt(u(rng)), a = 2 * M_PI * u(rng);
        AddPoint(1000 + r * std::cos(a), 2000 + r * std::sin(a));
    }
}

}  // namespace

TEST_F(AutoOutlineTest, ALargeDistanceGivesTheConvexHullCounterclockwiseFromTheWesternmostPoint) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        InitDataModel();
        RandomDisc(3000, seed);
        for (int32_t p = 1; p <= 300; ++p) g_points[p * 7].invalid = 1;  // not taken
        ASSERT_EQ(BuildAutoOutline(1e6), kAutoOutlineDone);
        EXPECT_TRUE(g_outline.IsClosed());
        EXPECT_EQ(OutlineVertices(), CgalHull()) << seed;
        // The walk ended closed: only the outline vertices carry the mark.
        const std::vector<int32_t> vertices = OutlineVertices();
        for (int32_t p = 1; p <= g_pointCount; ++p)
            ASSERT_EQ(g_points[p].flags, std::count(vertices.begin(), vertices.end(), p) ? 1 : 0)
                << p;
        EXPECT_EQ(StatusText().rfind("作成外周 ", 0), 0u);
        EXPECT_NE(StatusText().find(std::to_string(g_outline.Count()) + " ライン"),
                  std::string::npos);
    }
}

TEST_F(AutoOutlineTest, DefaultDistanceFormulas) {
    struct Case {
        int32_t n;
        double extent, want;
    };
    const Case cases[] = {
        {20000, 38134.0, 38134.0 / std::sqrt(20000.0) + 0.005 * 38134.0},
        {1000, 100.0, 100.0 / std::sqrt(1000.0) + 0.5},
        {999, 100.0, 0.5 * 100.0 / std::sqrt(999.0) + 7.0},
        {30, 100.0, 0.5 * 100.0 / std::sqrt(30.0) + 7.0},
        {29, 100.0, 50.0},
        {0, 100.0, 50.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(DefaultAutoOutlineDistance(c.n, c.extent), c.want) << c.n;

    // The dialog opens with it.
    RandomDisc(40, 1);
    g_extentSize = 200;
    AutoOutlineDialogValues values;
    OpenAutoOutlineDialog(values);
    EXPECT_EQ(g_autoOutlineWnd, 1);
    EXPECT_DOUBLE_EQ(g_autoOutlineDistance, 0.5 * 200 / std::sqrt(40.0) + 14);
    EXPECT_EQ(values.distanceText, "29.811");
    CloseAutoOutlineDialog();
    EXPECT_EQ(g_autoOutlineWnd, 0);
}

TEST_F(AutoOutlineTest, WheelStepsAndTypedDistances) {
    EXPECT_DOUBLE_EQ(StepAutoOutlineDistance(10, 120, 100), 11);
    EXPECT_DOUBLE_EQ(StepAutoOutlineDistance(11, -120, 100), 11 * 0.9090909090909091);
    EXPECT_DOUBLE_EQ(StepAutoOutlineDistance(999, 120, 100), 1000);  // at most 10 x the extent
    EXPECT_DOUBLE_EQ(StepAutoOutlineDistance(0.0105, -120, 100), 0.01);
    EXPECT_DOUBLE_EQ(StepAutoOutlineDistance(7, 0, 100), 7);

    g_extentSize = 100;
    g_autoOutlineDistance = 10;
    AutoOutlineDialogValues values;
    AutoOutlineDistanceWheel(120, values);
    EXPECT_EQ(values.distanceText, " 11.000");
    AutoOutlineDistanceWheel(-120, values);
    EXPECT_EQ(values.distanceText, " 10.000");

    struct Typed {
        const char* text;
        double want;
    };
    const Typed typed[] = {{"12.5", 12.5}, {"0", 12.5}, {"-3", 12.5},
                           {"abc", 12.5},  {"", 12.5},  {" 7 ", 7}};
    for (const Typed& t : typed) {
        values.distanceText = t.text;
        AutoOutlineDistanceLeft(values);
        EXPECT_DOUBLE_EQ(g_autoOutlineDistance, t.want) << t.text;
        EXPECT_EQ(values.distanceText, FormatString("%3.3f", t.want)) << t.text;
    }
}

namespace {
// A lattice of spacing 1 over 21 x 21 nodes with a notch 5 wide and 15 deep cut in from
// the south (Y columns 8..12, X rows 0..14 left out).
void NotchedLattice() {
    for (int32_t r = 0; r <= 20; ++r)
        for (int32_t c = 0; c <= 20; ++c)
            if (!(c >= 8 && c <= 12 && r <= 14)) AddPoint(r, c);
}
bool OutlineEntersNotch() {
    for (int32_t p : OutlineVertices())
        if (g_points[p].y >= 7 && g_points[p].y <= 13 && g_points[p].x >= 1 && g_points[p].x <= 15)
            return true;
    return false;
}
}  // namespace

TEST_F(AutoOutlineTest, BaysWiderThanTheCircleAreFollowedNarrowerOnesBridged) {
    NotchedLattice();
    ASSERT_EQ(BuildAutoOutline(1.0), kAutoOutlineDone);
    EXPECT_TRUE(EveryValidPointInside());
    EXPECT_TRUE(OutlineEntersNotch());
    for (int32_t i = 1; i <= g_outline.Count(); ++i) {
        const RandomPoint &a = g_points[g_outline[i]], &b = g_points[g_outline[i + 1]];
        EXPECT_LE(std::hypot(a.x - b.x, a.y - b.y), 2.0 + 1e-9)
            << "no side longer than the diameter";
    }

    InitDataModel();
    NotchedLattice();
    ASSERT_EQ(BuildAutoOutline(4.0), kAutoOutlineDone);  // a diameter of 8 spans the notch
    EXPECT_TRUE(EveryValidPointInside());
    EXPECT_FALSE(OutlineEntersNotch());
}

TEST_F(AutoOutlineTest, ADistanceBelowThePointSpacingDoublesTheRadius) {
    // 0.35 doubles four times to 5.6: a circle that reaches the next corner 10 away, while
    // its diameter stays within the 12 m box.
    const int32_t a = AddPoint(0, 0), b = AddPoint(0, 10), c = AddPoint(10, 10),
                  d = AddPoint(10, 0);
    ASSERT_EQ(BuildAutoOutline(0.35), kAutoOutlineDone);
    // From the westernmost (the first of the two with Y 0) round counterclockwise on the map.
    EXPECT_EQ(OutlineVertices(), (std::vector<int32_t>{a, b, c, d}));
}

TEST_F(AutoOutlineTest, TheRightButtonAsksToStop) {
    RandomDisc(5000, 9);
    SetHeadlessKeyDown(key::kMouseRight, true);
    QueueMessageAnswer(msg::kIdNo);
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(BuildAutoOutline(30), kAutoOutlineStopped);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[0].text, "自動外周処理を中止します");
    EXPECT_EQ(RecordedMessages()[0].caption, "中断要求");
    EXPECT_EQ(RecordedMessages()[0].buttons & msg::kButtonMask, msg::kYesNo);
    // What was built stays, open, its vertices marked.
    EXPECT_GT(g_outline.Count(), 1);
    EXPECT_FALSE(g_outline.IsClosed());
    for (int32_t p : OutlineVertices())
        EXPECT_EQ(g_points[p].flags & kPointFlagOutline, kPointFlagOutline);
}

TEST_F(AutoOutlineTest, RunAsksAboutTheOutlineThereIs) {
    RandomDisc(2000, 4);
    g_extentSize = 1200;
    AutoOutlineDialogValues values;
    OpenAutoOutlineDialog(values);

    // Closed outline, Cancel: nothing happens and the dialog stays.
    ASSERT_EQ(BuildAutoOutline(1e6), kAutoOutlineDone);
    const std::vector<int32_t> hull = OutlineVertices();
    QueueMessageAnswer(msg::kIdCancel);
    EXPECT_FALSE(RunAutoOutline(values));
    EXPECT_EQ(OutlineVertices(), hull);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text,
              "現在の外周は解除されます\n "
              "よろしいですか\r\r※【いいえ】を押すと現在の外周内の点のみを\r　使用して外周計算を行"
              "います");
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kYesNoCancel | msg::kIconQuestion);

    // Yes: a new outline with the dialog's distance; the dialog closes.
    g_autoOutlineDistance = 60;
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_TRUE(RunAutoOutline(values));
    EXPECT_TRUE(g_outline.IsClosed());
    EXPECT_TRUE(EveryValidPointInside());
    EXPECT_GT(g_outline.Count(), static_cast<int32_t>(hull.size()));
    EXPECT_DOUBLE_EQ(g_autoOutlineDistance, 60);
    EXPECT_EQ(g_autoOutlineWnd, 0);
    EXPECT_FALSE(WaitCursorShown());
}

TEST_F(AutoOutlineTest, NoLimitsTheWalkToThePointsInsideTheOldOutline) {
    RandomDisc(3000, 5);
    // The old outline: a square inside the disc.
    const int32_t s1 = AddPoint(800, 1800), s2 = AddPoint(800, 2200), s3 = AddPoint(1200, 2200),
                  s4 = AddPoint(1200, 1800);
    SetOutline({s1, s2, s3, s4});
    // Points outside it that were invalid before keep their flags.
    const int32_t invalid99 = 3, invalid3 = 5, invalid1 = 6;
    g_points[invalid99].x = 1400;
    g_points[invalid3].x = 1400;
    g_points[invalid1].x = 1400;
    g_points[invalid99].invalid = 99;
    g_points[invalid3].invalid = 3;
    g_points[invalid1].invalid = 1;
    std::vector<Point> square{MapPoint(s1), MapPoint(s4), MapPoint(s3), MapPoint(s2)};
    AutoOutlineDialogValues values;
    g_autoOutlineDistance = 40;
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_TRUE(RunAutoOutline(values));
    EXPECT_TRUE(g_outline.IsClosed());
    for (int32_t p : OutlineVertices())
        EXPECT_NE(CGAL::bounded_side_2(square.begin(), square.end(), MapPoint(p), Kernel()),
                  CGAL::ON_UNBOUNDED_SIDE);
    EXPECT_EQ(g_points[invalid99].invalid, 99);
    EXPECT_EQ(g_points[invalid3].invalid, 3);
    EXPECT_EQ(g_points[invalid1].invalid, 1);
    for (int32_t p = 1; p <= g_pointCount; ++p)
        if (p != invalid99 && p != invalid3 && p != invalid1) {
            ASSERT_EQ(g_points[p].invalid, 0) << p;
        }
    EXPECT_EQ(g_pickList2.Count(), 0);
}

TEST_F(AutoOutlineTest, AnOpenOutlineIsContinuedOrStartedAgain) {
    RandomDisc(2000, 6);
    ASSERT_EQ(BuildAutoOutline(1e6), kAutoOutlineDone);
    const std::vector<int32_t> hull = OutlineVertices();
    // Keep the first five vertices as an open outline.
    g_outline.Reset();
    for (int32_t i = 0; i < 5; ++i) g_outline.Append(hull[i]);
    AutoOutlineDialogValues values;
    g_autoOutlineDistance = 1e6;
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_TRUE(RunAutoOutline(values));
    EXPECT_EQ(RecordedMessages().back().text, "現在の外周に追加します\n よろしいですか");
    EXPECT_EQ(OutlineVertices(), hull);

    // No: the open outline goes and the walk starts again from the westernmost point.
    g_outline.Reset();
    g_outline.Append(hull[3]);
    g_outline.Append(hull[4]);
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_TRUE(RunAutoOutline(values));
    EXPECT_EQ(OutlineVertices(), hull);
}

TEST_F(AutoOutlineTest, ACrossingEndsTheWalkWithItsMessage) {
    // Continuing an open outline that runs through the cloud: the walk meets its own sides.
    RandomDisc(1000, 8);
    const int32_t west = AddPoint(1000, 1400), east = AddPoint(1000, 2600);
    const int32_t north = AddPoint(1600, 2000);
    g_outline.Append(north);
    g_outline.Append(west);
    g_outline.Append(east);
    g_outline.Append(north - 3);
    AutoOutlineDialogValues values;
    g_autoOutlineDistance = 1e6;
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_TRUE(RunAutoOutline(values));
    ASSERT_GE(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages().back().text, "外周ラインが交差しました");
    EXPECT_EQ(RecordedMessages().back().caption, "自動外周処理失敗");
    EXPECT_FALSE(g_outline.IsClosed());
}

TEST_F(AutoOutlineTest, OnAutoOutlineShowsThePointsAndRunsTheDialog) {
    RandomDisc(100, 7);
    g_showPoints = 0;
    g_toolMode = 4;
    bool ran = false;
    OnAutoOutline([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(g_showPoints, -1);
    EXPECT_EQ(g_toolMode, 0);
}
