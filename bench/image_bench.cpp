// Reading a 10000 x 10000 colour TIFF and JPEG with our readers, beside GDAL's
// gdal_translate reading the same files into raw rows (the aim: within 1.5 times GDAL).
// The files are made once in the temp folder by our own writers.
// Drawing an 8000 x 8000 image into a 1920 x 1080 view, by rows (affine placement, aim
// 15 ms) and by perspective spans (projective placement, aim 40 ms).
// Saving the view at 4000 x 3000: rendering again and writing a BMP (aim 1 s) or a JPEG
// of quality 90 (aim 2 s).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/image_drawing.h"
#include "image/image_mapping.h"
#include "image/image_readers.h"
#include "image/image_writers.h"
#include "image/view_image_export.h"
#include "model/terrain_data.h"
#include "view/back_buffer.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "image/point_colour_image.h"
#include "model/terrain_data.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kSide = 10000;

fs::path Folder() { return fs::temp_directory_path() / "nostrel_image_bench"; }

// A picture with some detail, so that the JPEG is not trivially small.
const std::vector<uint32_t>& Pixels() {
    static std::vector<uint32_t> pixels = [] {
        std::vector<uint32_t> p(size_t(kSide) * kSide);
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x)
                p[size_t(y) * kSide + x] = uint32_t(((x * 7) ^ (y * 3)) & 0xFF) | uint32_t((x + y) & 0xFF) << 8 |
                                           uint32_t((x * y >> 6) & 0xFF) << 16;
        return p;
    }();
    return pixels;
}

fs::path Made(const std::string& name) {
    const fs::path path = Folder() / name;
    if (fs::exists(path)) return path;
    fs::create_directories(Folder());
    const auto& p = Pixels();
    if (name.ends_with(".tif"))
        SaveTiffImage(path.string(), reinterpret_cast<const uint8_t*>(p.data()), kSide, kSide, 32, nullptr);
    else
        WriteJpegFile(path.string(), kSide, kSide, 90, [&](int32_t row) { return &p[size_t(row) * kSide]; });
    return path;
}

void Ours(benchmark::State& state, const std::string& name, bool (*decode)(const std::string&, DecodedImage&)) {
    const fs::path path = Made(name);
    for (auto _ : state) {
        DecodedImage d;
        if (!decode(path.string(), d)) {
            state.SkipWithError("the reader failed");
            return;
        }
        benchmark::DoNotOptimize(d.handle.Lock());
        FreeImageBlock(d.handle);
    }
}

void Gdal(benchmark::State& state, const std::string& name) {
    const fs::path path = Made(name);
    const fs::path raw = Folder() / "gdal.raw";
    const std::string command = "gdal_translate -q -of ENVI '" + path.string() + "' '" + raw.string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("gdal_translate failed");
            return;
        }
    }
    fs::remove(raw);
}

}  // namespace

static void BM_ReadTiff10000(benchmark::State& s) { Ours(s, "rgb10000.tif", DecodeTiffImage); }
static void BM_GdalTranslateTiff10000(benchmark::State& s) { Gdal(s, "rgb10000.tif"); }
static void BM_ReadJpeg10000(benchmark::State& s) { Ours(s, "rgb10000.jpg", DecodeJpegImage); }
static void BM_GdalTranslateJpeg10000(benchmark::State& s) { Gdal(s, "rgb10000.jpg"); }
BENCHMARK(BM_ReadTiff10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GdalTranslateTiff10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadJpeg10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GdalTranslateJpeg10000)->Unit(benchmark::kMillisecond)->Iterations(3);

namespace {

constexpr int32_t kDrawSide = 8000;

struct DrawScene {
    std::vector<uint32_t> texels;
    std::vector<uint32_t> view;
    std::vector<uint32_t*> rows;
    ImageSlot image{};
    DrawScene(bool projective) : texels(size_t(kDrawSide) * kDrawSide), view(size_t(1920) * 1080) {
        for (size_t i = 0; i < texels.size(); ++i) texels[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
        for (int32_t r = 0; r < 1080; ++r) rows.push_back(&view[size_t(r) * 1920]);
        image.width = image.height = kDrawSide;
        image.stride = kDrawSide * 4;
        image.pixels = reinterpret_cast<uint8_t*>(texels.data());
        image.loaded = 1;
        // The view (scale 1, centre 0) lies inside the image, turned a little.
        const double affine[4][2] = {{-1500, 1300}, {1400, 1500}, {-1400, -1500}, {1500, -1300}};
        const double quad[4][2] = {{-1300, 900}, {1200, 1000}, {-1500, -1200}, {1500, -1100}};
        std::memcpy(image.corners, projective ? quad : affine, sizeof image.corners);
        ComputeImageEdgeLengths(image);
        image.positionKnown = 1;
        SetupImageMapping(image);
        image.positionKnown = projective ? 4 : 1;
    }
    ImageDrawTarget Target() const { return {rows.data(), 1919, 1079, 0, 0, 1}; }
};

void DrawInto(benchmark::State& state, bool projective, int32_t mode) {
    DrawScene scene(projective);
    for (auto _ : state) {
        DrawImageIntoTarget(scene.image, mode, scene.Target(), {0, 0}, 0, 0, 1000);
        benchmark::DoNotOptimize(scene.view.data());
    }
}

}  // namespace

static void BM_DrawImageRows(benchmark::State& s) { DrawInto(s, false, BLEND_OVERWRITE); }
static void BM_DrawImageRowsHalfTransparent(benchmark::State& s) { DrawInto(s, false, BLEND_HALF_TRANSPARENT); }
static void BM_DrawImageSpans(benchmark::State& s) { DrawInto(s, true, BLEND_OVERWRITE); }
BENCHMARK(BM_DrawImageRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawImageRowsHalfTransparent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawImageSpans)->Unit(benchmark::kMillisecond);

namespace {

// A plan view of 1000 x 750 over 20000 scattered points, saved at 4000 x 3000.
void SaveView(benchmark::State& state, const char* name) {
    InitDataModel();
    GrowPointBlock(20001);
    g_pointCount = 20000;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        g_points[i].x = double((i * 7919) % 1000);
        g_points[i].y = double((i * 104729) % 1000);
        g_points[i].z = 100;
    }
    g_pointsPresent = -1;
    AllocateBackBuffer(1001, 751);
    SetViewport(0, 0, 1000, 750);
    g_viewCenterX = g_viewCenterY = 500;
    g_viewScale = 0.9;
    fs::create_directories(Folder());
    const std::string path = (Folder() / name).string();
    for (auto _ : state) benchmark::DoNotOptimize(SaveViewImageAs(path, 4000, 3000, 90));
    FreeRasterBlocks();
    ReleaseDataModel();
}

// Coloured points on a jittered grid (a survey coloured from a photo): 20000 points
// rendered at 4096 x 4096 with 12 fill passes.
void PointColours(benchmark::State& state, int32_t simpleFill) {
    InitDataModel();
    const int32_t side = 141;
    EnsurePointCapacity(side * side + 1);
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFF;
    };
    for (int32_t i = 0; i < side; ++i)
        for (int32_t j = 0; j < side; ++j) {
            RandomPoint& p = g_points[++g_pointCount];
            p = RandomPoint{};
            p.x = i * 7.0 + (next() % 100) / 50.0;
            p.y = j * 7.0 + (next() % 100) / 50.0;
            std::snprintf(p.name, sizeof p.name, "#%02X%02X%02X", (i * 3) & 0xFF, (j * 5) & 0xFF,
                          static_cast<int>(next() & 0xFF));
        }
    SetPointEndMarker();
    for (auto _ : state) {
        const int32_t r = RenderPointColorsToImage(4096, 4096, 12, simpleFill, 0, 0x808080);
        if (r != POINT_COLOUR_IMAGE_DONE) state.SkipWithError("render failed");
    }
    ResetImageSlots();
    ReleaseDataModel();
}

}  // namespace

static void BM_SaveView4000x3000Bmp(benchmark::State& s) { SaveView(s, "view.bmp"); }
static void BM_SaveView4000x3000Jpeg90(benchmark::State& s) { SaveView(s, "view.jpg"); }
BENCHMARK(BM_SaveView4000x3000Bmp)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveView4000x3000Jpeg90)->Unit(benchmark::kMillisecond)->Iterations(3);
static void BM_PointColours4096Blend12(benchmark::State& s) { PointColours(s, 0); }
static void BM_PointColours4096Simple12(benchmark::State& s) { PointColours(s, 1); }
BENCHMARK(BM_PointColours4096Blend12)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PointColours4096Simple12)->Unit(benchmark::kMillisecond)->Iterations(2);
