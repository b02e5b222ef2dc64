// The widgets many dialogs share: the colour list, the dialog key filter with the start
// and abort results.
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "../windows/window_test_main.h"
#include "model/terrain_data.h"
#include "shell/ui/color_combo.h"
#include "shell/ui/dialog_keys.h"
#include "view/palette.h"

namespace {
// A dialog with two edits whose focus-out records what the key filter says at that moment.
struct KeyDialog {
    QDialog dialog;
    QLineEdit* first = new QLineEdit(&dialog);
    QLineEdit* second = new QLineEdit(&dialog);
    QPlainTextEdit* notes = new QPlainTextEdit(&dialog);
    QPushButton* ok = new QPushButton("OK", &dialog);
    DialogKeyFilter* keys = InstallDialogKeyFilter(&dialog);
    bool boundEnter = false;
    bool boundEscape = false;
    std::vector<std::pair<bool, bool>> focusOutFlags;

    KeyDialog() {
        auto* layout = new QVBoxLayout(&dialog);
        for (QWidget* w : std::initializer_list<QWidget*>{first, second, notes, ok}) layout->addWidget(w);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        keys->BindFlags(&boundEnter, &boundEscape);
        first->installEventFilter(&recorder);
        recorder.owner = this;
    }
    struct Recorder : QObject {
        KeyDialog* owner = nullptr;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::FocusOut)
                owner->focusOutFlags.push_back({owner->keys->IsEnterPressed(), owner->keys->IsEscapePressed()});
            return false;
        }
    } recorder;
};

int CountPixels(const QImage& image, QColor color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color) ++n;
    return n;
}
}  // namespace

class SharedWidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void ColorComboHoldsColoursAndAdjustsItsHeight() {
        CColorComboBox combo;
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        QCOMPARE(combo.ItemHeight(), 16);
        QCOMPARE(combo.AddColor(0x0000ff), 0);
        QCOMPARE(combo.AddColor(0x123456), 1);
        QCOMPARE(combo.ColorAt(1), 0x123456u);
        QCOMPARE(combo.itemText(1), QString());
        QCOMPARE(ColorFromColorRef(0x123456), QColor(0x56, 0x34, 0x12));

        // The box's own height leaves the selection field as it is.
        const int field = combo.FieldHeight();
        const int height = combo.height();
        combo.AdjustEditHeight(height);
        QCOMPARE(combo.FieldHeight(), field);
        QCOMPARE(combo.height(), height);
        combo.AdjustEditHeight(height + 7);
        QCOMPARE(combo.FieldHeight(), field + 7);
        QCOMPARE(combo.height(), height + 7);
    }

    void ColorItemShowsSwatchNumberAndSelectionFrame() {
        struct Case {
            bool selected;
            QColor frame;
        };
        for (const Case& c : {Case{true, QColor(120, 120, 120)}, Case{false, QColor(Qt::white)}}) {
            QImage image(100, 16, QImage::Format_RGB32);
            image.fill(QColor(1, 2, 3));
            {
                QPainter painter(&image);
                CColorComboBox::DrawItem(painter, image.rect(), 7, 0x00ff80, c.selected);
            }
            // Swatch from left + 2 to the middle + 2, outlined in black.
            QCOMPARE(image.pixelColor(20, 8), QColor(0x80, 0xff, 0x00));
            QCOMPARE(image.pixelColor(2, 8), QColor(Qt::black));
            QCOMPARE(image.pixelColor(51, 8), QColor(Qt::black));
            QCOMPARE(image.pixelColor(53, 8), QColor(1, 2, 3));
            QCOMPARE(image.pixelColor(0, 0), c.frame);
            QCOMPARE(image.pixelColor(99, 15), c.frame);
            // The item number is written right of the swatch.
            int ink = 0;
            for (int y = 1; y < 15; ++y)
                for (int x = 55; x < 99; ++x)
                    if (image.pixelColor(x, y).lightness() < 128 && image.pixelColor(x, y) != QColor(1, 2, 3)) ++ink;
            QVERIFY(ink > 3);
        }
    }

    void ClosedBoxShowsTheSelectedColour() {
        CColorComboBox combo;
        combo.resize(120, combo.height());
        combo.AddColor(0x0000ff);
        combo.AddColor(0xff0000);
        combo.setCurrentIndex(1);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        const QImage shot = combo.grab().toImage();
        QVERIFY(CountPixels(shot, QColor(0, 0, 255)) > 20);
        QCOMPARE(CountPixels(shot, QColor(255, 0, 0)), 0);
    }

    void PaletteFillTakesEntriesSixtyToSeventyFive() {
        ReleaseDataModel();
        {
            // No palette yet: nothing is added and the box keeps its height.
            DrawBitmapInfo* saved = g_drawBitmapInfo;
            g_drawBitmapInfo = nullptr;
            CColorComboBox combo;
            const int height = combo.height();
            FillPaletteColorCombo(combo, 3);
            QCOMPARE(combo.count(), 0);
            QCOMPARE(combo.height(), height);
            g_drawBitmapInfo = saved;
        }
        InitDataModel();
        QVERIFY(g_drawBitmapInfo);
        CColorComboBox combo;
        const int height = combo.height();
        FillPaletteColorCombo(combo, 5);
        QCOMPARE(combo.count(), 16);
        QCOMPARE(combo.currentIndex(), 5);
        QCOMPARE(combo.height(), height + 20);
        // The standard colours of the drawing palette: white, red, yellow, green, cyan, blue.
        const uint32_t expected[] = {0xffffff, 0x0000ff, 0x00ffff, 0x00ff00, 0xffff00, 0xff0000};
        for (int k = 0; k < 6; ++k) QCOMPARE(combo.ColorAt(k), expected[k]);
        for (int k = 0; k < 16; ++k) {
            const RgbQuad& c = g_drawBitmapInfo->colors[60 + k];
            QCOMPARE(ColorFromColorRef(combo.ColorAt(k)), QColor(c.red, c.green, c.blue));
        }
        ReleaseDataModel();
    }

    void EnterMovesOnAndEscapeDoesNothing() {
        KeyDialog d;
        QSignalSpy enters(d.keys, &DialogKeyFilter::enterPressed);
        QSignalSpy escapes(d.keys, &DialogKeyFilter::escapePressed);
        d.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d.dialog));
        d.first->setFocus();
        QTRY_VERIFY(d.first->hasFocus());

        QTest::keyClick(d.first, Qt::Key_Return);
        QVERIFY(d.second->hasFocus());
        QVERIFY(d.dialog.isVisible());  // the default button was not pressed
        QCOMPARE(d.dialog.result(), 0);
        QCOMPARE(enters.count(), 1);
        // The edit left by Enter saw the flag while it lost the focus.
        QCOMPARE(d.focusOutFlags.size(), size_t(1));
        QCOMPARE(d.focusOutFlags[0], std::make_pair(true, false));
        QVERIFY(d.boundEnter);

        // Keypad Enter too, and a text box takes no line break from it.
        QTest::keyClick(d.second, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(d.notes->hasFocus());
        QTest::keyClick(d.notes, Qt::Key_Return);
        QCOMPARE(d.notes->toPlainText(), QString());
        QVERIFY(d.ok->hasFocus());
        QTest::keyClick(d.ok, Qt::Key_Return);
        QVERIFY(d.dialog.isVisible());

        d.first->setFocus();
        QTest::keyClick(d.first, Qt::Key_Escape);
        QVERIFY(d.dialog.isVisible());
        QCOMPARE(escapes.count(), 1);
        QVERIFY(d.keys->IsEscapePressed());
        QVERIFY(!d.keys->IsEnterPressed());
        QVERIFY(d.boundEscape && !d.boundEnter);

        // Any other key clears both.
        QTest::keyClick(d.first, Qt::Key_A);
        QCOMPARE(d.first->text(), QString("a"));
        QVERIFY(!d.keys->IsEscapePressed() && !d.keys->IsEnterPressed());
        QVERIFY(!d.boundEscape && !d.boundEnter);
    }

    void KeysOutsideTheDialogAreLeftAlone() {
        KeyDialog d;
        QLineEdit other;
        d.dialog.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QSignalSpy enters(d.keys, &DialogKeyFilter::enterPressed);
        QSignalSpy returns(&other, &QLineEdit::returnPressed);
        QTest::keyClick(&other, Qt::Key_Return);
        QCOMPARE(enters.count(), 0);
        QCOMPARE(returns.count(), 1);
    }

    void StartAndAbortEndWithOneAndZero() {
        struct Case {
            void (*button)(QDialog*);
            int result;
        };
        for (const Case& c : {Case{OnStartButton, 1}, Case{OnAbortButton, 0}}) {
            QDialog dialog;
            QTimer::singleShot(0, &dialog, [&] { c.button(&dialog); });
            QCOMPARE(dialog.exec(), c.result);
        }
    }
};

int main(int argc, char** argv) { return RunWindowTest<SharedWidgetsTest>(argc, argv); }

#include "shared_widgets_uitest.moc"
