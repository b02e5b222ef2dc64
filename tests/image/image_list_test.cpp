// The image list window's brightness edit, its wheel steps and the gradient inversion.
#include <gtest/gtest.h>

#include "image/image_list.h"
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
