#pragma once
// The document: the road of the data files. A new document loads the start-up data set
// from the program folder; opening reads an RND file with every companion found beside
// it (or a route document, or converts a SIMA file); saving writes the RND file with its
// companions. The terrain data themselves are globals; the document keeps the path, the
// title, the modified flag and the view's scroll extent.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "model/document_services.h"
#include "shell/command_routing.h"
#include "shell/shell_document.h"

// What ProbeCompanionFiles finds beside a data file (the companion choice record).
struct CompanionFiles {
    int32_t imageKind = 0;  // 0 none, 1 TIF, 2 BMP, 3 PNG, 4 JPG
    int32_t dxf = 0;
    int32_t contours = 0;       // .CT1
    int32_t sliceContours = 0;  // never loaded with a document
    int32_t colorBands = 0;     // .CDF
};

CompanionFiles ProbeCompanionFiles(const std::filesystem::path& path);
// Loads the background image that belongs to a data file (skipped when it has no
// placement file or no image file).
void LoadDocumentBackgroundImage(const std::filesystem::path& path);

// The texts of the random-data file dialogs.
constexpr const char* kRandomFileFilter = "ランダムファイル (*.RND)|*.RND|すべてのファイル|*.*|";
constexpr const char* kRouteFileFilter = "路線ファイル (*.ALG)|*.ALG|すべてのファイル|*.*||";
// Put in front of every title the document shows.
constexpr const char* kTitlePrefix = "３Ｄビュワー 《登録ユーザー》 - ";

class CPelmo_3DDoc : public ShellDocument {
public:
    CPelmo_3DDoc();

    // Where the document reaches the windows (each may be left empty).
    struct Hooks {
        std::function<void(const std::string& path)> addRecentFile;
        std::function<void()> titleChanged;
        std::function<void()> repaintMainWindow;      // default: the view
        std::function<void()> refreshHeightScaleBox;  // the frame's WM_TIMER 353
    };
    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // ---- ShellDocument ----
    std::string Title() const override { return kTitlePrefix + m_title; }
    // Unsaved changes: the framework's flag, or terrain data changed since the last load
    // or save.
    bool IsModified() const override;
    void SaveForBackupPrompt(int kind) override;
    bool SaveModified() override;
    bool NewDocument() override;
    bool OpenDocument(const std::string& path) override;

    bool OnCommand(int id) override { return m_commands.OnCommand(id); }
    bool HasCommandHandler(int id) const override { return m_commands.HasCommandHandler(id); }
    // Rules apply only to the commands that have a handler here; the others stay
    // disabled until their handler is built.
    bool OnUpdateCommand(int id, CommandUpdate& update) override;
    // Later code registers the document's further commands here.
    CommandHandlerMap& Commands() { return m_commands; }

    // ---- the framework's steps ----
    bool OnNewDocument();
    bool OnOpenDocument(const std::filesystem::path& path);
    bool OnSaveDocument(const std::filesystem::path& path);
    void SetTitle(const std::string& title);
    const std::string& PlainTitle() const { return m_title; }
    // Path, title and (unless told otherwise) the recent-file list.
    void SetPathName(const std::filesystem::path& path, bool addToRecent = true);
    const std::filesystem::path& PathName() const { return m_pathName; }
    // No file any more (its data were discarded): the title "No_Name", and a save asks
    // for a name instead of writing over the file the data came from.
    void ForgetPathName();
    void SetModifiedFlag(bool modified = true);
    // Saves under the document's name, or asks for one when it has none or the file is
    // read-only. False when nothing was saved.
    bool DoFileSave();

    // ---- commands ----
    void OnOpenRandomData();     // 57601
    void OnFileSave();           // 57603
    void OnSaveRandomDataAs();   // 57604
    void OnLoadRouteDocument();  // 32772
    void OnSaveRouteDocument();  // 32773
    void OnLoadOtherRoute();     // 32921
    static void OnEraseOtherRoute();  // 32922

    // A .SIM file converted into points; the document then takes the name <base>.RND.
    // `import` reads the points (the SIMA reader by default). False when nothing changed.
    using SimaImporter = std::function<SimaImport(const std::filesystem::path&, bool)>;
    bool ConvertSimaDocument(const std::filesystem::path& path, const SimaImporter& import);

    // The view's scroll extent in pixels.
    int32_t ScrollWidth() const { return m_scrollWidth; }
    int32_t ScrollHeight() const { return m_scrollHeight; }

    // The name the route save proposes (the last route saved, without extension).
    const std::string& RouteName() const { return m_routeName; }

private:
    bool LoadRndDocument(const std::filesystem::path& path);
    void LoadRouteDocument(const std::filesystem::path& path);
    bool StoreRndDocument(const std::filesystem::path& path);
    bool StoreRouteDocument(const std::filesystem::path& path);
    bool SaveAsDialog(std::filesystem::path& chosen);
    void ResetViewStateForLoad();
    void SetScrollExtentFromData();
    void UpdateAllViews();
    void RegisterCommands();
    void RegisterDisplayToggles();

    CommandHandlerMap m_commands;
    Hooks m_hooks;
    std::string m_title = "No_Name";
    std::filesystem::path m_pathName;
    mutable bool m_modified = false;
    int32_t m_scrollWidth = 600;
    int32_t m_scrollHeight = 400;
    std::string m_routeName = "No_Name";
    // The document came with colour-band settings (.CDF), which its saves then carry.
    bool m_colorBandFile = false;
};
