// The batch edit and the white-line IDs in the program's own windows, chosen from their
// menu items and driven with real mouse events on the view: each shape of 一括編集 leads
// to ランダム点一括編集, and three clicks with 白線ID設定 open chain three points.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "../support/grid_survey.h"
#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "pointedit/area_selection.h"
#include "pointedit/batch_edit.h"
#include "pointedit/line_numbers.h"
#include "shell/command_table.h"
#include "shell/tool_mode.h"
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
constexpr int kBatchEdit = 32914;
constexpr int kLineNumbers = 33056;

// A 5 x 5 grid 10 m apart: point 5r + c + 1 at north 1000 + 10r, east 2000 + 10c.
fs::path WriteGrid() {
    return WriteGridSurvey(fs::path(g_root.toStdString()) / "batch_grid.RND", 5, 5,
                           [](int r, int c) { return 50.0 + r + c; });
}

int32_t At(int r, int c) { return 5 * r + c + 1; }

// Acts on the modal dialog `name` once it shows; `seen` counts the times.
void WhenModal(const char* name, int* seen, std::function<void(QWidget*)> act) {
    ui_driver::WhenModal(name, [seen, act](QWidget* d) {
        ++*seen;
        act(d);
    });
}

void ChooseShape(CMainFrame* frame, int button, int* seen) {
    WhenModal("selectShapeDialog", seen,
              [button](QWidget* d) { Control<QAbstractButton>(d, button)->click(); });
    Choose(frame, kBatchEdit);
}
}  // namespace

class BatchLineUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void batchShapesAndLineIdsFromTheMenus() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        OpenFile(frame, WriteGrid());
        QCOMPARE(g_pointCount, 25);
        g_colorBandOn = 0;
        frame->ExecuteCommand(kShowAll);
        view->grab();
        int shapes = 0, edits = 0;

        // ---- rectangle round points 7 and 8: raised by a height difference of 0.5 ----
        ChooseShape(frame, 1070, &shapes);
        QCOMPARE(shapes, 1);
        QCOMPARE(g_toolMode, MODE_POINT_EDIT);
        QCOMPARE(g_pointEditState, POINT_EDIT_BATCH);
        view->grab();
        const double z7 = g_points[7].z, z8 = g_points[8].z, z9 = g_points[9].z;
        WhenModal("batchEditDialog", &edits, [](QWidget* d) {
            Control<QAbstractButton>(d, "1015")->click();
            Control<QAbstractButton>(d, "1237")->click();
            auto* diff = Control<QLineEdit>(d, "1238");
            diff->setText("0.5");
            Control<QAbstractButton>(d, "1272")->click();
        });
        const QPoint half = (WindowPosition(At(1, 3)) - WindowPosition(At(1, 2))) / 2;
        const QPoint corner = WindowPosition(At(1, 1)) - QPoint(half.x(), -half.x());
        const QPoint opposite = WindowPosition(At(1, 2)) + QPoint(half.x(), -half.x());
        Drag(view, {corner, (corner + opposite) / 2, opposite});
        QCOMPARE(edits, 1);
        QVERIFY(std::fabs(g_points[7].z - (z7 + 0.5)) < 1e-9);
        QVERIFY(std::fabs(g_points[8].z - (z8 + 0.5)) < 1e-9);
        QCOMPARE(g_points[9].z, z9);
        Choose(frame, kBatchEdit);  // the tool again: off
        QCOMPARE(g_toolMode, MODE_NONE);

        // ---- polygon: four corners clicked, the first again; 無効 inside ----
        ChooseShape(frame, 1071, &shapes);
        QCOMPARE(shapes, 2);
        QCOMPARE(g_pointEditState, POINT_EDIT_BATCH + 1);
        view->grab();
        WhenModal("batchEditDialog", &edits, [](QWidget* d) {
            Control<QAbstractButton>(d, "1015")->click();  // no elevation this time
            Control<QAbstractButton>(d, "1013")->click();
            Control<QAbstractButton>(d, "1053")->click();
            Control<QAbstractButton>(d, "1272")->click();
        });
        for (int32_t i : {At(1, 1), At(1, 3), At(3, 3), At(3, 1), At(1, 1)})
            Click(view, WindowPosition(i));
        QCOMPARE(edits, 2);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c) {
                const bool in = r >= 1 && r <= 3 && c >= 1 && c <= 3;
                QCOMPARE(int(g_points[At(r, c)].invalid), in ? 1 : 0);
            }
        QVERIFY(std::fabs(g_points[7].z - (z7 + 0.5)) < 1e-9);
        QCOMPARE(g_pickList.Count(), 0);
        Choose(frame, kBatchEdit);

        // ---- lasso round the middle point; Insert in the dialog makes it valid ----
        ChooseShape(frame, 1073, &shapes);
        QCOMPARE(shapes, 3);
        QCOMPARE(g_pointEditState, POINT_EDIT_BATCH + 2);
        view->grab();
        WhenModal("batchEditDialog", &edits,
                  [](QWidget* d) { QTest::keyClick(Control<QWidget>(d, "1015"), Qt::Key_Insert); });
        const QPoint m = WindowPosition(13), step = (WindowPosition(14) - WindowPosition(13)) / 2,
                     up = (WindowPosition(18) - WindowPosition(13)) / 2;
        Drag(view, {m - step - up, m + step - up, m + step + up, m - step + up,
                    m - step - up + QPoint(1, 0)});
        QCOMPARE(edits, 3);
        QCOMPARE(int(g_points[13].invalid), 0);
        QCOMPARE(int(g_points[12].invalid), 1);
        QCOMPARE(int(g_points[14].invalid), 1);
        QVERIFY(!(g_points[13].flags & (POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION)));
        Choose(frame, kBatchEdit);

        // ---- 33056: three clicks chain three points; the command again closes ----
        Choose(frame, kLineNumbers);
        auto* lines = frame->findChild<QWidget*>("lineNumberDialog");
        QVERIFY(lines && lines->isVisible() && g_lineNumberDlg);
        QCOMPARE(Control<QLineEdit>(lines, "1039")->text(), QString("001"));
        Control<QAbstractButton>(lines, "1033")->click();
        view->grab();
        for (int32_t i : {At(0, 0), At(0, 1), At(0, 2)}) Click(view, WindowPosition(i));
        QCOMPARE(QString(g_points[At(0, 0)].name), QString("_015W002"));
        QCOMPARE(QString(g_points[At(0, 1)].name), QString("_002.003"));
        QCOMPARE(QString(g_points[At(0, 2)].name), QString("_003"));
        QCOMPARE(Control<QLineEdit>(lines, "1039")->text(), QString("004"));
        Choose(frame, kLineNumbers);
        QVERIFY(g_lineNumberDlg == nullptr);
        QTRY_VERIFY(frame->findChild<QWidget*>("lineNumberDialog") == nullptr);
    }

    // The program ends with the window open.
    void lineNumberWindowOpenAtExit() {
        {
            CPelmo_3DApp app;
            app.SetDocumentFactory([] { return MakeDocument(); });
            QVERIFY(app.InitInstance({}));
            Choose(app.MainFrame(), kLineNumbers);
            QVERIFY(g_lineNumberDlg);
        }
        QVERIFY(g_lineNumberDlg == nullptr);
    }
};

int main(int argc, char** argv) { return RunWindowTest<BatchLineUiTest>(argc, argv, &g_root); }

#include "batch_line_uitest.moc"
