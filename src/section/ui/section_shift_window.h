#pragma once
// 横断シフト (286): the current ground section with the plan line shifted from it; the
// shift calculations and the output of the shifted sections. Modeless, one at a time.
#include <QDialog>
#include <functional>

#include "shell/tool_windows.h"

class CSectionFrameWidget;
class QCheckBox;
class QLineEdit;
class QPushButton;
class FrameCommandTarget;

class CODN_SFT : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CODN_SFT(QWidget* parent);
    ~CODN_SFT() override;
    void CloseToolWindow() override;

    CSectionFrameWidget* FrameWidget() const { return m_frame; }
    void ShowSection(int n);
    // The spin: current - delta; below 1 nothing, above the count the last section.
    void SpinSection(int delta);
    // Runs the colour dialog; tests replace it.
    std::function<void()> runColorDialog;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawContent(QPainter& p);
    void SyncModeButtons();
    void UpdateTitle();
    void ApplyBox(QLineEdit* box);
    void StoreRect();

    CSectionFrameWidget* m_frame = nullptr;
    QCheckBox* m_showPrevious = nullptr;
    QCheckBox* m_showNext = nullptr;
    QLineEdit* m_gridBox = nullptr;
    QLineEdit* m_numberBox = nullptr;
    QLineEdit* m_scaleBox = nullptr;
    QLineEdit* m_shiftBox = nullptr;
    QLineEdit* m_datumBox = nullptr;
    QPushButton* m_zoomButton = nullptr;
    QPushButton* m_moveButton = nullptr;
    bool m_enterPressed = false;
    bool m_initialised = false;
    bool m_measuring = false;
};

void InstallSectionShiftWindow(QWidget* frame, FrameCommandTarget& commands);
