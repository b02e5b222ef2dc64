#include "exchange/alignment_xml.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_store.h"
#include "exchange/vector_import.h"
#include "exchange/xml_stream.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "route/route_data.h"

namespace {

constexpr const char* kAskVectors =
    "ベクトルデータ（背景DXF）形式にも読み込みますか？\n（現在のベクトルデータは破棄されます）";
constexpr const char* kOutOfMemory = "メモリーが不足しています。";
constexpr const char* kRouteMemory = "路線データ用のメモリが確保できませんでした。";

constexpr size_t kIpNameBytes = 6;
constexpr size_t kStationNameBytes = 15;

// The blocks of the published layout and the record element each holds.
enum class Block { kNone, kElementPoints, kIntersections, kIntermediates, kGeometry };

// What one attribute sets.
enum class Field { kNone, kName, kX, kY, kCumulative, kRefPi, kRadius, kStartRadius, kEndRadius, kA };

struct BlockRow {
    const char* element;  // the block's element (the opening and closing lines)
    Block block;
    const char* record;  // its record element; null: every element inside the block
};

// In the order the blocks are recognised.
constexpr BlockRow kBlocks[] = {
    {"PIs", Block::kIntersections, "PI"},
    {"ElementPnts", Block::kElementPoints, "ElementPnt"},
    {"IntermediatePnts", Block::kIntermediates, "IntermediatePnt"},
    {"GmElement", Block::kGeometry, nullptr},
};

struct AttributeRow {
    Block block;
    const char* attribute;
    Field field;
};

// The attributes each record reads. A geometry element's own element gives "RefPI"; the
// elements inside it give the radii and the clothoid parameter.
constexpr AttributeRow kAttributes[] = {
    {Block::kElementPoints, "Name", Field::kName},
    {Block::kElementPoints, "x", Field::kX},
    {Block::kElementPoints, "y", Field::kY},
    {Block::kIntersections, "Name", Field::kName},
    {Block::kIntersections, "x", Field::kX},
    {Block::kIntersections, "y", Field::kY},
    {Block::kIntermediates, "Name", Field::kName},
    {Block::kIntermediates, "x", Field::kX},
    {Block::kIntermediates, "y", Field::kY},
    {Block::kIntermediates, "CumulativeDist", Field::kCumulative},
    {Block::kGeometry, "RefPI", Field::kRefPi},
    {Block::kGeometry, "Radius", Field::kRadius},
    {Block::kGeometry, "StartRadius", Field::kStartRadius},
    {Block::kGeometry, "EndRadius", Field::kEndRadius},
    {Block::kGeometry, "A", Field::kA},
};

// Vector layer and colour of the points of each kind.
constexpr int32_t kLayerIntersection = 1;
constexpr int32_t kLayerElementPoint = 2;
constexpr int32_t kLayerIntermediate = 3;

std::string_view LocalName(std::string_view name) {
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

double Number(std::string_view text) { return std::atof(std::string(text).c_str()); }

// The name as the records hold it (Shift-JIS), cut on a character boundary.
std::string Cut(const std::string& cp932, size_t bytes) {
    return cp932.substr(0, Cp932PrefixLength(cp932, bytes));
}

class AlignmentReader : public XmlStreamHandler {
public:
    explicit AlignmentReader(bool vectors) : m_vectors(vectors) {}

    bool WantsAttributes() const override { return true; }

    void StartElement(std::string_view name) override {
        const std::string_view local = LocalName(name);
        ++m_depth;
        if (m_block == Block::kNone) {
            for (const BlockRow& row : kBlocks) {
                if (local != row.element) continue;
                m_block = row.block;
                m_blockRow = &row;
                m_blockDepth = m_depth;
                m_blockLines = 0;
                if (m_block == Block::kGeometry) m_radius = m_startRadius = m_endRadius = m_a = 0;
                break;
            }
        }
    }

    void Attributes(std::string_view name, const std::vector<XmlAttribute>& attributes) override {
        if (m_block == Block::kNone || m_failed) return;
        if (m_block == Block::kGeometry) {
            if (m_depth == m_blockDepth) {
                m_refPi.clear();
                for (const XmlAttribute& a : attributes)
                    if (FieldOf(a.name) == Field::kRefPi) m_refPi = Cut(Utf8ToCp932(a.value), kIpNameBytes);
            } else {
                // Every element inside sets all four; the last one decides.
                m_radius = m_startRadius = m_endRadius = m_a = 0;
                for (const XmlAttribute& a : attributes) {
                    switch (FieldOf(a.name)) {
                    case Field::kRadius: m_radius = Number(a.value); break;
                    case Field::kStartRadius: m_startRadius = Number(a.value); break;
                    case Field::kEndRadius: m_endRadius = Number(a.value); break;
                    case Field::kA: m_a = Number(a.value); break;
                    default: break;
                    }
                }
            }
            return;
        }
        if (m_depth != m_blockDepth + 1 || LocalName(name) != m_blockRow->record) return;
        // A record without an attribute keeps the previous record's value, but not its name.
        std::string recordName;
        for (const XmlAttribute& a : attributes) {
            switch (FieldOf(a.name)) {
            case Field::kName: recordName = Utf8ToCp932(a.value); break;
            case Field::kX: m_x = Number(a.value); break;
            case Field::kY: m_y = Number(a.value); break;
            case Field::kCumulative: m_cumulative = Number(a.value); break;
            default: break;
            }
        }
        ++m_blockLines;
        switch (m_block) {
        case Block::kElementPoints: ElementPoint(recordName); break;
        case Block::kIntersections: Intersection(recordName); break;
        case Block::kIntermediates: Intermediate(recordName); break;
        default: break;
        }
    }

    void EndElement(std::string_view name, std::string_view text) override {
        (void)name;
        (void)text;
        if (m_block != Block::kNone && m_depth == m_blockDepth) EndBlock();
        --m_depth;
    }

    bool Done() const override { return m_failed; }
    bool TooManyIps() const { return m_failed; }

    std::vector<IpPoint> m_ips;  // from 0: record 1 of the table
    std::vector<StationRecord> m_stations;
    std::vector<DxfElement> m_elements;

private:
    Field FieldOf(std::string_view attribute) const {
        for (const AttributeRow& row : kAttributes)
            if (row.block == m_block && attribute == row.attribute) return row.field;
        return Field::kNone;
    }

    void Text(const std::string& name, int32_t layer) {
        if (m_vectors) m_elements.push_back(MakeImportElement(DXF_PEN_TEXT, m_x, m_y, 0, 1.0, name, layer, layer));
    }

    void ElementPoint(const std::string& name) {
        if (m_blockLines == 1) {
            m_firstX = m_x;
            m_firstY = m_y;
        }
        m_lastX = m_x;
        m_lastY = m_y;
        Text(name, kLayerElementPoint);
    }

    bool AddIp(const std::string& name, double x, double y) {
        if (static_cast<int32_t>(m_ips.size()) >= kAlignmentMaxIps) {
            m_failed = true;
            return false;
        }
        IpPoint ip{};
        const std::string cut = Cut(name, kIpNameBytes);
        std::memcpy(ip.name, cut.data(), cut.size());
        ip.x = x;
        ip.y = y;
        m_ips.push_back(ip);
        return true;
    }

    void Intersection(const std::string& name) {
        // Room is kept for the EP that follows the block.
        if (m_haveElementPoints && static_cast<int32_t>(m_ips.size()) + 1 >= kAlignmentMaxIps) {
            m_failed = true;
            return;
        }
        if (!AddIp(name, m_x, m_y)) return;
        Text(name, kLayerIntersection);
    }

    void Intermediate(const std::string& name) {
        StationRecord s{};
        s.kind = 2;
        const std::string cut = Cut(name, kStationNameBytes);
        std::memcpy(s.name, cut.data(), cut.size());
        s.addedDistance = m_cumulative;
        s.x = s.leftX = s.rightX = m_x;
        s.y = s.leftY = s.rightY = m_y;
        m_stations.push_back(s);
        Text(name, kLayerIntermediate);
    }

    void EndBlock() {
        switch (m_block) {
        case Block::kElementPoints:
            if (m_blockLines > 0) {
                m_ips.clear();
                AddIp("BP", m_firstX, m_firstY);
                m_haveElementPoints = true;
            }
            break;
        case Block::kIntersections:
            if (!m_ips.empty() && m_haveElementPoints) AddIp("EP", m_lastX, m_lastY);
            break;
        case Block::kGeometry: Geometry(); break;
        default: break;
        }
        m_block = Block::kNone;
        m_blockRow = nullptr;
    }

    void Geometry() {
        IpPoint* found = nullptr;
        for (IpPoint& ip : m_ips)
            if (m_refPi == ip.name) found = &ip;
        if (!found) return;
        if (std::fabs(m_radius) > 0) found->radius = std::fabs(m_radius);
        if (std::fabs(m_startRadius) < 0.001 && std::fabs(m_endRadius) > 0.001) found->a1 = std::fabs(m_a);
        if (std::fabs(m_startRadius) > 0.001 && std::fabs(m_endRadius) < 0.001) found->a2 = std::fabs(m_a);
    }

    bool m_vectors;
    bool m_failed = false;
    int32_t m_depth = 0;
    Block m_block = Block::kNone;
    const BlockRow* m_blockRow = nullptr;
    int32_t m_blockDepth = 0;
    int32_t m_blockLines = 0;
    double m_x = 0, m_y = 0, m_cumulative = 0;
    double m_firstX = 0, m_firstY = 0, m_lastX = 0, m_lastY = 0;
    bool m_haveElementPoints = false;
    std::string m_refPi;
    double m_radius = 0, m_startRadius = 0, m_endRadius = 0, m_a = 0;
};

// Station block room for n records; false after the message, block and capacity kept.
bool StationRoom(int32_t n) {
    if (n + 1 <= g_stationCapacity) return true;
    const int32_t wanted = n + 50;
    if (GrowStationBlock(wanted) != 0) {
        ShowMessage(kRouteMemory, "", msg::kOk | msg::kIconError);
        return false;
    }
    g_stationCapacity = wanted;
    return true;
}

}  // namespace

int32_t ReadRoadGmXml(const std::filesystem::path& path) {
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) return -1;
        std::fclose(f);
    }
    const bool vectors = ShowMessage(kAskVectors, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
    ShowWaitCursor(true);
    AlignmentReader reader(vectors);
    XmlStreamError error;
    const bool read = ReadXmlStream(path, reader, &error);
    ShowWaitCursor(false);
    if (reader.TooManyIps()) {
        ShowMessage("ＩＰ点が多すぎます（" + std::to_string(kAlignmentMaxIps) +
                        "点まで、BP・EPを含む）。\n" + path.filename().string(),
                    "", msg::kOk | msg::kIconError);
        return -1;
    }
    if (!read) {
        ShowMessage(FormatXmlStreamError(path, error), "", msg::kOk | msg::kIconError);
        return -1;
    }
    // Everything that may fail first, then the route and the layer are replaced.
    const int32_t stations = static_cast<int32_t>(reader.m_stations.size());
    if (!StationRoom(stations)) return -1;
    if (vectors && !CommitImportElements(reader.m_elements, true)) return -1;

    g_ipPointCount = 0;
    for (const IpPoint& ip : reader.m_ips) g_ipPoints[++g_ipPointCount] = ip;
    g_stationCount = 0;
    for (const StationRecord& s : reader.m_stations) g_stations[++g_stationCount] = s;
    if (vectors) FinishImportElements();
    return 0;
}
