#include "view/text_flags.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/terrain_data.h"
#include "view/display_flags.h"

TextFlag g_textFlags[kMaxTextFlags + 1];
int32_t g_textFlagCount = 0;
int32_t g_selectedTextFlag = 0;
int32_t g_showTextFlags = 0;
int32_t g_textFlagSizes[3] = {14, 17, 20};

namespace {
const bool g_registered = [] {
    RegisterDataModelReset([] {
        std::memset(g_textFlags, 0, sizeof g_textFlags);
        g_textFlagCount = 0;
        g_selectedTextFlag = 0;
    });
    return true;
}();
}  // namespace

bool ParseColorCode(const char* text, int32_t& colour) {
    if (!text || text[0] != g_pointColorPrefix) return false;
    int32_t v[6];
    for (int i = 0; i < 6; ++i) {
        const char c = text[1 + i];
        if (c >= '0' && c <= '9') v[i] = c - '0';
        else if (c >= 'a' && c <= 'f') v[i] = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v[i] = c - 'A' + 10;
        else return false;  // also the end of a text shorter than 7
    }
    colour = (v[0] * 16 + v[1]) | (v[2] * 16 + v[3]) << 8 | (v[4] * 16 + v[5]) << 16;
    return true;
}

bool FormatColorCode(int32_t colour, char* text) {
    unsigned char c = static_cast<unsigned char>(text[7]);
    if (c < 32 || c == 127) c = '~';
    std::snprintf(text, 10, "#%02x%02x%02x%c", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF, c);
    return true;
}

int32_t TextFlagLineLengthFromText(const char* text) {
    const long long v = std::strtoll(text, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(v, -kTextFlagLineLengthLimit, kTextFlagLineLengthLimit));
}
