// The layer table and the growth of the element stores.
#include <gtest/gtest.h>

#include <string>

#include "dxf/dxf_store.h"
#include "model/record_block.h"
#include "model/terrain_data.h"

namespace {

class DxfStore : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override { g_dxfElementLimit = kDefaultDxfElementLimit; }
};

TEST_F(DxfStore, LayerNamesMatchWithTheirLineEnds) {
    struct Row {
        const char* existing;
        const char* looked;
        int32_t result;
        int32_t index;
        int32_t colour;  // after the call, the call starting from 7
    };
    const Row rows[] = {
        {"0\n", "0\n", 0, 1, 3},     // found: the layer's colour
        {"0", "0\n", 1, 2, 7},       // not the same bytes: added with the entity's colour
        {"0\n", "0", 1, 2, 7},
        {"WALL\n", "wall\n", 1, 2, 7},  // case matters
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.existing) + "|" + r.looked);
        InitDataModel();
        int32_t index = 0, colour = 3;
        ASSERT_EQ(FindOrAddDxfLayer(r.existing, index, colour), 1);
        colour = 7;
        EXPECT_EQ(FindOrAddDxfLayer(r.looked, index, colour), r.result);
        EXPECT_EQ(index, r.index);
        EXPECT_EQ(colour, r.colour);
    }
}

TEST_F(DxfStore, TableHoldsAtMost1024Layers) {
    int32_t index = 0, colour = 1;
    for (int32_t i = 1; i <= 1024; ++i) {
        ASSERT_EQ(FindOrAddDxfLayer("L" + std::to_string(i) + "\n", index, colour), 1);
        ASSERT_EQ(index, i);
    }
    colour = -5;
    EXPECT_EQ(FindOrAddDxfLayer("one more\n", index, colour), 1);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(colour, -5);
    EXPECT_EQ(g_dxfLayerCount, 1024);
    // The earlier of two equal names wins.
    g_dxfLayers[1000].name[0] = 'L', g_dxfLayers[1000].name[1] = '7', g_dxfLayers[1000].name[2] = '\n',
    g_dxfLayers[1000].name[3] = 0;
    g_dxfLayers[7].colour = 33;
    EXPECT_EQ(FindOrAddDxfLayer("L7\n", index, colour), 0);
    EXPECT_EQ(index, 7);
    EXPECT_EQ(colour, 33);
}

TEST_F(DxfStore, LongNamesAreCutTo127BytesOnACharacterBoundary) {
    // Two ASCII bytes and double-byte characters: byte 127 is a lead byte.
    std::string name = "AB";
    for (int i = 0; i < 64; ++i) name += "\x8a\xee";
    int32_t index = 0, colour = 1;
    FindOrAddDxfLayer(name, index, colour);
    EXPECT_EQ(std::string(g_dxfLayers[index].name), name.substr(0, 126));
}

TEST_F(DxfStore, RoomIsMadeForTheNeedPlus10000) {
    struct Row {
        DxfTarget target;
        int32_t count;
        int32_t need;
        int32_t result;
        int32_t capacity;
    };
    const Row rows[] = {
        {DXF_TARGET_ENTITIES, 1000, 1, 1, 11001},
        {DXF_TARGET_ENTITIES, 1000, 0, 1, 1000},
        {DXF_TARGET_BLOCKS, 1000, 1, 1, 11001},
        {DXF_TARGET_BLOCKS, 999, 1, 1, 1000},
        {DXF_TARGET_NONE, 1000, 1, -1, 1000},
        {DXF_TARGET_FAILED, 1000, 1, -1, 1000},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.target) * 1000 + r.need);
        InitDataModel();
        int32_t& count = r.target == DXF_TARGET_BLOCKS ? g_dxfBlockElementCount : g_dxfElementCount;
        const int32_t& capacity = r.target == DXF_TARGET_BLOCKS ? g_dxfBlockElementCapacity : g_dxfElementCapacity;
        count = r.count;
        DxfTarget target = r.target;
        EXPECT_EQ(EnsureDxfCapacity(target, r.need), r.result);
        EXPECT_EQ(capacity, r.capacity);
        EXPECT_EQ(target, r.target);
    }
}

TEST_F(DxfStore, FailedGrowthKeepsBothStores) {
    // A drawing kept from before must survive a load that does not fit.
    struct Row {
        const char* what;
        bool inject;
        int32_t limit;
    };
    const Row rows[] = {{"no memory", true, kDefaultDxfElementLimit}, {"over the element limit", false, 5000}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        InitDataModel();
        g_dxfElementLimit = r.limit;
        g_dxfElementCount = 1000;
        g_dxfBlockElementCount = 12;
        g_dxfElementsBlock.Data()[1000].x = 42.5;
        DxfTarget target = DXF_TARGET_ENTITIES;
        if (r.inject) InjectAllocationFailures(0, 1);
        EXPECT_EQ(EnsureDxfCapacity(target, 4000 + 1), -2);
        EXPECT_EQ(target, DXF_TARGET_FAILED);
        EXPECT_EQ(g_dxfElementCount, 1000);
        EXPECT_EQ(g_dxfBlockElementCount, 12);
        EXPECT_EQ(g_dxfElementCapacity, 1000);
        ASSERT_NE(g_dxfElementsBlock.Data(), nullptr);
        EXPECT_EQ(g_dxfElementsBlock.Data()[1000].x, 42.5);
        EXPECT_EQ(EnsureDxfCapacity(target, 1), -1);
        g_dxfElementLimit = kDefaultDxfElementLimit;
    }
}

TEST_F(DxfStore, RejectedRecordIsOverwrittenByTheNext) {
    DxfTarget target = DXF_TARGET_ENTITIES;
    ASSERT_EQ(EnsureDxfCapacity(target, 2), 1);
    AppendDxfRecord(target).x = 1;
    AppendDxfRecord(target).x = 2;
    --g_dxfElementCount;  // the emitter rejected it
    EXPECT_EQ(g_dxfElementCount, 1);
    DxfElement& e = AppendDxfRecord(target);
    e.x = 3;
    EXPECT_EQ(g_dxfElementCount, 2);
    EXPECT_EQ(&e, &g_dxfElementsBlock.Data()[2]);
}

}  // namespace
