#pragma once
// Background image records: the eight slots under the plan view, the active image that
// nearly all image code works on, the palette of indexed images and the rules by which
// records move between the active image and the slots.
#include <cstddef>
#include <cstdint>
#include <string>

// Pixel block of one image: zero-filled bytes behind a handle that can be empty. The
// handle is a plain reference; whoever discards an image frees its block.
struct ImageBlock;
class ImageHandle {
public:
    ImageHandle() = default;
    bool Empty() const { return m_block == nullptr; }
    explicit operator bool() const { return m_block != nullptr; }
    uint8_t* Lock() const;
    void Unlock() const {}
    size_t Size() const;
    bool operator==(const ImageHandle& other) const { return m_block == other.m_block; }

private:
    friend ImageHandle AllocImageBlock(size_t bytes);
    friend void FreeImageBlock(ImageHandle& handle);
    ImageBlock* m_block = nullptr;
};

// A zero-filled block of `bytes` bytes; empty when the memory is not there.
ImageHandle AllocImageBlock(size_t bytes);
// Largest block AllocImageBlock hands out (0: no limit), so a shortage can be staged.
extern size_t g_imageBlockByteLimit;
// Frees the block (if any) and empties the handle.
void FreeImageBlock(ImageHandle& handle);

enum : int32_t {
    BLEND_HIDDEN = 0,
    BLEND_OVERWRITE = 1,
    BLEND_BLACK_LINES = 2,
    BLEND_WHITE_LINES = 3,
    BLEND_HALF_TRANSPARENT = 4,
};

constexpr int32_t IMAGE_SLOT_COUNT = 8;
constexpr size_t kImagePathSize = 260;

// Mapping state derived from the corners (see image_mapping.h).
struct ImageMapping {
    int32_t projectiveKind;  // 0 affine, 1..4 the frame case of the vanishing-point model
    int32_t singleVanishingPoint;
    double origin[2];
    double sCorner[2];
    double tCorner[2];
    double farCorner[2];
    double vanishing1[2];
    double weight1;
    double vanishing2[2];
    double weight2;
    double weightFar;
    double originFromV1[2];
    double v2FromV1[2];
    double originFromV2[2];
    double v1FromV2[2];
    double horizonNormal[2];
    double frame[8];  // us, vs, ut, vt, offS, offT, offU, offV
};

// One background image. Ground points are (east, north); corners in the order UL, UR, LL,
// LR, where "upper" is the first row of the picture as seen (the last row of the block).
struct ImageSlot {
    double corners[4][2];
    double edgeLengths[4];  // bottom |LR-LL|, top |UR-UL|, left |UL-LL|, right |LR-UR|
    double viewWindow[4];   // west east, north, east east, south north of the last drawing
    double enteredPoint[2];
    double pairGround[4][2];
    double pairImage[4][2];  // column from the left, row up from the bottom row
    int32_t pairSet[4];
    int32_t width;  // pixels
    int32_t height;
    int32_t currentVertex;
    int32_t positionKnown;  // 0 none, 1 corners valid, 4 projective mapping set up
    int32_t loaded;
    int32_t blendMode;
    int32_t isMono;  // 1 bit per pixel, most significant bit first; wins over isIndexed8
    int32_t keepIndexed;
    int32_t isIndexed8;  // 8-bit indexes into g_bgImagePalette
    int32_t stride;      // bytes per row
    int32_t showOnBase;
    uint32_t colorLow;   // 0x00BBGGRR
    uint32_t colorHigh;  // 0x00BBGGRR
    ImageMapping mapping;
    // The locked pixels of the record's block (bottom-up rows), what the renderers read;
    // null when the record holds no picture.
    uint8_t* pixels;
};

// The active image, its block and its path (Shift-JIS bytes).
extern ImageSlot g_bgImage;
extern ImageHandle g_bgImageHandle;
extern std::string g_bgImagePath;
// Palette of indexed images: blue, green, red, 0 per entry (0x00RRGGBB as a number).
extern uint32_t g_bgImagePalette[256];

extern ImageSlot g_imageSlots[IMAGE_SLOT_COUNT];
extern ImageHandle g_imageSlotHandles[IMAGE_SLOT_COUNT];
extern std::string g_imageSlotPaths[IMAGE_SLOT_COUNT];

// Percent by which drawn images are darkened; 100 leaves them unchanged.
extern int32_t g_imageBrightness;

// Row length in bytes of an image of the slot's format and width.
int32_t ImageRowStride(const ImageSlot& slot);

// Makes `handle` the active image's block and points the record's pixels at it.
void SetActiveImageBlock(ImageHandle handle);

// The slots, the active image, the palette and the brightness in their start state; frees
// every block.
void ResetImageSlots();

// Frees the blocks of slots 1..7 (slot 0's is the active image's) and zeroes all eight
// slots with their handles and paths; closes the image list window if it is open.
void FreeImageSlots();
// Called by FreeImageSlots; the image list window installs its closer.
extern void (*g_closeImageListWindow)();

// Drawing-palette entries 80 and 240 for the active image's kind.
void RebuildImagePalette();

void SaveMainImageSlot();
void LoadMainImageSlot();

// Number of slots in use (they are contiguous from slot 0).
int32_t UsedImageSlotCount();

// Slot operations. Each keeps the used slots contiguous and ends with the active image
// equal to slot 0.
void AddImageToSlots();            // the freshly loaded active image joins the slots
void MakeSlotMainImage(int32_t k);  // 1..7, in use
void DeleteImageSlot(int32_t k);    // 0..7
void CycleSlotBlendMode(int32_t k);
// The active image (a generated picture) becomes the main image in front of the others;
// its two drawing colours are `colorLow` and `colorHigh` (0x00BBGGRR).
void InsertMainImage(uint32_t colorLow, uint32_t colorHigh);
// Unused slots 1..7 take slot 0's colours (when the image list opens).
void ShareMainImageColors();

// The label of a slot's blend mode in the image list.
const char* BlendModeLabel(int32_t slot, int32_t blendMode);

// The image list's texts: four columns for each of the eight rows and the brightness edit.
struct ImageListTexts {
    std::string number[IMAGE_SLOT_COUNT];  // " %2d "
    std::string name[IMAGE_SLOT_COUNT];    // file name of the slot's path, no folder
    std::string state[IMAGE_SLOT_COUNT];   // blend label; empty for a slot without a block
    std::string size[IMAGE_SLOT_COUNT];    // "%5d×%5d × %d"; empty likewise
    std::string brightness;                // " %d"
};
ImageListTexts MakeImageListTexts();
// Rewrites the open image list window; nothing while it is closed. The window installs
// its refresher.
void FillImageList();
extern void (*g_refreshImageListWindow)();
