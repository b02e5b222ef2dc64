#pragma once
// Command 33072 (RoadGmXML読込): an alignment XML file, or a GPS track when the chosen
// name's extension holds "gpx" or "GPX"; afterwards the route lists and the view follow.
#include <functional>

struct ZoneSelectValues;

// The plane-zone question of the track import: true for OK, with the values taken. Without
// one installed the suggested zone is taken as it is.
using TrackZoneDialog = std::function<bool(ZoneSelectValues&)>;
void SetTrackZoneDialog(TrackZoneDialog dialog);

void RunRoadGmXmlRead();
