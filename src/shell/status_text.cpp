#include "shell/status_text.h"

namespace {
std::string g_text;
std::function<void(const std::string&)> g_handler;
}  // namespace

void SetStatusText(const std::string& utf8) {
    g_text = utf8;
    if (g_handler) g_handler(utf8);
}

const std::string& StatusText() { return g_text; }

void SetStatusTextHandler(std::function<void(const std::string&)> handler) { g_handler = std::move(handler); }
