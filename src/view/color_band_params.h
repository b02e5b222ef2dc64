#pragma once
// The colour-band parameters: one record read by the painter on every full repaint and
// stored by the colour-band settings file. Colours are 0xRRGGBB.
#include <cstdint>

struct ColorBandParams {
    double centre;       // d006
    double highest;      // d007
    double lowest;       // d008
    double step;         // d009; > 0: highest and lowest follow centre +- 10 steps
    double dataHighest;  // elevation range of the data, from ComputeDataExtents
    double dataLowest;
    double lightAzimuth;    // degrees, d011
    double lightElevation;  // degrees, d012
    double waterLevel;      // d010
    double maxSlope;
    double gentleSlope;
    double steepSlope;
    int32_t slopeLinesShown;
    int32_t slopeLineSetting;
    int32_t mode;  // 0 striped, 1 gradient, 2 bird's-eye colours, 3 slope bands
    int32_t twoColourSlope;
    int32_t textColourChange;
    int32_t shading;
    int32_t waterShown;  // negative: drawn above holes
    int32_t waterTransparent;
    int32_t holesHidden;
    int32_t planOnly;
    int32_t stripeColours[20];
    int32_t waterColour;
    int32_t spareColour;
    int32_t gradientColours[4];
    int32_t birdsEyeColours[8];
    int32_t slopeColours[12];
    int32_t spare1[2];
    double refX;  // reference point of the inclined plane, d022, d023
    double refY;
    double refH;            // d024
    double refDirection;    // degrees, d025
    double refInclination;  // degrees, d026
    int32_t refInclined;    // d021
    int32_t spare2;
    double waterStart;
    double waterEnd;
    double waterStep;
    double waterInterval;
    int32_t useVertexColours;
    int32_t spare3;
};
static_assert(sizeof(ColorBandParams) == 416);

extern ColorBandParams g_colorBandParams;
// The copy the colour-band dialog goes back to when it is cancelled.
extern ColorBandParams g_colorBandParamsCopy;

// The start values.
ColorBandParams DefaultColorBandParams();
