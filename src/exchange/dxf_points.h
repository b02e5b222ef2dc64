#pragma once
// The defining vertices of chosen DXF entity kinds (ENTITIES section) as random points
// (import kind 10, also the host channel's DXF read).
#include <cstdint>
#include <filesystem>
#include <functional>

#include "dxf/dxf_import_params.h"
#include "exchange/import_points.h"

// The parameter dialog (ＤＸＦ取り込みパラメータ設定): its result, 0 when cancelled.
// Without one the dialog's start values are taken.
using DxfPointParamDialog = std::function<int(DxfImportParams&)>;
void SetDxfPointParamDialog(DxfPointParamDialog dialog);

// The kinds and axes a host-driven read takes: points and vertices, the drawing's x as X.
DxfImportParams QuietDxfPointParams();

// Appends the points. 0 when read (or the dialog was cancelled), -1 when the point block
// cannot grow, kImportCannotOpen, kImportReadFailed (a damaged group structure or a read
// error: the points of this read are taken back).
int32_t ReadDxfEntitiesAsPoints(const std::filesystem::path& path, int32_t takeZeroElevation,
                                int32_t plotMode, int32_t addError, int32_t errorDigits);
// The same with given parameters (no dialog).
int32_t ReadDxfEntitiesWithParams(const std::filesystem::path& path, const DxfImportParams& params,
                                  int32_t takeZeroElevation, int32_t plotMode, int32_t addError,
                                  int32_t errorDigits);
