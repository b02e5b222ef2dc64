#pragma once
// The document's display switches and their menu rules. Each switch flips one display
// flag; the caller then repaints the window it names.
#include <cstdint>

#include "shell/command_routing.h"

enum class RepaintTarget { kNone, kView, kMainWindow };

// Off -> on; on -> off, or with Shift held the switch's variant (the flag stays on).
RepaintTarget OnTogglePointNames(bool shift);  // variant: g_hideDoubleByteText
RepaintTarget OnTogglePointElevations();
RepaintTarget OnToggleDrawingContours();
RepaintTarget OnToggleContours();                // the slice contours
RepaintTarget OnToggleRandomPoints(bool shift);  // variant: pen size 0, 1, 2, 3, 0 ...
RepaintTarget OnToggleTextFlags();
// Switching on opens the settings dialog first (the contours are shown whatever its
// answer); nothing happens while the program is busy.
RepaintTarget OnToggleSimpleContours();
// Switching on only opens the settings dialog, which switches the lines on after OK.
RepaintTarget OnToggleSlopeLines();
// Switching on asks for the grid interval first.
RepaintTarget OnToggleGrid();
// The external 3D viewer: start or close it; automatic update on or off.
void OnViewerLink();
void OnViewerAutoUpdate();

// Menu rules. Each fills enabled and check from the program's state.
void UpdatePointNames(CommandUpdate& u);
void UpdatePointElevations(CommandUpdate& u);
void UpdateDrawingContours(CommandUpdate& u);
void UpdateContours(CommandUpdate& u);
void UpdateRandomPoints(CommandUpdate& u);
void UpdateTextFlags(CommandUpdate& u);
void UpdateSimpleContours(CommandUpdate& u);
void UpdateSlopeLines(CommandUpdate& u);
void UpdateGrid(CommandUpdate& u);
void UpdateViewerLink(CommandUpdate& u);
void UpdateViewerAutoUpdate(CommandUpdate& u);

// The rules that only enable.
void UpdateNeedsPoints(CommandUpdate& u);      // 57603, 57604, 32857
void UpdateNeedsMesh(CommandUpdate& u);        // 32883, 32820, 32841, 32848
void UpdateNeedsRoute(CommandUpdate& u);       // 32773, 32813
void UpdateNeedsSections(CommandUpdate& u);    // 32816, 32812, 32815
void UpdateStationText(CommandUpdate& u);      // 32828
void UpdateTinLattice(CommandUpdate& u);       // 33006
void UpdateOtherRouteClear(CommandUpdate& u);  // 32922
// Enabled once the mesh volumes are computed, checked while they are shown: the view's
// switch 32784 (and 33016).
void UpdateMeshVolumeClipboard(CommandUpdate& u);
