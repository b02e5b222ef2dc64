// Whole pictures of the real surveys held by checksums of the back buffer and the depth
// buffer: the drawing may get faster, its pixels may not change. The TINs are made here
// (a lattice over the grid survey, CGAL's Delaunay triangulation of the scatter), so the
// pictures do not move with the TIN builders. A picture that is meant to change gets its
// new sums from the failure message.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "../support/survey_data.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "png_support.h"
#include "raster_fixture.h"
#include "view/band_texture.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/stroke_font.h"
#include "view/triangle_pass.h"
#include "view/triangle_raster.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {

constexpr int32_t kGridRows = 344;
constexpr int32_t kGridColumns = 403;

uint64_t Fnv1a(uint64_t hash, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) {
        hash ^= (word >> shift) & 0xFF;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

constexpr uint64_t kFnvStart = 0xCBF29CE484222325ull;

// Every word of the window's pixels, bottom row first.
uint64_t PictureSum() {
    uint64_t hash = kFnvStart;
    for (int32_t r = 0; r <= g_bufferMaxY; ++r)
        for (int32_t c = 0; c <= g_bufferMaxX; ++c) hash = Fnv1a(hash, g_rowTable[r][c]);
    return hash;
}

// The depth words the last bird's-eye or banded frame left; 0 when it had none.
uint64_t DepthSum() {
    const uint32_t* depth = LastFrameDepth();
    if (depth == nullptr) return 0;
    uint64_t hash = kFnvStart;
    const size_t words = static_cast<size_t>(g_rasterWidth) * g_rasterHeight;
    for (size_t i = 0; i < words; ++i) hash = Fnv1a(hash, depth[i]);
    return hash;
}

// The TIN of the given triangles as the builders leave it: one record per edge; the
// outline's edges face inwards and every other edge faces away from the triangle that made
// it, as an advancing front grows from the outline; the search side of a record A -> B is
// where (B - A) x (C - A) over (north, east) is negative, its ends and apex negative when
// the triangle there is a hole. The records follow from the triangles alone.
void SetTinFromTriangles(std::vector<std::array<int32_t, 3>> triangles,
                         const std::function<bool(const std::array<int32_t, 3>&)>& hole = {}) {
    auto cross = [](int32_t a, int32_t b, int32_t c) {
        const RandomPoint &pa = g_points[a], &pb = g_points[b], &pc = g_points[c];
        return (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
    };
    for (auto& t : triangles) {
        if (cross(t[0], t[1], t[2]) > 0) std::swap(t[1], t[2]);
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    }
    std::sort(triangles.begin(), triangles.end());

    // The triangle on the search side of each directed edge (A, B, then the apex follows).
    auto key = [](int32_t a, int32_t b) { return uint64_t(uint32_t(a)) << 32 | uint32_t(b); };
    std::unordered_map<uint64_t, int32_t> owner;
    for (int32_t i = 0; i < static_cast<int32_t>(triangles.size()); ++i)
        for (int k = 0; k < 3; ++k) owner[key(triangles[i][k], triangles[i][(k + 1) % 3])] = i;

    g_tinEdgeCapacity = static_cast<int32_t>(3 * triangles.size() + 100);
    ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    std::unordered_map<uint64_t, int32_t> records;  // by directed edge as stored
    int32_t count = 0;
    auto add = [&](int32_t a, int32_t b, int32_t back, int32_t search) {
        g_tinEdges[++count] = TinEdge{a, b, back, search, 0};
        records[key(a, b)] = count;
    };
    std::vector<char> reached(triangles.size(), 0);
    std::vector<int32_t> queue;
    for (int32_t i = 0; i < static_cast<int32_t>(triangles.size()); ++i)
        for (int k = 0; k < 3; ++k) {
            const auto& t = triangles[i];
            const int32_t a = t[k], b = t[(k + 1) % 3];
            if (owner.count(key(b, a))) continue;
            add(a, b, kNoApex, t[(k + 2) % 3]);
            if (!reached[i]) queue.push_back(i);
            reached[i] = 1;
        }
    for (size_t next = 0; next < queue.size(); ++next) {
        const auto& t = triangles[queue[next]];
        for (int k = 0; k < 3; ++k) {
            const int32_t a = t[k], b = t[(k + 1) % 3], apex = t[(k + 2) % 3];
            const auto facing = records.find(key(a, b));
            if (facing != records.end()) {
                g_tinEdges[facing->second].apexSearch = apex;
                continue;
            }
            if (records.count(key(b, a))) continue;
            add(b, a, apex, 0);  // open towards the neighbour, which comes later
            const int32_t neighbour = owner.at(key(b, a));
            if (!reached[neighbour]) queue.push_back(neighbour);
            reached[neighbour] = 1;
        }
    }
    ASSERT_EQ(queue.size(), triangles.size());
    for (int32_t i = 1; i <= count; ++i) {
        TinEdge& e = g_tinEdges[i];
        ASSERT_NE(e.apexSearch, 0);
        const std::array<int32_t, 3>& t = triangles[owner.at(key(e.a, e.b))];
        if (hole && hole(t)) {
            e.a = -e.a;
            e.b = -e.b;
            e.apexSearch = -e.apexSearch;
        }
    }
    g_tinEdgeCount = count;
    SetTinEndRecord();
    g_tinPresent = -1;
}

bool ReadSurvey(const char* name, int32_t capacity) {
    std::FILE* file = std::fopen(SurveyFile(name).c_str(), "rb");
    if (file == nullptr) return false;
    g_pointCapacity = capacity;
    GrowPointBlock(g_pointCapacity);
    const bool read = ReadRndText(file) == 0;
    g_pointsPresent = -1;
    return read;
}

struct Sums {
    uint64_t picture;
    uint64_t depth;
};

struct PictureCase {
    const char* name;
    std::function<void()> set;  // the view state over the test's start state
    Sums want;
};

class PictureChecksumTest : public RasterTest {
protected:
    // What every picture starts from: the plan, nothing but the data's own layers.
    static void StartState() {
        g_birdsEyeOn = 0;
        g_birdsEyeAzimuth = 0;
        g_birdsEyeTilt = -0.2;
        g_birdsEyeRoll = 0;
        g_heightScale = 1;
        g_colorBandOn = 0;
        g_showTin = 0;
        g_showPoints = 0;
        g_showPointNames = 0;
        g_showPointElevations = 0;
    }

    void SetUp() override {
        InitDataModel();
        InstallTrianglePass();
        LoadStrokeFont();
    }
    void TearDown() override {
        FreeBandTexture();
        FreeTriangleRasterBlocks();
        ReleaseDataModel();
        RasterTest::TearDown();
    }

    // The jacksboro grid, its boundary ring as the outline (vertices flagged, as the plan
    // benchmark has it) and the lattice TIN of the grid cells, each cut along the same
    // diagonal.
    static void LoadGrid() {
        ASSERT_TRUE(ReadSurvey("jacksboro_grid.RND", kGridRows * kGridColumns + 100));
        ASSERT_EQ(g_pointCount, kGridRows * kGridColumns);
        auto node = [](int32_t r, int32_t c) { return r * kGridColumns + c + 1; };
        g_outline.Reset();
        for (int32_t c = 0; c < kGridColumns; ++c) g_outline.Append(node(0, c));
        for (int32_t r = 1; r < kGridRows; ++r) g_outline.Append(node(r, kGridColumns - 1));
        for (int32_t c = kGridColumns - 2; c >= 0; --c) g_outline.Append(node(kGridRows - 1, c));
        for (int32_t r = kGridRows - 2; r >= 1; --r) g_outline.Append(node(r, 0));
        g_outline.Close();
        for (int32_t k = 1; k <= g_outline.Count(); ++k)
            g_points[g_outline[k]].flags = kPointFlagOutline;
        std::vector<std::array<int32_t, 3>> triangles;
        for (int32_t r = 0; r + 1 < kGridRows; ++r)
            for (int32_t c = 0; c + 1 < kGridColumns; ++c) {
                triangles.push_back({node(r, c), node(r, c + 1), node(r + 1, c + 1)});
                triangles.push_back({node(r, c), node(r + 1, c + 1), node(r + 1, c)});
            }
        SetTinFromTriangles(std::move(triangles));
    }

    // The 20,000 scattered points and CGAL's Delaunay triangulation of them; a triangle is
    // a hole when `hole` says so of its centre, given as fractions (north, east) of the
    // survey's box.
    static void LoadScatter(const std::function<bool(double, double)>& hole = {}) {
        ASSERT_TRUE(ReadSurvey("jacksboro_scatter20k.RND", 20100));
        ASSERT_EQ(g_pointCount, 20000);
        using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
        using Vb = CGAL::Triangulation_vertex_base_with_info_2<int32_t, Kernel>;
        using Tds = CGAL::Triangulation_data_structure_2<Vb>;
        using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, Tds>;
        std::vector<std::pair<Kernel::Point_2, int32_t>> sites;
        double lowX = g_points[1].x, highX = lowX, lowY = g_points[1].y, highY = lowY;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            const RandomPoint& p = g_points[i];
            sites.push_back({Kernel::Point_2(p.y, p.x), i});
            lowX = std::min(lowX, p.x), highX = std::max(highX, p.x);
            lowY = std::min(lowY, p.y), highY = std::max(highY, p.y);
        }
        Delaunay delaunay(sites.begin(), sites.end());
        std::vector<std::array<int32_t, 3>> triangles;
        for (auto f = delaunay.finite_faces_begin(); f != delaunay.finite_faces_end(); ++f)
            triangles.push_back({f->vertex(0)->info(), f->vertex(1)->info(), f->vertex(2)->info()});
        std::function<bool(const std::array<int32_t, 3>&)> holeTriangle;
        if (hole)
            holeTriangle = [&](const std::array<int32_t, 3>& t) {
                double x = 0, y = 0;
                for (int32_t i : t) {
                    x += g_points[i].x / 3;
                    y += g_points[i].y / 3;
                }
                return hole((x - lowX) / (highX - lowX), (y - lowY) / (highY - lowY));
            };
        SetTinFromTriangles(std::move(triangles), holeTriangle);
    }

    // A buffer of the bird's-eye benchmark (width x height, the paint sized by the buffer).
    void OpenBirdsEye(int32_t width, int32_t height) {
        Open(width, height);
        g_overviewExtent = 0;
        ComputeDataExtents(0);
    }

    // Paints each picture from the same start state and compares its sums.
    void Check(const std::vector<PictureCase>& pictures, const ViewClient* client) {
        const ColorBandParams bands = g_colorBandParams;
        const double centerX = g_viewCenterX, centerY = g_viewCenterY, scale = g_viewScale;
        for (const PictureCase& picture : pictures) {
            g_colorBandParams = bands;
            g_viewCenterX = centerX;
            g_viewCenterY = centerY;
            g_viewScale = scale;
            StartState();
            picture.set();
            // The depth sum is of this frame's depth buffer only.
            FreeTriangleRasterBlocks();
            BuildElevationPalette();
            g_redrawMask = -1;
            g_rasterStatus = 0;
            ASSERT_EQ(PaintView(client), 1) << picture.name;
            EXPECT_EQ(g_rasterStatus, 0) << picture.name;
            const Sums got{PictureSum(), DepthSum()};
            if (const char* folder = std::getenv("NOSTREL_SCREENS")) {
                std::string file = std::string("checksum ") + picture.name + ".png";
                std::replace_if(
                    file.begin(), file.end(), [](char c) { return c == ' ' || c == ','; }, '_');
                WritePng(std::filesystem::path(folder) / file,
                         WindowRgb(g_bufferMaxX + 1, g_bufferMaxY + 1), g_bufferMaxX + 1,
                         g_bufferMaxY + 1);
            }
            EXPECT_TRUE(got.picture == picture.want.picture && got.depth == picture.want.depth)
                << picture.name << ": {0x" << std::hex << got.picture << "ull, 0x" << got.depth
                << "ull}";
        }
    }
};

// The camera of the bird's-eye benchmark: shaded bands, no TIN lines, no points.
void BenchmarkCamera() {
    g_birdsEyeOn = 1;
    g_birdsEyeAzimuth = 0.5;
    g_birdsEyeTilt = -0.45;
    g_heightScale = 3;
    g_viewScale *= 1.7;
    g_colorBandParams.shading = 1;
    g_colorBandOn = -1;
}

TEST_F(PictureChecksumTest, BirdsEyePicturesOfTheGridKeepTheirPixels) {
    LoadGrid();
    OpenBirdsEye(1920, 1080);
    const std::vector<PictureCase> pictures = {
        {"shaded bands", [] { BenchmarkCamera(); }, {0x864c01e1ba5943bbull, 0xe33318d61ebc0d8bull}},
        {"shaded bands, TIN lines and points",
         [] {
             BenchmarkCamera();
             g_showTin = -1;
             g_showPoints = -1;
         },
         {0x93d33b70bc0353bull, 0x92237149ddfeec24ull}},
        {"bands without shading, points with names and elevations",
         [] {
             BenchmarkCamera();
             g_colorBandParams.shading = 0;
             g_showPoints = -1;
             g_showPointNames = -1;
             g_showPointElevations = -1;
             g_viewScale *= 6;
         },
         {0x8b890c7c57fe4dcull, 0x902f6d92e1ed0b56ull}},
        {"level, low and close: triangles across the eye's plane and every border",
         [] {
             BenchmarkCamera();
             g_birdsEyeTilt = 0;
             g_birdsEyeAzimuth = -2.3;
             g_birdsEyeRoll = 0.2;
             g_heightScale = 20;
             g_viewScale *= 6;
         },
         {0x497b347b25415cf3ull, 0x38ac575a2ff866d3ull}},
        {"gradient bands, TIN lines",
         [] {
             BenchmarkCamera();
             g_colorBandParams.mode = 1;
             g_showTin = -1;
         },
         {0x24b814245b3335d7ull, 0x92b9d3d7c259ca75ull}},
        {"slope bands",
         [] {
             BenchmarkCamera();
             g_colorBandParams.mode = 3;
         },
         {0xefeb32193e8551deull, 0xe33318d61ebc0d8bull}},
        {"bird's-eye colouring, turned and rolled",
         [] {
             BenchmarkCamera();
             g_colorBandParams.mode = 2;
             g_birdsEyeAzimuth = 2.9;
             g_birdsEyeRoll = -0.3;
         },
         {0x3905a76e3ead92ebull, 0x1821a01192d2203ull}},
    };
    Check(pictures, nullptr);
}

TEST_F(PictureChecksumTest, PlanPicturesOfTheGridWithEveryLabelKeepTheirPixels) {
    LoadGrid();
    // As the plan benchmark: a 1920 x 1080 client in a buffer one larger.
    Open(1921, 1081);
    const ViewClient client{1920, 1080};
    SetViewport(0, 0, client.width, client.height - 1);
    StartState();
    ShowAllKeepSettings();
    auto points = [] {
        g_showTin = -1;
        g_showPoints = -1;
    };
    auto labels = [&] {
        points();
        g_showPointNames = -1;
        g_showPointElevations = -1;
    };
    const std::vector<PictureCase> pictures = {
        {"overall view, TIN and points", points, {0xf0410d8a6e4c2b5dull, 0x0ull}},
        {"overall view, names and elevations", labels, {0xe8809c722c028d0full, 0x0ull}},
        {"zoomed in four times",
         [&] {
             labels();
             g_viewScale *= 4;
         },
         {0xfedcae77845c1e88ull, 0x0ull}},
        {"zoomed in off the centre, labels across the borders",
         [&] {
             labels();
             g_viewScale *= 14;
             g_viewCenterX += 37.3;
             g_viewCenterY -= 121.9;
         },
         {0x64b0440bb67f4f71ull, 0x0ull}},
        {"elevations in band colours over shaded bands",
         [&] {
             labels();
             g_viewScale *= 9;
             g_colorBandOn = -1;
             g_colorBandParams.shading = 1;
             g_colorBandParams.textColourChange = 1;
             g_showPointNames = 0;
         },
         {0xda5d35f213e5426full, 0xc14b389d66de2905ull}},
    };
    Check(pictures, &client);
}

TEST_F(PictureChecksumTest, TheStartUpPictureOfTheScatterKeepsItsPixels) {
    LoadScatter();
    OpenBirdsEye(1024, 768);
    auto startUp = [] {
        g_birdsEyeOn = 1;
        g_colorBandOn = -1;
        g_colorBandParams.mode = 0;
        g_colorBandParams.shading = 1;
    };
    const std::vector<PictureCase> pictures = {
        {"start-up picture", startUp, {0x4f842e4f5277dd62ull, 0x67b826c704dc408cull}},
        {"start-up picture with the TIN and points",
         [&] {
             startUp();
             g_showTin = -1;
             g_showPoints = -1;
         },
         {0x36d98fe3e7a9b3d1ull, 0x779ba6ec59c8acc8ull}},
    };
    Check(pictures, nullptr);
}

// Holes with water over them, and points named by colour.
TEST_F(PictureChecksumTest, WaterInHolesAndVertexColoursOfTheScatterKeepTheirPixels) {
    // A disc and a band across the survey as holes.
    LoadScatter([](double u, double v) {
        const double du = u - 0.35, dv = v - 0.6;
        return du * du + dv * dv < 0.12 * 0.12 || std::abs(u - 0.7 - 0.3 * (v - 0.5)) < 0.02;
    });
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const uint32_t colour = static_cast<uint32_t>(i) * 2654435761u >> 8;
        std::snprintf(g_points[i].name, sizeof g_points[i].name, "#%06X", colour & 0xFFFFFF);
    }
    OpenBirdsEye(1024, 768);
    auto birdsEye = [] {
        g_birdsEyeOn = 1;
        g_birdsEyeAzimuth = 0.8;
        g_birdsEyeTilt = -0.5;
        g_heightScale = 4;
        g_colorBandOn = -1;
        g_colorBandParams.mode = 0;
        g_colorBandParams.shading = 1;
        g_colorBandParams.waterShown = -1;
        g_colorBandParams.waterColour = 0x3060C0;
    };
    const std::vector<PictureCase> pictures = {
        {"opaque water in the holes, TIN lines",
         [&] {
             birdsEye();
             g_showTin = -1;
         },
         {0xf0a4eb0483e7e371ull, 0xf3d0096d6fc41e16ull}},
        {"transparent water over hidden hole triangles",
         [&] {
             birdsEye();
             g_colorBandParams.waterTransparent = 1;
             g_colorBandParams.holesHidden = 1;
         },
         {0x41a9a74e56bb5e3bull, 0xb7d2f7179d429deaull}},
        {"vertex colours, shaded",
         [&] {
             birdsEye();
             g_colorBandParams.mode = 2;
             g_colorBandParams.useVertexColours = 1;
         },
         {0x4fa51718978e3b3full, 0x5ec7ac0441521be2ull}},
        {"vertex colours in the plan, water ordered by depth",
         [&] {
             birdsEye();
             g_birdsEyeOn = 0;
             g_viewScale *= 2;
             g_colorBandParams.mode = 2;
             g_colorBandParams.useVertexColours = 1;
             g_colorBandParams.waterTransparent = 1;
         },
         {0xfdc16eb4073def17ull, 0xe33b1900e862d48cull}},
    };
    Check(pictures, nullptr);
}

// Work that depends on the terrain alone may be kept from one frame to the next; an edit
// between two frames must show in the second as it shows in a frame after the TIN was
// changed and changed back (when nothing of the first frame can be kept).
TEST_F(PictureChecksumTest, AnEditBetweenTwoFramesShowsInTheSecond) {
    LoadScatter();
    OpenBirdsEye(640, 480);
    // Points near the view centre, the nearest first (the camera looks at its height, so
    // the edits leave it alone).
    std::vector<int32_t> near(static_cast<size_t>(g_pointCount));
    for (int32_t i = 0; i < g_pointCount; ++i) near[i] = i + 1;
    auto distance = [](int32_t k) {
        return std::hypot(g_points[k].x - g_viewCenterX, g_points[k].y - g_viewCenterY);
    };
    std::partial_sort(near.begin(), near.begin() + 10, near.end(),
                      [&](int32_t a, int32_t b) { return distance(a) < distance(b); });
    auto paint = [] {
        g_redrawMask = -1;
        g_rasterStatus = 0;
        EXPECT_EQ(PaintView(nullptr), 1);
        return PictureSum();
    };
    struct Edit {
        const char* name;
        int32_t mode;
        std::function<void()> apply;
    };
    const Edit edits[] = {
        {"a point raised", 0, [&] { g_points[near[2]].z += 40; }},
        {"a point moved", 3, [&] { g_points[near[1]].y += 60; }},
        {"the light turned", 0, [] { g_colorBandParams.lightAzimuth += 40; }},
        {"the steepest slope changed", 3, [] { g_colorBandParams.maxSlope *= 0.5; }},
        {"a triangle cut out", 0,
         [&] {
             for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
                 if (std::abs(g_tinEdges[i].a) == near[3] || std::abs(g_tinEdges[i].b) == near[3])
                     g_tinEdges[i].apexSearch = g_tinEdges[i].apexBack = kNoApex;
         }},
    };
    const double scale = g_viewScale;
    for (const Edit& edit : edits) {
        g_birdsEyeOn = 1;
        g_birdsEyeTilt = -1.0;
        g_birdsEyeAzimuth = 0.3;
        g_heightScale = 3;
        g_viewScale = 10 * scale;
        g_colorBandOn = -1;
        g_colorBandParams.mode = edit.mode;
        g_colorBandParams.shading = 1;
        g_colorBandParams.maxSlope = 40;
        BuildElevationPalette();
        const uint64_t before = paint();
        edit.apply();
        const uint64_t after = paint();
        // The TIN one record shorter for a frame, then as it was.
        const TinEdge last = g_tinEdges[g_tinEdgeCount];
        --g_tinEdgeCount;
        SetTinEndRecord();
        paint();
        g_tinEdges[++g_tinEdgeCount] = last;
        SetTinEndRecord();
        const uint64_t anew = paint();
        EXPECT_NE(after, before) << edit.name;
        EXPECT_EQ(after, anew) << edit.name;
    }
}

}  // namespace
