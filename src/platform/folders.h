#pragma once
// The program's folders. The program folder is only read; what the program writes
// lives in the settings folder, the shared suite folder or this instance's temp folder.
#include <filesystem>

// Folder of the executable (set at start; the current folder until then).
const std::filesystem::path& ProgramFolder();
void SetProgramFolder(const std::filesystem::path& folder);

// $XDG_CONFIG_HOME/nostrel-voda (default ~/.config/nostrel-voda), made on first use.
std::filesystem::path SettingsFolder();

// Folder shared with the sibling programs ($XDG_CONFIG_HOME/ovk), made on first use.
std::filesystem::path WindowsFolder();

// This instance's own temp folder, made on first use and removed by RemoveTempFolder.
std::filesystem::path TempFolder();
void RemoveTempFolder();
