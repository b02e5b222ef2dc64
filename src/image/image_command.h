#pragma once
// The background-image commands of the main frame: choosing the main image (背景画像選択)
// and saving it (背景画像を保存).
#include <cstdint>
#include <string>

#include "image/image_position.h"

enum class BackgroundImageSelectResult {
    OpenImageList,  // an image is loaded: the image list takes over
    Cancelled,      // no file chosen, or a file of no image kind
    Failed,         // the file could not be read (the user was told)
    Loaded,
};

// 背景画像選択: the file dialog, the read, the placement and the view set up for it.
BackgroundImageSelectResult OnBackgroundImageSelect(const ZoneDialogRunner& runZoneDialog);
// Loads `path` as the main image (the work after the dialog).
BackgroundImageSelectResult SelectBackgroundImageFile(const std::string& path, const ZoneDialogRunner& runZoneDialog);

// 背景画像を保存: offers to compose the shown 1-bit images, asks for the file (proposing
// `documentTitle` with ".TIF") and writes it with its placement files. True when written.
bool OnBackgroundImageSave(const std::string& documentTitle);

// 背景画像表示: shows or hides the loaded main image. False (nothing changed) without one.
bool OnBackgroundImageShow();
