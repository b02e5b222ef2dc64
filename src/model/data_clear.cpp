#include "model/data_clear.h"

#include <filesystem>
#include <system_error>

#include "contour/contour_files.h"
#include "contour/slice_lines.h"
#include "contour/slice_store.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "image/image_slot.h"
#include "model/document_services.h"
#include "model/outline_edit.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "section/section_calc.h"
#include "section/section_records.h"
#include "shell/work_files.h"
#include "view/display_flags.h"
#include "view/text_flags.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
bool Chosen(int32_t member) { return (member & kDataChosen) != 0; }
int32_t Presence(bool present) { return present ? kDataPresent : 0; }

void DeleteWorkFile(const std::string& path) {
    if (path.empty()) return;
    std::error_code ec;
    std::filesystem::remove(path, ec);
}
}  // namespace

DataClearValues DataClearPresence() {
    DataClearValues v;
    v.tin = Presence(g_tinEdgeCount != 0);
    v.random = Presence(g_pointCount != 0);
    v.mesh = Presence(g_meshAreaDefined != 0);
    v.route = Presence(g_ipPointCount != 0 || g_stationCount != 0);
    v.image = Presence(g_bgImage.loaded != 0);
    v.dxf = Presence(g_dxfElementCount != 0 || g_dxfBlockElementCount != 0);
    v.contour = Presence(g_drawingContoursLoaded != 0);
    v.slice = Presence(g_sliceContoursLoaded != 0);
    return v;
}

void DataClearTick(DataClearValues& values, int32_t DataClearValues::*member, bool ticked) {
    int32_t& m = values.*member;
    m = ticked ? (m | kDataChosen) : (m & ~kDataChosen);
    if (member == &DataClearValues::random && ticked && (values.tin & kDataPresent))
        values.tin |= kDataChosen;
}

void ClearChosenData(const DataClearValues& v, const std::function<void()>& forgetDocument) {
    if (Chosen(v.tin)) {
        g_tinEdgeCount = 0;
        g_tinPresent = 0;
        g_colorBandOn = 0;
        SetTinEndRecord();
    }
    if (Chosen(v.random)) {
        g_pointCount = 0;
        SetPointEndMarker();
        g_tinEdgeCount = 0;
        SetTinEndRecord();
        g_pointsPresent = 0;
        g_tinPresent = 0;
        g_drawingContoursLoaded = 0;
        g_sliceContoursLoaded = 0;
        g_colorBandOn = 0;
        ClearOutline();
        g_textFlagCount = 0;
        g_dataChanged = 0;
        if (forgetDocument) forgetDocument();
        g_currentDataPath.clear();
    }
    if (Chosen(v.mesh)) {
        g_meshAreaDefined = 0;
        g_meshElevationsDone = 0;
        g_meshPlanDone = 0;
        g_meshVolumeDone = 0;
    }
    if (Chosen(v.route)) {
        g_ipPointCount = 0;
        g_stationCount = 0;
        g_otherRouteStationCount = 0;
        g_longCrossingCount = 0;
        g_hasSections = 0;
        g_sectionViewCount = 0;
        g_simpleSectionCount = 0;
        g_crossSectionCount = 0;
        g_plusStakeCount = 0;
        g_otherRouteIpCount = 0;
        DeleteWorkFile(g_sectionTempPath);
    }
    if (Chosen(v.image)) {
        g_showBackgroundImage = 0;
        g_colorBandOn = 0;
        FreeDocumentImages();
    }
    if (Chosen(v.dxf)) {
        g_dxfElementCountAtLoad = 0;
        g_dxfElementCount = 0;
        g_dxfBlockElementCount = 0;
        g_dxfRegistration.dxfLoaded = 0;
        GrowDxfElementBlock(0);
        GrowDxfBlockElementBlock(0);
        NoteDxfElementsChanged();
    }
    // The copies beside the document stay on disk: its next save removes them.
    if (Chosen(v.contour)) {
        MarkCompanionsStale({".ct1", ".ct2"});
        DeleteContourWorkFiles();
        g_drawingContoursLoaded = 0;
        g_showDrawingContours = 0;
    }
    if (Chosen(v.slice)) {
        MarkCompanionsStale({".ct3", ".hlt"});
        g_sliceContoursLoaded = 0;
        g_showSliceContours = 0;
        ClearSliceLines();
        g_sliceLineCount = 0;
    }
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void OnDataClear(const std::function<int(DataClearValues&)>& runDialog,
                 const std::function<void()>& forgetDocument) {
    DataClearValues values = DataClearPresence();
    if (!runDialog || runDialog(values) == 0) return;
    ClearChosenData(values, forgetDocument);
}
