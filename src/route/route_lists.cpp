#include "route/route_lists.h"

#include <algorithm>
#include <cstdlib>

#include "model/numeric_text.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/display_flags.h"

namespace {
std::function<void()> g_ipListRefresher;
std::function<void()> g_stationListRefresher;
std::function<void()> g_plusStakeRefresher;

void Call(const std::function<void()>& f) {
    if (f) f();
}
}  // namespace

CopyBlock ListCopyBlock(const GridSelection& s, int32_t rows, int32_t columns) {
    CopyBlock b{s.FirstRow(), s.LastRow(), s.FirstCol(), s.LastCol()};
    if (s.SingleCell()) b = {1, rows, 0, columns - 1};
    b.firstRow = std::max(b.firstRow, 1);
    b.lastRow = std::min(b.lastRow, rows);
    return b;
}

std::string CopyHeadingLine(const char* const* headingsUtf8, int32_t columns,
                            const CopyBlock& block) {
    std::string text = Utf8ToCp932(headingsUtf8[0]);
    for (int32_t k = 1; k < columns; ++k)
        if (block.HasColumn(k)) text += Utf8ToCp932(headingsUtf8[k]);
    return text + '\n';
}

bool SelectListRow(const GridSelection& s, int32_t count, int32_t& current) {
    const int32_t before = current;
    current = s.row == s.rowSel && s.row >= 1 && s.row <= count ? s.row : 0;
    return s.row == s.rowSel && current != before;
}

int32_t ListInsertionRow(const GridSelection& s, int32_t count) {
    if (count < 1) return 0;
    if (s.SingleColumn()) {
        ShowMessage(kInsertRowNeeded, "", msg::kOk);
        return 0;
    }
    if (count == 1) {
        ShowMessage("１点しか入力されていません", "", msg::kOk);
        return 0;
    }
    return std::max(s.FirstRow(), 0);
}

bool ListDeletionAllowed(const GridSelection& s, int32_t count) {
    if (count < 1) return false;
    if (s.SingleColumn()) {
        ShowMessage(kDeleteRowNeeded, "", msg::kOk);
        return false;
    }
    return true;
}

std::vector<std::string> PastedTableLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitTableFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

double FieldNumber(const std::string& field) { return std::strtod(field.c_str(), nullptr); }

bool NumericFieldsParse(const std::vector<std::string>& fields, size_t first, size_t last) {
    for (size_t i = first; i <= last && i < fields.size(); ++i) {
        const std::string text = TrimBlanks(fields[i]);
        double value = 0;
        if (!text.empty() && !ParseDialogNumber(text, &value)) return false;
    }
    return true;
}

std::string CutCp932(const std::string& text, size_t limit) {
    return text.substr(0, Cp932PrefixLength(text, limit));
}

bool PutTableOnClipboard(const std::string& cp932) {
    if (SetClipboardText(cp932)) return true;
    ShowMessage(kClipboardBusy, kClipboardBusyCaption, msg::kOk);
    return false;
}

std::string TakeTableFromClipboard() {
    std::string text = GetClipboardText();
    if (text.empty()) ShowMessage(kClipboardEmpty, "", msg::kOk | msg::kIconError);
    return text;
}

void RefreshIpList() { Call(g_ipListRefresher); }
void RefreshStationList() { Call(g_stationListRefresher); }
void RefreshPlusStakeGrid() { Call(g_plusStakeRefresher); }
void SetIpListRefresher(std::function<void()> refresh) { g_ipListRefresher = std::move(refresh); }
void SetStationListRefresher(std::function<void()> refresh) {
    g_stationListRefresher = std::move(refresh);
}
void SetPlusStakeGridRefresher(std::function<void()> refresh) {
    g_plusStakeRefresher = std::move(refresh);
}

void OnRouteListCommand(const std::function<void()>& toggle, bool showRoute) {
    ResetToolMode();
    CloseToolWindows();
    if (showRoute) g_showRoute = -1;
    Call(toggle);
}
