#pragma once
// Coloured random points ("#RRGGBB" names) turned into a 32-bit main background image:
// each point one pixel, the gaps filled by growing or by blending neighbouring colours.
#include <cstdint>
#include <functional>
#include <string>

constexpr uint32_t COLOUR_SET_MARK = 0x80000000u;

struct PointColourImageHooks {
    std::function<bool()> stopRequested;                 // polled before each fill pass
    std::function<void(const std::string&)> showStatus;  // status bar text
};

enum : int32_t {
    POINT_COLOUR_IMAGE_DONE = 0,
    POINT_COLOUR_IMAGE_NO_POINTS = 1,  // "No Colore Pixel"
    POINT_COLOUR_IMAGE_NO_MEMORY = 9,  // "Failed Working Memory"
};

// Renders into a new w x h image that becomes the main image. Every block is had before
// the old image is freed, so a failure leaves the old image in place. Coloured points
// outside the extent of the "#" points are skipped.
int32_t RenderPointColorsToImage(int32_t width, int32_t height, int32_t fillPasses, int32_t simpleFill,
                                 int32_t validOnly, uint32_t backColour,
                                 const PointColourImageHooks& hooks = {});

// What the dialog 頂点色情報から背景画像を作成 exchanges. A new dialog starts from these
// values; the frame command sets the background colour from the view's background.
struct PointColourDialogState {
    int32_t sizeIndex = 1;  // 0: 2048, 1: 4096, 2: 8192 pixels square
    int32_t fillPasses = 12;
    int32_t simpleFill = 0;
    int32_t validOnly = 0;
    uint32_t backColour = 0;  // 0x00RRGGBB
    bool saveEnabled = false;  // BMP保存: the main image has pixels
    std::string status;        // status bar text after 作成
};

int32_t PointColourImageSize(int32_t sizeIndex);
// The frame command's preset: the colour of the view's background, BMP保存 by the image.
void OpenPointColourDialog(PointColourDialogState& state);
// The pass count typed into サイズ: an empty text keeps `old`; clamped to 0..512.
int32_t PointColourFillPasses(const std::string& text, int32_t old);
// 作成: renders with the state's values; a failure is told with its message.
int32_t OnPointColourCreate(PointColourDialogState& state, const PointColourImageHooks& hooks = {});
// BMP保存: asks for a BMP or TIFF path and writes the main image with its placement
// files. True when written.
bool OnPointColourSaveImage(PointColourDialogState& state);
