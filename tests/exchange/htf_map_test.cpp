// HTF map files: grid squares, feature rows, coordinate systems against PROJ, the
// normalised sheet placed by its corners, and files that must leave the layer as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "exchange/htf_map.h"
#include "import_test_support.h"
#include "model/geodesy.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "view/display_flags.h"

namespace {

using importtest::ImportFixture;
using importtest::RunCommand;

// Plane coordinates (north, east) of a position in zone 12 (44 N, 142.25 E), by PROJ.
void Proj12(double lat, double lon, double& north, double& east) {
    char cmd[256];
    std::snprintf(cmd, sizeof cmd,
                  "echo '%.10f %.10f' | proj -f %%.5f +proj=tmerc +lat_0=44 +lon_0=142.25 +k=0.9999 +ellps=GRS80 +units=m",
                  lon, lat);
    std::istringstream in(RunCommand(cmd));
    in >> east >> north;
}

class HtfMapTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        g_planeZone = 12;
        g_useWorldDatum = 1;
    }
    int32_t Import(const std::string& text, int32_t fileIndex = 0) {
        return ImportHtfMap(0, Write("map.htf", text), fileIndex, m_options);
    }
    static const DxfElement& E(int32_t i) { return g_dxfElementsBlock.Data()[i]; }
    static std::string LastMessage() {
        return RecordedMessages().empty() ? std::string() : RecordedMessages().back().text;
    }
    HtfInputValues m_options;
};

TEST_F(HtfMapTest, GridSquareCodes) {
    struct Case {
        int64_t code;
        bool ok;
        double south, north, west, east;
    };
    const Case cases[] = {
        {6441, true, 42 + 2 / 3.0, 43 + 1 / 3.0, 141, 142},
        {644142, true, 43.0, 43.0 + 1 / 12.0, 141.25, 141.375},
        {64414277, true, 43.0, 43.0 + 1 / 12.0, 141.25, 141.375},  // its second-order square
        {5339, true, 35 + 1 / 3.0, 36.0, 139, 140},
        {0, false, 0, 0, 0, 0},
        {-6441, false, 0, 0, 0, 0},
        {641, false, 0, 0, 0, 0},
        {64414, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        GridSquare s;
        ASSERT_EQ(GridSquareOf(c.code, s), c.ok);
        if (!c.ok) continue;
        EXPECT_NEAR(s.south, c.south, 1e-9);
        EXPECT_NEAR(s.north, c.north, 1e-9);
        EXPECT_NEAR(s.west, c.west, 1e-9);
        EXPECT_NEAR(s.east, c.east, 1e-9);
    }
}

TEST_F(HtfMapTest, FeatureClassesChooseTheirRow) {
    const struct {
        int32_t classCode, sub, row;
    } cases[] = {{111, 0, 0}, {111, 2, 1}, {111, 3, 2}, {111, 7, 0}, {121, 9, 3}, {121, 2, 4}, {122, 3, 5},
                 {122, 4, 6}, {121, 5, 7}, {122, 6, 8}, {121, 1, 3}, {300, 2, 9}, {0, 0, 9}};
    for (const auto& c : cases) EXPECT_EQ(HtfRowOf(c.classCode, c.sub), c.row) << c.classCode << " " << c.sub;
}

TEST_F(HtfMapTest, LineFeatureGoesToItsRowAsOnePolyline) {
    m_options.layer[1] = 41;
    m_options.colour[1] = 7;
    ASSERT_EQ(Import("%COORDSYSTEM REALM\r\n%LINE 5 111 2 125.5\r\n1 2\r\n3 4\r\n5 6\r\n7 8\r\n9 10\r\n"), 0);
    ASSERT_EQ(g_dxfElementCount, 5);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(E(i).pen, i == 1 ? DXF_PEN_MOVE : DXF_PEN_DRAW);
        EXPECT_EQ(E(i).layer, 41);
        EXPECT_EQ(E(i).colour, 7);
        EXPECT_DOUBLE_EQ(E(i).z, 125.5);
        // Plane coordinates come east first.
        EXPECT_DOUBLE_EQ(E(i).y, 2 * i - 1);
        EXPECT_DOUBLE_EQ(E(i).sourceX, 2 * i);
    }
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 1);
    EXPECT_EQ(g_showBackgroundDxf, 1);
    EXPECT_EQ(g_dxfSourcePath, (m_dir / "map.DXF").string());
}

TEST_F(HtfMapTest, PointTakesOneLineAndTheLabelIsCut) {
    const std::string label = Utf8ToCp932("三角点ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯ");  // 38 bytes
    ASSERT_EQ(Import("%POINT 300 1 " + label + "\n100 200\n300 400\n%AREA 2 121 9 0\n1 1\n2 2\n"), 0);
    ASSERT_EQ(g_dxfElementCount, 3);
    EXPECT_EQ(E(1).pen, DXF_PEN_TEXT);
    EXPECT_DOUBLE_EQ(E(1).textHeight, 10.0);
    EXPECT_EQ(E(1).layer, 11);  // row 10
    EXPECT_EQ(std::string(E(1).text), label.substr(0, 30));  // 31 would split a character
    EXPECT_DOUBLE_EQ(E(1).x, 200);
    EXPECT_EQ(E(2).layer, 5);  // class 121 sub-code 9: the sea row
    EXPECT_EQ(E(2).pen, DXF_PEN_MOVE);
}

TEST_F(HtfMapTest, GeographicCoordinatesAgreeWithProj) {
    ASSERT_EQ(Import("%COORDSYSTEM BLSECOND\n%POINT 1 0 P\n509400 154800\n"
                     "%COORDSYSTEM BLDEGREE\n%LINE 2 111 0 50\n141.75 43.25\n142.1 43.5\n"),
              0);
    ASSERT_EQ(g_dxfElementCount, 3);
    const double expect[3][2] = {{43.0, 141.5}, {43.25, 141.75}, {43.5, 142.1}};
    for (int i = 0; i < 3; ++i) {
        double north = 0, east = 0;
        Proj12(expect[i][0], expect[i][1], north, east);
        EXPECT_NEAR(E(i + 1).x, north, 0.001) << i;
        EXPECT_NEAR(E(i + 1).y, east, 0.001) << i;
    }
    // The zone pass takes the zone from the first geographic point.
    g_planeZone = 0;
    EXPECT_EQ(ImportHtfMap(1, Write("z.htf", "%COORDSYSTEM BLSECOND\n%LINE 1 1 1 0\n509400 154800\n"), 0, m_options), 0);
    EXPECT_EQ(g_planeZone, 12);
    g_planeZone = 0;
    // South-west corner 35.333 N 139 E: zone 8's origin (36 N, 138.5 E) is the nearest.
    EXPECT_EQ(ImportHtfMap(1, Write("z.htf", "%MESHCODE 5339\n"), 0, m_options), 0);
    EXPECT_EQ(g_planeZone, 8);
}

TEST_F(HtfMapTest, NormalisedSheetIsPlacedOnItsGridSquare) {
    const std::string text =
        "%COORDSYSTEM NORMALIZED\n"
        "%LINE 1 111 1 0\n500 600\n"  // before the sheet is known: as read
        "%COORDDOMAIN 0 10000 0 10000\n"
        "%MESHCODE 644142\n"
        "%LINE 3 111 1 0\n0 0\n10000 10000\n5000 5000\n";
    ASSERT_EQ(Import(text), 0);
    ASSERT_EQ(g_dxfElementCount, 4);
    EXPECT_DOUBLE_EQ(E(1).x, 600);
    EXPECT_DOUBLE_EQ(E(1).y, 500);
    double n, e;
    Proj12(43.0, 141.25, n, e);  // south-west corner
    EXPECT_NEAR(E(2).x, n, 0.01);
    EXPECT_NEAR(E(2).y, e, 0.01);
    Proj12(43.0 + 1 / 12.0, 141.375, n, e);  // north-east corner
    EXPECT_NEAR(E(3).x, n, 0.01);
    EXPECT_NEAR(E(3).y, e, 0.01);
    // A projective map keeps straight lines: the sheet's centre goes to where the diagonals
    // of the projected corners cross.
    double sw[2], ne[2], nw[2], se[2];
    Proj12(43.0, 141.25, sw[0], sw[1]);
    Proj12(43.0 + 1 / 12.0, 141.375, ne[0], ne[1]);
    Proj12(43.0 + 1 / 12.0, 141.25, nw[0], nw[1]);
    Proj12(43.0, 141.375, se[0], se[1]);
    const double d1x = ne[0] - sw[0], d1y = ne[1] - sw[1], d2x = se[0] - nw[0], d2y = se[1] - nw[1];
    const double t = ((nw[0] - sw[0]) * d2y - (nw[1] - sw[1]) * d2x) / (d1x * d2y - d1y * d2x);
    EXPECT_NEAR(E(4).x, sw[0] + t * d1x, 0.01);
    EXPECT_NEAR(E(4).y, sw[1] + t * d1y, 0.01);
    // Afterwards the registration is the identity and the elements keep the plane values.
    EXPECT_EQ(g_dxfRegistration.transformActive, 0);
    EXPECT_EQ(g_dxfRegistration.a, 1);
    EXPECT_DOUBLE_EQ(E(3).sourceX, E(3).x);
}

TEST_F(HtfMapTest, CountsLargerThanTheVerticesGivenAreBounded) {
    ASSERT_EQ(Import("%LINE 2147483648 111 2 0\n1 1\n2 2\n%LINE 1 300 0 0\n3 3\n%LINE -4 111 0 0\n%LINE\n%POINT\n7 8\n"), 0);
    ASSERT_EQ(g_dxfElementCount, 4);
    EXPECT_EQ(E(3).pen, DXF_PEN_MOVE);  // the second feature starts its own polyline
    EXPECT_EQ(E(3).layer, 11);
    EXPECT_EQ(E(4).pen, DXF_PEN_TEXT);
    EXPECT_STREQ(E(4).text, "");
}

TEST_F(HtfMapTest, ImportWithoutAZoneIsRefusedOnlyWhenOneIsNeeded) {
    g_planeZone = 0;
    EXPECT_EQ(Import("%COORDSYSTEM BLDEGREE\n%LINE 1 111 0 0\n141 43\n"), -1);
    EXPECT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(g_dxfElementCount, 0);
    EXPECT_EQ(Import("%LINE 2 111 0 0\n1 2\n3 4\n"), 0);  // plane coordinates need none
    EXPECT_EQ(g_dxfElementCount, 2);
}

TEST_F(HtfMapTest, KeptElementsStayWhereTheyAreShown) {
    // An element from before under an active registration: shown differs from source.
    g_dxfElementCount = 1;
    DxfElement& old = g_dxfElementsBlock.Data()[1];
    old = DxfElement{};
    old.x = 210;
    old.y = 120;
    old.sourceX = 100;
    old.sourceY = 50;
    g_dxfRegistration.a = 2;
    g_dxfRegistration.tx = 10;
    g_dxfRegistration.ty = 20;
    g_dxfRegistration.transformActive = 1;
    QueueMessageAnswer(msg::kIdNo);  // keep the layer
    ASSERT_EQ(Import("%LINE 1 111 0 0\n5 6\n"), 0);
    ASSERT_EQ(g_dxfElementCount, 2);
    EXPECT_EQ(g_dxfRegistration.transformActive, 0);
    ApplyDxfRegistration(0);
    EXPECT_DOUBLE_EQ(E(1).x, 210);
    EXPECT_DOUBLE_EQ(E(1).y, 120);
    // Yes on the first file empties the layer; later files never ask.
    QueueMessageAnswer(msg::kIdYes);
    ASSERT_EQ(Import("%LINE 1 111 0 0\n7 8\n"), 0);
    EXPECT_EQ(g_dxfElementCount, 1);
    ClearRecordedMessages();
    ASSERT_EQ(Import("%LINE 1 111 0 0\n9 9\n", 1), 0);
    EXPECT_EQ(g_dxfElementCount, 2);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(HtfMapTest, DamagedFileChangesNothing) {
    g_dxfRegistration.a = 3;
    std::string text = "%COORDDOMAIN 0 1 0 1\n%MESHCODE 6441\n%LINE 2 111 0 0\n1 1\n2 2\n%LINE 2 111 0 0\n1 1\n";
    text += std::string("2\0 2\n", 5);
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(Import(text), -1);
    EXPECT_NE(LastMessage().find("map.htf: line 8"), std::string::npos) << LastMessage();
    EXPECT_EQ(g_dxfElementCount, 0);
    EXPECT_EQ(g_dxfRegistration.a, 3);
    EXPECT_EQ(ImportHtfMap(0, m_dir / "missing.htf", 0, m_options), -1);
}

TEST_F(HtfMapTest, StoreThatCannotGrowKeepsTheLayer) {
    std::string text = "%LINE 1200 111 0 0\n";
    for (int i = 0; i < 1200; ++i) text += std::to_string(i) + " 1\n";
    const auto path = Write("big.htf", text);
    InjectAllocationFailures(0, 100);
    const int32_t r = ImportHtfMap(0, path, 0, m_options);
    InjectAllocationFailures(0, 0);
    EXPECT_EQ(r, -1);
    EXPECT_EQ(LastMessage(), "メモリーが不足しています。");
    EXPECT_EQ(g_dxfElementCount, 0);
    EXPECT_EQ(ImportHtfMap(0, path, 0, m_options), 0);
    EXPECT_EQ(g_dxfElementCount, 1200);
}

TEST_F(HtfMapTest, MutatedFilesLeaveTheLayerWholeOrUnchanged) {
    const std::string good =
        "%COORDSYSTEM NORMALIZED\n%COORDDOMAIN 0 10000 0 10000\n%MESHCODE 644142\n%LINE 3 111 2 10.5\n0 0\n5000 100\n"
        "10000 10000\n%POINT 300 1 LABEL\n10 20\n%COORDSYSTEM BLSECOND\n%AREA 2 121 4 0\n509400 154800\n509500 154900\n";
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        std::string t = good;
        for (int k = 0; k < 1 + static_cast<int>(random() % 4); ++k) {
            const size_t at = random() % t.size();
            switch (random() % 3) {
            case 0: t[at] = static_cast<char>(random()); break;
            case 1: t.erase(at, 1 + random() % 8); break;
            default: t.insert(at, 1, "%9 \n-.E"[random() % 7]); break;
            }
        }
        g_dxfElementCount = 0;
        const DxfRegistration before = g_dxfRegistration;
        const int32_t r = Import(t);
        if (r != 0) {
            EXPECT_EQ(g_dxfElementCount, 0);
            EXPECT_EQ(std::memcmp(&before, &g_dxfRegistration, sizeof before), 0);
        }
        for (int32_t i = 1; i <= g_dxfElementCount; ++i) EXPECT_LT(std::strlen(E(i).text), 32u);
    }
}

TEST_F(HtfMapTest, DialogValuesAndCommand) {
    HtfInputValues v = OpenHtfInput();
    EXPECT_EQ(g_useWorldDatum, 1);
    EXPECT_EQ(HtfTextHeightLostFocus(v, "-2.5"), "2.500");
    EXPECT_EQ(HtfTextHeightLostFocus(v, "0"), "2.500");
    EXPECT_EQ(HtfTextHeightLostFocus(v, "abc"), "2.500");
    HtfLayerLostFocus(v, 9, "77");
    EXPECT_EQ(v.layer[9], 77);

    const auto a = Write("a.htf", "%LINE 1 300 0 0\n1 2\n");
    const auto b = Write("b.htf", "%POINT 300 0 X\n3 4\n");
    // Cancelled in the dialog: nothing read.
    QueueFileDialogAnswer(a.string() + "\n" + b.string() + "\n");
    RunHtfMapSelect([](HtfInputValues&) { return false; });
    EXPECT_EQ(g_dxfElementCount, 0);
    QueueFileDialogAnswer(a.string() + "\n" + b.string() + "\n");
    RunHtfMapSelect([](HtfInputValues& values) {
        values.layer[9] = 55;
        return true;
    });
    ASSERT_EQ(g_dxfElementCount, 2);
    EXPECT_EQ(E(1).layer, 55);
    EXPECT_STREQ(E(2).text, "X");
    EXPECT_EQ(RecordedFileDialogs().back().title, "HTFファイル読込");
}

}  // namespace
