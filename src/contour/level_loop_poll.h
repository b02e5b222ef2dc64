#pragma once
// The poll of the contour and slice level loops.
#include <cstdint>

// At most every LongLoopPollInterval() ms: refreshes the progress window, asks `question`
// when the stop key was pressed (or the window closed) and passes one message on. Poll()
// is false when stopping is confirmed; the window is then closed and the view repainted.
class LevelLoopPoll {
public:
    explicit LevelLoopPoll(const char* question);
    bool Poll();

private:
    const char* m_question;
    uint32_t m_last;
};
