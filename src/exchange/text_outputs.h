#pragma once
// Plain text exports for other survey software: every TIN triangle as one line of its
// three vertices, and the mesh nodes with their elevations.
#include <cstdint>
#include <filesystem>

// Axis orders of the TIN coordinate text.
constexpr int32_t kTinTextYFirst = 1;  // Y, X, Z per vertex (mathematical axes)
constexpr int32_t kTinTextXFirst = 0;  // X, Y, Z (survey axes)

// Forms of the mesh elevation text.
constexpr int32_t kMeshTextComma = 0;     // "Y,X,Z"
constexpr int32_t kMeshTextNumbered = 1;  // "n  Y  X  Z"

// Results besides 0.
constexpr int32_t kTextOutNothing = 1;      // nothing to write: no file made
constexpr int32_t kTextOutNotCreated = -1;  // the file could not be created
constexpr int32_t kTextOutWriteFailed = -2;  // a write or the close failed; the file is removed
constexpr int32_t kTextOutNoMemory = -3;    // the triangle marks could not be made; no file

// One line per triangle: A, B and the search-side apex, points taken by the absolute values
// of their numbers (hole triangles alike), nine fields "%16.3lf". axisChoice kTinTextYFirst
// writes Y, X, Z per vertex, any other value X, Y, Z.
int32_t WriteTinCoordinateText(const std::filesystem::path& path, int32_t axisChoice);

// The nodes row by row, east coordinate first; withMissing false leaves out the nodes
// without an elevation (the numbered form counts the written lines).
int32_t WriteMeshElevationNodes(const std::filesystem::path& path, int32_t form, bool withMissing);
// The writer of the command: asks the form and whether missing nodes are written, then
// writes. Nothing is asked or written without computed elevations.
int32_t WriteMeshElevationText(const std::filesystem::path& path);

// Command 32983: the save dialog, then the axis choice of the axis-convention dialog
// (`runAxisDialog` returns kAxisSurvey, kAxisMathematical or anything else for closed),
// then the writer; failures are told.
void OnTinCoordinateTextOutput(int32_t (*runAxisDialog)());
// Command 32820: the save dialog, then the writer; failures are told.
void OnExportMeshElevationText();
// Tells a result of the writers above (nothing for 0).
void ReportTextOutputResult(int32_t result, const std::filesystem::path& path);
