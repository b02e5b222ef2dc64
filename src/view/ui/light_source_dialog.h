#pragma once
// 光源設定 (dialog 136): modeless; a click in its widget sets the light of the view at
// once, there is no OK or Cancel.
#include <QDialog>

#include "shell/tool_windows.h"

class CLightDirectionWidget;
class FrameCommandTarget;

class CLightSourceDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CLightSourceDlg(QWidget* parent);
    ~CLightSourceDlg() override;
    void CloseToolWindow() override;
    CLightDirectionWidget* Widget() const { return m_widget; }
    // The frame's 光源設定 (32961): opens the dialog, or closes the open one.
    static void Toggle(QWidget* frame);
    static void Install(QWidget* frame, FrameCommandTarget& commands);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    CLightDirectionWidget* m_widget;
};
