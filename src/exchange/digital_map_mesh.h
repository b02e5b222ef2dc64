#pragma once
// Import of the national digital-map elevation meshes (fixed-column text, "*.?EM"): one
// point per grid cell, the regular TIN of the grid and the grid border as the outline,
// placed on a local grid of the mesh size or in plane rectangular coordinates.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The header line.
struct DigitalMapHeader {
    int32_t datum = 0;    // 2000 or more: world geodetic system, else Tokyo datum
    int32_t columns = 0;  // n, cells from west to east
    int32_t rows = 0;     // m, cells from north to south
    double southWestLatitude[3] = {0, 0, 0};  // degrees, minutes, seconds
    double southWestLongitude[3] = {0, 0, 0};
    double northEastLatitude[3] = {0, 0, 0};
    double northEastLongitude[3] = {0, 0, 0};
    std::string rowFlags;  // one character per row (columns 226 on), '1' when a line follows
};
DigitalMapHeader ParseDigitalMapHeader(std::string_view line);

// Larger grids are refused: the point and TIN blocks of one import stay bounded.
constexpr int64_t kDigitalMapMaxCells = 1000000;

// The local grid spacing by the extension: "?M?" 50 m (the first letter after the point
// M or m), S 250 m, anything else 1000 m.
double DigitalMapMeshSize(const std::filesystem::path& path);

// Results besides 0.
constexpr int32_t kDigitalMapCannotOpen = -1;
constexpr int32_t kDigitalMapBadGrid = -2;      // header missing, grid under 2 x 2 or too large
constexpr int32_t kDigitalMapDamaged = -3;      // a flagged row has no data line
constexpr int32_t kDigitalMapCancelled = -4;    // zone dialog cancelled or no zone
constexpr int32_t kDigitalMapNoMemory = -5;

// Replaces the random points, the TIN and the outline with the mesh of the file. Every
// failure is told and leaves the data as they were; on success the new data are committed
// at once.
int32_t ImportDigitalMapMesh(const std::filesystem::path& path);

// Command 32860: asks before discarding the points, chooses the file, imports, refreshes.
void OnDigitalMapImport();
