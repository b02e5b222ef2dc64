// The area dialogs in the program's own windows, chosen from their menu items and driven
// with real mouse events on the view: a sphere picked and invalidated, a lasso with the
// vertical duplicate check and the deletion of invalid points, a base point clicked and a
// Shift-drag turn committed, taken back and saved.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QtTest>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "../support/grid_survey.h"
#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/area_selection.h"
#include "pointedit/dup_area_edit.h"
#include "pointedit/move_rotate.h"
#include "pointedit/valid_area_edit.h"
#include "shell/command_table.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

using namespace ui_driver;

namespace {
QString g_root;
constexpr int kShowAll = 32800;
constexpr int kValidArea = 33012;
constexpr int kDupArea = 33013;
constexpr int kMoveRotate = 33074;
constexpr int kValidInvalid = 32847;

// A 5 x 5 grid 10 m apart (point 5r + c + 1 at north 1000 + 10r, east 2000 + 10c), and a
// 26th point 0.02 m beside the middle one, 1 m lower.
fs::path WriteGrid() {
    return WriteGridSurvey(fs::path(g_root.toStdString()) / "area_grid.RND", 5, 5,
                           [](int r, int c) { return 50.0 + r + c; },
                           {{26, 1020.02, 2020.0, 53.0}});
}

// Types the text with real keys and leaves the field with Enter.
void Type(QWidget* dialog, const char* name, const QString& text) {
    auto* e = dialog->findChild<QLineEdit*>(name);
    QVERIFY2(e, name);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
    // Offscreen the dialog may not hold the keyboard focus; then the field is left by hand.
    if (!dialog->isAncestorOf(QApplication::focusWidget())) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(e, &out);
    }
}

}  // namespace

class AreaEditUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void areaDialogsFromTheMenus() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        OpenFile(frame, WriteGrid());
        QCOMPARE(g_pointCount, 26);
        g_colorBandOn = 0;
        frame->ExecuteCommand(kShowAll);
        view->grab();

        // ---- 33012: a sphere of 10.5 m round the middle point, made invalid ----
        Choose(frame, kValidArea);
        auto* valid = frame->findChild<QWidget*>("validAreaEditDialog");
        QVERIFY(valid && IsToolWindowOpen(ToolWindow::kValidAreaEdit));
        Press(valid, "1131");
        Type(valid, "1082", "10.5");
        QCOMPARE(g_validAreaEditDlg->Radius(), 10.5);
        view->grab();
        Click(view, WindowPosition(13));
        QVERIFY(g_validAreaEditDlg->HasPick());
        view->grab();
        Press(valid, "1014");
        for (int32_t i = 1; i <= 26; ++i) {
            const double dn = g_points[i].x - 1020, de = g_points[i].y - 2020, dz = g_points[i].z - 54;
            QCOMPARE(g_points[i].invalid != 0, std::sqrt(dn * dn + de * de + dz * dz) <= 10.5);
        }
        QCOMPARE(int(g_points[13].invalid), 1);
        QCOMPARE(int(g_points[8].invalid), 1);  // 10 m south, 1 m lower
        QCOMPARE(int(g_points[7].invalid), 0);
        Choose(frame, kValidArea);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kValidAreaEdit));
        QVERIFY(g_validAreaEditDlg == nullptr);
        for (int32_t i = 1; i <= 26; ++i) g_points[i].invalid = 0;

        // ---- 33013: a lasso round the middle, the vertical check, the deletion ----
        Choose(frame, kDupArea);
        auto* dup = frame->findChild<QWidget*>("dupAreaEditDialog");
        QVERIFY(dup && g_dupPointAreaEditDlg);
        Press(dup, "1087");
        QCOMPARE(g_dupPointAreaEditDlg->SelectionMethod(), int(CDupPointAreaEditDlg::kLasso));
        view->grab();
        const QPoint m = WindowPosition(13), step = (WindowPosition(14) - WindowPosition(13)) / 2,
                     up = (WindowPosition(18) - WindowPosition(13)) / 2;
        Drag(view, {m - step - up, m + step - up, m + step + up, m - step + up, m - step - up + QPoint(1, 0)});
        QVERIFY(g_points[13].flags & POINT_FLAG_AREA_SELECTED);
        QVERIFY(g_points[26].flags & POINT_FLAG_AREA_SELECTED);
        QVERIFY(!(g_points[12].flags & POINT_FLAG_AREA_SELECTED));
        QCOMPARE(g_dupPointAreaEditDlg->SelectedCount(), 2);
        Press(dup, "1114");
        QCOMPARE(int(g_points[13].invalid), 3);  // the lower of the pair is kept
        QCOMPARE(int(g_points[26].invalid), 0);
        for (int32_t i = 1; i <= 25; ++i)
            if (i != 13) QCOMPARE(int(g_points[i].invalid), 0);
        Press(dup, "1115");
        QCOMPARE(g_pointCount, 25);
        QCOMPARE(QString(g_points[13].name), QString("A14"));
        Choose(frame, kDupArea);
        QVERIFY(g_dupPointAreaEditDlg == nullptr);

        // ---- 33074: base point, Shift-drag turn, 確定, 戻す, 保存 ----
        view->grab();
        const RandomPoint north = g_points[16];  // A17, 10 m north of A12 (A13 is gone)
        Choose(frame, kMoveRotate);
        auto* move = frame->findChild<QWidget*>("moveRotateDialog");
        QVERIFY(move && g_moveRotateDlg);
        Press(move, "1143");
        const int32_t base = 12;  // A12, east-west middle row, column 1
        Click(view, WindowPosition(base));
        QCOMPARE(g_moveRotateDlg->BaseSource(), base);
        // A quarter turn clockwise about the base: from north of it to east of it.
        const QPoint b = WindowPosition(base);
        Drag(view, {b + QPoint(0, -60), b + QPoint(30, -50), b + QPoint(50, -30), b + QPoint(60, 0)},
             Qt::ShiftModifier);
        QVERIFY(std::fabs(g_moveRotateDlg->Rotation() - 90.0) < 1.0);
        Type(move, "1113", "90");
        Press(move, "commit");
        const RandomPoint& pb = g_points[base];
        // A17 lies 10 m north of the base: it goes 10 m east.
        QVERIFY(std::fabs(g_points[16].x - pb.x) < 1e-9);
        QVERIFY(std::fabs(g_points[16].y - (pb.y + 10.0)) < 1e-9);
        QCOMPARE(g_moveRotateDlg->ChangedState(), 3);
        Press(move, "undo");
        QVERIFY(std::fabs(g_points[16].x - north.x) < 1e-9);
        QVERIFY(std::fabs(g_points[16].y - north.y) < 1e-9);
        const fs::path saved = fs::path(g_root.toStdString()) / "moved.RND";
        QueueFileDialogAnswer(saved.string());
        Press(move, "save");
        QVERIFY(fs::exists(saved));
        QCOMPARE(int(fs::file_size(saved)), 5 * 22 + 25 * 63);
        Press(move, "IDOK");
        QVERIFY(g_moveRotateDlg == nullptr);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kMoveRotate));

        // ---- 有効・無効 with Shift opens the same window, and closes it again (the menu
        // item itself waits for its point tool) ----
        TapKey(key::kShift);
        frame->ExecuteCommand(kValidInvalid);
        QVERIFY(g_moveRotateDlg != nullptr);
        QVERIFY(IsToolWindowOpen(ToolWindow::kMoveRotate));
        QVERIFY(g_toolMode == MODE_NONE);
        TapKey(key::kShift);
        frame->ExecuteCommand(kValidInvalid);
        QVERIFY(g_moveRotateDlg == nullptr);
    }
};

int main(int argc, char** argv) { return RunWindowTest<AreaEditUiTest>(argc, argv, &g_root); }

#include "area_edit_uitest.moc"
