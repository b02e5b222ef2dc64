// The import dialog's rules without its window, and command 32803 taking a request.
#include <gtest/gtest.h>

#include <string>

#include "exchange/import_request.h"
#include "import_test_support.h"
#include "model/document_services.h"
#include "shell/work_folder.h"

namespace {

using importtest::ImportFixture;

class ImportRequestTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        ResetImportChoices();
    }
};

TEST_F(ImportRequestTest, IntensityLimitEditAndWheel) {
    struct Case {
        int32_t before;
        const char* typed;
        int32_t wheel;  // 0: the edit loses the focus
        const char* shown;
    };
    const Case cases[] = {
        {50, "-3", 0, " 0"},   {50, "1500", 0, " 999"}, {50, "", 0, " 50"},  {50, " 30", 0, " 30"},
        {50, " 50", 120, " 55"}, {50, " 50", -120, " 45"}, {2, " 2", -120, " 0"}, {997, " 997", 120, " 999"},
    };
    for (const Case& c : cases) {
        g_importRequest.intensityLowerLimit = c.before;
        if (c.wheel == 0)
            IntensityEditLostFocus(c.typed);
        else
            IntensityWheel(c.typed, c.wheel);
        EXPECT_EQ(IntensityLimitText(g_importRequest.intensityLowerLimit), c.shown) << c.typed;
    }
}

TEST_F(ImportRequestTest, BelowLimitChecksExcludeEachOther) {
    SetBelowLimitCheck(1, true);
    EXPECT_EQ(g_importRequest.belowLimitMode, 1);
    SetBelowLimitCheck(2, true);
    EXPECT_EQ(g_importRequest.belowLimitMode, 2);
    SetBelowLimitCheck(1, false);  // the other one stays
    EXPECT_EQ(g_importRequest.belowLimitMode, 2);
    SetBelowLimitCheck(2, false);
    EXPECT_EQ(g_importRequest.belowLimitMode, 0);
}

TEST_F(ImportRequestTest, FileFiltersPerKind) {
    const std::string all = "すべてのファイル|*.*|";
    EXPECT_EQ(ImportFileFilter(0), " ランダムファイル|*.RND|" + all);
    EXPECT_EQ(ImportFileFilter(1), " ＳＩＭＡファイル|*.SIM|" + all);
    EXPECT_EQ(ImportFileFilter(10), " ＤＸＦファイル|*.DXF|" + all);
    for (int32_t kind : {9, 11, 12})
        EXPECT_EQ(ImportFileFilter(kind), " テキストファイル|*.TXT| ＣＳＶファイル|*.CSV|" + all);
    for (int32_t kind : {2, 3, 4, 5, 6, 8}) EXPECT_EQ(ImportFileFilter(kind), kImportFileTypes);
}

TEST_F(ImportRequestTest, SubmitCarriesTheChoices) {
    g_importKind = 9;
    g_importTakeZero = 1;
    g_importPlotMode = 2;
    g_importAddError = 1;
    g_importErrorDigits = 3;
    g_importRequest.intensityLowerLimit = 40;
    g_importRequest.belowLimitMode = 2;
    SubmitImportRequest("/data/site/a.txt", true);
    const ImportRequest& r = g_importRequest;
    EXPECT_EQ(r.readyCode, 99);
    EXPECT_EQ(r.kind, 9);
    EXPECT_EQ(r.takeZeroElevation, 1);
    EXPECT_EQ(r.plotMode, 2);
    EXPECT_EQ(r.addError, 1);
    EXPECT_EQ(r.errorDigits, 3);
    EXPECT_EQ(r.swapXY, 1);
    EXPECT_EQ(r.intensityLowerLimit, 40);
    EXPECT_EQ(r.belowLimitMode, 2);
    EXPECT_EQ(g_currentDataPath, "/data/site/a.txt");
    EXPECT_EQ(g_lastFolder, FolderOfPath("/data/site/a.txt"));
}

TEST_F(ImportRequestTest, ReadyRequestReadsAndIsTaken) {
    const auto path = Write("a.SIM", "G00,01,-,\r\nA01,1,P1,100,200,10,\r\nA01,2,P2,110,210,11,\r\n");
    g_importKind = 1;
    SubmitImportRequest(path.string(), false);
    int shown = 0;
    OnExternalImport({nullptr, nullptr, [&] { ++shown; }});
    EXPECT_EQ(g_importRequest.readyCode, 0);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(g_pointCount, 2);
    EXPECT_EQ(g_pointsPresent, -1);
    EXPECT_TRUE(RecordedMessages().empty());
}

// An import file that cannot be opened is said to be so, not taken for a memory failure.
TEST_F(ImportRequestTest, UnopenableFileSaysCannotOpen) {
    for (int32_t kind : {0, 1, 2, 8}) {
        ClearRecordedMessages();
        g_importKind = kind;
        SubmitImportRequest((m_dir / "missing.SIM").string(), false);
        OnExternalImport({});
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_NE(RecordedMessages()[0].text.find("ファイルが開けません"), std::string::npos);
        EXPECT_EQ(RecordedMessages()[0].text.find("Memory"), std::string::npos);
        EXPECT_EQ(g_pointCount, 0);
    }
}

TEST_F(ImportRequestTest, WithoutRequestTogglesTheDialogAskingFirst) {
    bool open = false;
    int shown = 0;
    ExternalImportHooks hooks{[&] { return open; }, [&] { open = false; }, [&] { ++shown, open = true; }};
    OnExternalImport(hooks);  // no points: opens at once
    EXPECT_TRUE(open);
    EXPECT_TRUE(RecordedMessages().empty());
    OnExternalImport(hooks);  // open: closes
    EXPECT_FALSE(open);

    const auto path = Write("b.SIM", "A01,1,P1,100,200,10,\n");
    SubmitImportRequest(path.string(), false);
    OnExternalImport(hooks);
    ASSERT_EQ(g_pointCount, 1);
    QueueMessageAnswer(msg::kIdNo);
    OnExternalImport(hooks);
    EXPECT_FALSE(open);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "既にデータが読み込まれていますが\n追加してよろしいですか");
    QueueMessageAnswer(msg::kIdYes);
    OnExternalImport(hooks);
    EXPECT_TRUE(open);
    EXPECT_EQ(shown, 2);
}

}  // namespace

namespace {

class SimaDocumentRead : public importtest::ImportFixture {};

TEST_F(SimaDocumentRead, ReadsKindOneWithTheZeroAnswer) {
    const auto path = Write("s.SIM", "G00,01,-,\r\nA00,\r\nA01,1,P1,1,2,3,\r\nA01,2,P2,4,5,,\r\nA99,\r\n");
    for (bool zero : {false, true}) {
        InitDataModel();
        ASSERT_EQ(ImportSimaPoints(path, zero), SimaImport::kRead);
        EXPECT_EQ(g_pointCount, zero ? 2 : 1);
        EXPECT_EQ(g_points[1].plotKind, 3);
    }
    ClearRecordedMessages();
    EXPECT_EQ(ImportSimaPoints(m_dir / "none.SIM", false), SimaImport::kReported);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("ファイルが開けません"), std::string::npos);
}

}  // namespace
