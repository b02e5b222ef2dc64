#include "model/corner_mapping.h"

#include <cmath>

namespace {
constexpr double kLengthTolerance = 1e-8;
constexpr double kParallelTolerance = 1e-14;
constexpr double kDenominatorFloor = 1e-6;

// True when the directions of a -> b and c -> d agree; a zero-length side converges.
bool SameDirection(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                   double dy) {
    const double l1 = std::hypot(bx - ax, by - ay);
    const double l2 = std::hypot(dx - cx, dy - cy);
    if (l1 == 0.0 || l2 == 0.0) return false;
    const double dot = ((bx - ax) * (dx - cx) + (by - ay) * (dy - cy)) / (l1 * l2);
    return std::fabs(1.0 - dot) <= kParallelTolerance;
}
}  // namespace

void CornerMapping::SetCornerMapping(double x1, double y1, double x2, double y2, double x3,
                                     double y3, double x4, double y4) {
    m_x[0] = x1, m_x[1] = x2, m_x[2] = x3, m_x[3] = x4;
    m_y[0] = y1, m_y[1] = y2, m_y[2] = y3, m_y[3] = y4;
    m_lengthP1P2 = std::hypot(x2 - x1, y2 - y1);
    m_lengthP3P4 = std::hypot(x4 - x3, y4 - y3);
    m_lengthP1P3 = std::hypot(x3 - x1, y3 - y1);
    m_lengthP2P4 = std::hypot(x4 - x2, y4 - y2);

    // Relative to P3, the image origin, so that large survey coordinates lose no digits.
    const double p4x = x4 - x3, p4y = y4 - y3;  // (1, 0)
    const double p2x = x2 - x3, p2y = y2 - y3;  // (1, 1)
    const double p1x = x1 - x3, p1y = y1 - y3;  // (0, 1)

    // Affine until the projective form is found sound.
    m_kind = 0;
    m_trapezoid = 0;
    m_a = p4x, m_b = p1x, m_d = p4y, m_e = p1y, m_g = 0.0, m_h = 0.0;

    const bool projective = std::fabs(1.0 - m_lengthP3P4 / m_lengthP1P2) > kLengthTolerance ||
                            std::fabs(1.0 - m_lengthP1P3 / m_lengthP2P4) > kLengthTolerance;
    if (projective) {
        const bool parallel12 = SameDirection(x1, y1, x2, y2, x3, y3, x4, y4);
        const bool parallel13 = SameDirection(x1, y1, x3, y3, x2, y2, x4, y4);
        if (!(parallel12 && parallel13)) {
            // Unit square to quadrilateral in closed form: (0,0) P3, (1,0) P4, (1,1) P2, (0,1) P1.
            const double sx = -p4x + p2x - p1x;
            const double sy = -p4y + p2y - p1y;
            const double dx1 = p4x - p2x, dx2 = p1x - p2x;
            const double dy1 = p4y - p2y, dy2 = p1y - p2y;
            const double den = dx1 * dy2 - dx2 * dy1;
            if (den != 0.0) {
                const double g = (sx * dy2 - sy * dx2) / den;
                const double h = (dx1 * sy - dy1 * sx) / den;
                const double a = p4x + g * p4x, b = p1x + h * p1x;
                const double d = p4y + g * p4y, e = p1y + h * p1y;
                if (std::isfinite(g) && std::isfinite(h) && std::isfinite(a) && std::isfinite(b) &&
                    std::isfinite(d) && std::isfinite(e)) {
                    m_kind = 1;
                    m_trapezoid = parallel12 || parallel13 ? 1 : 0;
                    m_a = a, m_b = b, m_d = d, m_e = e, m_g = g, m_h = h;
                }
            }
        }
    }

    // Inverse of [[a, b, 0], [d, e, 0], [g, h, 1]] by its adjugate.
    const double det = m_a * m_e - m_b * m_d;
    for (double& c : m_inverse) c = 0.0;
    m_horizonNormalX = m_horizonNormalY = m_horizonOffset = 0.0;
    if (det == 0.0 || !std::isfinite(det)) return;
    m_inverse[0] = m_e / det;
    m_inverse[1] = -m_b / det;
    m_inverse[3] = -m_d / det;
    m_inverse[4] = m_a / det;
    m_inverse[6] = (m_d * m_h - m_e * m_g) / det;
    m_inverse[7] = (m_b * m_g - m_a * m_h) / det;
    m_inverse[8] = 1.0;
    const double norm = std::hypot(m_inverse[6], m_inverse[7]);
    if (m_kind != 0 && norm > 0.0) {
        m_horizonNormalX = m_inverse[6] / norm;
        m_horizonNormalY = m_inverse[7] / norm;
        m_horizonOffset = 1.0 / norm;
    }
}

void CornerMapping::ImageToGround(double u, double v, double& x, double& y) const {
    if (m_kind == 0) {
        x = m_x[2] + u * (m_x[3] - m_x[2]) + v * (m_x[0] - m_x[2]);
        y = m_y[2] + u * (m_y[3] - m_y[2]) + v * (m_y[0] - m_y[2]);
        return;
    }
    double w = m_g * u + m_h * v + 1.0;
    if (w <= 0.0) w = kDenominatorFloor;  // beyond the horizon
    x = m_x[2] + (m_a * u + m_b * v) / w;
    y = m_y[2] + (m_d * u + m_e * v) / w;
}

bool CornerMapping::GroundToImage(double x, double y, double& u, double& v) const {
    if (m_inverse[8] == 0.0) return false;  // degenerate corners
    double px = x - m_x[2];
    double py = y - m_y[2];
    if (m_kind != 0 && (m_horizonNormalX != 0.0 || m_horizonNormalY != 0.0)) {
        const double l = m_horizonNormalX * px + m_horizonNormalY * py + m_horizonOffset;
        if (l <= 0.0) {
            px -= 1.000001 * l * m_horizonNormalX;
            py -= 1.000001 * l * m_horizonNormalY;
        }
    }
    const double w = m_inverse[6] * px + m_inverse[7] * py + m_inverse[8];
    if (w == 0.0) return false;
    u = (m_inverse[0] * px + m_inverse[1] * py) / w;
    v = (m_inverse[3] * px + m_inverse[4] * py) / w;
    return true;
}
