#pragma once
// GPS logs (GPX): the points of the receiver's active log become a route, one station per
// point at least 1 m from the previous one, with the time of day and the travelling speed
// as station names and one cross section per station; on request also one polyline of the
// background vector layer.
#include <cstdint>
#include <filesystem>

// Besides 0 and -1: the file holds no point that would be taken (told; nothing changed).
constexpr int32_t kGpxNoPoint = 1;

// zonePass 1: g_planeZone from the first taken point, nothing else changes.
// zonePass 0: replaces the stations, the IP list (emptied) and the cross sections, and on
// request the vector layer, with the track projected into g_planeZone.
// 0 done; -1 the file cannot be opened (nothing told), is malformed, the zone is not 1 to
// 19 or a store cannot grow (told); kGpxNoPoint. Nothing changes unless 0 comes back.
int32_t ReadGpxTrack(int32_t zonePass, const std::filesystem::path& path);

// The station names of timed stations (kind 1) after the first: the speed from the previous
// timed station when time has passed between them.
void LabelGpxSpeeds();
