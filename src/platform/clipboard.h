#pragma once
// Clipboard text. The core passes CP932 bytes with CR LF line ends; the window
// system's implementation converts at its edge.
#include <functional>
#include <string>

// False when the clipboard is held by another program.
bool SetClipboardText(const std::string& cp932);
std::string GetClipboardText();
// False when the clipboard cannot be opened; `cp932` is then left alone.
bool ReadClipboardText(std::string& cp932);

struct ClipboardHooks {
    std::function<bool(const std::string&)> set;
    std::function<std::string()> get;
    // Optional: reports a clipboard that cannot be opened (else `get` is used).
    std::function<bool(std::string&)> read = nullptr;
};
// Installed by the window system at start; without it a private buffer is used.
void SetClipboardHooks(ClipboardHooks hooks);
