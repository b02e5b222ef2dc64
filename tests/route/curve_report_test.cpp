// The curve-element report: its layout, the closed-form elements of a clothoid and a
// circle, and the same text after the route document is saved and reopened.
#include "route_test_state.h"
#include "route/curve_report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "route/route_files_command.h"
#include "route_files_support.h"

namespace fs = std::filesystem;

namespace {
class CurveReport : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRouteTestState();
    }
    void TearDown() override {
        ReleaseDataModel();
        ClearRecordedMessages();
    }
};

std::string Report(int32_t ip) {
    g_currentIp = ip;
    std::string text;
    EXPECT_TRUE(FormatCurveReport(text));
    return text;
}

std::vector<std::string> ReportLines(int32_t ip) {
    std::vector<std::string> lines;
    const std::string text = Report(ip);
    size_t start = 0;
    for (size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
        lines.push_back(text.substr(start, lf - start));
    EXPECT_EQ(start, text.size());
    return lines;
}
// The same text, but for the added distances after "SP=", which the curve-element file
// keeps to three decimals.
void ExpectSameToTheFilesDecimals(const std::string& got, const std::string& want) {
    const std::regex number(R"(-?[0-9]+\.[0-9]+)");
    auto a = std::sregex_iterator(got.begin(), got.end(), number);
    auto b = std::sregex_iterator(want.begin(), want.end(), number);
    size_t endA = 0, endB = 0;
    for (; a != std::sregex_iterator() && b != std::sregex_iterator(); ++a, ++b) {
        const std::string textA = got.substr(endA, a->position() - endA);
        ASSERT_EQ(textA, want.substr(endB, b->position() - endB));
        endA = a->position() + a->length();
        endB = b->position() + b->length();
        if (a->str() == b->str()) continue;
        const size_t sp = textA.rfind("SP=");
        EXPECT_TRUE(sp != std::string::npos &&
                    textA.find_first_not_of(' ', sp + 3) == std::string::npos)
            << textA << a->str() << " != " << b->str();
        EXPECT_NEAR(std::stod(a->str()), std::stod(b->str()), 0.0005);
    }
    EXPECT_TRUE(a == std::sregex_iterator() && b == std::sregex_iterator());
    EXPECT_EQ(got.substr(endA), want.substr(endB));
}
}  // namespace

TEST(CurveReportDms, PrintsDegreesMinutesSeconds) {
    struct Case {
        double in;
        const char* want;
    };
    const Case cases[] = {{35.1234, "35-12-34"}, {45.3020, "45-30-20"},    {7.0943, "7-09-43"},
                          {0.0, "0-00-00"},      {359.59595, "359-59-60"}, {-12.3, "-12-30-00"}};
    for (const Case& c : cases) EXPECT_EQ(FormatDms(c.in), c.want) << c.in;
}

TEST_F(CurveReport, ShowsTheClosedFormElements) {
    route_fixture::MakeComputedRoute();
    ASSERT_TRUE(RecordedMessages().empty());

    // IA 60, R 200, A1 = A2 = 100.
    const std::vector<std::string> clothoid = ReportLines(2);
    const std::vector<std::string> want = {
        "",
        "     [曲線 諸元]  IP1       (R)",
        "     IA= 60-00-00  R= 200.00000  A1= 100.00000  A2= 100.00000  CL= 259.43951",
        "     BP       X=     0.00000  Y=     0.00000                 SP=   100.00000",
        "     IP   1    X=   300.00000  Y=     0.00000  距離= 300.00000",
        "",
        "　　　[曲線 要素]　　　第一曲線　　　第二曲線　　　　　　単曲線",
        "　　　　　　　　　Ｘ　    49.92193　    49.92193　　　　　Ｉ　　 45-40-34",
        "　　　　　　　　　Ｙ　     2.08101　     2.08101　　　　　ＴＬ  84.22850",
        "　　　　　　　　　Ｌ　    50.00000　    50.00000　　　　　ＬＣ  159.43951",
        "　　　　　　　　　Ｄ　   140.75757　   140.75757　　　　　ＳＬ  17.01253",
        "　　　　　　　　　ＴＫ    16.69151　    16.69151",
        "　　　　　　　　　ＴＬ    33.36066　    33.36066",
        "　　　　　　　　　ＸＭ    24.98698　    24.98698",
        "　　　　　　　　　Ｓｏ    49.96529　    49.96529",
        "　　　　　　　　　△Ｒ     0.52054　     0.52054",
        "　　　　　　　　　τ　　  7-09-43　　　  7-09-43",
        "　　　　　　　　　σ　　  2-23-13　　　  2-23-13",
        "　　　[曲線主要点]",
        "　　　　　　　　　KA1　SP= 259.24243　X=   159.24243　Y=     0.00000",
        "　　　　　　　　　KE1　SP= 309.24243　X=   209.16436　Y=     2.08101",
        "　　　　　　　　　KE2　SP= 468.68194　X=   343.61561　Y=    79.70648",
        "　　　　　　　　　KA2　SP= 518.68194　X=   370.37879　Y=   121.89964",
    };
    EXPECT_EQ(clothoid, want);

    // Circle R 100, IA 45: TL = R tan 22.5, CL = R pi / 4, SL = R (sec 22.5 - 1).
    const std::vector<std::string> circle = ReportLines(3);
    ASSERT_EQ(circle.size(), 22u);
    EXPECT_EQ(circle[1], "     [曲線 諸元]  IP2       (L)");
    EXPECT_EQ(circle[3], "");
    EXPECT_EQ(circle[8], std::string(55, ' ') + "ＴＬ  41.42136");
    EXPECT_EQ(circle[9], std::string(55, ' ') + "ＣＬ  78.53982");
    EXPECT_EQ(circle[10], std::string(55, ' ') + "ＳＬ   8.23922");
    EXPECT_EQ(circle[19].substr(0, 27), "                    BC  SP=");
    EXPECT_EQ(circle[21], "");

    // Without curve: the head lines only, the EP line on the last IP.
    const std::vector<std::string> none = ReportLines(4);
    ASSERT_EQ(none.size(), 6u);
    EXPECT_EQ(none[5].substr(0, 20), "     EP        X=   ");

    // The other naming changes only the four labels.
    g_clothoidNaming = 0;
    const std::vector<std::string> named = ReportLines(2);
    EXPECT_EQ(named[19].substr(0, 30), "　　　　　　　　　BTC");
    EXPECT_EQ(named[22].substr(0, 30), "　　　　　　　　　ETC");
    for (size_t k = 0; k < 19; ++k) EXPECT_EQ(named[k], clothoid[k]);

    // Only the IPs between BP and EP have a report.
    std::string text = "kept";
    g_currentIp = 1;
    EXPECT_FALSE(FormatCurveReport(text));
    g_currentIp = 5;
    EXPECT_FALSE(FormatCurveReport(text));
    g_ipPointCount = 2;
    g_currentIp = 2;
    EXPECT_FALSE(FormatCurveReport(text));
    EXPECT_EQ(text, "kept");
}

TEST_F(CurveReport, IsTheSameAfterSavingAndReopening) {
    route_fixture::MakeComputedRoute();
    std::vector<std::string> before;
    for (int32_t ip = 2; ip <= 4; ++ip) before.push_back(Report(ip));
    const fs::path dir =
        fs::temp_directory_path() / ("nostrel_report_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_TRUE(WriteRouteDocument(dir / "r.ALG", nullptr));
    InitDataModel();
    ReadRouteDocument(dir / "r.ALG");
    fs::remove_all(dir);
    for (int32_t ip = 2; ip <= 4; ++ip) ExpectSameToTheFilesDecimals(Report(ip), before[ip - 2]);
    EXPECT_TRUE(RecordedMessages().empty());
}
