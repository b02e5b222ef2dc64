#include "route/ui/route_field_dialog.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

QLineEdit* CRouteFieldDialog::AddField(QGridLayout* grid, int row, int id, const char* label) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->installEventFilter(this);
    m_fields[edit] = id;
    grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

bool CRouteFieldDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit != nullptr && m_fields.count(edit) != 0) {
        if (event->type() == QEvent::FocusOut) {
            FieldLeft(edit);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                FieldLeft(edit);
                focusNextChild();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
