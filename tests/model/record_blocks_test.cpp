// The resize contract of every record block of the data model, as one table: 0 / -1, the
// old block kept whole on failure, new records zero, n = 0 frees, and FreeDataBlocks and
// InitDataModel reach every block.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "image/image_slot.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "section/section_records.h"
#include "volume/mesh_data.h"

namespace {
struct BlockCase {
    const char* name;
    int32_t (*grow)(int32_t);
    // Bytes of records 1..n (null when the block is gone) and how many records it holds.
    std::function<unsigned char*()> data;
    std::function<int32_t()> records;
    size_t recordBytes;
    int32_t startRecords;  // what InitDataModel sizes it to
};

template <typename T>
BlockCase Of(const char* name, int32_t (*grow)(int32_t), RecordBlock<T>& block, int32_t start) {
    return {name, grow, [&block] { return reinterpret_cast<unsigned char*>(block.Data()); },
            [&block] { return block.Size(); }, sizeof(T), start};
}

std::vector<BlockCase> Blocks() {
    return {
        Of("points", GrowPointBlock, g_pointsBlock, kStartPointCapacity),
        Of("TIN edges", GrowTinEdgeBlock, g_tinEdgesBlock, kStartTinEdgeCapacity),
        Of("stations", GrowStationBlock, g_stationsBlock, 0),
        Of("other-route stations", GrowOtherRouteStationBlock, g_otherRouteStationsBlock, 0),
        Of("DXF elements", GrowDxfElementBlock, g_dxfElementsBlock, kStartDxfElementCapacity),
        Of("DXF block elements", GrowDxfBlockElementBlock, g_dxfBlockElementsBlock, kStartDxfElementCapacity),
        Of("mesh nodes", GrowMeshNodeBlock, g_meshNodes, 0),
        Of("outline crossings", GrowOutlineCrossingBlock, g_outlineCrossings, 0),
        Of("plan crossings", GrowPlanCrossingBlock, g_planCrossings, 0),
        Of("mesh-section work records", GrowMeshSectionBlock, g_meshSectionBlock, 0),
        {"long crossings", GrowLongCrossingBlock,
         [] { return g_longCrossings.empty() ? nullptr : reinterpret_cast<unsigned char*>(g_longCrossings.data()); },
         [] { return g_longCrossings.empty() ? 0 : static_cast<int32_t>(g_longCrossings.size()) - 1; },
         sizeof(LongCrossing), 0},
    };
}

// A byte pattern over records 1..n.
void Fill(const BlockCase& b, int32_t n) {
    unsigned char* p = b.data() + b.recordBytes;
    for (size_t i = 0; i < static_cast<size_t>(n) * b.recordBytes; ++i) p[i] = static_cast<unsigned char>(i * 7 + 1);
}
bool HoldsFill(const BlockCase& b, int32_t n) {
    const unsigned char* p = b.data() + b.recordBytes;
    for (size_t i = 0; i < static_cast<size_t>(n) * b.recordBytes; ++i)
        if (p[i] != static_cast<unsigned char>(i * 7 + 1)) return false;
    return true;
}
bool Zero(const BlockCase& b, int32_t from, int32_t to) {
    const unsigned char* p = b.data();
    for (size_t i = static_cast<size_t>(from) * b.recordBytes; i < static_cast<size_t>(to) * b.recordBytes; ++i)
        if (p[i] != 0) return false;
    return true;
}

class RecordBlocks : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        InitDataModel();
    }
};
}  // namespace

TEST_F(RecordBlocks, EveryBlockKeepsTheResizeContract) {
    for (const BlockCase& b : Blocks()) {
        SCOPED_TRACE(b.name);
        ASSERT_EQ(b.grow(0), 0);
        EXPECT_EQ(b.data(), nullptr);
        // n records are indices 0 .. n-1; records 1..100 carry a pattern.
        ASSERT_EQ(b.grow(101), 0);
        ASSERT_GE(b.records(), 101);
        EXPECT_TRUE(Zero(b, 0, 101));
        Fill(b, 100);

        // Growing keeps the records and zeroes the new ones.
        ASSERT_EQ(b.grow(5000), 0);
        EXPECT_TRUE(HoldsFill(b, 100));
        EXPECT_TRUE(Zero(b, 101, 5000));

        // A failed resize keeps the old block as it was.
        const unsigned char* before = b.data();
        InjectAllocationFailures(0);
        EXPECT_EQ(b.grow(20000), -1);
        EXPECT_EQ(b.data(), before);
        EXPECT_GE(b.records(), 5000);
        EXPECT_TRUE(HoldsFill(b, 100));

        // Freed, then sized again: a fresh zero block.
        ASSERT_EQ(b.grow(0), 0);
        EXPECT_EQ(b.data(), nullptr);
        EXPECT_EQ(b.records(), 0);
        ASSERT_EQ(b.grow(300), 0);
        EXPECT_TRUE(Zero(b, 0, 300));
        EXPECT_EQ(b.grow(-1), -1);
    }
}

TEST_F(RecordBlocks, FreeDataBlocksAndInitDataModelReachEveryBlock) {
    for (const BlockCase& b : Blocks()) ASSERT_EQ(b.grow(700), 0) << b.name;
    g_longCrossingCount = 650;
    g_longCrossingCapacity = 700;
    FreeDataBlocks();
    for (const BlockCase& b : Blocks()) {
        EXPECT_EQ(b.data(), nullptr) << b.name;
        EXPECT_EQ(b.records(), 0) << b.name;
    }
    EXPECT_EQ(g_longCrossingCount, 0);
    EXPECT_EQ(g_dxfElementCapacity, 0);
    EXPECT_EQ(g_dxfBlockElementCapacity, 0);

    for (const BlockCase& b : Blocks()) ASSERT_EQ(b.grow(700), 0) << b.name;
    g_bgImage.loaded = 1;
    g_bgImage.positionKnown = 4;
    g_dxfRegistration.transformActive = 1;
    g_dxfRegistration.dxfLoaded = 1;
    g_meshAreaDefined = g_meshElevationsDone = g_meshPlanDone = g_meshVolumeDone = 1;
    g_meshFilePath = "site.msh";
    InitDataModel();
    for (const BlockCase& b : Blocks()) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(b.records(), b.startRecords);
        if (b.startRecords > 0) {
            EXPECT_TRUE(Zero(b, 2, b.startRecords));
        }
    }
    EXPECT_EQ(g_bgImage.loaded, 0);
    EXPECT_EQ(g_bgImage.positionKnown, 0);
    EXPECT_EQ(g_dxfRegistration.transformActive, 0);
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 0);
    EXPECT_EQ(g_meshAreaDefined + g_meshElevationsDone + g_meshPlanDone + g_meshVolumeDone, 0);
    EXPECT_EQ(g_meshFilePath, "no_name.msh");
    EXPECT_EQ(g_planLines[1].path, "no_name.msh");
    EXPECT_EQ(g_meshVolumeFilePath, "no_name.mvo");
}
