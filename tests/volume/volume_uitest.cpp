// The TIN volume and area windows from the menu: the datum volume window, the area
// commands with their digits dialog, and the TIN volume dialog against a base TIN, whose
// regions the view draws.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/tri_file.h"
#include "model/rnd_file.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/tool_windows.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/ui/pelmo_3d_view.h"
#include "volume/ui/volume_dialogs.h"

namespace fs = std::filesystem;

namespace {
bool Enabled(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    const auto actions = frame->Actions(id);
    return !actions.empty() && actions.front()->isEnabled();
}

// Clicks a button of the next modal dialog once it shows.
void ClickInNextModal(const char* button) {
    QTimer::singleShot(0, [button] {
        if (QWidget* w = QApplication::activeModalWidget())
            if (auto* b = w->findChild<QPushButton*>(button)) b->click();
    });
}

int CountColor(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == color;
    return n;
}
}  // namespace

class VolumeUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        const fs::path program = fs::path(m_root.path().toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void volumeWindowsFromTheMenu() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        // Always enabled; without a TIN the TIN volume finds no region.
        QVERIFY(Enabled(frame, 32851));
        QVERIFY(Enabled(frame, 33076));

        QueueFileDialogAnswer((fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND").string());
        frame->ExecuteCommand(57601);
        QVERIFY(g_tinPresent != 0);

        // 体積計算: the window with the lowest elevation as DL.
        QVERIFY(Enabled(frame, 32851));
        frame->ExecuteCommand(32851);
        auto* vol = dynamic_cast<CVolCalc2*>(GetToolWindow(ToolWindow::kVolume));
        QVERIFY(vol);
        auto* result = vol->findChild<QPlainTextEdit*>("1113");
        QVERIFY(!result->isVisible());
        vol->findChild<QLineEdit*>("1011")->setText("0");
        vol->findChild<QPushButton*>("1")->click();
        QVERIFY(result->isVisible());
        QVERIFY(result->toPlainText().contains(QString::fromUtf8("CA体積")));
        // A DL that is no number is refused with a message.
        ClearRecordedMessages();
        vol->findChild<QLineEdit*>("1011")->setText("x");
        vol->findChild<QPushButton*>("1")->click();
        QCOMPARE(RecordedMessages().size(), size_t{1});
        vol->findChild<QPushButton*>("2")->click();
        QVERIFY(!IsToolWindowOpen(ToolWindow::kVolume));

        // 水平面積計算: no report, the digits dialog, the result box.
        ClearRecordedMessages();
        QueueMessageAnswer(msg::kIdNo);
        ClickInNextModal("1");
        frame->ExecuteCommand(32871);
        QCOMPARE(RecordedMessages().size(), size_t{2});
        QVERIFY(QString::fromStdString(RecordedMessages()[1].text).startsWith(QString::fromUtf8("水平面積[")));
        QCOMPARE(QString::fromStdString(RecordedMessages()[1].caption), QString::fromUtf8("水平面積計算終了"));
        // Cancelled digits dialog: nothing computed.
        ClearRecordedMessages();
        QueueMessageAnswer(msg::kIdNo);
        ClickInNextModal("2");
        frame->ExecuteCommand(32870);
        QCOMPARE(RecordedMessages().size(), size_t{1});

        // 三角網体積計算 against the same TIN raised by 1 m as the base, minus regions.
        const fs::path folder = fs::path(m_root.path().toStdString()) / "base";
        fs::create_directories(folder);
        for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].z += 1;
        QVERIFY(WriteRndFile((folder / "base.RND").string(), nullptr));
        QCOMPARE(WriteTriFile(folder / "base.RND"), 0);
        for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].z -= 1;

        QVERIFY(Enabled(frame, 33076));
        frame->ExecuteCommand(33076);
        auto* dlg = dynamic_cast<CTinVolumeDlg*>(GetToolWindow(ToolWindow::kTinVolume));
        QVERIFY(dlg);
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        QVERIFY(!dlg->findChild<QPushButton*>("1")->isEnabled());
        QueueFileDialogAnswer((folder / "base.TRI").string());
        dlg->findChild<QPushButton*>("1049")->click();
        QCOMPARE(dlg->findChild<QLabel*>("1050")->text(), QString("---"));
        QVERIFY(dlg->findChild<QPushButton*>("1")->isEnabled());
        dlg->findChild<QRadioButton*>("1087")->click();
        QCOMPARE(dlg->State().request.regionMode, 2);
        dlg->findChild<QComboBox*>("1063")->setCurrentIndex(0);
        auto* view = qobject_cast<CPelmo_3DView*>(frame->ViewWidget());
        QVERIFY(view);
        const int redBefore = CountColor(view->grab().toImage(), qRgb(255, 0, 0));
        dlg->findChild<QPushButton*>("1")->click();
        const QString text = dlg->findChild<QLabel*>("1050")->text();
        QVERIFY2(text.contains(QString::fromUtf8("－体積[")), qPrintable(text));
        QVERIFY(dlg->State().regionRecordCount > 0);
        QVERIFY(dlg->findChild<QPushButton*>("1114")->isEnabled());
        const std::string regionPath = dlg->State().regionPath;
        QVERIFY(fs::exists(regionPath));

        // The view draws the minus regions red.
        QVERIFY(CountColor(view->grab().toImage(), qRgb(255, 0, 0)) > redBefore + 20);

        // The list, then the command again closes the dialog and removes the region file.
        QueueFileDialogAnswer((folder / "list.TXT").string());
        dlg->findChild<QPushButton*>("1114")->click();
        QVERIFY(fs::exists(folder / "list.TXT"));
        frame->ExecuteCommand(33076);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kTinVolume));
        QTest::qWait(10);
        QVERIFY(!fs::exists(regionPath));
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(VolumeUiTest)
#include "volume_uitest.moc"
