#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

namespace fs = std::filesystem;

TEST(Encoding, Cp932RoundTripKeepsVendorCharacters) {
    // "あ" 0x82A0, circled digit one 0x8740 (CP932 only), roman numeral one 0x8754,
    // and a kanji whose trail byte is 0x5C ("表" 0x955C).
    const std::string cp932 = "A\x82\xA0\x87\x40\x87\x54\x95\x5C";
    const std::string utf8 = Cp932ToUtf8(cp932);
    EXPECT_EQ(utf8, "A\xE3\x81\x82\xE2\x91\xA0\xE2\x85\xA0\xE8\xA1\xA8");
    EXPECT_EQ(Utf8ToCp932(utf8), cp932);
}

TEST(Encoding, DamagedInputIsReplacedNotDropped) {
    EXPECT_EQ(Cp932ToUtf8("a\x81"), "a\xEF\xBF\xBD");           // cut lead byte
    EXPECT_EQ(Utf8ToCp932("x\xF0\x9F\x98\x80y"), "x?y");        // emoji has no CP932 code
}

TEST(MessageBox, HeadlessGivesDefaultAnswerAndRecords) {
    ClearRecordedMessages();
    struct Case { int buttons; int want; };
    const Case cases[] = {
        {msg::kOk, msg::kIdOk},
        {msg::kYesNo, msg::kIdYes},
        {msg::kYesNo | msg::kDefButton2, msg::kIdNo},
        {msg::kYesNoCancel | msg::kDefButton3, msg::kIdCancel},
        {msg::kOkCancel | msg::kIconQuestion, msg::kIdOk},
    };
    for (const Case& c : cases) EXPECT_EQ(ShowMessage("t", "c", c.buttons), c.want) << c.buttons;
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(ShowMessage("queued", "", msg::kYesNo), msg::kIdNo);
    ASSERT_EQ(RecordedMessages().size(), 6u);
    EXPECT_EQ(RecordedMessages().back().text, "queued");
}

// A long session shows many messages: the record stays bounded while the count of
// shown messages, which steps compare to learn whether they told the user, keeps going.
TEST(MessageBox, RecordStaysBoundedAndCountKeepsGoing) {
    ClearRecordedMessages();
    const size_t before = ShownMessageCount();
    for (int i = 0; i < 20000; ++i) ShowMessage(std::to_string(i));
    EXPECT_EQ(ShownMessageCount() - before, 20000u);
    EXPECT_LE(RecordedMessages().size(), 4096u);
    EXPECT_GE(RecordedMessages().size(), 1000u);
    EXPECT_EQ(RecordedMessages().back().text, "19999");
    ClearRecordedMessages();
}

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("nostrel_platform_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST_F(TempDirTest, LinesAreWrittenWithCrLfAndReadInAnyForm) {
    TextFileWriter w(m_dir / "a.txt");
    w.WriteLine("one");
    w.PrintLine("%5.2f|%d", 1.5, 7);
    ASSERT_TRUE(w.Close());
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(m_dir / "a.txt", bytes));
    EXPECT_EQ(bytes, "one\r\n 1.50|7\r\n");

    ASSERT_TRUE(WriteFileBytes(m_dir / "b.txt", std::string("crlf\r\nlf\n\nlast\rno-end")));
    std::FILE* f = std::fopen((m_dir / "b.txt").c_str(), "rb");
    std::vector<std::string> lines;
    std::string line;
    while (ReadTextLine(f, line)) lines.push_back(line);
    std::fclose(f);
    EXPECT_EQ(lines, (std::vector<std::string>{"crlf", "lf", "", "last", "no-end"}));
}

TEST_F(TempDirTest, WriterReportsFailure) {
    TextFileWriter w(m_dir / "missing-folder" / "x.txt");
    w.WriteLine("x");
    EXPECT_FALSE(w.Close());
    if (fs::exists("/dev/full")) {
        TextFileWriter full("/dev/full");
        full.WriteRaw(std::string(100000, 'x'));
        EXPECT_FALSE(full.Close());
    }
}

TEST_F(TempDirTest, CompanionsAreFoundWhateverTheCase) {
    std::ofstream(m_dir / "site.tri") << "x";
    std::ofstream(m_dir / "SITE.BND") << "x";
    EXPECT_EQ(FindCompanion(m_dir / "site.RND", ".TRI").filename(), "site.tri");
    // The extension in any case, the base name only as the document's own.
    EXPECT_TRUE(FindCompanion(m_dir / "site.RND", ".bnd").empty());
    EXPECT_EQ(FindCompanion(m_dir / "SITE.RND", ".bnd").filename(), "SITE.BND");
    EXPECT_TRUE(FindCompanion(m_dir / "site.RND", ".HOL").empty());
    EXPECT_TRUE(RemoveCompanion(m_dir / "site.RND", ".TRI"));
    EXPECT_FALSE(fs::exists(m_dir / "site.tri"));
}

TEST(Folders, TempFolderIsPerInstanceAndRemoved) {
    const fs::path t = TempFolder();
    EXPECT_TRUE(fs::is_directory(t));
    EXPECT_EQ(TempFolder(), t);
    RemoveTempFolder();
    EXPECT_FALSE(fs::exists(t));
}

TEST(Clipboard, HeadlessKeepsBytes) {
    ASSERT_TRUE(SetClipboardText("a\tb\r\n\x82\xA0"));
    EXPECT_EQ(GetClipboardText(), "a\tb\r\n\x82\xA0");
}
