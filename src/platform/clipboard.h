#pragma once
// Clipboard text. The core passes CP932 bytes with CR LF line ends; the window
// system's implementation converts at its edge.
#include <functional>
#include <string>

bool SetClipboardText(const std::string& cp932);
std::string GetClipboardText();

struct ClipboardHooks {
    std::function<bool(const std::string&)> set;
    std::function<std::string()> get;
};
// Installed by the window system at start; without it a private buffer is used.
void SetClipboardHooks(ClipboardHooks hooks);
