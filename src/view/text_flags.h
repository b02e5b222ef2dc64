#pragma once
// Text flags: free annotations at ground points, saved in the document's .TFG file.
// Records are numbered from 1; record 0 is never used.
#include <cstdint>

struct TextFlag {
    char text[258];  // CP932, NUL-terminated
    char link[257];  // file relative to the data file's folder; empty for none
    int8_t offScreen;
    double x;
    double y;
    double z;
    int32_t lineLength;  // pixels of the flag's pole in the bird's-eye view
    int32_t colour;      // 1..4: palette entries 76..79
    int32_t sizeClass;   // 1..3: g_textFlagSizes
    int32_t screenX;     // written by the view's projection
    int32_t screenY;
    int32_t markerSize;
};

constexpr int32_t kMaxTextFlags = 500;
// No pole is longer than a screen; the bound keeps the screen arithmetic in range.
constexpr int32_t kTextFlagLineLengthLimit = 10000;
// A pole length as typed or read: the leading integer, held within ±kTextFlagLineLengthLimit.
int32_t TextFlagLineLengthFromText(const char* text);

extern TextFlag g_textFlags[kMaxTextFlags + 1];
extern int32_t g_textFlagCount;
extern int32_t g_selectedTextFlag;  // 0 none
extern int32_t g_showTextFlags;
extern int32_t g_textFlagSizes[3];  // character height in pixels of size classes 1..3

// A text (point name or flag text) beginning with the colour prefix and six hexadecimal
// digits: the colour as red | green << 8 | blue << 16. False when the prefix is not the
// shown one ('#' while point colours are shown) or the digits are missing.
bool ParseColorCode(const char* text, int32_t& colour);
// Rewrites the first 9 characters of `text` (a 12-byte name field or longer) as
// "#rrggbb" and the intensity character 7, which becomes '~' when it is a control byte.
bool FormatColorCode(int32_t colour, char* text);
