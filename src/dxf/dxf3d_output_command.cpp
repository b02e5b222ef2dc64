#include "dxf/dxf3d_output_command.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "dxf/dxf3d_output.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"

void InitDxf3dOutputDialog() {
    if (!g_currentDataPath.empty())
        g_dxf3dOutputPath = std::filesystem::path(g_currentDataPath).replace_extension(".DXF").string();
    if (g_drawingContoursLoaded == 0) g_dxf3dContours = 0;
    if (g_tinPresent == 0) g_dxf3dTin = 0;
    if (!g_dxpFileRead) {
        ReadDxpFile();
        g_dxpFileRead = 1;
    }
    if (g_outline.Count() < 1) g_dxf3dOutline = 0;
}

std::string Dxf3dNumberText(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%5d", value);
    return text;
}

int32_t Dxf3dNumberFromText(const std::string& text) {
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

namespace {
// What a complete file left out, in the user's words.
std::string PartialText(const Dxf3dReport& r) {
    std::string text;
    if (r.contourFileMissing) text += "等高線ファイルが読めないため、等高線は出力していません。\n";
    if (r.contourFileCorrupt)
        text += "等高線ファイルが壊れています。等高線は読めた所まで (" + std::to_string(r.contoursWritten) +
                " 本) を出力しました。\n";
    if (r.entitiesRefused > 0)
        text += "座標値が数値でない " + std::to_string(r.entitiesRefused) + " 個の要素は出力していません。\n";
    return text;
}
}  // namespace

bool OnDxfOutput(bool contoursChecked, bool tinChecked, bool outlineChecked) {
    if (g_dxf3dBusy || IsProgressWindowOpen()) return false;
    g_dxf3dContours = contoursChecked && g_drawingContoursLoaded ? 1 : 0;
    g_dxf3dTin = tinChecked && g_tinPresent ? 1 : 0;
    g_dxf3dOutline = outlineChecked && g_outline.Count() > 1 ? 1 : 0;
    if (!g_dxf3dContours && !g_dxf3dTin && !g_dxf3dOutline) {
        ShowMessage("出力するデータがありません。", "", msg::kOk | msg::kIconInformation);
        return true;
    }
    std::error_code ec;
    if (!g_dxf3dOutputPath.empty() && std::filesystem::exists(g_dxf3dOutputPath, ec) &&
        ShowMessage("同一名のファイルがありますが\n上書きしてよろしいですか", "上書き確認",
                    msg::kYesNo | msg::kIconInformation) == msg::kIdNo)
        return false;
    OpenProgressWindow(progress::kDxfOutput, "ＤＸＦファイル出力中");
    g_dxf3dBusy = -1;
    const int32_t result =
        Write3dDxf(g_dxf3dOutputPath, g_dxf3dContours, g_dxf3dTin, g_dxf3dContourKind, g_dxf3dTinKind,
                   g_dxf3dDrawingCoords, g_dxf3dMainContourLayer, g_dxf3dMainContourColour, g_dxf3dIndexContourLayer,
                   g_dxf3dIndexContourColour, g_dxf3dExistingLayer, g_dxf3dExistingColour, g_dxf3dPlanLayer,
                   g_dxf3dPlanColour, g_dxf3dSlopeLayer, g_dxf3dSlopeColour, g_dxf3dWaterLayer, g_dxf3dWaterColour,
                   g_dxf3dBuildingLayer, g_dxf3dBuildingColour, g_dxf3d2d, g_dxf3dOutline, g_dxf3dOutlineLayer,
                   g_dxf3dOutlineColour, g_dxf3dLayerPerElevation, g_dxf3dElevationUnitMm);
    if (result == k3dDxfNothing || result == k3dDxfWriteFailed)
        ShowMessage("ファイルが作成できませんでした。", "ファイル作成失敗", msg::kOk | msg::kIconError);
    else if (result == k3dDxfPartial)
        ShowMessage(PartialText(g_dxf3dReport), "", msg::kOk | msg::kIconWarning);
    g_dxf3dBusy = 0;
    WriteDxpFile();
    CloseProgressWindow();
    return true;
}
