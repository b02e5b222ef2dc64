#pragma once
// Free text with one point per line (import kind 9: comma or blank separated, with
// received intensity and colour from laser scanners) and latitude/longitude lines
// projected into a plane zone (kind 12).
#include <cstdint>
#include <filesystem>
#include <functional>

#include "exchange/import_points.h"

struct ZoneSelectValues;

// Appends the points of the file; swapXY, the intensity limit and the below-limit mode
// come from g_importRequest. 0 when read to the end, -1 when the point block cannot grow,
// kImportCannotOpen, kImportReadFailed (nothing appended then).
int32_t ReadDelimitedPointText(const std::filesystem::path& path, int32_t takeZeroElevation,
                               int32_t plotMode, int32_t addError, int32_t errorDigits,
                               ImportSkippedLines* skipped = nullptr);

// The zone dialog the lat/long import shows: true for OK. Without one the preselected
// zone is taken as it is.
using ImportZoneDialog = std::function<bool(ZoneSelectValues&)>;
void SetImportZoneDialog(ImportZoneDialog dialog);
// Shows the installed zone dialog: true for OK, and true without one (the values stay).
bool RunImportZoneDialog(ZoneSelectValues& values);

// Appends the points of the file, projected into the zone the user confirms. 0 also for
// an empty file, a cancelled zone choice or a zone outside 1 to 19 (told); -1 when the
// point block cannot grow; kImportCannotOpen, kImportReadFailed.
int32_t ReadLatLongPointFile(const std::filesystem::path& path, int32_t takeZeroElevation,
                             int32_t plotMode, int32_t addError, int32_t errorDigits,
                             ImportSkippedLines* skipped = nullptr);

// The zone whose origin is nearest (in plain degrees) to the position; the lower number
// on a tie.
void FindNearestPlaneZone(double latDegrees, double latMinutes, double latSeconds,
                          double lonDegrees, double lonMinutes, double lonSeconds, int32_t* zone);

// "35-41-22.53" as decimal degrees; false when a part is not a number.
bool ParseDmsField(const char* text, double* degrees);
