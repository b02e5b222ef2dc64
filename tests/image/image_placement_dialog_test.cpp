#include <gtest/gtest.h>

#include <cmath>
#include <array>
#include <cstring>
#include <filesystem>
#include <vector>

#include "dxf/dxf_store.h"
#include "image/image_mapping.h"
#include "image/image_placement_dialog.h"
#include "image/image_position.h"
#include "image_test_support.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "view/pick_overlay.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

using imagetest::ScratchDir;

// Every field of the record, compared bit for bit.
bool SameBits(const ImageSlot& a, const ImageSlot& b) {
#define SAME(f) (std::memcmp(&a.f, &b.f, sizeof a.f) == 0)
    return SAME(corners) && SAME(edgeLengths) && SAME(viewWindow) && SAME(enteredPoint) && SAME(pairGround) &&
           SAME(pairImage) && SAME(pairSet) && SAME(width) && SAME(height) && SAME(currentVertex) &&
           SAME(positionKnown) && SAME(loaded) && SAME(blendMode) && SAME(isMono) && SAME(keepIndexed) &&
           SAME(isIndexed8) && SAME(stride) && SAME(showOnBase) && SAME(colorLow) && SAME(colorHigh) &&
           SAME(mapping.projectiveKind) && SAME(mapping.singleVanishingPoint) && SAME(mapping.origin) &&
           SAME(mapping.sCorner) && SAME(mapping.tCorner) && SAME(mapping.farCorner) && SAME(mapping.vanishing1) &&
           SAME(mapping.weight1) && SAME(mapping.vanishing2) && SAME(mapping.weight2) && SAME(mapping.weightFar) &&
           SAME(mapping.originFromV1) && SAME(mapping.v2FromV1) && SAME(mapping.originFromV2) &&
           SAME(mapping.v1FromV2) && SAME(mapping.horizonNormal) && SAME(mapping.frame) && SAME(pixels);
#undef SAME
}

class ImagePlacement : public ::testing::Test {
protected:
    // A 200 x 100 picture lying north up over 2000 m x 1000 m from (east 1000, north 5000)
    // at its lower-left corner; the view shows 500 px per ... 0.1 px per metre around it.
    void SetUp() override {
        InitDataModel();
        ResetImageSlots();
        ClearRecordedMessages();
        ImageSlot& im = g_bgImage;
        im.width = 200;
        im.height = 100;
        im.loaded = 1;
        im.blendMode = 1;
        im.stride = 800;
        im.positionKnown = 1;
        const double c[4][2] = {{1000, 6000}, {3000, 6000}, {1000, 5000}, {3000, 5000}};
        std::memcpy(im.corners, c, sizeof c);
        ComputeImageEdgeLengths(im);
        SetupImageMapping(im);
        const double window[4] = {0, 7000, 4000, 4000};
        std::memcpy(im.viewWindow, window, sizeof window);
        g_viewCenterX = 5500;  // north
        g_viewCenterY = 2000;  // east
        g_viewScale = 0.2;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        m_before = g_bgImage;
        OpenImagePlacementDialog(m_state);
        SetImagePlacementPickReceiver(&Receive, this, &m_state);
    }
    void TearDown() override {
        OnImagePlacementClosed();
        ResetImageSlots();
        g_bgImagePath.clear();
        ClearRecordedMessages();
    }
    static void Receive(void* self) { OnImagePlacementPick(static_cast<ImagePlacement*>(self)->m_state); }

    // The client pixel of a ground point in this view.
    static void Click(double east, double north) {
        const double column = g_viewportCenterX + (east - g_viewCenterY) * g_viewScale;
        const double row = g_viewportCenterY - (north - g_viewCenterX) * g_viewScale;
        ASSERT_EQ(column, std::round(column));
        ASSERT_EQ(row, std::round(row));
        ASSERT_TRUE(ImagePlacementViewClick(int32_t(column), int32_t(row)));
    }
    // Pair k: image point picked where the picture now shows (east, north), ground typed.
    void Pair(int k, double pickE, double pickN, double groundE, double groundN) {
        OnImageVertexButton(m_state, k, true);
        ASSERT_EQ(g_toolMode, MODE_BG_IMAGE_POSITION) << k;
        Click(pickE, pickN);
        OnImageRegisterEntry(m_state, std::to_string(groundE), std::to_string(groundN));
        ASSERT_EQ(g_bgImage.pairSet[k - 1], 1) << k;
        ASSERT_EQ(g_toolMode, MODE_NONE);
    }

    ImagePlacementDialogState m_state;
    ImageSlot m_before{};
};

TEST_F(ImagePlacement, OpeningSetsDefaultPairsFromTheViewAndHint) {
    const ImageSlot& im = g_bgImage;
    const double ground[4][2] = {{0, 7000}, {4000, 7000}, {0, 4000}, {4000, 4000}};
    const double image[4][2] = {{0, 99}, {199, 99}, {0, 0}, {199, 0}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(im.pairGround[k][0], ground[k][0]) << k;
        EXPECT_EQ(im.pairGround[k][1], ground[k][1]) << k;
        EXPECT_EQ(im.pairImage[k][0], image[k][0]) << k;
        EXPECT_EQ(im.pairImage[k][1], image[k][1]) << k;
        EXPECT_EQ(im.pairSet[k], 0);
    }
    EXPECT_EQ(m_state.sizeText, "200 × 100");
    EXPECT_EQ(m_state.hint, "画像上の点と対応する公共座標を２点以上指定してください");
    EXPECT_TRUE(m_state.eastText.empty());
    EXPECT_FALSE(m_state.registerEnabled);
    EXPECT_FALSE(m_state.leastSquaresEnabled);
}

TEST_F(ImagePlacement, VertexButtonsWaitForThePreviousPair) {
    for (int k = 2; k <= 4; ++k) {
        OnImageVertexButton(m_state, k, true);
        EXPECT_FALSE(m_state.vertexChecked[k - 1]) << k;
        EXPECT_EQ(g_toolMode, MODE_NONE) << k;
    }
    OnImageVertexButton(m_state, 1, true);
    EXPECT_TRUE(m_state.vertexChecked[0]);
    EXPECT_EQ(m_state.hint, "背景画像上の１点目を指定");
    EXPECT_EQ(m_state.eastText, "     0.000");  // the pair's ground point
    EXPECT_EQ(m_state.northText, "  7000.000");
    Click(1500, 5500);
    EXPECT_EQ(m_state.pickState, 1);
    EXPECT_EQ(m_state.imageText, "(50 , 50)");
    EXPECT_TRUE(m_state.registerEntryVisible);
    EXPECT_FALSE(m_state.groundPickVisible);
    OnImageTabChange(m_state, 1);
    EXPECT_FALSE(m_state.registerEntryVisible);
    EXPECT_TRUE(m_state.groundPickVisible);
    // The ground point picked in the view registers the pair and ends picking.
    OnImageGroundPickCheck(m_state, true);
    EXPECT_EQ(g_toolMode, MODE_BG_IMAGE_POSITION * 2);
    EXPECT_EQ(m_state.hint, "１点目の公共座標を指定");
    Click(1600, 5600);
    EXPECT_EQ(g_bgImage.pairSet[0], 1);
    EXPECT_EQ(g_bgImage.pairGround[0][0], 1600);
    EXPECT_EQ(g_bgImage.pairGround[0][1], 5600);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_TRUE(m_state.registerEnabled);
    OnImageVertexButton(m_state, 2, true);
    EXPECT_TRUE(m_state.vertexChecked[1]);
    EXPECT_FALSE(m_state.vertexChecked[0]);
}

TEST_F(ImagePlacement, OnePairMovesEveryCornerByTheSameVector) {
    Pair(1, 1500, 5500, 1530.5, 5480.25);
    EXPECT_TRUE(OnImagePlacementRegister(m_state));
    const double dE = 30.5, dN = -19.75;
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(g_bgImage.corners[k][0], m_before.corners[k][0] + dE) << k;
        EXPECT_DOUBLE_EQ(g_bgImage.corners[k][1], m_before.corners[k][1] + dN) << k;
    }
    // The picked picture point now lies on the typed coordinate.
    double u, v;
    MapGroundToImage(g_bgImage, 1530.5, 5480.25, u, v);
    EXPECT_NEAR(u, 0.25, 1e-12);
    EXPECT_NEAR(v, 0.5, 1e-12);
}

TEST_F(ImagePlacement, PickingImagePointOneAgainKeepsRegisteredPairTwo) {
    // Two pairs that scale the picture by 2 about its lower-left corner.
    Pair(1, 1000, 5000, 1000, 5000);
    Pair(2, 3000, 6000, 5000, 7000);
    const double pair2[2] = {g_bgImage.pairGround[1][0], g_bgImage.pairGround[1][1]};
    // Image point 1 picked again (same place) and its ground typed again.
    Pair(1, 1000, 5000, 1000, 5000);
    EXPECT_EQ(g_bgImage.pairGround[1][0], pair2[0]);
    EXPECT_EQ(g_bgImage.pairGround[1][1], pair2[1]);
    EXPECT_EQ(g_bgImage.pairSet[1], 1);
    ASSERT_TRUE(OnImagePlacementRegister(m_state));
    EXPECT_TRUE(RecordedMessages().empty());
    // Pair 2 as registered: 20 m per pixel from image (0, 0) on (1000, 5000). Two pairs
    // put the corners on the outer pixels' centres, so UR is pixel (199, 99).
    const double want[4][2] = {{1000, 6980}, {4980, 6980}, {1000, 5000}, {4980, 5000}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(g_bgImage.corners[k][0], want[k][0], 1e-9) << k;
        EXPECT_NEAR(g_bgImage.corners[k][1], want[k][1], 1e-9) << k;
    }
    for (int k = 0; k < 4; ++k) EXPECT_EQ(g_bgImage.pairSet[k], 0);
}

TEST_F(ImagePlacement, FourPairsSolveProjectivelyOrFallBackOrGoLeastSquares) {
    struct Case {
        const char* name;
        double ground[4][2];
        bool leastSquares;
        const char* message;
    };
    // Picked at the picture's current corners (image points 0/200 and 0/100).
    const double picks[4][2] = {{1000, 6000}, {3000, 6000}, {1000, 5000}, {3000, 5000}};
    const Case cases[] = {
        {"a trapezoid", {{100, 900}, {900, 900}, {0, 0}, {1000, 0}}, false, ""},
        {"three ground points on a line", {{0, 1000}, {2000, 1000}, {0, 0}, {1000, 1000}}, false,
         "座標を決定できません\n３点目までを使用します"},
        {"least squares", {{100, 900}, {900, 900}, {0, 0}, {1000, 0}}, true, ""},
    };
    for (const Case& c : cases) {
        SetUp();
        for (int k = 1; k <= 4; ++k) Pair(k, picks[k - 1][0], picks[k - 1][1], c.ground[k - 1][0], c.ground[k - 1][1]);
        EXPECT_TRUE(m_state.leastSquaresEnabled) << c.name;
        m_state.leastSquares = c.leastSquares;
        ClearRecordedMessages();
        const bool done = OnImagePlacementRegister(m_state);
        if (std::string(c.message).empty()) {
            EXPECT_TRUE(done) << c.name;
            EXPECT_TRUE(RecordedMessages().empty()) << c.name;
        } else {
            // Placed from the first three pairs after the message.
            EXPECT_TRUE(done) << c.name;
            EXPECT_DOUBLE_EQ(g_bgImage.corners[2][0], 0) << c.name;
            ASSERT_FALSE(RecordedMessages().empty()) << c.name;
            EXPECT_EQ(RecordedMessages()[0].text, c.message) << c.name;
        }
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 2; ++j) EXPECT_TRUE(std::isfinite(g_bgImage.corners[k][j])) << c.name;
        if (std::string(c.name) == "a trapezoid") {
            // The projective placement takes each picked corner onto its ground point.
            const double frac[4][2] = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
            for (int k = 0; k < 4; ++k) {
                double u, v;
                MapGroundToImage(g_bgImage, c.ground[k][0], c.ground[k][1], u, v);
                EXPECT_NEAR(u, frac[k][0], 1e-6) << k;
                EXPECT_NEAR(v, frac[k][1], 1e-6) << k;
            }
        }
        if (c.leastSquares) {
            // A similarity keeps the picture a rectangle: both diagonals equal.
            const auto& q = g_bgImage.corners;
            EXPECT_NEAR(std::hypot(q[0][0] - q[3][0], q[0][1] - q[3][1]),
                        std::hypot(q[1][0] - q[2][0], q[1][1] - q[2][1]), 1e-6);
        }
        TearDown();
    }
}

TEST_F(ImagePlacement, CoincidingImagePointsAreRefusedAndTheImageKept) {
    Pair(1, 1500, 5500, 0, 0);
    Pair(2, 1500, 5500, 100, 100);
    const ImageSlot before = g_bgImage;
    EXPECT_FALSE(OnImagePlacementRegister(m_state));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_TRUE(SameBits(before, g_bgImage));
}

TEST_F(ImagePlacement, CancelRestoresTheRecordBitForBit) {
    Pair(1, 1000, 5000, 0, 0);
    Pair(2, 3000, 6000, 500, 250);
    OnImageVertexButton(m_state, 3, true);
    Click(1500, 5500);
    OnImagePlacementReset(m_state);
    EXPECT_EQ(g_bgImage.positionKnown, 0);
    Pair(1, 1200, 5200, 9, 9);
    OnImagePlacementCancel(m_state);
    EXPECT_TRUE(SameBits(m_before, g_bgImage));
}

TEST_F(ImagePlacement, CancelAfterThePictureWasReplacedKeepsTheNewPicture) {
    Pair(1, 1000, 5000, 0, 0);
    uint8_t other[16] = {};
    g_bgImage.pixels = other;
    g_bgImage.width = 2;
    OnImagePlacementCancel(m_state);
    EXPECT_EQ(g_bgImage.pixels, other);
    EXPECT_EQ(g_bgImage.width, 2);
    EXPECT_EQ(g_bgImage.currentVertex, 0);
    g_bgImage.pixels = nullptr;
}

TEST_F(ImagePlacement, EnterInAnEditRegistersThatValueWithThePreviousOther) {
    Pair(1, 1000, 5000, 0, 0);
    Pair(2, 3000, 6000, 500, 250);
    OnImageVertexButton(m_state, 3, true);
    const double northBefore = g_bgImage.pairGround[2][1];
    Click(1000, 6000);
    m_state.enterPressed = true;
    EXPECT_TRUE(OnImageKillFocusEast(m_state, "  123.5"));
    EXPECT_EQ(g_bgImage.pairSet[2], 1);
    EXPECT_EQ(g_bgImage.pairGround[2][0], 123.5);
    EXPECT_EQ(g_bgImage.pairGround[2][1], northBefore);
    EXPECT_EQ(m_state.eastText, "   123.500");
    // Not a number: the entry keeps its value.
    m_state.enterPressed = false;
    EXPECT_FALSE(OnImageKillFocusNorth(m_state, "abc"));
    EXPECT_EQ(g_bgImage.enteredPoint[1], 6000);
}

TEST_F(ImagePlacement, RegisteringCentresAnEmptyViewAndWritesThePlacementFiles) {
    ScratchDir dir;
    g_bgImagePath = (dir / "map.bmp").string();
    Pair(1, 1500, 5500, 1600, 5500);
    ASSERT_TRUE(OnImagePlacementRegister(m_state));
    // Midpoint of UL and LR, 1.2 times the left edge.
    EXPECT_DOUBLE_EQ(g_extentCenterY, 2100);
    EXPECT_DOUBLE_EQ(g_extentCenterX, 5500);
    EXPECT_DOUBLE_EQ(g_extentSize, 1200);
    EXPECT_TRUE(std::filesystem::exists(dir / "map.MPI"));
    EXPECT_TRUE(std::filesystem::exists(dir / "map.BPW"));
}

class RecordingCanvas : public OverlayCanvas {
public:
    void SetPen(uint32_t c) override { pen = c; }
    void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override { ellipses.push_back({l, t, r, b}); }
    void MoveTo(int32_t x, int32_t y) override { lines.push_back({x, y, 0, 0}); }
    void LineTo(int32_t x, int32_t y) override {
        lines.back()[2] = x;
        lines.back()[3] = y;
    }
    void Text(int32_t, int32_t, const std::string&) override {}
    uint32_t pen = 0;
    std::vector<std::array<int32_t, 4>> ellipses, lines;
};

TEST_F(ImagePlacement, MarksJoinEachRegisteredImagePointToItsGroundPoint) {
    Pair(1, 1500, 5500, 1600, 5600);
    OnImageVertexButton(m_state, 2, true);
    Click(2000, 5500);
    RecordingCanvas canvas;
    DrawImageCornerMarks(canvas);
    EXPECT_EQ(canvas.pen, 0xFFFF80u);
    // The entered point of the pick (r 4) and pair 1's image point (r 2).
    ASSERT_EQ(canvas.ellipses.size(), 2u);
    EXPECT_EQ(canvas.ellipses[0], (std::array<int32_t, 4>{396, 296, 405, 305}));
    EXPECT_EQ(canvas.ellipses[1], (std::array<int32_t, 4>{298, 298, 303, 303}));
    ASSERT_EQ(canvas.lines.size(), 1u);
    EXPECT_EQ(canvas.lines[0], (std::array<int32_t, 4>{300, 300, 320, 280}));
}

}  // namespace
