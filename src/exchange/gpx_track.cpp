#include "exchange/gpx_track.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_store.h"
#include "exchange/delimited_text.h"
#include "exchange/vector_import.h"
#include "exchange/xml_stream.h"
#include "model/geodesy.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "platform/window_state.h"
#include "route/route_data.h"
#include "section/section_records.h"
#include "view/display_flags.h"

namespace {

constexpr const char* kAskVectors =
    "ベクトルデータ（背景DXF）形式にも読み込みますか？\n（現在のベクトルデータは破棄されます）";
constexpr const char* kRouteMemory = "路線データ用のメモリが確保できませんでした。";
constexpr const char* kNoPoint = "取り込める軌跡の点がありません（\"ACTIVE LOG\" の標高付きの点）。\n";
// Only the receiver's active log is taken; it begins at a name holding this text.
constexpr const char* kActiveLog = "ACTIVE LOG";
constexpr double kStationSpacing = 1.0;  // metres
constexpr int32_t kTrackLayer = 99;
constexpr int32_t kTrackColour = 1;

// What the reader looks at, in the published layout.
enum class Item { kNone, kLatitude, kLongitude, kElevation, kTime, kName };

struct AttributeRow {
    const char* attribute;  // on any element
    Item item;
};
constexpr AttributeRow kAttributes[] = {
    {"lat", Item::kLatitude},
    {"lon", Item::kLongitude},
};

struct ElementRow {
    const char* element;  // its text
    Item item;
};
constexpr ElementRow kElements[] = {
    {"ele", Item::kElevation},
    {"time", Item::kTime},
    {"name", Item::kName},
};

std::string_view LocalName(std::string_view name) {
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

double Number(std::string_view text) { return std::atof(std::string(text).c_str()); }

// "2010-05-01T01:23:45Z": the time of day after the first "T"; false without one.
bool TimeOfDay(std::string_view text, int32_t& h, int32_t& m, int32_t& s) {
    const size_t t = text.find('T');
    if (t == std::string_view::npos) return false;
    const std::string rest(text.substr(t + 1));
    auto two = [&](size_t at) { return at < rest.size() ? std::atoi(rest.substr(at, 2).c_str()) : 0; };
    h = two(0);
    m = two(3);
    s = two(6);
    return true;
}

class GpxReader : public XmlStreamHandler {
public:
    GpxReader(bool zonePass, bool vectors, const Ellipsoid& geodesy, double originLatitude,
              double originLongitude)
        : m_zonePass(zonePass), m_vectors(vectors), m_geodesy(geodesy),
          m_originLatitude(originLatitude), m_originLongitude(originLongitude) {}

    bool WantsAttributes() const override { return true; }

    void Attributes(std::string_view, const std::vector<XmlAttribute>& attributes) override {
        for (const XmlAttribute& a : attributes) {
            for (const AttributeRow& row : kAttributes) {
                if (a.name != row.attribute) continue;
                if (row.item == Item::kLatitude) m_latitude = Number(a.value);
                if (row.item == Item::kLongitude) {
                    m_longitude = Number(a.value);
                    m_position = true;
                }
            }
        }
    }

    void EndElement(std::string_view name, std::string_view text) override {
        Item item = Item::kNone;
        const std::string_view local = LocalName(name);
        for (const ElementRow& row : kElements)
            if (local == row.element) item = row.item;
        switch (item) {
        case Item::kElevation: {
            const bool taken = m_position && m_active && m_latitude != 0 && m_longitude != 0;
            m_position = false;
            if (taken) Point(Number(text));
            break;
        }
        case Item::kTime: {
            int32_t h = 0, m = 0, s = 0;
            if (!m_stations.empty() && TimeOfDay(text, h, m, s)) {
                StationRecord& last = m_stations.back();
                last.kind = 1;
                std::snprintf(last.name, sizeof last.name, "%02d:%02d:%02d", h % 100, m % 100, s % 100);
            }
            break;
        }
        case Item::kName:
            if (text.find(kActiveLog) != std::string_view::npos) m_active = true;
            break;
        default: break;
        }
    }

    bool Done() const override { return m_zoneFound; }

    bool m_zoneFound = false;
    int32_t m_taken = 0;
    std::vector<StationRecord> m_stations;
    std::vector<DxfElement> m_elements;

private:
    void Point(double elevation) {
        ++m_taken;
        if (m_zonePass) {
            FindNearestPlaneZoneDegrees(m_latitude, m_longitude, &g_planeZone);
            m_zoneFound = true;
            return;
        }
        double x = 0, y = 0;
        m_geodesy.GeographicToPlane(x, y, m_originLatitude, m_originLongitude, m_latitude, m_longitude);
        if (m_vectors)
            m_elements.push_back(MakeImportElement(m_elements.empty() ? DXF_PEN_MOVE : DXF_PEN_DRAW, x, y,
                                                   elevation, 0, {}, kTrackLayer, kTrackColour));
        double added = 0;
        if (!m_stations.empty()) {
            const StationRecord& last = m_stations.back();
            const double d = std::hypot(x - last.x, y - last.y);
            if (d < kStationSpacing) return;
            added = last.addedDistance + d;
        }
        StationRecord s{};
        s.kind = 2;
        s.addedDistance = added;
        s.x = s.leftX = s.rightX = x;
        s.y = s.leftY = s.rightY = y;
        s.groundZ = elevation;
        m_stations.push_back(s);
    }

    bool m_zonePass;
    bool m_vectors;
    const Ellipsoid& m_geodesy;
    double m_originLatitude, m_originLongitude;
    double m_latitude = 0, m_longitude = 0;
    bool m_position = false;
    bool m_active = false;
};

bool Fail(const std::string& text) {
    ShowMessage(text, "", msg::kOk | msg::kIconError);
    return false;
}

// Room in the station and section blocks for n stations; false after the message with
// both blocks and capacities as they were.
bool RouteRoom(int32_t n) {
    int32_t wanted = g_stationCapacity;
    if (wanted < 90000) wanted = 100000;
    if (wanted < n + 1) wanted = n + 50;
    if (wanted != g_stationCapacity) {
        if (GrowStationBlock(wanted) != 0) return Fail(kRouteMemory);
        g_stationCapacity = wanted;
    }
    // Told by the section store when it cannot grow.
    return EnsureCrossSectionRoom(n, 10, 40);
}

void WriteCrossSections() {
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const StationRecord& s = g_stations[i];
        CrossSection& c = g_crossSections[i];
        c.number = i;
        c.centreEstimated = 0;
        c.leftCount = c.rightCount = c.extraBlocks = 0;
        c.distance = s.addedDistance;
        c.height = s.groundZ;
        c.singleDistance = 0;
        c.height2 = 0;
        c.centreX = s.x;
        c.centreY = s.y;
        c.leftDirX = c.leftDirY = c.rightDirX = c.rightDirY = 0;
        std::memset(c.name, 0, sizeof c.name);
        std::memcpy(c.name, s.name, std::min(sizeof c.name - 1, std::strlen(s.name)));
        c.points.clear();
    }
    g_crossSectionCount = g_stationCount;
    g_sectionViewCount = g_stationCount;
    g_longCrossingCount = 0;
    g_hasSections = 1;
    g_showSections = -1;
}

}  // namespace

void LabelGpxSpeeds() {
    bool havePrevious = false;
    double previousT = 0, previousDistance = 0;
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        StationRecord& s = g_stations[i];
        if (s.kind != 1) continue;
        const double t = std::atoi(s.name) + std::atoi(s.name + 3) / 60.0 + std::atoi(s.name + 6) / 3600.0;
        if (havePrevious && std::fabs(t - previousT) > 0.0001) {
            const double speed = std::fabs(s.addedDistance - previousDistance) / std::fabs(t - previousT) * 0.001;
            std::snprintf(s.name, sizeof s.name, "%.0lfkm/h", speed);
        }
        havePrevious = true;
        previousT = t;
        previousDistance = s.addedDistance;
    }
}

int32_t ReadGpxTrack(int32_t zonePass, const std::filesystem::path& path) {
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) return -1;
        std::fclose(f);
    }
    bool vectors = false;
    Ellipsoid geodesy;
    double originLatitude = 0, originLongitude = 0;
    if (!zonePass) {
        vectors = ShowMessage(kAskVectors, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
        geodesy.SelectEllipsoid(g_useWorldDatum == 1 ? kEllipsoidGrs1980 : kEllipsoidBessel1841);
        if (!ZoneOrigin(g_planeZone, originLatitude, originLongitude)) return -1;  // told
    }
    ShowWaitCursor(true);
    GpxReader reader(zonePass != 0, vectors, geodesy, originLatitude, originLongitude);
    XmlStreamError error;
    const bool read = ReadXmlStream(path, reader, &error);
    ShowWaitCursor(false);
    if (!read) {
        Fail(FormatXmlStreamError(path, error));
        return -1;
    }
    if (reader.m_taken == 0) {
        Fail(kNoPoint + path.filename().string());
        return kGpxNoPoint;
    }
    if (zonePass) return 0;

    const int32_t n = static_cast<int32_t>(reader.m_stations.size());
    if (!RouteRoom(n)) return -1;
    if (vectors && !CommitImportElements(reader.m_elements, true)) return -1;
    g_ipPointCount = 0;
    g_stationCount = 0;
    for (const StationRecord& s : reader.m_stations) g_stations[++g_stationCount] = s;
    if (vectors) FinishImportElements();
    LabelGpxSpeeds();
    WriteCrossSections();
    return 0;
}
