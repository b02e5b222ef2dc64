#include "platform/busy.h"

#include <utility>
#include <vector>

namespace {
bool g_busy = false;
std::vector<std::pair<std::string, std::function<void()>>> g_waiting;
IdleDispatcher g_dispatcher;

void RunWaiting() {
    // A task may make the program busy again: whatever is left waits for that to end.
    while (!g_busy && !g_waiting.empty()) {
        auto task = std::move(g_waiting.front().second);
        g_waiting.erase(g_waiting.begin());
        task();
    }
}
}  // namespace

bool IsBusy() { return g_busy; }

void SetBusy(bool busy) {
    const bool ended = g_busy && !busy;
    g_busy = busy;
    if (!ended || g_waiting.empty()) return;
    if (g_dispatcher)
        g_dispatcher(RunWaiting);
    else
        RunWaiting();
}

void RunWhenIdle(const std::string& key, std::function<void()> task) {
    if (!g_busy && g_waiting.empty()) {
        task();
        return;
    }
    for (auto& waiting : g_waiting) {
        if (waiting.first == key) {
            waiting.second = std::move(task);
            return;
        }
    }
    g_waiting.emplace_back(key, std::move(task));
    if (!g_busy) RunWaiting();
}

void SetIdleDispatcher(IdleDispatcher dispatcher) { g_dispatcher = std::move(dispatcher); }
