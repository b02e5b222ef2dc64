#pragma once
// The round light-direction widget (control 1256): the light's azimuth and elevation are
// shown as a marker over three discs and set by a left click. The owner decides where
// the values live; the widget only reports the click.
#include <QWidget>

class CLightDirectionWidget : public QWidget {
    Q_OBJECT
public:
    explicit CLightDirectionWidget(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {140, 140}; }

    double azimuth() const { return m_azimuth; }
    double elevation() const { return m_elevation; }
    // Degrees; repaints the marker, emits nothing.
    void setDirection(double azimuth, double elevation);
    // The outer radius in pixels used by the last paint.
    int radius() const { return m_radius; }

signals:
    // A click inside the widget changed the direction.
    void directionChanged(double azimuth, double elevation);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double m_azimuth = 0;
    double m_elevation = 0;
    int m_radius = 0;
};

// The widget bound to the colour bands' light: it follows the record whenever it is
// drawn (other windows and the settings file move the light too), and a click writes
// the record and redraws the view.
CLightDirectionWidget* MakeColorBandLightWidget(QWidget* parent);
