// Status-bar pane texts and the latitude/longitude display switch.
#include "shell/status_bar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/geodesy.h"
#include "model/terrain_data.h"
#include "model/zone_dialog.h"
#include "platform/message_box.h"
#include "view/cursor_state.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {
class StatusBar : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        g_latLongDisplay = 0;
        g_planeZone = 0;
        g_useWorldDatum = 1;
        g_birdsEyeOn = 0;
        g_cursorValid = 1;
        g_cursorX = g_cursorY = 0;
        g_pressWorldX = g_pressWorldY = 0;
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewScale = 1;
    }
    void TearDown() override {
        g_latLongDisplay = 0;
        g_planeZone = 0;
        g_cursorValid = 0;
        ReleaseDataModel();
    }

    std::string Pane(int id, bool leftDown = false) {
        const auto text = StatusPaneText(id, m_geodesy, leftDown);
        return text ? *text : "<kept>";
    }

    // Puts the cursor on a latitude and longitude of the zone.
    void CursorAt(double latitude, double longitude) {
        ASSERT_TRUE(m_geodesy.ZoneGeographicToPlane(g_cursorX, g_cursorY, g_planeZone, latitude,
                                                    longitude));
    }

    Ellipsoid m_geodesy;
};
}  // namespace

TEST(FormatWithThousands, GroupsTheFirstRunOfDigits) {
    struct Case {
        const char* in;
        const char* want;
    };
    const Case cases[] = {
        {" 1234567 点", " 1,234,567 点"},
        {"1234567", "1,234,567"},
        {"-1234", "-1,234"},
        {"123", "123"},
        {"1000", "1,000"},
        {"12", "12"},
        {"7", "7"},
        {"", ""},
        {"点", "点"},
        {" 100000 点", " 100,000 点"},
        {"1234.5678", "1,234.5678"},     // only the first run
        {"x 12 345678", "x 12 345678"},  // the first run has two digits
        {" 0 点", " 0 点"},
        {" 2147483647 点", " 2,147,483,647 点"},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        FormatWithThousands(text);
        EXPECT_EQ(text, c.want) << c.in;
    }
}

TEST(FormatWithThousands, LongRunsGrowTheText) {
    std::string text(300, '9');
    text = "n=" + text + " end";
    FormatWithThousands(text);
    EXPECT_EQ(text.size(), 2 + 300 + 99 + 4u);
    EXPECT_EQ(text.substr(0, 6), "n=999,");
    EXPECT_EQ(text.substr(text.size() - 8), ",999 end");
}

TEST(SplitDegrees, SplitsAndCarries) {
    struct Case {
        double in;
        int d, m;
        double s;
    };
    const Case cases[] = {
        {35.5, 35, 30, 0.0},
        {35.0, 35, 0, 0.0},
        {139.0 + 50.0 / 60, 139, 50, 0.0},
        {35.0 + 12.0 / 60 + 34.5678 / 3600, 35, 12, 34.5678},
        // Just below a full minute or degree: shown as the full one, never as 60.0000.
        {35.5 - 1e-10, 35, 30, 0.0},
        {35.0 + 29.0 / 60 + 59.99996 / 3600, 35, 30, 0.0},
        {35.0 + 29.0 / 60 + 59.99994 / 3600, 35, 29, 59.9999},
        {36.0 - 1e-12, 36, 0, 0.0},
        {-35.5, -35, -30, 0.0},
    };
    for (const Case& c : cases) {
        const DegreesMinutesSeconds got = SplitDegrees(c.in);
        EXPECT_EQ(got.degrees, c.d) << c.in;
        EXPECT_EQ(got.minutes, c.m) << c.in;
        EXPECT_NEAR(got.seconds, c.s, 5e-5) << c.in;
        EXPECT_GE(std::fabs(got.seconds), 0.0);
    }
    EXPECT_EQ(SplitDegrees(NAN).degrees, 0);
    EXPECT_EQ(SplitDegrees(INFINITY).degrees, 0);
}

TEST_F(StatusBar, LatitudeAndLongitudeInDegreesMinutesSeconds) {
    g_latLongDisplay = 1;
    for (int key : {kEllipsoidBessel1841, kEllipsoidGrs1980}) {
        m_geodesy.SelectEllipsoid(key);
        g_planeZone = 9;
        CursorAt(35.5, 139.75);
        EXPECT_EQ(Pane(pane::kX), "B: 35°30′ 0.0000″") << key;
        EXPECT_EQ(Pane(pane::kY), "L:139°45′ 0.0000″") << key;
        g_planeZone = 2;
        CursorAt(33.0 + 1.0 / 60 + 2.5 / 3600, 131.0 - 10.0 / 3600);
        EXPECT_EQ(Pane(pane::kX), "B: 33° 1′ 2.5000″") << key;
        EXPECT_EQ(Pane(pane::kY), "L:130°59′50.0000″") << key;
    }
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(StatusBar, WithoutAZonePlaneCoordinatesAndNoMessage) {
    g_cursorX = -12345.6789;
    g_cursorY = 987.25;
    for (int display : {0, 1}) {
        for (int zone : {0, 20, -1, 9}) {
            if (zone == 9 && display == 1) continue;  // that one shows latitude
            g_latLongDisplay = display;
            g_planeZone = zone;
            for (int move = 0; move < 3; ++move) {
                EXPECT_EQ(Pane(pane::kX), "X : -12345.679") << zone;
                EXPECT_EQ(Pane(pane::kY), "Y :    987.250") << zone;
            }
        }
    }
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(StatusBar, ViewSizeAndPointCount) {
    g_viewScale = 2;
    EXPECT_EQ(Pane(pane::kWidth), "横:    400.000m");
    EXPECT_EQ(Pane(pane::kHeight), "縦:    300.000m");
    g_pointCount = 1234567;
    EXPECT_EQ(Pane(pane::kPointCount), " 1,234,567 点");
    g_pointCount = 0;
    EXPECT_EQ(Pane(pane::kPointCount), " 0 点");
}

TEST_F(StatusBar, WithoutACursorThePanesKeepTheirText) {
    g_cursorValid = 0;
    g_pointCount = 1500;
    for (int id : {pane::kX, pane::kY, pane::kWidth, pane::kHeight, pane::kDistance, pane::kAzimuth,
                   pane::kSpacer})
        EXPECT_EQ(Pane(id, true), "<kept>") << id;
    EXPECT_EQ(Pane(pane::kPointCount), " 1,500 点");
}

TEST_F(StatusBar, BirdsEyeBlanksTheCoordinateAndSizePanes) {
    g_birdsEyeOn = 1;
    g_latLongDisplay = 1;
    g_planeZone = 9;
    EXPECT_EQ(Pane(pane::kX), " ");
    EXPECT_EQ(Pane(pane::kY), "");
    EXPECT_EQ(Pane(pane::kWidth), " ");
    EXPECT_EQ(Pane(pane::kHeight), "");
    EXPECT_EQ(Pane(pane::kDistance, true), "<kept>");
    EXPECT_EQ(Pane(pane::kAzimuth, true), "<kept>");
}

TEST_F(StatusBar, DistanceAndAzimuthFromThePressPointWhileTheButtonIsHeld) {
    g_pressWorldX = 1000;
    g_pressWorldY = 2000;
    struct Case {
        double dx, dy;  // cursor - press (north, east)
        const char* distance;
        const char* azimuth;
    };
    const double r = 100;
    const double a = (30 + 30.0 / 60) * M_PI / 180;  // 30°30′
    const Case cases[] = {
        {3, 4, "距離:      5.000", "方位: 53.0748"},  // atan2(4, 3) = 53°07′48″
        {10, 0, "距離:     10.000", "方位: 0.0000"},
        {0, 10, "距離:     10.000", "方位: 90.0000"},
        {-10, 0, "距離:     10.000", "方位: 180.0000"},
        {0, -10, "距離:     10.000", "方位: 270.0000"},
        {r * std::cos(a), r * std::sin(a), "距離:    100.000", "方位: 30.3000"},
        {0.005, 0.005, "距離:      0.007", "方位: 0.0000"},  // within 0.01 of the press
    };
    for (const Case& c : cases) {
        g_cursorX = g_pressWorldX + c.dx;
        g_cursorY = g_pressWorldY + c.dy;
        EXPECT_EQ(Pane(pane::kDistance, true), c.distance) << c.dx << " " << c.dy;
        EXPECT_EQ(Pane(pane::kAzimuth, true), c.azimuth) << c.dx << " " << c.dy;
        // Released: the last texts stay.
        EXPECT_EQ(Pane(pane::kDistance, false), "<kept>");
        EXPECT_EQ(Pane(pane::kAzimuth, false), "<kept>");
    }
}

TEST_F(StatusBar, LatLongDisplayAsksForTheZoneAndSwitchesOff) {
    g_planeZone = 7;
    g_useWorldDatum = 0;
    ZoneSelectValues seen;
    int asked = 0;
    auto choose = [&](ZoneSelectValues& v) {
        seen = v;
        ++asked;
        v.m_zone = 9;
        v.m_dataDatum = 1;
        return true;
    };
    ToggleLatLongDisplay(m_geodesy, choose);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(seen.m_zone, 7);
    EXPECT_EQ(seen.m_dataDatum, 0);
    EXPECT_EQ(seen.m_convertDatum, 0);
    EXPECT_EQ(g_latLongDisplay, 1);
    EXPECT_EQ(g_planeZone, 9);
    EXPECT_EQ(g_useWorldDatum, 1);
    EXPECT_DOUBLE_EQ(m_geodesy.m_a, 6378137.0);

    ToggleLatLongDisplay(m_geodesy, choose);  // on -> off without asking
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(g_latLongDisplay, 0);
    EXPECT_EQ(g_planeZone, 9);

    ToggleLatLongDisplay(m_geodesy, [](ZoneSelectValues& v) {
        v.m_zone = 1;
        v.m_dataDatum = 0;
        return false;  // cancelled
    });
    EXPECT_EQ(g_latLongDisplay, 0);
    EXPECT_EQ(g_planeZone, 9);
    EXPECT_EQ(g_useWorldDatum, 1);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(StatusBar, LatLongDisplayRefusesADialogLeftWithoutZone) {
    g_planeZone = 4;
    ToggleLatLongDisplay(m_geodesy, [](ZoneSelectValues& v) {
        v.m_zone = 0;
        v.m_dataDatum = 0;
        return true;
    });
    EXPECT_EQ(g_latLongDisplay, 0);
    EXPECT_EQ(g_planeZone, 4);
    EXPECT_EQ(g_useWorldDatum, 1);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("系"), std::string::npos);
}

TEST_F(StatusBar, TheCursorFollowsTheMouseOnlyWithData) {
    g_cursorValid = 0;
    g_viewportCenterX = 400;
    g_viewportCenterY = 300;
    g_viewCenterX = 5000;
    g_viewCenterY = -2000;
    g_viewScale = 2;
    TrackCursorAt(410, 280);
    TrackPressAt(410, 280);
    EXPECT_EQ(g_cursorValid, 0);
    EXPECT_EQ(g_cursorX, 0);
    EXPECT_EQ(g_pressWorldX, 0);
    g_pointCount = 3;
    TrackCursorAt(410, 280);  // 10 px east, 20 px north
    EXPECT_EQ(g_cursorValid, 1);
    EXPECT_DOUBLE_EQ(g_cursorX, 5010);
    EXPECT_DOUBLE_EQ(g_cursorY, -1995);
    TrackPressAt(390, 300);
    EXPECT_DOUBLE_EQ(g_pressWorldX, 5000);
    EXPECT_DOUBLE_EQ(g_pressWorldY, -2005);
}
