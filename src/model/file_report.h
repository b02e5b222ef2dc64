#pragma once
// Messages for files that cannot be read or written. A failure is always told, never
// taken for success.
#include <filesystem>
#include <string_view>

void ReportCannotOpen(const std::filesystem::path& path);
void ReportCannotCreate(const std::filesystem::path& path);
void ReportWriteFailed(const std::filesystem::path& path);
void ReportDamagedFile(const std::filesystem::path& path);
void ReportNoMemory();

// Removes what a failed write left behind (only an ordinary file, never a device).
void RemovePartialFile(const std::filesystem::path& path);

// Writes `bytes` as the whole file; on failure removes what was written, tells, and
// returns false.
bool WriteWholeFileOrReport(const std::filesystem::path& path, std::string_view bytes);
