#include "model/geodesy.h"

#include <cmath>
#include <limits>

#include "platform/message_box.h"
#include "platform/text_io.h"

int32_t g_planeZone = 0;
int32_t g_useWorldDatum = 1;

const double g_zoneOrigins[2 * kPlaneZoneCount] = {
    // origin longitudes, zones 1 to 19
    129.5, 131.0, 132.166666666667, 133.5, 134.333333333333, 136.0, 137.166666666667, 138.5,
    139.833333333333, 140.833333333333, 140.25, 142.25, 144.25, 142.0, 127.5, 124.0, 131.0, 136.0,
    154.0,
    // origin latitudes, zones 1 to 19
    33.0, 33.0, 36.0, 33.0, 36.0, 36.0, 36.0, 36.0, 36.0, 40.0, 44.0, 44.0, 44.0, 26.0, 26.0, 26.0,
    26.0, 20.0, 26.0};

namespace {
constexpr double kGrs80A = 6378137.0;
constexpr double kGrs80InvF = 298.257222101;
}  // namespace

// Keys are EPSG ellipsoid codes - 7000. Rows known by their semi-minor axis store it negated;
// keys 7, 9, 34 and 42 are in feet as the register gives them.
const EllipsoidTableRow g_ellipsoidTable[] = {
    {kGrs80A, kGrs80InvF, 0, "Defoult"},
    {6377563.396, 299.3249646, 1, "Airy 1830"},
    {6377340.189, 299.3249646, 2, "Airy Modified 1849"},
    {6378160.0, 298.25, 3, "Australian National Spheroid"},
    {6377397.155, 299.152813, 4, "Bessel 1841"},
    {6377492.018, 299.1528128, 5, "Bessel Modified"},
    {6377483.865, 299.1528128, 6, "Bessel Namibia"},
    {20926348.0, -20855233.0, 7, "Clarke 1858"},
    {6378206.4, -6356583.8, 8, "Clarke 1866"},
    {20926631.531, -20855688.674, 9, "Clarke 1866 Michigan"},
    {6378300.789, -6356566.435, 10, "Clarke 1880 (Benoit)"},
    {6378249.2, -6356515.0, 11, "Clarke 1880 (IGN)"},
    {6378249.145, 293.465, 12, "Clarke 1880 (RGS)"},
    {6378249.145, 293.4663077, 13, "Clarke 1880 (Arc)"},
    {6378249.2, 293.46598, 14, "Clarke 1880 (SGA 1922)"},
    {6377276.345, 300.8017, 15, "Everest 1830 (1937 Adjustment)"},
    {6377298.556, 300.8017, 16, "Everest 1830 (1967 Definition)"},
    {kGrs80A, kGrs80InvF, 17, ""},
    {6377304.063, 300.8017, 18, "Everest 1830 Modified"},
    {kGrs80A, kGrs80InvF, 19, "GRS 1980"},
    {6378200.0, 298.3, 20, "Helmert 1906"},
    {6378160.0, 298.247, 21, "Indonesian National Spheroid"},
    {6378388.0, 297.0, 22, "International 1924"},
    {kGrs80A, kGrs80InvF, 23, ""},
    {6378245.0, 298.3, 24, "Krassowsky 1940"},
    {6378145.0, 298.25, 25, "NWL 9D"},
    {kGrs80A, kGrs80InvF, 26, ""},
    {6376523.0, 308.64, 27, "Plessis 1817"},
    {6378298.3, 294.73, 28, "Struve 1860"},
    {6378300.0, 296.0, 29, "War Office"},
    {6378137.0, 298.257223563, 30, "WGS 84"},
    {6378137.0, 298.257223563, 31, "GEM 10C"},
    {6378136.2, 298.257223563, 32, "OSU86F"},
    {6378136.3, 298.257223563, 33, "OSU91A"},
    {20926202.0, -20854895.0, 34, "Clarke 1880"},
    {6371000.0, -6371000.0, 35, "Sphere"},
    {6378160.0, 298.247167427, 36, "GRS 1967"},
    {kGrs80A, kGrs80InvF, 37, ""},
    {kGrs80A, kGrs80InvF, 38, ""},
    {kGrs80A, kGrs80InvF, 39, ""},
    {kGrs80A, kGrs80InvF, 40, ""},
    {6378135.0, 298.257, 41, "Average Terrestrial System 1977"},
    {20922931.8, -20853374.58, 42, "Everest (1830 Definition)"},
    {6378135.0, 298.26, 43, "WGS 72"},
    {6377301.243, 300.8017255, 44, "Everest 1830 (1962 Definition)"},
    {6377299.151, 300.8017255, 45, "Everest 1830 (1975 Definition)"},
    {6377397.155, 299.1528128, 46, "Bessel Namibia (GLM)"},
    {6370997.0, -6370997.0, 47, "GRS 1980 Authalic Sphere from Clarke 1866"},
    {6371007.0, -6371007.0, 48, "GRS 1980 Authalic Sphere from GRS 1980"},
    {6378140.0, 298.257, 49, "Xian 1980"},
    {0.0, 0.0, -1, nullptr},
};

double IntPower(double x, int32_t n) {
    // |n| as unsigned so that the most negative n does not overflow
    uint32_t bits = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    double result = 1.0;
    double square = x;
    while (bits != 0) {
        if (bits & 1u) result *= square;
        square *= square;
        bits >>= 1;
    }
    return n < 0 ? 1.0 / result : result;
}

double PowerOf(double x, int32_t n) { return IntPower(x, n); }

namespace {
constexpr double kRho = 0.017453292519943295;  // radians per degree
constexpr double kDegPerRad = 57.29577951308232;
constexpr double kM0 = 0.9999;  // scale on the central meridian
constexpr double kInverseM0 = 1.000100010001;

// A sphere (semi-minor axis equal to the semi-major one) has an infinite inverse flattening,
// for which the ellipsoidal formulas give 0/0; its eccentricities are simply 0.
bool IsSphere(double inverseFlattening) { return std::isinf(inverseFlattening); }
}  // namespace

Ellipsoid::Ellipsoid() { SetBessel(); }

void Ellipsoid::SetBessel() {
    m_a = 6377397.155;
    m_inverseFlattening = 299.152813;
    const double f = 1.0 / m_inverseFlattening;
    m_e2 = 2.0 * f - f * f;
    m_ep2 = (2.0 * m_inverseFlattening - 1.0) / IntPower(m_inverseFlattening - 1.0, 2);
    ComputeArcCoefficients();
}

void Ellipsoid::SelectEllipsoid(int32_t key) {
    m_a = 6377397.155;
    m_inverseFlattening = 299.152813;
    for (const EllipsoidTableRow* row = g_ellipsoidTable; row->key != -1; ++row) {
        if (row->key != key) continue;
        m_a = row->semiMajorAxis;
        const double second = row->inverseFlatteningOrMinorAxis;
        if (second < 0.0) {
            const double b = -second;
            m_inverseFlattening =
                b == m_a ? std::numeric_limits<double>::infinity() : m_a / (m_a - b);
        } else {
            m_inverseFlattening = second;
        }
        break;
    }
    const double invF = m_inverseFlattening;
    if (IsSphere(invF)) {
        m_e2 = 0.0;
        m_ep2 = 0.0;
    } else {
        m_e2 = 2.0 / invF - 1.0 / IntPower(invF, 2);
        m_ep2 = (2.0 * invF - 1.0) / IntPower(invF - 1.0, 2);
    }
    ComputeArcCoefficients();
}

void Ellipsoid::ComputeArcCoefficients() {
    m_originArcLatitude = std::numeric_limits<double>::quiet_NaN();
    const double invF = m_inverseFlattening;
    const double e2 = IsSphere(invF) ? 0.0 : IntPower(std::sqrt(2.0 * invF - 1.0) / invF, 2);
    const double e4 = IntPower(e2, 2), e6 = IntPower(e2, 3), e8 = IntPower(e2, 4);
    const double e10 = IntPower(e2, 5), e12 = IntPower(e2, 6), e14 = IntPower(e2, 7);
    const double e16 = IntPower(e2, 8);
    m_arcA = 1.0 + 3.0 / 4.0 * e2 + 45.0 / 64.0 * e4 + 175.0 / 256.0 * e6 + 11025.0 / 16384.0 * e8 +
             43659.0 / 65536.0 * e10 + 693693.0 / 1048576.0 * e12 + 19324305.0 / 29360128.0 * e14 +
             4927697775.0 / 7516192768.0 * e16;
    m_arcB = 3.0 / 4.0 * e2 + 15.0 / 16.0 * e4 + 525.0 / 512.0 * e6 + 2205.0 / 2048.0 * e8 +
             72765.0 / 65536.0 * e10 + 297297.0 / 262144.0 * e12 + 135270135.0 / 117440512.0 * e14 +
             547521975.0 / 469762048.0 * e16;
    m_arcC = 15.0 / 64.0 * e4 + 105.0 / 256.0 * e6 + 2205.0 / 4096.0 * e8 +
             10395.0 / 16384.0 * e10 + 1486485.0 / 2097152.0 * e12 + 45090045.0 / 58720256.0 * e14 +
             766530765.0 / 939524096.0 * e16;
    m_arcD = 35.0 / 512.0 * e6 + 315.0 / 2048.0 * e8 + 31185.0 / 131072.0 * e10 +
             165165.0 / 524288.0 * e12 + 45090045.0 / 117440512.0 * e14 +
             209053845.0 / 469762048.0 * e16;
    m_arcE = 315.0 / 16384.0 * e8 + 3465.0 / 65536.0 * e10 + 99099.0 / 1048576.0 * e12 +
             4099095.0 / 29360128.0 * e14 + 348423075.0 / 1879048192.0 * e16;
    m_arcF = 693.0 / 131072.0 * e10 + 9009.0 / 524288.0 * e12 + 4099095.0 / 117440512.0 * e14 +
             26801775.0 / 469762048.0 * e16;
    m_arcG =
        3003.0 / 2097152.0 * e12 + 315315.0 / 58720256.0 * e14 + 11486475.0 / 939524096.0 * e16;
    m_arcH = 45045.0 / 117440512.0 * e14 + 765765.0 / 469762048.0 * e16;
    m_arcI = 765765.0 / 7516192768.0 * e16;
}

double Ellipsoid::MeridianArc(double phi) const {
    return m_a * (1.0 - m_e2) *
           (m_arcA * phi - m_arcB / 2.0 * std::sin(2.0 * phi) + m_arcC / 4.0 * std::sin(4.0 * phi) -
            m_arcD / 6.0 * std::sin(6.0 * phi) + m_arcE / 8.0 * std::sin(8.0 * phi) -
            m_arcF / 10.0 * std::sin(10.0 * phi) + m_arcG / 12.0 * std::sin(12.0 * phi) -
            m_arcH / 14.0 * std::sin(14.0 * phi) + m_arcI / 16.0 * std::sin(16.0 * phi));
}

double Ellipsoid::OriginArc(double phi0) const {
    if (!(phi0 == m_originArcLatitude)) {
        m_originArc = MeridianArc(phi0);
        m_originArcLatitude = phi0;
    }
    return m_originArc;
}

double Ellipsoid::FootpointLatitude(double x, double originLatitude) const {
    const double target = MeridianArc(kRho * originLatitude) + x * kInverseM0;
    const double tolerance = kRho * 5.555555555555556e-09;  // 0.00002 arc-second
    double phi = kRho * originLatitude;
    for (int i = 0; i < 30; ++i) {
        const double s = std::sin(phi);
        const double w = 1.0 - m_e2 * s * s;
        const double next =
            phi - (MeridianArc(phi) - target) * w * std::sqrt(w) / (m_a * (1.0 - m_e2));
        const double step = std::fabs(next - phi);
        phi = next;  // the latest iterate is the best one
        if (i > 0 && step < tolerance) break;
    }
    return phi / kRho;
}

void Ellipsoid::GeographicToPlane(double& x, double& y, double originLatitude,
                                  double originLongitude, double latitude, double longitude) const {
    const double phi = kRho * latitude;
    const double dl = kRho * (longitude - originLongitude);
    const double phi0 = kRho * originLatitude;
    const double c = std::cos(phi);
    const double t = std::tan(phi);
    const double t2 = IntPower(t, 2), t4 = IntPower(t, 4), t6 = IntPower(t, 6);
    const double eta2 = m_ep2 * IntPower(c, 2);
    const double eta4 = IntPower(eta2, 2);
    const double n = m_a / std::sqrt(1.0 - m_e2 * IntPower(std::sin(phi), 2));

    x = kM0 *
            (MeridianArc(phi) - OriginArc(phi0) + n * t * IntPower(c, 2) * IntPower(dl, 2) / 2.0 +
             n * t * IntPower(c, 4) * IntPower(dl, 4) * (5.0 - t2 + 9.0 * eta2 + 4.0 * eta4) /
                 24.0 +
             n * t * IntPower(c, 6) * IntPower(dl, 6) *
                 (61.0 - 58.0 * t2 + t4 + 270.0 * eta2 - 330.0 * t2 * eta2) / 720.0) +
        n * t * IntPower(c, 8) * IntPower(dl, 8) * (1385.0 - 3111.0 * t2 + 543.0 * t4 - t6) *
            (0.9999 / 40320.0);
    y = kM0 * (n * c * dl + n * IntPower(c, 3) * IntPower(dl, 3) * (1.0 - t2 + eta2) / 6.0 +
               n * IntPower(c, 5) * IntPower(dl, 5) *
                   (5.0 - 18.0 * t2 + t4 + 14.0 * eta2 - 58.0 * t2 * eta2) / 120.0) +
        n * IntPower(c, 7) * IntPower(dl, 7) * (61.0 - 479.0 * t2 + 179.0 * t4 - t6) *
            (0.9999 / 5040.0);
}

void Ellipsoid::PlaneToGeographic(double x, double y, double originLatitude, double originLongitude,
                                  double& latitude, double& longitude) const {
    const double phi1 = kRho * FootpointLatitude(x, originLatitude);
    const double yy = y * kInverseM0;
    const double c = std::cos(phi1);
    const double t = std::tan(phi1);
    const double t2 = IntPower(t, 2), t4 = IntPower(t, 4), t6 = IntPower(t, 6);
    const double eta2 = m_ep2 * IntPower(c, 2);
    const double eta4 = IntPower(eta2, 2);
    const double n = m_a / std::sqrt(1.0 - m_e2 * IntPower(std::sin(phi1), 2));

    latitude =
        (phi1 - (1.0 + eta2) * t * IntPower(yy, 2) / (2.0 * IntPower(n, 2)) +
         t * IntPower(yy, 4) *
             (5.0 + 3.0 * t2 + 6.0 * eta2 - 6.0 * t2 * eta2 - 3.0 * eta4 - 9.0 * t2 * eta4) /
             (24.0 * IntPower(n, 4)) -
         t * IntPower(yy, 6) *
             (61.0 + 90.0 * t2 + 45.0 * t4 + 107.0 * eta2 - 162.0 * t2 * eta2 - 45.0 * t4 * eta2) /
             (720.0 * IntPower(n, 6)) +
         t * IntPower(yy, 8) * (1385.0 + 3633.0 * t2 + 4095.0 * t4 + 1575.0 * t6) /
             (40320.0 * IntPower(n, 8))) /
        kRho;
    longitude = (kRho * originLongitude + yy / (n * c) -
                 IntPower(yy, 3) * (1.0 + 2.0 * t2 + eta2) / (6.0 * IntPower(n, 3) * c) +
                 IntPower(yy, 5) * (5.0 + 28.0 * t2 + 24.0 * t4 + 6.0 * eta2 + 8.0 * t2 * eta2) /
                     (120.0 * IntPower(n, 5) * c) -
                 IntPower(yy, 7) * (61.0 + 662.0 * t2 + 1320.0 * t4 + 720.0 * t6) /
                     (5040.0 * IntPower(n, 7) * c)) /
                kRho;
}

void Ellipsoid::GeographicToGeocentric(double& x, double& y, double& z, double latitude,
                                       double longitude) const {
    const double f = 1.0 / m_inverseFlattening;
    const double e2 = f * (2.0 - f);
    const double phi = kRho * latitude;
    const double lambda = kRho * longitude;
    const double n = m_a / std::sqrt(1.0 - e2 * IntPower(std::sin(phi), 2));
    x = n * std::cos(phi) * std::cos(lambda);
    y = n * std::cos(phi) * std::sin(lambda);
    z = n * (1.0 - e2) * std::sin(phi);
}

void Ellipsoid::GeocentricToGeographic(double x, double y, double z, double& latitude,
                                       double& longitude) const {
    // Bowring's closed form
    const double f = 1.0 / m_inverseFlattening;
    const double e2 = (2.0 - f) * f;
    const double p = std::sqrt(x * x + y * y);
    const double r = std::sqrt(p * p + z * z);
    longitude = x * x + y * y > 0.0 ? std::atan2(y, x) * kDegPerRad : 0.0;
    const double u = std::atan((z / p) * ((1.0 - f) + e2 * m_a / r));
    latitude = std::atan((z * (1.0 - f) + e2 * m_a * IntPower(std::sin(u), 3)) /
                         ((1.0 - f) * (p - e2 * m_a * IntPower(std::cos(u), 3)))) *
               kDegPerRad;
}

bool Ellipsoid::ZoneGeographicToPlane(double& x, double& y, int32_t zone, double latitude,
                                      double longitude) const {
    double originLatitude, originLongitude;
    if (!ZoneOrigin(zone, originLatitude, originLongitude)) return false;
    GeographicToPlane(x, y, originLatitude, originLongitude, latitude, longitude);
    return true;
}

bool Ellipsoid::ZonePlaneToGeographic(double x, double y, int32_t zone, double& latitude,
                                      double& longitude) const {
    double originLatitude, originLongitude;
    if (!ZoneOrigin(zone, originLatitude, originLongitude)) return false;
    PlaneToGeographic(x, y, originLatitude, originLongitude, latitude, longitude);
    return true;
}

HelmertParams& HelmertParams::ClearHelmert() {
    m_tx = m_ty = m_tz = m_scale = m_rx = m_ry = m_rz = 0.0;
    return *this;
}

HelmertParams& HelmertParams::InvertHelmert(HelmertParams& out) const {
    out.m_tx = -m_tx;
    out.m_ty = -m_ty;
    out.m_tz = -m_tz;
    out.m_scale = -m_scale;
    out.m_rx = -m_rx;
    out.m_ry = -m_ry;
    out.m_rz = -m_rz;
    return out;
}

void HelmertParams::LoadHelmertByEpsg(int32_t code) {
    if (code == 4301) {
        m_tx = 14641.4;
        m_ty = -50733.7;
        m_tz = -68050.7;
        m_scale = m_rx = m_ry = m_rz = 0.0;
    } else if (code == 4326) {
        m_tx = 7.8;
        m_ty = -50.5;
        m_tz = -25.3;
        m_scale = -1.01;
        m_rx = 18.3;
        m_ry = -0.3;
        m_rz = 7.0;
    }
}

void HelmertParams::ApplyHelmert(double& x, double& y, double& z) const {
    if (std::fabs(m_scale) + std::fabs(m_rx) + std::fabs(m_ry) + std::fabs(m_rz) < 1e-14) {
        x += m_tx * 0.01;
        y += m_ty * 0.01;
        z += m_tz * 0.01;
        return;
    }
    const double k = 1.0 + m_scale * 1e-8;
    const double mu = 4.84813681109536e-9;  // radians per 0.001 arc-second
    const double x0 = x, y0 = y, z0 = z;
    x = k * x0 + (m_ry * z0 - m_rz * y0) * mu + m_tx * 0.01;
    y = k * y0 + (m_rz * x0 - m_rx * z0) * mu + m_ty * 0.01;
    z = k * z0 + (m_rx * y0 - m_ry * x0) * mu + m_tz * 0.01;
}

void HelmertParams::ShiftDatum(const Ellipsoid& source, const Ellipsoid& target, double& latitude,
                               double& longitude) const {
    double x, y, z;
    source.GeographicToGeocentric(x, y, z, latitude, longitude);
    ApplyHelmert(x, y, z);
    target.GeocentricToGeographic(x, y, z, latitude, longitude);
}

bool IsPlaneZone(int32_t zone) { return zone >= 1 && zone <= kPlaneZoneCount; }

int32_t ValidPlaneZone(int32_t zone) { return IsPlaneZone(zone) ? zone : 0; }

bool ZoneOrigin(int32_t zone, double& originLatitude, double& originLongitude) {
    if (!IsPlaneZone(zone)) {
        ShowMessage(FormatString("平面直角座標系の系番号が正しくありません（%d）。\n"
                                 "1 から 19 の系を指定してください。",
                                 zone),
                    "系指定", msg::kOk | msg::kIconWarning);
        return false;
    }
    originLongitude = g_zoneOrigins[zone - 1];
    originLatitude = g_zoneOrigins[zone + kPlaneZoneCount - 1];
    return true;
}
