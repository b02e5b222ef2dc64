#pragma once
// The sag-curve tool's windows: the tower input "座標点入力画面" (233, modal) and the
// sag-curve window " 弛度線描画" (232, modeless, one at a time) with its popup menu.
#include <QDialog>

#include "analysis/sag_curve.h"

class CSectionFrameWidget;
class QLabel;
class QLineEdit;
class QMenu;

class CTowerIP : public QDialog {
    Q_OBJECT
public:
    explicit CTowerIP(QWidget* parent, bool widthMode = false);
    // Runs it in coordinate mode; true when it closed confirmed.
    static bool Run(QWidget* parent);

private:
    void Confirm();

    TowerInputState m_state;
    QLabel* m_xLabel = nullptr;
    QLabel* m_yLabel = nullptr;
    QLineEdit* m_x = nullptr;
    QLineEdit* m_y = nullptr;
};

class CTower_Dlg : public QDialog {
    Q_OBJECT
public:
    CTower_Dlg(QWidget* parent, double ratio);
    ~CTower_Dlg() override;

    static CTower_Dlg* Current();
    // Opens it with the ratio, or takes the ratio and rebuilds the open one.
    static void Open(QWidget* parent, double ratio);

    // WM_TIMER 1: rebuild from g_profile and repaint.
    void Rebuild();
    // The popup's commands: 1 copy the report, 2 the shift panel on or off.
    void PopupCommand(int command);
    bool ShiftPanelShown() const { return m_panelShown; }
    const SagModel& Model() const { return m_model; }
    const SagCurve& Curve() const { return m_curve; }
    const SagReportValues& Report() const { return m_report; }
    CSectionFrameWidget* FrameWidget() const { return m_frame; }
    // The overlay in the bird's-eye view, from the edits as they stand.
    void DrawOverlay(class OverlayCanvas& canvas);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DrawContent(QPainter& p);
    double ReadEdit(QLineEdit* e, double fallback) const;
    void Press(int x, int y);
    void Drag(int x, int y);
    void Hover(int x, int y);
    void ShowPopup(int x, int y);
    SagShiftPanel Panel() const;

    SagModel m_model;
    SagCurve m_curve;
    SagReportValues m_report;
    SagHandles m_handles;
    SagColumns m_columns;
    CSectionFrameWidget* m_frame = nullptr;
    QLineEdit* m_left = nullptr;
    QLineEdit* m_coefficient = nullptr;
    QLineEdit* m_right = nullptr;
    QLineEdit* m_grid = nullptr;
    QLineEdit* m_length = nullptr;
    int32_t m_hovered = 0;
    int32_t m_dragged = 0;
    bool m_panelShown = false;
};

// Sets the line tools' window entries to these windows and the simple-section window.
void InstallLineToolWindows(QWidget* frame);
void UninstallLineToolWindows();
