#pragma once
// The plan-view frame the view benchmarks paint: the Jacksboro grid with its TIN, a
// 1920 x 1080 back buffer and the overall view.
#include <benchmark/benchmark.h>

#include "tin_bench_support.h"
#include "view/back_buffer.h"
#include "view/projection.h"
#include "view/stroke_font.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace plan_frame_bench {

constexpr ViewClient kClient{1920, 1080};

// Once per program; the caller then chooses what the frame shows. False when the data is
// missing or the TIN is not complete.
inline bool LoadGridWithTin() {
    static bool loaded = false;
    if (loaded) return true;
    if (!tin_bench::MakeJacksboroGridTin()) return false;
    LoadStrokeFont();
    AllocateBackBuffer(kClient.width + 1, kClient.height + 1);
    ShowAllKeepSettings();
    loaded = true;
    return true;
}

// One full repaint.
inline void Frame(benchmark::State& state) {
    LockBackBuffer();
    g_redrawMask = -1;
    if (PaintView(&kClient) != 1) state.SkipWithError("nothing painted");
    UnlockBackBuffer();
}

}  // namespace plan_frame_bench
