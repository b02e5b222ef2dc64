#pragma once
// Streaming ASCII DXF writer: open, one call per entity, close. Two forms: a bare file
// with only an ENTITIES section, or the R14 ("AC1014") form with a fixed skeleton before
// the entities, handles and subclass markers in every entity and a fixed OBJECTS section
// after them. One file at a time; lines end in CR LF.
//
// Entity arguments come north first (the system's X), then east (Y), then elevation;
// the file carries east in group 10 and north in group 20.
#include <cstdint>
#include <cstdio>
#include <string>

extern std::FILE* g_dxfOutFile;    // null when no file is open
extern int32_t g_dxfNextHandle;    // 1024 after an open; incremented before each use
extern int32_t g_dxfWithHeader;    // 1: the open file has the R14 skeleton

constexpr int32_t kDxfWriteDone = 0;
constexpr int32_t kDxfWriteCannotCreate = -1;  // nothing open, or the file could not be created
constexpr int32_t kDxfWriteFailed = -2;        // a write or the close failed: the file is incomplete
constexpr int32_t kDxfWriteSkipped = -3;       // the file is complete but left out unwritable entities

// 0, or -1 when the file cannot be created (g_dxfOutFile stays null).
int32_t OpenDxfWriter(const std::string& path, int32_t withHeader);
// Ends the entities (and writes the R14 tail), closes the file. 0 when every write and the
// close succeeded; kDxfWriteFailed when any failed (a full disk is not success);
// kDxfWriteCannotCreate when no file was open.
int32_t CloseDxfWriter();
// True once a write to the open file has failed; later writes are dropped.
bool DxfWriterFailed();
// Entities refused since the open because a coordinate was not finite.
int32_t DxfWriterRefusedCount();

// Each entity writer returns 0; -1 when no file is open; -3 when a coordinate is not a
// finite number (nothing written, counted).
int32_t WriteDxf3dFace(double north1, double east1, double z1, double north2, double east2, double z2,
                       double north3, double east3, double z3, double north4, double east4, double z4,
                       int32_t colour, int32_t layer);
int32_t WriteDxfLine(double north1, double east1, double z1, double north2, double east2, double z2,
                     int32_t colour, int32_t layer);
int32_t WriteDxfPoint(double north, double east, double z, int32_t colour, int32_t layer);
int32_t WriteDxfPolylineHeader(double north, double east, double z, int32_t colour, int32_t layer, int32_t is3d);
// `last` 1 ends the polyline with SEQEND.
int32_t WriteDxfVertex(double north, double east, double z, int32_t layer, int32_t last, int32_t is3d);
// `text`: the bytes as stored (CP932), at most `maxBytes` of them, cut at a NUL.
int32_t WriteDxfText(double north, double east, double z, double angle, double height, const char* text,
                     int32_t colour, int32_t layer, size_t maxBytes = 255);
// One call per vertex: `position` -1 first (writes the entity start), 1 last (ends it),
// anything else a middle vertex.
int32_t WriteDxfLwPolylineVertex(double north, double east, double z, int32_t colour, int32_t layer,
                                 int32_t vertexCount, int32_t position, int32_t is3d);

// Saves the whole element store as a bare DXF at the shown coordinates. withZ 0 writes
// every elevation as 0. Returns kDxfWriteDone, kDxfWriteCannotCreate, kDxfWriteFailed, or
// kDxfWriteSkipped when elements with a coordinate that is not finite were left out.
// The store is not changed. Callers keep their unsaved-changes flag on any non-zero result.
int32_t WriteDxfElements(const std::string& path, int32_t withZ);
// Elements left out by the last WriteDxfElements.
extern int32_t g_dxfElementsSkipped;
