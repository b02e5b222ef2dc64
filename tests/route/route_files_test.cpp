// The route files .ALG, .YSO, .RSN and .RUT: golden files of a computed route, round
// trips, damaged and foreign input, table limits and write failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "route_test_state.h"
#include "model/record_block.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/alg_file.h"
#include "route/route_files_command.h"
#include "route/station_files.h"
#include "route/yso_file.h"
#include "route_files_support.h"
#include "view/display_flags.h"

namespace fs = std::filesystem;

namespace {
const fs::path kGoldenDir = fs::path(NOSTREL_SOURCE_DIR) / "tests/data/route";

class RouteFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRouteTestState();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("nostrel_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        fs::remove_all(m_dir);
        ReleaseDataModel();
        ClearRecordedMessages();
    }
    fs::path Dir() const { return m_dir; }
    fs::path Write(const std::string& name, const std::string& bytes) const {
        const fs::path path = m_dir / name;
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }
    static std::string Read(const fs::path& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
        return bytes;
    }
    static std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : RecordedMessages()) texts.push_back(m.text);
        return texts;
    }
    // The golden file `name`, or, with NOSTREL_WRITE_GOLDEN set, `bytes` written as it.
    static void ExpectGolden(const std::string& name, const std::string& bytes) {
        const fs::path golden = kGoldenDir / name;
        if (std::getenv("NOSTREL_WRITE_GOLDEN")) {
            ASSERT_TRUE(WriteFileBytes(golden, bytes));
        }
        EXPECT_EQ(bytes, Read(golden)) << name;
    }

    fs::path m_dir;
};

// Every line ends CR LF, none CR CR LF, and nothing follows the last.
void ExpectCrLfLines(const std::string& bytes) {
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (size_t k = 0; k < bytes.size(); ++k) {
        if (bytes[k] == '\n') {
            ASSERT_TRUE(k > 0 && bytes[k - 1] == '\r') << k;
        }
        if (bytes[k] == '\r') {
            ASSERT_TRUE(k + 1 < bytes.size() && bytes[k + 1] == '\n') << k;
        }
    }
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos) lf = bytes.size();
        size_t end = lf;
        while (end > start && bytes[end - 1] == '\r') --end;
        lines.push_back(bytes.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

// Three cross sections by hand, as the section data will give them: number 2 has no
// record, number 3 no ground height, number 4 a name longer than the column.
RutSectionSource HandSections() {
    RutSectionSource source;
    source.count = 4;
    source.getCrossSection = [](int32_t n, RutSection* out) {
        switch (n) {
            case 1:
                *out = {"NO5", 100.0, 1000.25, 2000.5, 123.4567};
                return true;
            case 3:
                *out = {"NO6", 120.0, 1019.875, 2001.0625, -999999.999};
                return true;
            case 4:
                *out = {"KA1-1+12.345XYZ", 132.345, 1031.0, 2002.0, 98.0};
                return true;
            default:
                return false;
        }
    };
    return source;
}
}  // namespace

TEST_F(RouteFiles, ComputedRouteWritesTheGoldenFiles) {
    route_fixture::MakeComputedRoute();
    ASSERT_TRUE(RecordedMessages().empty()) << Messages()[0];
    ASSERT_EQ(g_ipPoints[2].curveType, kCurveClothoid);
    ASSERT_EQ(g_ipPoints[3].curveType, kCurveCircle);
    ASSERT_EQ(g_ipPoints[4].curveType, kCurveNone);

    // The stand-alone writer and the document's writer give the same CR LF text.
    ASSERT_EQ(WriteAlgFile(Dir() / "alone.txt"), -1);
    const std::string alone = Read(Dir() / "alone.ALG");
    const RutSectionSource sections = HandSections();
    ASSERT_TRUE(WriteRouteDocument(Dir() / "doc.ALG", &sections));
    EXPECT_EQ(Read(Dir() / "doc.ALG"), alone);
    ExpectCrLfLines(alone);
    ExpectGolden("fixture.ALG", alone);
    for (const char* ext : {".YSO", ".RSN", ".RUT"}) {
        SCOPED_TRACE(ext);
        const std::string bytes = Read(Dir() / (std::string("doc") + ext));
        ExpectCrLfLines(bytes);
        ExpectGolden(std::string("fixture") + ext, bytes);
    }
    EXPECT_TRUE(RecordedMessages().empty());

    // A few lines read by their columns, independently of the writer.
    const std::vector<std::string> alg = Lines(alone);
    EXPECT_EQ(alg[0], "    20.000     5.000    12.500    15.000   100.000   5 0 1");
    EXPECT_EQ(alg[1].substr(0, 8), "BP      ");
    EXPECT_EQ(alg[2],
              "IP     1      300.00000        0.00000   200.000   100.000   100.000     0.000");
    EXPECT_EQ(alg[6], "++++++++       20.00000");
    EXPECT_EQ(alg[7], "--------       10.00000");
    EXPECT_EQ(alg[8], "      130.25000");
    ASSERT_EQ(alg.size(), 11u);

    const std::vector<std::string> rsn = Lines(Read(Dir() / "doc.RSN"));
    const StationRecord& third = g_stations[3];
    char head[128];
    std::snprintf(head, sizeof head, "%15.5f%5d%5d       ABCDEFGHIJKLMNO", third.addedDistance,
                  third.kind, third.number);
    EXPECT_EQ(rsn[10], head);
    EXPECT_EQ(rsn.back(), "**");
    EXPECT_EQ(rsn.size(), static_cast<size_t>(g_stationCount) * 5 + 1);

    const std::vector<std::string> rut = Lines(Read(Dir() / "doc.RUT"));
    ASSERT_EQ(rut.size(), 8u);
    EXPECT_EQ(rut[0], std::string(30, '*'));
    EXPECT_EQ(rut[5], "NO5              100.000      1000.2500      2000.5000   123.457");
    EXPECT_EQ(rut[6], "NO6              120.000      1019.8750      2001.0625-999999.999");
    EXPECT_EQ(rut[7].substr(0, 12), "KA1-1+12.345");
}

TEST_F(RouteFiles, WriteReadWriteGivesTheSameFiles) {
    route_fixture::MakeComputedRoute();
    ASSERT_TRUE(WriteRouteDocument(Dir() / "first.ALG", nullptr));
    InitDataModel();
    g_plusStakeCount = 7;  // leftovers the read must not keep
    g_epForwardDistance = 3;
    const fs::path cwd = fs::current_path();
    ReadRouteDocument(Dir() / "first.ALG");
    EXPECT_EQ(fs::current_path(), cwd);
    EXPECT_EQ(g_routeDataName, "first");
    EXPECT_EQ(g_ipPointCount, 5);
    EXPECT_EQ(g_plusStakeCount, 3);
    EXPECT_STREQ(g_stations[3].name, route_fixture::kLongStationName);
    EXPECT_EQ(g_stationCapacity, g_stationCount + 100);
    EXPECT_EQ(g_showRoute, -1);
    EXPECT_EQ(g_showIpNames, -1);
    ASSERT_TRUE(WriteRouteDocument(Dir() / "second.ALG", nullptr));
    for (const char* ext : {".ALG", ".YSO", ".RSN"}) {
        SCOPED_TRACE(ext);
        EXPECT_EQ(Read(Dir() / (std::string("second") + ext)),
                  Read(Dir() / (std::string("first") + ext)));
    }
    EXPECT_FALSE(fs::exists(Dir() / "second.RUT"));
    EXPECT_TRUE(RecordedMessages().empty());
}

// What one reader case starts from and what it must leave.
struct ReaderCase {
    const char* what;
    std::map<std::string, std::string> files;  // extension -> bytes of "r.<ext>"
    std::function<void()> before;              // state the read must replace
    std::function<void(const fs::path& base)> read;
    std::function<void()> check;
};

namespace {
const std::string kParams = "    20.000     5.000    12.500    15.000   100.000   5 0 1";
const std::string kBp =
    "BP              0.00000        0.00000     0.000     0.000     0.000     0.000";
const std::string kIp =
    "IP     1      300.00000       10.00000   200.000   100.000    90.000     0.000";
const std::string kEp =
    "EP            600.00000      100.00000     0.000     0.000     0.000     0.000";

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const std::string& l : lines) text += l + end;
    return text;
}

void ReadAlg(const fs::path& base) { EXPECT_EQ(ReadAlgFile(base.string() + ".ALG"), 0); }

void ReadAlgYso(const fs::path& base) {
    ReadAlg(base);
    EXPECT_EQ(ReadYsoFile(base), 0);
}

void ExpectThreeIps() {
    ASSERT_EQ(g_ipPointCount, 3);
    EXPECT_STREQ(g_ipPoints[1].name, "BP");
    EXPECT_EQ(g_ipPoints[1].number, 0);
    EXPECT_EQ(g_ipPoints[2].number, 1);
    EXPECT_DOUBLE_EQ(g_ipPoints[2].x, 300.0);
    EXPECT_DOUBLE_EQ(g_ipPoints[2].y, 10.0);
    EXPECT_DOUBLE_EQ(g_ipPoints[2].radius, 200.0);
    EXPECT_DOUBLE_EQ(g_ipPoints[2].a1, 100.0);
    EXPECT_DOUBLE_EQ(g_ipPoints[2].a2, 90.0);
    EXPECT_DOUBLE_EQ(g_ipPoints[3].x, 600.0);
    EXPECT_EQ(g_ipPoints[2].ke1X, 0.0);  // cleared, not left from the route before
    EXPECT_DOUBLE_EQ(g_stationInterval, 20.0);
    EXPECT_DOUBLE_EQ(g_leftCutWidth, 12.5);
    EXPECT_EQ(g_firstStationNumber, 5);
    EXPECT_EQ(g_clothoidNaming, 1);
}

void ExpectExtrasAndStakes() {
    EXPECT_DOUBLE_EQ(g_epForwardDistance, 20.0);
    EXPECT_DOUBLE_EQ(g_bpBackDistance, 10.0);
    ASSERT_EQ(g_plusStakeCount, 2);
    EXPECT_DOUBLE_EQ(g_plusStakes[1], 130.25);
    EXPECT_DOUBLE_EQ(g_plusStakes[2], 45.5);
}

// A route read before, whose leftovers no read may keep.
void OldRoute() {
    for (int32_t i = 1; i <= 6; ++i) {
        g_ipPoints[i].ke1X = 77;
        g_ipPoints[i].curveType = kCurveEgg;
    }
    g_ipPointCount = 6;
    g_epForwardDistance = 99;
    g_bpBackDistance = 99;
    g_plusStakes[1] = 5;
    g_plusStakeCount = 9;
}

// A station block as the .RSN holds it.
std::string Rsn(const char* head) {
    return std::string(head) +
           "\r\n        1.50000       30.25000\r\n      -12.50000       30.25000\r\n"
           "       15.00000       31.00000\r\nE\r\n";
}
const char* const kStationA = "      100.00000    1    0       NO**5";
const char* const kStationB = "      130.25000   40    5       ABCDEFGHIJKLMNO";

void OldStations() {
    GrowStationBlock(10);
    g_stationCapacity = 10;
    for (int32_t i = 1; i <= 5; ++i) g_stations[i].kind = 2;
    g_stationCount = 5;
}

const std::vector<std::string> kAlg = {kParams,
                                       kBp,
                                       kIp,
                                       kEp,
                                       "++++++++       20.00000",
                                       "--------       10.00000",
                                       "      130.25000",
                                       "       45.50000"};

// A .YSO of BP, one IP block of `marker` and EP, as the writer lays it out.
std::string Yso(const std::string& ipBlock) {
    return "BP                0.00000        0.00000\r\n"
           "    42.500        0.00000        0.00000\r\n_E\r\n" +
           ipBlock +
           "EP              100.00000      600.00000\r\n**\r\n 300.00000\r\n"
           "   777.125      100.00000      600.00000\r\n";
}

std::string ClBlock(const char* turn) {
    std::string block = "IP  1            10.00000      300.00000\r\nCL\r\n";
    block += std::string(turn) + "\r\n 60.0000\r\n";
    for (int k = 0; k < 31; ++k) block += "   1.50000\r\n";
    for (int k = 0; k < 4; ++k) block += "   259.242        3.00000      159.24243\r\n";
    return block + "_E\r\n";
}
}  // namespace

TEST_F(RouteFiles, ReadersTakeWhatIsSoundAndNothingElse) {
    const std::string crlf = Join(kAlg, "\r\n");
    std::vector<std::string> shortLines = kAlg;
    shortLines[0] = "    20.000     5.000    12.500";
    shortLines[2] = "IP     1      300.00000";
    std::vector<std::string> inside = kAlg;
    inside[3] = "EP            400.00000 ++++++++";  // an IP line that also holds the marker
    inside.erase(inside.begin() + 4);
    const ReaderCase cases[] = {
        {"CR LF",
         {{"ALG", crlf}},
         OldRoute,
         ReadAlg,
         [] {
             ExpectThreeIps();
             ExpectExtrasAndStakes();
         }},
        {"LF",
         {{"ALG", Join(kAlg, "\n")}},
         OldRoute,
         ReadAlg,
         [] {
             ExpectThreeIps();
             ExpectExtrasAndStakes();
         }},
        {"CR CR LF",
         {{"ALG", Join(kAlg, "\r\r\n")}},
         OldRoute,
         ReadAlg,
         [] {
             ExpectThreeIps();
             ExpectExtrasAndStakes();
         }},
        {"no end after the last line",
         {{"ALG", crlf.substr(0, crlf.size() - 2)}},
         OldRoute,
         ReadAlg,
         [] {
             ExpectThreeIps();
             ExpectExtrasAndStakes();
         }},
        {"blank lines among IPs and stakes",
         {{"ALG", Join({kParams, kBp, "", kIp, "   ", kEp, "++++++++       20.00000",
                        "--------       10.00000", "", "      130.25000", "       45.50000", ""},
                       "\r\n")}},
         OldRoute,
         ReadAlg,
         [] {
             ExpectThreeIps();
             ExpectExtrasAndStakes();
         }},
        {"short lines read their missing columns as empty",
         {{"ALG", Join(shortLines, "\r\n")}},
         OldRoute,
         ReadAlg,
         [] {
             ASSERT_EQ(g_ipPointCount, 3);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].x, 300.0);
             EXPECT_EQ(g_ipPoints[2].y, 0.0);
             EXPECT_EQ(g_ipPoints[2].radius, 0.0);
             EXPECT_DOUBLE_EQ(g_leftCutWidth, 12.5);
             EXPECT_EQ(g_rightCutWidth, 0.0);
             EXPECT_EQ(g_firstStationNumber, 0);
             ExpectExtrasAndStakes();
         }},
        {"\"++++++++\" inside a line ends the IPs",
         {{"ALG", Join(inside, "\r\n")}},
         OldRoute,
         ReadAlg,
         [] {
             ASSERT_EQ(g_ipPointCount, 2);
             EXPECT_STREQ(g_ipPoints[2].name, "IP");
             // Columns 8-22 of the ending line are the EP extension.
             EXPECT_DOUBLE_EQ(g_epForwardDistance, 400.0);
             EXPECT_DOUBLE_EQ(g_bpBackDistance, 10.0);
             EXPECT_EQ(g_plusStakeCount, 2);
         }},
        {"a file that ends before \"++++++++\"",
         {{"ALG", Join({kParams, kBp, kIp}, "\r\n")}},
         OldRoute,
         ReadAlg,
         [] {
             ASSERT_EQ(g_ipPointCount, 2);
             EXPECT_EQ(g_epForwardDistance, 0.0);
             EXPECT_EQ(g_bpBackDistance, 0.0);
             EXPECT_EQ(g_plusStakeCount, 0);
         }},
        {"1 record: BP block only",
         {{"ALG",
           Join({kParams, kBp, "++++++++       20.00000", "--------       10.00000"}, "\r\n")},
          {"YSO",
           "BP                0.00000        0.00000\r\n    42.500        0.00000        "
           "0.00000\r\n_E\r\n"}},
         OldRoute,
         ReadAlgYso,
         [] {
             ASSERT_EQ(g_ipPointCount, 1);
             EXPECT_EQ(g_ipPoints[1].curveType, kCurveBp);
             EXPECT_DOUBLE_EQ(g_ipPoints[1].addedDistance, 42.5);
             EXPECT_EQ(g_ipPoints[2].curveType, kCurveBp);  // cleared by the .ALG read
         }},
        {"2 records: BP and EP",
         {{"ALG",
           Join({kParams, kBp, kEp, "++++++++       20.00000", "--------       10.00000"}, "\r\n")},
          {"YSO", Yso("")}},
         OldRoute,
         ReadAlgYso,
         [] {
             ASSERT_EQ(g_ipPointCount, 2);
             EXPECT_DOUBLE_EQ(g_ipPoints[1].addedDistance, 42.5);
             EXPECT_EQ(g_ipPoints[2].curveType, kCurveEp);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].legLength, 300.0);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].addedDistance, 777.125);
         }},
        {"an egg written as CL reads back as a clothoid; \"R\" as right",
         {{"ALG", crlf}, {"YSO", Yso(ClBlock("R"))}},
         OldRoute,
         ReadAlgYso,
         [] {
             EXPECT_EQ(g_ipPoints[2].curveType, kCurveClothoid);
             EXPECT_EQ(g_ipPoints[2].turnSide, 1);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].ia, 60.0);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].a2, 90.0);  // from the .ALG, not the .YSO
             EXPECT_DOUBLE_EQ(g_ipPoints[2].clothoid2.sigma, 1.5);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].ka2Distance, 259.242);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].ka2Y, 3.0);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].ka2X, 159.24243);
             EXPECT_EQ(g_ipPoints[3].curveType, kCurveEp);
         }},
        {"turn 0 is written \"L\" and reads as left",
         {{"ALG", crlf},
          {"YSO",
           Yso("IP  1            10.00000      300.00000\r\nTP\r\nL\r\n  0.0000\r\n 300.00000\r\n"
               "   300.000       10.00000      300.00000\r\n_E\r\n")}},
         OldRoute,
         ReadAlgYso,
         [] {
             EXPECT_EQ(g_ipPoints[2].curveType, kCurveNone);
             EXPECT_EQ(g_ipPoints[2].turnSide, 2);
             EXPECT_DOUBLE_EQ(g_ipPoints[2].addedDistance, 300.0);
         }},
        {"blocks beyond the IP table are ignored",
         {{"ALG", Join({kParams, kBp, kEp, "++++++++       20.00000"}, "\r\n")},
          {"YSO", Yso(ClBlock("L") + ClBlock("L") + ClBlock("L"))}},
         OldRoute,
         ReadAlgYso,
         [] {
             ASSERT_EQ(g_ipPointCount, 2);
             EXPECT_EQ(g_ipPoints[2].curveType, kCurveClothoid);  // the first block, by position
             EXPECT_EQ(g_ipPoints[3].curveType, kCurveBp);
             EXPECT_EQ(g_ipPoints[3].ia, 0.0);
         }},
        {"stations: a name of 15 bytes holding \"**\", an incomplete last block",
         {{"RSN", Rsn(kStationA) + Rsn(kStationB) +
                      "     140.00000    2    6       NO6\r\n       1.0\r\n"}},
         OldStations,
         [](const fs::path& base) { EXPECT_EQ(ReadRsnFile(base), 0); },
         [] {
             ASSERT_EQ(g_stationCount, 2);
             EXPECT_EQ(g_stationCapacity, 102);
             EXPECT_STREQ(g_stations[1].name, "NO**5");
             EXPECT_STREQ(g_stations[2].name, "ABCDEFGHIJKLMNO");
             EXPECT_EQ(g_stations[2].kind, 40);
             EXPECT_EQ(g_stations[2].number, 5);
             EXPECT_DOUBLE_EQ(g_stations[2].addedDistance, 130.25);
             EXPECT_DOUBLE_EQ(g_stations[2].y, 1.5);
             EXPECT_DOUBLE_EQ(g_stations[2].x, 30.25);
             EXPECT_DOUBLE_EQ(g_stations[2].leftY, -12.5);
             EXPECT_DOUBLE_EQ(g_stations[2].rightX, 31.0);
             EXPECT_EQ(g_stations[2].groundZ, 0.0);
             EXPECT_EQ(g_stations[3].kind, 0);  // the old stations are gone
         }},
        {"stations after the end line are not read",
         {{"RSN", Rsn(kStationA) + "**\r\n" + Rsn(kStationB)}},
         OldStations,
         [](const fs::path& base) { EXPECT_EQ(ReadRsnFile(base.string() + ".ALG"), 0); },
         [] { EXPECT_EQ(g_stationCount, 1); }},
        {"two other routes",
         {{"ALG", crlf}, {"RSN", Rsn(kStationA) + Rsn(kStationB) + "**\r\n"}},
         [] { g_otherRouteIpCount = 0; },
         [](const fs::path& base) {
             EXPECT_EQ(ReadOtherRouteAlg(base.string() + ".RSN"), 0);
             EXPECT_EQ(ReadOtherRouteAlg(base), 0);
             EXPECT_EQ(ReadOtherRouteRsn(base.string() + ".ALG"), 0);
             EXPECT_EQ(ReadOtherRouteRsn(base), 0);
         },
         [] {
             EXPECT_EQ(g_ipPointCount, 0);
             ASSERT_EQ(g_otherRouteIpCount, 8);
             const int32_t numbers[] = {0, 1, 0, kRouteSeparator, 0, 1, 0, kRouteSeparator};
             for (int32_t k = 0; k < 8; ++k)
                 EXPECT_EQ(g_otherRouteIps[k + 1].number, numbers[k]) << k;
             EXPECT_STREQ(g_otherRouteIps[6].name, "IP");
             EXPECT_STREQ(g_otherRouteIps[8].name, "");
             EXPECT_DOUBLE_EQ(g_otherRouteIps[7].x, 600.0);
             EXPECT_EQ(g_stationCount, 0);
             ASSERT_EQ(g_otherRouteStationCount, 6);
             const char* names[] = {"NO**5", "ABCDEFGHIJKLMNO", "", "NO**5", "ABCDEFGHIJKLMNO", ""};
             for (int32_t k = 0; k < 6; ++k) {
                 EXPECT_STREQ(g_otherRouteStations[k + 1].name, names[k]) << k;
                 EXPECT_EQ(g_otherRouteStations[k + 1].kind == kRouteSeparator, k % 3 == 2) << k;
             }
             EXPECT_GE(g_otherRouteStationCapacity, g_otherRouteStationCount + 1);
         }},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.what);
        InitDataModel();
        ClearRecordedMessages();
        fs::remove_all(Dir());
        fs::create_directories(Dir());
        for (const auto& [ext, bytes] : c.files) Write("r." + ext, bytes);
        c.before();
        c.read(Dir() / "r");
        c.check();
        EXPECT_TRUE(RecordedMessages().empty());
    }
}

TEST_F(RouteFiles, CountsAboveATableStopWithTheirMessage) {
    // One IP line and one stake line more than the tables hold.
    std::string text = kParams + "\r\n";
    for (int32_t i = 1; i <= kMaxIpPoints + 1; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "IP%-3d%3d%15.5f%15.5f\r\n", i % 1000, i % 1000, i * 1.0,
                      0.0);
        text += line;
    }
    text += "++++++++       20.00000\r\n--------       10.00000\r\n";
    for (int32_t i = 1; i <= kMaxPlusStakes + 1; ++i) text += std::to_string(i) + ".5\r\n";
    const fs::path path = Write("big.ALG", text);

    ASSERT_EQ(ReadAlgFile(path), 0);
    const std::vector<std::string> want = {
        "ＩＰ点のデータ数が制限を越えたので読み込みを中止しました。",
        "プラス杭のデータ数が制限を越えたので読み込みを中止しました。"};
    EXPECT_EQ(Messages(), want);
    EXPECT_EQ(g_ipPointCount, kMaxIpPoints);
    EXPECT_DOUBLE_EQ(g_ipPoints[kMaxIpPoints].x, kMaxIpPoints * 1.0);
    EXPECT_DOUBLE_EQ(g_epForwardDistance, 20.0);  // read on after the IP limit
    EXPECT_EQ(g_plusStakeCount, kMaxPlusStakes);
    EXPECT_DOUBLE_EQ(g_plusStakes[kMaxPlusStakes], kMaxPlusStakes + 0.5);

    // What the writer writes of a full table reads back whole.
    const fs::path full = Dir() / "full.ALG";
    ASSERT_EQ(WriteAlgFile(full), -1);
    ClearRecordedMessages();
    ASSERT_EQ(ReadAlgFile(full), 0);
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(g_ipPointCount, kMaxIpPoints);
    EXPECT_EQ(g_plusStakeCount, kMaxPlusStakes);

    // The other-route table keeps room for each route's separator.
    ClearRecordedMessages();
    ASSERT_EQ(ReadOtherRouteAlg(full), 0);
    EXPECT_EQ(g_otherRouteIpCount, kMaxIpPoints);
    EXPECT_EQ(g_otherRouteIps[kMaxIpPoints].number, kRouteSeparator);
    EXPECT_EQ(g_otherRouteIps[kMaxIpPoints - 1].number, (kMaxIpPoints - 1) % 1000);
    EXPECT_EQ(Messages(), std::vector<std::string>{want[0]});
    ClearRecordedMessages();
    ASSERT_EQ(ReadOtherRouteAlg(full), 0);  // a full table takes nothing more
    EXPECT_EQ(g_otherRouteIpCount, kMaxIpPoints);
    EXPECT_EQ(Messages(), std::vector<std::string>{want[0]});
}

TEST_F(RouteFiles, StationMemoryThatFailsLeavesNoStations) {
    route_fixture::MakeComputedRoute();
    ASSERT_EQ(WriteRsnFile(Dir() / "r.ALG"), -1);
    const std::string want = "路線データ用のメモリーが確保できないので読み込みを中止しました。";
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(ReadRsnFile(Dir() / "r"), -1);
    EXPECT_EQ(Messages(), std::vector<std::string>{want});
    EXPECT_EQ(g_stationCount, 0);
    EXPECT_EQ(g_stationCapacity, 0);

    ClearRecordedMessages();
    ASSERT_EQ(ReadOtherRouteRsn(Dir() / "r"), 0);
    ASSERT_GT(g_otherRouteStationCount, 1);
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(ReadOtherRouteRsn(Dir() / "r"), -1);
    EXPECT_EQ(Messages(), std::vector<std::string>{want});
    EXPECT_EQ(g_otherRouteStationCount, 0);
    EXPECT_EQ(g_otherRouteStationCapacity, 0);
}

TEST_F(RouteFiles, FilesThatCannotBeWrittenAreReportedAndNothingDependsOnThem) {
    route_fixture::MakeComputedRoute();
    // Writes that fail (a full disk) behind every name of the document.
    const fs::path alg = Dir() / "r.ALG";
    fs::create_symlink("/dev/full", alg);
    EXPECT_FALSE(WriteRouteDocument(alg, nullptr));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("書き込み"), std::string::npos);
    EXPECT_FALSE(fs::exists(Dir() / "r.YSO"));
    EXPECT_FALSE(fs::exists(Dir() / "r.RSN"));

    // A failed companion is told; the others are still written.
    fs::remove(alg);
    fs::create_symlink("/dev/full", Dir() / "r.YSO");
    ClearRecordedMessages();
    EXPECT_FALSE(WriteRouteDocument(alg, nullptr));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(fs::exists(Dir() / "r.RSN"));

    // Folders that do not exist.
    const fs::path nowhere = Dir() / "missing" / "r.ALG";
    const RutSectionSource sections = HandSections();
    ClearRecordedMessages();
    EXPECT_FALSE(WriteRouteDocument(nowhere, &sections));
    EXPECT_EQ(WriteAlgFile(nowhere), 0);
    EXPECT_EQ(WriteYsoFile(nowhere), 0);
    EXPECT_EQ(WriteRsnFile(nowhere), 0);
    EXPECT_EQ(WriteRutFile(nowhere, &sections), -1);
    EXPECT_EQ(Messages().size(), 5u);
    for (const std::string& m : Messages()) EXPECT_NE(m.find("作成"), std::string::npos) << m;

    // Nothing to write is no failure.
    ClearRecordedMessages();
    EXPECT_EQ(WriteRutFile(nowhere, nullptr), 0);
    g_ipPointCount = 0;
    EXPECT_EQ(WriteAlgFile(nowhere), -1);
    EXPECT_EQ(WriteYsoFile(nowhere), -1);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(RouteFiles, ARouteWithoutStationsRemovesItsOldStationFile) {
    route_fixture::MakeComputedRoute();
    ASSERT_TRUE(WriteRouteDocument(Dir() / "r.ALG", nullptr));
    ASSERT_TRUE(fs::exists(Dir() / "r.RSN"));
    Write("other.RSN", "**\r\n");
    g_stationCount = 0;
    ASSERT_TRUE(WriteRouteDocument(Dir() / "r.ALG", nullptr));
    EXPECT_FALSE(fs::exists(Dir() / "r.RSN"));
    EXPECT_TRUE(fs::exists(Dir() / "other.RSN"));
    InitDataModel();
    ReadRouteDocument(Dir() / "r.ALG");
    EXPECT_EQ(g_ipPointCount, 5);
    EXPECT_EQ(g_stationCount, 0);
}

TEST_F(RouteFiles, ARouteWithoutIpsKeepsItsParametersAndStakes) {
    g_stationInterval = 10.0;
    g_plusStakes[1] = 12.5;
    g_plusStakes[2] = 40.0;
    g_plusStakeCount = 2;
    ASSERT_TRUE(WriteRouteDocument(Dir() / "r.ALG", nullptr));
    EXPECT_EQ(Read(Dir() / "r.ALG"),
              "    10.000    10.000    30.000    30.000     0.000   1 0 1\r\n"
              "++++++++        0.00000\r\n--------        0.00000\r\n"
              "       12.50000\r\n       40.00000\r\n");
    EXPECT_FALSE(fs::exists(Dir() / "r.YSO"));
    InitDataModel();
    ReadRouteDocument(Dir() / "r.ALG");
    EXPECT_EQ(g_ipPointCount, 0);
    EXPECT_EQ(g_plusStakeCount, 2);
    EXPECT_DOUBLE_EQ(g_stationInterval, 10.0);
    EXPECT_TRUE(RecordedMessages().empty());
}
