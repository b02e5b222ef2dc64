#pragma once
// The link to the external 3D viewer K7VAR: the view it should show goes through the
// shared block "K7VAR_PARAMFILE" (1024 bytes, little-endian doubles), and window
// messages to its window class tell it to read the block, reload the data or close.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr const char* kViewer3dWindowClass = "RASKOV8_95";
constexpr const char* kViewer3dProgram = "K7VAR.exe";
constexpr int32_t kViewer3dNewView = 200;  // WM_TIMER identifiers
constexpr int32_t kViewer3dReload = 201;
constexpr int32_t kViewer3dClose = 299;
constexpr size_t kViewerParamBlockSize = 1024;

// Offsets in the block.
constexpr size_t kViewerTitleOffset = 128;
constexpr size_t kViewerVersionOffset = 120;
constexpr size_t kViewerTableIndexOffset = 112;

// Non-zero while the viewer's window was found at the last message.
extern int32_t g_viewer3dWindow;

// The double index n of the parameter table for a title of `titleLength` bytes.
int32_t ViewerTableIndex(size_t titleLength);
// The random point nearest to (x, y) in the plan (the lowest number on a tie); 0 for none.
// It changes nothing on the points.
int32_t NearestPointTo(double x, double y);
// Writes the current view into a block of kViewerParamBlockSize bytes.
void WriteViewerParamBlock(unsigned char* block);

// Writes the view into the shared block, where a viewer coming up reads it.
void StoreViewForViewer3d();
// Writes the block and tells the viewer (200); a viewer that is gone turns the automatic
// update off.
void SendViewToViewer3d();
// Starts the viewer from the program folder with the data path, or closes it when it runs.
void StartOrCloseViewer3d();
// Closes a running viewer.
void CloseViewer3d();
// Tells a running viewer to reload the data (201), and sends the view with auto-update on.
void RefreshViewer3d();
bool Viewer3dRunning();
// Whether the viewer is installed beside the program.
bool Viewer3dLinkAvailable();
