#include "model/document.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <system_error>
#include <vector>

#include "analysis/flow_tool.h"
#include "contour/contour_files.h"
#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "exchange/route_reports.h"
#include "exchange/sima_route_command.h"
#include "exchange/text_outputs.h"
#include "model/backup_file.h"
#include "model/bnd_file.h"
#include "model/document_commands.h"
#include "model/document_toggles.h"
#include "model/file_report.h"
#include "model/geodesy.h"
#include "model/pick_reset.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tri_file.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/alg_file.h"
#include "route/route_data.h"
#include "route/route_files_command.h"
#include "shell/tool_windows.h"
#include "shell/work_files.h"
#include "shell/work_folder.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_data.h"
#include "volume/mesh_files.h"
#include "volume/lattice_output.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kOpenRandomTitle = "ランダムファイルの選択";
constexpr const char* kSaveRandomTitle = "ランダムファイルの保存";
constexpr const char* kRouteTitle = "路線ファイルの選択";
constexpr const char* kOtherRouteTitle = "他路線データ読み込み";
constexpr const char* kOtherRouteFilter =
    "路線ファイル (*.RSN,*.ALG)|*.RSN;*.ALG|すべてのファイル|*.*||";
constexpr const char* kAskEraseOtherRoutes = "他路線データを消去します。\nよろしいですか。";
constexpr const char* kNoMemoryText = "メモリーが不足しています。";
constexpr const char* kAskZeroElevation =
    "標高０ｍのデータを読み込みますか\n（標高値の付いていないデータは０ｍになります）";
constexpr const char* kNothingToSave = "保存するデータがありません";
constexpr const char* kAskSaveChanges = "%s への変更を保存しますか?";
constexpr const char* kNoSimaReader = "SIMAファイルを読み込めません。\n%s";
constexpr const char* kNoSimaPoints = "SIMAファイルに点データがありません。\n%s";
constexpr const char* kNoRouteReader = "路線ファイルを読み込めません。\n%s";

std::string UpperExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext;
}

bool IsSimaFile(const fs::path& path) { return UpperExtension(path) == ".SIM"; }
bool IsRouteFile(const fs::path& path) { return UpperExtension(path) == ".ALG"; }

bool TinExists() { return g_tinPresent != 0 && g_tinEdgeCount > 0; }

// A file whose write permission is taken away, or that this user may not write.
bool IsReadOnly(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return false;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return true;
    return ::access(path.c_str(), W_OK) != 0;
}

void EmptyPickLists() {
    ClearPicks();
    ClearPickList();
}

// Writes `path` through a file beside it that replaces it only once it is complete, so
// that a failed or refused write leaves the old file as it was.
class ReplacingFile {
public:
    explicit ReplacingFile(const fs::path& path) : m_path(path) {
        m_temp = path;
        m_temp += ".saving";
        // A folder where no new file can be made still lets the file itself be rewritten.
        if (!m_writer.Open(m_temp)) {
            m_temp.clear();
            m_writer.Open(m_path);
        }
    }
    ~ReplacingFile() {
        if (!m_done) {
            m_writer.Close();
            std::error_code ec;
            if (!m_temp.empty()) fs::remove(m_temp, ec);
        }
    }
    TextFileWriter& Writer() { return m_writer; }
    bool IsOpen() const { return m_writer.IsOpen(); }
    // Closes and puts the file in place; false (after a message) when that fails.
    bool Commit() {
        if (!m_writer.Close()) {
            ReportWriteFailed(m_path);
            return false;
        }
        m_done = true;
        if (!m_temp.empty()) {
            std::error_code ec;
            // The new file keeps the permissions of the one it replaces.
            const fs::file_status old = fs::status(m_path, ec);
            if (!ec && fs::exists(old)) fs::permissions(m_temp, old.permissions(), ec);
            fs::rename(m_temp, m_path, ec);
            if (ec) {
                m_done = false;
                ReportCannotCreate(m_path);
                return false;
            }
        }
        // Files whose names differ only in case are other documents here: they stay.
        return true;
    }

private:
    fs::path m_path;
    fs::path m_temp;
    TextFileWriter m_writer;
    bool m_done = false;
};

// The points, TIN and outline put aside while an import fills the blocks, and put back
// when it fails.
class KeptTerrain {
public:
    KeptTerrain()
        : m_pointCount(g_pointCount),
          m_pointCapacity(g_pointCapacity),
          m_tinEdgeCount(g_tinEdgeCount),
          m_tinEdgeCapacity(g_tinEdgeCapacity),
          m_pointsPresent(g_pointsPresent),
          m_tinPresent(g_tinPresent),
          m_holesInverted(g_holesInverted),
          m_planeZone(g_planeZone),
          m_outline(g_outline.Data(), g_outline.Data() + kIndexListEntries) {
        m_points.Swap(g_pointsBlock);
        m_edges.Swap(g_tinEdgesBlock);
        g_points = g_pointsBlock.Data();
        g_tinEdges = g_tinEdgesBlock.Data();
    }
    // Fresh empty blocks for the import; false when there is no memory for them.
    bool MakeEmpty() {
        if (GrowPointBlock(m_pointCapacity) != 0 || GrowTinEdgeBlock(m_tinEdgeCapacity) != 0)
            return false;
        g_pointCount = 0;
        g_tinEdgeCount = 0;
        g_tinPresent = 0;
        SetPointEndMarker();
        SetTinEndRecord();
        g_outline.Reset();
        return true;
    }
    void Restore() {
        m_points.Swap(g_pointsBlock);
        m_edges.Swap(g_tinEdgesBlock);
        g_points = g_pointsBlock.Data();
        g_tinEdges = g_tinEdgesBlock.Data();
        g_pointCount = m_pointCount;
        g_pointCapacity = m_pointCapacity;
        g_tinEdgeCount = m_tinEdgeCount;
        g_tinEdgeCapacity = m_tinEdgeCapacity;
        g_pointsPresent = m_pointsPresent;
        g_tinPresent = m_tinPresent;
        g_holesInverted = m_holesInverted;
        g_planeZone = m_planeZone;
        std::memcpy(g_outline.Data(), m_outline.data(), m_outline.size() * sizeof(int32_t));
    }

private:
    RecordBlock<RandomPoint> m_points;
    RecordBlock<TinEdge> m_edges;
    int32_t m_pointCount, m_pointCapacity, m_tinEdgeCount, m_tinEdgeCapacity;
    int32_t m_pointsPresent, m_tinPresent, m_holesInverted, m_planeZone;
    std::vector<int32_t> m_outline;
};
}  // namespace

// ---- companions ----

namespace {
// Whether the background image of a data file is placed: a .MPI file or a world file
// beside the image.
bool ImagePlacementPresent(const fs::path& path) {
    if (!FindCompanion(path, ".mpi").empty()) return true;
    struct Pair {
        const char* image;
        const char* world;
    };
    const Pair pairs[] = {{".tif", ".tfw"}, {".jpg", ".jgw"}, {".bmp", ".bpw"}, {".bmp", ".bmpw"}};
    for (const Pair& p : pairs)
        if (!FindCompanion(path, p.image).empty() && !FindCompanion(path, p.world).empty())
            return true;
    return false;
}

constexpr const char* kImageExtensions[] = {".tif", ".bmp", ".png", ".jpg"};

// The first image file beside the data file, with its kind (1 TIF .. 4 JPG).
fs::path FirstImageFile(const fs::path& path, int32_t& kind) {
    kind = 0;
    for (int32_t k = 0; k < 4; ++k) {
        fs::path image = FindCompanion(path, kImageExtensions[k]);
        if (!image.empty()) {
            kind = k + 1;
            return image;
        }
    }
    return {};
}
}  // namespace

CompanionFiles ProbeCompanionFiles(const fs::path& path) {
    CompanionFiles found;
    if (ImagePlacementPresent(path)) FirstImageFile(path, found.imageKind);
    found.dxf = FindCompanion(path, ".dxf").empty() ? 0 : 1;
    found.contours = FindCompanion(path, ".ct1").empty() ? 0 : 1;
    found.colorBands = FindCompanion(path, ".cdf").empty() ? 0 : 1;
    return found;
}

void LoadDocumentBackgroundImage(const fs::path& path) {
    FreeDocumentImages();
    if (!ImagePlacementPresent(path)) return;
    int32_t kind = 0;
    const fs::path image = FirstImageFile(path, kind);
    if (image.empty()) return;
    if (LoadBackgroundImageFile(image, kind, path)) g_showBackgroundImage = -1;
}

// ---- the document ----

CPelmo_3DDoc::CPelmo_3DDoc() { RegisterCommands(); }

bool CPelmo_3DDoc::IsModified() const {
    // Editing tools mark their changes in g_dataChanged; a later reset of that word by a
    // dialog must not make the changes look saved.
    if (g_dataChanged != 0) m_modified = true;
    return m_modified;
}

void CPelmo_3DDoc::SetModifiedFlag(bool modified) {
    m_modified = modified;
    if (!modified) g_dataChanged = 0;
}

void CPelmo_3DDoc::SetTitle(const std::string& title) {
    m_title = title;
    if (m_hooks.titleChanged) m_hooks.titleChanged();
}

void CPelmo_3DDoc::ForgetPathName() {
    m_pathName.clear();
    SetTitle("No_Name");
}

void CPelmo_3DDoc::SetPathName(const fs::path& path, bool addToRecent) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    m_pathName = ec ? path : absolute.lexically_normal();
    SetTitle(m_pathName.filename().string());
    if (addToRecent && m_hooks.addRecentFile) m_hooks.addRecentFile(m_pathName.string());
}

void CPelmo_3DDoc::UpdateAllViews() { InvalidateAndUpdateView(); }

void CPelmo_3DDoc::SetScrollExtentFromData() {
    const double size = g_viewScale * g_extentSize;
    const int32_t extent = size > 0 && size < 2e9 ? static_cast<int32_t>(size) : 0;
    m_scrollWidth = extent;
    m_scrollHeight = extent;
}

void CPelmo_3DDoc::ResetViewStateForLoad() {
    ResetFlowSettings();
    g_dxfElementCountAtLoad = 0;
    g_dxfElementCount = 0;
    NoteDxfElementsChanged();
    g_dxfBlockElementCount = 0;
    g_overviewExtent = 0;
    g_showPointElevations = 0;
    g_showGrid = 0;
    g_showPointNames = 0;
    g_showSimpleContours = 0;
    ForgetActiveImage();
    g_showBackgroundImage = 0;
}

// ---- new ----

bool CPelmo_3DDoc::NewDocument() { return OnNewDocument(); }

bool CPelmo_3DDoc::OnNewDocument() {
    RestoreSurveyFrame();
    m_pathName.clear();
    SetModifiedFlag(false);

    if (g_pointsPresent == 0 && g_dxfElementCount == 0) {
        m_scrollWidth = 200;
        m_scrollHeight = 200;
    }
    SetTitle("No_Name");
    ForgetStaleCompanions();
    m_colorBandFile = false;
    CloseToolWindows();
    DeleteContourWorkFiles();
    EmptyPickLists();

    // The start-up data set; whatever of it is missing is skipped without a word.
    const fs::path folder = ProgramFolder();
    const fs::path snapshot = FindFileNoCase(folder / "DATA1.VEW");
    if (!snapshot.empty()) ReadBackupFile(snapshot);
    const fs::path flags = FindFileNoCase(folder / "DATA1.TFG");
    if (!flags.empty()) ReadDocumentTextFlags(flags);

    ResetViewStateForLoad();
    LoadDocumentBackgroundImage(folder / "DATA1.RND");

    ResetColorBandState();
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    if (g_pointsPresent != 0) SetScrollExtentFromData();

    g_birdsEyeOn = 1;
    if (BackgroundImageLoaded()) {
        g_showPoints = 0;
        g_showTin = 0;
    } else if (TinExists()) {
        g_showPoints = 0;
        g_showTin = 0;
        g_colorBandParams.mode = 2;
        g_colorBandOn = -1;
        BuildElevationPaletteForced();
    }
    const fs::path bands = FindFileNoCase(folder / "DATA1.CDF");
    if (!bands.empty() && ReadDocumentColorBands(bands)) BuildElevationPaletteForced();

    // Loading the set is not a change to save.
    SetModifiedFlag(false);
    SetTitle("VODA XML");
    // The view shows the new state at once, not the previous document's picture.
    g_redrawMask = -1;
    UpdateAllViews();
    return true;
}

// ---- open ----

bool CPelmo_3DDoc::OpenDocument(const std::string& path) {
    if (!OnOpenDocument(path)) return false;
    // A converted SIMA file has taken its .RND name already; a route document keeps the
    // name of the random data.
    if (!IsSimaFile(path) && !IsRouteFile(path)) SetPathName(path);
    return true;
}

bool CPelmo_3DDoc::OnOpenDocument(const fs::path& path) {
    RestoreSurveyFrame();
    if (IsSimaFile(path)) {
        return ConvertSimaDocument(
            path, [](const fs::path& p, bool zero) { return ImportSimaPoints(p, zero); });
    }
    if (IsRouteFile(path)) {
        if (!RouteDocumentFilesAvailable()) {
            ShowMessage(FormatString(kNoRouteReader, path.c_str()), "",
                        msg::kOk | msg::kIconWarning);
            return false;
        }
        // Loading a route leaves the random data and their unsaved changes alone.
        LoadRouteDocument(path);
        return true;
    }
    if (!LoadRndDocument(path)) return false;
    SetModifiedFlag(false);
    InvalidateAndUpdateView();
    return true;
}

bool CPelmo_3DDoc::LoadRndDocument(const fs::path& path) {
    // Read first: a file that cannot be read leaves the document as it was.
    const std::string keptPath = g_currentDataPath;
    const std::string keptTitle = g_documentTitle;
    const std::string keptFolder = g_dataFolder;
    const int32_t keptCapacity = g_pointCapacity;
    const int32_t keptZone = g_planeZone;
    std::error_code ec;
    const uintmax_t length = fs::file_size(path, ec);
    const uintmax_t lines = ec ? 0 : length / 63;
    g_currentDataPath = path.string();
    g_pointCapacity = static_cast<int32_t>(std::min<uintmax_t>(lines, 100000000) + 1000);
    if (ReadRndDocument() == 0) {
        g_currentDataPath = keptPath;
        g_documentTitle = keptTitle;
        g_dataFolder = keptFolder;
        g_pointCapacity = keptCapacity;
        g_planeZone = keptZone;
        return false;
    }

    // What belonged to the previous data goes.
    ForgetStaleCompanions();
    if (g_stationCount > 0 || g_ipPointCount > 0) {
        ClearRouteSections();
        g_ipPointCount = 0;
        g_stationCount = 0;
    }
    DestroyLegendWindows();
    CloseToolWindows();
    DeleteContourWorkFiles();
    EmptyPickLists();

    g_drawingContoursLoaded = 0;
    g_showDrawingContours = 0;
    ClearSliceContours();
    g_showPoints = -1;

    const fs::path flags = FindCompanion(path, ".tfg");
    if (!flags.empty()) ReadDocumentTextFlags(flags);

    ResetViewStateForLoad();
    g_colorBandOn = 0;
    FreeDocumentImages();

    // Every companion found is loaded.
    const CompanionFiles found = ProbeCompanionFiles(path);
    if (found.imageKind != 0) LoadDocumentBackgroundImage(path);
    if (found.contours != 0) RestoreDocumentContours(path);
    if (found.dxf != 0) ReadDocumentDxf(FindCompanion(path, ".dxf"));

    ResetColorBandState();
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();

    if (g_pointsPresent != 0) {
        SetTitle(g_documentTitle);
        SetScrollExtentFromData();
        CloseViewer3d();
    }

    const fs::path bands = FindCompanion(path, ".cdf");
    const bool bandsRead = !bands.empty() && ReadDocumentColorBands(bands);
    m_colorBandFile = bandsRead;
    if (!bandsRead) {
        g_showTin = 0;
        g_birdsEyeOn = 1;
        g_showPoints = 0;
    }
    const bool image = BackgroundImageLoaded();
    const bool tin = TinExists();
    if (!bandsRead && (image || tin)) {
        g_colorBandParams.mode = 2;
        g_colorBandParams.planOnly = image && !BackgroundImageIsMono() ? 1 : 0;
        g_colorBandOn = -1;
    }
    if (image || tin) BuildElevationPaletteForced();
    if (!tin) g_showPoints = -1;

    if (m_hooks.refreshHeightScaleBox) m_hooks.refreshHeightScaleBox();
    if (g_colorBandOn != 0) OpenLegendWindows();
    g_redrawMask = -1;
    return true;
}

void CPelmo_3DDoc::LoadRouteDocument(const fs::path& path) {
    for (const std::string* work : {&g_tempPath4, &g_tempPath5}) {
        std::error_code ec;
        if (!work->empty()) fs::remove(*work, ec);
    }
    g_stationCount = 0;
    g_ipPointCount = 0;
    CloseToolWindows();
    ReadRouteDocumentFiles(path);

    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    SetScrollExtentFromData();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
    RefreshRouteWindows();
}

bool CPelmo_3DDoc::ConvertSimaDocument(const fs::path& path, const SimaImporter& import) {
    if (!import) {
        ShowMessage(FormatString(kNoSimaReader, path.c_str()), "", msg::kOk | msg::kIconWarning);
        return false;
    }
    const bool zero =
        ShowMessage(kAskZeroElevation, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;

    // The data in memory stay aside until the file has given points; the document takes
    // the new name only then.
    KeptTerrain kept;
    SimaImport result = SimaImport::kFailed;
    if (kept.MakeEmpty()) result = import(path, zero);
    if (result == SimaImport::kRead && g_pointCount <= 0) {
        kept.Restore();
        ShowMessage(FormatString(kNoSimaPoints, path.c_str()), "", msg::kOk | msg::kIconWarning);
        return false;
    }
    if (result != SimaImport::kRead) {
        kept.Restore();
        if (result == SimaImport::kUnavailable)
            ShowMessage(FormatString(kNoSimaReader, path.c_str()), "",
                        msg::kOk | msg::kIconWarning);
        else if (result == SimaImport::kFailed)
            ShowMessage(kNoMemoryText, "", msg::kOk | msg::kIconError);
        g_redrawMask = -1;
        InvalidateAndUpdateView();
        return false;
    }

    g_pointsPresent = -1;
    g_tinPresent = 0;
    g_overviewExtent = 0;
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    SetPathName(WithExtension(path, ".RND"));
    m_colorBandFile = false;
    // The points exist only in memory until they are saved.
    SetModifiedFlag(true);
    g_redrawMask = -1;
    InvalidateAndUpdateView();
    return true;
}

// ---- save ----

bool CPelmo_3DDoc::OnSaveDocument(const fs::path& path) {
    RestoreSurveyFrame();
    const bool route = IsRouteFile(path);
    const bool keepModified = UpperExtension(path) != ".RND" && IsModified();
    bool saved = false;
    if (route) {
        saved = StoreRouteDocument(path);
    } else {
        saved = StoreRndDocument(path);
    }
    if (keepModified) {
        // Saving a route document never counts as saving the random data.
        m_modified = true;
        g_dataChanged = 0;
    }
    if (Viewer3dRunning()) RefreshViewer3d();
    return saved;
}

bool CPelmo_3DDoc::StoreRndDocument(const fs::path& path) {
    if (g_pointsPresent == 0) {
        ShowMessage(kNothingToSave, "", msg::kOk | msg::kIconWarning);
        return false;
    }
    if (IsReadOnly(path)) {  // replacing it would bypass its protection
        ReportCannotCreate(path);
        return false;
    }
    {
        ReplacingFile file(path);
        if (!file.IsOpen()) {
            ReportCannotCreate(path);
            return false;
        }
        const int32_t written = WriteRndText(file.Writer());
        if (written != kRndWritten) {
            if (written == kRndNoData)
                ShowMessage(kNothingToSave, "", msg::kOk | msg::kIconWarning);
            return false;
        }
        if (!file.Commit()) return false;
    }

    // The companions; any of them that fails has told the user, and the document then
    // stays marked as changed.
    const size_t messages = ShownMessageCount();
    g_currentDataPath = path.string();
    const bool tin = TinExists();
    const bool tinWritten = WriteTriFile(path) == 0;
    WriteBndFile(path);
    WriteDocumentCompanions(path);
    if (m_colorBandFile) WriteDocumentColorBands(path);
    const bool complete = (tinWritten || !tin) && ShownMessageCount() == messages;

    g_documentTitle = path.stem().string();
    SetTitle(g_documentTitle);
    SetModifiedFlag(!complete);
    return true;
}

bool CPelmo_3DDoc::StoreRouteDocument(const fs::path& path) {
    if (!RouteDocumentFilesAvailable()) return false;
    return WriteRouteDocumentFiles(path);
}

bool CPelmo_3DDoc::SaveAsDialog(fs::path& chosen) {
    std::string proposal = !m_pathName.empty() ? m_pathName.stem().string() : g_documentTitle;
    if (proposal.empty()) proposal = "No_Name";
    FileDialogRequest request;
    request.save = true;
    request.title = kSaveRandomTitle;
    request.filter = kRandomFileFilter;
    request.defaultExtension = "RND";
    request.folder = g_workFolder;
    request.fileName = proposal + ".RND";
    const std::string answer = RunFileDialog(request);
    if (answer.empty()) return false;
    g_lastFolder = FolderOfPath(answer);
    chosen = answer;
    return true;
}

bool CPelmo_3DDoc::DoFileSave() {
    fs::path path = m_pathName;
    if (path.empty() || IsReadOnly(path)) {
        if (!SaveAsDialog(path)) return false;
    }
    if (!OnSaveDocument(path)) return false;
    SetPathName(path);
    return true;
}

bool CPelmo_3DDoc::SaveModified() {
    if (!IsModified()) return true;
    // Without random data there is nothing that could be saved, so nothing to lose.
    if (g_pointsPresent == 0) return true;
    const int answer = ShowMessage(FormatString(kAskSaveChanges, m_title.c_str()), "",
                                   msg::kYesNoCancel | msg::kIconWarning);
    if (answer == msg::kIdCancel) return false;
    if (answer == msg::kIdNo) return true;
    return DoFileSave();
}

void CPelmo_3DDoc::SaveForBackupPrompt(int kind) {
    if (kind == 1)
        DoFileSave();
    else if (kind == 2)
        OnSaveRandomDataAs();
}

// ---- commands ----

void CPelmo_3DDoc::OnOpenRandomData() {
    FileDialogRequest request;
    request.title = kOpenRandomTitle;
    request.filter = kRandomFileFilter;
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (!chosen.empty()) {
        g_lastFolder = FolderOfPath(chosen);
        // Unsaved changes are offered for saving before other data replace them.
        if (SaveModified()) OpenDocument(chosen);
    }
    UpdateAllViews();
}

void CPelmo_3DDoc::OnFileSave() { DoFileSave(); }

void CPelmo_3DDoc::OnSaveRandomDataAs() {
    fs::path chosen;
    if (!SaveAsDialog(chosen)) return;
    if (OnSaveDocument(chosen)) SetPathName(chosen);
}

void CPelmo_3DDoc::OnLoadRouteDocument() {
    FileDialogRequest request;
    request.title = kRouteTitle;
    request.filter = kRouteFileFilter;
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (!chosen.empty()) {
        g_lastFolder = FolderOfPath(chosen);
        OnOpenDocument(chosen);
    }
    UpdateAllViews();
    if (m_hooks.refreshHeightScaleBox) m_hooks.refreshHeightScaleBox();
}

void CPelmo_3DDoc::OnSaveRouteDocument() {
    FileDialogRequest request;
    request.save = true;
    request.title = kRouteTitle;
    request.filter = kRouteFileFilter;
    request.defaultExtension = "ALG";
    request.folder = g_workFolder;
    request.fileName = g_routeDataName;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    g_lastFolder = FolderOfPath(chosen);
    m_routeName = fs::path(chosen).stem().string();
    g_routeDataName = m_routeName;
    OnSaveDocument(chosen);
}

void CPelmo_3DDoc::OnLoadOtherRoute() {
    FileDialogRequest request;
    request.title = kOtherRouteTitle;
    request.filter = kOtherRouteFilter;
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    g_lastFolder = FolderOfPath(chosen);
    LoadOtherRoute(chosen);
    ResetViewAfterLoad([this] { SetScrollExtentFromData(); });
}

void CPelmo_3DDoc::OnEraseOtherRoute() {
    if (ShowMessage(kAskEraseOtherRoutes, "", msg::kYesNo | msg::kIconQuestion) != msg::kIdYes)
        return;
    EraseOtherRoutes();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

bool CPelmo_3DDoc::OnUpdateCommand(int id, CommandUpdate& update) {
    if (!m_commands.HasCommandHandler(id)) return false;
    return m_commands.OnUpdateCommand(id, update);
}

void CPelmo_3DDoc::RegisterCommands() {
    m_commands.SetHandler(cmd::kFileOpen, [this] { OnOpenRandomData(); });
    m_commands.SetHandler(cmd::kFileSave, [this] { OnFileSave(); });
    m_commands.SetHandler(cmd::kFileSaveAs, [this] { OnSaveRandomDataAs(); });
    if (RouteDocumentFilesAvailable()) {
        m_commands.SetHandler(32772, [this] { OnLoadRouteDocument(); });
        m_commands.SetHandler(32773, [this] { OnSaveRouteDocument(); });
        m_commands.SetHandler(32921, [this] { OnLoadOtherRoute(); });
        m_commands.SetHandler(32922, [] { OnEraseOtherRoute(); });
    }
    m_commands.SetHandler(32897, [] { RunEarthworkCalc(); });
    m_commands.SetHandler(32898, [] { RunVolumeList(); });
    m_commands.SetHandler(32816, [] { RunSectionRandomOutput(); });
    m_commands.SetHandler(32813, [] { RunRouteSimaOutput(); });
    m_commands.SetHandler(32812, [] { RunLongSectionSimaOutput(); });
    m_commands.SetHandler(32815, [] { RunCrossSectionSimaOutput(); });
    m_commands.SetHandler(32827, [] { OnExportCurveElementText(); });
    m_commands.SetHandler(32828, [] { OnExportStationText(); });
    m_commands.SetHandler(32820, [] { OnExportMeshElevationText(); });
    m_commands.SetHandler(32958, [this] {
        if (RunRouteSimaRead()) ResetViewAfterLoad([this] { SetScrollExtentFromData(); });
    });

    // The sibling programs that read the saved data file.
    auto saveHooks = [this] {
        DocumentSaveHooks hooks;
        hooks.save = [this] { return DoFileSave(); };
        hooks.modified = [this] { return IsModified(); };
        return hooks;
    };
    m_commands.SetHandler(32857, [saveHooks] { OnContourPlot(saveHooks()); });
    m_commands.SetHandler(32962, [saveHooks] { OnStartMeshProgram(saveHooks()); });

    // The mesh files; after a read the view is fitted again, as after opening data.
    m_commands.SetHandler(32882, [this] {
        OpenMeshFile();
        RefitViewAfterMeshRead();
        if (g_meshAreaDefined) SetScrollExtentFromData();
    });
    m_commands.SetHandler(32883, [] { SaveMeshFile(); });
    m_commands.SetHandler(32887, [this] {
        if (OpenMeshVolumeFile() && g_meshAreaDefined) SetScrollExtentFromData();
    });

    // Rules of the document's commands, including those whose handlers later code adds.
    for (int id : {cmd::kFileSave, cmd::kFileSaveAs, 32857})
        m_commands.SetUpdateRule(id, UpdateNeedsPoints);
    for (int id : {32883, 32820, 32841, 32848}) m_commands.SetUpdateRule(id, UpdateNeedsMesh);
    for (int id : {32773, 32813}) m_commands.SetUpdateRule(id, UpdateNeedsRoute);
    for (int id : {32816, 32812, 32815}) m_commands.SetUpdateRule(id, UpdateNeedsSections);
    m_commands.SetUpdateRule(32828, UpdateStationText);
    m_commands.SetHandler(33006, OnTriangularLatticeOutput);
    m_commands.SetUpdateRule(33006, UpdateTinLattice);
    m_commands.SetUpdateRule(32922, UpdateOtherRouteClear);
    m_commands.SetUpdateRule(32898, [](CommandUpdate& u) { u.enabled = VolumeListEnabledNow(); });
    // The mesh volume table (33016) gets its rule with its command: the mesh volume data
    // it tests are not built yet.

    RegisterDisplayToggles();
}

void CPelmo_3DDoc::RegisterDisplayToggles() {
    auto repaint = [this](RepaintTarget target) {
        if (target == RepaintTarget::kNone) return;
        g_redrawMask = -1;
        if (target == RepaintTarget::kMainWindow && m_hooks.repaintMainWindow)
            m_hooks.repaintMainWindow();
        else
            InvalidateAndUpdateView();
    };
    auto shift = [] { return IsKeyDown(key::kShift); };
    struct Toggle {
        int id;
        std::function<RepaintTarget()> run;
        CommandHandlerMap::UpdateRule rule;
    };
    const Toggle toggles[] = {
        {32792, [shift] { return OnTogglePointNames(shift()); }, UpdatePointNames},
        {32793, OnTogglePointElevations, UpdatePointElevations},
        {32794, OnToggleDrawingContours, UpdateDrawingContours},
        {32894, OnToggleContours, UpdateContours},
        {32885, [shift] { return OnToggleRandomPoints(shift()); }, UpdateRandomPoints},
        {32970, OnToggleTextFlags, UpdateTextFlags},
        {32797, OnToggleSimpleContours, UpdateSimpleContours},
        {32974, OnToggleSlopeLines, UpdateSlopeLines},
        {32854, OnToggleGrid, UpdateGrid},
    };
    for (const Toggle& t : toggles) {
        m_commands.SetHandler(t.id, [run = t.run, repaint] { repaint(run()); });
        m_commands.SetUpdateRule(t.id, t.rule);
    }
    if (Viewer3dLinkAvailable()) {
        m_commands.SetHandler(32804, OnViewerLink);
        m_commands.SetUpdateRule(32804, UpdateViewerLink);
        m_commands.SetHandler(32826, OnViewerAutoUpdate);
        m_commands.SetUpdateRule(32826, UpdateViewerAutoUpdate);
    }
}
