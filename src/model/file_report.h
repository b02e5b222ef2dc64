#pragma once
// Messages for files that cannot be read or written. A failure is always told, never
// taken for success.
#include <filesystem>

void ReportCannotOpen(const std::filesystem::path& path);
void ReportCannotCreate(const std::filesystem::path& path);
void ReportWriteFailed(const std::filesystem::path& path);
void ReportDamagedFile(const std::filesystem::path& path);
void ReportNoMemory();

// Removes what a failed write left behind (only an ordinary file, never a device).
void RemovePartialFile(const std::filesystem::path& path);
