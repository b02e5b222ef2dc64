#pragma once
// The texts of the status-bar panes: cursor position in plane or geographic coordinates,
// the size of the area shown, the number of random points, and distance and azimuth from
// the press point while the left button is held.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct Ellipsoid;
struct ZoneSelectValues;

// The latitude/longitude display switch (command 32984).
extern int32_t g_latLongDisplay;

// Pane ids in the order of the bar; 0 is the message pane.
namespace pane {
constexpr int kMessage = 0;
constexpr int kX = 102;
constexpr int kY = 103;
constexpr int kWidth = 104;
constexpr int kHeight = 105;
constexpr int kPointCount = 106;
constexpr int kSpacer = 107;
constexpr int kDistance = 108;
constexpr int kAzimuth = 109;
}  // namespace pane

// Inserts thousands separators into the first run of digits of the text: " 1234567 点"
// becomes " 1,234,567 点", "-1234" "-1,234"; the rest of the text stays as it is.
void FormatWithThousands(std::string& text);

// Degrees split into whole degrees, minutes and seconds (all carrying the sign). Seconds
// that would print as 60.0000 with four decimals carry into the minutes.
struct DegreesMinutesSeconds {
    int32_t degrees;
    int32_t minutes;
    double seconds;
};
DegreesMinutesSeconds SplitDegrees(double value);

// The new text of a pane, from the program's globals; nothing when the pane keeps its
// text. leftButtonDown: the left mouse button is held now. The latitude and longitude
// are shown only for a zone 1 to 19; with no zone set the panes show plane X and Y.
std::optional<std::string> StatusPaneText(int paneId, const Ellipsoid& geodesy,
                                          bool leftButtonDown);

// Command 32984: switches the display off, or asks for the zone and datum (the dialog
// returns false when cancelled) and switches it on. A zone left empty is refused with
// a message and changes nothing.
void ToggleLatLongDisplay(Ellipsoid& geodesy,
                          const std::function<bool(ZoneSelectValues&)>& runZoneDialog);
