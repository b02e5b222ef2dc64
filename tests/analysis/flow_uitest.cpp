// 流水経路 from the menu: the window and the tool mode, a click that starts a path drawn
// in the view, a drag that places the start area, an edit kept in range, and the close.
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/ui_driver.h"
#include "analysis/flow_tool.h"
#include "shell/tool_mode.h"

namespace fs = std::filesystem;
using namespace ui_driver;

class FlowUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void fromTheMenu() {
        MainWindow w;
        QVERIFY(Start(w, QSize(800, 600)));
        OpenFile(w.frame, fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND");
        QVERIFY(g_tinEdgeCount > 0);
        Choose(w.frame, 32979);
        QWidget* d = w.frame->findChild<QWidget*>("flowDialog");
        QVERIFY(d);
        QVERIFY(g_flowDlg);
        QVERIFY(Checked(w.frame, 32979));
        QCOMPARE(g_outlineEditState, OUTLINE_EDIT_FLOW_PATH);

        // A click just east of the summit G5 starts one path, drawn in the line colour.
        w.view->repaint();
        const QPoint summit = WindowPosition(5), east = WindowPosition(6);
        const QPoint at((2 * summit.x() + east.x()) / 3, summit.y() + 2);
        Click(w.view, at);
        QCOMPARE(g_flowSettings.kind, FLOW_POINT);
        QCOMPARE(g_flowSettings.enabled, 1);
        QVERIFY(std::abs(g_flowSettings.startPoint.y - 2013.3) < 1.0);
        w.view->repaint();
        const QImage picture = w.view->grab().toImage();
        int lineColoured = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                lineColoured += (picture.pixel(x, y) & 0xFFFFFF) == 0x8080FF;
        QVERIFY2(lineColoured > 10, qPrintable(QString::number(lineColoured)));

        // A drag from G1 to G3 places a square area with 5 points a side.
        Drag(w.view, {WindowPosition(1), (WindowPosition(1) + WindowPosition(3)) / 2, WindowPosition(3)});
        QCOMPARE(g_flowSettings.kind, FLOW_AREA);
        QVERIFY(std::abs(g_flowSettings.spacing - 5.0) < 0.5);
        QVERIFY(std::abs(g_flowSettings.rotation) < 1.0 || std::abs(g_flowSettings.rotation - 360) < 1.0);

        // The point count typed as 0 becomes 1, which the drawing of the area raises to 2.
        auto* count = Control<QLineEdit>(d, 1122);
        count->setFocus();
        count->setText("0");
        QTest::keyClick(count, Qt::Key_Return);
        QCOMPARE(count->text(), QString(" 2 "));
        QCOMPARE(g_flowSettings.pointCount, 2);
        Control<QTabBar>(d, "tabs")->setCurrentIndex(1);
        QVERIFY(Control<QLineEdit>(d, 1112)->isVisible());
        QVERIFY(!count->isVisible());

        QPointer<QWidget> window(d);
        Press(d, "1");
        QTRY_VERIFY(!window);
        QVERIFY(!g_flowDlg);
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(FlowUiTest)
#include "flow_uitest.moc"
