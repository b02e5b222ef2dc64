#pragma once
// The wait cursor of long commands and the main window's enabled state. The window system
// installs the real ones; headless they are only kept, so tests can read them.
#include <functional>

// The wait cursor on (arrow off) or off again; repeated calls change nothing.
void ShowWaitCursor(bool on);
bool WaitCursorShown();

// The main window takes input (true) or not.
void EnableMainWindow(bool enable);
bool MainWindowEnabled();

// Installed at start: the cursor by the platform, the window by the main frame. Empty
// handlers restore the headless ones.
void SetWaitCursorHandler(std::function<void(bool on)> handler);
void SetMainWindowEnableHandler(std::function<void(bool enable)> handler);
