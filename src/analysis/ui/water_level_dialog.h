#pragma once
// The modeless window 水位変化シミュレーション (285) over CWaterSM, with its timer;
// controls carry their template ids as object names.
#include <QDialog>
#include <QTimer>
#include <map>
#include <memory>

#include "shell/tool_windows.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class CWaterSM;

class CWaterWindow : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CWaterWindow(QWidget* frame);
    ~CWaterWindow() override;
    void RefreshControls();
    void CloseToolWindow() override { close(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void EditLeft(QLineEdit* edit);

    std::unique_ptr<CWaterSM> m_core;
    QTimer m_timer;  // 111
    std::map<int, QLineEdit*> m_edits;
    QCheckBox* m_aboveHoles;
    QCheckBox* m_transparent;
    QPushButton* m_start;
    QPushButton* m_swatch;
    QWidget* m_band;
};

void InstallWaterWindow(QWidget* frame);
