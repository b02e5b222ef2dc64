// The route's lists and mouse tools in the program's own windows, chosen from the menus and
// driven with real mouse events and keys: the IP list typed and pasted, plus stakes typed
// and sorted, the station list edited, marked and deleted, the cut positions registered
// by clicking surveyed points, and the IP tools on the view.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "route/ui/ip_list_dialog.h"
#include "route/ui/plus_stake_dialog.h"
#include "route/ui/station_list_dialog.h"
#include "shell/command_table.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/ui/application.h"
#include "shell/ui/flex_grid.h"
#include "shell/ui/main_frame.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

using namespace ui_driver;

namespace {
QString g_root;

constexpr int kIpList = 32811;
constexpr int kIpChange = 32809;
constexpr int kIpDelete = 32810;
constexpr int kIpInsert = 32976;
constexpr int kPlusStakes = 32806;
constexpr int kStationList = 32818;
constexpr int kCutPointEdit = 32963;
constexpr int kShowAll = 32800;
constexpr int kBirdsEyeSwitch = 32805;

// A 3 x 3 grid of points 10 m apart, G1 south-west .. G9 north-east.
fs::path Fixture() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

QPoint CellCentre(CMSFlexGrid* grid, int row, int col) {
    return grid->visualRect(grid->model()->index(row, col)).center();
}

void ClickCell(CMSFlexGrid* grid, int row, int col, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, CellCentre(grid, row, col),
                      QApplication::doubleClickInterval() + 50);
}

// Types into the cell editor (replacing its text) and presses Enter.
void Type(QLineEdit* editor, const QString& text) {
    QVERIFY(editor->isVisible());
    editor->selectAll();
    if (!text.isEmpty()) QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

QPoint IpPosition(int32_t i) {
    return {g_viewportCenterX + g_ipPoints[i].screenX, g_viewportCenterY - g_ipPoints[i].screenY};
}
void SetIp(int32_t i, const char* name, int32_t number, double x, double y) {
    IpPoint& ip = g_ipPoints[i];
    std::memset(&ip, 0, sizeof ip);
    std::snprintf(ip.name, sizeof ip.name, "%s", name);
    ip.number = number;
    ip.x = x;
    ip.y = y;
}
}  // namespace

class RouteListsTest : public QObject {
    Q_OBJECT
    MainWindow* m_window = nullptr;
    CMainFrame* m_frame = nullptr;
    CPelmo_3DView* m_view = nullptr;

    void OpenGrid() {
        OpenFile(m_frame, Fixture());
        QCOMPARE(g_pointCount, 9);
        if (g_birdsEyeOn) Choose(m_frame, kBirdsEyeSwitch);
        g_colorBandOn = 0;
        m_frame->ExecuteCommand(kShowAll);
        m_view->grab();
    }
    void Repaint() {
        g_redrawMask = -1;
        m_view->grab();
    }

private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }
    void init() {
        m_window = new MainWindow;
        QVERIFY(Start(*m_window));
        m_frame = m_window->frame;
        m_view = m_window->view;
        ClearRecordedMessages();
    }
    void cleanup() {
        delete m_window;
        m_window = nullptr;
        for (ToolWindow slot : {ToolWindow::kIpList, ToolWindow::kStationList, ToolWindow::kPlusStake})
            QVERIFY(!IsToolWindowOpen(slot));
    }

    void ipListTypedAndPasted() {
        Choose(m_frame, kIpList);
        auto* list = dynamic_cast<CIpListDlg*>(GetToolWindow(ToolWindow::kIpList));
        QVERIFY(list);
        QVERIFY(QTest::qWaitForWindowExposed(list));
        CMSFlexGrid* grid = list->Grid();
        QLineEdit* editor = list->CellEditor();

        // Row 1: the proposals BP and 0 taken with Enter, then X and Y typed.
        ClickCell(grid, 1, 1);
        QCOMPARE(editor->text(), QString("BP"));
        Type(editor, "");
        QCOMPARE(g_ipPointCount, 0);  // a name alone makes no IP
        QCOMPARE(editor->text(), QString("0"));
        Type(editor, "");
        QCOMPARE(g_ipPointCount, 1);
        Type(editor, "1000");
        Type(editor, "2000");
        // Row 2: the proposal IP with number 1.
        ClickCell(grid, 2, 1);
        QCOMPARE(editor->text(), QString("IP"));
        Type(editor, "");
        QCOMPARE(editor->text(), QString("1"));
        Type(editor, "");
        Type(editor, "1020");
        Type(editor, "2010");
        Type(editor, "50");
        QCOMPARE(g_ipPointCount, 2);
        QCOMPARE(g_ipPoints[2].x, 1020.0);
        QCOMPARE(g_ipPoints[2].y, 2010.0);
        QCOMPARE(g_ipPoints[2].radius, 50.0);
        QCOMPARE(g_ipPoints[1].number, 0);
        QCOMPARE(grid->GetTextMatrix(2, 3), QString(" 1020.00000"));
        // Escape leaves a cell as it was.
        ClickCell(grid, 2, 4);
        editor->selectAll();
        QTest::keyClicks(editor, "9");
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QCOMPARE(g_ipPoints[2].y, 2010.0);

        // A paste with CR LF and LF lines, and a heading that is skipped.
        QApplication::clipboard()->setText(
            QString::fromUtf8("点名\t番号\tX\tY\r\nEP\t2\t1000\t2020\r\nZ\t3\t5\t6\t0\t0\t25\n"));
        Control<QPushButton>(list, "1136")->click();
        QCOMPARE(g_ipPointCount, 4);
        QCOMPARE(grid->GetTextMatrix(3, 1), QString("EP"));
        QCOMPARE(g_ipPoints[4].a2, 25.0);
        QCOMPARE(grid->GetTextMatrix(4, 7), QString(" 25.000"));
        QCOMPARE(grid->GetTextMatrix(5, 1), QString());

        // The wheel scrolls one row per step, not above row 1.
        const int top = grid->GetTopRow();
        auto wheel = [grid](int dy) {
            QWheelEvent event(QPointF(20, 20), grid->viewport()->mapToGlobal(QPointF(20, 20)),
                              QPoint(), QPoint(0, dy), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid->viewport(), &event);
        };
        wheel(-120);
        QCOMPARE(grid->GetTopRow(), top + 1);
        wheel(120);
        wheel(120);
        QCOMPARE(grid->GetTopRow(), top);

        // Row 4 selected from the number column and deleted; renumbered from 10.
        ClickCell(grid, 4, 0);
        QCOMPARE(grid->GetColSel(), 7);
        Control<QPushButton>(list, "1261")->click();
        QCOMPARE(g_ipPointCount, 3);
        QCOMPARE(grid->GetTextMatrix(4, 1), QString());
        auto* start = Control<QLineEdit>(list, "1039");
        start->setText("10");
        Control<QPushButton>(list, "1137")->click();
        QCOMPARE(g_ipPoints[1].number, 10);
        QCOMPARE(g_ipPoints[3].number, 12);
        QCOMPARE(grid->GetTextMatrix(3, 2), QString(" 12"));

        // Copy of one cell: the whole table, LF line ends.
        ClickCell(grid, 1, 3);
        QTest::keyClick(editor, Qt::Key_Escape);
        Control<QPushButton>(list, "1026")->click();
        const QString copied = QApplication::clipboard()->text();
        QVERIFY(copied.startsWith(QString::fromUtf8(" Ｎｏ\t  点名\t")));
        QCOMPARE(copied.count('\n'), 4);
        QVERIFY(!copied.contains('\r'));

        // The command again closes the window; the current IP goes with it.
        g_currentIp = 2;
        Choose(m_frame, kIpList);
        QTRY_VERIFY(!IsToolWindowOpen(ToolWindow::kIpList));
        QCOMPARE(g_currentIp, 0);
    }

    void plusStakesSortedByTheCalculationAndStationsEdited() {
        SetIp(1, "BP", 0, 0, 0);
        SetIp(2, "IP", 1, 100, 0);
        SetIp(3, "EP", 2, 100, 100);
        g_ipPointCount = 3;
        g_stationInterval = 50;
        g_currentStation = 0;

        Choose(m_frame, kPlusStakes);
        auto* stakes = dynamic_cast<CPlusStakeDlg*>(GetToolWindow(ToolWindow::kPlusStake));
        QVERIFY(stakes);
        ClickCell(stakes->Grid(), 1, 1);
        for (const char* v : {"40", "20", "40", "30"}) Type(stakes->CellEditor(), v);
        QCOMPARE(g_plusStakeCount, 4);
        QCOMPARE(g_plusStakes[1], 40.0);
        QCOMPARE(g_currentStation, 0);  // a stake row is no station

        Choose(m_frame, kStationList);
        auto* list = dynamic_cast<CStationListDlg*>(GetToolWindow(ToolWindow::kStationList));
        QVERIFY(list);
        QVERIFY(IsToolWindowOpen(ToolWindow::kPlusStake));

        // 32817 sorts the open stake window first and refreshes the station list after.
        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "1007")->click(); });
        m_frame->ExecuteCommand(cmd::kRouteCalc);
        QCOMPARE(g_plusStakeCount, 3);
        QCOMPARE(g_plusStakes[1], 20.0);
        QCOMPARE(stakes->Grid()->GetTextMatrix(1, 1), QString(" 20.000"));
        QCOMPARE(stakes->Grid()->GetTextMatrix(4, 1), QString());
        QVERIFY(g_stationCount >= 6);
        CMSFlexGrid* grid = list->Grid();
        QCOMPARE(grid->GetTextMatrix(1, 1), QString::fromUtf8(g_stations[1].name));
        const int32_t computed = g_stationCount;

        // A cell edited in place.
        ClickCell(grid, 2, 3);
        QCOMPARE(g_currentStation, 2);
        Type(list->CellEditor(), "12.5");
        QCOMPARE(g_stations[2].x, 12.5);
        QCOMPARE(grid->GetTextMatrix(2, 3), QString(" 12.50000"));

        // Rows 1 and 3 marked with Ctrl + click, row 3 unmarked and marked again; 削除
        // takes the marked rows.
        const std::string third = g_stations[3].name;
        const std::string fourth = g_stations[4].name;
        ClickCell(grid, 1, 2, Qt::ControlModifier);
        ClickCell(grid, 3, 2, Qt::ControlModifier);
        ClickCell(grid, 3, 5, Qt::ControlModifier);
        QVERIFY(!list->RowMarked(3));
        ClickCell(grid, 3, 5, Qt::ControlModifier);
        QVERIFY(list->RowMarked(1));
        QVERIFY(list->RowMarked(3));
        QTest::keyClick(list->CellEditor(), Qt::Key_Escape);
        Control<QPushButton>(list, "1261")->click();
        QCOMPARE(g_stationCount, computed - 2);
        QCOMPARE(QString::fromUtf8(g_stations[2].name), QString::fromStdString(fourth));
        QVERIFY(!list->MarksPresent());
        QCOMPARE(grid->GetTextMatrix(computed, 1), QString());

        // A new stake typed, then closing the window sorts it in.
        ClickCell(stakes->Grid(), 4, 1);
        Type(stakes->CellEditor(), "10");
        QCOMPARE(g_plusStakes[4], 10.0);
        Choose(m_frame, kPlusStakes);
        QTRY_VERIFY(!IsToolWindowOpen(ToolWindow::kPlusStake));
        QCOMPARE(g_plusStakeCount, 4);
        QCOMPARE(g_plusStakes[1], 10.0);
        QCOMPARE(g_plusStakes[4], 40.0);

        Choose(m_frame, kStationList);
        QTRY_VERIFY(!IsToolWindowOpen(ToolWindow::kStationList));
        QCOMPARE(g_currentStation, 0);
    }

    void cutPositionsRegisteredByClickingPoints() {
        OpenGrid();
        // Centres G1, G2, G3 (south row), then left stakes G4, G5, G6.
        WhenModal([](QWidget* dlg) {
            QVERIFY(!Control<QPushButton>(dlg, "1006")->isEnabled());
            Control<QPushButton>(dlg, "1005")->click();
        });
        Choose(m_frame, kCutPointEdit);
        QCOMPARE(g_toolMode, MODE_CUT_POSITION);
        QCOMPARE(g_showPointNames, -1);
        for (int32_t p : {1, 2, 3}) Click(m_view, WindowPosition(p) + QPoint(2, 1));
        QCOMPARE(g_stationCount, 3);
        QCOMPARE(g_stations[1].kind, 1);
        QCOMPARE(g_stations[2].kind, 2);
        QCOMPARE(g_stations[3].kind, 2);
        QCOMPARE(QString(g_stations[3].name), QString("G3"));

        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "1006")->click(); });
        Choose(m_frame, kCutPointEdit);
        QCOMPARE(g_toolMode, MODE_CUT_POSITION * 2);
        QCOMPARE(g_nextStakeStation, 0);
        m_view->grab();
        for (int32_t p : {4, 5, 6}) Click(m_view, WindowPosition(p));
        QCOMPARE(g_toolMode, MODE_NONE);
        QCOMPARE(QString::fromStdString(RecordedMessages().back().text),
                 QString::fromUtf8("センター全点の左幅杭測点登録終了"));
        QCOMPARE(g_stations[3].leftX, 1010.0);
        QCOMPARE(g_stations[3].leftY, 2020.0);

        // 32980: the first click on station 2 selects it, the second deletes it.
        Choose(m_frame, 32980);
        m_view->grab();
        const QPoint second(g_viewportCenterX + g_stations[2].screenX,
                            g_viewportCenterY - g_stations[2].screenY);
        Click(m_view, second + QPoint(3, 0));
        QCOMPARE(g_currentStation, 2);
        QCOMPARE(g_stationCount, 3);
        Click(m_view, second);
        QCOMPARE(g_stationCount, 2);
        QCOMPARE(QString(g_stations[2].name), QString("G3"));
        Choose(m_frame, 32980);

        // 全ての測点削除 keeps the IPs.
        SetIp(1, "BP", 0, 1000, 2000);
        SetIp(2, "EP", 1, 1020, 2020);
        g_ipPointCount = 2;
        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "1008")->click(); });
        Choose(m_frame, kCutPointEdit);
        QCOMPARE(g_stationCount, 0);
        QCOMPARE(g_ipPointCount, 2);

        // The lists left open go with the main window.
        for (int id : {kIpList, kStationList, kPlusStakes}) Choose(m_frame, id);
        QVERIFY(IsToolWindowOpen(ToolWindow::kPlusStake));
    }

    void ipToolsOnTheView() {
        OpenGrid();
        SetIp(1, "BP", 0, 1000, 2000);
        SetIp(2, "IP", 1, 1020, 2010);
        SetIp(3, "EP", 2, 1000, 2020);
        g_ipPointCount = 3;
        g_ipPoints[2].radius = 30;
        g_ipPoints[2].a1 = 20;
        Repaint();

        // Insert: a click near the middle of the second leg makes record 3.
        Choose(m_frame, kIpInsert);
        const QPoint middle = (IpPosition(2) + IpPosition(3)) / 2;
        Click(m_view, middle);
        QCOMPARE(g_ipPointCount, 4);
        QCOMPARE(QString(g_ipPoints[3].name), QString("EP"));
        QVERIFY(std::fabs(g_ipPoints[3].x - 1010) < 1);
        QVERIFY(std::fabs(g_ipPoints[3].y - 2015) < 1);
        Repaint();

        // Delete: the question names the IP; the headless answer is Yes.
        Choose(m_frame, kIpDelete);
        Click(m_view, IpPosition(3));
        QCOMPARE(QString::fromStdString(RecordedMessages().back().text),
                 QString::fromUtf8("EP2を削除します。\nよろしいですか"));
        QCOMPARE(g_ipPointCount, 3);
        QCOMPARE(QString(g_ipPoints[3].name), QString("EP"));
        Repaint();

        // Change: the command asks for the snap rule first; then a drag of IP 2 opens dialog
        // 132 at the release, and 登録 moves the IP keeping its curve.
        WhenModal([](QWidget* dlg) {
            QCOMPARE(dlg->objectName(), QString("coordInputParamDialog"));
            Control<QPushButton>(dlg, "1132")->click();
        });
        Choose(m_frame, kIpChange);
        QCOMPARE(g_toolSubState, IP_POINT_CHANGE);
        const QPoint from = IpPosition(2);
        const QPoint to = from + QPoint(0, 40);
        double shownX = 0;
        WhenModal([&shownX](QWidget* dlg) {
            QCOMPARE(Control<QLabel>(dlg, "1005")->text(), QString("NO. 2"));
            shownX = Control<QLineEdit>(dlg, "1002")->text().toDouble();
            // A repaint leaves what is being typed alone.
            auto* radius = Control<QLineEdit>(dlg, "1010");
            radius->setText("12");
            dlg->repaint();
            QCOMPARE(radius->text(), QString("12"));
            radius->setText("    30.000");
            auto* name = Control<QLineEdit>(dlg, "1000");
            name->setFocus();
            name->selectAll();
            QTest::keyClicks(name, "IP9");
            QTest::keyClick(name, Qt::Key_Return);  // moves on, storing the name
            QCOMPARE(Control<QLineEdit>(dlg, "1000")->text(), QString("IP9"));
            QTest::mouseClick(Control<QPushButton>(dlg, "1004"), Qt::LeftButton);
        });
        QTest::mousePress(m_view, Qt::LeftButton, {}, from);
        QTest::mouseMove(m_view, to);
        QTest::mouseRelease(m_view, Qt::LeftButton, {}, to);
        QVERIFY(std::fabs(shownX - (1020 - 40 / g_viewScale)) < 0.5 / g_viewScale + 1e-9);
        QVERIFY(std::fabs(g_ipPoints[2].x - shownX) < 1e-5);
        QCOMPARE(QString(g_ipPoints[2].name), QString("IP9"));
        QCOMPARE(g_ipPoints[2].radius, 30.0);
        QCOMPARE(g_ipPoints[2].a1, 20.0);
        QCOMPARE(g_currentIp, 0);

        // A click (no drag) opens it at the IP's own place; ｷｬﾝｾﾙ changes nothing.
        Repaint();
        const IpPoint before = g_ipPoints[1];
        WhenModal([](QWidget* dlg) {
            QCOMPARE(Control<QLineEdit>(dlg, "1002")->text(), QString("1000.00000"));
            Control<QPushButton>(dlg, "2")->click();
        });
        Click(m_view, IpPosition(1) + QPoint(3, 2));
        QCOMPARE(g_ipPoints[1].x, before.x);
        QCOMPARE(g_currentIp, 0);
    }
};

int main(int argc, char** argv) { return RunWindowTest<RouteListsTest>(argc, argv, &g_root); }

#include "route_lists_uitest.moc"
