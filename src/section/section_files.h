#pragma once
// The section files beside a route document: the cross-section file (.ODN, ground line
// of every section), the longitudinal file (.JDN, one line per section and the CROSS list
// of longitudinal-line crossings) and the simple-section file (.QDN, comma-separated).
// All are CP932 text with CR LF line ends; the .ODN and .JDN are read by fixed columns.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The earthwork's file state, kept between openings of its dialog.
extern std::string g_earthworkCurrentPath;  // current-ground .ODN last read
extern int32_t g_earthworkCurrentLoaded;
extern std::string g_earthworkPlanPath;  // plan .ODN last read
extern int32_t g_earthworkPlanLoaded;
extern std::string g_earthworkOutputPath;  // where the .SD2 and .OPL go

// Replaces the cross sections with those of <path>.ODN (found without regard to case) and
// places their points on the plan through the route stations of the same added distance.
// 0 when read; -1 (sections as they were, nothing told) when there are no stations or the
// file cannot be opened.
int32_t ReadOdnFile(const std::filesystem::path& path);

// The CROSS list of <path>.JDN. The list is emptied first; 0 when the file was read (also
// without a list), -1 when there are no stations or the file cannot be opened.
int32_t ReadJdnFile(const std::filesystem::path& path);

// kind 0: <path>.ODN and <path>.JDN; 1: the .ODN only; 2: the .JDN only. 0 when written;
// -1 when a file could not be written (told, no partial file left).
int32_t WriteOdnJdnFiles(const std::filesystem::path& path, int32_t kind);
// The file texts, as written.
std::string FormatOdnText();
std::string FormatJdnText();

// The simple sections as <path>.QDN. Nothing is written without simple sections (0).
// -1 when the work file cannot be read or the file not written (told).
int32_t WriteQdnFile(const std::filesystem::path& path);
// Rebuilds the simple-section work file from <path>.QDN (found without regard to case).
// 0 when there is no such file (the simple sections stay), the count of sections read,
// or -1 when the work file could not be written (told).
int32_t ReadQdnFile(const std::filesystem::path& path);

// Fixed-column field of a line: columns first..last counted from 1, clipped to the line.
std::string_view ColumnField(std::string_view line, size_t first, size_t last);
double ColumnNumber(std::string_view line, size_t first, size_t last);
