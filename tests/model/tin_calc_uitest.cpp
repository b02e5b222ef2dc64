// The TIN calculation, automatic outline and duplicate check from the main frame's menu,
// and their dialogs, under the offscreen platform.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QtTest>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "model/auto_outline.h"
#include "model/document.h"
#include "model/duplicate_points.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "model/tin_region_builder.h"
#include "model/ui/auto_outline_dialog.h"
#include "model/ui/document_ui.h"
#include "model/ui/duplicate_check_dialog.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "pointedit/ui/dup_point_select_dialog.h"
#include "shell/command_table.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"
#include "../support/survey_data.h"

namespace {
template <typename W>
W* Control(QWidget* dialog, const char* id) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(id));
    if (!w) qFatal("control %s missing", id);
    return w;
}

// Runs `act` on the modal dialog once it is up; a dialog a failed check left open is closed.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal dialog");
        // Focus moves only in the active window.
        modal->activateWindow();
        if (!QTest::qWaitForWindowActive(modal)) qWarning("the dialog did not become active");
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

int32_t AddPoint(double x, double y, double z = 0) {
    EnsurePointCapacity(g_pointCount + 1);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    p.z = z;
    std::snprintf(p.name, sizeof p.name, "P%d", g_pointCount % 1000000);
    SetPointEndMarker();
    g_pointsPresent = -1;
    return g_pointCount;
}

void RandomPoints(int32_t n) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> u(0.0, 100.0);
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng), u(rng), u(rng));
}

QAction* MenuAction(CMainFrame& frame, int id) {
    const std::vector<QAction*> actions = frame.Actions(id);
    return actions.empty() ? nullptr : actions.front();
}

void SendWheel(QWidget* w, int delta) {
    QWheelEvent wheel(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &wheel);
}
}  // namespace

class TinCalcUiTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        InitDataModel();
        ClearRecordedMessages();
    }
    void cleanup() { ReleaseDataModel(); }

    void menuCommandsNeedPoints() {
        CMainFrame frame;
        frame.RefreshCommandStates();
        for (int id : {cmd::kTinCalc, cmd::kAutoOutline, cmd::kDuplicateCheck}) {
            QAction* a = MenuAction(frame, id);
            QVERIFY(a);
            QVERIFY2(!a->isEnabled(), qPrintable(QString::number(id)));
        }
        RandomPoints(50);
        frame.RefreshCommandStates();
        for (int id : {cmd::kTinCalc, cmd::kAutoOutline, cmd::kDuplicateCheck})
            QVERIFY2(MenuAction(frame, id)->isEnabled(), qPrintable(QString::number(id)));
    }

    void automaticOutlineThenTinFromTheMenu() {
        CMainFrame frame;
        frame.show();
        RandomPoints(400);
        g_extentSize = 120;
        bool enabledWhileBuilding = true;
        // The automatic outline through its dialog: wheel, typed distance, 実行.
        WhenModal([&](QWidget* dlg) {
            auto* edit = Control<QLineEdit>(dlg, "1011");
            QCOMPARE(edit->text(), QString::fromStdString(FormatDistanceForTest(
                                       0.5 * 120 / std::sqrt(400.0) + 0.07 * 120)));
            QCOMPARE(g_autoOutlineWnd, 1);
            edit->setFocus();
            SendWheel(edit, 120);
            QCOMPARE(edit->text(), QLatin1Char(' ') + QString::fromStdString(FormatDistanceForTest(
                                                          g_autoOutlineDistance)));
            edit->setText("1000");
            Control<QPushButton>(dlg, "1191")->setFocus();
            QCOMPARE(g_autoOutlineDistance, 1000.0);
            Control<QPushButton>(dlg, "1191")->click();
        });
        frame.ExecuteCommand(cmd::kAutoOutline);
        QCOMPARE(g_autoOutlineWnd, 0);
        QVERIFY(g_outline.IsClosed());
        QVERIFY(g_outline.Count() >= 3);

        // 三角網計算: the frame takes no input while it builds and the TIN is shown after.
        int polls = 0;
        SetLongLoopPollInterval(0);
        SetHeadlessPumpCallback([&] {
            ++polls;
            enabledWhileBuilding = enabledWhileBuilding && frame.isEnabled();
        });
        g_showTin = 0;
        frame.ExecuteCommand(cmd::kTinCalc);
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
        QVERIFY(polls > 0);
        QVERIFY(!enabledWhileBuilding);
        QCOMPARE(LastTinBuildResult(), TinBuildResult::kComplete);
        QCOMPARE(g_tinPresent, -1);
        QCOMPARE(g_showTin, 1);
        QVERIFY(frame.isEnabled());
        QVERIFY(!WaitCursorShown());
        QVERIFY(!RecordedMessages().empty());
        QCOMPARE(QString::fromStdString(RecordedMessages().back().text),
                 QString::fromUtf8("三角網作成終了"));
    }

    void autoOutlineDialogCancelAndRightButton() {
        RandomPoints(100);
        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "2")->click(); });
        CAutoOutlineDlg::Run(nullptr);
        QCOMPARE(g_autoOutlineWnd, 0);
        QCOMPARE(g_outline.Count(), 0);
        WhenModal([](QWidget* dlg) { QTest::mouseClick(dlg, Qt::RightButton); });
        CAutoOutlineDlg::Run(nullptr);
        QCOMPARE(g_autoOutlineWnd, 0);
    }

    void duplicateCheckFromTheMenu() {
        CMainFrame frame;
        AddPoint(0, 0, 1);
        AddPoint(0.0004, 0, 2);
        AddPoint(50, 50, 3);
        g_dupTolerance = 0.001;
        WhenModal([](QWidget* dlg) {
            QVERIFY(Control<QRadioButton>(dlg, "1100")->isChecked());
            auto* edit = Control<QLineEdit>(dlg, "1236");
            QCOMPARE(edit->text(), QString("0.001"));
            edit->setFocus();
            edit->setText("-0.5");
            Control<QRadioButton>(dlg, "1099")->setFocus();
            QCOMPARE(edit->text(), QString("0.500"));
            edit->setFocus();
            edit->setText("0.0005");
            Control<QRadioButton>(dlg, "1099")->setFocus();
            Control<QRadioButton>(dlg, "1099")->click();
            QCOMPARE(edit->text(), QString("0.500"));
            Control<QPushButton>(dlg, "1101")->click();
        });
        frame.ExecuteCommand(cmd::kDuplicateCheck);
        QCOMPARE(g_dupTolerance, 0.5);
        QCOMPARE(g_pointCount, 2);
        QCOMPARE(g_points[1].z, 1.0);  // the lower one stays
        QCOMPARE(QString::fromStdString(RecordedMessages().back().text),
                 QString::fromUtf8("重複点がありました。\n重複点数 [    1]"));
    }

    void pointSelectionDialog() {
        AddPoint(10.0008, 5, 1.5);
        AddPoint(10.0004, 5, 2.5);
        std::snprintf(g_points[2].name, sizeof g_points[2].name,
                      "\x83\x65\x83\x58");  // テス in CP932
        const std::vector<int32_t> group{1, 2};
        WhenModal([](QWidget* dlg) {
            auto* list = Control<QTreeWidget>(dlg, "1134");
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(list->topLevelItem(0)->text(0), QString("     1"));
            QCOMPARE(list->topLevelItem(0)->text(1), QString("10.0008"));
            QCOMPARE(list->topLevelItem(1)->text(3), QString(" 2.500"));
            QCOMPARE(list->topLevelItem(1)->text(4), QString::fromUtf8("テス"));
            QCOMPARE(list->currentItem(), list->topLevelItem(0));
            Control<QPushButton>(dlg, "1135")->click();
        });
        QCOMPARE(CDupPointSelectDlg::Run(group, nullptr), 0);
        WhenModal([](QWidget* dlg) {
            auto* list = Control<QTreeWidget>(dlg, "1134");
            list->setCurrentItem(list->topLevelItem(1));
            emit list->itemDoubleClicked(list->topLevelItem(1), 0);
        });
        QCOMPARE(CDupPointSelectDlg::Run(group, nullptr), 1);
        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "1088")->click(); });
        QCOMPARE(CDupPointSelectDlg::Run(group, nullptr), -2);
    }

    // The whole road in the program's windows: a real survey opened without an outline, the
    // outline traced through the dialog, the TIN computed from the menu and drawn in the
    // plan. The picture is saved into $NOSTREL_SCREENS when that is set.
    void jacksboroSurveyFromOpenToTin() {
        namespace fs = std::filesystem;
        const fs::path survey = SurveyFile("jacksboro_scatter20k.RND");

        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        frame->resize(1024, 768);
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QueueFileDialogAnswer(survey.string());
        frame->ExecuteCommand(cmd::kFileOpen);
        QCOMPARE(g_pointCount, 20000);
        QCOMPARE(g_outline.Count(), 0);

        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "1191")->click(); });
        frame->ExecuteCommand(cmd::kAutoOutline);
        QVERIFY(g_outline.IsClosed());
        ClearRecordedMessages();
        frame->ExecuteCommand(cmd::kTinCalc);
        QCOMPARE(int(LastTinBuildResult()), int(TinBuildResult::kComplete));
        QVERIFY(g_tinEdgeCount > 3 * 20000 - 1000);
        QCOMPARE(g_showTin, 1);

        g_colorBandOn = 0;
        frame->ExecuteCommand(32800);  // the overall view
        const QImage plan = frame->ViewWidget()->grab().toImage();
        const uint32_t tinColor = g_colorTable[30] & 0xFFFFFF;
        int tin = 0;
        for (int y = 0; y < plan.height(); ++y)
            for (int x = 0; x < plan.width(); ++x) tin += (plan.pixel(x, y) & 0xFFFFFF) == tinColor;
        QVERIFY(tin > plan.width() * plan.height() / 10);
        const QByteArray screens = qgetenv("NOSTREL_SCREENS");
        if (!screens.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(screens));
            QVERIFY(plan.save(QString::fromLocal8Bit(screens) + "/tin_calc_jacksboro.png"));
        }
    }

private:
    static std::string FormatDistanceForTest(double d) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%3.3f", d);
        return buffer;
    }
};

QTEST_MAIN(TinCalcUiTest)
#include "tin_calc_uitest.moc"
