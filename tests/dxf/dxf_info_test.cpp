// The element information tool: picks, crossings of a Shift+click, deletions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dxf/dxf_info.h"
#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

// Plan view, 1 pixel per metre: (north, east) shows at column 400 + east, row 300 - north.
class DxfInfo : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override {
        ClearDxfPick();
        g_dxfPrevPickFirst = g_dxfPrevPickLast = 0;
        g_dxfClickAlternate = false;
        g_dxfSearchOnLine = 0;
        ReleaseDataModel();
    }
    static void Reset() {
        InitDataModel();
        ClearDxfPick();
        ClearRecordedMessages();
        g_dxfPrevPickFirst = g_dxfPrevPickLast = 0;
        g_dxfClickAlternate = false;
        g_dxfSearchOnLine = 0;
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 0;
        g_projectionValid = 0;
    }
    static int32_t Add(uint8_t pen, double north, double east, const char* text = "") {
        DxfTarget target = DXF_TARGET_ENTITIES;
        EXPECT_EQ(EnsureDxfCapacity(target, 1), 1);
        DxfElement& e = AppendDxfRecord(target);
        std::memset(&e, 0, sizeof e);
        e.pen = pen;
        e.x = north;
        e.y = east;
        e.z = north + east;
        std::snprintf(e.text, sizeof e.text, "%s", text);
        g_projectionValid = 0;
        return g_dxfElementCount;
    }
    // Clicks on the element's screen position.
    static bool ClickOn(int32_t e, bool shift = false) {
        const DxfElement& el = g_dxfElementsBlock.Data()[e];
        return DxfInfoClick(400 + static_cast<int32_t>(el.y), 300 - static_cast<int32_t>(el.x), shift);
    }
    static std::vector<uint8_t> Pens() {
        std::vector<uint8_t> v;
        for (int32_t i = 1; i <= g_dxfElementCount; ++i) v.push_back(g_dxfElementsBlock.Data()[i].pen);
        return v;
    }
    static std::vector<double> Easts() {
        std::vector<double> v;
        for (int32_t i = 1; i <= g_dxfElementCount; ++i) v.push_back(g_dxfElementsBlock.Data()[i].y);
        return v;
    }
};

TEST_F(DxfInfo, PolylineRanges) {
    // 1 MOVE, 2 DRAW, 3 DRAW, 4 POINT, 5 MOVE, 6 TEXT, 7 MOVE, 8 DRAW
    const uint8_t pens[] = {0, 1, 1, 2, 0, 3, 0, 1};
    for (int k = 0; k < 8; ++k) Add(pens[k], 0, k * 10);
    const std::pair<int32_t, int32_t> expected[] = {{1, 3}, {1, 3}, {1, 3}, {1, 3}, {5, 5}, {5, 5}, {7, 8}, {7, 8}};
    for (int32_t e = 1; e <= 8; ++e) EXPECT_EQ(ResolveDxfPolylineRange(e), expected[e - 1]) << e;
}

TEST_F(DxfInfo, ClicksPickAndNarrow) {
    for (int k = 0; k < 5; ++k) Add(k ? DXF_PEN_DRAW : DXF_PEN_MOVE, 0, k * 20 - 40);  // 1..5
    Add(DXF_PEN_MOVE, 50, -40);                                                      // 6
    Add(DXF_PEN_DRAW, 50, 40);                                                       // 7
    const int32_t text = Add(DXF_PEN_TEXT, -50, 0, "12.5");                           // 8
    struct Row {
        const char* what;
        int32_t element;  // clicked; 0 a click away from everything
        int32_t picked, first, last;
    };
    const Row rows[] = {
        {"a vertex: its polyline", 2, 2, 1, 5},
        {"a second vertex of it: the part between", 4, 2, 2, 4},
        {"another polyline: all of it", 7, 7, 6, 7},
        {"nothing near: the pick stays", 0, 7, 6, 7},
        {"a text after a polyline: the text alone", text, text, text, text},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.element)
            EXPECT_FALSE(ClickOn(r.element));
        else
            EXPECT_FALSE(DxfInfoClick(700, 550, false));
        EXPECT_EQ(g_pickedDxfElement, r.picked);
        EXPECT_EQ(g_pickedDxfFirst, r.first);
        EXPECT_EQ(g_pickedDxfLast, r.last);
    }
    EXPECT_STREQ(g_dxfPickText, "12.5");
    EXPECT_EQ(g_dxfPickX, -50);
    EXPECT_EQ(g_dxfPickZ, -50);
}

TEST_F(DxfInfo, ShiftClickMarksCrossingsOnlyRightAfterAPlainClick) {
    Add(DXF_PEN_MOVE, -50, 0);  // 1: runs north along east 0
    Add(DXF_PEN_DRAW, 50, 0);   // 2
    Add(DXF_PEN_MOVE, 10, -50); // 3: runs east at north 10, then back at north -20
    Add(DXF_PEN_DRAW, 10, 50);  // 4
    Add(DXF_PEN_DRAW, -20, 50); // 5
    Add(DXF_PEN_DRAW, -20, -50);// 6
    const int32_t point = Add(DXF_PEN_POINT, 80, 80);

    EXPECT_FALSE(ClickOn(1, true)) << "the first Shift+click is a plain click";
    EXPECT_EQ(g_pickedDxfFirst, 1);
    g_dxfSearchOnLine = 1;
    EXPECT_TRUE(DxfInfoClick(430, 290, true));  // on segment 3-4
    ASSERT_EQ(g_dxfMarkedPoints.size(), 2u);
    EXPECT_NEAR(g_dxfMarkedPoints[0].x, 10, 1e-9);
    EXPECT_NEAR(g_dxfMarkedPoints[0].y, 0, 1e-9);
    EXPECT_NEAR(g_dxfMarkedPoints[1].x, -20, 1e-9);
    EXPECT_EQ(g_pickedDxfElement, 0) << "the pick is cleared";
    EXPECT_FALSE(DxfInfoClick(430, 290, true)) << "a second Shift+click picks";
    EXPECT_TRUE(g_dxfMarkedPoints.empty());

    struct Row {
        const char* what;
        int32_t plainOn;  // element of the plain click first
        int32_t column, row;
        size_t marks;
    };
    const Row rows[] = {
        {"the same polyline", 3, 430, 290, 0},
        {"a point as the range", point, 480, 220, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        g_dxfSearchOnLine = 0;
        EXPECT_FALSE(ClickOn(r.plainOn));
        g_dxfSearchOnLine = 1;
        DxfInfoClick(r.column, r.row, true);
        EXPECT_EQ(g_dxfMarkedPoints.size(), r.marks);
    }
    // A previous range beyond a store that shrank is held to the store.
    g_dxfSearchOnLine = 0;
    ClickOn(1);
    g_dxfPrevPickLast = 500;
    g_dxfSearchOnLine = 1;
    EXPECT_TRUE(DxfInfoClick(430, 290, true));
}

TEST_F(DxfInfo, DeleteThePickedRange) {
    struct Row {
        const char* what;
        int32_t click1, click2;
        std::vector<double> easts;
        std::vector<uint8_t> pens;
    };
    // Polyline 1..5 at east 0, 10, 20, 30, 40, then polyline 6..8 at east 50, 60, 70.
    const Row rows[] = {
        {"middle part: the ends stay joined", 2, 4, {0, 40, 50, 60, 70}, {0, 1, 0, 1, 1}},
        {"from a first vertex: the rest starts anew", 6, 7, {0, 10, 20, 30, 40, 70},
         {0, 1, 1, 1, 1, 0}},
        {"a whole polyline", 7, 0, {0, 10, 20, 30, 40}, {0, 1, 1, 1, 1}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Reset();
        for (int k = 0; k < 5; ++k) Add(k ? DXF_PEN_DRAW : DXF_PEN_MOVE, 0, k * 10);
        Add(DXF_PEN_MOVE, 0, 50);
        Add(DXF_PEN_DRAW, 0, 60);
        Add(DXF_PEN_DRAW, 0, 70);
        ClickOn(r.click1);
        if (r.click2) ClickOn(r.click2);
        QueueMessageAnswer(msg::kIdYes);
        DeleteSearchedElements();
        EXPECT_EQ(Easts(), r.easts);
        EXPECT_EQ(Pens(), r.pens);
        EXPECT_EQ(g_pickedDxfElement, 0);
    }
    // A pick beyond the store: message, nothing changes.
    Reset();
    Add(DXF_PEN_POINT, 0, 0);
    g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = 2;
    DeleteSearchedElements();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "選択要素番号が不正です。");
    EXPECT_EQ(g_dxfElementCount, 1);
    // Answered No: nothing goes, the pick is cleared.
    g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = 1;
    QueueMessageAnswer(msg::kIdNo);
    DeleteSearchedElements();
    EXPECT_EQ(g_dxfElementCount, 1);
    EXPECT_EQ(g_pickedDxfElement, 0);
}

TEST_F(DxfInfo, DeleteOutsideTheViewKeepsInsidePartsAsPolylines) {
    // View 800 x 600 at 1 pixel per metre: radius 5/6 x sqrt(800 x 600) = 577.35.
    const double easts[] = {0, 500, 700, 500, 0, 900};
    for (int k = 0; k < 6; ++k) Add(k ? DXF_PEN_DRAW : DXF_PEN_MOVE, 0, easts[k]);
    Add(DXF_PEN_POINT, 577, 0);
    Add(DXF_PEN_TEXT, 578, 0);
    QueueMessageAnswer(msg::kIdYes);
    DeleteElementsOutsideView();
    EXPECT_EQ(Easts(), (std::vector<double>{0, 500, 500, 0, 0}));
    EXPECT_EQ(Pens(), (std::vector<uint8_t>{0, 1, 0, 1, 2}));
}

}  // namespace
