#pragma once
// 縦断面 (160): the ground along the route at the stations, with the crossing list as a
// second line. View only; modeless, one at a time.
#include <QDialog>
#include <functional>

#include "section/long_section.h"
#include "shell/tool_windows.h"

class CSectionFrameWidget;
class QLineEdit;
class QPushButton;
class FrameCommandTarget;

class CLongSectionDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CLongSectionDlg(QWidget* parent);
    ~CLongSectionDlg() override;
    void CloseToolWindow() override;

    CSectionFrameWidget* FrameWidget() const { return m_frame; }
    const LongSectionExtents& Extents() const { return m_extents; }
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
    void ApplyBox(QLineEdit* box);
    void StoreRect();
    void Closed();

    CSectionFrameWidget* m_frame = nullptr;
    QLineEdit* m_gridBox = nullptr;
    QLineEdit* m_scaleBox = nullptr;
    QPushButton* m_zoomButton = nullptr;
    QPushButton* m_moveButton = nullptr;
    LongSectionExtents m_extents;
    bool m_enterPressed = false;
    bool m_initialised = false;
    bool m_closed = false;
};

void InstallLongSectionWindow(QWidget* frame, FrameCommandTarget& commands);
