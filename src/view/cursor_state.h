#pragma once
// Where the mouse is on the ground: kept by the view's mouse handling, shown by the
// status bar.
#include <cstdint>

extern int32_t g_cursorValid;  // non-zero once g_cursorX, g_cursorY hold a ground position
extern double g_cursorX;       // ground position under the mouse
extern double g_cursorY;
extern double g_pressWorldX;  // ground position of the last left-button press
extern double g_pressWorldY;

// Whether anything is loaded that gives the view a ground frame: random points, IP points,
// stations of this or the other route, DXF elements or a mesh area.
bool ViewHasData();

// The mouse moved to (or the left button went down at) a client pixel of the plan view:
// the ground position is taken when the view has data, else left as it was.
void TrackCursorAt(int32_t column, int32_t row);
void TrackPressAt(int32_t column, int32_t row);
