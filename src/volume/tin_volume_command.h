#pragma once
// The work behind the TIN volume dialog (295): the base file, the calculation with its
// result text and clipboard copy, the region file's life and its text list. The dialog
// window holds one TinVolumeDialogState and calls these.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "volume/tin_to_tin.h"

struct TinVolumeDialogState {
    TinVolumeRequest request;     // hole options 1 and 1, region mode 0
    int32_t volumeDecimals = 3;   // 0..3
    int32_t areaDecimals = 3;     // 0..3
    int32_t regionRecordCount = 0;
    std::string regionPath;       // fixed when the dialog opens
    std::string basePath;         // empty until chosen
    std::string resultText = "未計算";  // UTF-8, what 1050 shows
    std::FILE* regionFile = nullptr;
};

// The open dialog's state (g_tinVolumeDlg's); null while the dialog is closed. The view
// draws the regions while it is set.
extern TinVolumeDialogState* g_tinVolumeState;

// Opening: the region file path; no base file.
void InitTinVolumeDialog(TinVolumeDialogState* state);
// A base file was chosen: the region file is discarded and the result shows "---".
void SelectTinVolumeBase(TinVolumeDialogState* state, const std::string& path);
// Closes and deletes the region file; the region counts become 0.
void CloseTinVolumeRegionFile(TinVolumeDialogState* state);
// 計算開始: CalcTinToTinVolume's result; the result text and the region file set as the
// dialog shows them (the text goes to the clipboard when there is a result). progress
// receives the engine's texts.
int32_t RunTinVolumeCalculation(TinVolumeDialogState* state, const std::function<void(const std::string&)>& progress);
// 名前を付けて保存 after the file dialog: see WriteRegionList.
int32_t SaveTinVolumeRegionList(TinVolumeDialogState* state, const std::string& listPath);
// The view's paint step: the regions of the open dialog into the locked back buffer.
void DrawTinVolumeRegions();
