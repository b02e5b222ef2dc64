#include "platform/folders.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {
fs::path g_programFolderPath;
fs::path g_tempFolderPath;

fs::path ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".config";
}

fs::path Made(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}
}  // namespace

const fs::path& ProgramFolder() {
    if (g_programFolderPath.empty()) {
        std::error_code ec;
        g_programFolderPath = fs::current_path(ec);
    }
    return g_programFolderPath;
}

void SetProgramFolder(const fs::path& folder) { g_programFolderPath = folder; }

fs::path SettingsFolder() { return Made(ConfigHome() / "nostrel-voda"); }

fs::path WindowsFolder() { return Made(ConfigHome() / "ovk"); }

fs::path TempFolder() {
    if (g_tempFolderPath.empty()) {
        std::error_code ec;
        fs::path base = fs::temp_directory_path(ec);
        if (ec) base = "/tmp";
        std::string pattern = (base / "nostrel-voda-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data())) g_tempFolderPath = made;
        else g_tempFolderPath = base;
    }
    return g_tempFolderPath;
}

void RemoveTempFolder() {
    if (g_tempFolderPath.empty()) return;
    std::error_code ec;
    if (g_tempFolderPath.filename().string().rfind("nostrel-voda-", 0) == 0)
        fs::remove_all(g_tempFolderPath, ec);
    g_tempFolderPath.clear();
}
