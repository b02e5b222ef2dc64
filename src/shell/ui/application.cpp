#include "shell/ui/application.h"

#include <QGuiApplication>
#include <QScreen>
#include <filesystem>

#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/ui/about_dialog.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/recent_files.h"
#include "view/ui/pelmo_3d_view.h"

namespace {
CPelmo_3DApp* g_theApp = nullptr;
}  // namespace

CPelmo_3DApp* TheApp() { return g_theApp; }

CPelmo_3DApp::CPelmo_3DApp() {
    g_theApp = this;
    m_commands.SetHandler(cmd::kFileNew, [this] { OnFileNew(); });
    m_commands.SetHandler(cmd::kAppAbout, [this] { OnAppAbout(); });
    m_commands.SetHandler(cmd::kHelpContents, [this] { OnHelpContents(); });
    for (int i = 0; i < RecentFileList::kSize; ++i) {
        const int id = cmd::kFileRecent + i;
        m_commands.SetHandler(id, [this, i] { OnOpenRecentFile(i); });
        m_commands.SetUpdateRule(id, [i](CommandUpdate& u) {
            u.enabled = i < RecentFileList().Files().size();
            u.check = CheckState::kUnchecked;
        });
    }
}

CPelmo_3DApp::~CPelmo_3DApp() {
    ExitInstance();
    if (g_theApp == this) g_theApp = nullptr;
}

void CPelmo_3DApp::ExitInstance() {
    m_frame.reset();
    m_document.reset();
}

bool CPelmo_3DApp::InitInstance(const QStringList& arguments) {
    m_document = m_documentFactory ? m_documentFactory() : std::make_unique<PlaceholderDocument>();
    m_frame = std::make_unique<CMainFrame>(&m_commands);
    if (m_viewFactory) {
        ViewParts view = m_viewFactory(m_frame.get());
        m_frame->SetView(view.widget, view.commands);
    } else {
        auto* view = new CPelmo_3DView(m_frame.get());
        m_frame->SetView(view, view);
    }
    m_frame->SetDocument(m_document.get());

    bool ok = true;
    if (!arguments.isEmpty() && !arguments.first().isEmpty())
        ok = m_document->OpenDocument(arguments.first().toStdString());
    else
        ok = m_document->NewDocument();
    if (!ok) return false;

    // Centred on the screen, then shown.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_frame->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_frame->move(frame.topLeft());
    }
    m_frame->RefreshCommandStates();
    m_frame->show();
    return true;
}

void CPelmo_3DApp::OnAppAbout() {
    CAboutDlg dialog(m_frame.get());
    dialog.exec();
}

std::string CPelmo_3DApp::HelpFilePath() { return (ProgramFolder() / "NOSTREL-VODA.hlp").string(); }

void CPelmo_3DApp::OnHelpContents() {
    // There is no viewer for this help format here; say so rather than fail silently.
    const std::string path = HelpFilePath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        ShowMessage("ヘルプファイルが見つかりません。\n" + path, "",
                    msg::kOk | msg::kIconInformation);
    else
        ShowMessage("ヘルプファイルを表示するプログラムがありません。\n" + path, "",
                    msg::kOk | msg::kIconInformation);
}

void CPelmo_3DApp::OnFileNew() {
    if (!m_document || !m_document->SaveModified()) return;
    m_document->NewDocument();
}

void CPelmo_3DApp::OnOpenRecentFile(int index) {
    RecentFileList list;
    const QStringList files = list.Files();
    if (!m_document || index < 0 || index >= files.size()) return;
    if (!m_document->SaveModified()) return;
    if (!m_document->OpenDocument(files[index].toStdString()))
        list.Remove(files[index]);
    else
        list.Add(files[index]);
}

void CPelmo_3DApp::AddToRecentFileList(const QString& path) { RecentFileList().Add(path); }
