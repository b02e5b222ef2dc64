#pragma once
// Structures added to the terrain model: bridge and tunnel models merged from their RND
// and .TRI files as invalid points and hole edges (drawn with the terrain, taking no part
// in it), and the portal openings of a tunnel from a route station file.
#include <cstdint>
#include <string>

// Appends the points of the RND file (invalid) and its TIN (hole edges, state 0). 1 when
// points and TIN were merged; 0 when the file could not be read, the point block could
// not grow, or the .TRI is missing or damaged (the points then stay merged). Every
// failure is told.
int32_t MergeBridgeTunnelData(const std::string& path);

// Adds, at each tunnel portal of a route station file, nine points named "T" along the
// arch of the opening, 0.5 m inside the tunnel. 1 after reading the whole file; 0 when it
// cannot be read, holds lines that are not stations (nothing added), or the point block
// could not grow (the openings so far stay). Every failure is told.
int32_t GetTunnelPortalsFromRoute(const std::string& path);

// Tunnel codes of a station line.
constexpr int32_t kTunnelPortal = 2;
constexpr int32_t kTunnelInside = -2;

// One station line of the route file: false when it is not one.
struct TunnelStation {
    int32_t code = 0;
    double x = 0, y = 0, z = 0, width = 0, height = 0;  // code 2 or -2 only
};
bool ParseTunnelStationLine(const std::string& line, TunnelStation& station);

// Commands ランダムデータ合成（橋梁トンネル用） (32926) and 鳥瞰図ﾙｰﾄからﾄﾝﾈﾙ開口部座標取得 (32927).
void OnBridgeTunnelMerge();
void OnTunnelPortalFromRoute();

class FrameCommandTarget;
void RegisterBridgeTunnelCommands(FrameCommandTarget& commands);
