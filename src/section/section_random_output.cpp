#include "section/section_random_output.h"

#include <utility>

#include "exchange/section_random_text.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "shell/work_folder.h"

namespace {
std::function<bool(SectionRandomOutputOptions&)> g_runner;
const char* const kRandomFilter = "ランダムデータ|*.RND|";
const char* const kRandomTitle = "縦横断ランダムファイル名設定";
}  // namespace

SectionRandomOutputOptions OpenSectionRandomOutputDialog() {
    SectionRandomOutputOptions options;
    if (!SectionRandomInsideOnlyEnabled()) options.insideOnly = 0;
    return options;
}

bool SectionRandomInsideOnlyEnabled() { return g_outline.Count() >= 3 && g_outline.IsClosed(); }

void SectionRandomOptionClicked(SectionRandomOutputOptions& options, int id, bool checked) {
    const int32_t value = checked ? 1 : 0;
    switch (id) {
        case kSectionRandomCentreOnly:
            options.centreOnly = value;
            break;
        case kSectionRandomWithCrossings:
            options.withCrossings = value;
            break;
        case kSectionRandomInsideOnly:
            if (SectionRandomInsideOnlyEnabled()) options.insideOnly = value;
            break;
        default:
            break;
    }
}

void SetSectionRandomOutputDialogRunner(std::function<bool(SectionRandomOutputOptions&)> runner) {
    g_runner = std::move(runner);
}

void OnExportSectionsAsRandom() {
    SectionRandomOutputOptions options = OpenSectionRandomOutputDialog();
    if (!g_runner || !g_runner(options)) return;
    FileDialogRequest request;
    request.save = true;
    request.title = kRandomTitle;
    request.filter = kRandomFilter;
    request.defaultExtension = "RND";
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    g_lastFolder = FolderOfPath(chosen);
    WriteSectionsAsRandomText(chosen, options.centreOnly, options.withCrossings, options.insideOnly);
}
