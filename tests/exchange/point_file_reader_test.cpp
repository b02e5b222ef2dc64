// The line-oriented point formats: SIMA, RND text, the fixed-column and comma dialects
// and SUNMAP.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "exchange/import_request.h"
#include "exchange/point_file_reader.h"
#include "import_test_support.h"
#include "platform/encoding.h"
#include "shell/status_text.h"

namespace {

using importtest::ImportFixture;
using importtest::RunCommand;

class PointFileReader : public ImportFixture {
protected:
    int32_t Read(const std::string& text, int32_t kind, int32_t takeZero = 0, int32_t addError = 0,
                 int32_t digits = 5, ImportSkippedLines* skipped = nullptr) {
        const auto path = Write("in.txt", text);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        EXPECT_NE(f, nullptr);
        const int32_t r = ReadImportPointFile(f, kind, takeZero, 3, addError, digits, skipped);
        std::fclose(f);
        return r;
    }
};

TEST_F(PointFileReader, SimaCoordinateRecordShapes) {
    struct Case {
        const char* line;
        int32_t takeZero;
        int32_t points;
        const char* name;
        double x, y, z;
    };
    const Case cases[] = {
        {"A01,1,P1,100.000,200.000,10.000,", 0, 1, "P1", 100, 200, 10},
        {"A01,2,P2,100.000,200.000,,", 0, 0, "", 0, 0, 0},
        {"A01,2,P2,100.000,200.000,,", 1, 1, "P2", 100, 200, 0},
        {"A01,3,,100.000,200.000,5.000,", 0, 1, "", 100, 200, 5},
        {"A01,4,,,,", 1, 0, "", 0, 0, 0},
        {"G00,01,-,", 1, 0, "", 0, 0, 0},
        {"D00,1,,1,", 1, 0, "", 0, 0, 0},
        {"B01,1,,", 1, 0, "", 0, 0, 0},
        {"E01,1,,2,,3,,", 1, 0, "", 0, 0, 0},
        {"A99,", 1, 0, "", 0, 0, 0},
        {"A01,5,ABC DEF GHIJ,1.5,2.5,3.5,", 0, 1, "ABCDEFGHI", 1.5, 2.5, 3.5},
        {"A01,6,\"Q\",-7.25,8,9,", 0, 1, "Q", -7.25, 8, 9},
        // A parcel member named like a record code is no coordinate record.
        {"B01,7,A01,", 1, 0, "", 0, 0, 0},
    };
    for (const Case& c : cases) {
        InitDataModel();
        for (const char* end : {"\n", "\r\n"}) {
            const int32_t before = g_pointCount;
            ASSERT_EQ(Read(std::string(c.line) + end, kImportKindSima, c.takeZero), 0) << c.line;
            ASSERT_EQ(g_pointCount - before, c.points) << c.line;
            if (c.points == 0) continue;
            const RandomPoint& p = g_points[g_pointCount];
            EXPECT_EQ(std::string(p.name), c.name) << c.line;
            EXPECT_EQ(p.x, c.x);
            EXPECT_EQ(p.y, c.y);
            EXPECT_EQ(p.z, c.z);
            EXPECT_EQ(p.plotKind, 3);
            EXPECT_EQ(p.invalid, 0);
        }
        ExpectConsistent();
    }
}

TEST_F(PointFileReader, RndTextHeaderOnlyAppendsNothing) {
    std::string header = " 9\r\n*\r\n*\r\n*\r\n*\r\n";
    ASSERT_EQ(Read(header, kImportKindRnd, 1), 0);
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(StatusText(), "0 Points");
}

TEST_F(PointFileReader, RndTextKeepsItsFlags) {
    char line[80];
    std::snprintf(line, sizeof line, "%-8s  %14.4f  %14.4f  %10.3f  %d  %d  %d\r\n", "P7", 123.4567,
                  -89.125, 12.5, 1, 1, 2);
    ASSERT_EQ(Read("*\r\n*\r\n*\r\n*\r\n*\r\n" + std::string(line), kImportKindRnd), 0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(Name(1), "P7");
    EXPECT_DOUBLE_EQ(g_points[1].x, 123.4567);
    EXPECT_DOUBLE_EQ(g_points[1].y, -89.125);
    EXPECT_DOUBLE_EQ(g_points[1].z, 12.5);
    EXPECT_EQ(g_points[1].invalid, 1);
    EXPECT_EQ(g_points[1].outside, 1);
    EXPECT_EQ(g_points[1].plotKind, 2);
}

// Each dialect's columns, checked against `cut -c` of the same file: a line with decoy
// letters around the fields gives the values cut out of exactly those columns.
TEST_F(PointFileReader, FixedColumnDialectsMatchCut) {
    struct Dialect {
        int32_t kind;
        int n1, n2, x1, x2, y1, y2, z1, z2;
        int headerLines;
    };
    const Dialect dialects[] = {
        {kImportKindRnd, 1, 8, 11, 24, 27, 40, 43, 52, 5},
        {kImportKindWing, 12, 19, 35, 48, 56, 69, 83, 90, 0},
        {kImportKindBlueTrend, 7, 14, 24, 38, 40, 54, 56, 70, 0},
        {kImportKindTrend, 8, 15, 17, 30, 32, 45, 51, 61, 0},
        {kImportKindSeiko, 6, 20, 21, 35, 36, 50, 51, 62, 0},
        {kImportKindSunmap, 59, 66, 32, 44, 19, 31, 45, 57, 0},
    };
    auto put = [](std::string& line, int a, int b, const std::string& v) {
        const int w = b - a + 1;
        std::string field = v.size() >= static_cast<size_t>(w) ? v.substr(0, w)
                                                                : std::string(w - v.size(), ' ') + v;
        line.replace(a - 1, w, field);
    };
    for (const Dialect& d : dialects) {
        for (const char* end : {"\n", "\r\n"}) {
            InitDataModel();
            std::string line(std::max({d.n2, d.x2, d.y2, d.z2}), 'q');
            if (d.kind == kImportKindSunmap) line.replace(0, 4, "   1");
            // Blanks between fields where the dialect has them: the reader must not need them.
            put(line, d.x1, d.x2, "12345.678");
            put(line, d.y1, d.y2, "-2345.125");
            put(line, d.z1, d.z2, "45.5");
            std::string name = "N" + std::to_string(d.kind);
            line.replace(d.n1 - 1, name.size(), name);
            line.replace(d.n1 - 1 + name.size(), d.n2 - d.n1 + 1 - name.size(),
                         std::string(d.n2 - d.n1 + 1 - name.size(), ' '));
            std::string text;
            for (int h = 0; h < d.headerLines; ++h) text += std::string("*") + end;
            text += line + end;
            const auto path = Write("dialect.txt", text);
            // One shell run cuts the three fields, one per output line.
            std::string command = "for r in";
            for (auto [a, b] : {std::pair{d.x1, d.x2}, {d.y1, d.y2}, {d.z1, d.z2}})
                command += " " + std::to_string(a) + "-" + std::to_string(b);
            command += "; do tail -n 1 '" + path.string() + "' | cut -c $r; done";
            std::istringstream cutOut(RunCommand(command));
            std::string cutX, cutY, cutZ;
            std::getline(cutOut, cutX), std::getline(cutOut, cutY), std::getline(cutOut, cutZ);
            auto cut = [](const std::string& s) { return std::strtod(s.c_str(), nullptr); };
            std::FILE* f = std::fopen(path.c_str(), "rb");
            ASSERT_EQ(ReadImportPointFile(f, d.kind, 0, 3, 0, 5), 0);
            std::fclose(f);
            ASSERT_EQ(g_pointCount, 1) << d.kind;
            EXPECT_EQ(g_points[1].x, cut(cutX)) << d.kind;
            EXPECT_EQ(g_points[1].y, cut(cutY)) << d.kind;
            EXPECT_EQ(g_points[1].z, cut(cutZ)) << d.kind;
            EXPECT_EQ(g_points[1].x, 12345.678) << d.kind;
            EXPECT_EQ(Name(1), name) << d.kind;
        }
    }
}

TEST_F(PointFileReader, JecCommaDialect) {
    ASSERT_EQ(Read("1,x,J1,10.5,20.5,3.25\r\n2,x,J2,1,2\r\n", kImportKindJec, 0), 0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(Name(1), "J1");
    EXPECT_EQ(g_points[1].z, 3.25);
}

TEST_F(PointFileReader, SunmapContourVertexAndOtherRecords) {
    // A vertex record as the SUNMAP writer puts it: code, then Y, X and level in 13-wide fields.
    char vertex[80], extent[80];
    std::snprintf(vertex, sizeof vertex, "%4d%14s%13.3f%13.3f%13.3f", 2, "", 2000.5, 1000.25, 55.0);
    std::snprintf(extent, sizeof extent, "%4d%14s%13.3f%13.3f%13.3f", 10, "", 1.0, 2.0, 3.0);
    std::string scale = "  14" + std::string(14, ' ') + "      500.000      500.000        1.000";
    ASSERT_EQ(Read(std::string(extent) + "\r\n" + scale + "\r\n" + vertex + "\r\n",
                   kImportKindSunmap, 1),
              0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(g_points[1].x, 1000.25);
    EXPECT_EQ(g_points[1].y, 2000.5);
    EXPECT_EQ(g_points[1].z, 55.0);
    EXPECT_EQ(Name(1), "");
}

TEST_F(PointFileReader, SunmapNameFromColumn59CutTo8) {
    char line[120];
    std::snprintf(line, sizeof line, "%4d%14s%13.3f%13.3f%13.3f %s", 5, "", 2.0, 1.0, 3.0,
                  "ABCDEFGHIJK");
    ASSERT_EQ(Read(std::string(line) + "\n", kImportKindSunmap), 0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(Name(1), "ABCDEFGH");
}

TEST_F(PointFileReader, OffsetsAlternateFromTheFirstPattern) {
    const std::string line = "A01,1,P,10,20,5,\n";
    ASSERT_EQ(Read(line + line + line, kImportKindSima, 0, 1, 2), 0);
    ASSERT_EQ(g_pointCount, 3);
    const double want[3][2] = {{10.01, 20.02}, {10.02, 20.03}, {10.01, 20.02}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(g_points[i + 1].x, want[i][0], 1e-12);
        EXPECT_NEAR(g_points[i + 1].y, want[i][1], 1e-12);
    }
    // Digits 3: thousandths; the alternation starts afresh with the next call.
    ASSERT_EQ(Read(line, kImportKindSima, 0, 1, 3), 0);
    EXPECT_NEAR(g_points[4].x, 10.001, 1e-12);
    EXPECT_NEAR(g_points[4].y, 20.002, 1e-12);
}

TEST_F(PointFileReader, SeikoLongNameKeepsFirstNineBytes) {
    std::string line(62, ' ');
    line.replace(5, 15, "ABCDEFGHIJKLMNO");
    line.replace(20, 15, "         100.0");
    line.replace(35, 15, "         200.0");
    line.replace(50, 12, "        10.0");
    ASSERT_EQ(Read(line + "\n", kImportKindSeiko), 0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(Name(1), "ABCDEFGHI");
}

// A cut at 9 bytes never leaves half a double-byte character.
TEST_F(PointFileReader, NamesCutOnCharacterBoundaries) {
    struct Case {
        const char* utf8;
        const char* want;
    };
    const Case cases[] = {{"ABCD基準点", "ABCD基準"}, {"ABC基準点", "ABC基準点"}, {"基準点ABCDE", "基準点ABC"}};
    for (const Case& c : cases) {
        InitDataModel();
        ASSERT_EQ(Read("A01,1," + Utf8ToCp932(c.utf8) + ",1,2,3,\n", kImportKindSima), 0);
        ASSERT_EQ(g_pointCount, 1);
        EXPECT_EQ(Cp932ToUtf8(Name(1)), c.want);
    }
}

TEST_F(PointFileReader, LongLinesAreWholeLines) {
    // Past 255 bytes a piece of a line must not come back as a record of its own.
    const std::string header = "G00,01," + std::string(300, ' ') + "A01,9,Z,1,2,3,\n";
    const std::string longName = "A01,1," + std::string(300, 'x') + ",10,20,30,\n";
    ASSERT_EQ(Read(header + longName, kImportKindSima), 0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(Name(1), "xxxxxxxxx");
    EXPECT_EQ(g_points[1].x, 10);
    EXPECT_EQ(g_points[1].z, 30);
}

TEST_F(PointFileReader, TextInNumbersGivesNoPointAndIsListed) {
    ImportSkippedLines skipped;
    ASSERT_EQ(Read("G00,01,-,\nA01,1,P1,1x0,200,10,\nA01,2,P2,100,200,10,\nA01,3,P3,1,2,abc,\n",
                   kImportKindSima, 1, 0, 5, &skipped),
              0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_EQ(Name(1), "P2");
    EXPECT_EQ(skipped.count, 2);
    EXPECT_EQ(skipped.lineNumbers, (std::vector<int64_t>{2, 4}));
    ReportSkippedImportLines("f.SIM", skipped);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("2 4"), std::string::npos);
}

TEST_F(PointFileReader, AppendsAfterExistingPoints) {
    ASSERT_EQ(Read("A01,1,P1,1,2,3,\n", kImportKindSima), 0);
    ASSERT_EQ(Read("A01,1,P2,4,5,6,\n", kImportKindSima), 0);
    ASSERT_EQ(g_pointCount, 2);
    EXPECT_EQ(Name(1), "P1");
    EXPECT_EQ(Name(2), "P2");
    ExpectConsistent();
}

// Random damage to a small file never gives an inconsistent block or a wild value.
TEST_F(PointFileReader, MutatedFilesKeepTheBlockConsistent) {
    const std::string base =
        "G00,01,-,\r\nA00,\r\nA01,1,P1,100.000,200.000,10.000,\r\nA01,2,,1.5,2.5,3.5,\r\n"
        "A01,3,P3,7,8,,\r\nA99,\r\nD00,1,,1,\r\nB01,1,,\r\nD99,\r\n";
    std::mt19937 random(20261211);
    const int32_t kinds[] = {0, 1, 2, 3, 4, 5, 6, 8};
    for (int round = 0; round < 400; ++round) {
        std::string text = base;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % (text.size() + 1);
            switch (random() % 4) {
                case 0: text.insert(at, 1, static_cast<char>(random() % 256)); break;
                case 1: if (at < text.size()) text.erase(at, 1); break;
                case 2: if (at < text.size()) text[at] = static_cast<char>(random() % 256); break;
                case 3: text.insert(at, std::string(random() % 600, ",9x\n\r"[random() % 5])); break;
            }
        }
        const int32_t kind = kinds[round % 8];
        const int32_t before = g_pointCount;
        ASSERT_EQ(Read(text, kind, round % 2), 0) << round;
        ASSERT_GE(g_pointCount, before);
        ExpectConsistent();
        if (g_pointCount > 100000) InitDataModel();
    }
}

}  // namespace
