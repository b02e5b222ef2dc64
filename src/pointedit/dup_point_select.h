#pragma once
// The rows of the point selection dialog "ランダム点選択", which shows one group of
// duplicate points so that the user can pick the one to keep.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Per point of the group: number ("%6d"), X, Y ("%6.4f"), elevation ("%6.3f") and the name
// (CP932 bytes, as stored).
std::vector<std::array<std::string, 5>> DupPointSelectRows(const std::vector<int32_t>& group);

// What the dialog returns: the 0-based row that has the focus (-1 none), or this for 中止.
constexpr int32_t kDupPointSelectStop = -2;
