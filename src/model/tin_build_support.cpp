#include "model/tin_build_support.h"

#include <algorithm>
#include <new>
#include <optional>

#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "view/view_state.h"

namespace {
TinBuildResult g_lastResult = TinBuildResult::kNothingDone;
}  // namespace

bool g_tinBuildRunning = false;

TinBuildResult LastTinBuildResult() { return g_lastResult; }
void SetLastTinBuildResult(TinBuildResult result) { g_lastResult = result; }

bool TinBuildPoll::Poll(int32_t count) {
    // The clock is read only now and then; a poll interval of 0 (tests) polls every time.
    if ((++m_calls & 63) != 0 && LongLoopPollInterval() > 0) return true;
    const uint32_t now = TickCount();
    if (now - m_last < LongLoopPollInterval()) return true;
    m_last = now;
    // The array stays closed at every poll, so whatever runs in between sees whole records.
    g_tinEdgeCount = count;
    SetTinEndRecord();
    RefreshProgressWindow();
    const int answer =
        AskToStopWhenRequested("三角網計算を中止してよろしいですか", msg::kOkCancel | msg::kIconQuestion);
    if (answer == msg::kIdOk) return false;
    if (answer != 0) InvalidateAndUpdateView();
    if (IsKeyDown(key::kMouseLeft)) {
        if (leftButtonNote) ShowProgressNote(leftButtonNote(now - m_start));
        PublishPartialTin(count);
    }
    if (shiftNote && IsKeyDown(key::kShift)) ShowProgressNote(shiftNote());
    PumpOneMessage();
    return true;
}

void PublishPartialTin(int32_t count) {
    g_tinEdgeCount = count;
    SetTinEndRecord();
    g_showTin = -1;
    g_tinPresent = -1;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

bool CopyOutlineForBuild(std::vector<int32_t>& outline, int32_t& count) {
    const int32_t n = g_outline.Count();
    if (n < 3 || n > kIndexListMaxVertices) return false;
    count = n;
    outline.assign(n + 2, 0);
    for (int32_t i = 1; i <= n; ++i) {
        const int32_t p = g_outline[i];
        if (p < 1 || p > g_pointCount) return false;
        outline[i] = p;
    }
    outline[n + 1] = outline[1];
    return true;
}

namespace {
// The TIN as a build found it, put back when the build does not complete.
class TinBeforeBuild {
public:
    TinBeforeBuild()
        : m_count(std::clamp(g_tinEdgeCount, 0, std::max(g_tinEdgesBlock.Size() - 2, 0))),
          m_present(g_tinPresent),
          m_showTin(g_showTin) {
        if (m_count > 0) m_records.assign(g_tinEdges + 1, g_tinEdges + 1 + m_count);
    }
    void Restore() const {
        // The block only grows while building, so the records fit where they came from.
        if (m_count > 0) std::copy(m_records.begin(), m_records.end(), g_tinEdges + 1);
        g_tinEdgeCount = m_count;
        SetTinEndRecord();
        g_tinPresent = m_count > 0 ? m_present : 0;
        g_showTin = m_showTin;
        g_redrawMask = -1;
        InvalidateAndUpdateView();
    }

private:
    int32_t m_count;
    int32_t m_present;
    int32_t m_showTin;
    std::vector<TinEdge> m_records;
};

bool BuildFailed(TinBuildResult result) {
    return result != TinBuildResult::kComplete && result != TinBuildResult::kNothingDone;
}
}  // namespace

void RunTinBuild(const std::function<TinBuildResult(bool* openedWindow)>& build) {
    if (g_tinBuildRunning) return;
    std::optional<TinBeforeBuild> before;
    try {
        before.emplace();
    } catch (const std::bad_alloc&) {
        ShowMessage("三角網計算の作業用メモリ確保に失敗しました。", "", msg::kOk | msg::kIconError);
        SetLastTinBuildResult(TinBuildResult::kNothingDone);
        return;
    }
    g_tinBuildRunning = true;
    bool openedWindow = false;
    TinBuildResult result = TinBuildResult::kNothingDone;
    try {
        result = build(&openedWindow);
    } catch (...) {
        g_tinBuildRunning = false;
        before->Restore();
        if (openedWindow) CloseProgressWindow();
        throw;
    }
    if (BuildFailed(result)) before->Restore();
    SetLastTinBuildResult(result);
    g_tinBuildRunning = false;
    if (openedWindow) CloseProgressWindow();
}
