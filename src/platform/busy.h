#pragma once
// The program is busy while a long operation's progress window is open. Work that must
// not run inside such a loop (host requests, the backup reminder) waits for the end.
#include <functional>
#include <string>

bool IsBusy();
// Set by the progress window when it opens and closes.
void SetBusy(bool busy);

// Runs `task` now when the program is idle; otherwise keeps it (one task per key; a later
// one replaces an earlier with the same key) and runs it once the busy state ends.
void RunWhenIdle(const std::string& key, std::function<void()> task);

// How the waiting tasks are run when the busy state ends. Headless: at once, in the
// order they came. The window system installs one that runs them from its event loop,
// after the long operation has returned.
using IdleDispatcher = std::function<void(std::function<void()>)>;
void SetIdleDispatcher(IdleDispatcher dispatcher);
