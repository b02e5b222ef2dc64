#include <gtest/gtest.h>

#include <cmath>

#include "platform/file_dialog.h"
#include "platform/text_io.h"
#include "volume/datum_volume.h"
#include "volume/tin_area.h"
#include "volume_test_support.h"

using namespace voltest;

namespace {

class DatumArea : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

// A square base of side 2a round (0, 0) at height 0 with an apex at h over its centre.
void MakePyramid(double a, double h) {
    const int32_t c = AddPoint(0, 0, h);
    const int32_t p1 = AddPoint(-a, -a, 0), p2 = AddPoint(-a, a, 0), p3 = AddPoint(a, a, 0), p4 = AddPoint(a, -a, 0);
    SetTin({{c, p1, p2}, {c, p2, p3}, {c, p3, p4}, {c, p4, p1}});
}

TEST_F(DatumArea, DatumVolumeMatchesClosedForms) {
    struct Case {
        const char* what;
        std::function<void()> make;
        double dl, ca, ba;
    };
    const Case cases[] = {
        // The cut triangle: the lower part is one triangle of a quarter of the area.
        {"cut triangle", [] { SetTin({{AddPoint(0, 0, 11), AddPoint(10, 0, 11), AddPoint(0, 10, 9)}}); }, 10,
         20.0 + 5.0 / 6, -25.0 / 6},
        {"pyramid", [] { MakePyramid(5, 6); }, 0, 100.0 * 6 / 3, 0},
        {"pyramid below", [] { MakePyramid(5, 6); }, 6, 0, -(100.0 * 6 - 100.0 * 6 / 3)},
        {"prism", [] { MakeGridTin(3, 4, 2.5, [](double, double) { return 7.0; }); }, 4, 3 * 7.5 * 10, 0},
        // z = x over 10 x 10, split by the datum at x = 5 inside the triangles.
        {"plane crossing", [] { MakeGridTin(3, 3, 10.0 / 3, [](double x, double) { return x; }); }, 5, 125, -125},
        // A vertex on the datum with the others above is not cut.
        {"vertex on datum", [] { SetTin({{AddPoint(0, 0, 10), AddPoint(10, 0, 12), AddPoint(0, 10, 13)}}); }, 10,
         50.0 * 5 / 3, 0},
    };
    for (const Case& c : cases) {
        InitDataModel();
        c.make();
        double ca = -1, ba = -1;
        EXPECT_EQ(CalcDatumVolume(0, 3, 0, "", c.dl, &ca, &ba), 0) << c.what;
        EXPECT_NEAR(ca, c.ca, 1e-9) << c.what;
        EXPECT_NEAR(ba, c.ba, 1e-9) << c.what;
    }
}

TEST_F(DatumArea, HolesOnlyCountsHoleTrianglesAndTheOptionOffCountsThemToo) {
    const int32_t a = AddPoint(0, 0, 1), b = AddPoint(0, 10, 1), c = AddPoint(10, 0, 1), d = AddPoint(10, 10, 1);
    SetTin({{a, b, d}, {a, d, -c}});
    double ca, ba;
    CalcDatumVolume(1, 3, 0, "", 0, &ca, &ba);
    EXPECT_NEAR(ca, 50, 1e-9);
    CalcDatumVolume(0, 3, 0, "", 0, &ca, &ba);
    EXPECT_NEAR(ca, 100, 1e-9);
    double area;
    CalcTinArea(1, 3, 0, 0, "", &area);
    EXPECT_NEAR(area, 50, 1e-9);
}

TEST_F(DatumArea, ResultTextFramesEachValue) {
    EXPECT_EQ(FormatDatumVolumeResult(10, 1, 12.34, -5.67),
              "DL標高    [  10.000 ]m \r\nCA体積    [            12.3 ]\r\nBA体積    [             5.7 ]\r\n"
              "    合計    [             6.7 ]");
}

TEST_F(DatumArea, ReportListsEachTriangleAndClosesWithTheSignedSums) {
    SetTin({{AddPoint(0, 0, 11), AddPoint(10, 0, 11), AddPoint(0, 10, 9)}});
    const std::filesystem::path path = FreshFolder("datum_report") / "r.TXT";
    double ca, ba;
    ASSERT_EQ(CalcDatumVolume(0, 2, 1, path.string(), 10, &ca, &ba), 0);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_NE(bytes.find("  DL=10.000\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("      P1        0.000        0.000       11.000        1.000\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(std::string(61, ' ') + "       50.00        16.67\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(std::string(86, '-') + "\r\n"), std::string::npos);
    // The closing line keeps BA's sign (CP932 bytes around the numbers).
    EXPECT_NE(bytes.find("=20.83"), std::string::npos);
    EXPECT_NE(bytes.find("=-4.17"), std::string::npos);
}

TEST_F(DatumArea, AReportThatCannotBeMadeIsToldAndTheSumsStillCome) {
    SetTin({{AddPoint(0, 0, 11), AddPoint(10, 0, 11), AddPoint(0, 10, 9)}});
    double ca, ba;
    EXPECT_EQ(CalcDatumVolume(0, 2, 1, "/nonexistent-folder/r.TXT", 10, &ca, &ba), -2);
    EXPECT_FALSE(RecordedMessages().empty());
    EXPECT_NEAR(ca, 20.0 + 5.0 / 6, 1e-9);
}

TEST_F(DatumArea, SurfaceAndHorizontalAreas) {
    // 3-4-5 right triangle, then one vertex raised by 4.
    const int32_t a = AddPoint(0, 0, 0), b = AddPoint(3, 0, 0), c = AddPoint(0, 4, 0);
    SetTin({{a, b, c}});
    double surface, plan;
    CalcTinArea(0, 3, 1, 0, "", &surface);
    CalcTinArea(0, 3, 0, 0, "", &plan);
    EXPECT_NEAR(surface, 6, 1e-12);
    EXPECT_NEAR(plan, 6, 1e-12);
    g_points[c].z = 4;
    CalcTinArea(0, 3, 1, 0, "", &surface);
    CalcTinArea(0, 3, 0, 0, "", &plan);
    EXPECT_NEAR(surface, 12 * std::sqrt(2.0) / 2, 1e-12);
    EXPECT_NEAR(plan, 6, 1e-12);

    // A tilted plane: surface = horizontal / cos(slope).
    const double gx = 0.3, gy = -0.4;
    MakeGridTin(5, 7, 3, [&](double x, double y) { return gx * x + gy * y + 20; });
    CalcTinArea(0, 3, 1, 0, "", &surface);
    CalcTinArea(0, 3, 0, 0, "", &plan);
    EXPECT_NEAR(plan, 15 * 21, 1e-9);
    EXPECT_NEAR(surface, plan * std::sqrt(1 + gx * gx + gy * gy), 1e-9);
}

TEST_F(DatumArea, AreaReportWithHolesOnlyAndNoHolesHoldsHeaderAndZeroTotal) {
    SetTin({{AddPoint(0, 0, 0), AddPoint(3, 0, 0), AddPoint(0, 4, 0)}});
    const std::filesystem::path path = FreshFolder("area_report") / "a.TXT";
    double total = -1;
    ASSERT_EQ(CalcTinArea(1, 3, 0, 1, path.string(), &total), 0);
    EXPECT_EQ(total, 0);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes.find("%"), std::string::npos);
    EXPECT_NE(bytes.find(std::string(88, '-') + "\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("          0.000\r\n"), std::string::npos);
    EXPECT_EQ(FormatTinAreaResult(1, 2, 8.4853), "表面積[8.49]");
}

TEST_F(DatumArea, AreaCommandAsksForTheReportAndTheDigits) {
    SetTin({{AddPoint(0, 0, 0), AddPoint(3, 0, 0), AddPoint(0, 4, 4)}});
    const std::filesystem::path path = FreshFolder("area_command") / "s.TXT";
    // Report wanted but its file dialog cancelled: nothing is computed, no digits asked.
    bool asked = false;
    auto digits = [&](AreaDigitsValues& v) {
        asked = true;
        v.decimals = 2;
        return true;
    };
    g_tinSurfaceArea = -1;
    QueueMessageAnswer(msg::kIdYes);
    RunTinAreaCommand(1, digits);
    EXPECT_FALSE(asked);
    EXPECT_EQ(g_tinSurfaceArea, -1);
    // With the report: the file and the result box.
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdYes);
    QueueFileDialogAnswer(path.string());
    RunTinAreaCommand(1, digits);
    EXPECT_TRUE(asked);
    EXPECT_NEAR(g_tinSurfaceArea, 6 * std::sqrt(2.0), 1e-12);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[1].text, "表面積[8.49]");
    EXPECT_TRUE(std::filesystem::exists(path));
    // Cancelled digits dialog: no result box.
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdNo);
    RunTinAreaCommand(0, [](AreaDigitsValues& v) {
        v.decimals = 0;
        return false;
    });
    EXPECT_EQ(RecordedMessages().size(), 1u);
}

}  // namespace
