#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dxf/dxf_store.h"
#include "image/image_command.h"
#include "image/image_readers.h"
#include "image_test_support.h"
#include "model/document.h"
#include "model/document_services.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "view/display_flags.h"
#include "view/view_state.h"

namespace {

namespace fs = std::filesystem;
using imagetest::ReadBytes;
using imagetest::ScratchDir;
using imagetest::WriteBytes;

const std::string kDir = "tests/data/image/readers/";

class ImageCommands : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ResetImageSlots();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
    }
    void TearDown() override {
        FreeDocumentImages();
        ResetImageSlots();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
    }
    fs::path Copy(const std::string& fixture, const std::string& name) {
        const fs::path path = m_dir / name;
        fs::copy_file(kDir + fixture, path, fs::copy_options::overwrite_existing);
        return path;
    }
    ScratchDir m_dir;
};

TEST_F(ImageCommands, ChoosingAnImageLoadsPlacesAndCentresTheView) {
    ASSERT_EQ(g_pointCount, 0);
    const fs::path image = Copy("tif_palette8.tif", "map.tif");
    WriteBytes(m_dir / "map.tfw", "2\r\n0\r\n0\r\n-2\r\n10001\r\n20045\r\n");
    QueueFileDialogAnswer(image.string());
    EXPECT_EQ(OnBackgroundImageSelect({}), BackgroundImageSelectResult::Loaded);
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].title, "背景画像ファイルの選択");
    EXPECT_EQ(g_bgImage.loaded, 1);
    EXPECT_EQ(g_bgImage.blendMode, 1);
    EXPECT_EQ(g_bgImage.keepIndexed, 1);
    EXPECT_EQ(g_bgImage.positionKnown, 1);
    EXPECT_EQ(g_bgImagePath, image.string());
    // 37 x 23 pixels of 2 m from (10000, 20046) at the upper-left corner.
    EXPECT_DOUBLE_EQ(g_extentCenterY, 10000 + 37.0);
    EXPECT_DOUBLE_EQ(g_extentCenterX, 20046 - 23.0);
    EXPECT_DOUBLE_EQ(g_extentSize, 46.0);
    EXPECT_TRUE(RecordedMessages().empty());

    // With an image loaded the command hands over to the image list.
    ClearRecordedFileDialogs();
    EXPECT_EQ(OnBackgroundImageSelect({}), BackgroundImageSelectResult::OpenImageList);
    EXPECT_TRUE(RecordedFileDialogs().empty());
}

TEST_F(ImageCommands, AnUnreadableFileIsReported) {
    const fs::path bad = m_dir / "broken.png";
    WriteBytes(bad, ReadBytes(kDir + "png24.png").substr(0, 100));
    QueueFileDialogAnswer(bad.string());
    EXPECT_EQ(OnBackgroundImageSelect({}), BackgroundImageSelectResult::Failed);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "画像ファイルを読み込めません");
    EXPECT_EQ(g_bgImage.loaded, 0);
    EXPECT_TRUE(g_bgImageHandle.Empty());

    // Another kind of file, or no choice: nothing happens.
    ClearRecordedMessages();
    WriteBytes(m_dir / "a.gif", "GIF89a");
    QueueFileDialogAnswer((m_dir / "a.gif").string());
    EXPECT_EQ(OnBackgroundImageSelect({}), BackgroundImageSelectResult::Cancelled);
    QueueFileDialogAnswer("");
    EXPECT_EQ(OnBackgroundImageSelect({}), BackgroundImageSelectResult::Cancelled);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ImageCommands, ADamagedPositionFileIsReported) {
    const fs::path image = Copy("jpeg_rgb.jpg", "map.jpg");
    WriteBytes(m_dir / "map.MPI", "*****\r\nnot a corner\r\n");
    EXPECT_EQ(SelectBackgroundImageFile(image.string(), {}), BackgroundImageSelectResult::Loaded);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "位置情報ファイル(MPI)が異常です");
    EXPECT_EQ(g_bgImage.positionKnown, 0);
    EXPECT_DOUBLE_EQ(g_extentSize, 500.0);

    FreeDocumentImages();
    ClearRecordedMessages();
    fs::remove(m_dir / "map.MPI");
    WriteBytes(m_dir / "map.jgw", "1\r\n0\r\n0\r\n-1\r\n5000\r\n");
    EXPECT_EQ(SelectBackgroundImageFile(image.string(), {}), BackgroundImageSelectResult::Loaded);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "ワールドファイルが異常です\n位置情報を無視します");
}

TEST_F(ImageCommands, TheDocumentsCompanionImage) {
    const fs::path data = m_dir / "site.RND";
    WriteBytes(data, "");
    Copy("bmp8.bmp", "site.bmp");
    WriteBytes(m_dir / "site.bpw", "1\r\n0\r\n0\r\n-1\r\n100.5\r\n299.5\r\n");
    LoadDocumentBackgroundImage(data);
    ASSERT_EQ(g_bgImage.loaded, 1);
    // Read as found: an 8-bit BMP becomes a 32-bit image.
    EXPECT_EQ(g_bgImage.isIndexed8, 0);
    EXPECT_EQ(g_bgImage.stride, 4 * 37);
    EXPECT_EQ(g_bgImage.positionKnown, 1);
    EXPECT_DOUBLE_EQ(g_bgImage.corners[0][0], 100.0);
    EXPECT_DOUBLE_EQ(g_bgImage.corners[0][1], 300.0);

    FreeDocumentImages();
    EXPECT_TRUE(g_bgImageHandle.Empty());
    EXPECT_EQ(g_bgImage.pixels, nullptr);
    EXPECT_EQ(g_bgImage.loaded, 0);
    EXPECT_EQ(UsedImageSlotCount(), 0);
}

TEST_F(ImageCommands, SavingTheImageAsksToComposeOnlyWithTwoMonoImages) {
    // One colour image: no question; the proposed name is the document's.
    ASSERT_TRUE(ReadImageFile(kDir + "png24.png", kImagePng, true));
    const fs::path out = m_dir / "saved.bmp";
    QueueFileDialogAnswer(out.string());
    EXPECT_TRUE(OnBackgroundImageSave("site"));
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].fileName, "site.TIF");
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(ReadBytes(out).substr(0, 2), "BM");

    // Two 1-bit images: the question, and No writes the main image alone.
    FreeDocumentImages();
    for (const char* name : {"tif_bit_black.tif", "png1_grey.png"}) {
        SaveMainImageSlot();
        ASSERT_TRUE(ReadImageFile(kDir + name, ImageFileKindOf(name), true));
        g_bgImage.positionKnown = 1;
        const double c[4][2] = {{0, 23}, {37, 23}, {0, 0}, {37, 0}};
        std::copy(&c[0][0], &c[0][0] + 8, &g_bgImage.corners[0][0]);
        AddImageToSlots();
    }
    ASSERT_EQ(UsedImageSlotCount(), 2);
    QueueMessageAnswer(msg::kIdNo);
    QueueFileDialogAnswer((m_dir / "main.tif").string());
    EXPECT_TRUE(OnBackgroundImageSave("site"));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "モノクロ画像を合成しますか");
    ASSERT_TRUE(ReadImageFile((m_dir / "main.tif").string(), kImageTiff, true));
    EXPECT_EQ(g_bgImage.width, 37);
}

}  // namespace

namespace {
TEST_F(ImageCommands, ShowCommandTogglesALoadedImageOnly) {
    EXPECT_FALSE(OnBackgroundImageShow());
    const fs::path image = Copy("tif_palette8.tif", "map.tif");
    QueueFileDialogAnswer(image.string());
    ASSERT_EQ(OnBackgroundImageSelect({}), BackgroundImageSelectResult::Loaded);
    EXPECT_NE(g_showBackgroundImage, 0);  // a chosen image is shown
    ASSERT_TRUE(OnBackgroundImageShow());
    EXPECT_EQ(g_showBackgroundImage, 0);
    EXPECT_EQ(g_bgImage.blendMode, BLEND_HIDDEN);
    ASSERT_TRUE(OnBackgroundImageShow());
    EXPECT_NE(g_showBackgroundImage, 0);
    EXPECT_EQ(g_bgImage.blendMode, BLEND_OVERWRITE);
}
}  // namespace
