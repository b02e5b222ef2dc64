#include "shell/settings_file.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/folders.h"
#include "platform/text_io.h"

int32_t g_backupReminder[2] = {0, 60};
std::string g_backupFilePath;
std::string g_settingsFilePath;

void SetDefaultSettingsPaths() {
    const auto folder = SettingsFolder();
    g_backupFilePath = (folder / "Quarvel_backup.$BK").string();
    g_settingsFilePath = (folder / "Quarvel_para").string();
}

int ReadSettingsFile() {
    std::FILE* f = std::fopen(g_settingsFilePath.c_str(), "rb");
    if (!f) return 0;
    std::string line;
    if (ReadTextLine(f, line)) {
        g_backupReminder[0] = std::atoi(line.c_str());
        if (ReadTextLine(f, line)) {
            const int minutes = std::atoi(line.c_str());
            if (minutes > 0) g_backupReminder[1] = minutes;
            if (ReadTextLine(f, line) && !line.empty()) g_backupFilePath = line;
        }
    }
    std::fclose(f);
    return -1;
}

int WriteSettingsFile() {
    TextFileWriter writer(g_settingsFilePath);
    if (!writer.IsOpen()) return 0;
    writer.PrintLine("%d", g_backupReminder[0]);
    writer.PrintLine("%d", g_backupReminder[1]);
    writer.WriteLine(g_backupFilePath);
    return writer.Close() ? -1 : 0;
}

int ReminderIntervalMs(int32_t minutes) {
    const long long ms = static_cast<long long>(minutes < 1 ? 1 : minutes) * 60000LL;
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}
