// ３Ｄ-ＤＸＦ出力 from the menu: the dialog writes the file it is given, asks before replacing
// one (No keeps the dialog), takes typed numbers on leaving the edit, and closes on a
// right click.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/ui_driver.h"
#include "dxf/dxf3d_output.h"
#include "platform/message_box.h"
#include "shell/tool_windows.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
constexpr int kDxf3dOutput = 32849;

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

class Dxf3dOutputUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void writesFromTheMenu() {
        MainWindow w;
        QVERIFY(Start(w));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QVERIFY(g_tinEdgeCount > 0);
        QVERIFY(Enabled(w.frame, kDxf3dOutput));
        const fs::path out = fs::path(m_root.path().toStdString()) / "plan grid.dxf";
        ClearRecordedMessages();

        bool seen = false;
        WhenModal("dxf3dOutputDialog", [&](QWidget* d) {
            seen = true;
            QVERIFY(IsToolWindowOpen(ToolWindow::kDxfOutput));
            // Proposed beside the data, under the data's name.
            QVERIFY(d->findChild<QLineEdit*>("1167")->text().endsWith("plan_grid.DXF"));
            QVERIFY(d->findChild<QCheckBox*>("1163")->isChecked());
            QVERIFY(!d->findChild<QCheckBox*>("1131")->isChecked());  // no contours loaded
            QVERIFY(d->findChild<QRadioButton*>("1181")->isChecked());
            QVERIFY(!d->findChild<QRadioButton*>("1236")->isEnabled());
            QCOMPARE(d->findChild<QLineEdit*>("1174")->text(), QString("    3"));
            // A number typed and left with Enter: taken, shown as "%5d", the focus moves on.
            auto* existing = d->findChild<QLineEdit*>("1174");
            QApplication::setActiveWindow(d);
            existing->setFocus();
            QTRY_VERIFY(existing->hasFocus());
            existing->selectAll();
            QTest::keyClicks(existing, "42");
            QTest::keyClick(existing, Qt::Key_Return);
            QTRY_VERIFY(!existing->hasFocus());
            QVERIFY(d->isVisible());
            QCOMPARE(g_dxf3dExistingLayer, 42);
            QCOMPARE(existing->text(), QString("   42"));
            d->findChild<QLineEdit*>("1167")->setText(QString::fromStdString(out.string()));
            Press(d, "1166");
        });
        Choose(w.frame, kDxf3dOutput);
        QVERIFY(seen);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kDxfOutput));
        QVERIFY(RecordedMessages().empty());
        const std::string bytes = Bytes(out);
        QVERIFY(bytes.find("3DFACE\r\n  8\r\n42\r\n") != std::string::npos);
        QVERIFY(Bytes(DxpFilePath()).rfind("1\r\n1\r\n2\r\n2\r\n42\r\n", 0) == 0);

        // Asked before the file is replaced: No keeps the dialog open and the file as it was.
        std::ofstream(out, std::ios::binary) << "old";
        seen = false;
        WhenModal("dxf3dOutputDialog", [&](QWidget* d) {
            seen = true;
            d->findChild<QLineEdit*>("1167")->setText(QString::fromStdString(out.string()));
            QueueMessageAnswer(msg::kIdNo);
            Press(d, "1166");
            QVERIFY(d->isVisible());
            QCOMPARE(QString::fromStdString(RecordedMessages().back().caption), QString::fromUtf8("上書き確認"));
            QCOMPARE(Bytes(out), std::string("old"));
            // A right click anywhere closes it.
            QTest::mouseClick(d, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
            QVERIFY(!d->isVisible());
        });
        Choose(w.frame, kDxf3dOutput);
        QVERIFY(seen);
        QCOMPARE(Bytes(out), std::string("old"));
    }

private:
    QTemporaryDir m_root;
};

#include "../windows/window_test_main.h"
int main(int argc, char** argv) { return RunWindowTest<Dxf3dOutputUiTest>(argc, argv); }
#include "dxf3d_output_uitest.moc"
