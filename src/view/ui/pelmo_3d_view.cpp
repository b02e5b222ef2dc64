#include "view/ui/pelmo_3d_view.h"

#include <QApplication>

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <utility>

#include "analysis/tunnel_command.h"
#include "model/ui/data_clear_dialog.h"
#include "analysis/simple_section.h"
#include "analysis/flow_tool.h"
#include "image/raster_trace.h"
#include "platform/input.h"
#include "pointedit/area_edit_commands.h"
#include "pointedit/ui/xy_swap_dialog.h"
#include "pointedit/xy_swap.h"
#include "pointedit/line_numbers.h"
#include "shell/tool_mode.h"
#include "view/back_buffer.h"
#include "view/birds_eye_camera.h"
#include "view/color_band_gizmo.h"
#include "view/display_flags.h"
#include "view/pick_overlay.h"
#include "view/raster_primitives.h"
#include "image/image_drawing.h"
#include "image/image_placement_dialog.h"
#include "image/ui/image_save_dialog.h"
#include "image/view_image_export.h"
#include "view/triangle_pass.h"
#include "contour/contour_drawing.h"
#include "dxf/vector_editor.h"
#include "view/dxf_layer_painter.h"
#include "view/mesh_layer_painter.h"
#include "view/north_arrow.h"
#include "view/simple_contours.h"
#include "view/slope_lines.h"
#include "contour/slice_line_tool.h"
#include "section/section_drawing.h"
#include "view/display_settings.h"
#include "view/overview.h"
#include "view/ui/back_buffer_blit.h"
#include "view/ui/legend_windows.h"
#include "view/ui/overview_window.h"
#include "view/ui/tool_cursors.h"
#include "view/view_helpers.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_state.h"
#include "view/view_toggles.h"
#include "view/text_flag_tool.h"
#include "view/viewer_link.h"
#include "view/display_flags.h"
#include "volume/mesh_area_tool.h"

namespace {
constexpr int kZoomIn = 32775;
constexpr int kZoomOut = 32779;
constexpr int kZoomRectMode = 32790;
constexpr int kPanMode = 32789;
constexpr int kShowAll = 32800;
constexpr int kPreviousScreen = 32776;
constexpr int kBirdsEye = 32805;
constexpr int kRotateRight = 32781;
constexpr int kRotateLeft = 32780;
constexpr int kTiltDown = 32777;
constexpr int kTiltUp = 32778;
constexpr int kResetBirdsEye = 32782;

// GDI-like drawing of the overlays: pens of one pixel, ellipses filled white.
class QtOverlayCanvas : public OverlayCanvas {
public:
    explicit QtOverlayCanvas(QPainter& painter) : m_painter(painter) {
        m_painter.setBrush(Qt::white);
    }
    void SetPen(uint32_t colorRef) override {
        m_color = Color(colorRef);
        ApplyPen();
    }
    void SetPenStyle(int32_t width, bool dashed) override {
        m_width = width;
        m_dashed = dashed;
        ApplyPen();
    }
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
        m_painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    }
    void MoveTo(int32_t x, int32_t y) override { m_at = QPoint(x, y); }
    void LineTo(int32_t x, int32_t y) override {
        const QPoint to(x, y);
        m_painter.drawLine(m_at, to);
        m_at = to;
    }
    void SetBrush(uint32_t colorRef) override { m_painter.setBrush(Color(colorRef)); }
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colorRef) override {
        m_painter.fillRect(QRect(left, top, right - left, bottom - top), Color(colorRef));
    }
    void Text(int32_t x, int32_t y, const std::string& text) override {
        const QFontMetrics metrics(m_painter.font());
        m_painter.drawText(QPoint(x, y + metrics.ascent()), QString::fromStdString(text));
    }
    void SetDashed(bool dashed) override {
        m_fineDashes = dashed;
        ApplyPen();
    }

private:
    static QColor Color(uint32_t colorRef) {
        return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
    }
    void ApplyPen() {
        QPen pen(m_color, m_width);
        if (m_fineDashes)
            pen.setDashPattern({2.0, 1.0});
        else if (m_dashed)
            pen.setStyle(Qt::DashLine);
        m_painter.setPen(pen);
    }

    QPainter& m_painter;
    QPoint m_at;
    QColor m_color = Qt::black;
    int32_t m_width = 1;
    bool m_dashed = false;
    bool m_fineDashes = false;
};

// What follows the mouse between paints: the rubber rectangle or line, inverting what is
// below, and the tools' lines.
void DrawRubberBands(QPainter& painter) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    const QPoint a(g_rubberBandRect[0], g_rubberBandRect[1]);
    const QPoint b(g_rubberBandRect[2], g_rubberBandRect[3]);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 1));
    if ((g_dragState & 0x1F) == kDragZoomBox)
        painter.drawRect(QRect(a, b).normalized());
    else if (g_dragState == kDragRubberLine)
        painter.drawLine(a, b);
    for (const RubberLine& line : g_rubberLines)
        if (line.inverted) painter.drawLine(line.x0, line.y0, line.x1, line.y1);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(Qt::red, 1));
    for (const RubberLine& line : g_rubberLines) {
        if (line.inverted) continue;
        painter.drawLine(line.x0, line.y0, line.x1, line.y1);
        if (line.label.empty()) continue;
        const QString text = QString::fromStdString(line.label);
        const QFontMetrics metrics(painter.font());
        const QRect box(QPoint(line.x1 + 8, line.y1 + 8), metrics.size(0, text));
        painter.fillRect(box, Qt::white);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    }
    painter.restore();
}

// The area dialogs' gizmos, cones, handles, lassos and rubber rectangles.
void DrawAreaDialogOverlays(QPainter& painter) {
    const std::vector<AreaOverlay> overlays = AreaDialogsOverlays();
    if (overlays.empty()) return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    auto color = [](uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); };
    for (const AreaOverlay& overlay : overlays) {
        for (const OverlayLine& line : overlay.lines) {
            painter.setPen(QPen(color(line.color), line.width));
            painter.drawLine(line.x0, line.y0, line.x1, line.y1);
        }
        for (const LassoPointXY& h : overlay.handles) {
            painter.fillRect(QRect(h.x - 2, h.y - 2, 5, 5), Qt::red);
            painter.fillRect(QRect(h.x - 1, h.y - 1, 3, 3), Qt::white);
        }
        if (overlay.band) {
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.setPen(QPen(Qt::white, 1));
            painter.drawRect(QRect(QPoint(overlay.bandRect[0], overlay.bandRect[1]),
                                   QPoint(overlay.bandRect[2], overlay.bandRect[3]))
                                 .normalized());
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    painter.restore();
}

int32_t MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    int32_t flags = 0;
    if (buttons & Qt::LeftButton) flags |= kMouseFlagLeft;
    if (buttons & Qt::RightButton) flags |= kMouseFlagRight;
    if (modifiers & Qt::ShiftModifier) flags |= kMouseFlagShift;
    if (modifiers & Qt::ControlModifier) flags |= kMouseFlagControl;
    return flags;
}

int32_t VirtualKey(const QKeyEvent* e) {
    const int k = e->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return '0' + (k - Qt::Key_0);
    switch (k) {
        case Qt::Key_Left:
            return vkey::kLeft;
        case Qt::Key_Right:
            return vkey::kRight;
        case Qt::Key_Up:
            return vkey::kUp;
        case Qt::Key_Down:
            return vkey::kDown;
        case Qt::Key_Delete:
            return vkey::kDelete;
        case Qt::Key_Insert:
            return vkey::kInsert;
        case Qt::Key_Home:
            return vkey::kHome;
        case Qt::Key_End:
            return vkey::kEnd;
        case Qt::Key_Escape:
            return vkey::kEscape;
        case Qt::Key_Backspace:
            return vkey::kBack;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vkey::kReturn;
        default:
            return 0;
    }
}
}  // namespace

CPelmo_3DView::CPelmo_3DView(QWidget* parent) : QWidget(parent) {
    setObjectName("CPelmo_3DView");
    setAttribute(Qt::WA_OpaquePaintEvent);  // the blit covers the whole client area
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    g_showTin = -1;

    m_commands.SetHandler(kZoomIn, OnZoomIn);
    m_commands.SetHandler(kZoomOut, OnZoomOut);
    m_commands.SetHandler(kZoomRectMode, [this] {
        OnZoomRectMode();
        UpdateCursor();
    });
    m_commands.SetHandler(kPanMode, [this] {
        OnPanMode();
        UpdateCursor();
    });
    m_commands.SetHandler(kShowAll, OnShowAll);
    m_commands.SetHandler(kPreviousScreen, OnPreviousScreen);
    m_commands.SetUpdateRule(kZoomRectMode, [](CommandUpdate& u) {
        u.enabled = true;
        u.check = ZoomRectModeChecked() ? CheckState::kChecked : CheckState::kUnchecked;
    });
    m_commands.SetUpdateRule(kPanMode, [](CommandUpdate& u) {
        u.enabled = true;
        u.check = PanModeChecked() ? CheckState::kChecked : CheckState::kUnchecked;
    });
    m_commands.SetUpdateRule(kShowAll, [](CommandUpdate& u) { u.enabled = ShowAllEnabled(); });
    m_commands.SetUpdateRule(kPreviousScreen,
                             [](CommandUpdate& u) { u.enabled = PreviousScreenEnabled(); });
    // The mesh subsystem installs the registration's question and area dialogs.
    RegisterViewToggles(m_commands, MeshAreaRegisterDialogs{AskMeshRegister, RunMeshAreaDialog});
    RegisterLineNumberCommand(m_commands);
    RegisterRasterTraceCommand(m_commands);
    RegisterTunnelCommand(m_commands);

    // 全体図.
    m_commands.SetHandler(32814, [this] { OpenOverviewWindow(window()); });
    m_commands.SetUpdateRule(32814, [](CommandUpdate& u) { u.enabled = true; });
    InstallLegendWindows(this);

    // ビットマップで保存.
    CImageSaveFileDlg::Install(this);
    m_commands.SetHandler(32886, [] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        OnSaveViewImage();
        QApplication::restoreOverrideCursor();
    });
    m_commands.SetUpdateRule(32886, [](CommandUpdate& u) { u.enabled = g_pointCount > 0; });

    // データクリアー.
    CDataClearDlg::Install(this, m_commands);

    // XY反転.
    m_commands.SetHandler(33033, [this] {
        OnSwapXY([this](XySwapChoice& choice) { return CXY_chg::Run(choice, window()); });
    });
    m_commands.SetUpdateRule(33033, [](CommandUpdate& u) { u.enabled = true; });

    // The bird's-eye camera.
    m_commands.SetHandler(kBirdsEye, OnToggleBirdsEye);
    m_commands.SetUpdateRule(kBirdsEye, [](CommandUpdate& u) {
        u.enabled = CanToggleBirdsEye();
        u.check = g_birdsEyeOn ? CheckState::kChecked : CheckState::kUnchecked;
    });
    const std::pair<int, void (*)()> steps[] = {{kRotateRight, OnRotateRight},
                                                {kRotateLeft, OnRotateLeft},
                                                {kTiltDown, OnTiltDown},
                                                {kTiltUp, OnTiltUp},
                                                {kResetBirdsEye, OnResetBirdsEye}};
    for (const auto& [id, handler] : steps) {
        m_commands.SetHandler(id, handler);
        m_commands.SetUpdateRule(id, [](CommandUpdate& u) { u.enabled = CanSteerBirdsEye(); });
    }
    InstallTrianglePass();
    InstallBackgroundImageLayer();
    InstallContourLayer();
    InstallDxfLayer();
    InstallMeshLayer();
    InstallSliceContourLayer();
    InstallCrossSectionLayer();
    InstallSimpleContourLayer();
    InstallSlopeLineLayer();
    InstallNorthArrowLayer();

    SetViewRepaintHandler([this] { repaint(); });
    SetViewCursorMover([this](int32_t column, int32_t row) {
        // Windowing systems that do not let programs move the pointer ignore this.
        QCursor::setPos(mapToGlobal(QPoint(column, row)));
    });
}

CPelmo_3DView::~CPelmo_3DView() {
    UninstallLegendWindows();
    delete g_overviewWnd.data();
    SetViewRepaintHandler(nullptr);
    SetViewCursorMover(nullptr);
    FreeRasterBlocks();
}

bool CPelmo_3DView::OnCommand(int id) { return m_commands.OnCommand(id); }
bool CPelmo_3DView::HasCommandHandler(int id) const { return m_commands.HasCommandHandler(id); }
bool CPelmo_3DView::OnUpdateCommand(int id, CommandUpdate& update) {
    return m_commands.OnUpdateCommand(id, update);
}

void CPelmo_3DView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    AllocateBackBuffer(width() + 1, height() + 1);
    g_redrawMask = -1;
}

void CPelmo_3DView::paintEvent(QPaintEvent*) {
    // The overview's frame follows the view; its thumbnail projects the data for itself,
    // which the full paint below replaces.
    if (g_redrawMask < 0) RefreshOverviewBeforeFullPaint(width(), height());
    g_viewPainting = -1;
    const bool fullPaint = g_redrawMask < 0;
    QPainter painter(this);
    int32_t shown = 0;
    if (LockBackBuffer()) {
        const ViewClient client{width(), height()};
        shown = PaintView(&client);
        if (shown) DrawFlowPaths();
        if (shown) AreaDialogsDrawPreview();
        if (shown && g_painterLayers.volumeRegions) g_painterLayers.volumeRegions();
        if (shown) {
            // The bottom-up rows put the viewport centre row at the window row the mouse
            // formulas give it, also for an odd height.
            painter.save();
            painter.translate(0, 2 * g_viewportCenterY - g_bufferMaxY);
            QtBlitTarget target(painter);
            BlitBackBuffer(target);
            painter.restore();
        }
    }
    UnlockBackBuffer();
    if (!shown) painter.fillRect(rect(), Qt::white);

    QtOverlayCanvas canvas(painter);
    DrawColorBandGizmo(canvas);
    DrawPickOverlay(canvas);
    if (ImagePlacementDialogOpen()) DrawImageCornerMarks(canvas);
    if (g_tunnelDlg) DrawTunnelOverlay(canvas);
    if (LineTools().drawTowerOverlay) LineTools().drawTowerOverlay(canvas);
    if (g_rasterTraceDlg) DrawRasterTraceMarks(canvas);
    if (g_vecCreateDlg) {
        g_vecCreateDlg->DrawCursorMark(&canvas);
        g_vecCreateDlg->DrawRubberBand(&canvas);
    }
    if (g_textFlagDlg) g_textFlagDlg->DrawOverlay(canvas);
    DrawAreaDialogOverlays(painter);
    DrawRubberBands(painter);
    int circleX = 0, circleY = 0, circleR = 0;
    if (AutoOutlineSearchCircle(circleX, circleY, circleR)) {
        painter.setPen(QPen(QColor(255, 0, 0), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPoint(circleX, circleY), circleR, circleR);
    }
    // The external viewer follows the view.
    if (g_viewer3dAutoUpdate && (fullPaint || g_pickedPoint != 0)) SendViewToViewer3d();
    g_redrawMask = 0;
    g_viewPainting = 0;
    RefreshHeightScaleBar();
}

void CPelmo_3DView::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const int32_t flags = MouseFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        OnViewLButtonDown(flags, p.x(), p.y(), IsKeyDown(key::kAlt));
    else if (event->button() == Qt::MiddleButton)
        OnViewMButtonDown(IsKeyDown(key::kAlt));
    UpdateCursor();
}

void CPelmo_3DView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    OnViewMouseMove(MouseFlags(event->buttons(), event->modifiers()), p.x(), p.y());
    UpdateCursor();
}

void CPelmo_3DView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const int32_t flags = MouseFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        OnViewLButtonUp(flags, p.x(), p.y(), IsKeyDown(key::kAlt));
    else if (event->button() == Qt::RightButton)
        OnViewRButtonUp();
    UpdateCursor();
}

void CPelmo_3DView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        OnViewLButtonDblClk(MouseFlags(event->buttons(), event->modifiers()), p.x(), p.y());
    else if (event->button() == Qt::RightButton)
        OnViewRButtonDoubleClick();
    UpdateCursor();
}

int WheelDelta(const QWheelEvent& event) {
    const QPoint angle = event.angleDelta();
    // Under X11, Qt turns the wheel sideways while Alt is held.
    if (angle.y() == 0 && (event.modifiers() & Qt::AltModifier)) return angle.x();
    return angle.y();
}

void CPelmo_3DView::wheelEvent(QWheelEvent* event) {
    const int delta = WheelDelta(*event);
    if (delta == 0) return;
    const QPoint p = event->position().toPoint();
    ZoomWheel(delta, p.x(), p.y(), (event->modifiers() & Qt::AltModifier) != 0);
    event->accept();
}

void CPelmo_3DView::keyPressEvent(QKeyEvent* event) {
    const int32_t key = VirtualKey(event);
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (key != 0 && OnViewTraceKey(key, mods & Qt::ControlModifier, mods & Qt::ShiftModifier,
                                   mods & Qt::AltModifier)) {
        UpdateCursor();
        return;
    }
    if (key == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    OnViewKeyDown(key);
    UpdateCursor();
}

void CPelmo_3DView::UpdateCursor() {
    const int32_t id = ViewCursorResource(IsKeyDown(key::kMouseLeft));
    if (id == kCursorArrow)
        unsetCursor();
    else
        setCursor(LoadToolCursor(id));
}
