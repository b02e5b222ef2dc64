// The plane-zone dialog without its window: zone texts and what each control does.
#include "model/zone_dialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "model/geodesy.h"

namespace {
// "133度30分0秒" as decimal degrees.
double ParseOriginText(const char* text) {
    int d = -1, m = -1, s = -1;
    EXPECT_EQ(std::sscanf(text, "%d度%d分%d秒", &d, &m, &s), 3) << text;
    return d + m / 60.0 + s / 3600.0;
}
}  // namespace

TEST(ZoneTexts, OriginTextsAgreeWithTheZoneOriginTable) {
    for (int zone = 1; zone <= kPlaneZoneCount; ++zone) {
        EXPECT_NEAR(ParseOriginText(ZoneOriginLatitudeText(zone)),
                    g_zoneOrigins[zone + kPlaneZoneCount - 1], 1e-9)
            << zone;
        EXPECT_NEAR(ParseOriginText(ZoneOriginLongitudeText(zone)), g_zoneOrigins[zone - 1], 1e-9)
            << zone;
        // Twelve characters wide: three-digit degrees, the latitudes padded with a blank.
        EXPECT_EQ(std::string(ZoneOriginLatitudeText(zone)).size(),
                  std::string(ZoneOriginLongitudeText(zone)).size())
            << zone;
    }
    EXPECT_STREQ(ZoneOriginLatitudeText(12), " 44度 0分0秒");
    EXPECT_STREQ(ZoneOriginLongitudeText(12), "142度15分0秒");
    EXPECT_STREQ(ZoneOriginLatitudeText(9), " 36度 0分0秒");
    EXPECT_STREQ(ZoneOriginLongitudeText(9), "139度50分0秒");
}

TEST(ZoneTexts, AreaLinesAreStoredWithALeadingBlank) {
    for (int zone = 1; zone <= kPlaneZoneCount; ++zone) {
        bool used = true;
        for (const char* line : ZoneAreaLines(zone)) {
            ASSERT_EQ(line[0], ' ') << zone;
            // The used lines come first; the rest are a single blank.
            if (std::string(line) == " ")
                used = false;
            else
                EXPECT_TRUE(used) << zone << " " << line;
        }
        EXPECT_STRNE(ZoneAreaLines(zone)[0], " ") << zone;
    }
    const auto zone1 = ZoneAreaLines(1);
    EXPECT_STREQ(zone1[0], " 長崎県 鹿児島県のうち");
    EXPECT_STREQ(zone1[2],
                 " \t（奄美群島は東経130度13分までを含む。)にあるすべての島、小島、環礁及び岩礁");
    EXPECT_STREQ(zone1[3], " ");
    EXPECT_STREQ(ZoneAreaLines(19)[0],
                 " 東京都のうち北緯28度から南であり、かつ東経143度から東である区域");
}

TEST(ZoneTexts, ZonesOutsideTheTableHaveNoTexts) {
    for (int zone : {0, -1, 20, 99, INT32_MIN, INT32_MAX}) {
        EXPECT_STREQ(ZoneOriginLatitudeText(zone), "") << zone;
        EXPECT_STREQ(ZoneOriginLongitudeText(zone), "") << zone;
        for (const char* line : ZoneAreaLines(zone)) EXPECT_STREQ(line, " ") << zone;
    }
}

TEST(ZoneSelect, ChoosingZone12ShowsItsTenListLinesAndOrigin) {
    ZoneSelectValues v;
    v.m_zone = 3;
    ZoneDialogControls c = OpenZoneSelect(v);
    EXPECT_EQ(c.zoneIndex, 2);
    SelectZoneEntry(11, v, c);
    EXPECT_EQ(v.m_zone, 12);
    EXPECT_EQ(c.zoneIndex, 11);
    EXPECT_EQ(c.originLatitude, " 44度 0分0秒");
    EXPECT_EQ(c.originLongitude, "142度15分0秒");
    ASSERT_EQ(c.areaList.size(), 10u);
    for (int i = 0; i < kZoneAreaLineCount; ++i) {
        EXPECT_EQ(c.areaList[2 * i], " ");
        EXPECT_EQ(c.areaList[2 * i + 1], ZoneAreaLines(12)[i]);
    }
    EXPECT_EQ(c.areaList[1],
              " 札幌市　旭川市　稚内市　留萌市　美唄市　夕張市 岩見沢市　苫小牧市　室蘭市");
    // The hidden zone edit keeps what it was opened with.
    EXPECT_EQ(c.zoneEdit, "3");
}

TEST(ZoneSelect, OpeningFollowsTheValues) {
    struct Case {
        const char* what;
        ZoneSelectValues in;
        int zoneIndex;
        bool convertShown, groupShown, groupCleared, radiosShown, world, checked;
        int convertAfterOpen;
        int dataDatumAfterOk;
    };
    const Case cases[] = {
        {"datum not asked", {9, 0, 0, -1}, 8, false, false, false, false, false, false, 0, 0},
        {"Tokyo data", {9, 0, 0, 0}, 8, false, true, true, true, false, false, 0, 0},
        {"world data", {9, 0, 0, 1}, 8, false, true, true, true, true, false, 0, 1},
        {"convert, world selected", {9, 1, 1, -1}, 8, true, true, false, true, true, true, 1, 1},
        {"convert, Tokyo selected", {9, 0, 5, 1}, 8, true, true, false, true, false, true, 5, 0},
        {"convert shown unticked", {9, 1, -1, -1}, 8, true, true, false, true, true, false, 0, 1},
        {"no zone", {0, 0, 0, -1}, -1, false, false, false, false, false, false, 0, 0},
    };
    for (const Case& k : cases) {
        ZoneSelectValues v = k.in;
        const ZoneDialogControls c = OpenZoneSelect(v);
        EXPECT_EQ(c.zoneIndex, k.zoneIndex) << k.what;
        EXPECT_EQ(c.convertShown, k.convertShown) << k.what;
        EXPECT_EQ(c.groupShown, k.groupShown) << k.what;
        EXPECT_EQ(c.groupTextCleared, k.groupCleared) << k.what;
        EXPECT_EQ(c.radiosShown, k.radiosShown) << k.what;
        EXPECT_EQ(c.worldDatum, k.world) << k.what;
        EXPECT_EQ(c.convertChecked, k.checked) << k.what;
        EXPECT_EQ(v.m_convertDatum, k.convertAfterOpen) << k.what;
        AcceptZoneSelect(v, c);
        EXPECT_EQ(v.m_dataDatum, k.dataDatumAfterOk) << k.what;
        EXPECT_EQ(v.m_zone, k.in.m_zone) << k.what;
    }
}

TEST(ZoneSelect, WithoutAZoneTheListAndOriginsStayEmpty) {
    ZoneSelectValues v;  // zone 0
    const ZoneDialogControls c = OpenZoneSelect(v);
    EXPECT_EQ(c.zoneIndex, -1);
    EXPECT_TRUE(c.areaList.empty());
    EXPECT_EQ(c.originLatitude, "");
    EXPECT_EQ(c.originLongitude, "");
    EXPECT_EQ(c.zoneEdit, "0");
    AcceptZoneSelect(v, c);
    EXPECT_EQ(v.m_zone, 0);
}

TEST(ZoneSelect, AZoneOutsideTheTableOpensAsNoZone) {
    for (int zone : {20, -3, 1000000}) {
        ZoneSelectValues v;
        v.m_zone = zone;
        const ZoneDialogControls c = OpenZoneSelect(v);
        EXPECT_EQ(v.m_zone, 0) << zone;
        EXPECT_EQ(c.zoneIndex, -1) << zone;
        EXPECT_TRUE(c.areaList.empty()) << zone;
        EXPECT_EQ(c.zoneEdit, "0") << zone;
    }
    // The drop-down cannot offer more, but an index beyond it changes nothing.
    ZoneSelectValues v;
    v.m_zone = 4;
    ZoneDialogControls c = OpenZoneSelect(v);
    SelectZoneEntry(19, v, c);
    SelectZoneEntry(-1, v, c);
    EXPECT_EQ(v.m_zone, 4);
    EXPECT_EQ(c.zoneIndex, 3);
}

TEST(ZoneSelect, TheZoneEditTakesOnlyZones1To19) {
    struct Case {
        const char* text;
        int zone;
    };
    const Case cases[] = {{"7", 7},  {" 19", 19}, {"1", 1},
                          {"20", 5}, {"0", 5},    {"-2", 5},
                          {"", 5},   {"x", 5},    {"99999999999999999999", 5}};
    for (const Case& k : cases) {
        ZoneSelectValues v;
        v.m_zone = 5;
        ZoneDialogControls c = OpenZoneSelect(v);
        ZoneEditLostFocus(k.text, v, c);
        EXPECT_EQ(v.m_zone, k.zone) << k.text;
        EXPECT_EQ(c.zoneEdit, std::to_string(k.zone)) << k.text;
    }
}

TEST(ZoneSelect, RadiosAndCheckBoxWriteTheValues) {
    ZoneSelectValues v{9, 0, 1, -1};
    ZoneDialogControls c = OpenZoneSelect(v);
    SelectDatumRadio(1, v, c);
    EXPECT_EQ(v.m_datumSelection, 1);
    EXPECT_EQ(v.m_dataDatum, 1);
    EXPECT_TRUE(c.worldDatum);
    SetConvertDatumCheck(false, v, c);
    EXPECT_EQ(v.m_convertDatum, 0);
    SelectDatumRadio(0, v, c);
    EXPECT_EQ(v.m_datumSelection, 0);
    EXPECT_EQ(v.m_dataDatum, 0);
    SetConvertDatumCheck(true, v, c);
    EXPECT_EQ(v.m_convertDatum, 1);
    AcceptZoneSelect(v, c);
    EXPECT_EQ(v.m_dataDatum, 0);
}

TEST(ZoneSelect, TheResultSetsZoneDatumAndEllipsoid) {
    const int32_t savedZone = g_planeZone, savedDatum = g_useWorldDatum;
    Ellipsoid geodesy;
    ApplyZoneSelection(ZoneSelectValues{12, 0, 0, 1}, geodesy);
    EXPECT_EQ(g_planeZone, 12);
    EXPECT_EQ(g_useWorldDatum, 1);
    EXPECT_DOUBLE_EQ(geodesy.m_a, 6378137.0);
    EXPECT_NEAR(geodesy.m_inverseFlattening, 298.257222101, 1e-9);

    ApplyZoneSelection(ZoneSelectValues{3, 1, 1, 0}, geodesy);
    EXPECT_EQ(g_planeZone, 3);
    EXPECT_EQ(g_useWorldDatum, 0);
    EXPECT_DOUBLE_EQ(geodesy.m_a, 6377397.155);
    EXPECT_NEAR(geodesy.m_inverseFlattening, 299.152813, 1e-6);

    ApplyZoneSelection(ZoneSelectValues{42, 0, 0, -1}, geodesy);
    EXPECT_EQ(g_planeZone, 0);
    EXPECT_EQ(g_useWorldDatum, 0);
    g_planeZone = savedZone;
    g_useWorldDatum = savedDatum;
}
