// The display windows from the menus: the exaggeration bar in the bird's-eye view, the
// simple-contour and slope-line dialogs behind their switches, the slope legend's DXF
// output, the overview with a drag and the colour dialog with a swatch click.
#include <QColorDialog>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/ui_driver.h"
#include "model/document_services.h"
#include "platform/message_box.h"
#include "contour/contour_dialog.h"
#include "view/color_band_params.h"
#include "view/color_settings.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/ui/color_dialog.h"
#include "view/ui/display_settings_dialogs.h"
#include "view/ui/legend_windows.h"
#include "view/ui/overview_window.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
constexpr int kBirdsEye = 32805;

void Wheel(QWidget* w, int delta) {
    const QPoint at = w->rect().center();
    QWheelEvent event(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// The field loses the focus, as when the user moves on to another control.
void Leave(QLineEdit* edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

class DisplayWindowsUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void heightBarAndSettingsDialogs() {
        MainWindow w;
        QVERIFY(Start(w, QSize(1000, 800)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QVERIFY(g_tinEdgeCount > 0);

        // The bar shows with the bird's-eye view only.
        QVERIFY(g_verticalScaleDlg);
        if (g_birdsEyeOn) w.frame->ExecuteCommand(kBirdsEye);
        w.view->repaint();
        QVERIFY(!g_verticalScaleDlg->isVisible());
        w.frame->ExecuteCommand(kBirdsEye);
        QCOMPARE(g_birdsEyeOn, 1);
        w.view->repaint();
        QVERIFY(g_verticalScaleDlg->isVisible());
        g_heightScale = 1.9;
        Wheel(g_verticalScaleDlg, 120);
        QCOMPARE(g_heightScale, 2.0);
        QCOMPARE(g_verticalScaleDlg->Field()->text(), QString(" 2.0"));
        Wheel(g_verticalScaleDlg, 120);
        QCOMPARE(g_heightScale, 2.3);
        Type(g_verticalScaleDlg->Field(), "150");
        QCOMPARE(g_heightScale, 100.0);
        QCOMPARE(g_verticalScaleDlg->Field()->text(), QString(" 100.0"));
        Type(g_verticalScaleDlg->Field(), "0.005");
        QCOMPARE(g_heightScale, 0.1);

        // 簡易線表示: the dialog first, then the contours are on.
        g_showSimpleContours = 0;
        QVERIFY(Enabled(w.frame, 32797));
        bool seen = false;
        WhenModal("CSimpleContourDlg", [&](QWidget* d) {
            seen = true;
            auto* field = Control<QLineEdit>(d, "interval");
            field->setText("0.1");
            Press(d, "1");
        });
        Choose(w.frame, 32797);
        QVERIFY(seen);
        QCOMPARE(g_simpleContourInterval, 0.1);
        QCOMPARE(g_simpleContourIndexInterval, 1.0);
        QVERIFY(g_showSimpleContours != 0);
        Choose(w.frame, 32797);  // on -> off, no dialog
        QCOMPARE(g_showSimpleContours, 0);

        // 傾斜線表示: percent labels with two decimals and a trailing "%".
        g_showSlopeLines = 0;
        QVERIFY(Enabled(w.frame, 32974));
        seen = false;
        WhenModal("CSlopeLineDlg", [&](QWidget* d) {
            seen = true;
            Control<QLineEdit>(d, "decimals")->setText("7");
            Leave(Control<QLineEdit>(d, "decimals"));
            QCOMPARE(Control<QLineEdit>(d, "decimals")->text(), QString(" 5"));
            Control<QLineEdit>(d, "decimals")->setText("2%");
            Control<QRadioButton>(d, "percent")->click();
            QVERIFY(Control<QCheckBox>(d, "labels")->isChecked());
            Press(d, "1");
        });
        Choose(w.frame, 32974);
        QVERIFY(seen);
        QCOMPARE(g_showSlopeLines, 1 | 4 | 8);
        QCOMPARE(g_colorBandParams.slopeLineSetting, 2);
        Choose(w.frame, 32974);
        QCOMPARE(g_showSlopeLines, 0);
        // Cancel leaves the lines off and the angles as they were.
        const double steep = g_colorBandParams.steepSlope;
        WhenModal("CSlopeLineDlg", [&](QWidget* d) {
            Control<QLineEdit>(d, "steep")->setText("45");
            Leave(Control<QLineEdit>(d, "steep"));
            Press(d, "2");
        });
        Choose(w.frame, 32974);
        QCOMPARE(g_showSlopeLines, 0);
        QCOMPARE(g_colorBandParams.steepSlope, steep);
    }

    void slopeLegendWritesTheSteepTriangles() {
        MainWindow w;
        QVERIFY(Start(w, QSize(1000, 800)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QVERIFY(g_tinEdgeCount > 0);
        g_colorBandParams.mode = 3;
        g_colorBandParams.twoColourSlope = 0;
        DestroyLegendWindows();
        OpenLegendWindows();
        QVERIFY(g_slopeLegendDlg);
        QVERIFY(!g_bandLegendDlg);
        CSlopeLegendDlg* legend = g_slopeLegendDlg;
        QVERIFY(QTest::qWaitForWindowExposed(legend));
        auto* start = Control<QPushButton>(legend, "startOutput");
        QVERIFY(!start->isVisible());
        const int closed = legend->height();
        Press(legend, "dxfOutput");
        QVERIFY(start->isVisible());
        QVERIFY(legend->height() > closed);

        auto* max = Control<QLineEdit>(legend, "maxAngle");
        max->setText("120");
        Leave(max);
        QCOMPARE(max->text(), QString("90.0"));
        Control<QLineEdit>(legend, "layer")->setText("5");
        const fs::path out = fs::path(m_root.path().toStdString()) / "steep.dxf";
        QueueFileDialogAnswer(out.string());
        ClearRecordedMessages();
        Press(legend, "startOutput");
        QVERIFY(RecordedMessages().empty());
        const std::string dxf = ReadAll(out);
        QVERIFY(dxf.find("3DFACE\r\n") != std::string::npos);
        QVERIFY(dxf.find("\r\n  8\r\n5\r\n") != std::string::npos);

        // An unwritable place is told.
        QueueFileDialogAnswer((fs::path(m_root.path().toStdString()) / "none" / "x.dxf").string());
        Press(legend, "startOutput");
        QCOMPARE(RecordedMessages().size(), size_t(1));

        // Replacing the data removes the legend.
        DestroyLegendWindows();
        QVERIFY(!g_slopeLegendDlg);
    }

    void overviewDragAndColourSwatch() {
        MainWindow w;
        QVERIFY(Start(w, QSize(1000, 800)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        if (g_birdsEyeOn) w.frame->ExecuteCommand(kBirdsEye);

        Choose(w.frame, 32814);
        QVERIFY(g_overviewWnd);
        COverviewWindow* overview = g_overviewWnd;
        overview->resize(200, 160);
        QVERIFY(QTest::qWaitForWindowExposed(overview));
        overview->repaint();
        const double fit = g_fitScale;
        QVERIFY(fit > 0);
        const int32_t maxX = g_bufferMaxX, maxY = g_bufferMaxY;
        Drag(overview, {QPoint(60, 50), QPoint(80, 60), QPoint(110, 70)});
        QCOMPARE(g_viewScale, fit * std::max(maxX, maxY) / 50);
        // A click recentres at that scale.
        const double scale = g_viewScale;
        Click(overview, QPoint(100, 80));
        QCOMPARE(g_viewScale, scale);
        QVERIFY(std::abs(g_viewCenterX - g_extentCenterX) < 1 / fit);
        QVERIFY(std::abs(g_viewCenterY - g_extentCenterY) < 1 / fit);
        // The overview painted last: the view's next paint draws everything.
        w.view->repaint();
        QCOMPARE(g_projectionValid, 1);
        QTest::keyClick(overview, Qt::Key_Escape);
        QTRY_VERIFY(!g_overviewWnd);

        Choose(w.frame, 32855);
        QVERIFY(g_colorDialogWnd);
        CColorDialog* colours = g_colorDialogWnd;
        QVERIFY(QTest::qWaitForWindowExposed(colours));
        QVERIFY(Checked(w.frame, 32855));
        const auto rects = colours->SwatchRects();
        const SwatchRect r = rects[22];  // ＤＸＦ ０: entry 60
        bool seen = false;
        WhenModal([&](QWidget* d) {
            auto* chooser = qobject_cast<QColorDialog*>(d);
            QVERIFY(chooser);
            seen = true;
            chooser->setCurrentColor(QColor(0x12, 0x34, 0x56));
            QMetaObject::invokeMethod(chooser, "accept");
        });
        Click(colours, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        QVERIFY(seen);
        QCOMPARE(PaletteEntryColour(60), 0x123456u);
        // On a swatch's edge: no chooser (a chooser would wait for an answer forever).
        Click(colours, QPoint(r.left, (r.top + r.bottom) / 2));
        QVERIFY(!QApplication::activeModalWidget());
        const uint32_t b = PaletteEntryColour(80), wh = PaletteEntryColour(240);
        Press(colours, "1219");
        QCOMPARE(PaletteEntryColour(80), wh);
        QCOMPARE(PaletteEntryColour(240), b);
        Press(colours, "1025");
        QVERIFY(PaletteEntryColour(60) != 0x123456u);
        Press(colours, "1188");
        QTRY_VERIFY(!g_colorDialogWnd);
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(DisplayWindowsUiTest)
#include "display_windows_uitest.moc"
