// The background drawing's layer on hand-filled element records: layer colours, switched-
// off layers, the highlighted pick and the marked crossings.
#include <gtest/gtest.h>

#include <vector>

#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_store.h"
#include "painter_fixture.h"
#include "view/dxf_layer_painter.h"

namespace {

struct Element {
    uint8_t pen;
    int32_t column, row;  // offsets from the viewport centre
    int32_t colour;
};

class DxfLayer : public PainterTest {
protected:
    void SetUp() override {
        PainterTest::SetUp();
        ClearDxfPick();
        Clear();
    }
    void TearDown() override {
        ClearDxfPick();
        GrowDxfElementBlock(0);
        g_dxfElementCount = 0;
        PainterTest::TearDown();
    }
    static void Clear() {
        g_rasterColor = g_colorTable[0];
        ClearViewport();
    }
    static void Store(const std::vector<Element>& elements) {
        const int32_t n = static_cast<int32_t>(elements.size());
        ASSERT_EQ(GrowDxfElementBlock(n + 2), 0);
        DxfElement* d = g_dxfElementsBlock.Data();
        for (int32_t i = 1; i <= n; ++i) {
            d[i] = DxfElement{};
            d[i].pen = elements[i - 1].pen;
            d[i].screenX = elements[i - 1].column;
            d[i].screenY = elements[i - 1].row;
            d[i].colour = elements[i - 1].colour;
        }
        g_dxfElementCount = n;
    }
    // The colour of the pixel at the offsets (column, row).
    static uint32_t At(int32_t column, int32_t row) {
        return Pixel(g_viewportCenterX + column, g_viewportCenterY + row);
    }
};

TEST_F(DxfLayer, LinesTakeTheirLayerColourAndNumbersAbove15TheFirst) {
    struct Case {
        int32_t colour;
        int entry;
    };
    const Case cases[] = {{0, 60}, {1, 61}, {7, 67}, {15, 75}, {16, 60}, {255, 60}, {-3, 63}};
    for (const Case& k : cases) {
        g_showHiddenDxfLayers = 1;  // so that the switched-off layer shows too
        Store({{DXF_PEN_MOVE, -30, 10, k.colour}, {DXF_PEN_DRAW, 30, 10, k.colour}});
        Clear();
        DrawDxfElements();
        EXPECT_EQ(At(0, 10), Color(k.entry)) << k.colour;
        EXPECT_EQ(At(-30, 10), Color(k.entry)) << k.colour;
        EXPECT_EQ(At(30, 10), Color(k.entry)) << k.colour;
    }
}

TEST_F(DxfLayer, ASwitchedOffLayerShowsOnlyWithTheHiddenLayers) {
    Store({{DXF_PEN_MOVE, -30, 0, -2},
           {DXF_PEN_DRAW, 30, 0, -2},
           {DXF_PEN_POINT, 0, 20, -2},
           {DXF_PEN_MOVE, -30, -20, 4},
           {DXF_PEN_DRAW, 30, -20, 4}});
    for (int32_t shown : {0, 1}) {
        g_showHiddenDxfLayers = shown;
        Clear();
        DrawDxfElements();
        EXPECT_EQ(At(0, 0) == Color(62), shown == 1) << shown;
        EXPECT_EQ(At(0, 20) == Color(62), shown == 1) << shown;
        EXPECT_EQ(At(0, -20), Color(64)) << "the layer that is on, always";
    }
}

TEST_F(DxfLayer, ThePickedRangeAndElementAreHighlighted) {
    // A polyline of three segments; the range (1, 3] is the first two.
    Store({{DXF_PEN_MOVE, -60, 0, 5},
           {DXF_PEN_DRAW, -20, 0, 5},
           {DXF_PEN_DRAW, 20, 0, 5},
           {DXF_PEN_DRAW, 60, 0, 5},
           {DXF_PEN_POINT, 0, 40, 5}});
    g_pickedDxfFirst = 1;
    g_pickedDxfLast = 3;
    DrawDxfElements();
    EXPECT_EQ(At(-40, 0), Color(31));
    EXPECT_EQ(At(0, 0), Color(31));
    EXPECT_EQ(At(40, 0), Color(65));
    EXPECT_EQ(At(0, 40), Color(65));
    // The picked point: highlighted, with a cross of +-8 pixels.
    g_pickedDxfFirst = g_pickedDxfLast = 0;
    g_pickedDxfElement = 5;
    Clear();
    DrawDxfElements();
    EXPECT_EQ(At(0, 0), Color(65));
    for (int32_t d : {-8, -3, 0, 3, 8}) {
        EXPECT_EQ(At(d, 40), Color(31)) << d;
        EXPECT_EQ(At(0, 40 + d), Color(31)) << d;
    }
    EXPECT_NE(At(9, 40), Color(31));
    // Codes other than move, draw, point and text draw nothing and keep the line's start.
    Store({{DXF_PEN_MOVE, -60, -30, 5}, {7, 0, 50, 5}, {DXF_PEN_DRAW, 60, -30, 5}});
    g_pickedDxfElement = 0;
    Clear();
    DrawDxfElements();
    EXPECT_EQ(At(0, -30), Color(65));
    EXPECT_EQ(CountColor(Color(65)), 121);
}

TEST_F(DxfLayer, MarkedCrossingsInCyanAtTheirPlanPlaces) {
    Store({{DXF_PEN_POINT, 0, 0, 1}});
    g_viewCenterX = 100;  // north
    g_viewCenterY = 200;  // east
    g_viewScale = 2;
    g_dxfMarkedPoints = {{110, 190, 0}, {90, 215.7, 0}};
    DrawDxfElements();
    EXPECT_EQ(At(-20, 20), 0x00FFFFu);
    EXPECT_EQ(At(31, -20), 0x00FFFFu);
}

}  // namespace
