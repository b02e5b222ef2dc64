#include "image/image_list.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "view/palette.h"

int32_t ParseImageBrightness(const std::string& text, int32_t current) {
    const std::string cut = text.substr(0, 31);
    const char* begin = cut.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin) return current;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return current;
    if (errno == ERANGE || value > 100 || value < 0) return 100;
    return static_cast<int32_t>(value);
}

int32_t StepImageBrightness(int32_t current, bool forward) {
    return std::clamp(current + (forward ? 5 : -5), 5, 100);
}

void InvertImageGradient() {
    if (!g_drawBitmapInfo) return;
    for (int i : {80, 240}) {
        RgbQuad& q = g_drawBitmapInfo->colors[i];
        q.blue = uint8_t(255 - q.blue);
        q.green = uint8_t(255 - q.green);
        q.red = uint8_t(255 - q.red);
    }
}
