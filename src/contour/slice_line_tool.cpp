#include "contour/slice_line_tool.h"

#include <cstdio>

#include "contour/slice_lines.h"
#include "model/geometry.h"
#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/back_buffer.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {
constexpr int64_t kPickLimit = 2000;  // squared pixels, about 44 pixels

bool ToolKeysHeld(int32_t flags) {
    return (flags & (kMouseFlagShift | kMouseFlagControl)) != 0 || IsKeyDown(key::kAlt);
}

void Redraw() {
    g_redrawMask = -1;
    FullRepaintView();
}

const char* KindText(int32_t kind) {
    switch (kind) {
        case 0:
            return " 地表面";
        case 1:
            return " 貯水面";
        default:
            return " 判定不能";
    }
}

// The area as the list shows it: water lines below zero.
double SignedArea(const SliceLine& line) { return line.kind == 1 ? -line.area : line.area; }
}  // namespace

SliceLineDialogs& SliceLineDialogHooks() {
    static SliceLineDialogs hooks;
    return hooks;
}

int32_t FindNearestSliceLine(int32_t column, int32_t row, int64_t limit) {
    if (!g_projectionValid) ProjectAllData(0);
    int64_t best = limit;
    int32_t found = 0;
    ForEachSliceLine([&](int32_t i, SliceLine& line) {
        const SliceVertex* v = SliceLineVertices(&line);
        for (int32_t k = 0; k < line.count; ++k) {
            if (v[k].offScreen != 0) continue;
            const int64_t c = int64_t{g_viewportCenterX} + v[k].screenX;
            const int64_t r = int64_t{g_viewportCenterY} - v[k].screenY;
            if (!(c > 0 && c < g_bufferMaxX && r > 0 && r < g_bufferMaxY)) continue;
            const int64_t d2 = (c - column) * (c - column) + (r - row) * (r - row);
            if (d2 < best) {
                best = d2;
                found = i;
            }
        }
    });
    return found;
}

void OnClickSliceLineInfo(int32_t flags, int32_t column, int32_t row) {
    if (ToolKeysHeld(flags)) return;
    const int32_t i = FindNearestSliceLine(column, row, kPickLimit);
    if (i == 0) return;
    g_highlightedSliceLine = i;
    Redraw();
    SliceLine* line = GetSliceLine(i);
    if (!line) return;
    ContourAreaInfoValues v{line->kind, line->valid, line->count, line->elevation, line->area};
    if (SliceLineDialogHooks().runAreaInfo) SliceLineDialogHooks().runAreaInfo(v);
    // The dialog may have passed messages on: look the line up again.
    line = GetSliceLine(i);
    if (line) {
        if (line->kind != v.kind || line->valid != v.valid || line->area != v.area)
            g_dataChanged = -1;
        line->kind = v.kind;
        line->valid = v.valid;
        line->area = v.area;
        line->elevation = v.elevation;
        // The count says where the vertices end: it is shown, never taken back.
    }
    g_highlightedSliceLine = 0;
    Redraw();
}

int32_t SelectSliceLinesCrossing(double x0, double y0, double x1, double y1, int32_t* validSum) {
    int32_t selected = 0;
    *validSum = 0;
    constexpr double kTolerance = 0.00001;
    ForEachSliceLine([&](int32_t, SliceLine& line) {
        line.selected = 0;
        const SliceVertex* v = SliceLineVertices(&line);
        for (int32_t k = 0; k + 1 < line.count; ++k) {
            double x, y;
            int cls = 1;
            if (IntersectSegments(v[k].x, v[k].y, v[k + 1].x, v[k + 1].y, x0, y0, x1, y1, 0,
                                  kTolerance, kTolerance, &x, &y, &cls) == 0 &&
                cls == 0) {
                line.selected = 1;
                break;
            }
        }
        if (line.selected) {
            ++selected;
            *validSum += line.valid;
        }
    });
    return selected;
}

void OnDragSliceLinesValid(int32_t flags, int32_t pressColumn, int32_t pressRow, int32_t column,
                           int32_t row) {
    if (ToolKeysHeld(flags)) return;
    double x0, y0, x1, y1;
    ClientToGround(pressColumn, pressRow, x0, y0);
    ClientToGround(column, row, x1, y1);
    int32_t validSum = 0;
    if (SelectSliceLinesCrossing(x0, y0, x1, y1, &validSum) == 0) {
        ShowMessage("線分が検索できませんでした。", "", msg::kOk | msg::kIconInformation);
        return;
    }
    Redraw();
    int32_t valid = validSum == 0 ? 1 : 0;
    const auto& run = SliceLineDialogHooks().runQuantityValid;
    if (run && run(valid) == 1) {
        ForEachSliceLine([&](int32_t, SliceLine& line) {
            if (line.selected) line.valid = valid ? 1 : 0;
        });
        g_dataChanged = -1;
    }
    ForEachSliceLine([](int32_t, SliceLine& line) { line.selected = 0; });
    Redraw();
}

void DrawSliceContours() {
    if (g_sliceStore.Empty()) return;
    ForEachSliceLine([](int32_t i, SliceLine& line) {
        int entry = line.kind == 2 ? 21 : line.kind == 1 ? 51 : 50;
        if (line.valid == 0) entry = 21;
        if (i == g_highlightedSliceLine || line.selected != 0) entry = 22;
        g_lineColor = g_colorTable[entry];
        const SliceVertex* v = SliceLineVertices(&line);
        for (int32_t k = 0; k + 1 < line.count; ++k) {
            if (v[k].offScreen != 0 || v[k + 1].offScreen != 0) continue;
            g_lineX0 = g_viewportCenterX + v[k].screenX;
            g_lineY0 = g_viewportCenterY + v[k].screenY;
            g_lineX1 = g_viewportCenterX + v[k + 1].screenX;
            g_lineY1 = g_viewportCenterY + v[k + 1].screenY;
            DrawLine();
        }
    });
}

void InstallSliceContourLayer() { g_painterLayers.sliceContours = DrawSliceContours; }

std::vector<std::vector<std::string>> SliceAreaListRows() {
    std::vector<std::vector<std::string>> rows;
    ForEachSliceLine([&](int32_t i, SliceLine& line) {
        rows.push_back({FormatString("%4d ", i), FormatString(" %8.3f", line.elevation),
                        FormatString(" %3d", line.count), FormatString(" %12.3f", SignedArea(line)),
                        KindText(line.kind)});
    });
    return rows;
}

std::string SliceAreaListText() {
    std::string text = "      標高\t点数\t面積\t属性\r\n";
    ForEachSliceLine([&](int32_t, SliceLine& line) {
        text += FormatString(" %8.3f\t %3d\t %12.3f\t", line.elevation, line.count, SignedArea(line));
        text += KindText(line.kind);
        text += "\r\n";
    });
    return Utf8ToCp932(text);
}

bool CopySliceAreaList() {
    if (SetClipboardText(SliceAreaListText())) return true;
    ShowMessage("クリップボードは他のアプリケーションで使用中です", "コピーできません", msg::kOk);
    return false;
}
