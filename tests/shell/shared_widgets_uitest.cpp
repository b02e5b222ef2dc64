// The widgets many dialogs share: the colour list, the dialog key filter with the start
// and abort results, the list with cells edited in place, the toolbar that highlights the
// buttons toggled on.
#include <QDialog>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>
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
#include "shell/ui/edit_list.h"
#include "shell/ui/highlight_toolbar.h"
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

// A list that answers its context menu with a chosen id and remembers what it offered.
class ScriptedList : public EditListCtrl {
public:
    int answer = 0;
    QStringList offered;

protected:
    int TrackContextMenu(QMenu& menu, const QPoint&) override {
        for (QAction* a : menu.actions()) offered << a->text() + "=" + QString::number(a->data().toInt());
        return answer;
    }
};

// Rows x 3 columns, cells "r.c".
void FillList(EditListCtrl& list, int rows) {
    list.InsertColumn(0, "No", 40);
    list.InsertColumn(1, "X", 80);
    list.InsertColumn(2, "Y", 80);
    for (int r = 0; r < rows; ++r) {
        list.InsertItem(r, QString::number(r));
        for (int c = 1; c < 3; ++c) list.SetItemText(r, c, QString("%1.%2").arg(r).arg(c));
    }
}

QPoint CellCentre(EditListCtrl& list, int row, int col) { return list.visualRect(list.model()->index(row, col)).center(); }

void DoubleClickCell(EditListCtrl& list, int row, int col) {
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, CellCentre(list, row, col));
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

    void ListEditsCellsInPlace() {
        EditListCtrl list;
        list.resize(260, 200);
        FillList(list, 3);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QLineEdit* edit = list.CellEdit();
        QCOMPARE(edit->objectName(), QString("786"));

        // Column 0 is never edited.
        DoubleClickCell(list, 1, 0);
        QVERIFY(!edit->isVisible());
        QCOMPARE(list.EditedItem(), -1);

        // Column 2: the whole text selected, the edit over the cell on light yellow.
        DoubleClickCell(list, 1, 2);
        QVERIFY(edit->isVisible() && edit->isEnabled());
        QCOMPARE(edit->selectedText(), QString("1.2"));
        const QRect cell = list.visualRect(list.model()->index(1, 2));
        QCOMPARE(edit->geometry(), QRect(cell.left() + 1, cell.top(), cell.width() - 2, cell.height() - 1));
        QCOMPARE(edit->palette().color(QPalette::Base), QColor(255, 255, 100));

        // A click on another cell writes the text back and ends the editing.
        QTest::keyClicks(edit, "7.5");
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(list, 0, 1));
        QCOMPARE(list.GetItemText(1, 2), QString("7.5"));
        QVERIFY(!edit->isVisible());
        QCOMPARE(list.LastClickedItem(), 0);
        QCOMPARE(list.LastClickedSubItem(), 1);

        // Enter walks along the row, then to column 1 of the next row; at the last cell of
        // the last row it writes back and hides the edit.
        struct Step {
            const char* typed;
            int row, col;  // the cell edited after Enter (-1: none)
        };
        DoubleClickCell(list, 1, 1);
        const Step steps[] = {{"a", 1, 2}, {"b", 2, 1}, {"c", 2, 2}, {"d", -1, -1}};
        for (const Step& st : steps) {
            QTest::keyClicks(edit, st.typed);
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(list.EditedItem(), st.row);
            QCOMPARE(list.EditedSubItem(), st.col);
            QCOMPARE(edit->isVisible(), st.row >= 0);
        }
        QCOMPARE(list.GetItemText(1, 1), QString("a"));
        QCOMPARE(list.GetItemText(1, 2), QString("b"));
        QCOMPARE(list.GetItemText(2, 1), QString("c"));
        QCOMPARE(list.GetItemText(2, 2), QString("d"));
    }

    void ListEditFollowsColumnsAndScrollingDiscards() {
        EditListCtrl list;
        list.resize(260, 120);
        FillList(list, 40);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QLineEdit* edit = list.CellEdit();
        DoubleClickCell(list, 1, 2);
        const QRect before = edit->geometry();
        list.horizontalHeader()->resizeSection(2, 100);  // the edited column: wider
        QCOMPARE(edit->geometry(), before.adjusted(0, 0, 20, 0));
        list.horizontalHeader()->resizeSection(0, 50);  // left of it: moved
        QCOMPARE(edit->geometry(), before.adjusted(10, 0, 30, 0));

        // Scrolling drops what was typed.
        QTest::keyClicks(edit, "999");
        list.verticalScrollBar()->setValue(list.verticalScrollBar()->value() + 3);
        QVERIFY(!edit->isVisible());
        QCOMPARE(list.EditedItem(), -1);
        QCOMPARE(list.GetItemText(1, 2), QString("1.2"));
        // So does the wheel.
        list.scrollToTop();
        DoubleClickCell(list, 2, 1);
        QTest::keyClicks(edit, "888");
        QWheelEvent wheel(QPointF(20, 20), list.viewport()->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list.viewport(), &wheel);
        QVERIFY(!edit->isVisible());
        QCOMPARE(list.GetItemText(2, 1), QString("2.1"));
        // And a double click on a header divider.
        list.scrollToTop();
        DoubleClickCell(list, 2, 1);
        QTest::keyClicks(edit, "777");
        QHeaderView* header = list.horizontalHeader();
        const int divider = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(divider, header->height() / 2));
        QVERIFY(!edit->isVisible());
        QCOMPARE(list.EditedItem(), -1);
        QCOMPARE(list.GetItemText(2, 1), QString("2.1"));
    }

    void ListEnterStaysInTheListInsideAKeyDialog() {
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* list = new EditListCtrl(&dialog);
        auto* after = new QLineEdit(&dialog);
        layout->addWidget(list);
        layout->addWidget(after);
        FillList(*list, 2);
        DialogKeyFilter* keys = InstallDialogKeyFilter(&dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        DoubleClickCell(*list, 0, 1);
        QTest::keyClick(list->CellEdit(), Qt::Key_Return);
        QCOMPARE(list->EditedSubItem(), 2);
        QVERIFY(list->CellEdit()->hasFocus());
        QVERIFY(!keys->IsEnterPressed());
    }

    void ListContextMenuCallsTheFirstOwnedItemOfTheId() {
        ScriptedList list;
        FillList(list, 2);
        std::vector<std::string> calls;
        int ownerA = 0, ownerB = 0;
        list.AddContextMenuItem(nullptr, "none", 5, [&](void*) { calls.push_back("null"); });
        list.AddContextMenuItem(&ownerA, "first", 5, [&](void* o) { calls.push_back(o == &ownerA ? "A" : "?"); });
        list.AddContextMenuItem(&ownerB, "second", 5, [&](void*) { calls.push_back("B"); });
        list.AddContextMenuItem(&ownerB, "other", 6, [&](void*) { calls.push_back("B6"); });
        list.resize(260, 120);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        // A cell being edited is written back first.
        DoubleClickCell(list, 0, 1);
        QTest::keyClicks(list.CellEdit(), "x");
        list.answer = 5;
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), list.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list.viewport(), &menu);
        QCOMPARE(list.GetItemText(0, 1), QString("x"));
        QVERIFY(!list.CellEdit()->isVisible());
        QCOMPARE(list.offered, QStringList({"none=5", "first=5", "second=5", "other=6"}));
        QCOMPARE(calls, std::vector<std::string>{"A"});
        list.answer = 0;  // dismissed
        QApplication::sendEvent(list.viewport(), &menu);
        QCOMPARE(calls.size(), size_t(1));

        // Without items no menu is offered.
        ScriptedList empty;
        QContextMenuEvent again(QContextMenuEvent::Mouse, QPoint(5, 5), empty.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(empty.viewport(), &again);
        QVERIFY(empty.offered.isEmpty());
    }

    void ToolbarShowsToggledButtonsOnPaleYellow() {
        MToolbar bar;
        bar.setIconSize(QSize(16, 16));
        QPixmap red(16, 16);
        red.fill(Qt::red);
        QAction* on = bar.addAction(QIcon(red), "on");
        QAction* off = bar.addAction(QIcon(red), "off");
        on->setCheckable(true);
        off->setCheckable(true);
        on->setChecked(true);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        const QImage shot = bar.grab().toImage();
        const QColor pale(255, 255, 170);
        QCOMPARE(bar.HighlightColor(), pale);
        const QRect onRect = bar.widgetForAction(on)->geometry();
        const QRect offRect = bar.widgetForAction(off)->geometry();
        QCOMPARE(shot.pixelColor(onRect.topLeft() + QPoint(1, 1)), pale);
        QCOMPARE(shot.pixelColor(onRect.bottomRight() - QPoint(1, 1)), pale);
        // The image at left + 3, top + 3.
        QCOMPARE(shot.pixelColor(onRect.topLeft() + QPoint(3, 3)), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(onRect.topLeft() + QPoint(18, 18)), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(onRect.topLeft() + QPoint(2, 2)), pale);
        int paleOff = 0;
        for (int y = offRect.top(); y <= offRect.bottom(); ++y)
            for (int x = offRect.left(); x <= offRect.right(); ++x) paleOff += shot.pixelColor(x, y) == pale;
        QCOMPARE(paleOff, 0);
        // Toggled off, the button loses it.
        on->setChecked(false);
        const QImage again = bar.grab().toImage();
        QVERIFY(again.pixelColor(onRect.topLeft() + QPoint(1, 1)) != pale);
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
