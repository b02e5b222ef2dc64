#pragma once
// What a TIN build tells the rest of the program: picked points, repaints, the status bar
// and the TIN layer switch, and what it asks of it (quiet mode, partial-TIN sub-state).
#include <cstdint>
#include <string>

void SetPickedPoints(int32_t first, int32_t second);
void RepaintMainWindow();
void RepaintViewNow();
void RequestFullRedraw();
void ShowTinLayer();
void SetStatusText(const std::string& utf8);
bool QuietMode();
bool InPartialTinState();
