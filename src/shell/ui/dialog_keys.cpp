#include "shell/ui/dialog_keys.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

DialogKeyFilter::DialogKeyFilter(QWidget* dialog) : QObject(dialog), m_dialog(dialog) {
    // Application-wide, because a key goes to the focused control, not to the dialog.
    qApp->installEventFilter(this);
}

void DialogKeyFilter::BindFlags(bool* enterPressed, bool* escapePressed) {
    m_boundEnter = enterPressed;
    m_boundEscape = escapePressed;
}

void DialogKeyFilter::SetFlags(bool enter, bool escape) {
    m_enter = enter;
    m_escape = escape;
    if (m_boundEnter) *m_boundEnter = enter;
    if (m_boundEscape) *m_boundEscape = escape;
}

bool DialogKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !m_dialog || m_movingFocus) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // Popups (a combo's open list) are windows of their own and keep their keys.
    if (!widget || (widget != m_dialog && !m_dialog->isAncestorOf(widget))) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    SetFlags(false, false);
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !widget->property("keepsEnter").toBool()) {
        SetFlags(true, false);
        emit enterPressed();
        if (!m_dialog) return true;
        // A Tab to the window moves the focus whatever control has it (a text box would
        // take a Tab of its own).
        m_movingFocus = true;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(m_dialog, &tab);
        m_movingFocus = false;
        return true;
    }
    if (key == Qt::Key_Escape) {
        SetFlags(false, true);
        emit escapePressed();
        return true;
    }
    return false;
}

DialogKeyFilter* InstallDialogKeyFilter(QWidget* dialog) { return new DialogKeyFilter(dialog); }

void OnStartButton(QDialog* dialog) { dialog->done(kDialogStarted); }
void OnAbortButton(QDialog* dialog) { dialog->done(kDialogAborted); }

bool LineEditLeft(QObject* watched, QEvent* event, const std::function<void(QLineEdit*)>& left) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return false;
    if (event->type() == QEvent::FocusOut) {
        left(edit);
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            left(edit);
            return true;
        }
    }
    return false;
}
