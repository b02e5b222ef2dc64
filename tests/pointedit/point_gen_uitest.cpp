// The point-generating tools in the program's own windows, chosen from their menu items and
// driven with real mouse events and keys on the view: an offset drag into オフセット指定,
// the parallel dialog's Enter loop, the two-point tool with ２点間情報, 未使用点削除 with
// its three answers, the D key, and the TIN crossings through 発生点保存方法選択.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_intersection.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "pointedit/generated_points.h"
#include "pointedit/offset_points.h"
#include "pointedit/parallel_points.h"
#include "pointedit/point_array.h"
#include "shell/command_table.h"
#include "shell/tool_commands.h"
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
constexpr int kTwoPoint = 32844;
constexpr int kOffset = 32845;
constexpr int kParallel = 32879;
constexpr int kDeleteUnused = 32859;
constexpr int kTinCrossings = 32981;

// A 5 x 5 grid 10 m apart (point 5r + c + 1 at north 1000 + 10r, east 2000 + 10c).
fs::path WriteGrid() {
    return WriteGridSurvey(fs::path(g_root.toStdString()) / "gen_grid.RND", 5, 5,
                           [](int, int c) { return 50.0 + 2 * c; });
}

void Type(QWidget* dialog, const char* id, const QString& text) {
    auto* e = Control<QLineEdit>(dialog, id);
    e->setText(text);
    emit e->editingFinished();
}

}  // namespace

class PointGenUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void pointToolsFromTheMenus() {
        MainWindow window;
        QVERIFY(Start(window));
        // The point-input panel comes with the other point tools; these tools only need it
        // to exist.
        if (!ToolServices().showPointInputPanel) ToolServices().showPointInputPanel = [] {};
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        OpenFile(frame, WriteGrid());
        QCOMPARE(g_pointCount, 25);
        g_colorBandOn = 0;
        frame->ExecuteCommand(kShowAll);
        view->grab();

        // ---- 32845: a drag east from the middle point into オフセット指定 ----
        Choose(frame, kOffset);
        QCOMPARE(g_pointEditState, POINT_EDIT_OFFSET);
        const QPoint base = WindowPosition(13);
        const QPoint east = (WindowPosition(14) - WindowPosition(13)) / 2;  // 5 m east
        bool seen = false;
        WhenModal("offsetPointDialog", [&](QWidget* d) {
            seen = true;
            QCOMPARE(Control<QLabel>(d, "1092")->text(), QString("A13"));
            QCOMPARE(Control<QLineEdit>(d, "1094")->text().trimmed(), QString("90.0000"));
            QVERIFY(std::fabs(Control<QLineEdit>(d, "1095")->text().toDouble() - 5) < 0.2);
            Press(d, "1043");
            Press(d, "1067");        // no bottom ring
            Type(d, "1053", "abc");  // not a number: the old width stays
            QCOMPARE(Control<QLineEdit>(d, "1053")->text().trimmed(), QString("0.200"));
            Type(d, "1053", "4");
            Type(d, "1054", "8");
            QueueMessageAnswer(msg::kIdYes);
            Press(d, "1087");
        });
        Drag(view, {base, base + east});
        QVERIFY(seen);
        QCOMPARE(g_pointCount, 33);
        for (int32_t i = 26; i <= 33; ++i)
            QVERIFY(std::fabs(std::hypot(g_points[i].x - 1020, g_points[i].y - 2020) - 2) < 1e-3);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kOffsetDialog));
        // A right click in the dialog stops it and keeps nothing.
        seen = false;
        WhenModal("offsetPointDialog", [&](QWidget* d) {
            seen = true;
            QTest::mouseClick(d, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
        });
        Drag(view, {WindowPosition(7), WindowPosition(7) + east});
        QVERIFY(seen);
        QCOMPARE(g_pointCount, 33);
        QCOMPARE(g_points[34].hidden, kEndMarker);
        RollBackPointsTo(25);
        view->grab();

        // ---- 32879: a base line, Enter, two runs of 追加, then 終了 ----
        Choose(frame, kParallel);
        QCOMPARE(g_pointEditState, POINT_EDIT_PARALLEL);
        Click(view, WindowPosition(1));
        Click(view, WindowPosition(2));
        QCOMPARE(g_pickList.Count(), 2);
        int runs = 0;
        WhenModal("parallelAddDialog", [&](QWidget* d) {
            ++runs;
            // Enter in a field takes its value and moves on; the dialog stays.
            auto* distance = Control<QLineEdit>(d, "1241");
            distance->setText("2.5");
            QTest::keyClick(distance, Qt::Key_Return);
            QVERIFY(d->isVisible());
            QCOMPARE(g_parallelAddDlg.distance, 2.5);
            Type(d, "1241", "0");
            QVERIFY(!Control<QAbstractButton>(d, "1034")->isEnabled());
            Press(d, "1232");  // nothing to lay: told, the dialog stays
            QVERIFY(d->isVisible());
            Type(d, "1241", "3");
            QueueMessageAnswer(msg::kIdYes);
            WhenModal("parallelAddDialog", [&](QWidget* again) {
                ++runs;
                QVERIFY(Control<QAbstractButton>(again, "1034")->isEnabled());
                // Enter on 終了 presses it.
                QTest::keyClick(Control<QAbstractButton>(again, "1224"), Qt::Key_Return);
            });
            Press(d, "1232");
        });
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(runs, 2);
        QCOMPARE(g_pointCount, 27);
        QVERIFY(std::fabs(std::fabs(g_points[26].x - 1000) - 3) < 1e-9);
        QCOMPARE(g_pickList.Count(), 0);
        RollBackPointsTo(25);
        view->grab();

        // ---- 32844: two points, ２点間情報 closed with Esc, points between, then OK ----
        Choose(frame, kTwoPoint);
        seen = false;
        WhenModal("twoPointInfoDialog", [&](QWidget* d) {
            seen = true;
            QCOMPARE(Control<QLabel>(d, "1017")->text(), QString::fromUtf8("平面距離（40.000）m"));
            QCOMPARE(Control<QLabel>(d, "1020")->text(), QString::fromUtf8("方位角　（90.0000）"));
            // Beside the picks, not over them.
            QVERIFY(!d->frameGeometry().contains(view->mapToGlobal(WindowPosition(1))));
            QVERIFY(!d->frameGeometry().contains(view->mapToGlobal(WindowPosition(5))));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        Click(view, WindowPosition(1));
        Click(view, WindowPosition(5));
        QVERIFY(seen);
        const QPoint step = (WindowPosition(5) - WindowPosition(1)) / 4;
        // 5, 15 and 25 m along, away from the grid's points.
        for (int k = 0; k < 3; ++k) Click(view, WindowPosition(1) + step / 2 + step * k);
        QCOMPARE(g_pointCount, 28);
        QueueMessageAnswer(msg::kIdYes);
        Click(view, WindowPosition(5));
        // From 50 at A1 to 58 at A5 by the distance walked.
        QVERIFY(std::fabs(g_points[26].z - 51) < 0.1);
        QVERIFY(std::fabs(g_points[27].z - 53) < 0.1);
        QVERIFY(std::fabs(g_points[28].z - 55) < 0.1);
        WhenModal("twoPointInfoDialog", [&](QWidget* d) { Press(d, "1084"); });
        Click(view, WindowPosition(1));
        Click(view, WindowPosition(5));
        QCOMPARE(g_toolMode, MODE_NONE);
        RollBackPointsTo(25);

        // ---- 32859 with each answer, then D ----
        g_points[3].invalid = 1;
        g_points[4].outside = 1;
        QueueMessageAnswer(msg::kIdCancel);
        Choose(frame, kDeleteUnused);
        QCOMPARE(g_pointCount, 25);
        QueueMessageAnswer(msg::kIdNo);
        Choose(frame, kDeleteUnused);
        QCOMPARE(g_pointCount, 24);
        QCOMPARE(QString(g_points[3].name), QString("A4"));
        QueueMessageAnswer(msg::kIdYes);
        Choose(frame, kDeleteUnused);
        QCOMPARE(g_pointCount, 23);
        QCOMPARE(QString(g_points[3].name), QString("A5"));
        g_points[1].invalid = 1;
        g_pickList.Reset();
        g_pickList.Append(2);
        QueueMessageAnswer(msg::kIdNo);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_D);
        QCOMPARE(g_pointCount, 22);
        QCOMPARE(g_pickList.Count(), 0);
        view->grab();

        // ---- 32981: a flat square crossed by a standing hole triangle, a rectangle round
        // them, the crossings added, then written to an RND file ----
        RollBackPointsTo(0);
        auto add = [](double x, double y, double z) {
            EnsurePointCapacity(g_pointCount + 1);
            RandomPoint& p = g_points[++g_pointCount];
            p = RandomPoint{};
            p.x = 1000 + x;
            p.y = 2000 + y;
            p.z = 50 + z;
        };
        for (auto [x, y] : {std::pair{0.0, 0.0}, {0.0, 10.0}, {10.0, 10.0}, {10.0, 0.0}})
            add(x, y, 0);
        add(2, 5, -5);
        add(5, 5, 5);
        add(8, 5, -5);
        SetPointEndMarker();
        EnsureTinEdgeCapacity(12);
        g_tinEdgeCount = 0;
        auto triangle = [](int32_t a, int32_t b, int32_t c, int32_t sign) {
            const int32_t v[3] = {a, b, c};
            for (int k = 0; k < 3; ++k)
                g_tinEdges[++g_tinEdgeCount] =
                    TinEdge{sign * v[k], v[(k + 1) % 3], kNoApex, v[(k + 2) % 3], 0};
        };
        triangle(1, 2, 3, 1);
        triangle(1, 3, 4, 1);
        triangle(5, 6, 7, -1);
        SetTinEndRecord();
        g_tinPresent = -1;
        frame->ExecuteCommand(kShowAll);
        view->grab();
        Choose(frame, kTinCrossings);
        QCOMPARE(g_pointEditState, POINT_EDIT_TIN_INTERSECTION);
        const QPoint corner = (WindowPosition(3) - WindowPosition(1)) / 5;
        seen = false;
        WhenModal("genPointSaveDialog", [&](QWidget* d) {
            seen = true;
            Control<QLineEdit>(d, "1221")->setText("TINX");
            Press(d, "1080");
            Press(d, "1");
        });
        Drag(view, {WindowPosition(1) - corner, WindowPosition(3) + corner});
        QVERIFY(seen);
        QCOMPARE(g_pointCount, 10);
        for (int32_t i = 8; i <= 10; ++i) {
            QCOMPARE(QString(g_points[i].name), QString("TINX"));
            QVERIFY(std::fabs(g_points[i].y - 2005) < 1e-9);
            QVERIFY(std::fabs(g_points[i].z - 50) < 1e-9);
        }
        QCOMPARE(g_toolMode, MODE_NONE);
        RollBackPointsTo(7);
        const fs::path rnd = fs::path(g_root.toStdString()) / "crossings.RND";
        QueueFileDialogAnswer(rnd.string());
        WhenModal("genPointSaveDialog", [&](QWidget* d) {
            Control<QLineEdit>(d, "1221")->setText("FILE");
            Press(d, "1");
        });
        Choose(frame, kTinCrossings);
        Drag(view, {WindowPosition(1) - corner, WindowPosition(3) + corner});
        QCOMPARE(g_pointCount, 7);
        QVERIFY(fs::exists(rnd));
        QCOMPARE(fs::file_size(rnd), std::uintmax_t(5 * 22 + 3 * 63));
    }
};

int main(int argc, char** argv) { return RunWindowTest<PointGenUiTest>(argc, argv, &g_root); }

#include "point_gen_uitest.moc"
