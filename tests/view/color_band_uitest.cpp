// 段彩表示 from the menu. With a TIN: the colour-band dialog, its mode radios switching
// the pages, presets and the three-colour picker repainting the view with their colours,
// Cancel putting the record back field by field, OK turning bands on. Without a TIN: the
// point colour dialog colours the points.
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <set>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "view/band_texture.h"
#include "view/color_band_command.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "view/ui/color_band_dialog.h"
#include "view/ui/light_direction_widget.h"
#include "view/ui/vertex_color_band_dialog.h"

using namespace ui_driver;
namespace fs = std::filesystem;

namespace {
constexpr int kColorBand = 32786;

fs::path Grid() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

// A button event through the application, where the program's button state sees it.
void SendButton(QWidget* w, QEvent::Type type) {
    const QPoint at(10, 10);
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Types a value into an edit and leaves it, as the user does.
void Type(QLineEdit* edit, const char* text) {
    edit->setText(QString::fromUtf8(text));
    emit edit->editingFinished();
}

// The colours of the view that belong to the set.
std::set<QRgb> ColoursAmong(QWidget* view, const int32_t* colours, int n) {
    std::set<QRgb> wanted, found;
    for (int k = 0; k < n; ++k) wanted.insert(Rgb(colours[k]));
    g_redrawMask = -1;
    const QImage picture = view->grab().toImage();
    for (int y = 0; y < picture.height(); y += 2)
        for (int x = 0; x < picture.width(); x += 2)
            if (wanted.count(picture.pixel(x, y))) found.insert(picture.pixel(x, y));
    return found;
}

CColorBandDlg* Open(CMainFrame* frame) {
    Choose(frame, kColorBand);
    CColorBandDlg* dialog = CColorBandDlg::Instance();
    if (dialog && !QTest::qWaitForWindowExposed(dialog)) return nullptr;
    return dialog;
}
}  // namespace

class ColorBandWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
        // The program's key and button state, with the test's queued answers.
        InstallQtPlatform(*qApp);
        SetMessageHandler(nullptr);
        SetFileDialogHandler(nullptr);
    }

    void bandsFromTheMenu() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenFile(w.frame, Grid());
        QVERIFY(g_tinPresent != 0);
        g_birdsEyeOn = 0;
        g_colorBandOn = 0;

        CColorBandDlg* dialog = Open(w.frame);
        QVERIFY(dialog);
        QCOMPARE(g_showPoints, 0);
        QVERIFY(!Control<QPushButton>(dialog, "1")->isHidden());

        // The radios switch the pages; the colour group's title and shading follow.
        struct Step {
            const char* radio;
            int page;
            const char* pageName;
            const char* title;
            bool shading;
        };
        const Step steps[] = {{"1080", 1, "CSlopePlaneDlg", "グラデーション", true},
                              {"1082", 2, "CBirdsEyeColorDlg", "鳥瞰図配色", true},
                              {"1083", 3, "CSlopeBandDlg", "傾斜段彩", false},
                              {"1079", 0, nullptr, "縞段彩色", true}};
        for (const Step& s : steps) {
            dialog->findChild<QRadioButton*>(s.radio)->click();
            QCOMPARE(dialog->Pages()->currentIndex(), s.page);
            if (s.pageName) {
                QWidget* page = dialog->Pages()->currentWidget();
                QCOMPARE(page->objectName(), QString(s.pageName));
                QVERIFY(page->isVisible());
                // Pages 194 and 195 carry the light-direction control of the light dialog,
                // showing the record's light.
                auto* light = page->findChild<CLightDirectionWidget*>();
                QCOMPARE(light != nullptr, s.page != 3);
                if (light) {
                    light->repaint();
                    QCOMPARE(light->azimuth(), g_colorBandParams.lightAzimuth);
                    QCOMPARE(light->elevation(), g_colorBandParams.lightElevation);
                }
            }
            QCOMPARE(Control<QGroupBox>(dialog, 1247)->title(), QString::fromUtf8(s.title));
            QCOMPARE(Control<QCheckBox>(dialog, 1246)->isChecked(), s.shading);
            // The limits take input in the elevation modes only.
            QCOMPARE(Control<QLineEdit>(dialog, 1053)->isEnabled(), s.page <= 1);
            QCOMPARE(Control<QPushButton>(dialog, 1214)->isVisible(), s.page == 0);
            QCOMPARE(Control<QCheckBox>(dialog, 1250)->isEnabled(), s.page == 2);
            QCOMPARE(Control<QCheckBox>(dialog, 1251)->isEnabled(), s.page == 2);
        }

        // The inclined reference: the plane's fields open up, the limits are relative.
        auto* plane = dialog->findChild<CSlopePlaneDlg*>();
        QVERIFY(!plane->findChild<QLineEdit*>("1082")->isEnabled());
        dialog->findChild<QRadioButton*>("1086")->click();
        QCOMPARE(g_colorBandParams.refInclined, 1);
        QVERIFY(plane->findChild<QLineEdit*>("1082")->isEnabled());
        QCOMPARE(Control<QLineEdit>(dialog, 1053)->text(), QString());
        const double centre = g_colorBandParams.centre;
        Type(Control<QLineEdit>(dialog, 1049), "5");
        QCOMPARE(g_colorBandParams.highest, centre + 5);
        QCOMPARE(g_colorBandParams.step, 0.0);
        Type(plane->findChild<QLineEdit*>("1085"), "-90");
        QCOMPARE(g_colorBandParams.refDirection, 270.0);
        QCOMPARE(plane->findChild<QLineEdit*>("1085")->text(), QString(" 270.000"));
        dialog->findChild<QRadioButton*>("1084")->click();
        QCOMPARE(g_colorBandParams.refInclined, 0);

        // A swatch takes the colour chosen in the colour chooser.
        WhenModal([](QWidget* d) {
            auto* chooser = qobject_cast<QColorDialog*>(d);
            QVERIFY(chooser);
            chooser->setCurrentColor(QColor(0x12, 0x34, 0x56));
            chooser->accept();
        });
        dialog->findChild<CColorSwatch*>("c120")->click();
        QCOMPARE(g_colorBandParams.stripeColours[19], 0x123456);

        // A preset: bands on, and the view shows the preset's colours (unshaded).
        Control<QCheckBox>(dialog, 1246)->click();
        QCOMPARE(g_colorBandParams.shading, 0);
        Press(dialog, "1220");  // 白→黒
        QCOMPARE(g_colorBandParams.stripeColours[19], 0x1B1B1B);
        QVERIFY(Control<QCheckBox>(dialog, 3)->isChecked());
        const std::set<QRgb> grey = ColoursAmong(w.view, g_colorBandParams.stripeColours, 20);
        QVERIFY2(grey.size() >= 5, qPrintable(QString::number(grey.size())));
        Press(dialog, "1214");  // 赤階調
        QCOMPARE(g_colorBandParams.stripeColours[1], 0xFF0033);
        QVERIFY(ColoursAmong(w.view, g_colorBandParams.stripeColours, 20).size() >= 5);

        // 色指定: the stripes from black over grey to white, and the view shows them.
        bool picked = false;
        WhenModal("CGcolSet", [&](QWidget* d) {
            picked = true;
            Press(d, "1");
        });
        Press(dialog, "1221");
        QVERIFY(picked);
        const int32_t* c = g_colorBandParams.stripeColours;
        QCOMPARE(c[0], 0x000000);
        QCOMPARE(c[1], 0x0C0C0C);
        QCOMPARE(c[9], 0x808080);
        QCOMPARE(c[10], 0x8C8C8C);
        QCOMPARE(c[19], 0xFFFFFF);
        QVERIFY(ColoursAmong(w.view, c, 20).size() >= 5);
        const int32_t red[2] = {0xFF0000, 0xFF0033};
        QVERIFY(ColoursAmong(w.view, red, 2).empty());

        // Cancel: the record as it was at opening, except the live fields.
        const ColorBandParams opened = g_colorBandParamsCopy;
        Type(Control<QLineEdit>(dialog, 1282), "12.5");
        Type(Control<QLineEdit>(dialog, 1055), "1");
        Control<QCheckBox>(dialog, 1283)->setChecked(opened.waterTransparent == 0);
        Press(dialog, "2");
        QTRY_VERIFY(!CColorBandDlg::Instance());
        ColorBandParams expect = opened;
        expect.waterLevel = 12.5;
        expect.waterTransparent = opened.waterTransparent == 0;
        expect.shading = 0;
        QCOMPARE(std::memcmp(&g_colorBandParams, &expect, sizeof expect), 0);
        QCOMPARE(g_colorBandOn, 0);
        QCOMPARE(g_showPoints, 1);

        // OK in mode 0: the palette rebuilt from the stripes and bands on.
        dialog = Open(w.frame);
        QVERIFY(dialog);
        dialog->findChild<QRadioButton*>("1079")->click();
        Press(dialog, "1216");  // 地図
        Control<QCheckBox>(dialog, 3)->click();
        QCOMPARE(g_colorBandOn, 0);
        Press(dialog, "1");
        QTRY_VERIFY(!CColorBandDlg::Instance());
        QCOMPARE(g_colorBandOn, 1);
        QCOMPARE(g_bandTexture[0] & 0xFFFFFF, 0x28E828u);
        QVERIFY(Checked(w.frame, kColorBand));

        // The command again with bands on: off, points back.
        Choose(w.frame, kColorBand);
        QCOMPARE(g_colorBandOn, 0);
        QCOMPARE(g_showPoints, 1);
        QVERIFY(!CColorBandDlg::Instance());

        // Opened and closed by the command: no dialog left.
        QVERIFY(Open(w.frame));
        Choose(w.frame, kColorBand);
        QTRY_VERIFY(!CColorBandDlg::Instance());
    }

    // A band edit made while the button is held repaints once it is let go; a button that
    // stays down does not hold the view back for ever.
    void redrawWaitsForTheRelease() {
        QWidget widget;
        widget.resize(100, 100);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        int repaints = 0;
        bool heldAtRepaint = true;
        SetViewRepaintHandler([&] {
            ++repaints;
            heldAtRepaint = QtIsKeyDown(key::kMouseLeft);
        });
        SendButton(&widget, QEvent::MouseButtonPress);
        QVERIFY(QtIsKeyDown(key::kMouseLeft));
        QTimer::singleShot(30, &widget, [&] { SendButton(&widget, QEvent::MouseButtonRelease); });
        RedrawAfterButtonRelease(0);
        QCOMPARE(repaints, 1);
        QVERIFY(!heldAtRepaint);

        SendButton(&widget, QEvent::MouseButtonPress);
        RedrawAfterButtonRelease(0);
        QCOMPARE(repaints, 2);
        QVERIFY(heldAtRepaint);
        SendButton(&widget, QEvent::MouseButtonRelease);
        SetViewRepaintHandler(nullptr);
    }

    void pointColoursWithoutTin() {
        const fs::path copy = fs::path(m_root.path().toStdString()) / "points.RND";
        fs::copy_file(Grid(), copy, fs::copy_options::overwrite_existing);
        MainWindow w;
        QVERIFY(Start(w, QSize(800, 600)));
        OpenFile(w.frame, copy);
        QVERIFY(g_pointCount >= 2);
        if (g_tinPresent) QSKIP("the document built a TIN on opening");

        Choose(w.frame, kColorBand);
        CVertexColorBandDlg* dialog = CVertexColorBandDlg::Instance();
        QVERIFY(dialog);
        double hi = -1e300, lo = 1e300;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            hi = std::max(hi, g_points[i].z);
            lo = std::min(lo, g_points[i].z);
        }
        QCOMPARE(Control<QLabel>(dialog, 1155)->text(), QString::asprintf("%10.3f", hi));
        QCOMPARE(Control<QLabel>(dialog, 1156)->text(), QString::asprintf("%10.3f", lo));

        Control<QCheckBox>(dialog, "updateNames")->setChecked(true);
        Press(dialog, "apply");
        int coloured = 0;
        for (int32_t i = 1; i <= g_pointCount; ++i)
            if (g_points[i].name[0] == '#') ++coloured;
        QVERIFY(coloured > 0);
        QCOMPARE(g_pointColorPrefix, '#');

        Press(dialog, "clearAll");
        for (int32_t i = 1; i <= g_pointCount; ++i) QVERIFY(g_points[i].name[0] != '#');

        Choose(w.frame, kColorBand);
        QTRY_VERIFY(!CVertexColorBandDlg::Instance());
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(ColorBandWindowTest)
#include "color_band_uitest.moc"
