// Dialog 170 and the sibling commands as the main window runs them.
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "../windows/window_test_main.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/command_routing.h"
#include "shell/sibling_programs.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/section_drawing_choice_dialog.h"

class SiblingCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void choiceDialogEndsWithTheButtonsCodes_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("code");
        QTest::newRow("通常の横断図") << "1047" << 0;
        QTest::newRow("土量計算横断図") << "1062" << 1;
        QTest::newRow("Esc") << "escape" << 2;
    }
    void choiceDialogEndsWithTheButtonsCodes() {
        QFETCH(QString, action);
        QFETCH(int, code);
        CSectionDrawingChoiceDlg dialog;
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("横断図の選択"));
        QTimer::singleShot(0, &dialog, [&] {
            if (action == "escape")
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.findChild<QPushButton*>(action)->click();
        });
        QCOMPARE(dialog.exec(), code);
    }

    // Every sibling command is enabled from the menu and reaches its program; with no
    // program folder the row's text says so.
    void frameRunsTheSiblingCommands() {
        CMainFrame frame(nullptr);
        SetProgramFolder("/nonexistent-program-folder");
        int asked = 0;
        frame.SetSectionChoiceRunner([&] {
            ++asked;
            return 1;
        });
        for (const SiblingProgramRow& row : SiblingProgramRows()) {
            if (row.command == 32821) continue;  // enabled with slice lines only
            const auto actions = frame.Actions(row.command);
            QVERIFY2(!actions.empty(), row.menuText);
            QVERIFY2(actions.front()->isEnabled(), row.menuText);
        }
        ClearRecordedMessages();
        frame.ExecuteCommand(32839);
        QCOMPARE(asked, 1);
        QCOMPARE(RecordedMessages().size(), size_t(1));
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString::fromUtf8("作画プログラムのパスが見つかりません。"));
        ClearRecordedMessages();
        frame.ExecuteCommand(33014);
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString::fromUtf8("標高差出力ツールのパスが見つかりません"));
    }
};

int main(int argc, char** argv) { return RunWindowTest<SiblingCommandsTest>(argc, argv); }

#include "sibling_commands_uitest.moc"
