#pragma once
// Time, key state and message pumping for long loops that run on the interface thread.
#include <cstdint>
#include <functional>

// Key codes (the values the program has always used for them).
namespace key {
constexpr int kMouseLeft = 0x01;
constexpr int kMouseRight = 0x02;
constexpr int kMouseMiddle = 0x04;
constexpr int kReturn = 0x0D;
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kAlt = 0x12;
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
// Letters and digits are their upper-case ASCII codes ('Q').
}  // namespace key

// Milliseconds from an arbitrary start, wrapping like a 32-bit tick counter.
uint32_t TickCount();

// Whether the key or mouse button is held now.
bool IsKeyDown(int keyCode);

// Whether the key or mouse button was pressed since the last call for it, or is held now.
bool KeyPressedSinceLastCheck(int keyCode);

// Whether the key went down since the last call for it or the last ForgetKeyPresses:
// each press counts once, a key merely held does not count again.
bool KeyNewlyPressed(int keyCode);
// Forgets the presses of the key so far (a key held stays held).
void ForgetKeyPresses(int keyCode);
// A press made by the program: counts once as a new press and is seen held by the next
// IsKeyDown for the key.
void TapKey(int keyCode);

// The stop key of long loops.
constexpr int kStopKey = 'Q';
// A new press of the stop key (a key held since an earlier question does not ask again).
inline bool StopKeyPressed() { return KeyNewlyPressed(kStopKey); }
// Called when a long loop starts and after each of its stop questions.
inline void ForgetStopKey() { ForgetKeyPresses(kStopKey); }

// Lets the window system handle one batch of pending events.
void PumpOneMessage();

// While the key or mouse button is held, handles events until it is released, at most
// maxMs milliseconds. Headless it returns at once.
void WaitForKeyRelease(int keyCode, uint32_t maxMs);

struct InputHooks {
    std::function<bool(int)> isKeyDown;
    std::function<bool(int)> pressedSinceLastCheck;  // empty: as isKeyDown
    std::function<void()> pumpOneMessage;
    std::function<bool(int)> newlyPressed;   // empty: the headless press record
    std::function<void(int)> forgetPresses;
    std::function<void(int, uint32_t)> waitForRelease;  // empty: returns at once
};
// Installed by the window system at start; empty hooks restore the headless ones.
void SetInputHooks(InputHooks hooks);

// Headless: tests hold keys down (and let them go) by hand; a key that goes down counts as
// a new press.
void SetHeadlessKeyDown(int keyCode, bool down);
// Headless: called on every PumpOneMessage, so a test can act in the middle of a loop.
void SetHeadlessPumpCallback(std::function<void()> callback);
