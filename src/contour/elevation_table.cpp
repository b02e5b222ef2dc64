#include "contour/elevation_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "contour/contour_files.h"
#include "contour/slice_lines.h"
#include "contour/slice_store.h"
#include "model/le_bytes.h"
#include "model/numeric_text.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_lists.h"
#include "shell/work_files.h"
#include "shell/work_folder.h"
#include "view/view_painter.h"
#include "view/view_state.h"

std::vector<SliceLevel> g_sliceLevels(1);
int32_t g_sliceLevelCount = 0;
double g_sliceReferenceLevel = 0.0;
int32_t g_sliceReferenceRow = 0;
double g_sliceStartLevel = 0.0;
int32_t g_sliceStartRow = 0;
double g_sliceEndLevel = 0.0;
int32_t g_sliceEndRow = 0;
double g_sliceTotal = 0.0;
int32_t g_sliceAverageDecimals = 1;
int32_t g_sliceVolumeDecimals = 1;
int32_t g_sliceElevationDecimals = 2;
int32_t g_sliceDepthDecimals = 3;

namespace {
// The table's levels traced as slice lines, their areas written back into the rows.
void TraceTableLevels(double minimumArea, int32_t dropSmall) {
    std::vector<SliceLevelArea> rows;
    rows.reserve(static_cast<size_t>(g_sliceLevelCount));
    for (int32_t r = 1; r <= g_sliceLevelCount; ++r)
        rows.push_back(SliceLevelArea{g_sliceLevels[r].elevation, g_sliceLevels[r].attribute, 0});
    SliceCalcSettings settings;
    settings.method = g_sliceMethod;
    settings.smoothness = g_sliceSmoothness;
    settings.minimumArea = minimumArea;
    settings.dropSmall = dropSmall != 0;
    settings.rangeMode = g_sliceRangeMode;
    settings.areaDecimals = g_sliceAreaDecimals;
    const SliceCalcResult result = CalcSliceContours(rows, settings);
    // A calculation that did not start leaves the areas of the table as they were.
    if (result != SliceCalcResult::kDone && result != SliceCalcResult::kStopped &&
        result != SliceCalcResult::kStoreFull)
        return;
    for (int32_t r = 1; r <= g_sliceLevelCount && r <= static_cast<int32_t>(rows.size()); ++r)
        g_sliceLevels[r].area = rows[r - 1].area;
}

SliceAreaCalculation g_areaCalculation = TraceTableLevels;
SliceMethodQuestion g_methodQuestion;

const bool g_registered = [] {
    RegisterDataModelReset([] {
        ClearSliceLevels();
        g_sliceAverageDecimals = 1;
        g_sliceVolumeDecimals = 1;
        g_sliceElevationDecimals = 2;
        g_sliceDepthDecimals = 3;
    });
    return true;
}();

void LimitReached() { ShowMessage(kSliceLimitReached, "", msg::kOk | msg::kIconError); }

// A field as a number: the whole of it (blanks aside) must read as one.
bool ParseNumberField(const std::string& field, double* value) {
    const std::string text = TrimBlanks(field);
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(*value);
}

std::vector<std::string> SplitCommas(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? std::string::npos
                                                                        : comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}
}  // namespace

void ClearSliceLevels() {
    g_sliceLevels.assign(1, SliceLevel{});
    g_sliceLevelCount = 0;
    g_sliceReferenceRow = g_sliceStartRow = g_sliceEndRow = 0;
    g_sliceReferenceLevel = g_sliceStartLevel = g_sliceEndLevel = 0.0;
    g_sliceTotal = 0.0;
}

bool AppendSliceLevel(double elevation, int32_t attribute) {
    if (g_sliceLevelCount >= kSliceLevelCapacity) return false;
    SliceLevel row{};
    row.elevation = elevation;
    row.attribute = attribute;
    g_sliceLevels.push_back(row);
    ++g_sliceLevelCount;
    return true;
}

// ---- batch input ----

void ReadBatchField(LevelBatchInputValues& values, BatchField field, const std::string& text) {
    const bool entered = !TrimBlanks(text).empty();
    const double v = std::atof(text.c_str());
    switch (field) {
        case BatchField::kFrom:
            values.from = v, values.fromSet = entered;
            break;
        case BatchField::kTo:
            values.to = v, values.toSet = entered;
            break;
        case BatchField::kIndex:
            values.indexInterval = v, values.indexSet = entered;
            break;
        case BatchField::kMain:
            if (std::fabs(v) > 0.00001) {
                values.mainInterval = std::fabs(v);
                values.mainSet = true;
                values.indexInterval = values.mainInterval < 1 ? 1 : 5 * values.mainInterval;
                values.indexSet = true;
            } else {
                values.mainInterval = 0;
                values.mainSet = false;
            }
            break;
    }
}

bool AcceptLevelBatchInput(const LevelBatchInputValues& values) {
    if (values.fromSet && values.toSet && values.mainSet && values.indexSet) return true;
    ShowMessage("パラメータをすべて入力してください。", "", msg::kOk | msg::kIconInformation);
    return false;
}

namespace {
bool g_batchDropped = false;
}

void AddSliceLevel(double elevation, double indexInterval, int32_t existingRows) {
    const double q = elevation / indexInterval;
    const int32_t attribute = std::fabs(q - std::round(q)) < 0.000001 ? 1 : 0;
    for (int32_t i = 1; i <= existingRows && i <= g_sliceLevelCount; ++i) {
        if (std::fabs(g_sliceLevels[i].elevation - elevation) < 0.001) {
            g_sliceLevels[i].area = 0;
            g_sliceLevels[i].attribute = attribute;
            return;
        }
    }
    if (g_sliceLevelCount >= kSliceLevelCapacity - 1 || !AppendSliceLevel(elevation, attribute))
        g_batchDropped = true;
}

void ApplyLevelBatchInput(const LevelBatchInputValues& v) {
    if (v.replace) ClearSliceLevels();
    const int32_t existing = g_sliceLevelCount;
    g_batchDropped = false;
    AddSliceLevel(v.from, v.indexInterval, existing);
    if (v.mainInterval >= 0.0001) {
        g_contourInterval = v.mainInterval;
        g_indexContourInterval = v.indexInterval;
        const bool down = v.to < v.from;
        for (int64_t k = 1;; ++k) {
            const double level = down ? v.from - k * v.mainInterval : v.from + k * v.mainInterval;
            if (down ? !(level > v.to) : !(level < v.to)) break;
            if (g_batchDropped) break;
            AddSliceLevel(level, v.indexInterval, existing);
        }
    }
    AddSliceLevel(v.to, v.indexInterval, existing);
    // A batch that ran into the table's end says so instead of stopping short unseen.
    if (g_batchDropped) LimitReached();
}

// ---- editing ----

void SortSliceLevels(bool ascending) {
    if (g_sliceLevelCount < 2) return;
    std::stable_sort(g_sliceLevels.begin() + 1, g_sliceLevels.end(),
                     [ascending](const SliceLevel& a, const SliceLevel& b) {
                         return ascending ? a.elevation < b.elevation : a.elevation > b.elevation;
                     });
}

bool InsertSliceLevel(int32_t row) {
    if (g_sliceLevelCount == 0) {
        ShowMessage("データが入力されていません", "", msg::kOk);
        return false;
    }
    if (row < 1 || row > g_sliceLevelCount) {
        ShowMessage(kInsertRowNeeded, "", msg::kOk);
        return false;
    }
    if (g_sliceLevelCount < 2) {
        ShowMessage("１点しか入力されていません", "", msg::kOk);
        return false;
    }
    if (g_sliceLevelCount >= kSliceLevelCapacity) {
        LimitReached();
        return false;
    }
    g_sliceLevels.insert(g_sliceLevels.begin() + row, g_sliceLevels[row]);
    ++g_sliceLevelCount;
    return true;
}

bool DeleteSliceLevels(int32_t first, int32_t last) {
    if (first > last) std::swap(first, last);
    if (first < 1 || first > g_sliceLevelCount) {
        ShowMessage(kDeleteRowNeeded, "", msg::kOk);
        return false;
    }
    last = std::min(last, g_sliceLevelCount);
    g_sliceLevels.erase(g_sliceLevels.begin() + first, g_sliceLevels.begin() + last + 1);
    g_sliceLevelCount -= last - first + 1;
    return true;
}

bool StoreSliceLevelCell(int32_t row, int32_t col, const std::string& text) {
    if (row >= 1 && row <= g_sliceLevelCount) {
        if (col == 1) g_sliceLevels[row].elevation = std::atof(text.c_str());
        else if (col == 2) g_sliceLevels[row].attribute = std::atoi(text.c_str());
        else return false;
        return true;
    }
    if (row == g_sliceLevelCount + 1 && col == 1 && !TrimBlanks(text).empty()) {
        if (AppendSliceLevel(std::atof(text.c_str()), 0)) return true;
        LimitReached();
    }
    return false;
}

std::vector<std::string> SliceLevelCells(int32_t row) {
    if (row < 1 || row > g_sliceLevelCount) return {"", "", "", ""};
    const SliceLevel& r = g_sliceLevels[row];
    return {FormatString("%4d ", row), FormatString(" %5.3f", r.elevation),
            FormatString("%4d ", r.attribute), FormatString("%.3f ", r.area)};
}

std::string SliceLevelTableText() {
    if (g_sliceLevelCount < 1) return {};
    std::string text = Utf8ToCp932("        標高\t属性\t合計面積\t") + "\r\n";
    for (int32_t i = 1; i <= g_sliceLevelCount; ++i) {
        const SliceLevel& r = g_sliceLevels[i];
        text += FormatString("%14.5f\t%d\t%14.5f\r\n", r.elevation, r.attribute, r.area);
    }
    return text;
}

int32_t PasteSliceLevels(const std::string& cp932) {
    int32_t added = 0;
    for (const std::string& line : PastedTableLines(cp932)) {
        const std::vector<std::string> fields = SplitTableFields(line);
        double elevation = 0;
        // Heading lines (ours included) and lines without an elevation are no rows.
        if (!ParseNumberField(fields[0], &elevation) || !NumericFieldsParse(fields, 1, 2))
            continue;
        if (g_sliceLevelCount >= kSliceLevelCapacity) {
            LimitReached();
            break;
        }
        AppendSliceLevel(elevation, fields.size() > 1 ? std::atoi(fields[1].c_str()) : 0);
        if (fields.size() > 2) g_sliceLevels[g_sliceLevelCount].area = FieldNumber(fields[2]);
        ++added;
    }
    return added;
}

void OnCopySliceLevels() {
    if (g_sliceLevelCount >= 1) PutTableOnClipboard(SliceLevelTableText());
}

void OnPasteSliceLevels() {
    std::string text;
    if (!ReadClipboardText(text)) {
        ShowMessage("クリップボードがオープンできません", "", msg::kOk | msg::kIconError);
        return;
    }
    if (text.empty()) {
        ShowMessage(kClipboardEmpty, "", msg::kOk | msg::kIconError);
        return;
    }
    PasteSliceLevels(text);
}

bool OnLoadLevelList() {
    FileDialogRequest request;
    request.title = "標高リストファイルの選択";
    request.filter = "標高リスト(*.HLT) |*.HLT;|すべてのファイル|*.*|";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return false;
    g_lastFolder = std::filesystem::path(path).parent_path().string() + "/";
    if (ReadLevelListFile(path, false) == 0) return true;
    ShowMessage("ファイルが開けません。", "", msg::kOk | msg::kIconError);
    return false;
}

// ---- files ----

int32_t WriteLevelListFile(const std::string& path) {
    TextFileWriter out;
    if (!out.Open(path)) return 1;
    out.PrintLine(" %d, %d, %d, %d, %d, %d, %d, %.3f, %.3f, %.3f", g_sliceLevelCount,
                  g_sliceRangeMode, g_sliceAreaDecimals, g_sliceAverageDecimals,
                  g_sliceVolumeDecimals, g_sliceElevationDecimals, g_sliceDepthDecimals,
                  g_sliceReferenceLevel, g_sliceStartLevel, g_sliceEndLevel);
    for (int32_t i = 1; i <= g_sliceLevelCount; ++i) {
        const SliceLevel& r = g_sliceLevels[i];
        out.PrintLine(" %.3f, %d, %.3f, %.3f, %.3f, %.3f, %.3f, %.3f, %.3f", r.elevation,
                      r.attribute, r.area, r.averageArea, r.depth, r.volume, r.remainingVolume,
                      r.effectiveCapacity, r.cumulativeVolume);
    }
    return out.Close() ? 0 : 1;
}

int32_t ReadLevelListFile(const std::string& path, bool allFields) {
    // Opened before the table is cleared: a file that cannot be read leaves it alone.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 1;
    ClearSliceLevels();
    std::string line;
    int32_t count = 0;
    if (ReadTextLine(file, line)) {
        const std::vector<std::string> f = SplitCommas(line);
        int32_t* ints[] = {&count,
                           &g_sliceRangeMode,
                           &g_sliceAreaDecimals,
                           &g_sliceAverageDecimals,
                           &g_sliceVolumeDecimals,
                           &g_sliceElevationDecimals,
                           &g_sliceDepthDecimals};
        double* levels[] = {&g_sliceReferenceLevel, &g_sliceStartLevel, &g_sliceEndLevel};
        for (size_t i = 0; i < f.size() && i < 10; ++i) {
            double v = 0;
            if (!ParseNumberField(f[i], &v)) continue;
            if (i < 7) *ints[i] = static_cast<int32_t>(std::clamp(v, -1e9, 1e9));
            else *levels[i - 7] = v;
        }
    }
    bool damaged = false;
    const bool tooMany = count > kSliceLevelCapacity;
    count = std::clamp(count, 0, kSliceLevelCapacity);
    g_sliceLevels.reserve(static_cast<size_t>(count) + 1);
    while (g_sliceLevelCount < count) {
        if (!ReadTextLine(file, line)) {
            damaged = true;
            break;
        }
        const std::vector<std::string> f = SplitCommas(line);
        double elevation = 0;
        if (!ParseNumberField(f[0], &elevation)) {
            damaged = true;
            break;
        }
        AppendSliceLevel(elevation, f.size() > 1 ? std::atoi(f[1].c_str()) : 0);
        if (allFields) {
            SliceLevel& r = g_sliceLevels[g_sliceLevelCount];
            double* rest[] = {&r.area,   &r.averageArea,       &r.depth,           &r.volume,
                              &r.remainingVolume, &r.effectiveCapacity, &r.cumulativeVolume};
            for (size_t i = 0; i < 7 && i + 2 < f.size(); ++i) *rest[i] = std::atof(f[i + 2].c_str());
        }
    }
    std::fclose(file);
    MatchSliceRangeRows();
    if (tooMany) LimitReached();
    else if (damaged)
        ShowMessage("標高リストファイルの途中が読めません。読めた行までを読み込みました。", "",
                    msg::kOk | msg::kIconWarning);
    return 0;
}

int32_t FindSliceLevelRow(double& level) {
    int32_t found = 0;
    for (int32_t i = 1; i <= g_sliceLevelCount; ++i) {
        if (std::fabs(g_sliceLevels[i].elevation - level) < 0.001) {
            found = i;
            level = g_sliceLevels[i].elevation;
        }
    }
    return found;
}

void MatchSliceRangeRows() {
    g_sliceStartRow = FindSliceLevelRow(g_sliceStartLevel);
    g_sliceEndRow = FindSliceLevelRow(g_sliceEndLevel);
    g_sliceReferenceRow = FindSliceLevelRow(g_sliceReferenceLevel);
    if (g_sliceStartRow == 0) {
        g_sliceStartRow = 1;
        g_sliceStartLevel = g_sliceLevels.size() > 1 ? g_sliceLevels[1].elevation : 0.0;
    }
    const double last = g_sliceLevels[g_sliceLevelCount].elevation;
    if (g_sliceEndRow == 0) g_sliceEndRow = g_sliceLevelCount, g_sliceEndLevel = last;
    if (g_sliceReferenceRow == 0) g_sliceReferenceRow = g_sliceLevelCount, g_sliceReferenceLevel = last;
}

int32_t WriteSliceContourFile(const std::string& path) {
    if (g_sliceStore.Empty()) return 1;
    std::string bytes;
    SliceLine* line = FirstSliceLine();
    for (int32_t k = 1; k <= g_sliceLineCount && line; ++k, line = NextSliceLine(line)) {
        PutLeI32(bytes, line->count);
        PutLeI32(bytes, line->kind);
        PutLeI32(bytes, line->valid);
        PutLeF64(bytes, line->elevation);
        PutLeF64(bytes, line->area);
        const SliceVertex* v = SliceLineVertices(line);
        for (int32_t i = 0; i < line->count; ++i) {
            PutLeF64(bytes, v[i].x);
            PutLeF64(bytes, v[i].y);
        }
    }
    return WriteFileBytes(path, bytes) ? 0 : 1;
}

int32_t WriteSliceLinesAsContours(bool allLines) {
    if (g_sliceStore.Empty()) return 1;
    // Both files must open before either is emptied.
    for (const std::string* path : {&g_contourLinesPath, &g_contourIndexPath}) {
        std::FILE* probe = path->empty() ? nullptr : std::fopen(path->c_str(), "ab");
        if (!probe) return 1;
        std::fclose(probe);
    }
    g_contourMinZ = g_sliceLevels[g_sliceLevelCount > 0 ? 1 : 0].elevation;
    g_contourMaxZ = g_sliceLevels[g_sliceLevelCount].elevation;
    ContourFileWriter out;
    if (!out.Open(true)) return 1;
    std::vector<double> xs, ys;
    SliceLine* line = FirstSliceLine();
    for (int32_t k = 1; k <= g_sliceLineCount && line; ++k, line = NextSliceLine(line)) {
        if (!allLines && (line->valid != 1 || line->kind == 2)) continue;
        if (line->count < 1) continue;
        const SliceVertex* v = SliceLineVertices(line);
        xs.resize(line->count), ys.resize(line->count);
        for (int32_t i = 0; i < line->count; ++i) xs[i] = v[i].x, ys[i] = v[i].y;
        out.WriteLine(static_cast<int16_t>(-line->attribute), line->elevation, xs.data(),
                      ys.data(), line->count);
    }
    return out.Close() ? 0 : 1;
}

void OnSliceToContour() {
    const bool all = ShowMessage(kSliceConvertQuestion, "", msg::kYesNo | msg::kIconQuestion) ==
                     msg::kIdYes;
    if (WriteSliceLinesAsContours(all) != 0) {
        ShowMessage("ファイル作成できません。", "", msg::kOk | msg::kIconError);
        return;
    }
    g_showDrawingContours = -1;
    g_drawingContoursLoaded = -1;
    g_overlaysDrawn = 0;
    g_dataChanged = -1;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// ---- area calculation ----

void SetSliceAreaCalculation(SliceAreaCalculation calculation) {
    g_areaCalculation = calculation ? std::move(calculation) : SliceAreaCalculation(TraceTableLevels);
}
bool SliceAreaCalculationAvailable() { return static_cast<bool>(g_areaCalculation); }
void SetSliceMethodQuestion(SliceMethodQuestion question) { g_methodQuestion = std::move(question); }

double ScanSlicePointRange() {
    bool any = false;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
    for (int32_t i = 1; i <= g_pointCount && g_points[i].hidden != kEndMarker; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.invalid != 0 || p.outside != 0) continue;
        if (!any) xMin = xMax = p.x, yMin = yMax = p.y, zMin = zMax = p.z, any = true;
        zMin = std::min(zMin, p.z), zMax = std::max(zMax, p.z);
        xMin = std::min(xMin, p.x), xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y), yMax = std::max(yMax, p.y);
    }
    g_pointZMin = zMin;
    g_pointZMax = zMax;
    return std::hypot(xMax - xMin, yMax - yMin);
}

void ProposeSliceSmoothness() {
    if (g_sliceSmoothness == 0) g_sliceSmoothness = 0.002 * ScanSlicePointRange();
}

bool OnCalcSliceAreas(double minimumArea, int32_t dropSmall) {
    if (g_sliceLevelCount < 1) {
        ShowMessage(kSliceNoLevels, "", msg::kOk | msg::kIconInformation);
        return false;
    }
    if (IsProgressWindowOpen() || !g_areaCalculation) return false;
    ProposeSliceSmoothness();
    if (g_methodQuestion && !g_methodQuestion()) return false;
    g_areaCalculation(minimumArea, dropSmall);
    g_showSliceContours = -1;
    g_sliceContoursLoaded = -1;
    g_overlaysDrawn = 0;
    g_dataChanged = -1;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
    return true;
}
