#pragma once
// The modeless import window データ取り込み (IDD_TORIKOMI). Controls carry their template
// ids as object names.
#include <QDialog>
#include <functional>

#include "shell/tool_windows.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class FrameCommandTarget;

class CImportDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    // postImport: the frame's command 32803, run once the window is gone.
    CImportDlg(QWidget* frame, std::function<void()> postImport);
    ~CImportDlg() override;
    // Gone at once for the command's toggle, though Qt deletes the window later.
    void CloseToolWindow() override {
        ClearToolWindow(ToolWindow::kImport, this);
        close();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void SelectKind(int kind);
    void RefreshKindControls();
    void ShowLimit();
    void ChooseFile();

    std::function<void()> m_postImport;
    QCheckBox* m_swapXY = nullptr;
    QLineEdit* m_limit = nullptr;
    QCheckBox* m_dropBelow = nullptr;
    QCheckBox* m_unusedBelow = nullptr;
    QWidget* m_intensityControls[5] = {};
};

// Command 32803 with this window.
void InstallImportDialog(QWidget* frame, FrameCommandTarget& commands,
                         std::function<void()> postImport);
