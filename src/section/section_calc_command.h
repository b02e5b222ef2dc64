#pragma once
// The section calculation dialog "縦横断計算" without its window, and the frame commands
// 三角網縦横断計算 and 等高線縦横断計算 around it. The options are the globals of
// section_defaults.h, written as the user clicks (a cancelled dialog keeps its clicks).
#include <functional>
#include <string>

// Control ids of the dialog.
constexpr int kSectionModeNormal = 1029;
constexpr int kSectionModeInterval = 1030;
constexpr int kSectionIntervalField = 1083;
constexpr int kSectionStraight = 1164;
constexpr int kSectionCurve = 1165;
constexpr int kSectionLongCrossings = 1010;
constexpr int kSectionFollowSurface = 1131;
constexpr int kSectionPlanOnly = 1132;
constexpr int kSectionStart = 1007;
constexpr int kSectionSimple = 3;
constexpr int kSectionCancel = 2;

// Results of the dialog.
constexpr int kSectionDialogCancel = 0;
constexpr int kSectionDialogStart = 1;
constexpr int kSectionDialogSimple = 2;

// What the controls show, from the globals.
struct SectionCalcDialogState {
    bool hideExtras = false;  // follow-surface, plan-only and the simple-section button hidden
    bool intervalMode = false;
    bool curve = false;
    bool longCrossings = false;
    bool followSurface = false;
    bool planOnly = false;
    std::string intervalText;  // "%10.3f"
    // Spacing and interpolation work only in interval mode; follow-surface only in the
    // normal mode (and when shown).
    bool IntervalControlsEnabled() const { return intervalMode; }
    bool FollowSurfaceEnabled() const { return !intervalMode && !hideExtras; }
};

SectionCalcDialogState OpenSectionCalcDialog(bool hideExtras);
// A click on a radio or check box; the state follows the globals afterwards.
void ClickSectionCalcControl(int id, bool checked, SectionCalcDialogState& state);
// The spacing field losing the focus: a value above 0 is taken; returns the field's text
// ("%10.3f" of the spacing in force, the old one when refused).
std::string SectionIntervalFieldLeft(const std::string& typed);
// 開始: in interval mode follow-surface and plan-only are cleared.
void StartSectionCalcDialog();

// The frame commands. The runners show the dialogs (the section dialog returns 0, 1 or 2;
// hideExtras for the contour command); `saveRouteDocument` is the document's save command
// sent when the user wants the result kept; `saveSimpleSections` the .QDN save road.
struct SectionCommandHooks {
    std::function<int(bool hideExtras)> runSectionDialog;
    std::function<void()> runPointSettingsDialog;
    std::function<void()> saveRouteDocument;
    std::function<void()> saveSimpleSections;
};
// The calculation's answer (6 / 7 / 3), or 0 when nothing ran.
int OnTinSectionCalc(const SectionCommandHooks& hooks);
int OnContourSectionCalc(const SectionCommandHooks& hooks);
