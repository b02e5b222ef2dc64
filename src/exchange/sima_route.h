#pragma once
// SIMA exchange of the road alignment (IP points, stations, width stakes) and the
// longitudinal and cross-section records of the current sections.
#include <cstdint>
#include <filesystem>
#include <string>

// Results besides 0.
constexpr int32_t kRouteSimaNothing = -1;      // no data to write / no section block
constexpr int32_t kRouteSimaWriteFailed = -2;  // the file could not be created or written
constexpr int32_t kRouteSimaOpenFailed = -3;   // the file to read could not be opened

// The route file's text (CP932, CR LF); empty when there are neither stations nor IPs.
std::string RouteSimaText();
// Writes the route file; kRouteSimaNothing creates no file.
int32_t WriteRouteSima(const std::filesystem::path& path);

// Reads a route file into IP points and stations, its coordinates appended as unused
// points. The current route and points change only when the whole read succeeds.
// 0; kRouteSimaOpenFailed (route kept, nothing told); -1 after a memory message.
int32_t ReadRouteSima(const std::filesystem::path& path);

// Section records; kRouteSimaNothing when no section block exists.
std::string LongSectionSimaText();
std::string CrossSectionSimaText();
int32_t WriteLongSectionSima(const std::filesystem::path& path);
int32_t WriteCrossSectionSima(const std::filesystem::path& path);
