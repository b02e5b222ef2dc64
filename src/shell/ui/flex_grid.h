#pragma once
// The table of the list windows: text cells addressed by row and column, the heading
// rows and columns counted like any other. The grid never edits a cell itself; a list
// window lays its own one-line edit over the current cell (GetCellLeft ... GetCellHeight,
// in viewport coordinates).
#include <QColor>
#include <QTableWidget>
#include <map>
#include <utility>

class CMSFlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit CMSFlexGrid(QWidget* parent = nullptr);

    void SetRows(int n);
    int GetRows() const { return rowCount(); }
    void SetCols(int n);
    int GetCols() const { return columnCount(); }
    void SetFixedRows(int n);
    int GetFixedRows() const { return m_fixedRows; }
    void SetFixedCols(int n);
    int GetFixedCols() const { return m_fixedCols; }

    void SetTextMatrix(int row, int col, const QString& text);
    // "" outside the grid.
    QString GetTextMatrix(int row, int col) const;

    // The current cell, and the other corner of the selection.
    void SetRow(int r);
    int GetRow() const { return m_row; }
    void SetCol(int c);
    int GetCol() const { return m_col; }
    void SetRowSel(int r);
    int GetRowSel() const { return m_rowSel; }
    void SetColSel(int c);
    int GetColSel() const { return m_colSel; }

    // The first scrollable row shown.
    void SetTopRow(int r);
    int GetTopRow() const;

    void SetColWidth(int col, int px);
    int GetColWidth(int col) const;
    // 0..2 left, 3..5 centre, 6..8 right (top, centre, bottom of each); 9 general:
    // numbers right, text left.
    void SetColAlignment(int col, int flexAlign);

    int GetCellLeft() const;
    int GetCellTop() const;
    int GetCellWidth() const;
    int GetCellHeight() const;
    bool GetRowIsVisible(int row) const;

    // Background of a cell while it is not selected; an invalid colour restores the
    // grid's own.
    void SetCellBackColor(int row, int col, const QColor& color);
    QColor GetCellBackColor(int row, int col) const;

signals:
    void Click();
    void RowColChange();
    void Scroll();

protected:
    // A press on the fixed column selects the row's cells, a drag extends the selection.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QTableWidgetItem* Cell(int row, int col);
    void StyleCell(int row, int col);
    void RestyleAll();
    void ShowSelection();
    void MoveCurrent(int row, int col);

    int m_fixedRows = 1;
    int m_fixedCols = 1;
    int m_row = 1;
    int m_col = 1;
    int m_rowSel = 1;
    int m_colSel = 1;
    std::vector<int> m_colAlign;
    std::map<std::pair<int, int>, QColor> m_backColors;
    bool m_rowDrag = false;  // the drag started on the fixed column
};
