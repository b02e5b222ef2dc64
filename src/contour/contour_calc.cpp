#include "contour/contour_calc.h"

#include <cmath>
#include <cstdio>

#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
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
// about stopping while Q is held and pass one message on. False when stopping is confirmed.
class ContourPoll {
public:
    bool Poll() {
        const uint32_t now = TickCount();
        if (LongLoopPollInterval() > 0 && now - m_last <= LongLoopPollInterval()) return true;
        m_last = now;
        if (IsProgressWindowOpen() && IsKeyDown('Q')) {
            if (ShowMessage("等高線計算を中止してよろしいですか", "",
                            msg::kYesNo | msg::kIconQuestion) != msg::kIdNo) {
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
    g_skippedLevels.clear();
    if (g_tinPresent == 0) {
        ShowMessage("三角網作成が終了していません。", "", msg::kOk | msg::kIconQuestion);
        return ContourCalcResult::kNoTin;
    }
    // A damaged index file can bring a level step that would never advance.
    if (!(g_contourInterval > 0) || !std::isfinite(g_contourMinZ)) {
        ShowMessage("主曲線間隔が正しくありません。", "", msg::kOk | msg::kIconWarning);
        return ContourCalcResult::kBadInterval;
    }
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
    g_contourWorkspace = &ws;
    g_contourCurrentLevel = g_contourMinZ;
    ContourFileWriter out;
    if (!out.Open(replace)) {
        g_contourWorkspace = nullptr;
        ShowMessage("等高線作業ファイルを作成できません。", "", msg::kOk | msg::kIconWarning);
        return ContourCalcResult::kFileError;
    }
    OpenProgressWindow(progress::kContourLevel, "等高線計算中");
    ContourPoll poll;
    ContourCalcResult result = ContourCalcResult::kDone;
    for (;;) {
        if (!poll.Poll()) {
            result = ContourCalcResult::kStopped;
            break;
        }
        const double level = g_contourCurrentLevel;
        if (level > g_contourMaxZ || level > g_pointZMax) break;
        if (level >= g_pointZMin) {
            if (TraceContourLevel(ws, level + g_contourLevelTolerance) == 0)
                WriteContourLevel(ws, level, out, method, g_contourSmoothness);
            else
                g_skippedLevels.push_back(level);
        }
        g_contourCurrentLevel += g_contourInterval;
    }
    const bool written = out.Close();
    if (IsProgressWindowOpen()) CloseProgressWindow();
    g_contourWorkspace = nullptr;
    if (!written) {
        ShowMessage("等高線作業ファイルの書き込みに失敗しました。", "",
                    msg::kOk | msg::kIconWarning);
        return ContourCalcResult::kFileError;
    }
    std::string done = "等高線計算終了";
    if (!g_skippedLevels.empty())
        done += "\n点数が多すぎて計算できなかった標高: " + FormatLevels(g_skippedLevels);
    ShowMessage(done, "", msg::kOk | msg::kIconInformation | msg::kSystemModal);
    return result;
}
