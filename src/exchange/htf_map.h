#pragma once
// Map files in the HTF text format: line, area and point features with a class code, in
// plane coordinates, in latitude and longitude (degrees or seconds) or in sheet-normalised
// coordinates placed by a grid square code, read into the background vector layer. Each
// feature class goes to a layer and colour the user chooses; points become texts.
#include <cstdint>
#include <filesystem>
#include <string>

constexpr int32_t kHtfRows = 10;

// The option dialog (HTF input): one layer and colour per row, the text height of points.
struct HtfInputValues {
    bool enterPressed = false;
    bool escapePressed = false;
    int32_t layer[kHtfRows] = {8, 9, 8, 5, 13, 13, 5, 13, 13, 11};
    int32_t colour[kHtfRows] = {8, 9, 8, 5, 13, 13, 5, 13, 13, 11};
    double textHeight = 10.0;
};

// The labels of the rows, in order.
extern const char* const kHtfRowLabels[kHtfRows];

// Opening the dialog: the defaults, and the world datum for what follows.
HtfInputValues OpenHtfInput();
// A layer edit losing the focus: its number becomes the row's layer.
void HtfLayerLostFocus(HtfInputValues& values, int32_t row, const std::string& text);
// The text-height edit losing the focus: a positive value (sign dropped) is taken; the
// edit's new text comes back.
std::string HtfTextHeightLostFocus(HtfInputValues& values, const std::string& text);

struct ZoneSelectValues;
// The zone button: the values the zone dialog opens with, and what it leaves (whichever way
// it ended) taken into g_planeZone and g_useWorldDatum; the zone text "[ %d ]" comes back.
ZoneSelectValues HtfZoneDialogValues();
std::string HtfZoneChosen(const ZoneSelectValues& values);
std::string HtfZoneText();

// The row (0 to 9) of a feature's class code and sub-code.
int32_t HtfRowOf(int32_t classCode, int32_t subCode);

// South and west edges and the size of a grid square in degrees; false for a code that
// names none (below 1, between 10001 and 99999, fewer than four digits).
struct GridSquare {
    double south = 0, west = 0, north = 0, east = 0;
};
bool GridSquareOf(int64_t code, GridSquare& square);

// zonePass 1: g_planeZone from the first grid square line or geographic coordinate.
// zonePass 0: appends the file's features (file 0 may first empty the layer, asked).
// 0 read to the end or zone pass over; -1 the file cannot be opened (nothing told), is
// damaged, needs a zone outside 1 to 19 or the store cannot grow (told). The layer and
// the registration change only when the whole file was read.
int32_t ImportHtfMap(int32_t zonePass, const std::filesystem::path& path, int32_t fileIndex,
                     const HtfInputValues& options);

// Command 33032: the files, the zone pass on the first, the dialog, the import of each.
using HtfInputDialog = bool (*)(HtfInputValues& values);
void RunHtfMapSelect(HtfInputDialog dialog);
