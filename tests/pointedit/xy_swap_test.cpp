// XY反転: swapping twice gives back every coordinate; a swap keeps each triangle's turning
// sense and the outline clockwise; nothing ticked changes nothing; the dropped contours'
// companion files go at the next save, not at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "dxf/dxf_store.h"
#include "model/document_services.h"
#include "model/terrain_data.h"
#include "pointedit/xy_swap.h"
#include "route/route_data.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "view/text_flags.h"
#include "volume/mesh_data.h"

namespace fs = std::filesystem;

namespace {

void AddPoint(double x, double y) {
    EnsurePointCapacity(g_pointCount + 1);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    p.z = 50;
    SetPointEndMarker();
    g_pointsPresent = -1;
}

void AddEdge(int32_t a, int32_t b, int32_t back, int32_t search) {
    EnsureTinEdgeCapacity(g_tinEdgeCount + 1);
    g_tinEdges[++g_tinEdgeCount] = TinEdge{a, b, back, search, 0};
    SetTinEndRecord();
    g_tinPresent = -1;
}

// Twice the signed area of a, b, c on the map (east right, north up): positive when they
// turn counter-clockwise.
double Turn(int32_t a, int32_t b, int32_t c) {
    const RandomPoint& p = g_points[std::abs(a)];
    const RandomPoint& q = g_points[std::abs(b)];
    const RandomPoint& r = g_points[std::abs(c)];
    return (q.y - p.y) * (r.x - p.x) - (q.x - p.x) * (r.y - p.y);
}

// Twice the signed area of the outline on the map; negative when clockwise.
double OutlineArea() {
    double s = 0;
    const int32_t n = g_outline.Count();
    for (int32_t k = 1; k <= n; ++k) {
        const RandomPoint& p = g_points[g_outline[k]];
        const RandomPoint& q = g_points[g_outline[k % n + 1]];
        s += p.y * q.x - q.y * p.x;
    }
    return s;
}

// A square of four points round a centre point: four triangles (one a hole), a clockwise
// closed outline, route, DXF and text-flag data beside it.
void BuildSurvey() {
    InitDataModel();
    AddPoint(0, 0);    // 1 south-west
    AddPoint(10, 0);   // 2 north-west
    AddPoint(10, 10);  // 3 north-east
    AddPoint(0, 12);   // 4 south-east
    AddPoint(5, 4);    // 5 centre
    // Edges round the centre with their triangles' apexes.
    AddEdge(1, 5, 2, 4);
    AddEdge(2, 5, 3, 1);
    AddEdge(-3, -5, -4, -2);  // the search side is a hole triangle
    AddEdge(4, 5, 1, 3);
    AddEdge(2, 1, kNoApex, 5);
    for (int32_t v : {1, 2, 3, 4}) g_outline.Append(v);
    g_outline.Close();

    g_ipPointCount = 2;
    g_ipPoints[1].x = 1.5;
    g_ipPoints[1].y = -2.5;
    g_ipPoints[2].x = 7;
    g_ipPoints[2].y = 9;
    g_otherRouteIpCount = 1;
    g_otherRouteIps[1].x = 3;
    g_otherRouteIps[1].y = 4;
    for (auto [block, stations, count] :
         {std::tuple{&GrowStationBlock, &g_stations, &g_stationCount},
          std::tuple{&GrowOtherRouteStationBlock, &g_otherRouteStations,
                     &g_otherRouteStationCount}}) {
        ASSERT_EQ(block(4), 0);
        *count = 2;
        for (int32_t i = 1; i <= 2; ++i) {
            StationRecord& s = (*stations)[i];
            s.x = 10.0 * i;
            s.y = 1.0 * i;
            s.leftX = 10.0 * i - 3;
            s.leftY = 1.0 * i + 4;
            s.rightX = 10.0 * i + 3;
            s.rightY = 1.0 * i - 4;
        }
    }
    g_dxfElementCount = 3;
    for (int32_t i = 1; i <= 3; ++i) {
        g_dxfElementsBlock.Data()[i].x = 100.0 + i;
        g_dxfElementsBlock.Data()[i].y = -50.0 * i;
    }
    g_textFlagCount = 1;
    g_textFlags[1].x = 12;
    g_textFlags[1].y = 34;
}

struct Snapshot {
    std::vector<double> values;
    std::vector<int32_t> indices;
};

Snapshot Take() {
    Snapshot s;
    auto put = [&s](double x, double y) {
        s.values.push_back(x);
        s.values.push_back(y);
    };
    for (int32_t i = 1; i <= g_pointCount; ++i) put(g_points[i].x, g_points[i].y);
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& t = g_tinEdges[e];
        s.indices.insert(s.indices.end(), {t.a, t.b, t.apexBack, t.apexSearch});
    }
    for (int32_t k = 0; k <= g_outline.Count() + 1; ++k) s.indices.push_back(g_outline[k]);
    for (int32_t i = 1; i <= g_ipPointCount; ++i) put(g_ipPoints[i].x, g_ipPoints[i].y);
    put(g_otherRouteIps[1].x, g_otherRouteIps[1].y);
    for (StationRecord* st : {g_stations, g_otherRouteStations})
        for (int32_t i = 1; i <= 2; ++i) {
            put(st[i].x, st[i].y);
            put(st[i].leftX, st[i].leftY);
            put(st[i].rightX, st[i].rightY);
        }
    for (int32_t i = 1; i <= g_dxfElementCount; ++i)
        put(g_dxfElementsBlock.Data()[i].x, g_dxfElementsBlock.Data()[i].y);
    put(g_textFlags[1].x, g_textFlags[1].y);
    return s;
}

XySwapChoice AllChosen() {
    XySwapChoice c = OpenXySwapChoice();
    c.randomData |= kXySwapChosen;
    c.routeData |= kXySwapChosen;
    c.backgroundDxf |= kXySwapChosen;
    return c;
}

TEST(XySwap, TwiceGivesBackEveryCoordinateAndIndex) {
    BuildSurvey();
    const XySwapChoice choice = AllChosen();
    EXPECT_EQ(choice.randomData, kXySwapExists | kXySwapChosen);
    EXPECT_EQ(choice.routeData, kXySwapExists | kXySwapChosen);
    EXPECT_EQ(choice.backgroundDxf, kXySwapExists | kXySwapChosen);
    const Snapshot before = Take();

    ASSERT_TRUE(SwapXY(choice));
    EXPECT_EQ(g_points[4].x, 12);
    EXPECT_EQ(g_points[4].y, 0);
    EXPECT_EQ(g_ipPoints[1].x, -2.5);
    EXPECT_EQ(g_stations[2].rightX, -2);
    EXPECT_EQ(g_otherRouteStations[1].leftY, 7);
    EXPECT_EQ(g_otherRouteIps[1].x, 4);
    EXPECT_EQ(g_dxfElementsBlock.Data()[2].x, -100);
    EXPECT_EQ(g_textFlags[1].x, 34);
    EXPECT_NE(Take().values, before.values);

    ASSERT_TRUE(SwapXY(choice));
    const Snapshot after = Take();
    EXPECT_EQ(after.values, before.values);
    EXPECT_EQ(after.indices, before.indices);
}

TEST(XySwap, TrianglesKeepTheirSenseAndTheOutlineStaysClockwise) {
    BuildSurvey();
    std::vector<double> turns;
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& t = g_tinEdges[e];
        turns.push_back(Turn(t.a, t.b, t.apexSearch));
        ASSERT_NE(turns.back(), 0) << "fixture: a real triangle, edge " << e;
    }
    ASSERT_LT(OutlineArea(), 0) << "fixture outline clockwise";

    XySwapChoice choice = OpenXySwapChoice();
    choice.randomData |= kXySwapChosen;
    ASSERT_TRUE(SwapXY(choice));
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& t = g_tinEdges[e];
        EXPECT_NEAR(Turn(t.a, t.b, t.apexSearch), turns[e - 1], 1e-9) << "edge " << e;
    }
    EXPECT_EQ(g_tinEdges[3].a, -5) << "hole marks stay with their ends";
    EXPECT_EQ(g_tinEdges[3].b, -3);
    EXPECT_EQ(g_tinEdges[5].apexBack, kNoApex);
    EXPECT_LT(OutlineArea(), 0);
    EXPECT_TRUE(g_outline.IsClosed());
    EXPECT_EQ(g_outline.Count(), 4);
    // Route and DXF were not chosen.
    EXPECT_EQ(g_ipPoints[1].x, 1.5);
    EXPECT_EQ(g_dxfElementsBlock.Data()[1].x, 101);
    EXPECT_EQ(g_dataChanged, -1);
}

TEST(XySwap, BoxesExistOnlyForPresentData) {
    InitDataModel();
    XySwapChoice c = OpenXySwapChoice();
    EXPECT_EQ(c.randomData, 0);
    EXPECT_EQ(c.routeData, 0);
    EXPECT_EQ(c.backgroundDxf, 0);
    // A tick on a box that is disabled chooses nothing.
    c.randomData = kXySwapChosen;
    EXPECT_FALSE(AnyXySwapChosen(c));
    g_stationCount = 1;
    g_dxfBlockElementCount = 1;
    c = OpenXySwapChoice();
    EXPECT_EQ(c.routeData, kXySwapExists);
    EXPECT_EQ(c.backgroundDxf, kXySwapExists);
}

// A cross section at station 1 across a route running north: left to the west, right to
// the east, with a plan section and a CROSS entry beside it.
void BuildSection() {
    InitRouteSectionDefaults();
    CreateSectionBlocks();
    CrossSection* s = GetCrossSection(1);
    s->number = 1;
    s->centreX = 10, s->centreY = 1;
    s->leftDirX = 0, s->leftDirY = -1;
    s->rightDirX = 0, s->rightDirY = 1;
    ASSERT_TRUE(ReserveSectionPoints(s, 2));
    s->leftCount = 2, s->rightCount = 1;
    for (int32_t j = 1; j <= 2; ++j) {
        s->points[j].leftOffset = -2.0 * j;
        s->points[j].leftX = 10, s->points[j].leftY = 1 - 2.0 * j;
    }
    s->points[1].rightOffset = 3;
    s->points[1].rightX = 10, s->points[1].rightY = 4;
    g_crossSectionCount = 1;
    PlanSection* plan = GetPlanSection(1);
    ASSERT_TRUE(ReservePlanPoints(plan, 1));
    plan->leftCount = plan->rightCount = 1;
    plan->points[1].leftX = 10, plan->points[1].leftY = -5;
    plan->points[1].rightX = 10, plan->points[1].rightY = 6;
    g_planSectionCount = 1;
    ASSERT_EQ(GrowLongCrossingBlock(2), 0);
    g_longCrossingCount = 1;
    g_longCrossings[1].x = 10, g_longCrossings[1].y = 1;
}

std::vector<double> SectionPlanPositions() {
    const CrossSection& s = *GetCrossSection(1);
    const PlanSection& p = *GetPlanSection(1);
    return {s.centreX,         s.centreY,         s.points[1].leftX,  s.points[1].leftY,  s.points[2].leftX,
            s.points[2].leftY, s.points[1].rightX, s.points[1].rightY, p.points[1].leftX, p.points[1].leftY,
            p.points[1].rightX, p.points[1].rightY, g_longCrossings[1].x, g_longCrossings[1].y};
}

TEST(XySwap, SectionsTurnWithTheRoute) {
    BuildSurvey();
    BuildSection();
    const std::vector<double> before = SectionPlanPositions();
    XySwapChoice choice = OpenXySwapChoice();
    choice.routeData |= kXySwapChosen;
    ASSERT_TRUE(SwapXY(choice));
    EXPECT_EQ(SectionPlanPositions(),
              (std::vector<double>{1, 10, -1, 10, -3, 10, 4, 10, -5, 10, 6, 10, 1, 10}));
    // The section's directions turned too: a point written back from the edit dialog at its
    // own distance lands where the swap put it.
    SectionPoint copy{};
    copy.rightOffset = 3, copy.rightHeight = 50;
    SetSectionPointFromEdit(1, 1, copy);
    EXPECT_EQ(GetCrossSection(1)->points[1].rightX, 4);
    EXPECT_EQ(GetCrossSection(1)->points[1].rightY, 10);

    ASSERT_TRUE(SwapXY(choice));
    EXPECT_EQ(SectionPlanPositions(), before);
    // Not chosen: the sections stay.
    choice = OpenXySwapChoice();
    choice.randomData |= kXySwapChosen;
    ASSERT_TRUE(SwapXY(choice));
    EXPECT_EQ(SectionPlanPositions(), before);
    InitRouteSectionDefaults();
}

// The derived data and its files beside a document in a scratch folder.
class XySwapDerived : public ::testing::Test {
protected:
    void SetUp() override {
        BuildSurvey();
        m_dir = fs::temp_directory_path() / ("xyswap_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        m_doc = m_dir / "site.RND";
        for (const char* ext : {".CT1", ".CT2", ".CT3", ".HLT"})
            std::ofstream(WithExtension(m_doc, ext)) << "x";
        g_currentDataPath = m_doc.string();
        g_drawingContoursLoaded = -1;
        g_showDrawingContours = -1;
        g_sliceContoursLoaded = -1;
        g_showSliceContours = -1;
        g_sliceLineCount = 7;
        g_meshAreaDefined = 1;
        g_meshElevationsDone = 1;
        g_meshPlanDone = 1;
        g_meshVolumeDone = 1;
        ForgetStaleCompanions();
    }
    void TearDown() override {
        ForgetStaleCompanions();
        fs::remove_all(m_dir);
    }
    static fs::path WithExtension(const fs::path& p, const char* ext) {
        fs::path q = p;
        return q.replace_extension(ext);
    }
    int Remaining() const {
        int n = 0;
        for (const char* ext : {".CT1", ".CT2", ".CT3", ".HLT"})
            n += fs::exists(WithExtension(m_doc, ext));
        return n;
    }
    fs::path m_dir;
    fs::path m_doc;
};

TEST_F(XySwapDerived, NothingTickedChangesNothing) {
    const Snapshot before = Take();
    EXPECT_FALSE(SwapXY(OpenXySwapChoice()));
    EXPECT_EQ(Take().values, before.values);
    EXPECT_EQ(g_drawingContoursLoaded, -1);
    EXPECT_EQ(g_sliceLineCount, 7);
    EXPECT_EQ(g_meshAreaDefined, 1);
    WriteDocumentCompanions(m_doc);
    EXPECT_EQ(Remaining(), 4);
}

TEST_F(XySwapDerived, DroppedAtOnceFilesGoAtTheNextSave) {
    ASSERT_TRUE(SwapXY(AllChosen()));
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(g_showDrawingContours, 0);
    EXPECT_EQ(g_sliceContoursLoaded, 0);
    EXPECT_EQ(g_showSliceContours, 0);
    EXPECT_EQ(g_sliceLineCount, 0);
    EXPECT_EQ(g_meshAreaDefined, 0);
    EXPECT_EQ(g_meshElevationsDone + g_meshPlanDone + g_meshVolumeDone, 0);
    EXPECT_EQ(Remaining(), 4) << "the document on disk stays whole until it is saved";

    // The save drops the old files; the elevation table survives the swap (its levels and
    // areas do not change) and is written anew.
    WriteDocumentCompanions(m_doc);
    EXPECT_FALSE(fs::exists(WithExtension(m_doc, ".CT1")));
    EXPECT_FALSE(fs::exists(WithExtension(m_doc, ".CT2")));
    EXPECT_FALSE(fs::exists(WithExtension(m_doc, ".CT3")));  // no slice store
    EXPECT_TRUE(fs::exists(WithExtension(m_doc, ".HLT")));
}

TEST_F(XySwapDerived, OpeningAnotherDocumentForgetsTheStaleFiles) {
    ASSERT_TRUE(SwapXY(AllChosen()));
    ForgetStaleCompanions();  // what opening or a new document does
    WriteDocumentCompanions(m_doc);
    EXPECT_EQ(Remaining(), 4);
}

TEST_F(XySwapDerived, ShortDataPathDropsOnlyMemory) {
    g_currentDataPath = "a.RND";
    ASSERT_TRUE(SwapXY(AllChosen()));
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(g_sliceLineCount, 0);
    WriteDocumentCompanions(m_doc);
    EXPECT_EQ(Remaining(), 4);
}

}  // namespace
