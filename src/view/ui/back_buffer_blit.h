#pragma once
// Shows the back buffer in a Qt window: the target of BlitBackBuffer in a paint event.
#include <QImage>

#include "view/back_buffer.h"

class QPainter;

class QtBlitTarget : public BlitTarget {
public:
    explicit QtBlitTarget(QPainter& painter) : m_painter(painter) {}
    // Draws the rows at the window's top-left corner, the bottom row lowest.
    void ShowBottomUpRows(const uint32_t* rows, int32_t width, int32_t height,
                          int32_t strideBytes) override;
    // The picture of the last blit, top row first.
    const QImage& Image() const { return m_image; }

private:
    QPainter& m_painter;
    QImage m_image;
};
