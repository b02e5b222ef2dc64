// 可視領域計算 from the menu: the window opens, makes its image at 1024 cells, takes an
// observer from a click on the view, and closes by the command again.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "../support/ui_driver.h"
#include "analysis/visibility_tool.h"
#include "image/image_slot.h"

namespace fs = std::filesystem;
using namespace ui_driver;

class VisibilityUiTest : public QObject {
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
        Choose(w.frame, 33018);
        QWidget* d = w.frame->findChild<QWidget*>("visibilityDialog");
        QVERIFY(d);
        QVERIFY(g_visibilityDlg);
        QCOMPARE(Control<QComboBox>(d, 1118)->currentText(), QString("2048"));
        QVERIFY(!Control<QPushButton>(d, 1115)->isEnabled());

        // The sector azimuth typed as -10 shows 350.
        auto* azimuth = Control<QLineEdit>(d, 1087);
        azimuth->setFocus();
        azimuth->setText("-10");
        QTest::keyClick(azimuth, Qt::Key_Return);
        QCOMPARE(azimuth->text(), QString(" 350.0"));

        Control<QComboBox>(d, 1118)->setCurrentText("1024");
        Press(d, "1014");
        QCOMPARE(Control<QLabel>(d, 1144)->text(), QString("Complete"));
        QCOMPARE(QString::fromStdString(g_bgImagePath), QString("AREAMAP01.TIF"));
        QCOMPARE(g_bgImage.width, 1024);
        QVERIFY(Control<QPushButton>(d, 1115)->isEnabled());

        // An armed pick takes the clicked place as the observer.
        Press(d, "1131");
        QVERIFY(Control<QPushButton>(d, 1131)->isChecked());
        const QPoint at = WindowPosition(5);
        Click(w.view, at);
        QVERIFY(!Control<QPushButton>(d, 1131)->isChecked());
        QCOMPARE(g_visibilityObserver.state, 1);
        QVERIFY(std::abs(g_visibilityObserver.north - g_points[5].x) < 1e-9);
        QVERIFY(Control<QLabel>(d, 1144)->text().startsWith("H= "));

        Press(d, "1015");
        QVERIFY(!g_bgImage.loaded);

        QPointer<QWidget> window(d);
        Choose(w.frame, 33018);
        QTRY_VERIFY(!window);
        QVERIFY(!g_visibilityDlg);
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(VisibilityUiTest)
#include "visibility_uitest.moc"
