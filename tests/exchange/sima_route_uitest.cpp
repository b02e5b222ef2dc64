// 路線ＳＩＭＡ読込 and 基準点ＳＩＭＡ出力 from the menu: the route read from a file, written
// again through the save dialog, and a file that cannot be written told.
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/ui_driver.h"
#include "platform/message_box.h"
#include "route/route_data.h"

namespace fs = std::filesystem;
using namespace ui_driver;

class SimaRouteUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void readAndWrite() {
        MainWindow w;
        QVERIFY(Start(w));
        QVERIFY(!Enabled(w.frame, 32813));
        const fs::path folder = m_root.path().toStdString();
        const fs::path in = folder / "in.SIM", out = folder / "out.SIM";
        std::ofstream(in, std::ios::binary)
            << "G00,02,-,\r\nA00,\r\nA01,1,BP,0,0,0,\r\nA01,2,IP1,100,50,0,\r\nA01,3,EP,300,50,0,\r\n"
               "A99,\r\nF00, 1, 1, IP-POINT,1,\r\nB01, 1,BP,\r\nB01, 2,IP1,\r\nB01, 3,EP,\r\nF99,\r\n"
               "F00, 3, 1, CENTER,3,\r\nB01, 1,BP,\r\nB03, 0.000,\r\nB01, 3,EP,\r\nB03, 290.000,\r\nF99,\r\n";
        ClearRecordedMessages();
        QueueFileDialogAnswer(in.string());
        Choose(w.frame, 32958);
        QCOMPARE(g_ipPointCount, 3);
        QCOMPARE(g_stationCount, 2);
        QCOMPARE(g_pointCount, 3);
        QVERIFY(Enabled(w.frame, 32813));

        QueueFileDialogAnswer(out.string());
        Choose(w.frame, 32813);
        std::ifstream f(out, std::ios::binary);
        std::stringstream text;
        text << f.rdbuf();
        QVERIFY(text.str().rfind("G00,02,-,\r\n", 0) == 0);
        QVERIFY(text.str().find("A01,2,IP1,100.000,50.000,0.000,\r\n") != std::string::npos);
        QVERIFY(text.str().find("B01, 5,EP,\r\nB03, 290.000,\r\n") != std::string::npos);

        ClearRecordedMessages();
        QueueFileDialogAnswer((folder / "missing" / "x.SIM").string());
        Choose(w.frame, 32813);
        QVERIFY(!RecordedMessages().empty());
        QCOMPARE(RecordedMessages().back().caption, std::string("ファイル作成失敗"));
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(SimaRouteUiTest)
#include "sima_route_uitest.moc"
