// Holes in the program's own windows: 中抜登録 from the menu opens the hole-type window,
// whose buttons register and release by surface kind; clicks along TIN edges in the plan
// close a polygon, the hole-kind dialog asks the kind and the cell becomes a hole. The
// outline and hole files go through the menu with the file dialogs' queued answers.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <vector>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "model/ui/hole_dialogs.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
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
constexpr int kBirdsEyeSwitch = 32805;
constexpr int kShowPoints = 32885;
constexpr int kHoleRegister = 32955;
constexpr int kOutlineLoad = 32929;
constexpr int kHoleSave = 33055;
constexpr int kTinEdit = 32837;
constexpr int kShowTin = 32771;
constexpr int kPartialTin = 32862;

// A 3 x 3 grid of points 10 m apart, G1 south-west .. G9 north-east, with its TIN and the
// outline through the eight border points.
fs::path Fixture() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

std::vector<int32_t> NegativeRecords() {
    std::vector<int32_t> v;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
        if (g_tinEdges[i].a < 0) v.push_back(i);
    return v;
}

CHoleSet* HoleSetWindow() { return dynamic_cast<CHoleSet*>(GetToolWindow(ToolWindow::kHoleType)); }
}  // namespace

class HoleToolsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void holesFromTheMenuAndTheView() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        QVERIFY(!Enabled(frame, kHoleRegister));

        OpenFile(frame, Fixture());
        QCOMPARE(g_tinEdgeCount, 16);
        Choose(frame, kBirdsEyeSwitch);
        QCOMPARE(g_birdsEyeOn, 0);
        Choose(frame, kShowPoints);
        g_colorBandOn = 0;
        frame->ExecuteCommand(kShowAll);
        view->grab();

        // 中抜登録: the tool and its window, 現況 off and the other kinds on.
        QVERIFY(Enabled(frame, kHoleRegister));
        Choose(frame, kHoleRegister);
        QCOMPARE(g_toolMode, MODE_OUTLINE_EDIT);
        QCOMPARE(g_outlineEditState, OUTLINE_EDIT_HOLE_REGISTER);
        CHoleSet* holeSet = HoleSetWindow();
        QVERIFY(holeSet);
        QVERIFY(holeSet->isVisible());
        QCOMPARE(holeSet->windowTitle(), QString::fromUtf8("中抜登録"));
        const std::pair<const char*, bool> boxes[] = {
            {"1165", false}, {"1132", true}, {"1167", true}, {"1168", true}, {"1169", true}};
        for (const auto& [id, checked] : boxes) QCOMPARE(holeSet->findChild<QCheckBox*>(id)->isChecked(), checked);

        // The survey's points are current ground: registered only once 現況 is ticked.
        auto button = [holeSet](const char* id) { return holeSet->findChild<QPushButton*>(id); };
        QTest::mouseClick(button("1166"), Qt::LeftButton);
        QVERIFY(NegativeRecords().empty());
        auto* current = holeSet->findChild<QCheckBox*>("1165");
        QTest::mouseClick(current, Qt::LeftButton, Qt::NoModifier, QPoint(6, current->height() / 2));
        QVERIFY(current->isChecked());
        QTest::mouseClick(button("1166"), Qt::LeftButton);
        QCOMPARE(int(NegativeRecords().size()), 16);
        QCOMPARE(g_tinEdges[1].apexBack, kNoApex);
        QTest::mouseClick(button("1170"), Qt::LeftButton);
        QVERIFY(NegativeRecords().empty());

        // Clicks along the south-west cell; a point not joined to the last one is ignored.
        for (int32_t i : {1, 2, 9, 5, 4}) Click(view, WindowPosition(i) + QPoint(1, -1));
        QCOMPARE(g_pickList2.Count(), 4);
        QCOMPARE(g_pickList2[3], 5);
        // Closing on G1 asks the kind; 面積体積 makes the cell's two triangles holes.
        bool asked = false;
        QTimer::singleShot(50, [&asked] {
            auto* sel = qobject_cast<CHoleSel*>(QApplication::activeModalWidget());
            if (!sel) return;
            asked = true;
            QCOMPARE(sel->windowTitle(), QString::fromUtf8("中抜登録"));
            QVERIFY(sel->findChild<QRadioButton*>("1227")->isChecked());
            auto* area = sel->findChild<QRadioButton*>("1228");
            QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(6, area->height() / 2));
            QTest::mouseClick(sel->findChild<QPushButton*>("1229"), Qt::LeftButton);
        });
        Click(view, WindowPosition(1));
        QVERIFY(asked);
        QCOMPARE(NegativeRecords(), (std::vector<int32_t>{1, 2, 4, 7}));
        QCOMPARE(g_toolMode, MODE_NONE);
        QCOMPARE(g_pickList2.Count(), 0);
        QTRY_VERIFY(!HoleSetWindow());

        // 中抜保存 writes the cell as one polygon.
        const fs::path hol = fs::path(g_root.toStdString()) / "cell.HOL";
        QueueFileDialogAnswer(hol.string());
        Choose(frame, kHoleSave);
        std::string bytes;
        QVERIFY(ReadFileBytes(hol, bytes));
        QCOMPARE(QString::fromStdString(bytes),
                 QString("1000.000,2000.000,101.500\r\n1000.000,2010.000,102.250\r\n"
                         "1010.000,2010.000,110.000\r\n1010.000,2000.000,104.750\r\nE\r\n"));

        // 外周読込 replaces the outline after asking.
        const fs::path bn2 = fs::path(g_root.toStdString()) / "corners.BN2";
        QVERIFY(WriteFileBytes(bn2, "1000,2000,0\r\n1000,2020,0\r\n1020,2020,0\r\n1020,2000,0\r\n"));
        ClearRecordedMessages();
        QueueFileDialogAnswer(bn2.string());
        Choose(frame, kOutlineLoad);
        QCOMPARE(QString::fromStdString(RecordedMessages().at(0).text),
                 QString::fromUtf8("現在の外周は解除されます\n よろしいですか"));
        QCOMPARE(g_outline.Count(), 4);
        const int32_t want[] = {1, 3, 9, 7, 1};
        for (int k = 0; k < 5; ++k) QCOMPARE(g_outline[k + 1], want[k]);
        QCOMPARE(g_pointCount, 9);
        QCOMPARE(QString::fromStdString(RecordedFileDialogs().back().title), QString::fromUtf8("外周データ読込"));
    }

    // 三角網編集 swaps the diagonal of the south-west cell with two clicks; 三角網部分計算
    // rebuilds the cell around a new point from a dragged rectangle.
    void tinEditingFromTheMenuAndTheView() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        OpenFile(frame, Fixture());
        Choose(frame, kBirdsEyeSwitch);
        QCOMPARE(g_birdsEyeOn, 0);
        g_colorBandOn = 0;
        frame->ExecuteCommand(kShowAll);
        view->grab();

        // The swap works on the TIN as shown.
        if (g_showTin == 0) Choose(frame, kShowTin);
        QVERIFY(g_showTin != 0);
        Choose(frame, kTinEdit);
        QCOMPARE(g_outlineEditState, OUTLINE_EDIT_TIN_EDGE);
        auto hasEdge = [](int32_t a, int32_t b) {
            for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
                const TinEdge& r = g_tinEdges[i];
                if ((r.a == a && r.b == b) || (r.a == b && r.b == a)) return true;
            }
            return false;
        };
        QVERIFY(hasEdge(1, 5) && !hasEdge(2, 4));
        Click(view, (WindowPosition(1) + WindowPosition(5)) / 2);
        QCOMPARE(g_pickedPoint3, 4);
        QCOMPARE(g_pickedPoint4, 2);
        Click(view, QPoint(15, 15));
        QVERIFY(!hasEdge(1, 5) && hasEdge(2, 4));
        QCOMPARE(g_tinEdgeCount, 16);
        Choose(frame, kTinEdit);
        QCOMPARE(g_toolMode, MODE_NONE);

        // A new point inside the north-east cell, then the rectangle around that cell.
        QCOMPARE(EnsurePointCapacity(g_pointCount + 1), 0);
        RandomPoint& added = g_points[++g_pointCount];
        added = g_points[9];
        added.x = 1013.0;
        added.y = 2016.0;
        std::snprintf(added.name, sizeof added.name, "N10");
        SetPointEndMarker();
        frame->ExecuteCommand(kShowAll);
        view->grab();
        Choose(frame, kPartialTin);
        QCOMPARE(g_outlineEditState, OUTLINE_EDIT_PARTIAL_TIN);
        ClearRecordedMessages();
        const QPoint from = WindowPosition(5) + QPoint(-8, 8), to = WindowPosition(9) + QPoint(8, -8);
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(view, (from + to) / 2);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
        QCOMPARE(QString::fromStdString(RecordedMessages().at(0).text),
                 QString::fromUtf8("三角網部分計算を開始します"));
        QCOMPARE(g_tinEdgeCount, 19);
        for (int32_t p : {5, 6, 8, 9}) QVERIFY(hasEdge(10, p));
        QVERIFY(NegativeRecords().empty());
    }
};

int main(int argc, char** argv) { return RunWindowTest<HoleToolsTest>(argc, argv, &g_root); }

#include "hole_tools_uitest.moc"
