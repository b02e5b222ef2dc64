#include "section/earthwork_output.h"

#include <cmath>
#include <cstring>

#include "model/file_report.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "section/earthwork.h"
#include "section/section_files.h"
#include "section/section_records.h"

namespace {

constexpr const char* kStars30 = "******************************\r\n";

// Section i when both its records exist.
bool SectionPair(int32_t i, const CrossSection** c, const PlanSection** p) {
    *c = GetCrossSection(i);
    *p = GetPlanSection(i);
    return *c != nullptr && *p != nullptr;
}

std::string NameOf(const CrossSection& c) { return std::string(c.name, strnlen(c.name, sizeof c.name)); }

int32_t WriteText(const std::string& extension, const std::string& text) {
    const std::filesystem::path file = WithExtension(g_earthworkOutputPath, extension);
    if (WriteFileBytes(file, text)) return 0;
    RemovePartialFile(file);
    ReportWriteFailed(file);
    return -1;
}

void OplSide(std::string& out, const CrossSection& c, const PlanSection& p, bool left) {
    const char* tag = left ? "L" : "R";
    out += FormatString("%sKAKU\r\n%7.3f%7.3f\r\n%sRULE\r\n%3d\r\nE\r\n%sDRAW\r\nE\r\n%sDOU\r\n", tag, 0.0, 0.0, tag, 0,
                        tag, tag);
    const int32_t n = std::min(left ? p.leftCount : p.rightCount, static_cast<int32_t>(p.points.size()) - 1);
    for (int32_t j = 1; j <= n; ++j) {
        const PlanPoint& e = p.points[j];
        out += FormatString("%3d%10.3f%10.3f%3d%3d%3d%3d%3d%3d%5d\r\n", 0, left ? e.leftOffset : e.rightOffset,
                            left ? e.leftHeight : e.rightHeight, 2, 0, 0, 0, 0, 0, left ? e.leftMark : e.rightMark);
    }
    (void)c;
    out += FormatString("E\r\n%sNORI\r\n%3d%3d%8.4f\r\nE\r\n", tag, 0, 0, 0.0);
}

void OplGround(std::string& out, const CrossSection& c, bool left) {
    out += left ? "LGEN\r\n" : "RGEN\r\n";
    const int32_t n = std::min(left ? c.leftCount : c.rightCount, static_cast<int32_t>(c.points.size()) - 1);
    for (int32_t j = 1; j <= n; ++j) {
        const SectionPoint& e = c.points[j];
        out += FormatString("%10.3f%10.3f", left ? e.leftOffset : e.rightOffset, left ? e.leftHeight : e.rightHeight);
        if (left ? e.leftNamed : e.rightNamed)
            out += FormatString(" %.*s", kSectionNameBytes, left ? e.leftName : e.rightName);
        out += "\r\n";
    }
    out += "E\r\n";
}

std::string Cp(const char* utf8) { return Utf8ToCp932(utf8); }

}  // namespace

std::string FormatSd2Text() {
    std::string out;
    for (int i = 0; i < 5; ++i) out += kStars30;
    out += FormatString("%2d%2d%2d%2d\r\n", g_areaDecimals, g_meanAreaDecimals, g_volumeDecimals, g_distanceDecimals);
    out += FormatString("%20.3f%20.3f%7.3f%20.3f%20.3f\r\n", g_totalCut, g_totalFill, g_diversionRate,
                        g_divertedVolume, g_earthBalance);
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* c;
        const PlanSection* p;
        if (!SectionPair(i, &c, &p)) continue;
        out += FormatString("%-12.12s%12.3f%13.3f%13.3f%15.3f%13.3f%13.3f%15.3f\r\n", NameOf(*c).c_str(), c->distance,
                            p->cutArea, p->meanCutArea, p->cutVolume, p->fillArea, p->meanFillArea, p->fillVolume);
    }
    out += "**\r\n";
    return out;
}

std::string FormatOplText() {
    std::string out;
    for (int i = 0; i < 5; ++i) out += kStars30;
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* c;
        const PlanSection* p;
        if (!SectionPair(i, &c, &p)) continue;
        out += FormatString("%3d%-12.12s%12.3f%12.3f%12.3f%12.3f%3d%3d%3d\r\n", 0, NameOf(*c).c_str(), c->distance,
                            c->height, c->height2, p->planHeight, 0, c->centreEstimated, p->kind);
        OplGround(out, *c, true);
        OplGround(out, *c, false);
        OplSide(out, *c, *p, true);
        OplSide(out, *c, *p, false);
        out += "EE\r\n";
    }
    out += "**\r\n";
    return out;
}

int32_t WriteSd2File() { return WriteText(".SD2", FormatSd2Text()); }
int32_t WriteOplFile() { return WriteText(".OPL", FormatOplText()); }

std::string FormatEarthworkTable() {
    const int32_t dd = g_distanceDecimals, ad = g_areaDecimals, md = g_meanAreaDecimals, vd = g_volumeDecimals;
    std::string out = Cp("Ｎｏ\t") + Cp("        点名\t") + Cp("    追加距離\t") + Cp("  単距離\t") + Cp("     ＣＡ\t") +
                      Cp("   ＭＣＡ\t") + Cp("        ＣＶ\t") + Cp("     ＢＡ\t") + Cp("   ＭＢＡ\t") +
                      Cp("        ＢＶ\t") + "\r\n";
    const std::string added = FormatString("%%12.%1df\t", dd), single = FormatString("%%8.%1df\t", dd);
    const std::string area = FormatString("%%9.%1df\t", ad), mean = FormatString("%%9.%1df\t", md);
    const std::string volume = FormatString("%%12.%1df\t", vd);
    auto number = [](const std::string& format, double v) { return FormatString(format.c_str(), v); };
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* c;
        const PlanSection* p;
        if (!SectionPair(i, &c, &p)) continue;
        out += FormatString("%4d\t", i) + FormatString("%12.12s\t", NameOf(*c).c_str()) + number(added, c->distance) +
               number(single, c->singleDistance) + number(area, p->cutArea) + number(mean, p->meanCutArea) +
               number(volume, p->cutVolume) + number(area, p->fillArea) + number(mean, p->meanFillArea) +
               number(volume, p->fillVolume) + "\r\n";
    }
    // Total lines: text cells cut or padded to the column widths, numbers 12 wide.
    auto totalLine = [&](const char* label, const std::string& cv, const std::string& bv) {
        const std::string l = Cp(label);
        return FormatString("%4.4s\t%12.12s\t%12.12s\t%8.8s\t%9.9s\t%9.9s\t", "", "", "", "", "", l.c_str()) + cv +
               FormatString("%9.9s\t%9.9s\t", "", "") + bv + "\r\n";
    };
    const std::string total = FormatString("%%12.%1df\t", vd);
    const std::string blank = FormatString("%12.12s\t", "");
    out += totalLine("合計", number(total, g_totalCut), number(total, g_totalFill));
    out += totalLine("流用土量", number(total, g_divertedVolume), blank);
    if (g_earthBalance >= 0) out += totalLine("残土", number(total, g_earthBalance), blank);
    else out += totalLine("不足土", blank, number(total, std::fabs(g_earthBalance)));
    return out;
}

bool CopyEarthworkTable() {
    if (SetClipboardText(FormatEarthworkTable())) return true;
    ShowMessage("クリップボードは他のアプリケーションで使用中です", "コピーできません", msg::kOk);
    return false;
}

std::vector<std::vector<std::string>> EarthworkGridRows() {
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(std::max(0, g_crossSectionCount)) + 4,
                                               std::vector<std::string>(10));
    rows[0] = {"No.", "断面名", "追加距離", "単距離", "ＣＡ", "ＭＣＡ", "ＣＶ", "ＢＡ", "ＭＢＡ", "ＢＶ"};
    auto format = [](int32_t decimals) { return FormatString(" %%.%1df", decimals); };
    const std::string dist = format(g_distanceDecimals), area = format(g_areaDecimals);
    const std::string mean = format(g_meanAreaDecimals), volume = format(g_volumeDecimals);
    auto number = [](const std::string& f, double v) { return FormatString(f.c_str(), v); };
    for (int32_t i = 1; i <= g_crossSectionCount; ++i) {
        const CrossSection* c;
        const PlanSection* p;
        if (!SectionPair(i, &c, &p)) continue;
        rows[i] = {FormatString("%4d ", i),         " " + Cp932ToUtf8(NameOf(*c)),   number(dist, c->distance),
                   number(dist, c->singleDistance), number(area, p->cutArea),        number(mean, p->meanCutArea),
                   number(volume, p->cutVolume),    number(area, p->fillArea),       number(mean, p->meanFillArea),
                   number(volume, p->fillVolume)};
    }
    const size_t n = static_cast<size_t>(std::max(0, g_crossSectionCount));
    rows[n + 1][5] = " 合計";
    rows[n + 1][6] = number(volume, g_totalCut);
    rows[n + 1][9] = number(volume, g_totalFill);
    rows[n + 2][5] = " 流用土量";
    rows[n + 2][6] = number(volume, g_divertedVolume);
    if (g_earthBalance >= 0) {
        rows[n + 3][5] = " 残土";
        rows[n + 3][6] = number(volume, g_earthBalance);
    } else {
        rows[n + 3][5] = " 不足土";
        rows[n + 3][9] = number(volume, std::fabs(g_earthBalance));
    }
    return rows;
}

std::string EarthworkResultMessage() {
    if (g_earthBalance >= 0)
        return FormatString(
            "切土量　[ %.3f]　\n盛土量　[ %.3f]　\n流用土量[ %.3f]　\n残土　　[ %.3f]　\n計算結果を保存しますか？",
            g_totalCut, g_totalFill, g_divertedVolume, g_earthBalance);
    return FormatString(
        "切土量　[ %.3f]　\n盛土量　[ %.3f]　\n流用土量[ %.3f]　\n不足土　[ %.3f]　\n計算結果を保存しますか？",
        g_totalCut, g_totalFill, g_divertedVolume, std::fabs(g_earthBalance));
}
