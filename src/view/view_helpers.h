#pragma once
// Small helpers of the painter: the colour a point takes from its name, and the fast
// fixed-point formatter of labels.
#include <cstddef>
#include <cstdint>

// name: the 12-byte name field of a RandomPoint. A name "#RRGGBB" (hexadecimal; a zero
// byte counts as F, any other character as 0) gives that colour; with g_pointColorMode 1
// the character in byte 7 gives a grey level instead. 1 with g_rasterColor = 0x00RRGGBB
// when a colour was found, else 0.
int32_t PointColorFromName(const char* name);
// The colour of a name "#RRGGBB" by the same digit rules, whatever g_pointColorMode says;
// false for a name that does not start with '#'.
bool HexColorFromName(const char* name, uint32_t& color);

// Writes value with `decimals` (0..7) decimals into out (at most outSize - 1 characters
// and a zero byte); returns the characters written, 0 for decimals outside 0..7.
int32_t FormatFixed(double value, int32_t decimals, char* out, size_t outSize);

// The automatic-outline dialog's search distance as a circle in window pixels around the
// view's centre; false while the dialog is closed or the distance is negative (during a
// walk) or under a pixel.
bool AutoOutlineSearchCircle(int& cx, int& cy, int& radius);
