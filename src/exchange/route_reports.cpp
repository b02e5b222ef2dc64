#include "exchange/route_reports.h"

#include "model/file_report.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/curve_report.h"
#include "route/route_data.h"
#include "route/route_text.h"
#include "shell/work_folder.h"

namespace {

// The formats are kept in UTF-8 here and used in CP932, the encoding of the names.
struct ReportFormats {
    std::string head, head2, bpLine, ipLine, epLine;
    std::string circleHead, circleTl, circleCl, circleSl, mainHead, bc, ec;
    std::string clothoidHead, x, y, l, d, tk, tl, xm, so, dr, tau, sigma;
    std::string mainPoint[2][4];  // [naming][first clothoid, circle start, circle end, second]
    std::string stationHead, stationLine;

    ReportFormats() {
        auto c = [](const char* utf8) { return Utf8ToCp932(utf8); };
        head = c("     [曲線 諸元]  %s%d       (%s)\n");
        head2 = c("     IA=%9.9s  R=%10.5f  A1=%10.5f  A2=%10.5f  CL=%10.5f\n");
        bpLine = c("     %s     X=%12.5f  Y=%12.5f                 SP=%12.5f\n");
        ipLine = c("     %s%d    X=%12.5f  Y=%12.5f  距離=%10.5f\n");
        epLine = c("     %s     X=%12.5f  Y=%12.5f  距離=%10.5f  SP=%12.5f\n");
        circleHead = c("     [曲線 要素]                                        単曲線\n");
        circleTl = c("                                                   ＴＬ%10.5f\n");
        circleCl = c("                                                   ＣＬ%10.5f\n");
        circleSl = c("                                                   ＳＬ%10.5f\n");
        mainHead = c("     [曲線主要点]\n");
        bc = c("                    BC  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        ec = c("                    EC  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        clothoidHead = c("     [曲線 要素]      第一曲線       第二曲線           単曲線\n");
        x = c("                 Ｘ %12.5f   %12.5f     I   %9.9s\n");
        y = c("                 Ｙ %12.5f   %12.5f    ＴＬ%10.5f\n");
        l = c("                 Ｌ %12.5f   %12.5f    ＬC %10.5f\n");
        d = c("                 Ｄ %12.5f   %12.5f    ＳＬ%10.5f\n");
        tk = c("                 ＴK%12.5f   %12.5f\n");
        tl = c("                 ＴL%12.5f   %12.5f\n");
        xm = c("                 ＸM%12.5f   %12.5f\n");
        so = c("                 Ｓo%12.5f   %12.5f\n");
        dr = c("                 △R%12.5f   %12.5f\n");
        tau = c("                 τ    %9.9s      %9.9s\n");
        sigma = c("                 σ    %9.9s      %9.9s\n");
        mainPoint[0][0] = c("     [曲線主要点]  BTC  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        mainPoint[0][1] = c("                    BC  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        mainPoint[0][2] = c("                    EC  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        mainPoint[0][3] = c("                   ETC  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        mainPoint[1][0] = c("     [曲線主要点]  KA1  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        mainPoint[1][1] = c("                   KE1  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        mainPoint[1][2] = c("                   KE2  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        mainPoint[1][3] = c("                   KA2  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        stationHead = c("     ＊＊＊　各点座標リスト　＊＊＊\n");
        stationLine = c("     (%4d) %s SP=%10.5f X=%12.5f Y=%12.5f\n");
    }
};

const ReportFormats& Formats() {
    static const ReportFormats formats;
    return formats;
}

// "%-w.ws" of a name without cutting a double-byte character in two.
std::string NameColumn(const char* field, size_t size, size_t width) {
    std::string out;
    AppendNameField(out, FieldText(field, size), width);
    return out;
}

#define APPEND(out, format, ...) AppendFormat(out, (format).c_str(), __VA_ARGS__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"

void AppendCircleBlock(std::string& out, const IpPoint& ip) {
    const ReportFormats& f = Formats();
    out += f.circleHead;
    out += "\n";
    APPEND(out, f.circleTl, ip.arcTangentLength);
    APPEND(out, f.circleCl, ip.arcLength);
    APPEND(out, f.circleSl, ip.arcSecant);
    // Padded so that both blocks put their main points on the same lines of the page.
    out.append(7, '\n');
    out += f.mainHead;
    APPEND(out, f.bc, ip.ke1Distance, ip.ke1X, ip.ke1Y);
    APPEND(out, f.ec, ip.ke2Distance, ip.ke2X, ip.ke2Y);
    out += "\n";
}

void AppendClothoidBlock(std::string& out, const IpPoint& ip) {
    const ReportFormats& f = Formats();
    const ClothoidElements& a = ip.clothoid1;
    const ClothoidElements& b = ip.clothoid2;
    out += f.clothoidHead;
    APPEND(out, f.x, a.x, b.x, FormatDms(ip.arcAngle).c_str());
    APPEND(out, f.y, a.y, b.y, ip.arcTangentLength);
    APPEND(out, f.l, a.length, b.length, ip.arcLength);
    APPEND(out, f.d, a.tangentToIp, b.tangentToIp, ip.arcSecant);
    APPEND(out, f.tk, a.shortTangent, b.shortTangent);
    APPEND(out, f.tl, a.longTangent, b.longTangent);
    APPEND(out, f.xm, a.xm, b.xm);
    APPEND(out, f.so, a.chord, b.chord);
    APPEND(out, f.dr, a.shift, b.shift);
    APPEND(out, f.tau, FormatDms(a.tau).c_str(), FormatDms(b.tau).c_str());
    APPEND(out, f.sigma, FormatDms(a.sigma).c_str(), FormatDms(b.sigma).c_str());
    const std::string* points = f.mainPoint[g_clothoidNaming != 0 ? 1 : 0];
    APPEND(out, points[0], ip.ka1Distance, ip.ka1X, ip.ka1Y);
    APPEND(out, points[1], ip.ke1Distance, ip.ke1X, ip.ke1Y);
    APPEND(out, points[2], ip.ke2Distance, ip.ke2X, ip.ke2Y);
    APPEND(out, points[3], ip.ka2Distance, ip.ka2X, ip.ka2Y);
}

// LF to CR LF, written and checked; what a failed write left is removed.
int32_t WriteReport(const std::filesystem::path& path, const std::string& text) {
    if (text.empty()) return kRouteReportNothing;
    TextFileWriter out;
    if (!out.Open(path)) return kRouteReportNotCreated;
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 32);
    for (char ch : text) {
        if (ch == '\n') bytes += '\r';
        bytes += ch;
    }
    out.WriteRaw(bytes);
    if (!out.Close()) {
        RemovePartialFile(path);
        return kRouteReportWriteFailed;
    }
    return 0;
}

}  // namespace

std::string CurveElementReport() {
    std::string out;
    if (g_ipPointCount < 3 || g_ipPointCount > kMaxIpPoints) return out;
    const ReportFormats& f = Formats();
    const IpPoint& bp = g_ipPoints[1];
    const IpPoint& ep = g_ipPoints[g_ipPointCount];
    for (int32_t i = 2; i <= g_ipPointCount - 1; ++i) {
        const IpPoint& ip = g_ipPoints[i];
        const char* side = ip.turnSide == 1 ? "R" : ip.turnSide == 2 ? "L" : " ";
        APPEND(out, f.head, std::string(FieldText(ip.name, sizeof ip.name)).c_str(), ip.number, side);
        APPEND(out, f.head2, FormatDms(ip.ia).c_str(), ip.radius, ip.a1, ip.a2, ip.curveLength);
        if (i == 2)
            APPEND(out, f.bpLine, NameColumn(bp.name, sizeof bp.name, 5).c_str(), bp.x, bp.y, bp.addedDistance);
        else
            out += "\n";
        APPEND(out, f.ipLine, NameColumn(ip.name, sizeof ip.name, 5).c_str(), ip.number, ip.x, ip.y,
               ip.legLength);
        if (i == g_ipPointCount - 1)
            APPEND(out, f.epLine, NameColumn(ep.name, sizeof ep.name, 5).c_str(), ep.x, ep.y, ep.legLength,
                   ep.addedDistance);
        else
            out += "\n";
        if (ip.curveType == kCurveCircle)
            AppendCircleBlock(out, ip);
        else if (ip.curveType == kCurveClothoid || ip.curveType == kCurveEgg)
            AppendClothoidBlock(out, ip);
        out += '\f';
    }
    return out;
}

std::string StationReport() {
    std::string out;
    if (g_stationCount <= 0 || !g_stations) return out;
    const ReportFormats& f = Formats();
    out += f.stationHead;
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const StationRecord& s = g_stations[i];
        APPEND(out, f.stationLine, i, NameColumn(s.name, sizeof s.name, 12).c_str(), s.addedDistance, s.x, s.y);
    }
    return out;
}
#pragma GCC diagnostic pop

int32_t WriteCurveElementText(const std::filesystem::path& path) { return WriteReport(path, CurveElementReport()); }

int32_t WriteStationText(const std::filesystem::path& path) { return WriteReport(path, StationReport()); }

namespace {
void ExportReport(const char* title, int32_t (*writer)(const std::filesystem::path&)) {
    FileDialogRequest request;
    request.save = true;
    request.title = title;
    request.filter = "テキストデータ|*.TXT| すべてのファイル|*.*|";
    request.defaultExtension = "TXT";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    switch (writer(path)) {
        case kRouteReportNothing:
            ShowMessage("出力するデータがありません。", "", msg::kOk | msg::kIconInformation);
            break;
        case kRouteReportNotCreated:
            ReportCannotCreate(path);
            break;
        case kRouteReportWriteFailed:
            ReportWriteFailed(path);
            break;
        default:
            break;
    }
}
}  // namespace

void OnExportCurveElementText() { ExportReport("曲線要素テキストファイル名設定", WriteCurveElementText); }

void OnExportStationText() { ExportReport("路線測点テキストファイル名設定", WriteStationText); }
