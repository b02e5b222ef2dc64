#include "shell/frame_timer.h"

namespace {
std::function<void(int)>& Handler() {
    static std::function<void(int)> handler;
    return handler;
}
}  // namespace

void SendFrameTimer(int id) {
    if (Handler()) Handler()(id);
}

void SetFrameTimerHandler(std::function<void(int)> handler) { Handler() = std::move(handler); }
