// The mode toolbars and the tool commands in the main frame under the offscreen platform:
// one mode bar at a time (the terrain and cross-section bars stay), the marks of their
// items, a bar choice ending the active tool, and the display-menu toolbar.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "model/terrain_data.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "shell/command_table.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/ui/highlight_toolbar.h"
#include "shell/ui/main_frame.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "../windows/window_test_main.h"

namespace {
QList<int> ButtonIds(QToolBar* bar) {
    QList<int> ids;
    for (QAction* a : bar->actions())
        if (!a->isSeparator()) ids << a->data().toInt();
    return ids;
}

// The state of a command's items; commands without any item (the toolbar-only ones) as
// the routing gives it.
bool Checked(CMainFrame& frame, int id) {
    frame.RefreshCommandStates();
    const auto actions = frame.Actions(id);
    if (actions.empty()) return frame.Router().Update(id).check == CheckState::kChecked;
    for (QAction* a : actions)
        if (a->isCheckable() && a->isChecked()) return true;
    return false;
}

bool Enabled(CMainFrame& frame, int id) {
    frame.RefreshCommandStates();
    const auto actions = frame.Actions(id);
    if (actions.empty()) return frame.Router().Update(id).enabled;
    return actions.front()->isEnabled();
}

// A tool window that goes when asked.
class Panel : public ToolWindowHandle {
public:
    explicit Panel(ToolWindow slot) : m_slot(slot) { SetToolWindow(slot, this); }
    ~Panel() override { ClearToolWindow(m_slot, this); }
    void CloseToolWindow() override { ClearToolWindow(m_slot, this); }

private:
    ToolWindow m_slot;
};
}  // namespace

class ModeToolBarsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { InitDataModel(); }
    void cleanup() { InitDataModel(); }

    void oneModeBarAtATime() {
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 10}) {
            QVERIFY2(frame.ModeToolBar(code), qPrintable(QString::number(code)));
            QVERIFY(frame.ModeToolBar(code)->isHidden());
        }
        QCOMPARE(frame.ModeToolBar(6), frame.ModeToolBar(7));
        QCOMPARE(frame.ModeToolBarCode(), 0);

        // The TIN and point editing bar with its buttons, each at least 65 x 16.
        QToolBar* points = frame.ModeToolBar(8);
        // A bar whose checked buttons stand out on pale yellow.
        QVERIFY(qobject_cast<MToolbar*>(points));
        QCOMPARE(ButtonIds(points),
                 (QList<int>{32858, 32831, 32832, 32833, 32834, 32835, 32836, 32837, 32862,
                             32955, 32954, 32956, 32957, 32802, 32842, 32843, 32844, 32845,
                             32846, 32879, 32847, 32914, 32891, 32829, 32966, 33025}));
        QCOMPARE(ButtonIds(frame.ModeToolBar(10)), (QList<int>{32999, 32995, 33000, 33014, 33058}));
        frame.ExecuteCommand(32787);
        QVERIFY(!points->isHidden());
        QCOMPARE(frame.ModeToolBarCode(), 8);
        QVERIFY(Checked(frame, 32787));
        for (QAction* a : points->actions()) {
            QWidget* button = points->widgetForAction(a);
            QVERIFY(button->width() >= 65 && button->height() >= 16);
        }
        const QByteArray screens = qgetenv("NOSTREL_SCREENS");
        if (!screens.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(screens));
            QVERIFY(
                frame.grab().save(QString::fromLocal8Bit(screens) + "/mode_toolbar_points.png"));
        }

        // The mesh bar replaces it.
        frame.ExecuteCommand(32795);
        QVERIFY(points->isHidden());
        QVERIFY(!frame.ModeToolBar(4)->isHidden());
        QVERIFY(!Checked(frame, 32787));
        QVERIFY(Checked(frame, 32795));

        // The terrain bar stays when another bar comes; the other mode bars go.
        frame.ExecuteCommand(32853);
        QVERIFY(!frame.ModeToolBar(3)->isHidden());
        QVERIFY(frame.ModeToolBar(4)->isHidden());
        frame.ExecuteCommand(32799);
        QVERIFY(!frame.ModeToolBar(3)->isHidden());
        QVERIFY(!frame.ModeToolBar(1)->isHidden());
        QVERIFY(Checked(frame, 32799));
        QVERIFY(!Checked(frame, 32853));

        // The planning bar under both of its commands; the mark follows the code.
        frame.ExecuteCommand(32909);
        QVERIFY(!frame.ModeToolBar(7)->isHidden());
        QVERIFY(frame.ModeToolBar(1)->isHidden());
        QVERIFY(Checked(frame, 32909));
        frame.ExecuteCommand(32899);
        QVERIFY(!frame.ModeToolBar(6)->isHidden());
        QCOMPARE(frame.ModeToolBarCode(), 6);
        QVERIFY(!Checked(frame, 32909));
        // Choosing the shown bar again keeps it.
        frame.ExecuteCommand(32989);
        frame.ExecuteCommand(32989);
        QVERIFY(!frame.ModeToolBar(10)->isHidden());
        QVERIFY(Checked(frame, 32989));
        for (int id : {32787, 32795, 32796, 32799, 32853, 32856, 32899, 32909, 32989})
            QVERIFY(Enabled(frame, id));
    }

    void aBarChoiceEndsTheActiveTool() {
        CMainFrame frame;
        int redraws = 0;
        frame.SetFullRedraw([&] { ++redraws; });
        g_pointsPresent = -1;
        g_pointCount = 9;
        g_outline.Append(1);
        g_outline.Append(2);
        g_outline.Append(3);

        // The tool commands are offered and set their tools through the menus.
        QVERIFY(Enabled(frame, 32834));
        frame.ExecuteCommand(32834);
        QCOMPARE(g_toolMode, MODE_OUTLINE_EDIT);
        QCOMPARE(g_outlineEditState, OUTLINE_EDIT_PARTIAL_ERASE);
        QVERIFY(Checked(frame, 32834));
        frame.ExecuteCommand(32842);
        QCOMPARE(g_toolMode, MODE_POINT_EDIT);
        QVERIFY(!Checked(frame, 32834));
        QVERIFY(Checked(frame, 32842));

        // A mode bar ends it and closes the point-edit panel.
        Panel panel(ToolWindow::kPointInputPanel);
        frame.ExecuteCommand(32796);
        QCOMPARE(g_toolMode, MODE_NONE);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kPointInputPanel));
        QVERIFY(!Checked(frame, 32842));
        QCOMPARE(redraws, 1);
        frame.ExecuteCommand(32989);  // no redraw for this bar
        QCOMPARE(redraws, 1);

        // The terrain bar shows the TIN and points and hides route and mesh.
        g_tinPresent = -1;
        g_showTin = 0;
        g_showPoints = 0;
        g_showRoute = -1;
        g_showMesh = -1;
        frame.ExecuteCommand(32853);
        QCOMPARE(g_showTin, -1);
        QCOMPARE(g_showPoints, -1);
        QCOMPARE(g_showRoute, 0);
        QCOMPARE(g_showMesh, 0);
        QCOMPARE(redraws, 2);

        // Commands whose dialogs do not exist here stay disabled.
        g_tinPresent = -1;
        QVERIFY(!Enabled(frame, 32903));
    }

    void displayMenuToolBarToggles() {
        CMainFrame frame;
        frame.show();
        QToolBar* bar = frame.DisplayMenuToolBar();
        QVERIFY(bar && bar->isHidden());
        QCOMPARE(ButtonIds(bar).size(), 25);
        QCOMPARE(ButtonIds(bar).first(), 32789);
        QCOMPARE(ButtonIds(bar).last(), 32974);
        QVERIFY(!Checked(frame, cmd::kDisplayMenuToolBar));
        frame.ExecuteCommand(cmd::kDisplayMenuToolBar);
        QVERIFY(!bar->isHidden());
        QVERIFY(Checked(frame, cmd::kDisplayMenuToolBar));
        frame.ExecuteCommand(cmd::kDisplayMenuToolBar);
        QVERIFY(bar->isHidden());
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<ModeToolBarsTest>(argc, argv);
}

#include "mode_toolbars_uitest.moc"
