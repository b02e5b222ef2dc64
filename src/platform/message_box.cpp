#include "platform/message_box.h"

#include <deque>

namespace {
MessageHandler g_handler;
std::deque<int> g_queuedAnswers;
std::vector<RecordedMessage> g_recorded;
size_t g_shownCount = 0;
constexpr size_t kRecordedKept = 4096;
}  // namespace

int DefaultAnswer(int buttons) {
    const int set = buttons & msg::kButtonMask;
    const int def = (buttons & msg::kDefButtonMask) >> 8;  // 0 first, 1 second, 2 third
    switch (set) {
        case msg::kOkCancel: return def == 1 ? msg::kIdCancel : msg::kIdOk;
        case msg::kYesNoCancel: return def == 1 ? msg::kIdNo : def == 2 ? msg::kIdCancel : msg::kIdYes;
        case msg::kYesNo: return def == 1 ? msg::kIdNo : msg::kIdYes;
        case msg::kRetryCancel: return def == 1 ? msg::kIdCancel : msg::kIdRetry;
        default: return msg::kIdOk;
    }
}

int ShowMessage(const std::string& text, const std::string& caption, int buttons) {
    int answer;
    if (g_handler) {
        answer = g_handler(text, caption, buttons);
    } else if (!g_queuedAnswers.empty()) {
        answer = g_queuedAnswers.front();
        g_queuedAnswers.pop_front();
    } else {
        answer = DefaultAnswer(buttons);
    }
    if (g_recorded.size() >= kRecordedKept)
        g_recorded.erase(g_recorded.begin(), g_recorded.begin() + kRecordedKept / 2);
    g_recorded.push_back({text, caption, buttons, answer});
    ++g_shownCount;
    return answer;
}

void SetMessageHandler(MessageHandler handler) { g_handler = std::move(handler); }
void QueueMessageAnswer(int answer) { g_queuedAnswers.push_back(answer); }
const std::vector<RecordedMessage>& RecordedMessages() { return g_recorded; }
size_t ShownMessageCount() { return g_shownCount; }
void ClearRecordedMessages() {
    g_recorded.clear();
    g_queuedAnswers.clear();
}
