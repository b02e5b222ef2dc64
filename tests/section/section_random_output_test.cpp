// Command 32816: the options dialog's rules and the road to the file.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_dialog.h"
#include "platform/text_io.h"
#include "section/section_random_output.h"
#include "section_test_support.h"
#include "shell/work_folder.h"

namespace {

using sectiontest::SectionFixture;

class SectionRandomOutput : public SectionFixture {
protected:
    void TearDown() override {
        SetSectionRandomOutputDialogRunner(nullptr);
        SetFileDialogHandler(nullptr);
        SectionFixture::TearDown();
    }
    static void CloseSquareOutline() {
        for (auto [x, y] : {std::pair{0.0, 0.0}, {0.0, 10.0}, {10.0, 10.0}}) g_outline.Append(AddPoint(x, y, 0));
        g_outline.Close();
    }
};

TEST_F(SectionRandomOutput, EveryOpeningStartsFromTheStartValues) {
    CloseSquareOutline();
    SectionRandomOutputOptions options = OpenSectionRandomOutputDialog();
    EXPECT_EQ(options.centreOnly, 0);
    EXPECT_EQ(options.withCrossings, 1);
    EXPECT_EQ(options.insideOnly, 0);
    SectionRandomOptionClicked(options, kSectionRandomCentreOnly, true);
    SectionRandomOptionClicked(options, kSectionRandomWithCrossings, false);
    SectionRandomOptionClicked(options, kSectionRandomInsideOnly, true);
    EXPECT_EQ(options.insideOnly, 1);
    // Checking and clearing leaves the option off.
    SectionRandomOptionClicked(options, kSectionRandomInsideOnly, false);
    EXPECT_EQ(options.insideOnly, 0);
    options = OpenSectionRandomOutputDialog();
    EXPECT_EQ(options.centreOnly, 0);
    EXPECT_EQ(options.withCrossings, 1);
}

TEST_F(SectionRandomOutput, InsideOnlyNeedsAClosedOutline) {
    EXPECT_FALSE(SectionRandomInsideOnlyEnabled());
    g_outline.Append(AddPoint(0, 0, 0));
    g_outline.Append(AddPoint(0, 10, 0));
    g_outline.Append(AddPoint(10, 10, 0));
    EXPECT_FALSE(SectionRandomInsideOnlyEnabled());  // open
    SectionRandomOutputOptions options = OpenSectionRandomOutputDialog();
    SectionRandomOptionClicked(options, kSectionRandomInsideOnly, true);
    EXPECT_EQ(options.insideOnly, 0);
    g_outline.Close();
    EXPECT_TRUE(SectionRandomInsideOnlyEnabled());
}

TEST_F(SectionRandomOutput, CommandWritesTheChosenFile) {
    EXPECT_TRUE(EnsureCrossSectionRoom(1, 10, 300));
    CrossSection& s = *GetCrossSection(1);
    CopySectionName(s.name, kSectionNameBytes, "NO.0");
    s.centreX = 1, s.centreY = 2, s.height = 3;
    g_crossSectionCount = 1;
    const std::string path = (m_dir / "out.RND").string();
    int asked = 0;
    SetFileDialogHandler([&](const FileDialogRequest& r) {
        ++asked;
        EXPECT_TRUE(r.save);
        EXPECT_EQ(r.defaultExtension, "RND");
        EXPECT_EQ(r.title, "縦横断ランダムファイル名設定");
        return path;
    });
    // 中止: no file dialog, no file.
    SetSectionRandomOutputDialogRunner([](SectionRandomOutputOptions&) { return false; });
    OnExportSectionsAsRandom();
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    SetSectionRandomOutputDialogRunner([](SectionRandomOutputOptions& o) {
        o.centreOnly = 1;
        return true;
    });
    OnExportSectionsAsRandom();
    EXPECT_EQ(asked, 1);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_NE(bytes.find("NO.0              1.0000          2.0000       3.000  0  0  3\r\n"), std::string::npos);
    EXPECT_EQ(g_lastFolder, FolderOfPath(path));
}

}  // namespace
