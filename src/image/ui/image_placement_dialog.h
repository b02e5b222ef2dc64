#pragma once
// "背景画像位置設定" (187): the modeless window of the image placement dialog. Controls carry
// their dialog-template ids as object names.
#include <QDialog>

#include "image/image_placement_dialog.h"
#include "shell/tool_windows.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class FrameCommandTarget;

class CBgImagePositionDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CBgImagePositionDlg(QWidget* parent);
    ~CBgImagePositionDlg() override;
    // Command 32867 opens the dialog, or closes the open one.
    static void Install(QWidget* frame, FrameCommandTarget& commands);
    static CBgImagePositionDlg* Instance();
    void CloseToolWindow() override;
    ImagePlacementDialogState& State() { return m_state; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // キャンセル

private:
    void Sync();
    void Register();
    void Finish();
    static void ReceivePick(void* dialog);

    ImagePlacementDialogState m_state;
    bool m_closing = false;
    QPlainTextEdit* m_hint = nullptr;
    QCheckBox* m_vertex[4] = {};
    QLabel* m_size = nullptr;
    QLabel* m_imagePoint = nullptr;
    QTabBar* m_tabs = nullptr;
    QLineEdit* m_north = nullptr;  // 1203
    QLineEdit* m_east = nullptr;   // 1202
    QLabel* m_northShown = nullptr;  // 1228
    QLabel* m_eastShown = nullptr;   // 1227
    QPushButton* m_registerEntry = nullptr;  // 1204
    QCheckBox* m_groundPick = nullptr;       // 1131
    QCheckBox* m_leastSquares = nullptr;     // 1135
    QPushButton* m_register = nullptr;       // 1
};
