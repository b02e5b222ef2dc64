#pragma once
// A plan grid over the background layer's elements and segments, so that a snap looks at
// the elements near the cursor instead of all of them. The searches in dxf_picking use it
// on large stores; they still judge every candidate on the elements as they are now, so
// the grid only has to hold a superset of the right candidates.
//
// It follows the store by itself where elements are appended or the tail is taken away.
// Code that changes elements in place calls NoteDxfElementMoved (a few, moved or with a
// new pen) or NoteDxfElementsChanged (every element from `first` on may differ: removed,
// shifted, replaced; 1 for the whole store).
#include <cstdint>
#include <functional>

void NoteDxfElementMoved(int32_t element);
void NoteDxfElementsChanged(int32_t first = 1);

// Stores with fewer elements are searched one by one (the grid does not pay off).
extern int32_t g_dxfSnapIndexThreshold;

namespace dxfsnap {

// Whether the grid is in use for the store as it is now (brought into step first).
bool Ready();

// Every element whose plan position may lie in the box (north x0..x1, east y0..y1).
void ForElementsInBox(double x0, double y0, double x1, double y1,
                      const std::function<void(int32_t)>& visit);

// Every segment (named by its second element) whose closeness to (north, east) may pass
// 0.8: such a segment lies within 3/8 of its length of the point.
void ForSegmentsAround(double north, double east, const std::function<void(int32_t)>& visit);

// Segments in growing rings of cells around (north, east). After each ring, `done` gets
// the plan distance below which every segment not yet visited lies no nearer; true ends
// the search.
void ForSegmentsByDistance(double north, double east, const std::function<void(int32_t)>& visit,
                           const std::function<bool(double)>& done);

}  // namespace dxfsnap
