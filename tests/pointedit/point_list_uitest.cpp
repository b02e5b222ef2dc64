// XY反転 and the point list in the program's own windows, chosen from their menu items: the
// swap dialog's boxes follow the data and 実行 swaps the ticked set; a row clicked in the list
// is marked in the view, and a click on a point in the view makes its row current.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <filesystem>

#include "../support/grid_survey.h"
#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "pointedit/point_list.h"
#include "pointedit/ui/point_list_dialog.h"
#include "shell/command_table.h"
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
constexpr int kSwapXY = 33033;
constexpr int kPointListCommand = 32829;

// A 4 x 5 grid 10 m apart: point 5r + c + 1 at north 1000 + 10r, east 2000 + 10c.
fs::path WriteGrid() {
    return WriteGridSurvey(fs::path(g_root.toStdString()) / "list_grid.RND", 4, 5,
                           [](int r, int c) { return 50.0 + r + c; });
}
}  // namespace

class PointListUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void swapAndListFromTheMenus() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        OpenFile(frame, WriteGrid());
        QCOMPARE(g_pointCount, 20);
        g_colorBandOn = 0;

        // ---- 33033: only the random data exist; ticked and run ----
        bool seen = false;
        QTimer::singleShot(0, [&seen] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog && dialog->objectName() == "xySwapDialog");
            auto* random = dialog->findChild<QCheckBox*>("1032");
            QVERIFY(random && random->isEnabled() && !random->isChecked());
            QVERIFY(!dialog->findChild<QCheckBox*>("1009")->isEnabled());
            QVERIFY(!dialog->findChild<QCheckBox*>("1011")->isEnabled());
            random->click();
            dialog->findChild<QAbstractButton*>("1033")->click();
            seen = true;
        });
        Choose(frame, kSwapXY);
        QVERIFY(seen);
        QCOMPARE(g_points[2].x, 2010.0);
        QCOMPARE(g_points[2].y, 1000.0);

        // 中止 changes nothing.
        QTimer::singleShot(0, [] {
            auto* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            dialog->findChild<QCheckBox*>("1032")->click();
            dialog->findChild<QAbstractButton*>("1159")->click();
        });
        Choose(frame, kSwapXY);
        QCOMPARE(g_points[2].x, 2010.0);

        frame->ExecuteCommand(kShowAll);
        view->grab();

        // ---- 32829: a row clicked is marked in the view ----
        Choose(frame, kPointListCommand);
        auto* list = frame->findChild<CPointListDlg*>("pointListDialog");
        QVERIFY(list && IsToolWindowOpen(ToolWindow::kPointList));
        QVERIFY(list->isVisible());
        auto* table = list->findChild<QTableWidget*>("1134");
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 21);  // 20 points and the new-point row
        QCOMPARE(table->item(20, 0)->text(), QString("   21"));
        QVERIFY(!list->findChild<QLineEdit*>("1139")->isVisible());
        Click(table->viewport(), table->visualItemRect(table->item(4, 0)).center());
        QCOMPARE(g_listHighlightedPoint, 5);
        QCOMPARE(g_pickedPoint, 5);
        QCOMPARE(list->CurrentNumber(), 5);
        QVERIFY(list->findChild<QLineEdit*>("1139")->isVisible());
        QCOMPARE(list->findChild<QLineEdit*>("1139")->text().trimmed(), QString("2040.0000"));

        // ---- a click on point 13 in the view makes its row current ----
        view->grab();
        Click(view, WindowPosition(13) + QPoint(3, 2));
        QCOMPARE(list->CurrentNumber(), 13);
        QCOMPARE(table->currentRow(), 12);
        QCOMPARE(g_listHighlightedPoint, 13);

        // ---- copy and paste through the window system's clipboard ----
        list->findChild<QAbstractButton*>("1135")->click();
        const QStringList copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(copied.size(), 21);
        QVERIFY(copied[0].startsWith(QString::fromUtf8(" Ｎｏ\t")));
        QVERIFY(copied[1].startsWith("   1\t"));
        QApplication::clipboard()->setText(QString::fromUtf8("100\t200\t5\t測点\r\n"));
        list->findChild<QAbstractButton*>("1136")->click();
        QCOMPARE(g_pointCount, 21);
        QCOMPARE(g_points[21].z, 5.0);
        QCOMPARE(QString::fromUtf8(Cp932ToUtf8(g_points[21].name).c_str()), QString::fromUtf8("測点"));
        QCOMPARE(table->rowCount(), 22);

        // ---- rows 5 and 6 deleted: the former point 7 is point 5 ----
        table->clearSelection();
        table->selectRow(4);
        table->setSelectionMode(QAbstractItemView::MultiSelection);
        table->selectRow(5);
        table->setSelectionMode(QAbstractItemView::ExtendedSelection);
        const double seventh = g_points[7].x;
        list->findChild<QAbstractButton*>("1145")->click();
        QCOMPARE(g_pointCount, 19);
        QCOMPARE(g_points[5].x, seventh);
        QCOMPARE(table->rowCount(), 20);

        // ---- the new-point row registered: a point with label mode 2, the row after it new ----
        Click(table->viewport(), table->visualItemRect(table->item(19, 0)).center());
        QCOMPARE(list->CurrentNumber(), 20);
        list->findChild<QLineEdit*>("1139")->setText("1234.5");
        list->findChild<QLineEdit*>("1140")->setText("2345.5");
        list->findChild<QLineEdit*>("1141")->setText("12");
        list->findChild<QLineEdit*>("1142")->setText("NEW");
        list->findChild<QAbstractButton*>("1144")->click();
        QCOMPARE(g_pointCount, 20);
        QCOMPARE(g_points[20].x, 1234.5);
        QCOMPARE(int(g_points[20].plotKind), 2);
        QCOMPARE(table->rowCount(), 21);
        QCOMPARE(table->item(19, 6)->text(), QString(" H"));
        QCOMPARE(table->currentRow(), 20);
        QCOMPARE(list->CurrentNumber(), 21);

        // ---- the menu item closes it again ----
        frame->RefreshCommandStates();
        QVERIFY(frame->Actions(kPointListCommand).front()->isChecked());
        Choose(frame, kPointListCommand);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kPointList));
        QCOMPARE(g_listHighlightedPoint, 0);
        QCOMPARE(g_pickedPoint, 0);
        QVERIFY(!PointListOpen());
    }
};

int main(int argc, char** argv) { return RunWindowTest<PointListUiTest>(argc, argv, &g_root); }

#include "point_list_uitest.moc"
