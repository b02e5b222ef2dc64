// 水位変化シミュレーション from the menu: the window opens on the survey's range, its
// timer steps the level to the end, and the command closes it with the water off.
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/ui_driver.h"
#include "analysis/water_level.h"
#include "platform/message_box.h"
#include "view/color_band_params.h"

namespace fs = std::filesystem;
using namespace ui_driver;

class WaterLevelUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void fromTheMenu() {
        MainWindow w;
        QVERIFY(Start(w, QSize(800, 600)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        g_colorBandParams.waterStart = g_colorBandParams.waterEnd = 0;
        Choose(w.frame, 33063);
        QWidget* d = w.frame->findChild<QWidget*>("waterLevelDialog");
        QVERIFY(d);
        QVERIFY(g_waterDlg);
        QVERIFY(g_colorBandParams.waterShown != 0);
        QCOMPARE(Control<QLineEdit>(d, 1269)->text(), QString::number(std::trunc(g_pointZMin), 'f', 3));

        // A negative interval is refused; 0.01 s is taken.
        for (const char* typed : {"-1", "0.01"}) {
            auto* interval = Control<QLineEdit>(d, 1286);
            interval->setText(typed);
            QTest::keyClick(interval, Qt::Key_Return);
        }
        QCOMPARE(Control<QLineEdit>(d, 1286)->text(), QString("0.010"));
        auto* start = Control<QLineEdit>(d, 1269);
        start->setText("100");
        QTest::keyClick(start, Qt::Key_Return);
        auto* end = Control<QLineEdit>(d, 1270);
        end->setText("104");
        QTest::keyClick(end, Qt::Key_Return);
        auto* step = Control<QLineEdit>(d, 1285);
        step->setText("2");
        QTest::keyClick(step, Qt::Key_Return);

        ClearRecordedMessages();
        Press(d, "1132");
        QCOMPARE(Control<QPushButton>(d, 1132)->text(), QString("End"));
        QVERIFY(!Control<QLineEdit>(d, 1282)->isEnabled());
        QTRY_VERIFY(!g_waterDlg->Running());
        QCOMPARE(g_colorBandParams.waterLevel, 104.0);
        QCOMPARE(Control<QPushButton>(d, 1132)->text(), QString("Start"));
        QVERIFY(!RecordedMessages().empty());
        QCOMPARE(RecordedMessages().back().text, std::string("Simulation complete"));

        QPointer<QWidget> window(d);
        Choose(w.frame, 33063);
        QTRY_VERIFY(!window);
        QVERIFY(!g_waterDlg);
        QCOMPARE(g_colorBandParams.waterShown, 0);
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(WaterLevelUiTest)
#include "water_level_uitest.moc"
