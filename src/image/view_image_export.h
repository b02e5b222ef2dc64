#pragma once
// ビットマップで保存: the view rendered again at a chosen pixel size and written as BMP,
// JPEG or PNG; a plan-view BMP or PNG gets the position and world files that place it back as a
// background image. Also the values of the save dialog with its size lists and quality.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/image_position.h"

// The last JPEG quality and file type of the dialog (1 BMP, 2 JPEG).
extern int32_t g_jpegQuality;
extern int32_t g_viewImageFilterIndex;

// What the save dialog exchanges.
struct ImageSaveValues {
    int32_t saveWidth = 0;
    int32_t saveHeight = 0;
    int32_t maxWidth = 4096;
    int32_t maxHeight = 4096;
    int32_t quality = 90;
    int32_t filterIndex = 1;
    std::string title;
    std::string filter;
    std::string defaultExtension;
    std::string folder;
    std::string path;  // the chosen file
};

// The sizes offered for a maximum (capped at 4096): the powers of two from 256 below it,
// then the maximum.
std::vector<int32_t> ImageSaveSizeList(int32_t maximum);
// A size typed into a size box: its leading integer, at least 64 and at most `maximum`.
int32_t ImageSaveSizeFromText(const std::string& text, int32_t maximum);
// "品質： %2d".
std::string ImageSaveQualityLabel(int32_t quality);

// Runs the save dialog on the values; true on OK with values.path set. Headless: a plain
// file dialog (queued answers) keeping the sizes as given.
using ImageSaveDialogRunner = std::function<bool(ImageSaveValues&)>;
void SetImageSaveDialogRunner(ImageSaveDialogRunner runner);
bool RunImageSaveDialog(ImageSaveValues& values);

// The back buffer's picture of width x height pixels (the window rows from the top row of
// the viewport down) as a 24-bit BMP, JPEG or PNG. The BMP writer reports failures in
// messages ("Read Only File!", "Failed in OpenFile!", "Failed in WriteFile!!"); the JPEG and
// PNG writers return 0 silently (the command tells the user).
int32_t SaveBackBufferBmp(const std::string& path, int32_t width, int32_t height);
int32_t SaveBackBufferJpeg(const std::string& path, int32_t width, int32_t height, int32_t quality);
int32_t SaveBackBufferPng(const std::string& path, int32_t width, int32_t height);

// The plan-view ground corners of a picture of the current viewport at scale `scale`.
PlacementCorners ViewExportCorners(double scale);

// True when the extension's first three letters, in any case, are JPG or JPE.
bool IsJpegExportPath(const std::string& path);
// True when the extension, in any case, is PNG (any other non-JPEG extension gets a BMP).
bool IsPngExportPath(const std::string& path);

// The command: dialog, rendering at the chosen size, writing, placement files, and the view
// restored. True when an image was written.
bool OnSaveViewImage();
// The work after the dialog (tests call it with the values of a dialog).
bool SaveViewImageAs(const std::string& path, int32_t width, int32_t height, int32_t quality);
