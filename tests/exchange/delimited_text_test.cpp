// Free text points (comma or blank separated, colour and intensity records) and
// latitude/longitude lines projected into a plane zone, the zones checked against PROJ.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "exchange/delimited_text.h"
#include "exchange/import_request.h"
#include "import_test_support.h"
#include "model/geodesy.h"
#include "model/zone_dialog.h"
#include "platform/encoding.h"

namespace {

using importtest::ImportFixture;
using importtest::RunCommand;

class DelimitedText : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        ResetImportChoices();
        SetImportZoneDialog(nullptr);
        g_planeZone = 0;
        g_useWorldDatum = 1;
    }
    void TearDown() override {
        SetImportZoneDialog(nullptr);
        ImportFixture::TearDown();
    }
    int32_t ReadText(const std::string& text, int32_t takeZero = 0, ImportSkippedLines* skipped = nullptr) {
        return ReadDelimitedPointText(Write("in.txt", text), takeZero, 3, 0, 5, skipped);
    }
    int32_t ReadLatLong(const std::string& text, int32_t takeZero = 0) {
        return ReadLatLongPointFile(Write("ll.csv", text), takeZero, 3, 0, 5);
    }
};

TEST_F(DelimitedText, LineShapes) {
    const std::string kijun = Utf8ToCp932("基準点");
    struct Case {
        std::string line;
        int32_t swap, takeZero, points;
        std::string name;
        double x, y, z;
        int32_t intensity;
    };
    const Case cases[] = {
        {"10.5,20.25,3.0,P1", 0, 0, 1, "P1", 10.5, 20.25, 3, 0},
        {"10.5,20.25,3.0,P1", 1, 0, 1, "P1", 20.25, 10.5, 3, 0},
        {"10 20 3 " + kijun, 0, 0, 1, kijun, 10, 20, 3, 0},
        {"10,20,3," + kijun, 0, 0, 1, kijun, 10, 20, 3, 0},
        {"10,20,,P2", 0, 0, 0, "", 0, 0, 0, 0},
        {"10,20,,P2", 0, 1, 1, "P2", 10, 20, 0, 0},
        {"10,20,,P2", 1, 1, 1, "P2", 20, 10, 0, 0},
        {"10,20,3,,", 0, 0, 1, "", 10, 20, 3, 0},
        {"10,20,,,P", 0, 1, 0, "", 0, 0, 0, 0},
        {"   10   20   3.5", 0, 0, 1, "", 10, 20, 3.5, 0},
        {"10,20,3", 0, 0, 1, "", 10, 20, 3, 0},
        {"10;20;3", 0, 1, 0, "", 0, 0, 0, 0},
        {"10 20 3 50 255 128 0", 0, 0, 1, "#FF8000", 10, 20, 3, 50},
        {"10,20,3,50,255,128,0", 1, 0, 1, "#FF8000", 20, 10, 3, 50},
        {"10 20 3 \"A B\"", 0, 0, 1, "\"A", 10, 20, 3, 0},  // blank fields: the name ends at its blank
    };
    for (const Case& c : cases) {
        InitDataModel();
        g_importRequest.swapXY = c.swap;
        for (const char* end : {"\n", "\r\n"}) {
            const int32_t before = g_pointCount;
            ASSERT_EQ(ReadText(c.line + end, c.takeZero), 0) << c.line;
            ASSERT_EQ(g_pointCount - before, c.points) << c.line;
            if (c.points == 0) continue;
            const RandomPoint& p = g_points[g_pointCount];
            EXPECT_EQ(std::string(p.name), CleanImportName(c.name)) << c.line;
            EXPECT_EQ(p.x, c.x) << c.line;
            EXPECT_EQ(p.y, c.y) << c.line;
            EXPECT_EQ(p.z, c.z) << c.line;
            EXPECT_EQ(p.multiUse, c.intensity) << c.line;
        }
        ExpectConsistent();
    }
}

TEST_F(DelimitedText, HeaderLineIsListedNotAPoint) {
    ImportSkippedLines skipped;
    ASSERT_EQ(ReadText("X,Y,Z,Name\r\n1,2,3,A\r\n", 1, &skipped), 0);
    EXPECT_EQ(g_pointCount, 1);
    EXPECT_EQ(skipped.count, 1);
}

TEST_F(DelimitedText, IntensityBelowTheLimit) {
    g_importRequest.intensityLowerLimit = 30;
    const struct {
        int32_t mode, points, invalid;
    } cases[] = {{0, 1, 0}, {1, 0, 0}, {2, 1, 1}};
    for (const auto& c : cases) {
        InitDataModel();
        g_importRequest.belowLimitMode = c.mode;
        ASSERT_EQ(ReadText("10 20 3 30 1 2 3\n"), 0);
        ASSERT_EQ(g_pointCount, c.points) << c.mode;
        if (c.points) {
            EXPECT_EQ(g_points[1].invalid, c.invalid) << c.mode;
        }
    }
}

TEST_F(DelimitedText, GreyLevelsRiseWithIntensity) {
    std::string text;
    for (int i = 50; i <= 250; ++i) text += "10 " + std::to_string(i) + " 3 " + std::to_string(i) + " 1 2 3\n";
    ASSERT_EQ(ReadText(text), 0);
    ASSERT_EQ(g_pointCount, 201);
    char previous = '#';
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const char grey = g_points[i].name[7];
        EXPECT_EQ(std::string(g_points[i].name, 7), "#010203");
        EXPECT_GE(grey, previous);
        EXPECT_LE(grey, '~');
        EXPECT_EQ(g_points[i].multiUse, i - 1);  // relative to the lowest
        previous = grey;
    }
    EXPECT_EQ(g_points[1].name[7], '#');
    // n = 201, the 80 % target 161 is reached at relative value q = 160: grey 160 * 91 / 161
    // = 90 there, the top grey 91 for every value above it.
    EXPECT_EQ(g_points[161].name[7], '#' + 90);
    for (int32_t i = 162; i <= g_pointCount; ++i) EXPECT_EQ(g_points[i].name[7], '~') << i;
}

TEST_F(DelimitedText, SameIntensityKeepsNamesAndRawValues) {
    ASSERT_EQ(ReadText("10 20 3 77 1 2 3\n11 21 3 77 4 5 6\n"), 0);
    ASSERT_EQ(g_pointCount, 2);
    EXPECT_STREQ(g_points[2].name, "#040506");
    EXPECT_EQ(g_points[2].multiUse, 77);
}

TEST_F(DelimitedText, UnopenableFile) {
    EXPECT_EQ(ReadDelimitedPointText(m_dir / "none.txt", 0, 3, 0, 5), kImportCannotOpen);
    EXPECT_EQ(ReadLatLongPointFile(m_dir / "none.txt", 0, 3, 0, 5), kImportCannotOpen);
}

TEST(NearestPlaneZone, OriginsAndTies) {
    struct Case {
        double lat, latMin, lon, lonMin;
        int32_t zone;
    };
    const Case cases[] = {
        {36, 0, 139, 50, 9},
        {33, 0, 130, 15, 1},  // halfway between the origins of zones 1 and 2
        {33, 0, 129, 30, 1},
        {26, 0, 124, 0, 16},
        {44, 0, 144, 15, 13},
    };
    for (const Case& c : cases) {
        int32_t zone = 0;
        FindNearestPlaneZone(c.lat, c.latMin, 0, c.lon, c.lonMin, 0, &zone);
        EXPECT_EQ(zone, c.zone) << c.lat << " " << c.lon;
    }
}

// Every zone: a position near its origin is placed in it and projected as PROJ projects it
// into the published plane rectangular system of that zone.
TEST_F(DelimitedText, LatLongAgainstProjInEveryZone) {
    std::ostringstream script;
    std::string text;
    for (int32_t zone = 1; zone <= kPlaneZoneCount; ++zone) {
        const double lat = g_zoneOrigins[zone + 18] + 0.0731;
        const double lon = g_zoneOrigins[zone - 1] + 0.0917;
        char line[160];
        std::snprintf(line, sizeof line, ",,Z%d,%.10f-0-0,%.10f-0-0,12.3\r\n", zone, lat, lon);
        text += line;
        std::snprintf(line, sizeof line, "echo '%.10f %.10f' | cs2cs -d 5 EPSG:6668 EPSG:%d;", lat,
                      lon, 6668 + zone);
        script << line;
    }
    std::istringstream proj(RunCommand(script.str()));
    for (int32_t zone = 1; zone <= kPlaneZoneCount; ++zone) {
        InitDataModel();
        // Each line alone: the zone is taken from its first line.
        std::istringstream lines(text);
        std::string line;
        for (int32_t k = 1; k <= zone; ++k) std::getline(lines, line);
        ASSERT_EQ(ReadLatLong(line + "\n"), 0);
        EXPECT_EQ(g_planeZone, zone);
        ASSERT_EQ(g_pointCount, 1);
        double x = 0, y = 0;
        ASSERT_TRUE(proj >> x >> y) << zone;
        std::string height;
        proj >> height;
        EXPECT_NEAR(g_points[1].x, x, 0.001) << zone;
        EXPECT_NEAR(g_points[1].y, y, 0.001) << zone;
        EXPECT_EQ(g_points[1].z, 12.3);
    }
}

TEST_F(DelimitedText, LatLongPointInZoneNineBothDatums) {
    const std::string line = ",,P1,35-41-22.5,139-45-30.0,12.3\n";
    const struct {
        int32_t dataDatum;
        const char* crs;
    } datums[] = {{1, "EPSG:6668 EPSG:6677"}, {0, "EPSG:4301 EPSG:30169"}};
    for (const auto& d : datums) {
        InitDataModel();
        int32_t offered = 0;
        SetImportZoneDialog([&](ZoneSelectValues& v) {
            offered = v.m_zone;
            v.m_zone = 9;
            v.m_dataDatum = d.dataDatum;
            return true;
        });
        ASSERT_EQ(ReadLatLong(line), 0);
        EXPECT_EQ(offered, 9);
        EXPECT_EQ(g_useWorldDatum, d.dataDatum);
        ASSERT_EQ(g_pointCount, 1);
        EXPECT_STREQ(g_points[1].name, "P1");
        const double lat = 35 + 41 / 60.0 + 22.5 / 3600.0, lon = 139 + 45 / 60.0 + 30.0 / 3600.0;
        char command[200];
        std::snprintf(command, sizeof command, "echo '%.12f %.12f' | cs2cs -d 5 %s", lat, lon, d.crs);
        std::istringstream proj(RunCommand(command));
        double x = 0, y = 0;
        ASSERT_TRUE(proj >> x >> y);
        EXPECT_NEAR(g_points[1].x, x, 0.001);
        EXPECT_NEAR(g_points[1].y, y, 0.001);
        EXPECT_EQ(g_points[1].z, 12.3);
    }
}

TEST_F(DelimitedText, LatLongRefusalsAppendNothing) {
    const std::string good = ",,P1,35-41-22.5,139-45-30.0,12.3\n";
    // Cancelled zone choice.
    SetImportZoneDialog([](ZoneSelectValues&) { return false; });
    EXPECT_EQ(ReadLatLong(good), 0);
    EXPECT_EQ(g_pointCount, 0);
    // Zone 0 from the dialog: told, nothing read.
    SetImportZoneDialog([](ZoneSelectValues& v) {
        v.m_zone = 0;
        return true;
    });
    ClearRecordedMessages();
    EXPECT_EQ(ReadLatLong(good), 0);
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(RecordedMessages().size(), 1u);
    // Empty file, and short lines that only list themselves.
    SetImportZoneDialog(nullptr);
    EXPECT_EQ(ReadLatLong(""), 0);
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(ReadLatLong(",,P1,35-41-22.5\n,,P2\n" + good + ",,P3,x-1-2,139-0-0,5\n"), 0);
    EXPECT_EQ(g_pointCount, 1);
    // A name keeps its blanks, cut to 9 bytes.
    InitDataModel();
    EXPECT_EQ(ReadLatLong(",,AB CD EFGHIJ,35-41-22.5,139-45-30.0,12.3\n"), 0);
    ASSERT_EQ(g_pointCount, 1);
    EXPECT_STREQ(g_points[1].name, "AB CD EFG");
}

}  // namespace
