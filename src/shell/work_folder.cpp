#include "shell/work_folder.h"

#include <cstdio>

#include "platform/folders.h"
#include "platform/text_io.h"

std::string g_workFolder;
std::string g_lastFolder;

std::filesystem::path WorkFolderFilePath() { return WindowsFolder() / "ovk_menu.fol"; }

std::string FolderOfPath(const std::string& line) {
    const size_t slash = line.rfind('/');
    if (slash == std::string::npos) return {};
    return line.substr(0, slash + 1);
}

std::string ReadWorkFolderFile() {
    std::FILE* f = std::fopen(WorkFolderFilePath().c_str(), "rb");
    if (!f) return {};
    std::string line;
    const bool read = ReadTextLine(f, line);
    std::fclose(f);
    if (!read) return {};
    return FolderOfPath(line);
}

std::string WithTrailingSeparator(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + '/';
}

bool WriteWorkFolderFile(const std::string& folder) {
    TextFileWriter writer(WorkFolderFilePath());
    if (!writer.IsOpen()) return false;
    writer.WriteLine(folder);
    return writer.Close();
}

bool SetWorkFolder(const std::string& chosenFolder) {
    g_workFolder = WithTrailingSeparator(chosenFolder);
    g_lastFolder = g_workFolder;
    return WriteWorkFolderFile(g_workFolder);
}
