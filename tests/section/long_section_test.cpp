// The longitudinal section: station heights from the sections, the extents the window
// scales to, the ground line and the typed vertical scale.
#include <gtest/gtest.h>

#include <initializer_list>

#include "route/route_data.h"
#include "section/long_section.h"
#include "section/section_frame.h"
#include "section/section_records.h"
#include "section_test_support.h"

namespace {
class LongSection : public sectiontest::SectionFixture {
protected:
    // Stations at the given added distances, all with ground height -1 and no flag.
    void Stations(std::initializer_list<double> distances) {
        for (double d : distances) {
            AddStation("S", d, 0, d, 0, d - 10, 0, d + 10);
            g_stations[g_stationCount].groundZ = -1.0;
            g_stations[g_stationCount].heightValid = 0;
        }
    }
    // Section n at added distance d with centre height h.
    void Section(int32_t n, double d, double h) {
        EnsureCrossSectionRoom(n, 4, 300);
        CrossSection& s = *GetCrossSection(n);
        s = CrossSection{};
        s.number = n;
        s.distance = d;
        s.height = h;
        s.points.resize(2, SectionPoint{});
        g_crossSectionCount = std::max(g_crossSectionCount, n);
        g_hasSections = 1;
    }
};
}  // namespace

TEST_F(LongSection, TwoStationsGiveDoubledDistanceSpanAndTheMiddle) {
    Stations({0.0, 100.0});
    Section(1, 0.0, 10.0);
    Section(2, 100.0, 20.0);
    RefreshStationHeights();
    EXPECT_EQ(g_stations[1].heightValid, 1);
    EXPECT_DOUBLE_EQ(g_stations[2].groundZ, 20.0);
    const LongSectionExtents e = ComputeLongSectionExtents();
    EXPECT_DOUBLE_EQ(e.distanceSpan, 200.0);
    EXPECT_DOUBLE_EQ(e.heightSpan, 10.0);
    EXPECT_DOUBLE_EQ(e.centreDistance, 50.0);
    EXPECT_DOUBLE_EQ(e.centreHeight, 15.0);

    // At zoom 1 the middle of the data sits in the middle of the frame, scaled by 1.2.
    SectionFrame f;
    f.right = 800, f.bottom = 400;
    f.offsetOrigin = e.centreDistance;
    f.heightOrigin = e.centreHeight;
    UpdateSectionScale(f, e.distanceSpan, e.heightSpan, kLongSectionScaleFactor);
    EXPECT_DOUBLE_EQ(f.pixelsPerMetre, 800.0 / 200.0 * 1.2);
    EXPECT_EQ(SectionWorldToScreen(f, 50.0, 15.0), (SectionPixel{400, 200}));
}

TEST_F(LongSection, StationWithoutSectionIsPassedOverWithoutBreakingTheLine) {
    Stations({0.0, 50.0, 100.0});
    Section(1, 0.0, 10.0);
    Section(2, 100.0, 30.0);  // numbered 2 but lies at station 3's distance
    RefreshStationHeights();
    const std::vector<LongSectionMark> line = LongSectionGroundLine();
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0].station, 1);
    EXPECT_EQ(line[1].station, 3);
    EXPECT_DOUBLE_EQ(line[1].at.height, 30.0);
    EXPECT_EQ(g_stations[2].heightValid, 0);
    EXPECT_DOUBLE_EQ(g_stations[2].groundZ, -1.0) << "an unmatched station keeps its height";
    // Station 1's height starts the range; the unflagged -1 does not widen it.
    const LongSectionExtents e = ComputeLongSectionExtents();
    EXPECT_DOUBLE_EQ(e.heightSpan, 20.0);
    EXPECT_DOUBLE_EQ(e.centreHeight, 20.0);
}

TEST_F(LongSection, ExtentsAtTheEdges) {
    struct Case {
        const char* what;
        std::initializer_list<double> stations;
        double span, height;
    };
    const Case cases[] = {
        {"one distance, one height: the defaults", {100.0, 100.0}, 50.0, 50.0},
        {"far from 0: twice the last distance", {900.0, 1000.0}, 2000.0, 0.0},
        {"negative start: twice its size", {-300.0, 100.0}, 600.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_stationCount = 0;
        Stations(c.stations);
        for (int32_t i = 1; i <= g_stationCount; ++i) {
            g_stations[i].groundZ = 5.0;
            g_stations[i].heightValid = 1;
        }
        const LongSectionExtents e = ComputeLongSectionExtents();
        EXPECT_DOUBLE_EQ(e.distanceSpan, c.span);
        EXPECT_DOUBLE_EQ(e.heightSpan, c.height);
    }
}

TEST_F(LongSection, HeightsAreNotRefreshedWithOneStation) {
    Stations({0.0});
    g_stations[1].heightValid = 1;
    Section(1, 0.0, 10.0);
    RefreshStationHeights();
    EXPECT_DOUBLE_EQ(g_stations[1].groundZ, -1.0);
}

TEST_F(LongSection, TypedVerticalScaleUpTo20WhileTheWheelReaches100) {
    struct Case {
        double typed;
        bool taken;
    };
    for (const Case c : {Case{0.0, false}, Case{-1.0, false}, Case{0.5, true}, Case{20.0, true}, Case{25.0, false}}) {
        double scale = 1.0;
        EXPECT_EQ(ApplyLongSectionVerticalScale(scale, c.typed), c.taken) << c.typed;
        EXPECT_DOUBLE_EQ(scale, c.taken ? c.typed : 1.0);
    }
    double wheel = 20.0;
    for (int i = 0; i < 100; ++i) wheel = SectionWheelVerticalScale(wheel, true);
    EXPECT_DOUBLE_EQ(wheel, 100.0);
}
