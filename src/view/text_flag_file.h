#pragma once
// The .TFG companion file of the text flags (CP932, CR LF): a first line with the four
// flag colours (COLORREF integers of palette entries 76..79) and the three character
// sizes, then one line "X,Y,Z,line length,size class,colour,text,link" per flag.
#include <cstdint>
#include <filesystem>

// Reads the flags of the file; append 0 replaces the loaded flags, else the file's flags
// follow them. A file that cannot be opened or has no first line leaves everything as it
// was and says so; at 500 flags the rest is left out with one message. True when read.
bool ReadTextFlagFile(const std::filesystem::path& path, int32_t append);

// Writes the flag colours, the sizes and every flag; a failed write is reported. True
// when the whole file was written.
bool WriteTextFlagFile(const std::filesystem::path& path);

// The fields are separated by unquoted commas: a text or link holding one cannot be
// saved and read back as it was.
bool TextFlagFieldStorable(const char* text);

constexpr int32_t kTextFlagSizeMin = 10;
constexpr int32_t kTextFlagSizeMax = 64;
