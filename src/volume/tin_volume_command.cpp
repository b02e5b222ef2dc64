#include "volume/tin_volume_command.h"

#include <filesystem>
#include <system_error>

#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "shell/work_folder.h"
#include "volume/tin_volume_regions.h"

TinVolumeDialogState* g_tinVolumeState = nullptr;

void InitTinVolumeDialog(TinVolumeDialogState* state) {
    state->regionPath = MakeRegionFilePath(g_workFolder);
    state->basePath.clear();
}

void CloseTinVolumeRegionFile(TinVolumeDialogState* state) {
    state->request.plusRegionCount = state->request.minusRegionCount = 0;
    state->regionRecordCount = 0;
    if (state->regionFile) {
        std::fclose(state->regionFile);
        state->regionFile = nullptr;
    }
    state->request.regionFile = nullptr;
    if (!state->regionPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(state->regionPath, ec);
    }
}

void SelectTinVolumeBase(TinVolumeDialogState* state, const std::string& path) {
    state->basePath = path;
    CloseTinVolumeRegionFile(state);
    state->resultText = "---";
}

int32_t RunTinVolumeCalculation(TinVolumeDialogState* state,
                                const std::function<void(const std::string&)>& progress) {
    CloseTinVolumeRegionFile(state);
    TinVolumeRequest& q = state->request;
    // Without a region file the calculation still runs, only without region output.
    if (q.regionMode != 0) state->regionFile = CreateRegionFile(state->regionPath);
    q.regionFile = state->regionFile;
    std::string last;
    q.progressWindow = [&](const std::string& text) {
        last = text;
        if (progress) progress(text);
    };
    const int32_t r = CalcTinToTinVolume(state->basePath, &q);
    q.progressWindow = nullptr;
    std::string text = FormatTinVolumeResult(q, state->volumeDecimals, state->areaDecimals);
    if (r >= 1) {
        if (SetClipboardText(Utf8ToCp932(text))) text += "\n\n(クリップボードにコピーしました)";
    } else {
        text = "体積領域なし";
        CloseTinVolumeRegionFile(state);
    }
    if (r >= 0) state->resultText = text;
    else state->resultText = last;  // "ESC-Key Break"
    if (state->regionFile && q.plusRegionCount + q.minusRegionCount > 0) {
        const int32_t count = q.plusRegionCount + q.minusRegionCount;
        // Flushed, so that the list's second reader sees the header.
        if (WriteRegionHeader(state->regionFile, count)) state->regionRecordCount = count;
        std::fseek(state->regionFile, 0, SEEK_END);
    }
    return r;
}

int32_t SaveTinVolumeRegionList(TinVolumeDialogState* state, const std::string& listPath) {
    if (state->regionRecordCount == 0) return -1;
    if (state->regionFile) std::fflush(state->regionFile);
    return WriteRegionList(state->regionPath, listPath);
}

void DrawTinVolumeRegions() {
    const TinVolumeDialogState* s = g_tinVolumeState;
    if (!s || s->regionRecordCount == 0 || !s->regionFile) return;
    DrawVolumeRegions(s->regionFile, s->regionRecordCount, s->request.minusRegionCount);
}
