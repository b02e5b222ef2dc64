#pragma once
// What the document road needs of the other subsystems: the companion files they own,
// their windows and their display state. Everything the document calls of them goes
// through this file, so the road reads in one place which companions it handles. A
// companion whose owner is not built yet is skipped here without a message.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>

// ---- companion files beside a document ----

// Text flags <base>.TFG (or DATA1.TFG), replacing the loaded flags.
void ReadDocumentTextFlags(const std::filesystem::path& tfgPath);

// Colour-band settings (.CDF); true when settings were read.
bool ReadDocumentColorBands(const std::filesystem::path& cdfPath);
// The settings now in effect as <base>.CDF beside a document that has such a file; false
// (after a message) when it could not be written.
bool WriteDocumentColorBands(const std::filesystem::path& documentPath);

// The background image file of a data file, kind 1 TIF, 2 BMP, 3 PNG, 4 JPG, into the
// active image slot, with its placement; true when pixels were loaded.
bool LoadBackgroundImageFile(const std::filesystem::path& imagePath, int32_t kind,
                             const std::filesystem::path& documentPath);
// Frees every image slot and the active image's pixels; the active image is then neither
// loaded nor placed.
void FreeDocumentImages();
// The active image is then neither loaded nor placed (its pixels stay).
void ForgetActiveImage();
bool BackgroundImageLoaded();
bool BackgroundImageIsMono();
bool BackgroundImagePlaced();

// <base>.CT1 / .CT2 contour copies into the contour work files.
void RestoreDocumentContours(const std::filesystem::path& documentPath);
// <base>.DXF as the background DXF.
void ReadDocumentDxf(const std::filesystem::path& dxfPath);

// Companions that no longer fit the data in memory (an edit dropped what they hold). They
// stay on disk, so the document there still reads whole, and go beside the document when
// it is next saved. Opening or starting another document forgets them.
void MarkCompanionsStale(std::initializer_list<const char*> extensions);
void ForgetStaleCompanions();
// Saving beside the document: contour copies (.CT1/.CT2), elevation list (.HLT), slice
// contours (.CT3), image placement files and the DXF registration.
void WriteDocumentCompanions(const std::filesystem::path& documentPath);

// ---- route documents (.ALG) ----

// Whether the route files can be read and written yet.
bool RouteDocumentFilesAvailable();
void ReadRouteDocumentFiles(const std::filesystem::path& algPath);
// The .ALG store; false when it failed (the user has been told).
bool WriteRouteDocumentFiles(const std::filesystem::path& algPath);
// Cross sections and plan sections emptied.
void ClearRouteSections();
// The route windows show the route now loaded.
void RefreshRouteWindows();

// ---- earthwork ----

// Commands 32897 (settings, calculation, result files, list) and 32898 (the list).
void RunEarthworkCalc();
void RunVolumeList();
bool VolumeListEnabledNow();
// Command 32816: the sections written as random points.
void RunSectionRandomOutput();

// ---- SIMA point files ----

// kFailed: the point block could not grow; kReported: the file could not be read, and the
// user has been told.
enum class SimaImport { kUnavailable, kFailed, kReported, kRead };
// Reads the SIMA points of the file into the (emptied) point block.
SimaImport ImportSimaPoints(const std::filesystem::path& simPath, bool zeroElevation);

// ---- contours ----

// Deletes the contour line and contour index work files.
void DeleteContourWorkFiles();
// Slice contours released: no slice line, none loaded, none shown.
void ClearSliceContours();

// ---- view, colour bands and windows ----

// The colour bands of a fresh document: bands off, the palette tables to be rebuilt,
// label colours unchanged by band, shading on, striped mode, no inclined reference plane.
void ResetColorBandState();
// Rebuilds the elevation palette with the band display forced on for the build.
void BuildElevationPaletteForced();
// The previous-screen ring emptied.
void ClearViewHistory();
// The band and slope legends: destroyed before a load, opened after it when the bands
// call for them. The window layer installs both; headless there are no legends.
void DestroyLegendWindows();
void OpenLegendWindows();
struct LegendWindowHandlers {
    std::function<void()> destroy;
    std::function<void()> open;
};
void SetLegendWindowHandlers(LegendWindowHandlers handlers);
// The external 3D viewer.
bool Viewer3dRunning();
void CloseViewer3d();
void RefreshViewer3d();

// The modal settings dialogs that the display switches open when switching on; false
// when the dialog is not built yet.
bool SimpleContourDialogAvailable();
void RunSimpleContourDialog();
bool SlopeLineDialogAvailable();
void RunSlopeLineDialog();  // switches g_showSlopeLines on itself after OK
// The window layer installs the two dialogs here; null removes them.
void SetSimpleContourDialogRunner(std::function<void()> run);
void SetSlopeLineDialogRunner(std::function<void()> run);
bool GridIntervalDialogAvailable();
void RunGridIntervalDialog();
// The window layer installs the grid-interval dialog here; null removes it.
void SetGridIntervalDialogRunner(std::function<void()> run);
// The external 3D viewer's start or close, and the view sent to it.
bool Viewer3dLinkAvailable();
void StartOrCloseViewer3d();
void SendViewToViewer3d();
void StoreViewForViewer3d();
