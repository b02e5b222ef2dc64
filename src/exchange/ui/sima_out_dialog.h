#pragma once
// The modeless window ＳＩＭＡファイル出力 (IDD_SIMAOUT). Controls carry their template ids
// as object names.
#include <QDialog>

#include "shell/tool_windows.h"

class QCheckBox;
class QLineEdit;
class FrameCommandTarget;

class CSimaOutDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CSimaOutDlg(QWidget* frame);
    ~CSimaOutDlg() override;
    void CloseToolWindow() override {
        ClearToolWindow(ToolWindow::kSimaOut, this);
        close();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QCheckBox* m_contours;
    QCheckBox* m_tin;
    QLineEdit* m_path;
};

// Command 32850 with this window.
void InstallSimaOutDialog(QWidget* frame, FrameCommandTarget& commands);
