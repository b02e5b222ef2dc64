// Flow paths on the Jacksboro grid TIN: 100 paths from a 10 x 10 start grid over the middle
// of the survey. The cost should follow the triangles the paths cross (reported per
// path vertex), the start triangle search aside.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "analysis/flow_paths.h"
#include "model/point_in_outline.h"
#include "model/tin_grid_builder.h"
#include "tin_bench_support.h"

namespace {
bool PrepareTin() {
    static bool ready = false;
    if (!ready) ready = tin_bench::MakeJacksboroGridTin();
    return ready;
}

void BM_TraceFlowPaths(benchmark::State& state) {
    if (!PrepareTin()) {
        state.SkipWithError("jacksboro grid TIN not available");
        return;
    }
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        minX = std::min(minX, g_points[i].x), maxX = std::max(maxX, g_points[i].x);
        minY = std::min(minY, g_points[i].y), maxY = std::max(maxY, g_points[i].y);
    }
    const double side = 0.6 * std::min(maxX - minX, maxY - minY);
    const FlowPoint origin{minX + 0.2 * (maxX - minX), minY + 0.2 * (maxY - minY), 0};
    const FlowPoint end{origin.x, origin.y + side, 0};
    const std::vector<FlowPoint> starts = FlowGridPoints(end, origin, 8, 8);
    size_t vertices = 0;
    for (auto _ : state) {
        const std::vector<FlowPath> paths = TraceFlowPaths(starts);
        vertices = 0;
        for (const FlowPath& p : paths) vertices += p.vertices.size();
        benchmark::DoNotOptimize(vertices);
    }
    state.counters["vertices"] = static_cast<double>(vertices);
    state.counters["per_vertex"] =
        benchmark::Counter(static_cast<double>(vertices) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TraceFlowPaths)->Unit(benchmark::kMillisecond);
}  // namespace
