#pragma once
// The point edit dialog's work: one point (g_pickedPoint) edited through the template
// g_editPoint, with its latitude and longitude in a plane zone. A number one above the
// count is a new point that its tool has written after the last one without counting it.
#include <array>
#include <cstdint>
#include <string>

#include "model/geodesy.h"

// Set when X, Y, the elevation or the name was edited; a cancel then redraws.
extern int32_t g_nameEdited;

// The six latitude and longitude fields: degrees, minutes, seconds of each.
using LatLongTexts = std::array<std::string, 6>;

// An angle in degrees split for display: whole degrees, whole minutes, seconds, with
// seconds (and then minutes) of more than 59.99999 carried up.
void SplitDegrees(double v, int32_t& degrees, int32_t& minutes, double& seconds);

class PointEditSession {
public:
    // What the dialog shows at the start.
    struct Start {
        std::string title;   // UTF-8
        bool copyShown = true;
        bool numberShown = true;
        std::string numberText;  // "NO. %d"
    };
    // Selects the ellipsoid and clears g_nameEdited.
    PointEditSession();
    Start Begin() const;

    std::string XText(bool edited) const;  // "%12.4f", after input "%13.4f"
    std::string YText(bool edited) const;
    std::string ZText(bool edited) const;  // "%8.3f", after input "%12.3f"
    std::string ZoneText() const;          // "%2d"
    std::string NameText() const;          // CP932
    // The latitude and longitude of the template's X and Y; all empty without a zone.
    LatLongTexts LatLong() const;

    // Fields left by the user. A text that is no number keeps the old value.
    void EditX(const std::string& text);
    void EditY(const std::string& text);
    void EditZ(const std::string& text);
    // Cut to 11 bytes without splitting a double-byte character; returns what is kept.
    std::string EditName(const std::string& cp932);
    // A whole number 0..19 becomes the zone; anything else is ignored.
    void EditZone(const std::string& text);
    // One of the six latitude/longitude fields (0..5) was left; `texts` holds all six as
    // typed and comes back as they are to be shown. With a zone the template moves.
    void EditLatLong(int32_t field, LatLongTexts& texts);

    // 無効 (true) or 有効: false when refused (an outline vertex stays valid, with the
    // message).
    bool SetInvalid(bool invalid);

    // 登録: writes the template into the point (counting a new one).
    void Register();
    // 複写: a copy of the stored point at the template's X and Y after the last point.
    // False, with the memory message and nothing written, when no record is free.
    bool Copy();
    // 中止 (and a right click).
    void Cancel();
    // Whatever way the dialog ends: an unregistered new point is dropped, the picks cleared.
    static void Close();

private:
    Ellipsoid m_ellipsoid;
};
