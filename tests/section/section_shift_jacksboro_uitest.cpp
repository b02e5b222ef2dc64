// The shift window on the real jacksboro grid survey: sections of a straight 2 km route,
// 計算2 with shift 1 and the datum below the terrain, and the window as the user sees it
// (saved as screenshots/section_shift_jacksboro.png beside the test program).
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "../../bench/contour_bench_support.h"
#include "../support/ui_driver.h"
#include "platform/message_box.h"
#include "route/route_calc.h"
#include "route/route_data.h"
#include "section/section_calc.h"
#include "section/section_records.h"
#include "section/ui/section_frame_widget.h"
#include "section/ui/section_shift_window.h"
#include "shell/tool_windows.h"

using namespace ui_driver;

class SectionShiftJacksboroTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void loweredSectionsOnTheRealSurvey() {
        MainWindow w;
        QVERIFY(Start(w, QSize(1000, 760)));
        QVERIFY(LoadJacksboroTin());
        g_ipPointCount = 2;
        for (int32_t k = 1; k <= 2; ++k) {
            IpPoint& ip = g_ipPoints[k];
            std::memset(&ip, 0, sizeof ip);
            std::snprintf(ip.name, sizeof ip.name, "%s", k == 1 ? "BP" : "EP");
            ip.number = k;
            ip.x = 15000;
            ip.y = k == 1 ? 10000 : 12000;
        }
        CalcRoute();
        g_leftCutWidth = g_rightCutWidth = 30;
        QCOMPARE(CalcSectionsFromTin(0), int32_t(msg::kIdYes));
        QVERIFY(g_crossSectionCount > 50);

        w.frame->RefreshCommandStates();
        w.frame->ExecuteCommand(33069);
        auto* window = dynamic_cast<CODN_SFT*>(GetToolWindow(ToolWindow::kSectionShift));
        QVERIFY(window);
        window->resize(900, 560);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* datum = window->findChild<QLineEdit*>("1033");
        datum->setText("0");
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(datum, &out);
        window->findChild<QPushButton*>("1223")->click();  // 計算2
        QCOMPARE(g_planSectionCount, g_crossSectionCount);
        for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
            const CrossSection& s = *GetCrossSection(i);
            const PlanSection& p = *GetPlanSection(i);
            QCOMPARE(p.planHeight, s.height - 1.0);
            QCOMPARE(p.leftCount, s.leftCount);
        }
        window->ShowSection(g_crossSectionCount / 2);
        // The spans of the whole route leave one section small: zoomed in as a user would.
        window->FrameWidget()->Frame().zoom = 8;
        const QDir shots(QCoreApplication::applicationDirPath() + "/screenshots");
        QVERIFY(shots.mkpath("."));
        const QString file = shots.filePath("section_shift_jacksboro.png");
        QVERIFY(window->grab().save(file));
        QVERIFY(QFileInfo(file).size() > 0);
        w.frame->ExecuteCommand(33069);
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(SectionShiftJacksboroTest)
#include "section_shift_jacksboro_uitest.moc"
