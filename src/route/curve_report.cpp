#include "route/curve_report.h"

#include <string_view>

#include "platform/encoding.h"
#include "route/route_data.h"
#include "route/route_text.h"

namespace {
// The texts are written here in UTF-8 and used in CP932, the bytes of the record names.
struct Texts {
    std::string head1, head2, bpLine, ipLine, epLine;
    std::string clHead, clX, clY, clL, clD, clTk, clTl, clXm, clSo, clDr, clTau, clSigma;
    std::string mainHead;
    std::string mainPoint[2][4];  // [naming != 0][KA1, KE1, KE2, KA2]
    std::string tnHead, tnTl, tnCl, tnSl, tnMainHead, tnBc, tnEc;

    Texts() {
        auto c = [](const char* utf8) { return Utf8ToCp932(utf8); };
        head1 = c("     [曲線 諸元]  %s%d       (%s)\n");
        head2 = c("     IA=%9.9s  R=%10.5f  A1=%10.5f  A2=%10.5f  CL=%10.5f\n");
        bpLine = c("     %-5.5s    X=%12.5f  Y=%12.5f                 SP=%12.5f\n");
        ipLine = c("     %-5.5s%d    X=%12.5f  Y=%12.5f  距離=%10.5f\n");
        epLine = c("     %-5.5s     X=%12.5f  Y=%12.5f  距離=%10.5f  SP=%12.5f\n");
        clHead = c("　　　[曲線 要素]　　　第一曲線　　　第二曲線　　　　　　単曲線\n");
        clX = c("　　　　　　　　　Ｘ　%12.5f　%12.5f　　　　　Ｉ　　%9.9s\n");
        clY = c("　　　　　　　　　Ｙ　%12.5f　%12.5f　　　　　ＴＬ%10.5f\n");
        clL = c("　　　　　　　　　Ｌ　%12.5f　%12.5f　　　　　ＬＣ %10.5f\n");
        clD = c("　　　　　　　　　Ｄ　%12.5f　%12.5f　　　　　ＳＬ%10.5f\n");
        clTk = c("　　　　　　　　　ＴＫ%12.5f　%12.5f\n");
        clTl = c("　　　　　　　　　ＴＬ%12.5f　%12.5f\n");
        clXm = c("　　　　　　　　　ＸＭ%12.5f　%12.5f\n");
        clSo = c("　　　　　　　　　Ｓｏ%12.5f　%12.5f\n");
        clDr = c("　　　　　　　　　△Ｒ%12.5f　%12.5f\n");
        clTau = c("　　　　　　　　　τ　　%9.9s　　　%9.9s\n");
        clSigma = c("　　　　　　　　　σ　　%9.9s　　　%9.9s\n");
        mainHead = c("　　　[曲線主要点]\n");
        mainPoint[0][0] = c("　　　　　　　　　BTC　SP=%10.5f　X=%12.5f　Y=%12.5f\n");
        mainPoint[1][0] = c("　　　　　　　　　KA1　SP=%10.5f　X=%12.5f　Y=%12.5f\n");
        mainPoint[0][1] = c("　　　　　　　　　　BC　SP=%10.5f　X=%12.5f　Y=%12.5f\n");
        mainPoint[1][1] = c("　　　　　　　　　KE1　SP=%10.5f　X=%12.5f　Y=%12.5f\n");
        mainPoint[0][2] = c("　　　　　　　　　　EC　SP=%10.5f　X=%12.5f　Y=%12.5f\n");
        mainPoint[1][2] = c("　　　　　　　　　KE2　SP=%10.5f　X=%12.5f　Y=%12.5f\n");
        mainPoint[0][3] = c("　　　　　　　　　ETC　SP=%10.5f　X=%12.5f　Y=%12.5f\n");
        mainPoint[1][3] = c("　　　　　　　　　KA2　SP=%10.5f　X=%12.5f　Y=%12.5f\n");
        tnHead = c("     [曲線 要素]                                        単曲線\n");
        tnTl = c("ＴＬ%10.5f");
        tnCl = c("ＣＬ%10.5f");
        tnSl = c("ＳＬ%10.5f");
        tnMainHead = c("     [曲線主要点]\n");
        tnBc = c("                    BC  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
        tnEc = c("                    EC  SP=%10.5f  X=%12.5f  Y=%12.5f\n");
    }
};

const Texts& ReportTexts() {
    static const Texts texts;
    return texts;
}

// A name cut and padded as "%-5.5s" would, without splitting a character.
std::string NameField(const IpPoint& ip) {
    std::string field;
    AppendNameField(field, FieldText(ip.name, sizeof ip.name), 5);
    return field;
}

#define APPEND(out, text, ...) AppendFormat(out, (text).c_str(), __VA_ARGS__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"

void AppendClothoidPart(std::string& out, const IpPoint& ip) {
    const Texts& t = ReportTexts();
    const ClothoidElements& c1 = ip.clothoid1;
    const ClothoidElements& c2 = ip.clothoid2;
    out += t.clHead;
    APPEND(out, t.clX, c1.x, c2.x, FormatDms(ip.arcAngle).c_str());
    APPEND(out, t.clY, c1.y, c2.y, ip.arcTangentLength);
    APPEND(out, t.clL, c1.length, c2.length, ip.arcLength);
    APPEND(out, t.clD, c1.tangentToIp, c2.tangentToIp, ip.arcSecant);
    APPEND(out, t.clTk, c1.shortTangent, c2.shortTangent);
    APPEND(out, t.clTl, c1.longTangent, c2.longTangent);
    APPEND(out, t.clXm, c1.xm, c2.xm);
    APPEND(out, t.clSo, c1.chord, c2.chord);
    APPEND(out, t.clDr, c1.shift, c2.shift);
    APPEND(out, t.clTau, FormatDms(c1.tau).c_str(), FormatDms(c2.tau).c_str());
    APPEND(out, t.clSigma, FormatDms(c1.sigma).c_str(), FormatDms(c2.sigma).c_str());
    out += t.mainHead;
    const int naming = g_clothoidNaming != 0 ? 1 : 0;
    APPEND(out, t.mainPoint[naming][0], ip.ka1Distance, ip.ka1X, ip.ka1Y);
    APPEND(out, t.mainPoint[naming][1], ip.ke1Distance, ip.ke1X, ip.ke1Y);
    APPEND(out, t.mainPoint[naming][2], ip.ke2Distance, ip.ke2X, ip.ke2Y);
    APPEND(out, t.mainPoint[naming][3], ip.ka2Distance, ip.ka2X, ip.ka2Y);
}

void AppendCirclePart(std::string& out, const IpPoint& ip) {
    const Texts& t = ReportTexts();
    const std::string indent(55, ' ');
    out += t.tnHead;
    out += "\n";
    out += indent;
    APPEND(out, t.tnTl, ip.arcTangentLength);
    out += "\n" + indent;
    APPEND(out, t.tnCl, ip.arcLength);
    out += "\n" + indent;
    APPEND(out, t.tnSl, ip.arcSecant);
    out += "\n";
    out.append(7, '\n');
    out += t.tnMainHead;
    APPEND(out, t.tnBc, ip.ke1Distance, ip.ke1X, ip.ke1Y);
    APPEND(out, t.tnEc, ip.ke2Distance, ip.ke2X, ip.ke2Y);
    out += "\n";
}
}  // namespace

std::string FormatDms(double dmmss) {
    std::string text;
    AppendFormat(text, "%.4f", dmmss);
    const size_t point = text.find('.');
    if (point == std::string::npos) return text;
    text[point] = '-';
    text.insert(text.size() - 2, 1, '-');
    return text;
}

std::string CurveReportText(int32_t i) {
    if (g_ipPointCount < 3 || i < 2 || i > g_ipPointCount - 1) return {};
    const Texts& t = ReportTexts();
    const IpPoint& ip = g_ipPoints[i];
    const IpPoint& bp = g_ipPoints[1];
    const IpPoint& ep = g_ipPoints[g_ipPointCount];
    std::string out = "\n";
    const char* turn = ip.turnSide == 1 ? "R" : ip.turnSide == 2 ? "L" : " ";
    APPEND(out, t.head1, std::string(FieldText(ip.name, sizeof ip.name)).c_str(), ip.number, turn);
    APPEND(out, t.head2, FormatDms(ip.ia).c_str(), ip.radius, ip.a1, ip.a2, ip.curveLength);
    if (i == 2)
        APPEND(out, t.bpLine, NameField(bp).c_str(), bp.x, bp.y, bp.addedDistance);
    else
        out += "\n";
    APPEND(out, t.ipLine, NameField(ip).c_str(), ip.number, ip.x, ip.y, ip.legLength);
    if (i + 1 == g_ipPointCount)
        APPEND(out, t.epLine, NameField(ep).c_str(), ep.x, ep.y, ep.legLength, ep.addedDistance);
    else
        out += "\n";

    if (ip.curveType == kCurveClothoid || ip.curveType == kCurveEgg)
        AppendClothoidPart(out, ip);
    else if (ip.curveType == kCurveCircle)
        AppendCirclePart(out, ip);
    return out;
}
#pragma GCC diagnostic pop

bool FormatCurveReport(std::string& text) {
    if (g_ipPointCount < 3) return false;
    const std::string report = CurveReportText(g_currentIp);
    if (report.empty()) return false;
    text = Cp932ToUtf8(report);
    return true;
}
