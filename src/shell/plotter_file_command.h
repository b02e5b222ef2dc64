#pragma once
// カルドミア出力 (32861): two base points picked in the view, then dialog 186 writes the
// trace program's command file.
#include <cstdint>
#include <functional>

#include "shell/plotter_file.h"

// Dialog 186, run modally on the two picked points (installed by the window).
using PlotterFileDialogRunner = std::function<void(const PlotterBasePoint& first, const PlotterBasePoint& second)>;
void SetPlotterFileDialogRunner(PlotterFileDialogRunner runner);
bool HasPlotterFileDialog();

// The command: switches the base-point pick on, or off when it is on.
void OnPlotterFileOutput();
// A left click released in the view in that mode (flags: the mouse-key flags).
void PickTraceOutputBasePoints(int32_t x, int32_t y, int32_t flags);
