#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "image/image_readers.h"
#include "image/image_slot.h"
#include "image/view_image_export.h"
#include "image_test_support.h"
#include "model/backup_file.h"
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
        bool jpeg, png;
    };
    const Case cases[] = {{"a.jpg", true, false},         {"a.JPEG", true, false}, {"a.Jpe", true, false},
                          {"a.bmp", false, false},        {"a.png", false, true},  {"a.PnG", false, true},
                          {"a.pngx", false, false},       {"dir.png/a.bmp", false, false},
                          {"dir.jpg/a.bmp", false, false}, {"a", false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(IsJpegExportPath(c.path), c.jpeg) << c.path;
        EXPECT_EQ(IsPngExportPath(c.path), c.png) << c.path;
    }
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
    // A small view worked by hand: centre (1000, 2000), 200 x 100 pixels at 2 per metre.
    g_bufferMaxX = 200;
    g_bufferMaxY = 100;
    g_viewCenterX = 1000;
    g_viewCenterY = 2000;
    const PlacementCorners s = ViewExportCorners(2);
    const double hand[8] = {1024.75, 1949.75, 1024.75, 2049.75, 974.75, 1949.75, 974.75, 2049.75};
    for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(s.values[i], hand[i]) << i;
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

// A .png file holds a PNG with the very pixels of the BMP of the same view, and the same
// placement files.
TEST_F(ViewExport, PngHoldsTheSamePictureAsTheBmp) {
    ASSERT_EQ(GrowPointBlock(16), 0);
    g_pointCount = 1;
    g_points[1].x = 3000;
    g_points[1].y = 7000;
    g_pointsPresent = -1;
    ASSERT_TRUE(SaveViewImageAs((m_dir / "v.bmp").string(), 300, 200, 80));
    ASSERT_TRUE(SaveViewImageAs((m_dir / "p.PNG").string(), 300, 200, 80));
    EXPECT_EQ(ReadBytes(m_dir / "p.PNG").substr(0, 4), "\x89PNG");
    EXPECT_EQ(ReadBytes(m_dir / "p.MPI"), ReadBytes(m_dir / "v.MPI"));
    EXPECT_EQ(ReadBytes(m_dir / "p.BPW"), ReadBytes(m_dir / "v.BPW"));
    ResetImageSlots();
    ASSERT_TRUE(ReadImageFile((m_dir / "v.bmp").string(), kImageBmp, false));
    const std::vector<uint8_t> bmp(g_bgImage.pixels, g_bgImage.pixels + size_t(g_bgImage.stride) * 200);
    ASSERT_TRUE(ReadImageFile((m_dir / "p.PNG").string(), kImagePng, false));
    ASSERT_EQ(g_bgImage.width, 300);
    ASSERT_EQ(g_bgImage.height, 200);
    const std::vector<uint8_t> png(g_bgImage.pixels, g_bgImage.pixels + size_t(g_bgImage.stride) * 200);
    EXPECT_TRUE(bmp == png);
}

// A full disk under either writer: told, no placement files, the view as it was.
TEST_F(ViewExport, FullDiskIsToldAndTheViewRestored) {
    ASSERT_EQ(GrowPointBlock(16), 0);
    g_pointCount = 1;
    g_points[1].x = 3000;
    g_points[1].y = 7000;
    g_pointsPresent = -1;
    for (const char* name : {"full.png", "full.jpg", "full.bmp"}) {
        const fs::path link = m_dir / name;
        fs::create_symlink("/dev/full", link);
        ClearRecordedMessages();
        EXPECT_FALSE(SaveViewImageAs(link.string(), 300, 200, 80)) << name;
        ASSERT_EQ(RecordedMessages().size(), 1u) << name;
        EXPECT_EQ(RecordedMessages()[0].text, "Failed in WriteFile!!") << name;
        EXPECT_FALSE(fs::exists(m_dir / "full.MPI")) << name;
        EXPECT_EQ(g_viewScale, 2) << name;
        EXPECT_EQ(g_bufferMaxX, 1000) << name;
        EXPECT_TRUE(fs::exists("/dev/full"));
    }
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
    // The set reads back as the data it was made of.
    ReleaseDataModel();
    InitDataModel();
    ASSERT_EQ(ReadBackupFile(m_dir / "data1.VEW"), 0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(g_points[1].x, 3000);
    EXPECT_EQ(g_points[1].y, 7000);
}

TEST_F(ViewExport, StartUpSetThatCannotBeWrittenIsTold) {
    ASSERT_EQ(GrowPointBlock(16), 0);
    g_pointCount = 1;
    g_pointsPresent = -1;
    fs::create_directory(m_dir / "data1.VEW");  // in the way of the file
    SetImageSaveDialogRunner([&](ImageSaveValues& v) {
        v.path = (m_dir / "NOSTREL_DATA1.BMP").string();
        return true;
    });
    EXPECT_FALSE(OnSaveViewImage());
    SetImageSaveDialogRunner({});
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "data1.VEW を保存できません");
    EXPECT_TRUE(fs::is_directory(m_dir / "data1.VEW"));
    g_jpegQuality = 90;
    g_viewImageFilterIndex = 1;
}
}  // namespace
