#include "model/ui/document_ui.h"

#include <QString>

#include "model/document.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/recent_files.h"
#include "view/view_state.h"

namespace {
CMainFrame* Frame() { return TheApp() ? TheApp()->MainFrame() : nullptr; }
}  // namespace

std::unique_ptr<CPelmo_3DDoc> MakeDocument() {
    auto document = std::make_unique<CPelmo_3DDoc>();
    CPelmo_3DDoc::Hooks hooks;
    hooks.addRecentFile = [](const std::string& path) {
        RecentFileList().Add(QString::fromStdString(path));
    };
    hooks.titleChanged = [] {
        if (CMainFrame* frame = Frame()) frame->UpdateFrameTitle();
    };
    hooks.repaintMainWindow = [] {
        InvalidateAndUpdateView();
        if (CMainFrame* frame = Frame()) frame->update();
    };
    hooks.refreshHeightScaleBox = [] {
        if (CMainFrame* frame = Frame()) frame->OnTimer(353);
    };
    document->SetHooks(std::move(hooks));
    return document;
}
