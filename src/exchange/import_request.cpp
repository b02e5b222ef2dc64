#include "exchange/import_request.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "exchange/delimited_text.h"
#include "exchange/dxf_points.h"
#include "exchange/scanner.h"
#include "exchange/import_points.h"
#include "exchange/point_file_reader.h"
#include "model/document_services.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "platform/window_state.h"
#include "shell/tool_mode.h"
#include "shell/work_folder.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

ImportRequest g_importRequest{};
int32_t g_importKind = kImportKindSima;
int32_t g_importPlotMode = 3;
int32_t g_importErrorDigits = 5;
int32_t g_importTakeZero = 0;
int32_t g_importAddError = 0;

const char* const kImportFileTypes =
    "すべてのファイル|*.*| ＳＩＭＡファイル|*.SIM| ＤＸＦファイル|*.DXF| ランダムファイル|*.RND| "
    "テキストファイル|*.TXT| ＣＳＶファイル|*.CSV|";
const char* const kTextFormatHint =
    "テキストデータの書式はカンマ区切りかスペース区切りでＸ、Ｙ、Ｚ、点名の順で作成してください。\n"
    "（点名データは省略してもかまいません）";

namespace {
constexpr const char* kAskAppend = "既にデータが読み込まれていますが\n追加してよろしいですか";

// The "description|pattern|" pairs of the file types, at most ten, up to the first empty
// description.
std::vector<std::string> FileTypePairs() {
    std::vector<std::string> pairs;
    std::string_view rest = kImportFileTypes;
    while (pairs.size() < 10) {
        const size_t bar = rest.find('|');
        if (bar == std::string_view::npos || bar == 0) break;
        const std::string_view description = rest.substr(0, bar);
        rest.remove_prefix(bar + 1);
        const size_t bar2 = rest.find('|');
        const std::string_view pattern = rest.substr(0, bar2);
        rest.remove_prefix(bar2 == std::string_view::npos ? rest.size() : bar2 + 1);
        pairs.push_back(std::string(description) + "|" + std::string(pattern) + "|");
    }
    return pairs;
}
}  // namespace

void ResetImportChoices() {
    g_importRequest = ImportRequest{};
    g_importKind = kImportKindSima;
    g_importPlotMode = 3;
    g_importErrorDigits = 5;
    g_importTakeZero = 0;
    g_importAddError = 0;
}

std::string ImportFileFilter(int32_t kind) {
    const std::vector<std::string> p = FileTypePairs();
    // 0 all, 1 SIMA, 2 DXF, 3 RND, 4 TXT, 5 CSV
    switch (kind) {
        case kImportKindRnd: return p[3] + p[0];
        case kImportKindSima: return p[1] + p[0];
        case kImportKindDxf: return p[2] + p[0];
        case kImportKindText:
        case kImportKindRiegl:
        case kImportKindLatLong: return p[4] + p[5] + p[0];
        default: return kImportFileTypes;
    }
}

int32_t ClampIntensityLimit(int32_t limit) { return limit < 0 ? 0 : limit > 999 ? 999 : limit; }

std::string IntensityLimitText(int32_t limit) { return FormatString(" %d", limit); }

void IntensityEditLostFocus(const std::string& text) {
    const std::string cut = text.substr(0, 62);
    if (!cut.empty()) g_importRequest.intensityLowerLimit = std::atoi(cut.c_str());
    g_importRequest.intensityLowerLimit = ClampIntensityLimit(g_importRequest.intensityLowerLimit);
}

void IntensityWheel(const std::string& text, int32_t delta) {
    int32_t value = std::atoi(text.substr(0, 62).c_str());
    if (delta > 0) value += 5;
    if (delta < 0) value -= 5;
    g_importRequest.intensityLowerLimit = ClampIntensityLimit(value);
}

void SetBelowLimitCheck(int32_t mode, bool checked) {
    if (checked)
        g_importRequest.belowLimitMode = mode;
    else if (g_importRequest.belowLimitMode == mode)
        g_importRequest.belowLimitMode = 0;
}

void SubmitImportRequest(const std::string& path, bool swapXYChecked) {
    g_lastFolder = FolderOfPath(path);
    g_currentDataPath = path;
    g_importRequest.kind = g_importKind;
    g_importRequest.takeZeroElevation = g_importTakeZero;
    g_importRequest.plotMode = g_importPlotMode;
    g_importRequest.addError = g_importAddError;
    g_importRequest.errorDigits = g_importErrorDigits;
    g_importRequest.readyCode = kImportReady;
    g_importRequest.swapXY = swapXYChecked ? 1 : 0;
}

int32_t RunImportRequest() {
    const ImportRequest& r = g_importRequest;
    const std::string path = g_currentDataPath;
    int32_t result = 0;
    ImportSkippedLines skipped;
    switch (r.kind) {
        case kImportKindText:
            result = ReadDelimitedPointText(path, r.takeZeroElevation, r.plotMode, r.addError,
                                            r.errorDigits, &skipped);
            break;
        case kImportKindLatLong:
            result = ReadLatLongPointFile(path, r.takeZeroElevation, r.plotMode, r.addError,
                                          r.errorDigits, &skipped);
            break;
        case kImportKindDxf:
            result = ReadDxfEntitiesAsPoints(path, r.takeZeroElevation, r.plotMode, r.addError,
                                             r.errorDigits);
            break;
        case kImportKindRiegl:
            result = ReadRieglScanFile(path, r.takeZeroElevation, r.plotMode, r.addError,
                                       r.errorDigits, &skipped);
            break;
        default: {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (!file) {
                result = kImportCannotOpen;
                break;
            }
            result = ReadImportPointFile(file, r.kind, r.takeZeroElevation, r.plotMode,
                                         r.addError, r.errorDigits, &skipped);
            std::fclose(file);
            break;
        }
    }
    ReportImportResult(path, result);
    if (result == 0) ReportSkippedImportLines(path, skipped);
    return result;
}

void OnExternalImport(const ExternalImportHooks& hooks) {
    if (g_importRequest.readyCode == kImportReady) {
        g_importRequest.readyCode = 0;
        ShowWaitCursor(true);
        const int32_t result = RunImportRequest();
        ShowWaitCursor(false);
        if (result == 0 && g_pointCount > 0) {
            if (g_pointsPresent == 0) g_pointsPresent = -1;
            g_overviewExtent = 0;
            ShowAllKeepSettings();
            g_birdsEyeTilt = -0.2;
            g_dataChanged = -1;
            ClearViewHistory();
        }
        g_redrawMask = -1;
        InvalidateAndUpdateView();
        return;
    }
    if (hooks.dialogOpen && hooks.dialogOpen()) {
        if (hooks.closeDialog) hooks.closeDialog();
        return;
    }
    if (g_pointCount > 0 &&
        ShowMessage(kAskAppend, "", msg::kYesNo | msg::kIconQuestion) != msg::kIdYes)
        return;
    ResetToolMode();
    if (hooks.showDialog) hooks.showDialog();
}
