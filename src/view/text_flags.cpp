#include "view/text_flags.h"

#include <cstring>

#include "model/terrain_data.h"

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
