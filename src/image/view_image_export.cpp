#include "image/view_image_export.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "analysis/flow_tool.h"
#include "image/image_writers.h"
#include "model/backup_file.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"
#include "view/back_buffer.h"
#include "view/raster_primitives.h"
#include "view/view_painter.h"
#include "view/text_flag_file.h"
#include "view/text_flags.h"
#include "view/view_state.h"

int32_t g_jpegQuality = 90;
int32_t g_viewImageFilterIndex = 1;

namespace {
ImageSaveDialogRunner g_runner;

bool RunHeadless(ImageSaveValues& values) {
    FileDialogRequest request;
    request.save = true;
    request.title = values.title;
    request.filter = values.filter;
    request.defaultExtension = values.defaultExtension;
    request.folder = values.folder;
    values.path = RunFileDialog(request);
    return !values.path.empty();
}

// Buffer row (bottom-up) shown in window row y of the viewport: the centre row stays put.
const uint32_t* WindowRow(int32_t y) {
    const int32_t row = 2 * g_viewportCenterY - y;
    const BitmapInfoHeader* header = BackBufferHeader();
    if (!header || !g_backBufferPixels || row < 0 || row >= header->biHeight) return nullptr;
    return g_backBufferPixels + size_t(row) * size_t(header->biWidth);
}

bool FitsBuffer(int32_t width, int32_t height) {
    const BitmapInfoHeader* header = BackBufferHeader();
    return header && width > 0 && height > 0 && width <= header->biWidth && WindowRow(0) && WindowRow(height - 1);
}

std::string Extension(const std::string& path) {
    std::string e = std::filesystem::path(path).extension().string();
    if (!e.empty() && e[0] == '.') e.erase(0, 1);
    return e;
}
}  // namespace

std::vector<int32_t> ImageSaveSizeList(int32_t maximum) {
    maximum = std::min(maximum, 4096);
    std::vector<int32_t> sizes;
    for (int32_t s = 256; s < maximum; s *= 2) sizes.push_back(s);
    sizes.push_back(maximum);
    return sizes;
}

int32_t ImageSaveSizeFromText(const std::string& text, int32_t maximum) {
    const long v = std::strtol(text.c_str(), nullptr, 10);
    return int32_t(std::clamp<long>(v, 64, std::max(64, maximum)));
}

std::string ImageSaveQualityLabel(int32_t quality) { return FormatString("品質： %2d", quality); }

void SetImageSaveDialogRunner(ImageSaveDialogRunner runner) { g_runner = std::move(runner); }

bool RunImageSaveDialog(ImageSaveValues& values) {
    values.maxWidth = std::min(values.maxWidth, 4096);
    values.maxHeight = std::min(values.maxHeight, 4096);
    return g_runner ? g_runner(values) : RunHeadless(values);
}

int32_t SaveBackBufferBmp(const std::string& path, int32_t width, int32_t height) {
    if (!FitsBuffer(width, height)) {
        ShowMessage("Failed in WriteFile!!", "Error", msg::kOk);
        return 0;
    }
    struct stat info {};
    // The read-only attribute is the owner's write bit (root could write regardless).
    if (::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
        ShowMessage("Read Only File!", "Error", msg::kOk);
        return 0;
    }
    {
        std::ofstream probe(path, std::ios::binary | std::ios::app);
        if (!probe) {
            ShowMessage("Failed in OpenFile!", "Error", msg::kOk);
            return 0;
        }
    }
    if (!WriteBmp24File(path, width, height, [height](int32_t r) { return WindowRow(height - 1 - r); })) {
        ShowMessage("Failed in WriteFile!!", "Error", msg::kOk);
        return 0;
    }
    return 1;
}

int32_t SaveBackBufferJpeg(const std::string& path, int32_t width, int32_t height, int32_t quality) {
    if (!FitsBuffer(width, height)) return 0;
    return WriteJpegFile(path, width, height, std::clamp(quality, 1, 100), [](int32_t y) { return WindowRow(y); })
               ? 1
               : 0;
}

int32_t SaveBackBufferPng(const std::string& path, int32_t width, int32_t height) {
    if (!FitsBuffer(width, height)) return 0;
    return WritePngFile(path, width, height, [](int32_t y) { return WindowRow(y); }) ? 1 : 0;
}

PlacementCorners ViewExportCorners(double scale) {
    const double v = 1.0 / scale, h = v / 2;
    const int32_t p = g_bufferMaxX, s = g_bufferMaxY, r = p / 2, u = s / 2;
    const double top = g_viewCenterX + v * (s - u) - h, bottom = g_viewCenterX - v * u - h;
    const double left = g_viewCenterY - v * r - h, right = g_viewCenterY + v * (p - r) - h;
    return PlacementCorners{{top, left, top, right, bottom, left, bottom, right}};
}

bool IsJpegExportPath(const std::string& path) {
    std::string e = Extension(path).substr(0, 3);
    for (char& c : e) c = char(std::toupper(static_cast<unsigned char>(c)));
    return e == "JPG" || e == "JPE";
}

bool IsPngExportPath(const std::string& path) {
    std::string e = Extension(path);
    for (char& c : e) c = char(std::toupper(static_cast<unsigned char>(c)));
    return e == "PNG";
}

bool SaveViewImageAs(const std::string& path, int32_t width, int32_t height, int32_t quality) {
    width = std::clamp(width, 64, 4096);
    height = std::clamp(height, 64, 4096);
    const int32_t rememberedX = g_bufferMaxX, rememberedY = g_bufferMaxY;
    const double rememberedScale = g_viewScale;
    const int32_t longest = std::max(rememberedX, rememberedY), chosen = std::max(width, height);
    if (longest > 0) SetViewScale(chosen * g_viewScale / longest);
    g_redrawMask = -1;
    AllocateBackBuffer(width, height);
    SetViewport(0, 0, width, height - 1);
    bool written = false;
    const bool jpeg = IsJpegExportPath(path), png = IsPngExportPath(path);
    if (LockBackBuffer()) {
        g_rasterStatus = 0;
        const int32_t shown = PaintView(nullptr);
        if (shown && g_rasterStatus != 0) {
            ShowMessage("Memory Error!!", "", msg::kOk);
        } else if (shown) {
            DrawFlowPaths();
            if (jpeg || png) {
                written = (jpeg ? SaveBackBufferJpeg(path, width, height, quality)
                                : SaveBackBufferPng(path, width, height)) != 0;
                if (!written) ShowMessage("Failed in WriteFile!!", "Error", msg::kOk);
            } else {
                written = SaveBackBufferBmp(path, width, height) != 0;
            }
        }
    } else {
        ShowMessage("Memory Error!!", "", msg::kOk);
    }
    const PlacementCorners corners = ViewExportCorners(g_viewScale);
    UnlockBackBuffer();
    if (written && !jpeg) {
        std::string base = path;
        const std::string ext = std::filesystem::path(path).extension().string();
        base.resize(base.size() - ext.size());
        if (g_birdsEyeOn) {
            std::error_code ec;
            std::filesystem::remove(base + ".MPI", ec);
            std::filesystem::remove(base + ".BPW", ec);
        } else {
            WriteImagePositionFiles(base + ".MPI", corners, width, height);
        }
    }
    g_viewScale = rememberedScale;
    AllocateBackBuffer(rememberedX + 1, rememberedY + 1);
    g_redrawMask = -1;
    InvalidateAndUpdateView();
    return written;
}

bool OnSaveViewImage() {
    ImageSaveValues values;
    values.title = "画像ファイルの保存";
    values.filter = "BMPファイル (*.BMP)|*.BMP|JPEGファイル (*.JPEG)|*.JPG;*.JPEG|すべてのファイル (*.*)|*.*|";
    values.defaultExtension = "BMP";
    values.folder = g_workFolder;
    values.saveWidth = std::min(g_bufferMaxX, 4096);
    values.saveHeight = std::min(g_bufferMaxY, 4096);
    values.maxWidth = values.maxHeight = 4096;
    values.quality = g_jpegQuality;
    values.filterIndex = g_viewImageFilterIndex;
    if (!RunImageSaveDialog(values)) return false;
    g_lastFolder = std::filesystem::path(values.path).parent_path().string();
    g_jpegQuality = values.quality;
    g_viewImageFilterIndex = values.filterIndex;
    if (values.path.find("NOSTREL_DATA1") != std::string::npos) {
        // The program's start-up data set instead of an image.
        const std::filesystem::path folder = std::filesystem::path(values.path).parent_path();
        if (WriteBackupFile(folder / "data1.VEW") != 0) {
            ShowMessage("data1.VEW を保存できません", "Error", msg::kOk);
            return false;
        }
        if (g_textFlagCount > 0) WriteTextFlagFile(folder / "data1.TFG");
        return false;
    }
    const int32_t width = std::clamp(values.saveWidth, 64, values.maxWidth);
    const int32_t height = std::clamp(values.saveHeight, 64, values.maxHeight);
    return SaveViewImageAs(values.path, width, height, values.quality);
}
