#include "volume/mesh_sections.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "model/terrain_data.h"
#include "platform/text_io.h"
#include "route/route_calc.h"
#include "route/route_data.h"
#include "section/section_calc.h"
#include "section/section_defaults.h"
#include "volume/mesh_data.h"
#include "volume/mesh_from_tin.h"

namespace {
constexpr int32_t kPlusStakeKind = 40;

void SetIp(int32_t i, const char* name, double x, double y) {
    IpPoint& ip = g_ipPoints[i];
    std::memset(&ip, 0, sizeof ip);
    std::snprintf(ip.name, sizeof ip.name, "%s", name);
    ip.number = 0;
    ip.x = x;
    ip.y = y;
}

double WholePitches(double extent, double pitch) {
    return pitch > 0 ? std::floor(extent / pitch) * pitch : 0;
}

void SetStationName(StationRecord& s, const std::string& name) {
    std::snprintf(s.name, sizeof s.name, "%s", name.c_str());
}
}  // namespace

std::string MeshStationName(int32_t a, int32_t b) {
    return MeshLineName(a, g_meshStationNameStyleV) + "-" + MeshLineName(b, g_meshStationNameStyleH);
}

bool LayMeshSectionRoute(int32_t direction) {
    const double length = WholePitches(g_meshLength, g_meshPitchLength);
    const double width = WholePitches(g_meshWidth, g_meshPitchWidth);
    const double t = g_meshRotation * kMeshDegreesToRadians;
    const double x0 = g_meshOriginX, y0 = g_meshOriginY;
    SetIp(1, "BP", x0, y0);
    if (direction == 0) {
        SetIp(2, "EP", x0 + width * std::sin(t), y0 + width * std::cos(t));
        g_stationInterval = g_meshPitchWidth;
        g_crossSectionInterval = g_meshPitchLength;
        g_leftCutWidth = length;
        g_rightCutWidth = 0;
    } else {
        SetIp(2, "EP", x0 + length * std::cos(t), y0 - length * std::sin(t));
        g_stationInterval = g_meshPitchLength;
        g_crossSectionInterval = g_meshPitchWidth;
        g_leftCutWidth = 0;
        g_rightCutWidth = width;
    }
    g_ipPointCount = 2;
    g_bpAddedDistance = 0;
    g_firstStationNumber = 1;
    g_stationNaming = 0;
    g_clothoidNaming = 0;
    g_calcLongCrossings = 0;
    g_bpBackDistance = 0;
    g_epForwardDistance = 0;
    CalcRoute();
    if (g_stationCount <= 0 || !g_stations) return false;

    int32_t k = 0;
    double lastDistance = 0;
    std::string lastA = MeshLineName(1, g_meshStationNameStyleV);
    std::string lastB = MeshLineName(1, g_meshStationNameStyleH);
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        StationRecord& s = g_stations[i];
        if (s.kind == kPlusStakeKind) {
            SetStationName(s, FormatString("%s-%s+%.3f", lastA.c_str(), lastB.c_str(),
                                           std::fabs(s.addedDistance - lastDistance)));
            continue;
        }
        ++k;
        const int32_t a = direction == 0 ? 1 : k, b = direction == 0 ? k : 1;
        lastA = MeshLineName(a, g_meshStationNameStyleV);
        lastB = MeshLineName(b, g_meshStationNameStyleH);
        lastDistance = s.addedDistance;
        SetStationName(s, lastA + "-" + lastB);
    }
    return true;
}

void CollectMeshPlusStakePoints(int32_t direction) {
    g_meshSectionPointCount = 0;
    if (g_plusStakeCount <= 0 || !g_stations) return;
    const double pitch = direction == 0 ? g_meshPitchLength : g_meshPitchWidth;
    const double extent = direction == 0 ? g_meshLength : g_meshWidth;
    if (!(pitch > 0)) return;
    const double nD = std::floor(extent / pitch);
    if (!(nD >= 1) || 2.0 * g_plusStakeCount * nD > 1e8) return;
    const int32_t n = static_cast<int32_t>(nD);
    if (GrowMeshSectionBlock(2 * g_plusStakeCount * n + 1) != 0) return;
    const int32_t capacity = g_meshSectionBlock.Size() - 1;
    int32_t k = 0;
    double lastDistance = 0;
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const StationRecord& s = g_stations[i];
        if (s.kind != kPlusStakeKind) {
            ++k;
            lastDistance = s.addedDistance;
            continue;
        }
        double dx = (direction == 0 ? s.leftX : s.rightX) - s.x;
        double dy = (direction == 0 ? s.leftY : s.rightY) - s.y;
        double d = std::hypot(dx, dy);
        if (d < 0.001) d = 1;
        for (int32_t m = 1; m <= n && g_meshSectionPointCount < capacity; ++m) {
            const double x = s.x + m * pitch * dx / d, y = s.y + m * pitch * dy / d;
            double z = 0;
            if (FindTinElevation(x, y, &z) == 0) continue;
            MeshNode& p = g_meshSectionBlock.Data()[++g_meshSectionPointCount];
            p = MeshNode{};
            p.x = x;
            p.y = y;
            p.z = z;
            p.planZ = std::fabs(s.addedDistance - lastDistance);
            p.column = direction == 0 ? m + 1 : k;
            p.row = direction == 0 ? k : m + 1;
            p.valid = 1;
        }
    }
}

int32_t CalcMeshSections(int32_t source, int32_t nodeOption, int32_t direction) {
    if (!LayMeshSectionRoute(direction)) return kSectionCalcNotStarted;
    if (g_plusStakeCount > 0 && source == kMeshSectionsFromTin) CollectMeshPlusStakePoints(direction);
    const int32_t answer = source == kMeshSectionsFromContours ? CalcSectionsFromContours(nodeOption)
                                                               : CalcSectionsFromTin(nodeOption);
    if (!g_meshSectionBlock.Empty()) GrowMeshSectionBlock(0);
    g_meshSectionPointCount = 0;
    return answer;
}

