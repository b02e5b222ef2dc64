#include "contour/slice_quantities.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "contour/elevation_table.h"
#include "contour/slice_store.h"
#include "model/pick_reset.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_lists.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/work_folder.h"

double RoundSliceValue(double value, int32_t decimals) {
    return std::strtod(FormatString("%.*f", std::clamp(decimals, 0, 20), value).c_str(), nullptr);
}

int32_t CalcSliceQuantities() {
    if (g_sliceLevelCount < 1 || g_sliceStore.Empty()) return 1;
    const int32_t first = g_sliceStartRow, last = g_sliceEndRow;
    g_dataChanged = -1;
    if (first < 1 || last > g_sliceLevelCount || first > last) {
        g_sliceTotal = 0;
        return 0;
    }
    // The signed area of each row in one pass over the lines: rows sorted by elevation,
    // each line added to the rows within 0.0001 of its level.
    std::vector<std::pair<double, int32_t>> byLevel;
    for (int32_t i = first; i <= last; ++i) byLevel.emplace_back(g_sliceLevels[i].elevation, i);
    std::sort(byLevel.begin(), byLevel.end());
    std::vector<double> sums(static_cast<size_t>(last - first + 1), 0.0);
    SliceLine* line = FirstSliceLine();
    for (int32_t k = 1; k <= g_sliceLineCount && line; ++k, line = NextSliceLine(line)) {
        if (line->valid == 0 || line->kind == 2) continue;
        const double signedArea = line->kind == 0 ? line->area : -line->area;
        auto it = std::lower_bound(byLevel.begin(), byLevel.end(),
                                   std::make_pair(line->elevation - 0.0001, INT32_MIN));
        for (; it != byLevel.end() && it->first < line->elevation + 0.0001; ++it)
            if (std::fabs(line->elevation - it->first) < 0.0001) sums[it->second - first] += signedArea;
    }

    double cumulative = 0;
    const double startElevation = g_sliceLevels[first].elevation;
    for (int32_t i = first; i <= last; ++i) {
        SliceLevel& r = g_sliceLevels[i];
        const double a = sums[i - first];
        r.depth = i == first ? 0.0 : std::fabs(r.elevation - startElevation);
        double average = 0, volume = 0;
        if (i != first) {
            const double previous = g_sliceLevels[i - 1].area;
            const double dz = std::fabs(r.elevation - g_sliceLevels[i - 1].elevation);
            average = (previous + a) / 2;
            volume = (previous + a) * dz / 2;
        }
        r.area = RoundSliceValue(a, g_sliceAreaDecimals);
        r.averageArea = RoundSliceValue(average, g_sliceAverageDecimals);
        r.volume = RoundSliceValue(volume, g_sliceVolumeDecimals);
        cumulative = RoundSliceValue(volume + cumulative, g_sliceVolumeDecimals);
        r.cumulativeVolume = cumulative;
    }
    g_sliceTotal = g_sliceLevels[last].cumulativeVolume;

    int32_t reference = 0;
    for (int32_t i = first; i <= last; ++i) {
        SliceLevel& r = g_sliceLevels[i];
        r.remainingVolume = g_sliceTotal - r.cumulativeVolume;
        r.effectiveCapacity = 0;
        if (std::fabs(r.elevation - g_sliceReferenceLevel) < 0.001) reference = i;
    }
    if (reference != 0) {
        const SliceLevel& ref = g_sliceLevels[reference];
        for (int32_t i = first; i <= last; ++i) {
            SliceLevel& r = g_sliceLevels[i];
            if (i != reference && r.elevation > ref.elevation)
                r.effectiveCapacity = ref.cumulativeVolume - r.cumulativeVolume;
        }
    }
    return 0;
}

QuantityLayout DefaultQuantityLayout() {
    return g_sliceRangeMode == 1 ? QuantityLayout::kEarthwork : QuantityLayout::kStorage;
}

namespace {
struct Column {
    double SliceLevel::*field;
    const int32_t* decimals;
};

// The columns of a layout after depth and elevation, in order.
std::vector<Column> ValueColumns(QuantityLayout layout) {
    std::vector<Column> c = {{&SliceLevel::area, &g_sliceAreaDecimals},
                             {&SliceLevel::averageArea, &g_sliceAverageDecimals},
                             {&SliceLevel::volume, &g_sliceVolumeDecimals}};
    if (layout == QuantityLayout::kEarthwork) {
        c.push_back({&SliceLevel::cumulativeVolume, &g_sliceVolumeDecimals});
        c.push_back({&SliceLevel::remainingVolume, &g_sliceVolumeDecimals});
    } else {
        c.push_back({&SliceLevel::remainingVolume, &g_sliceVolumeDecimals});
        c.push_back({&SliceLevel::effectiveCapacity, &g_sliceVolumeDecimals});
        c.push_back({&SliceLevel::cumulativeVolume, &g_sliceVolumeDecimals});
    }
    return c;
}

bool RowInRange(int32_t row) {
    return row >= 1 && row <= g_sliceLevelCount && row >= g_sliceStartRow && row <= g_sliceEndRow;
}

// Heading and unit lines of the copy (tab-separated) or the report (comma-separated).
std::string HeadingLines(QuantityLayout layout, bool report) {
    const bool earth = layout == QuantityLayout::kEarthwork;
    std::string h;
    if (!report) {
        h = earth ? "    標高差\t      標高\t    平面積\t平均平面積\t      土量\t累加土量１\t累加土量２"
                  : "      水深\t      標高\t    平面積\t平均平面積\t    貯水量\t累加貯水量\t　有効容量\t累加空容量";
        h += "\n       (m)\t       (m)\t      (m2)\t      (m2)\t      (m3)\t      (m3)\t";
        h += earth ? "      (m3)" : "      (m3)\t      (m3)";
    } else {
        h = earth ? "      標高差,        標高,      平面積,  平均平面積,        土量,  累加土量１,  累加土量２"
                  : "        水深,        標高,      平面積,  平均平面積,      貯水量,  累加貯水量,  　有効容量,  累加空容量";
        h += "\n         (m),         (m),        (m2),        (m2),        (m3),        (m3),";
        h += earth ? "        (m3)" : "        (m3),        (m3)";
    }
    h += "\n";
    std::string out;
    for (char c : Utf8ToCp932(h)) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// One row: depth and elevation signed, the rest as absolute values; `width` 10 with TAB
// separators (copy) or 12 with commas (report).
std::string RowLine(QuantityLayout layout, int32_t row, bool report) {
    const SliceLevel& r = g_sliceLevels[row];
    const int width = report ? 12 : 10;
    const char* sep = report ? "," : "\t";
    std::string line = FormatString("%*.*f", width, g_sliceDepthDecimals, r.depth) + sep +
                       FormatString("%*.*f", width, g_sliceElevationDecimals, r.elevation);
    for (const Column& c : ValueColumns(layout))
        line += sep + FormatString("%*.*f", width, *c.decimals, std::fabs(r.*c.field));
    return line + "\r\n";
}
}  // namespace

std::vector<std::string> QuantityListHeadings(QuantityLayout layout) {
    if (layout == QuantityLayout::kEarthwork)
        return {"標高差", "標高", "平面積", "平均平面積", "土量", "累加土量１", "累加土量２"};
    return {"水深", "標高", "平面積", "平均平面積", "貯水量", "累加貯水量", "有効容量", "累加空容量"};
}

std::vector<std::string> QuantityListCells(QuantityLayout layout, int32_t row) {
    if (row < 1 || row > g_sliceLevelCount) return {};
    const SliceLevel& r = g_sliceLevels[row];
    std::vector<std::string> cells = {FormatString("%.*f", g_sliceDepthDecimals, r.depth),
                                      FormatString("%.*f", g_sliceElevationDecimals, r.elevation)};
    for (const Column& c : ValueColumns(layout))
        cells.push_back(FormatString("%.*f", *c.decimals, r.*c.field));
    return cells;
}

std::string QuantityTableText(QuantityLayout layout) {
    std::string text = HeadingLines(layout, false);
    for (int32_t i = g_sliceStartRow; i <= g_sliceEndRow; ++i)
        if (RowInRange(i)) text += RowLine(layout, i, false);
    return text;
}

int32_t WriteQuantityTextFile(const std::string& path, QuantityLayout layout, bool headings) {
    std::string text = headings ? HeadingLines(layout, true) : std::string();
    for (int32_t i = g_sliceStartRow; i <= g_sliceEndRow; ++i)
        if (RowInRange(i)) text += RowLine(layout, i, true);
    return WriteFileBytes(path, text) ? 0 : 1;
}

void OnCopyQuantityTable(QuantityLayout layout) { PutTableOnClipboard(QuantityTableText(layout)); }

void OnWriteQuantityText(QuantityLayout layout) {
    FileDialogRequest request;
    request.save = true;
    request.title = "テキストファイル名の入力";
    request.filter = "テキストファイル(*.TXT) |*.TXT;|すべてのファイル|*.*|";
    request.defaultExtension = "TXT";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = std::filesystem::path(path).parent_path().string() + "/";
    // Created before the question, as the report has always been.
    TextFileWriter probe;
    if (!probe.Open(path) || !probe.Close()) {
        ShowMessage("ファイル作成できません。", "", msg::kOk | msg::kIconError);
        return;
    }
    const bool headings = ShowMessage("項目名も出力しますか。", "", msg::kYesNo | msg::kIconQuestion) ==
                          msg::kIdYes;
    if (WriteQuantityTextFile(path, layout, headings) != 0)
        ShowMessage("ファイル作成できません。", "", msg::kOk | msg::kIconError);
}

namespace {
QuantityValidDialogRunner g_validDialogRunner;
}

bool RunQuantityValidDialog(QuantityValidValues& values) {
    return g_validDialogRunner && g_validDialogRunner(values);
}

void SetQuantityValidDialogRunner(QuantityValidDialogRunner runner) {
    g_validDialogRunner = std::move(runner);
}

void OpenQuantityCalcRows() {
    g_sliceStartRow = g_sliceEndRow = g_sliceReferenceRow = 0;
    MatchSliceRangeRows();
}

void OnQuantityCalc(const std::function<bool()>& runDialog, const std::function<void()>& openList) {
    ResetToolMode();
    ClearPicks();
    ClearPickList();
    CloseToolWindows();
    if (runDialog && !runDialog()) return;
    if (CalcSliceQuantities() != 0) return;
    ShowMessage(FormatString("数量合計[%.3f]", std::fabs(g_sliceTotal)), "",
                msg::kOk | msg::kIconInformation);
    if (openList) openList();
}
