// Commands that arrive in the middle of a long operation, in the program's windows. The
// long operations run for real on part of a real survey; the message pump they poll also
// fires, at once, every way a command reaches the frame: the accelerators, keys on the
// view, every menu item, toolbar button and recent-file entry, and the window's close
// button. No command that touches the data may run, nor may the window close: each
// operation ends as it ends alone and the file on disk stays as it was.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../support/long_operations.h"
#include "../windows/window_test_main.h"
#include "contour/ui/contour_calc_dialog.h"
#include "model/auto_outline.h"
#include "model/document.h"
#include "model/duplicate_points.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/busy.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "shell/command_table.h"
#include "shell/tool_windows.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"

namespace fs = std::filesystem;

namespace {
QString g_root;

void PumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }

// Fires every command the frame offers, by every road it has.
void FireEverything(CMainFrame* frame) {
    // The accelerators, while the items still show enabled.
    for (Qt::Key key : {Qt::Key_N, Qt::Key_O, Qt::Key_S})
        QTest::keyClick(frame, key, Qt::ControlModifier);
    // Keys on the view.
    for (Qt::Key key : {Qt::Key_Delete, Qt::Key_Return}) QTest::keyClick(frame->ViewWidget(), key);
    // The File menu lists the recent files as it opens.
    for (QMenu* menu : frame->findChildren<QMenu*>())
        if (menu->objectName() == QString::fromUtf8("ﾌｧｲﾙ")) emit menu->aboutToShow();
    // Every menu item, button and recent file, whether it shows enabled or not. The
    // commands that touch neither the data nor the tools (some of which open modal
    // windows) are left out.
    for (QAction* action : frame->findChildren<QAction*>()) {
        const int id = action->data().toInt();
        const MenuEntry* entry = FindCommand(id);
        const bool recent = id >= cmd::kFileRecent && id < cmd::kFileRecent + cmd::kRecentFileCount;
        if (!recent && (!entry || entry->runsWhileBusy)) continue;
        emit action->triggered();
    }
    // The window's own close button.
    frame->close();
}
}  // namespace

class BusyCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void commandsWaitForTheLongOperations() {
        const fs::path root = g_root.toStdString();
        fs::create_directories(root / "program");
        SetProgramFolder(root / "program");  // no start-up data set
        const fs::path survey = root / "survey.RND";
        QVERIFY(WriteFileBytes(survey, long_ops::SurveyWithDuplicates()));
        std::string surveyBytes;
        QVERIFY(ReadFileBytes(survey, surveyBytes));

        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        frame->resize(800, 600);
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        frame->SetDuplicateCheckDialogRunner([](DuplicateCheckValues& values) {
            values.keepRule = kKeepHighest;
            return true;
        });
        frame->SetAutoOutlineDialogRunner([] {
            AutoOutlineDialogValues values;
            OpenAutoOutlineDialog(values);
            RunAutoOutline(values);
            CloseAutoOutlineDialog();
        });

        auto open = [&] {
            std::error_code ec;
            fs::remove(g_contourLinesPath, ec);
            g_drawingContoursLoaded = 0;
            if (frame->Document()->IsModified()) QueueMessageAnswer(msg::kIdNo);
            QueueFileDialogAnswer(survey.string());
            frame->ExecuteCommand(cmd::kFileOpen);
            QCOMPARE(g_pointCount, long_ops::kSurveyPoints + long_ops::kPlantedDuplicates);
        };
        auto contours = [frame] {
            frame->ExecuteCommand(cmd::kContour);
            auto* dlg = dynamic_cast<CContourCalcDlg*>(GetToolWindow(ToolWindow::kContourCalc));
            QVERIFY(dlg);
            dlg->findChild<QPushButton*>("1132")->click();
            frame->ExecuteCommand(cmd::kContour);  // closes the dialog
        };
        struct Step {
            const char* name;
            std::function<void()> run;
            std::function<std::string()> result;
        };
        const std::vector<Step> steps = {
            {"重複点チェック", [frame] { frame->ExecuteCommand(cmd::kDuplicateCheck); },
             long_ops::Points},
            {"自動外周", [frame] { frame->ExecuteCommand(cmd::kAutoOutline); }, long_ops::Outline},
            {"三角網計算", [frame] { frame->ExecuteCommand(cmd::kTinCalc); }, long_ops::Tin},
            {"等高線", contours, long_ops::Contours},
        };

        // Each operation alone.
        open();
        std::vector<std::string> alone;
        for (const Step& step : steps) {
            step.run();
            alone.push_back(step.result());
        }
        QVERIFY(g_outline.IsClosed());
        QVERIFY(g_tinEdgeCount > long_ops::kSurveyPoints);
        QVERIFY(g_drawingContoursLoaded != 0);

        // The same with everything fired in the middle of each.
        open();
        const QString title = frame->windowTitle();
        int busyPolls = 0;
        SetLongLoopPollInterval(0);
        SetInputHooks({QtIsKeyDown, QtKeyPressedSinceLastCheck, [&] {
                           PumpEvents();
                           if (!IsBusy()) return;
                           if (++busyPolls <= 2 || busyPolls % 200 == 0) FireEverything(frame);
                       },
                       QtKeyNewlyPressed, QtForgetKeyPresses});
        for (size_t i = 0; i < steps.size(); ++i) {
            busyPolls = 0;
            ClearRecordedFileDialogs();
            steps[i].run();
            QVERIFY2(busyPolls > 2, steps[i].name);
            QVERIFY2(steps[i].result() == alone[i], steps[i].name);
            QVERIFY2(RecordedFileDialogs().empty(), steps[i].name);
            QVERIFY2(frame->isVisible(), steps[i].name);
        }
        SetInputHooks({QtIsKeyDown, QtKeyPressedSinceLastCheck, PumpEvents, QtKeyNewlyPressed, QtForgetKeyPresses});
        SetLongLoopPollInterval(100);
        std::string bytes;
        QVERIFY(ReadFileBytes(survey, bytes));
        QVERIFY(bytes == surveyBytes);  // 上書き保存 wrote nothing
        QCOMPARE(frame->windowTitle(), title);

        // Afterwards the items are offered again and the accelerator acts.
        QTRY_VERIFY(frame->Actions(cmd::kFileOpen).front()->isEnabled());
        if (frame->Document()->IsModified()) QueueMessageAnswer(msg::kIdNo);
        QueueFileDialogAnswer(survey.string());
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QTest::keyClick(frame, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(g_pointCount, long_ops::kSurveyPoints + long_ops::kPlantedDuplicates);
    }
};

int main(int argc, char** argv) { return RunWindowTest<BusyCommandsTest>(argc, argv, &g_root); }

#include "busy_commands_uitest.moc"
