#include "contour/level_loop_poll.h"

#include "model/progress.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "view/view_state.h"

LevelLoopPoll::LevelLoopPoll(const char* question) : m_question(question), m_last(TickCount()) {}

bool LevelLoopPoll::Poll() {
    const uint32_t now = TickCount();
    if (LongLoopPollInterval() > 0 && now - m_last <= LongLoopPollInterval()) return true;
    m_last = now;
    if (IsProgressWindowOpen()) {
        const int answer = AskToStopWhenRequested(m_question, msg::kYesNo | msg::kIconQuestion);
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
