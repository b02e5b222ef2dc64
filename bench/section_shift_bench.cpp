// Both shift calculations over 1000 sections with 100 to 10 000 points per side: time per
// calculation should grow linearly with the points.
#include <benchmark/benchmark.h>

#include <cmath>

#include "section/section_records.h"
#include "section/section_shift.h"

namespace {

// Rolling ground, so the parallel shift meets real corners.
void MakeSections(int32_t perSide) {
    CreateSectionBlocks();
    EnsureCrossSectionRoom(1000, 10, 1000);
    for (int32_t i = 1; i <= 1000; ++i) {
        CrossSection& s = *GetCrossSection(i);
        s = CrossSection{};
        s.number = i;
        s.height = 50;
        s.points.assign(perSide + 1, SectionPoint{});
        for (int32_t j = 1; j <= perSide; ++j) {
            const double o = j * 0.5;
            s.points[j].leftOffset = -o;
            s.points[j].leftHeight = 50 + 3 * std::sin(o * 0.37 + i);
            s.points[j].rightOffset = o;
            s.points[j].rightHeight = 50 + 3 * std::cos(o * 0.29 + i);
        }
        s.leftCount = s.rightCount = perSide;
    }
    g_crossSectionCount = 1000;
}

void ShiftDown(benchmark::State& state) {
    MakeSections(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ShiftSectionsDown(1, 40));
    state.SetComplexityN(state.range(0));
    FreeCrossSections();
    FreePlanSections();
}

void ShiftParallel(benchmark::State& state) {
    MakeSections(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ShiftSectionsParallel(1, 40));
    state.SetComplexityN(state.range(0));
    FreeCrossSections();
    FreePlanSections();
}

}  // namespace

BENCHMARK(ShiftDown)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(ShiftParallel)
    ->RangeMultiplier(10)
    ->Range(100, 10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
