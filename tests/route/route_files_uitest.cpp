// The route document and the curve-element list from the main frame's menus, under the
// offscreen platform: 32773 saves, 32772 reopens, 32921 and 32922 load and erase other
// routes, 32838 steps through the curve reports with the mouse.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "route_test_state.h"
#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "route/alg_file.h"
#include "route_files_support.h"
#include "shell/ui/main_frame.h"
#include "view/display_flags.h"

namespace fs = std::filesystem;

using namespace ui_driver;

namespace {
void Click(QWidget* dialog, int id) {
    QTest::mouseClick(Control<QPushButton>(dialog, id), Qt::LeftButton);
}
QString Report(QWidget* dialog) { return Control<QLabel>(dialog, 1021)->text(); }
}  // namespace

class RouteFilesUiTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ResetRouteTestState();
        ClearRecordedFileDialogs();
        m_dir = fs::temp_directory_path() /
                ("nostrel_route_ui_" + std::to_string(QCoreApplication::applicationPid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void cleanup() {
        fs::remove_all(m_dir);
        ReleaseDataModel();
    }

    void curveListStepsWithTheMouse() {
        CMainFrame frame;
        frame.RefreshCommandStates();
        QAction* list = MenuAction(frame, 32838);
        QVERIFY(list && !list->isEnabled());
        route_fixture::MakeComputedRoute();
        frame.RefreshCommandStates();
        QVERIFY(list->isEnabled());

        bool ran = false;
        WhenModal([&](QWidget* dlg) {
            ran = true;
            QCOMPARE(g_currentIp, 2);
            QVERIFY(Report(dlg).contains(QString::fromUtf8("[曲線 諸元]  IP1       (R)")));
            QVERIFY(Report(dlg).contains(QString::fromUtf8("τ　　  7-09-43")));
            Click(dlg, 1025);  // nothing before the first IP
            QCOMPARE(g_currentIp, 2);
            Click(dlg, 1024);
            QCOMPARE(g_currentIp, 3);
            QVERIFY(Report(dlg).contains(QString::fromUtf8("ＣＬ  78.53982")));
            Click(dlg, 1024);
            Click(dlg, 1024);  // nothing after the last
            QCOMPARE(g_currentIp, 4);
            QVERIFY(Report(dlg).contains(QString::fromUtf8("IP3")));
            QVERIFY(Control<QPushButton>(dlg, 1136)->isEnabled());  // writes the curve-element report
            Click(dlg, 1025);
            QCOMPARE(g_currentIp, 3);
            Click(dlg, 1133);
            QVERIFY(!dlg->isVisible());
        });
        frame.ExecuteCommand(32838);
        QVERIFY(ran);
        QCOMPARE(g_currentIp, 0);

        // Escape closes it as 閉じる does.
        ran = false;
        WhenModal([&](QWidget* dlg) {
            ran = true;
            Click(dlg, 1024);
            QCOMPARE(g_currentIp, 3);
            QTest::keyClick(dlg, Qt::Key_Escape);
            QVERIFY(!dlg->isVisible());
        });
        frame.ExecuteCommand(32838);
        QVERIFY(ran);
        QCOMPARE(g_currentIp, 0);
    }

    void routeDocumentSavedAndOpenedFromTheMenu() {
        CMainFrame frame;
        std::unique_ptr<CPelmo_3DDoc> doc = MakeDocument();
        frame.SetDocument(doc.get());
        frame.RefreshCommandStates();
        QAction* save = MenuAction(frame, 32773);
        QAction* open = MenuAction(frame, 32772);
        QVERIFY(save && open);
        QVERIFY(open->isEnabled());
        QVERIFY(!save->isEnabled());
        route_fixture::MakeComputedRoute();
        const int32_t stations = g_stationCount;
        frame.RefreshCommandStates();
        QVERIFY(save->isEnabled());

        const fs::path path = m_dir / "menu.ALG";
        QueueFileDialogAnswer(path.string());
        frame.ExecuteCommand(32773);
        QCOMPARE(RecordedFileDialogs().back().fileName, std::string("No_Name"));
        for (const char* ext : {".ALG", ".YSO", ".RSN"})
            QVERIFY(fs::exists(fs::path(path).replace_extension(ext)));

        InitDataModel();
        QueueFileDialogAnswer(path.string());
        frame.ExecuteCommand(32772);
        QCOMPARE(g_ipPointCount, 5);
        QCOMPARE(g_stationCount, stations);
        QCOMPARE(g_ipPoints[2].curveType, kCurveClothoid);
        QCOMPARE(g_routeDataName, std::string("menu"));
        QCOMPARE(g_showRoute, -1);

        // The next save proposes the route's name.
        QueueFileDialogAnswer("");
        frame.ExecuteCommand(32773);
        QCOMPARE(RecordedFileDialogs().back().fileName, std::string("menu"));
        QVERIFY(RecordedMessages().empty());
    }

    void otherRoutesLoadedAndErasedFromTheMenu() {
        CMainFrame frame;
        std::unique_ptr<CPelmo_3DDoc> doc = MakeDocument();
        frame.SetDocument(doc.get());
        route_fixture::MakeComputedRoute();
        const int32_t stations = g_stationCount;
        const fs::path path = m_dir / "other.ALG";
        QVERIFY(doc->OnSaveDocument(path));
        frame.RefreshCommandStates();
        QAction* erase = MenuAction(frame, 32922);
        QVERIFY(erase && !erase->isEnabled());

        for (const char* pick : {"other.RSN", "other.ALG"}) {
            QueueFileDialogAnswer((m_dir / pick).string());
            frame.ExecuteCommand(32921);
        }
        QCOMPARE(RecordedFileDialogs().back().title, std::string("他路線データ読み込み"));
        QCOMPARE(g_otherRouteIpCount, 12);
        QCOMPARE(g_otherRouteIps[6].number, kRouteSeparator);
        QCOMPARE(g_otherRouteStationCount, 2 * (stations + 1));
        QCOMPARE(g_otherRouteStations[stations + 1].kind, kRouteSeparator);
        QCOMPARE(g_showOtherRoutes, 1);
        frame.RefreshCommandStates();
        QVERIFY(erase->isEnabled());

        QueueMessageAnswer(msg::kIdNo);
        frame.ExecuteCommand(32922);
        QCOMPARE(g_otherRouteIpCount, 12);
        QueueMessageAnswer(msg::kIdYes);
        frame.ExecuteCommand(32922);
        QCOMPARE(RecordedMessages().back().text,
                 std::string("他路線データを消去します。\nよろしいですか。"));
        QCOMPARE(g_otherRouteIpCount, 0);
        QCOMPARE(g_otherRouteStationCount, 0);
        frame.RefreshCommandStates();
        QVERIFY(!erase->isEnabled());
    }

private:
    fs::path m_dir;
};

int main(int argc, char** argv) { return RunWindowTest<RouteFilesUiTest>(argc, argv); }
#include "route_files_uitest.moc"
