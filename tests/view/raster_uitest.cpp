// The back buffer shown through Qt, and double-byte text drawn with the system's
// Japanese font into it.
#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QtTest>
#include <filesystem>

#include "platform/encoding.h"
#include "platform/qt/qt_platform.h"
#include "platform/system_text.h"
#include "raster_sample.h"
#include "view/palette.h"
#include "view/ui/back_buffer_blit.h"

namespace {
DrawBitmapInfo g_bmi;

void OpenBuffer(int32_t w, int32_t h) {
    g_bmi = DrawBitmapInfo{};
    g_bmi.header.biWidth = 1024;
    g_bmi.header.biHeight = 1027;
    g_drawBitmapInfo = &g_bmi;
    InitPaletteCanvas(g_bmi);
    AllocateBackBuffer(w, h);
    LockBackBuffer();
}

// The lit pixels of the drawable part in `color`, and their bounding box.
int CountColor(uint32_t color, int32_t w, int32_t h, QRect* box = nullptr) {
    int n = 0;
    QRect r;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            if (g_rowTable[y][x] == color) {
                ++n;
                r |= QRect(x, y, 1, 1);
            }
    if (box) *box = r;
    return n;
}
}  // namespace

class RasterUiTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        FreeRasterBlocks();
        g_drawBitmapInfo = nullptr;
    }

    void blitShowsTheBottomRowLowest() {
        OpenBuffer(40, 30);
        g_rasterColor = 0x000000;
        ClearViewport();
        g_rowTable[0][3] = 0x00FF0000;
        g_rowTable[29][5] = 0x800000FF;  // blended mark in the spare byte
        QImage window(40, 30, QImage::Format_RGB32);
        window.fill(Qt::white);
        {
            QPainter p(&window);
            QtBlitTarget target(p);
            BlitBackBuffer(target);
        }
        QCOMPARE(window.pixel(3, 29), qRgb(255, 0, 0));
        QCOMPARE(window.pixel(5, 0), qRgb(0, 0, 255));
        QCOMPARE(window.pixel(0, 0), qRgb(0, 0, 0));
    }

    void japaneseTextFromTheSystemFont() {
        QVERIFY2(!QFontDatabase::families(QFontDatabase::Japanese).isEmpty(),
                 "no Japanese font: scripts/install-deps.sh installs one");
        OpenBuffer(300, 100);
        g_rasterColor = 0;
        ClearViewport();
        auto canvas = CreateSystemTextCanvas(1024, 128);
        canvas->SelectFont({14, 300, true});
        const std::string text = Utf8ToCp932("標高データ");
        const SystemTextExtent ext = canvas->Extent(text);
        QVERIFY2(ext.width >= 5 * 12 && ext.width <= 5 * 16,
                 qPrintable(QString::number(ext.width)));
        QVERIFY(ext.height >= 14 && ext.height <= 22);

        g_rasterColor = 0x00FF00FF;
        DrawGdiTextScaled(canvas.get(), text, 10 - g_viewportCenterX, 20 - g_viewportCenterY, 14);
        QRect box;
        const int lit = CountColor(0x00FF00FF, 300, 100, &box);
        QVERIFY2(lit > 150, qPrintable(QString::number(lit)));  // five full characters of strokes
        QVERIFY(box.left() >= 10 && box.right() < 10 + ext.width);
        QVERIFY(box.top() >= 20 && box.bottom() < 20 + 14);

        // Turned by 90 degrees the text runs up the buffer.
        g_rasterColor = 0;
        ClearViewport();
        g_lineColor = 0x0000FF00;
        DrawGdiTextRotatedPixels(canvas.get(), text, 150 - g_viewportCenterX,
                                 10 - g_viewportCenterY, 14, 90);
        CountColor(0x0000FF00, 300, 100, &box);
        QVERIFY(box.height() > box.width());
    }

    // The sample picture with system-font text added, saved for a person to look at.
    void samplePictureWithSystemText() {
        OpenBuffer(kSampleWidth, kSampleHeight);
        LoadStrokeFontFrom(std::filesystem::path());
        DrawRasterSample();
        auto canvas = CreateSystemTextCanvas(1024, 128);
        canvas->SelectFont({20, 300, true});
        g_rasterColor = g_colorTable[22];
        DrawGdiTextScaled(canvas.get(), Utf8ToCp932("標高 123.45m 測点No.1"),
                          455 - g_viewportCenterX, 80 - g_viewportCenterY, 20);
        g_lineColor = g_colorTable[73];
        canvas->SelectFont({12, 400, true});
        DrawGdiTextRotatedPixels(canvas.get(), Utf8ToCp932("切土"), 620 - g_viewportCenterX,
                                 8 - g_viewportCenterY, 30, 20);

        QImage window(kSampleWidth, kSampleHeight, QImage::Format_RGB32);
        {
            QPainter p(&window);
            QtBlitTarget target(p);
            BlitBackBuffer(target);
        }
        const QString path = QDir::temp().filePath("nostrel_raster_sample_qt.png");
        QVERIFY(window.save(path));
        qInfo("sample picture: %s", qPrintable(path));
        const int y = kSampleHeight - 1 - kSampleInsideY;
        QCOMPARE(window.pixel(kSampleInsideX, y) & 0xFFFFFF, g_colorTable[kSampleTriangleColor]);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallQtPlatform(app);
    RasterUiTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "raster_uitest.moc"
