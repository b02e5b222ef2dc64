#pragma once
// The station files: .RSN keeps every route station (kind, number, name, added distance,
// centre and stakes) beside a route document; .RUT lists the current-ground cross
// sections (name, added distance, centre and its ground height) for the tunnel tools.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// The station blocks of g_stations and the end line, CR LF after each line.
std::string FormatRsnText();

// Writes the .RSN beside `path`. -1 when written, and when there are no stations: then an
// older .RSN of this document is removed, so that its stations cannot come back. 0 when
// the file could not be written (the user has been told and no partial file is left).
int32_t WriteRsnFile(const std::filesystem::path& path);

// Replaces the stations with those of the .RSN beside `path`; capacity is count + 100.
// An incomplete last block is left out. 0 when read; -1 when the file cannot be read
// (stations as they were) or memory fails (no stations, after a message). Showing the
// route is the caller's.
int32_t ReadRsnFile(const std::filesystem::path& path);

// Appends the stations of another route (the .RSN beside `path`) to the other-route
// stations, followed by a separator of kind -999. 0 when appended; -1 when the file
// cannot be read (nothing changed) or memory fails (no other routes, after a message).
int32_t ReadOtherRouteRsn(const std::filesystem::path& path);

// One current-ground cross section as the .RUT lists it.
struct RutSection {
    std::string name;  // CP932 bytes
    double addedDistance = 0.0;
    double centerX = 0.0;
    double centerY = 0.0;
    double groundZ = 0.0;  // -999999.999 when the section has no ground height
};

// What the .RUT writer needs of the cross sections: their count and, by number 1 to
// count, the section when one exists (GetCrossSection).
struct RutSectionSource {
    int32_t count = 0;
    std::function<bool(int32_t number, RutSection* out)> getCrossSection;
};

// Writes the .RUT beside `path` from `sections`; null means there are no cross sections.
// 0 when written or when there is nothing to write; -1 when the file could not be
// written (the user has been told and no partial file is left).
int32_t WriteRutFile(const std::filesystem::path& path, const RutSectionSource* sections);
