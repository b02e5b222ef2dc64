#pragma once
// The section shift window's command and state: 33069 opens or closes it; the shift
// amount and datum level its calculations take.
#include <cstdint>
#include <functional>
#include <string>

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
