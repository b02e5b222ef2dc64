#include "route/ui/route_list_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "shell/ui/flex_grid.h"

CRouteListWindow::CRouteListWindow(ToolWindow slot, const char* objectName, const char* title,
                                   int columns, QWidget* parent)
    : QDialog(parent), m_slot(slot) {
    setObjectName(objectName);
    setWindowTitle(QString::fromUtf8(title));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_grid = new CMSFlexGrid(this);
    m_grid->setObjectName("1257");
    m_grid->SetCols(columns);
    m_grid->SetRows(40);
    m_grid->SetFixedRows(1);
    m_grid->SetFixedCols(1);
    m_editor = new QLineEdit(m_grid->viewport());
    m_editor->setObjectName("1258");
    m_editor->hide();
    m_editor->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    connect(m_grid, &CMSFlexGrid::Click, this, [this] { GridClicked(); });
    connect(m_grid, &CMSFlexGrid::RowColChange, this, [this] { CurrentCellChanged(); });
    connect(m_grid, &CMSFlexGrid::Scroll, this, [this] { HideEditor(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_grid, 1);
    m_buttons = new QHBoxLayout;
    layout->addLayout(m_buttons);
    resize(columns * 90 + 40, 420);
    // Open beside the main window's middle, out of the way of the view.
    if (parent) {
        const QRect frame = parent->window()->geometry();
        move(frame.left() + 80, frame.top() + frame.height() / 2 + 20);
    }
    SetToolWindow(slot, this);
}

CRouteListWindow::~CRouteListWindow() { ClearToolWindow(m_slot, this); }

void CRouteListWindow::CloseToolWindow() {
    ClearToolWindow(m_slot, this);
    close();
}

QPushButton* CRouteListWindow::AddButton(int id, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    m_buttons->addWidget(button);
    return button;
}

void CRouteListWindow::AddToButtonRow(QWidget* widget) { m_buttons->addWidget(widget); }

void CRouteListWindow::SetColumnWidths(int parts) {
    m_widthParts = parts;
    const int usable = std::max(width() - 26, 100);
    const int first = usable / parts;
    const int others = m_grid->GetCols() > 1 ? (usable - first) / (m_grid->GetCols() - 1) : 0;
    m_grid->SetColWidth(0, first);
    for (int c = 1; c < m_grid->GetCols(); ++c) m_grid->SetColWidth(c, others);
}

void CRouteListWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    HideEditor();
    SetColumnWidths(m_widthParts);
}

void CRouteListWindow::FormatRow(int32_t r) {
    if (r < 1) return;
    if (r >= m_grid->GetRows() - 2) m_grid->SetRows(r + 3);
    for (int c = 0; c < m_grid->GetCols(); ++c) m_grid->SetTextMatrix(r, c, CellText(r, c));
}

void CRouteListWindow::FormatRows(int32_t first, int32_t last) {
    m_grid->setUpdatesEnabled(false);
    for (int32_t r = std::max(first, 1); r <= last; ++r) FormatRow(r);
    m_grid->setUpdatesEnabled(true);
}

void CRouteListWindow::Refresh() {
    FormatRows(1, std::max<int32_t>(m_grid->GetRows() - 1, TableCount()));
}

GridSelection CRouteListWindow::Selection() const {
    return {m_grid->GetRow(), m_grid->GetCol(), m_grid->GetRowSel(), m_grid->GetColSel()};
}

void CRouteListWindow::FocusGrid() { m_grid->setFocus(Qt::OtherFocusReason); }

void CRouteListWindow::OpenEditor(const QString* text) {
    m_editRow = m_grid->GetRow();
    m_editCol = m_grid->GetCol();
    m_grid->scrollToItem(m_grid->item(m_editRow, m_editCol));
    m_editor->setGeometry(m_grid->GetCellLeft(), m_grid->GetCellTop(), m_grid->GetCellWidth(),
                          m_grid->GetCellHeight());
    m_editor->setText(text ? *text : m_grid->GetTextMatrix(m_editRow, m_editCol));
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void CRouteListWindow::HideEditor() {
    m_editRow = m_editCol = 0;
    if (m_editor->isVisible()) {
        const bool hadFocus = m_editor->hasFocus();
        m_editor->hide();
        if (hadFocus) FocusGrid();
    }
}

void CRouteListWindow::GridClicked() {
    HideEditor();
    if (Selection().SingleCell()) OpenEditor();
}

void CRouteListWindow::NextCell(int32_t& row, int32_t& col) const {
    if (col >= m_grid->GetCols() - 1) {
        if (row < m_grid->GetRows() - 1) {
            ++row;
            col = 1;
        }
    } else {
        ++col;
    }
}

void CRouteListWindow::EnterPressed() {
    if (m_editRow == 0 && m_editCol == 0) return;
    const int32_t row = m_editRow, col = m_editCol;
    const QString text = m_editor->text();
    int32_t nextRow = row, nextCol = col;
    NextCell(nextRow, nextCol);
    HideEditor();
    StoreCell(row, col, text);
    m_grid->SetRow(nextRow);
    m_grid->SetCol(nextCol);
    GridClicked();
}

bool CRouteListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid->viewport() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                EnterPressed();
                return true;
            }
            if (key == Qt::Key_Escape || key == Qt::Key_Up || key == Qt::Key_Down) {
                HideEditor();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && m_editor->isVisible()) {
            // The editor lost the focus without Enter: nothing is stored.
            m_editRow = m_editCol = 0;
            m_editor->hide();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CRouteListWindow::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted()) Closing();
}

void CRouteListWindow::keyPressEvent(QKeyEvent* event) {
    // Escape gives the focus to the grid; the window stays.
    if (event->key() == Qt::Key_Escape) {
        HideEditor();
        FocusGrid();
        return;
    }
    QDialog::keyPressEvent(event);
}

// One row per wheel step.
void CRouteListWindow::wheelEvent(QWheelEvent* event) {
    HideEditor();
    const int top = m_grid->GetTopRow();
    if (event->angleDelta().y() > 0) {
        if (!m_grid->GetRowIsVisible(1)) m_grid->SetTopRow(top - 1);
    } else if (event->angleDelta().y() < 0) {
        if (!m_grid->GetRowIsVisible(m_grid->GetRows() - 1)) m_grid->SetTopRow(top + 1);
    }
    event->accept();
}
