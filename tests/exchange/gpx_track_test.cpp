// GPX tracks: the active log's points as stations at least 1 m apart, times and speeds as
// names, cross sections, the optional polyline; positions against PROJ, point counts
// against ogrinfo; files without a usable point or damaged ones change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "exchange/alignment_xml_command.h"
#include "exchange/gpx_track.h"
#include "import_test_support.h"
#include "model/geodesy.h"
#include "model/zone_dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "section/section_records.h"
#include "view/display_flags.h"

namespace {

using importtest::ImportFixture;
using importtest::RunCommand;

struct TrackPoint {
    double lat, lon, ele;
    const char* time;  // null: none
};

std::string Gpx(const std::vector<std::pair<std::string, std::vector<TrackPoint>>>& tracks) {
    std::string t =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" creator=\"test\" version=\"1.1\"\n"
        "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
        "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n";
    for (const auto& [name, points] : tracks) {
        t += "  <trk>\n    <name>" + name + "</name>\n    <trkseg>\n";
        for (const TrackPoint& p : points) {
            char line[256];
            std::snprintf(line, sizeof line, "      <trkpt lat=\"%.9f\" lon=\"%.9f\">\n        <ele>%.2f</ele>\n", p.lat, p.lon, p.ele);
            t += line;
            if (p.time) t += std::string("        <time>") + p.time + "</time>\n";
            t += "      </trkpt>\n";
        }
        t += "    </trkseg>\n  </trk>\n";
    }
    return t + "</gpx>\n";
}

// Points going north from 35.68 N 139.76 E, each `step` metres (roughly) after the last.
std::vector<TrackPoint> Northwards(const std::vector<double>& steps) {
    std::vector<TrackPoint> out;
    double lat = 35.68;
    out.push_back({lat, 139.76, 10, nullptr});
    for (double s : steps) {
        lat += s / 111000.0;
        out.push_back({lat, 139.76, 10, nullptr});
    }
    return out;
}

class GpxTrackTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        g_planeZone = 9;
        g_useWorldDatum = 1;
    }
    int32_t Import(const std::string& text, int vectors = msg::kIdNo) {
        QueueMessageAnswer(vectors);
        return ReadGpxTrack(0, Write("track.gpx", text));
    }
    static void OldRoute() {
        g_ipPointCount = 2;
        std::strcpy(g_ipPoints[1].name, "OLD");
        g_stationCapacity = 10;
        ASSERT_EQ(GrowStationBlock(10), 0);
        g_stationCount = 1;
        std::strcpy(g_stations[1].name, "KEEP");
    }
    static void ExpectOldRoute() {
        EXPECT_EQ(g_ipPointCount, 2);
        EXPECT_STREQ(g_ipPoints[1].name, "OLD");
        EXPECT_EQ(g_stationCount, 1);
        EXPECT_STREQ(g_stations[1].name, "KEEP");
    }
    static std::string LastMessage() {
        return RecordedMessages().empty() ? std::string() : RecordedMessages().back().text;
    }
};

TEST_F(GpxTrackTest, PointsCloserThanOneMetreMakeVerticesButNoStation) {
    ASSERT_EQ(Import(Gpx({{"ACTIVE LOG", Northwards({0.5, 3.0, 0.6, 0.6})}}), msg::kIdYes), 0);
    EXPECT_EQ(g_dxfElementCount, 5);
    // 0.5 is dropped; 3.5 from the first; 0.6 dropped; 1.2 from the last station.
    ASSERT_EQ(g_stationCount, 3);
    EXPECT_NEAR(g_stations[2].addedDistance, 3.5, 0.01);
    EXPECT_NEAR(g_stations[3].addedDistance, 4.7, 0.01);
    EXPECT_EQ(g_ipPointCount, 0);
    const DxfElement* e = g_dxfElementsBlock.Data();
    EXPECT_EQ(e[1].pen, DXF_PEN_MOVE);
    for (int i = 2; i <= 5; ++i) EXPECT_EQ(e[i].pen, DXF_PEN_DRAW);
    EXPECT_EQ(e[3].layer, 99);
    EXPECT_EQ(e[3].colour, 1);
    EXPECT_DOUBLE_EQ(e[3].z, 10.0);
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 1);
    EXPECT_EQ(g_showBackgroundDxf, 1);
}

TEST_F(GpxTrackTest, OnlyPointsFromTheActiveLogOnAreTaken) {
    auto pts = [](double lat) { return std::vector<TrackPoint>{{lat, 139.76, 5, nullptr}, {lat + 0.001, 139.76, 6, nullptr}}; };
    // Before the active log: ignored; after it, every track counts.
    ASSERT_EQ(Import(Gpx({{"Day 1", pts(35.60)}, {"ACTIVE LOG", pts(35.70)}, {"Day 2", pts(35.80)}})), 0);
    ASSERT_EQ(g_stationCount, 4);
    EXPECT_DOUBLE_EQ(g_stations[1].groundZ, 5);
    EXPECT_GT(g_stations[1].x, 35.69 * 111000 - 36 * 111000);  // north of 35.69
    // A point without an elevation, or at latitude 0, is not taken.
    std::string text = Gpx({{"ACTIVE LOG 001", pts(35.70)}});
    text.insert(text.find("</trkseg>"), "<trkpt lat=\"35.75\" lon=\"139.76\"></trkpt>"
                                        "<trkpt lat=\"0\" lon=\"139.76\"><ele>3</ele></trkpt>");
    ASSERT_EQ(Import(text), 0);
    EXPECT_EQ(g_stationCount, 2);
}

TEST_F(GpxTrackTest, TimesBecomeNamesAndSpeedsFollow) {
    const double step = 100.0 / 111000.0;
    struct Case {
        const char* what;
        std::vector<TrackPoint> points;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"100 m in 10 s",
         {{35.68, 139.76, 1, "2010-05-01T01:23:45Z"}, {35.68 + step, 139.76, 1, "2010-05-01T01:23:55Z"}},
         {"01:23:45", ""}},
        {"one second", {{35.68, 139.76, 1, "2010-05-01T01:23:45Z"}, {35.68 + step, 139.76, 1, "2010-05-01T01:23:46Z"}}, {"01:23:45", ""}},
        {"same second", {{35.68, 139.76, 1, "2010-05-01T01:23:45Z"}, {35.68 + step, 139.76, 1, "2010-05-01T01:23:45Z"}}, {"01:23:45", "01:23:45"}},
        {"untimed between", {{35.68, 139.76, 1, "2010-05-01T10:00:00Z"}, {35.68 + step, 139.76, 1, nullptr}}, {"10:00:00", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Import(Gpx({{"ACTIVE LOG", c.points}})), 0);
        ASSERT_EQ(g_stationCount, 2);
        EXPECT_EQ(g_stations[1].name, c.names[0]);
        EXPECT_EQ(g_stations[1].kind, 1);
        if (!c.names[1].empty()) EXPECT_EQ(g_stations[2].name, c.names[1]);
    }
    // The speed from the distance PROJ gives between the two points.
    ASSERT_EQ(Import(Gpx({{"ACTIVE LOG", cases[0].points}})), 0);
    const double d = g_stations[2].addedDistance;
    EXPECT_NEAR(d, 100.0, 0.5);
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.0fkm/h", d / (10.0 / 3600.0) * 0.001);
    EXPECT_STREQ(g_stations[2].name, speed);
    EXPECT_STREQ(g_stations[2].name, "36km/h");
    ASSERT_EQ(Import(Gpx({{"ACTIVE LOG", cases[1].points}})), 0);
    EXPECT_EQ(g_stations[2].kind, 1);
    EXPECT_STREQ(g_stations[2].name, "360km/h");
    // The untimed second point has kind 2 and no name.
    ASSERT_EQ(Import(Gpx({{"ACTIVE LOG", cases[3].points}})), 0);
    EXPECT_EQ(g_stations[2].kind, 2);
    EXPECT_STREQ(g_stations[2].name, "");
}

TEST_F(GpxTrackTest, StationsMatchProjAndPointCountsMatchOgrinfo) {
    // A wandering track with some points closer than a metre.
    std::vector<TrackPoint> points;
    std::mt19937 random(7);
    double lat = 35.3601234, lon = 139.12;
    for (int i = 0; i < 120; ++i) {
        points.push_back({lat, lon, 50.0 + i * 0.1, nullptr});
        const double metres = (random() % 5 == 0) ? 0.3 : 2.0 + random() % 20;
        lat += metres / 111000.0 * std::cos(i * 0.1);
        lon += metres / 91000.0 * std::sin(i * 0.1);
    }
    points.front().lat = 35.36;  // fewer digits than the longitude before it
    const std::string text = Gpx({{"ACTIVE LOG", points}});
    ASSERT_EQ(Import(text, msg::kIdYes), 0);
    const auto path = m_dir / "track.gpx";
    const std::string info = RunCommand("ogrinfo -ro -so '" + path.string() + "' track_points 2>/dev/null");
    const size_t at = info.find("Feature Count: ");
    ASSERT_NE(at, std::string::npos) << info;
    EXPECT_EQ(std::stoi(info.substr(at + 15)), g_dxfElementCount);

    // Every point through PROJ (zone 9, GRS 1980); stations where they are 1 m or more apart.
    std::string input;
    for (const TrackPoint& p : points) {
        char line[96];
        std::snprintf(line, sizeof line, "%.9f %.9f\n", p.lon, p.lat);
        input += line;
    }
    const auto in = Write("points.txt", input);
    std::istringstream proj(RunCommand("proj -f %.5f +proj=tmerc +lat_0=36 +lon_0=139.8333333333333 +k=0.9999 "
                                       "+ellps=GRS80 +units=m '" + in.string() + "'"));
    std::vector<std::pair<double, double>> stations;  // (north, east)
    double east, north;
    while (proj >> east >> north) {
        if (stations.empty() || std::hypot(north - stations.back().first, east - stations.back().second) >= 1.0)
            stations.push_back({north, east});
    }
    ASSERT_EQ(static_cast<int32_t>(stations.size()), g_stationCount);
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        EXPECT_NEAR(g_stations[i].x, stations[i - 1].first, 0.001) << i;
        EXPECT_NEAR(g_stations[i].y, stations[i - 1].second, 0.001) << i;
    }
    EXPECT_NEAR(g_dxfElementsBlock.Data()[1].x, stations[0].first, 0.001);

    // One cross section per station.
    ASSERT_EQ(g_crossSectionCount, g_stationCount);
    EXPECT_EQ(g_sectionViewCount, g_stationCount);
    EXPECT_EQ(g_hasSections, 1);
    EXPECT_EQ(g_showSections, -1);
    EXPECT_EQ(g_longCrossingCount, 0);
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const CrossSection& c = g_crossSections[i];
        EXPECT_EQ(c.number, i);
        EXPECT_EQ(c.leftCount + c.rightCount, 0);
        EXPECT_DOUBLE_EQ(c.distance, g_stations[i].addedDistance);
        EXPECT_DOUBLE_EQ(c.height, g_stations[i].groundZ);
        EXPECT_DOUBLE_EQ(c.centreX, g_stations[i].x);
    }
}

TEST_F(GpxTrackTest, ZonePassTakesTheFirstPointOnly) {
    const std::string text = Gpx({{"Other", {{43.0, 141.35, 1, nullptr}}}, {"ACTIVE LOG", {{35.68, 139.76, 1, nullptr}}}});
    OldRoute();
    g_planeZone = 0;
    EXPECT_EQ(ReadGpxTrack(1, Write("z.gpx", text)), 0);
    EXPECT_EQ(g_planeZone, 9);
    ExpectOldRoute();
}

TEST_F(GpxTrackTest, NoUsablePointIsToldAndTheRouteStays) {
    const std::string none = Gpx({{"Track 1", Northwards({5, 5})}});
    for (int32_t pass : {1, 0}) {
        SCOPED_TRACE(pass);
        OldRoute();
        g_planeZone = 7;  // left by an earlier import
        ClearRecordedMessages();
        if (pass == 0) QueueMessageAnswer(msg::kIdYes);
        EXPECT_EQ(ReadGpxTrack(pass, Write("none.gpx", none)), kGpxNoPoint);
        EXPECT_NE(LastMessage().find("ACTIVE LOG"), std::string::npos);
        EXPECT_EQ(g_planeZone, 7);
        ExpectOldRoute();
    }
    // The command ends after the zone pass: no zone question, no import.
    OldRoute();
    QueueFileDialogAnswer(Write("none2.GPX", none).string());
    int zoneAsked = 0;
    SetTrackZoneDialog([&](ZoneSelectValues&) { return ++zoneAsked, true; });
    RunRoadGmXmlRead();
    SetTrackZoneDialog({});
    EXPECT_EQ(zoneAsked, 0);
    ExpectOldRoute();
}

TEST_F(GpxTrackTest, DamagedFilesChangeNothing) {
    const std::string good = Gpx({{"ACTIVE LOG", Northwards({5, 5, 5})}});
    const std::string cases[] = {
        good.substr(0, good.rfind("<trkpt")),
        "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [<!ENTITY e SYSTEM \"file:///etc/hostname\">]>\n<gpx><trk><name>&e;</name></trk></gpx>",
        "<?xml version=\"1.0\"?>\n<gpx><trk><name>ACTIVE LOG</name><trkpt lat=\"35\" lon=\"139\"><ele>1</ele></trkpt>\n<trkpt lat=35.1></trk></gpx>",
    };
    for (const std::string& text : cases) {
        OldRoute();
        ClearRecordedMessages();
        EXPECT_EQ(Import(text, msg::kIdYes), -1);
        EXPECT_NE(LastMessage().find("track.gpx"), std::string::npos) << LastMessage();
        ExpectOldRoute();
        EXPECT_EQ(g_dxfElementCount, 0);
    }
    // An import pass without a zone is refused.
    OldRoute();
    g_planeZone = 0;
    EXPECT_EQ(Import(good), -1);
    ExpectOldRoute();
}

TEST_F(GpxTrackTest, CommandAsksForTheZoneAndImports) {
    const auto path = Write("walk.gpx", Gpx({{"ACTIVE LOG", Northwards({5, 5})}}));
    QueueFileDialogAnswer(path.string());
    QueueMessageAnswer(msg::kIdNo);
    g_planeZone = 0;
    int32_t offered = 0;
    SetTrackZoneDialog([&](ZoneSelectValues& v) {
        offered = v.m_zone;
        EXPECT_EQ(v.m_datumSelection, 1);
        EXPECT_EQ(v.m_convertDatum, 1);
        v.m_dataDatum = 1;
        return true;
    });
    RunRoadGmXmlRead();
    SetTrackZoneDialog({});
    EXPECT_EQ(offered, 9);
    EXPECT_EQ(g_planeZone, 9);
    EXPECT_EQ(g_useWorldDatum, 1);
    EXPECT_EQ(g_stationCount, 3);
}

TEST_F(GpxTrackTest, MutatedFilesNeverLeaveAHalfReadRoute) {
    std::vector<TrackPoint> points = Northwards({2, 2, 2, 2});
    points[1].time = "2020-01-01T00:00:00Z";
    points[3].time = "2020-01-01T00:00:04Z";
    const std::string good = Gpx({{"ACTIVE LOG", points}});
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        std::string t = good;
        for (int k = 0; k < 1 + static_cast<int>(random() % 4); ++k) {
            const size_t at = random() % t.size();
            switch (random() % 3) {
            case 0: t[at] = static_cast<char>(random()); break;
            case 1: t.erase(at, 1 + random() % 8); break;
            default: t.insert(at, 1, "<>\"=&/ T9"[random() % 9]); break;
            }
        }
        OldRoute();
        const int32_t r = Import(t, round % 2 ? msg::kIdYes : msg::kIdNo);
        if (r != 0) {
            ExpectOldRoute();
        } else {
            EXPECT_EQ(g_crossSectionCount, g_stationCount);
            for (int32_t i = 1; i <= g_stationCount; ++i) EXPECT_LT(std::strlen(g_stations[i].name), 16u);
        }
    }
}

}  // namespace
