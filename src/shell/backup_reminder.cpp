#include "shell/backup_reminder.h"

namespace {
BackupFileWriter g_backupFileWriter;
}  // namespace

void SetBackupFileWriter(BackupFileWriter writer) { g_backupFileWriter = std::move(writer); }
const BackupFileWriter& GetBackupFileWriter() { return g_backupFileWriter; }
