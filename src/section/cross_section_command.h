#pragma once
// Opening and closing the cross-section window, and the plan-view click that picks the
// section it shows.
#include <cstdint>
#include <functional>

// The frame command: nothing while a sibling section program runs; else closes the open
// window (and an open simple-section window), or, when sections exist, closes every tool
// window and opens a new one with `openWindow`.
void OnCrossSectionCommand(const std::function<void()>& openWindow);

// The window installs how to repaint itself (nullptr when it closes).
void SetCrossSectionRepaint(std::function<void()> repaint);
void RepaintCrossSectionWindow();

// Start and end of the window's life: the section globals it owns.
void CrossSectionWindowOpened();
void CrossSectionWindowClosed();

// A plain left-button release in the plan view at client (x, y): the station whose plan
// mark lies nearest within sqrt(5000) pixels becomes the shown section. Nothing in the
// bird's-eye display. True when the section changed.
bool SelectSectionAtPoint(int32_t x, int32_t y);

// The shown section changes: no point selected, the plan marks it.
void SetShownSection(int32_t n);
