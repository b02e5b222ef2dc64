#pragma once
// "背景ＤＸＦ位置設定": the modeless window of the drawing's position dialog. Controls carry
// their dialog-template ids as object names.
#include <QDialog>

#include "dxf/dxf_position_dialog.h"
#include "shell/tool_windows.h"

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QLabel;
class QPushButton;
class FrameCommandTarget;

class CBgDxfPositionDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CBgDxfPositionDlg(QWidget* parent);
    ~CBgDxfPositionDlg() override;
    // Command 32874 opens the dialog, or closes the open one.
    static void Install(QWidget* frame, FrameCommandTarget& commands);
    void CloseToolWindow() override;
    const DxfPositionDialogState& State() const { return m_state; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void reject() override;  // キャンセル and the window's close

private:
    void Sync();
    void Register();
    void Finish();
    static void ReceivePick(void* dialog);

    DxfPositionDialogState m_state;
    bool m_closing = false;
    QPlainTextEdit* m_prompt = nullptr;
    QCheckBox* m_vertex[4] = {};
    QCheckBox* m_endPoint = nullptr;
    QCheckBox* m_midPoint = nullptr;
    QLabel* m_source = nullptr;
    QLineEdit* m_x = nullptr;
    QLineEdit* m_y = nullptr;
    QCheckBox* m_mouse = nullptr;
    QCheckBox* m_pointSnap = nullptr;
    QCheckBox* m_projective = nullptr;
    QPushButton* m_register = nullptr;
};
