#include "shell/status_bar.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "model/geodesy.h"
#include "model/geometry.h"
#include "model/terrain_data.h"
#include "model/zone_dialog.h"
#include "platform/text_io.h"
#include "view/cursor_state.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

int32_t g_latLongDisplay = 0;

namespace {
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string DmsText(const char* format, double degrees) {
    const DegreesMinutesSeconds dms = SplitDegrees(degrees);
    return FormatString(format, dms.degrees, dms.minutes, dms.seconds);
}

double DistanceFromPress() {
    return std::sqrt((g_pressWorldY - g_cursorY) * (g_pressWorldY - g_cursorY) +
                     (g_pressWorldX - g_cursorX) * (g_pressWorldX - g_cursorX));
}

// Latitude and longitude of the cursor, when they are to be shown. The zone is tested
// first: the conversion would otherwise complain about a missing zone on every move.
bool CursorLatLong(const Ellipsoid& geodesy, double& latitude, double& longitude) {
    if (g_latLongDisplay == 0 || !IsPlaneZone(g_planeZone)) return false;
    return geodesy.ZonePlaneToGeographic(g_cursorX, g_cursorY, g_planeZone, latitude, longitude);
}
}  // namespace

void FormatWithThousands(std::string& text) {
    const auto first = std::find_if(text.begin(), text.end(), IsDigit);
    const auto last = std::find_if_not(first, text.end(), IsDigit);
    const size_t count = static_cast<size_t>(last - first);
    if (count < 2) return;
    std::string result(text.begin(), first);
    for (size_t k = 0; k < count; ++k) {
        result += first[k];
        const size_t toCome = count - 1 - k;
        if (toCome != 0 && toCome % 3 == 0) result += ',';
    }
    result.append(last, text.end());
    text = std::move(result);
}

DegreesMinutesSeconds SplitDegrees(double value) {
    const double a = std::fabs(value);
    if (!(a < 1e9)) return {0, 0, 0.0};
    int32_t d = static_cast<int32_t>(a);
    const double r = a * 3600 - d * 3600.0;
    int32_t m = static_cast<int32_t>(r / 60);
    double s = std::max(0.0, r - m * 60.0);
    // What rounds to 60.0000 in the pane is a full minute.
    if (s >= 59.99995) {
        s = std::max(0.0, s - 60);
        ++m;
    }
    if (m >= 60) {
        m -= 60;
        ++d;
    }
    if (value < 0) {
        d = -d;
        m = -m;
        if (s != 0) s = -s;
    }
    return {d, m, s};
}

std::optional<std::string> StatusPaneText(int paneId, const Ellipsoid& geodesy,
                                          bool leftButtonDown) {
    if (paneId == pane::kPointCount) {
        std::string text = FormatString(" %d 点", g_pointCount);
        FormatWithThousands(text);
        return text;
    }
    if (g_cursorValid == 0) return std::nullopt;
    const bool birdsEye = g_birdsEyeOn != 0;
    double latitude = 0, longitude = 0;
    switch (paneId) {
        case pane::kX:
            if (birdsEye) return " ";
            if (CursorLatLong(geodesy, latitude, longitude))
                return DmsText("B:%3d°%2d′%7.4f″", latitude);
            return FormatString("X : %10.3f", g_cursorX);
        case pane::kY:
            if (birdsEye) return "";
            if (CursorLatLong(geodesy, latitude, longitude))
                return DmsText("L:%3d°%2d′%7.4f″", longitude);
            return FormatString("Y : %10.3f", g_cursorY);
        case pane::kWidth:
            if (birdsEye) return " ";
            return FormatString("横: %10.3fm", g_bufferMaxX / g_viewScale);
        case pane::kHeight:
            if (birdsEye) return "";
            return FormatString("縦: %10.3fm", g_bufferMaxY / g_viewScale);
        case pane::kDistance:
            if (birdsEye || !leftButtonDown) return std::nullopt;
            return FormatString("距離: %10.3f", DistanceFromPress());
        case pane::kAzimuth: {
            if (birdsEye || !leftButtonDown) return std::nullopt;
            double azimuth = 0;
            if (DistanceFromPress() >= 0.01) {
                double signedAngle = 0;
                AngleAtVertex(g_pressWorldX + 10, g_pressWorldY, g_pressWorldX, g_pressWorldY,
                              g_cursorX, g_cursorY, 0.001, &signedAngle, &azimuth);
                azimuth = ConvertDegreesDms(azimuth, 1);
            }
            return FormatString("方位: %.4f", azimuth);
        }
        default:
            return std::nullopt;
    }
}

void ToggleLatLongDisplay(Ellipsoid& geodesy,
                          const std::function<bool(ZoneSelectValues&)>& runZoneDialog) {
    if (g_latLongDisplay != 0) {
        g_latLongDisplay = 0;
        return;
    }
    ZoneSelectValues values;
    values.m_zone = g_planeZone;
    values.m_dataDatum = g_useWorldDatum;
    if (!runZoneDialog || !runZoneDialog(values)) return;
    double originLatitude, originLongitude;
    if (!ZoneOrigin(values.m_zone, originLatitude, originLongitude)) return;
    ApplyZoneSelection(values, geodesy);
    g_latLongDisplay = 1;
}
