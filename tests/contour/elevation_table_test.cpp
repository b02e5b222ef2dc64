// The elevation table: batch input, editing, clipboard, the .HLT and .CT3 files and the
// conversion of slice lines into contours.
#include "contour/elevation_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "contour_test_support.h"
#include "model/document_services.h"
#include "model/le_bytes.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/text_io.h"
#include "slice_table_support.h"

using contourtest::ContourFixture;
using slicetest::AddSliceLine;
using slicetest::Square;

namespace {

using ElevationTable = ContourFixture;

struct Row {
    double elevation;
    int32_t attribute;
};

std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (int32_t i = 1; i <= g_sliceLevelCount; ++i)
        rows.push_back({g_sliceLevels[i].elevation, g_sliceLevels[i].attribute});
    return rows;
}

void ExpectRows(const std::vector<Row>& want, const char* what) {
    const std::vector<Row> got = Rows();
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_DOUBLE_EQ(got[i].elevation, want[i].elevation) << what << " row " << i + 1;
        EXPECT_EQ(got[i].attribute, want[i].attribute) << what << " row " << i + 1;
    }
}

LevelBatchInputValues Batch(const char* from, const char* to, const char* main, bool replace) {
    LevelBatchInputValues v;
    ReadBatchField(v, BatchField::kFrom, from);
    ReadBatchField(v, BatchField::kTo, to);
    ReadBatchField(v, BatchField::kMain, main);
    v.replace = replace;
    return v;
}

TEST_F(ElevationTable, BatchInput) {
    struct Case {
        const char *from, *to, *main;
        std::vector<Row> want;
    };
    const Case cases[] = {
        {"100", "110", "2", {{100, 1}, {102, 0}, {104, 0}, {106, 0}, {108, 0}, {110, 1}}},
        {"110", "100", "2", {{110, 1}, {108, 0}, {106, 0}, {104, 0}, {102, 0}, {100, 1}}},
        {"100", "101", "-0.5", {{100, 1}, {100.5, 0}, {101, 1}}},  // index 1 below a main of 1
        {"100", "110", "0.00005", {{100, 1}, {110, 1}}},           // only the two ends
    };
    for (const Case& c : cases) {
        ClearSliceLevels();
        LevelBatchInputValues v = Batch(c.from, c.to, c.main, true);
        if (std::string(c.main) == "2") ReadBatchField(v, BatchField::kIndex, "10");
        ASSERT_TRUE(AcceptLevelBatchInput(v)) << c.from;
        ApplyLevelBatchInput(v);
        ExpectRows(c.want, c.from);
    }
    EXPECT_DOUBLE_EQ(g_contourInterval, 0.5);  // the last batch's main was too small to take

    // A main interval not above 0.00001 is not taken, so 登録 refuses.
    ClearRecordedMessages();
    const LevelBatchInputValues refused = Batch("100", "110", "0.00001", false);
    EXPECT_FALSE(refused.mainSet);
    EXPECT_FALSE(AcceptLevelBatchInput(refused));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "パラメータをすべて入力してください。");

    // A second batch (追加) keeps the rows and resets the area of the levels it meets.
    ClearSliceLevels();
    LevelBatchInputValues v = Batch("100", "104", "2", false);
    ApplyLevelBatchInput(v);
    g_sliceLevels[2].area = 55;
    v = Batch("101.9995", "106", "2", false);
    ReadBatchField(v, BatchField::kIndex, "102");
    ApplyLevelBatchInput(v);
    ExpectRows({{100, 1}, {102, 0}, {104, 0}, {105.9995, 0}, {106, 0}}, "added");
    EXPECT_EQ(g_sliceLevels[2].area, 0);
}

TEST_F(ElevationTable, SortInsertDeleteAndCells) {
    for (double e : {5.0, 1.0, 3.0}) ASSERT_TRUE(AppendSliceLevel(e, 0));
    SortSliceLevels(true);
    ExpectRows({{1, 0}, {3, 0}, {5, 0}}, "ascending");
    SortSliceLevels(false);
    ExpectRows({{5, 0}, {3, 0}, {1, 0}}, "descending");

    ASSERT_TRUE(InsertSliceLevel(2));
    ExpectRows({{5, 0}, {3, 0}, {3, 0}, {1, 0}}, "inserted");
    EXPECT_TRUE(StoreSliceLevelCell(2, 1, "4"));
    EXPECT_TRUE(StoreSliceLevelCell(2, 2, "1"));
    EXPECT_TRUE(StoreSliceLevelCell(5, 1, "0.5"));   // the empty row after the last appends
    EXPECT_FALSE(StoreSliceLevelCell(7, 1, "0.5"));  // further down nothing
    EXPECT_FALSE(StoreSliceLevelCell(6, 1, " "));
    ExpectRows({{5, 0}, {4, 1}, {3, 0}, {1, 0}, {0.5, 0}}, "typed");
    EXPECT_EQ(SliceLevelCells(2), (std::vector<std::string>{"   2 ", " 4.000", "   1 ", "0.000 "}));
    EXPECT_EQ(SliceLevelCells(6), (std::vector<std::string>{"", "", "", ""}));

    ASSERT_TRUE(DeleteSliceLevels(4, 2));
    ExpectRows({{5, 0}, {0.5, 0}}, "deleted");

    struct Refusal { std::function<bool()> act; const char* message; };
    const Refusal refusals[] = {
        {[] { return InsertSliceLevel(0); }, "挿入行を指定してください"},
        {[] { return DeleteSliceLevels(0, 0); }, "削除行を指定してください"},
        {[] { DeleteSliceLevels(1, 1); return InsertSliceLevel(1); }, "１点しか入力されていません"},
        {[] { ClearSliceLevels(); return InsertSliceLevel(1); }, "データが入力されていません"},
    };
    for (const Refusal& r : refusals) {
        ClearRecordedMessages();
        EXPECT_FALSE(r.act()) << r.message;
        ASSERT_EQ(RecordedMessages().size(), 1u) << r.message;
        EXPECT_EQ(RecordedMessages()[0].text, r.message);
    }
}

TEST_F(ElevationTable, PastesWithEitherLineEndAndSkipsHeadings) {
    const char* lf = "100\t1\t12.5\n\n101.25\t0\t7\n102\n";
    const char* crlf = "100\t1\t12.5\r\n\r\n101.25\t0\t7\r\n102\r\n";
    for (const char* text : {lf, crlf}) {
        ClearSliceLevels();
        EXPECT_EQ(PasteSliceLevels(text), 3);
        ExpectRows({{100, 1}, {101.25, 0}, {102, 0}}, text == lf ? "LF" : "CR LF");
        EXPECT_DOUBLE_EQ(g_sliceLevels[1].area, 12.5);
        EXPECT_DOUBLE_EQ(g_sliceLevels[2].area, 7);
    }

    // Our own copy pastes back without an extra row for its heading.
    const std::string copied = SliceLevelTableText();
    EXPECT_EQ(Cp932ToUtf8(copied.substr(0, copied.find('\n') + 1)),
              "        標高\t属性\t合計面積\t\r\n");
    EXPECT_NE(copied.find("     100.00000\t1\t      12.50000\r\n"), std::string::npos);
    ClearSliceLevels();
    EXPECT_EQ(PasteSliceLevels(copied), 3);
    ExpectRows({{100, 1}, {101.25, 0}, {102, 0}}, "copy and paste");

    // Beyond the table's room rows are dropped and said.
    ClearSliceLevels();
    for (int32_t i = 0; i < kSliceLevelCapacity - 1; ++i) ASSERT_TRUE(AppendSliceLevel(i, 0));
    ClearRecordedMessages();
    EXPECT_EQ(PasteSliceLevels("1\n2\n3\n"), 1);
    EXPECT_EQ(g_sliceLevelCount, kSliceLevelCapacity);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "制限に達しました。");
}

void FillSmallTable() {
    g_sliceRangeMode = 1;
    g_sliceAreaDecimals = 3;
    for (double e : {100.0, 101.5, 103.0}) ASSERT_TRUE(AppendSliceLevel(e, e == 100 ? 1 : 0));
    g_sliceLevels[2].area = -12.25;
    g_sliceLevels[3].cumulativeVolume = 1234.5;
    g_sliceLevels[3].effectiveCapacity = -3.0;
    g_sliceReferenceLevel = 101.5, g_sliceStartLevel = 100, g_sliceEndLevel = 103;
}

TEST_F(ElevationTable, LevelListFileRoundTrip) {
    FillSmallTable();
    const std::string path = (m_dir / "a.HLT").string();
    ASSERT_EQ(WriteLevelListFile(path), 0);
    std::string first;
    ASSERT_TRUE(ReadFileBytes(path, first));
    EXPECT_EQ(first,
              " 3, 1, 3, 1, 1, 2, 3, 101.500, 100.000, 103.000\r\n"
              " 100.000, 1, 0.000, 0.000, 0.000, 0.000, 0.000, 0.000, 0.000\r\n"
              " 101.500, 0, -12.250, 0.000, 0.000, 0.000, 0.000, 0.000, 0.000\r\n"
              " 103.000, 0, 0.000, 0.000, 0.000, 0.000, 0.000, -3.000, 1234.500\r\n");

    InitDataModel();
    ASSERT_EQ(ReadLevelListFile(path, true), 0);
    EXPECT_EQ(g_sliceRangeMode, 1);
    EXPECT_EQ(g_sliceAreaDecimals, 3);
    EXPECT_EQ(g_sliceStartRow, 1);
    EXPECT_EQ(g_sliceEndRow, 3);
    EXPECT_EQ(g_sliceReferenceRow, 2);
    const std::string again = (m_dir / "b.HLT").string();
    ASSERT_EQ(WriteLevelListFile(again), 0);
    std::string second;
    ASSERT_TRUE(ReadFileBytes(again, second));
    EXPECT_EQ(second, first);

    // The load button reads elevations and attributes only.
    ASSERT_EQ(ReadLevelListFile(path, false), 0);
    EXPECT_EQ(g_sliceLevels[2].area, 0);
    EXPECT_EQ(g_sliceLevels[1].attribute, 1);
}

TEST_F(ElevationTable, DamagedLevelListFiles) {
    struct Case {
        const char* name;
        std::string text;
        int32_t rows;
        const char* message;  // nullptr: none
    };
    std::string tooMany = " 64005, 2, 2, 1, 1, 2, 3, 0, 0, 0\n";
    for (int32_t i = 0; i < 64005; ++i) tooMany += std::to_string(i) + ", 0\n";
    const Case cases[] = {
        {"LF only, unmatched levels", " 2, 2, 2, 1, 1, 2, 3, 7, 8, 9\n 10.5, 1\n 11.5, 0\n", 2, nullptr},
        {"short file", " 5, 2, 2, 1, 1, 2, 3, 0, 0, 0\r\n 10, 0\r\n 11, 0\r\n", 2,
         "標高リストファイルの途中が読めません。読めた行までを読み込みました。"},
        {"text in a row", " 3, 2, 2, 1, 1, 2, 3, 0, 0, 0\n 10, 0\n abc, 0\n 12, 0\n", 1,
         "標高リストファイルの途中が読めません。読めた行までを読み込みました。"},
        {"count above the table", tooMany, kSliceLevelCapacity, "制限に達しました。"},
        {"empty header", "\n", 0, nullptr},
    };
    for (const Case& c : cases) {
        InitDataModel();
        ClearRecordedMessages();
        const std::string path = (m_dir / "d.HLT").string();
        ASSERT_TRUE(WriteFileBytes(path, c.text));
        ASSERT_EQ(ReadLevelListFile(path, true), 0) << c.name;
        EXPECT_EQ(g_sliceLevelCount, c.rows) << c.name;
        EXPECT_EQ(g_sliceLevels.size(), static_cast<size_t>(c.rows) + 1) << c.name;
        if (c.message) {
            ASSERT_EQ(RecordedMessages().size(), 1u) << c.name;
            EXPECT_EQ(RecordedMessages()[0].text, c.message) << c.name;
        } else {
            EXPECT_TRUE(RecordedMessages().empty()) << c.name;
        }
    }
    // Unmatched start, end and reference: row 1, the last row, the last row.
    InitDataModel();
    ASSERT_TRUE(WriteFileBytes((m_dir / "u.HLT").string(),
                               " 2, 2, 2, 1, 1, 2, 3, 7, 8, 9\n 10.5, 1\n 11.5, 0\n"));
    ASSERT_EQ(ReadLevelListFile((m_dir / "u.HLT").string(), false), 0);
    EXPECT_EQ(g_sliceStartRow, 1);
    EXPECT_EQ(g_sliceEndRow, 2);
    EXPECT_EQ(g_sliceReferenceRow, 2);
    EXPECT_DOUBLE_EQ(g_sliceStartLevel, 10.5);
    EXPECT_DOUBLE_EQ(g_sliceReferenceLevel, 11.5);

    // A file that cannot be opened leaves the table.
    EXPECT_EQ(ReadLevelListFile((m_dir / "none.HLT").string(), true), 1);
    EXPECT_EQ(g_sliceLevelCount, 2);
}

TEST_F(ElevationTable, SliceContourFileDecodes) {
    EXPECT_EQ(WriteSliceContourFile((m_dir / "x.CT3").string()), 1);  // no store
    std::vector<std::pair<double, double>> long_;
    for (int i = 0; i < 130; ++i) long_.push_back({i * 0.5, -i * 0.25});
    AddSliceLine(1, 0, 1, 101.5, 42.25, Square(2));
    AddSliceLine(2, 1, 0, 102.0, 0, long_);
    const std::string path = (m_dir / "x.CT3").string();
    ASSERT_EQ(WriteSliceContourFile(path), 0);
    std::string b;
    ASSERT_TRUE(ReadFileBytes(path, b));
    ASSERT_EQ(b.size(), 2u * 28 + (5 + 130) * 16u);
    const char* p = b.data();
    EXPECT_EQ(GetLeI32(p), 5);
    EXPECT_EQ(GetLeI32(p + 4), 1);
    EXPECT_EQ(GetLeI32(p + 8), 0);
    EXPECT_EQ(GetLeF64(p + 12), 101.5);
    EXPECT_EQ(GetLeF64(p + 20), 42.25);
    EXPECT_EQ(GetLeF64(p + 28), -1.0);
    EXPECT_EQ(GetLeF64(p + 36), -1.0);
    p += 28 + 5 * 16;
    EXPECT_EQ(GetLeI32(p), 130);
    EXPECT_EQ(GetLeI32(p + 4), 2);
    EXPECT_EQ(GetLeF64(p + 28 + 129 * 16), 64.5);
    EXPECT_EQ(GetLeF64(p + 28 + 129 * 16 + 8), -32.25);
}

TEST_F(ElevationTable, SliceLinesBecomeContours) {
    EXPECT_EQ(WriteSliceLinesAsContours(true), 1);  // no store
    for (double e : {100.0, 105.0}) ASSERT_TRUE(AppendSliceLevel(e, 0));
    g_contourInterval = 5, g_indexContourInterval = 25;
    std::vector<std::pair<double, double>> ring;
    const int n = 4500;
    for (int i = 0; i < n; ++i) ring.push_back({std::cos(i * 2 * M_PI / (n - 1)), std::sin(i * 2 * M_PI / (n - 1))});
    AddSliceLine(0, 1, 1, 100, 3.14, ring);
    AddSliceLine(1, 0, 0, 105, 1, Square(1));  // invalid
    AddSliceLine(2, 1, 0, 105, 0, Square(2));  // undetermined

    ASSERT_EQ(WriteSliceLinesAsContours(false), 0);
    std::vector<contourtest::Line> lines = contourtest::ReadLines();
    // 4500 vertices: pieces of 2000, 2000 and 502, each starting on the last one's end.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].x.size(), 2000u);
    EXPECT_EQ(lines[1].x.size(), 2000u);
    EXPECT_EQ(lines[2].x.size(), 502u);
    for (const auto& l : lines) {
        EXPECT_EQ(l.code, -1);
        EXPECT_EQ(l.level, 100);
    }
    EXPECT_EQ(lines[1].x.front(), lines[0].x.back());
    EXPECT_EQ(lines[2].x.back(), ring.back().first);
    const std::vector<ContourIndexEntry> index = contourtest::ReadIndex();
    ASSERT_EQ(index.size(), 4u + 3u);
    EXPECT_EQ(index[0].level, 100);
    EXPECT_EQ(index[1].level, 105);
    EXPECT_EQ(index[2].level, 5);
    EXPECT_EQ(index[3].level, 25);

    ASSERT_EQ(WriteSliceLinesAsContours(true), 0);
    lines = contourtest::ReadLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3].code, 0);
    EXPECT_EQ(lines[4].level, 105);

    // A work file that cannot be opened: nothing written, the flags stay.
    const std::string good = g_contourIndexPath;
    g_contourIndexPath = (m_dir / "no" / "index").string();
    QueueMessageAnswer(msg::kIdYes);
    ClearRecordedMessages();
    g_drawingContoursLoaded = 0;
    OnSliceToContour();
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(contourtest::ReadLines().size(), 5u);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[0].text, "数量計算に無効のデータを出力しますか");
    g_contourIndexPath = good;
    QueueMessageAnswer(msg::kIdNo);
    OnSliceToContour();
    EXPECT_EQ(g_drawingContoursLoaded, -1);
    EXPECT_EQ(g_showDrawingContours, -1);
    EXPECT_EQ(contourtest::ReadLines().size(), 3u);
}

TEST_F(ElevationTable, DocumentSaveWritesTableAndLines) {
    FillSmallTable();
    const std::filesystem::path doc = m_dir / "site.RND";
    WriteDocumentCompanions(doc);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "site.HLT"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "site.CT3"));  // no slice store
    AddSliceLine(0, 1, 0, 100, 1, Square(1));
    WriteDocumentCompanions(doc);
    EXPECT_EQ(std::filesystem::file_size(m_dir / "site.CT3"), 28u + 5 * 16);
    std::string hlt;
    ASSERT_TRUE(ReadFileBytes(m_dir / "site.HLT", hlt));
    EXPECT_EQ(hlt.substr(0, 3), " 3,");
}

TEST_F(ElevationTable, AreaCalculationNeedsRowsAndRunsTheInstalledCalculation) {
    ClearRecordedMessages();
    int runs = 0;
    SetSliceAreaCalculation([&](double minimumArea, int32_t drop) {
        ++runs;
        EXPECT_DOUBLE_EQ(minimumArea, 0.5);
        EXPECT_EQ(drop, 1);
    });
    EXPECT_FALSE(OnCalcSliceAreas(0.5, 1));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "等高線標高を入力してください。");
    ASSERT_TRUE(AppendSliceLevel(10, 0));
    SetSliceMethodQuestion([] { return false; });
    EXPECT_FALSE(OnCalcSliceAreas(0.5, 1));
    SetSliceMethodQuestion([] { return true; });
    EXPECT_TRUE(OnCalcSliceAreas(0.5, 1));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(g_showSliceContours, -1);
    EXPECT_EQ(g_sliceContoursLoaded, -1);
    SetSliceAreaCalculation({});
    SetSliceMethodQuestion({});
}

}  // namespace
