#include "view/grid_interval.h"

#include <cstdio>

#include "view/color_band_edit.h"
#include "view/display_flags.h"

std::string GridIntervalText() {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%3.3f", g_gridInterval);
    return buf;
}

bool AcceptGridIntervalText(const std::string& text) {
    double v = 0;
    if (!ParseEditNumber(text, v) || !(v > 0)) return false;
    g_gridInterval = v;
    return true;
}
