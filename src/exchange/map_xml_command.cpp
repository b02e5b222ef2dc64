#include "exchange/map_xml_command.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "exchange/delimited_text.h"
#include "exchange/dem_xml.h"
#include "exchange/fgd_xml.h"
#include "contour/contour_files.h"
#include "model/auto_outline.h"
#include "model/geodesy.h"
#include "model/document_services.h"
#include "model/pick_reset.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_build_support.h"
#include "model/tin_grid_builder.h"
#include "model/zone_dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "shell/status_text.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "shell/quiet_mode.h"
#include "view/view_transform.h"

namespace {

GsiXmlOptionsDialog g_optionsDialog;

constexpr const char* kAskDiscardPoints = "現在読み込んでいるデータは破棄されますがよろしいですか";
constexpr const char* kAskStop = "取り込みを中止しますか？";
constexpr const char* kNoTinMemory = "メモリ不足で三角網を作成できません";
constexpr const char* kNoOutline = "外周を作成できませんでした";

FileDialogRequest XmlOpenRequest() {
    FileDialogRequest request;
    request.title = kGsiXmlTitle;
    request.filter = kGsiXmlFilter;
    request.folder = g_workFolder;
    return request;
}

void RefreshWholeData() {
    g_overviewExtent = 0;
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// Runs `import` for each file under the progress window, file by file; a failed file or
// a stop between files skips the rest.
template <class Import>
void ForEachFile(const std::vector<std::string>& files, Import&& import) {
    const bool ownWindow = OpenProgressWindow(progress::kDigitalMapImport);
    g_progressTotal = static_cast<int32_t>(files.size());
    ShowWaitCursor(true);
    for (size_t i = 0; i < files.size(); ++i) {
        g_progressCurrent = static_cast<int32_t>(i + 1);
        RefreshProgressWindow();
        if (import(files[i], static_cast<int32_t>(i)) != 0) break;
        if (i + 1 < files.size() &&
            AskToStopWhenRequested(kAskStop, msg::kYesNo | msg::kIconQuestion) == msg::kIdYes)
            break;
    }
    ShowWaitCursor(false);
    if (ownWindow) CloseProgressWindow();
}

// The data sets other than the points that a mesh read replaces.
void DiscardOtherDataSets() {
    DeleteContourWorkFiles();
    g_outline.Reset();
    ClearPicks();
    ClearPickList();
    g_pickList2.Reset();
    ClearSliceContours();
    g_dxfElementCount = 0;
    g_dxfBlockElementCount = 0;
    g_dxfLayerCount = 0;
    g_dxfBlockNames.clear();
    g_dxfElementCountAtLoad = 0;
    g_dxfFirstNewElement = 0;
    g_dxfRegistration.dxfLoaded = 0;
    g_showBackgroundDxf = 0;
    FreeDocumentImages();
}

// The mesh files are read after the points in memory; only when they gave points do the
// old data go, so a refused, damaged or stopped import leaves everything as it was.
int32_t ImportMeshesReplacingData(const std::vector<std::string>& files) {
    const int32_t before = g_pointCount;
    ForEachFile(files, [](const std::string& path, int32_t) { return ImportGsiXmlDem(0, path); });
    const int32_t added = g_pointCount - before;
    if (added <= 0) {
        g_pointCount = before;
        SetPointEndMarker();
        return 0;
    }
    if (before > 0)
        std::memmove(&g_points[1], &g_points[before + 1], static_cast<size_t>(added) * sizeof(RandomPoint));
    g_pointCount = added;
    SetPointEndMarker();
    g_tinEdgeCount = 0;
    g_tinPresent = 0;
    SetTinEndRecord();
    DiscardOtherDataSets();
    g_pointsPresent = -1;
    g_dataChanged = -1;
    return added;
}

// The automatic outline, the TIN inside it and the display of a mesh just read.
void BuildOutlineAndTin(const std::function<void()>& refreshHeightScale) {
    RefreshWholeData();
    if (BuildAutoOutline(50) != kAutoOutlineDone || g_outline.Count() < 3) {
        ShowMessage(kNoOutline, "", msg::kOk | msg::kIconError);
    } else {
        bool room = true;
        const int64_t wanted = int64_t{4} * g_pointCount;
        if (g_tinEdgeCapacity < wanted) {
            if (wanted > std::numeric_limits<int32_t>::max() - 16 ||
                GrowTinEdgeBlock(static_cast<int32_t>(wanted)) != 0) {
                ShowMessage(kNoTinMemory, "", msg::kOk | msg::kIconError);
                room = false;
            } else {
                g_tinEdgeCapacity = static_cast<int32_t>(wanted);
            }
        }
        if (room) {
            OrientPolygonClockwise(g_outline);
            SetStatusText("外周内部点登録中...");
            MarkPointsOutsideOutline(g_outline);
            g_tinEdgeCount = 0;
            // No questions from the build: the outline was made for it.
            const int32_t quiet = g_quietMode;
            g_quietMode = 1;
            BuildTinGrid();
            g_quietMode = quiet;
            if (LastTinBuildResult() == TinBuildResult::kLimit)
                ShowMessage(kNoTinMemory, "", msg::kOk | msg::kIconError);
        }
    }
    ShowAllKeepSettings();
    SetViewScale(g_viewScale * 2.5);
    g_showPoints = -1;
    g_showTin = 0;
    g_colorBandOn = 0;
    g_birdsEyeOn = 1;
    double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.invalid != 0 || p.outside != 0) continue;
        low = std::min(low, p.z);
        high = std::max(high, p.z);
    }
    if (low <= high) {
        g_contourMinZ = std::trunc(low);
        g_contourMaxZ = std::trunc(high);
    }
    g_contourInterval = 10.0;
    g_indexContourInterval = 50.0;
    if (refreshHeightScale) refreshHeightScale();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

}  // namespace

void SetGsiXmlOptionsDialog(GsiXmlOptionsDialog dialog) { g_optionsDialog = std::move(dialog); }

GsiXmlOptions OpenGsiXmlOptions() {
    g_useWorldDatum = 1;
    return DefaultGsiXmlOptions();
}

void OnGsiXmlSelect() {
    const std::vector<std::string> files = RunMultipleFileDialog(XmlOpenRequest());
    if (files.empty()) return;
    g_lastFolder = FolderOfPath(files.front());
    ImportGsiXmlFeatures(1, files.front(), 0, DefaultGsiXmlOptions());
    GsiXmlOptions options = OpenGsiXmlOptions();
    const int32_t result = g_optionsDialog ? g_optionsDialog(options) : 1;
    if (result == 0) return;
    ForEachFile(files, [&options](const std::string& path, int32_t index) {
        return ImportGsiXmlFeatures(0, path, index, options);
    });
    RefreshWholeData();
}

void OnGsiXmlMeshImport() {
    if (g_pointCount > 0 &&
        ShowMessage(kAskDiscardPoints, "", msg::kOkCancel | msg::kIconQuestion) != msg::kIdOk)
        return;
    const std::vector<std::string> files = RunMultipleFileDialog(XmlOpenRequest());
    if (files.empty()) return;
    g_lastFolder = FolderOfPath(files.front());
    // The zone is settled before anything is discarded, so a cancel loses nothing.
    ImportGsiXmlDem(1, files.front());
    if (g_planeZone == 0) {
        ShowMessage(kNotMeshData, "", msg::kOk | msg::kIconError);
        return;
    }
    ZoneSelectValues values;
    values.m_zone = g_planeZone;
    values.m_datumSelection = 1;
    values.m_convertDatum = 1;
    values.m_dataDatum = g_useWorldDatum;
    if (!RunImportZoneDialog(values)) return;
    g_planeZone = values.m_zone;
    g_useWorldDatum = values.m_dataDatum == 1 ? 1 : 0;
    ImportMeshesReplacingData(files);
    RefreshWholeData();
}

void OnGsiXmlMeshRead(const std::function<void()>& refreshHeightScale) {
    const std::string path = RunFileDialog(XmlOpenRequest());
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    const int32_t zoneBefore = g_planeZone;
    g_planeZone = 0;
    ImportGsiXmlDem(1, path);
    if (g_planeZone == 0) {
        g_planeZone = zoneBefore;
        ShowMessage(kNotMeshData, "", msg::kOk | msg::kIconError);
        return;
    }
    const size_t toldBefore = ShownMessageCount();
    if (ImportMeshesReplacingData({path}) == 0) {
        g_planeZone = zoneBefore;
        // A damaged file has been told already.
        if (ShownMessageCount() == toldBefore) ShowMessage(kNotMeshData, "", msg::kOk | msg::kIconError);
        g_redrawMask = -1;
        InvalidateAndUpdateView();
        return;
    }
    BuildOutlineAndTin(refreshHeightScale);
}
