// 任意座標標高計算 from the menu: disabled without a TIN, then the dialog with its file
// choices answered, the calculation and the appended point.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/ui_driver.h"
#include "platform/message_box.h"

namespace fs = std::filesystem;
using namespace ui_driver;

class ArbitraryElevationUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void fromTheMenu() {
        MainWindow w;
        QVERIFY(Start(w));
        QVERIFY(!Enabled(w.frame, 32951));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QVERIFY(g_tinEdgeCount > 0);
        QVERIFY(Enabled(w.frame, 32951));

        const fs::path folder = m_root.path().toStdString();
        const fs::path in = folder / "stakes.csv", out = folder / "stakes_z.RND";
        std::ofstream(in, std::ios::binary) << "1010,2010,\"A 1\"\r\n5000,5000,FAR\r\n";
        const int32_t count = g_pointCount;
        ClearRecordedMessages();
        bool seen = false;
        WhenModal("arbitraryElevationDialog", [&](QWidget* d) {
            seen = true;
            QVERIFY(d->findChild<QRadioButton*>("1022")->isChecked());
            QVERIFY(d->findChild<QRadioButton*>("1027")->isChecked());
            QVERIFY(!d->findChild<QRadioButton*>("1023")->isVisible());
            // Nothing chosen yet.
            Press(d, "1132");
            QCOMPARE(RecordedMessages().back().text, std::string("座標ファイルを選択してください。"));
            QueueFileDialogAnswer(in.string());
            Press(d, "1031");
            QCOMPARE(d->findChild<QLabel*>("1029")->text(), QString::fromStdString(in.string()));
            // The same file under another spelling is refused.
            QueueFileDialogAnswer((folder / "." / "stakes.csv").string());
            Press(d, "1032");
            Press(d, "1132");
            QCOMPARE(RecordedMessages().back().text, std::string("座標ファイルと出力ファイルが同じです。"));
            Press(d, "1026");
            QueueFileDialogAnswer(out.string());
            Press(d, "1032");
            d->findChild<QCheckBox*>("1028")->setChecked(true);
            Press(d, "1132");
        });
        Choose(w.frame, 32951);
        QVERIFY(seen);
        QCOMPARE(RecordedMessages().back().text, std::string("標高計算終了"));
        std::ifstream f(out, std::ios::binary);
        std::stringstream text;
        text << f.rdbuf();
        QCOMPARE(text.str(), std::string("********************\r\n********************\r\n********************\r\n"
                                         "********************\r\n********************\r\n"
                                         "A1             1010.0000       2010.0000     110.000  0  0  0\r\n"));
        QCOMPARE(g_pointCount, count + 1);
        QCOMPARE(std::string(g_points[g_pointCount].name), std::string("A1"));
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(ArbitraryElevationUiTest)
#include "arbitrary_elevation_uitest.moc"
