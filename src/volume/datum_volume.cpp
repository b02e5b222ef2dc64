#include "volume/datum_volume.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "model/file_report.h"
#include "model/geometry.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/text_io.h"
#include "volume/tin_report.h"

namespace {

struct CutPoint {
    double x, y, z;
};

double PartTriangleVolume(const CutPoint& a, const CutPoint& b, const CutPoint& c, double dl) {
    double area = 0;
    TriangleArea(a.x, a.y, b.x, b.y, c.x, c.y, 1e-6, &area);
    return ((a.z - dl) + (b.z - dl) + (c.z - dl)) * area / 3;
}

// Volume of one side of a cut triangle: its vertices on that side, then the cut points.
double PartVolume(CutPoint* p, int n, double dl) {
    if (n == 3) {
        const double xs[4] = {p[0].x, p[1].x, p[2].x, p[0].x};
        const double ys[4] = {p[0].y, p[1].y, p[2].y, p[0].y};
        double area = 0;
        int orientation = 0;
        PolygonArea(xs, ys, 4, &area, &orientation);
        return ((p[0].z - dl) + (p[1].z - dl) + (p[2].z - dl)) * area / 3;
    }
    if (n == 4) {
        // The two vertices come first, so 1-4 and 2-3 cross when the cut points are in the
        // wrong turn.
        double x = 0, y = 0;
        int cls = 1;
        if (IntersectSegments(p[0].x, p[0].y, p[3].x, p[3].y, p[1].x, p[1].y, p[2].x, p[2].y, 0,
                              1e-5, 1e-5, &x, &y, &cls) == kGeomOk &&
            cls == 0) {
            std::swap(p[2].x, p[3].x);
            std::swap(p[2].y, p[3].y);
        }
        return PartTriangleVolume(p[0], p[1], p[2], dl) + PartTriangleVolume(p[0], p[2], p[3], dl);
    }
    return 0;
}

// Where the 3-D edge a-b meets z = dl, when that lies on the edge in plan.
bool CutEdge(const RandomPoint& a, const RandomPoint& b, double dl, CutPoint* out) {
    if (a.z == b.z) return false;  // parallel to the plane (or lying in it)
    const double t = (dl - a.z) / (b.z - a.z);
    const double x = a.x + t * (b.x - a.x), y = a.y + t * (b.y - a.y);
    // On the edge in plan, within 0.001 beyond its ends.
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const double beyond = t < 0 ? -t * length : t > 1 ? (t - 1) * length : 0;
    if (beyond > 0.001) return false;
    *out = {x, y, dl};
    return true;
}

}  // namespace

int32_t CalcDatumVolume(int32_t holesOnly, int32_t decimals, int32_t withReport,
                        const std::string& reportPath, double dl, double* ca, double* ba) {
    *ca = 0;
    *ba = 0;
    TinReport report(withReport != 0, reportPath);
    const std::string totalFormat = FormatString(
        "                                                             %%12.%dlf %%12.%dlf\n", decimals,
        decimals);
    const std::string closeFormat =
        FormatString("    CA体積 =%%.%dlf     BA体積 =%%.%dlf     合計 =%%.%dlf\n", decimals, decimals, decimals);
    report.Write("\n");
    report.Write("-----------------------------------  体積計算表  -------------------------------------\n");
    report.WriteBytes(FormatString("  DL=%.3lf\n", dl));
    report.Write("\n");
    report.Write("  点名        Ｘ座標       Ｙ座標        標高       標高-DL     水平断面積       体積\n");

    double sumCa = 0, sumBa = 0;
    const bool marked = ForEachTinTriangle(holesOnly, [&](const RandomPoint& p1, const RandomPoint& p2,
                                                          const RandomPoint& p3) {
        double a = 0;
        if (TriangleArea(p1.x, p1.y, p2.x, p2.y, p3.x, p3.y, 1e-6, &a) != kGeomOk) return;
        const RandomPoint* v[3] = {&p1, &p2, &p3};
        bool above = false, below = false;
        for (const RandomPoint* p : v) {
            above |= p->z > dl;
            below |= p->z < dl;
        }
        double volume = 0;
        if (!(above && below)) {
            volume = ((p1.z - dl) + (p2.z - dl) + (p3.z - dl)) * a / 3;
            (volume >= 0 ? sumCa : sumBa) += volume;
        } else {
            CutPoint upper[6], lower[6];
            int nu = 0, nl = 0;
            for (const RandomPoint* p : v) {
                if (p->z > dl) upper[nu++] = {p->x, p->y, p->z};
                if (p->z < dl) lower[nl++] = {p->x, p->y, p->z};
            }
            for (int k = 0; k < 3; ++k) {
                CutPoint c;
                if (!CutEdge(*v[k], *v[(k + 1) % 3], dl, &c)) continue;
                upper[nu++] = c;
                lower[nl++] = c;
            }
            const double vu = PartVolume(upper, nu, dl), vl = PartVolume(lower, nl, dl);
            sumCa += vu;
            sumBa += vl;
            volume = vu + vl;
        }
        if (report.IsOpen()) {
            for (const RandomPoint* p : v) {
                char name[sizeof p->name + 1] = {};
                std::memcpy(name, p->name, sizeof p->name);
                report.WriteBytes(FormatString("%8.8s %12.3lf %12.3lf %12.3lf %12.3lf\n", name, p->x, p->y,
                                               p->z, p->z - dl));
            }
            report.WriteBytes(FormatString(totalFormat.c_str(), a, volume));
        }
    });
    if (!marked) {
        ReportNoMemory();
        report.Finish();
        return -1;
    }
    *ca = sumCa;
    *ba = sumBa;
    report.WriteBytes(std::string(86, '-') + "\n");
    report.Write(FormatString(closeFormat.c_str(), sumCa, sumBa, sumCa + sumBa));
    return report.Finish() ? 0 : -2;
}

std::string FormatDatumVolumeResult(double dl, int32_t decimals, double ca, double ba) {
    const std::string format =
        FormatString("DL標高[ %%.3lf]m \r\nCA体積[%%15.%dlf]\r\nBA体積[%%15.%dlf]\r\n    合計[%%15.%dlf]",
                     decimals, decimals, decimals);
    const std::string filled = FormatString(format.c_str(), dl, ca, std::fabs(ba), ca + ba);
    std::string text;
    for (char c : filled) {
        if (c == '[')
            text += "    [ ";
        else if (c == ']')
            text += " ]";
        else
            text += c;
    }
    return text;
}

std::string RunDatumVolume(const DatumVolumeValues& values) {
    if (IsProgressWindowOpen()) return {};
    if (!OpenProgressWindow(progress::kVolume, "体積計算中")) return {};
    double ca = 0, ba = 0;
    CalcDatumVolume(values.holesOnly, values.decimals, 0, "", values.dl, &ca, &ba);
    CloseProgressWindow();
    return FormatDatumVolumeResult(values.dl, values.decimals, ca, ba);
}
