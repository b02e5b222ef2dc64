#include "exchange/alignment_xml_command.h"

#include <filesystem>
#include <string>

#include "exchange/alignment_xml.h"
#include "exchange/gpx_track.h"
#include "model/document_services.h"
#include "model/geodesy.h"
#include "model/zone_dialog.h"
#include "platform/file_dialog.h"
#include "route/route_lists.h"
#include "shell/work_folder.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {
constexpr const char* kFilter = "XMLファイル (*.XML)|*.XML|すべてのファイル|*.*||";
constexpr const char* kTitle = "XMLファイル読込";

TrackZoneDialog g_trackZoneDialog;

bool IsTrackFile(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    return extension.find("gpx") != std::string::npos || extension.find("GPX") != std::string::npos;
}

// Zone pass, zone question, import pass; false when it ended early.
bool ReadTrack(const std::string& path) {
    // A file without a point that would be taken says so and ends here, whatever zone an
    // earlier import left.
    if (ReadGpxTrack(1, path) != 0 || g_planeZone == 0) return false;
    ZoneSelectValues values;
    values.m_zone = g_planeZone;
    values.m_datumSelection = 1;
    values.m_convertDatum = 1;
    values.m_dataDatum = 1;
    if (g_trackZoneDialog && !g_trackZoneDialog(values)) return false;
    g_planeZone = values.m_zone;
    g_useWorldDatum = values.m_dataDatum == 1 ? 1 : 0;
    return ReadGpxTrack(0, path) == 0;
}

}  // namespace

void SetTrackZoneDialog(TrackZoneDialog dialog) { g_trackZoneDialog = std::move(dialog); }

void RunRoadGmXmlRead() {
    FileDialogRequest request;
    request.title = kTitle;
    request.filter = kFilter;
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    g_lastFolder = FolderOfPath(chosen);
    if (!IsTrackFile(chosen)) {
        ReadRoadGmXml(chosen);
    } else if (!ReadTrack(chosen)) {
        return;
    }
    RefreshIpList();
    RefreshStationList();
    g_overviewExtent = 0;
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
