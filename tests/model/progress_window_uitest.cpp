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
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ProgressWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "progress_window_uitest.moc"
