// Reading a 10000 x 10000 colour TIFF and JPEG with our readers, beside GDAL's
// gdal_translate reading the same files into raw rows (the aim: within 1.5 times GDAL).
// The files are made once in the temp folder by our own writers.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/image_readers.h"
#include "image/image_writers.h"

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
