#pragma once
// Plain-text reports of the route alignment for printing and for other survey software:
// the curve elements of every IP (one page each) and the list of stations.
#include <cstdint>
#include <filesystem>
#include <string>

// Results besides 0.
constexpr int32_t kRouteReportNothing = 1;      // fewer than three IPs / no station: no file
constexpr int32_t kRouteReportNotCreated = -1;  // the file could not be created
constexpr int32_t kRouteReportWriteFailed = -2;  // a write or the close failed; the file is removed

// The report texts as CP932 bytes with LF line ends; empty when there is nothing to write.
std::string CurveElementReport();
std::string StationReport();

// Write them with CR LF line ends.
int32_t WriteCurveElementText(const std::filesystem::path& path);
int32_t WriteStationText(const std::filesystem::path& path);

// Commands 32827 and 32828 (and the curve list's text button): the save dialog, then the
// writer; failures are told.
void OnExportCurveElementText();
void OnExportStationText();
