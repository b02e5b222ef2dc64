// The longitudinal section window from the menu: station heights, the ground line on the
// screen across a station without a section, typed and wheeled vertical scale, and keys
// that must not close it.
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWheelEvent>
#include <QtTest>

#include "model/terrain_data.h"
#include "route/route_data.h"
#include "section/long_section_command.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "section/ui/long_section_window.h"
#include "section/ui/section_frame_widget.h"
#include "shell/tool_windows.h"
#include "shell/ui/main_frame.h"

namespace {
template <typename W>
W* Control(QWidget* dialog, const char* id) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(id));
    if (!w) qFatal("control %s missing", id);
    return w;
}

// Stations at 0, 50 and 100; sections only at 0 (height 10) and 100 (height 20).
void Route() {
    g_stationCapacity = 10;
    GrowStationBlock(g_stationCapacity);
    const double distances[] = {0.0, 50.0, 100.0};
    for (int i = 1; i <= 3; ++i) {
        g_stations[i] = StationRecord{};
        g_stations[i].number = i;
        g_stations[i].addedDistance = distances[i - 1];
        g_stations[i].groundZ = -5.0;
    }
    g_stationCount = 3;
    CreateSectionBlocks();
    for (int n = 1; n <= 2; ++n) {
        CrossSection* s = GetCrossSection(n);
        s->number = n;
        s->distance = n == 1 ? 0.0 : 100.0;
        s->height = n == 1 ? 10.0 : 20.0;
        ReserveSectionPoints(s, 2);
    }
    g_crossSectionCount = g_sectionViewCount = 2;
    g_hasSections = 1;
    RecalcSectionExtents();
}

bool NearColour(const QImage& image, SectionPixel at, uint32_t rgb) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((image.pixel(at.x + dx, at.y + dy) & 0xFFFFFF) == rgb) return true;
    return false;
}
}  // namespace

class LongSectionUiTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        InitDataModel();
        InitRouteSectionDefaults();
    }
    void cleanup() {
        InitRouteSectionDefaults();
        ReleaseDataModel();
    }

    void commandOpensTheWindowWithTheGroundLine() {
        CMainFrame frame;
        Route();
        frame.RefreshCommandStates();
        frame.ExecuteCommand(32823);
        auto* w = dynamic_cast<CLongSectionDlg*>(GetToolWindow(ToolWindow::kLongSection));
        QVERIFY(w);
        QCOMPARE(g_stations[1].heightValid, 1);
        QCOMPARE(g_stations[2].heightValid, 0);
        QCOMPARE(g_stations[3].groundZ, 20.0);
        QCOMPARE(w->Extents().distanceSpan, 200.0);
        QCOMPARE(w->Extents().centreHeight, 15.0);
        w->resize(820, 480);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        CSectionFrameWidget* f = w->FrameWidget();
        const QImage image = f->grab().toImage();
        // The ground line runs from station 1 to station 3 across the bare station 2.
        const uint32_t line = g_sectionViewColors[1];
        QVERIFY(NearColour(image, SectionWorldToScreen(f->Frame(), 25.0, 12.5), line));
        QVERIFY(NearColour(image, SectionWorldToScreen(f->Frame(), 75.0, 17.5), line));
        QVERIFY(!NearColour(image, SectionWorldToScreen(f->Frame(), 50.0, -5.0), line));

        // Enter and Esc never close it.
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::keyClick(w, Qt::Key_Return);
        QVERIFY(w->isVisible());

        QPointer<CLongSectionDlg> first = w;
        g_currentStation = 2;
        frame.ExecuteCommand(32823);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kLongSection));
        QCOMPARE(g_currentStation, 0);
        QVERIFY(!first || !first->isVisible());
        QCOMPARE(g_stations[3].heightValid, 1);  // the heights stay after closing
    }

    void typedScaleStopsAt20WhileTheWheelReaches100() {
        CMainFrame frame;
        Route();
        frame.ExecuteCommand(32823);
        auto* w = dynamic_cast<CLongSectionDlg*>(GetToolWindow(ToolWindow::kLongSection));
        QVERIFY(w);
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QLineEdit* scale = Control<QLineEdit>(w, "1026");
        QLineEdit* grid = Control<QLineEdit>(w, "1020");
        QCOMPARE(grid->text(), QString("20.0"));
        struct Case {
            QLineEdit* box;
            const char* typed;
            const char* shown;
        } cases[] = {{scale, "25", "1.0"}, {scale, "0", "1.0"}, {scale, "12.5", "12.5"}, {grid, "1000", "20.0"},
                     {grid, "5", "5.0"}};
        for (const Case& c : cases) {
            c.box->setFocus();
            c.box->setText(QString::fromLatin1(c.typed));
            QTest::keyClick(c.box, Qt::Key_Return);
            QCOMPARE(c.box->text(), QString::fromLatin1(c.shown));
        }
        // Not applied without Enter.
        scale->setFocus();
        scale->setText("3");
        grid->setFocus();
        QCOMPARE(scale->text(), QString("12.5"));
        for (int i = 0; i < 60; ++i) {
            QWheelEvent turn(QPointF(5, 5), scale->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                             Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(scale, &turn);
        }
        QCOMPARE(w->FrameWidget()->Frame().verticalScale, 100.0);
        QCOMPARE(scale->text(), QString(" 100.0"));
        w->close();
        QVERIFY(!IsToolWindowOpen(ToolWindow::kLongSection));
    }

    void needsTwoStations() {
        CMainFrame frame;
        Route();
        g_stationCount = 1;
        frame.ExecuteCommand(32823);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kLongSection));
    }
};

QTEST_MAIN(LongSectionUiTest)
#include "long_section_uitest.moc"
