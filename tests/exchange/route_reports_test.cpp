// Curve-element and station reports: exact lines of a circle page, one page per IP with
// BP and EP only on the first and last, clothoid and circle blocks aligned, angle texts,
// CP932-safe station name cuts, CR LF files and the refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "exchange/route_reports.h"
#include "import_test_support.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/text_io.h"
#include "route/route_data.h"

namespace {

using importtest::ImportFixture;

class RouteReports : public ImportFixture {
protected:
    static IpPoint& SetIp(int32_t i, const char* name, int32_t number, double x, double y, int32_t type) {
        IpPoint& ip = g_ipPoints[i];
        ip = IpPoint{};
        std::strcpy(ip.name, name);
        ip.number = number;
        ip.x = x;
        ip.y = y;
        ip.curveType = type;
        return ip;
    }
    // BP - IP1 (circle only, right) - EP.
    static void CircleRoute() {
        g_ipPointCount = 3;
        SetIp(1, "BP", 0, 0, 0, kCurveBp);
        IpPoint& ip = SetIp(2, "IP", 1, 100, 50, kCurveCircle);
        ip.turnSide = 1;
        ip.ia = 45.3012;
        ip.radius = 100;
        ip.curveLength = 78.5;
        ip.legLength = 111.8034;
        ip.arcTangentLength = 41.9;
        ip.arcLength = 78.5;
        ip.arcSecant = 8.2;
        ip.ke1Distance = 70, ip.ke1X = 60, ip.ke1Y = 30;
        ip.ke2Distance = 148.5, ip.ke2X = 150, ip.ke2Y = 50;
        IpPoint& ep = SetIp(3, "EP", 2, 300, 50, kCurveEp);
        ep.legLength = 200;
        ep.addedDistance = 310;
    }
    // BP, `ips` IPs of the given curve types, EP.
    static void Route(const std::vector<int32_t>& types) {
        g_ipPointCount = static_cast<int32_t>(types.size()) + 2;
        SetIp(1, "BP", 0, 0, 0, kCurveBp);
        for (size_t k = 0; k < types.size(); ++k) {
            IpPoint& ip = SetIp(static_cast<int32_t>(k) + 2, "IP", static_cast<int32_t>(k) + 1, 10.0 * (k + 1), 5, types[k]);
            ip.ia = 5.0730;
            ip.ke1Distance = 11, ip.ke2Distance = 22;
        }
        SetIp(g_ipPointCount, "EP", 0, 99, 0, kCurveEp);
    }
    static std::vector<std::string> Pages(const std::string& text) {
        std::vector<std::string> pages;
        size_t from = 0, ff;
        while ((ff = text.find('\f', from)) != std::string::npos) {
            pages.push_back(text.substr(from, ff - from));
            from = ff + 1;
        }
        EXPECT_EQ(from, text.size()) << "bytes after the last form feed";
        return pages;
    }
    static std::vector<std::string> Lines(const std::string& page) {
        std::vector<std::string> lines;
        size_t from = 0, lf;
        while ((lf = page.find('\n', from)) != std::string::npos) {
            lines.push_back(page.substr(from, lf - from));
            from = lf + 1;
        }
        EXPECT_EQ(from, page.size()) << "a page ends with its line end";
        return lines;
    }
};

TEST_F(RouteReports, CirclePageExactly) {
    CircleRoute();
    const std::string pad(51, ' ');
    const std::string want =
        "     [曲線 諸元]  IP1       (R)\n"
        "     IA= 45-30-12  R= 100.00000  A1=   0.00000  A2=   0.00000  CL=  78.50000\n"
        "     BP        X=     0.00000  Y=     0.00000                 SP=     0.00000\n"
        "     IP   1    X=   100.00000  Y=    50.00000  距離= 111.80340\n"
        "     EP        X=   300.00000  Y=    50.00000  距離= 200.00000  SP=   310.00000\n"
        "     [曲線 要素]                                        単曲線\n"
        "\n" +
        pad + "ＴＬ  41.90000\n" + pad + "ＣＬ  78.50000\n" + pad + "ＳＬ   8.20000\n" +
        "\n\n\n\n\n\n\n"
        "     [曲線主要点]\n"
        "                    BC  SP=  70.00000  X=    60.00000  Y=    30.00000\n"
        "                    EC  SP= 148.50000  X=   150.00000  Y=    50.00000\n"
        "\n\f";
    EXPECT_EQ(Cp932ToUtf8(CurveElementReport()), want);

    // The file is the same text with CR LF.
    const auto path = m_dir / "c.TXT";
    ASSERT_EQ(WriteCurveElementText(path), 0);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    std::string crlf;
    for (char ch : Utf8ToCp932(want)) {
        if (ch == '\n') crlf += '\r';
        crlf += ch;
    }
    EXPECT_EQ(bytes, crlf);
}

TEST_F(RouteReports, OnePagePerIpWithBpFirstAndEpLast) {
    struct Case {
        std::vector<int32_t> types;
    };
    const Case cases[] = {{{kCurveNone}}, {{kCurveCircle, kCurveClothoid}}, {{kCurveEgg, kCurveNone, kCurveCircle, kCurveClothoid}}};
    g_clothoidNaming = 0;
    for (const Case& c : cases) {
        Route(c.types);
        const std::vector<std::string> pages = Pages(Cp932ToUtf8(CurveElementReport()));
        ASSERT_EQ(static_cast<int32_t>(pages.size()), g_ipPointCount - 2);
        for (size_t p = 0; p < pages.size(); ++p) {
            const std::vector<std::string> lines = Lines(pages[p]);
            ASSERT_GE(lines.size(), 5u);
            EXPECT_EQ(lines[2].rfind("     BP        X=", 0) == 0, p == 0) << p;
            EXPECT_EQ(lines[2].empty(), p != 0) << p;
            EXPECT_EQ(lines[4].rfind("     EP        X=", 0) == 0, p + 1 == pages.size()) << p;
            EXPECT_EQ(lines[4].empty(), p + 1 != pages.size()) << p;
            // The curve block by the type: none, or sixteen lines.
            const int32_t type = c.types[p];
            EXPECT_EQ(lines.size(), type == kCurveNone ? 5u : 21u) << p;
            EXPECT_NE(lines[1].find("IA=  5-07-30  R="), std::string::npos) << lines[1];
            if (type != kCurveNone) {
                // Both blocks put the circle's main points on the same lines.
                EXPECT_EQ(lines[18].substr(0, 30), "                    BC  SP=  1") << p;
                EXPECT_EQ(lines[19].substr(0, 30), "                    EC  SP=  2") << p;
            }
        }
    }
}

TEST_F(RouteReports, ClothoidBlockAndNaming) {
    Route({kCurveClothoid});
    IpPoint& ip = g_ipPoints[2];
    ip.clothoid1.x = 49.9, ip.clothoid2.x = 48;
    ip.arcAngle = 30.152;
    ip.clothoid1.tau = 14.193, ip.clothoid2.tau = 8.0005;
    ip.ka1Distance = 5;
    struct Case {
        int32_t naming;
        const char* first;
        const char* last;
    };
    for (const Case& c : {Case{0, "     [曲線主要点]  BTC  SP=   5.00000", "                   ETC  SP="},
                          Case{1, "     [曲線主要点]  KA1  SP=   5.00000", "                   KA2  SP="}}) {
        g_clothoidNaming = c.naming;
        const std::vector<std::string> lines = Lines(Pages(Cp932ToUtf8(CurveElementReport())).at(0));
        ASSERT_EQ(lines.size(), 21u);
        EXPECT_EQ(lines[5], "     [曲線 要素]      第一曲線       第二曲線           単曲線");
        EXPECT_EQ(lines[6], "                 Ｘ     49.90000       48.00000     I    30-15-20");
        EXPECT_EQ(lines[15], "                 τ     14-19-30        8-00-05");
        EXPECT_EQ(lines[17].substr(0, std::strlen(c.first)), c.first);
        EXPECT_EQ(lines[20].substr(0, std::strlen(c.last)), c.last);
    }
    g_clothoidNaming = 0;
}

TEST_F(RouteReports, StationListCutsNamesOnCharacterBoundaries) {
    struct Case {
        std::string name;  // CP932
        std::string column;
    };
    const std::string soku = Utf8ToCp932("測");
    const Case cases[] = {
        {"NO.1", "NO.1        "},
        {"ABCDEFGHIJKLMN", "ABCDEFGHIJKL"},
        {"ABCDEFGHIJK" + soku, "ABCDEFGHIJK "},   // the character would straddle column 12
        {"ABCDEFGHIJ" + soku, "ABCDEFGHIJ" + soku},
    };
    g_stationCapacity = 10;
    ASSERT_EQ(GrowStationBlock(g_stationCapacity), 0);
    g_stationCount = 4;
    for (int32_t i = 1; i <= 4; ++i) {
        StationRecord& s = g_stations[i];
        s = StationRecord{};
        std::strcpy(s.name, cases[i - 1].name.c_str());
        s.addedDistance = 20.0 * i;
        s.x = 10.0 * i;
        s.y = i;
    }
    const std::string text = StationReport();
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Cp932ToUtf8(lines[0]), "     ＊＊＊　各点座標リスト　＊＊＊");
    EXPECT_EQ(lines[1], "     (   1) NO.1         SP=  20.00000 X=    10.00000 Y=     1.00000");
    for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(lines[i].substr(12, 12), cases[i - 1].column) << i;
    // Every line converts to UTF-8 and back unchanged: no character was cut in two.
    EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(text)), text);
}

TEST_F(RouteReports, NothingToWriteAndFilesThatCannotBeMade) {
    const auto path = m_dir / "r.TXT";
    g_ipPointCount = 2;
    EXPECT_EQ(WriteCurveElementText(path), kRouteReportNothing);
    g_stationCount = 0;
    EXPECT_EQ(WriteStationText(path), kRouteReportNothing);
    EXPECT_FALSE(std::filesystem::exists(path));

    CircleRoute();
    EXPECT_EQ(WriteCurveElementText(m_dir / "none" / "r.TXT"), kRouteReportNotCreated);
    // A full device: the write fails at the close and is told, not taken for success.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(WriteCurveElementText("/dev/full"), kRouteReportWriteFailed);
    }

    // The command tells each case.
    struct Case {
        int32_t ips;
        std::filesystem::path path;
        const char* message;
    };
    const Case cases[] = {{2, path, "出力するデータがありません。"},
                          {3, m_dir / "none" / "r.TXT", "ファイルが作成できませんでした。"},
                          {3, path, nullptr}};
    for (const Case& c : cases) {
        CircleRoute();
        g_ipPointCount = c.ips;
        ClearRecordedMessages();
        QueueFileDialogAnswer(c.path.string());
        OnExportCurveElementText();
        if (c.message) {
            ASSERT_EQ(RecordedMessages().size(), 1u);
            EXPECT_EQ(RecordedMessages()[0].text.rfind(c.message, 0), 0u) << RecordedMessages()[0].text;
        } else {
            EXPECT_TRUE(RecordedMessages().empty());
            EXPECT_TRUE(std::filesystem::exists(c.path));
        }
    }
}

}  // namespace
