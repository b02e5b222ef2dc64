#pragma once
// Elevation meshes published as XML (the GML encoding with a tuple list, and the older
// JPGIS encoding with one <alti> per cell): one random point per grid cell at the cell's
// centre in the current plane zone.
#include <cstdint>
#include <filesystem>

// The cell grid of one mesh: envelope in degrees, cell count and the four corner-cell
// centres in plane coordinates.
struct MeshGrid {
    int32_t columns = 0;  // n, west to east
    int32_t rows = 0;     // m, north to south
    // Corner-cell centres, X north / Y east: south-west, south-east, north-east, north-west.
    double swX = 0, swY = 0, seX = 0, seY = 0, neX = 0, neY = 0, nwX = 0, nwY = 0;
    double westStepX = 0, westStepY = 0, eastStepX = 0, eastStepY = 0;

    // Projects the envelope into `zone` and insets the corners to the corner-cell
    // centres. False for a zone outside 1 to 19 (told) or an empty grid.
    bool SetUp(double lowerLatitude, double lowerLongitude, double upperLatitude,
               double upperLongitude, int32_t columns, int32_t rows, int32_t zone,
               int32_t useWorldDatum);
    // Centre of column c (1 = west) and row r (1 = north).
    void CellCentre(int32_t c, int32_t r, double& x, double& y) const;
};

// The plane zone whose origin is nearest to a position in decimal degrees (split into
// degrees, minutes and seconds as the zone search takes them).
int32_t PlaneZoneOfPosition(double latitude, double longitude);

// Largest grid taken from one file; larger ones are refused with a message.
constexpr int64_t kMeshMaxCells = 20'000'000;

// zonePass 1: sets g_planeZone from the file's envelope and reads nothing else;
// 0 when a zone was found or the file ended, -1 when it cannot be read.
// zonePass 0: appends the file's cells as points. -1 (told) when the file cannot be
// opened, is malformed, the zone is not 1 to 19 or the point block cannot grow; the
// points of this file are then taken back and the earlier ones kept.
int32_t ImportGsiXmlDem(int32_t zonePass, const std::filesystem::path& path);
