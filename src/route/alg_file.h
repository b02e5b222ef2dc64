#pragma once
// The route file .ALG: fixed-column text of the route parameters, the IP table, the two
// extension lengths and the plus stakes. It carries input only; computed values travel
// in the .YSO and .RSN files written beside it.
#include <cstdint>
#include <filesystem>
#include <string>

class TextFileWriter;

// Base name (no folder, no extension) of the route data; "No_Name" at start. The route
// save proposes it.
extern std::string g_routeDataName;

// Reads the route of a route document from `path` as given. 0 when read (also when a
// table limit stopped the reading, after its message); -1 when the file cannot be read
// (nothing changed). The IP table, the extension lengths and the plus stakes are
// emptied before the file fills them. Showing the IP names is the caller's.
int32_t ReadAlgFile(const std::filesystem::path& path);

// The lines of the route file, CR LF after each.
std::string FormatAlgText();

// Writes the route through the document's writer. -1 when the lines were handed to it;
// whether they reached the disk is the writer's Close() to tell.
int32_t WriteAlgArchive(TextFileWriter& archive);

// Writes the route file beside `path` (its folder and base name with ".ALG"). -1 when
// written, and also when the IP table is empty (nothing is written then); 0 when the
// file could not be written (the user has been told and no partial file is left).
int32_t WriteAlgFile(const std::filesystem::path& path);

// Appends the IPs of another route (the .ALG beside `path`) to the other-route IP table,
// followed by a separator record numbered -999. 0 when appended, -1 when the file
// cannot be read. Switching the other routes on is the caller's.
int32_t ReadOtherRouteAlg(const std::filesystem::path& path);
