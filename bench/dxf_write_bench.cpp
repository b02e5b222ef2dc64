// Writing DXF: WriteDxfElements of a million elements (lines, polylines, points, texts) and
// Write3dDxf of the jacksboro grid's TIN and 10 m contours in both file forms, with MB/s;
// the reader of the same million-element file beside them. Run from the project root.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "contour_bench_support.h"
#include "dxf/dxf3d_output.h"
#include "dxf/dxf_reader.h"
#include "dxf/dxf_store.h"
#include "dxf/dxf_writer.h"
#include "platform/message_box.h"

namespace {
namespace fs = std::filesystem;

fs::path Scratch(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("nostrel_dxf_write_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir / name;
}

// A million elements: runs of 2 to 12 vertices, with points and texts between them.
void FillStore(int32_t count) {
    InitDataModel();
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> north(-40000, 40000), east(-30000, 30000), up(0, 900);
    std::uniform_int_distribution<int> run(1, 11), kind(0, 9);
    DxfTarget target = DXF_TARGET_ENTITIES;
    EnsureDxfCapacity(target, count);
    while (g_dxfElementCount < count) {
        const int k = kind(random);
        const int vertices = k < 8 ? run(random) + 1 : 1;
        const double n = north(random), e = east(random);
        for (int v = 0; v < vertices && g_dxfElementCount < count; ++v) {
            DxfElement& el = AppendDxfRecord(target);
            std::memset(&el, 0, sizeof el);
            el.pen = k < 8 ? (v == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW) : (k == 8 ? DXF_PEN_POINT : DXF_PEN_TEXT);
            el.x = n + v * 3.25;
            el.y = e + v * 1.5;
            el.z = up(random);
            el.colour = 1 + k;
            el.layer = 1 + k % 4;
            el.textHeight = 2.5;
            el.textAngle = 30;
            std::strcpy(el.text, "No.12");
        }
    }
}

void BM_WriteDxfElements(benchmark::State& state) {
    FillStore(static_cast<int32_t>(state.range(0)));
    const std::string path = Scratch("elements.dxf").string();
    for (auto _ : state) {
        if (WriteDxfElements(path, 1) != kDxfWriteDone) state.SkipWithError("write failed");
    }
    const double bytes = static_cast<double>(fs::file_size(path));
    state.counters["MB"] = bytes / 1e6;
    state.counters["MB/s"] = benchmark::Counter(bytes * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteDxfElements)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reader on the file the writer made, for comparison.
void BM_ReadWrittenElements(benchmark::State& state) {
    FillStore(1'000'000);
    const std::string path = Scratch("elements_read.dxf").string();
    WriteDxfElements(path, 1);
    for (auto _ : state) {
        InitDataModel();
        ReadBackgroundDxf(path);
        benchmark::DoNotOptimize(g_dxfElementCount);
    }
    const double bytes = static_cast<double>(fs::file_size(path));
    state.counters["MB/s"] = benchmark::Counter(bytes * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadWrittenElements)->Unit(benchmark::kMillisecond)->UseRealTime();

bool JacksboroReady() {
    static const bool ready = [] {
        if (!LoadJacksboroTin()) return false;
        PrepareContourRun(Scratch("contours"), 10);
        if (CalcContours(0) != ContourCalcResult::kDone) return false;
        g_drawingContoursLoaded = -1;
        return true;
    }();
    return ready;
}

// Argument: the contour kind (1 POLYLINE in a bare file, 2 LWPOLYLINE in the R14 form).
void BM_Write3dDxfJacksboro(benchmark::State& state) {
    if (!JacksboroReady()) {
        state.SkipWithError("jacksboro TIN or contours missing");
        return;
    }
    const std::string path = Scratch("jacksboro.dxf").string();
    const int32_t kind = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        if (Write3dDxf(path, 1, 1, kind, 1, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 0, 0, 8, 8, 0, 0) !=
            k3dDxfDone)
            state.SkipWithError("write failed");
    }
    const double bytes = static_cast<double>(fs::file_size(path));
    state.counters["faces"] = g_dxf3dReport.trianglesWritten;
    state.counters["contours"] = g_dxf3dReport.contoursWritten;
    state.counters["MB"] = bytes / 1e6;
    state.counters["MB/s"] = benchmark::Counter(bytes * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Write3dDxfJacksboro)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
