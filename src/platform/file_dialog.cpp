#include "platform/file_dialog.h"

#include <deque>
#include <filesystem>

namespace {
FileDialogHandler g_handler;
std::deque<std::string> g_queuedAnswers;
std::vector<FileDialogRequest> g_recorded;
}  // namespace

std::string RunFileDialog(const FileDialogRequest& request) {
    g_recorded.push_back(request);
    std::string chosen;
    if (g_handler) {
        chosen = g_handler(request);
    } else if (!g_queuedAnswers.empty()) {
        chosen = g_queuedAnswers.front();
        g_queuedAnswers.pop_front();
    }
    if (!chosen.empty() && request.save)
        chosen = WithDefaultExtension(chosen, request.defaultExtension);
    return chosen;
}

std::vector<std::string> RunMultiFileDialog(FileDialogRequest request) {
    request.multiple = true;
    request.save = false;
    const std::string chosen = RunFileDialog(request);
    std::vector<std::string> paths;
    size_t start = 0;
    while (start <= chosen.size()) {
        size_t end = chosen.find('\n', start);
        if (end == std::string::npos) end = chosen.size();
        if (end > start) paths.push_back(chosen.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

void SetFileDialogHandler(FileDialogHandler handler) { g_handler = std::move(handler); }
void QueueFileDialogAnswer(const std::string& path) { g_queuedAnswers.push_back(path); }
const std::vector<FileDialogRequest>& RecordedFileDialogs() { return g_recorded; }
void ClearRecordedFileDialogs() {
    g_recorded.clear();
    g_queuedAnswers.clear();
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
    if (extension.empty() || path.empty()) return path;
    if (std::filesystem::path(path).filename().has_extension()) return path;
    return path + "." + extension;
}
