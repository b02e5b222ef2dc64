#pragma once
// 全体図: the whole data set as a thumbnail with the frame of the view; a click centres the
// view there, a dragged rectangle becomes the view, the right button drags the view along.
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "view/overview.h"

class COverviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit COverviewWindow(QWidget* mainWindow);
    ~COverviewWindow() override;
    // Renders the thumbnail for a view of the given size (the view calls this before a paint
    // that redraws everything) and repaints the window.
    void Render(int viewWidth, int viewHeight);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* View() const;
    void RightButtonAt(const QPoint& at);

    QPointer<QWidget> m_mainWindow;
    QImage m_image;
    bool m_stale = true;
    OverviewMouse m_mouse;
};

extern QPointer<COverviewWindow> g_overviewWnd;

// Command 32814 (全体図): activates the overview, or makes and shows it.
void OpenOverviewWindow(QWidget* mainWindow);
