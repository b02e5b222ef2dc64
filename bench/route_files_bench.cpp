// Writing and reading the route files of a 50 km route at 1 m: 50,000 stations in the
// .RSN, 499 IPs in the .ALG. The station file is also run at a quarter and a half of
// that, so that the fitted complexity shows whether both of its passes stay linear.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "model/terrain_data.h"
#include "route/alg_file.h"
#include "route/route_data.h"
#include "route/station_files.h"
#include "section/section_defaults.h"

namespace fs = std::filesystem;

namespace {
constexpr int32_t kIps = 499;

// A folder of this run, removed when the program ends.
struct BenchFolderOwner {
    fs::path dir =
        fs::temp_directory_path() / ("nostrel_route_bench_" + std::to_string(::getpid()));
    BenchFolderOwner() { fs::create_directories(dir); }
    ~BenchFolderOwner() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

fs::path BenchFolder() {
    static const BenchFolderOwner owner;
    return owner.dir;
}

// A winding alignment: stations every metre with stakes 12.5 m left and 15 m right.
void MakeRoute(int32_t stations) {
    InitRouteSectionDefaults();
    InitDataModel();
    GrowStationBlock(stations + 100);
    g_stationCapacity = stations + 100;
    for (int32_t i = 1; i <= stations; ++i) {
        StationRecord& st = g_stations[i];
        const double c = i - 1.0;
        const double a = c * 1e-3;
        st.kind = i % 20 == 1 ? 2 : 40;
        st.number = (i - 1) / 20;
        std::snprintf(st.name, sizeof st.name, i % 20 == 1 ? "NO%d" : "+%d",
                      i % 20 == 1 ? st.number : i % 20);
        st.addedDistance = c;
        st.x = 100000.0 + c * std::cos(a);
        st.y = -30000.0 + c * std::sin(a);
        st.leftX = st.x - 12.5 * std::sin(a);
        st.leftY = st.y + 12.5 * std::cos(a);
        st.rightX = st.x + 15.0 * std::sin(a);
        st.rightY = st.y - 15.0 * std::cos(a);
    }
    g_stationCount = stations;
    for (int32_t i = 1; i <= kIps; ++i) {
        IpPoint& ip = g_ipPoints[i];
        std::snprintf(ip.name, sizeof ip.name, i == 1 ? "BP" : i == kIps ? "EP" : "IP");
        ip.number = i == 1 || i == kIps ? 0 : i - 1;
        ip.x = 100000.0 + 100.0 * i;
        ip.y = -30000.0 + (i % 2 ? 35.0 : -35.0);
        ip.radius = i == 1 || i == kIps ? 0.0 : 300.0;
        ip.a1 = ip.a2 = i % 3 == 0 ? 120.0 : 0.0;
    }
    g_ipPointCount = kIps;
    for (int32_t i = 1; i <= 100; ++i) g_plusStakes[i] = i * 437.25;
    g_plusStakeCount = 100;
}
}  // namespace

static void BM_WriteRsn(benchmark::State& state) {
    MakeRoute(static_cast<int32_t>(state.range(0)));
    const fs::path path = BenchFolder() / "route.ALG";
    for (auto _ : state) {
        if (WriteRsnFile(path) != -1) state.SkipWithError("write failed");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WriteRsn)
    ->Arg(12500)
    ->Arg(25000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

static void BM_ReadRsn(benchmark::State& state) {
    MakeRoute(static_cast<int32_t>(state.range(0)));
    const fs::path path = BenchFolder() / "route.ALG";
    WriteRsnFile(path);
    for (auto _ : state) {
        if (ReadRsnFile(path) != 0 || g_stationCount != state.range(0))
            state.SkipWithError("read failed");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadRsn)
    ->Arg(12500)
    ->Arg(25000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

static void BM_WriteAlg(benchmark::State& state) {
    MakeRoute(1);
    const fs::path path = BenchFolder() / "route.ALG";
    for (auto _ : state) {
        if (WriteAlgFile(path) != -1) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteAlg)->Unit(benchmark::kMillisecond);

static void BM_ReadAlg(benchmark::State& state) {
    MakeRoute(1);
    const fs::path path = BenchFolder() / "route.ALG";
    WriteAlgFile(path);
    for (auto _ : state) {
        if (ReadAlgFile(path) != 0 || g_ipPointCount != kIps) state.SkipWithError("read failed");
    }
}
BENCHMARK(BM_ReadAlg)->Unit(benchmark::kMillisecond);
