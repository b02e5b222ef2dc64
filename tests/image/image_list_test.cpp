// The image list window's brightness edit, its wheel steps and the gradient inversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image_list.h"
#include "image/image_slot.h"
#include "image/image_writers.h"
#include "image_test_support.h"
#include "model/document_services.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "view/view_state.h"
#include "view/palette.h"

TEST(ImageList, BrightnessTyped) {
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {{"75", 75}, {" 40 ", 40}, {"150", 100}, {"-3", 100}, {"0", 0},
                 {"100", 100}, {"abc", 60}, {"", 60}, {"5x", 60}, {"99999999999999999999", 100}};
    for (const Case& k : cases) EXPECT_EQ(ParseImageBrightness(k.text, 60), k.expected) << k.text;
}

TEST(ImageList, BrightnessWheelStaysWithinFiveAndHundred) {
    struct Case {
        int32_t current;
        bool forward;
        int32_t expected;
    } cases[] = {{50, true, 55}, {50, false, 45}, {5, false, 5}, {7, false, 5}, {100, true, 100}, {98, true, 100}};
    for (const Case& k : cases) EXPECT_EQ(StepImageBrightness(k.current, k.forward), k.expected) << k.current;
}

TEST(ImageList, InvertingTwiceGivesBackTheGradient) {
    DrawBitmapInfo bmi{};
    g_drawBitmapInfo = &bmi;
    bmi.colors[80] = {10, 20, 30, 0};
    bmi.colors[240] = {255, 0, 128, 0};
    bmi.colors[81] = {1, 2, 3, 0};
    InvertImageGradient();
    EXPECT_EQ(bmi.colors[80].blue, 245);
    EXPECT_EQ(bmi.colors[80].red, 225);
    EXPECT_EQ(bmi.colors[240].green, 255);
    EXPECT_EQ(bmi.colors[81].blue, 1);  // only the two ends
    InvertImageGradient();
    EXPECT_EQ(bmi.colors[80].green, 20);
    EXPECT_EQ(bmi.colors[240].red, 128);
    EXPECT_EQ(bmi.colors[240].blue, 255);
    g_drawBitmapInfo = nullptr;
}

// The swatch: Shift with row 2 selected changes slot 2's low colour only; otherwise the
// view's background colour.
TEST(ImageList, SwatchChoosesTheBackgroundOrWithShiftASlotsLowColour) {
    DrawBitmapInfo bmi{};
    DrawBitmapInfo* saved = g_drawBitmapInfo;
    g_drawBitmapInfo = &bmi;
    ResetImageSlots();
    bmi.colors[10] = {0x30, 0x20, 0x10, 0};  // blue, green, red
    g_imageSlots[2].colorLow = 0x00ABCDEF;
    EXPECT_EQ(ViewBackgroundColorRef(), 0x00302010u);
    EXPECT_EQ(BackgroundChooserStartColor(true, 2), 0x00ABCDEFu);
    EXPECT_EQ(BackgroundChooserStartColor(false, 2), 0x00302010u);
    EXPECT_EQ(BackgroundChooserStartColor(true, 0), 0x00302010u);  // row 0: the background
    ApplyBackgroundChooserColor(true, 2, 0x00112233);
    EXPECT_EQ(g_imageSlots[2].colorLow, 0x00112233u);
    EXPECT_EQ(ViewBackgroundColorRef(), 0x00302010u);
    ApplyBackgroundChooserColor(false, 2, 0x00445566);
    EXPECT_EQ(ViewBackgroundColorRef(), 0x00445566u);
    EXPECT_EQ(bmi.colors[10].red, 0x66);
    EXPECT_EQ(g_imageSlots[2].colorLow, 0x00112233u);
    ResetImageSlots();
    g_drawBitmapInfo = saved;
}

namespace {
class AddImage : public ::testing::Test {
protected:
    // A main image of 4 x 3 pixels in slot 0; the data's extents 1000 m around (500, 2000).
    void SetUp() override {
        InitDataModel();
        ResetImageSlots();
        ClearRecordedMessages();
        ImageSlot& s = g_imageSlots[0];
        s.width = 4;
        s.height = 3;
        s.stride = ImageRowStride(s);
        s.loaded = 1;
        s.blendMode = BLEND_OVERWRITE;
        s.positionKnown = 1;
        g_imageSlotHandles[0] = AllocImageBlock(size_t(s.stride) * 3);
        g_imageSlotPaths[0] = "/tmp/main.bmp";
        LoadMainImageSlot();
        g_extentCenterX = 2000;  // north
        g_extentCenterY = 500;   // east
        g_extentSize = 1000;
    }
    void TearDown() override {
        FreeDocumentImages();
        ResetImageSlots();
        ClearRecordedMessages();
    }
    std::string Picture(const std::string& name, int32_t w, int32_t h) {
        const std::string path = (m_dir / name).string();
        std::vector<uint32_t> row(size_t(w), 0x00FF0000);
        EXPECT_TRUE(WriteBmp24File(path, w, h, [&](int32_t) { return row.data(); }));
        return path;
    }
    void ExpectMainUnchanged() {
        EXPECT_EQ(UsedImageSlotCount(), 1);
        EXPECT_EQ(g_bgImage.width, 4);
        EXPECT_EQ(g_bgImagePath, "/tmp/main.bmp");
        EXPECT_TRUE(g_bgImageHandle == g_imageSlotHandles[0]);
    }
    imagetest::ScratchDir m_dir;
};
}  // namespace

TEST_F(AddImage, WithoutPlacementFileAndYesItLiesInTheMiddleOfTheData) {
    struct Case {
        int32_t w, h;
        double eastSpan, northSpan;
    };
    const Case cases[] = {{40, 20, 900, 450}, {20, 40, 450, 900}, {30, 30, 900, 900}};
    for (const Case& c : cases) {
        const std::string path = Picture("p" + std::to_string(c.w) + ".bmp", c.w, c.h);
        QueueMessageAnswer(msg::kIdYes);
        ASSERT_EQ(AddImageFileToSlots(path), AddImageResult::Added) << c.w;
        ASSERT_EQ(RecordedMessages().back().text, "この画像には位置情報ファイル(MPI)がありません\n読み込みますか？");
        const int32_t k = UsedImageSlotCount() - 1;
        const ImageSlot& s = g_imageSlots[k];
        EXPECT_EQ(g_imageSlotPaths[k], path);
        EXPECT_EQ(s.width, c.w);
        EXPECT_EQ(s.blendMode, BLEND_OVERWRITE);
        EXPECT_EQ(s.positionKnown, 1);
        EXPECT_DOUBLE_EQ(s.corners[0][0], 500 - c.eastSpan / 2);  // UL
        EXPECT_DOUBLE_EQ(s.corners[0][1], 2000 + c.northSpan / 2);
        EXPECT_DOUBLE_EQ(s.corners[3][0], 500 + c.eastSpan / 2);  // LR
        EXPECT_DOUBLE_EQ(s.corners[3][1], 2000 - c.northSpan / 2);
        // The main image is the active one again.
        EXPECT_EQ(g_bgImage.width, 4);
        EXPECT_EQ(g_bgImagePath, "/tmp/main.bmp");
    }
}

TEST_F(AddImage, RefusedUnreadableOrBadlyPlacedFilesChangeNothing) {
    struct Case {
        const char* name;
        const char* bytes;         // null: a good picture
        const char* positionFile;  // null: none
        int answer;
        AddImageResult result;
        const char* message;
    };
    const Case cases[] = {
        {"no.bmp", nullptr, nullptr, msg::kIdNo, AddImageResult::Cancelled,
         "この画像には位置情報ファイル(MPI)がありません\n読み込みますか？"},
        {"bad1.bmp", "BM not a bitmap", nullptr, msg::kIdYes, AddImageResult::Failed, "画像ファイルを読み込めません"},
        {"bad2.bmp", "BM not a bitmap", "garbage\r\n", msg::kIdYes, AddImageResult::Failed,
         "画像ファイルを読み込めません"},
        {"placed.bmp", nullptr, "garbage\r\n", msg::kIdYes, AddImageResult::Failed, "位置情報ファイル(MPI)が異常です"},
        {"x.gif", "GIF89a", nullptr, msg::kIdYes, AddImageResult::Cancelled, nullptr},
    };
    for (const Case& c : cases) {
        ClearRecordedMessages();
        std::string path = (m_dir / c.name).string();
        if (c.bytes)
            imagetest::WriteBytes(path, c.bytes);
        else
            path = Picture(c.name, 8, 8);
        if (c.positionFile) {
            std::string mpi = path.substr(0, path.size() - 4) + ".MPI";
            imagetest::WriteBytes(mpi, c.positionFile);
        }
        QueueMessageAnswer(c.answer);
        EXPECT_EQ(AddImageFileToSlots(path), c.result) << c.name;
        if (c.message) {
            ASSERT_FALSE(RecordedMessages().empty()) << c.name;
            EXPECT_EQ(RecordedMessages().back().text, c.message) << c.name;
        } else {
            EXPECT_TRUE(RecordedMessages().empty()) << c.name;
        }
        ExpectMainUnchanged();
    }
}
