#include <QApplication>
#include <QWidget>
#include <QtTest>
#include <memory>

#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "model/ui/progress_window.h"
#include "platform/busy.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "shell/quiet_mode.h"

class ProgressWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { InitDataModel(); }
    void cleanup() {
        CloseProgressWindow();
        CloseRecordProgressWindow();
        SetProgressWindowFactory(nullptr);
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
        SetInputHooks({});
        SetMessageHandler(nullptr);
        ReleaseDataModel();
    }

    void showsTheLinesOfItsMode() {
        QWidget owner;
        owner.show();
        InstallQtProgressWindows(&owner);
        g_tinEdgeCount = 1234;
        QVERIFY(OpenProgressWindow(progress::kTinEdges));
        auto* dialog = dynamic_cast<CProgressDialog*>(g_progressWnd);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->parentWidget(), &owner);
        QCOMPARE(dialog->windowTitle(), QString::fromUtf8("三角網計算中"));
        QCOMPARE(dialog->FirstLine(), QString::fromUtf8("作成ライン数     1234"));
        QCOMPARE(dialog->SecondLine(), QString::fromUtf8("[Qキー]:中止"));
        ShowProgressNote("       3 秒経過");
        QCOMPARE(dialog->Note(), QString::fromUtf8("       3 秒経過"));
        g_tinEdgeCount = 0;
        CloseProgressWindow();
        QVERIFY(owner.findChildren<CProgressDialog*>().isEmpty());
        QVERIFY(!IsBusy());
    }

    void closingTheOwnerEndsTheBusyState() {
        auto owner = std::make_unique<QWidget>();
        InstallQtProgressWindows(owner.get());
        QVERIFY(OpenProgressWindow(progress::kVolume));
        QVERIFY(IsBusy());
        owner.reset();
        QVERIFY(g_progressWnd == nullptr);
        QVERIFY(!IsBusy());
        // Later windows have no owner rather than a dead one.
        QVERIFY(OpenProgressWindow(progress::kVolume));
        QVERIFY(dynamic_cast<QWidget*>(g_progressWnd)->parentWidget() == nullptr);
    }

    void closingAsksTheRunningLoopToStop() {
        QWidget owner;
        owner.show();
        InstallQtProgressWindows(&owner);
        ClearRecordedMessages();
        // Escape and the close button leave the window open and press the stop key once.
        QVERIFY(OpenProgressWindow(progress::kContourLevel));
        auto* dialog = dynamic_cast<CProgressDialog*>(g_progressWnd);
        QVERIFY(dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->close());
        QVERIFY(dialog->isVisible());
        QVERIFY(g_progressWnd == dialog);
        QCOMPARE(AskToStopWhenRequested("中止しますか", msg::kYesNo), msg::kIdYes);
        QCOMPARE(AskToStopWhenRequested("中止しますか", msg::kYesNo), 0);
        QCOMPARE(RecordedMessages().size(), size_t{1});
        CloseProgressWindow();

        OpenRecordProgressWindow();
        auto* record = dynamic_cast<CRecordProgressDlg*>(g_recordProgressWnd);
        QVERIFY(record);
        QVERIFY(!record->close());
        QVERIFY(record->isVisible());
        QVERIFY(StopKeyPressed());
        CloseRecordProgressWindow();
    }

    void recordWindowCopiesItsTwoTexts() {
        QWidget owner;
        InstallQtProgressWindows(&owner);
        OpenRecordProgressWindow();
        auto* dialog = dynamic_cast<CRecordProgressDlg*>(g_recordProgressWnd);
        QVERIFY(dialog);
        g_progressCaption = "断面計算";
        g_progressCounter = FormatRecordCounter(5, 40);
        RefreshRecordProgressWindow();
        QCOMPARE(dialog->CaptionLine(), QString::fromUtf8("断面計算"));
        QCOMPARE(dialog->CounterLine(), QString::fromUtf8("[     5]/[    40]"));
        QVERIFY(!IsBusy());
        CloseRecordProgressWindow();
        QVERIFY(owner.findChildren<CRecordProgressDlg*>().isEmpty());
    }

    void aTinBuildShowsTheWindowWhileItRuns() {
        QWidget owner;
        owner.show();
        InstallQtProgressWindows(&owner);
        for (int i = 0; i < 500; ++i) {
            EnsurePointCapacity(g_pointCount + 1);
            RandomPoint& p = g_points[++g_pointCount];
            p = RandomPoint{};
            p.x = (i * 7919 % 1000) * 0.1 + 0.05;
            p.y = (i * 104729 % 997) * 0.1 + 0.05;
        }
        for (auto [x, y] : {std::pair{-1.0, -1.0}, {-1.0, 101.0}, {101.0, 101.0}, {101.0, -1.0}}) {
            EnsurePointCapacity(g_pointCount + 1);
            RandomPoint& p = g_points[++g_pointCount];
            p = RandomPoint{};
            p.x = x;
            p.y = y;
            p.flags = kPointFlagOutline;
            g_outline.Append(g_pointCount);
        }
        g_outline.Close();
        SetPointEndMarker();
        OrientPolygonClockwise(g_outline);
        MarkPointsOutsideOutline(g_outline);
        SetLongLoopPollInterval(0);
        bool shown = false;
        QString line;
        SetHeadlessPumpCallback([&] {
            if (auto* dialog = dynamic_cast<CProgressDialog*>(g_progressWnd)) {
                shown = dialog->isVisible();
                line = dialog->FirstLine();
            }
        });
        g_quietMode = 1;
        BuildTinGrid();
        g_quietMode = 0;
        QCOMPARE(static_cast<int>(LastTinBuildResult()), static_cast<int>(TinBuildResult::kComplete));
        QVERIFY(shown);
        QVERIFY(line.startsWith(QString::fromUtf8("作成ライン数")));
        QVERIFY(g_progressWnd == nullptr);
        QVERIFY(owner.findChildren<CProgressDialog*>().isEmpty());

        // Closing the window asks the build to stop, as Q does; the window stays meanwhile.
        bool closed = false, stayed = false;
        SetHeadlessPumpCallback([&] {
            auto* dialog = dynamic_cast<CProgressDialog*>(g_progressWnd);
            if (!dialog || closed) return;
            closed = true;
            dialog->close();
            stayed = dialog->isVisible();
        });
        ClearRecordedMessages();
        QueueMessageAnswer(msg::kIdOk);
        g_quietMode = 1;
        BuildTinGrid();
        g_quietMode = 0;
        QCOMPARE(static_cast<int>(LastTinBuildResult()), static_cast<int>(TinBuildResult::kStopped));
        QVERIFY(stayed);
        QVERIFY(!RecordedMessages().empty());
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString::fromUtf8("三角網計算を中止してよろしいですか"));
        QVERIFY(g_progressWnd == nullptr);
    }

    // Last: it installs the program's key tracking.
    void theStopKeyIsReadAsANewPress() {
        InstallQtPlatform(*qApp);
        SetMessageHandler(nullptr);
        QWidget target;
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        QTest::keyPress(&target, Qt::Key_Q);
        QVERIFY(IsKeyDown('Q'));
        QVERIFY(StopKeyPressed());
        QVERIFY(!StopKeyPressed());  // still held: no new press
        QTest::keyRelease(&target, Qt::Key_Q);
        QTest::keyClick(&target, Qt::Key_Q);
        ForgetStopKey();  // a press before a run or during its question
        QVERIFY(!StopKeyPressed());
        QTest::keyClick(&target, Qt::Key_Q);
        QVERIFY(!IsKeyDown('Q'));
        QVERIFY(StopKeyPressed());  // pressed and let go between two polls
        QVERIFY(!StopKeyPressed());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ProgressWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "progress_window_uitest.moc"
