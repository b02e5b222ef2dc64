#include "model/geodesy.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <climits>
#include <cmath>
#include <string>

#include "platform/message_box.h"

// PROJ is the independent witness: its Transverse Mercator and its geocentric and Helmert
// steps share no code with ours.
namespace {
constexpr double kRad = 0.017453292519943295;

class Proj {
public:
    explicit Proj(const std::string& definition)
        : m_context(proj_context_create()), m_pj(proj_create(m_context, definition.c_str())) {}
    ~Proj() {
        proj_destroy(m_pj);
        proj_context_destroy(m_context);
    }
    Proj(const Proj&) = delete;
    Proj& operator=(const Proj&) = delete;
    bool Ok() const { return m_pj != nullptr; }
    PJ_COORD Forward(double a, double b, double c = 0) const {
        return proj_trans(m_pj, PJ_FWD, proj_coord(a, b, c, 0));
    }
    PJ_COORD Inverse(double a, double b) const {
        return proj_trans(m_pj, PJ_INV, proj_coord(a, b, 0, 0));
    }

private:
    PJ_CONTEXT* m_context;
    PJ* m_pj;
};

// The ellipsoids as our table holds them, spelled for PROJ.
const char* ProjEllipsoid(int key) {
    switch (key) {
        case kEllipsoidBessel1841:
            return "+a=6377397.155 +rf=299.152813";
        case kEllipsoidGrs1980:
            return "+a=6378137 +rf=298.257222101";
        case 8:
            return "+a=6378206.4 +b=6356583.8";
        default:
            return "+R=6371000";  // key 35, the sphere
    }
}

// Zone origins as published (the thirds of a degree as their twelve-decimal values).
struct ZoneOriginCase {
    int zone;
    double latitude, longitude;
};
const ZoneOriginCase kOrigins[] = {
    {1, 33.0, 129.5},
    {2, 33.0, 131.0},
    {3, 36.0, 132.166666666667},
    {4, 33.0, 133.5},
    {5, 36.0, 134.333333333333},
    {6, 36.0, 136.0},
    {7, 36.0, 137.166666666667},
    {8, 36.0, 138.5},
    {9, 36.0, 139.833333333333},
    {10, 40.0, 140.833333333333},
    {11, 44.0, 140.25},
    {12, 44.0, 142.25},
    {13, 44.0, 144.25},
    {14, 26.0, 142.0},
    {15, 26.0, 127.5},
    {16, 26.0, 124.0},
    {17, 26.0, 131.0},
    {18, 20.0, 136.0},
    {19, 26.0, 154.0},
};

std::string TmercAt(const ZoneOriginCase& origin, int key) {
    char buffer[200];
    std::snprintf(buffer, sizeof buffer,
                  "+proj=tmerc +lat_0=%.12f +lon_0=%.12f +k=0.9999 +x_0=0 +y_0=0 %s",
                  origin.latitude, origin.longitude, ProjEllipsoid(key));
    return buffer;
}

Ellipsoid Selected(int key) {
    Ellipsoid e;
    e.SelectEllipsoid(key);
    return e;
}

// Offsets from the zone origin in degrees: a zone spans about 130 km either side.
const double kLatitudeOffsets[] = {-1.7, -0.6, 0.0, 0.45, 1.3};
const double kLongitudeOffsets[] = {-1.2, -0.35, 0.0, 0.8, 1.4};
const int kZonesChecked[] = {1, 4, 9, 11, 13, 15, 18, 19};
}  // namespace

TEST(Geodesy, ProjectionAgreesWithProjWithinAMillimetre) {
    for (int key : {kEllipsoidGrs1980, kEllipsoidBessel1841, 8, 35}) {
        const Ellipsoid e = Selected(key);
        for (int zone : kZonesChecked) {
            const ZoneOriginCase& origin = kOrigins[zone - 1];
            Proj proj(TmercAt(origin, key));
            ASSERT_TRUE(proj.Ok());
            for (double dLat : kLatitudeOffsets) {
                for (double dLon : kLongitudeOffsets) {
                    const double lat = origin.latitude + dLat, lon = origin.longitude + dLon;
                    const PJ_COORD want = proj.Forward(lon * kRad, lat * kRad);
                    double x = NAN, y = NAN;
                    ASSERT_TRUE(e.ZoneGeographicToPlane(x, y, zone, lat, lon));
                    EXPECT_NEAR(x, want.xy.y, 1e-3)
                        << key << " zone " << zone << " " << lat << " " << lon;
                    EXPECT_NEAR(y, want.xy.x, 1e-3)
                        << key << " zone " << zone << " " << lat << " " << lon;

                    // Inverse of the same plane point, compared in metres on the ground.
                    double gotLat = NAN, gotLon = NAN;
                    ASSERT_TRUE(
                        e.ZonePlaneToGeographic(want.xy.y, want.xy.x, zone, gotLat, gotLon));
                    const PJ_COORD back = proj.Inverse(want.xy.x, want.xy.y);
                    const double wantLat = back.lp.phi / kRad, wantLon = back.lp.lam / kRad;
                    EXPECT_NEAR((gotLat - wantLat) * 111000.0, 0.0, 1e-3)
                        << key << " zone " << zone;
                    EXPECT_NEAR((gotLon - wantLon) * 111000.0 * std::cos(lat * kRad), 0.0, 1e-3)
                        << key << " zone " << zone;
                }
            }
        }
    }
}

TEST(Geodesy, SeriesHoldFarOutsideTheZone) {
    // Five degrees from the central meridian, where every term of the series counts.
    for (int key : {kEllipsoidGrs1980, kEllipsoidBessel1841}) {
        const Ellipsoid e = Selected(key);
        const ZoneOriginCase& origin = kOrigins[9 - 1];
        const Proj proj(TmercAt(origin, key));
        ASSERT_TRUE(proj.Ok());
        for (double lat : {20.0, 30.0, 38.0, 46.0}) {
            for (double dLon : {-5.0, -3.5, 4.0, 5.0}) {
                const double lon = origin.longitude + dLon;
                const PJ_COORD want = proj.Forward(lon * kRad, lat * kRad);
                double x, y, gotLat, gotLon;
                ASSERT_TRUE(e.ZoneGeographicToPlane(x, y, 9, lat, lon));
                EXPECT_NEAR(x, want.xy.y, 1e-3) << key << " " << lat << " " << lon;
                EXPECT_NEAR(y, want.xy.x, 1e-3) << key << " " << lat << " " << lon;
                ASSERT_TRUE(e.ZonePlaneToGeographic(x, y, 9, gotLat, gotLon));
                EXPECT_NEAR(gotLat, lat, 1e-8) << key << " " << lat << " " << lon;
                EXPECT_NEAR(gotLon, lon, 1e-8) << key << " " << lat << " " << lon;
            }
        }
    }
}

TEST(Geodesy, InverseReturnsTheInputWithinANanodegree) {
    for (int key : {kEllipsoidGrs1980, kEllipsoidBessel1841, 35}) {
        const Ellipsoid e = Selected(key);
        for (int zone : kZonesChecked) {
            const ZoneOriginCase& origin = kOrigins[zone - 1];
            for (double dLat : kLatitudeOffsets) {
                for (double dLon : kLongitudeOffsets) {
                    const double lat = origin.latitude + dLat, lon = origin.longitude + dLon;
                    double x, y, gotLat, gotLon;
                    ASSERT_TRUE(e.ZoneGeographicToPlane(x, y, zone, lat, lon));
                    ASSERT_TRUE(e.ZonePlaneToGeographic(x, y, zone, gotLat, gotLon));
                    EXPECT_NEAR(gotLat, lat, 1e-9) << key << " zone " << zone;
                    EXPECT_NEAR(gotLon, lon, 1e-9) << key << " zone " << zone;
                }
            }
        }
    }
}

TEST(Geodesy, EveryZoneOriginIsThePlaneOrigin) {
    for (int key : {kEllipsoidGrs1980, kEllipsoidBessel1841}) {
        const Ellipsoid e = Selected(key);
        for (const ZoneOriginCase& origin : kOrigins) {
            double x = NAN, y = NAN;
            ASSERT_TRUE(
                e.ZoneGeographicToPlane(x, y, origin.zone, origin.latitude, origin.longitude));
            EXPECT_EQ(x, 0.0) << origin.zone;
            EXPECT_EQ(y, 0.0) << origin.zone;
            double lat = NAN, lon = NAN;
            ASSERT_TRUE(e.ZonePlaneToGeographic(0.0, 0.0, origin.zone, lat, lon));
            EXPECT_NEAR(lat, origin.latitude, 1e-12) << origin.zone;
            EXPECT_NEAR(lon, origin.longitude, 1e-12) << origin.zone;
        }
    }
}

TEST(Geodesy, Zone9SouthWestOfTheOriginOnBothEllipsoids) {
    double x19, y19, x4, y4;
    ASSERT_TRUE(Selected(kEllipsoidGrs1980).ZoneGeographicToPlane(x19, y19, 9, 35.0, 139.0));
    ASSERT_TRUE(Selected(kEllipsoidBessel1841).ZoneGeographicToPlane(x4, y4, 9, 35.0, 139.0));
    EXPECT_LT(x19, -100000.0);
    EXPECT_LT(y19, -70000.0);
    EXPECT_LT(x4, -100000.0);
    EXPECT_LT(y4, -70000.0);
    const double apart = std::hypot(x19 - x4, y19 - y4);
    EXPECT_GT(apart, 1.0);
    EXPECT_LT(apart, 20.0);
}

TEST(Geodesy, EllipsoidSelection) {
    const Ellipsoid bessel;
    EXPECT_EQ(bessel.m_a, 6377397.155);
    EXPECT_EQ(bessel.m_inverseFlattening, 299.152813);
    const double f = 1.0 / 299.152813;
    EXPECT_NEAR(bessel.m_e2, f * (2 - f), 1e-17);
    EXPECT_NEAR(bessel.m_ep2, f * (2 - f) / ((1 - f) * (1 - f)), 1e-17);

    struct Case {
        int key;
        double a, inverseFlattening;
    };
    const Case cases[] = {
        {99, 6377397.155, 299.152813},  // no such row: Bessel 1841 stays
        {-1, 6377397.155, 299.152813},  // the end mark is no row
        {0, 6378137.0, 298.257222101},
        {4, 6377397.155, 299.152813},
        {19, 6378137.0, 298.257222101},
        {30, 6378137.0, 298.257223563},
        {8, 6378206.4, 6378206.4 / (6378206.4 - 6356583.8)},  // from the semi-minor axis
        {22, 6378388.0, 297.0},
    };
    for (const Case& c : cases) {
        Ellipsoid e;
        e.SelectEllipsoid(c.key);
        EXPECT_EQ(e.m_a, c.a) << c.key;
        EXPECT_DOUBLE_EQ(e.m_inverseFlattening, c.inverseFlattening) << c.key;
    }
    // Clarke 1866 by its axes: 1/f = 294.9786982 as published.
    EXPECT_NEAR(Selected(8).m_inverseFlattening, 294.9786982, 1e-6);
}

TEST(Geodesy, SpheresGiveFiniteConversions) {
    // The sphere rows have b = a; their flattening is 0 and must not turn into 0/0.
    for (int key : {35, 47, 48}) {
        const Ellipsoid e = Selected(key);
        EXPECT_TRUE(std::isinf(e.m_inverseFlattening)) << key;
        EXPECT_EQ(e.m_e2, 0.0);
        EXPECT_EQ(e.m_ep2, 0.0);
        EXPECT_EQ(e.m_arcA, 1.0);
        double x, y, lat, lon;
        ASSERT_TRUE(e.ZoneGeographicToPlane(x, y, 9, 35.0, 139.0));
        ASSERT_TRUE(std::isfinite(x) && std::isfinite(y)) << key;
        ASSERT_TRUE(e.ZonePlaneToGeographic(x, y, 9, lat, lon));
        EXPECT_NEAR(lat, 35.0, 1e-9);
        EXPECT_NEAR(lon, 139.0, 1e-9);
        double gx, gy, gz;
        e.GeographicToGeocentric(gx, gy, gz, 35.0, 139.0);
        EXPECT_NEAR(std::sqrt(gx * gx + gy * gy + gz * gz), e.m_a, 1e-6);
        e.GeocentricToGeographic(gx, gy, gz, lat, lon);
        EXPECT_NEAR(lat, 35.0, 1e-9);
        EXPECT_NEAR(lon, 139.0, 1e-9);
    }
}

TEST(Geodesy, DatumShiftTokyoToWorldMatchesProj) {
    const Ellipsoid bessel = Selected(kEllipsoidBessel1841);
    const Ellipsoid grs80 = Selected(kEllipsoidGrs1980);
    HelmertParams toTokyo, toWorld;
    toTokyo.ClearHelmert().LoadHelmertByEpsg(4301);
    toTokyo.InvertHelmert(toWorld);

    double lat = 35.0, lon = 139.0;
    toWorld.ShiftDatum(bessel, grs80, lat, lon);
    EXPECT_NEAR(lat, 35.003295043, 5e-10);
    EXPECT_NEAR(lon, 138.996857799, 5e-10);

    const Proj proj(std::string("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad"
                                " +step +proj=cart ") +
                    ProjEllipsoid(kEllipsoidBessel1841) +
                    " +step +proj=helmert +x=-146.414 +y=507.337 +z=680.507"
                    " +step +inv +proj=cart " +
                    ProjEllipsoid(kEllipsoidGrs1980) +
                    " +step +proj=unitconvert +xy_in=rad +xy_out=deg");
    ASSERT_TRUE(proj.Ok());
    for (double pLat : {24.3, 31.0, 35.0, 38.7, 45.5}) {
        for (double pLon : {123.0, 130.5, 139.0, 145.8}) {
            double gotLat = pLat, gotLon = pLon;
            toWorld.ShiftDatum(bessel, grs80, gotLat, gotLon);
            const PJ_COORD want = proj.Forward(pLon, pLat);
            EXPECT_NEAR(gotLat, want.xy.y, 1e-9) << pLat << " " << pLon;
            EXPECT_NEAR(gotLon, want.xy.x, 1e-9) << pLat << " " << pLon;
        }
    }
}

TEST(Geodesy, SevenParameterShiftMatchesProj) {
    // The second set has a scale and three rotations (position-vector convention).
    HelmertParams set;
    set.ClearHelmert().LoadHelmertByEpsg(4326);
    EXPECT_EQ(set.m_scale, -1.01);
    const Proj proj(
        "+proj=helmert +x=0.078 +y=-0.505 +z=-0.253 +s=-0.0101 +rx=0.0183 +ry=-0.0003 +rz=0.007"
        " +convention=position_vector");
    ASSERT_TRUE(proj.Ok());
    const double points[][3] = {{-3959785.0, 3352986.0, 3697870.0},
                                {-3500000.0, 4000000.0, 3400000.0},
                                {1000.0, -2000.0, 6356000.0}};
    for (const auto& p : points) {
        double x = p[0], y = p[1], z = p[2];
        set.ApplyHelmert(x, y, z);
        const PJ_COORD want = proj.Forward(p[0], p[1], p[2]);
        EXPECT_NEAR(x, want.xyz.x, 1e-6);
        EXPECT_NEAR(y, want.xyz.y, 1e-6);
        EXPECT_NEAR(z, want.xyz.z, 1e-6);
    }
}

TEST(Geodesy, ClearedAndInvertedShifts) {
    const Ellipsoid grs80 = Selected(kEllipsoidGrs1980);
    HelmertParams none;
    none.ClearHelmert();
    for (double lat : {-33.9, 0.0, 20.5, 35.0, 45.7, 80.0}) {
        double gotLat = lat, gotLon = 139.0;
        none.ShiftDatum(grs80, grs80, gotLat, gotLon);
        EXPECT_NEAR(gotLat, lat, 1e-9);
        EXPECT_NEAR(gotLon, 139.0, 1e-9);
    }

    HelmertParams shift, back;
    shift.ClearHelmert().LoadHelmertByEpsg(4301);
    EXPECT_EQ(&shift.InvertHelmert(back), &back);
    EXPECT_EQ(back.m_tx, -14641.4);
    double x = -3959785.123, y = 3352986.456, z = 3697870.789;
    shift.ApplyHelmert(x, y, z);
    EXPECT_NEAR(x, -3959785.123 + 146.414, 1e-8);
    back.ApplyHelmert(x, y, z);
    EXPECT_NEAR(x, -3959785.123, 1e-8);
    EXPECT_NEAR(y, 3352986.456, 1e-8);
    EXPECT_NEAR(z, 3697870.789, 1e-8);

    HelmertParams kept = shift;
    kept.LoadHelmertByEpsg(4612);  // not a known code: unchanged
    EXPECT_EQ(kept.m_tx, shift.m_tx);
    EXPECT_EQ(kept.m_tz, shift.m_tz);
}

TEST(Geodesy, IntegerPowers) {
    struct Case {
        double x;
        int n;
        double want;
    };
    const Case cases[] = {{2, -3, 0.125},    {7.5, 0, 1},     {0, 0, 1},
                          {-1.5, 3, -3.375}, {2, 10, 1024},   {-2, 4, 16},
                          {10, -2, 0.01},    {1, INT_MIN, 1}, {2, INT_MIN, 0}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(IntPower(c.x, c.n), c.want) << c.x << "^" << c.n;
        EXPECT_DOUBLE_EQ(PowerOf(c.x, c.n), c.want) << c.x << "^" << c.n;
    }
}

TEST(Geodesy, ZoneOutsideOneToNineteenIsRefusedWithAMessage) {
    const Ellipsoid e = Selected(kEllipsoidGrs1980);
    for (int zone : {0, -1, 20, 38, INT_MIN, INT_MAX}) {
        ClearRecordedMessages();
        double x = 7.0, y = 8.0, lat = 9.0, lon = 10.0;
        EXPECT_FALSE(e.ZoneGeographicToPlane(x, y, zone, 35.0, 139.0)) << zone;
        EXPECT_FALSE(e.ZonePlaneToGeographic(0.0, 0.0, zone, lat, lon)) << zone;
        EXPECT_FALSE(ZoneOrigin(zone, lat, lon)) << zone;
        EXPECT_EQ(x, 7.0);
        EXPECT_EQ(y, 8.0);
        EXPECT_EQ(lat, 9.0);
        EXPECT_EQ(lon, 10.0);
        ASSERT_EQ(RecordedMessages().size(), 3u) << zone;
        EXPECT_NE(RecordedMessages()[0].text.find("1 から 19"), std::string::npos);
        EXPECT_FALSE(IsPlaneZone(zone));
        EXPECT_EQ(ValidPlaneZone(zone), 0);
    }
    ClearRecordedMessages();
    for (int zone : {1, 9, 19}) {
        EXPECT_TRUE(IsPlaneZone(zone));
        EXPECT_EQ(ValidPlaneZone(zone), zone);
    }
}

TEST(Geodesy, GlobalsStartWithNoZoneOnTheWorldDatum) {
    EXPECT_EQ(g_planeZone, 0);
    EXPECT_EQ(g_useWorldDatum, 1);
}
