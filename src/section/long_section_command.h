#pragma once
// Opening and closing the longitudinal section window (32823) and the state it keeps.
#include <cstdint>
#include <functional>

#include "section/section_defaults.h"

// 0, 0x11 zoom box or 0x80 move.
extern int32_t g_longSectionViewMode;
// The window's screen rectangle, kept across openings.
extern SectionWindowRect g_longSectionWndRect;

// The frame command: nothing while a sibling section program runs; else closes the open
// window, or, with sections and at least 2 stations, closes every tool window and opens
// a new one with `openWindow`.
void OnLongSectionCommand(const std::function<void()>& openWindow);

// Start and end of the window's life: the station heights refreshed, the highlighted
// station and the view mode.
void LongSectionWindowOpened();
void LongSectionWindowClosed();
