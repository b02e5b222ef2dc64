#include "pointedit/point_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "platform/encoding.h"
#include "pointedit/point_array.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

int32_t g_listHighlightedPoint = 0;

namespace {
constexpr int32_t kViewPickRadius2 = 400;

std::function<void(int32_t)> g_pointListReceiver;

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool IsPoint(int32_t n) { return g_points && n >= 1 && n <= g_pointCount; }

// Whether a coordinate field holds a number (blank counts as 0, as a missing field does).
bool NumericOrBlank(const std::string& field) {
    const std::string t = Trimmed(field);
    if (t.empty()) return true;
    char* end = nullptr;
    std::strtod(t.c_str(), &end);
    return end != t.c_str();
}
}  // namespace

const char* PlotKindText(int32_t kind) {
    switch (kind) {
        case 1:
            return "N ";
        case 2:
            return " H";
        case 3:
            return "HN";
        default:
            return "";
    }
}

std::array<std::string, kPointListColumns> PointListRow(int32_t n) {
    std::array<std::string, kPointListColumns> row;
    char number[16];
    std::snprintf(number, sizeof number, "%5d", n);
    row[0] = number;
    if (!IsPoint(n)) return row;
    const RandomPoint& p = g_points[n];
    row[1] = Format("%6.4f", p.x);
    row[2] = Format("%6.4f", p.y);
    row[3] = Format("%6.3f", p.z);
    row[4] = std::string(p.name, strnlen(p.name, sizeof p.name));
    if (p.invalid != 0) row[5].push_back('X');
    row[6].append(PlotKindText(p.plotKind));
    return row;
}

PointListWindow ClampPointListWindow(int32_t start, int32_t n) {
    const int32_t count = g_pointCount;
    if (n <= 0) n = count;
    start = std::clamp(start, 1, std::max(count, 1));
    if (start + n > count) n = count - start + 1;
    return {start, std::max(n, 0)};
}

PointListWindow OpeningPointListWindow() {
    PointListWindow w;
    w.start = g_listHighlightedPoint > 0 ? g_listHighlightedPoint : 1;
    w.shown = kPointListDefaultShown;
    if (w.start + kPointListDefaultShown - 1 >= g_pointCount) w.shown = g_pointCount - w.start + 2;
    return w;
}

PointListWindow WidenedPointListWindow(PointListWindow w) {
    if (w.shown >= kPointListDefaultShown) return w;
    w.shown = kPointListDefaultShown;
    if (w.start + kPointListDefaultShown - 1 >= g_pointCount) w.shown = g_pointCount - w.start + 2;
    return w;
}

PointListWindow StartFieldLeft(PointListWindow w, const std::string& text) {
    const int32_t start = std::clamp(std::atoi(text.c_str()), 1, std::max(g_pointCount, 1));
    if (start != w.start && start + w.shown >= g_pointCount) w.shown = g_pointCount - start + 1;
    w.start = start;
    return w;
}

PointListWindow CountFieldLeft(PointListWindow w, const std::string& text) {
    int32_t n = std::min(std::atoi(text.c_str()), kPointListMaxShown);
    if (n != w.shown && (w.start + n > g_pointCount || n <= 0)) n = g_pointCount - w.start + 1;
    w.shown = n;
    return w;
}

PointRegisterResult RegisterListedPoint(const PointListEdit& edit, PointListWindow window,
                                        int32_t* number) {
    const int32_t n = std::atoi(edit.number.c_str());
    if (number) *number = n;
    if (n <= 0) return PointRegisterResult::kNothing;
    // Past the new-point row there is no record to write into.
    if (n - window.start < 0 || n - window.start > window.shown || n > g_pointCount + 1) {
        ShowMessage("指定された番号は一覧にありません", "番号エラー", msg::kOk | msg::kIconQuestion);
        return PointRegisterResult::kNotListed;
    }
    RestoreSurveyFrame();
    const bool append = n == g_pointCount + 1;
    if (append) {
        if (AppendPointAtCursor(0, 0) == 0) return PointRegisterResult::kRefused;
        ++g_pointCount;
    }
    g_dataChanged = -1;
    RandomPoint& p = g_points[n];
    CopyPointName(p.name, Trimmed(edit.name));
    p.x = std::atof(Trimmed(edit.x).c_str());
    p.y = std::atof(Trimmed(edit.y).c_str());
    p.z = std::atof(Trimmed(edit.z).c_str());
    if (append) {
        p.invalid = 0;
        p.outside = 0;
        p.plotKind = 2;
    }
    g_addedPointsInMode = 0;
    g_pointsPresent = -1;
    IncludePointInExtents(n);
    g_redrawMask = -1;
    return append ? PointRegisterResult::kAppended : PointRegisterResult::kStored;
}

bool DeleteListedPoints(const std::vector<int32_t>& numbers) {
    if (IsProgressWindowOpen() || numbers.empty()) return false;
    std::vector<int32_t> newIndex(static_cast<size_t>(g_pointCount) + 1, 0);
    for (int32_t i = 1; i <= g_pointCount; ++i) newIndex[i] = 1;
    bool any = false;
    for (int32_t n : numbers)
        if (IsPoint(n)) {
            any = any || newIndex[n] != 0;
            newIndex[n] = 0;
        }
    if (!any) return false;
    if (g_tinEdgeCount != 0 &&
        ShowMessage("現在の三角網は解除されます", "確認", msg::kYesNo | msg::kIconQuestion) !=
            msg::kIdYes)
        return false;
    RestoreSurveyFrame();
    g_tinEdgeCount = 0;
    g_tinPresent = 0;
    if (g_tinEdges) SetTinEndRecord();
    ClearOutline();
    ClearPicks();
    ClearPickList();
    g_dataChanged = -1;
    // One pass instead of a record move per deleted point.
    int32_t next = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) newIndex[i] = newIndex[i] ? ++next : 0;
    CompactPoints(newIndex);
    if (g_pointCount == 0) g_pointsPresent = 0;
    if (g_listHighlightedPoint > g_pointCount) g_listHighlightedPoint = 0;
    g_redrawMask = -1;
    return true;
}

int32_t ToggleListedValidity(const std::vector<int32_t>& numbers) {
    if (numbers.empty()) return -1;
    g_dataChanged = -1;
    const int32_t first = numbers.front();
    const int16_t state = IsPoint(first) && g_points[first].invalid != 0 ? 0 : 1;
    for (int32_t n : numbers)
        if (IsPoint(n)) g_points[n].invalid = state;
    g_redrawMask = -1;
    return state;
}

void SetListedPlotKind(const std::vector<int32_t>& numbers, int32_t kind) {
    if (kind < 0) return;
    g_dataChanged = -1;
    for (int32_t n : numbers)
        if (IsPoint(n)) g_points[n].plotKind = static_cast<int16_t>(kind);
}

std::string PointTableText() {
    std::string text;
    if (g_pointCount <= 0 || !g_points) return text;
    text.reserve(static_cast<size_t>(g_pointCount) * 64 + 128);
    text += Utf8ToCp932(" Ｎｏ\t      Ｘ座標\t      Ｙ座標\t        標高\t点名\t");
    text += "\r\n";
    char line[160];
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        const int len = std::snprintf(line, sizeof line, "%4d\t%12.3f\t%12.3f\t%12.3f\t", i, p.x,
                                      p.y, p.z);
        text.append(line, static_cast<size_t>(std::clamp(len, 0, static_cast<int>(sizeof line) - 1)));
        text.append(p.name, strnlen(p.name, sizeof p.name));
        text += "\r\n";
    }
    return text;
}

bool CopyPointTable() {
    if (g_pointCount <= 0) return true;
    std::string text;
    try {
        text = PointTableText();
    } catch (const std::bad_alloc&) {
        ShowMessage("メモリー不足でコピーできません", "コピー失敗", msg::kOk | msg::kIconWarning);
        return false;
    }
    if (!SetClipboardText(text)) {
        ShowMessage("クリップボードは他のアプリケーションで使用中です", "コピーできません",
                    msg::kOk | msg::kIconWarning);
        return false;
    }
    ShowMessage("クリップボードにコピーしました", "コピー終了", msg::kOk | msg::kIconInformation);
    return true;
}

std::vector<PastedPoint> ParsePastedPoints(const std::string& text) {
    std::vector<PastedPoint> points;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trimmed(line).empty()) continue;

        std::vector<std::string> fields;
        size_t from = 0;
        while (true) {
            const size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        fields.resize(std::max<size_t>(fields.size(), 6));
        // A heading (our own copy's first line, a spreadsheet's column titles) is no point.
        if (!NumericOrBlank(fields[0]) || !NumericOrBlank(fields[1]) || !NumericOrBlank(fields[2]))
            continue;
        PastedPoint p;
        p.x = std::atof(fields[0].c_str());
        p.y = std::atof(fields[1].c_str());
        p.z = std::atof(fields[2].c_str());
        p.name = Trimmed(fields[3]);
        p.name.resize(Cp932PrefixLength(p.name, 11));
        p.invalid = std::atoi(fields[4].c_str());
        p.plotKind = std::atoi(fields[5].c_str());
        points.push_back(std::move(p));
    }
    return points;
}

int32_t PastePointsFromClipboard() {
    std::string text;
    if (!ReadClipboardText(text)) {
        ShowMessage("クリップボードがオープンできません", "", msg::kOk | msg::kIconError);
        return 0;
    }
    if (text.empty()) {
        ShowMessage("クリップボードにデータがありません", "", msg::kOk | msg::kIconError);
        return 0;
    }
    RestoreSurveyFrame();
    int32_t added = 0;
    for (const PastedPoint& pasted : ParsePastedPoints(text)) {
        g_pointsPresent = -1;
        const int32_t n = AppendEditPoint();
        if (n == 0) break;
        ++g_pointCount;
        RandomPoint p{};
        p.x = pasted.x;
        p.y = pasted.y;
        p.z = pasted.z;
        CopyPointName(p.name, pasted.name);
        p.invalid = static_cast<int16_t>(pasted.invalid);
        p.plotKind = static_cast<int16_t>(pasted.plotKind);
        g_points[n] = p;
        IncludePointInExtents(n);
        ++added;
    }
    if (g_pointCount == 0) g_pointsPresent = 0;
    g_dataChanged = -1;
    g_redrawMask = -1;
    return added;
}

void SetPointListReceiver(std::function<void(int32_t)> receiver) {
    g_pointListReceiver = std::move(receiver);
}

bool PointListOpen() { return static_cast<bool>(g_pointListReceiver); }

void SendPointToList(int32_t point) {
    if (g_pointListReceiver && point > 0) g_pointListReceiver(point);
}

bool PointListViewRelease(int32_t x, int32_t y) {
    if (!PointListOpen()) return false;
    const int32_t point = FindPointAtCursor(x, y, kViewPickRadius2);
    if (point <= 0) return false;
    SendPointToList(point);
    return true;
}
