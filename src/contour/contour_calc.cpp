#include "contour/contour_calc.h"

#include <cmath>
#include <cstdio>

#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_files.h"
#include "view/view_state.h"

namespace {
ContourReplaceQuestion g_replaceQuestion;
std::vector<double> g_skippedLevels;

bool LineFileExists() {
    std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

// The level loop's poll: at most every LongLoopPollInterval() ms refresh the window, ask
// about stopping when the stop key was pressed (or the window closed) and pass one message
// on. False when stopping is confirmed.
class ContourPoll {
public:
    bool Poll() {
        const uint32_t now = TickCount();
        if (LongLoopPollInterval() > 0 && now - m_last <= LongLoopPollInterval()) return true;
        m_last = now;
        if (IsProgressWindowOpen()) {
            const int answer = AskToStopWhenRequested("等高線計算を中止してよろしいですか",
                                                      msg::kYesNo | msg::kIconQuestion);
            if (answer != 0 && answer != msg::kIdNo) {
                g_redrawMask = -1;
                InvalidateAndUpdateView();
                CloseProgressWindow();
                return false;
            }
        }
        RefreshProgressWindow();
        PumpOneMessage();
        return true;
    }

private:
    uint32_t m_last = TickCount();
};

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

// Says why the current parameters give no level to trace; false then.
bool CheckLevels(LevelSteps* steps) {
    const char* problem = nullptr;
    if (!std::isfinite(g_contourMinZ) || !std::isfinite(g_contourMaxZ))
        problem = "最低・最高標高が正しくありません。";
    else if (!std::isfinite(g_contourInterval) || !(g_contourInterval > 0))
        problem = "主曲線間隔が正しくありません。";
    else if (!ContourLevelsUsable(g_contourMinZ, g_contourMaxZ, g_contourInterval))
        problem = "主曲線間隔が標高値に対して小さすぎます。";
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

void SetContourReplaceQuestion(ContourReplaceQuestion question) {
    g_replaceQuestion = std::move(question);
}

const std::vector<double>& SkippedContourLevels() { return g_skippedLevels; }

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
    if (!ws.Allocate()) {
        ShowMessage(
            "スプライン計算領域が不足しています。\n点数を減らして保存し、再度読み込んで"
            "再計算してみてください。",
            "", msg::kOk | msg::kIconWarning);
        return ContourCalcResult::kNoMemory;
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
    ContourPoll poll;
    ContourCalcResult result = ContourCalcResult::kDone;
    // Levels are counted, never summed: a sum can stall or drift.
    for (int64_t k = steps.first; k <= steps.last; ++k) {
        const double level = steps.Level(k);
        g_contourCurrentLevel = level;
        if (!poll.Poll()) {
            result = ContourCalcResult::kStopped;
            break;
        }
        if (TraceContourLevel(ws, level + tolerance) == 0)
            WriteContourLevel(ws, level, out, method, smoothness);
        else
            g_skippedLevels.push_back(level);
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
