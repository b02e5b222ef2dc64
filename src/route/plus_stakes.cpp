#include "route/plus_stakes.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/encoding.h"
#include "platform/message_box.h"
#include "route/route_data.h"

const char* const kPlusStakeLimitMessage = "測点数が制限に達しました。";

namespace {
int32_t Count() { return std::min(std::max(g_plusStakeCount, 0), kMaxPlusStakes); }
}  // namespace

std::string FormatPlusStakeCell(int32_t row, int32_t col) {
    if (row < 1 || row > Count()) return {};
    char text[64];
    if (col == 0)
        std::snprintf(text, sizeof text, "%4d ", row);
    else if (col == 1)
        std::snprintf(text, sizeof text, " %5.3f", g_plusStakes[row]);
    else
        return {};
    return text;
}

int32_t SortPlusStakeValues() {
    const int32_t n = Count();
    if (n < 2) return 1;
    std::sort(g_plusStakes + 1, g_plusStakes + n + 1);
    int32_t kept = 1;
    for (int32_t i = 2; i <= n; ++i)
        if (g_plusStakes[i] > g_plusStakes[kept]) g_plusStakes[++kept] = g_plusStakes[i];
    g_plusStakeCount = kept;
    return 0;
}

int32_t SortPlusStakes() {
    const int32_t result = SortPlusStakeValues();
    if (result == 0) RefreshPlusStakeGrid();
    return result;
}

std::string PlusStakeCopyText() {
    const int32_t n = Count();
    if (n < 1) return {};
    std::string text = Utf8ToCp932("追加距離") + "\n";
    for (int32_t i = 1; i <= n; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%14.5f\n", g_plusStakes[i]);
        text += line;
    }
    return text;
}

void CopyPlusStakeTable() {
    const std::string text = PlusStakeCopyText();
    if (!text.empty()) PutTableOnClipboard(text);
}

int32_t PastePlusStakeText(const std::string& text) {
    int32_t appended = 0;
    bool overflow = false;
    for (const std::string& line : PastedTableLines(text)) {
        const std::vector<std::string> f = SplitTableFields(line);
        if (!NumericFieldsParse(f, 0, 0) || TrimBlanks(f[0]).empty()) continue;
        if (Count() >= kMaxPlusStakes) {
            overflow = true;
            continue;
        }
        g_plusStakes[Count() + 1] = FieldNumber(TrimBlanks(f[0]));
        g_plusStakeCount = Count() + 1;
        ++appended;
    }
    if (overflow) ShowMessage(kPlusStakeLimitMessage, "", msg::kOk | msg::kIconError);
    return appended;
}

int32_t PastePlusStakeTable() {
    const std::string text = TakeTableFromClipboard();
    if (text.empty()) return 0;
    return PastePlusStakeText(text);
}

PlusStakeCellStore CommitPlusStakeCell(int32_t row, const std::string& typed) {
    const size_t start = typed.find_first_not_of(' ');
    const std::string text = start == std::string::npos ? std::string() : typed.substr(start);
    const double value = FieldNumber(text);
    const int32_t n = Count();
    if (row >= 1 && row <= n) {
        g_plusStakes[row] = value;
        return PlusStakeCellStore::kStored;
    }
    // At the table's capacity nothing is added.
    if (row != n + 1 || text.empty() || n >= kMaxPlusStakes) return PlusStakeCellStore::kNothing;
    g_plusStakes[n + 1] = value;
    g_plusStakeCount = n + 1;
    return PlusStakeCellStore::kAppended;
}

bool InsertPlusStakeRow(const GridSelection& sel) {
    const int32_t n = Count();
    if (n < 1) return false;
    const int32_t first = sel.FirstRow();
    if (first == 0) {
        ShowMessage(kInsertRowNeeded, "", msg::kOk);
        return false;
    }
    if (n < 2) {
        ShowMessage("データが入力されていません", "", msg::kOk);
        return false;
    }
    if (n + 1 > kMaxPlusStakes) {
        ShowMessage(kPlusStakeLimitMessage, "", msg::kOk | msg::kIconError);
        return false;
    }
    if (first < 0) return false;
    if (first <= n)
        for (int32_t k = n; k >= first; --k) g_plusStakes[k + 1] = g_plusStakes[k];
    else
        g_plusStakes[n + 1] = 0;  // below the last stake: a new stake of 0 after it
    g_plusStakeCount = n + 1;
    return true;
}

bool DeletePlusStakeRows(const GridSelection& sel) {
    const int32_t n = Count();
    if (n < 1) return false;
    const int32_t first = sel.FirstRow();
    if (first == 0) {
        ShowMessage(kDeleteRowNeeded, "", msg::kOk);
        return false;
    }
    if (first > n) return false;
    const int32_t last = std::min(sel.LastRow(), n);
    const int32_t removed = last - first + 1;
    for (int32_t k = last + 1; k <= n; ++k) g_plusStakes[k - removed] = g_plusStakes[k];
    g_plusStakeCount = n - removed;
    return true;
}
