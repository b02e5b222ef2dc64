// トンネル展開 from the view command: the axis picked by clicks in the view, Delete taking
// the last pick back, a development, and the view command closing the window with the
// points restored; Enter and Esc leave it open, the close box closes it.
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <filesystem>
#include <vector>

#include "../support/ui_driver.h"
#include "analysis/tunnel_command.h"
#include "analysis/ui/tunnel_window.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "view/view_state.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
// The open one: a closed window may wait for its deletion.
CTunnelDevelopWindow* Window(CMainFrame* frame) {
    for (CTunnelDevelopWindow* w : frame->findChildren<CTunnelDevelopWindow*>())
        if (w->isVisible()) return w;
    return nullptr;
}
QString Text(QWidget* w, const char* id) { return Control<QLabel>(w, id)->text(); }
}  // namespace

class TunnelUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void fromTheViewCommand() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QCOMPARE(g_pointCount, 9);
        std::vector<std::array<double, 3>> before;
        for (int32_t i = 1; i <= g_pointCount; ++i) before.push_back({g_points[i].x, g_points[i].y, g_points[i].z});

        QVERIFY(Enabled(w.frame, 33011));
        g_dupTolerance = 0.005;
        Choose(w.frame, 33011);
        QPointer<CTunnelDevelopWindow> d = Window(w.frame);
        QVERIFY(d);
        QVERIFY(g_tunnelDlg);
        QVERIFY(Checked(w.frame, 33011));
        QVERIFY(Control<QRadioButton>(d, "1080")->isChecked());
        QVERIFY(!Control<QPushButton>(d, "1136")->isEnabled());
        QVERIFY(!Control<QPushButton>(d, "1139")->isEnabled());
        QCOMPARE(Control<QLineEdit>(d, "1084")->text(), QString(" 0.005"));  // the duplicate distance
        QCOMPARE(Control<QLineEdit>(d, "1082")->text(), QString(" 30.0"));

        Press(d, "1079");
        QCOMPARE(Control<QPushButton>(d, "1132")->text(), QString::fromUtf8("基点1"));
        QVERIFY(Control<QPushButton>(d, "1139")->isEnabled());
        // The axis from G1 to G7 (20 m north), picked in the plan view.
        if (g_birdsEyeOn) Choose(w.frame, 32805);
        w.frame->ExecuteCommand(32800);  // the overall view
        w.view->grab();
        Press(d, "1132");
        QVERIFY(Control<QPushButton>(d, "1132")->isChecked());
        Click(w.view, WindowPosition(1));
        QCOMPARE(Text(d, "1155"), QString("NO 1"));
        QVERIFY(!Control<QPushButton>(d, "1132")->isChecked());
        Press(d, "1133");
        Click(w.view, WindowPosition(9));
        QCOMPARE(Text(d, "1156"), QString("NO 9"));
        // Delete in the view takes it back; the right one is picked again.
        w.view->setFocus();
        QTest::keyClick(w.view, Qt::Key_Delete);
        QCOMPARE(Text(d, "1156"), QString(""));
        Press(d, "1133");
        Click(w.view, WindowPosition(7));
        QCOMPARE(Text(d, "1156"), QString("NO 7"));

        Press(d, "1135");
        QVERIFY(Control<QPushButton>(d, "1136")->isEnabled());
        QVERIFY(!Control<QPushButton>(d, "1135")->isEnabled());
        QVERIFY(g_points[3].y != before[2][1]);

        // Enter and Esc leave the window open.
        QTest::keyClick(d, Qt::Key_Escape);
        QTest::keyClick(d, Qt::Key_Return);
        QVERIFY(d && d->isVisible());

        // The view command closes it, and the points are no longer developed.
        Choose(w.frame, 33011);
        QVERIFY(!g_tunnelDlg);
        QVERIFY(!d || !d->isVisible());
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            QCOMPARE(g_points[i].x, before[i - 1][0]);
            QCOMPARE(g_points[i].y, before[i - 1][1]);
            QCOMPARE(g_points[i].z, before[i - 1][2]);
        }
        QCOMPARE(g_points[1].invalid, int16_t(3));  // on the axis: kept as the command leaves it

        // Opened again; the close box turns the axis marks into ordinary invalid points.
        Choose(w.frame, 33011);
        QPointer<CTunnelDevelopWindow> again = Window(w.frame);
        QVERIFY(again && again != d);
        again->close();
        QVERIFY(!g_tunnelDlg);
        QCOMPARE(g_points[1].invalid, int16_t(1));
        QVERIFY(!Checked(w.frame, 33011));
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(TunnelUiTest)
#include "tunnel_uitest.moc"
