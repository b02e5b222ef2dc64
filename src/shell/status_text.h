#pragma once
// The message pane of the main frame's status bar, as the core writes it.
#include <functional>
#include <string>

// Shows a text (UTF-8) in the message pane; "" empties it.
void SetStatusText(const std::string& utf8);
// The text last set (headless runs keep it for tests).
const std::string& StatusText();
// Installed by the main frame; an empty handler only keeps the text.
void SetStatusTextHandler(std::function<void(const std::string&)> handler);
