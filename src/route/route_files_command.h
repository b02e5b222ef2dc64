#pragma once
// The route document's files and the other routes shown for reference: what the
// document's load and save steps and its other-route commands do with the route files.
#include <filesystem>

struct RutSectionSource;

// Reads the route document `algPath`: the .ALG, then the .RSN and .YSO beside it. An .ALG
// that cannot be read is reported and nothing else is read.
void ReadRouteDocument(const std::filesystem::path& algPath);

// Writes the route document `algPath` (.ALG), then beside it the .YSO (only after the
// .ALG was written), the .RSN and the .RUT of `sections` (null: none). False when a file
// could not be written; each failure has been reported.
bool WriteRouteDocument(const std::filesystem::path& algPath, const RutSectionSource* sections);

// Appends the route beside `path` (its .RSN stations and .ALG IPs) to the other routes
// and shows them.
void LoadOtherRoute(const std::filesystem::path& path);

// Forgets every other route.
void EraseOtherRoutes();
