#include "analysis/elevations_from_file.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "model/progress.h"
#include "model/tin_query.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/edit_point.h"
#include "shell/work_folder.h"
#include "view/view_navigation.h"

namespace {
constexpr size_t kMaxLineLength = 255;
constexpr const char* kRndHeader = "********************\r\n";

// A number from a field; 0 when the field holds none.
double FieldNumber(const std::string& field) {
    const char* begin = field.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    return end == begin ? 0 : v;
}

// Bytes [from, to) of the line, as far as it reaches.
std::string Columns(const std::string& line, size_t from, size_t to) {
    if (from >= line.size()) return {};
    return line.substr(from, std::min(to, line.size()) - from);
}

void SetName(RandomPoint* point, const std::string& raw) {
    std::string kept;
    for (char c : raw)
        if (c != ' ' && c != '"' && c != '\r' && c != '\n') kept += c;
    std::memset(point->name, 0, sizeof point->name);
    // Cut on a character boundary: half a double-byte character is no name.
    size_t n = 0;
    while (n < kept.size()) {
        const size_t width = IsCp932LeadByte(static_cast<unsigned char>(kept[n])) ? 2 : 1;
        if (n + width > sizeof point->name - 1 || n + width > kept.size()) break;
        n += width;
    }
    std::memcpy(point->name, kept.data(), n);
}

std::string Name(const RandomPoint& p) { return std::string(p.name, strnlen(p.name, sizeof p.name)); }

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = FormatStringV(format, args);
    va_end(args);
    return s;
}

bool SamePath(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    const auto ca = std::filesystem::weakly_canonical(a, ec);
    if (ec) return false;
    const auto cb = std::filesystem::weakly_canonical(b, ec);
    return !ec && ca == cb;
}

void StoreFolder(const std::string& path) {
    g_lastFolder = std::filesystem::path(path).parent_path().string();
}
}  // namespace

void ParseCoordinateCsvLine(const std::string& line, RandomPoint* point) {
    std::string fields[3];
    size_t start = 0;
    for (int i = 0; i < 3 && start <= line.size(); ++i) {
        const size_t comma = line.find(',', start);
        fields[i] = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    point->x = FieldNumber(fields[0]);
    point->y = FieldNumber(fields[1]);
    point->z = 0;
    SetName(point, fields[2]);
}

void ParseCoordinateRndLine(const std::string& line, RandomPoint* point) {
    std::string name = Columns(line, 0, 8);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    SetName(point, name);
    point->x = FieldNumber(Columns(line, 10, 24));
    point->y = FieldNumber(Columns(line, 26, 40));
    point->z = FieldNumber(Columns(line, 42, 52));
}

std::string FormatElevationCsvLine(const RandomPoint& p) {
    return Printf("%.3f,%.3f,%.3f,%-10.10s\r\n", p.x, p.y, p.z, Name(p).c_str());
}

std::string FormatElevationRndLine(const RandomPoint& p) {
    return Printf("%-10.10s%14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n", Name(p).c_str(), p.x, p.y, p.z,
                  static_cast<int>(p.invalid), static_cast<int>(p.outside), static_cast<int>(p.plotKind));
}

int CalcElevationsFromFile(const ArbitraryElevationSettings& s) {
    std::FILE* in = std::fopen(s.inputPath.c_str(), "rb");
    if (!in) return 0;
    std::FILE* out = std::fopen(s.outputPath.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return 0;
    }
    std::string line;
    if (s.inputFormat == 2)
        for (int i = 0; i < 5 && ReadTextLine(in, line); ++i) {
        }
    if (s.outputFormat == 1)
        for (int i = 0; i < 5; ++i) std::fputs(kRndHeader, out);
    g_progressCaption.clear();
    g_progressCounter.clear();
    OpenRecordProgressWindow();

    int result = 1;
    long count = 0, shown = 0;
    while (ReadTextLine(in, line)) {
        if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
        RandomPoint& p = g_editPoint;
        if (s.inputFormat == 2)
            ParseCoordinateRndLine(line, &p);
        else
            ParseCoordinateCsvLine(line, &p);
        p.invalid = 0;
        p.plotKind = 0;
        p.outside = 0;
        const bool computed = GetTinZ(p.x, p.y) != 0;
        if (!computed && !s.outputAll) continue;
        const std::string text = s.outputFormat == 1 ? FormatElevationRndLine(p) : FormatElevationCsvLine(p);
        std::fputs(text.c_str(), out);
        // A coordinate the TIN does not cover has no elevation to join the survey with.
        if (s.append && computed) {
            if (EnsurePointCapacity(g_pointCount) != 0) {
                result = 0;
                break;
            }
            g_points[++g_pointCount] = p;
            SetPointEndMarker();
            g_dataChanged = -1;
        }
        ++count;
        if (count > shown + 10) {
            shown = count;
            g_progressCounter = Printf("計算座標数[%6ld]", count);
            RefreshRecordProgressWindow();
        }
    }
    const bool writeFailed = std::fclose(out) != 0;
    std::fclose(in);
    CloseRecordProgressWindow();
    if (writeFailed) result = 0;
    if (s.append && count > 0) FullRepaintView();
    return result;
}

bool ArbitraryElevationCalculate(const ArbitraryElevationSettings& s) {
    if (!s.inputChosen) {
        ShowMessage("座標ファイルを選択してください。");
        return false;
    }
    if (!s.outputChosen) {
        ShowMessage("出力ファイル名を指定してください。");
        return false;
    }
    // The same file under another spelling would be emptied before it is read.
    if (SamePath(s.inputPath, s.outputPath)) {
        ShowMessage("座標ファイルと出力ファイルが同じです。");
        return false;
    }
    if (CalcElevationsFromFile(s) == 1) {
        ShowMessage("標高計算終了");
        return true;
    }
    ShowMessage("標高計算できませんでした。");
    return false;
}

bool SelectArbitraryElevationInput(ArbitraryElevationSettings* s) {
    FileDialogRequest r;
    r.title = "座標ファイル指定";
    r.filter = "座標ファイル|*.TXT;*.CSV;*.RND|テキストファイル (*.TXT)|*.TXT|ＣＳＶファイル (*.CSV)|*.CSV|"
               "ランダムデータファイル (*.RND)|*.RND|すべてのファイル|*.*||";
    r.folder = g_workFolder;
    const std::string path = RunFileDialog(r);
    if (path.empty()) return false;
    StoreFolder(path);
    s->inputPath = path;
    s->inputChosen = true;
    return true;
}

bool SelectArbitraryElevationOutput(ArbitraryElevationSettings* s) {
    FileDialogRequest r;
    r.save = true;
    r.title = "出力ファイル指定";
    r.folder = g_workFolder;
    if (s->outputFormat == 1) {
        r.defaultExtension = "RND";
        r.filter = "ランダムデータファイル (*.RND)|*.RND|テキストファイル (*.TXT)|*.TXT|ＣＳＶファイル (*.CSV)|*.CSV|"
                   "すべてのファイル|*.*||";
    } else {
        r.defaultExtension = "CSV";
        r.filter = "ＣＳＶファイル (*.CSV)|*.CSV|テキストファイル (*.TXT)|*.TXT|ランダムデータファイル (*.RND)|*.RND|"
                   "すべてのファイル|*.*||";
    }
    const std::string path = RunFileDialog(r);
    if (path.empty()) return false;
    StoreFolder(path);
    s->outputPath = path;
    s->outputChosen = true;
    return true;
}

bool ArbitraryElevationCanStart() {
    if (g_tinEdgeCount > 0) return true;
    ShowMessage("三角網が計算されていません", "", msg::kOk | msg::kIconInformation);
    return false;
}
