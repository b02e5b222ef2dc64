#include "exchange/dem_xml.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "exchange/delimited_text.h"
#include "exchange/mesh_grid_walk.h"
#include "exchange/xml_stream.h"
#include "model/geodesy.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"

namespace {

constexpr const char* kOutOfMemory = "メモリ不足で取り込めません";
constexpr const char* kValuesBeforeGrid = "メッシュの標高値が範囲の定義より前にあります";
// Published files mark a cell without a measurement with -9999.
constexpr double kMissingAtOrBelow = -9000.0;

// The elements the reader looks at besides the grid description.
enum class Tag { kNone, kMesh, kTupleList, kAlti };

Tag Classify(std::string_view name) {
    // Any element whose name starts with "mesh" opens the mesh.
    if (name.substr(0, 4) == "mesh") return Tag::kMesh;
    if (name == "gml:tupleList") return Tag::kTupleList;
    if (name == "alti") return Tag::kAlti;
    return Tag::kNone;
}

class DemReader : public XmlStreamHandler {
public:
    DemReader(bool zonePass, int32_t firstNew) : m_zonePass(zonePass), m_firstNew(firstNew) {}

    void StartElement(std::string_view name) override {
        if (Classify(name) == Tag::kMesh) {
            m_meshMode = true;
            m_walk.OpenMesh();
        }
        m_walk.OpenElement(name);
    }

    void EndElement(std::string_view name, std::string_view text) override {
        if (m_failed || m_zoneFound) return;
        switch (Classify(name)) {
        case Tag::kTupleList:
            m_tuples.Finish([this](std::string_view line) { TupleLine(line); });
            return;
        case Tag::kAlti:
            if (m_meshMode) Value(XmlLeadingNumber(text));
            return;
        default: break;
        }
        switch (m_walk.CloseElement(name, text)) {
        case MeshGridWalk::Step::kEnvelope:
            if (m_zonePass) FoundZone();
            break;
        case MeshGridWalk::Step::kCellRange: SetUpGrid(); break;
        case MeshGridWalk::Step::kStart: Restart(); break;
        default: break;
        }
    }

    bool Done() const override { return m_failed || m_zoneFound; }
    bool Failed() const { return m_failed; }
    bool ZoneFound() const { return m_zoneFound; }

private:
    void FoundZone() {
        g_planeZone = PlaneZoneOfPosition(m_walk.LowerLatitude(), m_walk.LowerLongitude());
        m_zoneFound = true;
    }

    void Fail() { m_failed = true; }

    void SetUpGrid() {
        if (m_zonePass) return;
        switch (m_walk.SetUp(g_planeZone, g_useWorldDatum)) {
        case MeshGridWalk::SetUpResult::kBadRange:
            ShowMessage("メッシュの範囲が正しくありません", "", msg::kOk | msg::kIconError);
            Fail();
            return;
        case MeshGridWalk::SetUpResult::kNoEnvelope:
            ShowMessage("メッシュの緯度経度の範囲がありません", "", msg::kOk | msg::kIconError);
            Fail();
            return;
        case MeshGridWalk::SetUpResult::kZoneRefused: Fail(); return;
        case MeshGridWalk::SetUpResult::kOk: break;
        }
        const int32_t need = static_cast<int32_t>(m_walk.CellCount());
        if (g_pointCapacity - g_pointCount < need + 1) {
            const int32_t old = g_pointCapacity;
            const int32_t wanted = g_pointCount + need + 100;
            if (GrowPointBlock(wanted) != 0) {
                g_pointCapacity = old;
                OutOfMemory();
                return;
            }
            g_pointCapacity = wanted;
        }
    }

    void OutOfMemory() {
        ShowMessage(kOutOfMemory, "", msg::kOk | msg::kIconError);
        Fail();
    }

    // A tuple list can hold millions of cells: it arrives in pieces, taken line by line.
    bool StreamsText(std::string_view name) const override {
        return Classify(name) == Tag::kTupleList;
    }
    void TextPiece(std::string_view piece) override {
        if (m_failed || m_zoneFound) return;
        m_tuples.Feed(piece, [this](std::string_view line) { TupleLine(line); });
    }
    void TupleLine(std::string_view line) {
        if (m_failed) return;
        const size_t comma = line.find(',');
        if (comma != std::string_view::npos) Value(XmlLeadingNumber(line.substr(comma + 1)));
    }

    void Value(double z) {
        if (m_zonePass) return;
        // Values before the grid have no cell to go to: the file is not as published.
        if (!m_walk.HaveGrid()) {
            ShowMessage(kValuesBeforeGrid, "", msg::kOk | msg::kIconError);
            Fail();
            return;
        }
        if (EnsurePointCapacity(g_pointCount + 1) != 0) {
            OutOfMemory();
            return;
        }
        ++g_pointCount;
        RandomPoint& p = g_points[g_pointCount];
        m_walk.NextCellCentre(p.x, p.y);
        const bool missing = z <= kMissingAtOrBelow;
        p.z = missing ? 0.0 : z;
        std::memset(p.name, 0, sizeof p.name);
        if (missing) std::memcpy(p.name, "_W", 2);
        p.invalid = 0;
        p.plotKind = 3;
        p.outside = 0;
        p.hidden = 0;
        p.flags = 0;
    }

    // The values read so far belong to the cells from the start cell on.
    void Restart() {
        if (m_zonePass) return;
        for (int32_t i = m_firstNew; i <= g_pointCount; ++i)
            m_walk.NextCellCentre(g_points[i].x, g_points[i].y);
    }

    bool m_zonePass;
    int32_t m_firstNew;
    bool m_failed = false;
    bool m_zoneFound = false;
    bool m_meshMode = false;
    MeshGridWalk m_walk;
    XmlLineSplitter m_tuples;
};

}  // namespace

bool MeshGrid::SetUp(double lowerLatitude, double lowerLongitude, double upperLatitude,
                     double upperLongitude, int32_t n, int32_t m, int32_t zone,
                     int32_t useWorldDatum) {
    if (n < 1 || m < 1) return false;
    Ellipsoid e;
    e.SelectEllipsoid(useWorldDatum == 1 ? kEllipsoidGrs1980 : kEllipsoidBessel1841);
    if (!e.ZoneGeographicToPlane(swX, swY, zone, lowerLatitude, lowerLongitude)) return false;
    e.ZoneGeographicToPlane(seX, seY, zone, lowerLatitude, upperLongitude);
    e.ZoneGeographicToPlane(neX, neY, zone, upperLatitude, upperLongitude);
    e.ZoneGeographicToPlane(nwX, nwY, zone, upperLatitude, lowerLongitude);
    columns = n;
    rows = m;
    // Corners to cell centres: half a cell inwards along each edge. Signed, because
    // away from the zone's meridian the edges are not parallel to the axes.
    auto inset = [](double& aX, double& aY, double& bX, double& bY, int32_t cells) {
        const double dX = (bX - aX) / cells, dY = (bY - aY) / cells;
        aX += dX / 2;
        aY += dY / 2;
        bX -= dX / 2;
        bY -= dY / 2;
    };
    inset(swX, swY, seX, seY, n);
    inset(nwX, nwY, neX, neY, n);
    inset(swX, swY, nwX, nwY, m);
    inset(seX, seY, neX, neY, m);
    const double rowSpan = m > 1 ? m - 1 : 1;
    westStepX = (nwX - swX) / rowSpan;
    westStepY = (nwY - swY) / rowSpan;
    eastStepX = (neX - seX) / rowSpan;
    eastStepY = (neY - seY) / rowSpan;
    return true;
}

void MeshGrid::CellCentre(int32_t c, int32_t r, double& x, double& y) const {
    const double wx = nwX - (r - 1) * westStepX, wy = nwY - (r - 1) * westStepY;
    const double ex = neX - (r - 1) * eastStepX, ey = neY - (r - 1) * eastStepY;
    const double t = columns > 1 ? double(c - 1) / (columns - 1) : 0.0;
    x = wx + (ex - wx) * t;
    y = wy + (ey - wy) * t;
}

int32_t PlaneZoneOfPosition(double latitude, double longitude) {
    auto split = [](double v, double& d, double& m, double& s) {
        d = std::trunc(v);
        m = std::trunc((v - d) * 60.0);
        s = ((v - d) * 60.0 - m) * 60.0;
    };
    double ad, am, as, od, om, os;
    split(latitude, ad, am, as);
    split(longitude, od, om, os);
    int32_t zone = 0;
    FindNearestPlaneZone(ad, am, as, od, om, os, &zone);
    return zone;
}

int32_t ImportGsiXmlDem(int32_t zonePass, const std::filesystem::path& path) {
    const int32_t countBefore = g_pointCount;
    if (zonePass == 0) {
        double lat = 0, lon = 0;
        if (!ZoneOrigin(g_planeZone, lat, lon)) return -1;  // told
    }
    DemReader reader(zonePass != 0, countBefore + 1);
    XmlStreamError error;
    const bool ok = ReadXmlStream(path, reader, &error);
    if (zonePass != 0) return reader.ZoneFound() || ok ? 0 : -1;
    if (!ok || reader.Failed()) {
        if (!ok) ShowMessage(FormatXmlStreamError(path, error), "", msg::kOk | msg::kIconError);
        g_pointCount = countBefore;
        if (g_pointCapacity > g_pointCount) SetPointEndMarker();
        g_pointsPresent = g_pointCount > 0 ? -1 : 0;
        return -1;
    }
    SetPointEndMarker();
    g_dataChanged = -1;
    g_pointsPresent = -1;
    return 0;
}
