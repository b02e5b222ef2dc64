#pragma once
// A closed polygon of points moved sideways: the corners of the moved polygon.
#include <cstdint>

#include "model/terrain_data.h"

// polygon: [0] the vertex count n, [1..n] point numbers (always taken as closed). The
// corners go to out[0], out[1] ... (X, Y, hidden byte 0; nothing else written), the record
// after the last one gets the end marker; `out` must hold n + 2 records. Returns the number
// of corners, or -1 for a missing list or output, n <= 2 or n > 200000, or no points. The
// sign of the distance is ignored.
int32_t OffsetPointPolygon(double distance, const int32_t* polygon, RandomPoint* out);
