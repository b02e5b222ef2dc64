#pragma once
// Everything the enable and check rules of the menu commands look at, gathered in one
// value so that the rules can be evaluated (and tested) without the program's globals.
#include <bitset>
#include <cstdint>

#include "shell/tool_windows.h"

struct ShellConditions {
    // Data present.
    bool points = false;  // random data present
    int32_t pointCount = 0;
    bool tin = false;  // a TIN exists
    int32_t outlineVertices = 0;
    bool contours = false;    // drawing contours loaded
    bool sliceLines = false;  // slice store with at least one slice line
    int32_t ipCount = 0;
    int32_t stationCount = 0;
    bool sections = false;  // cross sections exist
    int32_t simpleSectionCount = 0;
    bool meshArea = false;
    bool meshElevations = false;
    int32_t dxfCount = 0;     // background DXF elements
    bool image = false;       // the first background image slot is loaded
    bool birdsEyeOn = false;  // the plan is !birdsEyeOn

    // Display switches the check marks follow.
    bool colorBandOn = false;
    bool showBackgroundImage = false;
    bool showBackgroundDxf = false;
    bool latLongDisplay = false;

    // Tool mode and sub-states.
    int32_t toolMode = 0;
    int32_t pointEditState = 0;
    int32_t outlineEditState = 0;
    int32_t toolSubState = 0;
    int32_t areaInfoState = 0;

    // Open tool windows and the frame's bars.
    std::bitset<kToolWindowCount> openWindows;
    int32_t modeToolBarCode = 0;
    bool displayToolBarVisible = true;
    bool displayMenuToolBarVisible = false;

    bool IsOpen(ToolWindow w) const { return openWindows.test(static_cast<size_t>(w)); }
    void SetOpen(ToolWindow w, bool open = true) { openWindows.set(static_cast<size_t>(w), open); }
};

// The conditions as the program's globals hold them now. The frame's own bar state
// (mode toolbar code, bar visibility) is left at its defaults for the caller to fill.
ShellConditions CurrentShellConditions();
