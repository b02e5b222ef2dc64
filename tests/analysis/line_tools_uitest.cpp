// The line tools in the program's own windows: the simple section picked in the view (from
// the TIN, and from band points after the settings dialog), the stored simple sections paged
// from 横断表示, and the sag curve from its tower input to its window and popup.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "analysis/section_profile.h"
#include "analysis/ui/sag_curve_windows.h"
#include "analysis/ui/simple_section_window.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "section/section_calc.h"
#include "section/ui/section_frame_widget.h"
#include "shell/tool_mode.h"
#include "view/view_state.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
QString g_root;
constexpr int kSimpleSection = 32966;
constexpr int kSagCurve = 32985;
constexpr int kCrossSectionView = 32822;
constexpr int kBirdsEyeSwitch = 32805;

// The data opened in the plan view.
void OpenInPlan(CMainFrame* frame, const fs::path& file) {
    OpenFile(frame, file);
    if (g_birdsEyeOn) Choose(frame, kBirdsEyeSwitch);
    QVERIFY(!g_birdsEyeOn);
}

fs::path Grid() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

QPoint At(double x, double y) {
    return {g_viewportCenterX + static_cast<int>(std::lround((y - g_viewCenterY) * g_viewScale)),
            g_viewportCenterY - static_cast<int>(std::lround((x - g_viewCenterX) * g_viewScale))};
}

// Six points near the line X = 1005 and no TIN.
fs::path BandPoints() {
    const fs::path f = fs::path(g_root.toStdString()) / "band.RND";
    std::ofstream out(f, std::ios::binary);
    for (int i = 0; i < 5; ++i) out << "********************\r\n";
    const double ys[] = {2000, 2004, 2008, 2012, 2016, 2020};
    const double xs[] = {1005.02, 1004.98, 1005.01, 1020, 990, 1005.0};
    for (int i = 0; i < 6; ++i) {
        char line[80];
        std::snprintf(line, sizeof line, "%-10s%14.4f  %14.4f  %10.3f  0  0  0\r\n", ("B" + std::to_string(i + 1)).c_str(),
                      xs[i], ys[i], 50.0 + i);
        out << line;
    }
    return f;
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->setText(text);
    emit edit->editingFinished();
}

bool HasColour(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour) return true;
    return false;
}
}  // namespace

class LineToolsTest : public QObject {
    Q_OBJECT
private slots:
    void simpleSectionFromTheTin() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenInPlan(w.frame, Grid());
        QVERIFY(g_tinEdgeCount > 3);
        Choose(w.frame, kSimpleSection);
        QCOMPARE(g_toolMode, MODE_SIMPLE_SECTION);
        Click(w.view, At(1005, 2001));
        QCOMPARE(g_linePickState, 1);
        QVERIFY(!CSimpleSectionDlg::Current());
        Click(w.view, At(1015, 2019));
        QCOMPARE(g_linePickState, 2);
        CSimpleSectionDlg* d = CSimpleSectionDlg::Current();
        QVERIFY(d);
        QVERIFY(g_profile.right.count >= 2);
        QCOMPARE(d->windowTitle(), QString::fromUtf8("簡易断面"));
        QVERIFY(!Control<QPushButton>(d, "1155")->isVisible());
        QVERIFY(!Control<QLineEdit>(d, "1031")->isVisible());
        // The typed exaggeration is kept within 0.1..100.
        QLineEdit* ex = Control<QLineEdit>(d, "1083");
        Type(ex, "500");
        QCOMPARE(ex->text(), QString(" 100.0"));
        // The drawing area's cursor follows the view mode: the zoom box aims, moving grips.
        QWidget* area = d->FrameWidget();
        auto* zoom = Control<QPushButton>(d, "1023");
        auto* move = Control<QPushButton>(d, "1025");
        zoom->click();
        QCOMPARE(area->cursor().shape(), Qt::CrossCursor);
        move->click();
        QVERIFY(!zoom->isChecked());
        QCOMPARE(area->cursor().shape(), Qt::OpenHandCursor);
        move->click();
        QVERIFY(!area->testAttribute(Qt::WA_SetCursor));
        // Moved and resized, the window opens there again.
        const QRect place(60, 70, 700, 380);
        d->setGeometry(place);
        QCOMPARE(d->geometry(), place);
        // A third click starts a new line; the window keeps the old profile.
        const int32_t count = g_profile.right.count;
        Click(w.view, At(1002, 2010));
        QCOMPARE(g_linePickState, 1);
        QCOMPARE(g_profile.right.count, count);
        QVERIFY(CSimpleSectionDlg::Current());
        // The command again ends the tool, and the window goes with it.
        Choose(w.frame, kSimpleSection);
        w.frame->RefreshCommandStates();
        QVERIFY(!CSimpleSectionDlg::Current());
        QCOMPARE(g_linePickState, 0);
        Choose(w.frame, kSimpleSection);
        Click(w.view, At(1005, 2001));
        Click(w.view, At(1015, 2019));
        QVERIFY(CSimpleSectionDlg::Current());
        QCOMPARE(CSimpleSectionDlg::Current()->geometry(), place);
        Choose(w.frame, kSimpleSection);
        w.frame->RefreshCommandStates();
    }

    void simpleSectionFromBandPoints() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenInPlan(w.frame, BandPoints());
        QVERIFY(g_tinEdgeCount <= 3);
        bool seen = false;
        WhenModal("pointSectionSettingsDialog", [&](QWidget* s) {
            seen = true;
            QLineEdit* width = Control<QLineEdit>(s, "1082");
            width->setFocus();
            width->setText("0.1");
            Control<QCheckBox>(s, "1131")->setFocus();
            Press(s, "1");
        });
        Choose(w.frame, kSimpleSection);
        QVERIFY(seen);
        QCOMPARE(g_sectionBandWidth, 0.1);
        Click(w.view, At(1005, 1999));
        Click(w.view, At(1005, 2021));
        CSimpleSectionDlg* d = CSimpleSectionDlg::Current();
        QVERIFY(d);
        QCOMPARE(g_profileFromPoints, 1);
        QCOMPARE(g_profile.right.count, 4);  // the two far points are outside the band
        QVERIFY(Control<QPushButton>(d, "1155")->isVisible());
        // A wider band takes the far points too.
        QLineEdit* band = Control<QLineEdit>(d, "1082");
        Type(band, "40");
        QCOMPARE(g_sectionBandWidth, 40.0);
        QCOMPARE(g_profile.right.count, 6);
        QCOMPARE(d->View().distanceSpan, 1.5 * (g_profile.right.dist[6] - g_profile.right.dist[1]));
        d->close();
        QTRY_COMPARE(g_linePickState, 0);
        QCOMPARE(g_toolMode, MODE_NONE);
    }

    void storedSectionsStayWhilePaged() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenInPlan(w.frame, Grid());
        QVERIFY(ResetSimpleSections());
        for (int k = 1; k <= 3; ++k) {
            CutTinProfile(1000 + 5 * k, 1999, 1000 + 5 * k, 2021, 0);
            g_profile.number = k;
            std::snprintf(g_profile.name, sizeof g_profile.name, "No.%d", k);
            g_profile.distance = 5.0 * k;
            QVERIFY(AppendSimpleSection());
        }
        QCOMPARE(g_simpleSectionCount, 3);
        Choose(w.frame, kCrossSectionView);
        CSimpleSectionDlg* d = CSimpleSectionDlg::Current();
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QString::fromUtf8("簡易断面 No.1 5.000"));
        QVERIFY(Control<QLineEdit>(d, "1031")->isVisible());
        // The idle update outside the tool mode leaves a stored-section window open.
        w.frame->RefreshCommandStates();
        QVERIFY(CSimpleSectionDlg::Current());
        QToolButton* down = Control<QToolButton>(d, "1030down");
        QToolButton* up = Control<QToolButton>(d, "1030up");
        for (int i = 0; i < 4; ++i) down->click();
        QCOMPARE(d->View().number, 3);
        QCOMPARE(Control<QLineEdit>(d, "1031")->text(), QString("3"));
        QCOMPARE(d->windowTitle(), QString::fromUtf8("簡易断面 No.3 15.000"));
        for (int i = 0; i < 4; ++i) up->click();
        QCOMPARE(d->View().number, 1);
        w.frame->RefreshCommandStates();
        QVERIFY(CSimpleSectionDlg::Current());
        // The command again closes it.
        Choose(w.frame, kCrossSectionView);
        QVERIFY(!CSimpleSectionDlg::Current());
    }

    void sagCurveFromTheToolMode() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenInPlan(w.frame, Grid());
        Choose(w.frame, kSagCurve);
        QCOMPARE(g_toolMode, MODE_SAG_CURVE);
        // S typed over the clicked position.
        bool seen = false;
        WhenModal("towerInputDialog", [&seen](QWidget* d) {
            seen = true;
            QCOMPARE(Control<QLabel>(d, "1013")->text(), QString::fromUtf8("X 座 標"));
            Control<QLineEdit>(d, "1082")->setText("1010");
            Control<QLineEdit>(d, "1083")->setText("2001");
            Press(d, "1");
        });
        Click(w.view, At(1010, 2002));
        QVERIFY(seen);
        QCOMPARE(g_linePickState, 1);
        QCOMPARE(g_towerStart.y, 2001.0);
        // E, then the width.
        WhenModal("towerInputDialog", [](QWidget* d) {
            Control<QLineEdit>(d, "1082")->setText("1010");
            Control<QLineEdit>(d, "1083")->setText("2019");
            Press(d, "1");
            QVERIFY(d->isVisible());
            QCOMPARE(Control<QLabel>(d, "1013")->text(), QString::fromUtf8("前後幅(m)"));
            QVERIFY(!Control<QLineEdit>(d, "1083")->isVisible());
            QCOMPARE(Control<QLineEdit>(d, "1082")->text(), QString("1.800"));
            Press(d, "1");
        });
        Click(w.view, At(1010, 2019));
        CTower_Dlg* t = CTower_Dlg::Current();
        QVERIFY(t);
        QCOMPARE(g_linePickState, 2);
        QCOMPARE(Control<QLineEdit>(t, "1082")->text(), QString("10"));
        QCOMPARE(Control<QLineEdit>(t, "1084")->text(), QString("3"));  // (0.1 x 18)^2
        QVERIFY(QTest::qWaitForWindowExposed(t));
        // a = 3 over 18 m sags far below the 10 m towers: magenta; a = 1000 clears.
        QImage image = t->FrameWidget()->grab().toImage();
        QVERIFY(HasColour(image, qRgb(255, 0, 255)));
        QVERIFY(!t->Curve().clear);
        Control<QLineEdit>(t, "1084")->setText("1000");
        image = t->FrameWidget()->grab().toImage();
        QVERIFY(t->Curve().clear);
        QVERIFY(HasColour(image, qRgb(128, 255, 255)));
        QVERIFY(Control<QLineEdit>(t, "1113")->text().startsWith(QString::fromUtf8("実長 : 18.0")));
        // A coefficient typed as 0 shows 1.0 after the next paint.
        Control<QLineEdit>(t, "1084")->setText("0");
        t->FrameWidget()->grab();
        QCOMPARE(Control<QLineEdit>(t, "1084")->text(), QString("1.0"));
        Control<QLineEdit>(t, "1084")->setText("1000");
        t->FrameWidget()->grab();

        // The popup from a right double-click: 2D View on, then the report copied.
        const QPoint centre = t->FrameWidget()->rect().center();
        QTimer::singleShot(50, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QCOMPARE(menu->actions().size(), 2);
            menu->actions().at(1)->trigger();
            menu->close();
        });
        QTest::mouseDClick(t->FrameWidget(), Qt::RightButton, Qt::NoModifier, centre);
        QVERIFY(t->ShiftPanelShown());
        QTRY_VERIFY(!QApplication::activePopupWidget());
        // East on the shift panel moves both towers 1 m; a second step would put E off
        // the TIN and is refused; west brings them back.
        const SagShiftPanel panel = LayoutSagShiftPanel(t->FrameWidget()->Frame().right, t->FrameWidget()->Frame().top,
                                                        g_towerEnd.x - g_towerStart.x, g_towerEnd.y - g_towerStart.y);
        auto button = [&panel](SagShift s) {
            return QPoint(panel.buttonX[static_cast<int>(s)], panel.buttonY[static_cast<int>(s)]);
        };
        const double y0 = g_towerStart.y;
        Click(t->FrameWidget(), button(SagShift::East));
        QCOMPARE(g_towerStart.y, y0 + 1);
        QCOMPARE(g_towerEnd.y, 2020.0);
        Click(t->FrameWidget(), button(SagShift::East));
        QCOMPARE(g_towerStart.y, y0 + 1);
        Click(t->FrameWidget(), button(SagShift::West));
        QCOMPARE(g_towerStart.y, y0);
        QTimer::singleShot(50, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            menu->actions().at(0)->trigger();
            menu->close();
        });
        QTest::mouseDClick(t->FrameWidget(), Qt::RightButton, Qt::NoModifier, centre);
        const std::string report = Cp932ToUtf8(GetClipboardText());
        QVERIFY(report.rfind("[ S 地点 ]\r\n    X : 1010.000\r\n    Y : 2001.000\r\n", 0) == 0);
        QVERIFY(report.find("    係数 : 1000.000\r\n") != std::string::npos);

        // A new simple section closes the sag window.
        Choose(w.frame, kSimpleSection);
        Click(w.view, At(1005, 2001));
        Click(w.view, At(1015, 2019));
        QTRY_VERIFY(!CTower_Dlg::Current());
        QVERIFY(CSimpleSectionDlg::Current());
    }
};

int main(int argc, char** argv) { return RunWindowTest<LineToolsTest>(argc, argv, &g_root); }

#include "line_tools_uitest.moc"
