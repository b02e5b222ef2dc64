#pragma once
// Road alignments exchanged as XML by road design software: element points (start and
// end), intersection points, intermediate points (stations) and one geometry element per
// intersection point with its radius and clothoid parameter. The file becomes the IP table
// and the stations of the route and, when the user asks for it, labelled points of the
// background vector layer.
#include <cstdint>
#include <filesystem>

// Most IP records a file may give, BP and EP included: one less than the table holds.
constexpr int32_t kAlignmentMaxIps = 499;

// 0 after reading the file; -1 when it cannot be opened (nothing told), is malformed, holds
// more intersection points than the IP table takes, or a store cannot grow (told). The
// route and the vector layer change only after a whole file was read.
int32_t ReadRoadGmXml(const std::filesystem::path& path);
