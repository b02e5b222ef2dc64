#pragma once
// The line-oriented point formats of other survey software: RND text, SIMA coordinate
// records, four fixed-column dialects, a comma dialect and SUNMAP.
#include <cstdint>
#include <cstdio>

#include "exchange/import_points.h"

// Appends one point per accepted record of the open file (read from where it stands to
// its end) to g_points. 0 when read to the end; -1 when the point block cannot grow (the
// points appended so far stay); kImportReadFailed on a read error (nothing appended).
// Lines whose number fields hold text give no point and are listed in `skipped`.
int32_t ReadImportPointFile(std::FILE* file, int32_t kind, int32_t takeZeroElevation,
                            int32_t plotMode, int32_t addError, int32_t errorDigits,
                            ImportSkippedLines* skipped = nullptr);

// SUNMAP record codes that carry a point.
bool IsSunmapPointCode(int32_t code);
