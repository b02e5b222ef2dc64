#pragma once
// A small computed route for the route-file tests: BP, a clothoid IP, a circle IP, an IP
// without curve and EP, three plus stakes and a station with a 15-character name.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "route/route_calc.h"
#include "route/route_data.h"
#include "section/section_defaults.h"

namespace route_fixture {
constexpr double kPi = 3.14159265358979323846;
constexpr const char* kLongStationName = "ABCDEFGHIJKLMNO";

inline void SetIp(int32_t i, const char* name, int32_t number, double x, double y,
                  double radius = 0, double a1 = 0, double a2 = 0) {
    IpPoint& ip = g_ipPoints[i];
    std::memset(&ip, 0, sizeof ip);
    std::snprintf(ip.name, sizeof ip.name, "%s", name);
    ip.number = number;
    ip.x = x;
    ip.y = y;
    ip.radius = radius;
    ip.a1 = a1;
    ip.a2 = a2;
}

// The point `length` from (x, y) along the azimuth (degrees clockwise from north).
inline void Along(double x, double y, double azimuthDeg, double length, double* ox, double* oy) {
    *ox = x + length * std::cos(azimuthDeg * kPi / 180.0);
    *oy = y + length * std::sin(azimuthDeg * kPi / 180.0);
}

// North 300 m to a clothoid IP turning 60 degrees right (R 200, A 100), 300 m to a circle
// IP turning 45 degrees left (R 100), 300 m to an IP turning 10 degrees right without
// curve, 200 m to EP. Computed at 20 m with the stakes 130.25, 45.5 and 610.
inline void MakeComputedRoute() {
    g_stationInterval = 20.0;
    g_crossSectionInterval = 5.0;
    g_leftCutWidth = 12.5;
    g_rightCutWidth = 15.0;
    g_bpAddedDistance = 100.0;
    g_firstStationNumber = 5;
    g_stationNaming = 0;
    g_clothoidNaming = 1;
    g_epForwardDistance = 20.0;
    g_bpBackDistance = 10.0;
    double x = 0, y = 0;
    SetIp(1, "BP", 0, x, y);
    x = 300;
    SetIp(2, "IP", 1, x, y, 200, 100, 100);
    Along(x, y, 60, 300, &x, &y);
    SetIp(3, "IP", 2, x, y, 100);
    Along(x, y, 15, 300, &x, &y);
    SetIp(4, "IP", 3, x, y);
    Along(x, y, 25, 200, &x, &y);
    SetIp(5, "EP", 0, x, y);
    g_ipPointCount = 5;
    g_plusStakes[1] = 130.25;
    g_plusStakes[2] = 45.5;
    g_plusStakes[3] = 610.0;
    g_plusStakeCount = 3;
    CalcRoute();
    // A hand-named station with the longest name the files keep.
    std::snprintf(g_stations[3].name, sizeof g_stations[3].name, "%s", kLongStationName);
}
}  // namespace route_fixture
