#include "model/random_merge.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/file_report.h"
#include "model/geodesy.h"
#include "model/merge_input.h"
#include "model/outline_edit.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/rnd_file.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/polygon_offset.h"
#include "shell/work_folder.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kOpenOutlineText = "外周を囲み閉じた状態にした後で実行してください";
constexpr const char* kChooseInputText = "合成するランダムデータ（現況）を選んでください";
constexpr const char* kChooseOutputText = "合成後のファイル名を入力してください";
constexpr const char* kFilter = "ランダムデータ|*.RND|";
constexpr const char* kInputTitle = "現況ランダムファイルの指定";
constexpr const char* kOutputTitle = "合成ランダムファイル名の入力";
constexpr const char* kProgressCaption = "ランダムデータ合成中";
constexpr const char* kNoTinMemoryText =
    "三角網のメモリ確保に失敗しました。点だけを合成し、三角網は元のままです。";
constexpr const char* kOffsetFailedText =
    "外周を拡張できないため合成しませんでした。\n外周の点数と拡張する外周幅を確かめてください。";
constexpr const char* kBadCharacterText = "入力できる文字は半角で[0～9][.]です。";
constexpr const char* kDoneQuestion = "合成終了。自動外周処理を実行しますか？";
constexpr const char* kAsterisks = "********************";

// "%-8.8s%16.4lf%16.4lf%12.3lf%3d%3d%3d": readable by the document reader, whose X column
// starts two columns into the 16 here.
bool AppendMergeLine(std::string& out, const RandomPoint& p) {
    if (!FitsRndPlanColumn(p.x) || !FitsRndPlanColumn(p.y) || !FitsRndHeightColumn(p.z))
        return false;
    const std::string_view name(p.name, strnlen(p.name, sizeof p.name));
    const size_t length = Cp932PrefixLength(name, 8);
    std::string cut(name.substr(0, length));
    for (char& c : cut)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    // Single digits, as the reader takes them: 99 (invalid while an area tool is open)
    // is valid for a file.
    const int invalid = p.invalid == 99 ? 0 : (p.invalid >= 0 && p.invalid <= 9 ? p.invalid : 1);
    const int plot = p.plotKind >= 0 && p.plotKind <= 9 ? p.plotKind : 0;
    out += FormatString("%-8s%16.4f%16.4f%12.3f%3d%3d%3d\r\n", cut.c_str(), p.x, p.y, p.z, invalid,
                        0, plot);
    return true;
}

// The first header line as the document writer puts it: the plane zone when one is set.
std::string ZoneHeaderLine() {
    if (g_planeZone >= 1 && g_planeZone <= 19) return FormatString("BL%2d", g_planeZone);
    return kAsterisks;
}

void RepaintNow(int32_t mask) {
    g_redrawMask = mask;
    InvalidateAndUpdateView();
}
}  // namespace

void RandomMergeWidthEdited(RandomMergeValues& values) {
    values.width = std::fabs(std::atof(values.widthText.c_str()));
}

void RandomMergeWheel(int wheelDelta, RandomMergeValues& values) {
    if (wheelDelta > 0)
        values.width += 1.0;
    else if (wheelDelta < 0)
        values.width = values.width - 1.0 < 0.0 ? 0.0 : values.width - 1.0;
    values.widthText = FormatString("%d", static_cast<int>(values.width));
    RandomMergeWidthEdited(values);
}

bool RandomMergeTextAccepted(const RandomMergeValues& values) {
    for (char c : values.widthText) {
        if ((c >= '0' && c <= '9') || c == '.') continue;
        ShowMessage(kBadCharacterText, "", msg::kOk | msg::kIconError);
        return false;
    }
    return true;
}

bool WriteMergedRandomData(const IndexList& outline, const std::string& inputPath,
                           const std::string& outputPath) {
    if (outline.Count() < 3) return false;
    return WriteMergedRandomData(MergeOutlinePolygon(outline), inputPath, outputPath);
}

bool WriteMergedRandomData(const MergeOutlinePolygon& polygon, const std::string& inputPath,
                           const std::string& outputPath) {
    MergeInputFile input;
    if (!ReadMergeInputFile(inputPath, input)) return false;

    // Written piece by piece: the merged file can be far larger than either survey.
    TextFileWriter file;
    if (!file.Open(outputPath)) {
        ReportCannotCreate(outputPath);
        return false;
    }
    std::string out;
    out.reserve(1 << 17);
    auto flush = [&](bool always) {
        if (!always && out.size() < (1 << 16)) return;
        file.WriteRaw(out);
        out.clear();
    };
    out += ZoneHeaderLine() + "\r\n";
    for (int i = 0; i < 4; ++i) out += std::string(kAsterisks) + "\r\n";
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.outside != 0) continue;
        if (!AppendMergeLine(out, p)) {
            file.Close();
            RemovePartialFile(outputPath);
            ShowMessage(FormatString("点 %d の座標値がファイルの桁数に収まらないため保存できません。\n"
                                     "X=%.4f Y=%.4f Z=%.3f",
                                     i, p.x, p.y, p.z),
                        "", msg::kOk | msg::kIconError);
            return false;
        }
        flush(false);
    }
    for (size_t k = 0; k < input.lines.size(); ++k) {
        if (!polygon.Outside(input.points[k].x, input.points[k].y)) continue;
        out += input.lines[k];
        out += "\r\n";
        flush(false);
    }
    flush(true);
    if (!file.Close()) {
        ReportWriteFailed(outputPath);
        RemovePartialFile(outputPath);
        return false;
    }
    return true;
}

bool MergeRandomData(const IndexList& outline, const std::string& inputPath) {
    if (outline.Count() <= 2) return false;
    MergeInputFile input;
    if (!ReadMergeInputFile(inputPath, input)) return false;
    OpenProgressWindow(progress::kRandomMerge, kProgressCaption);
    const MergeOutlinePolygon polygon(outline);

    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (p.outside != 0 || p.invalid == 1) {
            p.invalid = 1;
            p.outside = 1;
        }
    }

    const int32_t first = g_pointCount;  // F: the other file's point k becomes F + k
    for (const RandomPoint& read : input.points) {
        if (!RoomForMergedPoint()) {
            g_dataChanged = -1;
            CloseProgressWindow();
            return true;
        }
        RandomPoint p{};
        const size_t length =
            Cp932PrefixLength(std::string_view(read.name, strnlen(read.name, sizeof read.name)), 9);
        std::memcpy(p.name, read.name, length);
        p.x = read.x;
        p.y = read.y;
        p.z = read.z;
        p.plotKind = read.plotKind;
        p.invalid = polygon.Outside(p.x, p.y) ? read.invalid : 1;
        g_points[++g_pointCount] = p;
    }
    SetPointEndMarker();
    g_dataChanged = -1;

    std::vector<int32_t> fields;
    const MergeTinStatus status = ReadMergeInputTin(inputPath, fields);
    if (status != MergeTinStatus::kRead) {
        CloseProgressWindow();
        ReportMergeTinStatus(status);
        RepaintNow(7);
        return true;
    }
    const int32_t fileEdges = static_cast<int32_t>(fields.size() / 4);
    const int64_t wanted = 2 * (static_cast<int64_t>(fileEdges) + g_tinEdgeCount);
    if (wanted >= g_tinEdgeCapacity || g_tinEdgeCount + fileEdges + 2 > g_tinEdgesBlock.Size()) {
        const int32_t old = g_tinEdgeCapacity;
        g_tinEdgeCapacity = static_cast<int32_t>(std::min<int64_t>(wanted, INT32_MAX - 2));
        if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) {
            g_tinEdgeCapacity = old;
            CloseProgressWindow();
            ShowMessage(kNoTinMemoryText, "", msg::kOk | msg::kIconError);
            RepaintNow(7);
            return true;
        }
    }
    // The old TIN stays as holes: every vertex field turned negative.
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& e = g_tinEdges[i];
        e.a = -std::abs(e.a);
        e.b = -std::abs(e.b);
        if (e.apexBack != kNoApex) e.apexBack = -std::abs(e.apexBack);
        e.apexSearch = -std::abs(e.apexSearch);
    }
    const int32_t filePoints = static_cast<int32_t>(input.points.size());
    for (int32_t j = 0; j < fileEdges; ++j) {
        const int32_t* r = &fields[4 * static_cast<size_t>(j)];
        // An index outside the file's own points would land on a loaded point.
        if (!MergeTinRecordInRange(r, filePoints)) continue;
        TinEdge e;
        e.a = std::abs(r[0]) + first;
        e.b = std::abs(r[1]) + first;
        e.apexBack = r[2] == kNoApex ? kNoApex : std::abs(r[2]) + first;
        e.apexSearch = std::abs(r[3]) + first;
        e.state = 0;
        g_tinEdges[++g_tinEdgeCount] = e;
    }
    SetTinEndRecord();
    g_tinPresent = -1;
    CloseProgressWindow();
    RepaintNow(7);
    return true;
}

void OnRandomDataMerge(const std::function<void(RandomMergeValues&)>& runDialog,
                       const std::function<void()>& runAutoOutline) {
    const int32_t n = g_outline.Count();
    if (n == 0 || g_outline[1] != g_outline[n + 1]) {
        ShowMessage(kOpenOutlineText, "", msg::kOk | msg::kIconInformation);
        return;
    }
    RandomMergeValues values;
    if (runDialog) runDialog(values);

    ShowMessage(kChooseInputText, "", msg::kOk | msg::kIconInformation);
    FileDialogRequest open;
    open.filter = kFilter;
    open.title = kInputTitle;
    open.folder = g_workFolder;
    const std::string inputPath = RunFileDialog(open);
    if (inputPath.empty()) return;
    g_lastFolder = FolderOfPath(inputPath);

    std::string outputPath;
    if (values.choice == kMergeNewFile) {
        ShowMessage(kChooseOutputText, "", msg::kOk | msg::kIconInformation);
        FileDialogRequest save;
        save.save = true;
        save.filter = kFilter;
        save.title = kOutputTitle;
        save.defaultExtension = "RND";
        save.folder = g_workFolder;
        outputPath = RunFileDialog(save);
        if (outputPath.empty()) return;
        outputPath = WithDefaultExtension(outputPath, "RND");
        g_lastFolder = FolderOfPath(outputPath);
    }

    OrientPolygonClockwise(g_outline);

    // The outline vertex points move to the widened outline for the marking and the merge.
    std::vector<std::pair<double, double>> own;
    if (std::fabs(values.width) > 0.001) {
        std::vector<RandomPoint> offset;
        int32_t corners = -1;
        if (n > 2 && n <= kIndexListMaxVertices - 1 && g_pointCount > 0) {
            offset.resize(static_cast<size_t>(n) + 2);
            corners = OffsetPointPolygon(values.width, g_outline.Data(), offset.data());
        }
        if (corners != n) {
            ShowMessage(kOffsetFailedText, "", msg::kOk | msg::kIconError);
            return;
        }
        own.resize(n);
        for (int32_t k = 1; k <= n; ++k) own[k - 1] = {g_points[g_outline[k]].x, g_points[g_outline[k]].y};
        for (int32_t k = 1; k <= n; ++k) {
            g_points[g_outline[k]].x = offset[k - 1].x;
            g_points[g_outline[k]].y = offset[k - 1].y;
        }
    }

    // Back in reverse, so a point that is a vertex twice ends with its own coordinates.
    auto restoreVertices = [&] {
        for (int32_t k = static_cast<int32_t>(own.size()); k >= 1; --k) {
            g_points[g_outline[k]].x = own[k - 1].first;
            g_points[g_outline[k]].y = own[k - 1].second;
        }
    };
    MarkPointsInPolygonRaster(g_outline, 0);
    bool merged = false;
    if (values.choice == kMergeNewFile) {
        // The widened outline chooses the lines; the vertex points are written where they were surveyed.
        const MergeOutlinePolygon widened(g_outline);
        restoreVertices();
        WriteMergedRandomData(widened, inputPath, outputPath);
    } else {
        g_viewPainting = -1;
        merged = MergeRandomData(g_outline, inputPath);
        g_viewPainting = 0;
        restoreVertices();
    }

    // An other file that could not be read changed nothing: the outline stays for another try.
    if (values.choice == kMergeNewFile || !merged) return;
    ClearOutline();
    RepaintNow(-1);
    if (ShowMessage(kDoneQuestion, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes &&
        runAutoOutline)
        runAutoOutline();
}
