#include "shell/ui/enter_as_tab.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace {
class EnterAsTabFilter : public QObject {
public:
    explicit EnterAsTabFilter(QWidget* dialog) : QObject(dialog), m_dialog(dialog) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !m_dialog) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || (widget != m_dialog && !m_dialog->isAncestorOf(widget))) return false;
        // A button marked so (an action button) is pressed by Enter.
        if (widget->property("enterActs").toBool() || widget->property("keepsEnter").toBool()) return false;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, key->modifiers() & ~Qt::KeypadModifier);
        QApplication::sendEvent(widget, &tab);
        return true;
    }

private:
    QPointer<QWidget> m_dialog;
};
}  // namespace

void InstallEnterAsTab(QWidget* dialog) {
    // Application-wide, because the key goes to the focused control, not to the dialog.
    qApp->installEventFilter(new EnterAsTabFilter(dialog));
}
