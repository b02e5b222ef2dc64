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
