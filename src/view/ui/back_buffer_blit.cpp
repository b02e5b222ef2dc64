#include "view/ui/back_buffer_blit.h"

#include <QPainter>

void QtBlitTarget::ShowBottomUpRows(const uint32_t* rows, int32_t width, int32_t height,
                                    int32_t strideBytes) {
    if (m_image.width() != width || m_image.height() != height)
        m_image = QImage(width, height, QImage::Format_RGB32);
    // The spare byte carries the blending mark; the window wants it opaque.
    const auto* base = reinterpret_cast<const uint8_t*>(rows);
    for (int32_t y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const uint32_t*>(
            base + static_cast<ptrdiff_t>(height - 1 - y) * strideBytes);
        auto* dst = reinterpret_cast<uint32_t*>(m_image.scanLine(y));
        for (int32_t x = 0; x < width; ++x) dst[x] = src[x] | 0xFF000000u;
    }
    m_painter.drawImage(0, 0, m_image);
}
