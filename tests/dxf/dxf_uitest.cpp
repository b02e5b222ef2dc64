// The background drawing in the program's own windows: 背景ＤＸＦ選択 from the menu reads
// the file the dialog answers with and the plan shows its lines in their layer colour;
// 背景ＤＸＦ表示 hides and shows them. The import parameter dialog's slider, labels,
// Shift-click and endings.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QWheelEvent>
#include <QtTest>
#include <filesystem>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "dxf/dxf_import_params.h"
#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_picking.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "dxf/ui/dxf_position_dialog.h"
#include "dxf/ui/dxf_import_param_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
QString g_root;
constexpr int kDxfSelect = 32872;
constexpr int kDxfShow = 32873;

int CountColor(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == color;
    return n;
}

// A square of lines on a layer with colour 1, and a diagonal on a layer that is off (not
// read at all).
fs::path Drawing() {
    const fs::path path = fs::path(g_root.toStdString()) / "plan.dxf";
    std::string s = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nRED\n62\n1\n0\nLAYER\n2\nOFF\n62\n-2\n0\nENDTAB\n0\nENDSEC\n"
                    "0\nSECTION\n2\nENTITIES\n";
    const double c[5][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
    for (int i = 0; i < 4; ++i)
        s += "0\nLINE\n8\nRED\n10\n" + std::to_string(c[i][0]) + "\n20\n" + std::to_string(c[i][1]) + "\n11\n" +
             std::to_string(c[i + 1][0]) + "\n21\n" + std::to_string(c[i + 1][1]) + "\n";
    s += "0\nLINE\n8\nOFF\n10\n0\n20\n0\n11\n100\n21\n100\n0\nENDSEC\n0\nEOF\n";
    WriteFileBytes(path, s);
    return path;
}
}  // namespace

class DxfWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void selectAndShowFromTheMenu() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        QVERIFY(Enabled(frame, kDxfSelect));
        QVERIFY(!Enabled(frame, kDxfShow));
        for (int id : {32874, 32875, 32959}) QVERIFY(!Enabled(frame, id));

        QueueFileDialogAnswer(Drawing().string());
        Choose(frame, kDxfSelect);
        QCOMPARE(g_dxfElementCount, 8);
        QVERIFY(Enabled(frame, kDxfShow));
        QVERIFY(Checked(frame, kDxfShow));
        const QRgb red = Rgb(g_colorTable[61]);
        const QRgb hiddenColour = Rgb(g_colorTable[62]);
        QImage image = window.view->grab().toImage();
        // Four sides of the square, each some hundred pixels long.
        QVERIFY2(CountColor(image, red) > 400, qPrintable(QString::number(CountColor(image, red))));
        QCOMPARE(CountColor(image, hiddenColour), 0);

        Choose(frame, kDxfShow);
        QVERIFY(!Checked(frame, kDxfShow));
        image = window.view->grab().toImage();
        QCOMPARE(CountColor(image, red), 0);

        // The first side as other writers leave elements of a layer that is off (colour
        // -3): drawn only while hidden layers are shown.
        g_dxfElementsBlock.Data()[1].colour = -3;
        g_dxfElementsBlock.Data()[2].colour = -3;
        const QRgb offColour = Rgb(g_colorTable[63]);
        for (int answer : {msg::kIdNo, msg::kIdYes}) {
            ClearRecordedMessages();
            QueueMessageAnswer(answer);
            Choose(frame, kDxfShow);
            QCOMPARE(RecordedMessages().size(), size_t{1});
            QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                     QString::fromUtf8("非表示レイヤーのデータも表示しますか？"));
            QCOMPARE(g_showHiddenDxfLayers, answer == msg::kIdYes ? 1 : 0);
            image = window.view->grab().toImage();
            QVERIFY(CountColor(image, red) > 300);
            if (answer == msg::kIdYes)
                QVERIFY(CountColor(image, offColour) > 50);
            else
                QCOMPARE(CountColor(image, offColour), 0);
            if (answer == msg::kIdNo) Choose(frame, kDxfShow);
        }

        // A file that cannot be read says so and leaves the layer.
        ClearRecordedMessages();
        QueueFileDialogAnswer((fs::path(g_root.toStdString()) / "none.dxf").string());
        Choose(frame, kDxfSelect);
        QCOMPARE(RecordedMessages().size(), size_t{1});
        QCOMPARE(g_dxfElementCount, 8);
    }

    // ＤＸＦ座標情報: a click picks the nearest vertex's line, Shift right after it marks
    // crossings and clears the pick, 検索要素削除 removes the picked line.
    void infoWindowPicksAndDeletes() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        QueueFileDialogAnswer(Drawing().string());
        Choose(frame, kDxfSelect);
        QCOMPARE(g_dxfElementCount, 8);
        Choose(frame, 32875);
        QVERIFY(Checked(frame, 32875));
        QWidget* info = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "dxfInfoDialog" && w->isVisible()) info = w;
        QVERIFY(info);
        QVERIFY(!Control<QPushButton>(info, 1077)->isEnabled());

        auto at = [](int32_t i) {
            const DxfElement& e = g_dxfElementsBlock.Data()[i];
            return QPoint(g_viewportCenterX + e.screenX, g_viewportCenterY - e.screenY);
        };
        // Element 6 ends the second side (100, 0) -> (100, 100) at its top corner.
        Click(window.view, at(4) + QPoint(1, 1));
        QCOMPARE(g_pickedDxfElement, 4);
        QCOMPARE(g_pickedDxfFirst, 3);
        QCOMPARE(g_pickedDxfLast, 4);
        QCOMPARE(Control<QLabel>(info, 1228)->text(), QString("100.0000"));
        QVERIFY(Control<QPushButton>(info, 1077)->isEnabled());
        // The picked side is drawn in the highlight colour, the rest in the layer's.
        const QRgb highlight = Rgb(g_colorTable[31]);
        const int highlighted = CountColor(window.view->grab().toImage(), highlight);
        QVERIFY2(highlighted > 80, qPrintable(QString::number(highlighted)));
        QVERIFY(CountColor(window.view->grab().toImage(), Rgb(g_colorTable[61])) > 250);

        // Shift right after: the side under the cursor crossed with the picked one; no pick.
        Click(window.view, (at(5) + at(6)) / 2, Qt::ShiftModifier);
        QCOMPARE(g_pickedDxfElement, 0);
        QVERIFY(!Control<QPushButton>(info, 1077)->isEnabled());
        QCOMPARE(Control<QLabel>(info, 1227)->text(), QString());
        // A second Shift+click in a row picks.
        Click(window.view, at(6) + QPoint(1, 0), Qt::ShiftModifier);
        QVERIFY(g_pickedDxfElement != 0);

        // Corners are shared by two sides: the fourth side is picked on its middle.
        Control<QAbstractButton>(info, 1164)->click();
        QCOMPARE(g_dxfSearchOnLine, 1);
        Click(window.view, (at(7) + at(8)) / 2 + QPoint(2, 0));
        QCOMPARE(g_pickedDxfFirst, 7);
        QCOMPARE(g_pickedDxfLast, 8);
        ClearRecordedMessages();
        QueueMessageAnswer(msg::kIdYes);
        Press(info, "1077");
        QCOMPARE(RecordedMessages().size(), size_t{1});
        QCOMPARE(g_dxfElementCount, 6);
        QCOMPARE(g_pickedDxfElement, 0);

        Choose(frame, 32875);
        QVERIFY(!Checked(frame, 32875));
        g_dxfSearchOnLine = 0;
    }

    // The edits of 背景ＤＸＦ take their values when the focus leaves them, by Enter or by
    // a click elsewhere, and show what they kept; the wheel steps the elevation by 1 only
    // while its edit has the focus.
    void infoWindowEditsAndWheel() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        QueueFileDialogAnswer(Drawing().string());
        Choose(frame, kDxfSelect);
        Choose(frame, 32875);
        QWidget* info = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "dxfInfoDialog" && w->isVisible()) info = w;
        QVERIFY(info);
        QVERIFY(QTest::qWaitForWindowExposed(info));
        info->activateWindow();
        QApplication::setActiveWindow(info);
        QCOMPARE(Control<QLineEdit>(info, 1083)->text(), QString("5.000"));
        QCOMPARE(Control<QLineEdit>(info, 1093)->text(), QString("0.100"));
        QCOMPARE(Control<QLineEdit>(info, 1090)->text(), QString("0.000"));

        struct Case {
            int edit;
            const char* typed;
            bool byEnter;
            const char* shown;
        };
        const Case cases[] = {
            {1083, "2.5m", true, "2.500"},    // the number at the start
            {1083, "0", false, "2.500"},      // 0 keeps the interval
            {1083, "-3", true, "2.500"},      // so does a negative one
            {1093, "-0.5", true, "0.500"},    // the judge distance is made positive
            {1090, "abc", false, "0.000"},    // no number: 0
            {1090, "12.25x", true, "12.250"},
            {1091, "  P-1 ", true, "P-1"},    // blanks around the name dropped
        };
        for (const Case& c : cases) {
            auto* edit = Control<QLineEdit>(info, c.edit);
            edit->setFocus();
            QTRY_VERIFY(edit->hasFocus());
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromUtf8(c.typed));
            if (c.byEnter) {
                QTest::keyClick(edit, Qt::Key_Return);
            } else {
                Control<QPushButton>(info, 1079)->setFocus();
            }
            QTRY_VERIFY(!edit->hasFocus());
            QVERIFY(info->isVisible());
            QCOMPARE(edit->text(), QString::fromUtf8(c.shown));
        }

        // A real wheel over an edit travels up to the window; a made-up one is delivered
        // where it is sent.
        auto wheel = [info](int delta) {
            QWidget* target = info;
            const QPointF at(target->width() / 2.0, target->height() / 2.0);
            QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &event);
        };
        auto* elevation = Control<QLineEdit>(info, 1090);
        elevation->setFocus();
        QTRY_VERIFY(elevation->hasFocus());
        elevation->setText("7.5");  // typed, not yet taken: the wheel reads it first
        wheel(120);
        QCOMPARE(elevation->text(), QString("8.500"));
        wheel(-120);
        wheel(-240);
        QCOMPARE(elevation->text(), QString("6.500"));
        elevation->clear();  // an empty field steps from the kept value
        wheel(120);
        QCOMPARE(elevation->text(), QString("7.500"));
        // Elsewhere the wheel leaves the elevation alone.
        auto* interval = Control<QLineEdit>(info, 1083);
        interval->setFocus();
        QTRY_VERIFY(interval->hasFocus());
        QCOMPARE(elevation->text(), QString("7.500"));
        wheel(120);
        QCOMPARE(elevation->text(), QString("7.500"));
        QCOMPARE(interval->text(), QString("2.500"));

        Choose(frame, 32875);
    }

    void importParameterDialog() {
        g_dxfSplineQuality = 40;
        struct Row {
            const char* what;
            const char* button;  // null: Esc
            int result;
            int32_t quality;
        };
        const Row rows[] = {{"start", "1223", 1, 100}, {"cancel", "1224", 0, 40}, {"escape", nullptr, 2, 40}};
        for (const Row& r : rows) {
            g_dxfSplineQuality = 40;
            CDxfImportParamDlg dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            auto* slider = Control<QSlider>(&dialog, 1121);
            QCOMPARE(slider->value(), 2);
            for (int i = 0; i < 4; ++i) Control<QPushButton>(&dialog, 1222)->click();
            QCOMPARE(slider->value(), 5);
            Control<QPushButton>(&dialog, 1225)->click();
            Control<QPushButton>(&dialog, 1222)->click();
            auto* line = Control<QCheckBox>(&dialog, 1164);
            QVERIFY(line->isChecked());
            // Shift-click on the dialog's surface clears every kind, the next sets them.
            QTest::mouseClick(&dialog, Qt::LeftButton, Qt::ShiftModifier, QPoint(2, 2));
            QVERIFY(!line->isChecked());
            QVERIFY(!Control<QCheckBox>(&dialog, 1141)->isChecked());
            Control<QAbstractButton>(&dialog, "1179")->click();
            line->click();
            if (r.button)
                Control<QPushButton>(&dialog, r.button)->click();
            else
                QTest::keyClick(&dialog, Qt::Key_Escape);
            QCOMPARE(dialog.result(), r.result);
            QCOMPARE(g_dxfSplineQuality, r.quality);
            // Kinds are read only when the user starts; radio buttons act at once.
            QCOMPARE(dialog.Params().readLine, r.result == 1 ? 1 : 0);
            QCOMPARE(dialog.Params().readArc, 0);
            QCOMPARE(dialog.Params().xyMode, 1);
        }
        g_dxfSplineQuality = 40;
    }

    // 背景ＤＸＦ選択 applies the drawing's .DXI; 背景ＤＸＦパラメータ設定 picks a point of the
    // drawing in the view, takes typed survey coordinates and 登録 rewrites the .DXI;
    // choosing the command again while the dialog is open cancels it.
    void positionDialog() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        const fs::path drawing = Drawing();
        const fs::path dxi = fs::path(drawing).replace_extension(".DXI");
        // A translation by (north 10, east 20): the drawing's corners 0,0 / 100,0 / 0,100.
        WriteFileBytes(dxi, "*********************************\r\n"
                            "         10.000         20.000          0.000          0.000\r\n"
                            "         10.000        120.000        100.000          0.000\r\n"
                            "        110.000         20.000          0.000        100.000\r\n"
                            "          0.000          0.000          0.000          0.000\r\n"
                            " 1 1 1 0\r\n");
        ClearRecordedMessages();
        QueueFileDialogAnswer(drawing.string());
        Choose(frame, kDxfSelect);
        QCOMPARE(g_dxfElementCount, 8);
        const DxfElement* e = g_dxfElementsBlock.Data();
        for (int i = 1; i <= g_dxfElementCount; ++i) {
            QVERIFY(std::fabs(e[i].x - (e[i].sourceX + 10)) < 1e-9);
            QVERIFY(std::fabs(e[i].y - (e[i].sourceY + 20)) < 1e-9);
        }
        QCOMPARE(g_dxfRegistration.transformActive, 1);

        QVERIFY(Enabled(frame, 32874));
        Choose(frame, 32874);
        auto* dialog = frame->findChild<CBgDxfPositionDlg*>("bgDxfPositionDialog");
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QVERIFY(!Control<QPushButton>(dialog, 1)->isEnabled());
        Control<QCheckBox>(dialog, 1224)->click();
        Control<QCheckBox>(dialog, 1205)->click();
        // The view's click near the drawing's corner (100, 0) as shown, snapped to it.
        int32_t column = 0, row = 0;
        DxfPlanToClient(10 + 0, 20 + 100, column, row);
        Click(window.view, QPoint(column + 3, row - 2));
        QCOMPARE(Control<QLabel>(dialog, 1218)->text(), QString("(0.000 , 100.000)"));
        Control<QLineEdit>(dialog, 1203)->setText("5000.5");
        Control<QLineEdit>(dialog, 1202)->setText("-3000.25");
        Control<QPushButton>(dialog, 1204)->click();
        QVERIFY(Control<QPushButton>(dialog, 1)->isEnabled());
        QVERIFY(!Control<QCheckBox>(dialog, 1205)->isChecked());
        Control<QPushButton>(dialog, 1)->click();  // 登録: one pair, a translation
        QTRY_VERIFY(!frame->findChild<CBgDxfPositionDlg*>("bgDxfPositionDialog"));
        QCOMPARE(RecordedMessages().size(), size_t{1});
        for (int i = 1; i <= g_dxfElementCount; ++i) {
            QVERIFY(std::fabs(e[i].x - (e[i].sourceX + 5000.5)) < 1e-9);
            QVERIFY(std::fabs(e[i].y - (e[i].sourceY - 3000.25 - 100)) < 1e-9);
        }
        std::string text;
        QVERIFY(ReadFileBytes(dxi, text));
        QVERIFY2(text.find("       5000.500      -3000.250        100.000          0.000\r\n") != std::string::npos,
                 text.c_str());
        QVERIFY2(text.find(" 1 1 1 0\r\n") != std::string::npos, text.c_str());

        // Opened again: Esc keeps the dialog open, Enter in the X edit registers that one
        // coordinate of the selected vertex; the command again closes it as a cancel.
        Choose(frame, 32874);
        dialog = frame->findChild<CBgDxfPositionDlg*>("bgDxfPositionDialog");
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        Control<QCheckBox>(dialog, 1205)->click();
        auto* x = Control<QLineEdit>(dialog, 1203);
        dialog->activateWindow();
        QApplication::setActiveWindow(dialog);
        x->setFocus();
        QTRY_VERIFY(x->hasFocus());
        x->selectAll();
        QTest::keyClicks(x, "777");
        QTest::keyClick(x, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QTest::keyClick(x, Qt::Key_Return);
        QTRY_VERIFY(!x->hasFocus());
        QCOMPARE(g_dxfRegistration.vertexFlags[0], 1);
        QCOMPARE(g_dxfRegistration.publicPoint[0][1], 777.0);
        QVERIFY(Control<QPushButton>(dialog, 1)->isEnabled());
        Choose(frame, 32874);
        QTRY_VERIFY(!frame->findChild<CBgDxfPositionDlg*>("bgDxfPositionDialog"));
        QCOMPARE(g_dxfRegistration.transformActive, 1);
        QVERIFY(std::fabs(e[1].x - (e[1].sourceX + 5000.5)) < 1e-9);
        WriteDxiFile();
        std::string again;
        QVERIFY(ReadFileBytes(dxi, again));
        QCOMPARE(again, text);
    }
};

int main(int argc, char** argv) { return RunWindowTest<DxfWindowsTest>(argc, argv, &g_root); }

#include "dxf_uitest.moc"
