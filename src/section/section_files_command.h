#pragma once
// Saving the simple sections after their calculation: a file name, the .QDN and the route
// files of the same base name.
#include <cstdint>

// 0 when saved, 1 when the dialog was cancelled, -1 when a file failed (told).
int32_t SaveSimpleSectionsAs();
