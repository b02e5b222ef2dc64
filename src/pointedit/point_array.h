#pragma once
// The ways points enter and leave the point array. The appends copy g_editPoint into the
// record after the last point and move the end marker behind it, but leave g_pointCount
// alone: the caller raises it when it accepts the point. Nothing here renumbers other
// records unless its name says so.
#include <cstdint>
#include <string>
#include <vector>

// New-point settings of the point-input panel, read by every tool that creates points.
extern int32_t g_newPointInvalid;   // invalid flag of new points
extern int32_t g_newPointPlotMode;  // plot kind of new points
extern std::string g_newPointName;  // CP932, at most 11 bytes
extern double g_newPointZ;          // elevation of method 0
extern int32_t g_newPointMethod;    // 0 given Z, 1 through the edit dialog, 2 TIN Z
// What the creators did last: a point number, -1 appended, or minus a run's length.
extern int32_t g_addedPointsInMode;

// The template at the ground position of a client pixel, Z from the TIN (0 off it).
// Returns the new number (g_pointCount + 1), or 0 when the array could not grow.
int32_t AppendPointAtCursor(int32_t column, int32_t row);
// The template at its own X and Y, Z from the TIN; in the plan view refused (0) when a
// drawn point already sits within 60 squared pixels of it.
int32_t AppendEditPointIfFree();
// The template unchanged.
int32_t AppendEditPoint();

// Removes record i (1..g_pointCount), moving the later records and the end marker down.
// Nothing happens for any other i or while the progress window is open.
void DeletePointRecord(int32_t i);

// Drops every point above `count` (a tool's run that was not accepted) and writes the end
// marker after the last one kept. Returns how many were dropped.
int32_t RollBackPointsTo(int32_t count);

// Deletes point p and keeps every reference valid: TIN vertices above p move one step
// towards 0 (signs kept, the no-apex value untouched), outline entries above p, the
// closing copy included, are lowered, p leaves g_pickList2 and its entries above p are
// lowered. The caller makes sure p is no TIN vertex and no outline vertex.
void DeletePointKeepingReferences(int32_t p);

// newIndex[old] for old = 0..g_pointCount: the point's number after a compaction, 0 when
// it goes. TIN vertices take the new number of their absolute value with their own sign
// (0 and the no-apex value stay); the outline (its closing copy too) and, when asked, the
// entries 1..count of both pick lists follow.
void RenumberPointReferences(const std::vector<int32_t>& newIndex, bool pickLists);
// Moves every kept record to its new number (in order), sets g_pointCount to the number
// kept and writes the end marker. Returns the number kept.
int32_t CompactPoints(const std::vector<int32_t>& newIndex);

// Copies a name into a record's 12-byte field: at most 11 bytes, never splitting a
// double-byte character, NUL-terminated.
void CopyPointName(char (&field)[12], const std::string& name);
