#include "model/document_services.h"

#include <utility>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <system_error>

#include "contour/contour_files.h"
#include "contour/elevation_table.h"
#include "contour/slice_store.h"
#include "dxf/dxf_reader.h"
#include "exchange/import_request.h"
#include "exchange/point_file_reader.h"
#include "dxf/dxf_registration.h"
#include "image/image_position.h"
#include "image/image_readers.h"
#include "image/image_slot.h"
#include "model/file_report.h"
#include "platform/files.h"
#include "route/route_files_command.h"
#include "route/route_lists.h"
#include "platform/message_box.h"
#include "route/station_files.h"
#include "section/earthwork_command.h"
#include "section/section_calc.h"
#include "section/section_files.h"
#include "section/section_random_output.h"
#include "section/section_records.h"
#include "section/section_rut_source.h"
#include "shell/work_files.h"
#include "view/band_texture.h"
#include "view/color_band_file.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/text_flag_file.h"
#include "view/view_history.h"

namespace fs = std::filesystem;

// The drawing keeps its source coordinates: a document brings no registration with it.
void ReadDocumentDxf(const fs::path& dxfPath) { ReadBackgroundDxf(dxfPath.string()); }

bool RouteDocumentFilesAvailable() { return true; }

void ReadRouteDocumentFiles(const fs::path& path) {
    ReadRouteDocument(path);
    ReadOdnFile(path);
    ReadJdnFile(path);
    ReadQdnFile(path);
}

// The .RUT lists the cross sections; without sections none is written.
bool WriteRouteDocumentFiles(const fs::path& path) {
    const RutSectionSource sections = CrossSectionRutSource();
    bool ok = WriteRouteDocument(path, HaveRutSections() ? &sections : nullptr);
    int32_t kind = 1;
    if (g_hasSections &&
        ShowMessage("縦断データを出力しますか\n（縦断計画で現況を編集した場合は出力しないでください）", "",
                    msg::kYesNo | msg::kIconQuestion) == msg::kIdYes)
        kind = 0;
    ok = WriteOdnJdnFiles(path, kind) == 0 && ok;
    return ok;
}

void ClearRouteSections() {
    ClearCrossSections();
    ClearPlanSections();
    GrowLongCrossingBlock(0);
    g_longCrossingCount = 0;
    g_longCrossingCapacity = 0;
    g_hasSections = 0;
    g_sectionViewCount = 0;
    g_currentSection = 0;
    g_showSections = 0;
    g_simpleSectionCount = 0;
    g_earthworkCurrentLoaded = 0;
    g_earthworkPlanLoaded = 0;
}
void RunEarthworkCalc() { OnEarthworkCalc(); }
void RunSectionRandomOutput() { OnExportSectionsAsRandom(); }
void RunVolumeList() { OnVolumeList(); }
bool VolumeListEnabledNow() { return VolumeListEnabled(); }

void RefreshRouteWindows() {
    RefreshIpList();
    RefreshStationList();
    RefreshPlusStakeGrid();
}

SimaImport ImportSimaPoints(const fs::path& simPath, bool zeroElevation) {
    std::FILE* file = std::fopen(simPath.c_str(), "rb");
    if (!file) {
        ReportImportResult(simPath, kImportCannotOpen);
        return SimaImport::kReported;
    }
    ImportSkippedLines skipped;
    const int32_t result =
        ReadImportPointFile(file, kImportKindSima, zeroElevation ? 1 : 0, 3, 0, 0, &skipped);
    std::fclose(file);
    if (result == -1) return SimaImport::kFailed;
    if (result != 0) {
        ReportImportResult(simPath, result);
        return SimaImport::kReported;
    }
    ReportSkippedImportLines(simPath, skipped);
    return SimaImport::kRead;
}


// ---- what exists already ----

void ReadDocumentTextFlags(const fs::path& tfgPath) { ReadTextFlagFile(tfgPath, 0); }

void RestoreDocumentContours(const fs::path& path) { RestoreContourFilesFor(path.string()); }
namespace {
std::set<std::string> g_staleCompanions;
}  // namespace

void MarkCompanionsStale(std::initializer_list<const char*> extensions) {
    g_staleCompanions.insert(extensions.begin(), extensions.end());
}

void ForgetStaleCompanions() { g_staleCompanions.clear(); }

namespace {
// The contour copies beside the document, each the same length as its work file; an older
// copy named in another case goes, so that it is never read in place of the new one.
void WriteDocumentContourCopies(const fs::path& path) {
    if (CopyContourFilesToDocument(path.string()) != 0) return;
    const std::pair<const std::string*, const char*> copies[] = {{&g_contourLinesPath, ".CT1"},
                                                                 {&g_contourIndexPath, ".CT2"}};
    for (const auto& [work, extension] : copies) {
        const fs::path copy = WithExtension(path, extension);
        std::error_code a, b;
        const uintmax_t want = fs::file_size(*work, a);
        if (a || fs::file_size(copy, b) != want || b) {
            ReportWriteFailed(copy);
            continue;
        }
        RemoveStaleCompanions(path, copy);
    }
}
}  // namespace

// The contour copies, the elevation table, the slice lines and the registration of the
// background drawing beside that drawing.
void WriteDocumentCompanions(const fs::path& path) {
    for (const std::string& extension : g_staleCompanions) RemoveCompanion(path, extension);
    g_staleCompanions.clear();
    WriteDocumentContourCopies(path);
    const fs::path hlt = WithExtension(path, ".HLT");
    if (WriteLevelListFile(hlt.string()) == 0) RemoveStaleCompanions(path, hlt);
    if (!g_sliceStore.Empty()) {
        const fs::path ct3 = WithExtension(path, ".CT3");
        if (WriteSliceContourFile(ct3.string()) == 0) RemoveStaleCompanions(path, ct3);
    }
    WriteDxiFile();
}

bool WriteDocumentColorBands(const fs::path& documentPath) {
    const fs::path cdf = WithExtension(documentPath, ".CDF");
    if (WriteColorBandFile(cdf) == 0) {
        ReportWriteFailed(cdf);
        return false;
    }
    RemoveStaleCompanions(documentPath, cdf);
    return true;
}

bool ReadDocumentColorBands(const fs::path& cdfPath) {
    int32_t found = 0;
    return ReadColorBandFile(cdfPath, kColorBandReadView | kColorBandReadPalette, &found) != 0;
}

void BuildElevationPaletteForced() { BuildElevationPalette(); }

void ClearViewHistory() { ResetViewHistory(); }

bool BackgroundImageLoaded() { return g_bgImage.loaded != 0; }
bool BackgroundImageIsMono() { return g_bgImage.isMono != 0; }
bool BackgroundImagePlaced() { return g_bgImage.loaded != 0 && g_bgImage.positionKnown != 0; }
// The document's companion image: read as found beside the data file (the active image
// was cleared before, so 4-bit and 8-bit BMPs arrive as 32-bit images), then placed.
bool LoadBackgroundImageFile(const fs::path& imagePath, int32_t kind, const fs::path&) {
    static constexpr ImageFileKind kKinds[] = {kImageNone, kImageTiff, kImageBmp, kImagePng, kImageJpeg};
    if (kind < 1 || kind > 4) return false;
    if (!ReadImageFile(imagePath.string(), kKinds[kind], false)) return false;
    ReadImagePositionFiles(1);
    return true;
}

void FreeDocumentImages() {
    g_bgImage.loaded = 0;
    g_bgImage.positionKnown = 0;
    g_bgImage.blendMode = 0;
    // Slot 0 out of step with the active image still owns a block of its own.
    if (!(g_imageSlotHandles[0] == g_bgImageHandle)) FreeImageBlock(g_imageSlotHandles[0]);
    FreeImageSlots();
    FreeImageBlock(g_bgImageHandle);
    g_bgImage.pixels = nullptr;
}

void ForgetActiveImage() {
    g_bgImage.loaded = 0;
    g_bgImage.positionKnown = 0;
}

void DeleteContourWorkFiles() {
    for (const std::string* path : {&g_contourLinesPath, &g_contourIndexPath}) {
        if (path->empty()) continue;
        std::error_code ec;
        fs::remove(*path, ec);
    }
}

void ClearSliceContours() {
    g_sliceLineCount = 0;
    g_sliceExtraBlocks = 0;
    g_highlightedSliceLine = 0;
    g_sliceContoursLoaded = 0;
    g_showSliceContours = 0;
}

void ResetColorBandState() {
    g_colorBandOn = 0;
    g_colorBandParams.textColourChange = 0;
    g_colorBandParams.shading = 1;
    g_colorBandParams.mode = 0;
    g_colorBandParams.refInclined = 0;
}

namespace {
std::function<void()>& SimpleContourDialogRunner() {
    static std::function<void()> run;
    return run;
}
std::function<void()>& SlopeLineDialogRunner() {
    static std::function<void()> run;
    return run;
}
LegendWindowHandlers& LegendHandlers() {
    static LegendWindowHandlers handlers;
    return handlers;
}
}  // namespace
bool SimpleContourDialogAvailable() { return static_cast<bool>(SimpleContourDialogRunner()); }
void RunSimpleContourDialog() {
    if (SimpleContourDialogRunner()) SimpleContourDialogRunner()();
}
void SetSimpleContourDialogRunner(std::function<void()> run) { SimpleContourDialogRunner() = std::move(run); }
bool SlopeLineDialogAvailable() { return static_cast<bool>(SlopeLineDialogRunner()); }
void RunSlopeLineDialog() {
    if (SlopeLineDialogRunner()) SlopeLineDialogRunner()();
}
void SetSlopeLineDialogRunner(std::function<void()> run) { SlopeLineDialogRunner() = std::move(run); }
void SetLegendWindowHandlers(LegendWindowHandlers handlers) { LegendHandlers() = std::move(handlers); }
void DestroyLegendWindows() {
    if (LegendHandlers().destroy) LegendHandlers().destroy();
}
void OpenLegendWindows() {
    if (LegendHandlers().open) LegendHandlers().open();
}

namespace {
std::function<void()>& GridIntervalDialogRunner() {
    static std::function<void()> run;
    return run;
}
}  // namespace
bool GridIntervalDialogAvailable() { return static_cast<bool>(GridIntervalDialogRunner()); }
void RunGridIntervalDialog() {
    if (GridIntervalDialogRunner()) GridIntervalDialogRunner()();
}
void SetGridIntervalDialogRunner(std::function<void()> run) { GridIntervalDialogRunner() = std::move(run); }
