// ランダムデータ合成（橋梁トンネル用） and 鳥瞰図ﾙｰﾄからﾄﾝﾈﾙ開口部座標取得 from their menu items.
#include <QAction>
#include <QtTest>
#include <filesystem>
#include <string>

#include "model/document.h"
#include "model/le_bytes.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "../windows/window_test_main.h"

namespace fs = std::filesystem;

namespace {
QString g_root;

void Choose(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    QAction* a = frame->Actions(id).front();
    QVERIFY2(a->isEnabled(), qPrintable(QString::number(id)));
    a->trigger();
}
}  // namespace

class BridgeTunnelWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const fs::path program = fs::path(g_root.toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void commandsFromTheirMenus() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        const fs::path root = g_root.toStdString();

        // Three models of two points and one edge each, chosen together.
        std::string chosen;
        for (int k = 0; k < 3; ++k) {
            std::string text;
            for (int i = 0; i < 5; ++i) text += "********************\r\n";
            for (int i = 0; i < 2; ++i)
                text += FormatString("M%d_CB%-5d%14.4f  %14.4f  %10.3f  0  0  0\r\n", k, i, 10.0 * k,
                                     5.0 * i, 50.0);
            const fs::path rnd = root / FormatString("model%d.RND", k);
            QVERIFY(WriteFileBytes(rnd, text));
            std::string tri;
            for (int32_t v : {0, 0, 1, 1, 1, 2, kNoApex, 2}) PutLeI32(tri, v);
            QVERIFY(WriteFileBytes(root / FormatString("model%d.TRI", k), tri));
            chosen += (chosen.empty() ? "" : "\n") + rnd.string();
        }
        QueueFileDialogAnswer(chosen);
        Choose(frame, 32926);
        QCOMPARE(g_pointCount, 6);
        // Both names marked: each record gives an edge in each direction.
        QCOMPARE(g_tinEdgeCount, 6);
        QCOMPARE(g_tinEdges[5].a, -5);
        QCOMPARE(g_tinEdges[6].a, -6);
        for (int32_t i = 1; i <= 6; ++i) QCOMPARE(int(g_points[i].invalid), 1);

        // A tunnel between two portals.
        std::string route;
        for (int i = 0; i < 5; ++i) route += "HEADER\r\n";
        for (int code : {0, 2, -2, 2})
            route += FormatString("%-24s%15.4f%15.4f%10.3f%3d%10.3f%10.3f\r\n", "NO", 100.0 + 10 * code,
                                  0.0, 80.0, code, 7.0, 5.0);
        QVERIFY(WriteFileBytes(root / "tunnel.RUT", route));
        QueueFileDialogAnswer((root / "tunnel.RUT").string());
        Choose(frame, 32927);
        QCOMPARE(g_pointCount, 6 + 18);
        QCOMPARE(QString(g_points[7].name), QString("T"));
        QCOMPARE(int(g_points[24 + 1].hidden), int(kEndMarker));
        frame->ViewWidget()->grab();
    }
};

int main(int argc, char** argv) { return RunWindowTest<BridgeTunnelWindowTest>(argc, argv, &g_root); }

#include "bridge_tunnel_uitest.moc"
