#pragma once
// The working folder, where the file dialogs start. It is kept in "ovk_menu.fol" in the
// folder shared with the sibling programs, so that all of them start in the same place.
#include <filesystem>
#include <string>

extern std::string g_workFolder;  // with a trailing '/', or empty
extern std::string g_lastFolder;  // folder of the last file chosen in a file dialog

std::filesystem::path WorkFolderFilePath();

// The folder named by the file's first line: everything up to its last '/'. A line
// without a trailing separator thus names its parent folder. Empty when the file is
// missing or names no folder.
std::string ReadWorkFolderFile();
// The folder part of a line (up to and including the last '/').
std::string FolderOfPath(const std::string& line);
// A chosen folder as stored: with one trailing '/' (the root stays "/").
std::string WithTrailingSeparator(const std::string& folder);
// Writes the one-line file; false when it cannot be written.
bool WriteWorkFolderFile(const std::string& folder);
// The work of the folder command after a folder was chosen: both globals take it and
// the file is written. False when the file could not be written (the folder is still
// used for this run).
bool SetWorkFolder(const std::string& chosenFolder);
