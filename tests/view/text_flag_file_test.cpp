// The .TFG flag file: a hand-made file read field by field and written back byte for
// byte, and the damaged files a user may bring.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/palette.h"
#include "view/text_flag_file.h"
#include "view/text_flags.h"

namespace fs = std::filesystem;

namespace {
const fs::path kGolden = "tests/data/text_flags/two_flags.TFG";

class TextFlagFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        m_dir = fs::temp_directory_path() / ("tfg_test_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        fs::remove_all(m_dir);
        ReleaseDataModel();
    }
    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path p = m_dir / name;
        EXPECT_TRUE(WriteFileBytes(p, bytes));
        return p;
    }
    static std::string Bytes(const fs::path& p) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(p, bytes)) << p;
        return bytes;
    }
    static std::string Messages() {
        std::string all;
        for (const RecordedMessage& m : RecordedMessages()) all += m.text + "\n";
        return all;
    }
    static void AddFlag(const char* text) {
        TextFlag& f = g_textFlags[++g_textFlagCount];
        f = TextFlag{};
        std::snprintf(f.text, sizeof f.text, "%s", text);
        f.sizeClass = f.colour = 1;
    }
    fs::path m_dir;
};

TEST_F(TextFlagFileTest, GoldenFileReadsFieldByFieldAndWritesBackByteForByte) {
    ASSERT_TRUE(ReadTextFlagFile(kGolden, 0));
    ASSERT_EQ(g_textFlagCount, 2);
    const RgbQuad* c = g_drawBitmapInfo->colors;
    EXPECT_EQ(c[76].red, 255);
    EXPECT_EQ(c[76].green + c[76].blue, 0);
    EXPECT_EQ(c[77].green, 255);
    EXPECT_EQ(c[78].blue, 255);
    EXPECT_EQ(c[79].red, 128);
    EXPECT_EQ(c[79].green, 128);
    EXPECT_EQ(c[79].blue, 128);
    EXPECT_EQ(g_textFlagSizes[0], 14);
    EXPECT_EQ(g_textFlagSizes[2], 20);

    const TextFlag& a = g_textFlags[1];
    EXPECT_DOUBLE_EQ(a.x, -1234.5);
    EXPECT_DOUBLE_EQ(a.y, 678.25);
    EXPECT_DOUBLE_EQ(a.z, 12.0);
    EXPECT_EQ(a.lineLength, 50);
    EXPECT_EQ(a.sizeClass, 1);
    EXPECT_EQ(a.colour, 1);
    EXPECT_EQ(Cp932ToUtf8(a.text), "測点A");
    EXPECT_STREQ(a.link, "plan.pdf");
    const TextFlag& b = g_textFlags[2];
    EXPECT_DOUBLE_EQ(b.z, 30.125);
    EXPECT_EQ(b.lineLength, 80);
    EXPECT_EQ(b.sizeClass, 3);
    EXPECT_EQ(b.colour, 4);
    EXPECT_EQ(Cp932ToUtf8(b.text), "ｶﾅ表示");  // 表 ends in a backslash byte
    EXPECT_STREQ(b.link, "");
    EXPECT_EQ(g_showTextFlags, 1);

    const fs::path out = m_dir / "out.TFG";
    ASSERT_TRUE(WriteTextFlagFile(out));
    EXPECT_EQ(Bytes(out), Bytes(kGolden));
    // And once more through our own writer.
    ASSERT_TRUE(ReadTextFlagFile(out, 0));
    const fs::path again = m_dir / "again.TFG";
    ASSERT_TRUE(WriteTextFlagFile(again));
    EXPECT_EQ(Bytes(again), Bytes(out));
    EXPECT_TRUE(RecordedMessages().empty()) << Messages();
}

TEST_F(TextFlagFileTest, AppendKeepsTheLoadedFlagsAndReplaceDropsThem) {
    AddFlag("old");
    ASSERT_TRUE(ReadTextFlagFile(kGolden, 1));
    EXPECT_EQ(g_textFlagCount, 3);
    EXPECT_STREQ(g_textFlags[1].text, "old");
    ASSERT_TRUE(ReadTextFlagFile(kGolden, 0));
    EXPECT_EQ(g_textFlagCount, 2);
}

TEST_F(TextFlagFileTest, OverFiveHundredFlagsLoadTheFirstFiveHundredWithOneMessage) {
    std::string file = "0,0,0,0 *14 *17 *20\r\n";
    for (int i = 1; i <= 520; ++i) file += std::to_string(i) + ".000,0.000,0.000,50,1,1,f,\r\n";
    ASSERT_TRUE(ReadTextFlagFile(Write("many.TFG", file), 0));
    EXPECT_EQ(g_textFlagCount, kMaxTextFlags);
    EXPECT_DOUBLE_EQ(g_textFlags[500].x, 500.0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "点数が制限に達しました");

    // Appending to a full set adds nothing.
    ClearRecordedMessages();
    ASSERT_TRUE(ReadTextFlagFile(kGolden, 1));
    EXPECT_EQ(g_textFlagCount, kMaxTextFlags);
    EXPECT_EQ(RecordedMessages().size(), 1u);
}

TEST_F(TextFlagFileTest, DamagedLinesGiveSafeRecords) {
    struct Case {
        const char* name;
        std::string line;
        double x;
        int32_t lineLength, sizeClass, colour;
        const char* text;
    };
    const Case cases[] = {
        {"three fields", "1.5,2,3", 1.5, 0, 0, 0, ""},
        {"no text", "1,2,3,40,2,3", 1, 40, 2, 3, ""},
        {"text, no link", "1,2,3,40,2,3,abc", 1, 40, 2, 3, "abc"},
        {"garbage numbers", "x,y,z,q,w,e,t,l", 0, 0, 0, 0, "t"},
        {"huge numbers", "1e400,0,0,99999999999,2,2,t,", 0, kTextFlagLineLengthLimit, 2, 2, "t"},
        {"pole far below", "0,0,0,-2147483648,1,1,t", 0, -kTextFlagLineLengthLimit, 1, 1, "t"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ReadTextFlagFile(Write("d.TFG", "0,0,0,0\r\n" + c.line + "\r\n"), 0));
        ASSERT_EQ(g_textFlagCount, 1);
        const TextFlag& f = g_textFlags[1];
        EXPECT_EQ(f.x, c.x);
        EXPECT_EQ(f.lineLength, c.lineLength);
        EXPECT_EQ(f.sizeClass, c.sizeClass);
        EXPECT_EQ(f.colour, c.colour);
        EXPECT_STREQ(f.text, c.text);
    }
}

TEST_F(TextFlagFileTest, BlankLinesAreNoFlagsAndLfFilesRead) {
    const std::string file = "0,0,0,0 *14 *17 *20\n\n1,2,3,50,1,1,a,\n   \n\r\n4,5,6,50,1,1,b,\n\n";
    ASSERT_TRUE(ReadTextFlagFile(Write("blank.TFG", file), 0));
    ASSERT_EQ(g_textFlagCount, 2);
    EXPECT_STREQ(g_textFlags[1].text, "a");
    EXPECT_STREQ(g_textFlags[2].text, "b");
}

TEST_F(TextFlagFileTest, SizesAreClampedAndMissingSizesKeepTheTable) {
    struct Case {
        const char* first;
        int32_t s1, s2, s3;
    };
    const Case cases[] = {
        {"0,0,0,0 *0 *-5 *1000", 10, 10, 64},
        {"0,0,0,0 *12 *40 *64", 12, 40, 64},
        {"0,0,0,0 *9 *65", 10, 64, 20},  // the third size is not in the file
        {"0,0,0,0", 20, 17, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        g_textFlagSizes[0] = 20;
        g_textFlagSizes[1] = 17;
        g_textFlagSizes[2] = 20;
        ASSERT_TRUE(ReadTextFlagFile(Write("s.TFG", std::string(c.first) + "\r\n"), 0));
        EXPECT_EQ(g_textFlagSizes[0], c.s1);
        EXPECT_EQ(g_textFlagSizes[1], c.s2);
        EXPECT_EQ(g_textFlagSizes[2], c.s3);
    }
}

TEST_F(TextFlagFileTest, LongTextsAreCutWithoutSplittingACharacter) {
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += Utf8ToCp932("測");
    struct Case {
        std::string text, link;
        size_t textBytes, linkBytes;
    };
    const Case cases[] = {
        {wide, wide, 256, 256},
        {"A" + wide, "A" + wide, 257, 255},
        {std::string(600, 'x'), std::string(600, 'y'), 257, 256},
    };
    for (const Case& c : cases) {
        const std::string line = "1,2,3,50,1,1," + c.text + "," + c.link + "\r\n";
        ASSERT_TRUE(ReadTextFlagFile(Write("long.TFG", "0,0,0,0\r\n" + line), 0));
        ASSERT_EQ(g_textFlagCount, 1);
        const TextFlag& f = g_textFlags[1];
        EXPECT_EQ(std::strlen(f.text), c.textBytes);
        EXPECT_EQ(std::strlen(f.link), c.linkBytes);
        EXPECT_EQ(c.text.compare(0, c.textBytes, f.text), 0);
        EXPECT_EQ(Cp932PrefixLength(f.text, 300), c.textBytes);  // no half character at the end
    }
}

TEST_F(TextFlagFileTest, UnreadableFilesLoseNothing) {
    AddFlag("kept");
    const int32_t size = g_textFlagSizes[0];
    for (const fs::path& p : {m_dir / "missing.TFG", Write("empty.TFG", ""), Write("nul.TFG", std::string("\0x", 2))}) {
        SCOPED_TRACE(p.string());
        ClearRecordedMessages();
        EXPECT_FALSE(ReadTextFlagFile(p, 0));
        EXPECT_EQ(g_textFlagCount, 1);
        EXPECT_STREQ(g_textFlags[1].text, "kept");
        EXPECT_EQ(g_textFlagSizes[0], size);
        EXPECT_EQ(RecordedMessages().size(), 1u);
    }
}

TEST_F(TextFlagFileTest, AFailedWriteIsReported) {
    AddFlag("a");
    EXPECT_FALSE(WriteTextFlagFile(m_dir / "no_such_folder" / "x.TFG"));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("保存できません"), std::string::npos);
    if (fs::exists("/dev/full")) {
        ClearRecordedMessages();
        EXPECT_FALSE(WriteTextFlagFile("/dev/full"));
        EXPECT_EQ(RecordedMessages().size(), 1u);
    }
}

TEST_F(TextFlagFileTest, CommasAreTheOnlyCharactersAFieldCannotHold) {
    EXPECT_TRUE(TextFlagFieldStorable(Utf8ToCp932("測点 No.5 (仮)").c_str()));
    EXPECT_FALSE(TextFlagFieldStorable("a,b"));
    EXPECT_FALSE(TextFlagFieldStorable(Utf8ToCp932("測点，,").c_str()));
}
}  // namespace
