// Which levels a contour calculation traces, and the parameters it refuses.
#include <cmath>
#include <limits>
#include <set>

#include "contour_test_support.h"

using namespace contourtest;

namespace {
std::set<double> LevelsDrawn() {
    std::set<double> levels;
    for (const Line& l : ReadLines()) levels.insert(l.level);
    return levels;
}
}  // namespace

TEST_F(ContourFixture, LevelsAreCountedNotSummed) {
    // z = x / 10 over 0..1: the line of level w lies on x = 10 w.
    BuildGrid(10, 1.0, [](double x, double) { return x / 10; });
    g_contourMinZ = 0;
    g_contourMaxZ = 1;
    g_contourInterval = 0.1;
    ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
    // Level k is 0 + k * 0.1; ten sums of 0.1 would give 0.9999999999999999, a level
    // inside the points that k * 0.1 = 1 is not (it only touches the highest edge).
    std::set<double> want;
    for (int k = 0; k <= 9; ++k) want.insert(k * 0.1);
    EXPECT_EQ(LevelsDrawn(), want);
    for (const Line& l : ReadLines())
        for (double x : l.x) EXPECT_NEAR(x, 10 * l.level + 10 * g_contourLevelTolerance, 1e-9);
}

TEST_F(ContourFixture, LevelsThatGiveNothingAreRefusedAndSaid) {
    // Points from 236.5 to 276.5 m.
    BuildGrid(4, 10.0, [](double x, double) { return 236.5 + x; });
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const char* const kBadLevels = "最低・最高標高が正しくありません。";
    const char* const kBadInterval = "主曲線間隔が正しくありません。";
    const char* const kTooFine = "主曲線間隔が標高値に対して小さすぎます。";
    const char* const kNone = "計算する等高線がありません。";
    struct Case {
        double minZ, maxZ, interval;
        ContourCalcResult result;
        const char* message;  // its first line
    };
    const Case cases[] = {
        {0, 1000, 1e-300, ContourCalcResult::kBadInterval, kTooFine},
        {-1e17, 1000, 1, ContourCalcResult::kBadInterval, kTooFine},
        {236, 1e17, 1, ContourCalcResult::kBadInterval, kTooFine},
        {0, 1000, 0, ContourCalcResult::kBadInterval, kBadInterval},
        {0, 1000, -1, ContourCalcResult::kBadInterval, kBadInterval},
        {0, 1000, nan, ContourCalcResult::kBadInterval, kBadInterval},
        {0, 1000, inf, ContourCalcResult::kBadInterval, kBadInterval},
        {-inf, 1000, 1, ContourCalcResult::kBadInterval, kBadLevels},
        {0, nan, 1, ContourCalcResult::kBadInterval, kBadLevels},
        {236, 1000, 1e9, ContourCalcResult::kNoLevel, kNone},
        {300, 400, 1, ContourCalcResult::kNoLevel, kNone},
        {250, 240, 1, ContourCalcResult::kNoLevel, kNone},
        {0, 236, 1, ContourCalcResult::kNoLevel, kNone},
    };
    int pumps = 0;
    // A calculation that runs instead of refusing is stopped, not left running.
    SetHeadlessPumpCallback([&] {
        if (++pumps == 1000) SetHeadlessKeyDown('Q', true);
    });
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::Message() << t.minZ << " " << t.maxZ << " " << t.interval);
        ClearRecordedMessages();
        pumps = 0;
        SetHeadlessKeyDown('Q', false);
        g_contourMinZ = t.minZ;
        g_contourMaxZ = t.maxZ;
        g_contourInterval = t.interval;
        EXPECT_EQ(CalcContours(0), t.result);
        EXPECT_EQ(pumps, 0);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        const std::string& text = RecordedMessages()[0].text;
        EXPECT_EQ(text.substr(0, text.find('\n')), t.message);
        EXPECT_FALSE(std::filesystem::exists(g_contourLinesPath));
    }
    // The points' range is named.
    EXPECT_NE(RecordedMessages()[0].text.find("236.500 ～ 276.500"), std::string::npos);
}

TEST_F(ContourFixture, ManyLevelsAreCountedAndAsked) {
    BuildGrid(4, 10.0, [](double x, double) { return x; });
    g_contourMinZ = 0;
    g_contourMaxZ = 40;
    g_contourInterval = 0.001;
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(CalcContours(0), ContourCalcResult::kCancelled);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text,
              "等高線の標高数が 40001 になります。\n計算に時間がかかりますがよろしいですか");
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kYesNo | msg::kIconQuestion);
    EXPECT_FALSE(std::filesystem::exists(g_contourLinesPath));

    // Fewer levels are not asked about: 0.01 gives 4001 (the highest touches a corner only).
    static_assert(kContourLevelsAskAbove > 4001);
    ClearRecordedMessages();
    g_contourInterval = 0.01;
    EXPECT_EQ(CalcContours(0), ContourCalcResult::kDone);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "等高線計算終了");
    EXPECT_EQ(LevelsDrawn().size(), 4000u);
}

TEST_F(ContourFixture, DefaultLevelsBringIndexContours) {
    struct Case {
        double low, high;
        double minZ, maxZ, interval;
    };
    const Case cases[] = {
        {236.4, 1076.4, 240, 1076, 5}, {236.0, 1076.0, 240, 1076, 5}, {10.7, 59.9, 11, 59, 1},
        {10.2, 60.0, 12, 60, 2},       {-12.7, 30.2, -12, 30, 1},    {-7.5, 120, -5, 120, 5},
        {100, 200, 100, 200, 5},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.low);
        SetDefaultContourLevels(t.low, t.high);
        EXPECT_EQ(g_contourMinZ, t.minZ);
        EXPECT_EQ(g_contourMaxZ, t.maxZ);
        EXPECT_EQ(g_contourInterval, t.interval);
        EXPECT_EQ(g_indexContourInterval, 5 * t.interval);
    }

    // The calculation with the defaults draws index levels among the others.
    BuildGrid(10, 10.0, [](double x, double y) { return 236.4 + 8 * x + 0.4 * y; });
    SetDefaultContourLevels(g_pointZMin, g_pointZMax);
    ASSERT_EQ(CalcContours(0), ContourCalcResult::kDone);
    int indexLevels = 0;
    for (double level : LevelsDrawn()) {
        EXPECT_EQ(std::fmod(level, g_contourInterval), 0) << level;
        indexLevels += std::fmod(level, g_indexContourInterval) == 0;
    }
    EXPECT_EQ(indexLevels, 34);  // 250 .. 1075
}
