#include "view/ui/overview_window.h"

#include <QApplication>
#include <algorithm>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>

#include "view/view_state.h"

QPointer<COverviewWindow> g_overviewWnd;

COverviewWindow::COverviewWindow(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool), m_mainWindow(mainWindow) {
    setObjectName("IDD_ALLVIEW");
    setWindowTitle(QString::fromUtf8("全体図"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(240, 200);
    SetOverviewRefresh([this](int32_t w, int32_t h) { Render(w, h); });
}

COverviewWindow::~COverviewWindow() {
    SetOverviewRefresh(nullptr);
    if (g_overviewWnd == this) g_overviewWnd = nullptr;
}

QWidget* COverviewWindow::View() const {
    auto* main = qobject_cast<QMainWindow*>(m_mainWindow.data());
    return main ? main->centralWidget() : nullptr;
}

void COverviewWindow::Render(int viewWidth, int viewHeight) {
    const OverviewImage img = DrawOverviewThumbnail(width(), height(), viewWidth, viewHeight);
    m_image = QImage(img.width, img.height, QImage::Format_RGB32);
    for (int y = 0; y < img.height; ++y)
        std::copy_n(img.pixels.data() + static_cast<size_t>(y) * img.width, img.width,
                    reinterpret_cast<uint32_t*>(m_image.scanLine(y)));
    m_stale = false;
    update();
}

void COverviewWindow::paintEvent(QPaintEvent*) {
    if (m_stale) {
        QWidget* view = View();
        Render(view ? view->width() : width(), view ? view->height() : height());
        // The thumbnail's projection replaced the view's: the view draws everything again.
        if (view) view->update();
    }
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, m_image);
    if (m_mouse.state == OverviewDragState::kDragging &&
        (m_mouse.pressX != m_mouse.currentX || m_mouse.pressY != m_mouse.currentY)) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(QPoint(m_mouse.pressX, m_mouse.pressY), QPoint(m_mouse.currentX, m_mouse.currentY))
                       .normalized());
    }
}

void COverviewWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_stale = true;
    update();
}

void COverviewWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        OverviewButtonDown(m_mouse, at.x(), at.y());
    else if (event->button() == Qt::RightButton)
        RightButtonAt(at);
}

void COverviewWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->buttons() & Qt::LeftButton) {
        if (OverviewDragTo(m_mouse, at.x(), at.y())) update();
    } else if (event->buttons() & Qt::RightButton) {
        RightButtonAt(at);
    } else if (m_mouse.state != OverviewDragState::kIdle) {
        m_mouse.state = OverviewDragState::kIdle;
        update();
    }
}

void COverviewWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    // The view's full repaint renders the thumbnail with the new frame.
    if (OverviewButtonUp(m_mouse, at.x(), at.y(), width(), height())) InvalidateAndUpdateView();
    update();
}

void COverviewWindow::RightButtonAt(const QPoint& at) {
    OverviewPickToView({at.x(), at.y(), at.x(), at.y()}, width(), height());
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void COverviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    // Other keys steer the view as if it had the focus.
    if (QWidget* view = View()) QApplication::sendEvent(view, event);
}

void OpenOverviewWindow(QWidget* mainWindow) {
    if (g_overviewWnd) {
        g_overviewWnd->raise();
        g_overviewWnd->activateWindow();
        return;
    }
    g_overviewWnd = new COverviewWindow(mainWindow);
    g_overviewWnd->show();
}
