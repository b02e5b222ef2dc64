#pragma once
// Latitude/longitude <-> plane rectangular coordinates of the nineteen Japanese zones
// (Gauss-Krüger Transverse Mercator, scale 0.9999 on the central meridian, no false origin),
// and the datum shift between the Tokyo datum and the world geodetic system.
// All angles in degrees unless stated; X north, Y east, in metres.
#include <cstdint>
#include <limits>

// An earth ellipsoid with the series coefficients of its meridian arc.
struct Ellipsoid {
    double m_a;                  // semi-major axis, in the unit of its table row
    double m_inverseFlattening;  // 1/f; +infinity for a sphere
    double m_e2;                 // first eccentricity squared
    double m_ep2;                // second eccentricity squared
    double m_arcA, m_arcB, m_arcC, m_arcD, m_arcE, m_arcF, m_arcG, m_arcH, m_arcI;
    // The meridian arc of the last origin latitude projected from: a file of positions
    // in one zone needs it once, not once per position.
    mutable double m_originArcLatitude = std::numeric_limits<double>::quiet_NaN();
    mutable double m_originArc = 0;

    Ellipsoid();  // Bessel 1841

    void SetBessel();
    // Takes the row of g_ellipsoidTable with this key; a key no row holds leaves Bessel 1841.
    void SelectEllipsoid(int32_t key);
    void ComputeArcCoefficients();

    double MeridianArc(double latitudeRadians) const;
    double OriginArc(double originLatitudeRadians) const;  // MeridianArc, kept per origin
    // The latitude whose meridian arc is the origin's arc plus x / 0.9999.
    double FootpointLatitude(double x, double originLatitude) const;

    void GeographicToPlane(double& x, double& y, double originLatitude, double originLongitude,
                           double latitude, double longitude) const;
    void PlaneToGeographic(double x, double y, double originLatitude, double originLongitude,
                           double& latitude, double& longitude) const;
    // Height 0.
    void GeographicToGeocentric(double& x, double& y, double& z, double latitude,
                                double longitude) const;
    void GeocentricToGeographic(double x, double y, double z, double& latitude,
                                double& longitude) const;

    // The same conversions about the origin of a plane zone. A zone outside 1 to 19 is
    // refused with a message: false, outputs untouched.
    bool ZoneGeographicToPlane(double& x, double& y, int32_t zone, double latitude,
                               double longitude) const;
    bool ZonePlaneToGeographic(double x, double y, int32_t zone, double& latitude,
                               double& longitude) const;
};

// A seven-parameter (Helmert) shift of geocentric coordinates, position-vector rotations.
struct HelmertParams {
    double m_tx, m_ty, m_tz;  // translations, 0.01 m
    double m_scale;           // scale difference, 1e-8
    double m_rx, m_ry, m_rz;  // rotations, 0.001 arc-second

    HelmertParams& ClearHelmert();
    // Writes the reverse shift (all seven values negated) into `out` and returns it.
    HelmertParams& InvertHelmert(HelmertParams& out) const;
    // 4301: world geodetic system -> Tokyo datum; 4326: the second published set.
    // Any other code leaves the record unchanged.
    void LoadHelmertByEpsg(int32_t code);
    void ApplyHelmert(double& x, double& y, double& z) const;
    void ShiftDatum(const Ellipsoid& source, const Ellipsoid& target, double& latitude,
                    double& longitude) const;
};

double IntPower(double x, int32_t n);
double PowerOf(double x, int32_t n);

// One row of the ellipsoid table: key = EPSG ellipsoid code - 7000; -1 ends the table.
struct EllipsoidTableRow {
    double semiMajorAxis;
    double inverseFlatteningOrMinorAxis;  // negative: the semi-minor axis, negated
    int32_t key;
    const char* name;
};

extern const EllipsoidTableRow g_ellipsoidTable[];

constexpr int32_t kEllipsoidBessel1841 = 4;
constexpr int32_t kEllipsoidGrs1980 = 19;
constexpr int32_t kPlaneZoneCount = 19;

// Origin longitudes of zones 1 to 19 at [zone - 1], origin latitudes at [zone + 18].
extern const double g_zoneOrigins[2 * kPlaneZoneCount];

// Current plane zone, 1 to 19, 0 when none is set.
extern int32_t g_planeZone;
// 1: latitude/longitude on the world geodetic system (GRS 1980); 0: Tokyo datum (Bessel 1841).
extern int32_t g_useWorldDatum;

bool IsPlaneZone(int32_t zone);
// A zone number read from a file or typed by the user: kept when 1 to 19, else 0 (none).
int32_t ValidPlaneZone(int32_t zone);
// Origin of a zone in degrees. Outside 1 to 19 the table is not read, the user is told
// and false comes back.
bool ZoneOrigin(int32_t zone, double& originLatitude, double& originLongitude);
