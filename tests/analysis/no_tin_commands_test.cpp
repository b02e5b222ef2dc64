// The analysis commands that need a TIN, started without one: a message, and nothing runs.
#include <gtest/gtest.h>

#include "analysis/elevations_from_file.h"
#include "analysis/flow_tool.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"

namespace {
TEST(AnalysisWithoutTin, MessageAndNothingStarted) {
    InitDataModel();
    g_toolMode = 0;
    ClearRecordedMessages();
    OnFlowPath();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網が計算されていません");
    EXPECT_NE(g_toolMode, MODE_OUTLINE_EDIT);

    ClearRecordedMessages();
    EXPECT_FALSE(ArbitraryElevationCanStart());
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網が計算されていません");
    ClearRecordedMessages();
}
}  // namespace
