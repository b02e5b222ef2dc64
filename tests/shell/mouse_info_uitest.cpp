// The hint window of the mouse gestures: it sits in the middle of the main window over the
// view, the mouse reaches the view through it, and its close button hides it for good.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QtTest>

#include "shell/ui/main_frame.h"
#include "shell/ui/mouse_info.h"
#include "../windows/window_test_main.h"

namespace {
// A view that notes where the left button went down.
class PressRecorder : public QWidget {
public:
    using QWidget::QWidget;
    QList<QPoint> presses;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        presses.append(event->position().toPoint());
    }
};

QPoint Centre(const QRect& r) { return r.topLeft() + QPoint(r.width() / 2, r.height() / 2); }
}  // namespace

class MouseInfoTest : public QObject {
    Q_OBJECT
private slots:
    void letsTheMouseThroughAndClosesWithItsButton() {
        CMainFrame frame;
        auto* view = new PressRecorder;
        view->setFocusPolicy(Qt::StrongFocus);
        frame.SetView(view, nullptr);  // made after the hint, as the program does
        frame.resize(900, 700);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        view->setFocus();

        CMouseInfo* hint = frame.MouseInfo();
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->findChildren<QLabel*>().size(), 4);
        // In the middle of the main window, over the view.
        QVERIFY((Centre(hint->geometry()) - Centre(frame.rect())).manhattanLength() <= 2);
        QVERIFY(view->geometry().contains(hint->geometry()));
        frame.resize(1000, 760);
        QVERIFY((Centre(hint->geometry()) - Centre(frame.rect())).manhattanLength() <= 2);

        // A press on the hint's text reaches the view below it.
        for (QLabel* label : hint->findChildren<QLabel*>()) {
            const QPoint at = label->mapToGlobal(label->rect().center());
            QCOMPARE(QApplication::widgetAt(at), static_cast<QWidget*>(view));
        }
        const QPoint onText = Centre(hint->geometry());
        QTest::mouseClick(frame.windowHandle(), Qt::LeftButton, {}, onText);
        QCOMPARE(view->presses.size(), 1);
        QCOMPARE(view->presses.front(), view->mapFrom(&frame, onText));

        // Its close button takes the click (the view does not), leaves the keys with the
        // view and hides the hint.
        QToolButton* close = hint->CloseButton();
        QVERIFY(close && close->isVisible());
        QVERIFY(hint->geometry().contains(close->geometry()));
        const QPoint onClose = Centre(close->geometry());
        QCOMPARE(QApplication::widgetAt(frame.mapToGlobal(onClose)), static_cast<QWidget*>(close));
        QTest::mouseClick(frame.windowHandle(), Qt::LeftButton, {}, onClose);
        QCOMPARE(view->presses.size(), 1);
        QVERIFY(!hint->isVisible());
        QVERIFY(!close->isVisible());
        QVERIFY(view->hasFocus());

        // Gone until the program ends: the place is the view's.
        QCOMPARE(QApplication::widgetAt(frame.mapToGlobal(onClose)), static_cast<QWidget*>(view));
        frame.hide();
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(!hint->isVisible());
        QVERIFY(!close->isVisible());
    }
};

int main(int argc, char** argv) { return RunWindowTest<MouseInfoTest>(argc, argv); }

#include "mouse_info_uitest.moc"
