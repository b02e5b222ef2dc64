#include "exchange/sunmap_out.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "contour/contour_files.h"
#include "model/file_report.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"

int32_t g_sunmapScale = 1;
int32_t g_sunmapMainLineType = 1;
int32_t g_sunmapIndexLineType = 2;
int32_t g_sunmapMainLayer = 1;
int32_t g_sunmapIndexLayer = 2;
std::string g_sunmapOutPath;
int32_t g_sunmapOutBusy = 0;

void ResetSunmapChoices() {
    g_sunmapScale = 1;
    g_sunmapMainLineType = 1;
    g_sunmapIndexLineType = 2;
    g_sunmapMainLayer = 1;
    g_sunmapIndexLayer = 2;
    g_sunmapOutPath.clear();
    g_sunmapOutBusy = 0;
}

bool IsIndexContourLevel(double level) {
    if (!(g_indexContourInterval != 0)) return false;
    const double q = level / g_indexContourInterval;
    const double frac = q - std::floor(q);
    return frac < 0.000001 || frac > 0.999999;
}

namespace {

struct Extents {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();
    void Add(double x, double y) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    bool Empty() const { return !(minX <= maxX); }
};

// Walks the contour lines: f(level, firstVertex, x, y) per vertex of each complete header.
template <typename F>
void ForEachVertex(std::FILE* lines, F f) {
    ContourRecord header;
    while (ReadContourRecord(lines, &header)) {
        const double count = header.b;
        for (int32_t v = 0; v < count; ++v) {
            ContourRecord vertex;
            if (!ReadContourRecord(lines, &vertex)) return;
            f(header.a, v == 0, vertex.a, vertex.b);
        }
    }
}

}  // namespace

int32_t WriteSunmapFile(const std::filesystem::path& path, int32_t scale, int32_t mainLineType,
                        int32_t indexLineType, int32_t mainLayer, int32_t indexLayer) {
    // The contour file first, so that a missing one leaves no empty output behind.
    std::FILE* lines = std::fopen(g_contourLinesPath.c_str(), "rb");
    if (!lines) return kSunmapNotCreated;
    Extents ext;
    for (int32_t i = 1; i <= g_pointCount; ++i) ext.Add(g_points[i].x, g_points[i].y);
    if (ext.Empty()) {
        ForEachVertex(lines, [&](double, bool, double x, double y) { ext.Add(x, y); });
        std::rewind(lines);
    }
    if (ext.Empty()) ext = Extents{0, 0, 0, 0};
    TextFileWriter out;
    if (!out.Open(path)) {
        std::fclose(lines);
        return kSunmapNotCreated;
    }
    out.PrintLine("%4d%4d%6d%4d%13.3lf%13.3lf%13.3lf%13.3lf", 10, 0, 0, 0, ext.minY, ext.minX, ext.maxY,
                  ext.maxX);
    out.PrintLine("%4d%4d%6d%4d%13.3lf%13.3lf", 14, 0, 0, 0, static_cast<double>(scale),
                  static_cast<double>(scale));
    ForEachVertex(lines, [&](double level, bool first, double x, double y) {
        const bool index = IsIndexContourLevel(level);
        out.PrintLine("%4d%4d%6d%4d%13.3lf%13.3lf%13.3lf", first ? 1 : 2, index ? indexLayer : mainLayer, 0,
                      index ? indexLineType : mainLineType, y, x, level);
    });
    const bool readError = std::ferror(lines) != 0;
    std::fclose(lines);
    if (!out.Close() || readError) {
        RemovePartialFile(path);
        return kSunmapWriteFailed;
    }
    return 0;
}

void OpenSunmapOut() {
    std::filesystem::path p = g_currentDataPath;
    p.replace_extension(".DAT");
    g_sunmapOutPath = p.string();
}

namespace {
int32_t* SunmapNumber(int id) {
    switch (id) {
        case kSunmapEditMainLineType: return &g_sunmapMainLineType;
        case kSunmapEditIndexLineType: return &g_sunmapIndexLineType;
        case kSunmapEditMainLayer: return &g_sunmapMainLayer;
        case kSunmapEditIndexLayer: return &g_sunmapIndexLayer;
        case kSunmapEditScale: return &g_sunmapScale;
        default: return nullptr;
    }
}
}  // namespace

std::string SunmapOutEditText(int id) {
    if (id == kSunmapEditPath) return g_sunmapOutPath;
    const int32_t* value = SunmapNumber(id);
    if (!value) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%5d", *value);
    return text;
}

void SunmapOutEdited(int id, const std::string& text) {
    if (text.empty()) return;
    if (id == kSunmapEditPath) {
        g_sunmapOutPath = text;
        return;
    }
    int32_t* value = SunmapNumber(id);
    if (!value) return;
    // atoi: what the text starts with, 0 when nothing; cut to the int range.
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    const int32_t n = static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    if (id == kSunmapEditScale && n <= 0) return;
    *value = n;
}

bool BrowseSunmapOutPath() {
    FileDialogRequest request;
    request.save = true;
    request.title = "ＳＵＮＭＡＰファイル名設定";
    request.filter = "ＳＵＮＭＡＰファイル (*.DAT)|*.DAT| すべてのファイル|*.*|";
    request.defaultExtension = "DAT";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return false;
    g_lastFolder = FolderOfPath(path);
    g_sunmapOutPath = path;
    return true;
}

bool RunSunmapOutput() {
    if (g_sunmapOutBusy || IsProgressWindowOpen()) return false;
    if (!g_drawingContoursLoaded) {
        ShowMessage("出力するデータがありません。", "", msg::kOk | msg::kIconInformation);
        return true;
    }
    std::error_code ec;
    if (std::filesystem::exists(g_sunmapOutPath, ec) &&
        ShowMessage("同一名のファイルがありますが\n上書きしてよろしいですか", "上書き確認",
                    msg::kYesNo | msg::kIconInformation) != msg::kIdYes)
        return false;
    OpenProgressWindow(progress::kSunmapOutput, "ＳＵＮＭＡＰファイル出力中");
    g_sunmapOutBusy = -1;
    const int32_t result = WriteSunmapFile(g_sunmapOutPath, g_sunmapScale, g_sunmapMainLineType,
                                           g_sunmapIndexLineType, g_sunmapMainLayer, g_sunmapIndexLayer);
    if (result == kSunmapWriteFailed)
        ReportWriteFailed(g_sunmapOutPath);
    else if (result != 0)
        ShowMessage("ファイルが作成できませんでした。", "ファイル作成失敗", msg::kOk | msg::kIconError);
    g_sunmapOutBusy = 0;
    CloseProgressWindow();
    return true;
}
