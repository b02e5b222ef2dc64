// The snap grid must never change what a snap finds: every search is run once over all
// elements one by one and once through the grid, on a drawing with ties (a polyline drawn
// twice), long segments, unplaceable elements and elements off the view, before and after
// the edits the grid has to follow.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "dxf/dxf_picking.h"
#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

struct Found {
    int32_t vertex, vertexColumn, vertexRow;
    double vertexX, vertexY;
    int32_t line, lineColumn, lineRow;
    double lineX, lineY, lineZ;
    int32_t mid;
    double midX, midY;
    int32_t crossing, crossingColumn, crossingRow;
    double crossingX, crossingY;
    int32_t near;  // the segment FindDxfIntersectionNear gives for the line found
};

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void ExpectSame(const Found& a, const Found& b, int32_t column, int32_t row) {
    SCOPED_TRACE(testing::Message() << "cursor " << column << ", " << row);
    EXPECT_EQ(a.vertex, b.vertex);
    EXPECT_EQ(a.vertexColumn, b.vertexColumn);
    EXPECT_EQ(a.vertexRow, b.vertexRow);
    EXPECT_TRUE(Same(a.vertexX, b.vertexX) && Same(a.vertexY, b.vertexY));
    EXPECT_EQ(a.line, b.line);
    EXPECT_EQ(a.lineColumn, b.lineColumn);
    EXPECT_EQ(a.lineRow, b.lineRow);
    EXPECT_TRUE(Same(a.lineX, b.lineX) && Same(a.lineY, b.lineY) && Same(a.lineZ, b.lineZ));
    EXPECT_EQ(a.mid, b.mid);
    EXPECT_TRUE(Same(a.midX, b.midX) && Same(a.midY, b.midY));
    EXPECT_EQ(a.crossing, b.crossing);
    EXPECT_EQ(a.crossingColumn, b.crossingColumn);
    EXPECT_EQ(a.crossingRow, b.crossingRow);
    EXPECT_TRUE(Same(a.crossingX, b.crossingX) && Same(a.crossingY, b.crossingY));
    EXPECT_EQ(a.near, b.near);
}

class DxfSnapIndex : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        NoteDxfElementsChanged();
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 0;
        g_projectionValid = 0;
    }
    void TearDown() override {
        g_dxfSnapIndexThreshold = 20000;
        NoteDxfElementsChanged();
        ReleaseDataModel();
    }

    static DxfElement& Add(uint8_t pen, double north, double east, double z = 0) {
        DxfTarget target = DXF_TARGET_ENTITIES;
        EXPECT_EQ(EnsureDxfCapacity(target, 1), 1);
        DxfElement& e = AppendDxfRecord(target);
        std::memset(&e, 0, sizeof e);
        e.pen = pen;
        e.x = e.sourceX = north;
        e.y = e.sourceY = east;
        e.z = z;
        return e;
    }
    static DxfElement& At(int32_t i) { return g_dxfElementsBlock.Data()[i]; }

    // Polylines of short random steps over a little more than the view, one of them drawn
    // twice, a few long lines, texts and points, one element with no position.
    static void Fill(uint64_t seed) {
        std::mt19937_64 random(seed);
        std::uniform_real_distribution<double> north(-340, 340), east(-440, 440), step(-6, 6), z(0, 50);
        for (int32_t line = 0; line < 120; ++line) {
            double n = north(random), e = east(random);
            Add(DXF_PEN_MOVE, n, e, z(random));
            for (int32_t k = 0; k < 24; ++k) Add(DXF_PEN_DRAW, n += step(random), e += step(random), z(random));
            if (line % 17 == 0) Add(line % 2 ? DXF_PEN_TEXT : DXF_PEN_POINT, n, e);
        }
        const int32_t first = g_dxfElementCount + 1;
        for (int32_t k = 0; k < 25; ++k) {
            const DxfElement copy = At(first - 25 + k - 30);
            Add(k == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, copy.x, copy.y, copy.z);
        }
        for (int32_t k = 0; k < 6; ++k) {
            Add(DXF_PEN_MOVE, north(random), -450);
            Add(DXF_PEN_DRAW, north(random), 450, z(random));
        }
        Add(DXF_PEN_DRAW, NAN, 3);
        Add(DXF_PEN_DRAW, 2, 2);
        g_projectionValid = 0;
    }

    static Found Search(int32_t column, int32_t row) {
        Found f{};
        f.vertex = FindNearestDxfVertex(column, row, 4800, f.vertexX, f.vertexY, f.vertexColumn, f.vertexRow);
        f.line = FindNearestDxfLinePoint(column, row, f.lineX, f.lineY, f.lineZ, f.lineColumn, f.lineRow);
        f.mid = FindNearestDxfMidpoint(column, row, f.midX, f.midY);
        f.crossing = SnapToDxfIntersection(column, row, f.crossingX, f.crossingY, f.crossingColumn, f.crossingRow);
        f.near = f.line >= 2 ? FindDxfIntersectionNear(column, row, f.line, f.line - 1) : 0;
        return f;
    }

    // Cursors spread over the view and on some vertices (where ties are).
    static void CompareAt(uint64_t seed, std::vector<int32_t> onElements = {}) {
        std::mt19937_64 random(seed);
        std::uniform_int_distribution<int32_t> column(-20, 820), row(-20, 620);
        std::vector<std::pair<int32_t, int32_t>> cursors;
        for (int32_t k = 0; k < 150; ++k) cursors.emplace_back(column(random), row(random));
        for (int32_t i = 1; i <= g_dxfElementCount; i += 97) onElements.push_back(i);
        for (const int32_t i : onElements)
            if (std::isfinite(At(i).x))
                cursors.emplace_back(400 + static_cast<int32_t>(At(i).y), 300 - static_cast<int32_t>(At(i).x));
        int32_t found = 0;
        for (const auto& [c, r] : cursors) {
            g_dxfSnapIndexThreshold = INT_MAX;
            const Found plain = Search(c, r);
            g_dxfSnapIndexThreshold = 1;
            const Found grid = Search(c, r);
            ExpectSame(plain, grid, c, r);
            found += plain.crossing + (plain.mid != 0);
        }
        // The table is worth something only when the searches find things.
        EXPECT_GT(found, 0);
    }
};

TEST_F(DxfSnapIndex, SameAsOneByOneOnAFreshDrawing) {
    Fill(7);
    CompareAt(1);
}

TEST_F(DxfSnapIndex, FollowsAppendsMovesAndTakenTails) {
    Fill(11);
    g_dxfSnapIndexThreshold = 1;
    CompareAt(2);  // the grid is built
    // Appended without a word: the grid picks them up.
    Add(DXF_PEN_MOVE, -100, -100);
    Add(DXF_PEN_DRAW, 100, 100);
    Add(DXF_PEN_DRAW, 100, -100);
    CompareAt(3);
    // Moved in place with a note, a pen changed with a note.
    At(40).x += 150;
    At(40).y -= 80;
    NoteDxfElementMoved(40);
    At(300).pen = DXF_PEN_MOVE;
    NoteDxfElementMoved(300);
    g_projectionValid = 0;
    CompareAt(4, {39, 40, 41, 299, 300, 301});
    // The tail taken away, then new elements where it was, with the note appends give.
    const int32_t count = g_dxfElementCount;
    g_dxfElementCount = count - 40;
    CompareAt(5);
    g_dxfElementCount = count - 60;
    NoteDxfElementsChanged(count - 59);
    Add(DXF_PEN_MOVE, 0, -300);
    for (int32_t k = 1; k <= 30; ++k) Add(DXF_PEN_DRAW, 10 * k - 150, 20 * k - 300);
    g_projectionValid = 0;
    CompareAt(6, {count - 59, count - 45, count - 30});
}

TEST_F(DxfSnapIndex, RebuiltWhenTheStoreIsRewritten) {
    Fill(13);
    g_dxfSnapIndexThreshold = 1;
    CompareAt(7);
    // Every element moved (as by a registration), with the note for all.
    for (int32_t i = 1; i <= g_dxfElementCount; ++i) std::swap(At(i).x, At(i).y);
    NoteDxfElementsChanged();
    g_projectionValid = 0;
    CompareAt(8);
    // Another drawing read over the old one by code that gave no note: the elements kept
    // aside tell.
    g_dxfElementCount = 0;
    Fill(17);
    CompareAt(9);
}

}  // namespace
