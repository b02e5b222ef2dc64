#include "analysis/water_level.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"

namespace {
class WaterLevel : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_pointCapacity = 100;
        ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
        for (double z : {30.0, 12.7, 58.2, 41.0}) {
            RandomPoint p{};
            p.x = 10.0 * g_pointCount;
            p.z = z;
            g_points[++g_pointCount] = p;
        }
        SetPointEndMarker();
        g_colorBandParams = DefaultColorBandParams();
        g_colorBandOn = 0;
        ClearRecordedMessages();
    }
    void TearDown() override {
        delete g_waterDlg;
        g_colorBandParams = DefaultColorBandParams();
        g_colorBandOn = 0;
        ClearRecordedMessages();
    }

    // Runs the timer until the run ends; the levels the view was repainted with.
    std::vector<double> Run(CWaterSM& w) {
        std::vector<double> shown;
        w.repaintView = [&] { shown.push_back(g_colorBandParams.waterLevel); };
        w.OnStartStop();
        for (int k = 0; k < 100 && w.Running(); ++k) w.OnTimer();
        w.repaintView = nullptr;
        return shown;
    }
};

TEST_F(WaterLevel, OpeningTakesTheRangeOfThePoints) {
    CWaterSM* w = new CWaterSM;
    EXPECT_EQ(g_waterDlg, w);
    const ColorBandParams& p = g_colorBandParams;
    EXPECT_DOUBLE_EQ(p.waterStart, 12.0);
    EXPECT_DOUBLE_EQ(p.waterEnd, 58.0);
    EXPECT_DOUBLE_EQ(p.waterLevel, 35.45);
    EXPECT_EQ(p.waterShown, 1);
    EXPECT_NE(g_colorBandOn, 0);
    EXPECT_DOUBLE_EQ(p.waterStep, 1.0);
    EXPECT_DOUBLE_EQ(p.waterInterval, 1.0);
    EXPECT_EQ(w->FieldText(1282), "35.450");
    EXPECT_EQ(w->LevelBanner(), "    35.450m");
    delete w;
    EXPECT_EQ(g_waterDlg, nullptr);
    EXPECT_EQ(g_colorBandParams.waterShown, 0);  // closing switches the water off
}

TEST_F(WaterLevel, TheRunShowsEveryStepUpToTheEnd) {
    struct Case { double start, end, step; std::vector<double> shown; };
    const Case cases[] = {
        {0, 10, 3, {0, 3, 6, 9}},
        {100, 90, 2, {100, 98, 96, 94, 92, 90}},
        {5, 5, 1, {5}},
    };
    for (const Case& c : cases) {
        CWaterSM w;
        g_colorBandParams.waterStart = c.start;
        g_colorBandParams.waterEnd = c.end;
        g_colorBandParams.waterStep = c.step;
        int32_t period = 0;
        w.startTimer = [&](int32_t ms) { period = ms; };
        ClearRecordedMessages();
        EXPECT_EQ(Run(w), c.shown) << c.start << " -> " << c.end;
        EXPECT_EQ(period, 1000);
        EXPECT_FALSE(w.Running());
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages().back().text, "Simulation complete");
        EXPECT_DOUBLE_EQ(g_colorBandParams.waterLevel, c.shown.back());
    }
}

TEST_F(WaterLevel, EditsAndChecks) {
    CWaterSM w;
    int repaints = 0;
    w.repaintView = [&] { ++repaints; };
    w.EditLeft(1282, "35.45");  // the same level again: nothing
    EXPECT_EQ(repaints, 0);
    w.EditLeft(1282, "40");
    EXPECT_EQ(repaints, 1);
    EXPECT_DOUBLE_EQ(g_colorBandParams.waterLevel, 40.0);
    w.EditLeft(1269, "");
    EXPECT_DOUBLE_EQ(g_colorBandParams.waterStart, 12.0);
    // The interval is positive only.
    struct Case { const char* typed; double kept; };
    for (const Case c : {Case{"-2", 1.0}, Case{"0.0005", 1.0}, Case{"0.5", 0.5}, Case{"0", 0.5}}) {
        w.EditLeft(1286, c.typed);
        EXPECT_DOUBLE_EQ(g_colorBandParams.waterInterval, c.kept) << c.typed;
    }
    w.OnReverse();
    EXPECT_DOUBLE_EQ(g_colorBandParams.waterStart, 58.0);
    EXPECT_DOUBLE_EQ(g_colorBandParams.waterEnd, 12.0);
    w.SetAboveHoles(true);
    EXPECT_EQ(g_colorBandParams.waterShown, -1);
    w.SetAboveHoles(false);
    EXPECT_EQ(g_colorBandParams.waterShown, 1);
    g_colorBandParams.waterShown = 0;
    w.SetAboveHoles(true);  // cannot stay checked while the water is off
    EXPECT_EQ(g_colorBandParams.waterShown, 0);
}
}  // namespace
