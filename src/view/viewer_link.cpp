#include "view/viewer_link.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "contour/contour_files.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/window_registry.h"
#include "shell/frame_lifecycle.h"
#include "shell/sibling_programs.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

int32_t g_viewer3dWindow = 0;

namespace {
constexpr double kPlanTilt = -1.5707963267948966;
constexpr double kPlanEyeWidths = 1.2;
constexpr const char* kVersion = "ver2.2";
constexpr const char* kNoAnswer = "3Dビューアが応答しません。自動更新を解除しました。";

// The table must end inside the block: 13 doubles after index n.
constexpr size_t kMaxTitleLength = 8 * (kViewerParamBlockSize / 8 - 13 - 16) - 15 + 7;

void PutDouble(unsigned char* block, size_t offset, double v) {
    // Little-endian, as the viewer reads it; this machine stores doubles so.
    std::memcpy(block + offset, &v, sizeof v);
}

bool ValidPoint(int32_t i) { return i >= 1 && i <= g_pointCount && g_points; }

void PutPoint(unsigned char* block, size_t offset, int32_t i) {
    const RandomPoint& p = g_points[i];
    PutDouble(block, offset, p.y);
    PutDouble(block, offset + 8, p.z);
    PutDouble(block, offset + 16, p.x);
}

std::string BlockTitle() {
    const std::string title = Utf8ToCp932(g_documentTitle);
    return title.substr(0, Cp932PrefixLength(title, kMaxTitleLength));
}

// The viewer answers at once; one that does not is not waited for long.
constexpr int kViewerTimeoutMs = 1000;

bool SendToViewer(int32_t id) {
    return SendWindowMessage(kViewer3dWindowClass, wm::kTimer, id, 0, kViewerTimeoutMs).has_value();
}
}  // namespace

int32_t ViewerTableIndex(size_t titleLength) {
    return static_cast<int32_t>((titleLength + 15) / 8) + 16;
}

int32_t NearestPointTo(double x, double y) {
    int32_t best = 0;
    double bestD = 0;
    for (int32_t i = 1; ValidPoint(i); ++i) {
        const RandomPoint& p = g_points[i];
        const double d = (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y);
        if (best == 0 || d < bestD) {
            best = i;
            bestD = d;
        }
    }
    return best;
}

void WriteViewerParamBlock(unsigned char* block) {
    const std::string title = BlockTitle();
    std::memcpy(block + kViewerTitleOffset, title.c_str(), title.size() + 1);
    std::memcpy(block + kViewerVersionOffset, kVersion, std::strlen(kVersion) + 1);
    const int32_t n = ViewerTableIndex(title.size());
    PutDouble(block, kViewerTableIndexOffset, n);

    const bool birdsEye = g_birdsEyeOn != 0;
    const size_t table = 8 * static_cast<size_t>(n);
    PutDouble(block, table, birdsEye ? 12 : 3);
    PutDouble(block, table + 8, g_bufferMaxX / g_viewScale);
    PutDouble(block, table + 16, birdsEye ? g_heightScale : 1.0);
    PutDouble(block, table + 24, birdsEye ? g_birdsEyeRoll : 0.0);
    if (birdsEye)
        for (int k = 0; k < 9; ++k) PutDouble(block, table + 32 + 8 * k, g_cameraMatrixPlain[k]);

    if (birdsEye) {
        PutDouble(block, 0, g_birdsEyeAzimuth);
        PutDouble(block, 8, g_birdsEyeTilt);
        PutDouble(block, 16, g_eyeY);
        PutDouble(block, 24, g_eyeZ);
        PutDouble(block, 32, g_eyeX);
    } else {
        const int32_t nearest = NearestPointTo(g_viewCenterX, g_viewCenterY);
        const double ground = nearest ? g_points[nearest].z : 0.0;
        PutDouble(block, 0, 0.0);
        PutDouble(block, 8, kPlanTilt);
        PutDouble(block, 16, g_viewCenterY);
        PutDouble(block, 24, kPlanEyeWidths * g_bufferMaxX / g_viewScale + ground);
        PutDouble(block, 32, g_viewCenterX);
    }

    PutDouble(block, 40, 0);
    if (ValidPoint(g_pickedPoint)) {
        PutDouble(block, 40, 1);
        PutPoint(block, 48, g_pickedPoint);
    }
    if (ValidPoint(g_pickedPoint2)) {
        PutDouble(block, 40, g_pickedPoint4 == -5 ? 5 : 2);
        PutPoint(block, 72, g_pickedPoint2);
    }
}

void StoreViewForViewer3d() {
    if (g_simParamMapping.IsOpen() && g_simParamMapping.Size() >= kViewerParamBlockSize)
        WriteViewerParamBlock(static_cast<unsigned char*>(g_simParamMapping.Data()));
}

void SendViewToViewer3d() {
    StoreViewForViewer3d();
    if (!FindWindowClass(kViewer3dWindowClass)) {
        g_viewer3dAutoUpdate = 0;
        g_viewer3dWindow = 0;
        return;
    }
    g_viewer3dWindow = 1;
    if (!SendToViewer(kViewer3dNewView)) {
        // Something holds the viewer's name but does not answer: stop sending to it.
        const bool wasAuto = g_viewer3dAutoUpdate != 0;
        g_viewer3dAutoUpdate = 0;
        g_viewer3dWindow = 0;
        if (wasAuto) ShowMessage(kNoAnswer, "", msg::kOk | msg::kIconWarning);
    }
}

void StartOrCloseViewer3d() {
    if (FindWindowClass(kViewer3dWindowClass)) {
        SendToViewer(kViewer3dClose);
        g_viewer3dAutoUpdate = 0;
        g_viewer3dWindow = 0;
        return;
    }
    std::vector<std::string> arguments;
    if (g_showDrawingContours) arguments.push_back("-C");
    arguments.push_back(g_currentDataPath);
    const int result = StartProgramInFolder(kViewer3dProgram, arguments);
    if (result != kSiblingStarted) {
        ShowMessage(result == kSiblingNotFound ? "3Dビューア (K7VAR) がインストールされていません。"
                                               : "3Dビューア (K7VAR) を起動できません。",
                    "", msg::kOk | msg::kIconError);
        return;
    }
    g_viewer3dAutoUpdate = -1;
}

void CloseViewer3d() {
    if (!FindWindowClass(kViewer3dWindowClass)) return;
    SendToViewer(kViewer3dClose);
    g_viewer3dWindow = 0;
    g_viewer3dAutoUpdate = 0;
}

void RefreshViewer3d() {
    if (!FindWindowClass(kViewer3dWindowClass)) {
        g_viewer3dWindow = 0;
        return;
    }
    SendToViewer(kViewer3dReload);
    if (g_viewer3dAutoUpdate) SendViewToViewer3d();
}

bool Viewer3dRunning() { return FindWindowClass(kViewer3dWindowClass); }

bool Viewer3dLinkAvailable() {
    const std::filesystem::path folder = ProgramFolder();
    return !FindFileNoCase(folder / "K7VAR").empty() || !FindFileNoCase(folder / kViewer3dProgram).empty();
}
