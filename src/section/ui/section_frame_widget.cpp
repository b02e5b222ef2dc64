#include "section/ui/section_frame_widget.h"

#include "view/ui/tool_cursors.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

QColor SectionColor(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

CSectionFrameWidget::CSectionFrameWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("1017");
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(100, 60);
}

void CSectionFrameWidget::WarpCursor(QPoint p) {
    // Only X11 lets a program put the pointer somewhere.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    QCursor::setPos(mapToGlobal(p));
}

void CSectionFrameWidget::UpdateCursor() {
    int id = editCursor;
    if (viewMode == 0x11) id = 142;
    else if (viewMode == 0x80) id = m_leftDown ? 140 : 1029;
    if (id != 0)
        setCursor(LoadToolCursor(id));
    else
        unsetCursor();
}

void CSectionFrameWidget::resizeEvent(QResizeEvent*) {
    m_frame.left = 0;
    m_frame.top = 0;
    m_frame.right = width();
    m_frame.bottom = height();
}

void CSectionFrameWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), SectionColor(background));
    if (m_frame.Height() < 2) return;
    if (updateScale) updateScale(m_frame);
    p.setPen(SectionColor(grid));
    const SectionGridLines g = ComputeSectionGrid(m_frame);
    for (int32_t r : g.rows) p.drawLine(0, r, width(), r);
    for (int32_t c : g.columns) p.drawLine(c, 0, c, height());
    if (drawContent) drawContent(p, m_frame);
    QFont font("Sans Serif");
    font.setPixelSize(12);
    p.setFont(font);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(SectionColor(background));
    p.setPen(SectionColor(labels));
    const SectionLabels l = ComputeSectionLabels(m_frame);
    for (const SectionLabel& h : l.heights) p.drawText(5, h.position + 6, QString::fromStdString(h.text));
    for (const SectionLabel& o : l.offsets) {
        p.save();
        p.translate(o.position + 6, height() - 4);
        p.rotate(-90);
        p.drawText(0, 0, QString::fromStdString(o.text));
        p.restore();
    }
    if (m_frame.Contains(m_cursor.x(), m_cursor.y())) {
        const SectionWorld w = SectionScreenToWorld(m_frame, m_cursor.x(), m_cursor.y());
        const std::string text = readoutText ? readoutText(m_cursor.x(), m_cursor.y(), m_leftDown && viewMode == 0)
                                             : FormatSectionReadout(w.offset, w.height);
        p.setPen(SectionColor(readout));
        p.drawText(readoutX, 10 + 12, QString::fromStdString(text));
    }
    p.setBackgroundMode(Qt::TransparentMode);
    if (m_leftDown && viewMode == 0x11) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(Qt::white);
        p.drawRect(QRect(pressPos, lastPos).normalized());
    } else if (m_leftDown && rubberLine) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(Qt::white);
        p.drawLine(pressPos, lastPos);
    }
}

void CSectionFrameWidget::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    setFocus();
    pressPos = lastPos = pos;
    if (e->button() == Qt::RightButton) {
        m_rightDown = true;
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    m_leftDown = true;
    UpdateCursor();
    if (viewMode == 0 && onEditPress) onEditPress(pos.x(), pos.y());
    update();
}

void CSectionFrameWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    m_cursor = pos;
    if ((m_leftDown && viewMode == 0x80) || m_rightDown) {
        SectionDragPan(m_frame, lastPos.x(), lastPos.y(), pos.x(), pos.y());
    } else if (m_leftDown && viewMode == 0 && onEditMove) {
        onEditMove(pos.x(), pos.y());
    } else if (!m_leftDown && onHover) {
        onHover(pos.x(), pos.y());
    }
    lastPos = pos;
    update();
}

void CSectionFrameWidget::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::RightButton) {
        m_rightDown = false;
        viewMode = 0;
        if (onViewModeEnded) onViewModeEnded(true);
        update();
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    m_leftDown = false;
    UpdateCursor();
    lastPos = pos;
    if (viewMode == 0x11) {
        ApplyZoomBox(m_frame, pressPos.x(), pressPos.y(), pos.x(), pos.y());
        if (onViewModeEnded) onViewModeEnded(false);
    } else if (viewMode == 0x80) {
        if (onViewModeEnded) onViewModeEnded(false);
    } else if (onEditRelease) {
        onEditRelease(pos.x(), pos.y());
    }
    update();
}

void CSectionFrameWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton && onRightDoubleClick) {
        const QPoint pos = e->position().toPoint();
        onRightDoubleClick(pos.x(), pos.y());
        return;
    }
    if (e->button() == Qt::LeftButton && onLeftDoubleClick) {
        const QPoint pos = e->position().toPoint();
        onLeftDoubleClick(pos.x(), pos.y());
        return;
    }
    mousePressEvent(e);
}

void CSectionFrameWidget::wheelEvent(QWheelEvent* e) {
    const QPoint pos = e->position().toPoint();
    const int delta = e->angleDelta().y();
    if (delta == 0) return;
    if (onWheel && onWheel(delta > 0)) {
        e->accept();
        return;
    }
    SectionWheelZoom(m_frame, delta > 0, pos.x(), pos.y());
    update();
    e->accept();
}
