#include "exchange/mesh_grid_walk.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "exchange/xml_stream.h"

namespace {

enum class Tag {
    kNone, kWest, kEast, kSouth, kNorth, kLowerCorner, kUpperCorner, kLow, kHigh,
    kStartPoint, kStartSequence, kCoordValues
};

struct TagRow {
    std::string_view name;
    Tag tag;
};

constexpr TagRow kTags[] = {
    {"jps:westBoundLongitude", Tag::kWest},
    {"jps:eastBoundLongitude", Tag::kEast},
    {"jps:southBoundLatitude", Tag::kSouth},
    {"jps:northBoundLatitude", Tag::kNorth},
    {"gml:lowerCorner", Tag::kLowerCorner},
    {"gml:upperCorner", Tag::kUpperCorner},
    {"gml:low", Tag::kLow},
    {"gml:high", Tag::kHigh},
    {"gml:startPoint", Tag::kStartPoint},
    {"jps:startSequence", Tag::kStartSequence},
    {"jps:coordValues", Tag::kCoordValues},
};

Tag Classify(std::string_view name) {
    for (const TagRow& row : kTags)
        if (name == row.name) return row.tag;
    return Tag::kNone;
}

void TwoIndexes(std::string_view text, int32_t& a, int32_t& b) {
    double da = 0, db = 0;
    MeshTwoNumbers(text, da, db);
    auto clamp = [](double v) {
        if (!(v > -1e9)) return int32_t{0};
        if (v > 1e9) return int32_t{1000000000};
        return static_cast<int32_t>(v);
    };
    a = clamp(da);
    b = clamp(db);
}

}  // namespace

void MeshTwoNumbers(std::string_view text, double& a, double& b) {
    const std::string s(text.substr(0, 256));
    char* end = nullptr;
    a = std::strtod(s.c_str(), &end);
    b = std::strtod(end, nullptr);
    if (!std::isfinite(a)) a = 0;
    if (!std::isfinite(b)) b = 0;
}

void MeshGridWalk::OpenElement(std::string_view name) {
    if (Classify(name) == Tag::kStartSequence) m_startPending = true;
}

MeshGridWalk::Step MeshGridWalk::CloseElement(std::string_view name, std::string_view text) {
    auto start = [this](std::string_view t) {
        int32_t c = 0, r = 0;
        TwoIndexes(t, c, r);
        if (!m_haveGrid) return Step::kTaken;
        m_c = c + 1;
        m_r = r + 1;
        return Step::kStart;
    };
    const bool lowerKnown = m_lowerLat != 0 && m_lowerLon != 0;
    switch (Classify(name)) {
    case Tag::kNone: return Step::kNotGrid;
    case Tag::kWest: m_lowerLon = XmlLeadingNumber(text); return Step::kTaken;
    case Tag::kEast: m_upperLon = XmlLeadingNumber(text); return Step::kTaken;
    case Tag::kSouth: m_lowerLat = XmlLeadingNumber(text); return Step::kTaken;
    case Tag::kNorth:
        m_upperLat = XmlLeadingNumber(text);
        return lowerKnown ? Step::kEnvelope : Step::kTaken;
    case Tag::kLowerCorner:
        MeshTwoNumbers(text, m_lowerLat, m_lowerLon);
        return m_lowerLat != 0 && m_lowerLon != 0 ? Step::kEnvelope : Step::kTaken;
    case Tag::kUpperCorner:
        MeshTwoNumbers(text, m_upperLat, m_upperLon);
        return m_upperLat != 0 && m_upperLon != 0 ? Step::kEnvelope : Step::kTaken;
    case Tag::kLow: TwoIndexes(text, m_lowC, m_lowR); return Step::kTaken;
    case Tag::kHigh: TwoIndexes(text, m_highC, m_highR); return Step::kCellRange;
    case Tag::kStartPoint: return start(text);
    case Tag::kCoordValues:
        if (m_startPending) {
            m_startPending = false;
            return start(text);
        }
        if (++m_coordValues == 1) {
            TwoIndexes(text, m_lowC, m_lowR);
            return Step::kTaken;
        }
        if (m_coordValues == 2) {
            TwoIndexes(text, m_highC, m_highR);
            return Step::kCellRange;
        }
        return Step::kTaken;
    case Tag::kStartSequence: m_startPending = false; return Step::kTaken;
    }
    return Step::kNotGrid;
}

MeshGridWalk::SetUpResult MeshGridWalk::SetUp(int32_t zone, int32_t useWorldDatum) {
    const int64_t n = int64_t{m_highC} - m_lowC + 1;
    const int64_t m = int64_t{m_highR} - m_lowR + 1;
    // One column or one row leaves no step between cell centres.
    if (n < 2 || m < 2 || n * m > kMeshMaxCells) return SetUpResult::kBadRange;
    if (m_lowerLat == 0 || m_lowerLon == 0 || m_upperLat == 0 || m_upperLon == 0)
        return SetUpResult::kNoEnvelope;
    if (!m_grid.SetUp(m_lowerLat, m_lowerLon, m_upperLat, m_upperLon, static_cast<int32_t>(n),
                      static_cast<int32_t>(m), zone, useWorldDatum))
        return SetUpResult::kZoneRefused;
    m_haveGrid = true;
    m_cellCount = n * m;
    return SetUpResult::kOk;
}

void MeshGridWalk::NextCellCentre(double& x, double& y) {
    m_grid.CellCentre(m_c, m_r, x, y);
    if (++m_c > m_grid.columns) {
        m_c = 1;
        ++m_r;
    }
}
