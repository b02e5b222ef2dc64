// Cross sections from the jacksboro grid's TIN along a straight route, stations every 10 m:
// milliseconds per calculation by route length, which should grow with the stations and not
// with edges x stations.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "contour_bench_support.h"
#include "platform/message_box.h"
#include "route/route_calc.h"
#include "route/route_data.h"
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

}  // namespace
