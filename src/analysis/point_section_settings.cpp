#include "analysis/point_section_settings.h"

#include "analysis/section_profile.h"
#include "model/numeric_text.h"
#include "platform/text_io.h"

PointSectionSettingsState OpenPointSectionSettings() {
    if (!(g_sectionBandWidth > 0)) g_sectionBandWidth = 0.1;
    return {g_bandAlignWithHeight == 0, g_bandConnectAll != 0};
}

std::string BandWidthText() {
    return FormatString(g_sectionBandWidth < 0.001 ? " %7.5f" : " %6.3f", g_sectionBandWidth);
}

std::string BandWidthFieldLeft(const std::string& typed) {
    double v = 0;
    if (ParseDialogNumber(typed, &v)) g_sectionBandWidth = v > 0 ? v : 0.1;
    return BandWidthText();
}

void ClickPointSectionSetting(int id, bool checked, PointSectionSettingsState& state) {
    if (id == kBandAlignByPlanDistance) g_bandAlignWithHeight = checked ? 0 : 1;
    else if (id == kBandConnectAll) g_bandConnectAll = checked ? 1 : 0;
    state = {g_bandAlignWithHeight == 0, g_bandConnectAll != 0};
}
