#pragma once
// The view's 32-bit back buffer: sized to the window, locked for drawing, copied to the
// window in one blit; and the tables rebuilt with it (rows, colours, shades, reciprocals).
//
// The pixel rows are stored bottom-up after a 40-byte bitmap header, as a bitmap file
// has them; row 0 is the bottom row of the window.
#include <cstddef>
#include <cstdint>

#include "view/palette.h"

// Where a blit shows the buffer: the view's window, or a test's recorder. The rows are
// given bottom-up: `rows` is the bottom row and each row above it lies `strideBytes`
// further on.
class BlitTarget {
public:
    virtual ~BlitTarget() = default;
    virtual void ShowBottomUpRows(const uint32_t* rows, int32_t width, int32_t height,
                                  int32_t strideBytes) = 0;
};

// Largest drawable side the buffer follows; a larger window shows this much of its
// picture rather than asking for a block that cannot be had.
constexpr int32_t kMaxDrawableSide = 16384;

// Buffer side for a drawable side: the first of 1026, 1282, 1536, 2050, 4098 that is
// not smaller, continued in steps of 1024 above 4098, plus 100.
int32_t BackBufferSideFor(int32_t drawable);

// Pixel size of the allocated buffer; 0 while there is none.
int32_t BackBufferWidth();
int32_t BackBufferHeight();

void AllocateBackBuffer(int32_t width, int32_t height);
// Returns 0 when there is no buffer (g_rasterStatus bit 0 is then set).
int32_t LockBackBuffer();
void UnlockBackBuffer();
// Copies the drawable part to the target; nothing when the buffer is not locked.
void BlitBackBuffer(BlitTarget& target);
// Frees the buffer block (when the view is destroyed).
void FreeRasterBlocks();
// The header while the buffer is locked, else null.
const BitmapInfoHeader* BackBufferHeader();

// 64 shade levels: entry c of level k scales c by about (k + 16) / 79.
extern uint8_t g_shadeTable[64][256];

struct ReciprocalPair {
    float reciprocal;  // 512 / i
    float fraction;    // i / 512
};
// Entries 1..511 are (512 / i, i / 512); 0 repeats 1; 512 and 513 are (1, 1).
extern ReciprocalPair g_reciprocalTable[514];

// The drawing palette as 0x00RRGGBB words, rebuilt at every lock.
extern uint32_t g_colorTable[256];
// Colours of 1-bit images (palette entries 80 and 240) and their difference.
extern uint32_t g_monoBackColor;
extern uint32_t g_monoForeColor;
extern uint32_t g_monoColorDiff;

// The routine kind the bird's-eye rasteriser fills its spans with.
enum class SpanKind {
    kTexture,      // texels of the active background image
    kVertexColor,  // colours blended between the span's ends
    kHalfTransparentVertexColor,
    kFlat,  // g_triangleColor
    kHalfTransparentFlat,
    kHalfTransparentTexture,
};
extern thread_local SpanKind g_spanKind;
extern thread_local int32_t g_spanVertexColors;  // 1 while the kind carries one colour per vertex

void SelectSpanRenderer();
void UseVertexColorSpans();
void UseHalfTransparentVertexColorSpans();
void UseFlatSpans();
void UseHalfTransparentFlatSpans();
void UseHalfTransparentTextureSpans();
