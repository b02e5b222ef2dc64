// Reading a ~50 MB background drawing of 3DFACEs (a TIN exported from another program),
// made here from a fixed seed: ReadBackgroundDxf against GDAL's `ogrinfo -so -al` and
// ezdxf's readfile on the same file, side by side. Run from the project root.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "dxf/dxf_reader.h"
#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"

namespace {
namespace fs = std::filesystem;

constexpr int kFaces = 280000;

const fs::path& Drawing() {
    static const fs::path path = [] {
        const fs::path p = fs::temp_directory_path() / ("nostrel_dxf_bench_" + std::to_string(::getpid()) + ".dxf");
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::mt19937_64 random(20261211);
        std::uniform_real_distribution<double> east(-30000, 30000), north(-40000, 40000), up(0, 900);
        std::fputs("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n", f);
        for (int i = 0; i < kFaces; ++i) {
            const double e = east(random), n = north(random);
            std::fprintf(f, "0\n3DFACE\n8\nTIN\n62\n3\n");
            for (int k = 0; k < 4; ++k) {
                const int c = k == 3 ? 2 : k;  // a triangle: the fourth corner repeats the third
                std::fprintf(f, "1%d\n%.4f\n2%d\n%.4f\n3%d\n%.4f\n", k, e + c * 7.25, k, n + (c == 2) * 9.5, k, up(random));
            }
        }
        std::fputs("0\nENDSEC\n0\nEOF\n", f);
        std::fclose(f);
        std::fprintf(stderr, "drawing: %s, %.1f MB\n", p.c_str(), fs::file_size(p) / 1e6);
        return p;
    }();
    return path;
}

void BM_ReadBackgroundDxf(benchmark::State& state) {
    const std::string path = Drawing().string();
    for (auto _ : state) {
        InitDataModel();
        ReadBackgroundDxf(path);
        benchmark::DoNotOptimize(g_dxfElementCount);
    }
    state.counters["elements"] = g_dxfElementCount;
    state.counters["MB"] = fs::file_size(path) / 1e6;
}
BENCHMARK(BM_ReadBackgroundDxf)->Unit(benchmark::kMillisecond)->UseRealTime();

// Another program on the same file, its wall time.
void RunOther(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("not available: " + command).c_str());
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void BM_OgrinfoSummary(benchmark::State& state) {
    RunOther(state, "ogrinfo -so -al " + Drawing().string() + " >/dev/null 2>&1");
}
BENCHMARK(BM_OgrinfoSummary)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

void BM_EzdxfReadfile(benchmark::State& state) {
    RunOther(state, "/usr/bin/python3 -c 'import ezdxf, sys; ezdxf.readfile(sys.argv[1])' " + Drawing().string() +
                        " >/dev/null 2>&1");
}
BENCHMARK(BM_EzdxfReadfile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

struct RemoveDrawing {
    ~RemoveDrawing() {
        std::error_code ec;
        fs::remove(fs::temp_directory_path() / ("nostrel_dxf_bench_" + std::to_string(::getpid()) + ".dxf"), ec);
    }
} g_removeDrawing;
}  // namespace
