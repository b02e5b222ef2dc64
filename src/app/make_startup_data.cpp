// Makes the start-up data set from a survey: DATA1.VEW with its points, their automatic
// outline and the TIN inside it, in the backup snapshot format, and DATA1.CDF with
// the picture the program opens on: the bird's-eye view over the whole set, coloured by
// elevation bands and shaded. The build runs it on the project's real survey and puts the
// set beside the program.
//
//   make_startup_data <survey.RND> <DATA1.VEW> <DATA1.CDF>
//   make_startup_data --check <DATA1.VEW> <DATA1.CDF>     reads a set back and checks it
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "model/auto_outline.h"
#include "model/backup_file.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "view/color_band_file.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace fs = std::filesystem;

namespace {
void PrintMessages() {
    for (const RecordedMessage& m : RecordedMessages())
        std::fprintf(stderr, "%s\n", m.text.c_str());
}

// Twenty band colours from the lowest band (c101) to the highest (c120): greens through
// yellow and browns to near white, so that neighbouring bands differ a little and the
// whole reads as low ground to high ground.
void SetHypsometricStripes() {
    const int32_t anchors[] = {0x1E6B2E, 0x7DB84A, 0xF0E070, 0xC8964F, 0x8B5A2B, 0xF2F2EE};
    constexpr int32_t kSteps = 5;  // anchor colours 0 .. 5 over bands 0 .. 19
    for (int32_t k = 0; k < 20; ++k) {
        const double t = k * kSteps / 19.0;
        const int32_t i = std::min(static_cast<int32_t>(t), kSteps - 1);
        const double f = t - i;
        int32_t colour = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int32_t a = (anchors[i] >> shift) & 0xFF, b = (anchors[i + 1] >> shift) & 0xFF;
            colour |= static_cast<int32_t>(a + (b - a) * f + 0.5) << shift;
        }
        g_colorBandParams.stripeColours[k] = colour;
    }
}

// The display state of the start-up picture, over the data in memory: the whole set in
// view, striped elevation bands over the data's range, shading on, points and TIN lines
// left out.
void SetStartupPicture() {
    g_overviewExtent = 0;
    ComputeDataExtents(0);
    g_birdsEyeOn = 1;
    g_birdsEyeAzimuth = 0;
    g_birdsEyeTilt = -0.2;
    g_showPoints = 0;
    g_showTin = 0;
    g_colorBandOn = -1;
    g_colorBandParams.mode = 0;
    g_colorBandParams.shading = 1;
    SetHypsometricStripes();
}

int Make(const fs::path& survey, const fs::path& output, const fs::path& bands) {
    InitDataModel();
    g_currentDataPath = survey.string();
    if (ReadRndDocument() != -1 || g_pointCount < 3) {
        PrintMessages();
        std::fprintf(stderr, "make_startup_data: cannot read %s\n", survey.c_str());
        return 1;
    }
    // The automatic outline follows the edge of the survey; the convex hull of a scatter
    // closes over long thin slivers that stand as walls at high exaggeration.
    ComputeDataExtents(0);
    if (BuildAutoOutline(DefaultAutoOutlineDistance(g_pointCount, g_extentSize)) != kAutoOutlineDone) {
        PrintMessages();
        std::fprintf(stderr, "make_startup_data: no outline could be traced around %s\n", survey.c_str());
        return 1;
    }
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    if (LastTinBuildResult() != TinBuildResult::kComplete || g_tinEdgeCount <= 0) {
        PrintMessages();
        std::fprintf(stderr, "make_startup_data: the TIN of %s could not be built\n",
                     survey.c_str());
        return 1;
    }
    if (WriteBackupFile(output) != 0) {
        std::fprintf(stderr, "make_startup_data: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("%s: %d points, outline of %d vertices, %d TIN edges\n", output.c_str(),
                g_pointCount, g_outline.Count(), g_tinEdgeCount);
    SetStartupPicture();
    if (WriteColorBandFile(bands) == 0) {
        std::fprintf(stderr, "make_startup_data: cannot write %s\n", bands.c_str());
        return 1;
    }
    std::printf("%s: bird's-eye view, elevation bands %.3f .. %.3f, shaded\n", bands.c_str(),
                g_colorBandParams.lowest, g_colorBandParams.highest);
    return 0;
}

// The set reads back with points, a closed-able outline and a TIN on those points.
int Check(const fs::path& set, const fs::path& bands) {
    InitDataModel();
    if (ReadBackupFile(set) != 0 || g_pointCount < 3 || g_outline.Count() < 3 ||
        g_tinEdgeCount < g_pointCount) {
        PrintMessages();
        std::fprintf(stderr, "make_startup_data: %s is not a usable start-up set\n", set.c_str());
        return 1;
    }
    // The outline is convex and holds every point, so the TIN must reach every point.
    std::vector<bool> used(static_cast<size_t>(g_pointCount) + 1, false);
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        for (int32_t v : {g_tinEdges[e].a, g_tinEdges[e].b}) {
            v = v < 0 ? -v : v;
            if (v >= 1 && v <= g_pointCount) used[v] = true;
        }
    }
    const int32_t unused = static_cast<int32_t>(std::count(used.begin() + 1, used.end(), false));
    if (unused > 0) {
        std::fprintf(stderr, "make_startup_data: %d points of %s are not in its TIN\n", unused,
                     set.c_str());
        return 1;
    }
    std::printf("%s: %d points, outline of %d vertices, %d TIN edges\n", set.c_str(), g_pointCount,
                g_outline.Count(), g_tinEdgeCount);

    // The settings open the bird's-eye view with shaded bands over the set's elevations.
    g_birdsEyeOn = 0;
    g_colorBandOn = 0;
    g_colorBandParams.shading = 0;
    int32_t found = 0;
    const bool read =
        ReadColorBandFile(bands, kColorBandReadView | kColorBandReadPalette, &found) != 0;
    const ColorBandParams& p = g_colorBandParams;
    if (!read || (found & 0x3F) != 0x3F || g_birdsEyeOn == 0 || g_colorBandOn == 0 || p.mode != 0 ||
        p.shading == 0 || !(p.lowest < p.highest) || !(g_viewScale > 0)) {
        std::fprintf(stderr, "make_startup_data: %s does not open the start-up picture\n",
                     bands.c_str());
        return 1;
    }
    std::printf("%s: bird's-eye view, elevation bands %.3f .. %.3f, shaded\n", bands.c_str(),
                p.lowest, p.highest);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--check")
        return Check(fs::absolute(argv[2]), fs::absolute(argv[3]));
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: make_startup_data <survey.RND> <DATA1.VEW> <DATA1.CDF>\n"
                     "       make_startup_data --check <DATA1.VEW> <DATA1.CDF>\n");
        return 2;
    }
    // Reading the survey makes its folder the current one; the outputs are named before.
    return Make(fs::absolute(argv[1]), fs::absolute(argv[2]), fs::absolute(argv[3]));
}
