// Contours end to end in the program's windows: a survey with its TIN opened through the
// menu, the contour command's dialog started, and the lines drawn in the contour colours.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "contour/contour_calc.h"
#include "contour/contour_dialog.h"
#include "contour/ui/contour_calc_dialog.h"
#include "model/document.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "model/ui/progress_window.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "shell/command_table.h"
#include "shell/tool_windows.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

namespace {
constexpr int kShowAll = 32800;
constexpr int kBirdsEyeSwitch = 32805;

QRgb Rgb(uint32_t color) { return qRgb((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF); }

bool Enabled(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    const auto actions = frame->Actions(id);
    return !actions.empty() && actions.front()->isEnabled();
}

int CountColor(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == color;
    return n;
}
}  // namespace

class ContourUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        const fs::path program = fs::path(m_root.path().toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void contoursFromTheMenuAreDrawn() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        auto* view = qobject_cast<CPelmo_3DView*>(frame->ViewWidget());
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QVERIFY(!Enabled(frame, cmd::kContour));

        QueueFileDialogAnswer((fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND").string());
        frame->ExecuteCommand(cmd::kFileOpen);
        QCOMPARE(g_pointCount, 9);
        QVERIFY(g_tinPresent != 0);
        frame->ExecuteCommand(kBirdsEyeSwitch);
        QCOMPARE(g_birdsEyeOn, 0);
        g_colorBandOn = 0;
        frame->ExecuteCommand(kShowAll);
        const QRgb contour = Rgb(g_colorTable[50]);
        const QRgb indexContour = Rgb(g_colorTable[51]);
        const QImage before = view->grab().toImage();
        QCOMPARE(CountColor(before, contour) + CountColor(before, indexContour), 0);

        // The command opens the dialog with the levels the loading set (points 101.5..110).
        QVERIFY(Enabled(frame, cmd::kContour));
        frame->ExecuteCommand(cmd::kContour);
        auto* dlg = dynamic_cast<CContourCalcDlg*>(GetToolWindow(ToolWindow::kContourCalc));
        QVERIFY(dlg);
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        auto* minZ = dlg->findChild<QLineEdit*>("1079");
        QVERIFY(minZ);
        QCOMPARE(minZ->text().trimmed(), QString("102.000"));
        QCOMPARE(dlg->findChild<QLineEdit*>("1081")->text().trimmed(), QString("1.000"));
        dlg->findChild<QRadioButton*>("1076")->click();
        QCOMPARE(g_contourMethod, 0);

        // Enter moves to the next value and starts nothing.
        dlg->activateWindow();
        minZ->setFocus();
        QTRY_COMPARE(dlg->focusWidget(), static_cast<QWidget*>(minZ));
        ClearRecordedMessages();
        QTest::keyClick(minZ, Qt::Key_Return);
        QCOMPARE(dlg->focusWidget(), static_cast<QWidget*>(dlg->findChild<QLineEdit*>("1080")));
        QVERIFY(dlg->isVisible());
        QVERIFY(RecordedMessages().empty());
        QCOMPARE(g_drawingContoursLoaded, 0);

        ClearRecordedMessages();
        dlg->findChild<QPushButton*>("1132")->click();
        QVERIFY(!RecordedMessages().empty());
        QCOMPARE(QString::fromStdString(RecordedMessages().back().text),
                 QString::fromUtf8("等高線計算終了"));
        QCOMPARE(g_drawingContoursLoaded, -1);
        QCOMPARE(g_showDrawingContours, -1);

        const QImage after = view->grab().toImage();
        QVERIFY(CountColor(after, contour) > 50);
        QVERIFY(CountColor(after, indexContour) > 10);  // 105 is an index level
        const QByteArray screens = qgetenv("NOSTREL_SCREENS");
        if (!screens.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(screens));
            QVERIFY(after.save(QString::fromLocal8Bit(screens) + "/contours_plan_grid.png"));
        }

        // A second run: Escape and the close button on its progress window ask to stop (the
        // window stays while the question is open), and 計算開始 pressed inside the run
        // starts nothing.
        SetContourReplaceQuestion([] { return 2; });
        SetLongLoopPollInterval(0);
        ClearRecordedMessages();
        int pumps = 0;
        bool stayed = false;
        SetHeadlessPumpCallback([&] {
            if (++pumps != 3) return;
            auto* progress = dynamic_cast<CProgressDialog*>(g_progressWnd);
            if (!progress) return;
            QTest::keyClick(progress, Qt::Key_Escape);
            progress->close();
            stayed = progress->isVisible();
            dlg->findChild<QPushButton*>("1132")->click();
        });
        QueueMessageAnswer(msg::kIdYes);
        dlg->findChild<QPushButton*>("1132")->click();
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
        QVERIFY(stayed);
        QCOMPARE(pumps, 3);
        QCOMPARE(RecordedMessages().size(), size_t{2});
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString::fromUtf8("等高線計算を中止してよろしいですか"));
        QCOMPARE(QString::fromStdString(RecordedMessages()[1].text),
                 QString::fromUtf8("等高線計算を中止しました。"));
        QVERIFY(g_progressWnd == nullptr);

        // The command again closes the dialog.
        frame->ExecuteCommand(cmd::kContour);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kContourCalc));
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(ContourUiTest)
#include "contour_uitest.moc"
