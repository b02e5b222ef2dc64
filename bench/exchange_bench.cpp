// The point imports on a million lines each (RND text, SIMA, CSV) beside the document's
// own RND reader on the same RND file, and the SIMA output of the Jacksboro grid's TIN.
// Run from the project root.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "exchange/delimited_text.h"
#include "exchange/dem_xml.h"
#include "exchange/fgd_xml.h"
#include "dxf/dxf_store.h"
#include "model/geodesy.h"
#include "exchange/import_request.h"
#include "exchange/point_file_reader.h"
#include "exchange/sima_out.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/folders.h"
#include "../tests/support/survey_data.h"

namespace fs = std::filesystem;

namespace {
constexpr int kLines = 1000000;

// The three files of a million points each, made once in the temp folder.
const fs::path& BenchFile(const char* kind) {
    static fs::path rnd, sima, csv;
    if (rnd.empty()) {
        rnd = TempFolder() / "bench.RND";
        sima = TempFolder() / "bench.SIM";
        csv = TempFolder() / "bench.CSV";
        std::FILE* r = std::fopen(rnd.c_str(), "wb");
        std::FILE* s = std::fopen(sima.c_str(), "wb");
        std::FILE* c = std::fopen(csv.c_str(), "wb");
        for (int k = 0; k < 5; ++k) std::fputs("********************\r\n", r);
        std::fputs("G00,01,-,\r\nA00,\r\n", s);
        for (int i = 1; i <= kLines; ++i) {
            const double x = 30000.0 + (i % 1000) * 1.25, y = -2000.0 + (i / 1000) * 1.25;
            const double z = 100.0 + (i % 97) * 0.125;
            std::fprintf(r, "P%-9d%14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n", i % 10000000, x, y, z, 0, 0, 0);
            std::fprintf(s, "A01,%d,P%d,%.3f,%.3f,%.3f,\r\n", i, i, x, y, z);
            std::fprintf(c, "%.3f,%.3f,%.3f,P%d\r\n", x, y, z, i);
        }
        std::fputs("A99,\r\n", s);
        std::fclose(r);
        std::fclose(s);
        std::fclose(c);
    }
    return kind[0] == 'R' ? rnd : kind[0] == 'S' ? sima : csv;
}

void Fresh(int32_t capacity) {
    InitDataModel();
    g_pointCapacity = capacity;
    GrowPointBlock(g_pointCapacity);
}
}  // namespace

static void BM_DocumentRndReader(benchmark::State& state) {
    const fs::path& path = BenchFile("RND");
    Fresh(kLines + 1000);
    for (auto _ : state)
        if (ReadRndText(std::fopen(path.c_str(), "rb")) != 0) state.SkipWithError("read failed");
    state.counters["points"] = g_pointCount;
    state.SetBytesProcessed(state.iterations() * fs::file_size(path));
}
BENCHMARK(BM_DocumentRndReader)->Unit(benchmark::kMillisecond);

static void BM_ImportPointFile(benchmark::State& state) {
    const int32_t kind = static_cast<int32_t>(state.range(0));
    const fs::path& path = BenchFile(kind == kImportKindRnd ? "RND" : "SIM");
    for (auto _ : state) {
        state.PauseTiming();
        Fresh(kLines + 1000);
        state.ResumeTiming();
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (ReadImportPointFile(f, kind, 1, 3, 0, 5) != 0) state.SkipWithError("read failed");
        std::fclose(f);
    }
    state.counters["points"] = g_pointCount;
    state.SetBytesProcessed(state.iterations() * fs::file_size(path));
}
BENCHMARK(BM_ImportPointFile)->Arg(kImportKindRnd)->Arg(kImportKindSima)->Unit(benchmark::kMillisecond);

static void BM_ImportCsv(benchmark::State& state) {
    const fs::path& path = BenchFile("CSV");
    ResetImportChoices();
    for (auto _ : state) {
        state.PauseTiming();
        Fresh(kLines + 1000);
        state.ResumeTiming();
        if (ReadDelimitedPointText(path, 1, 3, 0, 5) != 0) state.SkipWithError("read failed");
    }
    state.counters["points"] = g_pointCount;
    state.SetBytesProcessed(state.iterations() * fs::file_size(path));
}
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond);

// The grid's points, the ring of its border nodes as the outline and the TIN inside.
static void BM_WriteSimaJacksboro(benchmark::State& state) {
    constexpr int32_t kRows = 344, kColumns = 403;
    auto node = [](int32_t r, int32_t c) { return r * kColumns + c + 1; };
    Fresh(200000);
    std::FILE* f = std::fopen(SurveyFile("jacksboro_grid.RND").c_str(), "rb");
    if (!f || ReadRndText(f) != 0) {
        state.SkipWithError("jacksboro_grid.RND not read; run from the project root");
        return;
    }
    g_outline.Reset();
    for (int32_t c = 0; c < kColumns; ++c) g_outline.Append(node(0, c));
    for (int32_t r = 1; r < kRows; ++r) g_outline.Append(node(r, kColumns - 1));
    for (int32_t c = kColumns - 2; c >= 0; --c) g_outline.Append(node(kRows - 1, c));
    for (int32_t r = kRows - 2; r >= 1; --r) g_outline.Append(node(r, 0));
    for (int32_t k = 1; k <= g_outline.Count(); ++k) g_points[g_outline[k]].flags |= kPointFlagOutline;
    g_outline.Close();
    g_tinEdgeCapacity = 4 * g_pointCount;
    GrowTinEdgeBlock(g_tinEdgeCapacity);
    OrientPolygonClockwise(g_outline);
    g_tinEdgeCount = 0;
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    g_tinPresent = -1;
    const fs::path out = TempFolder() / "jacksboro.SIM";
    for (auto _ : state)
        if (WriteSimaFile(out, 0, 1, static_cast<int32_t>(state.range(0))) != 0) state.SkipWithError("write failed");
    state.SetBytesProcessed(state.iterations() * fs::file_size(out));
}
BENCHMARK(BM_WriteSimaJacksboro)->Arg(kSimaFormTriangles)->Arg(kSimaFormComponents)->Unit(benchmark::kMillisecond);

// A 225 x 150 elevation mesh in the published GML layout, and the same file through
// xmllint's streaming parser for comparison (the reader should stay within twice it).
static const fs::path& DemFile() {
    static fs::path path;
    if (path.empty()) {
        path = TempFolder() / "bench_dem.xml";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dataset "
                   "xmlns:gml=\"http://www.opengis.net/gml/3.2\">\n<DEM>\n<mesh>53394611</mesh>\n"
                   "<gml:lowerCorner>35.7 139.6625</gml:lowerCorner>\n"
                   "<gml:upperCorner>35.708333333 139.675</gml:upperCorner>\n"
                   "<gml:low>0 0</gml:low>\n<gml:high>224 149</gml:high>\n<gml:tupleList>\n",
                   f);
        for (int i = 0; i < 225 * 150; ++i) std::fprintf(f, "ground,%.2f\n", 20.0 + (i % 700) * 0.13);
        std::fputs("</gml:tupleList>\n<gml:startPoint>0 0</gml:startPoint>\n</DEM>\n</Dataset>\n", f);
        std::fclose(f);
    }
    return path;
}

static void BM_ImportDemXml(benchmark::State& state) {
    const fs::path& path = DemFile();
    for (auto _ : state) {
        InitDataModel();
        g_planeZone = 9;
        g_useWorldDatum = 1;
        if (ImportGsiXmlDem(0, path) != 0) state.SkipWithError("import failed");
    }
    state.SetBytesProcessed(state.iterations() * fs::file_size(path));
}
BENCHMARK(BM_ImportDemXml)->Unit(benchmark::kMillisecond);

static void BM_XmllintStreamDemXml(benchmark::State& state) {
    const std::string cmd = "xmllint --stream --noout " + DemFile().string();
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("xmllint failed or missing");
    state.SetBytesProcessed(state.iterations() * fs::file_size(DemFile()));
}
BENCHMARK(BM_XmllintStreamDemXml)->Unit(benchmark::kMillisecond);

// A fundamental map of about 50 MB in the published GML layout: contours of 40 vertices
// each, with their elevations, and the same file through xmllint's streaming parser.
static const fs::path& MapFile() {
    static fs::path path;
    if (path.empty()) {
        path = TempFolder() / "bench_map.xml";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dataset "
                   "xmlns:gml=\"http://www.opengis.net/gml/3.2\" gml:id=\"Dataset1\">\n",
                   f);
        long written = 0;
        for (int k = 1; written < 50L * 1000 * 1000; ++k) {
            written += std::fprintf(f,
                                    "<Cntr gml:id=\"K%d\">\n<fid>fgoid:10-00200-11-6181-%d</fid>\n"
                                    "<lfSpanFr gml:id=\"K%d-1\">\n<gml:timePosition>2008-03-01</gml:timePosition>\n"
                                    "</lfSpanFr>\n<orgGILvl>2500</orgGILvl>\n<vis>表示</vis>\n<loc>\n"
                                    "<gml:Curve gml:id=\"K%d-2\" srsName=\"fguuid:jgd2011.bl\">\n<gml:segments>\n"
                                    "<gml:LineStringSegment>\n<gml:posList>\n",
                                    k, k, k, k);
            for (int v = 0; v < 40; ++v)
                written += std::fprintf(f, "%.9f %.9f\n", 35.7 + (k % 500) * 1e-4 + v * 1e-6,
                                        139.66 + (k / 500) * 1e-4 + v * 2e-6);
            written += std::fprintf(f,
                                    "</gml:posList>\n</gml:LineStringSegment>\n</gml:segments>\n</gml:Curve>\n"
                                    "</loc>\n<type>一般等高線</type>\n<alti>%d.0</alti>\n</Cntr>\n",
                                    10 * (k % 40));
        }
        std::fputs("</Dataset>\n", f);
        std::fclose(f);
    }
    return path;
}

static void BM_ImportMapXml(benchmark::State& state) {
    const fs::path& path = MapFile();
    const GsiXmlOptions options = DefaultGsiXmlOptions();
    for (auto _ : state) {
        InitDataModel();
        g_planeZone = 9;
        g_useWorldDatum = 1;
        if (ImportGsiXmlFeatures(0, path, 0, options) != 0) state.SkipWithError("import failed");
    }
    state.counters["elements"] = g_dxfElementCount;
    state.SetBytesProcessed(state.iterations() * fs::file_size(path));
}
BENCHMARK(BM_ImportMapXml)->Unit(benchmark::kMillisecond);

// The same with the element store kept between runs: the reading and projecting alone,
// without the first touch of a fresh store of some 1.3 million elements.
static void BM_ImportMapXmlWarmStore(benchmark::State& state) {
    const fs::path& path = MapFile();
    const GsiXmlOptions options = DefaultGsiXmlOptions();
    InitDataModel();
    g_planeZone = 9;
    g_useWorldDatum = 1;
    for (auto _ : state) {
        g_dxfElementCount = 0;
        if (ImportGsiXmlFeatures(0, path, 0, options) != 0) state.SkipWithError("import failed");
    }
    state.counters["elements"] = g_dxfElementCount;
    state.SetBytesProcessed(state.iterations() * fs::file_size(path));
}
BENCHMARK(BM_ImportMapXmlWarmStore)->Unit(benchmark::kMillisecond);

static void BM_XmllintStreamMapXml(benchmark::State& state) {
    const std::string cmd = "xmllint --stream --noout " + MapFile().string();
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("xmllint failed or missing");
    state.SetBytesProcessed(state.iterations() * fs::file_size(MapFile()));
}
BENCHMARK(BM_XmllintStreamMapXml)->Unit(benchmark::kMillisecond);
