#pragma once
// The section shift window's command and state: 33069 opens or closes it; the shift
// amount and datum level its calculations take.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "section/section_frame.h"

struct SectionShiftState {
    double shift = 1.0;  // 移動量: positive moves the line down
    double datum = 0.0;  // DL値: no shifted point goes below it
};
extern SectionShiftState g_sectionShift;

// The frame command: nothing while a sibling section program runs; else closes the open
// window, or closes every tool window and opens a new one with `openWindow`.
void OnSectionShiftCommand(const std::function<void()>& openWindow);
// Start and end of the window's life: shift 1, datum the lowest point height; the
// section globals it owns.
void SectionShiftWindowOpened();
void SectionShiftWindowClosed();
// An edit box left: a number is taken, anything else keeps the value; the text it shows.
std::string SectionShiftAmountLeft(const std::string& typed);
std::string SectionShiftDatumLeft(const std::string& typed);
// 保存 and ﾗﾝﾀﾞﾑ: a save dialog, then the files; false when cancelled or not written.
bool SaveShiftedSections();
bool SaveShiftedSectionsAsRandom();

// The plan points of the shown section as world positions (empty without its record).
void CurrentPlanSides(std::vector<SectionWorld>& left, std::vector<SectionWorld>& right);
// Nearest plan point of the shown section within `radius` pixels, as a code; sets
// g_sectionHitLeftPoint / g_sectionHitRightPoint (the other 0). 0 when none.
int32_t HitTestPlanPoint(const SectionFrame& frame, double radius, int32_t x, int32_t y);
// The readout: while measuring from `press`, "D:%+7.3f H:%7.3f R:%.3fm P:%.3f%% V:%.3fm"
// with the slope distance R, rise V and grade P (0 below 1 cm); else "D:%+7.3f H:%7.3f"
// padded with blanks so that it covers a longer text left before.
std::string FormatShiftReadout(SectionWorld cursor, const SectionWorld* press);
