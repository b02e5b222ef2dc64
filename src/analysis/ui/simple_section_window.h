#pragma once
// "簡易断面" (188): the ground profile of the picked line, or the stored simple sections
// paged by number. Modeless, one at a time.
#include <QDialog>

#include "analysis/simple_section.h"
#include "shell/tool_windows.h"

class CSectionFrameWidget;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class CSimpleSectionDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CSimpleSectionDlg(QWidget* parent);
    ~CSimpleSectionDlg() override;
    void CloseToolWindow() override;

    // Opens the window (or takes the open one) in `mode` and reloads it.
    static void Show(QWidget* parent, int32_t mode);
    static CSimpleSectionDlg* Current();

    // The opener's reload: refit on g_profile (section 1 in stored mode).
    void Reload();
    const SimpleSectionView& View() const { return m_view; }
    CSectionFrameWidget* FrameWidget() const { return m_frame; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Every move and resize is remembered for the next opening.
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Pull();
    void Push();
    void Step(int32_t step);
    void ApplyControls();
    void EditFinished(QLineEdit* box);
    void DrawContent(QPainter& p);
    void SyncModeButtons();

    SimpleSectionView m_view;
    CSectionFrameWidget* m_frame = nullptr;
    QLineEdit* m_grid = nullptr;
    QLineEdit* m_exaggeration = nullptr;
    QLineEdit* m_band = nullptr;
    QLineEdit* m_number = nullptr;
    QLabel* m_bandLabel = nullptr;
    QLabel* m_numberLabel = nullptr;
    QPushButton* m_recalc = nullptr;
    QPushButton* m_zoomButton = nullptr;
    QPushButton* m_moveButton = nullptr;
    QToolButton* m_spinUp = nullptr;
    QToolButton* m_spinDown = nullptr;
    bool m_measuring = false;
    bool m_placed = false;  // set once the remembered place is restored
    SectionWorld m_measureFrom;
};
