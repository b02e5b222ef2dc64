#pragma once
// The previous-screen ring: one entry per repaint that shows a changed view, restored
// newest first by the previous-screen command.
#include <cstdint>

struct ViewHistoryEntry {
    int16_t birdsEye;  // g_birdsEyeOn
    double centreX;
    double centreY;
    float scale;
    float azimuth;
    float tilt;
    float roll;
    float heightScale;
};

constexpr int32_t kViewHistorySize = 300;

extern ViewHistoryEntry g_viewHistory[kViewHistorySize];
extern int32_t g_viewHistoryHead;  // the newest entry
extern int32_t g_viewHistoryTail;  // the oldest entry, never restored
extern int32_t g_viewHistoryBack;  // the entry the next restore takes
extern int32_t g_viewHistoryPrev;  // the head before the last advance
extern int32_t g_skipHistoryOnce;  // set by a restore: the next push records nothing

// Records the current view when it differs from the newest entry (start of every full
// repaint). Nothing without points and DXF elements, or while a mouse button is held.
void PushViewHistory();
// Restores the entry at g_viewHistoryBack and steps back; nothing at the tail.
void PopViewHistory();
// Whether a restore would do something (the command's enable rule).
bool CanPopViewHistory();
// Empties the ring (every load that replaces the data).
void ResetViewHistory();
