// The DXF writer: exact bytes of each form, write failures, awkward elements, and what
// ezdxf, GDAL and our own reader make of the files.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <limits>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_writer.h"
#include "dxf_oracles.h"

namespace {
namespace fs = std::filesystem;
using namespace dxftest;

std::string Crlf(const std::string& lf) {
    std::string s;
    for (char c : lf) {
        if (c == '\n') s += '\r';
        s += c;
    }
    return s;
}

std::string Bare(const std::string& body) {
    return Crlf("  0\nSECTION\n  2\nENTITIES\n  0\n" + body + "ENDSEC\n  0\nEOF\n");
}

// The elements a test puts into the store.
struct El {
    uint8_t pen;
    double north, east, z;
    int32_t colour = 7;
    int32_t layer = 1;
    const char* text = "";
    double angle = 0, height = 0;
};

class DxfWriter : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        dir = ScratchDir("writer");
    }
    void TearDown() override {
        fs::remove_all(dir);
        ReleaseDataModel();
    }
    static void Fill(const std::vector<El>& elements) {
        for (const El& el : elements) {
            DxfTarget target = DXF_TARGET_ENTITIES;
            ASSERT_EQ(EnsureDxfCapacity(target, 1), 1);
            DxfElement& e = AppendDxfRecord(target);
            std::memset(&e, 0, sizeof e);
            e.pen = el.pen;
            e.x = e.sourceX = el.north;
            e.y = e.sourceY = el.east;
            e.z = el.z;
            e.colour = el.colour;
            e.layer = el.layer;
            e.textAngle = el.angle;
            e.textHeight = el.height;
            std::strncpy(e.text, el.text, sizeof e.text);
        }
    }
};

constexpr uint8_t M = DXF_PEN_MOVE, D = DXF_PEN_DRAW, P = DXF_PEN_POINT, T = DXF_PEN_TEXT;

const char* kVertex3d = "VERTEX\n  8\n1\n 10\n%s\n 20\n%s\n 30\n%s\n 70\n 32\n  0\n";

std::string Vertex3d(const char* east, const char* north, const char* z) {
    char b[256];
    std::snprintf(b, sizeof b, kVertex3d, east, north, z);
    return b;
}

const char* kPolyline3dHead =
    "POLYLINE\n  8\n1\n 62\n7\n 66\n   1\n 10\n0.000\n 20\n0.000\n 30\n0.000\n 70\n 8\n  0\n";

TEST_F(DxfWriter, ElementStoreIsWrittenByteForByte) {
    struct Case {
        const char* name;
        std::vector<El> elements;
        int32_t withZ;
        std::string body;
    };
    const Case cases[] = {
        {"empty store", {}, 1, ""},
        {"move and one draw: one LINE",
         {{M, 1, 2, 3, 5, 2}, {D, 4, 5, 6, 5, 2}},
         1,
         "LINE\n  8\n2\n 62\n5\n 10\n2.000\n 20\n1.000\n 30\n3.000\n 11\n5.000\n 21\n4.000\n 31\n6.000\n  0\n"},
        {"move and two draws: POLYLINE, three VERTEX, SEQEND",
         {{M, 1, 2, 3}, {D, 4, 5, 6}, {D, 7, 8, 9.0005}},
         1,
         std::string(kPolyline3dHead) + Vertex3d("2.000", "1.000", "3.000") + Vertex3d("5.000", "4.000", "6.000") +
             Vertex3d("8.000", "7.000", "9.001").substr(0) + "SEQEND\n  0\n"},
        {"2D polyline: no 70 flags, elevations 0",
         {{M, 1, 2, 3}, {D, 4, 5, 6}, {D, 7, 8, 9}},
         0,
         "POLYLINE\n  8\n1\n 62\n7\n 66\n   1\n 10\n0.000\n 20\n0.000\n 30\n0.000\n  0\n"
         "VERTEX\n  8\n1\n 10\n2.000\n 20\n1.000\n 30\n0.000\n  0\n"
         "VERTEX\n  8\n1\n 10\n5.000\n 20\n4.000\n 30\n0.000\n  0\n"
         "VERTEX\n  8\n1\n 10\n8.000\n 20\n7.000\n 30\n0.000\n  0\nSEQEND\n  0\n"},
        {"point without Z: elevation 0.000; hidden colour made positive",
         {{P, 1.25, -2.5, 99, -3, 4}},
         0,
         "POINT\n  8\n4\n 62\n3\n 10\n-2.500\n 20\n1.250\n 30\n0.000\n  0\n"},
        {"text with its bytes; an empty text is not written",
         {{T, 1, 2, 3, 7, 1, "\x93\x99\x8d\x82", 30, 2.5}, {T, 5, 5, 5, 7, 1, "", 0, 1}},
         1,
         "TEXT\n  8\n1\n 62\n7\n 10\n2.00000\n 20\n1.00000\n 30\n3.00000\n  1\n\x93\x99\x8d\x82\n 50\n30.000000\n"
         " 40\n2.50000\n 41\n1.0\n  0\n"},
        {"lone move writes nothing",
         {{M, 1, 1, 1}, {P, 2, 2, 2}},
         1,
         "POINT\n  8\n1\n 62\n7\n 10\n2.000\n 20\n2.000\n 30\n2.000\n  0\n"},
        {"a draw at the start opens its own line, never a bare VERTEX",
         {{D, 1, 2, 3}, {D, 4, 5, 6}},
         1,
         "LINE\n  8\n1\n 62\n7\n 10\n2.000\n 20\n1.000\n 30\n3.000\n 11\n5.000\n 21\n4.000\n 31\n6.000\n  0\n"},
        {"draws after a point start a new polyline",
         {{P, 0, 0, 0}, {D, 1, 2, 3}, {D, 4, 5, 6}, {D, 7, 8, 9}},
         1,
         "POINT\n  8\n1\n 62\n7\n 10\n0.000\n 20\n0.000\n 30\n0.000\n  0\n" + std::string(kPolyline3dHead) +
             Vertex3d("2.000", "1.000", "3.000") + Vertex3d("5.000", "4.000", "6.000") +
             Vertex3d("8.000", "7.000", "9.000") + "SEQEND\n  0\n"},
        {"a single draw after a text is a lone move",
         {{T, 0, 0, 0, 7, 1, "A", 0, 1}, {D, 1, 2, 3}},
         1,
         "TEXT\n  8\n1\n 62\n7\n 10\n0.00000\n 20\n0.00000\n 30\n0.00000\n  1\nA\n 50\n0.000000\n 40\n1.00000\n"
         " 41\n1.0\n  0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InitDataModel();
        Fill(c.elements);
        const fs::path file = dir / "store.dxf";
        ASSERT_EQ(WriteDxfElements(file.string(), c.withZ), kDxfWriteDone);
        EXPECT_EQ(ReadBytes(file), Bare(c.body));
    }
}

TEST_F(DxfWriter, TextAngleLosesTheRegistrationRotation) {
    Fill({{T, 1, 2, 3, 7, 1, "X", 40, 2}});
    g_dxfRegistration.rotation = 15;
    const fs::path file = dir / "rotated.dxf";
    for (int active : {0, 1}) {
        g_dxfRegistration.transformActive = active;
        ASSERT_EQ(WriteDxfElements(file.string(), 1), kDxfWriteDone);
        EXPECT_NE(ReadBytes(file).find(active ? " 50\r\n25.000000\r\n" : " 50\r\n40.000000\r\n"), std::string::npos);
    }
}

TEST_F(DxfWriter, TwoLwPolylinesFollowEachOther) {
    const fs::path file = dir / "lw.dxf";
    ASSERT_EQ(OpenDxfWriter(file.string(), 0), 0);
    WriteDxfLwPolylineVertex(1, 2, 3, 4, 9, 2, -1, 1);
    WriteDxfLwPolylineVertex(5, 6, 3, 4, 9, 2, 1, 1);
    WriteDxfLwPolylineVertex(7, 8, 9, 2, 3, 3, -1, 0);
    WriteDxfLwPolylineVertex(10, 11, 9, 2, 3, 3, 0, 0);
    WriteDxfLwPolylineVertex(12, 13, 9, 2, 3, 3, 1, 0);
    ASSERT_EQ(CloseDxfWriter(), kDxfWriteDone);
    EXPECT_EQ(ReadBytes(file),
              Bare("LWPOLYLINE\n  5\n1025\n100\nAcDbEntity\n  8\n9\n100\nAcDbPolyline\n 90\n2\n 62\n4\n 38\n3.000\n"
                   " 10\n2.000\n 20\n1.000\n 10\n6.000\n 20\n5.000\n  0\n"
                   "LWPOLYLINE\n  5\n1026\n100\nAcDbEntity\n  8\n3\n100\nAcDbPolyline\n 90\n3\n 62\n2\n 38\n0.000\n"
                   " 10\n8.000\n 20\n7.000\n 10\n11.000\n 20\n10.000\n 10\n13.000\n 20\n12.000\n  0\n"));
}

// Every entity kind once in the R14 form.
void WriteEveryKind(const fs::path& file, int32_t withHeader) {
    ASSERT_EQ(OpenDxfWriter(file.string(), withHeader), 0);
    WriteDxfLine(1, 2, 3, 4, 5, 6, 1, 10);
    WriteDxf3dFace(0, 0, 1, 0, 10, 2, 10, 10, 3, 0, 0, 1, 3, 11);
    WriteDxfPoint(5, 6, 7, 2, -5);
    WriteDxfPolylineHeader(0, 0, 0, 4, 12, 1);
    WriteDxfVertex(1, 1, 1, 12, 0, 1);
    WriteDxfVertex(2, 3, 2, 12, 1, 1);
    WriteDxfPolylineHeader(0, 0, 0, 5, 13, 0);
    WriteDxfVertex(1, 1, 0, 13, 0, 0);
    WriteDxfVertex(2, 3, 0, 13, 1, 0);
    WriteDxfText(1, 2, 3, 30, 2.5, "\x93\x99\x8d\x82\x90\xfc", 6, 14);
    WriteDxfLwPolylineVertex(1, 2, 3, 7, 15, 3, -1, 1);
    WriteDxfLwPolylineVertex(2, 3, 3, 7, 15, 3, 0, 1);
    WriteDxfLwPolylineVertex(4, 5, 3, 7, 15, 3, 1, 1);
    ASSERT_EQ(CloseDxfWriter(), kDxfWriteDone);
}

TEST_F(DxfWriter, R14FormHasTheSkeletonAndRunningHandles) {
    const fs::path file = dir / "r14.dxf";
    WriteEveryKind(file, 1);
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.rfind(Crlf("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1014\n  9\n$HANDSEED\n  5\n33\n  0\n"
                               "ENDSEC\n  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nVPORT\n  5\n8\n100\n"
                               "AcDbSymbolTable\n 70\n     0\n  0\nENDTAB\n"),
                          0),
              0u);
    EXPECT_NE(bytes.find(Crlf(" 72\n    65\n 73\n     0\n 40\n0.0\n")), std::string::npos);
    EXPECT_NE(bytes.find(Crlf("  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  5\n1025\n100\nAcDbEntity\n100\n"
                              "AcDbLine\n  8\n10\n")),
              std::string::npos);
    const std::string tail = Crlf(" 49\n-0.5\n 62\n   256\n  6\nBYLAYER\n  0\nENDSEC\n  0\nEOF\n");
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    // Handles of the entities, in writing order (the skeleton's handles are fixed text).
    const size_t entities = bytes.find("ENTITIES");
    const size_t objects = bytes.find("OBJECTS");
    std::vector<int> handles;
    for (size_t at = bytes.find("\r\n  5\r\n", entities); at < objects; at = bytes.find("\r\n  5\r\n", at + 1))
        handles.push_back(std::stoi(bytes.substr(at + 7)));
    // LINE, 3DFACE, POINT, POLYLINE, VERTEX, VERTEX, SEQEND, POLYLINE, VERTEX, VERTEX, SEQEND, TEXT, LWPOLYLINE
    std::vector<int> want;
    for (int h = 1025; h <= 1037; ++h) want.push_back(h);
    EXPECT_EQ(handles, want);
}

TEST_F(DxfWriter, EzdxfAndGdalReadBothForms) {
    if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is missing: run scripts/install-deps.sh";
    for (int32_t withHeader : {1, 0}) {
        SCOPED_TRACE(withHeader);
        const fs::path file = dir / (withHeader ? "every_r14.dxf" : "every_bare.dxf");
        WriteEveryKind(file, withHeader);
        const EzdxfReport r = EzdxfRead(file);
        ASSERT_TRUE(r.ran);
        EXPECT_EQ(r.recoverErrors, 0);
        EXPECT_EQ(r.recoverFixes, 0);
        EXPECT_EQ(r.auditErrors, 0);
        EXPECT_EQ(r.auditFixes, 0);
        // An R12-style bare file has no LWPOLYLINE for ezdxf to keep; our R14 output carries them.
        std::vector<OracleEntity> want = {
            {"LINE", "10", 1, {2, 1, 3, 5, 4, 6}, ""},
            {"3DFACE", "11", 3, {0, 0, 1, 10, 0, 2, 10, 10, 3, 0, 0, 1}, ""},
            {"POINT", "-5", 2, {6, 5, 7}, ""},
            {"POLYLINE3D", "12", 4, {1, 1, 1, 3, 2, 2}, ""},
            {"POLYLINE2D", "13", 5, {1, 1, 0, 3, 2, 0}, ""},
            {"TEXT", "14", 6, {2, 1, 3, 30, 2.5}, Hex("\x93\x99\x8d\x82\x90\xfc")},
        };
        if (withHeader) want.push_back({"LWPOLYLINE", "15", 7, {2, 1, 3, 3, 2, 3, 5, 4, 3}, ""});
        ASSERT_GE(r.entities.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            SCOPED_TRACE(want[i].kind);
            EXPECT_EQ(r.entities[i].kind, want[i].kind);
            EXPECT_EQ(r.entities[i].layer, want[i].layer);
            EXPECT_EQ(r.entities[i].colour, want[i].colour);
            EXPECT_EQ(r.entities[i].textHex, want[i].textHex);
            ASSERT_EQ(r.entities[i].numbers.size(), want[i].numbers.size());
            for (size_t k = 0; k < want[i].numbers.size(); ++k) EXPECT_NEAR(r.entities[i].numbers[k], want[i].numbers[k], 1e-9);
        }
        if (!HaveOgrinfo()) continue;
        const auto ogr = OgrRead(file, "DXF_ENCODING=CP932");
        // GDAL takes the LWPOLYLINE from the bare file too.
        const std::map<std::string, int> kinds = {{"LINESTRING", 4}, {"POLYGON", 1}, {"POINT", 2}};
        EXPECT_EQ(CountGeometries(ogr), kinds);
        ASSERT_EQ(ogr.size(), 7u);
        // GDAL decodes the CP932 bytes when told to; it leaves a file without a header to its default.
        if (withHeader) {
            EXPECT_EQ(ogr[5].text, "等高線");
        }
        EXPECT_EQ(ogr[0].numbers, (std::vector<double>{2, 1, 3, 5, 4, 6}));
    }
}

// The saved store as ezdxf and GDAL see it: the same entities, coordinates to 0.001 and
// text bytes.
TEST_F(DxfWriter, EzdxfAndGdalReadTheSavedStore) {
    if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is missing: run scripts/install-deps.sh";
    Fill({
        {M, 100.0004, 200.0006, 10.25, 3, 5},
        {D, 101, 201, 11, 3, 5},
        {M, 0, 0, 0, -4, 6},
        {D, 1, 1, 1, -4, 6},
        {D, 2, 1.2345678, 2, -4, 6},
        {P, -50.5, 60.25, 7.125, 2, 7},
        {T, 5, 6, 7, 1, 8, "\x8c\xbb\x8b\xb5\x96\xca No.3", 45, 1.5},
    });
    const fs::path file = dir / "store.dxf";
    ASSERT_EQ(WriteDxfElements(file.string(), 1), kDxfWriteDone);
    const EzdxfReport r = EzdxfRead(file);
    ASSERT_TRUE(r.ran);
    EXPECT_EQ(r.recoverErrors, 0);
    EXPECT_EQ(r.recoverFixes, 0);
    EXPECT_EQ(r.auditErrors, 0);
    EXPECT_EQ(r.auditFixes, 0);
    const std::vector<OracleEntity> want = {
        {"LINE", "5", 3, {200.001, 100.000, 10.25, 201, 101, 11}, ""},
        {"POLYLINE3D", "6", 4, {0, 0, 0, 1, 1, 1, 1.235, 2, 2}, ""},
        {"POINT", "7", 2, {60.25, -50.5, 7.125}, ""},
        {"TEXT", "8", 1, {6, 5, 7, 45, 1.5}, Hex("\x8c\xbb\x8b\xb5\x96\xca No.3")},
    };
    ASSERT_EQ(r.entities.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].kind);
        EXPECT_EQ(r.entities[i].kind, want[i].kind);
        EXPECT_EQ(r.entities[i].layer, want[i].layer);
        EXPECT_EQ(r.entities[i].colour, want[i].colour);
        EXPECT_EQ(r.entities[i].textHex, want[i].textHex);
        ASSERT_EQ(r.entities[i].numbers.size(), want[i].numbers.size());
        for (size_t k = 0; k < want[i].numbers.size(); ++k) EXPECT_NEAR(r.entities[i].numbers[k], want[i].numbers[k], 1e-9);
    }
    if (!HaveOgrinfo()) return;
    const auto ogr = OgrRead(file);
    const std::map<std::string, int> kinds = {{"LINESTRING", 2}, {"POINT", 2}};
    EXPECT_EQ(CountGeometries(ogr), kinds);
    ASSERT_EQ(ogr.size(), 4u);
    // GDAL's coordinates are ezdxf's, vertex by vertex.
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(ogr[i].numbers.size(), want[i].numbers.size());
        for (size_t k = 0; k < want[i].numbers.size(); ++k) EXPECT_NEAR(ogr[i].numbers[k], want[i].numbers[k], 1e-9);
    }
}

TEST_F(DxfWriter, FailedCreateAndFailedWritesAreReported) {
    Fill({{M, 1, 2, 3}, {D, 4, 5, 6}, {P, 7, 8, 9}});
    g_dxfModified = 1;
    struct Case {
        const char* name;
        std::string path;
        int32_t want;
    };
    const Case cases[] = {
        {"folder missing", (dir / "no" / "such" / "x.dxf").string(), kDxfWriteCannotCreate},
        {"a folder, not a file", dir.string(), kDxfWriteCannotCreate},
        {"full disk", "/dev/full", kDxfWriteFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WriteDxfElements(c.path, 1), c.want);
        EXPECT_EQ(g_dxfOutFile, nullptr);
        EXPECT_EQ(g_dxfModified, 1);  // the caller's flag: untouched
    }
    // No file open: the entity writers refuse.
    EXPECT_EQ(WriteDxfLine(0, 0, 0, 1, 1, 1, 1, 1), -1);
    EXPECT_EQ(WriteDxfLwPolylineVertex(0, 0, 0, 1, 1, 2, -1, 1), -1);
    EXPECT_EQ(CloseDxfWriter(), kDxfWriteCannotCreate);
    // A big drawing to a full disk fails while it is written, not only at the close.
    ASSERT_EQ(OpenDxfWriter("/dev/full", 1), 0);
    for (int i = 0; i < 50000; ++i) WriteDxfPoint(i, i, i, 1, 1);
    EXPECT_TRUE(DxfWriterFailed());
    EXPECT_EQ(CloseDxfWriter(), kDxfWriteFailed);
}

TEST_F(DxfWriter, AwkwardElementsGiveAReadableFile) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Fill({
        {M, 1, 1, 1, INT_MIN, -7},
        {D, 2, 2, 2, INT_MIN, -7},
        {D, nan, 3, 3},          // left out: its polyline ends before it
        {D, 4, 4, 4},            // and the rest starts again
        {D, 5, 5, 5},
        {P, 1e300, -1e300, 0, 0, 0},
        {P, 6, 6, inf, 256, INT_MAX},
        {T, 1, 1, 1, 7, 1, "A\r\nB", 0, 1},
        {T, 1, 1, 1, 7, 1, "0123456789012345678901234567890123456789", 0, 1},
    });
    const fs::path file = dir / "awkward.dxf";
    EXPECT_EQ(WriteDxfElements(file.string(), 1), kDxfWriteSkipped);
    EXPECT_EQ(g_dxfElementsSkipped, 2);
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.find("nan"), std::string::npos);
    EXPECT_EQ(bytes.find("inf"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n  1\r\nA  B\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n  1\r\n01234567890123456789012345678901\r\n"), std::string::npos);  // 32 bytes
    EXPECT_NE(bytes.find("\r\n 62\r\n2147483647\r\n"), std::string::npos);
    // Without Z the point with the infinite elevation is written.
    EXPECT_EQ(WriteDxfElements(file.string(), 0), kDxfWriteSkipped);
    EXPECT_EQ(g_dxfElementsSkipped, 1);
    if (!HaveEzdxf()) return;
    const EzdxfReport r = EzdxfRead(file);
    EXPECT_EQ(r.recoverErrors, 0);
    EXPECT_EQ(r.auditErrors, 0);
    const std::map<std::string, int> kinds = {{"LINE", 2}, {"POINT", 2}, {"TEXT", 2}};
    EXPECT_EQ(CountKinds(r.entities), kinds);
    ASSERT_EQ(r.entities.size(), 6u);
    EXPECT_EQ(r.entities[0].layer, "-7");
    EXPECT_DOUBLE_EQ(r.entities[2].numbers[0], -1e300);
    EXPECT_DOUBLE_EQ(r.entities[2].numbers[1], 1e300);
}

TEST_F(DxfWriter, EntityWritersRefuseCoordinatesThatAreNotNumbers) {
    const fs::path file = dir / "refused.dxf";
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ASSERT_EQ(OpenDxfWriter(file.string(), 1), 0);
    EXPECT_EQ(WriteDxfLine(nan, 0, 0, 1, 1, 1, 1, 1), -3);
    EXPECT_EQ(WriteDxf3dFace(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, nan, 1, 1), -3);
    EXPECT_EQ(WriteDxfText(0, 0, 0, nan, 1, "A", 1, 1), -3);
    EXPECT_EQ(WriteDxfPoint(0, 0, 0, 1, 1), 0);
    EXPECT_EQ(DxfWriterRefusedCount(), 3);
    ASSERT_EQ(CloseDxfWriter(), kDxfWriteDone);
    const std::string bytes = ReadBytes(file);
    EXPECT_NE(bytes.find("POINT\r\n  5\r\n1025\r\n"), std::string::npos);  // the refused ones used no handle
    EXPECT_EQ(bytes.find("LINE\r\n"), std::string::npos);
}

// Our reader takes every file we write back to the same elements.
TEST_F(DxfWriter, OwnReaderReadsTheStoreBack) {
    const std::vector<El> written = {
        {M, 100.0004, 200.0004, 10.0004, 3, 5},
        {D, 101, 201, 11, 3, 5},
        {M, 0, 0, 0, 4, 6},
        {D, 1, 1, 1, 4, 6},
        {D, 2, 1, 2, 4, 6},
        {D, 3, 0, 3, 4, 6},
        {P, -50.5, 60.25, 7.125, 2, 7},
        {T, 5, 6, 7, 1, 8, "\x93\x99\x8d\x82\x90\xfc", 45, 1.5},
    };
    for (int32_t withZ : {1, 0}) {
        SCOPED_TRACE(withZ);
        InitDataModel();
        Fill(written);
        const fs::path file = dir / "back.dxf";
        ASSERT_EQ(WriteDxfElements(file.string(), withZ), kDxfWriteDone);
        ASSERT_EQ(ReadFresh(file), kDxfReadDone);
        const auto got = Elements();
        ASSERT_EQ(got.size(), written.size());
        for (size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(got[i].pen, written[i].pen);
            EXPECT_NEAR(got[i].x, written[i].north, 0.001);
            EXPECT_NEAR(got[i].y, written[i].east, 0.001);
            EXPECT_NEAR(got[i].z, withZ ? written[i].z : 0.0, 0.001);
            EXPECT_EQ(got[i].colour, written[i].colour);
            ASSERT_GT(got[i].layer, 0);
            EXPECT_EQ(std::atoi(g_dxfLayers[got[i].layer].name), written[i].layer);
            EXPECT_STREQ(got[i].text, written[i].text);
        }
        EXPECT_NEAR(got.back().textAngle, 45, 1e-6);
        EXPECT_NEAR(got.back().textHeight, 1.5, 1e-6);
    }
}

}  // namespace
