// The section commands from the menu: the dialogs they show and what they compute.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "analysis/section_profile.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "section/section_calc.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
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

int32_t AddPoint(double x, double y, double z) {
    EnsurePointCapacity(g_pointCount + 1);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = x, p.y = y, p.z = z;
    SetPointEndMarker();
    g_pointsPresent = -1;
    return g_pointCount;
}

// Two triangles of z = x (four edges), or one (three).
void SmallTin(bool two) {
    const int32_t a = AddPoint(0, 0, 0), b = AddPoint(10, 0, 10), c = AddPoint(10, 10, 10), d = AddPoint(0, 10, 0);
    EnsureTinEdgeCapacity(8);
    g_tinEdges[1] = {a, b, kNoApex, c, 0};
    g_tinEdges[2] = {b, c, kNoApex, a, 0};
    g_tinEdges[3] = {c, a, two ? d : kNoApex, b, 0};
    g_tinEdgeCount = 3;
    if (two) {
        g_tinEdges[4] = {c, d, kNoApex, a, 0};
        g_tinEdges[5] = {d, a, kNoApex, c, 0};
        g_tinEdgeCount = 5;
    }
    SetTinEndRecord();
    g_tinPresent = -1;
}

void OneStation() {
    g_stationCapacity = 10;
    GrowStationBlock(g_stationCapacity);
    StationRecord& s = g_stations[1];
    s = StationRecord{};
    std::strcpy(s.name, "NO.1");
    s.x = 5, s.y = 5, s.leftX = 5, s.leftY = 2, s.rightX = 5, s.rightY = 8;
    g_stationCount = 1;
}
}  // namespace

class SectionCalcUiTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        InitRouteSectionDefaults();
        InitDataModel();
        InitSectionBandDefaults();
        ClearRecordedMessages();
    }
    void cleanup() { ReleaseDataModel(); }

    void tinCommandRunsTheChosenCalculation() {
        CMainFrame frame;
        SmallTin(true);
        OneStation();
        frame.RefreshCommandStates();
        QAction* action = frame.Actions(32819).front();
        QVERIFY(action->isEnabled());
        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "2")->click(); });
        action->trigger();
        QCOMPARE(g_hasSections, 0);

        WhenModal([](QWidget* dlg) {
            QVERIFY(Control<QCheckBox>(dlg, "1131")->isVisible());
            Control<QRadioButton>(dlg, "1030")->click();
            QVERIFY(Control<QLineEdit>(dlg, "1083")->isEnabled());
            Control<QPushButton>(dlg, "1007")->click();
        });
        QueueMessageAnswer(msg::kIdNo);
        action->trigger();
        QCOMPARE(g_sectionIntervalMode, 1);
        QCOMPARE(g_hasSections, 1);
        QCOMPARE(g_crossSectionCount, 1);
        QCOMPARE(RecordedMessages().back().text, std::string(kSectionCalcDoneQuestion));

        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "3")->click(); });
        QueueMessageAnswer(msg::kIdNo);
        action->trigger();
        QCOMPARE(g_simpleSectionCount, 1);
    }

    void fewEdgesSectionFromPoints() {
        CMainFrame frame;
        SmallTin(false);
        AddPoint(5, 3, 7);
        AddPoint(5.5, 2.5, 8);  // a band holds at least two points
        OneStation();
        WhenModal([](QWidget* dlg) {
            QCOMPARE(dlg->objectName(), QString("pointSectionSettingsDialog"));
            auto* width = Control<QLineEdit>(dlg, "1082");
            width->setText("4");
            Control<QPushButton>(dlg, "1")->click();
        });
        QueueMessageAnswer(msg::kIdNo);
        frame.ExecuteCommand(32819);
        QCOMPARE(g_sectionBandWidth, 4.0);
        QCOMPARE(g_crossSectionCount, 1);
        QCOMPARE(GetCrossSection(1)->leftCount, 2);
        QCOMPARE(GetCrossSection(1)->height, 7.0);
    }

    void contourCommandHidesTheExtras() {
        CMainFrame frame;
        OneStation();
        bool shown = true;
        WhenModal([&shown](QWidget* dlg) {
            shown = Control<QCheckBox>(dlg, "1131")->isVisible() || Control<QCheckBox>(dlg, "1132")->isVisible() ||
                    Control<QPushButton>(dlg, "3")->isVisible();
            Control<QPushButton>(dlg, "2")->click();
        });
        frame.ExecuteCommand(32770);
        QVERIFY(!shown);
        QCOMPARE(g_hasSections, 0);
    }
};

QTEST_MAIN(SectionCalcUiTest)
#include "section_calc_uitest.moc"
