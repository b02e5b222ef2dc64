#pragma once
// The backup snapshot ($BK, and the start-up data set DATA1.VEW): points, TIN edges
// and outline in one little-endian binary file.
//   int32 n; n x 40-byte points (name[12], X, Y, Z doubles, invalid int16, plot kind
//   int16); TIN header 0, g_holesInverted, m, 1; m x (A, B, apex back, apex search);
//   int32 k; k outline point indices; for a closed outline "CLOS" and int32 1.
#include <cstdint>
#include <filesystem>

// 0 on success; -1 when the file could not be created or written (a partial file is
// removed). The caller tells the user.
int32_t WriteBackupFile(const std::filesystem::path& path);

// 0 on success; -1 when the file is missing (quietly), damaged or truncated, holds a
// coordinate the RND file could not hold, or memory runs short (with a message). On -1
// the loaded data are as they were.
int32_t ReadBackupFile(const std::filesystem::path& path);
