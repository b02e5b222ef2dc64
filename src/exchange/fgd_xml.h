#pragma once
// Fundamental-map XML of the national mapping agency (the GML and the older JPGIS
// encodings): contours, coast lines, boundaries, control points, road edges, railway
// centre lines, elevation points, water lines, buildings, representative points and
// elevation meshes become elements of the background vector layer, projected into the
// current plane zone. Each feature class goes to a layer and a colour the user chooses.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

// The option rows of the import, in the dialog's order.
enum GsiXmlRow : int32_t {
    kGsiRowContour = 0,      // 主曲線
    kGsiRowIndexContour,     // 計曲線
    kGsiRowCoast,            // 海岸線
    kGsiRowBoundary,         // 行政区画線
    kGsiRowControlPoint,     // 基準点
    kGsiRowRoadEdge,         // 道路縁
    kGsiRowRailway,          // 軌道中心線
    kGsiRowElevationPoint,   // 標高点
    kGsiRowWaterLine,        // 水涯線
    kGsiRowBuilding,         // 建物外周線
    kGsiRowCount
};

struct GsiXmlLayerColour {
    int32_t layer = 0;
    int32_t colour = 0;  // index of the palette colour combo, 0 to 15
};

// The values of the option dialog ("XML input"); set to the defaults each time it opens.
struct GsiXmlOptions {
    std::array<GsiXmlLayerColour, kGsiRowCount> rows{};
    double textHeight = 10.0;
};

GsiXmlOptions DefaultGsiXmlOptions();
// The row's label as the dialog shows it (UTF-8).
const char* GsiXmlRowLabel(int32_t row);
// A layer edit losing the focus: its text as a number (atoi, no range check).
void GsiXmlLayerLostFocus(GsiXmlOptions& options, int32_t row, const std::string& text);
// The text-height edit losing the focus: the absolute value when greater than 0 becomes
// the height; returns what the edit then shows ("%.3f" of the height).
std::string GsiXmlTextHeightLostFocus(GsiXmlOptions& options, const std::string& text);
std::string GsiXmlTextHeightText(double height);

// zonePass 1: sets g_planeZone from the first usable position of the file and reads
// nothing else; 0 when a zone was found or the file ended, -1 when it cannot be read.
// zonePass 0: appends the file's features to the vector layer (fileIndex 0 asks first
// whether the elements there go). -1 (told) when the file cannot be opened or read, is
// malformed, no zone 1 to 19 is set or the store cannot grow; this file's elements are
// then taken back and the earlier ones kept.
int32_t ImportGsiXmlFeatures(int32_t zonePass, const std::filesystem::path& path,
                             int32_t fileIndex, const GsiXmlOptions& options);
