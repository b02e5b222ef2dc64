#include "shell/ui/flex_grid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

namespace {
constexpr int kGeneralAlign = 9;

bool LooksNumeric(const QString& text) {
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}
}  // namespace

CMSFlexGrid::CMSFlexGrid(QWidget* parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Selection is the grid's own (Row/Col .. RowSel/ColSel), drawn by cell colours.
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    setRowCount(2);
    setColumnCount(2);
    RestyleAll();
}

QTableWidgetItem* CMSFlexGrid::Cell(int row, int col) {
    QTableWidgetItem* it = item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        it->setFlags(Qt::ItemIsEnabled);
        setItem(row, col, it);
    }
    return it;
}

void CMSFlexGrid::StyleCell(int row, int col) {
    QTableWidgetItem* it = Cell(row, col);
    const bool fixed = row < m_fixedRows || col < m_fixedCols;
    const bool selected = !fixed && row >= std::min(m_row, m_rowSel) &&
                          row <= std::max(m_row, m_rowSel) && col >= std::min(m_col, m_colSel) &&
                          col <= std::max(m_col, m_colSel);
    const QPalette& pal = palette();
    if (fixed) {
        it->setBackground(pal.button());
        it->setForeground(pal.buttonText());
    } else if (selected && !(row == m_row && col == m_col)) {
        it->setBackground(pal.highlight());
        it->setForeground(pal.highlightedText());
    } else {
        const auto back = m_backColors.find({row, col});
        it->setBackground(back != m_backColors.end() ? QBrush(back->second) : pal.base());
        it->setForeground(pal.text());
    }
    int align = col < static_cast<int>(m_colAlign.size()) ? m_colAlign[col] : kGeneralAlign;
    Qt::Alignment a = Qt::AlignVCenter;
    if (align >= 0 && align <= 2) a |= Qt::AlignLeft;
    else if (align >= 3 && align <= 5) a |= Qt::AlignHCenter;
    else if (align >= 6 && align <= 8) a |= Qt::AlignRight;
    else a |= LooksNumeric(it->text()) ? Qt::AlignRight : Qt::AlignLeft;
    if (fixed) a = Qt::AlignCenter;
    it->setTextAlignment(a);
}

void CMSFlexGrid::RestyleAll() {
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) StyleCell(r, c);
}

void CMSFlexGrid::ShowSelection() {
    RestyleAll();
    viewport()->update();
}

void CMSFlexGrid::SetRows(int n) {
    n = std::max(n, 0);
    const int old = rowCount();
    setRowCount(n);
    for (int r = old; r < n; ++r)
        for (int c = 0; c < columnCount(); ++c) StyleCell(r, c);
    m_row = std::min(m_row, std::max(n - 1, 0));
    m_rowSel = std::min(m_rowSel, std::max(n - 1, 0));
}

void CMSFlexGrid::SetCols(int n) {
    n = std::max(n, 0);
    const int old = columnCount();
    setColumnCount(n);
    for (int r = 0; r < rowCount(); ++r)
        for (int c = old; c < n; ++c) StyleCell(r, c);
    m_col = std::min(m_col, std::max(n - 1, 0));
    m_colSel = std::min(m_colSel, std::max(n - 1, 0));
}

void CMSFlexGrid::SetFixedRows(int n) {
    m_fixedRows = std::max(n, 0);
    ShowSelection();
}

void CMSFlexGrid::SetFixedCols(int n) {
    m_fixedCols = std::max(n, 0);
    ShowSelection();
}

void CMSFlexGrid::SetTextMatrix(int row, int col, const QString& text) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return;
    Cell(row, col)->setText(text);
    StyleCell(row, col);
}

QString CMSFlexGrid::GetTextMatrix(int row, int col) const {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return {};
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

void CMSFlexGrid::MoveCurrent(int row, int col) {
    const bool changed = row != m_row || col != m_col;
    m_row = row;
    m_col = col;
    m_rowSel = row;
    m_colSel = col;
    ShowSelection();
    if (changed) emit RowColChange();
}

void CMSFlexGrid::SetRow(int r) {
    if (r < 0 || r >= rowCount()) return;
    const bool changed = r != m_row;
    m_row = r;
    m_rowSel = r;
    ShowSelection();
    if (changed) emit RowColChange();
}

void CMSFlexGrid::SetCol(int c) {
    if (c < 0 || c >= columnCount()) return;
    const bool changed = c != m_col;
    m_col = c;
    m_colSel = c;
    ShowSelection();
    if (changed) emit RowColChange();
}

void CMSFlexGrid::SetRowSel(int r) {
    if (r < 0 || r >= rowCount()) return;
    m_rowSel = r;
    ShowSelection();
}

void CMSFlexGrid::SetColSel(int c) {
    if (c < 0 || c >= columnCount()) return;
    m_colSel = c;
    ShowSelection();
}

void CMSFlexGrid::SetTopRow(int r) {
    if (r < m_fixedRows || r >= rowCount()) return;
    QTableWidgetItem* it = Cell(r, std::max(m_fixedCols, 0) < columnCount() ? m_fixedCols : 0);
    scrollToItem(it, QAbstractItemView::PositionAtTop);
}

int CMSFlexGrid::GetTopRow() const {
    const int r = rowAt(0);
    return r < 0 ? m_fixedRows : std::max(r, m_fixedRows);
}

void CMSFlexGrid::SetColWidth(int col, int px) {
    if (col < 0 || col >= columnCount()) return;
    setColumnWidth(col, px);
}

int CMSFlexGrid::GetColWidth(int col) const { return columnWidth(col); }

void CMSFlexGrid::SetColAlignment(int col, int flexAlign) {
    if (col < 0) return;
    if (col >= static_cast<int>(m_colAlign.size())) m_colAlign.resize(col + 1, kGeneralAlign);
    m_colAlign[col] = flexAlign;
    for (int r = 0; r < rowCount(); ++r)
        if (col < columnCount()) StyleCell(r, col);
}

int CMSFlexGrid::GetCellLeft() const { return columnViewportPosition(m_col); }
int CMSFlexGrid::GetCellTop() const { return rowViewportPosition(m_row); }
int CMSFlexGrid::GetCellWidth() const { return columnWidth(m_col); }
int CMSFlexGrid::GetCellHeight() const { return rowHeight(m_row); }

bool CMSFlexGrid::GetRowIsVisible(int row) const {
    if (row < 0 || row >= rowCount()) return false;
    const int top = rowViewportPosition(row);
    return top >= 0 && top + rowHeight(row) <= viewport()->height();
}

void CMSFlexGrid::SetCellBackColor(int row, int col, const QColor& color) {
    if (color.isValid())
        m_backColors[{row, col}] = color;
    else
        m_backColors.erase({row, col});
    if (row >= 0 && col >= 0 && row < rowCount() && col < columnCount()) StyleCell(row, col);
}

QColor CMSFlexGrid::GetCellBackColor(int row, int col) const {
    const auto it = m_backColors.find({row, col});
    return it != m_backColors.end() ? it->second : QColor();
}

void CMSFlexGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    const int r = rowAt(p.y());
    const int c = columnAt(p.x());
    m_rowDrag = false;
    if (r < 0 || c < 0) return;
    if (event->button() == Qt::LeftButton && c < m_fixedCols && r >= m_fixedRows &&
        m_fixedCols < columnCount()) {
        // The row's cells, or the rows from the current one with Shift.
        const bool changed = r != m_row || (!(event->modifiers() & Qt::ShiftModifier) &&
                                            m_col != m_fixedCols);
        if (!(event->modifiers() & Qt::ShiftModifier)) {
            m_row = r;
            m_col = m_fixedCols;
        }
        m_rowSel = r;
        m_colSel = columnCount() - 1;
        m_rowDrag = true;
        ShowSelection();
        if (changed) emit RowColChange();
    } else if (event->button() == Qt::LeftButton) {
        if (event->modifiers() & Qt::ShiftModifier) {
            // The current cell stays; the selection reaches to the clicked one.
            m_rowSel = r;
            m_colSel = c;
            ShowSelection();
        } else {
            MoveCurrent(r, c);
        }
    }
    emit Click();
}

void CMSFlexGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint p = event->position().toPoint();
    const int r = rowAt(p.y());
    const int c = m_rowDrag ? columnCount() - 1 : columnAt(p.x());
    if (r < m_fixedRows || c < m_fixedCols || (r == m_rowSel && c == m_colSel)) return;
    m_rowSel = r;
    m_colSel = c;
    ShowSelection();
}

void CMSFlexGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    emit Scroll();
}
