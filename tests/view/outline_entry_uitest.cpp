// The outline drawn with the mouse in the program's own windows: the survey opened through
// the menu, the old outline cleared and the outline tool switched on through their menu
// items, four points clicked in the plan and the first one again to close; the Delete key
// takes back a pick and a right double-click ends the tool.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <vector>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "shell/command_table.h"
#include "shell/tool_mode.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/back_buffer.h"
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
constexpr int kOutlineSpecify = 32831;
constexpr int kOutlineClearAll = 32833;

// A 3 x 3 grid of points 10 m apart, G1 south-west .. G9 north-east, with its TIN and the
// outline through the eight border points.
fs::path Fixture() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

// A point a third of the way from a to b.
QPoint Between(int32_t a, int32_t b) {
    const QPoint pa = WindowPosition(a), pb = WindowPosition(b);
    return pa + (pb - pa) / 3;
}

std::vector<int32_t> OutlineEntries() {
    std::vector<int32_t> v;
    for (int32_t k = 1; k <= g_outline.Count() + 1; ++k) v.push_back(g_outline[k]);
    return v;
}

}  // namespace

class OutlineEntryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void outlineByClicksInThePlan() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;

        OpenFile(frame, Fixture());
        QCOMPARE(g_pointCount, 9);
        QCOMPARE(g_outline.Count(), 8);
        Choose(frame, kBirdsEyeSwitch);
        QCOMPARE(g_birdsEyeOn, 0);
        Choose(frame, kShowPoints);
        g_colorBandOn = 0;  // the colour-band switch comes with its dialog
        frame->ExecuteCommand(kShowAll);
        view->grab();

        // 外周全消去 asks first; the headless answer is OK.
        ClearRecordedMessages();
        Choose(frame, kOutlineClearAll);
        QCOMPARE(g_outline.Count(), 0);
        QCOMPARE(QString::fromStdString(RecordedMessages().at(0).text),
                 QString::fromUtf8("現在の外周は解除されます\n よろしいですか"));

        Choose(frame, kOutlineSpecify);
        QCOMPARE(g_toolMode, MODE_OUTLINE_EDIT);
        QCOMPARE(g_outlineEditState, OUTLINE_EDIT_SPECIFY);
        QVERIFY(Checked(frame, kOutlineSpecify));

        const QRgb outline = Rgb(g_colorTable[40]);
        QVERIFY(!Near(view->grab().toImage(), Between(3, 8), outline));

        // G1, G3, G8, G7, a slip onto G5 taken back with Delete, and G1 again to close.
        ClearRecordedMessages();
        for (int32_t i : {1, 3, 8, 7}) Click(view, WindowPosition(i) + QPoint(2, -1));
        QCOMPARE(OutlineEntries(), (std::vector<int32_t>{1, 3, 8, 7, 0}));
        Click(view, WindowPosition(5));
        QCOMPARE(g_outline.Count(), 5);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(g_outline.Count(), 4);
        QCOMPARE(g_points[5].flags, 0);
        // Shift-clicks reach no terrain tool.
        Click(view, WindowPosition(5), Qt::ShiftModifier);
        QCOMPARE(g_outline.Count(), 4);
        Click(view, WindowPosition(1) + QPoint(-3, 2));
        QCOMPARE(OutlineEntries(), (std::vector<int32_t>{1, 3, 8, 7, 1}));
        QCOMPARE(int(RecordedMessages().size()), 1);
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString::fromUtf8("外周が閉じました。"));
        for (int32_t i = 1; i <= 9; ++i)
            QCOMPARE(int(g_points[i].flags), (i == 1 || i == 3 || i == 8 || i == 7) ? 1 : 0);
        QCOMPARE(g_dataChanged, -1);

        // The new outline is drawn: the slanted edge G3-G8 in the outline colour.
        QVERIFY(Near(view->grab().toImage(), Between(3, 8), outline));

        // A right double-click ends the tool; the outline stays.
        QTest::mouseDClick(view, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QCOMPARE(g_toolMode, MODE_NONE);
        QVERIFY(!Checked(frame, kOutlineSpecify));
        QCOMPARE(g_outline.Count(), 4);
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<OutlineEntryTest>(argc, argv, &g_root);
}

#include "outline_entry_uitest.moc"
