#pragma once
// Visibility area (可視領域計算): the TIN rasterised into a square float grid, rays cast
// from an observer over it with earth curvature, and the result kept as a one-bit
// background image (bit 1 invisible, bit 0 visible).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/mapped_allocator.h"

struct VisibilityObserver {
    double east = 0.0;   // survey Y
    double north = 0.0;  // survey X
    double eyeElevation = 0.0;     // absolute; where the rays start
    double groundElevation = 0.0;  // the terrain under the point
    int32_t state = 0;             // 0 unset, 9 defaults of the opening, 1 set by the user
};

extern VisibilityObserver g_visibilityObserver;
extern VisibilityObserver g_visibilityObserverSlots[4];  // A, B, C, D
extern int32_t g_visibilityObserverSlot;                 // 0 A, 1 B, 2 C

extern double g_visibilityEyeHeight;
extern double g_visibilityTargetHeight;
extern double g_visibilityMaxDistance;
extern int32_t g_visibilityUseMaxDistance;
extern double g_visibilitySectorAzimuth;  // degrees clockwise from north, [0, 360)
extern double g_visibilitySectorWidth;    // full width in degrees, [-360, 360]
extern int32_t g_visibilityUseSector;
extern int32_t g_visibilityShowProgress;
extern uint32_t g_visibilityVisibleColor;    // COLORREF 0x00BBGGRR
extern uint32_t g_visibilityInvisibleColor;  // COLORREF

// The grid: n x n floats, element j*n + i for column i (east) and row j (north);
// kVisibilityNoData where there is no terrain.
// Mapped on its own: a fresh grid of some hundred megabytes costs far less on huge pages
// than touched page by page.
using VisibilityGrid = std::vector<float, record_block::MappedAllocator<float>>;
extern VisibilityGrid g_visibilityGrid;
extern int32_t g_visibilityGridSize;
extern int32_t g_visibilityGridValid;
struct VisibilityGridBox {
    double maxEast, maxNorth, minEast, minNorth;
};
extern VisibilityGridBox g_visibilityGridBox;
extern double g_visibilityExtentCenter[2];  // north, east
extern int32_t g_visibilityImageCounter;    // numbers "AREAMAP%02d.TIF", 1..99

constexpr float kVisibilityNoData = -9999.0f;
constexpr double kEarthRadius = 6377397.155;

// Scan modes: 0 clears the bits of the cells some ray sees, 1 sets the bits of the cells
// some ray finds hidden (and of the cells without terrain), 3 sets the bits of the cells
// out of the distance or the sector.
constexpr int32_t kScanVisible = 0;
constexpr int32_t kScanInvisible = 1;
constexpr int32_t kScanOutOfRange = 3;

// Typed sector values as the edits keep them: one wrap of the azimuth into [0, 360),
// the width clamped to [-360, 360].
double NormalizeSectorAzimuth(double typed);
double ClampSectorWidth(double typed);
// Whether a ray of the azimuth (degrees clockwise from north) lies in the sector.
bool InVisibilitySector(double rayAzimuth, double sectorAzimuth, double sectorWidth);

// The image name of the next visibility image; the counter advances (99 is followed by 1).
std::string NextVisibilityImageName();

// Frees the grid (not valid). The size is kept.
void FreeVisibilityGrid();
// Brings the tool to its start state (observers unset, settings at their defaults).
void ResetVisibility();

// What a long step reports and asks while it runs; every member may be empty.
struct VisibilityHooks {
    std::function<void(const std::string&)> status;  // the status line
    std::function<bool()> escapePressed;             // default: the ESC key is down
    // Live display: dims the view once, then tints the pixel of a cell (east and north
    // offsets from the observer, elevation, COLORREF).
    std::function<void()> dimView;
    std::function<void(double dE, double dN, double z, uint32_t colorRef)> markPixel;
    std::function<void()> showProgress;  // let the tinted view be seen (pacing)
    std::function<void(int32_t ie, int32_t je)> rayIndicator;
};

// Builds g_visibilityGrid for g_visibilityGridSize over the TIN. -1 built, 0 stopped with
// ESC (the grid is freed), 1 no memory (a message was shown).
int32_t BuildVisibilityGrid(const VisibilityHooks& hooks = {});

// One run of the mode into one-bit image rows (row 0 the southern row, stride bytes per
// row, most significant bit first). Returns false when stopped with ESC.
bool ScanVisibility(int32_t mode, const float* grid, uint8_t* bits, int32_t stride,
                    const VisibilityHooks& hooks = {});

// A new n x n one-bit image, every pixel invisible, stride rounded to 4 bytes.
struct VisibilityImage {
    int32_t size = 0;
    int32_t stride = 0;
    std::vector<uint8_t> bits;
};
bool InvisibleVisibilityImage(int32_t n, VisibilityImage& image);

// The data-extent centre moved: the grid is dropped, and after a move of more than 1 km
// the observers are unset. True when anything changed.
bool CheckVisibilityDataChange(double extentNorth, double extentEast);

// The live display's pixel rules on 0x00RRGGBB pixels.
uint32_t DimmedPixel(uint32_t pixel);
// A pixel tinted once per run: the lowest red bit records the tint.
uint32_t TintedPixel(uint32_t pixel, uint32_t colorRef);
