#include "route/station_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/encoding.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

const char* const kStationListHeadings[kStationListColumns] = {
    "No.", "点名", "追加距離", "中心Ｘ", "中心Ｙ", "左Ｘ", "左Ｙ", "右Ｘ", "右Ｙ"};
const char* const kStationMemoryMessage = "路線データ用のメモリが確保できませんでした。";

namespace {
const char* const kCopyHeadings[kStationListColumns] = {
    "Ｎｏ\t",         "点名\t",         "    追加距離\t", "  センターＸ\t", "  センターＹ\t",
    "    左測点Ｘ\t", "    左測点Ｙ\t", "    右測点Ｘ\t", "    右測点Ｙ\t"};
constexpr size_t kShownNameBytes = 14;
constexpr size_t kNameBytes = sizeof(StationRecord::name) - 1;

int32_t Count() { return std::max(g_stationCount, 0); }

std::string Name(const StationRecord& s) { return std::string(s.name, strnlen(s.name, sizeof s.name)); }

void SetName(StationRecord& s, const std::string& name, size_t limit) {
    std::memset(s.name, 0, sizeof s.name);
    const std::string cut = CutCp932(name, limit);
    std::memcpy(s.name, cut.data(), cut.size());
}

std::string Fixed(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double Field(const StationRecord& s, int32_t col) {
    switch (col) {
        case 2:
            return s.addedDistance;
        case 3:
            return s.x;
        case 4:
            return s.y;
        case 5:
            return s.leftX;
        case 6:
            return s.leftY;
        case 7:
            return s.rightX;
        default:
            return s.rightY;
    }
}

void SetField(StationRecord& s, int32_t col, double value) {
    switch (col) {
        case 2:
            s.addedDistance = value;
            break;
        case 3:
            s.x = value;
            break;
        case 4:
            s.y = value;
            break;
        case 5:
            s.leftX = value;
            break;
        case 6:
            s.leftY = value;
            break;
        case 7:
            s.rightX = value;
            break;
        case 8:
            s.rightY = value;
            break;
        default:
            break;
    }
}

void Repaint() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// Keeps the stations for which keep(i) holds, in order.
template <typename Keep>
bool KeepStations(Keep keep) {
    const int32_t n = Count();
    int32_t kept = 0;
    for (int32_t i = 1; i <= n; ++i)
        if (keep(i)) g_stations[++kept] = g_stations[i];
    g_stationCount = kept;
    if (g_currentStation > kept) g_currentStation = 0;
    return kept != n;
}
}  // namespace

bool EnsureStationRoom(int32_t margin) {
    const int32_t n = Count();
    if (g_stationCapacity >= n + margin && g_stations && g_stationsBlock.Size() >= n + margin)
        return true;
    const int32_t wanted = n + 50;
    if (GrowStationBlock(wanted) != 0) {
        ShowMessage(kStationMemoryMessage, "", msg::kOk | msg::kIconError);
        return false;
    }
    g_stationCapacity = wanted;
    return true;
}

std::string FormatStationListCell(int32_t row, int32_t col) {
    if (row < 1 || row > Count() || col < 0 || col >= kStationListColumns) return {};
    const StationRecord& s = g_stations[row];
    if (col == 0) {
        char text[16];
        std::snprintf(text, sizeof text, "%4d ", row);
        return text;
    }
    if (col == 1) return CutCp932(Name(s), kShownNameBytes);
    return Fixed(" %.5f", Field(s, col));
}

std::string StationListCopyText(const GridSelection& sel) {
    const int32_t n = Count();
    if (n < 1) return {};
    const CopyBlock block = ListCopyBlock(sel, n, kStationListColumns);
    std::string text = CopyHeadingLine(kCopyHeadings, kStationListColumns, block);
    for (int32_t r = block.firstRow; r <= block.lastRow; ++r) {
        const StationRecord& s = g_stations[r];
        char number[16];
        std::snprintf(number, sizeof number, "%4d", r);
        text += number;
        if (block.HasColumn(1)) text += "\t" + Name(s);
        for (int k = 2; k < kStationListColumns; ++k)
            if (block.HasColumn(k)) text += Fixed("\t%14.5f", Field(s, k));
        text += '\n';
    }
    return text;
}

void CopyStationTable(const GridSelection& selection) {
    const std::string text = StationListCopyText(selection);
    if (!text.empty()) PutTableOnClipboard(text);
}

int32_t PasteStationText(const std::string& text) {
    int32_t appended = 0;
    for (const std::string& line : PastedTableLines(text)) {
        const std::vector<std::string> f = SplitTableFields(line);
        if (!NumericFieldsParse(f, 1, 7)) continue;  // a heading
        if (!EnsureStationRoom(10)) break;
        StationRecord& s = g_stations[Count() + 1];
        std::memset(&s, 0, sizeof s);
        s.kind = 2;
        SetName(s, f.empty() ? "" : TrimBlanks(f[0]), kShownNameBytes);
        for (int32_t col = 2; col < kStationListColumns; ++col)
            if (static_cast<size_t>(col - 1) < f.size())
                SetField(s, col, FieldNumber(TrimBlanks(f[col - 1])));
        g_stationCount = Count() + 1;
        ++appended;
    }
    if (appended > 0) ShowAllKeepSettings();
    Repaint();
    return appended;
}

int32_t PasteStationTable() {
    const std::string text = TakeTableFromClipboard();
    if (text.empty()) return 0;
    return PasteStationText(text);
}

void SelectStationListRow(const GridSelection& sel, bool marksPresent) {
    if (SelectListRow(sel, Count(), g_currentStation) && !marksPresent) {
        g_redrawMask = 0;
        QuickRepaintView();
    }
}

StationCellStore CommitStationListCell(int32_t row, int32_t col, const std::string& typed,
                                       const std::string& nameCell) {
    const size_t start = typed.find_first_not_of(' ');
    const std::string text = start == std::string::npos ? std::string() : typed.substr(start);
    const double value = FieldNumber(text);
    const int32_t n = Count();
    g_currentStation = row >= 1 && row <= n ? row : 0;
    if (row >= 1 && row <= n) {
        if (col < 1 || col >= kStationListColumns) return StationCellStore::kNothing;
        StationRecord s = g_stations[row];
        if (col == 1)
            SetName(s, text, kNameBytes);
        else
            SetField(s, col, value);
        g_stations[row] = s;
        Repaint();
        return StationCellStore::kStored;
    }
    if (row != n + 1 || text.empty()) return StationCellStore::kNothing;
    if (col == 1) return StationCellStore::kNameOnly;
    if (col != 2 || !EnsureStationRoom(10)) return StationCellStore::kNothing;
    StationRecord& s = g_stations[n + 1];
    std::memset(&s, 0, sizeof s);
    s.kind = 2;
    s.number = n + 1;
    SetName(s, TrimBlanks(nameCell), kNameBytes);
    s.addedDistance = value;
    g_stationCount = n + 1;
    return StationCellStore::kAppended;
}

bool InsertStationListRow(const GridSelection& sel) {
    const int32_t n = Count();
    const int32_t first = ListInsertionRow(sel, n);
    if (first <= 0 || !EnsureStationRoom(2)) return false;
    if (first <= n) {
        for (int32_t k = n; k >= first; --k) g_stations[k + 1] = g_stations[k];
    } else {
        // Below the last station: a new, empty station after it.
        StationRecord& s = g_stations[n + 1];
        std::memset(&s, 0, sizeof s);
        s.kind = 2;
        s.number = n + 1;
    }
    g_stationCount = n + 1;
    return true;
}

bool DeleteMarkedStations(const std::vector<bool>& marked) {
    if (Count() < 1) return false;
    const bool changed = KeepStations(
        [&](int32_t i) { return !(static_cast<size_t>(i) < marked.size() && marked[i]); });
    Repaint();
    return changed;
}

bool DeleteStationListRows(const GridSelection& sel) {
    const int32_t n = Count();
    if (!ListDeletionAllowed(sel, n)) return false;
    const int32_t first = sel.FirstRow(), last = sel.LastRow();
    if (first > n) return false;
    KeepStations([&](int32_t i) { return i < first || i > last; });
    Repaint();
    return true;
}

bool DeleteAllStations() {
    if (ShowMessage("路線データを全て削除します。よろしいですか？", "",
                    msg::kYesNo | msg::kIconQuestion) == msg::kIdNo)
        return false;
    g_stationCount = 0;
    g_currentStation = 0;
    Repaint();
    return true;
}

void SwapStationSides() {
    for (int32_t i = 1; i <= Count(); ++i) {
        StationRecord& s = g_stations[i];
        std::swap(s.leftX, s.rightX);
        std::swap(s.leftY, s.rightY);
    }
    Repaint();
}
