#pragma once
// A report list whose cells (all but the first column) are edited in place: a double click
// opens a one-line edit over the cell, Enter moves it on along the row and down the rows,
// a click elsewhere writes the text back, scrolling discards it. A context menu offers the
// callbacks its owner registered.
#include <QTableWidget>
#include <functional>
#include <vector>

class QLineEdit;
class QMenu;

class EditListCtrl : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int kEditId = 786;
    using Callback = std::function<void(void* owner)>;

    explicit EditListCtrl(QWidget* parent = nullptr);

    // Columns and rows, the first column holding the item's own text.
    void InsertColumn(int col, const QString& heading, int width);
    int InsertItem(int row, const QString& text);
    void SetItemText(int row, int col, const QString& text);
    QString GetItemText(int row, int col) const;

    void AddContextMenuItem(void* owner, const QString& text, int commandId, Callback callback);

    // Starts editing a cell (a double click); column 0 is never edited.
    void BeginCellEdit(int row, int col);
    // Writes the edit's text into the edited cell.
    void EndCellEdit();
    // Stops editing: the edit is hidden and disabled.
    void CancelCellEdit();

    int EditedItem() const { return m_editItem; }
    int EditedSubItem() const { return m_editSubItem; }
    int LastClickedItem() const { return m_clickItem; }
    int LastClickedSubItem() const { return m_clickSubItem; }
    QLineEdit* CellEdit() const { return m_edit; }

signals:
    // A cell's text was written back from the edit.
    void CellEdited(int row, int col);

protected:
    // Shows the menu and returns the chosen command id (0: none).
    virtual int TrackContextMenu(QMenu& menu, const QPoint& globalPos);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct MenuItem {
        void* owner;
        QString text;
        int commandId;
        Callback callback;
    };

    bool Editing() const { return m_editItem >= 0 && m_editSubItem >= 0; }
    QRect CellRect(int row, int col) const;
    void OnEnterInEdit();
    void OnColumnResized(int col, int oldWidth, int newWidth);
    void StopWithoutWriting();

    std::vector<MenuItem> m_menuItems;
    QLineEdit* m_edit = nullptr;
    QRect m_editRect;
    int m_editItem = -1;
    int m_editSubItem = -1;
    int m_clickItem = -1;
    int m_clickSubItem = -1;
    bool m_bringingIntoView = false;
};
