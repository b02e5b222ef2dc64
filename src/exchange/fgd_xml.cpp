#include "exchange/fgd_xml.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "exchange/dem_xml.h"
#include "exchange/mesh_grid_walk.h"
#include "exchange/xml_stream.h"
#include "model/geodesy.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "view/display_flags.h"

namespace {

constexpr const char* kAskDeleteElements = "現在の背景DXFデータを削除しますか";
constexpr const char* kOutOfMemory = "メモリーが不足しています。";
constexpr const char* kBadGrid = "メッシュの範囲が正しくありません";
// Published meshes mark a cell without a measurement with -9999.
constexpr double kMissingAtOrBelow = -9000.0;
constexpr size_t kTextBytes = sizeof(DxfElement::text) - 1;

// What an element of the published layouts does. Feature elements start a new polyline
// when they open and give the elements appended since the last feature its class when
// they close.
enum class Act {
    kNone,
    kOpen,         // a feature or a coordinate list opens: the next position starts a line
    kOpenLabelId,  // the same, and the label becomes the element's id
    kMesh,         // a mesh opens: its values become labels from the north-west cell on
    kTupleList,    // "name,value" lines, one mesh value each
    kAlti,         // an elevation: a mesh value in a mesh, else the contour's elevation
    kName,         // the label of the next point feature
    kPos,          // one position "latitude longitude"
    kPosList,      // positions, two numbers each
};

struct ActRow {
    std::string_view element;
    Act act;
};

constexpr ActRow kActs[] = {
    {"Cntr", Act::kOpen},          {"Cstline", Act::kOpen},
    {"AdmArea", Act::kOpen},       {"CommBdry", Act::kOpen},
    {"GCP", Act::kOpen},           {"RdEdg", Act::kOpen},
    {"RailCL", Act::kOpen},        {"ElevPt", Act::kOpen},
    {"WL", Act::kOpen},            {"BldA", Act::kOpen},
    {"BldL", Act::kOpen},          {"AdmPt", Act::kOpen},
    {"CommPt", Act::kOpen},        {"AdmBdry", Act::kOpen},
    {"SBBdry", Act::kOpen},        {"SBAPt", Act::kOpenLabelId},
    {"gml:posList", Act::kPosList},
    {"gml:tupleList", Act::kTupleList},
    {"alti", Act::kAlti},          {"name", Act::kName},
    {"jps:coordinate", Act::kPos}, {"gml:pos", Act::kPos},
};

Act ActOf(std::string_view name) {
    if (name.substr(0, 4) == "mesh") return Act::kMesh;
    for (const ActRow& row : kActs)
        if (name == row.element) return row.act;
    return Act::kNone;
}

// The class a closing feature element gives the elements appended since the last one.
enum class Z { kKept, kCurrent, kZero };
struct CloseRow {
    std::string_view element;
    bool makeText;    // pen 3 with the text height
    Z z;
    int32_t row;      // option row; -1 the current layer and colour (set by the elevation)
    bool takeLabel;   // text := label
};

constexpr CloseRow kCloses[] = {
    {"Cntr", false, Z::kCurrent, -1, false},
    {"AdmArea", false, Z::kZero, kGsiRowBoundary, false},
    {"CommBdry", false, Z::kZero, kGsiRowBoundary, false},
    {"AdmBdry", false, Z::kZero, kGsiRowBoundary, false},
    {"Cstline", false, Z::kZero, kGsiRowCoast, false},
    {"GCP", true, Z::kCurrent, kGsiRowControlPoint, true},
    {"RdEdg", false, Z::kZero, kGsiRowRoadEdge, false},
    {"RdCompt", false, Z::kZero, kGsiRowRoadEdge, false},
    {"RailCL", false, Z::kZero, kGsiRowRailway, false},
    {"WL", false, Z::kZero, kGsiRowWaterLine, false},
    {"BldA", false, Z::kZero, kGsiRowBuilding, false},
    {"BldL", false, Z::kZero, kGsiRowBuilding, false},
    {"ElevPt", true, Z::kCurrent, kGsiRowElevationPoint, true},
    {"AdmPt", true, Z::kZero, kGsiRowBoundary, true},
    {"CommPt", true, Z::kZero, kGsiRowBoundary, true},
    {"SBAPt", true, Z::kZero, kGsiRowBoundary, true},
    {"SBBdry", false, Z::kZero, kGsiRowBoundary, true},
};

const CloseRow* CloseOf(std::string_view name) {
    for (const CloseRow& row : kCloses)
        if (name == row.element) return &row;
    return nullptr;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

class FeatureReader : public XmlStreamHandler {
public:
    FeatureReader(bool zonePass, const GsiXmlOptions& options, int32_t firstOfFile)
        : m_zonePass(zonePass), m_options(options), m_firstOfFeature(firstOfFile) {
        m_ellipsoid.SelectEllipsoid(g_useWorldDatum == 1 ? kEllipsoidGrs1980 : kEllipsoidBessel1841);
    }

    void StartElement(std::string_view name) override {
        if (Done()) return;
        switch (ActOf(name)) {
        case Act::kPosList:
            m_inPosList = true;
            [[fallthrough]];
        case Act::kOpen:
        case Act::kOpenLabelId:
            m_newLine = true;
            m_meshMode = false;
            break;
        case Act::kMesh:
            m_meshMode = true;
            m_walk.OpenMesh();
            m_newLine = true;
            m_firstMeshLabel = g_dxfElementCount + 1;
            break;
        default: break;
        }
        m_walk.OpenElement(name);
    }

    void Attribute(std::string_view element, std::string_view name, std::string_view value) override {
        if (Done() || ActOf(element) != Act::kOpenLabelId) return;
        if (name == "gml:id" || name == "id") SetLabel(value);
    }

    bool StreamsText(std::string_view name) const override {
        const Act a = ActOf(name);
        return a == Act::kTupleList || a == Act::kPosList;
    }

    void TextPiece(std::string_view piece) override {
        if (Done()) return;
        if (m_inPosList) {
            FeedPositions(piece);
        } else {
            m_tuples.Feed(piece, [this](std::string_view line) { TupleLine(line); });
        }
    }

    void EndElement(std::string_view name, std::string_view text) override {
        if (Done()) return;
        if (const CloseRow* close = CloseOf(name)) {
            Close(*close);
            return;
        }
        // An oriented curve reference ("+") starts a line of its own.
        if (Trim(text) == "+") {
            m_newLine = true;
            m_meshMode = false;
            return;
        }
        switch (ActOf(name)) {
        case Act::kTupleList:
            m_tuples.Finish([this](std::string_view line) { TupleLine(line); });
            break;
        case Act::kPosList:
            FeedPositions(" ");
            m_inPosList = false;
            m_havePending = false;
            break;
        case Act::kAlti: Alti(text); break;
        case Act::kName: SetLabel(Trim(text)); break;
        case Act::kPos: {
            double lat = 0, lon = 0;
            MeshTwoNumbers(text, lat, lon);
            Position(lat, lon);
            break;
        }
        default: break;
        }
        switch (m_walk.CloseElement(name, text)) {
        case MeshGridWalk::Step::kEnvelope:
            if (m_zonePass) FoundZone(m_walk.LowerLatitude(), m_walk.LowerLongitude());
            break;
        case MeshGridWalk::Step::kCellRange: SetUpGrid(); break;
        case MeshGridWalk::Step::kStart: Restart(); break;
        default: break;
        }
    }

    bool Done() const override { return m_failed || m_zoneFound; }
    bool Failed() const { return m_failed; }

private:
    void FoundZone(double lat, double lon) {
        g_planeZone = PlaneZoneOfPosition(lat, lon);
        m_zoneFound = true;
    }

    void Fail(const char* message) {
        if (message) ShowMessage(message, "", msg::kOk | msg::kIconError);
        m_failed = true;
    }

    void SetLabel(std::string_view utf8) {
        const std::string cp932 = Utf8ToCp932(utf8);
        m_label.assign(cp932, 0, Cp932PrefixLength(cp932, kTextBytes));
    }

    // Room for one more element: the store grows in large steps so that a big file
    // causes few reallocations.
    DxfElement* Append() {
        if (g_dxfElementCount + 100 > g_dxfElementCapacity) {
            int64_t wanted = int64_t{g_dxfElementCount} + 200000;
            if (wanted > g_dxfElementLimit) wanted = g_dxfElementLimit;
            if (wanted <= g_dxfElementCount + 1 ||
                GrowDxfElementBlock(static_cast<int32_t>(wanted + 1)) != 0) {
                Fail(kOutOfMemory);
                return nullptr;
            }
            g_dxfElementCapacity = static_cast<int32_t>(wanted);
        }
        DxfElement* e = &g_dxfElementsBlock.Data()[++g_dxfElementCount];
        std::memset(e, 0, sizeof *e);
        return e;
    }

    void Position(double lat, double lon) {
        if (lat == 0 || lon == 0) return;
        if (m_zonePass) {
            FoundZone(lat, lon);
            return;
        }
        double x = 0, y = 0;
        if (!m_ellipsoid.ZoneGeographicToPlane(x, y, g_planeZone, lat, lon)) return;
        DxfElement* e = Append();
        if (!e) return;
        e->pen = m_newLine ? DXF_PEN_MOVE : DXF_PEN_DRAW;
        m_newLine = false;
        e->x = e->sourceX = x;
        e->y = e->sourceY = y;
        e->z = m_elevation;
        e->layer = m_layer;
        e->colour = m_colour;
    }

    // Numbers of a coordinate list, taken two by two as latitude and longitude.
    void FeedPositions(std::string_view piece) {
        for (char ch : piece) {
            if (static_cast<unsigned char>(ch) > ' ') {
                if (m_token.size() < 64) m_token += ch;
                continue;
            }
            if (m_token.empty()) continue;
            const double v = XmlLeadingNumber(m_token);
            m_token.clear();
            if (!m_havePending) {
                m_pending = v;
                m_havePending = true;
            } else {
                m_havePending = false;
                Position(m_pending, v);
                if (Done()) return;
            }
        }
    }

    void Close(const CloseRow& close) {
        if (!m_zonePass) {
            const GsiXmlLayerColour lc =
                close.row < 0 ? GsiXmlLayerColour{m_layer, m_colour} : m_options.rows[close.row];
            DxfElement* elements = g_dxfElementsBlock.Data();
            for (int32_t i = m_firstOfFeature; i <= g_dxfElementCount; ++i) {
                DxfElement& e = elements[i];
                if (close.makeText) {
                    e.pen = DXF_PEN_TEXT;
                    e.textHeight = m_options.textHeight;
                }
                if (close.z == Z::kCurrent) e.z = m_elevation;
                if (close.z == Z::kZero) e.z = 0;
                e.layer = lc.layer;
                e.colour = lc.colour;
                if (close.takeLabel) {
                    std::memset(e.text, 0, sizeof e.text);
                    std::memcpy(e.text, m_label.data(), m_label.size());
                }
            }
        }
        m_firstOfFeature = g_dxfElementCount + 1;
    }

    void Alti(std::string_view text) {
        const double v = XmlLeadingNumber(text);
        if (m_meshMode) {
            MeshLabel(v, Trim(text));
            return;
        }
        m_elevation = v;
        const double q = std::fabs(v) / 50.0;
        const int32_t row = std::fabs(q - std::round(q)) <= 1e-6 ? kGsiRowIndexContour : kGsiRowContour;
        m_layer = m_options.rows[row].layer;
        m_colour = m_options.rows[row].colour;
        SetLabel(Trim(text));
    }

    void TupleLine(std::string_view line) {
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos || Done()) return;
        const std::string_view rest = line.substr(comma + 1);
        MeshLabel(XmlLeadingNumber(rest), Trim(rest));
    }

    // One mesh value as a label at the centre of the current cell.
    void MeshLabel(double value, std::string_view text) {
        if (m_zonePass) return;
        if (!m_walk.HaveGrid()) {
            Fail(kBadGrid);
            return;
        }
        const bool missing = value <= kMissingAtOrBelow;
        DxfElement* e = Append();
        if (!e) return;
        m_walk.NextCellCentre(e->x, e->y);
        e->sourceX = e->x;
        e->sourceY = e->y;
        e->pen = DXF_PEN_TEXT;
        e->z = missing ? 0.0 : value;
        e->textHeight = 1.0;
        e->layer = m_options.rows[kGsiRowElevationPoint].layer;
        e->colour = m_options.rows[kGsiRowElevationPoint].colour;
        const std::string cp932 = missing ? std::string("0") : Utf8ToCp932(text);
        std::memcpy(e->text, cp932.data(), Cp932PrefixLength(cp932, kTextBytes));
    }

    void SetUpGrid() {
        if (m_zonePass) return;
        if (m_walk.SetUp(g_planeZone, g_useWorldDatum) != MeshGridWalk::SetUpResult::kOk)
            Fail(kBadGrid);
    }

    // The values read so far belong to the cells from the start cell on.
    void Restart() {
        if (m_zonePass) return;
        DxfElement* elements = g_dxfElementsBlock.Data();
        for (int32_t i = m_firstMeshLabel; i <= g_dxfElementCount; ++i) {
            m_walk.NextCellCentre(elements[i].x, elements[i].y);
            elements[i].sourceX = elements[i].x;
            elements[i].sourceY = elements[i].y;
        }
    }

    bool m_zonePass;
    const GsiXmlOptions& m_options;
    Ellipsoid m_ellipsoid;
    bool m_failed = false;
    bool m_zoneFound = false;
    int32_t m_firstOfFeature;
    int32_t m_firstMeshLabel = 1;
    bool m_newLine = true;
    int32_t m_layer = 0, m_colour = 0;
    double m_elevation = 0.0;
    std::string m_label;  // CP932, at most 31 bytes
    bool m_meshMode = false;
    bool m_inPosList = false;
    std::string m_token;
    double m_pending = 0;
    bool m_havePending = false;
    XmlLineSplitter m_tuples;
    MeshGridWalk m_walk;
};

constexpr const char* kRowLabels[kGsiRowCount] = {
    "主曲線", "計曲線", "海岸線", "行政区画線", "基準点",
    "道路縁", "軌道中心線", "標高点", "水涯線", "建物外周線",
};
constexpr int32_t kDefaultLayers[kGsiRowCount] = {8, 9, 5, 14, 7, 12, 11, 10, 13, 15};

}  // namespace

GsiXmlOptions DefaultGsiXmlOptions() {
    GsiXmlOptions o;
    for (int32_t i = 0; i < kGsiRowCount; ++i) o.rows[i] = {kDefaultLayers[i], kDefaultLayers[i]};
    o.textHeight = 10.0;
    return o;
}

const char* GsiXmlRowLabel(int32_t row) {
    return row >= 0 && row < kGsiRowCount ? kRowLabels[row] : "";
}

void GsiXmlLayerLostFocus(GsiXmlOptions& options, int32_t row, const std::string& text) {
    if (row < 0 || row >= kGsiRowCount) return;
    options.rows[row].layer = std::atoi(text.c_str());
}

std::string GsiXmlTextHeightText(double height) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", height);
    return buf;
}

std::string GsiXmlTextHeightLostFocus(GsiXmlOptions& options, const std::string& text) {
    const double v = std::fabs(std::atof(text.c_str()));
    if (v > 0 && std::isfinite(v)) options.textHeight = v;
    return GsiXmlTextHeightText(options.textHeight);
}

int32_t ImportGsiXmlFeatures(int32_t zonePass, const std::filesystem::path& path,
                             int32_t fileIndex, const GsiXmlOptions& options) {
    {
        std::FILE* probe = std::fopen(path.c_str(), "rb");
        if (!probe) return -1;
        std::fclose(probe);
    }
    // The registration side file is named after the map file.
    std::filesystem::path dxfName = path;
    dxfName.replace_extension(".DXF");
    g_dxfSourcePath = dxfName.string();
    g_backgroundDxfPath = dxfName.string();

    if (zonePass != 0) {
        FeatureReader reader(true, options, g_dxfElementCount + 1);
        XmlStreamError error;
        const bool ok = ReadXmlStream(path, reader, &error);
        return ok || g_planeZone != 0 ? 0 : -1;
    }

    double originLat = 0, originLon = 0;
    if (!ZoneOrigin(g_planeZone, originLat, originLon)) return -1;  // told
    if (g_dxfElementCount > 0 && fileIndex == 0 &&
        ShowMessage(kAskDeleteElements, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
        g_dxfElementCountAtLoad = 0;
        g_dxfElementCount = 0;
        g_dxfBlockElementCount = 0;
        g_dxfLayerCount = 0;
        g_dxfBlockNames.clear();
    }
    const int32_t countBefore = g_dxfElementCount;
    FeatureReader reader(false, options, countBefore + 1);
    XmlStreamError error;
    const bool ok = ReadXmlStream(path, reader, &error);
    if (!ok || reader.Failed()) {
        if (!ok) ShowMessage(FormatXmlStreamError(path, error), "", msg::kOk | msg::kIconError);
        g_dxfElementCount = countBefore;
        return -1;
    }
    g_dxfFirstNewElement = countBefore + 1;
    g_dxfElementCountAtLoad = g_dxfElementCount;
    if (g_dxfElementCount > 0) {
        // The elements kept from before are shown where the registration put them; they
        // keep that place under the identity that follows.
        DxfElement* elements = g_dxfElementsBlock.Data();
        for (int32_t i = 1; i <= countBefore; ++i) {
            elements[i].sourceX = elements[i].x;
            elements[i].sourceY = elements[i].y;
        }
        SetDxfRegistrationIdentity();
        g_dxfRegistration.dxfLoaded = 1;
        g_showBackgroundDxf = 1;
    }
    return 0;
}
