#pragma once
// The settings of the point-input panel and of the coordinate-input dialog, and what their
// controls do with them. The tools read the settings; nothing stores them in a file.
#include <cstdint>
#include <string>

// Step of the mouse wheel over the panel's elevation field.
extern double g_elevationWheelStep;
// Snap of the coordinate input of IP points and sections: 0 none, 1 DXF end point,
// 2 on a DXF line, 3 random point, 4 DXF intersection.
extern int32_t g_coordInputSnap;

// The panel's elevation field left with `text`: "s" or "S" and a number sets the wheel step
// (a negative one becomes 0.001), any other number the elevation; anything else changes
// nothing. True when the elevation moved by 0.001 or more (the picks were then cleared).
bool ApplyElevationText(const std::string& text);
// One wheel notch over the panel: the elevation moves by the step (up for delta > 0) and,
// with a whole-numbered step, snaps towards zero to a multiple of it. A step of 0 or less
// moves by 0.001 and does not snap. True when the picks were cleared.
bool WheelElevation(int delta);
// The elevation as the field shows it.
std::string ElevationFieldText();

// A name typed into a name field (CP932) cut to what a point's name holds: 11 bytes,
// never half a double-byte character.
std::string CutPointNameText(const std::string& cp932);
// The panel's name field left: the new-point name becomes the cut text.
void SetNewPointNameText(const std::string& cp932);

// The panel's method buttons: 0 given elevation, 2 TIN elevation, 1 through the edit
// dialog. The last two clear the picks.
void SelectNewPointMethod(int32_t method);

// How the panel starts: the snap buttons are disabled while the two-point tool's "no snap"
// (-1) is set, which turns into 0.
struct PointInputPanelStart {
    bool snapEnabled = true;
    bool elevationEnabled = false;
};
PointInputPanelStart StartPointInputPanel();

// How the coordinate-input dialog starts: the DXF choices need DXF elements and the random
// point choice needs points; a stored choice that is not offered falls back to 0.
struct CoordInputStart {
    bool dxfEnabled = false;
    bool randomEnabled = false;
};
CoordInputStart StartCoordInputDialog();
