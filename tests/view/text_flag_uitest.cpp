// テキストフラグ (198) in the program's own windows: chosen from its menu item, its
// buttons clicked and its tool driven with real mouse events on the view of a small
// survey with its TIN.
#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cmath>
#include <filesystem>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "view/text_flag_tool.h"
#include "view/text_flags.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
QString g_root;
constexpr int kTextFlag = 32968;
constexpr int kShowAll = 32800;
constexpr int kBirdsEyeSwitch = 32805;

void ClickButton(QWidget* dialog, const char* name) {
    auto* b = Control<QPushButton>(dialog, name);
    QVERIFY2(b->isVisible(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

QPoint FlagPosition(int32_t i) {
    return {g_viewportCenterX + g_textFlags[i].screenX, g_viewportCenterY - g_textFlags[i].screenY};
}
}  // namespace

class TextFlagUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void flagsAddedEditedAndDeletedWithClicks() {
        MainWindow window;
        QVERIFY(Start(window, QSize(900, 700)));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        QVERIFY(!Enabled(frame, kTextFlag));  // no TIN yet
        OpenFile(frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QCOMPARE(g_pointCount, 9);
        QVERIFY(g_tinPresent != 0);
        if (g_birdsEyeOn) frame->ExecuteCommand(kBirdsEyeSwitch);
        frame->ExecuteCommand(kShowAll);
        view->grab();
        ClearRecordedMessages();

        Choose(frame, kTextFlag);
        QCOMPARE(g_toolMode, MODE_TEXT_FLAG);
        auto* dlg = frame->findChild<QWidget*>("textFlagDialog");
        QVERIFY(dlg && dlg->isVisible() && g_textFlagDlg);
        auto* editPart = Control<QWidget>(dlg, "editPart");
        QVERIFY(!editPart->isVisible());

        // ---- 追加: a click on the middle point with Shift, a text, 登録 ----
        ClickButton(dlg, "add");
        Click(view, WindowPosition(5) + QPoint(4, -3), Qt::ShiftModifier);
        QVERIFY(editPart->isVisible());
        QCOMPARE(Control<QLineEdit>(dlg, "x")->text(), QString("1010.000"));
        QCOMPARE(Control<QLineEdit>(dlg, "y")->text(), QString("2010.000"));
        QCOMPARE(Control<QLineEdit>(dlg, "z")->text(), QString("110.000"));
        auto* text = Control<QLineEdit>(dlg, "text");
        text->clear();
        QTest::keyClicks(text, "Flag A");
        ClickButton(dlg, "register");
        QCOMPARE(g_textFlagCount, 1);
        QCOMPARE(QString(g_textFlags[1].text), QString("Flag A"));
        QCOMPARE(g_textFlags[1].z, 110.0);
        QVERIFY(!editPart->isVisible());

        // ---- 追加 without a text: refused ----
        ClickButton(dlg, "add");
        Click(view, WindowPosition(1));
        QVERIFY(editPart->isVisible());
        ClickButton(dlg, "register");
        QCOMPARE(g_textFlagCount, 1);
        QCOMPARE(RecordedMessages().back().text, std::string("文字を入力してください"));
        ClickButton(dlg, "cancel");

        // ---- 編集: the flag's fields, a new text ----
        view->grab();
        ClickButton(dlg, "edit");
        Click(view, FlagPosition(1));
        QCOMPARE(g_selectedTextFlag, 1);
        QCOMPARE(text->text(), QString("Flag A"));
        text->clear();
        QTest::keyClicks(text, "Flag B");
        ClickButton(dlg, "register");
        QCOMPARE(QString(g_textFlags[1].text), QString("Flag B"));

        // ---- a drag moves it, 中止 puts it back ----
        view->grab();
        const QPoint at = FlagPosition(1);
        Drag(view, {at, at + QPoint(10, 0), at + QPoint(30, 0)});
        QVERIFY(g_textFlags[1].y > 2010.0);
        ClickButton(dlg, "cancel");
        QCOMPARE(g_textFlags[1].y, 2010.0);

        // ---- 削除: two clicks on the flag ----
        view->grab();
        ClickButton(dlg, "delete");
        Click(view, FlagPosition(1));
        QCOMPARE(g_textFlagCount, 1);
        QCOMPARE(g_selectedTextFlag, 1);
        Click(view, FlagPosition(1));
        QCOMPARE(g_textFlagCount, 0);

        // ---- 閉じる: unsaved changes are offered for saving; No keeps the file away ----
        QueueMessageAnswer(msg::kIdNo);
        ClickButton(dlg, "close");
        QCOMPARE(RecordedMessages().back().text,
                 std::string("追加、編集したテキストフラグデータを保存しますか？"));
        QVERIFY(g_textFlagDlg == nullptr);
        QCOMPARE(g_toolMode, MODE_NONE);
        QTRY_VERIFY(frame->findChild<QWidget*>("textFlagDialog") == nullptr);

        // ---- the command opens it again, and again closes it ----
        Choose(frame, kTextFlag);
        QVERIFY(g_textFlagDlg);
        Choose(frame, kTextFlag);
        QVERIFY(g_textFlagDlg == nullptr);
        QCOMPARE(g_toolMode, MODE_NONE);
    }
};

int main(int argc, char** argv) { return RunWindowTest<TextFlagUiTest>(argc, argv, &g_root); }

#include "text_flag_uitest.moc"
