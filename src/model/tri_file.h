#pragma once
// The .TRI companion: the TIN edges of an RND document, binary little-endian int32.
// Header 0, g_holesInverted, edge count, 1; then per edge A, B, apex back, apex search.
#include <cstdint>
#include <cstdio>
#include <filesystem>

// Writes <base>.TRI beside the document. 0 after writing; -1 when there is no TIN (then
// any older .TRI is removed) or the file could not be written (the user is told).
int32_t WriteTriFile(const std::filesystem::path& documentPath);

// Reads a .TRI stream opened by the caller (left open). 0, or -1 for a missing stream, a
// bad edge count, a truncated file or no memory; then the TIN in memory is unchanged.
int32_t ReadTriFile(std::FILE* stream);

// Stores n edges (four fields each) as the TIN, dropping those whose vertices are not
// points, and closes the array with its end record. Grows the TIN block when needed;
// -1 (TIN unchanged) when it cannot.
int32_t StoreTinRecords(const int32_t* fields, int32_t n);

// Edge counts beyond this are damage, not data.
constexpr int32_t kMaxTinFileEdges = 100000000;
