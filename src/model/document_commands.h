#pragma once
// The document's export and calculation commands: the conventions they share (the file
// dialog, the view reset after a load, the refresh) and the two sibling programs the
// document starts itself, the contour plotter (32857) and the mesh calculation (32962).
#include <functional>
#include <string>

#include "shell/sibling_programs.h"

// A file dialog as every document command shows it: starting in the work folder; on OK the
// chosen file's folder becomes the last folder. Empty when cancelled.
struct DocumentFileDialog {
    bool save = true;
    const char* filter = "";
    const char* title = "";
    const char* defaultExtension = "";  // without the dot; none when empty
    std::string fileName;               // proposed name
};
std::string AskDocumentFile(const DocumentFileDialog& dialog);

// After data were loaded: extents and centre from the data, bird's-eye tilt -0.2, the
// previous-screen ring emptied, the view invalidated; then `setScrollExtent` (when given)
// and a full redraw.
void ResetViewAfterLoad(const std::function<void()>& setScrollExtent);
// A full redraw, painted at once.
void RefreshDocumentView();

// What the sibling starts need of the document.
struct DocumentSaveHooks {
    // Saves the document as the frame's save command (57603) does; true when it was saved.
    std::function<bool()> save;
    std::function<bool()> modified;
};

// The rows of the two programs: class, program and the texts of their start results.
extern const SiblingProgramRow kContourPlotRow;   // 32857
extern const SiblingProgramRow kMeshProgramRow;   // 32962

// 32857: brings the plotter forward when it runs; else, after "上書き保存してよろしいですか"
// and a save that succeeded, starts it on the saved data file.
void OnContourPlot(const DocumentSaveHooks& hooks);
// 32962: brings the mesh program forward when it runs; else starts it, on the data file
// when points are loaded and saved (a modified document is offered for saving first; after
// No, or a save that failed, it starts without a file).
void OnStartMeshProgram(const DocumentSaveHooks& hooks);
