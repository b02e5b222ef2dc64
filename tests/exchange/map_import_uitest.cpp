// RoadGmXML読込 and 北海道地図ＨＴＦ選択 from the menus: an alignment file, a GPS track through
// the zone dialog, and HTF files through the option dialog with its keys and buttons.
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "../support/ui_driver.h"
#include "dxf/dxf_store.h"
#include "model/geodesy.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "section/section_records.h"

namespace fs = std::filesystem;
using namespace ui_driver;

class MapImportUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void alignmentAndTrack() {
        MainWindow w;
        QVERIFY(Start(w));
        QVERIFY(Enabled(w.frame, 33072));
        const fs::path folder = m_root.path().toStdString();
        const fs::path xml = folder / "road.XML", gpx = folder / "walk.gpx";
        std::ofstream(xml, std::ios::binary)
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<RoadGM>\r\n <ElementPnts>\r\n"
               "  <ElementPnt Name=\"BP\" x=\"0\" y=\"0\"/>\r\n  <ElementPnt Name=\"EP\" x=\"0\" y=\"300\"/>\r\n"
               " </ElementPnts>\r\n <PIs>\r\n  <PI Name=\"IP1\" x=\"50\" y=\"150\"/>\r\n </PIs>\r\n</RoadGM>\r\n";
        ClearRecordedMessages();
        QueueFileDialogAnswer(xml.string());
        QueueMessageAnswer(msg::kIdNo);
        Choose(w.frame, 33072);
        QCOMPARE(g_ipPointCount, 3);
        QCOMPARE(std::string(g_ipPoints[3].name), std::string("EP"));

        std::ofstream(gpx, std::ios::binary)
            << "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\"><trk><name>ACTIVE LOG</name><trkseg>\n"
               "<trkpt lat=\"35.68\" lon=\"139.76\"><ele>10</ele><time>2020-01-01T09:00:00Z</time></trkpt>\n"
               "<trkpt lat=\"35.681\" lon=\"139.76\"><ele>11</ele><time>2020-01-01T09:00:20Z</time></trkpt>\n"
               "</trkseg></trk></gpx>\n";
        QueueFileDialogAnswer(gpx.string());
        QueueMessageAnswer(msg::kIdYes);
        WhenModal("zoneSelectDialog", [](QWidget* dialog) { Press(dialog, "1"); });
        Choose(w.frame, 33072);
        QCOMPARE(g_planeZone, 9);
        QCOMPARE(g_ipPointCount, 0);
        QCOMPARE(g_stationCount, 2);
        QCOMPARE(std::string(g_stations[1].name), std::string("09:00:00"));
        QCOMPARE(g_crossSectionCount, 2);
        QCOMPARE(g_dxfElementCount, 2);
    }

    void htfFiles() {
        MainWindow w;
        QVERIFY(Start(w));
        QVERIFY(Enabled(w.frame, 33032));
        const fs::path folder = m_root.path().toStdString();
        const fs::path a = folder / "a.HTF", b = folder / "b.HTF";
        std::ofstream(a, std::ios::binary) << "%COORDSYSTEM REALM\r\n%LINE 2 111 2 30\r\n10 20\r\n30 40\r\n";
        std::ofstream(b, std::ios::binary) << "%POINT 300 0 TOP\r\n50 60\r\n";

        // 中止: nothing read.
        g_dxfElementCount = 0;
        QueueFileDialogAnswer(a.string() + "\n" + b.string() + "\n");
        WhenModal("CHTF_inp", [](QWidget* dialog) { Press(dialog, "1224"); });
        Choose(w.frame, 33032);
        QCOMPARE(g_dxfElementCount, 0);

        // A layer typed and left with Enter (the dialog stays open), Esc ignored, then 開始.
        QueueFileDialogAnswer(a.string() + "\n" + b.string() + "\n");
        bool stayedOpen = false;
        WhenModal("CHTF_inp", [&](QWidget* dialog) {
            auto* layer = Control<QLineEdit>(dialog, 1180);
            QCOMPARE(layer->text(), QString("9"));
            layer->setFocus();
            layer->setText("42");
            QTest::keyClick(layer, Qt::Key_Return);
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
            stayedOpen = dialog->isVisible();
            auto* height = Control<QLineEdit>(dialog, 1183);
            QCOMPARE(height->text(), QString("10.000"));
            Press(dialog, "1132");
        });
        Choose(w.frame, 33032);
        QVERIFY(stayedOpen);
        QCOMPARE(g_dxfElementCount, 3);
        QCOMPARE(g_dxfElementsBlock.Data()[1].layer, 42);
        QCOMPARE(g_dxfElementsBlock.Data()[3].pen, DXF_PEN_TEXT);
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(MapImportUiTest)
#include "map_import_uitest.moc"
