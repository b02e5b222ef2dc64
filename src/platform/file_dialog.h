#pragma once
// The common open and save file dialogs. The program installs a Qt implementation at
// start; without one (tests, host requests) a dialog takes the next answer a test queued,
// or is cancelled.
#include <functional>
#include <string>
#include <vector>

struct FileDialogRequest {
    bool save = false;             // a save dialog (asks before replacing a file)
    std::string title;             // UTF-8
    std::string filter;            // "text|pattern|text|pattern|" pairs, UTF-8
    std::string defaultExtension;  // without the dot; added when the name has none
    std::string folder;            // where the dialog starts
    std::string fileName;          // proposed name (save dialogs)
    bool multiple = false;         // open dialog taking several files
};

// The chosen path, or empty when the dialog was cancelled.
std::string RunFileDialog(const FileDialogRequest& request);

// An open dialog taking several files: the chosen paths in the order given, or none when
// cancelled. The handler (and a queued answer) gives them one per line.
std::vector<std::string> RunMultiFileDialog(FileDialogRequest request);

using FileDialogHandler = std::function<std::string(const FileDialogRequest&)>;
// Installs the interactive implementation; an empty handler restores the headless one.
void SetFileDialogHandler(FileDialogHandler handler);

// Headless: the answers given to the next dialogs, in order (empty cancels), and the
// dialogs shown so far.
void QueueFileDialogAnswer(const std::string& path);
const std::vector<FileDialogRequest>& RecordedFileDialogs();
void ClearRecordedFileDialogs();

// The path with the default extension added when its file name has no extension.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);
