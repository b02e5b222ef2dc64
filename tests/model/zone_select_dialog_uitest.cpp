// The plane-zone and axis-convention dialogs under the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "../support/ui_driver.h"
#include "model/ui/zone_select_dialog.h"

using namespace ui_driver;

namespace {
QStringList ListLines(QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}
}  // namespace

class ZoneSelectDialogTest : public QObject {
    Q_OBJECT
private slots:
    void picksAZoneAndShowsItsTexts() {
        ZoneSelectValues values;
        values.m_zone = 9;
        values.m_dataDatum = 0;
        bool checked = false;
        WhenModal([&](QWidget* dlg) {
            auto* combo = Control<QComboBox>(dlg, 1118);
            QCOMPARE(combo->count(), 19);
            QCOMPARE(combo->itemText(18), QString("19"));
            QCOMPARE(combo->currentIndex(), 8);
            QCOMPARE(Control<QLineEdit>(dlg, 1114)->text(), QString::fromUtf8("139度50分0秒"));
            QVERIFY(!Control<QLineEdit>(dlg, 1082)->isVisible());
            // Data datum 0 without the convert flag: radios in a group without a title.
            QVERIFY(Control<QGroupBox>(dlg, 1120)->isVisible());
            QVERIFY(Control<QGroupBox>(dlg, 1120)->title().isEmpty());
            QVERIFY(Control<QRadioButton>(dlg, 1079)->isChecked());
            QVERIFY(!Control<QCheckBox>(dlg, 1131)->isVisible());

            combo->setCurrentIndex(11);
            QCOMPARE(Control<QLineEdit>(dlg, 1113)->text(), QString::fromUtf8(" 44度 0分0秒"));
            QCOMPARE(Control<QLineEdit>(dlg, 1114)->text(), QString::fromUtf8("142度15分0秒"));
            const QStringList lines = ListLines(Control<QListWidget>(dlg, 1134));
            QCOMPARE(lines.size(), 10);
            QCOMPARE(lines[0], QString(" "));
            QCOMPARE(lines[9], QString::fromUtf8(ZoneAreaLines(12)[4]));
            Control<QRadioButton>(dlg, 1080)->click();
            QTest::mouseClick(Control<QPushButton>(dlg, 1), Qt::LeftButton);
            checked = true;
        });
        QVERIFY(CZoneSelectDlg::Run(values));
        QVERIFY(checked);
        QCOMPARE(values.m_zone, 12);
        QCOMPARE(values.m_dataDatum, 1);
        QCOMPARE(values.m_datumSelection, 1);
    }

    void convertFlagShowsTheCheckBox() {
        ZoneSelectValues values{5, 1, 1, -1};
        WhenModal([](QWidget* dlg) {
            QCOMPARE(Control<QGroupBox>(dlg, 1120)->title(), QString::fromUtf8("元データ属性"));
            QVERIFY(Control<QCheckBox>(dlg, 1131)->isVisible());
            QVERIFY(Control<QCheckBox>(dlg, 1131)->isChecked());
            QVERIFY(Control<QRadioButton>(dlg, 1080)->isChecked());
            Control<QCheckBox>(dlg, 1131)->click();
            Control<QPushButton>(dlg, 1)->click();
        });
        QVERIFY(CZoneSelectDlg::Run(values));
        QCOMPARE(values.m_zone, 5);
        QCOMPARE(values.m_dataDatum, 1);
        QCOMPARE(values.m_convertDatum, 0);
    }

    void noZoneAndNoDatumShowsNothingExtra() {
        ZoneSelectValues values;  // zone 0, data datum -1
        WhenModal([](QWidget* dlg) {
            QCOMPARE(Control<QComboBox>(dlg, 1118)->currentIndex(), -1);
            QCOMPARE(Control<QListWidget>(dlg, 1134)->count(), 0);
            QVERIFY(Control<QLineEdit>(dlg, 1113)->text().isEmpty());
            QVERIFY(!Control<QGroupBox>(dlg, 1120)->isVisible());
            Control<QPushButton>(dlg, 1)->click();
        });
        QVERIFY(CZoneSelectDlg::Run(values));
        QCOMPARE(values.m_zone, 0);
        QCOMPARE(values.m_dataDatum, 0);
    }

    void escapeCancels() {
        ZoneSelectValues values{3, 0, 0, 1};
        WhenModal([](QWidget* dlg) {
            Control<QComboBox>(dlg, 1118)->setCurrentIndex(6);
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        QVERIFY(!CZoneSelectDlg::Run(values));
        QCOMPARE(values.m_zone, 3);
    }

    void axisConventionButtons() {
        struct Case {
            int button;  // 0 Escape
            int result;
        };
        const Case cases[] = {{1114, kAxisSurvey}, {1115, kAxisMathematical}, {0, 2}};
        for (const Case& c : cases) {
            CAxisConventionDlg dialog;
            QCOMPARE(dialog.windowTitle(), QString::fromUtf8("座標系指定"));
            WhenModal([c](QWidget* dlg) {
                if (c.button == 0)
                    QTest::keyClick(dlg, Qt::Key_Escape);
                else
                    Control<QPushButton>(dlg, c.button)->click();
            });
            QCOMPARE(dialog.Run(), c.result);
        }
        CAxisConventionDlg dialog;
        QCOMPARE(Control<QPushButton>(&dialog, 1114)->text(), QString::fromUtf8("公共座標"));
        QCOMPARE(Control<QPushButton>(&dialog, 1115)->text(), QString::fromUtf8("数学座標"));
    }
};

QTEST_MAIN(ZoneSelectDialogTest)
#include "zone_select_dialog_uitest.moc"
