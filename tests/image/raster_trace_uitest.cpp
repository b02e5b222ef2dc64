// 図面の等高線検出（ラスタ追跡） from the menu, under the offscreen platform: the modes by
// clicks in the view, Delete and Insert in the view, the wheel on the elevation field.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <cstring>

#include "image/image_slot.h"
#include "image/raster_trace.h"
#include "image/raster_tracer.h"
#include "image/ui/raster_trace_dialog.h"
#include "model/terrain_data.h"
#include "shell/tool_mode.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "../support/ui_driver.h"

using namespace ui_driver;

namespace {
constexpr int kRasterTrace = 32891;

// A 400 x 300 white main image, a metre a pixel, with a 3-pixel black line along row 150
// from column 40 to 360.
void MakePicture() {
    ResetImageSlots();
    g_bgImage.width = 400;
    g_bgImage.height = 300;
    g_bgImage.stride = ImageRowStride(g_bgImage);
    ImageHandle block = AllocImageBlock(static_cast<size_t>(g_bgImage.stride) * 300);
    uint8_t* p = block.Lock();
    std::memset(p, 255, static_cast<size_t>(g_bgImage.stride) * 300);
    for (int y = 149; y <= 151; ++y)
        for (int x = 40; x <= 360; ++x) std::memset(p + y * g_bgImage.stride + x * 4, 0, 3);
    SetActiveImageBlock(block);
    g_bgImage.loaded = 1;
    g_bgImage.blendMode = BLEND_OVERWRITE;
    g_bgImage.positionKnown = 1;
    const double c[4][2] = {{0, 300}, {400, 300}, {0, 0}, {400, 0}};
    std::memcpy(g_bgImage.corners, c, sizeof c);
}

// The view pixel of a ground point (plan view).
QPoint At(double north, double east) {
    return {g_viewportCenterX + static_cast<int>(std::lround((east - g_viewCenterY) * g_viewScale)),
            g_viewportCenterY - static_cast<int>(std::lround((north - g_viewCenterX) * g_viewScale))};
}
}  // namespace

class RasterTraceUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void tracedByClicksInTheView() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        MakePicture();
        if (g_birdsEyeOn) w.frame->ExecuteCommand(32805);
        g_viewCenterX = 150;
        g_viewCenterY = 200;
        g_viewScale = 1.0;
        FullRepaintView();

        QVERIFY(Enabled(w.frame, kRasterTrace));
        Choose(w.frame, kRasterTrace);
        auto* dlg = w.frame->findChild<CRasterTraceWindow*>("CRasterTraceDlg");
        QVERIFY(dlg);
        QVERIFY(g_rasterTraceDlg);
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        auto* start = Control<QPushButton>(dlg, "1267");
        QVERIFY(!Control<QPushButton>(dlg, "1270")->isEnabled());

        // Start on the west end with 細かく探索 on: the direction is asked for, then a click
        // east of the start decides it.
        start->click();
        QCOMPARE(g_toolMode, MODE_RASTER_TRACE_START);
        Click(w.view, At(150.5, 40.5));
        QCOMPARE(g_toolMode, MODE_RASTER_TRACE_DIRECTION);
        Click(w.view, At(150.5, 100.5));
        QCOMPARE(g_toolMode, MODE_NONE);
        const int32_t n = g_rasterTracer.vertexCount;
        QVERIFY(n > 5);
        QVERIFY(std::fabs(g_rasterTracer.m_east[n] - 360) < 4);
        QVERIFY(!start->isChecked());
        QCOMPARE(start->text(), QString::fromUtf8("やり直し"));
        QVERIFY(Control<QPushButton>(dlg, "1270")->isEnabled());

        // Delete and Insert in the view step the last vertex.
        w.view->setFocus();
        QTest::keyClick(w.view, Qt::Key_Delete);
        QCOMPARE(g_rasterTracer.vertexCount, n - 1);
        QTest::keyClick(w.view, Qt::Key_Insert);
        QCOMPARE(g_rasterTracer.vertexCount, n);
        QTest::keyClick(w.view, Qt::Key_V, Qt::ControlModifier);  // paste: Insert, nothing more
        QCOMPARE(g_rasterTracer.vertexCount, n);

        // Cut at vertex 2 by a click, with End in the view choosing the mode.
        QTest::keyClick(w.view, Qt::Key_End);
        QCOMPARE(g_toolMode, MODE_RASTER_TRACE_CUT);
        QVERIFY(Control<QPushButton>(dlg, "1268")->isChecked());
        Click(w.view, At(g_rasterTracer.m_north[2], g_rasterTracer.m_east[2]));
        QCOMPARE(g_rasterTracer.vertexCount, 1);
        QCOMPARE(g_toolMode, MODE_NONE);

        // Points from the line, then taken back.
        const int32_t before = g_pointCount;
        Control<QPushButton>(dlg, "1264")->click();
        QVERIFY(g_pointCount > before);
        QCOMPARE(g_rasterTracer.vertexCount, 0);
        QVERIFY(Control<QPushButton>(dlg, "1265")->isEnabled());
        Control<QPushButton>(dlg, "1265")->click();
        QCOMPARE(g_pointCount, before);
        QCOMPARE(g_rasterTracer.vertexCount, 1);

        // The wheel on the elevation field with an increment of 1: 12.7 -> 13 and 11.
        dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        auto* level = Control<QLineEdit>(dlg, "1259");
        level->setFocus();
        QTRY_VERIFY(level->hasFocus());
        for (const auto& [delta, expected] : {std::pair{120, 13.0}, std::pair{-120, 11.0}}) {
            level->setText("12.7");
            QWheelEvent wheel(QPointF(5, 5), level->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(level, &wheel);
            QCOMPARE(g_traceLevel, expected);
            QCOMPARE(level->text().trimmed().toDouble(), expected);
        }

        // 閉じる: no trace mode, the window gone.
        start->click();
        QCOMPARE(g_toolMode, MODE_RASTER_TRACE_START);
        Control<QPushButton>(dlg, "1")->click();
        QCOMPARE(g_toolMode, MODE_NONE);
        QVERIFY(!g_rasterTraceDlg);
        QTRY_VERIFY(!w.frame->findChild<CRasterTraceWindow*>("CRasterTraceDlg"));
        ResetImageSlots();
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(RasterTraceUiTest)
#include "raster_trace_uitest.moc"
