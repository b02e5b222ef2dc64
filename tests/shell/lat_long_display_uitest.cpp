// The latitude/longitude display under the offscreen platform: the menu command opens
// the zone dialog, the chosen zone reaches g_planeZone, and the status panes follow the
// mouse over the view.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/geodesy.h"
#include "model/terrain_data.h"
#include "model/ui/zone_select_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "platform/text_io.h"
#include "shell/command_table.h"
#include "shell/settings_file.h"
#include "shell/status_bar.h"
#include "shell/ui/main_frame.h"
#include "view/cursor_state.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

using namespace ui_driver;

namespace {
// Runs `act` on the zone dialog once it is up; closes it if a failed check left it open.
void WhenZoneDialog(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!qobject_cast<CZoneSelectDlg*>(modal.data())) qFatal("no zone dialog");
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

QString PaneText(CMainFrame& frame, int id) { return frame.StatusPane(id)->text(); }
}  // namespace

class LatLongDisplayTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        SetDefaultSettingsPaths();
        QVERIFY(WriteFileBytes(g_settingsFilePath, "0\r\n60\r\n"));
        ClearRecordedMessages();
        InitDataModel();
        g_planeZone = 0;
        g_useWorldDatum = 1;
        g_latLongDisplay = 0;
        g_cursorValid = 0;
        g_birdsEyeOn = 0;
    }
    void cleanup() { ReleaseDataModel(); }

    void menuCommandPicksTheZone() {
        CMainFrame frame;
        frame.show();
        QAction* action = frame.Actions(cmd::kLatLongDisplay).front();
        QVERIFY(action->isEnabled());
        QVERIFY(!action->isChecked());

        bool seen = false;
        WhenZoneDialog([&](QWidget* dlg) {
            QCOMPARE(dlg->windowTitle(), QString::fromUtf8("系指定"));
            // The current datum (world) is preselected.
            QVERIFY(Control<QRadioButton>(dlg, 1080)->isChecked());
            Control<QComboBox>(dlg, 1118)->setCurrentIndex(11);
            Control<QRadioButton>(dlg, 1079)->click();
            QTest::mouseClick(Control<QPushButton>(dlg, 1), Qt::LeftButton);
            seen = true;
        });
        action->trigger();
        QVERIFY(seen);
        QCOMPARE(g_planeZone, 12);
        QCOMPARE(g_useWorldDatum, 0);
        QCOMPARE(g_latLongDisplay, 1);
        QCOMPARE(frame.Geodesy().m_a, 6377397.155);
        QVERIFY(action->isChecked());

        // The cursor at the zone's origin shows the origin; the count has its commas.
        g_cursorValid = 1;
        g_cursorX = g_cursorY = 0;
        g_pointCount = 1234567;
        frame.UpdateStatusPanes();
        QCOMPARE(PaneText(frame, 102), QString::fromUtf8("B: 44° 0′ 0.0000″"));
        QCOMPARE(PaneText(frame, 103), QString::fromUtf8("L:142°15′ 0.0000″"));
        QCOMPARE(PaneText(frame, 106), QString::fromUtf8(" 1,234,567 点"));

        // Chosen again: switched off without a dialog, plane coordinates again.
        frame.ExecuteCommand(cmd::kLatLongDisplay);
        QCOMPARE(g_latLongDisplay, 0);
        QCOMPARE(g_planeZone, 12);
        QVERIFY(!action->isChecked());
        frame.UpdateStatusPanes();
        QCOMPARE(PaneText(frame, 102), QString("X :      0.000"));
        QVERIFY(RecordedMessages().empty());
    }

    void cancelledDialogChangesNothing() {
        g_planeZone = 3;
        CMainFrame frame;
        WhenZoneDialog([](QWidget* dlg) {
            QCOMPARE(Control<QComboBox>(dlg, 1118)->currentIndex(), 2);
            Control<QComboBox>(dlg, 1118)->setCurrentIndex(0);
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        frame.ExecuteCommand(cmd::kLatLongDisplay);
        QCOMPARE(g_planeZone, 3);
        QCOMPARE(g_latLongDisplay, 0);
    }

    void panesFollowTheMouseOverTheView() {
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QWidget* view = frame.ViewWidget();
        g_viewportCenterX = 100;
        g_viewportCenterY = 50;
        g_bufferMaxX = 200;
        g_bufferMaxY = 100;
        g_viewCenterX = 1000;
        g_viewCenterY = 2000;
        g_viewScale = 4;
        g_pointCount = 2;  // the view has data

        QTest::mouseMove(view, QPoint(140, 30));  // 40 px east, 20 px north
        QCOMPARE(g_cursorValid, 1);
        QCOMPARE(PaneText(frame, 102), QString("X :   1005.000"));
        QCOMPARE(PaneText(frame, 103), QString("Y :   2010.000"));
        QCOMPARE(PaneText(frame, 104), QString::fromUtf8("横:     50.000m"));
        QCOMPARE(PaneText(frame, 105), QString::fromUtf8("縦:     25.000m"));

        // A drag from the centre to 3 m north and 4 m east.
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 50));
        QTest::mouseMove(view, QPoint(116, 38));
        QCOMPARE(PaneText(frame, 108), QString::fromUtf8("距離:      5.000"));
        QCOMPARE(PaneText(frame, 109), QString::fromUtf8("方位: 53.0748"));
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(116, 38));
        QTest::mouseMove(view, QPoint(100, 50));
        QCOMPARE(PaneText(frame, 108), QString::fromUtf8("距離:      5.000"));
        QCOMPARE(PaneText(frame, 102), QString("X :   1000.000"));
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<LatLongDisplayTest>(argc, argv);
}

#include "lat_long_display_uitest.moc"
