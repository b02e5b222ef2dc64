#include "platform/clipboard.h"

namespace {
ClipboardHooks g_clipboardHooks;
std::string g_headlessClipboard;
}  // namespace

bool SetClipboardText(const std::string& cp932) {
    if (g_clipboardHooks.set) return g_clipboardHooks.set(cp932);
    g_headlessClipboard = cp932;
    return true;
}

std::string GetClipboardText() {
    if (g_clipboardHooks.get) return g_clipboardHooks.get();
    return g_headlessClipboard;
}

bool ReadClipboardText(std::string& cp932) {
    if (g_clipboardHooks.read) return g_clipboardHooks.read(cp932);
    cp932 = GetClipboardText();
    return true;
}

void SetClipboardHooks(ClipboardHooks hooks) { g_clipboardHooks = std::move(hooks); }
