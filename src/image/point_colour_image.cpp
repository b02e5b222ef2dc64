#include "image/point_colour_image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "image/image_slot.h"
#include "image/image_writers.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "shell/status_text.h"
#include "shell/work_folder.h"
#include "view/palette.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "view/view_helpers.h"

namespace {

// One pass reads only the values from before it: rows below, at and above the current one
// are copied into buffers with a border cell at each end that repeats the edge pixel.
struct RowCopy {
    std::vector<uint32_t> colour;
    std::vector<float> weight;
    void Take(const uint32_t* pixels, const float* weights, int32_t w) {
        std::memcpy(colour.data() + 1, pixels, sizeof(uint32_t) * w);
        std::memcpy(weight.data() + 1, weights, sizeof(float) * w);
        colour[0] = colour[1];
        weight[0] = weight[1];
        colour[w + 1] = colour[w];
        weight[w + 1] = weight[w];
    }
};

uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

void FillPass(uint32_t* pixels, float* weights, int32_t w, int32_t h, bool simple, RowCopy rows[3]) {
    RowCopy* below = &rows[0];
    RowCopy* cur = &rows[1];
    RowCopy* above = &rows[2];
    cur->Take(pixels, weights, w);
    *below = *cur;
    for (int32_t r = 0; r < h; ++r) {
        if (r + 1 < h)
            above->Take(pixels + static_cast<size_t>(r + 1) * w, weights + static_cast<size_t>(r + 1) * w, w);
        else
            *above = *cur;
        uint32_t* out = pixels + static_cast<size_t>(r) * w;
        float* outW = weights + static_cast<size_t>(r) * w;
        for (int32_t c = 0; c < w; ++c) {
            const int32_t k = c + 1;
            const uint32_t own = cur->colour[k];
            if (simple) {
                if (own & COLOUR_SET_MARK) continue;
                for (uint32_t n : {below->colour[k], above->colour[k], cur->colour[k - 1], cur->colour[k + 1]})
                    if (n & COLOUR_SET_MARK) {
                        out[c] = n;
                        break;
                    }
                continue;
            }
            const float v = cur->weight[k];
            if (v >= 0.99f) continue;
            const float nS = below->weight[k] * 0.35f, nN = above->weight[k] * 0.35f;
            const float nW = cur->weight[k - 1] * 0.35f, nE = cur->weight[k + 1] * 0.35f;
            const float s = nS + nN + nW + nE, t = v + s;
            if (t < 0.01f) continue;
            uint32_t value = 0;
            for (int shift : {0, 8, 16}) {
                const float mix = nS * Channel(below->colour[k], shift) + nN * Channel(above->colour[k], shift) +
                                  nW * Channel(cur->colour[k - 1], shift) + nE * Channel(cur->colour[k + 1], shift);
                const float ownC = static_cast<float>(Channel(own, shift));
                const float ch = t <= 1.0f ? (v * ownC + mix) / t : v * ownC + (1.0f - v) * mix / s;
                value |= static_cast<uint32_t>(std::clamp(static_cast<int>(ch), 0, 255)) << shift;
            }
            out[c] = value;
            outW[c] = t <= 1.0f ? t : 1.0f;
        }
        std::swap(below, cur);
        std::swap(cur, above);
    }
}

}  // namespace

int32_t RenderPointColorsToImage(int32_t width, int32_t height, int32_t fillPasses, int32_t simpleFill,
                                 int32_t validOnly, uint32_t backColour, const PointColourImageHooks& hooks) {
    auto eligible = [&](const RandomPoint& p) { return !validOnly || p.invalid == 0; };
    bool any = false;
    int32_t hashCount = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (!eligible(p) || p.name[0] != '#') continue;
        if (!any) {
            minX = maxX = p.x;
            minY = maxY = p.y;
            any = true;
        }
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
        ++hashCount;
    }
    if (hashCount < 2 || maxX - minX < 0.001 || maxY - minY < 0.001) return POINT_COLOUR_IMAGE_NO_POINTS;
    if (width <= 0 || height <= 0) return POINT_COLOUR_IMAGE_NO_MEMORY;
    const double sx = width * 0.99999999 / (maxY - minY);
    const double sy = height * 0.99999999 / (maxX - minX);

    // Everything is had before the old picture goes.
    const size_t area = static_cast<size_t>(width) * height;
    ImageHandle block = AllocImageBlock(static_cast<size_t>(width) * (height + 1) * 4);
    if (block.Empty()) return POINT_COLOUR_IMAGE_NO_MEMORY;
    std::vector<float> weights;
    RowCopy rows[3];
    try {
        weights.assign(area, 0.0f);
        for (RowCopy& row : rows) {
            row.colour.assign(static_cast<size_t>(width) + 2, 0);
            row.weight.assign(static_cast<size_t>(width) + 2, 0.0f);
        }
    } catch (const std::bad_alloc&) {
        FreeImageBlock(block);
        return POINT_COLOUR_IMAGE_NO_MEMORY;
    }
    FreeImageBlock(g_bgImageHandle);
    g_bgImage.pixels = nullptr;
    g_bgImage.blendMode = BLEND_HIDDEN;
    g_bgImage.loaded = 0;
    g_bgImage.positionKnown = 0;
    g_bgImagePath.clear();

    uint32_t* pixels = reinterpret_cast<uint32_t*>(block.Lock());
    std::fill(pixels, pixels + area, backColour & 0xFFFFFF);

    if (hooks.showStatus) hooks.showStatus("Vertex Ploting...");
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (!eligible(p) || !PointColorFromName(p.name)) continue;
        const double fc = (p.y - minY) * sx, fr = (p.x - minX) * sy;
        if (!(fc >= 0 && fc < width && fr >= 0 && fr < height)) continue;
        const size_t at = static_cast<size_t>(static_cast<int32_t>(fr)) * width + static_cast<int32_t>(fc);
        weights[at] = 1.0f;
        pixels[at] = (g_rasterColor & 0xFFFFFF) | COLOUR_SET_MARK;
    }

    for (int32_t k = 1; k <= fillPasses; ++k) {
        if (hooks.stopRequested && hooks.stopRequested()) break;
        if (hooks.showStatus) {
            char text[64];
            std::snprintf(text, sizeof text, "Filtering... %d / %d", k, fillPasses);
            hooks.showStatus(text);
        }
        FillPass(pixels, weights.data(), width, height, simpleFill == 1, rows);
    }

    ImageSlot& img = g_bgImage;
    img.width = width;
    img.height = height;
    img.stride = 4 * width;
    img.isMono = img.isIndexed8 = img.keepIndexed = 0;
    img.blendMode = BLEND_OVERWRITE;
    img.loaded = 1;
    img.positionKnown = 1;
    const double corners[4][2] = {{minY, maxX}, {maxY, maxX}, {minY, minX}, {maxY, minX}};
    std::memcpy(img.corners, corners, sizeof corners);
    img.edgeLengths[0] = img.edgeLengths[1] = maxY - minY;
    img.edgeLengths[2] = img.edgeLengths[3] = maxX - minX;
    SetActiveImageBlock(block);
    return POINT_COLOUR_IMAGE_DONE;
}

int32_t PointColourImageSize(int32_t sizeIndex) {
    switch (sizeIndex) {
    case 0:
        return 2048;
    case 2:
        return 8192;
    default:
        return 4096;
    }
}

void OpenPointColourDialog(PointColourDialogState& state) {
    if (g_drawBitmapInfo) {
        const RgbQuad& c = g_drawBitmapInfo->colors[10];
        state.backColour = static_cast<uint32_t>(c.red) << 16 | static_cast<uint32_t>(c.green) << 8 | c.blue;
    }
    state.saveEnabled = !g_bgImageHandle.Empty();
}

int32_t PointColourFillPasses(const std::string& text, int32_t old) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return std::clamp(old, 0, 512);
    const long v = std::strtol(text.c_str() + i, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(v, 0, 512));
}

int32_t OnPointColourCreate(PointColourDialogState& state, const PointColourImageHooks& hooks) {
    const int32_t s = PointColourImageSize(state.sizeIndex);
    state.fillPasses = std::clamp(state.fillPasses, 0, 512);
    PointColourImageHooks run = hooks;
    if (!run.stopRequested)
        run.stopRequested = [] {
            PumpOneMessage();
            return IsKeyDown(key::kEscape);
        };
    if (!run.showStatus) run.showStatus = SetStatusText;
    const int32_t r = RenderPointColorsToImage(s, s, state.fillPasses, state.simpleFill, state.validOnly,
                                               state.backColour, run);
    if (r == POINT_COLOUR_IMAGE_NO_POINTS) {
        ShowMessage("No Colore Pixel");
    } else if (r != POINT_COLOUR_IMAGE_DONE) {
        ShowMessage("Failed Working Memory");
    } else {
        state.saveEnabled = true;
        g_redrawMask = -1;
        state.status = "Complete!";
        SetStatusText(state.status);
    }
    state.saveEnabled = !g_bgImageHandle.Empty();
    return r;
}

bool OnPointColourSaveImage(PointColourDialogState& state) {
    state.status.clear();
    SetStatusText("");
    if (g_bgImageHandle.Empty() || !g_bgImage.loaded) return false;
    FileDialogRequest request;
    request.save = true;
    request.title = "背景画像の保存";
    request.filter = "ビットマップファイル(*.BMP)|*.BMP;*.TIF;*.TIFF|TIFFファイル(*.TIF)|*.TIF;*.TIFF|すべてのファイル|*.*|";
    request.defaultExtension = "BMP";
    request.folder = g_workFolder;
    request.fileName = g_documentTitle + ".BMP";
    const std::string path = RunFileDialog(request);
    if (path.empty()) return false;
    const size_t slash = path.find_last_of('/');
    g_lastFolder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    return SaveBackgroundImage(path, false);
}
