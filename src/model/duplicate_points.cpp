#include "model/duplicate_points.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "model/numeric_text.h"
#include "model/outline_edit.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/status_text.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/view_state.h"

namespace {

DupPointChooser g_chooser;

// One valid point in the sort: its X and its number.
struct SortEntry {
    double x;
    int32_t point;
    int32_t unused;
};
static_assert(sizeof(SortEntry) == 16);

constexpr int32_t kFree = 0;
constexpr int32_t kGrouped = 1;  // to be removed or made invalid
constexpr int32_t kKept = 9;     // the kept member (marking only)

// The sort and the sweep that the three routines share.
class DuplicateGrouping {
public:
    explicit DuplicateGrouping(double tolerance) : m_tolerance(tolerance) {}

    // Work arrays; false when there is no memory for them.
    bool Allocate() {
        try {
            m_entries.reserve(static_cast<size_t>(g_pointCount));
            m_marks.assign(static_cast<size_t>(g_pointCount) + 1, kFree);
            m_group.reserve(16);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    void Sort() {
        for (int32_t p = 1; p <= g_pointCount; ++p)
            if (g_points[p].invalid == 0) m_entries.push_back(SortEntry{g_points[p].x, p, 0});
        // Equal X keep the order of their numbers, so every run groups alike.
        std::stable_sort(
            m_entries.begin(), m_entries.end(),
            [](const SortEntry& a, const SortEntry& b) { return CompareXDescending(&a, &b) < 0; });
    }

    size_t Entries() const { return m_entries.size(); }

    // The group that starts at entry i (only its first point when it has no partner). The
    // members after the first get the grouped mark.
    const std::vector<int32_t>& GroupAt(size_t i) {
        m_group.clear();
        const int32_t p = m_entries[i].point;
        if (m_marks[p] != kFree) return m_group;
        m_group.push_back(p);
        const double xp = m_entries[i].x, yp = g_points[p].y;
        for (size_t j = i + 1; j < m_entries.size(); ++j) {
            if (std::fabs(m_entries[j].x - xp) > m_tolerance) break;
            const int32_t q = m_entries[j].point;
            if (m_marks[q] == kFree && std::fabs(g_points[q].y - yp) <= m_tolerance) {
                m_group.push_back(q);
                m_marks[q] = kGrouped;
            }
        }
        return m_group;
    }

    int32_t& Mark(int32_t p) { return m_marks[p]; }

    // Removes every record marked as grouped, moving the later ones down in order.
    void RemoveGrouped() {
        int32_t kept = 0;
        for (int32_t p = 1; p <= g_pointCount; ++p) {
            if (m_marks[p] == kGrouped) continue;
            if (++kept != p) g_points[kept] = g_points[p];
        }
        g_pointCount = kept;
        SetPointEndMarker();
    }

private:
    double m_tolerance;
    std::vector<SortEntry> m_entries;
    std::vector<int32_t> m_marks;
    std::vector<int32_t> m_group;
};

// The member of highest (or lowest) elevation, the first of equals.
int32_t ByElevation(const std::vector<int32_t>& group, bool highest) {
    int32_t best = group.front();
    for (int32_t q : group)
        if (highest ? g_points[q].z > g_points[best].z : g_points[q].z < g_points[best].z) best = q;
    return best;
}

// The kept data go to the group's first slot; the other slot, holding the first point's
// data, is removed with the rest of the group.
void KeepInFirstSlot(DuplicateGrouping& grouping, const std::vector<int32_t>& group, int32_t keep) {
    const int32_t first = group.front();
    if (keep != first) {
        const RandomPoint moved = g_points[first];
        g_points[first] = g_points[keep];
        g_points[keep] = moved;
    }
    grouping.Mark(first) = kFree;
}

// The outline and the TIN refer to point numbers that changed.
void ForgetOutlineAndTin() {
    ClearOutline();
    g_tinPresent = 0;
    g_tinEdgeCount = 0;
    SetTinEndRecord();
}

}  // namespace

int CompareXDescending(const void* a, const void* b) {
    const double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
    if (x < y) return 1;
    if (x > y) return -1;
    return 0;
}

void SetDupPointChooser(DupPointChooser chooser) { g_chooser = std::move(chooser); }

void CheckDuplicatePoints(int32_t keepRule) {
    // The data-changed flag is only ever raised here: a check that finds nothing leaves
    // earlier unsaved changes marked.
    DuplicateGrouping grouping(g_dupTolerance);
    if (!grouping.Allocate()) {
        ShowMessage("メモリ不足で実行できません。", "", msg::kOk | msg::kIconError);
        return;
    }
    g_sortProgress = 0;
    const bool openedWindow = OpenProgressWindow(progress::kSortPoints, "ランダム点ソート中");
    grouping.Sort();
    if (g_progressWnd) g_progressWnd->SetCaption("重複点チェック中");

    int64_t duplicates = 0;
    bool resolved = false;
    bool stopped = false;
    uint32_t lastPoll = TickCount();
    const size_t entries = grouping.Entries();
    for (size_t i = 0; i + 1 < entries && !stopped; ++i) {
        ++g_sortProgress;
        bool stopAsked = false;
        const uint32_t now = TickCount();
        if (now - lastPoll >= LongLoopPollInterval()) {
            lastPoll = now;
            RefreshProgressWindow();
            PumpOneMessage();
            stopAsked = StopKeyPressed();
        }
        const std::vector<int32_t>& group = grouping.GroupAt(i);
        if (group.size() > 1) {
            int32_t keep = group.front();
            if (keepRule == kKeepHighest) {
                keep = ByElevation(group, true);
            } else if (keepRule == kKeepLowest) {
                keep = ByElevation(group, false);
            } else if (keepRule == kKeepAsk && g_chooser) {
                const int32_t row = g_chooser(group);
                if (row == -2) {
                    stopped = true;
                    break;
                }
                if (row >= 0 && row < static_cast<int32_t>(group.size())) keep = group[row];
            }
            KeepInFirstSlot(grouping, group, keep);
            resolved = true;
            duplicates += static_cast<int64_t>(group.size()) - 1;
            stopAsked = stopAsked || StopKeyPressed();
        }
        if (stopAsked) {
            if (ShowMessage("重複点チェックを中止してよろしいですか", "",
                            msg::kOkCancel | msg::kIconQuestion) == msg::kIdOk)
                stopped = true;
            ForgetStopKey();  // a key still held after the answer does not ask again
        }
    }

    if (stopped) {
        // Nothing is removed; groups resolved so far stay exchanged.
        if (openedWindow) CloseProgressWindow();
        if (resolved) {
            for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].outside = g_points[p].flags = 0;
            ForgetOutlineAndTin();
            g_dataChanged = 1;
        }
        return;
    }
    grouping.RemoveGrouped();
    if (openedWindow) CloseProgressWindow();
    if (duplicates > 0)
        ShowMessage(
            FormatString("重複点がありました。\n重複点数 [%5ld]", static_cast<long>(duplicates)),
            "", msg::kOk | msg::kIconInformation | msg::kSystemModal);
    else
        ShowMessage(FormatString("重複点はありませんでした。\n全点数 [%5ld]",
                                 static_cast<long>(g_pointCount)),
                    "", msg::kOk | msg::kIconInformation | msg::kSystemModal);
    if (resolved) {
        for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].outside = g_points[p].flags = 0;
        ForgetOutlineAndTin();
        g_dataChanged = 1;
    }
}

void RemoveDuplicatePoints(double tolerance, int32_t keepRule) {
    DuplicateGrouping grouping(tolerance);
    if (!grouping.Allocate()) return;
    g_progressMode = progress::kSortPoints;
    g_sortProgress = 0;
    SetStatusText("ランダム点ソート中...");
    g_dupTolerance = tolerance;
    grouping.Sort();
    SetStatusText("重複点チェック中...");
    int64_t duplicates = 0;
    for (size_t i = 0; i + 1 < grouping.Entries(); ++i) {
        ++g_sortProgress;
        const std::vector<int32_t>& group = grouping.GroupAt(i);
        if (group.size() < 2) continue;
        int32_t keep = group.front();
        if (keepRule == kKeepHighest)
            keep = ByElevation(group, true);
        else if (keepRule == kKeepLowest)
            keep = ByElevation(group, false);
        KeepInFirstSlot(grouping, group, keep);
        duplicates += static_cast<int64_t>(group.size()) - 1;
    }
    grouping.RemoveGrouped();
    SetStatusText(FormatString("重複点数 [%5ld]", static_cast<long>(duplicates)));
    if (duplicates > 0) {
        for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].outside = g_points[p].flags = 0;
        g_tinPresent = 0;
        g_tinEdgeCount = 0;
        SetTinEndRecord();
        g_dataChanged = 1;
    }
}

void FindDuplicatePoints(ProgressWindow* window, int32_t mode, double tolerance) {
    int32_t valid = 0;
    for (int32_t p = 1; p <= g_pointCount && valid < 2; ++p) valid += g_points[p].invalid == 0;
    if (valid < 2) return;
    DuplicateGrouping grouping(tolerance);
    if (!grouping.Allocate()) {
        ShowMessage("Failed on Memory operation !!", "", msg::kOk | msg::kIconError);
        return;
    }
    g_sortProgress = 0;
    if (window) window->ShowNote("Sorting...");
    grouping.Sort();
    bool changed = false;
    uint32_t lastPoll = TickCount();
    for (size_t i = 0; i + 1 < grouping.Entries(); ++i) {
        ++g_sortProgress;
        bool qHeld = false;
        if (window) {
            const uint32_t now = TickCount();
            if (now - lastPoll >= LongLoopPollInterval()) {
                lastPoll = now;
                qHeld = IsKeyDown('Q');
                window->ShowNote(FormatString("%6d/% d", static_cast<int>(i + 1), g_pointCount));
            }
        }
        const std::vector<int32_t>& group = grouping.GroupAt(i);
        if (group.size() < 2) continue;
        grouping.Mark(group.front()) = kGrouped;
        const int32_t keep = mode == 0   ? ByElevation(group, true)
                             : mode == 1 ? ByElevation(group, false)
                                         : group.front();
        grouping.Mark(keep) = kKept;
        if (!qHeld) changed = true;
    }
    if (window) window->ShowNote(" ");
    for (int32_t p = 1; p <= g_pointCount; ++p)
        if (grouping.Mark(p) == kGrouped) g_points[p].invalid = 3;
    if (changed) g_dataChanged = 1;
}

DuplicateCheckValues OpenDuplicateCheckDialog() {
    DuplicateCheckValues values;
    values.keepRule = kKeepAsk;
    values.distance = g_dupTolerance;
    values.distanceText = FormatString("%.3f", values.distance);
    return values;
}

void DuplicateDistanceLeft(DuplicateCheckValues& values) {
    double typed = 0;
    if (ParseDialogNumber(values.distanceText, &typed) && std::fabs(typed) >= 0.001)
        values.distance = std::fabs(typed);
    values.distanceText = FormatString("%.3f", values.distance);
}

void OnDuplicateCheck(const std::function<bool(DuplicateCheckValues&)>& runDialog) {
    if (IsProgressWindowOpen() || !runDialog) return;
    CloseToolWindows();
    ResetToolMode();
    // A pick left from the previous tool would stay marked over the renumbered points.
    ClearPickedPoints();
    DuplicateCheckValues values = OpenDuplicateCheckDialog();
    if (!runDialog(values)) return;
    g_dupTolerance = values.distance;
    CheckDuplicatePoints(values.keepRule);
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
