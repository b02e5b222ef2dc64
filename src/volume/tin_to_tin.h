#pragma once
// The volume between the TIN in memory (the plan surface) and a base TIN read from a
// .TRI/.RND pair (the existing ground), pair of overlapping triangles by pair.
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct TinVolumeRequest {
    int32_t baseHoleOption = 1;     // 0 all, 1 all but hole triangles, -1 holes only
    int32_t currentHoleOption = 1;
    int32_t regionMode = 0;         // 0 none, 1 plus parts, 2 minus parts
    double plusVolume = 0;
    double minusVolume = 0;
    double plusArea = 0;
    double minusArea = 0;
    double zeroArea = 0;
    double overhangArea = 0;
    double totalArea = 0;
    int32_t overhangCount = 0;
    int32_t plusRegionCount = 0;
    int32_t minusRegionCount = 0;
    // Receives the progress texts (UTF-8); may be empty.
    std::function<void(const std::string&)> progressWindow;
    // The region file, open for reading and writing and positioned for appending; or null.
    std::FILE* regionFile = nullptr;
};

// A vertex of an overlap polygon and of a region record.
struct RegionVertex {
    double y;      // east
    double x;      // north
    double zBase;
    double zCur;
};

// A base triangle record: the four fields of a .TRI record and the cell code.
struct BaseTinRecord {
    int32_t a;
    int32_t b;
    int32_t back;
    int32_t search;
    int32_t cell;
};

struct BasePoint {
    double x;
    double y;
    double z;
};

constexpr int32_t kBaseCells = 128;
constexpr int32_t kLargeCell = kBaseCells * kBaseCells;  // 16384
constexpr int32_t kExcludedCell = kLargeCell + 1;

struct BaseCellIndex {
    double originY = 0, originX = 0;
    double upperY = 0, upperX = 0;
    double scaleY = 0, scaleX = 0;  // cells per metre
    std::vector<int32_t> offsets;   // 16387 entries: first record of each code
};

struct TinPairRecord {
    std::array<std::array<double, 3>, 3> v{};  // (X, Y, Z) of vertex 1, 2, 3
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    std::array<double, 3> normal{};  // east, north, up
    double plusVolume = 0, minusVolume = 0;
    double plusArea = 0, minusArea = 0, zeroArea = 0;
    double area = 0;  // signed, positive counter-clockwise on the map
    double overlapSum = 0;
    double coveredArea = 0;  // the pairs' areas summed, for the overhang
    int32_t firstColumn = 0, lastColumn = 0, firstRow = 0, lastRow = 0;
};

// The polygons of the last pair clipped (one set for the program).
struct TinClipBuffers {
    RegionVertex overlap[10];
    int32_t overlapCount = 0;
    RegionVertex plus[10];
    int32_t plusCount = 0;
    RegionVertex minus[10];
    int32_t minusCount = 0;
};
extern TinClipBuffers g_tinClip;

// Number of contributing pairs (>= 1); 0 when nothing was computed (base TIN unreadable
// or damaged, which is told; no triangle on a side; no overlap; no memory); -1 when stopped
// with Escape (partial sums kept in the request).
int32_t CalcTinToTinVolume(const std::filesystem::path& basePath, TinVolumeRequest* request);

// Reads <base>.TRI: records 1..n in records (index 0 unused, then the record of -1s) and
// the highest point number used. n, or 0 when the file is missing, damaged or too large.
int32_t ReadBaseTinTriangles(const std::filesystem::path& path, std::vector<BaseTinRecord>* records,
                             int32_t* highestPoint);
// Reads up to `highest` points of <base>.RND (index 0 unused). The count read; 0 on failure.
int32_t ReadBaseTinPoints(const std::filesystem::path& path, int32_t highest, std::vector<BasePoint>* points);

// One mark byte per record (marks[1..recordCount]); the number of triangles kept.
int32_t MarkTrianglesOnce(const BaseTinRecord* records, int32_t pointCount, int32_t recordCount,
                          std::vector<uint8_t>* marks, int32_t holeOption);
void BuildBaseCellIndex(BaseCellIndex* index, const std::vector<BasePoint>& points,
                        std::vector<BaseTinRecord>* records, int32_t recordCount, int32_t holeOption);
double PrepareCurrentTriangle(TinPairRecord* pair);
void ComputeCellRange(const BaseCellIndex& index, TinPairRecord* pair);
// base[k] = (X, Y, Z) of the base triangle's first vertex, second vertex, search apex.
int32_t ClipTrianglePair(const std::array<std::array<double, 3>, 3>& base, TinPairRecord* pair);
double PolygonPrismVolume(const RegionVertex* polygon, int32_t count, double* area);
void WriteRegionRecord(TinVolumeRequest* request, const TinPairRecord& pair);
void DrawPairPolygons(const TinPairRecord& pair);

// Draws a closed polygon at (X, Y, zBase) of its vertices into the locked back buffer;
// false (nothing drawn) when a vertex is off the screen.
bool DrawRegionPolygon(const RegionVertex* vertices, int32_t count, uint32_t color);

// Called at each progress report to show the polygons drawn so far (installed by the
// view window); none headless.
void SetTinVolumeRepaintHook(std::function<void()> hook);
