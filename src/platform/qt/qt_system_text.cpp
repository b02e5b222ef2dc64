#include "platform/qt/qt_system_text.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "platform/encoding.h"
#include "platform/system_text.h"

namespace {
QString FromCp932(std::string_view cp932) { return QString::fromStdString(Cp932ToUtf8(cp932)); }

// Text in white on black; a pixel is lit when it is not black.
class QtTextCanvas : public SystemTextCanvas {
public:
    QtTextCanvas(int width, int height)
        : m_image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32) {
        m_image.fill(Qt::black);
        SelectFont({});
    }

    void SelectFont(const SystemFont& font) override {
        m_font = QFont();
        m_font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("monospace")});
        m_font.setPixelSize(font.pixelHeight > 0 ? font.pixelHeight : 16);
        m_font.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 100, 900)));
        m_font.setFixedPitch(font.fixedPitch);
        if (font.fixedPitch) m_font.setStyleHint(QFont::TypeWriter);
        // Whole pixels, as the text is copied pixel by pixel.
        m_font.setStyleStrategy(QFont::NoAntialias);
    }

    SystemTextExtent Extent(std::string_view cp932) override {
        const QFontMetrics fm(m_font);
        return {fm.horizontalAdvance(FromCp932(cp932)), fm.height()};
    }

    void DrawText(std::string_view cp932) override {
        m_image.fill(Qt::black);
        QPainter p(&m_image);
        p.setFont(m_font);
        p.setPen(Qt::white);
        p.drawText(0, QFontMetrics(m_font).ascent(), FromCp932(cp932));
    }

    bool IsLit(int column, int row) const override {
        if (column < 0 || row < 0 || column >= m_image.width() || row >= m_image.height())
            return false;
        return (reinterpret_cast<const QRgb*>(m_image.constScanLine(row))[column] & 0xFFFFFF) != 0;
    }

private:
    QImage m_image;
    QFont m_font;
};
}  // namespace

void InstallQtSystemText() {
    SetSystemTextFactory(
        [](int width, int height) { return std::make_unique<QtTextCanvas>(width, height); });
}
