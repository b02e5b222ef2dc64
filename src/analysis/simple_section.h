#pragma once
// The quick ground profile along a picked line ("簡易断面"): the two-click pick that cuts
// it into g_profile, and the view state of its window (fit, reload, band recalculation,
// paging through the stored simple sections, the text lines).
#include <cstdint>
#include <functional>
#include <string>

#include "section/section_defaults.h"
#include "section/section_frame.h"

struct LinePoint {
    double x = 0, y = 0, z = 0;
};

// S and E of the line tools (simple section and sag curve); after a cut they sit on the
// profile's first and last points.
extern LinePoint g_towerStart;
extern LinePoint g_towerEnd;
// S and E as picked, before that move: a band recalculation cuts this line again.
extern LinePoint g_pickedLineStart;
extern LinePoint g_pickedLineEnd;
extern int32_t g_profileFromPoints;  // 1: the shown profile came from the band points
// Where the simple-section window stood when it was last open (left = right = 0: none),
// so that it opens there again.
extern SectionWindowRect g_simpleSectionWndRect;

// The windows the line tools drive; empty entries are windows that are not there.
struct LineToolWindows {
    // Simple-section window: open (or switch) in a mode (0 picked, 1 stored), then reload.
    std::function<bool()> simpleSectionOpen;
    std::function<void(int32_t mode)> showSimpleSection;
    std::function<void()> reloadSimpleSection;
    std::function<void()> closeSimpleSection;
    // Sag-curve window.
    std::function<bool()> sagOpen;
    std::function<void(double ratio)> openSag;  // creates it with the extension ratio
    std::function<void()> reloadSag;
    std::function<void()> closeSag;
    // The sag window's overlay after the view's blit.
    std::function<void(class OverlayCanvas&)> drawTowerOverlay;
    // The tower input dialog (modal): true when it closed confirmed.
    std::function<bool()> runTowerInput;
    // The sag window's S while a tower pick is cancelled.
    std::function<LinePoint()> sagWindowStart;
};
LineToolWindows& LineTools();

constexpr int32_t kSimpleSectionPicked = 0;
constexpr int32_t kSimpleSectionStored = 1;

// Whether the open simple-section window pages the stored sections; the tool mode's
// update spares such a window.
bool SimpleSectionInStoredMode();
void SetSimpleSectionStoredMode(bool stored);

// Opens the window (or switches the open one) in stored-section mode and reloads it.
void ShowStoredSimpleSections();

// A left release in the plan view in the simple-section mode (key flags of the release,
// client position).
void OnSimpleSectionPick(int32_t flags, int32_t x, int32_t y);

// The view state of the simple-section window. The frame holds the data centre as its
// origin, the pans, zoom, exaggeration (verticalScale) and grid pitch.
struct SimpleSectionView {
    int32_t mode = kSimpleSectionPicked;
    int32_t number = 1;  // stored section shown (stored mode)
    SectionFrame frame;
    double distanceSpan = 50;
    double heightSpan = 50;
};

constexpr double kSimpleSectionScaleFactor = 1.2;

// The scale from the spans, the zoom and the drawing area.
void UpdateSimpleSectionScale(SimpleSectionView& v);
// Grid pitch for a distance span: 1000 above 10000, 100 above 1000, else 10.
double SimpleSectionGridPitch(double distanceSpan);
// "全体": centre and spans over `right` and, with at least 2 entries, `left` 2..count;
// the distance span at least twice the largest absolute distance; zoom 1, pans 0.
void SimpleSectionWholeView(SimpleSectionView& v);
// The reload of the window (the opener's timer): centre, spans and grid pitch from
// `right`; in stored mode section 1 is read into g_profile and S, E set from it. Ends
// with the whole view.
void ReloadSimpleSection(SimpleSectionView& v);
// "再計算" of a band profile: cuts the picked line again with the band points. False when
// fewer than 2 points came (nothing else changed); else the view fits 1.5 x the distance
// range.
bool RecalculateSimpleSection(SimpleSectionView& v);
// Stored sections. The spin moves by -step within 1..g_simpleSectionCount (1 when none);
// true when the section was read (the plan view is to be repainted), false when the
// number would have fallen below 1 (section 1 is read again and refitted only).
bool StepSimpleSection(SimpleSectionView& v, int32_t step);
// The number typed: taken when within 1..g_simpleSectionCount and not the current one.
bool TypeSimpleSectionNumber(SimpleSectionView& v, int32_t number);

// The three text lines (S, E, distance / slope / bearing) of `right` entry 1 and count.
struct SimpleSectionTexts {
    std::string start, end, span;
};
SimpleSectionTexts SimpleSectionTextLines();
// "簡易断面 %s %.3f" in stored mode (the record's name as stored bytes), else "簡易断面".
std::string SimpleSectionTitle(const SimpleSectionView& v);
// The mouse read-out; measuring from (d0, h0) while `measuring`.
std::string SimpleSectionReadout(double d, double h, bool measuring, double d0, double h0);

// Typed values: grid pitch 0 <= v < 100000 (false: refused); the exaggeration below 0.001
// becomes 1, above 100 becomes 100; a band width above 0 is taken.
bool ApplySimpleSectionGrid(SimpleSectionView& v, double pitch);
bool ApplySimpleSectionBandWidth(double width);
std::string SimpleSectionBandWidthText();

// Closing the window: the pick ends and the mode switches off.
void SimpleSectionWindowClosed();
