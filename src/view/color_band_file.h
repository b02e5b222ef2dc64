#pragma once
// The colour-band settings file (.CDF): "key,value" text lines holding the colour-band
// parameters and colours, the view's centre, scale, camera and main display switches, and
// forty entries of the drawing palette, so that a data set reopens looking as it was left.
#include <cstdint>
#include <filesystem>

// What ReadColorBandFile reads besides the d- and c-lines.
constexpr int32_t kColorBandReadView = 1;     // v-lines
constexpr int32_t kColorBandReadPalette = 2;  // p-lines

// The bit ReadColorBandFile's found mask gets for palette lines.
constexpr int32_t kColorBandFoundPalette = 0x100;

// Palette index of the file's entries p001 .. p040.
extern const int32_t kColorBandPaletteIndex[40];

// Writes g_colorBandParams, the view state and the palette entries (CR LF lines).
// Nonzero when the whole file was written; 0 when it could not be created or a write
// failed, and then no partial file is left. Nothing is reported here.
int32_t WriteColorBandFile(const std::filesystem::path& path);

// Reads a settings file whole, skipping comment, short and malformed lines; a value out of
// its sane range (not finite, a coordinate or elevation the RND file could not hold, an
// angle beyond a turn) is not taken, and the lines holding such values are told in one
// message. `what`: 0 the
// band lines only, or kColorBandReadView and kColorBandReadPalette. `found`, when given,
// starts at 0 and collects one bit per view line read (v001 1 .. v015 8192) and
// kColorBandFoundPalette for palette lines. 0 when the file cannot be opened, else 1.
int32_t ReadColorBandFile(const std::filesystem::path& path, int32_t what,
                          int32_t* found = nullptr);

// 表示パラメータ保存: writes the settings to a file the user chooses, proposed as
// <document title>.CDF in the data folder; a failed write is reported.
void OnDisplayParameterSave();
