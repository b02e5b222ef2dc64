#include "image/image_command.h"

#include <cmath>

#include "dxf/dxf_store.h"
#include "image/image_readers.h"
#include "image/image_writers.h"
#include "image/image_slot.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

constexpr const char* kImageFilter =
    "画像ファイル(BMP,TIFF,JPEG,PNG)|*.BMP;*.TIF;*.TIFF;*.JPG;*.JPEG;*.PNG|BMPファイル(*.BMP) |*.BMP|"
    "TIFFファイル(*.TIF)|*.TIF;*.TIFF|JPEGファイル(*.JPG)|*.JPG;*.JPEG|PNGファイル(*.PNG)|*.PNG|すべてのファイル|*.*||";

void CentreViewOn(double east, double north, double extent) {
    g_viewCenterX = g_extentCenterX = north;
    g_viewCenterY = g_extentCenterY = east;
    g_extentSize = extent;
    ShowAllKeepSettings();
}

}  // namespace

BackgroundImageSelectResult SelectBackgroundImageFile(const std::string& path, const ZoneDialogRunner& runZoneDialog) {
    const ImageFileKind kind = ImageFileKindOf(path);
    if (kind == kImageNone) return BackgroundImageSelectResult::Cancelled;
    g_bgImage.blendMode = 0;
    g_bgImage.positionKnown = 0;
    g_bgImage.isMono = 0;
    g_bgImage.isIndexed8 = 0;
    g_bgImage.keepIndexed = 1;
    if (!ReadImageFile(path, kind, true)) {
        ShowMessage("画像ファイルを読み込めません", "", msg::kOk | msg::kIconWarning);
        return BackgroundImageSelectResult::Failed;
    }
    RebuildImagePalette();
    g_showBackgroundImage = -1;

    const bool data = g_pointCount > 0 || g_dxfElementCount > 0;
    if (ReadImagePositionFiles(0) != 0) {
        PositionFileState state;
        ReadImagePositionFiles(1, runZoneDialog, &state);
        if (state == PositionFileState::Damaged)
            ShowMessage("位置情報ファイル(MPI)が異常です", "", msg::kOk | msg::kIconWarning);
        else if (state == PositionFileState::DamagedWorldFile)
            ShowMessage("ワールドファイルが異常です\n位置情報を無視します", "", msg::kOk | msg::kIconWarning);
    }
    if (g_bgImage.positionKnown != 0) {
        if (data) {
            CheckImagePosition();
        } else {
            const auto& c = g_bgImage.corners;
            CentreViewOn((c[0][0] + c[1][0] + c[2][0] + c[3][0]) / 4, (c[0][1] + c[1][1] + c[2][1] + c[3][1]) / 4,
                         std::hypot(c[0][0] - c[2][0], c[0][1] - c[2][1]));
        }
    }
    if (g_tinEdgeCount < 2) g_birdsEyeOn = 0;
    g_redrawMask = -1;
    if (!data && g_bgImage.positionKnown == 0) {
        g_viewScale = 1.0;
        CentreViewOn(0, 0, 500);
    }
    return BackgroundImageSelectResult::Loaded;
}

BackgroundImageSelectResult OnBackgroundImageSelect(const ZoneDialogRunner& runZoneDialog) {
    if (!g_bgImageHandle.Empty()) return BackgroundImageSelectResult::OpenImageList;
    FreeImageSlots();
    FileDialogRequest request;
    request.title = "背景画像ファイルの選択";
    request.filter = kImageFilter;
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return BackgroundImageSelectResult::Cancelled;
    return SelectBackgroundImageFile(path, runZoneDialog);
}

bool OnBackgroundImageSave(const std::string& documentTitle) {
    if (g_bgImageHandle.Empty() || !g_bgImage.loaded) return false;
    SaveMainImageSlot();
    bool others = false;
    for (int32_t k = 1; k < IMAGE_SLOT_COUNT; ++k) others = others || SlotQualifiesForComposition(k);
    bool compose = false;
    if (SlotQualifiesForComposition(0) && others)
        compose = ShowMessage("モノクロ画像を合成しますか", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
    FileDialogRequest request;
    request.save = true;
    request.title = "背景画像の保存";
    request.filter = "TIFFファイル(*.TIF)|*.TIF;*.TIFF;*.BMP|ビットマップファイル(*.BMP) |*.BMP|すべてのファイル|*.*||";
    request.defaultExtension = "TIF";
    request.folder = g_workFolder;
    request.fileName = documentTitle + ".TIF";
    const std::string path = RunFileDialog(request);
    if (path.empty()) return false;
    return SaveBackgroundImage(path, compose);
}

bool OnBackgroundImageShow() {
    if (!g_bgImage.loaded || g_bgImageHandle.Empty()) return false;
    g_showBackgroundImage = g_showBackgroundImage ? 0 : -1;
    // The main image's own mode follows, so the image list tells the same.
    g_bgImage.blendMode = g_showBackgroundImage ? BLEND_OVERWRITE : BLEND_HIDDEN;
    g_redrawMask = -1;
    return true;
}
