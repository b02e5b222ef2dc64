#include "shell/work_files.h"

#include <filesystem>
#include <system_error>

#include "platform/folders.h"

std::string g_contourIndexPath;
std::string g_tempPath4;
std::string g_tempPath5;
std::string g_sectionTempPath;

namespace {
std::string* const kPaths[] = {&g_contourLinesPath, &g_contourIndexPath, &g_tempPath4, &g_tempPath5,
                               &g_sectionTempPath};
const char* const kNames[] = {"_#ovk$1.$$$", "_#ovk$2.$$$", "_#ovk$4.$$$", "_#ovk$5.$$$",
                              "_#ovk$6.$$$"};
}  // namespace

void SetWorkFilePaths() {
    const std::filesystem::path folder = TempFolder();
    for (int i = 0; i < 5; ++i) *kPaths[i] = (folder / kNames[i]).string();
}

void DeleteWorkFiles() {
    for (std::string* path : kPaths) {
        if (path->empty()) continue;
        std::error_code ec;
        std::filesystem::remove(*path, ec);
    }
}
