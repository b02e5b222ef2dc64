// Cross sections from the jacksboro grid's TIN along a straight route, stations every 10 m:
// milliseconds per calculation by route length, which should grow with the stations and not
// with edges x stations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "contour_bench_support.h"
#include "platform/message_box.h"
#include "route/route_calc.h"
#include "route/route_data.h"
#include "section/earthwork.h"
#include "section/section_calc.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
#include "shell/work_files.h"

namespace {

bool g_loaded = false;

void Sections(benchmark::State& state) {
    if (!g_loaded) {
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        g_loaded = LoadJacksboroTin();
    }
    if (!g_loaded) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "section_bench";
    std::filesystem::create_directories(dir);
    g_tempPath4 = (dir / "_#ovk$4.$$$").string();
    g_tempPath5 = (dir / "_#ovk$5.$$$").string();
    g_stationInterval = 10;
    g_ipPointCount = 2;
    for (int32_t k = 1; k <= 2; ++k) {
        IpPoint& ip = g_ipPoints[k];
        std::memset(&ip, 0, sizeof ip);
        std::strcpy(ip.name, k == 1 ? "BP" : "EP");
        ip.number = k;
        ip.x = 15000;
        ip.y = k == 1 ? 10000 : 10000 + static_cast<double>(state.range(0));
    }
    CalcRoute();
    for (auto _ : state) {
        ClearRecordedMessages();
        CalcSectionsFromTin(0);
    }
    state.counters["stations"] = g_stationCount;
    std::filesystem::remove_all(dir);
}
BENCHMARK(Sections)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// Average-end-area earthwork of n sections of 200 ground points each (100 a side, a
// rolling ground) against a trapezoid plan with a few points crossing it: the whole
// CalcEarthwork. Aim: 1000 sections well under a second.
void Earthwork(benchmark::State& state) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    InitRouteSectionDefaults();
    CreateSectionBlocks();
    InitEarthworkDefaults();
    EnsureCrossSectionRoom(n, 10, 300);
    EnsurePlanSectionRoom(n, 10, 200);
    for (int32_t i = 1; i <= n; ++i) {
        CrossSection& c = *GetCrossSection(i);
        c = CrossSection{};
        c.number = i;
        c.distance = 20.0 * (i - 1);
        c.singleDistance = i > 1 ? 20.0 : 0.0;
        c.height = 10 + 0.5 * std::sin(i * 0.1);
        c.leftCount = c.rightCount = 100;
        c.points.resize(101);
        for (int32_t j = 1; j <= 100; ++j) {
            SectionPoint& p = c.points[j];
            const double o = 0.3 * j;
            p.leftOffset = -o, p.rightOffset = o;
            p.leftHeight = c.height + 0.8 * std::sin(o * 0.7 + i);
            p.rightHeight = c.height + 0.8 * std::cos(o * 0.5 + i);
        }
        PlanSection& p = *GetPlanSection(i);
        p = PlanSection{};
        p.kind = 0;
        p.planHeight = c.height - 0.5;
        p.leftCount = p.rightCount = 6;
        p.points.resize(7);
        const double offsets[] = {0, 4, 8, 12, 20, 30};
        for (int32_t j = 1; j <= 6; ++j) {
            PlanPoint& e = p.points[j];
            const double o = offsets[j - 1];
            const double h = p.planHeight + (j % 2 ? 0.3 : -0.3) + (o > 12 ? (o - 12) * 0.2 : 0);
            e.leftOffset = -o, e.rightOffset = o, e.leftHeight = h, e.rightHeight = h;
        }
    }
    g_crossSectionCount = n;
    g_planSectionCount = n;
    g_hasSections = 1;
    for (auto _ : state) {
        CalcEarthwork();
        benchmark::DoNotOptimize(g_totalCut);
    }
    state.counters["cut"] = g_totalCut;
    state.counters["fill"] = g_totalFill;
}
BENCHMARK(Earthwork)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
