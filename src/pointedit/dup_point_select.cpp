#include "pointedit/dup_point_select.h"

#include "model/terrain_data.h"
#include "platform/text_io.h"

std::vector<std::array<std::string, 5>> DupPointSelectRows(const std::vector<int32_t>& group) {
    std::vector<std::array<std::string, 5>> rows;
    for (int32_t p : group) {
        if (p < 1 || p > g_pointCount) continue;
        const RandomPoint& pt = g_points[p];
        rows.push_back({FormatString("%6d", p), FormatString("%6.4f", pt.x),
                        FormatString("%6.4f", pt.y), FormatString("%6.3f", pt.z),
                        std::string(pt.name, strnlen(pt.name, sizeof pt.name))});
    }
    return rows;
}
