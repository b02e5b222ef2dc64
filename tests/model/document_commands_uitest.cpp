// The document's export and calculation commands in the program's own windows: each one's
// menu text, when it is enabled, and that it has its handler; and the contour plotter
// started from the menu, which saves first.
#include <QAction>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <vector>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/busy.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "section/section_records.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "volume/mesh_data.h"
#include "../windows/window_test_main.h"

namespace fs = std::filesystem;

namespace {
QString g_root;
fs::path Root() { return g_root.toStdString(); }

void NoData() {
    g_pointsPresent = 0;
    g_tinPresent = 0;
    g_drawingContoursLoaded = 0;
    g_meshAreaDefined = 0;
    g_meshVolumeDone = 0;
    g_ipPointCount = 0;
    g_stationCount = 0;
    g_hasSections = 0;
    g_otherRouteStationCount = 0;
}

// What each command needs before it is enabled.
struct Row {
    int id;
    const char* text;  // empty: no menu entry
    std::function<void()> enable;  // null: always enabled
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {32857, "等高線作図", [] { g_pointsPresent = -1; }},
        {32962, "", nullptr},
        {32922, "他路線データ消去", [] { g_otherRouteStationCount = 1; }},
        {32848, "メッシュ標高クリップボード出力", [] { g_meshAreaDefined = 1; }},
        {33016, "メッシュ土量クリップボード出力", [] { g_meshVolumeDone = 1; }},
        {32813, "基準点ＳＩＭＡ出力", [] { g_ipPointCount = 1; }},
        {32812, "縦断ＳＩＭＡ出力", [] { g_hasSections = 1; }},
        {32815, "横断ＳＩＭＡ出力", [] { g_hasSections = 1; }},
        {32827, "曲線要素テキスト出力", nullptr},
        {32828, "測点テキスト出力", [] { g_stationCount = 1; }},
        {32897, "土量計算", nullptr},
        {32816, "縦横断データランダム出力", [] { g_hasSections = 1; }},
        {32887, "メッシュ土量データ読込", nullptr},
        {32820, "メッシュ標高テキスト出力", [] { g_meshAreaDefined = 1; }},
        {32841, "メッシュ標高ランダム出力", [] { g_meshAreaDefined = 1; }},
        {33006, "三角形配列ランダム出力", [] { g_meshAreaDefined = 1, g_tinPresent = -1; }},
        {32958, "路線ＳＩＭＡ読込", nullptr},
        {32921, "他路線データ読込", nullptr},
        {33057, "メッシュテキスト取り込み", nullptr},
        {32888, "ﾒｯｼｭ縦横断計算", [] { g_meshAreaDefined = 1, g_tinPresent = -1; }},
        {32983, "三角網座標テキスト出力", nullptr},
    };
    return rows;
}
}  // namespace

class DocumentCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
        fs::create_directories(Root() / "program");
        SetProgramFolder(Root() / "program");  // no start-up data set
    }

    void everyCommandHasItsTextRuleAndHandler() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        for (const Row& row : Rows()) {
            const QByteArray name = QByteArray::number(row.id);
            const auto actions = frame->Actions(row.id);
            if (*row.text) {
                QVERIFY2(!actions.empty(), name);
                QCOMPARE(actions.front()->text(), QString::fromUtf8(row.text));
            } else {
                QVERIFY2(actions.empty(), name);
            }
            NoData();
            QCOMPARE(frame->Router().Update(row.id).enabled, row.enable == nullptr);
            if (row.enable) {
                row.enable();
                QVERIFY2(frame->Router().Update(row.id).enabled, name);
            }
            NoData();
            // During a long operation the routing names the handler's owner without running it.
            SetBusy(true);
            const int owner = frame->Router().Execute(row.id);
            SetBusy(false);
            QVERIFY2(owner >= 0, name);
            if (row.id == 32857 || row.id == 32962) QCOMPARE(owner, 1);
        }
        QVERIFY(RecordedMessages().empty());
        QVERIFY(RecordedFileDialogs().empty());
    }

    void contourPlotFromTheMenuSavesBeforeItStarts() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        const auto actions = frame->Actions(32857);
        QVERIFY(!actions.empty());
        QAction* plot = actions.front();
        frame->RefreshCommandStates();
        QVERIFY(!plot->isEnabled());

        // Points under a name, changed since.
        auto* document = static_cast<CPelmo_3DDoc*>(app.Document());
        EnsurePointCapacity(3);
        for (int32_t i = 1; i <= 3; ++i) {
            g_points[i] = RandomPoint{};
            g_points[i].x = 100 + i;
            g_points[i].y = 200 - 2 * i;
            g_points[i].z = 10 + i * i;
            std::snprintf(g_points[i].name, sizeof g_points[i].name, "P%d", i);
        }
        g_pointCount = 3;
        SetPointEndMarker();
        g_pointsPresent = -1;
        const fs::path site = Root() / "site.RND";
        document->SetPathName(site, false);
        g_currentDataPath = site.string();
        g_dataChanged = -1;
        frame->RefreshCommandStates();
        QVERIFY(plot->isEnabled());

        // No: nothing.
        QueueMessageAnswer(msg::kIdNo);
        plot->trigger();
        QCOMPARE(RecordedMessages().size(), size_t(1));
        QVERIFY(!fs::exists(site));

        // Yes: saved, then the plotter is started from the program folder, which lacks it.
        ClearRecordedMessages();
        QueueMessageAnswer(msg::kIdYes);
        plot->trigger();
        QVERIFY(fs::exists(site));
        QVERIFY(!document->IsModified());
        QCOMPARE(RecordedMessages().size(), size_t(2));
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text), QString::fromUtf8("上書き保存してよろしいですか"));
        QCOMPARE(QString::fromStdString(RecordedMessages()[1].text),
                 QString::fromUtf8("作画プログラムはインストールされていません。"));
    }
};

int main(int argc, char** argv) { return RunWindowTest<DocumentCommandsTest>(argc, argv, &g_root); }

#include "document_commands_uitest.moc"
