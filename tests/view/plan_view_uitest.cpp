// The plan view end to end in the program's own windows: an empty document paints white;
// a survey opened through the menu shows its TIN, outline and points in their colours
// where the projection puts them; the view's commands, wheel and keys move it.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "../support/survey_data.h"
#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/document.h"
#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "shell/command_table.h"
#include "shell/tool_mode.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_history.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace fs = std::filesystem;

using namespace ui_driver;

namespace {
QString g_root;

constexpr int kShowAll = 32800;
constexpr int kPreviousScreen = 32776;
constexpr int kZoomIn = 32775;
constexpr int kBirdsEyeSwitch = 32805;
constexpr int kShowTin = 32771;
constexpr int kShowPoints = 32885;

// The fixture: a 3 x 3 grid of points 10 m apart (G1 south-west .. G9 north-east), eight
// triangles and the outline through the eight border points.
fs::path Fixture() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

QPoint Midpoint(int32_t a, int32_t b) {
    const QPoint pa = WindowPosition(a), pb = WindowPosition(b);
    return {(pa.x() + pb.x()) / 2, (pa.y() + pb.y()) / 2};
}

}  // namespace

class PlanViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseProgramFolderIn(g_root);  // no start-up data set there
    }

    void emptyDocumentThenSurveyInThePlan() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        QVERIFY(view->width() > 100 && view->height() > 100);

        QImage empty = view->grab().toImage();
        QCOMPARE(empty.size(), view->size());
        bool white = true;
        for (int y = 0; y < empty.height() && white; ++y)
            for (int x = 0; x < empty.width(); ++x)
                if (empty.pixel(x, y) != qRgb(255, 255, 255)) {
                    white = false;
                    break;
                }
        QVERIFY(white);
        QVERIFY(!Enabled(frame, kShowAll));
        QVERIFY(!Enabled(frame, kPreviousScreen));

        // Open through the menu, then the plan with TIN and points.
        OpenFile(frame, Fixture());
        QCOMPARE(g_pointCount, 9);
        QCOMPARE(g_tinEdgeCount, 16);
        QCOMPARE(g_outline.Count(), 8);
        view->grab();
        QVERIFY2(!Enabled(frame, kPreviousScreen), "nothing to go back to after a load");
        // The survey opens in the bird's-eye view with the TIN and the points hidden; the
        // menus switch to the plan and show the points.
        QCOMPARE(g_birdsEyeOn, 1);
        QCOMPARE(g_showTin, 0);
        QVERIFY(Checked(frame, kBirdsEyeSwitch));
        Choose(frame, kBirdsEyeSwitch);
        QCOMPARE(g_birdsEyeOn, 0);
        QVERIFY(!Checked(frame, kBirdsEyeSwitch));
        Choose(frame, kShowPoints);
        QCOMPARE(g_showPoints, -1);
        g_colorBandOn = 0;  // the colour-band switch comes with its dialog
        QVERIFY(Enabled(frame, kShowAll));
        frame->ExecuteCommand(kShowAll);
        QCOMPARE(g_birdsEyeOn, 0);

        // Then the TIN through its menu item, which is enabled now that a TIN exists.
        const QRgb tin = Rgb(g_colorTable[30]);
        const QImage bare = view->grab().toImage();
        QVERIFY(bare.pixel(Midpoint(2, 5)) != tin);
        QVERIFY(Enabled(frame, kShowTin));
        QVERIFY(!Checked(frame, kShowTin));
        Choose(frame, kShowTin);
        QCOMPARE(g_showTin, -1);
        QVERIFY(Checked(frame, kShowTin));

        const QImage plan = view->grab().toImage();
        const QRgb outline = Rgb(g_colorTable[40]);
        const QRgb background = Rgb(g_colorTable[10]);
        // Inner edges in the TIN colour; the diagonal may fall a pixel beside its midpoint.
        QCOMPARE(plan.pixel(Midpoint(2, 5)), tin);
        QCOMPARE(plan.pixel(Midpoint(4, 5)), tin);
        QVERIFY(Near(plan, Midpoint(1, 5), tin));
        // Border edges in the outline colour (drawn over the TIN).
        QCOMPARE(plan.pixel(Midpoint(1, 2)), outline);
        QCOMPARE(plan.pixel(Midpoint(9, 6)), outline);
        // Points with the pen: the inner point in the point colour, a border point in the
        // colour of outline vertices, one pixel each.
        const QPoint centre = WindowPosition(5);
        QCOMPARE(plan.pixel(centre), Rgb(g_colorTable[20]));
        QCOMPARE(plan.pixel(WindowPosition(1)), Rgb(g_colorTable[22]));
        QCOMPARE(plan.pixel(centre + QPoint(3, 3)), background);
        // The overall view puts the middle of the data at the middle of the window.
        QVERIFY((centre - QPoint(view->width() / 2, view->height() / 2)).manhattanLength() <= 1);

        // A thicker pen.
        g_penSize = 3;
        g_redrawMask = -1;
        const QImage thick = view->grab().toImage();
        g_penSize = 1;
        QCOMPARE(thick.pixel(centre + QPoint(-1, 0)), Rgb(g_colorTable[20]));
        QCOMPARE(thick.pixel(centre + QPoint(1, 0)), Rgb(g_colorTable[20]));

        // Zoom in, then back through the previous screen.
        const double scale = g_viewScale;
        frame->ExecuteCommand(kZoomIn);
        QCOMPARE(g_viewScale, scale * 1.2);
        QVERIFY(Enabled(frame, kPreviousScreen));
        frame->ExecuteCommand(kPreviousScreen);
        QVERIFY(std::abs(g_viewScale - scale) < 1e-6 * scale);

        // The wheel keeps the ground under the cursor.
        const double restored = g_viewScale;
        const QPoint at(view->width() / 3, view->height() / 4);
        double x0, y0, x1, y1;
        ClientToGround(at.x(), at.y(), x0, y0);
        QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        QCOMPARE(g_viewScale, restored * 1.2);
        ClientToGround(at.x(), at.y(), x1, y1);
        QVERIFY(std::abs(x1 - x0) < 1e-9 && std::abs(y1 - y0) < 1e-9);

        // The arrow key pans by a fifth of the view.
        const double centreY = g_viewCenterY;
        QTest::keyClick(view, Qt::Key_Right);
        QVERIFY(std::abs(g_viewCenterY - (centreY + 0.2 / g_viewScale * g_bufferMaxX)) < 1e-9);

        // A zoom box through the mouse.
        frame->ExecuteCommand(32790);
        QCOMPARE(g_dragState, 16);
        const double before = g_viewScale;
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(60, 40), view->mapToGlobal(QPointF(60, 40)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QCOMPARE(g_dragState, 19);
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(60, 40));
        QCOMPARE(g_dragState, 16);
        QVERIFY(g_viewScale > before * 4);
        g_dragState = 0;
    }

    // A real survey: the 20,000 scattered Jacksboro points, their convex hull as the
    // outline and the TIN the grid builder makes, in the plan. The picture is saved into
    // $NOSTREL_SCREENS when that is set.
    void jacksboroScatterInThePlan() {
        const fs::path survey = SurveyFile("jacksboro_scatter20k.RND");

        MainWindow window;
        QVERIFY(Start(window, QSize(1280, 960)));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        OpenFile(frame, survey);
        QCOMPARE(g_pointCount, 20000);

        SetConvexHullOutline();
        g_tinEdgeCapacity = 4 * g_pointCount;
        QCOMPARE(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
        OrientPolygonClockwise(g_outline);
        MarkPointsOutsideOutline(g_outline);
        BuildTinGrid();
        QCOMPARE(int(LastTinBuildResult()), int(TinBuildResult::kComplete));
        QVERIFY(g_tinEdgeCount > 3 * 20000 - 100);

        g_showTin = -1;
        g_showPoints = -1;
        g_colorBandOn = 0;
        frame->ExecuteCommand(kShowAll);
        const QImage plan = view->grab().toImage();
        // Most of the overall view is TIN: the data fill the window's shorter side.
        int tin = 0;
        const QRgb tinColor = Rgb(g_colorTable[30]);
        for (int y = 0; y < plan.height(); ++y)
            for (int x = 0; x < plan.width(); ++x) tin += plan.pixel(x, y) == tinColor;
        QVERIFY(tin > plan.width() * plan.height() / 10);
        const QByteArray screens = qgetenv("NOSTREL_SCREENS");
        if (!screens.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(screens));
            QVERIFY(plan.save(QString::fromLocal8Bit(screens) + "/plan_jacksboro.png"));
        }
    }

private:
    // The convex hull of the points (Andrew's monotone chain) as the closed outline.
    static void SetConvexHullOutline() {
        std::vector<int32_t> order(g_pointCount);
        for (int32_t i = 0; i < g_pointCount; ++i) order[i] = i + 1;
        auto key = [](int32_t i) { return std::pair(g_points[i].y, g_points[i].x); };
        std::sort(order.begin(), order.end(),
                  [&](int32_t a, int32_t b) { return key(a) < key(b); });
        auto cross = [](int32_t o, int32_t a, int32_t b) {
            const RandomPoint &p = g_points[o], &q = g_points[a], &r = g_points[b];
            return (q.y - p.y) * (r.x - p.x) - (q.x - p.x) * (r.y - p.y);
        };
        std::vector<int32_t> hull;
        for (int pass = 0; pass < 2; ++pass) {
            const size_t start = hull.size();
            for (int32_t i : order) {
                while (hull.size() >= start + 2 &&
                       cross(hull[hull.size() - 2], hull.back(), i) <= 0)
                    hull.pop_back();
                hull.push_back(i);
            }
            hull.pop_back();
            std::reverse(order.begin(), order.end());
        }
        g_outline.Reset();
        for (int32_t i : hull) {
            g_outline.Append(i);
            g_points[i].flags = kPointFlagOutline;
        }
        g_outline.Close();
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<PlanViewTest>(argc, argv, &g_root);
}

#include "plan_view_uitest.moc"
