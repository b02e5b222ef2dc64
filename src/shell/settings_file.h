#pragma once
// The settings file "Quarvel_para" (reminder on/off, interval, backup file) and the
// backup reminder's state.
#include <cstdint>
#include <string>

// [0] reminder on (non-zero) or off, [1] interval in minutes.
extern int32_t g_backupReminder[2];
extern std::string g_backupFilePath;
extern std::string g_settingsFilePath;

// The default paths in the settings folder (set at frame creation).
void SetDefaultSettingsPaths();

// Reads the three lines: line 1 always, line 2 only when above 0, line 3 only when not
// empty. -1 when read, 0 when the file does not exist (the values stay).
int ReadSettingsFile();
// Writes the three lines; -1 on success, 0 when the file cannot be written.
int WriteSettingsFile();

// Milliseconds of timer 99 for an interval in minutes, held within what a timer takes.
int ReminderIntervalMs(int32_t minutes);
