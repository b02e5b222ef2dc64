#include "image/image_list.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "image/image_mapping.h"
#include "image/image_position.h"
#include "image/image_readers.h"
#include "image/image_slot.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "shell/work_folder.h"
#include "view/palette.h"
#include "view/view_state.h"

int32_t ParseImageBrightness(const std::string& text, int32_t current) {
    const std::string cut = text.substr(0, 31);
    const char* begin = cut.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin) return current;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return current;
    if (errno == ERANGE || value > 100 || value < 0) return 100;
    return static_cast<int32_t>(value);
}

int32_t StepImageBrightness(int32_t current, bool forward) {
    return std::clamp(current + (forward ? 5 : -5), 5, 100);
}

void InvertImageGradient() {
    if (!g_drawBitmapInfo) return;
    for (int i : {80, 240}) {
        RgbQuad& q = g_drawBitmapInfo->colors[i];
        q.blue = uint8_t(255 - q.blue);
        q.green = uint8_t(255 - q.green);
        q.red = uint8_t(255 - q.red);
    }
}

namespace {
uint32_t QuadToRef(const RgbQuad& q) { return uint32_t(q.red) | uint32_t(q.green) << 8 | uint32_t(q.blue) << 16; }
bool SlotRow(int32_t row) { return row >= 1 && row < IMAGE_SLOT_COUNT; }
}  // namespace

uint32_t ViewBackgroundColorRef() { return g_drawBitmapInfo ? QuadToRef(g_drawBitmapInfo->colors[10]) : 0xFFFFFF; }

uint32_t BackgroundChooserStartColor(bool shift, int32_t selectedRow) {
    if (shift && SlotRow(selectedRow)) return g_imageSlots[selectedRow].colorLow;
    return ViewBackgroundColorRef();
}

void ApplyBackgroundChooserColor(bool shift, int32_t selectedRow, uint32_t colorRef) {
    if (shift && SlotRow(selectedRow)) {
        g_imageSlots[selectedRow].colorLow = colorRef;
    } else if (g_drawBitmapInfo) {
        RgbQuad& q = g_drawBitmapInfo->colors[10];
        q.red = uint8_t(colorRef);
        q.green = uint8_t(colorRef >> 8);
        q.blue = uint8_t(colorRef >> 16);
    }
    g_redrawMask = -1;
}

AddImageResult AddImageFileToSlots(const std::string& path) {
    SaveMainImageSlot();
    const ImageFileKind kind = ImageFileKindOf(path);
    if (path.empty() || kind == kImageNone) {
        LoadMainImageSlot();
        return AddImageResult::Cancelled;
    }
    // The probe looks beside the active image's path.
    g_bgImagePath = path;
    const bool placementFile = ReadImagePositionFiles(0) != 0;
    if (!placementFile &&
        ShowMessage("この画像には位置情報ファイル(MPI)がありません\n読み込みますか？", "",
                    msg::kYesNo | msg::kIconQuestion) == msg::kIdNo) {
        LoadMainImageSlot();
        return AddImageResult::Cancelled;
    }
    // The main image's block stays with slot 0; the new picture gets a block of its own.
    g_bgImageHandle = ImageHandle{};
    if (!ReadImageFile(path, kind, true)) {
        LoadMainImageSlot();
        ShowMessage("画像ファイルを読み込めません", "", msg::kOk | msg::kIconWarning);
        return AddImageResult::Failed;
    }
    g_bgImage.positionKnown = 0;
    if (placementFile) {
        ReadImagePositionFiles(1);
        if (g_bgImage.positionKnown == 0) {
            FreeImageBlock(g_bgImageHandle);
            LoadMainImageSlot();
            ShowMessage("位置情報ファイル(MPI)が異常です", "", msg::kOk | msg::kIconWarning);
            return AddImageResult::Failed;
        }
    } else {
        ImageSlot& im = g_bgImage;
        const double r = double(im.width) / im.height;
        const double ew = r > 1 ? 0.9 * g_extentSize : 0.9 * g_extentSize * r;
        const double ns = r > 1 ? 0.9 * g_extentSize / r : 0.9 * g_extentSize;
        const double e = g_extentCenterY, n = g_extentCenterX;
        const double corners[4][2] = {{e - ew / 2, n + ns / 2}, {e + ew / 2, n + ns / 2}, {e - ew / 2, n - ns / 2},
                                      {e + ew / 2, n - ns / 2}};
        for (int k = 0; k < 4; ++k) {
            im.corners[k][0] = corners[k][0];
            im.corners[k][1] = corners[k][1];
        }
        im.edgeLengths[0] = im.edgeLengths[1] = ew;
        im.edgeLengths[2] = im.edgeLengths[3] = ns;
        im.positionKnown = 1;
        SetupImageMapping(im);
    }
    g_bgImage.blendMode = BLEND_OVERWRITE;
    g_bgImage.loaded = 1;
    AddImageToSlots();
    g_redrawMask = -1;
    return AddImageResult::Added;
}

AddImageResult OnAddImageToSlots() {
    if (g_birdsEyeOn) {
        g_birdsEyeOn = 0;
        g_redrawMask = -1;
        InvalidateAndUpdateView();
    }
    FileDialogRequest request;
    request.title = "背景画像ファイルの選択";
    request.filter =
        "画像ファイル(BMP,TIFF,JPEG,PNG)|*.BMP;*.TIF;*.TIFF;*.JPG;*.JPEG;*.PNG|BMPファイル(*.BMP) |*.BMP|"
        "TIFFファイル(*.TIF)|*.TIF;*.TIFF|JPEGファイル(*.JPG)|*.JPG;*.JPEG|PNGファイル(*.PNG)|*.PNG|すべてのファイル|*.*||";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return AddImageResult::Cancelled;
    g_lastFolder = std::filesystem::path(path).parent_path().string();
    return AddImageFileToSlots(path);
}
