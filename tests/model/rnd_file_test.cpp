#include "model/rnd_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <vector>

#include "contour/contour_files.h"
#include "file_test_support.h"
#include "model/bnd_file.h"
#include "model/geodesy.h"
#include "model/tri_file.h"

namespace fs = std::filesystem;

namespace {
const std::string kStars = "********************\r\n";
const std::string kFiveStars = kStars + kStars + kStars + kStars + kStars;

std::string PointLine(const char* name, double x, double y, double z, int a = 0, int b = 0,
                      int c = 0) {
    return FormatString("%-10.10s%14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n", name, x, y, z, a, b,
                        c);
}

class RndFile : public FileTest {
protected:
    // Loads `path` as the document; the result of ReadRndDocument.
    int32_t Load(const fs::path& path) {
        g_currentDataPath = path.string();
        return ReadRndDocument();
    }

    // Writes the loaded points as RND text; the bytes written.
    std::string Save(const std::string& name, int32_t* result = nullptr) {
        const fs::path path = Dir() / name;
        TextFileWriter file(path);
        const int32_t r = WriteRndText(file);
        EXPECT_TRUE(file.Close());
        if (result) *result = r;
        return Read(path);
    }
};

// A point line with the fields' texts put right-aligned into their columns as they are.
std::string RawLine(const char* name, const char* x, const char* y, const char* z) {
    return FormatString("%-10.10s%14s  %14s  %10s  0  0  0\r\n", name, x, y, z);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at + 2));
        at = end + 2;
    }
    return lines;
}
}  // namespace

// Files written by another program load completely and are written back byte for byte.
TEST_F(RndFile, RealDataLoadsAndWritesBackIdentically) {
    struct Case {
        const char* file;
        int32_t count;
        const char* lastName;
        double lastX, lastY, lastZ;
        double zMin, zMax;
    };
    const Case cases[] = {
        {"jacksboro_grid.RND", 138632, "G138632", 92.6624, 29909.2295, 272.0, 236.0, 1076.0},
        {"jacksboro_scatter20k.RND", 20000, "S20000", 16186.0327, 20618.7420, 347.901, 246.0,
         1075.213},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        InitDataModel();
        const fs::path path = Data(c.file);
        ASSERT_TRUE(fs::exists(path)) << path;
        ASSERT_EQ(Load(path), -1);
        EXPECT_EQ(g_pointCount, c.count);
        EXPECT_EQ(g_pointsPresent, -1);
        EXPECT_EQ(g_tinPresent, 0);
        EXPECT_EQ(g_planeZone, 0);
        EXPECT_STREQ(g_points[c.count].name, c.lastName);
        EXPECT_DOUBLE_EQ(g_points[c.count].x, c.lastX);
        EXPECT_DOUBLE_EQ(g_points[c.count].y, c.lastY);
        EXPECT_DOUBLE_EQ(g_points[c.count].z, c.lastZ);
        EXPECT_LT(g_points[c.count + 1].hidden, 0);
        EXPECT_EQ(g_documentTitle, path.stem().string());
        EXPECT_EQ(fs::path(g_dataFolder), path.parent_path());
        EXPECT_EQ(fs::current_path(), fs::canonical(path.parent_path()));
        EXPECT_DOUBLE_EQ(g_pointZMin, c.zMin);
        EXPECT_DOUBLE_EQ(g_pointZMax, c.zMax);
        EXPECT_TRUE(Save("back.RND") == Read(path)) << "written back differently";
        EXPECT_TRUE(RecordedMessages().empty());
    }
}

TEST_F(RndFile, ZoneHeaderIsReadAndWrittenBack) {
    struct Case {
        std::string header;
        int32_t zone;
        std::string firstLineWritten;
    };
    const Case cases[] = {
        {"BL 9\r\n" + kStars + kStars + kStars + kStars, 9, "BL 9\r\n"},
        {"BL19\r\n" + kStars + kStars + kStars + kStars, 19, "BL19\r\n"},
        {kStars + kStars + "BL 3\r\n" + kStars + kStars, 3, "BL 3\r\n"},
        {kFiveStars, 0, kStars},
        {"BL99\r\n" + kStars + kStars + kStars + kStars, 0, kStars},  // no such zone
        {"BL-4\r\n" + kStars + kStars + kStars + kStars, 0, kStars},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header.substr(0, 4));
        InitDataModel();
        g_planeZone = 7;
        const std::string body =
            PointLine("A1", 1.5, 2.5, 3.5) + PointLine("A2", -4.25, 5, 6.125, 1, 1, 3);
        ASSERT_EQ(Load(Write("z.RND", c.header + body)), -1);
        EXPECT_EQ(g_planeZone, c.zone);
        EXPECT_EQ(g_pointCount, 2);
        const std::vector<std::string> lines = Lines(Save("out.RND"));
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[0], c.firstLineWritten);
        for (int i = 1; i < 5; ++i) EXPECT_EQ(lines[i], kStars);
        for (int i = 5; i < 7; ++i) {
            EXPECT_EQ(lines[i].size(), 63u);
            EXPECT_EQ(lines[i].substr(61), "\r\n");
        }
        EXPECT_EQ(lines[5] + lines[6], body);
    }
}

// Every line is read by its own columns: never past its end, never into a second point.
TEST_F(RndFile, LinesAreReadByTheirColumns) {
    const std::string full = PointLine("NAME", 12.5, -3.25, 7.125, 1, 1, 2);
    struct Case {
        const char* what;
        std::string line;
        const char* name;
        double x, y, z;
        int invalid, outside, plot;
    };
    const Case cases[] = {
        {"full line", full, "NAME", 12.5, -3.25, 7.125, 1, 1, 2},
        {"LF only", full.substr(0, 61) + "\n", "NAME", 12.5, -3.25, 7.125, 1, 1, 2},
        {"CR only", full.substr(0, 61) + "\r", "NAME", 12.5, -3.25, 7.125, 1, 1, 2},
        {"trailing blanks", full.substr(0, 61) + "    \r\n", "NAME", 12.5, -3.25, 7.125, 1, 1, 2},
        {"no flag columns", full.substr(0, 52) + "\r\n", "NAME", 12.5, -3.25, 7.125, 0, 0, 0},
        {"nine-character name", PointLine("ABCDEFGHI", 1, 2, 3), "ABCDEFGHI", 1, 2, 3, 0, 0, 0},
        {"ten-character name", PointLine("ABCDEFGHIJ", 1, 2, 3), "ABCDEFGHIJ", 1, 2, 3, 0, 0, 0},
        // Five double-byte characters fill the ten columns.
        {"Shift-JIS name", PointLine("\x93\x5F\x82\xA0\x82\xA2\x82\xA4\x82\xA6", 1, 2, 3),
         "\x93\x5F\x82\xA0\x82\xA2\x82\xA4\x82\xA6", 1, 2, 3, 0, 0, 0},
        {"colour name with a control character in column 7", PointLine("#12AB3F\x01", 1, 1, 1),
         "#12AB3F!", 1, 1, 1, 0, 0, 0},
        {"colour name padded", PointLine("#12AB3F", 1, 1, 1), "#12AB3F", 1, 1, 1, 0, 0, 0},
        {"exponent that fits", RawLine("E", "1.25e3", "-2.5E-1", "1e2"), "E", 1250, -0.25, 100, 0,
         0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        ASSERT_EQ(Load(Write("c.RND", kFiveStars + c.line)), -1);
        ASSERT_EQ(g_pointCount, 1);
        const RandomPoint& p = g_points[1];
        EXPECT_STREQ(p.name, c.name);
        EXPECT_DOUBLE_EQ(p.x, c.x);
        EXPECT_DOUBLE_EQ(p.y, c.y);
        EXPECT_DOUBLE_EQ(p.z, c.z);
        EXPECT_EQ(p.invalid, c.invalid);
        EXPECT_EQ(p.outside, c.outside);
        EXPECT_EQ(p.plotKind, c.plot);
        EXPECT_EQ(p.flags, 0);
        EXPECT_EQ(p.hidden, 0);
        EXPECT_TRUE(RecordedMessages().empty());
    }
}

// Names of up to ten bytes come back whole and distinct, and are written as they were.
TEST_F(RndFile, LongNamesStayDistinctAndAreWrittenBack) {
    const char* names[] = {"ABCDEFGH", "ABCDEFGHI", "ABCDEFGHIJ",
                           "\x93\x5F\x82\xA0\x82\xA2\x82\xA4\x82\xA6",   // five characters
                           "\x93\x5F\x82\xA0\x82\xA2\x82\xA4\x82\xA8"};  // the last differs
    std::string text = kFiveStars;
    for (int i = 0; i < 5; ++i) text += PointLine(names[i], i, i, i);
    const fs::path path = Write("n.RND", text);
    ASSERT_EQ(Load(path), -1);
    ASSERT_EQ(g_pointCount, 5);
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(g_points[i + 1].name, names[i]) << i;
    EXPECT_TRUE(Save("back.RND") == text);

    // A name longer than the ten columns is cut before a double-byte character, never
    // inside it.
    std::strcpy(g_points[1].name, "ABCDEFGHI\x82\xA0");
    EXPECT_EQ(Lines(Save("cut.RND"))[5].substr(0, 10), "ABCDEFGHI ");
}

// A line that is not a point is never loaded as one. Damage among the points refuses the
// file (skipping it would renumber the points the TIN and outline name); a damaged end
// is skipped with a message; a file that is mostly not points is refused.
TEST_F(RndFile, LinesThatAreNotPointsAreToldByTheirNumbers) {
    const std::string a = PointLine("A", 1, 2, 3), b = PointLine("B", 4, 5, 6),
                      c = PointLine("C", 7, 8, 9);
    std::string random(200000, '\0');
    uint32_t seed = 12345;
    for (char& ch : random) {
        seed = seed * 1103515245u + 12345u;
        ch = static_cast<char>(seed >> 16);
    }
    struct Case {
        const char* what;
        std::string text;
        int32_t points;      // loaded, or -1 when the file is refused
        const char* lines;   // the lines the message names
    };
    const Case cases[] = {
        {"cut in the middle of Y", a + b.substr(0, 37) + "\r\n" + c, -1, "7"},
        {"cut in the flags", a + b.substr(0, 56) + "\r\n" + c, -1, "7"},
        {"not numbers", a + RawLine("B", "abc", "def", "ghi") + c, -1, "7"},
        {"not a finite number", a + RawLine("B", "nan", "inf", "1.0") + c, -1, "7"},
        {"sign twice", a + RawLine("B", "+-1.0", "2.0", "3.0") + c, -1, "7"},
        {"name only", a + "NAME\r\n" + c, -1, "7"},
        // Printed wider than its column, 1e15 runs into the next ones.
        {"X wider than its column", a + FormatString("B%-9s%14.4f  %14.4f  %10.3f  0  0  0\r\n",
                                                     "", 1e15, 2.0, 3.0) + c,
         -1, "7"},
        {"exponent beyond the column", a + RawLine("B", "1e42", "2.0", "3.0") + c, -1, "7"},
        {"Z beyond its column", a + RawLine("B", "1.0", "2.0", "1.5e+06") + c, -1, "7"},
        {"two points on one line", a + b.substr(0, 61) + c + a, -1, "7"},
        {"flag that is no digit", a + b.substr(0, 54) + "x" + b.substr(55) + c, -1, "7"},
        {"several bad lines", a + "x\r\n" + b + "yy\r\n\r\nzzz\r\n" + c, -1, "7, 9, 11"},
        {"cut at the end", a + b + c.substr(0, 30), 2, "8"},
        {"NUL padding at the end", a + b + std::string(500, '\0'), 2, "8"},
        {"more damage than points at the end", a + "x\r\ny\r\n", -1, "7, 8"},
        {"random bytes", random, -1, nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        InitDataModel();
        ClearRecordedMessages();
        MakePoints(5);  // loaded before: a refused file leaves them
        g_planeZone = 4;
        const RandomPoint* before = g_points;
        const int32_t result = Load(Write("bad.RND", kFiveStars + k.text));
        ASSERT_EQ(RecordedMessages().size(), 1u);
        const std::string& text = RecordedMessages()[0].text;
        EXPECT_NE(text.find("bad.RND"), std::string::npos) << text;
        if (k.lines) {
            EXPECT_NE(text.find(std::string("行: ") + k.lines), std::string::npos) << text;
        }
        if (k.points < 0) {
            EXPECT_EQ(result, 0);
            EXPECT_NE(text.find("読み込めません"), std::string::npos) << text;
            EXPECT_EQ(g_pointCount, 5);
            EXPECT_EQ(g_points, before);
            EXPECT_STREQ(g_points[5].name, "P5");
            EXPECT_DOUBLE_EQ(g_points[5].x, 105);
            EXPECT_LT(g_points[6].hidden, 0);
            EXPECT_EQ(g_planeZone, 4);
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_NE(text.find("読み飛ばしました"), std::string::npos) << text;
            ASSERT_EQ(g_pointCount, k.points);
            EXPECT_STREQ(g_points[2].name, "B");
            EXPECT_LT(g_points[3].hidden, 0);
        }
    }
}

// Long files keep their line numbers in the message, whatever their line ends.
TEST_F(RndFile, BadLineNumbersCountEveryLineEnd) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        InitDataModel();
        ClearRecordedMessages();
        std::string text;
        for (int i = 0; i < 5; ++i) text += std::string("********************") + end;
        for (int i = 1; i <= 20; ++i) {
            std::string line = PointLine("Q", i, i, i);
            line.resize(61);
            if (i == 12 || i == 17) line.resize(30);
            text += line + end;
        }
        EXPECT_EQ(Load(Write("l.RND", text)), 0);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_NE(RecordedMessages()[0].text.find("行: 17, 22"), std::string::npos)
            << RecordedMessages()[0].text;

        InitDataModel();
        text.clear();
        for (int i = 0; i < 5; ++i) text += std::string("********************") + end;
        for (int i = 1; i <= 20; ++i) text += PointLine("Q", i, i, i).substr(0, 61) + end;
        ASSERT_EQ(Load(Write("l.RND", text)), -1);
        EXPECT_EQ(g_pointCount, 20);
        EXPECT_DOUBLE_EQ(g_points[20].z, 20);
    }
}

TEST_F(RndFile, BlankLinesAndAShortHeaderGiveNoPoints) {
    ASSERT_EQ(Load(Write("b.RND", kFiveStars + "\r\n" + PointLine("A", 1, 2, 3) + "   \r\n" +
                                      PointLine("B", 4, 5, 6).substr(0, 61))),
              -1);
    EXPECT_EQ(g_pointCount, 2);
    EXPECT_STREQ(g_points[2].name, "B");
    EXPECT_DOUBLE_EQ(g_points[2].z, 6);

    InitDataModel();
    ASSERT_EQ(Load(Write("h.RND", kStars + kStars)), -1);
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(g_pointsPresent, -1);
    EXPECT_LT(g_points[1].hidden, 0);
}

// A block too small for the file: the reader says how many lines did not fit, the
// document grows the block by that and reads the file again.
TEST_F(RndFile, FileLargerThanTheBlockIsReadInTwoPasses) {
    std::string text = kFiveStars;
    for (int i = 1; i <= 30; ++i) text += PointLine(FormatString("Q%d", i).c_str(), i, -i, i * 0.5);
    const fs::path path = Write("big.RND", text);

    g_pointCapacity = 10;
    ASSERT_EQ(GrowPointBlock(10), 0);
    g_pointCount = 3;
    // Records 1..8 fit beside the end marker; 22 lines are left over.
    EXPECT_EQ(ReadRndText(std::fopen(path.c_str(), "rb")), 22);
    EXPECT_EQ(g_pointCount, 3);

    InitDataModel();
    g_pointCapacity = 10;
    ASSERT_EQ(GrowPointBlock(10), 0);
    ASSERT_EQ(Load(path), -1);
    EXPECT_EQ(g_pointCount, 30);
    EXPECT_EQ(g_pointCapacity, 10 + 22 + 8);
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ(std::string(g_points[i].name), FormatString("Q%d", i));
        EXPECT_DOUBLE_EQ(g_points[i].x, i);
    }
    EXPECT_LT(g_points[31].hidden, 0);
}

// Flags that do not fit one digit are written as what they mean in the file; the
// line never widens.
TEST_F(RndFile, FlagsAreWrittenInOneDigit) {
    MakePoints(4);
    g_points[1].invalid = 99;  // made invalid only while an area tool is open
    g_points[2].invalid = 12;
    g_points[3].plotKind = -1;
    g_points[3].outside = 2;
    std::strcpy(g_points[4].name, "AB\r\nCD");
    int32_t result = 0;
    const std::vector<std::string> lines = Lines(Save("f.RND", &result));
    EXPECT_EQ(result, kRndWritten);
    ASSERT_EQ(lines.size(), 9u);
    for (int i = 5; i < 9; ++i) ASSERT_EQ(lines[i].size(), 63u) << lines[i];
    EXPECT_EQ(lines[5].substr(52), "  0  0  0\r\n");
    EXPECT_EQ(lines[6].substr(52), "  1  0  0\r\n");
    EXPECT_EQ(lines[7].substr(52), "  0  2  0\r\n");
    EXPECT_EQ(lines[8].substr(0, 10), "AB  CD    ");
}

TEST_F(RndFile, CoordinateThatDoesNotFitIsRefused) {
    struct Case {
        const char* what;
        double x, y, z;
        bool fits;
    };
    const Case cases[] = {
        {"widest X", 999999999.9999, 0, 0, true},
        {"widest negative Y", 0, -99999999.9999, 0, true},
        {"widest Z", 0, 0, 999999.999, true},
        {"widest negative Z", 0, 0, -99999.999, true},
        {"X rounds to 15 columns", 999999999.99996, 0, 0, false},
        {"Y too far west", 0, -100000000.0, 0, false},
        {"Z too high", 0, 0, 1000000.0, false},
        {"Z too low", 0, 0, -100000.0, false},
        {"X not a number", NAN, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        ClearRecordedMessages();
        MakePoints(3);
        g_points[2].x = c.x;
        g_points[2].y = c.y;
        g_points[2].z = c.z;
        int32_t result = 0;
        const std::string text = Save("w.RND", &result);
        if (c.fits) {
            EXPECT_EQ(result, kRndWritten);
            EXPECT_EQ(text.size(), 5 * 22 + 3 * 63u);
            EXPECT_TRUE(RecordedMessages().empty());
        } else {
            EXPECT_EQ(result, kRndWriteFailed);
            EXPECT_EQ(text, "");  // nothing half-written
            ASSERT_EQ(RecordedMessages().size(), 1u);
            EXPECT_NE(RecordedMessages()[0].text.find("点 2"), std::string::npos);
        }
    }
}

TEST_F(RndFile, WriterReportsNoDataAndFailedWrites) {
    TextFileWriter none(Dir() / "none.RND");
    EXPECT_EQ(WriteRndText(none), kRndNoData);
    EXPECT_TRUE(none.Close());
    EXPECT_EQ(Read(Dir() / "none.RND"), "");

    MakePoints(2000);
    TextFileWriter full("/dev/full");
    ASSERT_TRUE(full.IsOpen());
    EXPECT_EQ(WriteRndText(full), kRndWriteFailed);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("ファイル書き込みができません"), std::string::npos);
}

// A file that cannot be read leaves the loaded document's data as they were.
TEST_F(RndFile, UnreadableFileKeepsTheLoadedData) {
    MakePoints(5);
    g_tinPresent = -1;
    const RandomPoint* before = g_points;
    EXPECT_EQ(Load(Dir() / "missing.RND"), 0);
    EXPECT_TRUE(g_currentDataPath.empty());
    EXPECT_EQ(g_pointCount, 5);
    EXPECT_EQ(g_pointsPresent, -1);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_points, before);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("missing.RND"), std::string::npos);

    // No memory for the second pass: the old points come back.
    std::string text = kFiveStars;
    for (int i = 1; i <= 40; ++i) text += PointLine("X", i, i, i);
    const fs::path path = Write("x.RND", text);
    g_pointCapacity = 10;
    InjectAllocationFailures(1);  // the first block is made, its enlargement fails
    EXPECT_EQ(Load(path), 0);
    InjectAllocationFailures(-1, 0);
    EXPECT_EQ(g_pointCount, 5);
    EXPECT_EQ(g_pointCapacity, 10);
    EXPECT_STREQ(g_points[5].name, "P5");
    EXPECT_LT(g_points[6].hidden, 0);
    EXPECT_TRUE(g_currentDataPath.empty());
}

TEST_F(RndFile, DefaultContourLevelsFollowTheElevationRange) {
    struct Case {
        double low, high;
        double minZ, maxZ, interval;
    };
    const Case cases[] = {
        // The lowest level is the first multiple of the interval at or above the lowest point.
        {10.7, 59.9, 11, 59, 1},     {10.2, 60.0, 12, 60, 2},   {0.5, 99.9, 2, 99, 2},
        {100.0, 200.0, 100, 200, 5}, {-12.7, 30.2, -12, 30, 1}, {236.0, 1076.0, 240, 1076, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.high - c.low);
        InitDataModel();
        // Invalid points and points outside the outline do not count.
        std::string text = kFiveStars + PointLine("L", 0, 0, c.low) + PointLine("H", 1, 1, c.high) +
                           PointLine("I", 2, 2, c.low - 500, 1) +
                           PointLine("O", 3, 3, c.high + 500, 0, 1);
        ASSERT_EQ(Load(Write("c.RND", text)), -1);
        EXPECT_DOUBLE_EQ(g_pointZMin, c.low);
        EXPECT_DOUBLE_EQ(g_pointZMax, c.high);
        EXPECT_DOUBLE_EQ(g_contourMinZ, c.minZ);
        EXPECT_DOUBLE_EQ(g_contourMaxZ, c.maxZ);
        EXPECT_DOUBLE_EQ(g_contourInterval, c.interval);
        EXPECT_DOUBLE_EQ(g_indexContourInterval, 5 * c.interval);
    }
}

// ---- .TRI ----

namespace {
std::string TriBytes(int32_t holes, int32_t count,
                     const std::vector<std::array<int32_t, 4>>& edges) {
    std::string out;
    auto put = [&](int32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    put(0);
    put(holes);
    put(count);
    put(1);
    for (const auto& e : edges)
        for (int32_t v : e) put(v);
    return out;
}
}  // namespace

TEST_F(RndFile, TriRecordsOutsideThePointsAreDroppedAndTheRestCloseUp) {
    MakePoints(4);
    const std::vector<std::array<int32_t, 4>> edges = {
        {1, 2, kNoApex, 3}, {2, 5, 1, 3},   // 5 is no point
        {-2, -3, -1, -4},                   // a hole edge
        {0, 3, kNoApex, 2},                 // 0 is no point either
        {3, 4, 2, 0},       {4, 1, -6, 2},  // apex back beyond the points
        {4, 2, 1, 3},
    };
    const fs::path path = Write("t.tri", TriBytes(1, 7, edges));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_EQ(ReadTriFile(f), 0);
    std::fclose(f);
    EXPECT_EQ(g_holesInverted, 1);
    ASSERT_EQ(g_tinEdgeCount, 4);
    const int32_t want[4][4] = {{1, 2, kNoApex, 3}, {-2, -3, -1, -4}, {3, 4, 2, 0}, {4, 2, 1, 3}};
    for (int i = 0; i < 4; ++i) {
        const TinEdge& e = g_tinEdges[i + 1];
        EXPECT_EQ((std::array<int32_t, 4>{e.a, e.b, e.apexBack, e.apexSearch}),
                  (std::array<int32_t, 4>{want[i][0], want[i][1], want[i][2], want[i][3]}));
    }
    EXPECT_EQ(g_tinEdges[5].a, -1);
    EXPECT_EQ(g_tinEdges[5].apexSearch, -1);
}

TEST_F(RndFile, DamagedTriLeavesTheTinUnchanged) {
    MakePoints(3);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
    g_tinEdgeCount = 1;
    SetTinEndRecord();
    const std::string good = TriBytes(0, 2, {{1, 2, kNoApex, 3}, {2, 3, 1, 0}});
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"zero edges", TriBytes(0, 0, {})},
        {"negative count", TriBytes(0, -3, {{1, 2, kNoApex, 3}})},
        {"absurd count", TriBytes(0, 100000001, {{1, 2, kNoApex, 3}})},
        {"count beyond the file", TriBytes(0, 3, {{1, 2, kNoApex, 3}, {2, 3, 1, 0}})},
        {"cut in a record", good.substr(0, good.size() - 3)},
        {"cut in the header", good.substr(0, 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = Write("d.tri", c.bytes);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        EXPECT_EQ(ReadTriFile(f), -1);
        std::fclose(f);
        EXPECT_EQ(g_tinEdgeCount, 1);
        EXPECT_EQ(g_tinEdges[1].apexSearch, 3);
    }
    EXPECT_EQ(ReadTriFile(nullptr), -1);
}

TEST_F(RndFile, TriGrowsTheBlockForManyEdges) {
    MakePoints(3);
    std::vector<std::array<int32_t, 4>> edges(50, {1, 2, kNoApex, 3});
    g_tinEdgeCapacity = 10;
    ASSERT_EQ(GrowTinEdgeBlock(10), 0);
    const fs::path path = Write("m.tri", TriBytes(0, 50, edges));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_EQ(ReadTriFile(f), 0);
    std::fclose(f);
    EXPECT_EQ(g_tinEdgeCount, 50);
    EXPECT_EQ(g_tinEdgeCapacity, 50 + 10000);  // 5 x points is too small
    EXPECT_EQ(g_tinEdges[51].a, -1);
}

// ---- .BND ----

namespace {
std::string BndText(const std::vector<int>& numbers) {
    std::string text = kFiveStars + "BOUND1\r\n";
    for (int v : numbers) text += FormatString("%6d\r\n", v);
    return text;
}

void ReadBnd(const fs::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadBndFile(f), 0);
    std::fclose(f);
}
}  // namespace

TEST_F(RndFile, BndIsReadClosedWithItsVerticesMarked) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<int32_t> vertices;
    };
    const Case cases[] = {
        {"as written", BndText({4, 1, 3, 5, 2}), {1, 3, 5, 2}},
        {"count too large", BndText({9, 1, 3, 5}), {1, 3, 5}},
        {"count beyond the points", BndText({70, 1, 2, 3}), {1, 2, 3}},
        {"count too small", BndText({2, 1, 3, 5, 2}), {1, 3, 5, 2}},
        {"vertex beyond the points", BndText({4, 1, 3, 9, 2}), {1, 3}},
        {"zero vertex", BndText({4, 1, 0, 5, 2}), {1}},
        {"empty line ends", BndText({4, 1, 3}) + "\r\n" + FormatString("%6d\r\n", 5), {1, 3}},
        {"LF line ends", "*\n*\n*\n*\n*\nBOUND1\n3\n2\n4\n6\n", {2, 4, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        MakePoints(6);
        for (int i = 1; i <= 6; ++i) g_points[i].flags = 0x0C;
        g_outline[150] = 77;  // left from an earlier outline
        ReadBnd(Write("o.bnd", c.text));
        const int32_t n = static_cast<int32_t>(c.vertices.size());
        ASSERT_EQ(g_outline.Count(), n);
        for (int32_t i = 0; i < n; ++i) EXPECT_EQ(g_outline[i + 1], c.vertices[i]);
        if (n > 0) {
            EXPECT_EQ(g_outline[n + 1], g_outline[1]);
        }
        EXPECT_EQ(g_outline[150], 0);
        for (int32_t v : c.vertices) EXPECT_EQ(g_points[v].flags, 0x01) << v;
    }
    ASSERT_EQ(ReadBndFile(nullptr), -1);
    EXPECT_EQ(g_outline.Count(), 0);
}

TEST_F(RndFile, BndIsWrittenInItsFixedForm) {
    MakePoints(5);
    for (int v : {2, 4, 5}) g_outline.Append(v);
    g_outline.Close();
    EXPECT_EQ(WriteBndFile(Dir() / "doc.RND"), -1);
    EXPECT_EQ(Read(Dir() / "doc.BND"),
              kFiveStars + "BOUND1\r\n     3\r\n     2\r\n     4\r\n     5\r\n");
}

// ---- the document with its companions ----

TEST_F(RndFile, CompanionsAreFoundWhateverTheirCase) {
    for (const char* ext : {".tri", ".TRI", ".Tri"}) {
        SCOPED_TRACE(ext);
        InitDataModel();
        fs::remove_all(Dir());
        fs::create_directories(Dir());
        std::string text = kFiveStars;
        for (int i = 1; i <= 4; ++i) text += PointLine("K", i, i * i, i);
        const fs::path doc = Write("doc.RND", text);
        Write(std::string("doc") + ext, TriBytes(1, 2, {{1, 2, kNoApex, 3}, {2, 3, 1, 4}}));
        const std::string bndExt = ext[1] == 't' ? ".bnd" : ".BND";
        Write("doc" + bndExt, BndText({3, 1, 2, 4}));
        ASSERT_EQ(Load(doc), -1);
        EXPECT_EQ(g_tinPresent, -1);
        EXPECT_EQ(g_tinEdgeCount, 2);
        EXPECT_EQ(g_holesInverted, 1);
        EXPECT_EQ(g_outline.Count(), 3);
        EXPECT_EQ(g_outline[4], 1);
        EXPECT_EQ(g_points[4].flags, 0x01);
        EXPECT_TRUE(RecordedMessages().empty());
    }
}

TEST_F(RndFile, DamagedTriIsToldAndThePointsStillLoad) {
    const fs::path doc = Write("d.RND", kFiveStars + PointLine("A", 1, 1, 1) +
                                            PointLine("B", 2, 1, 1) + PointLine("C", 1, 2, 1));
    Write("d.TRI", TriBytes(0, 5, {{1, 2, kNoApex, 3}}));
    ASSERT_EQ(Load(doc), -1);
    EXPECT_EQ(g_pointCount, 3);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinEdges[1].a, -1);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("d.TRI"), std::string::npos);
}

// Save and load give back points, TIN and outline; saving without a TIN or outline
// removes the stale companions in whatever case they were written.
TEST_F(RndFile, SavedDocumentComesBackAndStaleCompanionsGo) {
    MakePoints(4);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
    g_tinEdges[2] = TinEdge{-2, -3, -1, -4, 0};
    g_tinEdgeCount = 2;
    SetTinEndRecord();
    g_tinPresent = -1;
    for (int v : {1, 2, 4}) g_outline.Append(v);
    g_outline.Close();
    const fs::path doc = Dir() / "s.RND";
    Write("s.tri", "stale");
    Write("s.bnd", "stale");
    {
        TextFileWriter file(doc);
        EXPECT_EQ(WriteRndText(file), kRndWritten);
        EXPECT_TRUE(file.Close());
    }
    EXPECT_EQ(WriteTriFile(doc), 0);
    WriteBndFile(doc);
    EXPECT_FALSE(fs::exists(Dir() / "s.tri"));  // the lower-case copy would shadow the new one
    EXPECT_FALSE(fs::exists(Dir() / "s.bnd"));

    InitDataModel();
    ASSERT_EQ(Load(doc), -1);
    EXPECT_EQ(g_pointCount, 4);
    ASSERT_EQ(g_tinEdgeCount, 2);
    EXPECT_EQ(g_tinEdges[2].a, -2);
    EXPECT_EQ(g_tinEdges[2].apexSearch, -4);
    EXPECT_EQ(g_outline.Count(), 3);
    EXPECT_TRUE(g_outline.IsClosed());

    g_tinPresent = 0;
    g_outline.Reset();
    Write("s.tri", "stale");
    EXPECT_EQ(WriteTriFile(doc), -1);
    EXPECT_EQ(WriteBndFile(doc), 0);
    for (const char* name : {"s.TRI", "s.tri", "s.BND"})
        EXPECT_FALSE(fs::exists(Dir() / name)) << name;
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(RndFile, CompanionWriteFailuresAreTold) {
    MakePoints(3);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
    g_tinEdgeCount = 1;
    g_tinPresent = -1;
    g_outline.Append(1);
    const fs::path doc = Dir() / "no_such_folder" / "x.RND";
    EXPECT_EQ(WriteTriFile(doc), -1);
    EXPECT_EQ(WriteBndFile(doc), -1);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_NE(RecordedMessages()[0].text.find("x.TRI"), std::string::npos);
    EXPECT_NE(RecordedMessages()[1].text.find("x.BND"), std::string::npos);
}
