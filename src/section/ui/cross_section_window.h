#pragma once
// 横断面 (212): one cross section at a time, browsed by number, spin or plan click; points
// added and modified through the popup menu and 測点編集. Modeless, one at a time.
#include <QDialog>
#include <functional>

#include "shell/tool_windows.h"

class CSectionFrameWidget;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class FrameCommandTarget;

class CCrossSectionDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CCrossSectionDlg(QWidget* parent);
    ~CCrossSectionDlg() override;
    void CloseToolWindow() override;

    CSectionFrameWidget* FrameWidget() const { return m_frame; }
    // The popup menu 146 as it would open at (x, y) of the frame; tests trigger its items.
    QMenu* PopupMenu() const { return m_popup; }
    // Runs the point edit dialog; tests replace it (true: 登録).
    std::function<bool()> runPointEdit;
    // Runs the colour dialog; tests replace it.
    std::function<void()> runColorDialog;
    void SpinSection(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawContent(QPainter& p);
    void EditPress(int x, int y);
    void EditRelease(int x, int y);
    void SyncModeButtons();
    void ApplyBox(QLineEdit* box);
    void UpdateTitle();
    bool DefaultPointEdit();
    void StoreRect();

    CSectionFrameWidget* m_frame = nullptr;
    QCheckBox* m_showPrevious = nullptr;
    QCheckBox* m_showNext = nullptr;
    QLineEdit* m_gridBox = nullptr;
    QLineEdit* m_numberBox = nullptr;
    QLineEdit* m_scaleBox = nullptr;
    QPushButton* m_zoomButton = nullptr;
    QPushButton* m_moveButton = nullptr;
    QMenu* m_popup = nullptr;
    bool m_enterPressed = false;
    bool m_initialised = false;
    int m_grabbed = 0;
    int m_pressSelected = 0;
};

void InstallCrossSectionWindow(QWidget* frame, FrameCommandTarget& commands);
