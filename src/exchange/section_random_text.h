#pragma once
// The cross sections written as random-point text: each section's centre, its ground
// points and the longitudinal-line crossings, in the random-point record columns, so the
// file reads back as survey points.
#include <cstdint>
#include <filesystem>
#include <string>

// The file text: with centreOnly only the centres, with withCrossings also the crossings
// that have a plan position, with insideOnly only positions inside or on the closed
// outline.
std::string FormatSectionsAsRandomText(int32_t centreOnly, int32_t withCrossings, int32_t insideOnly);
// 0 when written; -1 without sections, or when the file could not be written (told, no
// partial file left).
int32_t WriteSectionsAsRandomText(const std::filesystem::path& path, int32_t centreOnly, int32_t withCrossings,
                                  int32_t insideOnly);
