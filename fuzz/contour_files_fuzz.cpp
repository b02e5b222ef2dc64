// The contour readers: the .CT1/.CT2 copies taken into the work files with the levels of
// the index header, the index rebuilt from the line file, and the line file drawn in
// both views. The input is split in two: the .CT1 bytes (their length in the first two
// bytes) and the .CT2 bytes.
#include "contour/contour_drawing.h"
#include "contour/contour_files.h"
#include "fuzz_raster.h"
#include "fuzz_support.h"
#include "shell/work_files.h"
#include "view/birds_eye_projection.h"
#include "view/view_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitDataModel();
        fuzz::OpenBackBuffer(64, 48);
        g_contourLinesPath = (fuzz::Folder() / "_#ovk$1.$$$").string();
        g_contourIndexPath = (fuzz::Folder() / "_#ovk$2.$$$").string();
        return true;
    }();
    (void)ready;
    ClearRecordedMessages();
    if (size < 3) return 0;
    const size_t split = std::min<size_t>(size - 2, data[0] | data[1] << 8);
    const std::filesystem::path document = fuzz::Folder() / "doc.RND";
    fuzz::WriteInput("doc.CT1", data + 2, split);
    fuzz::WriteInput("doc.CT2", data + 2 + split, size - 2 - split);

    g_contourMinZ = 0;
    g_contourMaxZ = 100;
    g_contourInterval = 1;
    g_indexContourInterval = 5;
    RestoreContourFilesFor(document.string());

    // Plan view at a scale that the third byte picks, then the bird's-eye view.
    const double scales[] = {1.0, 0.001, 1000.0, 25.6};
    g_viewCenterX = 0;
    g_viewCenterY = 0;
    g_viewScale = scales[data[2] % 4];
    g_viewportCenterX = 32;
    g_viewportCenterY = 24;
    g_birdsEyeOn = 0;
    DrawDrawingContours();
    g_birdsEyeOn = 1;
    g_birdsEyeAzimuth = 0.5;
    g_birdsEyeTilt = -0.3;
    BuildBirdsEyeCamera();
    DrawDrawingContours();
    g_birdsEyeOn = 0;

    RebuildContourIndex();
    return 0;
}
