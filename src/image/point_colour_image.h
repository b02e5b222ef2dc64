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
