// View settings from the menu on an opened survey. 方眼表示: the grid-interval dialog
// stores a positive spacing, shows it again next time, ignores anything else, and the grid
// comes on even when cancelled. 光源設定: clicks in the round widget set the light
// direction and redraw the view fully; the command toggles the window.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QtTest>
#include <cmath>
#include <filesystem>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "shell/tool_windows.h"
#include "shell/ui/main_frame.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/ui/light_direction_widget.h"
#include "view/ui/light_source_dialog.h"
#include "view/view_helpers.h"
#include "view/view_state.h"
#include "model/auto_outline.h"

using namespace ui_driver;

namespace {
QString g_root;
constexpr int kGrid = 32854;
constexpr int kLight = 32961;
std::filesystem::path Fixture() { return std::filesystem::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

// Counts the view's paints that come with a full redraw asked for.
class FullRedraws : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && g_redrawMask < 0) ++count;
        return false;
    }
};
}  // namespace

class ViewSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void gridIntervalFromTheMenu() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        OpenFile(frame, Fixture());
        QVERIFY(g_pointCount > 0);
        // The grid belongs to the plan.
        if (g_birdsEyeOn) Choose(frame, 32805);
        QVERIFY(!g_birdsEyeOn);
        g_gridInterval = 1000;
        g_showGrid = 0;

        QString shown;
        WhenModal("CGridIntervalDlg", [&](QWidget* dlg) {
            auto* edit = Control<QLineEdit>(dlg, 1082);
            shown = edit->text();
            edit->setText("25");
            Press(dlg, "1");
        });
        Choose(frame, kGrid);
        QCOMPARE(shown, QString("1000.000"));
        QCOMPARE(g_gridInterval, 25.0);
        QVERIFY(g_showGrid != 0);

        Choose(frame, kGrid);  // hides without asking
        QCOMPARE(g_showGrid, 0);

        // Bad entries keep 25, by OK or by the close box; either way the grid comes on.
        struct Case {
            const char* typed;
            bool ok;
        };
        const Case cases[] = {{"0", true}, {"-3", true}, {"abc", true}, {"", true}, {"0", false}, {"-3", false}};
        for (const Case& c : cases) {
            WhenModal("CGridIntervalDlg", [&shown, c](QWidget* dlg) {
                auto* edit = Control<QLineEdit>(dlg, 1082);
                shown = edit->text();
                edit->setText(c.typed);
                if (c.ok) Press(dlg, "1");
                else dlg->close();
            });
            g_showGrid = 0;
            Choose(frame, kGrid);
            QCOMPARE(shown, QString("25.000"));
            QCOMPARE(g_gridInterval, 25.0);
            QVERIFY2(g_showGrid != 0, c.typed);
        }
    }

    // 自動外周: the search distance shows as a circle round the view centre while the dialog
    // is open, and goes with it.
    void autoOutlineSearchCircle() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        OpenFile(frame, Fixture());
        QVERIFY(g_pointCount > 0);
        if (g_birdsEyeOn) Choose(frame, 32805);
        QWidget* view = frame->ViewWidget();
        // Red pixels at the circle's top and bottom, where nothing else is red.
        auto onCircle = [view](int want) {
            int cx = 0, cy = 0, r = 0;
            const bool shown = AutoOutlineSearchCircle(cx, cy, r);
            const QImage picture = view->grab().toImage();
            int found = 0;
            for (QPoint p : {QPoint(cx, cy - r), QPoint(cx, cy + r)})
                found += picture.rect().contains(p) && Near(picture, p, qRgb(255, 0, 0));
            return shown && found == want;
        };
        bool whileOpen = false;
        WhenModal("autoOutlineDialog", [&](QWidget* dlg) {
            // A radius of 100 pixels, typed and left.
            auto* edit = Control<QLineEdit>(dlg, 1011);
            edit->setText(QString::number(100 / g_viewScale, 'f', 3));
            QFocusEvent left(QEvent::FocusOut);
            QApplication::sendEvent(edit, &left);
            QVERIFY(std::abs(g_autoOutlineDistance * g_viewScale - 100) < 1);
            whileOpen = onCircle(2);
            Press(dlg, "2");
        });
        Choose(frame, 32832);
        QVERIFY(whileOpen);
        QCOMPARE(g_autoOutlineWnd, 0);
        int cx = 0, cy = 0, r = 0;
        QVERIFY(!AutoOutlineSearchCircle(cx, cy, r));
    }

    void lightSourceClicks() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        OpenFile(frame, Fixture());
        QVERIFY(g_tinPresent != 0);
        QVERIFY(Enabled(frame, kLight));
        auto& p = g_colorBandParams;
        p.lightAzimuth = 123;
        p.lightElevation = 47;
        Choose(frame, kLight);
        auto* dlg = dynamic_cast<CLightSourceDlg*>(GetToolWindow(ToolWindow::kLightSource));
        QVERIFY(dlg);
        QCOMPARE(dlg->windowTitle(), QString::fromUtf8("光源設定"));
        CLightDirectionWidget* widget = dlg->Widget();
        widget->setFixedSize(120, 120);  // radius 54 around (60, 60)
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        QCOMPARE(widget->azimuth(), 123.0);
        FullRedraws redraws;
        window.view->installEventFilter(&redraws);

        struct Case {
            const char* what;
            QPoint at;
            double azimuth, elevation;
        };
        const Case cases[] = {
            {"centre keeps the azimuth", {60, 60}, 123, 90},
            {"top rim", {60, 6}, 0, 0},
            {"right rim", {114, 60}, 90, 0},
            {"half radius up", {60, 33}, 0, 45},
        };
        for (const Case& c : cases) {
            const int before = redraws.count;
            Click(widget, c.at);
            QVERIFY2(p.lightAzimuth == c.azimuth && p.lightElevation == c.elevation, c.what);
            QTRY_VERIFY2(redraws.count > before, c.what);
        }
        // The marker sits where the light points: half way up at azimuth 0, elevation 45.
        const QImage image = widget->grab().toImage();
        QCOMPARE(image.pixelColor(60, 33), QColor(Qt::white));
        QCOMPARE(image.pixelColor(80, 50), QColor(0, 128, 0));     // the middle disc, r 18 .. 36
        QCOMPARE(image.pixelColor(68, 52), QColor(128, 128, 128));  // the inner one
        QCOMPARE(widget->radius(), 54);

        // A click beside the widget, in the dialog, changes nothing.
        Click(dlg, widget->geometry().bottomRight() + QPoint(3, 3));
        QCOMPARE(p.lightAzimuth, 0.0);
        QCOMPARE(p.lightElevation, 45.0);

        // Another writer of the light: the marker follows when the widget is drawn.
        p.lightAzimuth = 90;
        p.lightElevation = 0;
        widget->repaint();
        QCOMPARE(widget->grab().toImage().pixelColor(114, 60), QColor(Qt::white));

        window.view->removeEventFilter(&redraws);
        Choose(frame, kLight);  // closes it
        QVERIFY(!GetToolWindow(ToolWindow::kLightSource));
        Choose(frame, kLight);  // and a new one comes up
        QVERIFY(GetToolWindow(ToolWindow::kLightSource));
        auto* again = dynamic_cast<CLightSourceDlg*>(GetToolWindow(ToolWindow::kLightSource));
        QVERIFY(again);
        QTest::keyClick(again, Qt::Key_Escape);  // Esc ends it like the close box
        QTRY_VERIFY(!GetToolWindow(ToolWindow::kLightSource));
    }
};

int main(int argc, char** argv) { return RunWindowTest<ViewSettingsTest>(argc, argv, &g_root); }

#include "view_settings_uitest.moc"
