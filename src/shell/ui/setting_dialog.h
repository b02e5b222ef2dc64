#pragma once
// "パラメータ設定" (298): the modeless window over the parameter settings; controls carry
// their template ids as object names.
#include <QDialog>
#include <QPointer>

#include "shell/tool_windows.h"

class QLineEdit;
class QRadioButton;
class FrameCommandTarget;

class CSetting : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CSetting(QWidget* frame);
    ~CSetting() override;
    // Command 32830 opens the window, or closes the open one.
    static void Install(QWidget* frame, FrameCommandTarget& commands);
    void CloseToolWindow() override { close(); }

    // The angle boxes rewritten from the globals, so that they follow rotations made in the
    // view; a box being typed in is left alone.
    void RefreshAngles();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc

private:
    void EditLeft(QLineEdit* edit);
    void ShowRadios();

    QList<QRadioButton*> m_radios;
    QLineEdit* m_interval = nullptr;
    QLineEdit* m_step = nullptr;
    QLineEdit* m_azimuth = nullptr;
    QLineEdit* m_tilt = nullptr;
    QPointer<QWidget> m_view;
};
