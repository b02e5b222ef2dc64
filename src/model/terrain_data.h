#pragma once
// The terrain data of the open document: random points, TIN edges, outline, pick lists
// and the data-present flags. They are globals that every subsystem reads and writes.
#include <cstdint>
#include <functional>
#include <string>

#include "model/record_block.h"

// One survey point. Record 0 is never used; the record after the last point carries
// the end marker (hidden byte 0xFF).
struct RandomPoint {
    double x;               // north, metres
    double y;               // east, metres
    double z;               // elevation, metres
    int32_t screenX;        // written by the view's projection
    int32_t screenY;
    int32_t multiUse;       // work word of several passes (marker size, grid cell, new index)
    int16_t invalid;        // 0 valid, 1 invalid or unused, 99 invalid while an area tool is open
    int16_t plotKind;       // 0 nothing, 1 name, 2 elevation, 3 both
    int8_t outside;         // 1 outside the outline; 2 finished during a TIN build
    int8_t hidden;          // 0/1; 0xFF (negative) in the end-marker record
    int8_t scratch;         // work byte of single passes
    uint8_t flags;          // kPointFlag* bits; higher bits belong to the point-editing tools
    char name[12];          // NUL-terminated, CP932 bytes
};

constexpr uint8_t kPointFlagOutline = 0x01;
constexpr uint8_t kPointFlagPickList2 = 0x02;
constexpr uint8_t kPointFlagPickList = 0x04;
constexpr uint8_t kPointFlagRectSelected = 0x10;  // inside the last dragged rectangle
constexpr int8_t kEndMarker = static_cast<int8_t>(0xFF);

// One TIN line. Negative index fields mark a hole on the search side.
struct TinEdge {
    int32_t a;
    int32_t b;
    int32_t apexBack;    // kNoApex when the edge is on the TIN's border
    int32_t apexSearch;  // 0 while the search side is still open
    int32_t state;       // work word of the builders and TIN passes; never stored
};

constexpr int32_t kNoApex = -999999999;

// Outline and pick lists: [0] the count n, [1..n] point indices, [n+1] = [1] when closed.
constexpr int32_t kIndexListEntries = 200000;
constexpr int32_t kIndexListMaxVertices = kIndexListEntries - 2;  // so [n+1] always fits

class IndexList {
public:
    IndexList();
    // Bounds-checked entry access; an index outside 0..kIndexListEntries-1 throws
    // std::out_of_range rather than touching memory it does not own.
    int32_t& operator[](int32_t i);
    int32_t operator[](int32_t i) const;
    int32_t Count() const { return m_entries[0]; }
    // Appends a vertex after the n vertices (dropping a closing entry); false when full.
    bool Append(int32_t pointIndex);
    // Inserts a vertex before position pos (1..n+1); false when full or out of range.
    bool Insert(int32_t pos, int32_t pointIndex);
    // Removes the vertex at position pos (1..n); false when out of range.
    bool Remove(int32_t pos);
    bool IsClosed() const;
    // Sets [n+1] = [1]; false when the list is empty.
    bool Close();
    // Clears every entry.
    void Reset();
    // Clears the first four entries (the count and the first vertices), as emptying does.
    void ClearHead();
    const int32_t* Data() const { return m_entries; }
    int32_t* Data() { return m_entries; }

private:
    int32_t* m_entries;
};

using PickList = IndexList;
using Outline = IndexList;

// Points (records 1..g_pointCount, end marker at g_pointCount+1).
extern RandomPoint* g_points;
extern RecordBlock<RandomPoint> g_pointsBlock;
extern int32_t g_pointCount;
extern int32_t g_pointCapacity;

// TIN edges (records 1..g_tinEdgeCount, a record of -1s after the last).
extern TinEdge* g_tinEdges;
extern RecordBlock<TinEdge> g_tinEdgesBlock;
extern int32_t g_tinEdgeCount;
extern int32_t g_tinEdgeCapacity;

extern Outline g_outline;
extern PickList g_pickList;   // flag bit 0x04
extern PickList g_pickList2;  // flag bit 0x02

// Data-present flags and shared words: -1 yes, 0 no.
extern int32_t g_pointsPresent;
extern int32_t g_tinPresent;
extern int32_t g_drawingContoursLoaded;
extern int32_t g_holesInverted;
extern int32_t g_dataChanged;

// Lowest and highest Z of the valid points.
extern double g_pointZMin;
extern double g_pointZMax;

// The current random-data file: full path, file name without folder and extension,
// and its folder without a trailing separator.
extern std::string g_currentDataPath;
extern std::string g_documentTitle;
extern std::string g_dataFolder;

constexpr int32_t kStartPointCapacity = 10000;
constexpr int32_t kStartTinEdgeCapacity = 40000;

// Resize the point / TIN block to n records: 0, or -1 with the old block kept.
// The caller keeps the capacity global and restores it on failure.
int32_t GrowPointBlock(int32_t n);
int32_t GrowTinEdgeBlock(int32_t n);

// Writes the end marker after the last point (the block must hold count+1 records).
void SetPointEndMarker();
// Writes the record of -1s after the last TIN edge.
void SetTinEndRecord();
// Grows the point block when fewer than `spare` records remain after `needed` points
// (by `step`); restores the capacity and returns -1 on failure.
int32_t EnsurePointCapacity(int32_t needed, int32_t step = 10000, int32_t spare = 50);
int32_t EnsureTinEdgeCapacity(int32_t needed, int32_t step = 10000, int32_t spare = 50);

// Other subsystems' record blocks register how they are freed and reset, so that
// FreeDataBlocks and InitDataModel reach them without this file knowing them.
void RegisterDataBlockRelease(std::function<void()> release);
void RegisterDataModelReset(std::function<void()> reset);

// A window that keeps the points turned for viewing installs how they return to their
// survey coordinates (null when it no longer holds them turned). Saving, opening and
// deleting points restore them first, so turned coordinates are never stored or
// renumbered.
void SetSurveyFrameRestorer(std::function<void()> restore);
void RestoreSurveyFrame();

// Brings every terrain global to its start state (also what each test calls first).
void InitDataModel();
// Frees every record block.
void FreeDataBlocks();
// Frees everything InitDataModel allocated.
void ReleaseDataModel();
