#pragma once
// The .BND companion: the outline of an RND document as text. Five lines of asterisks,
// "BOUND1", then "%6d" numbers: the vertex count, then the vertices' point indices.
#include <cstdint>
#include <cstdio>
#include <filesystem>

// Writes <base>.BND beside the document; with an empty outline any older .BND is
// removed and the result is 0. Otherwise -1 (a failed write is told to the user).
int32_t WriteBndFile(const std::filesystem::path& documentPath);

// Reads a .BND stream opened by the caller (left open) into g_outline, which is emptied
// first. The count becomes the number of vertices read and the list ends closed; every
// vertex gets flag byte exactly 0x01. 0, or -1 for a missing stream.
int32_t ReadBndFile(std::FILE* stream);
