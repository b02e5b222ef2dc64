#pragma once
// The mode toolbars: one shown at a time, each chosen by its command; choosing one ends
// the active tool.
#include <span>

struct ModeToolBarLayout {
    int code;       // the frame's m_modeToolBarCode while it is shown
    int commandId;  // the command that shows it
    const char* title;
    std::span<const int> buttons;  // command ids
};

// Codes 6 and 7 share one bar (the planning toolbar).
std::span<const ModeToolBarLayout> ModeToolBars();
const ModeToolBarLayout* FindModeToolBarCommand(int commandId);
// Whether HideModeToolbars hides the bar of this code (the terrain and cross-section
// calculation bars, 3 and 5, stay as they are).
bool HiddenWithModeToolBars(int code);

// The second half of HideModeToolbars: when a tool is active, ends it, clears the picks
// and closes the point-edit panel.
void EndToolForModeToolBars();
// What a toolbar command does after showing its bar: the display switches of the terrain
// (3) and cross-section calculation (5) bars; true when the view then needs a full redraw.
bool ApplyModeToolBarDisplay(int code);
