#pragma once
// 標高面積一覧 (203): the slice lines in a grid, a row click highlights its line in the
// view, 表コピー copies the list. Modeless, opened and closed by the frame's 面積一覧.
#include <QDialog>

#include "shell/tool_windows.h"

class CMSFlexGrid;

class CAreaListDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CAreaListDlg(QWidget* parent);
    ~CAreaListDlg() override;
    void CloseToolWindow() override;
    // The frame's 面積一覧: opens the list, or closes the open one.
    static void Toggle(QWidget* frame);
    void Fill();
    CMSFlexGrid* Grid() const { return m_grid; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnGridClick();

    CMSFlexGrid* m_grid = nullptr;
};
