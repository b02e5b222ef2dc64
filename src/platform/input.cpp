#include "platform/input.h"

#include <chrono>
#include <set>

namespace {
InputHooks g_hooks;
std::set<int> g_headlessKeys;
std::function<void()> g_headlessPump;
}  // namespace

uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool IsKeyDown(int keyCode) {
    if (g_hooks.isKeyDown) return g_hooks.isKeyDown(keyCode);
    return g_headlessKeys.count(keyCode) != 0;
}

bool KeyPressedSinceLastCheck(int keyCode) {
    if (g_hooks.pressedSinceLastCheck) return g_hooks.pressedSinceLastCheck(keyCode);
    return IsKeyDown(keyCode);
}

void PumpOneMessage() {
    if (g_hooks.pumpOneMessage) g_hooks.pumpOneMessage();
    else if (g_headlessPump) g_headlessPump();
}

void SetInputHooks(InputHooks hooks) { g_hooks = std::move(hooks); }

void SetHeadlessKeyDown(int keyCode, bool down) {
    if (down) g_headlessKeys.insert(keyCode);
    else g_headlessKeys.erase(keyCode);
}

void SetHeadlessPumpCallback(std::function<void()> callback) { g_headlessPump = std::move(callback); }
