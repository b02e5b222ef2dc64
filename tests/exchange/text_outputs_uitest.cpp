// The exchange outputs from the menus: ＳＵＮＭＡＰ出力 (its window, the edits that keep what
// they accept, the output), 数値地図取り込み (a mesh file into points, TIN and outline),
// 三角網座標テキスト出力 with the axis dialog, メッシュ標高テキスト出力 with its format dialog,
// and the curve-element and station reports.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cstring>
#include <filesystem>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "contour/contour_files.h"
#include "exchange/sunmap_out.h"
#include "exchange/ui/sunmap_out_dialog.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "shell/tool_windows.h"
#include "volume/mesh_data.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
QString g_root;

fs::path Root() { return fs::path(g_root.toStdString()); }

std::string Bytes(const fs::path& p) {
    std::string bytes;
    ReadFileBytes(p, bytes);
    return bytes;
}

// Types into an edit and leaves it, as the user does (an offscreen window may not be the
// active one, so the focus leaving is sent to the edit).
void TypeAndLeave(QLineEdit* edit, QWidget* next, const QString& text) {
    edit->setText(text);
    next->setFocus();
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
    QApplication::processEvents();
}
}  // namespace

class TextOutputsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void sunmapOutputFromTheMenu() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        const int32_t contours = g_drawingContoursLoaded;
        const std::string linesPath = g_contourLinesPath;
        g_drawingContoursLoaded = 0;
        QVERIFY(!Enabled(frame, 32852));
        g_contourLinesPath = (Root() / "lines.bin").string();
        std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
        QVERIFY(f);
        WriteContourRecord(f, ContourRecord{kContourCodeStraight, 10, 2});
        WriteContourRecord(f, ContourRecord{0, 1, 2});
        WriteContourRecord(f, ContourRecord{0, 3, 4});
        std::fclose(f);
        g_drawingContoursLoaded = -1;
        QVERIFY(Enabled(frame, 32852));
        ResetSunmapChoices();
        g_currentDataPath = (Root() / "site.RND").string();
        Choose(frame, 32852);
        auto* dialog = frame->findChild<CSunmapOutDlg*>();
        QVERIFY(dialog);
        QVERIFY(Checked(frame, 32852));
        auto* path = Control<QLineEdit>(dialog, 1180);
        auto* scale = Control<QLineEdit>(dialog, 1185);
        auto* layer = Control<QLineEdit>(dialog, 1187);
        QCOMPARE(path->text(), QString::fromStdString((Root() / "site.DAT").string()));
        QCOMPARE(scale->text(), QString("    1"));
        QCOMPARE(Control<QLineEdit>(dialog, 1186)->text(), QString("    2"));
        TypeAndLeave(scale, layer, "500");
        QCOMPARE(scale->text(), QString("  500"));
        TypeAndLeave(scale, layer, "0");  // not a scale: the previous one stays
        QCOMPARE(scale->text(), QString("  500"));
        TypeAndLeave(layer, scale, "9");
        QCOMPARE(layer->text(), QString("    9"));
        Press(dialog, "1166");
        QVERIFY(!IsToolWindowOpen(ToolWindow::kSunmapOut));
        const std::string bytes = Bytes(Root() / "site.DAT");
        QVERIFY(bytes.find("  14   0     0   0      500.000      500.000\r\n") != std::string::npos);
        QVERIFY(bytes.find("\r\n   1   9     0   1        2.000        1.000       10.000\r\n") != std::string::npos);
        g_contourLinesPath = linesPath;
        g_drawingContoursLoaded = contours;
    }

    void digitalMapImportThenTinText() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        QVERIFY(Enabled(frame, 32860));
        // A 3 x 2 mesh, 250 m on the local grid.
        // Columns 1-19 unused, then datum, n and m; the corners are not needed on the local grid.
        std::string header = std::string("533945 DEM  KOKUDO ") + "2001" + "  3" + "  2" + " 3540 0139450 0 3545 0139523 0";
        header.resize(225, ' ');
        const fs::path mesh = Root() / "m.SEM";
        QVERIFY(WriteFileBytes(mesh, header + "11\r\n533945001  100  200  300\r\n533945002  400  500  600\r\n"));
        ClearRecordedMessages();
        if (g_pointCount > 0) QueueMessageAnswer(msg::kIdOk);
        QueueFileDialogAnswer(mesh.string());
        QueueMessageAnswer(msg::kIdNo);  // local grid
        Choose(frame, 32860);
        QCOMPARE(g_pointCount, 6);
        QCOMPARE(g_tinEdgeCount, 3 * 6 - 4 - 6 + 1);
        QCOMPARE(g_outline[0], 6);
        QCOMPARE(g_points[1].x, 250.0);
        QCOMPARE(g_points[3].y, 500.0);
        QCOMPARE(g_points[6].z, 60.0);

        // 三角網座標テキスト出力 with "数学座標": every vertex begins with its Y.
        const fs::path text = Root() / "tin.TXT";
        QVERIFY(Enabled(frame, 32983));
        QueueFileDialogAnswer(text.string());
        WhenModal("axisConventionDialog", [](QWidget* d) { Press(d, "1115"); });
        Choose(frame, 32983);
        const std::string bytes = Bytes(text);
        QCOMPARE(static_cast<int>(bytes.size()), 4 * 146);
        // Triangle 1 of the first cell: P1 (250, 0), P4 (0, 0), P5 (0, 250) as Y, X, Z.
        QVERIFY2(bytes.find("           0.000         250.000          10.000") != std::string::npos, bytes.c_str());
    }

    void meshElevationText() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        const int32_t defined = g_meshAreaDefined;
        g_meshAreaDefined = 0;
        QVERIFY(!Enabled(frame, 32820));
        g_meshColumns = 2, g_meshRows = 1;
        QCOMPARE(g_meshNodes.Resize(4), 0);
        for (int c = 1; c <= 2; ++c) {
            MeshNode& n = g_meshNodes.Data()[c];
            n = MeshNode{};
            n.x = 5, n.y = 10.0 * c, n.z = c, n.valid = 1;
        }
        g_meshElevationsDone = 1;
        g_meshAreaDefined = 1;
        QVERIFY(Enabled(frame, 32820));
        const fs::path out = Root() / "mesh.txt";
        QueueFileDialogAnswer(out.string());
        WhenModal("meshTextFormatDialog", [](QWidget* d) { Press(d, "1114"); });
        QueueMessageAnswer(msg::kIdYes);
        Choose(frame, 32820);
        QCOMPARE(QString::fromStdString(Bytes(out)), QString("10.000,5.000,1.000\r\n20.000,5.000,2.000\r\n"));
        g_meshAreaDefined = defined;
        g_meshElevationsDone = 0;
    }

    void routeReports() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        g_stationCount = 0;
        QVERIFY(!Enabled(frame, 32828));
        g_ipPointCount = 3;
        const char* names[3] = {"BP", "IP", "EP"};
        for (int i = 1; i <= 3; ++i) {
            g_ipPoints[i] = IpPoint{};
            std::strcpy(g_ipPoints[i].name, names[i - 1]);
            g_ipPoints[i].x = 100.0 * i;
            g_ipPoints[i].curveType = i == 2 ? kCurveNone : i == 1 ? kCurveBp : kCurveEp;
        }
        g_ipPoints[2].number = 1;
        const fs::path curves = Root() / "curves.TXT";
        QVERIFY(Enabled(frame, 32827));
        QueueFileDialogAnswer(curves.string());
        Choose(frame, 32827);
        const std::string bytes = Bytes(curves);
        QVERIFY(bytes.rfind("     [", 0) == 0);
        QCOMPARE(bytes.back(), '\f');

        g_stationCapacity = 4;
        QCOMPARE(GrowStationBlock(g_stationCapacity), 0);
        g_stations[1] = StationRecord{};
        std::strcpy(g_stations[1].name, "NO.0");
        g_stationCount = 1;
        QVERIFY(Enabled(frame, 32828));
        const fs::path stations = Root() / "stations.TXT";
        QueueFileDialogAnswer(stations.string());
        Choose(frame, 32828);
        QVERIFY(Bytes(stations).find("     (   1) NO.0         SP=   0.00000 X=     0.00000 Y=     0.00000\r\n") !=
                std::string::npos);
        g_stationCount = 0;
        g_ipPointCount = 0;
    }
};

int main(int argc, char** argv) { return RunWindowTest<TextOutputsWindowTest>(argc, argv, &g_root); }

#include "text_outputs_uitest.moc"
