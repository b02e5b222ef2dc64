// First half of the route computation: checks, curve types, curve elements and main
// points of every IP.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "model/geometry.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "route/route_calc.h"
#include "route/route_calc_internal.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kShortestLeg = 0.001;
constexpr double kSmallestA = 0.001;
constexpr double kSideTolerance = 1e-5;
constexpr double kAngleTolerance = 1e-6;
constexpr double kSeriesTolerance = 1e-7;

double ToDms(double radians) { return ConvertDegreesDms(radians * 180.0 / kPi, 1); }

// "%s%d～%s%d" texts name two IPs, the earlier first.
std::string TwoIpMessage(const char* format, const IpPoint& a, const IpPoint& b) {
    const std::string nameA = IpNameUtf8(a);
    const std::string nameB = IpNameUtf8(b);
    std::string text(nameA.size() + nameB.size() + std::strlen(format) + 32, '\0');
    const int n = std::snprintf(text.data(), text.size(), format, nameA.c_str(), a.number,
                                nameB.c_str(), b.number);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

void Info(const std::string& text) { ShowMessage(text, "", msg::kOk | msg::kIconInformation); }

// Clothoid of parameter a ending on a circle of radius r.
bool ClothoidAt(double a, double r, ClothoidElements* out) {
    const double tau = a * a / (2.0 * r * r);
    double ux = 0.0, uy = 0.0;
    CalcUnitClothoid(tau, kSeriesTolerance, &ux, &uy);
    double normal = 0.0;
    if (CalcClothoidElements(tau, a * ux, a * uy, r, out, &normal) != 0) return false;
    out->length = a * a / r;
    return true;
}

// Wrapped angular distance in [0, pi].
double AngleGap(double a, double b) {
    double d = std::fmod(std::fabs(a - b), 2.0 * kPi);
    return d > kPi ? 2.0 * kPi - d : d;
}

void SetMainPointsTo(IpPoint& ip, double distance) {
    ip.ka1Distance = ip.ke1Distance = ip.spDistance = ip.ke2Distance = ip.ka2Distance = distance;
}

void SetMainCoordinatesTo(IpPoint& ip) {
    ip.ka1X = ip.ke1X = ip.ke2X = ip.ka2X = ip.x;
    ip.ka1Y = ip.ke1Y = ip.ke2Y = ip.ka2Y = ip.y;
}
}  // namespace

std::string IpNameUtf8(const IpPoint& ip) {
    return Cp932ToUtf8(std::string_view(ip.name, strnlen(ip.name, sizeof ip.name)));
}

double RouteAzimuth(double x1, double y1, double x2, double y2) {
    return std::atan2(y2 - y1, x2 - x1);
}

int CalcUnitClothoid(double tau, double tol, double* x, double* y) {
    const double s = std::sqrt(2.0 * tau);
    double b = 1.0;
    double c = 1.0 / 3.0;
    double power = 1.0;      // tau^i
    double factorial = 1.0;  // i!
    for (int a = 1; a < 200; ++a) {
        const int i = 2 * a;
        power *= tau * tau;
        factorial *= static_cast<double>(i - 1) * i;
        const double sign = (a % 2 == 0) ? 1.0 : -1.0;
        const double termB = sign * power / ((4.0 * a + 1.0) * factorial);
        if (std::fabs(s * termB) <= tol || !std::isfinite(termB)) break;
        b += termB;
        c += sign * power / ((4.0 * a + 3.0) * factorial * (i + 1));
    }
    *x = s * b;
    *y = tau * s * c;
    return 0;
}

int CalcClothoidElements(double tau, double x, double y, double r, ClothoidElements* out,
                         double* normalDistance) {
    if (tau == 0.0) return -1;
    const double sinTau = std::sin(tau);
    const double cosTau = std::cos(tau);
    out->shift = r * cosTau + y - r;
    out->xm = x - r * sinTau;
    out->x = x;
    out->y = y;
    out->shortTangent = y / sinTau;
    out->longTangent = x - y * cosTau / sinTau;
    out->sigmaRad = std::atan(y / x);
    out->sigma = ToDms(out->sigmaRad);
    out->chord = y / std::sin(out->sigmaRad);
    out->tauRad = tau;
    out->tau = ToDms(tau);
    *normalDistance = (r + out->shift) * sinTau / cosTau + out->xm;
    return 0;
}

void IntersectRouteSegments(double dirA, double dirB, double pA, double pB, double sA1, double sB1,
                            double sA2, double sB2, double* outA, double* outB) {
    const double lengthSq = (sA2 - sA1) * (sA2 - sA1) + (sB2 - sB1) * (sB2 - sB1);
    if (lengthSq < 1e-8) return;
    const double t = dirA * (sB1 - pB) - dirB * (sA1 - pA);
    const double u = dirA * (sB2 - pB) - dirB * (sA2 - pA);
    if (t * u > 0.0) return;
    if (std::fabs(u) < 1e-6) return;
    const double k = std::fabs(t) / (std::fabs(t) + std::fabs(u));
    *outA = sA1 + k * (sA2 - sA1);
    *outB = sB1 + k * (sB2 - sB1);
}

bool CalcRouteCurves() {
    const int32_t n = std::min(g_ipPointCount, kMaxIpPoints);  // the table holds no more
    if (n < 2) {
        Info("ＩＰ点が１点以下では計算できませんよ。");
        return false;
    }
    if (!(g_stationInterval > 0.0)) {
        Info("縦断測点間隔が入力されていません。");
        return false;
    }
    g_stationCount = 0;

    IpPoint& bp = g_ipPoints[1];
    IpPoint& ep = g_ipPoints[n];
    bp.curveType = kCurveBp;
    bp.addedDistance = g_bpAddedDistance;
    SetMainPointsTo(bp, g_bpAddedDistance);
    SetMainCoordinatesTo(bp);
    ep.curveType = kCurveEp;
    SetMainCoordinatesTo(ep);

    if (n == 2) {
        ep.legLength = std::hypot(ep.x - bp.x, ep.y - bp.y);
        ep.addedDistance = ep.legLength + bp.addedDistance;
        SetMainPointsTo(ep, ep.legLength);
        return true;
    }

    const double tol = g_routeTolerance;
    double lastX = bp.x, lastY = bp.y, lastD = g_bpAddedDistance;
    for (int32_t i = 2; i < n; ++i) {
        IpPoint& prev = g_ipPoints[i - 1];
        IpPoint& ip = g_ipPoints[i];
        const IpPoint& next = g_ipPoints[i + 1];
        const double d1 = std::hypot(ip.x - prev.x, ip.y - prev.y);
        const double d2 = std::hypot(next.x - ip.x, next.y - ip.y);
        if (d1 < kShortestLeg || d2 < kShortestLeg) {
            const bool first = d1 < kShortestLeg;
            g_stationCount = 0;
            Info(TwoIpMessage("%s%d～%s%d間の路線区間長が短すぎます。", first ? prev : ip,
                              first ? ip : next));
            return false;
        }

        int32_t type;
        if (ip.radius > 0.0) {
            if (ip.a1 > 0.0 || ip.a2 > 0.0)
                type = ip.radius2 > 0.0 ? kCurveEgg : kCurveClothoid;
            else
                type = kCurveCircle;
        } else {
            if (ip.a1 > 0.0 || ip.a2 > 0.0) {
                Info(
                    "半径の入力されていない点にクロソイドパラメータが入力されています。\n"
                    "パラメータをクリアーして計算します。");
                ip.a1 = ip.a2 = 0.0;
            }
            type = kCurveNone;
        }
        int side = 0;
        PointSideOfLine(prev.x, prev.y, ip.x, ip.y, next.x, next.y, kSideTolerance, &side);
        if (side == 0 && (type == kCurveClothoid || type == kCurveCircle)) {
            Info(
                "直線上のＩＰ点に曲線データが入力されています。\n"
                "各データをクリアーして計算します。");
            ip.radius = ip.a1 = ip.a2 = 0.0;
            type = kCurveNone;
        }
        ip.curveType = type;
        ip.turnSide = side;
        ip.legLength = d1;
        ip.addedDistance = lastD + std::hypot(ip.x - lastX, ip.y - lastY);

        double signedAngle = 0.0, fullAngle = 0.0;
        AngleAtVertex(prev.x, prev.y, ip.x, ip.y, next.x, next.y, kAngleTolerance, &signedAngle,
                      &fullAngle);
        const double iaDeg = 180.0 - std::fabs(signedAngle);
        ip.ia = ConvertDegreesDms(iaDeg, 1);
        ip.iaRad = iaDeg * kPi / 180.0;
        const double ia = ip.iaRad;

        // Leg directions and the unit normal toward the inside of the bend.
        const double u1x = (ip.x - prev.x) / d1, u1y = (ip.y - prev.y) / d1;
        const double u2x = (next.x - ip.x) / d2, u2y = (next.y - ip.y) / d2;
        const double inside = side == 1 ? 1.0 : -1.0;  // right-hand normal is (-uy, ux)
        const double n1x = -u1y * inside, n1y = u1x * inside;
        const double n2x = -u2y * inside, n2y = u2x * inside;

        // The tangent that the previous curve already uses of the incoming leg.
        double prevTangent = -1.0;
        if (prev.curveType == kCurveCircle && i > 2) prevTangent = prev.arcTangentLength;
        if (prev.curveType == kCurveClothoid && i > 2) prevTangent = prev.clothoid2.tangentToIp;
        auto checkTangents = [&](double t1, double t2) {
            if (t1 > d1 + tol)
                Info(TwoIpMessage("%s%d～%s%d間の接線長が路線区間より長くなります。", prev, ip));
            if (t2 > d2 + tol)
                Info(TwoIpMessage("%s%d～%s%d間の接線長が路線区間より長くなります。", ip, next));
            if (prevTangent >= 0.0 && prevTangent + t1 > d1 + tol)
                Info(TwoIpMessage("%s%d～%s%d間の曲線が重なります。", prev, ip));
        };

        if (type == kCurveNone) {
            ip.arcAngleRad = RouteAzimuth(prev.x, prev.y, ip.x, ip.y) + fullAngle * kPi / 360.0;
            lastX = ip.x;
            lastY = ip.y;
            lastD = ip.addedDistance;
        } else if (type == kCurveCircle) {
            const double r = ip.radius;
            const double lc = ia * r;
            const double tl = r * std::tan(ia / 2.0);
            ip.arcLength = lc;
            ip.curveLength = lc;
            ip.arcTangentLength = tl;
            ip.arcSecant = r * (1.0 / std::cos(ia / 2.0) - 1.0);
            checkTangents(tl, tl);
            ip.ke1X = prev.x + (d1 - tl) / d1 * (ip.x - prev.x);
            ip.ke1Y = prev.y + (d1 - tl) / d1 * (ip.y - prev.y);
            ip.ke1Distance = lastD + std::hypot(ip.ke1X - lastX, ip.ke1Y - lastY);
            ip.spDistance = ip.ke1Distance + lc / 2.0;
            ip.ke2X = ip.x + tl / d2 * (next.x - ip.x);
            ip.ke2Y = ip.y + tl / d2 * (next.y - ip.y);
            ip.ke2Distance = ip.ke1Distance + lc;
            double cx = ip.ke1X, cy = ip.ke1Y, ox = 0.0, oy = 0.0;
            OffsetSegment(ip.ke1X, ip.ke1Y, ip.x, ip.y, side == 1 ? -r : r, kSideTolerance, &cx,
                          &cy, &ox, &oy);
            ip.centerX = cx;
            ip.centerY = cy;
            lastX = ip.ke2X;
            lastY = ip.ke2Y;
            lastD = ip.ke2Distance;
        } else if (type == kCurveClothoid) {
            const double r = ip.radius;
            const double a1 = ip.a1 < kSmallestA ? kSmallestA : ip.a1;
            const double a2 = ip.a2 < kSmallestA ? kSmallestA : ip.a2;
            ClothoidElements c1{}, c2{};
            if (!ClothoidAt(a1, r, &c1)) {
                ShowMessage("ＢＣ側の単位クロソイド計算ができませんでした。", "",
                            msg::kOk | msg::kIconError);
                g_stationCount = 0;
                return false;
            }
            if (!ClothoidAt(a2, r, &c2)) {
                ShowMessage("ＥＣ側の単位クロソイド計算ができませんでした。", "",
                            msg::kOk | msg::kIconError);
                g_stationCount = 0;
                return false;
            }
            const double pp = (r + c2.shift) * std::tan(ia / 2.0);
            const double qq = c1.shift - c2.shift;
            c1.tangentToIp = c1.xm + pp - qq * std::cos(ia) / std::sin(ia);
            c2.tangentToIp = c2.xm + pp + qq / std::sin(ia);
            const double alpha = ia - c1.tauRad - c2.tauRad;
            ip.arcAngleRad = alpha;
            ip.arcAngle = ToDms(alpha);
            ip.arcLength = alpha * r;
            ip.arcTangentLength = r * std::tan(alpha / 2.0);
            ip.arcSecant = r * (1.0 / std::cos(alpha / 2.0) - 1.0);
            ip.curveLength = ip.arcLength + c1.length + c2.length;
            ip.clothoid1 = c1;
            ip.clothoid2 = c2;
            checkTangents(c1.tangentToIp, c2.tangentToIp);

            ip.ka1Distance = ip.addedDistance - c1.tangentToIp;
            ip.ke1Distance = ip.ka1Distance + c1.length;
            ip.ke2Distance = ip.ke1Distance + ip.arcLength;
            ip.ka2Distance = ip.ke2Distance + c2.length;

            const double k1 = (d1 - c1.tangentToIp) / d1;
            ip.ka1X = prev.x + k1 * (ip.x - prev.x);
            ip.ka1Y = prev.y + k1 * (ip.y - prev.y);
            ip.ke1X = ip.ka1X + std::fabs(c1.x) * u1x + std::fabs(c1.y) * n1x;
            ip.ke1Y = ip.ka1Y + std::fabs(c1.x) * u1y + std::fabs(c1.y) * n1y;
            if (a1 > kSmallestA) {
                const double rr = std::fabs(r + c1.shift);
                ip.centerX = ip.ka1X + std::fabs(c1.xm) * u1x + rr * n1x;
                ip.centerY = ip.ka1Y + std::fabs(c1.xm) * u1y + rr * n1y;
            } else {
                double cx = ip.ke1X, cy = ip.ke1Y, ox = 0.0, oy = 0.0;
                OffsetSegment(ip.ke1X, ip.ke1Y, ip.x, ip.y, side == 1 ? -r : r, kSideTolerance, &cx,
                              &cy, &ox, &oy);
                ip.centerX = cx;
                ip.centerY = cy;
            }
            ip.ka2X = ip.x + c2.tangentToIp / d2 * (next.x - ip.x);
            ip.ka2Y = ip.y + c2.tangentToIp / d2 * (next.y - ip.y);
            ip.ke2X = ip.ka2X - std::fabs(c2.x) * u2x + std::fabs(c2.y) * n2x;
            ip.ke2Y = ip.ka2Y - std::fabs(c2.x) * u2y + std::fabs(c2.y) * n2y;
            lastX = ip.ka2X;
            lastY = ip.ka2Y;
            lastD = ip.ka2Distance;
        } else {  // egg section
            const double r = ip.radius;
            const double r2 = ip.radius2;
            const double a1 = ip.a1 < kSmallestA ? kSmallestA : ip.a1;
            auto azimuth = [](double x1, double y1, double x2, double y2) {
                const double t = RouteAzimuth(x1, y1, x2, y2);
                return t <= 0.0 ? t + 2.0 * kPi : t;
            };
            const double thetaIn = azimuth(prev.x, prev.y, ip.x, ip.y);
            const double thetaOut = azimuth(ip.x, ip.y, next.x, next.y);
            const double sgn = side == 2 ? -1.0 : 1.0;
            ClothoidElements c1{}, c2{};
            if (!ClothoidAt(a1, r, &c1)) {
                ShowMessage("ＢＣ側の単位クロソイド計算ができませんでした。", "",
                            msg::kOk | msg::kIconError);
                g_stationCount = 0;
                return false;
            }
            if (!ClothoidAt(a1, r2, &c2)) {
                ShowMessage("ＥＣ側の単位クロソイド計算ができませんでした。", "",
                            msg::kOk | msg::kIconError);
                g_stationCount = 0;
                return false;
            }
            ip.clothoid1 = c1;
            ip.clothoid2 = c2;
            ip.arcLength = std::fabs(c2.length - c1.length);
            // The egg's position hangs on the two circle centres. Without them (both slots
            // alike, as in a new IP) the direction is undefined, and centres the clothoid
            // cannot join give a curve that is not there: both are refused.
            const double m1x = ip.ke1X, m1y = ip.ke1Y, m2x = ip.ke2X, m2y = ip.ke2Y;
            const double apart = std::hypot(m1x - m2x, m1y - m2y);
            const double joined = std::hypot(c2.xm - c1.xm, (r + c1.shift) - (r2 + c2.shift));
            const double slack = tol > 0.0 ? tol : 1e-9;
            if (apart < slack || std::fabs(apart - joined) > slack) {
                ShowMessage(IpNameUtf8(ip) + std::to_string(ip.number) +
                                "の卵形区間の円の中心が入力されていないか、曲線と合いません。",
                            "", msg::kOk | msg::kIconError);
                g_stationCount = 0;
                return false;
            }
            const double alpha = std::atan((m1y - m2y) / (m1x - m2x));
            const double beta = std::atan((c2.xm - c1.xm) / ((r + c1.shift) - (r2 + c2.shift)));
            const double cand1 =
                r > r2 ? alpha - sgn * beta + kPi / 2.0 : alpha + sgn * beta + kPi / 2.0;
            const double cand2 = cand1 + kPi;
            const double e1 = AngleGap(thetaIn, cand1), e2 = AngleGap(thetaIn, cand2);
            const double e3 = AngleGap(thetaOut, cand1), e4 = AngleGap(thetaOut, cand2);
            const double phi = std::min(e2, e4) < std::min(e1, e3) ? cand2 : cand1;
            ip.arcAngleRad = phi;
            ip.arcAngle = ToDms(phi);
            double ox, oy;
            if (r > r2) {
                const double psi = sgn * (c1.sigmaRad + kPi) + phi;
                ox = prev.x + c1.chord * std::cos(psi);
                oy = prev.y + c1.chord * std::sin(psi);
            } else {
                const double psi = phi - sgn * c2.sigmaRad;
                ox = next.x + c2.chord * std::cos(psi);
                oy = next.y + c2.chord * std::sin(psi);
            }
            ip.centerX = ox;
            ip.centerY = oy;
            ip.ka1Distance = ip.ke1Distance = prev.addedDistance;
            ip.ke2Distance = ip.ka2Distance = prev.addedDistance + ip.arcLength;
            if (r > r2) {
                ip.ka1X = prev.x;
                ip.ka1Y = prev.y;
                ip.ka2X = ox + c2.chord * std::cos(phi + sgn * c2.sigmaRad);
                ip.ka2Y = oy + c2.chord * std::sin(phi + sgn * c2.sigmaRad);
            } else {
                ip.ka1X = ox - c1.chord * std::cos(phi - sgn * c1.sigmaRad);
                ip.ka1Y = oy - c1.chord * std::sin(phi - sgn * c1.sigmaRad);
                ip.ka2X = next.x;
                ip.ka2Y = next.y;
            }
            lastX = ip.ka2X;
            lastY = ip.ka2Y;
            lastD = ip.ka2Distance;
        }
    }
    const IpPoint& before = g_ipPoints[n - 1];
    ep.legLength = std::hypot(ep.x - before.x, ep.y - before.y);
    ep.addedDistance = lastD + std::hypot(ep.x - lastX, ep.y - lastY);
    return true;
}
