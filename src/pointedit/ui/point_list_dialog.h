#pragma once
// ランダム点一覧 (103), modeless, and its label-mode dialog 作画設定 (104). The list shows a
// window of rows; a row clicked becomes current, is marked in the view and opens the edit
// row below the list. Controls carry their template ids as object names.
#include <QDialog>
#include <vector>

#include "pointedit/point_list.h"
#include "shell/tool_windows.h"

class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

class CPointListDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CPointListDlg(QWidget* frame);
    ~CPointListDlg() override;
    void CloseToolWindow() override;

    // A point number sent by the view or a point tool: its row becomes current when loaded.
    void OnTimer(int32_t point);

    int32_t CurrentNumber() const { return m_current; }
    PointListWindow LoadedRows() const { return m_window; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* AddEdit(QWidget* parent, int id);
    QPushButton* AddButton(QWidget* parent, int id, const char* text);
    void FillList(int32_t start, int32_t n);
    void FillRow(int row, int32_t number);
    int RowOf(int32_t number) const;
    int32_t NumberOf(int row) const { return m_window.start + row; }
    std::vector<int32_t> SelectedNumbers() const;
    void SelectNumber(int32_t number);
    void Highlight(int32_t number);
    void ShowEditRow(bool shown);
    void FillEditRow();
    bool LoadMoreRows(int key);

    void OnListClick(int row);
    void OnListDblClk();
    void OnRegister();
    void OnDelete();
    void OnUse();
    void OnPlot();
    void OnCopyTable();
    void OnPaste();
    void OnNumberEntered();
    void OnStartLeft();
    void OnCountLeft();

    QWidget* m_frame;
    QTableWidget* m_list;
    QWidget* m_editRow;
    QLineEdit* m_number;
    QLineEdit* m_x;
    QLineEdit* m_y;
    QLineEdit* m_z;
    QLineEdit* m_name;
    QLineEdit* m_start;
    QLineEdit* m_count;
    PointListWindow m_window;
    int32_t m_current = 1;
    bool m_closed = false;
};

class CPointLabelModeDlg : public QDialog {
    Q_OBJECT
public:
    CPointLabelModeDlg(int32_t kind, QWidget* parent);
    // The chosen mode 0..3, or -1 for 中止, Escape or no choice.
    static int32_t Run(int32_t kind, QWidget* parent);
    int32_t Choice() const;
};

// Makes 32829 open the window over this frame.
void InstallPointListWindow(QWidget* frame);
