// The colour-band settings file: what is written comes back, the lines have their fixed
// layout, and damaged or foreign lines are skipped without harm.
#include "view/color_band_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "image/image_slot.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/palette.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

namespace {
class ColorBandFile : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("nostrel_" + std::to_string(::getpid()) + "_cdf_" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        g_bgImage.loaded = 0;
        fs::remove_all(m_dir);
        ReleaseDataModel();
    }
    fs::path Path(const std::string& name) const { return m_dir / name; }

    // The file's lines without their CR LF; fails the test when a line lacks the CR.
    static std::vector<std::string> Lines(const fs::path& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < bytes.size()) {
            const size_t end = bytes.find('\n', start);
            EXPECT_NE(end, std::string::npos) << "last line without its end";
            if (end == std::string::npos) break;
            EXPECT_TRUE(end > start && bytes[end - 1] == '\r') << "line " << lines.size() + 1;
            lines.push_back(bytes.substr(start, end - 1 - start));
            start = end + 1;
        }
        return lines;
    }

    fs::path m_dir;
};

RgbQuad& PaletteEntry(int index) { return g_drawBitmapInfo->colors[index]; }
}  // namespace

TEST_F(ColorBandFile, WrittenFileReadsBackEveryValue) {
    ColorBandParams& p = g_colorBandParams;
    struct IntField {
        const char* key;
        int32_t* field;
        int32_t value;
        int32_t back;  // what reading gives
    };
    const IntField ints[] = {
        {"d001", &p.mode, 3, 3},
        {"d002", &p.textColourChange, 1, 1},
        {"d003", &p.shading, 1, 1},
        {"d004", &p.waterShown, -1, -1},
        {"d005", &p.waterTransparent, 0, 0},
        {"d013", &p.twoColourSlope, 1, 1},
        {"d014", &p.planOnly, 1, 1},
        {"d015", &p.useVertexColours, 3, 1},  // any nonzero word comes back as 1
        {"d021", &p.refInclined, 1, 1},
        {"v006", &g_birdsEyeOn, 1, 1},
        {"v007", &g_showTin, -1, -1},
        {"v008", &g_showPoints, 0, 0},
        {"v009", &g_penSize, 3, 3},
        {"v010", &g_pointColorMode, 1, 1},
        {"v011", &g_showBackgroundImage, -1, -1},
        {"v012", &g_colorBandOn, -1, -1},
        {"v013", &g_showDrawingContours, -1, -1},
        {"v014", &g_showSliceContours, -1, -1},
        {"v015", &g_showBackgroundDxf, -1, -1},
        // Colours, 0xRRGGBB.
        {"c101", &p.stripeColours[0], 0x123456, 0x123456},
        {"c110", &p.stripeColours[9], 0xABCDEF, 0xABCDEF},
        {"c120", &p.stripeColours[19], 0x000001, 0x000001},
        {"c121", &p.waterColour, 0x204060, 0x204060},
        {"c201", &p.gradientColours[0], 0x0A0B0C, 0x0A0B0C},
        {"c204", &p.gradientColours[3], 0xF0E0D0, 0xF0E0D0},
        {"c301", &p.birdsEyeColours[0], 0x111111, 0x111111},
        {"c304", &p.birdsEyeColours[3], 0x444444, 0x444444},
        {"c305", &p.birdsEyeColours[4], 0x555555, 0x555555},
        {"c401", &p.slopeColours[0], 0x0000FF, 0x0000FF},
        {"c412", &p.slopeColours[11], 0xFF0000, 0xFF0000},
    };
    struct NumberField {
        const char* key;
        double* field;
        double value;
        double tolerance;
    };
    const NumberField numbers[] = {
        {"d006", &p.centre, 123.456, 0},
        {"d007", &p.highest, 456.789, 0},
        {"d008", &p.lowest, -12.5, 0},
        {"d009", &p.step, 2.25, 0},
        {"d010", &p.waterLevel, 99.125, 0},
        {"d011", &p.lightAzimuth, 315.5, 0},
        {"d012", &p.lightElevation, 12.25, 0},
        {"d022", &p.refX, -123456.78901, 0},
        {"d023", &p.refY, 98765.4321, 0},
        {"d024", &p.refH, 234.5678, 0},
        {"d025", &p.refDirection, 45.5, 0},
        {"d026", &p.refInclination, 3.125, 0},
        {"v001", &g_viewCenterX, 3712345.6789, 1e-9},
        {"v002", &g_viewCenterY, -98765.4321, 1e-9},
        {"v003", &g_viewScale, 0.12345, 1e-12},
        {"v004", &g_birdsEyeAzimuth, 0.5, 1e-7},  // degrees with six decimals
        {"v005", &g_birdsEyeTilt, -0.35, 1e-7},
    };
    for (int k = 1; k < 19; ++k) p.stripeColours[k] = 0x010101 * k;
    for (const IntField& f : ints) *f.field = f.value;
    for (const NumberField& f : numbers) *f.field = f.value;
    PaletteEntry(20) = {0x01, 0x02, 0x03, 0};  // p001: blue, green, red
    PaletteEntry(48) = {0xC0, 0xB0, 0xA0, 0};  // p040
    PaletteEntry(240) = {0x40, 0x50, 0x60, 0};
    g_bgImage.loaded = 1;  // the image display needs an image to stay on

    const fs::path path = Path("all.CDF");
    ASSERT_NE(WriteColorBandFile(path), 0);

    InitDataModel();
    g_bgImage.loaded = 1;
    for (const IntField& f : ints) *f.field = f.back ^ 0x5A5A;
    for (const NumberField& f : numbers) *f.field = -777;
    for (int k = 1; k < 19; ++k) p.stripeColours[k] = -1;
    int32_t found = -1;
    ASSERT_EQ(ReadColorBandFile(path, kColorBandReadView | kColorBandReadPalette, &found), 1);
    for (const IntField& f : ints) EXPECT_EQ(*f.field, f.back) << f.key;
    for (const NumberField& f : numbers) EXPECT_NEAR(*f.field, f.value, f.tolerance) << f.key;
    for (int k = 1; k < 19; ++k) {
        if (k == 9) continue;  // c110 above
        EXPECT_EQ(p.stripeColours[k], 0x010101 * k) << k;
    }
    const RgbQuad first = PaletteEntry(20), last = PaletteEntry(48), grey = PaletteEntry(240);
    EXPECT_EQ((std::vector<int>{first.blue, first.green, first.red}),
              (std::vector<int>{0x01, 0x02, 0x03}));
    EXPECT_EQ((std::vector<int>{last.blue, last.green, last.red}),
              (std::vector<int>{0xC0, 0xB0, 0xA0}));
    EXPECT_EQ((std::vector<int>{grey.blue, grey.green, grey.red}),
              (std::vector<int>{0x40, 0x50, 0x60}));
    // Every view line found; v011 and v012 share a bit, the palette lines that of v009.
    EXPECT_EQ(found, 0x3FFF);
}

TEST_F(ColorBandFile, WriterLaysOutItsLinesInOrder) {
    ColorBandParams& p = g_colorBandParams;
    p.mode = 2;
    p.textColourChange = 0;
    p.shading = 1;
    p.waterShown = -1;
    p.waterTransparent = 1;
    p.centre = 123.4567;
    p.highest = 1234567.891;
    p.lowest = -5;
    p.step = 0;
    p.waterLevel = 100;
    p.lightAzimuth = 120;
    p.lightElevation = 47;
    p.twoColourSlope = 12;
    p.planOnly = 0;
    p.useVertexColours = 2;
    p.refInclined = 1;
    p.refX = 1.5;
    p.refY = -2.25;
    p.refH = 3.14159;
    p.refDirection = 359.9999;
    p.refInclination = 0.0005;
    g_viewCenterX = 1234.56789;
    g_viewCenterY = -7.5;
    g_viewScale = 0.5;
    g_birdsEyeAzimuth = 3.141592653589793;
    g_birdsEyeTilt = -0.2;
    g_birdsEyeOn = 1;
    g_showTin = 0;
    g_showPoints = -1;
    g_penSize = 1;
    g_pointColorMode = 0;
    g_showBackgroundImage = 0;
    g_colorBandOn = -1;
    g_showDrawingContours = 0;
    g_showSliceContours = 0;
    g_showBackgroundDxf = -1;

    const fs::path path = Path("layout.CDF");
    ASSERT_EQ(WriteColorBandFile(path), 1);
    const std::vector<std::string> lines = Lines(path);
    ASSERT_EQ(lines.size(), 2u + 21 + 1 + 22 + 1 + 4 + 1 + 5 + 1 + 12 + 1 + 15 + 1 + 40);

    const std::vector<std::string> head = {
        Utf8ToCp932(";段彩パラメータ"),
        "ver1.2",
        "d001, 2",
        "d002, 0",
        "d003, 1",
        "d004,-1",
        "d005, 1",
        "d006,   123.457",
        "d007,1234567.891",
        "d008,    -5.000",
        "d009,     0.000",
        "d010,   100.000",
        "d011,120.000",
        "d012, 47.000",
        "d013,12",
        "d014, 0",
        "d015, 1",
        "d021, 1",
        "d022,     1.50000",
        "d023,    -2.25000",
        "d024,  3.1416",
        "d025,360.000",
        "d026,  0.001",
        Utf8ToCp932(";縞段彩配色"),
        "c101,FF0000",
        "c102,FF8080",
    };
    for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(lines[i], head[i]) << "line " << i + 1;
    // The comment lines are Shift-JIS bytes.
    EXPECT_EQ(lines[0], "\x3b\x92\x69\x8d\xca\x83\x70\x83\x89\x83\x81\x81\x5b\x83\x5e");

    // Every later line by its place: the comments, the keys in order and their values.
    auto at = [&](const std::string& key) -> std::string {
        for (const std::string& l : lines)
            if (l.compare(0, key.size() + 1, key + ",") == 0) return l;
        return "(missing " + key + ")";
    };
    EXPECT_EQ(lines[46], Utf8ToCp932(";グラデーション配色"));
    EXPECT_EQ(lines[51], Utf8ToCp932(";鳥瞰図配色"));
    EXPECT_EQ(lines[57], Utf8ToCp932(";傾斜段彩配色"));
    EXPECT_EQ(lines[70], ";ViewParametars");
    EXPECT_EQ(lines[86], ";PaletteData");
    EXPECT_EQ(lines[44], "c121,008080");  // the water colour
    EXPECT_EQ(lines[45], "c122,000000");
    EXPECT_EQ(lines[47], "c201,0000FF");  // c-values: blue in the low byte
    EXPECT_EQ(lines[56], "c305,008080");
    EXPECT_EQ(lines[69], "c412,FF0000");
    const std::vector<std::string> view = {
        "v001,     1234.5679",
        "v002,       -7.5000",
        "v003,     0.50000",
        "v004,180.000000",
        "v005,-11.459156",
        "v006, 1",
        "v007, 0",
        "v008,-1",
        "v009, 1",
        "v010, 0",
        "v011, 0",
        "v012,-1",
        "v013, 0",
        "v014, 0",
        "v015,-1",
    };
    for (size_t i = 0; i < view.size(); ++i) EXPECT_EQ(lines[71 + i], view[i]);
    // p-values: the palette's blue in the high byte; entry 22 is red, 25 olive, 30 green.
    EXPECT_EQ(at("p001"), "p001,FFFFFF");
    EXPECT_EQ(at("p003"), "p003,00C8C8");
    EXPECT_EQ(at("p004"), "p004,0000FF");
    EXPECT_EQ(at("p007"), "p007,329600");
    EXPECT_EQ(lines.back(), "p040,FF0000");  // entry 48 is blue
    for (int k = 1; k <= 40; ++k) {
        char key[8];
        std::snprintf(key, sizeof key, "p%03d", k);
        EXPECT_EQ(lines[86 + k].substr(0, 5), std::string(key) + ",");
    }
}

TEST_F(ColorBandFile, ReaderSkipsDamagedLinesAndReadsTheRest) {
    const char* const lines[] = {
        ";comment, d001,7",
        "ver1.2\n"  // LF alone ends a line too
        "d001, 1",
        "d1,3",        // four characters: skipped
        "d003",        // no comma
        "d,,,9",       // no key
        "d002,,1",     // the comma before the value counts
        "d006,abc",    // no number
        "d007,1e400",  // no finite number
        "d005,4e9",    // beyond an integer
        "d099,5",      // no such key
        "",
        "c101,00ff00",  // lower case counts
        "c102,00FF00",
        "c103,1 2x45",  // other characters count as 0
        "c104,FF",      // cut short
        "c122,123456",  // not read
        "c306,ABCDEF",  // the words after the fifth colour
        "x101,FFFFFF",
        "v003,0",  // a scale of zero
        "v004,90",
        "v011, 1",  // no image is loaded
        "p001,0000FF",
    };
    std::string text;
    for (const char* line : lines) text += std::string(line) + "\r\n";
    text += "d008," + std::string(120, ' ') + "55.5\r\n";  // a long line
    text += "d012,33.5";                                   // the last line without its end
    const fs::path path = Path("damaged.CDF");
    ASSERT_TRUE(WriteFileBytes(path, text));
    const ColorBandParams before = g_colorBandParams;
    const double scale = g_viewScale;
    g_showBackgroundImage = -1;
    int32_t found = -1;
    ASSERT_EQ(ReadColorBandFile(path, kColorBandReadView | kColorBandReadPalette, &found), 1);
    const ColorBandParams& p = g_colorBandParams;
    EXPECT_EQ(p.mode, 1);
    EXPECT_EQ(p.shading, before.shading);
    EXPECT_EQ(p.textColourChange, 1);
    EXPECT_EQ(p.centre, before.centre);
    EXPECT_EQ(p.highest, before.highest);
    EXPECT_EQ(p.waterTransparent, before.waterTransparent);
    EXPECT_EQ(p.lowest, 55.5);
    EXPECT_EQ(p.lightElevation, 33.5);
    EXPECT_EQ(p.stripeColours[0], 0x00FF00);
    EXPECT_EQ(p.stripeColours[1], 0x00FF00);
    EXPECT_EQ(p.stripeColours[2], 0x102045);
    EXPECT_EQ(p.stripeColours[3], before.stripeColours[3]);
    EXPECT_EQ(p.spareColour, before.spareColour);
    EXPECT_EQ(p.birdsEyeColours[5], 0xABCDEF);
    EXPECT_EQ(g_viewScale, scale);
    EXPECT_NEAR(g_birdsEyeAzimuth, 1.5707963267948966, 1e-15);
    EXPECT_EQ(g_showBackgroundImage, 0);
    EXPECT_EQ(PaletteEntry(20).red, 0xFF);
    EXPECT_EQ(PaletteEntry(20).blue, 0);
    EXPECT_EQ(found, 8 | 1024 | kColorBandFoundPalette);
}

TEST_F(ColorBandFile, ViewAndPaletteLinesOnlyWhenAskedFor) {
    const fs::path path = Path("parts.CDF");
    ASSERT_TRUE(WriteFileBytes(path, "d001, 3\r\nv006, 1\r\nv003,2.5\r\np004,00FF00\r\n"));
    struct Case {
        int32_t what;
        int32_t birdsEye;
        double scale;
        int green;  // palette entry 22
        int32_t found;
    };
    const Case cases[] = {
        {0, 0, 1.0, 0, 0},
        {kColorBandReadView, 1, 2.5, 0, 32 | 4},
        {kColorBandReadPalette, 0, 1.0, 0xFF, kColorBandFoundPalette},
        {kColorBandReadView | kColorBandReadPalette, 1, 2.5, 0xFF, 32 | 4 | kColorBandFoundPalette},
    };
    for (const Case& c : cases) {
        InitDataModel();
        g_birdsEyeOn = 0;
        g_viewScale = 1.0;
        int32_t found = -1;
        ASSERT_EQ(ReadColorBandFile(path, c.what, &found), 1);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(g_colorBandParams.mode, 3);
        EXPECT_EQ(g_birdsEyeOn, c.birdsEye);
        EXPECT_EQ(g_viewScale, c.scale);
        EXPECT_EQ(PaletteEntry(22).green, c.green);
        EXPECT_EQ(found, c.found);
    }
    // Without a mask the result alone tells.
    EXPECT_EQ(ReadColorBandFile(path, 0), 1);
}

TEST_F(ColorBandFile, MissingFileAndFailedWriteAreReportedByTheResult) {
    int32_t found = -1;
    g_viewScale = 0.25;
    EXPECT_EQ(ReadColorBandFile(Path("none.CDF"), 3, &found), 0);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(ReadColorBandFile(m_dir, 3, &found), 0);  // a folder
    EXPECT_EQ(g_viewScale, 0.25);

    EXPECT_EQ(WriteColorBandFile(Path("no/such/folder/x.CDF")), 0);
    // A full disk: every byte is refused when the buffer goes out.
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(WriteColorBandFile("/dev/full"), 0);
    }
    // A file the writer cannot replace.
    fs::create_directories(Path("taken.CDF"));
    EXPECT_EQ(WriteColorBandFile(Path("taken.CDF")), 0);
    EXPECT_TRUE(fs::is_directory(Path("taken.CDF")));
}

TEST_F(ColorBandFile, SaveCommandProposesTheDataNameAndReportsAFailure) {
    ClearRecordedFileDialogs();
    ClearRecordedMessages();
    g_dataFolder = m_dir.string();
    g_documentTitle = "site";
    g_colorBandParams.mode = 1;
    const fs::path chosen = Path("site.CDF");
    QueueFileDialogAnswer(chosen.string());
    OnDisplayParameterSave();
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    const FileDialogRequest& asked = RecordedFileDialogs()[0];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, "段彩設定ファイルの選択");
    EXPECT_EQ(asked.fileName, "site.CDF");
    EXPECT_EQ(asked.defaultExtension, "CDF");
    EXPECT_EQ(asked.folder, m_dir.string());
    EXPECT_TRUE(RecordedMessages().empty());
    g_colorBandParams.mode = 0;
    ASSERT_EQ(ReadColorBandFile(chosen, 0), 1);
    EXPECT_EQ(g_colorBandParams.mode, 1);

    // Cancelled: nothing written, nothing said.
    QueueFileDialogAnswer("");
    OnDisplayParameterSave();
    EXPECT_TRUE(RecordedMessages().empty());

    // A place where the file cannot be made is told.
    const fs::path nowhere = Path("missing/site.CDF");
    QueueFileDialogAnswer(nowhere.string());
    OnDisplayParameterSave();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find(nowhere.string()), std::string::npos);
    EXPECT_FALSE(fs::exists(nowhere));
}

// Values that are no finite numbers, or beyond what the value can mean, are not taken:
// they would reach the drawing. One message names their lines; the other lines are read.
TEST_F(ColorBandFile, ValuesOutOfTheirRangeAreRefusedAndTold) {
    ClearRecordedMessages();
    ColorBandParams& p = g_colorBandParams;
    struct Case {
        const char* line;
        double* number;  // the field that keeps its value, or
        int32_t* integer;
    };
    const Case cases[] = {
        {"d012,1e308", &p.lightElevation, nullptr},
        {"d012,91", &p.lightElevation, nullptr},
        {"d011,inf", &p.lightAzimuth, nullptr},
        {"d006,nan", &p.centre, nullptr},
        {"d007,1e400", &p.highest, nullptr},
        {"d010,-1e6", &p.waterLevel, nullptr},  // an elevation no RND file can hold
        {"d022,1e15", &p.refX, nullptr},
        {"d026,90", &p.refInclination, nullptr},  // a vertical plane has no tangent
        {"d001,7", nullptr, &p.mode},
        {"d005,4e9", nullptr, &p.waterTransparent},
        {"v001,1e42", &g_viewCenterX, nullptr},
        {"v003,1e308", &g_viewScale, nullptr},
        {"v004,-inf", &g_birdsEyeAzimuth, nullptr},
        {"v009,5", nullptr, &g_penSize},
    };
    std::string text;
    std::vector<double> numbers;
    std::vector<int32_t> integers;
    for (const Case& c : cases) {
        text += std::string(c.line) + "\r\n";
        numbers.push_back(c.number ? *c.number : 0);
        integers.push_back(c.integer ? *c.integer : 0);
    }
    text += "d008,12.5\r\nv002,7.5\r\n";  // read around them
    const fs::path path = Path("range.CDF");
    ASSERT_TRUE(WriteFileBytes(path, text));
    int32_t found = 0;
    ASSERT_EQ(ReadColorBandFile(path, kColorBandReadView | kColorBandReadPalette, &found), 1);
    for (size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        if (c.number) {
            EXPECT_EQ(*c.number, numbers[k]) << c.line;
        } else {
            EXPECT_EQ(*c.integer, integers[k]) << c.line;
        }
    }
    EXPECT_EQ(p.lowest, 12.5);
    EXPECT_EQ(g_viewCenterY, 7.5);
    EXPECT_EQ(found, 2);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    const std::string& message = RecordedMessages()[0].text;
    EXPECT_NE(message.find("range.CDF"), std::string::npos);
    EXPECT_NE(message.find("行: 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 ほか 4 行"), std::string::npos)
        << message;

    // Values at the ends of their ranges are taken.
    ClearRecordedMessages();
    ASSERT_TRUE(WriteFileBytes(path, "d012,-90\r\nd011,360\r\nd010,-99999.999\r\nd001,3\r\n"
                                     "v001,999999999.9999\r\nv009,0\r\n"));
    ASSERT_EQ(ReadColorBandFile(path, kColorBandReadView, &found), 1);
    EXPECT_EQ(p.lightElevation, -90);
    EXPECT_EQ(p.lightAzimuth, 360);
    EXPECT_EQ(p.waterLevel, -99999.999);
    EXPECT_EQ(p.mode, 3);
    EXPECT_EQ(g_viewCenterX, 999999999.9999);
    EXPECT_EQ(g_penSize, 0);
    EXPECT_TRUE(RecordedMessages().empty());
}

// An input the fuzz target found while the reader took any band mode: refused and told.
TEST_F(ColorBandFile, BandModeFoundByFuzzingIsRefused) {
    ClearRecordedMessages();
    g_colorBandParams.mode = 2;
    ASSERT_EQ(ReadColorBandFile(NOSTREL_SOURCE_DIR "/tests/data/band_mode.CDF", 0), 1);
    EXPECT_EQ(g_colorBandParams.mode, 2);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("行: 1"), std::string::npos);
}
