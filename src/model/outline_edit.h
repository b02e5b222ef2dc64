#pragma once
// Outline editing: the outline reset that the outline, TIN and point tools call before
// and after picking (the pick resets live beside it in pick_reset.h); the outline's mouse
// tools: entry by clicks, partial erase, and the partial change in two steps (the stretch
// along the outline, then its replacement); the undo of the last pick and the two frame
// commands of the outline.
//
// The click handlers take the key flags of the click (kMouseFlag*) and its client
// position; they only set g_redrawMask, the view repaints after each call.
#include <cstdint>

#include "model/pick_reset.h"

// Empties the outline (every entry 0) and clears the outside byte and the whole flag byte
// of every point.
void ClearOutline();

// Partial erase: the position the last removed vertex had (0 none); g_pickAux3 holds the
// vertex itself.
extern int32_t g_outlineInsertPos;
// Partial change: +1 when the chain follows increasing outline positions, -1 when it
// follows decreasing ones, 0 before the second point sets it.
extern int32_t g_chainDirection;

constexpr int32_t kOutlinePickRadius2 = 200;
constexpr int32_t kOutlineEntryRadius2 = 4800;

// Whether a click of the terrain tools is refused: while the progress window is open,
// with Shift or Ctrl in its key flags, or while Alt is held.
bool TerrainToolClickRefused(int32_t flags);

void EnterOutlinePointAtCursor(int32_t flags, int32_t x, int32_t y);  // sub-state 1
void EditOutlineVertexAtCursor(int32_t flags, int32_t x, int32_t y);  // sub-state 2
void PickOutlineChainAtCursor(int32_t flags, int32_t x, int32_t y);   // sub-state 33
void ExtendOutlineAtCursor(int32_t flags, int32_t x, int32_t y);      // 33 with Ctrl
void ReplaceOutlineAtCursor(int32_t flags, int32_t x, int32_t y);     // sub-state 34

// Puts the new chain of g_pickList in place of the stretch of g_pickList2.
void ReplaceOutlineStretch();
// Takes back the last pick of the running tool (the Delete key).
void UndoLastPick();

// Frame commands 外周指定 (32831) and 外周全消去 (32833).
void OnOutlineSpecify();
void OnOutlineClearAll();
