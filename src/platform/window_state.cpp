#include "platform/window_state.h"

namespace {
bool g_waitCursor = false;
bool g_mainWindowEnabled = true;
std::function<void(bool)> g_cursorHandler;
std::function<void(bool)> g_enableHandler;
}  // namespace

void ShowWaitCursor(bool on) {
    if (on == g_waitCursor) return;
    g_waitCursor = on;
    if (g_cursorHandler) g_cursorHandler(on);
}

bool WaitCursorShown() { return g_waitCursor; }

void EnableMainWindow(bool enable) {
    g_mainWindowEnabled = enable;
    if (g_enableHandler) g_enableHandler(enable);
}

bool MainWindowEnabled() { return g_mainWindowEnabled; }

void SetWaitCursorHandler(std::function<void(bool on)> handler) {
    g_cursorHandler = std::move(handler);
}
void SetMainWindowEnableHandler(std::function<void(bool enable)> handler) {
    g_enableHandler = std::move(handler);
}
