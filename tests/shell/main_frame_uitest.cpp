// The main frame under the offscreen platform: title, menus, toolbars, exaggeration box,
// status panes, About box, the reminder timer and the working-folder command.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QVBoxLayout>
#include <QContextMenuEvent>
#include <QMenu>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "model/terrain_data.h"
#include "platform/busy.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "platform/text_io.h"
#include "shell/command_table.h"
#include "shell/height_scale.h"
#include "shell/settings_file.h"
#include "shell/ui/about_dialog.h"
#include "shell/ui/application.h"
#include "shell/ui/backup_reminder_dialog.h"
#include "shell/ui/enter_as_tab.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/mouse_info.h"
#include "shell/work_folder.h"
#include "../windows/window_test_main.h"

namespace {
class FakeDocument : public PlaceholderDocument {
public:
    std::string Title() const override { return title; }
    bool IsModified() const override { return modified; }
    void SaveForBackupPrompt(int kind) override { saves.push_back(kind); }
    bool SaveModified() override { return allowClose; }

    std::string title = "sample";
    bool modified = false;
    bool allowClose = true;
    std::vector<int> saves;
};

QMenu* TopMenu(QMainWindow& w, const QString& title) {
    for (QAction* a : w.menuBar()->actions())
        if (a->menu() && a->text() == title) return a->menu();
    return nullptr;
}

QMenu* MenuAt(QMainWindow& w, const std::string& path) {
    const size_t slash = path.find('/');
    QMenu* top = TopMenu(w, QString::fromStdString(path.substr(0, slash)));
    if (!top || slash == std::string::npos) return top;
    const QString sub = QString::fromStdString(path.substr(slash + 1));
    for (QAction* a : top->actions())
        if (a->menu() && a->text() == sub) return a->menu();
    return nullptr;
}

QAction* ActionIn(const QList<QAction*>& actions, int id) {
    for (QAction* a : actions)
        if (!a->isSeparator() && !a->menu() && a->data().toInt() == id) return a;
    return nullptr;
}

void WriteSettings(const char* content) {
    SetDefaultSettingsPaths();
    QVERIFY(WriteFileBytes(g_settingsFilePath, content));
}
}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        WriteSettings("0\r\n60\r\n");
        ClearRecordedMessages();
        g_heightScale = 1.0;
    }

    void titleFollowsTheDocument() {
        CMainFrame frame;
        QCOMPARE(frame.windowTitle(), QString("Quarvel"));
        FakeDocument doc;
        frame.SetDocument(&doc);
        QCOMPARE(frame.windowTitle(), QString("sample - Nostrel-VODA"));
        doc.title = "jacksboro.RND";
        frame.ExecuteCommand(cmd::kDisplayToolBar);  // any command refreshes the title
        QCOMPARE(frame.windowTitle(), QString("jacksboro.RND - Nostrel-VODA"));
        QCOMPARE(frame.objectName(), QString("OVK_NOSTREL"));
    }

    void menuBarHoldsEveryCommandInItsMenu() {
        CMainFrame frame;
        QStringList titles;
        for (QAction* a : frame.menuBar()->actions()) titles << a->text();
        const QStringList expected = {
            "ﾌｧｲﾙ",         "表示",         "三角網", "等高線", "点編集", "鳥瞰図", "ﾒｯｼｭ土量",
            "平均断面土量", "スライス数量", "計画",   "作図",   "設定",   "ﾍﾙﾌﾟ"};
        QCOMPARE(titles, expected);
        QVERIFY(!frame.menuBar()->actions()[3]->menu());  // 等高線 is a command on the bar

        int items = 0;
        for (const MenuEntry& e : MenuEntries()) {
            if (!e.menu || e.id == 0) continue;
            QList<QAction*> actions;
            if (e.menu[0] == '\0') {
                actions = frame.menuBar()->actions();
            } else {
                QMenu* menu = MenuAt(frame, e.menu);
                QVERIFY2(menu, e.menu);
                actions = menu->actions();
            }
            bool found = false;
            for (QAction* a : actions)
                if (!a->menu() && a->data().toInt() == e.id &&
                    a->text() == QString::fromUtf8(e.text))
                    found = true;
            QVERIFY2(found, qPrintable(QString("%1 %2").arg(e.id).arg(QString::fromUtf8(e.text))));
            ++items;
        }
        QVERIFY(items > 200);
        QVERIFY(MenuAt(frame, "表示/表示設定"));
        QVERIFY(MenuAt(frame, "表示/背景表示"));
        QVERIFY(MenuAt(frame, "表示/ツールバー"));
    }

    void commandsWithoutHandlersAreDisabledAndRulesRefreshOnMenuOpen() {
        InitDataModel();
        CMainFrame frame;
        QMenu* tin = TopMenu(frame, "三角網");
        // 不良三角網チェック (32884): enabled with a TIN only while it has a handler.
        QAction* calc = ActionIn(tin->actions(), 32884);
        QVERIFY(calc);
        g_tinPresent = -1;
        frame.FrameCommands().RemoveHandler(32884);
        emit tin->aboutToShow();
        QVERIFY(!calc->isEnabled());

        frame.FrameCommands().SetHandler(32884, [] {});
        emit tin->aboutToShow();
        QVERIFY(calc->isEnabled());
        g_tinPresent = 0;
        emit tin->aboutToShow();
        QVERIFY(!calc->isEnabled());

        QAction* folder = ActionIn(TopMenu(frame, "ﾌｧｲﾙ")->actions(), cmd::kWorkFolder);
        QVERIFY(folder && folder->isEnabled());
        InitDataModel();
    }

    // Each key of the accelerator table reaches its command, also while the view has the
    // focus; a key whose command has no handler does nothing.
    void acceleratorsReachTheirCommands() {
        InitDataModel();
        g_viewScale = 3;
        g_extentSize = 7;
        CMainFrame frame;
        // Without data the view starts at its defaults.
        QCOMPARE(g_viewScale, 25.6);
        QCOMPARE(g_extentSize, 20.0);

        struct Key {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int id;
        };
        const Key keys[] = {
            {Qt::Key_N, Qt::ControlModifier, 57600},      {Qt::Key_O, Qt::ControlModifier, 57601},
            {Qt::Key_S, Qt::ControlModifier, 57603},      {Qt::Key_Z, Qt::ControlModifier, 57643},
            {Qt::Key_Backspace, Qt::AltModifier, 57643},  {Qt::Key_X, Qt::ControlModifier, 57635},
            {Qt::Key_Delete, Qt::ShiftModifier, 57635},   {Qt::Key_C, Qt::ControlModifier, 57634},
            {Qt::Key_Insert, Qt::ControlModifier, 57634}, {Qt::Key_V, Qt::ControlModifier, 57637},
            {Qt::Key_Insert, Qt::ShiftModifier, 57637},   {Qt::Key_F6, Qt::NoModifier, 57680},
            {Qt::Key_F6, Qt::ShiftModifier, 57681},
        };
        std::vector<int> reached;
        for (const Key& k : keys) frame.FrameCommands().SetHandler(k.id, [&reached, id = k.id] { reached.push_back(id); });
        auto* focus = new QWidget(&frame);
        focus->setFocusPolicy(Qt::StrongFocus);
        frame.setCentralWidget(focus);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QApplication::setActiveWindow(&frame);
        focus->setFocus();
        frame.RefreshCommandStates();
        for (const Key& k : keys) {
            reached.clear();
            QTest::keyClick(focus, k.key, k.modifiers);
            QCOMPARE(reached, std::vector<int>{k.id});
        }
        // Without its handler the key reaches nothing.
        frame.FrameCommands().RemoveHandler(57634);
        frame.RefreshCommandStates();
        reached.clear();
        QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(reached.empty());
        InitDataModel();
    }

    void toolbarsHoldTheirButtons() {
        CMainFrame frame;
        QList<int> mainIds;
        for (QAction* a : frame.MainToolBar()->actions())
            if (!a->isSeparator() && a->data().isValid()) mainIds << a->data().toInt();
        QCOMPARE(mainIds, (QList<int>{32790, 32775, 32779, 32789, 32800, 32776, 32805, 32778, 32777,
                                      32780, 32781, 32782, 32961, 32814}));
        QList<int> displayIds;
        for (QAction* a : frame.DisplayToolBar()->actions()) displayIds << a->data().toInt();
        QCOMPARE(displayIds,
                 (QList<int>{32789, 32779, 32790, 32775, 32800, 32776, 32885, 32792, 32793, 32797,
                             32771, 32854, 32786, 32974, 32966, 32979, 32844}));
        QCOMPARE(frame.toolBarArea(frame.MainToolBar()), Qt::TopToolBarArea);
        QCOMPARE(frame.toolBarArea(frame.DisplayToolBar()), Qt::BottomToolBarArea);
        for (QAction* a : frame.DisplayToolBar()->actions()) QVERIFY(!a->icon().isNull());
        QCOMPARE(ActionIn(frame.DisplayToolBar()->actions(), 32844)->text(), QString("２点間情報"));

        // 表示制御ツール hides and shows the display toolbar and marks its item meanwhile.
        frame.show();
        QAction* item = ActionIn(MenuAt(frame, "表示/ツールバー")->actions(), cmd::kDisplayToolBar);
        QVERIFY(item->isChecked());
        frame.ExecuteCommand(cmd::kDisplayToolBar);
        QVERIFY(frame.DisplayToolBar()->isHidden());
        QVERIFY(!item->isChecked());
        frame.ExecuteCommand(cmd::kDisplayToolBar);
        QVERIFY(!frame.DisplayToolBar()->isHidden());
        QVERIFY(item->isChecked());
    }

    void exaggerationBoxHiddenInThePlanShownInTheBirdsEye() {
        CMainFrame frame;
        frame.show();
        QVERIFY(!frame.MainToolBar()->isHidden());
        QVERIFY(frame.HeightEdit()->isHidden());
        QVERIFY(frame.HeightLabel()->isHidden());
        QCOMPARE(frame.HeightLabel()->text(), QString("縦倍率"));
        QCOMPARE(frame.HeightEdit()->text(), QString("1.0"));

        ShellConditions c;
        c.birdsEyeOn = true;
        frame.SetConditionSource([&] { return c; });
        frame.OnTimer(353);  // bird's-eye view but no points and no stations
        QVERIFY(frame.HeightEdit()->isHidden());
        c.points = true;
        frame.OnTimer(353);
        QVERIFY(!frame.HeightEdit()->isHidden());
        QVERIFY(!frame.HeightLabel()->isHidden());
        QVERIFY(frame.HeightEdit()->isEnabled());
        c.points = false;
        c.stationCount = 2;
        frame.OnTimer(353);
        QVERIFY(!frame.HeightEdit()->isHidden());
        c.birdsEyeOn = false;
        frame.OnTimer(353);
        QVERIFY(frame.HeightEdit()->isHidden());
    }

    void exaggerationBoxTakesEnterAndWheel() {
        CMainFrame frame;
        ShellConditions c;
        c.birdsEyeOn = true;
        c.points = true;
        frame.SetConditionSource([&] { return c; });
        int redraws = 0;
        frame.SetFullRedraw([&] { ++redraws; });
        frame.show();
        frame.OnTimer(353);
        QLineEdit* box = frame.HeightEdit();

        struct Typed {
            const char* keys;
            const char* shown;
            double value;
        };
        for (const Typed& t : {Typed{"75", "50.0", 50.0}, {"0", "0.1", 0.1}, {"3", "3.0", 3.0}}) {
            box->clear();
            QTest::keyClicks(box, t.keys);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(box->text(), QString(t.shown));
            QCOMPARE(g_heightScale, t.value);
        }
        QVERIFY(redraws >= 3);
        // Digits only: a point or a letter is not taken.
        box->clear();
        QTest::keyClicks(box, "2.5x");
        QCOMPARE(box->text(), QString("25"));

        auto wheel = [&](int delta) {
            QWheelEvent e(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &e);
        };
        g_heightScale = 1.9;
        wheel(120);
        QCOMPARE(box->text(), QString("2.0"));
        wheel(120);
        QCOMPARE(box->text(), QString("2.3"));
        QCOMPARE(g_heightScale, 2.3);
        g_heightScale = 0.1;
        wheel(-120);
        QCOMPARE(box->text(), QString("0.1"));

        // Hidden in the plan, the box ignores Enter and the wheel.
        c.birdsEyeOn = false;
        frame.OnTimer(353);
        g_heightScale = 4.0;
        wheel(120);
        QCOMPARE(g_heightScale, 4.0);
    }

    // One press of Enter applies the box once, although the key passes the box, its slot,
    // the toolbar and the window on its way up.
    void exaggerationBoxAppliesOneEnterOnce() {
        CMainFrame frame;
        ShellConditions c;
        c.birdsEyeOn = true;
        c.points = true;
        frame.SetConditionSource([&] { return c; });
        int redraws = 0;
        frame.SetFullRedraw([&] { ++redraws; });
        frame.show();
        frame.OnTimer(353);
        QLineEdit* box = frame.HeightEdit();
        for (int press = 1; press <= 3; ++press) {
            const int before = redraws;
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(redraws - before, 1);
        }
    }

    // The toolbar menu shows a mode bar through its command: the other mode bars go.
    void toolbarMenuShowsModeBarsThroughTheirCommands() {
        CMainFrame frame;
        frame.show();
        frame.ExecuteCommand(32799);  // スライス数量ツール
        QVERIFY(!frame.ModeToolBar(1)->isHidden());
        QStringList texts;
        QTimer::singleShot(0, &frame, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions()) texts << a->text();
            menu->setActiveAction(menu->actions().at(3));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), frame.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&frame, &event);
        QCOMPARE(texts.size(), 6);
        QCOMPARE(texts.at(3), QString::fromUtf8("地形作成ﾂｰﾙ ﾊﾞｰ"));
        QVERIFY(!frame.ModeToolBar(3)->isHidden());
        QVERIFY(frame.ModeToolBar(1)->isHidden());
    }

    void statusBarHasNinePanes() {
        CMainFrame frame;
        QList<QLabel*> panes =
            frame.statusBar()->findChildren<QLabel*>(QRegularExpression("^pane"));
        QCOMPARE(panes.size(), 9);
        const int ids[] = {0, 102, 103, 108, 109, 107, 104, 105, 106};
        int lastX = -1;
        frame.show();
        for (int id : ids) {
            QLabel* pane = frame.StatusPane(id);
            QVERIFY2(pane, qPrintable(QString::number(id)));
            QVERIFY(pane->x() > lastX);
            lastX = pane->x();
        }
        QCOMPARE(frame.StatusPane(0)->text(), QString("ﾚﾃﾞｨ"));
        // Widths follow the blank strings: 26 for X and Y, 1 for pane 107, 16 for the count.
        QVERIFY(frame.StatusPane(102)->width() > frame.StatusPane(106)->width());
        QVERIFY(frame.StatusPane(106)->width() > frame.StatusPane(107)->width());
        QCOMPARE(frame.StatusPane(102)->width(), frame.StatusPane(103)->width());
    }

    void aboutBoxFields() {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QString("Quarvelのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about.Line(1210)->text(), QString("Soft name : KORVENTIS"));
        QVERIFY(about.Line(1211)->text().startsWith("Version : "));
        QVERIFY(QRegularExpression("^Date : \\d{4}-\\d{1,2}-\\d{1,2}$")
                    .match(about.Line(1214)->text())
                    .hasMatch());
        QVERIFY(about.findChild<QDialogButtonBox*>());
    }

    void applicationStartsWithTheDocumentAndTheHintWindow() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return std::make_unique<FakeDocument>(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->windowTitle(), QString("sample - Nostrel-VODA"));
        QVERIFY(frame->MouseInfo()->isVisible());
        QCOMPARE(frame->MouseInfo()->findChildren<QLabel*>().size(), 4);
        // Help reports the missing viewer or file instead of doing nothing.
        frame->ExecuteCommand(cmd::kHelpContents);
        QCOMPARE(RecordedMessages().size(), size_t(1));
        QVERIFY(RecordedMessages()[0].text.find("NOSTREL-VODA.hlp") != std::string::npos);
        // Exit closes the frame.
        frame->ExecuteCommand(cmd::kAppExit);
        QVERIFY(!frame->isVisible());
    }

    void closeAsksTheDocumentFirst() {
        CMainFrame frame;
        FakeDocument doc;
        frame.SetDocument(&doc);
        frame.show();
        doc.allowClose = false;
        QVERIFY(!frame.close());
        QVERIFY(frame.isVisible());
        doc.allowClose = true;
        QVERIFY(frame.close());
    }

    void reminderTimerFollowsTheSettingsFile() {
        {
            WriteSettings("0\r\n5\r\n");
            CMainFrame frame;
            QVERIFY(!frame.ReminderTimerActive());
        }
        WriteSettings("1\r\n5\r\n");
        CMainFrame frame;
        QVERIFY(frame.ReminderTimerActive());
        QCOMPARE(frame.ReminderTimerInterval(), 300000);
        // 96 restarts it with the current interval, or stops it when the reminder is off.
        g_backupReminder[1] = 2;
        frame.OnTimer(96);
        QCOMPARE(frame.ReminderTimerInterval(), 120000);
        g_backupReminder[0] = 0;
        frame.OnTimer(96);
        QVERIFY(!frame.ReminderTimerActive());
    }

    void reminderOpensOnlyForAModifiedDocumentAndWaitsWhileBusy() {
        CMainFrame frame;
        FakeDocument doc;
        frame.SetDocument(&doc);
        frame.show();
        frame.OnTimer(99);
        QVERIFY(!frame.BackupReminder());  // nothing to save

        doc.modified = true;
        SetBusy(true);
        frame.OnTimer(99);
        QVERIFY(!frame.BackupReminder());  // a long operation runs: the tick waits
        SetBusy(false);
        QTRY_VERIFY(frame.BackupReminder());
        CBackup_MSG* reminder = frame.BackupReminder();
        frame.OnTimer(99);
        QCOMPARE(frame.BackupReminder(), reminder);  // one at a time

        QVERIFY(reminder->CountdownActive());
        QCOMPARE(reminder->windowTitle(), QString("ランダムファイル保存確認"));
        QCOMPARE(reminder->PathLabel()->text(),
                 "[" + QString::fromStdString(g_backupFilePath) + "]");
        reminder->Button(1043)->click();
        QTRY_VERIFY(!frame.BackupReminder());
        QCOMPARE(doc.saves, std::vector<int>{1});

        frame.OnTimer(99);
        QTRY_VERIFY(frame.BackupReminder());
        frame.BackupReminder()->Button(1044)->click();
        QTRY_VERIFY(!frame.BackupReminder());
        QCOMPARE(doc.saves, (std::vector<int>{1, 2}));

        // The snapshot goes into the backup file; a file that cannot be made is reported.
        InitDataModel();
        std::filesystem::remove(g_backupFilePath);
        frame.OnTimer(99);
        QTRY_VERIFY(frame.BackupReminder());
        frame.BackupReminder()->Button(1045)->click();
        QTRY_VERIFY(!frame.BackupReminder());
        QVERIFY(std::filesystem::exists(g_backupFilePath));
        QVERIFY(RecordedMessages().empty());
        const std::string saved = g_backupFilePath;
        g_backupFilePath =
            (std::filesystem::path(saved).parent_path() / "no-such-folder" / "x.$BK").string();
        frame.OnTimer(99);
        QTRY_VERIFY(frame.BackupReminder());
        frame.BackupReminder()->Button(1045)->click();
        QTRY_VERIFY(!frame.BackupReminder());
        QCOMPARE(RecordedMessages().size(), size_t(1));
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString("一時ファイルが作成できません"));
        g_backupFilePath = saved;
    }

    void reminderChangesTheBackupName() {
        CMainFrame frame;
        FakeDocument doc;
        doc.modified = true;
        frame.SetDocument(&doc);
        frame.OnTimer(99);
        QTRY_VERIFY(frame.BackupReminder());
        CBackup_MSG* reminder = frame.BackupReminder();
        const std::string chosen =
            (std::filesystem::path(g_settingsFilePath).parent_path() / "other.$BK").string();
        reminder->SetFileChooser([&](const std::string&) { return chosen; });
        reminder->Button(1242)->click();
        QCOMPARE(reminder->PathLabel()->text(), "[" + QString::fromStdString(chosen) + "]");
        QVERIFY(reminder->CountdownActive());
        std::string bytes;
        QVERIFY(ReadFileBytes(g_settingsFilePath, bytes));
        QVERIFY(bytes.find(chosen + "\r\n") != std::string::npos);
        reminder->Button(1188)->click();
        QTRY_VERIFY(!frame.BackupReminder());
    }

    void enterMovesToTheNextControlInDialogsThatAskForIt() {
        QDialog dialog;
        auto* first = new QLineEdit(&dialog);
        auto* second = new QLineEdit(&dialog);
        auto* ok = new QPushButton("OK", &dialog);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(ok);
        InstallEnterAsTab(&dialog);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        first->setFocus();
        QTRY_VERIFY(first->hasFocus());
        QTest::keyClick(first, Qt::Key_Return);
        QTRY_VERIFY(second->hasFocus());
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }

    void savesAndClosingWaitForALongOperation() {
        FakeDocument doc;
        CMainFrame frame;
        frame.SetDocument(&doc);
        frame.show();
        SetBusy(true);
        frame.OnTimer(98);  // the reminder's 上書き保存
        frame.OnTimer(97);  // and 名前を付けて保存
        QVERIFY(!frame.close());
        QVERIFY(doc.saves.empty());
        SetBusy(false);
        QTRY_COMPARE(doc.saves, (std::vector<int>{1, 2}));
        QVERIFY(frame.close());
    }

    void workFolderCommandStoresTheChoice() {
        CMainFrame frame;
        frame.SetFolderChooser([](const std::string&) { return std::string("/survey/jacksboro"); });
        frame.ExecuteCommand(cmd::kWorkFolder);
        QCOMPARE(QString::fromStdString(g_workFolder), QString("/survey/jacksboro/"));
        QCOMPARE(ReadWorkFolderFile(), std::string("/survey/jacksboro/"));
        frame.SetFolderChooser([](const std::string&) { return std::string(); });  // cancelled
        frame.ExecuteCommand(cmd::kWorkFolder);
        QCOMPARE(QString::fromStdString(g_workFolder), QString("/survey/jacksboro/"));
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<MainFrameTest>(argc, argv);
}

#include "main_frame_uitest.moc"
