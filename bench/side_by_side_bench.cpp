// The program's TIN builders and contour tracing beside specialised tools doing the same job
// on this machine, in one run: CGAL's Delaunay and constrained Delaunay triangulations, and
// gdal_contour on the same grid. Prints the times (best of a few runs) and their ratios, and
// the peak memory per point of the 1M-point build.
//
//   side_by_side_bench [--quick] [--cpu]
//     --quick: one run each, no 1M set
//     --cpu:   CPU time instead of wall time, for a machine busy with other work (the builders
//              and CGAL run on this thread; the contour rows count every thread and the child)
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "contour_bench_support.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "../tests/support/cgal_inside.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using CgalPoint = Kernel::Point_2;

bool g_quick = false;
bool g_cpu = false;

double CpuSeconds() {
    timespec self{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &self);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    return self.tv_sec + self.tv_nsec * 1e-9 + children.ru_utime.tv_sec + children.ru_stime.tv_sec +
           (children.ru_utime.tv_usec + children.ru_stime.tv_usec) * 1e-6;
}

double Now() {
    return g_cpu ? CpuSeconds() : std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Best of 3 runs; short runs, which a busy machine disturbs most, get up to 7.
double Seconds(const std::function<void()>& prepare, const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < (g_quick ? 1 : best < 0.5 ? 7 : 3); ++i) {
        prepare();
        const double t0 = Now();
        run();
        const double s = Now() - t0;
        if (s < best) best = s;
    }
    return best;
}

void Row(const char* what, double ours, double theirs, const char* them) {
    std::printf("%-44s %9.3f s  %-22s %9.3f s  ratio %5.2fx\n", what, ours, them, theirs, ours / theirs);
    std::fflush(stdout);
}

std::vector<CgalPoint> LoadedPoints() {
    std::vector<CgalPoint> pts;
    pts.reserve(g_pointCount);
    for (int32_t i = 1; i <= g_pointCount; ++i)
        if (!g_points[i].outside) pts.emplace_back(g_points[i].y, g_points[i].x);
    return pts;
}

void EnsureTinCapacity() {
    if (4 * g_pointCount > g_tinEdgeCapacity) {
        g_tinEdgeCapacity = 4 * g_pointCount;
        GrowTinEdgeBlock(g_tinEdgeCapacity);
    }
}

bool BuildGrid() {
    EnsureTinCapacity();
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ClearRecordedMessages();
    return LastTinBuildResult() == TinBuildResult::kComplete;
}

bool BuildRegions() {
    EnsureTinCapacity();
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    g_tinEdgeCount = 0;
    BuildTinRegions(0);
    ClearRecordedMessages();
    return LastTinBuildResult() == TinBuildResult::kComplete;
}

void MakeClustered(int32_t n) {
    InitDataModel();
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 10000.0);
    std::normal_distribution<double> spread(0.0, 60.0);
    std::vector<std::pair<double, double>> centres(40);
    for (auto& c : centres) c = {u(rng), u(rng)};
    for (int32_t i = 0; i < n; ++i) {
        const auto& c = centres[i % centres.size()];
        const double x = std::clamp(c.first + spread(rng), 0.0, 10000.0);
        const double y = std::clamp(c.second + spread(rng), 0.0, 10000.0);
        tin_bench::AddPoint(x, y);
    }
    tin_bench::SetOutline({tin_bench::AddPoint(-1, -1), tin_bench::AddPoint(-1, 10001),
                           tin_bench::AddPoint(10001, 10001), tin_bench::AddPoint(10001, -1)});
}

struct Times {
    double ours;
    double theirs;
};

// Grid builder against CGAL's Delaunay triangulation of the same inside points.
Times CompareDelaunay(const char* what, const std::function<void()>& make) {
    make();
    BuildGrid();  // classifies the points once for CGAL's copy
    const std::vector<CgalPoint> pts = LoadedPoints();
    const double ours = Seconds(make, [] {
        if (!BuildGrid()) std::printf("  (the grid builder did not complete)\n");
    });
    const double theirs = Seconds([] {}, [&] {
        CGAL::Delaunay_triangulation_2<Kernel> dt;
        dt.insert(pts.begin(), pts.end());
    });
    Row(what, ours, theirs, "CGAL Delaunay_2");
    return {ours, theirs};
}

// Region builder (the TIN calculation command) against CGAL's constrained Delaunay
// triangulation with the outline as constraints and the inside marked.
void CompareConstrained(const char* what, const std::function<void()>& make) {
    make();
    BuildRegions();
    const std::vector<CgalPoint> pts = LoadedPoints();
    std::vector<CgalPoint> ring;
    for (int32_t k = 1; k <= g_outline.Count(); ++k) {
        const RandomPoint& p = g_points[g_outline[k]];
        ring.emplace_back(p.y, p.x);
    }
    const double ours = Seconds(make, [] {
        if (!BuildRegions()) std::printf("  (the region builder did not complete)\n");
    });
    const double theirs = Seconds([] {}, [&] {
        using Fb = CGAL::Constrained_triangulation_face_base_2<Kernel>;
        using Fbi = CGAL::Triangulation_face_base_with_info_2<int, Kernel, Fb>;
        using Tds = CGAL::Triangulation_data_structure_2<CGAL::Triangulation_vertex_base_2<Kernel>, Fbi>;
        using Cdt = CGAL::Constrained_Delaunay_triangulation_2<Kernel, Tds, CGAL::Exact_predicates_tag>;
        Cdt cdt;
        cdt.insert(pts.begin(), pts.end());
        cdt.insert_constraint(ring.begin(), ring.end(), true);
        MarkConstraintDepths(cdt);  // odd depths lie inside the outline
    });
    Row(what, ours, theirs, "CGAL constrained + in");
}

// Peak resident size of a child process that builds the TIN of `n` uniform points, per point.
void PeakMemory(int32_t n) {
    const pid_t child = fork();
    if (child == 0) {
        tin_bench::MakeRandomSquare(n);
        BuildGrid();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("%-44s %9.1f bytes per point (peak resident %ld MB)\n", "grid builder memory, 1M uniform",
                usage.ru_maxrss * 1024.0 / n, usage.ru_maxrss / 1024);
}

// The grid's nodes as an ASCII raster with their own spacing in each direction.
bool WriteAsciiGrid(const std::string& path) {
    const int32_t rows = 344, columns = 403;
    auto node = [&](int32_t r, int32_t c) -> const RandomPoint& { return g_points[r * columns + c + 1]; };
    const double dx = (node(0, columns - 1).y - node(0, 0).y) / (columns - 1);
    const double dy = (node(0, 0).x - node(rows - 1, 0).x) / (rows - 1);
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "ncols %d\nnrows %d\nxllcenter %.6f\nyllcenter %.6f\ndx %.9f\ndy %.9f\n", columns, rows,
                 node(rows - 1, 0).y, node(rows - 1, 0).x, dx, dy);
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) std::fprintf(f, "%.3f ", node(r, c).z);
        std::fputc('\n', f);
    }
    return std::fclose(f) == 0;
}

void CompareContours() {
    if (!LoadJacksboroTin()) {
        std::printf("contours: data/jacksboro/jacksboro_grid.RND not found, skipped\n");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "side_by_side_bench";
    std::filesystem::remove_all(dir);
    PrepareContourRun(dir, 10);
    const double ours = Seconds([] {}, [] {
        ClearRecordedMessages();
        CalcContours(0);
    });
    if (std::system("command -v gdal_contour >/dev/null 2>&1") != 0) {
        std::printf("%-44s %9.3f s  gdal_contour is not installed (Debian gdal-bin): skipped\n",
                    "contours 10 m, jacksboro_grid", ours);
        return;
    }
    const std::string grid = (dir / "grid.asc").string();
    if (!WriteAsciiGrid(grid)) return;
    const std::string out = (dir / "lines.shp").string();
    const std::string command = "gdal_contour -q -i 10 -a ELEV " + grid + " " + out + " >/dev/null 2>&1";
    bool failed = false;
    const double theirs = Seconds([&] { std::filesystem::remove(out); },
                                  [&] { failed |= std::system(command.c_str()) != 0; });
    if (failed) {
        std::printf("gdal_contour failed on %s\n", grid.c_str());
        return;
    }
    Row("contours 10 m, jacksboro_grid (TIN / DEM)", ours, theirs, "gdal_contour (process)");
    std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        g_quick |= std::strcmp(argv[i], "--quick") == 0;
        g_cpu |= std::strcmp(argv[i], "--cpu") == 0;
    }
    // CGAL's containers come from malloc, whose mapping threshold moves with what this
    // process freed before: fixed, CGAL's times do not depend on the runs before them, and
    // its freed memory is reused rather than mapped and faulted in again (its best case).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    std::printf(g_quick ? "one run each" : "best of 3 runs each, of 7 under 0.5 s");
    std::printf(g_cpu ? ", CPU time\n" : ", wall time\n");
    // First, while this process holds nothing a child would inherit and count as its own.
    if (!g_quick) PeakMemory(1000000);
    const Times small = CompareDelaunay("grid builder, 100k uniform", [] { tin_bench::MakeRandomSquare(100000); });
    if (!g_quick) {
        const Times large = CompareDelaunay("grid builder, 1M uniform", [] { tin_bench::MakeRandomSquare(1000000); });
        std::printf("%-44s %9.2fx  %-22s %9.2fx\n", "time per point, 1M against 100k", (large.ours / 1e6) / (small.ours / 1e5),
                    "CGAL Delaunay_2", (large.theirs / 1e6) / (small.theirs / 1e5));
    }
    CompareDelaunay("grid builder, 200k clustered", [] { MakeClustered(200000); });
    CompareDelaunay("grid builder, jacksboro_grid", [] { tin_bench::MakeJacksboroGrid(); });
    CompareConstrained("region builder, jacksboro_grid with its ring", [] { tin_bench::MakeJacksboroGrid(); });
    CompareContours();
    return 0;
}
