#pragma once
// Rebuilding part of a TIN: the area inside the outline is triangulated anew with the region
// builder and stitched to the old triangles outside it; then the consistency check.
#include <cstdint>

// The "No" answer of the TIN calculation: keeps the TIN outside the outline. The argument
// is not used.
void BuildTinKeepingExisting(int32_t unused);

// Triangulates anew inside the polygon of g_pickList2 (closed and oriented by the caller,
// which marks with 0x10 the ends of the lines whose midpoint is inside or on it) and keeps
// every other line. Returns the record count.
int32_t RecalcTinInPolygon();

// Over records[1..count]: the first record with |a| = a, |b| = b and |search apex| = c, else 0.
int32_t FindRecordByApex(const struct TinEdge* records, int32_t count, int32_t a, int32_t b, int32_t c);

// Over g_tinEdges: -1 when a record a->b with search apex c exists; otherwise the first record
// b->a with back apex c is rewritten as a->b (back apex its old search apex, search apex c)
// and its index returned; otherwise 0.
int32_t FlipOrFindRecord(int32_t a, int32_t b, int32_t c);

// Per record 1..g_tinEdgeCount (index 0 unused): how many records describe its search-side
// triangle and its back-side triangle (0 without a back apex). Either may be null.
void CountTriangleRecords(int32_t* searchCounts, int32_t* backCounts);

// Reverses records whose triangles are described inconsistently; reports what remains.
void CheckTinConsistency();
