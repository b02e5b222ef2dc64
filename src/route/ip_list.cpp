#include "route/ip_list.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/encoding.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

const char* const kIpListHeadings[kIpListColumns] = {
    "No.", "点名", "番号", "Ｘ座標", "Ｙ座標", "半径", "パラメータ１", "パラメータ２"};
const char* const kIpNumberRangeMessage = "ＩＰ点の番号は-99から999までです";
const char* const kIpLimitMessage = "ＩＰ点数が制限に達しました";

namespace {
const char* const kCopyHeadings[kIpListColumns] = {
    " Ｎｏ\t",         "  点名\t",       "  番号\t",       "     Ｘ座標 \t",
    "     Ｙ座標 \t", "       半径 \t", "パラメータ１\t", "パラメータ２\t"};

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string FormatInt(const char* format, int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int32_t Count() { return std::min(std::max(g_ipPointCount, 0), kMaxIpPoints); }

void SetName(IpPoint& ip, const std::string& name) {
    std::memset(ip.name, 0, sizeof ip.name);
    const std::string cut = CutCp932(name, kIpNameBytes);
    std::memcpy(ip.name, cut.data(), cut.size());
}

void Repaint() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void RemoveIp(int32_t i) {
    const int32_t n = Count();
    for (int32_t k = i; k < n; ++k) g_ipPoints[k] = g_ipPoints[k + 1];
    g_ipPointCount = n - 1;
}

bool RefuseWhenFull() {
    if (Count() < kMaxIpPoints) return false;
    ShowMessage(kIpLimitMessage, "", msg::kOk | msg::kIconError);
    return true;
}
}  // namespace

std::string FormatIpListCell(int32_t row, int32_t col) {
    if (row < 1 || row > Count()) return {};
    const IpPoint& ip = g_ipPoints[row];
    switch (col) {
        case 0:
            return FormatInt("%4d ", row);
        case 1:
            return std::string(ip.name, strnlen(ip.name, sizeof ip.name));
        case 2:
            return FormatInt(" %d", ip.number);
        case 3:
            return Format(" %.5f", ip.x);
        case 4:
            return Format(" %.5f", ip.y);
        case 5:
            return Format(" %5.3f", ip.radius);
        case 6:
            return Format(" %5.3f", ip.a1);
        case 7:
            return Format(" %5.3f", ip.a2);
        default:
            return {};
    }
}

std::string ProposeIpListCell(int32_t row, int32_t col) {
    if (row != Count() + 1) return {};
    if (col == 1) {
        if (row == 1) return "BP";
        if (row == 2) return "IP";
        const IpPoint& above = g_ipPoints[row - 1];
        return std::string(above.name, strnlen(above.name, sizeof above.name));
    }
    if (col == 2) return FormatInt("%d", row == 1 ? 0 : g_ipPoints[row - 1].number + 1);
    return {};
}

std::string IpListCopyText(const GridSelection& s) {
    const int32_t n = Count();
    if (n < 1) return {};
    const CopyBlock block = ListCopyBlock(s, n, kIpListColumns);
    std::string text = CopyHeadingLine(kCopyHeadings, kIpListColumns, block);
    for (int32_t r = block.firstRow; r <= block.lastRow; ++r) {
        const IpPoint& ip = g_ipPoints[r];
        text += FormatInt("%4d", r);
        if (block.HasColumn(1)) {
            char field[32];
            std::snprintf(field, sizeof field, "\t%6s",
                          std::string(ip.name, strnlen(ip.name, sizeof ip.name)).c_str());
            text += field;
        }
        if (block.HasColumn(2)) text += FormatInt("\t%6d", ip.number);
        if (block.HasColumn(3)) text += Format("\t%14.5f", ip.x);
        if (block.HasColumn(4)) text += Format("\t%14.5f", ip.y);
        if (block.HasColumn(5)) text += Format("\t%12.3f", ip.radius);
        if (block.HasColumn(6)) text += Format("\t%12.3f", ip.a1);
        if (block.HasColumn(7)) text += Format("\t%12.3f", ip.a2);
        text += '\n';
    }
    return text;
}

void CopyIpTable(const GridSelection& selection) {
    const std::string text = IpListCopyText(selection);
    if (!text.empty()) PutTableOnClipboard(text);
}

int32_t PasteIpText(const std::string& text) {
    int32_t appended = 0;
    bool full = false, outOfRange = false;
    for (const std::string& line : PastedTableLines(text)) {
        const std::vector<std::string> f = SplitTableFields(line);
        if (!NumericFieldsParse(f, 1, 6)) continue;  // a heading
        auto number = [&](size_t i) { return i < f.size() ? FieldNumber(TrimBlanks(f[i])) : 0.0; };
        const double ipNumber = std::trunc(number(1));
        if (!IpNumberFits(ipNumber)) {
            outOfRange = true;
            continue;
        }
        if (Count() >= kMaxIpPoints) {
            full = true;
            continue;
        }
        // The working copy takes the line's input fields; the new record holds only those.
        IpPoint& edit = g_ipEdit;
        std::memset(edit.name, 0, sizeof edit.name);
        const std::string name = CutCp932(f.empty() ? "" : TrimBlanks(f[0]), kPastedIpNameBytes);
        std::memcpy(edit.name, name.data(), name.size());
        edit.number = static_cast<int32_t>(ipNumber);
        edit.x = number(2);
        edit.y = number(3);
        edit.radius = number(4);
        edit.radius2 = 0;
        edit.addedDistance = 0;
        edit.a1 = number(5);
        edit.a2 = number(6);
        IpPoint& ip = g_ipPoints[Count() + 1];
        std::memset(&ip, 0, sizeof ip);
        std::memcpy(ip.name, edit.name, sizeof ip.name);
        ip.number = edit.number;
        ip.x = edit.x;
        ip.y = edit.y;
        ip.radius = edit.radius;
        ip.a1 = edit.a1;
        ip.a2 = edit.a2;
        g_ipPointCount = Count() + 1;
        EnsureIpPointVisible(g_ipPointCount);
        ++appended;
    }
    if (full) ShowMessage(kIpLimitMessage, "", msg::kOk | msg::kIconError);
    if (outOfRange) ShowMessage(kIpNumberRangeMessage, "", msg::kOk | msg::kIconError);
    Repaint();
    return appended;
}

int32_t PasteIpTable() {
    const std::string text = TakeTableFromClipboard();
    if (text.empty()) return 0;
    return PasteIpText(text);
}

void SelectIpListRow(const GridSelection& s) {
    if (SelectListRow(s, Count(), g_currentIp)) {
        g_redrawMask = 0;
        QuickRepaintView();
    }
}

IpCellStore CommitIpListCell(int32_t row, int32_t col, const std::string& typed,
                             const std::string& nameCell) {
    const size_t start = typed.find_first_not_of(' ');
    const std::string text = start == std::string::npos ? std::string() : typed.substr(start);
    const double value = FieldNumber(text);
    const int32_t n = Count();
    g_currentIp = row >= 1 && row <= n ? row : 0;
    if (row >= 1 && row <= n) {
        IpPoint& ip = g_ipPoints[row];
        switch (col) {
            case 1:
                SetName(ip, text);
                break;
            case 2:
                if (!IpNumberFits(std::trunc(value))) {
                    ShowMessage(kIpNumberRangeMessage, "", msg::kOk | msg::kIconError);
                    return IpCellStore::kNothing;
                }
                ip.number = static_cast<int32_t>(std::trunc(value));
                break;
            case 3:
                ip.x = value;
                break;
            case 4:
                ip.y = value;
                break;
            case 5:
                ip.radius = value;
                break;
            case 6:
                ip.a1 = value;
                break;
            case 7:
                ip.a2 = value;
                break;
            default:
                return IpCellStore::kNothing;
        }
        Repaint();
        return IpCellStore::kStored;
    }
    if (row != n + 1 || text.empty()) return IpCellStore::kNothing;
    if (col == 1) return IpCellStore::kNameOnly;
    if (col != 2) return IpCellStore::kNothing;
    if (!IpNumberFits(std::trunc(value))) {
        ShowMessage(kIpNumberRangeMessage, "", msg::kOk | msg::kIconError);
        return IpCellStore::kNothing;
    }
    if (RefuseWhenFull()) return IpCellStore::kNothing;
    IpPoint& ip = g_ipPoints[n + 1];
    std::memset(&ip, 0, sizeof ip);
    SetName(ip, TrimBlanks(nameCell));
    ip.number = static_cast<int32_t>(std::trunc(value));
    g_ipPointCount = n + 1;
    return IpCellStore::kAppended;
}

bool InsertIpListRow(const GridSelection& s) {
    const int32_t n = Count();
    const int32_t a = ListInsertionRow(s, n);
    if (a < 1 || RefuseWhenFull()) return false;
    if (a <= n) {
        for (int32_t k = n; k >= a; --k) g_ipPoints[k + 1] = g_ipPoints[k];
    } else {
        // Below the last IP: a new, empty IP after it.
        std::memset(&g_ipPoints[n + 1], 0, sizeof g_ipPoints[n + 1]);
    }
    g_ipPointCount = n + 1;
    return true;
}

bool DeleteIpListRows(const GridSelection& s) {
    const int32_t n = Count();
    if (!ListDeletionAllowed(s, n)) return false;
    const int32_t a = std::max(s.FirstRow(), 1);
    const int32_t b = std::min(s.LastRow(), n);
    if (a > n || b < a) return false;
    for (int32_t k = b; k >= a; --k) RemoveIp(k);
    if (g_currentIp > Count()) g_currentIp = 0;
    Repaint();
    return true;
}

void DeleteAllIps() {
    if (ShowMessage("ＩＰ点を全て削除します。よろしいですか？", "",
                    msg::kYesNo | msg::kIconQuestion) != msg::kIdYes)
        return;
    g_ipPointCount = 0;
    g_currentIp = 0;
    Repaint();
    if (g_stationCount > 0 &&
        ShowMessage("路線データも削除しますか？", "", msg::kYesNo | msg::kIconQuestion) ==
            msg::kIdYes) {
        g_stationCount = 0;
        g_currentStation = 0;
        Repaint();
    }
}

bool RenumberIps(int32_t start) {
    const int32_t n = Count();
    if (n < 1) return false;
    if (!IpNumberFits(start) || !IpNumberFits(double(start) + n - 1)) {
        ShowMessage(kIpNumberRangeMessage, "", msg::kOk | msg::kIconError);
        return false;
    }
    for (int32_t i = 1; i <= n; ++i) g_ipPoints[i].number = start + i - 1;
    Repaint();
    return true;
}
