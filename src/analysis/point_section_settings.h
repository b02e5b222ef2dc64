#pragma once
#include <string>

// The dialog "ランダム点断面設定" without its window: the band settings of the sections
// from random points (g_sectionBandWidth, g_bandAlignWithHeight, g_bandConnectAll).

constexpr int kBandWidthField = 1082;
constexpr int kBandAlignByPlanDistance = 1131;  // shows the negation of g_bandAlignWithHeight
constexpr int kBandConnectAll = 1147;

struct PointSectionSettingsState {
    bool alignByPlanDistance = false;
    bool connectAll = true;
    // Connect-all has no meaning while the points are ordered by plan distance.
    bool ConnectAllEnabled() const { return !alignByPlanDistance; }
};

PointSectionSettingsState OpenPointSectionSettings();
// The width field's text: " %6.3f", or " %7.5f" below 0.001.
std::string BandWidthText();
// The width field losing the focus: a number is taken, one of 0 or below becomes 0.1;
// returns the field's text.
std::string BandWidthFieldLeft(const std::string& typed);
void ClickPointSectionSetting(int id, bool checked, PointSectionSettingsState& state);
