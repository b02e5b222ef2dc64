#pragma once
// The drawing frame of the section windows: paints the background, grid and scale labels
// of a SectionFrame, shows the readout, and runs the view modes (zoom box, move, right
// drag, wheel). What lies on the grid and the edit clicks belong to the window.
#include <QWidget>
#include <functional>
#include <string>

#include "section/section_frame.h"

class CSectionFrameWidget : public QWidget {
    Q_OBJECT
public:
    explicit CSectionFrameWidget(QWidget* parent);

    SectionFrame& Frame() { return m_frame; }
    // Scale of the spans of everything shown, and its factor (0.9 or 1.2).
    std::function<void(SectionFrame&)> updateScale;
    // Draws the content over the grid (before the labels).
    std::function<void(QPainter&, SectionFrame&)> drawContent;
    // Edit-mode mouse (no view mode active); left button only.
    std::function<void(int x, int y)> onEditPress;
    std::function<void(int x, int y)> onEditMove;
    std::function<void(int x, int y)> onEditRelease;
    std::function<void(int x, int y)> onRightDoubleClick;
    // A left double-click the window takes itself (otherwise it counts as a press).
    std::function<void(int x, int y)> onLeftDoubleClick;
    // Mouse moves with no button held.
    std::function<void(int x, int y)> onHover;
    // A wheel turn the window takes itself (true), such as the vertical scale's.
    std::function<bool(bool forward)> onWheel;
    // The readout under the cursor and its column; by default "D:%+7.3f H:%7.3f  " at 20.
    // `measuring` while the left button is held with no view mode.
    std::function<std::string(int x, int y, bool measuring)> readoutText;
    int readoutX = 20;
    // Called after a left release in a view mode (false) and on a right release (true).
    std::function<void(bool right)> onViewModeEnded;

    // 0, kSectionViewZoomBox (0x11) or kSectionViewMove (0x80).
    int viewMode = 0;
    // Colours (0x00RRGGBB): background, grid, labels, readout.
    uint32_t background = 0, grid = 0x800080, labels = 0xFF00FF, readout = 0xFFFFFF;
    // A rubber line from the press point while set.
    bool rubberLine = false;
    QPoint pressPos, lastPos;

    // Cursor resource of the window's edit mode (0: the default cursor); the view modes
    // have their own (zoom box 142, move 140 with the button down, else 1029).
    int editCursor = 0;
    void UpdateCursor();

    // Moves the mouse cursor to a frame pixel where the platform allows it.
    void WarpCursor(QPoint p);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    SectionFrame m_frame;
    bool m_leftDown = false;
    bool m_rightDown = false;
    QPoint m_cursor{-1, -1};
};

QColor SectionColor(uint32_t rgb);
