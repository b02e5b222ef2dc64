#pragma once
// The modeless window ＳＵＮＭＡＰファイル出力 (IDD_SUNMAPOUT). Controls carry their template ids
// as object names.
#include <QDialog>
#include <map>

#include "shell/tool_windows.h"

class QLineEdit;
class FrameCommandTarget;

class CSunmapOutDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CSunmapOutDlg(QWidget* frame);
    ~CSunmapOutDlg() override;
    void CloseToolWindow() override {
        ClearToolWindow(ToolWindow::kSunmapOut, this);
        close();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Every edit shows its accepted value again, except the one being typed in.
    void ShowValues();
    std::map<int, QLineEdit*> m_edits;
};

// Command 32852 with this window.
void InstallSunmapOutDialog(QWidget* frame, FrameCommandTarget& commands);
