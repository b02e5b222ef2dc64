#include "contour/contour_calc.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "contour/level_loop_poll.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_files.h"
#include "view/view_state.h"

namespace {
constexpr char kLineLimitMessage[] =
    "等高線ライン数が制限に達しました。\nなめらかさの数値を大きくして再計算してください。";
// More workers gain little: the lines are written on one thread.
constexpr int32_t kMostContourWorkers = 4;

ContourReplaceQuestion g_replaceQuestion;
std::vector<double> g_skippedLevels;
int32_t g_contourThreads = 0;

bool LineFileExists() {
    std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

// The levels minZ + k * interval, k = first..last, that lie within maxZ and zLow..zHigh.
struct LevelSteps {
    double minZ = 0, interval = 0;
    int64_t first = 0, last = -1;
    double Level(int64_t k) const { return minZ + static_cast<double>(k) * interval; }
    int64_t Count() const { return last >= first ? last - first + 1 : 0; }
};

// Needs ContourLevelsUsable(minZ, maxZ, interval) and finite zLow, zHigh.
LevelSteps CountLevels(double minZ, double maxZ, double interval, double zLow, double zHigh) {
    LevelSteps s;
    s.minZ = minZ;
    s.interval = interval;
    const double top = std::min(maxZ, zHigh);
    const double first = std::max(0.0, std::ceil((zLow - minZ) / interval));
    const double last = std::floor((top - minZ) / interval);
    // A usable interval keeps the count of levels up to maxZ well inside int64.
    if (!(last >= first)) return s;
    s.first = static_cast<int64_t>(first);
    s.last = static_cast<int64_t>(last);
    // The quotients are rounded: settle the ends on the levels themselves.
    while (s.first > 0 && s.Level(s.first - 1) >= zLow) --s.first;
    while (s.first <= s.last && s.Level(s.first) < zLow) ++s.first;
    while (s.last >= s.first && s.Level(s.last) > top) --s.last;
    while (s.Level(s.last + 1) <= top) ++s.last;
    return s;
}

// The levels' lines worked out ahead on worker threads, each with a workspace of its own,
// and handed over in level order, so the files come out as from one thread. Without
// workers each level is worked out when it is taken. The workers only read the points and
// the TIN, which no command changes while the progress window is open.
class LevelPipeline {
public:
    struct Result {
        ContourFileWriter lines;  // in memory
        bool skipped = false;     // the trace did not fit
        int32_t lineLimitHits = 0;
        bool ready = false;
        std::exception_ptr error;
    };

    LevelPipeline(ContourWorkspace& ws, const LevelSteps& steps, double tolerance, int32_t method,
                  double smoothness)
        : m_ws(ws),
          m_steps(steps),
          m_tolerance(tolerance),
          m_method(method),
          m_smoothness(smoothness),
          m_next(steps.first),
          m_committed(steps.first) {}
    ~LevelPipeline() { Stop(); }

    // Starts up to `workers` threads, as many as workspaces can be had for.
    void Start(int32_t workers) {
        for (int32_t i = 0; i < workers; ++i) {
            auto space = std::make_unique<ContourWorkspace>();
            if (!space->AllocateTrace() || (m_method != 0 && !space->AllocateSmoothing())) break;
            ShareContourEdgeIndex(m_ws, *space);
            m_spaces.push_back(std::move(space));
        }
        const size_t slots = m_spaces.empty() ? 1 : m_spaces.size() + 2;
        for (size_t i = 0; i < slots; ++i) {
            m_slots.push_back(std::make_unique<Result>());
            m_slots.back()->lines.OpenInMemory();
        }
        for (auto& space : m_spaces) m_threads.emplace_back([this, &space] { Work(*space); });
    }

    // The lines of level k, the level after the last one released. While they are being
    // worked out, keepWaiting is asked every pollMs (never with 0); null when it says no.
    Result* Take(int64_t k, const std::function<bool()>& keepWaiting, uint32_t pollMs) {
        Result& r = *m_slots[Slot(k)];
        if (m_threads.empty()) {
            Produce(m_ws, k, r);
        } else {
            std::unique_lock lock(m_mutex);
            while (!r.ready) {
                if (pollMs == 0) {
                    m_done.wait(lock);
                    continue;
                }
                m_done.wait_for(lock, std::chrono::milliseconds(pollMs));
                if (r.ready) break;
                lock.unlock();
                const bool go = keepWaiting();
                lock.lock();
                if (!go) return nullptr;
            }
        }
        if (r.error) std::rethrow_exception(r.error);
        return &r;
    }

    // The lines of level k are taken: its slot is free for a later level.
    void Release(int64_t k) {
        Result& r = *m_slots[Slot(k)];
        std::lock_guard lock(m_mutex);
        r.ready = false;
        r.skipped = false;
        r.lineLimitHits = 0;
        m_committed = k + 1;
        m_room.notify_all();
    }

private:
    void Produce(ContourWorkspace& ws, int64_t k, Result& r) {
        const double level = m_steps.Level(k);
        ws.lineLimitHits = 0;
        r.skipped = TraceContourLevelUnmarked(ws, level + m_tolerance) != 0;
        if (!r.skipped) WriteContourLevel(ws, level, r.lines, m_method, m_smoothness);
        r.lineLimitHits = ws.lineLimitHits;
    }

    void Work(ContourWorkspace& ws) {
        const int64_t slots = static_cast<int64_t>(m_slots.size());
        for (;;) {
            int64_t k;
            {
                std::unique_lock lock(m_mutex);
                m_room.wait(lock, [&] {
                    return m_stop || m_next > m_steps.last || m_next < m_committed + slots;
                });
                if (m_stop || m_next > m_steps.last) return;
                k = m_next++;
            }
            Result& r = *m_slots[Slot(k)];
            try {
                Produce(ws, k, r);
            } catch (...) {
                r.error = std::current_exception();
            }
            {
                std::lock_guard lock(m_mutex);
                r.ready = true;
            }
            m_done.notify_all();
        }
    }

    void Stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_room.notify_all();
        for (std::thread& t : m_threads) t.join();
        m_threads.clear();
    }

    size_t Slot(int64_t k) const {
        return static_cast<size_t>((k - m_steps.first) % static_cast<int64_t>(m_slots.size()));
    }

    ContourWorkspace& m_ws;
    const LevelSteps m_steps;
    const double m_tolerance;
    const int32_t m_method;
    const double m_smoothness;
    std::vector<std::unique_ptr<ContourWorkspace>> m_spaces;
    std::vector<std::unique_ptr<Result>> m_slots;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_room;  // a slot came free, or stop
    std::condition_variable m_done;  // a level is ready
    int64_t m_next;                  // the next level a worker takes
    int64_t m_committed;             // levels before this one are released
    bool m_stop = false;
};

// Worker threads for a calculation of `levels` levels; 0 works them on the calling thread.
int32_t WorkerCount(int64_t levels) {
    const int64_t threads =
        g_contourThreads > 0
            ? g_contourThreads
            : std::min<int64_t>(std::thread::hardware_concurrency(), kMostContourWorkers);
    if (threads <= 1 || levels <= 1) return 0;
    return static_cast<int32_t>(std::min(threads, levels));
}

// Says why the current parameters give no level to trace; false then.
bool CheckLevels(LevelSteps* steps) {
    const char* problem = nullptr;
    if (!std::isfinite(g_contourMinZ) || !std::isfinite(g_contourMaxZ))
        problem = "最低・最高標高が正しくありません。";
    else if (!std::isfinite(g_contourInterval) || !(g_contourInterval > 0))
        problem = "主曲線間隔が正しくありません。";
    else if (!ContourLevelsUsable(g_contourMinZ, g_contourMaxZ, g_contourInterval))
        problem = "主曲線間隔が標高値に対して小さすぎます。";
    else if (!ContourToleranceUsable(g_contourLevelTolerance))
        problem = kContourToleranceMessage;
    if (problem) {
        ShowMessage(problem, "", msg::kOk | msg::kIconWarning);
        return false;
    }
    *steps = CountLevels(g_contourMinZ, g_contourMaxZ, g_contourInterval, g_pointZMin, g_pointZMax);
    return true;
}

std::string FormatLevels(const std::vector<double>& levels) {
    std::string text;
    for (size_t i = 0; i < levels.size() && i < 20; ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%.3f", i ? ", " : "", levels[i]);
        text += buf;
    }
    if (levels.size() > 20) text += ", ...";
    return text;
}
}  // namespace

bool ContourToleranceUsable(double tolerance) { return std::isfinite(tolerance) && tolerance != 0; }

void SetContourReplaceQuestion(ContourReplaceQuestion question) {
    g_replaceQuestion = std::move(question);
}

const std::vector<double>& SkippedContourLevels() { return g_skippedLevels; }

void SetContourThreads(int32_t threads) { g_contourThreads = threads; }

ContourCalcResult CalcContours(int32_t method) {
    // The poll passes messages on: a start from there must not run inside this one.
    static bool running = false;
    if (running || IsProgressWindowOpen()) return ContourCalcResult::kBusy;
    g_skippedLevels.clear();
    if (g_tinPresent == 0) {
        ShowMessage("三角網作成が終了していません。", "", msg::kOk | msg::kIconQuestion);
        return ContourCalcResult::kNoTin;
    }
    LevelSteps steps;
    if (!CheckLevels(&steps)) return ContourCalcResult::kBadInterval;
    const int64_t count = steps.Count();
    if (count == 0) {
        ShowMessage(FormatString("計算する等高線がありません。\n点の標高 %.3f ～ %.3f m の間に"
                                 "等高線が入るように設定してください。",
                                 g_pointZMin, g_pointZMax),
                    "", msg::kOk | msg::kIconInformation);
        return ContourCalcResult::kNoLevel;
    }
    if (count > kContourLevelsAskAbove &&
        ShowMessage(FormatString("等高線の標高数が %lld になります。\n計算に時間がかかりますが"
                                 "よろしいですか",
                                 static_cast<long long>(count)),
                    "", msg::kYesNo | msg::kIconQuestion) != msg::kIdYes)
        return ContourCalcResult::kCancelled;
    bool replace = true;
    if (LineFileExists()) {
        const int answer = g_replaceQuestion ? g_replaceQuestion() : 2;
        if (answer == 1)
            replace = false;
        else if (answer != 2)
            return ContourCalcResult::kCancelled;
    }
    ContourWorkspace ws;
    if (!ws.AllocateTrace()) {
        ShowMessage(
            "スプライン計算領域が不足しています。\n点数を減らして保存し、再度読み込んで"
            "再計算してみてください。",
            "", msg::kOk | msg::kIconWarning);
        return ContourCalcResult::kNoMemory;
    }
    // Straight lines need no smoothing buffers: without them the run still gives contours.
    if (!ws.AllocateSmoothing() && method != 0) {
        ShowMessage(
            "スプラインバッファ用メモリ確保に失敗しました。\n計算手法を簡易線に切り替えます。", "",
            msg::kOk | msg::kIconInformation);
        method = 0;
    }
    g_contourCurrentLevel = steps.Level(steps.first);
    ContourFileWriter out;
    if (!out.Open(replace)) {
        ShowMessage("等高線作業ファイルを作成できません。", "", msg::kOk | msg::kIconWarning);
        return ContourCalcResult::kFileError;
    }
    running = true;
    g_contourWorkspace = &ws;
    struct EndOfRun {
        bool& running;
        ~EndOfRun() {
            running = false;
            g_contourWorkspace = nullptr;
        }
    } endOfRun{running};
    // The dialog stays usable while the loop passes messages on: its edits take effect
    // with the next calculation.
    const double tolerance = g_contourLevelTolerance;
    const double smoothness = g_contourSmoothness;
    OpenProgressWindow(progress::kContourLevel, "等高線計算中");
    LevelLoopPoll poll("等高線計算を中止してよろしいですか");
    ContourCalcResult result = ContourCalcResult::kDone;
    {
        LevelPipeline levels(ws, steps, tolerance, method, smoothness);
        levels.Start(WorkerCount(count));
        // Levels are counted, never summed: a sum can stall or drift.
        for (int64_t k = steps.first; k <= steps.last; ++k) {
            const double level = steps.Level(k);
            g_contourCurrentLevel = level;
            if (!poll.Poll()) {
                result = ContourCalcResult::kStopped;
                break;
            }
            LevelPipeline::Result* lines = levels.Take(
                k, [&] { return poll.Poll(); }, LongLoopPollInterval());
            if (!lines) {
                result = ContourCalcResult::kStopped;
                break;
            }
            g_dataChanged = -1;
            if (lines->skipped) g_skippedLevels.push_back(level);
            out.Append(lines->lines);
            for (int32_t i = 0; i < lines->lineLimitHits; ++i)
                ShowMessage(kLineLimitMessage, "", msg::kOk | msg::kIconInformation);
            levels.Release(k);
        }
    }
    const bool written = out.Close();
    if (IsProgressWindowOpen()) CloseProgressWindow();
    if (!written) {
        ShowMessage("等高線作業ファイルの書き込みに失敗しました。", "",
                    msg::kOk | msg::kIconWarning);
        return ContourCalcResult::kFileError;
    }
    std::string done =
        result == ContourCalcResult::kStopped ? "等高線計算を中止しました。" : "等高線計算終了";
    if (!g_skippedLevels.empty())
        done += "\n点数が多すぎて計算できなかった標高: " + FormatLevels(g_skippedLevels);
    ShowMessage(done, "", msg::kOk | msg::kIconInformation | msg::kSystemModal);
    return result;
}
