// The map XML commands from the menus: the option dialog "XML input" with its defaults, a
// changed row and 中止; the mesh import through the zone dialog; the mesh read with its TIN.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/ui_driver.h"
#include "dxf/dxf_store.h"
#include "model/geodesy.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {

std::string Map() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dataset xmlns:gml=\"http://www.opengis.net/gml/3.2\">\n"
           "<RdEdg>\n<loc>\n<gml:posList>\n35.7 139.66\n35.701 139.661\n</gml:posList>\n</loc>\n</RdEdg>\n"
           "<ElevPt>\n<gml:pos>35.702 139.662</gml:pos>\n<alti>12.5</alti>\n</ElevPt>\n</Dataset>\n";
}

std::string Mesh(int n, int m) {
    std::ostringstream o;
    o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dataset xmlns:gml=\"http://www.opengis.net/gml/3.2\">\n"
      << "<DEM>\n<mesh>53394611</mesh>\n<gml:lowerCorner>35.7 139.6625</gml:lowerCorner>\n"
      << "<gml:upperCorner>35.708333333333 139.675</gml:upperCorner>\n<gml:low>0 0</gml:low>\n"
      << "<gml:high>" << n - 1 << " " << m - 1 << "</gml:high>\n<gml:tupleList>\n";
    for (int i = 0; i < n * m; ++i) o << "ground," << 100 + i % 7 << ".5\n";
    o << "</gml:tupleList>\n<gml:startPoint>0 0</gml:startPoint>\n</DEM>\n</Dataset>\n";
    return o.str();
}

}  // namespace

class MapXmlUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
        m_folder = m_root.path().toStdString();
        std::ofstream(m_folder / "a.xml", std::ios::binary) << Map();
        std::ofstream(m_folder / "b.xml", std::ios::binary) << Map();
        std::ofstream(m_folder / "mesh.xml", std::ios::binary) << Mesh(8, 6);
    }

    void mapSelectWithTheOptionDialog() {
        MainWindow w;
        QVERIFY(Start(w));
        QVERIFY(Enabled(w.frame, 33030));
        g_planeZone = 0;
        bool seen = false;
        QueueFileDialogAnswer((m_folder / "a.xml").string() + "\n" + (m_folder / "b.xml").string());
        WhenModal("280", [&](QWidget* dlg) {
            QCOMPARE(Control<QLineEdit>(dlg, 1179)->text(), QString("8"));
            QCOMPARE(Control<QLineEdit>(dlg, 1198)->text(), QString("15"));
            QCOMPARE(Control<QLineEdit>(dlg, 1183)->text(), QString("10.000"));
            QCOMPARE(Control<QComboBox>(dlg, 1191)->currentIndex(), 12);
            // The zone pass ran before the dialog.
            QCOMPARE(Control<QLabel>(dlg, 1178)->text(), QString("[ 9 ]"));
            Control<QLineEdit>(dlg, 1190)->setText("42");
            Control<QComboBox>(dlg, 1191)->setCurrentIndex(3);
            Control<QLineEdit>(dlg, 1183)->setText("-2.5");
            Press(dlg, "1132");
            seen = true;
        });
        Choose(w.frame, 33030);
        QVERIFY(seen);
        QCOMPARE(g_dxfElementCount, 6);
        const DxfElement* e = g_dxfElementsBlock.Data();
        QCOMPARE(e[1].layer, 42);
        QCOMPARE(e[1].colour, 3);
        QCOMPARE(e[3].pen, DXF_PEN_TEXT);
        QCOMPARE(e[3].textHeight, 2.5);
        QCOMPARE(e[3].layer, 10);
        QVERIFY(Enabled(w.frame, 32873));

        // 中止 reads nothing.
        QueueFileDialogAnswer((m_folder / "a.xml").string());
        WhenModal("280", [](QWidget* dlg) { Press(dlg, "1224"); });
        Choose(w.frame, 33030);
        QCOMPARE(g_dxfElementCount, 6);
    }

    void meshImportThroughTheZoneDialog() {
        MainWindow w;
        QVERIFY(Start(w));
        const int32_t before = g_pointCount;
        QueueFileDialogAnswer((m_folder / "mesh.xml").string());
        int shownZone = 0;
        if (before > 0) QueueMessageAnswer(msg::kIdOk);
        WhenModal("zoneSelectDialog", [&](QWidget* dlg) {
            shownZone = Control<QComboBox>(dlg, 1118)->currentIndex() + 1;
            QTest::mouseClick(Control<QPushButton>(dlg, 1), Qt::LeftButton);
        });
        Choose(w.frame, 33044);
        QCOMPARE(shownZone, 9);
        QCOMPARE(g_pointCount, 48);
        QCOMPARE(g_points[1].z, 100.5);
    }

    void meshReadBuildsTheTin() {
        // 33070 is reached from a toolbar only.
        MainWindow w;
        QVERIFY(Start(w));
        QueueFileDialogAnswer((m_folder / "mesh.xml").string());
        // The command has no menu item: its toolbar button runs it as the frame does here.
        QVERIFY(Enabled(w.frame, 33070) || !MenuAction(w.frame, 33070));
        w.frame->ExecuteCommand(33070);
        QCOMPARE(g_pointCount, 48);
        QCOMPARE(g_tinEdgeCount, 3 * 48 - 2 * 8 - 2 * 6 + 1);
        QVERIFY(g_outline.Count() >= 4);
    }

private:
    QTemporaryDir m_root;
    fs::path m_folder;
};

QTEST_MAIN(MapXmlUiTest)
#include "map_xml_uitest.moc"
