// The small text files read at start: the settings file and the working-folder file.
#include "fuzz_support.h"
#include "platform/folders.h"
#include "shell/settings_file.h"
#include "shell/work_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    g_backupReminder[1] = 60;
    g_settingsFilePath = fuzz::WriteInput("Quarvel_para", data, size).string();
    ReadSettingsFile();
    FUZZ_CHECK(g_backupReminder[1] > 0);
    const std::filesystem::path folderFile = WorkFolderFilePath();
    std::filesystem::create_directories(folderFile.parent_path());
    FUZZ_CHECK(WriteFileBytes(folderFile, std::string_view(reinterpret_cast<const char*>(data), size)));
    ReadWorkFolderFile();
    return 0;
}
