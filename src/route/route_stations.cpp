// Second half of the route computation: the stations with their names and cut lines,
// laid out section by section along the main points of the first half.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "platform/message_box.h"
#include "route/route_calc.h"
#include "route/route_calc_internal.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kOffsetTolerance = 1e-5;
constexpr double kSeriesTolerance = 1e-7;
// Beyond this many stations the interval is taken for a typing slip, not a request.
constexpr double kMostStations = 20000000.0;

// Places a station's centre and stakes for an added distance; false when it cannot.
using Geometry = std::function<bool(double c, StationRecord& st)>;

struct Layout {
    double interval = 0.0;
    double wl = 0.0;
    double wr = 0.0;
    double tol = 0.0;
    int32_t number = 0;  // N
    size_t stake = 0;    // plus-stake cursor
    std::vector<double> stakes;
    const char* prefix = "NO";
};

void StopMessage(const char* text) { ShowMessage(text, "", msg::kOk | msg::kIconError); }

// A free record at the end of the array, grown when the estimate falls short.
StationRecord* Append() {
    if (g_stationCount + 1 >= g_stationCapacity) {
        const int32_t wanted = g_stationCapacity + g_stationCapacity / 2 + 64;
        if (GrowStationBlock(wanted) != 0) {
            StopMessage("路線データ用のメモリが確保できませんでした。");
            return nullptr;
        }
        g_stationCapacity = wanted;
    }
    ++g_stationCount;
    StationRecord* st = &g_stations[g_stationCount];
    std::memset(st, 0, sizeof *st);
    return st;
}

StationRecord* Last() { return g_stationCount > 0 ? &g_stations[g_stationCount] : nullptr; }

bool CoincidesWithLast(double x, double y, double tol) {
    const StationRecord* last = Last();
    return last != nullptr && std::hypot(last->x - x, last->y - y) < tol;
}

void SetName(StationRecord& st, const std::string& name) {
    std::snprintf(st.name, sizeof st.name, "%s", name.c_str());
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string RawName(const IpPoint& ip) { return std::string(ip.name, strnlen(ip.name, 8)); }

std::string AddedDistanceName(double c) {
    const int k = static_cast<int>(std::trunc(c * 0.01));
    const int m = static_cast<int>(std::trunc(c - 100.0 * k));
    return Format("%d+%.2d", k, m);
}

// Stakes on the line perpendicular to the direction (dx, dy) of travel.
void PerpendicularStakes(StationRecord& st, double dx, double dy, const Layout& layout) {
    double x2 = 0.0, y2 = 0.0;
    st.leftX = st.x;
    st.leftY = st.y;
    st.rightX = st.x;
    st.rightY = st.y;
    OffsetSegment(st.x, st.y, st.x + dx, st.y + dy, layout.wl, kOffsetTolerance, &st.leftX,
                  &st.leftY, &x2, &y2);
    OffsetSegment(st.x, st.y, st.x + dx, st.y + dy, -layout.wr, kOffsetTolerance, &st.rightX,
                  &st.rightY, &x2, &y2);
}

// Stakes along the right-hand normal (nx, ny) of the direction of travel.
void NormalStakes(StationRecord& st, double nx, double ny, const Layout& layout) {
    st.leftX = st.x - layout.wl * nx;
    st.leftY = st.y - layout.wl * ny;
    st.rightX = st.x + layout.wr * nx;
    st.rightY = st.y + layout.wr * ny;
}

// Stakes through the circle centre; the centre lies right of travel on a right turn.
void RadialStakes(StationRecord& st, const IpPoint& ip, const Layout& layout) {
    double vx = ip.centerX - st.x, vy = ip.centerY - st.y;
    const double length = std::hypot(vx, vy);
    if (length < 1e-12) return;
    vx /= length;
    vy /= length;
    const double toRight = ip.turnSide == 1 ? 1.0 : -1.0;
    NormalStakes(st, toRight * vx, toRight * vy, layout);
}

// A main-point or IP station at the current number.
StationRecord* MakeMain(const Layout& layout, int32_t kind, const std::string& name, double added,
                        double x, double y) {
    StationRecord* st = Append();
    if (st == nullptr) return nullptr;
    st->kind = kind;
    st->number = layout.number;
    SetName(*st, name);
    st->addedDistance = added;
    st->x = x;
    st->y = y;
    return st;
}

bool MakeAt(int32_t kind, int32_t number, const std::string& name, double c, const Geometry& at) {
    StationRecord temp{};
    temp.kind = kind;
    temp.number = number;
    SetName(temp, name);
    temp.addedDistance = c;
    if (!at(c, temp)) return false;
    StationRecord* st = Append();
    if (st == nullptr) return false;
    *st = temp;
    return true;
}

// The plus stakes that come before candidate c in the section from s to e.
bool PlusStakesBefore(Layout& layout, double c, double s, double e, const Geometry& at) {
    while (layout.stake < layout.stakes.size()) {
        const double p = layout.stakes[layout.stake];
        if (std::fabs(p - c) < layout.tol) {
            ++layout.stake;
            return true;
        }
        if (p > c) return true;
        if (std::fabs(p - e) < layout.tol) {
            ++layout.stake;
            return true;
        }
        if (p > e) return true;
        ++layout.stake;
        if (p <= s) continue;
        const double offset = p - std::trunc(p / layout.interval) * layout.interval;
        if (!MakeAt(40, layout.number, Format("+%.3f", offset), p, at)) return false;
    }
    return true;
}

// Plus stakes and interval stations of one section; `beforeEnd` sees every candidate.
bool RunSection(Layout& layout, double s, double e, int32_t kind, const Geometry& at,
                const std::function<bool(double)>& beforeEnd = nullptr) {
    const double interval = layout.interval;
    double c = std::trunc(s / interval) * interval;
    if (c <= s) c += interval;
    for (;; c += interval) {
        if (!PlusStakesBefore(layout, c, s, e, at)) return false;
        if (beforeEnd && !beforeEnd(c)) return false;
        if (!(c < e) || c + interval <= c) break;
        ++layout.number;
        if (std::fabs(c - s) <= layout.tol) continue;
        const std::string name = g_stationNaming == 2
                                     ? AddedDistanceName(c)
                                     : Format("%s%d", layout.prefix, layout.number);
        if (!MakeAt(kind, layout.number, name, c, at)) return false;
    }
    return true;
}

Geometry Straight(double s, double sx, double sy, double dx, double dy, const Layout& layout) {
    return [=, &layout](double c, StationRecord& st) {
        const double t = std::fabs(c - s);
        st.x = sx + t * dx;
        st.y = sy + t * dy;
        PerpendicularStakes(st, dx, dy, layout);
        return true;
    };
}

struct Unit {
    double x = 0.0;
    double y = 0.0;
};

Unit UnitBetween(double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1, dy = y2 - y1;
    const double length = std::hypot(dx, dy);
    if (length <= 1e-12) return {dx * length, dy * length};
    return {dx / length, dy / length};
}

// Extra stations and the outer corner at an IP without curve.
bool AuxStations(Layout& layout, int32_t slot, const IpPoint& prev, const IpPoint& ip,
                 const IpPoint& next) {
    const double h = ip.curveLength / 2.0;
    if (!g_makeAuxStations || !(h > 0.0)) return true;
    const double interval = layout.interval;
    const double wlo = ip.turnSide == 1 ? layout.wl : 0.0;
    const double wro = ip.turnSide == 2 ? layout.wr : 0.0;
    const double w = wlo + wro;
    const Unit u1 = UnitBetween(prev.x, prev.y, ip.x, ip.y);
    const Unit u2 = UnitBetween(ip.x, ip.y, next.x, next.y);
    const double d = ip.addedDistance;
    const double e = d + h;
    const double s0 = e - (std::floor((e - d - 0.2 * interval) / interval) + 1e-8) * interval;

    StationRecord ipStation = g_stations[slot];
    const double corner = std::sqrt(w * w + h * h);
    const double bx = std::cos(ip.arcAngleRad), by = std::sin(ip.arcAngleRad);
    if (wlo > 0.0) {
        ipStation.leftX = ipStation.x - corner * bx;
        ipStation.leftY = ipStation.y - corner * by;
    }
    if (wro > 0.0) {
        ipStation.rightX = ipStation.x + corner * bx;
        ipStation.rightY = ipStation.y + corner * by;
    }
    if (!(s0 <= e)) {
        g_stations[slot] = ipStation;
        return true;
    }
    const std::string base(ipStation.name, strnlen(ipStation.name, sizeof ipStation.name));
    auto aux = [&](int32_t kind, int k, double s, const Unit& u, double sign) {
        StationRecord st = ipStation;
        st.kind = kind;
        st.number = layout.number;
        SetName(st, base + Format(sign > 0 ? "+%d" : "-%d", k));
        st.x = ip.x + sign * (s - d) * u.x;
        st.y = ip.y + sign * (s - d) * u.y;
        st.addedDistance = d + sign * (s - d);
        st.leftX = st.x + wlo * u.y;
        st.leftY = st.y - wlo * u.x;
        st.rightX = st.x - wro * u.y;
        st.rightY = st.y + wro * u.x;
        return st;
    };
    int k = 1;
    for (double s = s0; s <= e; s += interval, ++k) {
        const StationRecord st = aux(33, k, s, u1, 1.0);
        if (k == 1) {
            g_stations[slot] = st;
        } else {
            StationRecord* out = Append();
            if (out == nullptr) return false;
            *out = st;
        }
    }
    StationRecord* out = Append();
    if (out == nullptr) return false;
    *out = ipStation;
    k = 1;
    for (double s = s0; s <= e; s += interval, ++k) {
        out = Append();
        if (out == nullptr) return false;
        *out = aux(34, k, s, u2, -1.0);
    }
    return true;
}

// The cut lines of the straight stations next to a widened IP end on its cut line.
void ClipAtAngleIps() {
    for (int32_t j = 2; j < g_stationCount; ++j) {
        const StationRecord& ipSt = g_stations[j];
        if (ipSt.kind != 7) continue;
        const double vx = ipSt.rightX - ipSt.leftX, vy = ipSt.rightY - ipSt.leftY;
        const double lengthSq = vx * vx + vy * vy;
        if (lengthSq < 1e-12) continue;
        const double length = std::sqrt(lengthSq);
        const double ux = vx / length, uy = vy / length;
        for (int32_t k = 1; j - k >= 1 && j + k <= g_stationCount; ++k) {
            StationRecord& a = g_stations[j - k];
            StationRecord& b = g_stations[j + k];
            if (a.kind == 33 || a.kind == 34 || b.kind == 33 || b.kind == 34) continue;
            if (a.kind != 2 || b.kind != 2) break;
            for (StationRecord* st : {&a, &b}) {
                IntersectRouteSegments(ux, uy, ipSt.x, ipSt.y, st->x, st->y, st->leftX, st->leftY,
                                       &st->leftX, &st->leftY);
                IntersectRouteSegments(ux, uy, ipSt.x, ipSt.y, st->x, st->y, st->rightX, st->rightY,
                                       &st->rightX, &st->rightY);
            }
        }
    }
}

// The station capacity, and the corner allowance of the IPs without curve.
bool SizeStationBlock(const Layout& layout) {
    const int32_t n = std::min(g_ipPointCount, kMaxIpPoints);  // the table holds no more
    double t = 0.0;
    if (g_makeAuxStations && n >= 3) {
        for (int32_t i = 2; i < n; ++i) {
            IpPoint& ip = g_ipPoints[i];
            if (ip.curveType != kCurveNone) continue;
            const Unit u1 = UnitBetween(g_ipPoints[i - 1].x, g_ipPoints[i - 1].y, ip.x, ip.y);
            const Unit u2 = UnitBetween(ip.x, ip.y, g_ipPoints[i + 1].x, g_ipPoints[i + 1].y);
            const double s = std::hypot(u2.x - u1.x, u2.y - u1.y) / 2.0;
            const double c = std::sqrt(std::fmax(0.0, 1.0 - s * s));
            const double w = ip.turnSide == 1 ? layout.wl : ip.turnSide == 2 ? layout.wr : 0.0;
            ip.curveLength = c > 0.0 ? 2.0 * w * s / c : 0.0;
            t += ip.curveLength + layout.interval;
        }
    }
    const double end = g_ipPoints[n].addedDistance;
    const double intervals =
        std::trunc((std::fabs(end - g_bpAddedDistance + g_epForwardDistance + g_bpBackDistance) +
                    t + g_bpBackDistance) /
                   layout.interval);
    const double capacity = intervals + 1.0 + 4.0 * n + g_plusStakeCount + 30.0;
    g_stationCount = 0;
    if (!(capacity < kMostStations) || GrowStationBlock(static_cast<int32_t>(capacity)) != 0) {
        StopMessage("路線データ用のメモリが確保できませんでした。");
        return false;
    }
    g_stationCapacity = static_cast<int32_t>(capacity);
    return true;
}

bool ExtensionBeforeBp(Layout& layout) {
    const IpPoint& bp = g_ipPoints[1];
    const IpPoint& ip2 = g_ipPoints[2];
    const Unit u = UnitBetween(bp.x, bp.y, ip2.x, ip2.y);
    const double back = g_bpBackDistance;
    const double p0x = bp.x - back * u.x, p0y = bp.y - back * u.y;
    const double s0 = g_bpAddedDistance - back;
    StationRecord* st = MakeMain(layout, 0, "IP-1", s0, p0x, p0y);
    if (st == nullptr) return false;
    st->number = 0;
    PerpendicularStakes(*st, u.x, u.y, layout);
    const Geometry at = Straight(s0, p0x, p0y, u.x, u.y, layout);
    const double interval = layout.interval;
    for (double c = std::trunc(s0 / interval) * interval; c < g_bpAddedDistance - 1e-6;
         c += interval) {
        if (!PlusStakesBefore(layout, c, s0, g_bpAddedDistance, at)) return false;
        if (c <= s0 || std::fabs(c - Last()->addedDistance) <= layout.tol) continue;
        if (!MakeAt(22, 0, "NO-1", c, at)) return false;
        if (c + interval <= c) break;
    }
    int32_t number = g_firstStationNumber == 1 ? -1 : g_firstStationNumber - 1;
    for (int32_t k = g_stationCount; k >= 2; --k) {
        StationRecord& s = g_stations[k];
        if (s.kind != 22) continue;
        if (g_stationNaming == 2) {
            SetName(s, AddedDistanceName(s.addedDistance));
        } else {
            s.number = number--;
            SetName(s, Format("%s%d", layout.prefix, s.number));
        }
    }
    return true;
}
}  // namespace

bool CalcRouteStations() {
    const int32_t n = std::min(g_ipPointCount, kMaxIpPoints);  // the table holds no more
    Layout layout;
    layout.interval = g_stationInterval;
    layout.wl = g_leftCutWidth;
    layout.wr = g_rightCutWidth;
    layout.tol = g_routeTolerance;
    layout.number = g_firstStationNumber - 1;
    layout.prefix = g_stationNaming == 1 ? "STA" : "NO";
    // The cursor only moves forward: stakes out of order (a route file, say) would be
    // passed over, and a repeated one would make two stations.
    const int32_t stakeCount = std::clamp(g_plusStakeCount, 0, kMaxPlusStakes);
    layout.stakes.assign(g_plusStakes + 1, g_plusStakes + 1 + stakeCount);
    std::sort(layout.stakes.begin(), layout.stakes.end());
    layout.stakes.erase(std::unique(layout.stakes.begin(), layout.stakes.end()),
                        layout.stakes.end());
    const bool kaNaming = g_clothoidNaming == 1;
    const char* ka1Prefix = kaNaming ? "KA" : "BTC";
    const char* ke1Prefix = kaNaming ? "KE" : "BC";
    const char* ke2Prefix = kaNaming ? "KE" : "EC";
    const char* ka2Prefix = kaNaming ? "KA" : "ETC";
    const char* suffix1 = kaNaming ? "-1" : "";
    const char* suffix2 = kaNaming ? "-2" : "";

    if (!SizeStationBlock(layout)) return false;
    if (g_bpBackDistance > 0.0 && !ExtensionBeforeBp(layout)) return false;

    const IpPoint& bp = g_ipPoints[1];
    const Unit firstLeg = UnitBetween(bp.x, bp.y, g_ipPoints[2].x, g_ipPoints[2].y);
    StationRecord* bpSt = MakeMain(layout, 1, RawName(bp), g_bpAddedDistance, bp.x, bp.y);
    if (bpSt == nullptr) return false;
    bpSt->number = 0;
    PerpendicularStakes(*bpSt, firstLeg.x, firstLeg.y, layout);

    double startD = g_bpAddedDistance, startX = bp.x, startY = bp.y;
    const double tol = layout.tol;
    for (int32_t i = 2; i <= n; ++i) {
        const IpPoint& prev = g_ipPoints[i - 1];
        const IpPoint& ip = g_ipPoints[i];
        const int32_t type = ip.curveType;
        const Unit leg = UnitBetween(prev.x, prev.y, ip.x, ip.y);

        // The straight toward the IP.
        double e = ip.addedDistance;
        if (type == kCurveClothoid || type == kCurveEgg) e = ip.ka1Distance;
        if (type == kCurveCircle) e = ip.ke1Distance;
        {
            Unit dir = UnitBetween(startX, startY, ip.x, ip.y);
            if (std::hypot(ip.x - startX, ip.y - startY) <= 1e-12) dir = leg;
            if (!RunSection(layout, startD, e, 2,
                            Straight(startD, startX, startY, dir.x, dir.y, layout)))
                return false;
        }

        if (type == kCurveNone && i < n) {
            const std::string name = RawName(ip) + Format("%d", ip.number);
            StationRecord* st;
            if (CoincidesWithLast(ip.x, ip.y, tol)) {
                st = Last();
                *st = StationRecord{};
                st->kind = 7;
                st->number = layout.number;
                SetName(*st, name);
                st->addedDistance = ip.addedDistance;
                st->x = ip.x;
                st->y = ip.y;
            } else {
                st = MakeMain(layout, 7, name, ip.addedDistance, ip.x, ip.y);
                if (st == nullptr) return false;
            }
            const double bx = std::cos(ip.arcAngleRad), by = std::sin(ip.arcAngleRad);
            st->leftX = st->x - layout.wl * bx;
            st->leftY = st->y - layout.wl * by;
            st->rightX = st->x + layout.wr * bx;
            st->rightY = st->y + layout.wr * by;
            startD = ip.addedDistance;
            startX = ip.x;
            startY = ip.y;
            if (!AuxStations(layout, g_stationCount, prev, ip, g_ipPoints[i + 1])) return false;
            continue;
        }

        if (type == kCurveEp || i == n) {
            StationRecord* st;
            if (CoincidesWithLast(ip.x, ip.y, tol)) {
                st = Last();
                st->kind = st->kind == 10 ? 19 : st->kind == 8 ? 20 : 11;
            } else {
                st = MakeMain(layout, 11, RawName(ip), ip.addedDistance, ip.x, ip.y);
                if (st == nullptr) return false;
                PerpendicularStakes(*st, leg.x, leg.y, layout);
            }
            if (g_epForwardDistance > 0.0) {
                const double s = ip.addedDistance;
                const double end = s + g_epForwardDistance;
                if (!RunSection(layout, s, end, 2, Straight(s, ip.x, ip.y, leg.x, leg.y, layout)))
                    return false;
                if (std::fabs(end - Last()->addedDistance) >= tol) {
                    StationRecord* pls =
                        MakeMain(layout, 12, "PLS", end, ip.x + g_epForwardDistance * leg.x,
                                 ip.y + g_epForwardDistance * leg.y);
                    if (pls == nullptr) return false;
                    PerpendicularStakes(*pls, leg.x, leg.y, layout);
                }
            }
            break;
        }

        const IpPoint& next = g_ipPoints[i + 1];
        const Unit out = UnitBetween(ip.x, ip.y, next.x, next.y);
        const double inside = ip.turnSide == 1 ? 1.0 : -1.0;
        const double n1x = -leg.y * inside, n1y = leg.x * inside;
        const double n2x = -out.y * inside, n2y = out.x * inside;
        const double theta0 = RouteAzimuth(prev.x, prev.y, ip.x, ip.y);
        const double thetaOut = RouteAzimuth(ip.x, ip.y, next.x, next.y);
        const double turn = ip.turnSide == 1 ? 1.0 : -1.0;
        const double r = ip.radius;
        auto arc = [&](double ke1Distance, double tau1) -> Geometry {
            return [&, ke1Distance, tau1](double c, StationRecord& st) {
                const double delta = std::fabs(c - ke1Distance) / (2.0 * r);
                const double azimuth = theta0 + turn * (tau1 + delta);
                const double chord = 2.0 * r * std::sin(delta);
                st.x = ip.ke1X + chord * std::cos(azimuth);
                st.y = ip.ke1Y + chord * std::sin(azimuth);
                RadialStakes(st, ip, layout);
                return true;
            };
        };
        auto promote = [](int32_t kind, int32_t fromBp, int32_t fromKa2, int32_t fromEc,
                          int32_t otherwise) {
            return kind == 1 ? fromBp : kind == 10 ? fromKa2 : kind == 8 ? fromEc : otherwise;
        };

        if (type == kCurveClothoid) {
            const double a1 = ip.a1 < 0.001 ? 0.001 : ip.a1;
            const double a2 = ip.a2 < 0.001 ? 0.001 : ip.a2;
            const double l2 = ip.clothoid2.length;
            // KA1
            if (CoincidesWithLast(ip.ka1X, ip.ka1Y, tol)) {
                StationRecord* st = Last();
                st->kind = promote(st->kind, 13, 14, 15, 3);
                PerpendicularStakes(*st, leg.x, leg.y, layout);
            } else {
                StationRecord* st =
                    MakeMain(layout, 3, Format("%s%d%s", ka1Prefix, ip.number, suffix1),
                             ip.ka1Distance, ip.ka1X, ip.ka1Y);
                if (st == nullptr) return false;
                PerpendicularStakes(*st, leg.x, leg.y, layout);
            }
            const Geometry entry = [&](double c, StationRecord& st) {
                const double l = std::fabs(c - ip.ka1Distance);
                const double tau = l * l / (2.0 * a1 * a1);
                double x = 0.0, y = 0.0;
                if (CalcUnitClothoid(tau, kSeriesTolerance, &x, &y) != 0) {
                    StopMessage("第１クロソイド区間の座標計算ができませんでした。");
                    return false;
                }
                x = std::fabs(a1 * x);
                y = std::fabs(a1 * y);
                st.x = ip.ka1X + x * leg.x + y * n1x;
                st.y = ip.ka1Y + x * leg.y + y * n1y;
                const double normal = theta0 + turn * tau + kPi / 2.0;
                NormalStakes(st, std::cos(normal), std::sin(normal), layout);
                return true;
            };
            if (!RunSection(layout, ip.ka1Distance, ip.ke1Distance, 4, entry)) return false;
            // KE1
            if (CoincidesWithLast(ip.ke1X, ip.ke1Y, tol)) {
                StationRecord* st = Last();
                st->kind = promote(st->kind, 16, 17, 18, 5);
            } else {
                StationRecord* st =
                    MakeMain(layout, 5, Format("%s%d%s", ke1Prefix, ip.number, suffix1),
                             ip.ke1Distance, ip.ke1X, ip.ke1Y);
                if (st == nullptr) return false;
                RadialStakes(*st, ip, layout);
            }
            if (!RunSection(layout, ip.ke1Distance, ip.ke2Distance, 6,
                            arc(ip.ke1Distance, ip.clothoid1.tauRad)))
                return false;
            // KE2
            const int32_t ke2Kind = ip.a2 > 0.0 ? 21 : 8;
            if (CoincidesWithLast(ip.ke2X, ip.ke2Y, tol)) {
                Last()->kind = ke2Kind;
            } else {
                StationRecord* st =
                    MakeMain(layout, ke2Kind, Format("%s%d%s", ke2Prefix, ip.number, suffix2),
                             ip.ke2Distance, ip.ke2X, ip.ke2Y);
                if (st == nullptr) return false;
                RadialStakes(*st, ip, layout);
            }
            const Geometry exit = [&](double c, StationRecord& st) {
                const double l = l2 - std::fabs(c - ip.ke2Distance);
                const double tau = l * l / (2.0 * a2 * a2);
                double x = 0.0, y = 0.0;
                if (CalcUnitClothoid(tau, kSeriesTolerance, &x, &y) != 0) {
                    StopMessage("第２クロソイド区間の座標計算ができませんでした。");
                    return false;
                }
                x = std::fabs(a2 * x);
                y = std::fabs(a2 * y);
                st.x = ip.ka2X - x * out.x + y * n2x;
                st.y = ip.ka2Y - x * out.y + y * n2y;
                const double normal = thetaOut - turn * tau + kPi / 2.0;
                NormalStakes(st, std::cos(normal), std::sin(normal), layout);
                return true;
            };
            if (!RunSection(layout, ip.ke2Distance, ip.ka2Distance, 9, exit)) return false;
            // KA2
            if (!CoincidesWithLast(ip.ka2X, ip.ka2Y, tol)) {
                StationRecord* st =
                    MakeMain(layout, 10, Format("%s%d%s", ka2Prefix, ip.number, suffix2),
                             ip.ka2Distance, ip.ka2X, ip.ka2Y);
                if (st == nullptr) return false;
                double tx = next.x, ty = next.y;
                if (std::fabs(ip.ka2X - next.x) <= 0.001 && std::fabs(ip.ka2Y - next.y) <= 0.001) {
                    tx += out.x;
                    ty += out.y;
                }
                const Unit dir = UnitBetween(ip.ka2X, ip.ka2Y, tx, ty);
                PerpendicularStakes(*st, dir.x, dir.y, layout);
            }
            startD = ip.ka2Distance;
            startX = ip.ka2X;
            startY = ip.ka2Y;
        } else if (type == kCurveEgg) {
            const double a1 = ip.a1 < 0.001 ? 0.001 : ip.a1;
            const double lr = ip.clothoid1.length;
            const bool shrinking = ip.radius > ip.radius2;
            const double sgn = ip.turnSide == 2 ? -1.0 : 1.0;
            const double phi = ip.arcAngleRad;
            const double s = ip.ka1Distance;
            std::function<bool(double, double*, double*, double*, double*)> place =
                [&](double c, double* px, double* py, double* tx, double* ty) {
                    const double l = shrinking ? lr + std::fabs(c - s) : lr - std::fabs(c - s);
                    const double tau = l * l / (2.0 * a1 * a1);
                    double x = 0.0, y = 0.0;
                    if (CalcUnitClothoid(tau, kSeriesTolerance, &x, &y) != 0) {
                        StopMessage("卵形区間の単位クロソイド計算ができませんでした。");
                        return false;
                    }
                    ClothoidElements el{};
                    double normal = 0.0;
                    if (CalcClothoidElements(tau, a1 * x, a1 * y, a1 * a1 / l, &el, &normal) != 0) {
                        StopMessage("卵形区間のクロソイド諸要素計算ができませんでした。");
                        return false;
                    }
                    const double k = shrinking ? 1.0 : -1.0;
                    const double ang =
                        shrinking ? phi + sgn * el.sigmaRad : phi - sgn * el.sigmaRad;
                    *px = ip.centerX + k * el.chord * std::cos(ang);
                    *py = ip.centerY + k * el.chord * std::sin(ang);
                    *tx = ip.centerX + k * normal * std::cos(phi);
                    *ty = ip.centerY + k * normal * std::sin(phi);
                    return true;
                };
            const Geometry egg = [&](double c, StationRecord& st) {
                double px, py, tx, ty;
                if (!place(c, &px, &py, &tx, &ty)) return false;
                st.x = px;
                st.y = py;
                double ux = px - tx, uy = py - ty;
                double length = std::hypot(ux, uy);
                if (length < 0.001) length = 1.0;
                ux /= length;
                uy /= length;
                // Left and right as everywhere else: of the direction of travel, taken
                // from a point a little further along.
                double qx, qy, dummyX, dummyY;
                if (!place(c + 1e-3, &qx, &qy, &dummyX, &dummyY)) return false;
                const double rightX = -(qy - py), rightY = qx - px;
                const double toRight = ux * rightX + uy * rightY >= 0.0 ? 1.0 : -1.0;
                NormalStakes(st, toRight * ux, toRight * uy, layout);
                return true;
            };
            if (!RunSection(layout, s, ip.ka2Distance, 40, egg)) return false;
            startD = ip.ka2Distance;
            startX = ip.ka2X;
            startY = ip.ka2Y;
        } else if (type == kCurveCircle) {
            if (CoincidesWithLast(ip.ke1X, ip.ke1Y, tol)) {
                StationRecord* st = Last();
                st->kind = promote(st->kind, 16, 17, 18, 5);
            } else {
                StationRecord* st = MakeMain(layout, 5, Format("BC%d", ip.number), ip.ke1Distance,
                                             ip.ke1X, ip.ke1Y);
                if (st == nullptr) return false;
                RadialStakes(*st, ip, layout);
            }
            const Geometry onArc = arc(ip.ke1Distance, 0.0);
            bool spDone = !g_outputSingleCurveSp;
            const auto sp = [&](double c) {
                if (spDone || c < ip.spDistance) return true;
                spDone = true;
                return MakeAt(40, layout.number, Format("SP%d", ip.number), ip.spDistance, onArc);
            };
            if (!RunSection(layout, ip.ke1Distance, ip.ke2Distance, 6, onArc, sp)) return false;
            StationRecord* st =
                MakeMain(layout, 8, Format("EC%d", ip.number), ip.ke2Distance, ip.ke2X, ip.ke2Y);
            if (st == nullptr) return false;
            RadialStakes(*st, ip, layout);
            startD = ip.ke2Distance;
            startX = ip.ke2X;
            startY = ip.ke2Y;
        }
    }

    if (g_makeAuxStations && g_stationCount > 2) ClipAtAngleIps();
    return true;
}

void CalcRoute() {
    if (!CalcRouteCurves()) return;
    CalcRouteStations();
}
