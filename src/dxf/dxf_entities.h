#pragma once
// The entity readers of the background drawing: group codes per kind, the entity's own
// coordinate system, arcs, circles and bulges, text cleaning, and the two emitters that
// append to the store a run writes to.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_store.h"

class TextLineReader;

// Rules kept as drawings have always been read here, each one switch.
struct DxfReadRules {
    // The entity's coordinate system is applied to every kind that reads 210..230, LINE,
    // POINT and 3DFACE included (their coordinates are world ones in DXF).
    bool ocsOnWorldEntities = true;
    // SOLID corners joined 1-2-3-4 (DXF fills them 1-2-4-3).
    bool solidOrder1234 = true;
    // LWPOLYLINE closed only when 70 is exactly 1 (129 stays open).
    bool lwPolylineClosedOnlyAtOne = true;
    // VERTEX records taken whatever their flags, polyface face records included.
    bool takeFaceVertices = true;
};
inline constexpr DxfReadRules kDxfReadRules{};

struct DxfPoint3 {
    double x;
    double y;
    double z;
};

struct DxfBulgePoint {
    double x;
    double y;
    double z;
    double bulge;
};

struct DxfEntityHead {
    char layer[128];  // group 8 with its line end
    int32_t colour;   // group 62; 256 when missing
    double extrusion[3];
    char message[256];
};
void ResetDxfEntityHead(DxfEntityHead& head);

// Lines longer than this are never taken as a group code or keyword.
constexpr size_t kDxfLineLimit = 255;

// The group code of a code line, or -1 when the line is no code (atoi's value that also
// occurs in the line written in decimal).
int32_t DxfGroupCode(std::string_view line);
bool IsDxfGroupCode(std::string_view line, int32_t code);
// Equal after dropping at most one CR or LF from the end of each.
bool MatchesDxfKeyword(std::string_view line, std::string_view keyword);

// Numbers as atof and atoi read them (leading blanks skipped, 0 without digits).
double ParseDxfDouble(std::string_view text);
int32_t ParseDxfInt(std::string_view text);

// A value line as stored in a name field: with its line end, cut on a character boundary
// to limit - 1 bytes.
std::string DxfStoredName(std::string_view value, size_t limit);

// Code/value pairs of one entity over a whole-line reader.
class DxfGroupReader {
public:
    explicit DxfGroupReader(TextLineReader& lines) : m_lines(lines) {}
    bool NextLine(std::string_view& line);
    // The next pair; false after a code line of group 0 (its value is left), at an empty
    // code line, or when the value line is missing or empty.
    bool NextPair(int32_t& code, std::string_view& value);
    // A number of the entity; a value that is not finite marks the entity as refused.
    double Number(std::string_view value);
    bool refused = false;

private:
    TextLineReader& m_lines;
};

// Extents clipping of a run (shown axes: north, east).
struct DxfClip {
    bool on = false;
    double minNorth = 0;
    double minEast = 0;
    double maxNorth = 0;
    double maxEast = 0;
    bool Outside(double north, double east) const {
        return north < minNorth || north > maxNorth || east < minEast || east > maxEast;
    }
};

// Appends the list (entity coordinates) to the store `target` selects; forcedPen 0 for
// polylines, 2 for a point. Clipping applies to the element store only.
void EmitDxfPolyline(const DxfEntityHead& head, DxfTarget& target, std::vector<DxfPoint3>& points,
                     uint8_t forcedPen, const DxfClip& clip);
void EmitDxfText(const DxfEntityHead& head, DxfTarget& target, const DxfPoint3& position, double height,
                 double angle, std::string_view text, const DxfClip& clip);

// The arbitrary-axis algorithm; false when the coordinates stay as they are.
bool ComputeOcsAxes(const double normal[3], double xAxis[3], double yAxis[3]);
void ApplyOcs(const double normal[3], std::vector<DxfPoint3>& points);

// Points of an arc (degrees, counter-clockwise) and of a circle, divided by their size.
void DivideDxfArc(const DxfPoint3& centre, double radius, double startDeg, double endDeg,
                  std::vector<DxfPoint3>& out);
void DivideDxfCircle(const DxfPoint3& centre, double radius, std::vector<DxfPoint3>& out);

// Bulge arcs: the arc data from p1 to p2; false when the segment stays straight.
bool ComputeBulgeArc(bool clockwise, double includedAngle, const DxfPoint3& p1, const DxfPoint3& p2,
                     double& centreX, double& centreY, double& radius, int32_t& segments,
                     double& step, double& startAngle, double& endAngle);
// Arc points from p1 (included) towards p2 (excluded), z left 0.
void TessellateBulgeArc(const DxfPoint3& p1, const DxfPoint3& p2, double bulge, std::vector<DxfPoint3>& out);
// False when the expanded list would pass g_dxfElementLimit points (the list then stops
// there): a drawing that needs more is too big.
bool ExpandBulges(const std::vector<DxfBulgePoint>& in, std::vector<DxfPoint3>& out);

// Formatting codes and braces dropped, one line end removed, cut to 29 bytes.
std::string StripDxfTextFormatting(std::string_view value);

// The polyline waiting for its SEQEND.
struct DxfPendingPolyline {
    DxfEntityHead head;
    std::vector<DxfBulgePoint> vertices;
    bool closed = false;
};

// What the entity handlers share in one reader run.
struct DxfEntityRun {
    DxfTarget target = DXF_TARGET_NONE;
    DxfClip clip;
    int32_t splineQuality = 40;
    DxfPendingPolyline pending;
    std::vector<DxfPoint3> points;
    std::vector<DxfBulgePoint> bulgePoints;
};

enum class DxfEntityKind { kText, kMText, kPolyline, kVertex, kSeqEnd, kLwPolyline, k3dFace, kSolid, kArc, kCircle, kLine, kPoint, kSpline };

// Reads the entity whose name line was just read and appends what it becomes.
void HandleDxfEntity(DxfEntityKind kind, DxfGroupReader& reader, DxfEntityRun& run);

struct DxfInsert {
    DxfEntityHead head;
    std::string blockName;  // with its line end
    DxfPoint3 position;
    double scale[3];
    double rotation;  // degrees
};
void ReadDxfInsertEntity(DxfGroupReader& reader, DxfInsert& insert);

constexpr int32_t kMaxDxfLwPolylineVertices = 1'118'480;
constexpr int32_t kMaxDxfSplineControlPoints = 1'491'307;
constexpr size_t kDxfTextBytes = 29;
