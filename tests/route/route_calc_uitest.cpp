// The route calculation from the main frame's menu, its dialog, and the stations it makes
// shown in the view, under the offscreen platform.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <functional>

#include "route_test_state.h"
#include "../support/ui_driver.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "route/ui/route_calc_dialog.h"
#include "section/section_defaults.h"
#include "shell/command_table.h"
#include "shell/tool_windows.h"
#include "shell/ui/main_frame.h"
#include "view/view_state.h"

using namespace ui_driver;

namespace {
// The dialog is made active first: its keys go to the focused control only then.
void WhenActiveModal(std::function<void(QWidget*)> act) {
    WhenModal([act](QWidget* modal) {
        modal->activateWindow();
        if (!QTest::qWaitForWindowActive(modal)) qWarning("the dialog did not become active");
        act(modal);
    });
}

void SetIp(int32_t i, const char* name, double x, double y, double radius = 0) {
    IpPoint& ip = g_ipPoints[i];
    std::memset(&ip, 0, sizeof ip);
    std::snprintf(ip.name, sizeof ip.name, "%s", name);
    ip.number = i;
    ip.x = x;
    ip.y = y;
    ip.radius = radius;
}

// North 100 m, then a circle of 50 m turning 60 degrees to the right.
void CircleRoute() {
    SetIp(1, "BP", 0, 0);
    SetIp(2, "IP", 100, 0, 50);
    SetIp(3, "EP", 150, 100 * std::sin(M_PI / 3));
    g_ipPointCount = 3;
}
}  // namespace

class RouteCalcUiTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ResetRouteTestState();
    }
    void cleanup() { ReleaseDataModel(); }

    void commandNeedsTwoIps() {
        CMainFrame frame;
        frame.RefreshCommandStates();
        QAction* a = MenuAction(frame, cmd::kRouteCalc);
        QVERIFY(a);
        QVERIFY(!a->isEnabled());
        CircleRoute();
        frame.RefreshCommandStates();
        QVERIFY(a->isEnabled());
    }

    void computedFromTheMenuAndShown() {
        CMainFrame frame;
        frame.resize(800, 600);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CircleRoute();
        WhenActiveModal([](QWidget* dlg) {
            QVERIFY(IsToolWindowOpen(ToolWindow::kRouteCalc));
            auto* interval = Control<QLineEdit>(dlg, "1008");
            QCOMPARE(interval->text(), QString("    20.000"));
            interval->setFocus();
            interval->setText("-5");
            QTest::keyClick(interval, Qt::Key_Return);  // Enter moves on
            QVERIFY(!interval->hasFocus());
            QCOMPARE(interval->text(), QString("    20.000"));
            interval->setFocus();
            interval->setText("10");
            Control<QCheckBox>(dlg, "1020")->click();
            Control<QRadioButton>(dlg, "1010")->click();
            Control<QPushButton>(dlg, "1007")->click();
        });
        frame.ExecuteCommand(cmd::kRouteCalc);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kRouteCalc));
        QCOMPARE(g_stationInterval, 10.0);
        QCOMPARE(g_outputSingleCurveSp, 1);
        QVERIFY(RecordedMessages().empty());
        QVERIFY(g_stationCount > 10);
        bool sp = false, sta = false;
        for (int32_t k = 1; k <= g_stationCount; ++k) {
            sp = sp || std::strcmp(g_stations[k].name, "SP2") == 0;
            sta = sta || std::strcmp(g_stations[k].name, "STA1") == 0;
        }
        QVERIFY(sp);
        QVERIFY(sta);
    }

    void rightButtonAndCancelComputeNothing() {
        CircleRoute();
        WhenActiveModal([](QWidget* dlg) { QTest::mouseClick(dlg, Qt::RightButton); });
        CRouteCalcDlg::Run(nullptr);
        QCOMPARE(g_stationCount, 0);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kRouteCalc));
        g_redrawMask = 5;
        WhenActiveModal([](QWidget* dlg) { Control<QPushButton>(dlg, "2")->click(); });
        CRouteCalcDlg::Run(nullptr);
        QCOMPARE(g_stationCount, 0);
        QCOMPARE(g_redrawMask, 0);
    }
};

QTEST_MAIN(RouteCalcUiTest)
#include "route_calc_uitest.moc"
