// The map XML commands: file choice, zone question, what is replaced and when.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "dxf/dxf_store.h"
#include "exchange/fgd_xml.h"
#include "exchange/map_xml_command.h"
#include "import_test_support.h"
#include "model/geodesy.h"
#include "model/zone_dialog.h"
#include "exchange/delimited_text.h"
#include "platform/file_dialog.h"

namespace {

using importtest::ImportFixture;

// A small mesh in the published GML layout; `lon` moves it east by whole meshes.
std::string Mesh(int n, int m, double lon = 139.6625, const std::string& tail = "") {
    std::ostringstream o;
    o.precision(12);
    o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dataset xmlns:gml=\"http://www.opengis.net/gml/3.2\">\n"
      << "<DEM>\n<mesh>53394611</mesh>\n<gml:lowerCorner>35.7 " << lon << "</gml:lowerCorner>\n"
      << "<gml:upperCorner>35.708333333333 " << lon + 0.0125 << "</gml:upperCorner>\n"
      << "<gml:low>0 0</gml:low>\n<gml:high>" << n - 1 << " " << m - 1 << "</gml:high>\n<gml:tupleList>\n";
    for (int i = 0; i < n * m; ++i) o << "ground," << 20 + (i % n) + 0.5 * (i / n) << "\n";
    o << "</gml:tupleList>\n<gml:startPoint>0 0</gml:startPoint>\n</DEM>\n</Dataset>\n" << tail;
    return o.str();
}

class MapXmlCommandTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        ClearRecordedFileDialogs();
        SetImportZoneDialog({});
        SetGsiXmlOptionsDialog({});
        g_planeZone = 0;
        g_useWorldDatum = 1;
    }
    void TearDown() override {
        SetImportZoneDialog({});
        SetGsiXmlOptionsDialog({});
        ImportFixture::TearDown();
    }
    // Points already in memory, to see whether they survive.
    static void SomePoints(int32_t count) {
        for (int32_t i = 1; i <= count; ++i) {
            g_points[i] = RandomPoint{};
            g_points[i].x = i;
            g_points[i].z = 5;
        }
        g_pointCount = count;
        g_pointsPresent = -1;
        SetPointEndMarker();
    }
};

TEST_F(MapXmlCommandTest, MeshImportTakesEveryFileInTheConfirmedZone) {
    SomePoints(3);
    const auto a = Write("a.xml", Mesh(4, 3)), b = Write("b.xml", Mesh(5, 2, 139.675));
    QueueFileDialogAnswer(a.string() + "\n" + b.string());
    int shownZone = 0;
    SetImportZoneDialog([&](ZoneSelectValues& v) {
        shownZone = v.m_zone;
        EXPECT_EQ(v.m_convertDatum, 1);
        v.m_dataDatum = 1;
        return true;
    });
    OnGsiXmlMeshImport();
    EXPECT_EQ(shownZone, 9);
    EXPECT_EQ(g_planeZone, 9);
    ASSERT_EQ(g_pointCount, 12 + 10);
    EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
    EXPECT_DOUBLE_EQ(g_points[1].z, 20.0);
    ASSERT_FALSE(RecordedFileDialogs().empty());
    EXPECT_TRUE(RecordedFileDialogs().back().multiple);
    EXPECT_EQ(RecordedFileDialogs().back().title, "XMLファイル読込");
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages()[0].text, "現在読み込んでいるデータは破棄されますがよろしいですか");
}

TEST_F(MapXmlCommandTest, MeshImportThatGivesNothingLeavesTheDataAsTheyWere) {
    const struct {
        const char* what;
        std::string bytes;
        bool cancelZone;
    } cases[] = {
        {"zone cancelled", Mesh(3, 3), true},
        {"damaged", Mesh(3, 3).substr(0, 400), false},
        {"no mesh", "<?xml version=\"1.0\"?>\n<d><x>1</x></d>\n", false},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.what);
        InitDataModel();
        g_planeZone = 0;
        SomePoints(3);
        g_outline.Reset();
        for (int32_t i = 1; i <= 3; ++i) g_outline.Append(i);
        ClearRecordedMessages();
        QueueFileDialogAnswer(Write("m.xml", tc.bytes).string());
        SetImportZoneDialog([&](ZoneSelectValues&) { return !tc.cancelZone; });
        OnGsiXmlMeshImport();
        EXPECT_EQ(g_pointCount, 3);
        EXPECT_EQ(g_outline.Count(), 3);
        EXPECT_DOUBLE_EQ(g_points[2].x, 2.0);
        EXPECT_EQ(g_points[4].hidden, kEndMarker);
    }
}

TEST_F(MapXmlCommandTest, MeshReadBuildsOutlineAndTinOverTheMesh) {
    QueueFileDialogAnswer(Write("m.xml", Mesh(6, 5)).string());
    OnGsiXmlMeshRead();
    EXPECT_EQ(g_planeZone, 9);
    ASSERT_EQ(g_pointCount, 30);
    EXPECT_GE(g_outline.Count(), 4);
    // A full grid of n x m points triangulates into 3nm - 2n - 2m + 1 edges.
    EXPECT_EQ(g_tinEdgeCount, 3 * 30 - 2 * 6 - 2 * 5 + 1);
    EXPECT_NE(g_tinPresent, 0);
    EXPECT_FALSE(RecordedFileDialogs().back().multiple);
}

TEST_F(MapXmlCommandTest, MeshReadOfAFileWithoutAMeshSaysSoAndKeepsTheZone) {
    g_planeZone = 4;
    SomePoints(2);
    QueueFileDialogAnswer(Write("x.xml", "<?xml version=\"1.0\"?>\n<d/>\n").string());
    OnGsiXmlMeshRead();
    EXPECT_EQ(g_planeZone, 4);
    EXPECT_EQ(g_pointCount, 2);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "Not Mesh Data");
}

TEST_F(MapXmlCommandTest, MapSelectFindsTheZoneThenImportsWithTheDialogsValues) {
    const std::string map =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dataset xmlns:gml=\"http://www.opengis.net/gml/3.2\">\n"
        "<RdEdg>\n<loc>\n<gml:posList>\n35.7 139.66\n35.701 139.661\n</gml:posList>\n</loc>\n</RdEdg>\n"
        "</Dataset>\n";
    const auto a = Write("a.xml", map), b = Write("b.xml", map);
    const struct {
        int32_t answer;
        int32_t elements;
    } cases[] = {{0, 0}, {1, 4}, {2, 4}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.answer);
        InitDataModel();
        g_planeZone = 0;
        g_useWorldDatum = 0;
        QueueFileDialogAnswer(a.string() + "\n" + b.string());
        SetGsiXmlOptionsDialog([&](GsiXmlOptions& o) {
            EXPECT_EQ(g_planeZone, 9);  // found before the dialog opens
            EXPECT_EQ(g_useWorldDatum, 1);
            o.rows[kGsiRowRoadEdge] = {42, 3};
            return tc.answer;
        });
        OnGsiXmlSelect();
        ASSERT_EQ(g_dxfElementCount, tc.elements);
        if (tc.elements > 0) {
            EXPECT_EQ(g_dxfElementsBlock.Data()[4].layer, 42);
            EXPECT_EQ(g_dxfElementsBlock.Data()[4].colour, 3);
        }
    }
}

}  // namespace
