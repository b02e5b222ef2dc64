#pragma once
// What the route's grid windows (IP list, station list, plus stakes) share: a modeless
// window holding one instance in its tool-window slot, a flex grid with a one-line
// editor laid over the clicked cell, and the keys of that editor: Enter stores the text
// and moves on, Escape, Up, Down, a click elsewhere or a scroll drop it.
#include <QDialog>
#include <QString>

#include "route/route_lists.h"
#include "shell/tool_windows.h"

class CMSFlexGrid;
class QHBoxLayout;
class QLineEdit;
class QPushButton;

class CRouteListWindow : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    void CloseToolWindow() override;
    CMSFlexGrid* Grid() const { return m_grid; }
    QLineEdit* CellEditor() const { return m_editor; }
    // Rewrites rows 1 to the larger of the grid's rows and the table's count.
    void Refresh();

protected:
    CRouteListWindow(ToolWindow slot, const char* objectName, const char* title,
                     int columns, QWidget* parent);
    ~CRouteListWindow() override;

    // The menu command's toggle: closes the open window of this kind, or opens one.
    template <class Window>
    static void ToggleWindow(ToolWindow slot, QWidget* frame) {
        if (auto* open = dynamic_cast<Window*>(GetToolWindow(slot))) {
            open->CloseToolWindow();
            return;
        }
        (new Window(frame))->show();
    }

    // The table's size, a row's cell texts (UTF-8; "" beyond the table) and the edits.
    virtual int32_t TableCount() const = 0;
    virtual QString CellText(int32_t row, int32_t col) const = 0;
    // An edit ended with Enter on (row, col); the window rewrites rows afterwards.
    virtual void StoreCell(int32_t row, int32_t col, const QString& text) = 0;
    // The cell after (row, col) that Enter moves to.
    virtual void NextCell(int32_t& row, int32_t& col) const;
    // The grid's current cell changed.
    virtual void CurrentCellChanged() {}
    // A click on the grid: opens the editor over a single selected cell.
    virtual void GridClicked();
    // The window is closing (or destroyed unclosed): what it leaves behind.
    virtual void Closing() {}

    // Writes or blanks row r, growing the grid so blank rows follow the last one.
    void FormatRow(int32_t r);
    void FormatRows(int32_t first, int32_t last);
    GridSelection Selection() const;
    // The editor over the current cell, showing `text` (the cell's own by default).
    void OpenEditor(const QString* text = nullptr);
    void HideEditor();
    QPushButton* AddButton(int id, const char* text);
    void AddToButtonRow(QWidget* widget);
    // Column widths: column 0 one part of `parts`, the others sharing the rest.
    void SetColumnWidths(int parts);
    void FocusGrid();

    int32_t m_editRow = 0;
    int32_t m_editCol = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void EnterPressed();

    ToolWindow m_slot;
    CMSFlexGrid* m_grid = nullptr;
    QLineEdit* m_editor = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    int m_widthParts = 9;
};
