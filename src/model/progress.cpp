#include "model/progress.h"

#include "model/terrain_data.h"
#include "platform/busy.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

int32_t g_progressMode = 0;
double g_contourCurrentLevel = 0.0;
int32_t g_sortProgress = 0;
int32_t g_progressCurrent = 0;
int32_t g_progressTotal = 0;
ProgressWindow* g_progressWnd = nullptr;
std::string g_progressCaption;
std::string g_progressCounter;
ProgressWindow* g_recordProgressWnd = nullptr;

namespace {
HeadlessProgressTexts g_headlessTexts;

// Keeps what a real window would show, so tests can read it.
class HeadlessProgressWindow : public ProgressWindow {
public:
    explicit HeadlessProgressWindow(ProgressWindowKind kind) : m_kind(kind) {
        if (m_kind == ProgressWindowKind::kMain) {
            g_headlessTexts = HeadlessProgressTexts{};
            g_headlessTexts.caption = "三角網計算中";
        }
    }
    ~HeadlessProgressWindow() override { ProgressWindowGone(this); }
    void Refresh() override {
        if (m_kind != ProgressWindowKind::kMain) return;
        g_headlessTexts.firstLine = ProgressFirstLine(g_progressMode);
        g_headlessTexts.secondLine = ProgressSecondLine(g_progressMode);
        ++g_headlessTexts.refreshCount;
    }
    void SetCaption(const std::string& utf8) override {
        if (m_kind == ProgressWindowKind::kMain) g_headlessTexts.caption = utf8;
    }
    void ShowNote(const std::string& utf8) override {
        if (m_kind == ProgressWindowKind::kMain) g_headlessTexts.note = utf8;
    }
    void Destroy() override { delete this; }

private:
    ProgressWindowKind m_kind;
};

ProgressWindowFactory g_factory;

ProgressWindow* MakeWindow(ProgressWindowKind kind) {
    if (g_factory) return g_factory(kind);
    return new HeadlessProgressWindow(kind);
}

std::string Cut255(std::string s) {
    if (s.size() > 255) s.resize(255);
    return s;
}
}  // namespace

std::string ProgressFirstLine(int32_t mode) {
    switch (mode) {
        case progress::kTinEdges: return FormatString("作成ライン数 %8ld", static_cast<long>(g_tinEdgeCount));
        case progress::kContourLevel: return FormatString("等高線標高 %10.3lf", g_contourCurrentLevel);
        case progress::kSortPoints:
            return FormatString(" [%6ld] / [%6ld]  ", static_cast<long>(g_sortProgress),
                                static_cast<long>(g_pointCount));
        case progress::kDxfOutput: return Cut255("ＤＸＦファイル出力中");
        case progress::kSimaOutput: return Cut255("ＳＩＭＡファイル出力中");
        case progress::kVolume: return Cut255("      体積計算中");
        case progress::kSunmapOutput: return Cut255(" SUNMAPファイル出力中");
        case progress::kDigitalMapImport: return Cut255(" 数値地図データ取り込み中");
        case progress::kTinData: return Cut255(" 三角網データ作成中");
        case progress::kTraceOutput: return Cut255(" カルドミアファイル出力中");
        case progress::kSurfaceArea: return Cut255("      表面積計算中");
        case progress::kHorizontalArea: return Cut255("     水平面積計算中");
        case progress::kRandomMerge: return Cut255("  ランダムデータ合成中");
        case progress::kOutlineSearch: return Cut255("       外周検索中");
        case progress::kMeshTextImport: return Cut255("メッシュテキストデータ取り込み中");
        case progress::kTinIntersection: return Cut255("      三角網交差計算中   ");
        default: return "";
    }
}

std::string ProgressSecondLine(int32_t mode) {
    switch (mode) {
        case progress::kTinEdges:
        case progress::kContourLevel:
        case progress::kSortPoints: return "[Qキー]:中止";
        case progress::kDigitalMapImport:
        case progress::kTinData:
        case progress::kMeshTextImport:
            return FormatString("レコード[%d]/[%d]", g_progressCurrent, g_progressTotal);
        default: return "";
    }
}

bool OpenProgressWindow(int32_t mode, const std::string& caption) {
    if (g_progressWnd) return false;
    ForgetStopKey();
    g_progressMode = mode;
    ProgressWindow* window = MakeWindow(ProgressWindowKind::kMain);
    if (!window) return false;
    g_progressWnd = window;
    SetBusy(true);
    if (!caption.empty()) window->SetCaption(caption);
    window->Refresh();
    return true;
}

void RefreshProgressWindow() {
    if (g_progressWnd) g_progressWnd->Refresh();
}

void ShowProgressNote(const std::string& utf8) {
    if (g_progressWnd) g_progressWnd->ShowNote(utf8);
}

void CloseProgressWindow() {
    ProgressWindow* window = g_progressWnd;
    if (!window) return;
    g_progressWnd = nullptr;
    window->Destroy();
    SetBusy(false);
}

void RequestProgressStop() { TapKey(kStopKey); }

int AskToStopWhenRequested(const std::string& question, int buttons) {
    if (!StopKeyPressed()) return 0;
    const int answer = ShowMessage(question, "", buttons);
    ForgetStopKey();
    return answer;
}

void OpenRecordProgressWindow() {
    if (g_recordProgressWnd) return;
    ForgetStopKey();
    g_recordProgressWnd = MakeWindow(ProgressWindowKind::kRecord);
    RefreshRecordProgressWindow();
}

void RefreshRecordProgressWindow() {
    if (g_recordProgressWnd) g_recordProgressWnd->Refresh();
}

void CloseRecordProgressWindow() {
    ProgressWindow* window = g_recordProgressWnd;
    g_recordProgressWnd = nullptr;
    if (window) window->Destroy();
}

std::string FormatRecordCounter(int32_t current, int32_t total) {
    return FormatString("[%6ld]/[%6ld]", static_cast<long>(current), static_cast<long>(total));
}

void SetProgressWindowFactory(ProgressWindowFactory factory) { g_factory = std::move(factory); }

void ProgressWindowGone(ProgressWindow* window) {
    if (window == nullptr) return;
    if (g_recordProgressWnd == window) g_recordProgressWnd = nullptr;
    if (g_progressWnd == window) {
        g_progressWnd = nullptr;
        SetBusy(false);
    }
}

const HeadlessProgressTexts& LastHeadlessProgressTexts() { return g_headlessTexts; }

namespace {
uint32_t g_pollInterval = 100;
}
uint32_t LongLoopPollInterval() { return g_pollInterval; }
void SetLongLoopPollInterval(uint32_t milliseconds) { g_pollInterval = milliseconds; }
