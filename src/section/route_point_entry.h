#pragma once
// Route points entered with the mouse in the plan view: the IP input tool (the first click
// the beginning point "BP", every further click an "IP") and the arbitrary-section tool,
// whose two clicks become an extra route station with that cut line.
#include <cstdint>

// Mouse entry is refused from this many IP points on.
constexpr int32_t kMouseIpLimit = 498;
// The capacity the station block is given at least before an arbitrary section is added.
constexpr int32_t kArbitrarySectionStationCapacity = 200;

// The release of a click at client pixel (x, y) with the mouse message's key flags: snaps
// the click, appends an IP point and lets the registration dialog correct it (not with
// Shift held; cancelling drops the point). In the arbitrary-section tool the second point
// turns both into a station and empties the IP table.
void EnterRoutePointAtCursor(int32_t flags, int32_t x, int32_t y);
