#pragma once
// The backup reminder opened by the frame's timer 99.
#include <functional>
#include <string>

constexpr int kReminderCloseMs = 20000;

// Whether a tick of timer 99 opens the reminder: only when none is open and the
// document has unsaved changes.
inline bool ReminderShouldOpen(bool reminderOpen, bool documentModified) {
    return !reminderOpen && documentModified;
}

// Writes the backup snapshot to a path: 0 on success, -1 on failure. Installed by the
// backup file's owner; until then the reminder cannot offer the snapshot.
using BackupFileWriter = std::function<int(const std::string& path)>;
void SetBackupFileWriter(BackupFileWriter writer);
const BackupFileWriter& GetBackupFileWriter();
