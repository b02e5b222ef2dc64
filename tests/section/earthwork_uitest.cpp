// The earthwork commands from the menu: settings dialog, calculation, list.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "section/earthwork.h"
#include "section/section_files.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
#include "section/ui/earthwork_dialogs.h"
#include "shell/ui/flex_grid.h"
#include "shell/ui/main_frame.h"

namespace {
template <typename W>
W* Control(QWidget* dialog, const char* id) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(id));
    if (!w) qFatal("control %s missing", id);
    return w;
}

void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal dialog");
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

void Stations(int n) {
    g_stationCapacity = n + 10;
    GrowStationBlock(g_stationCapacity);
    for (int i = 1; i <= n; ++i) {
        StationRecord& s = g_stations[i];
        s = StationRecord{};
        std::snprintf(s.name, sizeof s.name, "NO.%d", i);
        s.addedDistance = 20.0 * (i - 1);
        s.x = s.addedDistance, s.y = 0, s.leftX = s.x, s.leftY = -30, s.rightX = s.x, s.rightY = 30;
    }
    g_stationCount = n;
}

// n sections every 20 m at `height`, the points given on each.
std::string Sections(int n, double height, const char* points) {
    std::string text;
    for (int i = 0; i < 5; ++i) text += "********************\r\n";
    for (int i = 1; i <= n; ++i) {
        text += FormatString("%3d%-12.12s%12.3f%12.3f%12.3f%3d\r\n", i, ("NO." + std::to_string(i)).c_str(),
                             20.0 * (i - 1), height, 0.0, 0);
        text += points;
        text += "E\r\n";
    }
    return text;
}
}  // namespace

class EarthworkUiTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        InitRouteSectionDefaults();
        InitDataModel();
        CreateSectionBlocks();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
    }
    void cleanup() { ReleaseDataModel(); }

    void listNeedsSections() {
        CMainFrame frame;
        std::unique_ptr<CPelmo_3DDoc> doc = MakeDocument();
        frame.SetDocument(doc.get());
        frame.RefreshCommandStates();
        QVERIFY(!frame.Actions(32898).front()->isEnabled());
        QVERIFY(frame.Actions(32897).front()->isEnabled());
    }

    void calcDialogThenList() {
        QTemporaryDir dir;
        const std::string ground = (dir.path() + "/ground.ODN").toStdString();
        const std::string plan = (dir.path() + "/plan.ODN").toStdString();
        QVERIFY(WriteFileBytes(ground, Sections(3, 10, "   -15.000    10.000\r\n    15.000    10.000\r\n")));
        QVERIFY(WriteFileBytes(plan, Sections(3, 8, "    -2.000     8.000\r\n    -4.000    10.000\r\n"
                                                    "     2.000     8.000\r\n     4.000    10.000\r\n")));
        CMainFrame frame;
        std::unique_ptr<CPelmo_3DDoc> doc = MakeDocument();
        frame.SetDocument(doc.get());
        Stations(3);
        QueueFileDialogAnswer(ground);
        QueueFileDialogAnswer(plan);
        bool calcBefore = true, planBefore = true, calcBetween = true, calcAfter = false;
        int rows = 0;
        QString total;
        WhenModal([&](QWidget* dlg) {
            QCOMPARE(dlg->objectName(), QString("earthworkCalcDialog"));
            calcBefore = Control<QPushButton>(dlg, "1132")->isEnabled();
            planBefore = Control<QPushButton>(dlg, "1051")->isEnabled();
            Control<QPushButton>(dlg, "1049")->click();
            calcBetween = Control<QPushButton>(dlg, "1132")->isEnabled();
            Control<QPushButton>(dlg, "1051")->click();
            calcAfter = Control<QPushButton>(dlg, "1132")->isEnabled();
            // A diversion rate that is no number keeps the previous one.
            auto* rate = Control<QLineEdit>(dlg, "1082");
            rate->setText("abc");
            WhenModal([&](QWidget* list) {
                auto* grid = Control<CMSFlexGrid>(list, "1274");
                rows = grid->GetRows();
                total = grid->GetTextMatrix(g_crossSectionCount + 1, 6);
            });
            QueueMessageAnswer(msg::kIdNo);
            Control<QPushButton>(dlg, "1132")->click();
        });
        frame.ExecuteCommand(32897);
        QVERIFY(!calcBefore);
        QVERIFY(!planBefore);
        QVERIFY(!calcBetween);
        QVERIFY(calcAfter);
        QCOMPARE(g_diversionRate, 1.0);
        QCOMPARE(g_totalCut, 480.0);
        QCOMPARE(rows, 3 + 4);
        QCOMPARE(total, QString(" 480.0"));
        QVERIFY(RecordedMessages().back().text.find("残土") != std::string::npos);

        frame.RefreshCommandStates();
        QVERIFY(frame.Actions(32898).front()->isEnabled());
        bool listShown = false;
        WhenModal([&](QWidget* list) { listShown = list->objectName() == "earthworkListDialog"; });
        frame.ExecuteCommand(32898);
        QVERIFY(listShown);
    }

    void enterAndEscDoNotCloseTheDialog() {
        CMainFrame frame;
        std::unique_ptr<CPelmo_3DDoc> doc = MakeDocument();
        frame.SetDocument(doc.get());
        Stations(1);
        bool open = false;
        QString afterEnter, afterEsc;
        WhenModal([&](QWidget* dlg) {
            auto* rate = Control<QLineEdit>(dlg, "1082");
            rate->setFocus();
            rate->setText("2");
            QTest::keyClick(rate, Qt::Key_Return);
            afterEnter = rate->text();
            rate->setFocus();
            rate->setText("7");
            QTest::keyClick(rate, Qt::Key_Escape);
            afterEsc = rate->text();
            QTest::keyClick(dlg, Qt::Key_Escape);
            open = dlg->isVisible();
        });
        frame.ExecuteCommand(32897);
        QVERIFY(open);
        QCOMPARE(afterEnter, QString("  2.000"));
        QCOMPARE(afterEsc, QString("  2.000"));
        QCOMPARE(g_diversionRate, 2.0);
    }

    void cancelComputesNothing() {
        Stations(1);
        CMainFrame frame;
        std::unique_ptr<CPelmo_3DDoc> doc = MakeDocument();
        frame.SetDocument(doc.get());
        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "1088")->click(); });
        frame.ExecuteCommand(32897);
        QCOMPARE(g_totalCut, 0.0);
        QVERIFY(RecordedMessages().empty());
    }
};

QTEST_MAIN(EarthworkUiTest)
#include "earthwork_uitest.moc"
