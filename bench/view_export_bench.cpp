// ビットマップで保存 of the Jacksboro grid's TIN in shaded colour bands at 4096 x 4096: the
// view rendered again at that size and written. Aims: BMP under 1 s, PNG under 2 s, JPEG
// (quality 90) under 1.5 s.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "plan_frame_bench_support.h"

#include "image/view_image_export.h"
#include "model/terrain_data.h"
#include "view/band_texture.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/triangle_pass.h"
#include "view/view_transform.h"

namespace {

namespace fs = std::filesystem;

bool LoadBandedGrid() {
    static bool ready = false;
    if (ready) return true;
    if (!plan_frame_bench::LoadGridWithTin()) return false;
    InstallTrianglePass();
    g_showTin = 0;
    g_showPoints = 0;
    ComputeDataExtents(1);
    ColorBandParams& p = g_colorBandParams;
    p.mode = 0;
    p.shading = 1;
    p.centre = (p.dataHighest + p.dataLowest) / 2;
    g_colorBandOn = 1;
    BuildElevationPalette();
    ready = true;
    return true;
}

void SaveAt4096(benchmark::State& state, const char* name) {
    if (!LoadBandedGrid()) {
        state.SkipWithError("jacksboro_grid.RND not found or not triangulated (run from the project root)");
        return;
    }
    const fs::path folder = fs::temp_directory_path() / "nostrel_view_export_bench";
    fs::create_directories(folder);
    const std::string path = (folder / name).string();
    for (auto _ : state)
        if (!SaveViewImageAs(path, 4096, 4096, 90)) state.SkipWithError("the view was not written");
    state.counters["MB"] = double(fs::file_size(path)) / 1e6;
    fs::remove_all(folder);
}

void BM_ExportBmp4096(benchmark::State& s) { SaveAt4096(s, "view.bmp"); }
void BM_ExportPng4096(benchmark::State& s) { SaveAt4096(s, "view.png"); }
void BM_ExportJpeg4096(benchmark::State& s) { SaveAt4096(s, "view.jpg"); }

}  // namespace

BENCHMARK(BM_ExportBmp4096)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportPng4096)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportJpeg4096)->Unit(benchmark::kMillisecond)->Iterations(3);
