// The inclined plane's gizmo in the plan view, driven by real mouse events: where its
// handles are drawn, the direction drag, the target pick, the reference drags and the
// double-click, and the drags it leaves alone.
#include <QtTest>
#include <cmath>
#include <filesystem>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "shell/tool_windows.h"
#include "view/color_band_gizmo.h"
#include "view/color_band_params.h"
#include "view/view_navigation.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
QString g_root;

// Stands for the colour-band dialog: the gizmo only asks whether it is open.
class OpenBandDialog : public ToolWindowHandle {
public:
    OpenBandDialog() { SetToolWindow(ToolWindow::kColorBand, this); }
    ~OpenBandDialog() override { ClearToolWindow(ToolWindow::kColorBand, this); }
    void CloseToolWindow() override {}
};

void SendDoubleClick(QWidget* view, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(at), QPointF(view->mapToGlobal(at)), Qt::LeftButton,
                      Qt::LeftButton, modifiers);
    QApplication::sendEvent(view, &event);
    QTest::mouseRelease(view, Qt::LeftButton, modifiers, at);
}

// A quarter turn clockwise on the screen around `centre`, from north to east.
std::vector<QPoint> QuarterTurn(QPoint centre, int radius) {
    std::vector<QPoint> path;
    for (int deg = 0; deg <= 90; deg += 10) {
        const double a = deg * M_PI / 180;
        path.push_back(centre + QPoint(static_cast<int>(std::lround(radius * std::sin(a))),
                                       -static_cast<int>(std::lround(radius * std::cos(a)))));
    }
    return path;
}
}  // namespace

class ColorBandGizmoTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void dragsInThePlan() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QVERIFY(g_tinPresent != 0);
        OpenBandDialog dialog;
        int fieldRefreshes = 0;
        SetColorBandGizmoChangedHandler([&] { ++fieldRefreshes; });

        // Four pixels a metre; the reference point 30 m south and 40 m west of G5 (110.0),
        // 5 m below it, at the view centre.
        g_birdsEyeOn = 0;
        g_viewCenterX = 980;
        g_viewCenterY = 1970;
        g_viewScale = 4;
        ColorBandParams& p = g_colorBandParams;
        p.mode = 0;
        p.refInclined = 1;
        p.refX = 980;
        p.refY = 1970;
        p.refH = 105;
        p.refDirection = 0;
        p.refInclination = 0;
        g_redrawMask = -1;
        w.view->repaint();
        const QPoint c(g_viewportCenterX, g_viewportCenterY);

        // a = 150 px: the direction handle north of R, the base line across it.
        GizmoScreen s = ProjectColorBandGizmo();
        QCOMPARE(QPoint(s.refX, s.refY), c);
        QCOMPARE(QPoint(s.dirX, s.dirY), c + QPoint(0, -150));
        QCOMPARE(QPoint(s.baseAX, s.baseAY), c + QPoint(-150, 0));
        QCOMPARE(QPoint(s.baseBX, s.baseBY), c + QPoint(150, 0));
        QCOMPARE(QPoint(s.groundX, s.groundY), c + QPoint(0, -135));
        QImage picture = w.view->grab().toImage();
        QCOMPARE(picture.pixel(c + QPoint(0, -150)), qRgb(255, 192, 0));
        QCOMPARE(picture.pixel(c + QPoint(-100, 0)), qRgb(255, 128, 128));
        QCOMPARE(picture.pixel(c + QPoint(0, -60)), qRgb(0, 192, 192));

        // The direction handle dragged a quarter turn clockwise: θ + 90.
        Drag(w.view, QuarterTurn(c, 150));
        QVERIFY2(std::abs(p.refDirection - 90) < 1e-9, qPrintable(QString::number(p.refDirection)));
        QVERIFY(fieldRefreshes > 0);
        w.view->repaint();
        QCOMPARE(w.view->grab().toImage().pixel(c + QPoint(150, 0)), qRgb(255, 192, 0));

        // With Ctrl or Alt the handle stays where it is.
        std::vector<QPoint> back = QuarterTurn(c, 150);
        std::reverse(back.begin(), back.end());
        Drag(w.view, back, Qt::ControlModifier);
        QCOMPARE(p.refDirection, 90.0);
        QTest::keyPress(w.view, Qt::Key_Alt);
        Drag(w.view, back, Qt::AltModifier);
        QTest::keyRelease(w.view, Qt::Key_Alt);
        QCOMPARE(p.refDirection, 90.0);

        // The target option: a click on G5 (ΔX 30, ΔY 40, ΔZ 5) aims the plane.
        const QPoint g5 = c + QPoint(160, -120);
        g_colorBandGizmo.targetOption = true;
        Drag(w.view, {g5 + QPoint(-40, 0), g5 + QPoint(-20, 0), g5});  // a drag aims nothing
        QCOMPARE(p.refDirection, 90.0);
        QVERIFY(!g_colorBandGizmo.targetPicked);
        Click(w.view, g5);
        QVERIFY2(std::abs(p.refDirection - 53.130) < 0.0005, qPrintable(QString::number(p.refDirection)));
        QVERIFY2(std::abs(p.refInclination - 5.711) < 0.0005, qPrintable(QString::number(p.refInclination)));
        QCOMPARE(p.refX, 980.0);
        w.view->repaint();
        QCOMPARE(w.view->grab().toImage().pixel(g5 + QPoint(0, 5)), qRgb(255, 192, 255));  // the cross
        g_colorBandGizmo.targetOption = false;

        // The reference point dragged with Shift keeps its height; without, it takes the TIN's.
        const QPoint g4 = c + QPoint(120, -120);  // (1010, 2000), 104.75
        Drag(w.view, {c, c + QPoint(60, -60), g4}, Qt::ShiftModifier);
        QCOMPARE(p.refX, 1010.0);
        QCOMPARE(p.refY, 2000.0);
        QCOMPARE(p.refH, 105.0);
        Drag(w.view, {g4, g4 + QPoint(20, 0), g5});
        QCOMPARE(p.refX, 1010.0);
        QCOMPARE(p.refY, 2010.0);
        QVERIFY(std::abs(p.refH - 110.0) < 1e-9);

        // A double-click moves it straight to the point.
        SendDoubleClick(w.view, g4);
        QCOMPARE(p.refY, 2000.0);
        QVERIFY(std::abs(p.refH - 104.75) < 1e-9);

        // With the horizontal reference there is no gizmo to drag.
        p.refInclined = 0;
        w.view->repaint();
        s = ProjectColorBandGizmo();
        const QPoint handle(s.dirX, s.dirY);
        QVERIFY(w.view->grab().toImage().pixel(handle) != qRgb(255, 192, 0));
        const double direction = p.refDirection;
        Drag(w.view, {handle, handle + QPoint(0, 40), handle + QPoint(0, 80)});
        QCOMPARE(p.refDirection, direction);
        SetColorBandGizmoChangedHandler(nullptr);
    }

    // In the bird's-eye view the direction handle keeps the offset of its press, the slope
    // handle sets the inclination from its height over the tick, and a level camera leaves
    // the direction alone.
    void dragsInTheBirdsEyeView() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        OpenBandDialog dialog;
        if (!g_birdsEyeOn) Choose(w.frame, 32805);
        QVERIFY(g_birdsEyeOn);
        ColorBandParams& p = g_colorBandParams;
        p.mode = 1;
        p.refInclined = 1;
        p.refX = 1010;
        p.refY = 2010;
        p.refH = 110;
        p.refDirection = 30;
        p.refInclination = 0;
        g_redrawMask = -1;
        w.view->repaint();
        GizmoScreen s = ProjectColorBandGizmo();
        const QPoint dir(s.dirX, s.dirY), slope(s.slopeX, s.slopeY);
        QVERIFY(w.view->rect().contains(dir) && w.view->rect().contains(slope));
        QVERIFY(Near(w.view->grab().toImage(), slope, qRgb(0, 192, 255)));

        // Pressed a few pixels beside the handle and moved back onto it: no jump.
        Drag(w.view, {dir + QPoint(3, 2), dir + QPoint(3, 3), dir + QPoint(3, 2)});
        QVERIFY2(std::abs(p.refDirection - 30) < 1e-9, qPrintable(QString::number(p.refDirection)));

        // The slope handle raised to the tick's height above G: a slope of 0.1.
        w.view->repaint();
        s = ProjectColorBandGizmo();
        const int tick = s.groundY - s.tickY;
        QVERIFY(tick > 2);
        Drag(w.view, {QPoint(s.slopeX, s.slopeY), QPoint(s.slopeX, s.slopeY - 5), QPoint(s.groundX, s.groundY - tick)});
        QVERIFY2(std::abs(std::tan(p.refInclination * M_PI / 180) - 0.1) < 1e-3,
                 qPrintable(QString::number(p.refInclination)));
        QCOMPARE(p.refDirection, 30.0);

        // A level camera: the direction handle does not follow.
        g_birdsEyeTilt = 0.0005;
        g_redrawMask = -1;
        w.view->repaint();
        s = ProjectColorBandGizmo();
        QVERIFY(w.view->rect().contains(QPoint(s.dirX, s.dirY)));
        Drag(w.view, {QPoint(s.dirX, s.dirY), QPoint(s.dirX + 30, s.dirY + 30)});
        QCOMPARE(p.refDirection, 30.0);
    }
};

int main(int argc, char** argv) { return RunWindowTest<ColorBandGizmoTest>(argc, argv, &g_root); }

#include "color_band_gizmo_uitest.moc"
