// The earthwork command road and the settings dialog's values, headless.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/text_io.h"
#include "section/earthwork.h"
#include "section/earthwork_command.h"
#include "section/section_calc.h"
#include "section/section_files.h"
#include "section_test_support.h"

namespace {

using sectiontest::SectionFixture;

std::string Sections(int n, double height, const char* points) {
    std::string text;
    for (int i = 0; i < 5; ++i) text += "********************\r\n";
    for (int i = 1; i <= n; ++i) {
        text += FormatString("%3d%-12.12s%12.3f%12.3f%12.3f%3d\r\n", i, "S", 20.0 * (i - 1), height, 0.0, 0);
        text += points;
        text += "E\r\n";
    }
    return text;
}

class EarthworkCommand : public SectionFixture {
protected:
    void SetUp() override {
        SectionFixture::SetUp();
        InitEarthworkDefaults();
        for (int i = 0; i < 3; ++i) AddCrossStation("S", 20.0 * i, 20.0 * i, 0, 30, 30);
        m_ground = (m_dir / "ground.ODN").string();
        m_plan = (m_dir / "plan.ODN").string();
        ASSERT_TRUE(WriteFileBytes(m_ground, Sections(3, 10, "   -15.000    10.000\r\n    15.000    10.000\r\n")));
        ASSERT_TRUE(WriteFileBytes(m_plan, Sections(3, 8, "    -2.000     8.000\r\n    -4.000    10.000\r\n")));
        ClearRecordedFileDialogs();
    }
    void TearDown() override {
        SetEarthworkHooks({});
        SectionFixture::TearDown();
    }
    // Hooks whose dialog reads both files and confirms; the two file answers are queued
    // here, ahead of those of the road.
    EarthworkHooks Hooks(int* lists, bool adjust = false) {
        QueueFileDialogAnswer(m_ground);
        QueueFileDialogAnswer(m_plan);
        EarthworkHooks hooks;
        hooks.runCalcDialog = [adjust](EarthworkCalcDialogState& state) {
            EXPECT_TRUE(SelectEarthworkCurrentFile());
            EXPECT_FALSE(EarthworkCalcAllowed());
            EXPECT_TRUE(SelectEarthworkPlanFile());
            state.duplicateTest = adjust;
            state.adjust = adjust;
            return EarthworkCalcAllowed();
        };
        hooks.runListDialog = [lists] { ++*lists; };
        return hooks;
    }
    std::string m_ground, m_plan;
};

TEST_F(EarthworkCommand, YesSavesBothResultFilesThenTheList) {
    int lists = 0;
    SetEarthworkHooks(Hooks(&lists));
    QueueMessageAnswer(msg::kIdYes);
    QueueFileDialogAnswer((m_dir / "out").string());
    OnEarthworkCalc();
    EXPECT_EQ(lists, 1);
    EXPECT_DOUBLE_EQ(g_totalCut, 240);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "out.OPL"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "out.SD2"));
    EXPECT_EQ(g_earthworkOutputPath, (m_dir / "out.OPL").string());
    ASSERT_FALSE(RecordedFileDialogs().empty());
    EXPECT_EQ(RecordedFileDialogs().back().title, "土量計算横断ファイル名設定");
    EXPECT_EQ(RecordedFileDialogs().back().defaultExtension, "OPL");
}

TEST_F(EarthworkCommand, NoOrCancelWritesNothingButShowsTheList) {
    for (int answer : {msg::kIdNo, msg::kIdYes}) {
        int lists = 0;
        SetEarthworkHooks(Hooks(&lists));
        QueueMessageAnswer(answer);
        if (answer == msg::kIdYes) QueueFileDialogAnswer("");  // the save dialog cancelled
        OnEarthworkCalc();
        EXPECT_EQ(lists, 1);
        EXPECT_TRUE(g_earthworkOutputPath.empty());
    }
    // A dialog closed without 計算 computes nothing and shows no list.
    int lists = 0;
    EarthworkHooks hooks;
    hooks.runCalcDialog = [](EarthworkCalcDialogState&) { return false; };
    hooks.runListDialog = [&lists] { ++lists; };
    SetEarthworkHooks(hooks);
    g_totalCut = -1;
    OnEarthworkCalc();
    EXPECT_EQ(lists, 0);
    EXPECT_DOUBLE_EQ(g_totalCut, -1);
}

TEST_F(EarthworkCommand, CheckRunsAfterTheVolumes) {
    int lists = 0;
    SetEarthworkHooks(Hooks(&lists, true));
    QueueMessageAnswer(msg::kIdNo);
    OnEarthworkCalc();
    // The plan's centre point lies 2 under the ground centre and far from its points: no
    // mark. The volumes are those before the check.
    EXPECT_DOUBLE_EQ(g_totalCut, 240);
    EXPECT_EQ(GetPlanSection(1)->points[1].leftMark, 0);
}

TEST_F(EarthworkCommand, DialogEditsRestoreBadValues) {
    EarthworkCalcDialogState state = OpenEarthworkCalcDialog();
    EXPECT_EQ(state.rateText, "  1.000");
    EXPECT_EQ(state.toleranceText, " 0.100");
    EXPECT_EQ(state.judgeText, " 0.100");
    const struct {
        const char* typed;
        const char* rate;
        const char* tolerance;
        const char* judge;
    } cases[] = {
        {"0.5", "  0.500", "0.500", "0.500"},
        {"0", "  0.500", "0.500", "0.000"},  // 0 is a judgement distance, no rate or tolerance
        {"-1", "  0.500", "0.500", "0.000"},
        {"x", "  0.500", "0.500", "0.000"},
        {" 2 ", "  2.000", "2.000", "2.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(EarthworkRateLeft(c.typed), c.rate);
        EXPECT_EQ(EarthworkToleranceLeft(c.typed), c.tolerance);
        EXPECT_EQ(EarthworkJudgeLeft(c.typed, state), c.judge);
    }
    SetEarthworkDecimals(2, 3);
    SetEarthworkDecimals(2, 4);
    EXPECT_EQ(g_volumeDecimals, 3);
}

TEST_F(EarthworkCommand, UnreadableFilesAreToldAndKeepTheState) {
    QueueFileDialogAnswer(m_ground);
    ASSERT_TRUE(SelectEarthworkCurrentFile());
    ClearRecordedMessages();
    QueueFileDialogAnswer((m_dir / "none.ODN").string());
    EXPECT_FALSE(SelectEarthworkCurrentFile());
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(g_crossSectionCount, 3);
    EXPECT_EQ(g_earthworkCurrentLoaded, 1);
    QueueFileDialogAnswer((m_dir / "none.ODN").string());
    EXPECT_FALSE(SelectEarthworkPlanFile());
    EXPECT_EQ(g_earthworkPlanLoaded, 0);
}

}  // namespace

namespace {

TEST_F(EarthworkCommand, NoStationsIsSaid) {
    g_stationCount = 0;
    ClearRecordedMessages();
    QueueFileDialogAnswer(m_ground);
    EXPECT_FALSE(SelectEarthworkCurrentFile());
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, kNoStationsMessage);
    EXPECT_EQ(g_earthworkCurrentLoaded, 0);
}

}  // namespace
