#include "view/color_band_params.h"

#include "model/terrain_data.h"

ColorBandParams g_colorBandParams = DefaultColorBandParams();
ColorBandParams g_colorBandParamsCopy = DefaultColorBandParams();

ColorBandParams DefaultColorBandParams() {
    ColorBandParams p{};
    p.lightAzimuth = 120;
    p.lightElevation = 47;
    p.maxSlope = 50;
    p.steepSlope = 20;
    p.slopeLineSetting = 2;
    p.waterTransparent = 1;
    const int32_t stripes[10] = {0xFF0000, 0xFF8080, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                 0xFF8040, 0x00FFFF, 0x0080FF, 0x8080FF, 0xFFFFFF};
    for (int i = 0; i < 20; ++i) p.stripeColours[i] = stripes[i % 10];
    p.waterColour = 0x008080;
    const int32_t gradient[4] = {0x0000FF, 0xD2D2FF, 0xFFD97E, 0xFF0080};
    for (int i = 0; i < 4; ++i) p.gradientColours[i] = gradient[i];
    const int32_t birdsEye[5] = {0x00FF00, 0xB4B4B4, 0xD2D2A2, 0xB4A078, 0x008080};
    for (int i = 0; i < 5; ++i) p.birdsEyeColours[i] = birdsEye[i];
    const int32_t slope[12] = {0xFFFFFF, 0x19FFFF, 0x2AD008, 0x48FF10, 0xFFFF10, 0xFF8010,
                               0xFF0000, 0xD00000, 0xB20000, 0x800000, 0x00FF00, 0xFF0000};
    for (int i = 0; i < 12; ++i) p.slopeColours[i] = slope[i];
    return p;
}

namespace {
const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_colorBandParams = DefaultColorBandParams();
        g_colorBandParamsCopy = g_colorBandParams;
    });
    return true;
}();
}  // namespace
