#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "image/image_readers.h"
#include "image/image_slot.h"
#include "image/view_image_export.h"
#include "image_test_support.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "view/back_buffer.h"
#include "view/palette.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

namespace fs = std::filesystem;
using imagetest::ReadBytes;
using imagetest::ScratchDir;

uint32_t U32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

TEST(ImageSaveDialogValues, SizeListsAndTypedSizes) {
    EXPECT_EQ(ImageSaveSizeList(1000), (std::vector<int32_t>{256, 512, 1000}));
    EXPECT_EQ(ImageSaveSizeList(9999), (std::vector<int32_t>{256, 512, 1024, 2048, 4096}));
    EXPECT_EQ(ImageSaveSizeList(200), (std::vector<int32_t>{200}));
    struct Case {
        const char* text;
        int32_t maximum, want;
    };
    const Case cases[] = {{"10", 4096, 64}, {"5000", 4096, 4096}, {" 800", 4096, 800}, {"abc", 4096, 64},
                          {"1500", 1000, 1000}, {"-3", 4096, 64}};
    for (const Case& c : cases) EXPECT_EQ(ImageSaveSizeFromText(c.text, c.maximum), c.want) << c.text;
    EXPECT_EQ(ImageSaveQualityLabel(7), "品質：  7");
}

TEST(ViewImageExport, WriterByExtension) {
    struct Case {
        const char* path;
        bool jpeg;
    };
    const Case cases[] = {{"a.jpg", true}, {"a.JPEG", true}, {"a.Jpe", true}, {"a.bmp", false},
                          {"a.png", false}, {"dir.jpg/a.bmp", false}, {"a", false}};
    for (const Case& c : cases) EXPECT_EQ(IsJpegExportPath(c.path), c.jpeg) << c.path;
}

class ViewExport : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ResetImageSlots();
        ClearRecordedMessages();
        AllocateBackBuffer(1000 + 1, 500 + 1);
        SetViewport(0, 0, 1000, 499);
        g_viewCenterX = 3000;  // north
        g_viewCenterY = 7000;  // east
        g_viewScale = 2;
        g_birdsEyeOn = 0;
    }
    void TearDown() override {
        FreeRasterBlocks();
        ClearRecordedMessages();
        ReleaseDataModel();
    }
    ScratchDir m_dir;
};

// The picture's outer edges, half a pixel beyond the outer pixels' ground points.
TEST_F(ViewExport, CornersOfThePlanView) {
    const PlacementCorners c = ViewExportCorners(2);
    // P 1000, S 500, R 500, U 250; pixel 0.5 m.
    const double top = 3000 + 0.5 * 250 - 0.25, bottom = 3000 - 0.5 * 250 - 0.25;
    const double left = 7000 - 0.5 * 500 - 0.25, right = 7000 + 0.5 * 500 - 0.25;
    const double want[8] = {top, left, top, right, bottom, left, bottom, right};
    for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(c.values[i], want[i]) << i;
}

// The view at twice its size: the scale doubles for the rendering, the files carry the
// chosen size and the same ground, and the view is as it was afterwards.
TEST_F(ViewExport, BiggerImageShowsTheSameGroundAndTheViewIsRestored) {
    const PlacementCorners view = ViewExportCorners(g_viewScale);
    const std::string path = (m_dir / "plan.bmp").string();
    // A point so that the painter has something to draw.
    ASSERT_EQ(GrowPointBlock(16), 0);
    g_pointCount = 1;
    g_points[1].x = 3000;
    g_points[1].y = 7000;
    g_pointsPresent = -1;
    ASSERT_TRUE(SaveViewImageAs(path, 2000, 1000, 90));
    EXPECT_EQ(g_viewScale, 2);
    EXPECT_EQ(g_bufferMaxX, 1000);
    const std::string bmp = ReadBytes(path);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(U32(bmp, 18), 2000u);
    EXPECT_EQ(U32(bmp, 22), 1000u);
    EXPECT_EQ(U32(bmp, 2), 54u + 6000u * 1000u);
    ASSERT_TRUE(fs::exists(m_dir / "plan.MPI"));
    ASSERT_TRUE(fs::exists(m_dir / "plan.BPW"));
    // Read back as a background image: its corners are the view's, to a pixel of the export.
    ResetImageSlots();
    g_bgImagePath = path;
    ASSERT_TRUE(ReadImageFile(path, ImageFileKindOf(path), true));
    ASSERT_EQ(ReadImagePositionFiles(1), 1);
    const double pixel = 0.25;
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(g_bgImage.corners[k][1], view.values[2 * k], pixel) << k;
        EXPECT_NEAR(g_bgImage.corners[k][0], view.values[2 * k + 1], pixel) << k;
    }
}

TEST_F(ViewExport, JpegGetsNoPlacementAndBirdsEyeBmpDropsStaleOnes) {
    ASSERT_EQ(GrowPointBlock(16), 0);
    g_pointCount = 1;
    g_points[1].x = 3000;
    g_points[1].y = 7000;
    g_pointsPresent = -1;
    ASSERT_TRUE(SaveViewImageAs((m_dir / "v.JPG").string(), 300, 200, 80));
    EXPECT_FALSE(fs::exists(m_dir / "v.MPI"));
    const std::string jpeg = ReadBytes(m_dir / "v.JPG");
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    imagetest::WriteBytes(m_dir / "b.MPI", "stale");
    imagetest::WriteBytes(m_dir / "b.BPW", "stale");
    g_birdsEyeOn = 1;
    SaveViewImageAs((m_dir / "b.bmp").string(), 300, 200, 80);
    EXPECT_FALSE(fs::exists(m_dir / "b.MPI"));
    EXPECT_FALSE(fs::exists(m_dir / "b.BPW"));
}

TEST_F(ViewExport, ReadOnlyFileIsReportedAndKept) {
    const fs::path path = m_dir / "locked.bmp";
    imagetest::WriteBytes(path, "old");
    ::chmod(path.c_str(), 0444);
    LockBackBuffer();
    EXPECT_EQ(SaveBackBufferBmp(path.string(), 100, 100), 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "Read Only File!");
    EXPECT_EQ(ReadBytes(path), "old");
    ClearRecordedMessages();
    EXPECT_EQ(SaveBackBufferBmp((m_dir / "no" / "such.bmp").string(), 100, 100), 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "Failed in OpenFile!");
    UnlockBackBuffer();
}

}  // namespace

namespace {
// The dialog's values are remembered; a name with NOSTREL_DATA1 stores the start-up data
// set beside it instead of an image.
TEST_F(ViewExport, DialogValuesAreRememberedAndTheStartUpSetIsStored) {
    ASSERT_EQ(GrowPointBlock(16), 0);
    g_pointCount = 1;
    g_points[1].x = 3000;
    g_points[1].y = 7000;
    g_pointsPresent = -1;
    ImageSaveValues shown;
    SetImageSaveDialogRunner([&](ImageSaveValues& v) {
        shown = v;
        v.path = (m_dir / "NOSTREL_DATA1.BMP").string();
        v.quality = 55;
        v.filterIndex = 2;
        return true;
    });
    EXPECT_FALSE(OnSaveViewImage());
    SetImageSaveDialogRunner({});
    EXPECT_EQ(shown.saveWidth, 1000);
    EXPECT_EQ(shown.saveHeight, 500);
    EXPECT_EQ(shown.maxWidth, 4096);
    EXPECT_EQ(shown.title, "画像ファイルの保存");
    EXPECT_EQ(g_jpegQuality, 55);
    EXPECT_EQ(g_viewImageFilterIndex, 2);
    EXPECT_TRUE(fs::exists(m_dir / "data1.VEW"));
    EXPECT_FALSE(fs::exists(m_dir / "NOSTREL_DATA1.BMP"));
    g_jpegQuality = 90;
    g_viewImageFilterIndex = 1;
}
}  // namespace
