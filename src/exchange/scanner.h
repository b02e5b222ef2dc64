#pragma once
// Polar measurements of a terrestrial laser scanner's text export (import kind 11),
// placed about the scanner's set-up point.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "exchange/import_points.h"

// The set-up point the dialog RIEGL設置座標 (217) asks for.
struct RieglSetup {
    double x = 0, y = 0, z = 0;
};
// Shows the dialog on the values (all 0 when it opens); the reader takes them however it
// ended. Without one the set-up point stays at 0, 0, 0.
using RieglSetupDialog = std::function<void(RieglSetup&)>;
void SetRieglSetupDialog(RieglSetupDialog dialog);
bool RieglSetupDialogAvailable();

// One record's tokens: range, status word and the two angles. False when the record does
// not give a point (a header, a missing token, a status other than 0). `bad` tells a
// record whose numbers hold text.
struct ScanMeasurement {
    double range = 0, horizontal = 0, vertical = 0;
};
bool ParseScanRecord(std::string_view record, ScanMeasurement* m, bool* bad);

// Appends the points. 0 when read, -1 when the point block cannot grow, kImportCannotOpen,
// kImportReadFailed (nothing appended then).
int32_t ReadRieglScanFile(const std::filesystem::path& path, int32_t takeZeroElevation,
                          int32_t plotMode, int32_t addError, int32_t errorDigits,
                          ImportSkippedLines* skipped = nullptr);
