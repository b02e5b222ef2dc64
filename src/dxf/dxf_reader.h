#pragma once
// Reads an ASCII DXF drawing into the background vector layer: its layer table, its block
// definitions and the drawable entities of its ENTITIES section, block references
// expanded. A line scanner: every line is tested against the keywords, and a keyword's
// handler reads the lines after it.
#include <cstdint>
#include <string>

constexpr int32_t kDxfReadDone = 0;
constexpr int32_t kDxfReadCannotOpen = -1;  // message shown, nothing changed
constexpr int32_t kDxfReadTooBig = -2;      // message shown, the layer as it was before

int32_t ReadBackgroundDxf(const std::string& path);
