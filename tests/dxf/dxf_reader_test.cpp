// The background reader on small drawings written here: sections, layers, extents,
// blocks and references, the question before replacing, and damaged input.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "dxf/dxf_registration.h"
#include "dxf_test_support.h"
#include "view/display_flags.h"

namespace {
namespace fs = std::filesystem;
using namespace dxftest;

std::string Header(double minE, double minN, double maxE, double maxN, int extMinCount = 1) {
    std::string s = Pairs({{0, "SECTION"}, {2, "HEADER"}});
    for (int i = 0; i < extMinCount; ++i) s += Pairs({{9, "$EXTMIN"}, {10, std::to_string(minE)}, {20, std::to_string(minN)}, {30, "0"}});
    s += Pairs({{9, "$EXTMAX"}, {10, std::to_string(maxE)}, {20, std::to_string(maxN)}, {30, "0"}});
    return s + Pairs({{0, "ENDSEC"}});
}
std::string Entities(const std::string& body) { return Pairs({{0, "SECTION"}, {2, "ENTITIES"}}) + body + Pairs({{0, "ENDSEC"}, {0, "EOF"}}); }
std::string Blocks(const std::string& body) { return Pairs({{0, "SECTION"}, {2, "BLOCKS"}}) + body + Pairs({{0, "ENDSEC"}}); }
std::string Block(const std::string& name, double baseE, double baseN, const std::string& members) {
    return Pairs({{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, std::to_string(baseE)}, {20, std::to_string(baseN)}, {30, "0"}}) +
           members + Pairs({{0, "ENDBLK"}});
}
std::string Point(double e, double n, const std::string& layer = "0") {
    return Pairs({{0, "POINT"}, {8, layer}, {10, std::to_string(e)}, {20, std::to_string(n)}, {30, "0"}});
}
std::string Line(double e1, double n1, double e2, double n2) {
    return Pairs({{0, "LINE"}, {8, "0"}, {10, std::to_string(e1)}, {20, std::to_string(n1)}, {30, "0"},
                  {11, std::to_string(e2)}, {21, std::to_string(n2)}, {31, "0"}});
}

class DxfReader : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = ScratchDir("reader");
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        fs::remove_all(m_dir);
        g_dxfElementLimit = kDefaultDxfElementLimit;
    }
    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path p = m_dir / name;
        WriteBytes(p, bytes);
        return p;
    }
    int32_t Read(const std::string& bytes) { return ReadBackgroundDxf(Write("d.dxf", bytes).string()); }
    fs::path m_dir;
};

TEST_F(DxfReader, WithoutSectionsOnlyTheLayerTableIsRead) {
    const std::string dxf = Pairs({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {70, "1"}, {0, "LAYER"},
                                   {2, "WALL"}, {70, "0"}, {62, "3"}, {6, "CONTINUOUS"}, {0, "ENDTAB"}, {0, "ENDSEC"},
                                   {0, "SECTION"}, {2, "OBJECTS"}}) +
                            Line(1, 2, 3, 4) + Pairs({{0, "ENDSEC"}, {0, "EOF"}});
    ASSERT_EQ(Read(dxf), kDxfReadDone);
    EXPECT_EQ(g_dxfElementCount, 0);
    // The table's own "LAYER" line starts an entry too: an empty name with colour 256.
    ASSERT_EQ(g_dxfLayerCount, 2);
    EXPECT_STREQ(g_dxfLayers[1].name, "");
    EXPECT_EQ(g_dxfLayers[1].colour, 256);
    EXPECT_STREQ(g_dxfLayers[2].name, "WALL\n");
    EXPECT_EQ(g_dxfLayers[2].colour, 3);
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 0);
}

TEST_F(DxfReader, ExtentsClipOnlyWhenGivenOnceAndValid) {
    const std::string body = Line(1, 1, 20, 1) + Point(5, 5) + Point(10.00005, 5) + Point(-0.001, 5);
    struct Row {
        const char* what;
        std::string header;
        int32_t elements;
        int32_t clipped;
    };
    const Row rows[] = {
        {"extents 0..10", Header(0, 0, 10, 10), 3, 2},
        {"two $EXTMIN records", Header(0, 0, 10, 10, 2), 5, 0},
        {"no extents", "", 5, 0},
        // What CAD programs write for an empty drawing: minimum above maximum.
        {"empty-drawing extents", Header(1e20, 1e20, -1e20, -1e20), 5, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        InitDataModel();
        ASSERT_EQ(Read(r.header + Entities(body)), kDxfReadDone);
        EXPECT_EQ(g_dxfElementCount, r.elements);
        EXPECT_EQ(g_dxfClippedCount, r.clipped);
    }
}

TEST_F(DxfReader, EverythingClippedLeavesTheLayerUnloaded) {
    g_showBackgroundDxf = 0;
    ASSERT_EQ(Read(Header(0, 0, 10, 10) + Entities(Point(50, 50) + Line(20, 20, 30, 30))), kDxfReadDone);
    EXPECT_EQ(g_dxfElementCount, 0);
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 0);
    EXPECT_EQ(g_showBackgroundDxf, 0);
}

TEST_F(DxfReader, QuestionChoosesBetweenReplacingAndAppending) {
    const std::string first = Entities(Point(1, 1, "A") + Point(2, 2, "A"));
    const std::string second = Entities(Point(3, 3, "B"));
    struct Row {
        int answer;
        int32_t count;
        int32_t firstNew;
        int32_t layers;
    };
    for (const Row& r : {Row{msg::kIdNo, 3, 3, 2}, Row{msg::kIdYes, 1, 1, 1}}) {
        SCOPED_TRACE(r.answer);
        InitDataModel();
        ClearRecordedMessages();
        ASSERT_EQ(Read(first), kDxfReadDone);
        QueueMessageAnswer(r.answer);
        ASSERT_EQ(Read(second), kDxfReadDone);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages()[0].text, "現在の背景DXFデータを削除しますか");
        EXPECT_EQ(g_dxfElementCount, r.count);
        EXPECT_EQ(g_dxfFirstNewElement, r.firstNew);
        ASSERT_EQ(g_dxfLayerCount, r.layers);
        EXPECT_STREQ(g_dxfLayers[r.layers].name, "B\n");
        if (r.layers == 2) {
            EXPECT_STREQ(g_dxfLayers[1].name, "A\n");
        }
        EXPECT_EQ(g_dxfElementsBlock.Data()[r.count].x, 3);
        EXPECT_EQ(g_dxfElementCountAtLoad, r.count);
    }
}

TEST_F(DxfReader, BlockReferencesArePlacedOnce) {
    const std::string text = Pairs({{0, "TEXT"}, {8, "0"}, {10, "1"}, {20, "0"}, {30, "0"}, {40, "2"}, {50, "10"}, {1, "T1"}});
    const std::string nested = Pairs({{0, "INSERT"}, {8, "0"}, {2, "P"}, {10, "0"}, {20, "0"}, {30, "0"}});
    const std::string longName = "A-BLOCK-NAME-WELL-BEYOND-31-BYTES-ONE";
    const std::string longName2 = "A-BLOCK-NAME-WELL-BEYOND-31-BYTES-TWO";
    const std::string blocks = Blocks(Block("P", 0, 0, Point(1, 0)) + Block("T", 0, 0, text) + Block("N", 0, 0, nested + Point(0, 2)) +
                                      Block(longName, 0, 0, Point(5, 0)) + Block(longName2, 0, 0, Point(7, 0)));
    auto insert = [](const std::string& name, double scale, double rotation) {
        return Pairs({{0, "INSERT"}, {8, "0"}, {2, name}, {10, "10"}, {20, "20"}, {30, "0"}, {41, std::to_string(scale)},
                      {42, std::to_string(scale)}, {43, "1"}, {50, std::to_string(rotation)}});
    };
    struct Row {
        const char* what;
        std::string name;
        double scale;
        double rotation;
        int32_t count;
        double north, east, height, angle;
    };
    const Row rows[] = {
        {"undefined name", "NONE", 1, 0, 0, 0, 0, 0, 0},
        {"rotated 90 degrees", "P", 1, 90, 1, 21, 10, 0, 90},
        {"text keeps its height", "T", 3, 90, 1, 23, 10, 2, 100},
        {"nested reference adds nothing", "N", 1, 0, 1, 22, 10, 0, 0},
        {"long name, second", longName2, 1, 0, 1, 20, 17, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        InitDataModel();
        ASSERT_EQ(Read(blocks + Entities(insert(r.name, r.scale, r.rotation))), kDxfReadDone);
        ASSERT_EQ(g_dxfElementCount, r.count);
        if (r.count == 0) continue;
        const DxfElement& e = g_dxfElementsBlock.Data()[1];
        EXPECT_NEAR(e.x, r.north, 1e-12);
        EXPECT_NEAR(e.y, r.east, 1e-12);
        EXPECT_EQ(e.textHeight, r.height);
        EXPECT_NEAR(e.textAngle, r.angle, 1e-12);
    }
}

TEST_F(DxfReader, EntityRules) {
    auto polyline = [](int flags) {
        return Pairs({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {70, std::to_string(flags)}, {0, "VERTEX"}, {8, "0"}, {10, "0"},
                      {20, "0"}, {0, "VERTEX"}, {8, "0"}, {10, "5"}, {20, "0"}, {0, "VERTEX"}, {8, "0"}, {10, "5"}, {20, "5"},
                      {0, "SEQEND"}});
    };
    auto text = [](const std::string& value) { return Pairs({{0, "TEXT"}, {8, "0"}, {10, "1"}, {20, "1"}, {40, "1"}, {1, value}}); };
    const std::string halfCircle = Pairs({{0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {70, "0"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "10"}, {20, "0"}});
    struct Row {
        const char* what;
        std::string body;
        std::vector<uint8_t> pens;  // empty: only the count below is checked
        int32_t count;
    };
    const Row rows[] = {
        {"closed POLYLINE repeats its first vertex", polyline(1), {0, 1, 1, 1}, 4},
        {"open POLYLINE", polyline(0), {0, 1, 1}, 3},
        {"LINE with equal ends", Line(3, 3, 3, 3), {0, 1}, 2},
        {"POINT", Point(1, 2), {2}, 1},
        {"font code and a word", text("\\fArial|b0;Word"), {3}, 1},
        {"nothing but codes", text("\\fArial;\\H2;"), {}, 0},
        {"polyline without SEQEND is lost", polyline(0).substr(0, polyline(0).rfind("0\nSEQEND")) + Point(1, 1), {2}, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        InitDataModel();
        ASSERT_EQ(Read(Entities(r.body)), kDxfReadDone);
        ASSERT_EQ(g_dxfElementCount, r.count);
        for (size_t i = 0; i < r.pens.size(); ++i) EXPECT_EQ(g_dxfElementsBlock.Data()[i + 1].pen, r.pens[i]);
    }
    const DxfElement* e = g_dxfElementsBlock.Data();
    InitDataModel();
    ASSERT_EQ(Read(Entities(polyline(1))), kDxfReadDone);
    e = g_dxfElementsBlock.Data();
    EXPECT_EQ(e[4].x, e[1].x);
    EXPECT_EQ(e[4].y, e[1].y);
    InitDataModel();
    ASSERT_EQ(Read(Entities(text("\\fArial|b0;Word"))), kDxfReadDone);
    EXPECT_STREQ(g_dxfElementsBlock.Data()[1].text, "Word");
    // Bulge 1: a half circle that starts on its first vertex twice.
    InitDataModel();
    ASSERT_EQ(Read(Entities(halfCircle)), kDxfReadDone);
    e = g_dxfElementsBlock.Data();
    ASSERT_GT(g_dxfElementCount, 4);
    EXPECT_EQ(e[1].y, 0);
    EXPECT_EQ(e[2].y, 0);
    EXPECT_EQ(e[2].x, 0);
    EXPECT_EQ(e[g_dxfElementCount].y, 10);
    const double step = std::atan2(e[3].x, e[3].y - 5) - std::atan2(e[4].x, e[4].y - 5);
    for (int32_t i = 3; i + 1 < g_dxfElementCount; ++i) {
        EXPECT_NEAR(std::hypot(e[i].y - 5, e[i].x), 5, 1e-12);
        EXPECT_NEAR(std::atan2(e[i].x, e[i].y - 5) - std::atan2(e[i + 1].x, e[i + 1].y - 5), step, 1e-9);
    }
}

TEST_F(DxfReader, LayerColoursResolveByLayer) {
    const std::string body = Pairs({{0, "POINT"}, {8, "NEW"}, {62, "3"}, {10, "1"}, {20, "1"}}) +
                             Pairs({{0, "POINT"}, {8, "NEW"}, {10, "2"}, {20, "2"}}) +
                             Pairs({{0, "POINT"}, {8, "NEW"}, {62, "256"}, {10, "2"}, {20, "2"}}) +
                             Pairs({{0, "POINT"}, {8, "NEW"}, {62, "-4"}, {10, "2"}, {20, "2"}}) +
                             Pairs({{0, "POINT"}, {8, "NEW"}, {62, "0"}, {10, "2"}, {20, "2"}});
    ASSERT_EQ(Read(Entities(body)), kDxfReadDone);
    ASSERT_EQ(g_dxfElementCount, 4);
    const int32_t colours[] = {3, 3, 3, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(g_dxfElementsBlock.Data()[i + 1].colour, colours[i]);
    EXPECT_EQ(g_dxfLayers[1].colour, 3);
}

TEST_F(DxfReader, UnopenableFileTellsAndKeepsTheLayer) {
    ASSERT_EQ(Read(Entities(Point(1, 2))), kDxfReadDone);
    ClearRecordedMessages();
    const std::string before = g_dxfSourcePath;
    EXPECT_EQ(ReadBackgroundDxf((m_dir / "missing.dxf").string()), kDxfReadCannotOpen);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("missing.dxf"), std::string::npos);
    EXPECT_EQ(g_dxfElementCount, 1);
    EXPECT_EQ(g_dxfSourcePath, before);
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 1);
}

// Whatever the input, the stores stay usable: counts within capacity, every element a
// known pen with finite coordinates, layer numbers within the table.
void ExpectConsistent() {
    ASSERT_LE(g_dxfElementCount, g_dxfElementCapacity);
    ASSERT_LE(g_dxfBlockElementCount, g_dxfBlockElementCapacity);
    ASSERT_LE(g_dxfLayerCount, kMaxDxfLayers);
    for (int32_t i = 1; i <= g_dxfElementCount; ++i) {
        const DxfElement& e = g_dxfElementsBlock.Data()[i];
        ASSERT_LE(e.pen, DXF_PEN_TEXT) << i;
        ASSERT_TRUE(std::isfinite(e.x) && std::isfinite(e.y) && std::isfinite(e.z)) << i;
        ASSERT_LE(e.layer, g_dxfLayerCount) << i;
        ASSERT_EQ(e.text[sizeof e.text - 1], 0);
    }
}

TEST_F(DxfReader, DamagedInputGivesConsistentStores) {
    std::string garbage;
    std::mt19937 random(1234);
    for (int i = 0; i < 20000; ++i) garbage += static_cast<char>(random() % 7 == 0 ? '\n' : random() % 256);
    const std::string longLine(100000, 'A');
    const std::string spline = Pairs({{0, "SPLINE"}, {8, "0"}, {70, "8"}, {71, "3"}, {72, "8"}, {73, "4"}, {40, "0"}, {40, "0"},
                                      {40, "0"}, {40, "0"}, {40, "1e12"}, {40, "1e12"}, {40, "1e12"}, {40, "1e12"}, {10, "0"},
                                      {20, "0"}, {10, "1"}, {20, "5"}, {10, "2"}, {20, "-5"}, {10, "3"}, {20, "0"}});
    struct Row {
        const char* what;
        std::string bytes;
        int32_t maxElements;
    };
    const Row rows[] = {
        {"garbage", garbage, 100000},
        {"truncated in an entity", Entities(Line(1, 2, 3, 4) + Point(5, 6)).substr(0, 60), 10},
        {"truncated in a value", Entities(Line(1, 2, 3, 4)).substr(0, 45), 10},
        {"long lines", Entities(Pairs({{0, "LINE"}, {8, longLine}, {10, longLine}, {20, "1"}, {11, "2"}, {21, "2"}}) + longLine + "\n" +
                                Point(1, 1)), 10},
        {"a long line that starts with a keyword", Entities("POINT" + longLine + "\n" + Point(1, 1)), 1},
        {"NaN and infinity", Entities(Pairs({{0, "LINE"}, {8, "0"}, {10, "nan"}, {20, "1"}, {11, "inf"}, {21, "2"}}) +
                                      Pairs({{0, "ARC"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "5"}, {50, "inf"}, {51, "10"}}) +
                                      Pairs({{0, "POINT"}, {8, "0"}, {10, "1e400"}, {20, "0"}})), 0},
        {"a sweep of a million degrees", Entities(Pairs({{0, "ARC"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "5"}, {50, "1e17"}, {51, "1e6"}})), 40},
        {"knots up to 1e12", Entities(spline), 200000},
        {"90 = 2^31", Entities(Pairs({{0, "LWPOLYLINE"}, {8, "0"}, {90, "2147483648"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}})), 3},
        {"a bulge of 1e300", Entities(Pairs({{0, "LWPOLYLINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {42, "1e300"}, {10, "1"}, {20, "1"}})), 10002},
        {"huge coordinates through an insert", Blocks(Block("B", 0, 0, Point(1e300, 1e300))) +
                                                   Entities(Pairs({{0, "INSERT"}, {8, "0"}, {2, "B"}, {10, "0"}, {20, "0"}, {41, "1e300"}})), 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        InitDataModel();
        ClearRecordedMessages();
        EXPECT_EQ(Read(r.bytes), kDxfReadDone);
        ExpectConsistent();
        EXPECT_LE(g_dxfElementCount, r.maxElements);
        EXPECT_TRUE(RecordedMessages().empty());
    }
}

TEST_F(DxfReader, TooManyElementsAreRefusedAndTheOldDrawingKept) {
    std::string members;
    for (int i = 0; i < 10000; ++i) members += Point(i, i % 7);
    std::string inserts;
    for (int i = 0; i < 10000; ++i) inserts += Pairs({{0, "INSERT"}, {8, "0"}, {2, "MANY"}, {10, std::to_string(i)}, {20, "0"}});
    ASSERT_EQ(Read(Entities(Point(-1, -1, "KEPT"))), kDxfReadDone);
    ClearRecordedMessages();
    g_dxfElementLimit = 1'000'000;
    QueueMessageAnswer(msg::kIdNo);  // keep the first drawing
    const fs::path path = Write("big.dxf", Blocks(Block("MANY", 0, 0, members)) + Entities(inserts));
    EXPECT_EQ(ReadBackgroundDxf(path.string()), kDxfReadTooBig);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[1].text, path.string() + " is too big");
    EXPECT_EQ(RecordedMessages()[1].caption, "Memory Error");
    EXPECT_EQ(g_dxfElementCount, 1);
    EXPECT_EQ(g_dxfElementCountAtLoad, 1);
    EXPECT_EQ(g_dxfBlockElementCount, 0);
    EXPECT_EQ(g_dxfLayerCount, 1);
    EXPECT_LE(g_dxfElementCapacity, g_dxfElementLimit + 10100);
    EXPECT_EQ(g_dxfRegistration.dxfLoaded, 1);
    ExpectConsistent();
}

TEST_F(DxfReader, ArcsBeyondTheElementLimitAreRefused) {
    // Ten half circles of radius 100 need some 3500 points.
    std::string body = Pairs({{0, "LWPOLYLINE"}, {8, "0"}});
    for (int i = 0; i <= 10; ++i) body += Pairs({{10, std::to_string(200 * i)}, {20, "0"}, {42, "1"}});
    g_dxfElementLimit = 1000;
    EXPECT_EQ(Read(Entities(body)), kDxfReadTooBig);
    EXPECT_EQ(g_dxfElementCount, 0);
    g_dxfElementLimit = 100000;
    ClearRecordedMessages();
    EXPECT_EQ(Read(Entities(body)), kDxfReadDone);
    EXPECT_GT(g_dxfElementCount, 3000);
    ExpectConsistent();
}

TEST_F(DxfReader, MutatedDrawingsNeverBreakTheStores) {
    const std::string base = Header(-100, -100, 100, 100) +
                             Blocks(Block("B", 1, 1, Line(0, 0, 3, 4) + Pairs({{0, "TEXT"}, {8, "0"}, {10, "1"}, {20, "1"}, {1, "X"}}))) +
                             Entities(Line(1, 2, 3, 4) + Point(5, 6) +
                                      Pairs({{0, "LWPOLYLINE"}, {8, "L"}, {70, "1"}, {10, "0"}, {20, "0"}, {42, "0.5"}, {10, "5"}, {20, "0"}, {10, "5"}, {20, "5"}}) +
                                      Pairs({{0, "ARC"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "5"}, {50, "10"}, {51, "300"}}) +
                                      Pairs({{0, "SPLINE"}, {8, "0"}, {40, "0"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {40, "1"},
                                             {10, "0"}, {20, "0"}, {10, "3"}, {20, "4"}, {10, "6"}, {20, "0"}}) +
                                      Pairs({{0, "INSERT"}, {8, "0"}, {2, "B"}, {10, "7"}, {20, "7"}, {50, "45"}}));
    std::mt19937 random(20261211);
    const char pool[] = "0123456789.-+eE\n\r ABCDEFGHIJKLMNOPQRSTUVWXYZ$\\;{}";
    for (int round = 0; round < 150; ++round) {
        std::string bytes = base;
        const int edits = 1 + random() % 8;
        for (int k = 0; k < edits; ++k) {
            const size_t at = random() % bytes.size();
            switch (random() % 3) {
                case 0: bytes[at] = pool[random() % (sizeof pool - 1)]; break;
                case 1: bytes.erase(at, 1 + random() % 20); break;
                default: bytes.insert(at, 1, pool[random() % (sizeof pool - 1)]); break;
            }
            if (bytes.empty()) bytes = "0\n";
        }
        SCOPED_TRACE(round);
        InitDataModel();
        Read(bytes);
        ExpectConsistent();
    }
}

}  // namespace
