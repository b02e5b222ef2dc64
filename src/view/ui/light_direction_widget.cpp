#include "view/ui/light_direction_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "view/color_band_edit.h"
#include "view/color_band_params.h"
#include "shell/command_routing.h"
#include "view/view_state.h"

CLightDirectionWidget::CLightDirectionWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("1256");
    setMinimumSize(60, 60);
}

void CLightDirectionWidget::setDirection(double azimuth, double elevation) {
    if (azimuth == m_azimuth && elevation == m_elevation) return;
    m_azimuth = azimuth;
    m_elevation = elevation;
    update();
}

void CLightDirectionWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width(), h = height();
    const int cx = w / 2, cy = h / 2;
    const int r = LightWidgetRadius(w, h);
    m_radius = r;
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    const QColor discs[] = {QColor(0, 255, 128), QColor(0, 128, 0), QColor(128, 128, 128)};
    const int radii[] = {r, 2 * r / 3, r / 3};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(discs[i]);
        p.drawEllipse(QPoint(cx, cy), radii[i], radii[i]);
    }
    p.drawLine(0, cy, w, cy);
    p.drawLine(cx, 0, cx, h);
    const double a = m_azimuth * M_PI / 180;
    const double f = 1 - std::fabs(m_elevation * M_PI / 180) * (2 / M_PI);
    const int mx = cx + static_cast<int>(f * r * std::sin(a));
    const int my = cy - static_cast<int>(f * r * std::cos(a));
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(mx, my), 3, 3);
}

void CLightDirectionWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    double azimuth = m_azimuth, elevation = m_elevation;
    if (event->button() == Qt::LeftButton &&
        LightWidgetClick(width(), height(), at.x(), at.y(), azimuth, elevation)) {
        m_azimuth = azimuth;
        m_elevation = elevation;
        update();
        emit directionChanged(azimuth, elevation);
    }
    QWidget::mouseReleaseEvent(event);
}

namespace {
class ColorBandLightWidget : public CLightDirectionWidget {
public:
    using CLightDirectionWidget::CLightDirectionWidget;

protected:
    void paintEvent(QPaintEvent* event) override {
        setDirection(g_colorBandParams.lightAzimuth, g_colorBandParams.lightElevation);
        CLightDirectionWidget::paintEvent(event);
    }
};
}  // namespace

CLightDirectionWidget* MakeColorBandLightWidget(QWidget* parent) {
    auto* widget = new ColorBandLightWidget(parent);
    widget->setDirection(g_colorBandParams.lightAzimuth, g_colorBandParams.lightElevation);
    QObject::connect(widget, &CLightDirectionWidget::directionChanged, widget, [](double azimuth, double elevation) {
        g_colorBandParams.lightAzimuth = azimuth;
        g_colorBandParams.lightElevation = elevation;
        g_redrawMask = -1;
        InvalidateAndUpdateView();
    });
    return widget;
}
