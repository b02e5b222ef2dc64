#include "shell/ui/highlight_toolbar.h"

#include <QActionEvent>
#include <QPainter>
#include <QToolButton>

MToolbar::MToolbar(const QString& title, QWidget* parent) : QToolBar(title, parent) {}
MToolbar::MToolbar(QWidget* parent) : QToolBar(parent) {}

void MToolbar::actionEvent(QActionEvent* event) {
    QToolBar::actionEvent(event);
    if (event->type() != QEvent::ActionAdded) return;
    // The buttons paint themselves over the bar, so the highlight is laid in their paint.
    if (auto* button = qobject_cast<QToolButton*>(widgetForAction(event->action()))) button->installEventFilter(this);
}

bool MToolbar::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QToolButton*>(watched);
    if (!button || event->type() != QEvent::Paint) return QToolBar::eventFilter(watched, event);
    if (button->isChecked()) {
        QPainter painter(button);
        painter.fillRect(button->rect(), m_highlight);
        const QIcon icon = button->icon();
        if (!icon.isNull()) painter.drawPixmap(3, 3, icon.pixmap(iconSize(), QIcon::Normal, QIcon::On));
        return true;  // the button's own face would cover the highlight
    }
    if (button->underMouse()) {
        QPainter painter(button);
        painter.fillRect(button->rect(), Qt::white);
    }
    return false;
}
