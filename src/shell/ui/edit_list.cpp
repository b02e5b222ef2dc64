#include "shell/ui/edit_list.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
// The first column stands apart as white on grey, the cells as black on white.
class ListCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool first = index.column() == 0;
        painter->fillRect(option.rect, first ? QColor(128, 128, 128) : QColor(Qt::white));
        painter->setPen(first ? QColor(Qt::white) : QColor(Qt::black));
        painter->drawText(option.rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
    }
};
}  // namespace

EditListCtrl::EditListCtrl(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    setItemDelegate(new ListCellDelegate(this));
    setContextMenuPolicy(Qt::DefaultContextMenu);

    m_edit = new QLineEdit(viewport());
    m_edit->setObjectName(QString::number(kEditId));
    m_edit->setFrame(false);
    m_edit->setFont(font());
    QPalette colours = m_edit->palette();
    colours.setColor(QPalette::Base, QColor(255, 255, 100));
    colours.setColor(QPalette::Text, Qt::black);
    m_edit->setPalette(colours);
    m_edit->hide();
    m_edit->setEnabled(false);
    m_edit->installEventFilter(this);
    // Enter belongs to the edit even in a dialog that turns Enter into Tab.
    m_edit->setProperty("keepsEnter", true);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &EditListCtrl::OnColumnResized);
    connect(horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this, [this](int) { StopWithoutWriting(); });
}

void EditListCtrl::InsertColumn(int col, const QString& heading, int width) {
    insertColumn(col);
    setHorizontalHeaderItem(col, new QTableWidgetItem(heading));
    setColumnWidth(col, width);
}

int EditListCtrl::InsertItem(int row, const QString& text) {
    row = std::clamp(row, 0, rowCount());
    insertRow(row);
    SetItemText(row, 0, text);
    return row;
}

void EditListCtrl::SetItemText(int row, int col, const QString& text) {
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return;
    if (QTableWidgetItem* cell = item(row, col))
        cell->setText(text);
    else
        setItem(row, col, new QTableWidgetItem(text));
}

QString EditListCtrl::GetItemText(int row, int col) const {
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->text() : QString();
}

void EditListCtrl::AddContextMenuItem(void* owner, const QString& text, int commandId, Callback callback) {
    m_menuItems.push_back({owner, text, commandId, std::move(callback)});
}

QRect EditListCtrl::CellRect(int row, int col) const { return visualRect(model()->index(row, col)); }

void EditListCtrl::BeginCellEdit(int row, int col) {
    if (Editing()) EndCellEdit();
    if (row < 0 || col < 1 || row >= rowCount() || col >= columnCount()) return;
    m_editItem = row;
    m_editSubItem = col;
    m_bringingIntoView = true;
    scrollTo(model()->index(row, col));
    m_bringingIntoView = false;
    const QRect cell = CellRect(row, col);
    m_editRect = QRect(cell.left() + 1, cell.top(), cell.width() - 2, cell.height() - 1);
    m_edit->setGeometry(m_editRect);
    m_edit->setText(GetItemText(row, col));
    m_edit->show();
    m_edit->setEnabled(true);
    m_edit->setFocus();
    m_edit->selectAll();
}

void EditListCtrl::EndCellEdit() {
    if (!Editing()) return;
    SetItemText(m_editItem, m_editSubItem, m_edit->text());
    emit CellEdited(m_editItem, m_editSubItem);
}

void EditListCtrl::CancelCellEdit() {
    m_edit->hide();
    m_edit->setEnabled(false);
}

void EditListCtrl::StopWithoutWriting() {
    m_editItem = -1;
    m_editSubItem = -1;
    CancelCellEdit();
}

void EditListCtrl::OnEnterInEdit() {
    if (!Editing()) return;
    if (m_editSubItem + 1 < columnCount()) {
        BeginCellEdit(m_editItem, m_editSubItem + 1);
    } else if (m_editItem + 1 < rowCount()) {
        BeginCellEdit(m_editItem + 1, 1);
    } else {
        EndCellEdit();
        StopWithoutWriting();
    }
}

void EditListCtrl::OnColumnResized(int col, int oldWidth, int newWidth) {
    if (Editing() && m_edit->isEnabled()) {
        const int change = newWidth - oldWidth;
        if (col == m_editSubItem)
            m_editRect.setWidth(m_editRect.width() + change);
        else if (col < m_editSubItem)
            m_editRect.translate(change, 0);
        m_edit->setGeometry(m_editRect);
    }
    viewport()->update();
}

void EditListCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QTableWidget::mousePressEvent(event);
        return;
    }
    if (Editing() && m_edit->isVisible()) EndCellEdit();
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (hit.isValid()) {
        StopWithoutWriting();
        m_editRect = CellRect(hit.row(), hit.column());
        m_clickItem = hit.row();
        m_clickSubItem = hit.column();
    }
    QTableWidget::mousePressEvent(event);
}

void EditListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (hit.isValid())
        BeginCellEdit(hit.row(), hit.column());
    else if (Editing())
        EndCellEdit();
}

void EditListCtrl::wheelEvent(QWheelEvent* event) {
    StopWithoutWriting();
    QTableWidget::wheelEvent(event);
}

void EditListCtrl::scrollContentsBy(int dx, int dy) {
    // The edit would no longer lie over its cell: what was typed is dropped.
    if (!m_bringingIntoView) StopWithoutWriting();
    QTableWidget::scrollContentsBy(dx, dy);
    if (dx != 0) viewport()->update();
}

bool EditListCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnEnterInEdit();
            return true;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

int EditListCtrl::TrackContextMenu(QMenu& menu, const QPoint& globalPos) {
    QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}

void EditListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    if (Editing()) {
        EndCellEdit();
        StopWithoutWriting();
    }
    if (m_menuItems.empty()) return;
    QMenu menu(this);
    for (const MenuItem& entry : m_menuItems) menu.addAction(entry.text)->setData(entry.commandId);
    const int chosen = TrackContextMenu(menu, event->globalPos());
    if (chosen == 0) return;
    for (const MenuItem& entry : m_menuItems) {
        if (entry.commandId == chosen && entry.owner) {
            if (entry.callback) entry.callback(entry.owner);
            break;
        }
    }
}
