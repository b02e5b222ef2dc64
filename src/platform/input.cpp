#include "platform/input.h"

#include <chrono>
#include <set>

namespace {
InputHooks g_hooks;
std::set<int> g_headlessKeys;
std::set<int> g_headlessPresses;
std::set<int> g_taps;  // presses made by the program, not yet seen
std::function<void()> g_headlessPump;

bool TakeTap(int keyCode) { return g_taps.erase(keyCode) != 0; }
}  // namespace

uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool IsKeyDown(int keyCode) {
    if (TakeTap(keyCode)) return true;
    if (g_hooks.isKeyDown) return g_hooks.isKeyDown(keyCode);
    return g_headlessKeys.count(keyCode) != 0;
}

bool KeyPressedSinceLastCheck(int keyCode) {
    if (g_hooks.pressedSinceLastCheck) return TakeTap(keyCode) || g_hooks.pressedSinceLastCheck(keyCode);
    return IsKeyDown(keyCode);
}

bool KeyNewlyPressed(int keyCode) {
    // Both records are read, so a tap and a real press are not left over for the next call.
    const bool tapped = TakeTap(keyCode);
    const bool pressed = g_hooks.newlyPressed ? g_hooks.newlyPressed(keyCode)
                                              : g_headlessPresses.erase(keyCode) != 0;
    return tapped || pressed;
}

void ForgetKeyPresses(int keyCode) {
    g_taps.erase(keyCode);
    g_headlessPresses.erase(keyCode);
    if (g_hooks.forgetPresses) g_hooks.forgetPresses(keyCode);
}

void TapKey(int keyCode) { g_taps.insert(keyCode); }

void PumpOneMessage() {
    if (g_hooks.pumpOneMessage) g_hooks.pumpOneMessage();
    else if (g_headlessPump) g_headlessPump();
}

void WaitForKeyRelease(int keyCode, uint32_t maxMs) {
    if (g_hooks.waitForRelease) g_hooks.waitForRelease(keyCode, maxMs);
}

void SetInputHooks(InputHooks hooks) { g_hooks = std::move(hooks); }

void SetHeadlessKeyDown(int keyCode, bool down) {
    if (down) {
        if (g_headlessKeys.insert(keyCode).second) g_headlessPresses.insert(keyCode);
    } else {
        g_headlessKeys.erase(keyCode);
    }
}

void SetHeadlessPumpCallback(std::function<void()> callback) { g_headlessPump = std::move(callback); }
