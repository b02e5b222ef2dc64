#include "exchange/sima_out.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "contour/contour_files.h"
#include "model/file_report.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"

int32_t g_simaOutContours = 1;
int32_t g_simaOutTin = 1;
int32_t g_simaOutForm = kSimaFormComponents;
std::string g_simaOutPath;
int32_t g_simaOutBusy = 0;

namespace {

bool ValidPoint(int32_t n) { return n >= 1 && n <= g_pointCount; }

// The TIN's triangles, each once: end A, end B and the search apex of the marked record,
// hole triangles with their numbers made positive.
bool WriteTin(TextFileWriter& out, TextFileWriter& work, int32_t form, int32_t* parcel) {
    std::vector<uint8_t> marks;
    if (g_tinEdgeCount > 0 && BuildTinAdjacency(nullptr, nullptr, &marks) == 0) return false;
    for (int32_t i = 1; i <= g_pointCount; ++i)
        out.PrintLine("A01,%ld,%s,%.3lf,%.3lf,%.3lf,", static_cast<long>(i), g_points[i].name,
                      g_points[i].x, g_points[i].y, g_points[i].z);
    if (form == kSimaFormTriangles) {
        work.PrintLine("D00,%ld,,1,", static_cast<long>(++*parcel));
        work.WriteLine("E00,");
    }
    for (int32_t k = 1; k <= g_tinEdgeCount && k < static_cast<int32_t>(marks.size()); ++k) {
        if (marks[k] == 0) continue;
        const TinEdge& e = g_tinEdges[k];
        const int32_t a = std::abs(e.a), b = std::abs(e.b), c = std::abs(e.apexSearch);
        if (!ValidPoint(a) || !ValidPoint(b) || !ValidPoint(c)) continue;
        if (form == kSimaFormTriangles) {
            work.PrintLine("E01,%ld,,%ld,,%ld,,", static_cast<long>(a), static_cast<long>(b),
                           static_cast<long>(c));
        } else {
            work.PrintLine("D00,%ld,,1,", static_cast<long>(++*parcel));
            for (int32_t n : {a, b, c}) work.PrintLine("B01,%ld,,", static_cast<long>(n));
            work.WriteLine("D99,");
        }
    }
    if (form == kSimaFormTriangles) {
        work.WriteLine("E99,");
        work.WriteLine("D99,");
    }
    return true;
}

void WriteContours(TextFileWriter& out, TextFileWriter& work, int32_t* parcel, int32_t* pointNumber) {
    std::FILE* lines = std::fopen(g_contourLinesPath.c_str(), "rb");
    if (!lines) return;
    ContourRecord header;
    while (ReadContourRecord(lines, &header)) {
        work.PrintLine("D00,%ld,,2,", static_cast<long>(++*parcel));
        const double count = header.b;
        bool complete = true;
        for (int32_t v = 0; v < count && v < kContourPieceMaxVertices; ++v) {
            ContourRecord vertex;
            if (!ReadContourRecord(lines, &vertex)) {
                complete = false;
                break;
            }
            ++*pointNumber;
            out.PrintLine("A01,%ld,,%.3lf,%.3lf,%.3lf,", static_cast<long>(*pointNumber), vertex.a,
                          vertex.b, header.a);
            work.PrintLine("B01,%ld,,", static_cast<long>(*pointNumber));
        }
        work.WriteLine("D99,");
        if (!complete) break;
    }
    std::fclose(lines);
}

// The work file's bytes at the end of the output.
bool AppendWorkFile(TextFileWriter& out, const std::filesystem::path& workPath) {
    std::FILE* work = std::fopen(workPath.c_str(), "rb");
    if (!work) return false;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, work)) > 0) out.WriteRaw(std::string_view(buffer, n));
    const bool ok = !std::ferror(work);
    std::fclose(work);
    return ok;
}

}  // namespace

int32_t WriteSimaFile(const std::filesystem::path& path, int32_t contours, int32_t tin, int32_t form) {
    if (!contours && !tin) return kSimaNothingOrNotCreated;
    const std::filesystem::path workPath = TempFolder() / kSimaWorkFileName;
    TextFileWriter out;
    TextFileWriter work;
    if (!out.Open(path)) return kSimaNothingOrNotCreated;
    if (!work.Open(workPath)) {
        out.Close();
        return kSimaNothingOrNotCreated;
    }
    out.WriteLine("G00,01,-,");
    out.WriteLine("A00,");
    int32_t parcel = 0;
    int32_t pointNumber = 0;
    bool ok = true;
    if (tin) {
        ok = WriteTin(out, work, form, &parcel);
        pointNumber = g_pointCount;
    }
    if (ok && contours) WriteContours(out, work, &parcel, &pointNumber);
    const bool workOk = work.Close();
    out.WriteLine("A99,");
    if (ok) ok = workOk && AppendWorkFile(out, workPath);
    ok = out.Close() && ok;
    std::error_code ec;
    std::filesystem::remove(workPath, ec);
    if (!ok) {
        RemovePartialFile(path);
        return kSimaWriteFailed;
    }
    return 0;
}

void ResetSimaOutChoices() {
    g_simaOutContours = 1;
    g_simaOutTin = 1;
    g_simaOutForm = kSimaFormComponents;
    g_simaOutPath.clear();
    g_simaOutBusy = 0;
}

void OpenSimaOut() {
    std::filesystem::path p = g_currentDataPath;
    p.replace_extension(".SIM");
    g_simaOutPath = p.string();
    if (!g_drawingContoursLoaded) g_simaOutContours = 0;
    if (!g_tinPresent) g_simaOutTin = 0;
}

void SimaOutPathEdited(const std::string& text) {
    if (!text.empty()) g_simaOutPath = text.substr(0, 62);
}

bool BrowseSimaOutPath() {
    FileDialogRequest request;
    request.save = true;
    request.filter = "ＳＩＭＡファイル (*.SIM)|*.SIM| すべてのファイル|*.*|";
    request.defaultExtension = "SIM";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return false;
    g_lastFolder = FolderOfPath(path);
    g_simaOutPath = path;
    return true;
}

bool RunSimaOutput(bool contoursChecked, bool tinChecked) {
    if (g_simaOutBusy || IsProgressWindowOpen()) return false;
    g_simaOutContours = contoursChecked && g_drawingContoursLoaded ? 1 : 0;
    g_simaOutTin = tinChecked && g_tinPresent ? 1 : 0;
    if (!g_simaOutContours && !g_simaOutTin) {
        ShowMessage("出力するデータがありません。", "", msg::kOk | msg::kIconInformation);
        return true;
    }
    std::error_code ec;
    if (std::filesystem::exists(g_simaOutPath, ec) &&
        ShowMessage("同一名のファイルがありますが\n上書きしてよろしいですか", "上書き確認",
                    msg::kYesNo | msg::kIconInformation) != msg::kIdYes)
        return false;
    OpenProgressWindow(progress::kSimaOutput, "ＳＩＭＡファイル出力中");
    g_simaOutBusy = -1;
    const int32_t result = WriteSimaFile(g_simaOutPath, g_simaOutContours, g_simaOutTin, g_simaOutForm);
    if (result == kSimaWriteFailed)
        ReportWriteFailed(g_simaOutPath);
    else if (result != 0)
        ShowMessage("ファイルが作成できませんでした。", "ファイル作成失敗", msg::kOk | msg::kIconError);
    g_simaOutBusy = 0;
    CloseProgressWindow();
    return true;
}
