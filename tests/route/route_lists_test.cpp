// The IP list, the station list and the plus stakes without their windows: cells, the
// clipboard tables both ways, inserts, deletes and the tables' capacities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "route/ip_list.h"
#include "route/plus_stakes.h"
#include "route/route_data.h"
#include "route/station_list.h"
#include "section/section_defaults.h"
#include "view/view_state.h"

namespace {
class RouteLists : public ::testing::Test {
protected:
    void SetUp() override {
        InitRouteSectionDefaults();
        InitDataModel();
        ClearRecordedMessages();
        SetClipboardText("");
    }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        ReleaseDataModel();
    }

    static void AddIp(const char* name, int32_t number, double x, double y, double r = 0,
                      double a1 = 0, double a2 = 0) {
        IpPoint& ip = g_ipPoints[++g_ipPointCount];
        std::memset(&ip, 0, sizeof ip);
        std::snprintf(ip.name, sizeof ip.name, "%s", name);
        ip.number = number;
        ip.x = x;
        ip.y = y;
        ip.radius = r;
        ip.a1 = a1;
        ip.a2 = a2;
    }
    static void ThreeIps() {
        AddIp("BP", 0, 100, 200);
        AddIp("IP", 1, 300.5, 400.25, 150, 60, 70);
        AddIp("EP", 2, 500, 600);
    }
    static void AddStation(const char* name, double added, double x, double y) {
        ASSERT_TRUE(EnsureStationRoom(2));
        StationRecord& s = g_stations[++g_stationCount];
        std::memset(&s, 0, sizeof s);
        s.kind = g_stationCount == 1 ? 1 : 2;
        s.number = g_stationCount;
        std::snprintf(s.name, sizeof s.name, "%s", name);
        s.addedDistance = added;
        s.x = x;
        s.y = y;
        s.leftX = x + 1;
        s.leftY = y - 1;
        s.rightX = x - 1;
        s.rightY = y + 1;
    }
    static void FiveStations() {
        for (int i = 1; i <= 5; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "NO%d", i);
            AddStation(name, 20.0 * (i - 1), 10.0 * i, 5.0 * i);
        }
    }
    static std::string LastMessage() {
        return RecordedMessages().empty() ? "" : RecordedMessages().back().text;
    }
    static std::string Name(const char* field, size_t size) {
        return std::string(field, strnlen(field, size));
    }
};

GridSelection Cell(int32_t row, int32_t col) { return {row, col, row, col}; }
GridSelection Rows(int32_t first, int32_t last, int32_t lastCol) { return {first, 1, last, lastCol}; }

const std::string kKanji = Utf8ToCp932("測");  // two bytes
}  // namespace

// ---- IP list ----

TEST_F(RouteLists, IpCellsShowTheTableAndBlankRowsBeyondIt) {
    ThreeIps();
    const std::vector<std::string> row2 = {"   2 ", "IP", " 1", " 300.50000", " 400.25000",
                                           " 150.000", " 60.000", " 70.000"};
    for (int c = 0; c < kIpListColumns; ++c) EXPECT_EQ(FormatIpListCell(2, c), row2[c]) << c;
    EXPECT_EQ(FormatIpListCell(4, 1), "");
    // The first blank row proposes the name above and the next number; rows 1 and 2 BP, IP.
    EXPECT_EQ(ProposeIpListCell(4, 1), "EP");
    EXPECT_EQ(ProposeIpListCell(4, 2), "3");
    g_ipPointCount = 0;
    EXPECT_EQ(ProposeIpListCell(1, 1), "BP");
    EXPECT_EQ(ProposeIpListCell(1, 2), "0");
    g_ipPointCount = 1;
    EXPECT_EQ(ProposeIpListCell(2, 1), "IP");
}

TEST_F(RouteLists, IpCopyOfOneCellTakesTheTableAndOfColumnsOnlyThose) {
    ThreeIps();
    const std::string all = Cp932ToUtf8(IpListCopyText(Cell(2, 5)));
    EXPECT_EQ(all,
              " Ｎｏ\t  点名\t  番号\t     Ｘ座標 \t     Ｙ座標 \t       半径 \tパラメータ１\tパラ"
              "メータ２\t\n"
              "   1\t    BP\t     0\t     100.00000\t     200.00000\t       0.000\t       0.000\t"
              "       0.000\n"
              "   2\t    IP\t     1\t     300.50000\t     400.25000\t     150.000\t      60.000\t"
              "      70.000\n"
              "   3\t    EP\t     2\t     500.00000\t     600.00000\t       0.000\t       0.000\t"
              "       0.000\n");
    // Columns 3 to 4 selected from the bottom right; the heading row and the blank rows
    // below the table do not count.
    const std::string xy = Cp932ToUtf8(IpListCopyText({9, 4, 0, 3}));
    EXPECT_EQ(xy,
              " Ｎｏ\t     Ｘ座標 \t     Ｙ座標 \t\n"
              "   1\t     100.00000\t     200.00000\n"
              "   2\t     300.50000\t     400.25000\n"
              "   3\t     500.00000\t     600.00000\n");
    CopyIpTable(Cell(1, 1));
    EXPECT_EQ(GetClipboardText(), Utf8ToCp932(all));
    g_ipPointCount = 0;
    EXPECT_EQ(IpListCopyText(Cell(1, 1)), "");
}

TEST_F(RouteLists, IpPasteReadsCrLfAndLfAlikeAndSkipsEmptyAndHeadingLines) {
    for (const char* end : {"\r\n", "\n"}) {
        g_ipPointCount = 0;
        const std::string line = std::string("A\t1\t100\t200\t0\t0\t25") + end;
        const std::string heading = Utf8ToCp932("点名\t番号\tＸ座標\tＹ座標\t半径\tA1\tA2") + end;
        EXPECT_EQ(PasteIpText(heading + end + line + line), 2) << end;
        ASSERT_EQ(g_ipPointCount, 2);
        const IpPoint& ip = g_ipPoints[1];
        EXPECT_STREQ(ip.name, "A");
        EXPECT_EQ(ip.number, 1);
        EXPECT_EQ(ip.x, 100);
        EXPECT_EQ(ip.y, 200);
        EXPECT_EQ(ip.a2, 25);
    }
    // A last line without its line end is read; missing fields are empty or 0.
    g_ipPointCount = 0;
    EXPECT_EQ(PasteIpText("B\t7"), 1);
    EXPECT_STREQ(g_ipPoints[1].name, "B");
    EXPECT_EQ(g_ipPoints[1].number, 7);
    EXPECT_EQ(g_ipPoints[1].x, 0);
    EXPECT_EQ(g_redrawMask, -1);
}

TEST_F(RouteLists, IpPasteGivesOnlyTheLineFieldsToTheNewRecord) {
    // Values of an earlier edit in the working copy stay out of the pasted IP.
    g_ipEdit.ke1X = 9;
    g_ipEdit.radius2 = 400;
    g_ipEdit.curveType = kCurveEgg;
    g_ipPoints[1].arcLength = 77;
    PasteIpText("A\t1\t1\t2\r\n");
    EXPECT_EQ(g_ipPoints[1].ke1X, 0);
    EXPECT_EQ(g_ipPoints[1].radius2, 0);
    EXPECT_EQ(g_ipPoints[1].curveType, 0);
    EXPECT_EQ(g_ipPoints[1].arcLength, 0);
}

TEST_F(RouteLists, IpNamesAreCutToFiveBytesInAPasteAndSevenElsewhere) {
    struct Case {
        std::string pasted;
        std::string kept;
    };
    const Case cases[] = {
        {"ABCDE", "ABCDE"},
        {"ABCDEF", "ABCDE"},
        {"  AB  ", "AB"},
        {"ABCD" + kKanji, "ABCD"},  // the double-byte character is not split
        {"AB" + kKanji + "C", "AB" + kKanji + "C"},
    };
    for (const Case& c : cases) {
        g_ipPointCount = 0;
        PasteIpText(c.pasted + "\t1\r\n");
        EXPECT_EQ(Name(g_ipPoints[1].name, sizeof g_ipPoints[1].name), c.kept) << c.pasted;
    }
    // A typed name: 7 bytes on a character boundary.
    ThreeIps();
    EXPECT_EQ(CommitIpListCell(2, 1, "ABCDEFGHI", ""), IpCellStore::kStored);
    EXPECT_EQ(Name(g_ipPoints[2].name, 8), "ABCDEFG");
    CommitIpListCell(2, 1, "ABCDEF" + kKanji, "");
    EXPECT_EQ(Name(g_ipPoints[2].name, 8), "ABCDEF");
    CommitIpListCell(2, 1, "  " + kKanji + kKanji + kKanji + kKanji, "");
    EXPECT_EQ(Name(g_ipPoints[2].name, 8), kKanji + kKanji + kKanji);
}

TEST_F(RouteLists, IpCellEditsStoreFieldsAndAppendFromTheFirstBlankRow) {
    ThreeIps();
    EXPECT_EQ(CommitIpListCell(3, 4, "  612.5", ""), IpCellStore::kStored);
    EXPECT_EQ(g_ipPoints[3].y, 612.5);
    EXPECT_EQ(g_currentIp, 3);
    EXPECT_EQ(CommitIpListCell(2, 2, "12.9", ""), IpCellStore::kStored);
    EXPECT_EQ(g_ipPoints[2].number, 12);
    // A name in the first blank row waits for its number.
    EXPECT_EQ(CommitIpListCell(4, 1, "IP", ""), IpCellStore::kNameOnly);
    EXPECT_EQ(g_ipPointCount, 3);
    EXPECT_EQ(g_currentIp, 0);
    g_ipPoints[4].x = 55;  // left over in the record
    g_ipPoints[4].ke2Y = 5;
    EXPECT_EQ(CommitIpListCell(4, 2, "3", "IP"), IpCellStore::kAppended);
    ASSERT_EQ(g_ipPointCount, 4);
    EXPECT_STREQ(g_ipPoints[4].name, "IP");
    EXPECT_EQ(g_ipPoints[4].number, 3);
    EXPECT_EQ(g_ipPoints[4].x, 0);
    EXPECT_EQ(g_ipPoints[4].ke2Y, 0);
    // Rows further down and empty texts store nothing.
    EXPECT_EQ(CommitIpListCell(7, 2, "3", "IP"), IpCellStore::kNothing);
    EXPECT_EQ(CommitIpListCell(5, 2, "", "IP"), IpCellStore::kNothing);
    EXPECT_EQ(g_ipPointCount, 4);
}

TEST_F(RouteLists, IpNumbersOutsideTheFileColumnAreRefusedAtInput) {
    ThreeIps();
    for (const char* typed : {"1000", "-100"}) {
        ClearRecordedMessages();
        EXPECT_EQ(CommitIpListCell(2, 2, typed, ""), IpCellStore::kNothing) << typed;
        EXPECT_EQ(g_ipPoints[2].number, 1);
        EXPECT_EQ(LastMessage(), kIpNumberRangeMessage);
        EXPECT_EQ(CommitIpListCell(4, 2, typed, "X"), IpCellStore::kNothing);
        EXPECT_EQ(g_ipPointCount, 3);
    }
    EXPECT_EQ(CommitIpListCell(2, 2, "-99", ""), IpCellStore::kStored);
    EXPECT_EQ(CommitIpListCell(2, 2, "999", ""), IpCellStore::kStored);
    ClearRecordedMessages();
    EXPECT_EQ(PasteIpText("A\t1000\r\nB\t5\r\n"), 1);
    EXPECT_STREQ(g_ipPoints[4].name, "B");
    EXPECT_EQ(LastMessage(), kIpNumberRangeMessage);
    EXPECT_FALSE(RenumberIps(997));  // 997 .. 1000
    EXPECT_EQ(g_ipPoints[4].number, 5);
    EXPECT_TRUE(RenumberIps(996));
    EXPECT_EQ(g_ipPoints[4].number, 999);
}

TEST_F(RouteLists, RenumberingFromZeroGivesBpZeroAndEpCountLessOne) {
    ThreeIps();
    AddIp("IP", 17, 1, 1);
    AddIp("EP", 40, 2, 2);
    EXPECT_TRUE(RenumberIps(0));
    for (int32_t i = 1; i <= 5; ++i) EXPECT_EQ(g_ipPoints[i].number, i - 1);
    EXPECT_EQ(g_redrawMask, -1);
}

TEST_F(RouteLists, IpInsertDuplicatesTheRowAndDeleteTakesTheSelectedRows) {
    ThreeIps();
    EXPECT_FALSE(InsertIpListRow({2, 3, 2, 3}));  // one column names no row
    EXPECT_EQ(LastMessage(), kInsertRowNeeded);
    EXPECT_TRUE(InsertIpListRow(Rows(2, 2, 7)));
    ASSERT_EQ(g_ipPointCount, 4);
    EXPECT_STREQ(g_ipPoints[3].name, "IP");
    EXPECT_EQ(g_ipPoints[3].number, g_ipPoints[2].number);
    EXPECT_STREQ(g_ipPoints[4].name, "EP");
    // Below the last IP: a cleared IP.
    g_ipPoints[5].x = 42;
    EXPECT_TRUE(InsertIpListRow(Rows(9, 9, 7)));
    ASSERT_EQ(g_ipPointCount, 5);
    EXPECT_EQ(g_ipPoints[5].x, 0);
    // Rows 4 to 9 reach into the blank rows: IPs 4 and 5 go.
    EXPECT_FALSE(DeleteIpListRows({4, 2, 9, 2}));
    EXPECT_EQ(LastMessage(), kDeleteRowNeeded);
    EXPECT_TRUE(DeleteIpListRows(Rows(9, 4, 7)));
    EXPECT_EQ(g_ipPointCount, 3);
    EXPECT_STREQ(g_ipPoints[3].name, "IP");
    g_ipPointCount = 1;
    ClearRecordedMessages();
    EXPECT_FALSE(InsertIpListRow(Rows(1, 1, 7)));
    EXPECT_EQ(LastMessage(), "１点しか入力されていません");
}

TEST_F(RouteLists, DeleteAllAsksAgainForTheStations) {
    ThreeIps();
    AddStation("NO1", 0, 1, 1);
    QueueMessageAnswer(msg::kIdYes);
    QueueMessageAnswer(msg::kIdNo);
    DeleteAllIps();
    EXPECT_EQ(g_ipPointCount, 0);
    EXPECT_EQ(g_stationCount, 1);
    ThreeIps();
    QueueMessageAnswer(msg::kIdNo);
    DeleteAllIps();
    EXPECT_EQ(g_ipPointCount, 3);
}

TEST_F(RouteLists, EveryWayIntoTheIpTableStopsAtItsCapacity) {
    for (int32_t i = 0; i < kMaxIpPoints - 1; ++i) AddIp("IP", i % 900, i, i);
    std::string text;
    for (int i = 0; i < 3; ++i) text += "Z\t1\t5\t5\r\n";
    EXPECT_EQ(PasteIpText(text), 1);
    EXPECT_EQ(g_ipPointCount, kMaxIpPoints);
    EXPECT_EQ(LastMessage(), kIpLimitMessage);
    EXPECT_EQ(std::count_if(RecordedMessages().begin(), RecordedMessages().end(),
                            [](const RecordedMessage& m) { return m.text == kIpLimitMessage; }),
              1);
    ClearRecordedMessages();
    EXPECT_FALSE(InsertIpListRow(Rows(2, 2, 7)));
    EXPECT_EQ(LastMessage(), kIpLimitMessage);
    EXPECT_EQ(CommitIpListCell(kMaxIpPoints + 1, 2, "3", "IP"), IpCellStore::kNothing);
    EXPECT_EQ(g_ipPointCount, kMaxIpPoints);
}

// ---- Station list ----

TEST_F(RouteLists, StationCellsAndCopies) {
    FiveStations();
    std::snprintf(g_stations[1].name, sizeof g_stations[1].name, "%s", "ABCDEFGHIJKLMNO");
    EXPECT_EQ(FormatStationListCell(1, 1), "ABCDEFGHIJKLMN");  // shown to 14
    EXPECT_EQ(FormatStationListCell(2, 0), "   2 ");
    EXPECT_EQ(FormatStationListCell(2, 6), " 9.00000");
    EXPECT_EQ(FormatStationListCell(6, 1), "");

    // Columns 3 to 4 over rows 2 to 5.
    EXPECT_EQ(Cp932ToUtf8(StationListCopyText({5, 4, 2, 3})),
              "Ｎｏ\t  センターＸ\t  センターＹ\t\n"
              "   2\t      20.00000\t      10.00000\n"
              "   3\t      30.00000\t      15.00000\n"
              "   4\t      40.00000\t      20.00000\n"
              "   5\t      50.00000\t      25.00000\n");
    const std::string all = Cp932ToUtf8(StationListCopyText(Cell(3, 3)));
    EXPECT_EQ(all.substr(0, all.find('\n') + 1),
              "Ｎｏ\t点名\t    追加距離\t  センターＸ\t  センターＹ\t    左測点Ｘ\t    左測点Ｙ\t"
              "    右測点Ｘ\t    右測点Ｙ\t\n");
    EXPECT_NE(all.find("   5\tNO5\t      80.00000\t      50.00000\t      25.00000\t      51.00000\t"
                       "      24.00000\t      49.00000\t      26.00000\n"),
              std::string::npos);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 6);
}

TEST_F(RouteLists, StationPasteReadsCrLfAndLfAlike) {
    for (const char* end : {"\r\n", "\n"}) {
        g_stationCount = 0;
        const std::string line = std::string("A\t10\t1\t2\t3\t4\t5\t6") + end;
        EXPECT_EQ(PasteStationText(end + Utf8ToCp932("点名\t追加距離\tX") + end + line), 1);
        ASSERT_EQ(g_stationCount, 1);
        const StationRecord& s = g_stations[1];
        EXPECT_STREQ(s.name, "A");
        EXPECT_EQ(s.kind, 2);
        EXPECT_EQ(s.addedDistance, 10);
        EXPECT_EQ(s.x, 1);
        EXPECT_EQ(s.y, 2);
        EXPECT_EQ(s.leftX, 3);
        EXPECT_EQ(s.leftY, 4);
        EXPECT_EQ(s.rightX, 5);
        EXPECT_EQ(s.rightY, 6) << "line end " << (end[0] == '\r' ? "CR LF" : "LF");
    }
    // Names to 14 bytes; 14 kept whole.
    g_stationCount = 0;
    PasteStationText("ABCDEFGHIJKLMNOPQRST\t1\r\nABCDEFGHIJKLMN\t2\r\n");
    EXPECT_STREQ(g_stations[1].name, "ABCDEFGHIJKLMN");
    EXPECT_STREQ(g_stations[2].name, "ABCDEFGHIJKLMN");
}

TEST_F(RouteLists, StationCellEditsAndTheTypedStation) {
    FiveStations();
    EXPECT_EQ(CommitStationListCell(2, 7, " 12.25", ""), StationCellStore::kStored);
    EXPECT_EQ(g_stations[2].rightX, 12.25);
    EXPECT_EQ(g_currentStation, 2);
    CommitStationListCell(2, 1, "ABCDEFGHIJKLMNOPQ", "");
    EXPECT_STREQ(g_stations[2].name, "ABCDEFGHIJKLMNO");  // the field's 15 bytes
    EXPECT_EQ(CommitStationListCell(6, 1, "NO6", ""), StationCellStore::kNameOnly);
    EXPECT_EQ(g_stationCount, 5);
    g_stations[6].x = 99;
    g_stations[6].kind = 7;
    EXPECT_EQ(CommitStationListCell(6, 2, "100", "NO6"), StationCellStore::kAppended);
    ASSERT_EQ(g_stationCount, 6);
    const StationRecord& s = g_stations[6];
    EXPECT_STREQ(s.name, "NO6");
    EXPECT_EQ(s.addedDistance, 100);
    EXPECT_EQ(s.kind, 2);
    EXPECT_EQ(s.number, 6);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(CommitStationListCell(9, 2, "100", "NO9"), StationCellStore::kNothing);
}

TEST_F(RouteLists, StationInsertDeleteMarksAndSwap) {
    FiveStations();
    EXPECT_TRUE(InsertStationListRow(Rows(2, 2, 8)));
    ASSERT_EQ(g_stationCount, 6);
    EXPECT_STREQ(g_stations[2].name, "NO2");
    EXPECT_STREQ(g_stations[3].name, "NO2");
    EXPECT_STREQ(g_stations[4].name, "NO3");
    EXPECT_TRUE(InsertStationListRow(Rows(20, 20, 8)));  // below the last: a cleared one
    EXPECT_EQ(g_stations[7].kind, 2);
    EXPECT_EQ(g_stations[7].number, 7);
    EXPECT_EQ(g_stations[7].x, 0);
    g_stationCount = 5;
    // Rows 3 to 9 with five stations: 3 to 5 go.
    EXPECT_TRUE(DeleteStationListRows(Rows(3, 9, 8)));
    EXPECT_EQ(g_stationCount, 2);
    FiveStations();  // now 7
    std::vector<bool> marked(10, false);
    marked[1] = marked[4] = true;
    EXPECT_TRUE(DeleteMarkedStations(marked));
    EXPECT_EQ(g_stationCount, 5);
    const char* kept[] = {"NO2", "NO1", "NO3", "NO4", "NO5"};  // of NO1 NO2 NO1 NO2 NO3 NO4 NO5
    for (int i = 1; i <= 5; ++i) EXPECT_STREQ(g_stations[i].name, kept[i - 1]);
    const double leftX = g_stations[1].leftX, rightY = g_stations[1].rightY;
    SwapStationSides();
    EXPECT_EQ(g_stations[1].rightX, leftX);
    EXPECT_EQ(g_stations[1].leftY, rightY);
}

TEST_F(RouteLists, StationDeleteAllAsks) {
    FiveStations();
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_FALSE(DeleteAllStations());
    EXPECT_EQ(g_stationCount, 5);
    EXPECT_TRUE(DeleteAllStations());
    EXPECT_EQ(g_stationCount, 0);
}

TEST_F(RouteLists, StationBlockThatCannotGrowStopsTheAppendsWithItsMessage) {
    while (g_stationCount < 45) AddStation("S", 0, 1, 1);
    const int32_t capacity = g_stationCapacity;
    ASSERT_LT(capacity, 45 + 10);  // the paste must grow the block
    InjectAllocationFailures(0, 5);
    EXPECT_EQ(PasteStationText("A\t1\r\nB\t2\r\n"), 0);
    EXPECT_EQ(LastMessage(), kStationMemoryMessage);
    EXPECT_EQ(g_stationCapacity, capacity);
    EXPECT_EQ(CommitStationListCell(46, 2, "100", "S"), StationCellStore::kNothing);
    EXPECT_EQ(g_stationCount, 45);
}

// ---- Plus stakes ----

TEST_F(RouteLists, PlusStakesSortWithoutRepeats) {
    const double stakes[] = {40, 20, 40, 30};
    for (double v : stakes) g_plusStakes[++g_plusStakeCount] = v;
    EXPECT_EQ(SortPlusStakes(), 0);
    ASSERT_EQ(g_plusStakeCount, 3);
    EXPECT_EQ(g_plusStakes[1], 20);
    EXPECT_EQ(g_plusStakes[2], 30);
    EXPECT_EQ(g_plusStakes[3], 40);
    EXPECT_EQ(FormatPlusStakeCell(4, 1), "");
    EXPECT_EQ(FormatPlusStakeCell(3, 1), " 40.000");
    g_plusStakeCount = 1;
    EXPECT_EQ(SortPlusStakes(), 1);
}

TEST_F(RouteLists, PlusStakeCopyPastesBackWithoutItsHeading) {
    for (double v : {12.5, 40.0}) g_plusStakes[++g_plusStakeCount] = v;
    const std::string copy = PlusStakeCopyText();
    EXPECT_EQ(Cp932ToUtf8(copy), "追加距離\n      12.50000\n      40.00000\n");
    g_plusStakeCount = 0;
    EXPECT_EQ(PastePlusStakeText(copy), 2);
    EXPECT_EQ(g_plusStakes[1], 12.5);
    // LF alone keeps the last character; a value before a TAB counts; empty lines skip.
    g_plusStakeCount = 0;
    EXPECT_EQ(PastePlusStakeText("12.5\n\n7\tx\r\n"), 2);
    EXPECT_EQ(g_plusStakes[1], 12.5);
    EXPECT_EQ(g_plusStakes[2], 7);
}

TEST_F(RouteLists, PlusStakeInsertDeleteAndCells) {
    for (double v : {10.0, 20.0, 30.0}) g_plusStakes[++g_plusStakeCount] = v;
    EXPECT_TRUE(InsertPlusStakeRow(Cell(2, 1)));
    ASSERT_EQ(g_plusStakeCount, 4);
    EXPECT_EQ(g_plusStakes[2], 20);
    EXPECT_EQ(g_plusStakes[3], 20);
    g_plusStakes[5] = 99;
    EXPECT_TRUE(InsertPlusStakeRow(Cell(8, 1)));  // below the last: a stake of 0
    EXPECT_EQ(g_plusStakes[5], 0);
    g_plusStakeCount = 5;
    for (int i = 1; i <= 5; ++i) g_plusStakes[i] = i;
    EXPECT_TRUE(DeletePlusStakeRows({4, 1, 7, 1}));
    EXPECT_EQ(g_plusStakeCount, 3);
    EXPECT_FALSE(DeletePlusStakeRows(Cell(0, 1)));
    EXPECT_EQ(LastMessage(), kDeleteRowNeeded);
    EXPECT_EQ(CommitPlusStakeCell(2, " 25"), PlusStakeCellStore::kStored);
    EXPECT_EQ(g_plusStakes[2], 25);
    EXPECT_EQ(CommitPlusStakeCell(4, "35"), PlusStakeCellStore::kAppended);
    EXPECT_EQ(g_plusStakeCount, 4);
    EXPECT_EQ(CommitPlusStakeCell(6, "35"), PlusStakeCellStore::kNothing);
}

TEST_F(RouteLists, EveryWayIntoThePlusStakesStopsAtTheirCapacity) {
    for (int32_t i = 1; i < kMaxPlusStakes; ++i) g_plusStakes[++g_plusStakeCount] = i;
    EXPECT_EQ(PastePlusStakeText("5000\r\n5001\r\n5002\r\n"), 1);
    EXPECT_EQ(g_plusStakeCount, kMaxPlusStakes);
    EXPECT_EQ(LastMessage(), kPlusStakeLimitMessage);
    ClearRecordedMessages();
    EXPECT_FALSE(InsertPlusStakeRow(Cell(2, 1)));
    EXPECT_EQ(LastMessage(), kPlusStakeLimitMessage);
    EXPECT_EQ(CommitPlusStakeCell(kMaxPlusStakes + 1, "1"), PlusStakeCellStore::kNothing);
    EXPECT_EQ(g_plusStakeCount, kMaxPlusStakes);
}
