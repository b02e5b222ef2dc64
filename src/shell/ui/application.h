#pragma once
// The application object: one document, one main frame, one view; the commands that
// reach the application (new, recent files, About, help).
#include <QStringList>
#include <functional>
#include <memory>

#include "shell/command_routing.h"
#include "shell/shell_document.h"

class CMainFrame;
class QWidget;

class CPelmo_3DApp {
public:
    CPelmo_3DApp();
    ~CPelmo_3DApp();

    // Makes the document (default: the placeholder until the document class exists).
    void SetDocumentFactory(std::function<std::unique_ptr<ShellDocument>()> factory) {
        m_documentFactory = std::move(factory);
    }
    // Makes the view widget and its commands (default: the plan view CPelmo_3DView).
    struct ViewParts {
        QWidget* widget = nullptr;
        CommandTarget* commands = nullptr;
    };
    void SetViewFactory(std::function<ViewParts(CMainFrame*)> factory) {
        m_viewFactory = std::move(factory);
    }

    // Creates document, frame and view, opens the document named on the command line
    // (or makes a new one), then centres and shows the frame. False when that fails.
    bool InitInstance(const QStringList& arguments);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    ShellDocument* Document() const { return m_document.get(); }
    CommandTarget& Commands() { return m_commands; }

    void OnAppAbout();
    void OnHelpContents();
    void OnFileNew();
    void OnOpenRecentFile(int index);
    void AddToRecentFileList(const QString& path);

    // The help file in the program folder.
    static std::string HelpFilePath();

    // Destroys the frame (the shutdown steps run) while the document still exists.
    void ExitInstance();

private:
    FrameCommandTarget m_commands;
    std::unique_ptr<ShellDocument> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    std::function<std::unique_ptr<ShellDocument>()> m_documentFactory;
    std::function<ViewParts(CMainFrame*)> m_viewFactory;
};

// The one application object (null before it is made).
CPelmo_3DApp* TheApp();
