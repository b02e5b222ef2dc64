#include "pointedit/point_edit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/numeric_text.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "pointedit/point_input_settings.h"
#include "shell/tool_mode.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "view/view_transform.h"

int32_t g_nameEdited = 0;

namespace {
constexpr const char* kEditTitle = "ランダム点編集";
constexpr const char* kNewTitle = "新規ランダム点作成";
constexpr const char* kOutlineStaysValid = "外周の点は未使用にできません。";
constexpr const char* kNoMemory = "ランダムデータのメモリ確保に失敗しました。";
constexpr double kCarryLimit = 59.99999;
constexpr int32_t kCopyReserve = 200;
constexpr int32_t kGrowthStep = 10000;

bool ExistingPoint() { return g_pickedPoint > 0 && g_pickedPoint <= g_pointCount; }

bool IsOutlineVertex(int32_t p) {
    const int32_t n = std::clamp(g_outline.Count(), 0, kIndexListMaxVertices);
    for (int32_t k = 1; k <= n; ++k)
        if (g_outline[k] == p) return true;
    return false;
}

// The value of a field: its number, or `old` when it holds none.
double FieldNumber(const std::string& text, double old) {
    double v = 0;
    return ParseDialogNumber(text, &v) ? v : old;
}

void AngleTexts(double v, std::string* out) {
    int32_t d = 0, m = 0;
    double s = 0;
    SplitDegrees(v, d, m, s);
    out[0] = FormatString(" %3d", d);
    out[1] = FormatString(" %2d", m);
    out[2] = FormatString(" %7.4f", s);
}
}  // namespace

void SplitDegrees(double v, int32_t& degrees, int32_t& minutes, double& seconds) {
    double d = std::floor(v);
    double m = (v - d) * 60;
    double s = (m - std::floor(m)) * 60;
    m = std::floor(m);
    if (s > kCarryLimit) {
        s = 0;
        m += 1;
    }
    if (m > kCarryLimit) {
        m = 0;
        d += 1;
    }
    degrees = static_cast<int32_t>(d);
    minutes = static_cast<int32_t>(m);
    seconds = s;
}

PointEditSession::PointEditSession() {
    m_ellipsoid.SelectEllipsoid(g_useWorldDatum == 1 ? kEllipsoidGrs1980 : kEllipsoidBessel1841);
    g_nameEdited = 0;
}

PointEditSession::Start PointEditSession::Begin() const {
    Start start;
    start.title = kEditTitle;
    if (g_pointEditState != POINT_EDIT_MODIFY) {
        start.title = kNewTitle;
        start.copyShown = false;
    }
    if (ExistingPoint()) {
        start.numberText = FormatString("NO. %d", g_pickedPoint);
        start.title = FormatString("%s NO. %d", kEditTitle, g_pickedPoint);
        const RandomPoint& stored = g_points[g_pickedPoint];
        const double dx = stored.x - g_editPoint.x, dy = stored.y - g_editPoint.y;
        // A point dragged elsewhere can be copied there; one in place cannot.
        if (dx * dx + dy * dy < 0.001)
            start.copyShown = false;
        else
            start.numberShown = false;
    } else {
        start.numberShown = false;
    }
    return start;
}

std::string PointEditSession::XText(bool edited) const {
    return FormatString(edited ? "%13.4f" : "%12.4f", g_editPoint.x);
}
std::string PointEditSession::YText(bool edited) const {
    return FormatString(edited ? "%13.4f" : "%12.4f", g_editPoint.y);
}
std::string PointEditSession::ZText(bool edited) const {
    return FormatString(edited ? "%12.3f" : "%8.3f", g_editPoint.z);
}
std::string PointEditSession::ZoneText() const { return FormatString("%2d", g_planeZone); }
std::string PointEditSession::NameText() const {
    return std::string(g_editPoint.name, strnlen(g_editPoint.name, sizeof g_editPoint.name));
}

LatLongTexts PointEditSession::LatLong() const {
    LatLongTexts texts;
    if (!IsPlaneZone(g_planeZone)) return texts;
    double latitude = 0, longitude = 0;
    if (!m_ellipsoid.ZonePlaneToGeographic(g_editPoint.x, g_editPoint.y, g_planeZone, latitude,
                                           longitude))
        return texts;
    AngleTexts(latitude, &texts[0]);
    AngleTexts(longitude, &texts[3]);
    return texts;
}

void PointEditSession::EditX(const std::string& text) {
    g_editPoint.x = FieldNumber(text, g_editPoint.x);
    g_nameEdited = -1;
}
void PointEditSession::EditY(const std::string& text) {
    g_editPoint.y = FieldNumber(text, g_editPoint.y);
    g_nameEdited = -1;
}
void PointEditSession::EditZ(const std::string& text) {
    g_editPoint.z = FieldNumber(text, g_editPoint.z);
    g_nameEdited = -1;
}

std::string PointEditSession::EditName(const std::string& cp932) {
    CopyPointName(g_editPoint.name, cp932);
    g_nameEdited = -1;
    return NameText();
}

void PointEditSession::EditZone(const std::string& text) {
    double v = 0;
    if (ParseDialogNumber(text, &v) && v >= 0 && v <= kPlaneZoneCount && v == std::floor(v))
        g_planeZone = static_cast<int32_t>(v);
}

void PointEditSession::EditLatLong(int32_t field, LatLongTexts& texts) {
    // Decimal degrees or decimal minutes may be typed: the smaller units then are 0.
    if (field == 0 || field == 3) {
        if (texts[field].find('.') != std::string::npos) texts[field + 1] = texts[field + 2] = " 0";
    } else if (field == 1 || field == 4) {
        if (texts[field].find('.') != std::string::npos) texts[field + 1] = " 0";
    }
    if (!IsPlaneZone(g_planeZone)) {
        texts = LatLongTexts{};
        return;
    }
    // A field that holds no number keeps the value the point had.
    const LatLongTexts old = LatLong();
    double angles[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        double v[3];
        for (int j = 0; j < 3; ++j) {
            const int i = 3 * k + j;
            v[j] = FieldNumber(texts[i], FieldNumber(old[i], 0));
        }
        angles[k] = v[0] + v[1] / 60 + v[2] / 3600;
    }
    double x = g_editPoint.x, y = g_editPoint.y;
    if (m_ellipsoid.ZoneGeographicToPlane(x, y, g_planeZone, angles[0], angles[1])) {
        g_editPoint.x = x;
        g_editPoint.y = y;
        g_nameEdited = -1;
    }
    AngleTexts(angles[0], &texts[0]);
    AngleTexts(angles[1], &texts[3]);
}

bool PointEditSession::SetInvalid(bool invalid) {
    if (invalid && IsOutlineVertex(g_pickedPoint)) {
        ShowMessage(kOutlineStaysValid, "", msg::kOk | msg::kIconInformation);
        g_editPoint.invalid = 0;
        return false;
    }
    g_editPoint.invalid = invalid ? 1 : 0;
    return true;
}

void PointEditSession::Register() {
    const int32_t n = g_pickedPoint;
    if (n > 0 && n <= g_pointCount + 1) {
        g_dataChanged = -1;
        g_points[n] = g_editPoint;
        g_addedPointsInMode = n;
        if (n == g_pointCount + 1) {
            ++g_pointCount;
            g_addedPointsInMode = -1;
            g_pointsPresent = 1;
        }
        IncludePointInExtents(n);
    }
    g_redrawMask = -1;
}

bool PointEditSession::Copy() {
    if (g_pointCapacity - g_pointCount < kCopyReserve) {
        g_pointCapacity += kGrowthStep;
        if (GrowPointBlock(g_pointCapacity) != 0) {
            g_pointCapacity -= kGrowthStep;
            GrowPointBlock(g_pointCapacity);
        }
    }
    const int32_t n = g_pickedPoint;
    if (n <= 0 || n > g_pointCount) return true;
    // The copy needs its record and the end marker's after it.
    if (!g_points || g_pointCount + 2 >= g_pointsBlock.Size()) {
        ShowMessage(kNoMemory, "", msg::kOk | msg::kIconError);
        return false;
    }
    const int32_t b = ++g_pointCount;
    g_points[b] = g_points[n];
    g_points[b].x = g_editPoint.x;
    g_points[b].y = g_editPoint.y;
    g_pickedPoint = b;
    g_addedPointsInMode = -1;
    g_pointsPresent = 1;
    g_dataChanged = -1;
    SetPointEndMarker();
    IncludePointInExtents(b);
    g_redrawMask = -1;
    return true;
}

void PointEditSession::Cancel() {
    g_pickedPoint = 0;
    if (g_nameEdited) g_redrawMask = -1;
}

void PointEditSession::Close() {
    SetPointEndMarker();
    g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = 0;
    InvalidateAndUpdateView();
}
