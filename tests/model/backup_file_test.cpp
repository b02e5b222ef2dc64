#include "model/backup_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "contour/contour_files.h"
#include "file_test_support.h"
#include "model/rnd_file.h"

namespace fs = std::filesystem;

namespace {
class BackupFile : public FileTest {
protected:
    // Five points, three TIN edges (one a hole edge), an outline of four vertices.
    void MakeDataSet() {
        MakePoints(5);
        std::strcpy(g_points[1].name, "ABCDEFGHIJK");  // 11 characters
        g_points[2].invalid = 1;
        g_points[3].plotKind = 3;
        g_points[3].outside = 1;
        g_points[4].flags = 0x06;
        g_points[5].z = -2.5;
        const TinEdge edges[] = {{1, 2, kNoApex, 3, 7}, {2, 3, 1, 4, 0}, {-3, -4, -2, -5, 0}};
        for (int j = 0; j < 3; ++j) g_tinEdges[j + 1] = edges[j];
        g_tinEdgeCount = 3;
        SetTinEndRecord();
        g_tinPresent = -1;
        g_holesInverted = 1;
        for (int v : {1, 3, 5, 4}) g_outline.Append(v);
        g_outline.Close();
    }

    // A snapshot of what a failed read must not change.
    struct State {
        std::vector<RandomPoint> points;
        std::vector<TinEdge> edges;
        std::vector<int32_t> outline;
        int32_t pointsPresent, tinPresent, holesInverted;
    };
    static State Capture() {
        State s;
        s.points.assign(g_points + 1, g_points + g_pointCount + 2);  // with the end marker
        s.edges.assign(g_tinEdges + 1, g_tinEdges + g_tinEdgeCount + 2);
        s.outline.assign(g_outline.Data(), g_outline.Data() + 10);
        s.pointsPresent = g_pointsPresent;
        s.tinPresent = g_tinPresent;
        s.holesInverted = g_holesInverted;
        return s;
    }
    static void ExpectUnchanged(const State& s) {
        ASSERT_EQ(g_pointCount + 1, static_cast<int32_t>(s.points.size()));
        EXPECT_EQ(std::memcmp(s.points.data(), g_points + 1, s.points.size() * sizeof(RandomPoint)),
                  0);
        ASSERT_EQ(g_tinEdgeCount + 1, static_cast<int32_t>(s.edges.size()));
        EXPECT_EQ(std::memcmp(s.edges.data(), g_tinEdges + 1, s.edges.size() * sizeof(TinEdge)), 0);
        EXPECT_EQ(std::memcmp(s.outline.data(), g_outline.Data(), 10 * sizeof(int32_t)), 0);
        EXPECT_EQ(g_pointsPresent, s.pointsPresent);
        EXPECT_EQ(g_tinPresent, s.tinPresent);
        EXPECT_EQ(g_holesInverted, s.holesInverted);
    }
};

void PutI32(std::string& bytes, size_t at, int32_t v) { std::memcpy(&bytes[at], &v, 4); }
}  // namespace

TEST_F(BackupFile, DataSetSurvivesARoundTrip) {
    MakeDataSet();
    const fs::path path = Dir() / "Quarvel_backup.$BK";
    ASSERT_EQ(WriteBackupFile(path), 0);
    // The layout, and after it the mark of the closed outline.
    EXPECT_EQ(fs::file_size(path), 4 + 40 * 5 + 16 + 16 * 3 + 4 + 4 * 4u + 8);

    InitDataModel();
    ASSERT_EQ(ReadBackupFile(path), 0);
    ASSERT_EQ(g_pointCount, 5);
    EXPECT_EQ(g_pointsPresent, -1);
    EXPECT_STREQ(g_points[1].name, "ABCDEFGHIJK");  // the whole name the field holds
    EXPECT_STREQ(g_points[2].name, "P2");
    for (int i = 1; i <= 5; ++i) {
        EXPECT_DOUBLE_EQ(g_points[i].x, 100.0 + i);
        EXPECT_DOUBLE_EQ(g_points[i].y, 200.0 - i);
        EXPECT_EQ(g_points[i].outside, 0);  // not stored
    }
    EXPECT_DOUBLE_EQ(g_points[5].z, -2.5);
    EXPECT_EQ(g_points[2].invalid, 1);
    EXPECT_EQ(g_points[3].plotKind, 3);
    // Only the outline mark comes back.
    const uint8_t flags[] = {0x01, 0x00, 0x01, 0x01, 0x01};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(g_points[i].flags, flags[i - 1]) << i;
    EXPECT_LT(g_points[6].hidden, 0);

    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_holesInverted, 1);
    ASSERT_EQ(g_tinEdgeCount, 3);
    EXPECT_EQ(g_tinEdges[1].apexBack, kNoApex);
    EXPECT_EQ(g_tinEdges[1].state, 0);  // never stored
    EXPECT_EQ(g_tinEdges[3].a, -3);
    EXPECT_EQ(g_tinEdges[3].apexSearch, -5);
    EXPECT_EQ(g_tinEdges[4].a, -1);

    ASSERT_EQ(g_outline.Count(), 4);
    EXPECT_EQ(g_outline[1], 1);
    EXPECT_EQ(g_outline[4], 4);
    EXPECT_TRUE(g_outline.IsClosed());

    // Valid points inside: 1, 3, 4, 5 (2 is invalid; the outside byte of 3 is not kept).
    EXPECT_DOUBLE_EQ(g_pointZMin, -2.5);
    EXPECT_DOUBLE_EQ(g_pointZMax, 12.0);
    EXPECT_DOUBLE_EQ(g_contourMinZ, -2);
    EXPECT_DOUBLE_EQ(g_contourMaxZ, 12);
    EXPECT_DOUBLE_EQ(g_contourInterval, 1);
    EXPECT_DOUBLE_EQ(g_indexContourInterval, 5);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(BackupFile, EmptySnapshotGivesAnEmptyPointSet) {
    g_pointsPresent = 0;
    const fs::path path = Dir() / "empty.$BK";
    ASSERT_EQ(WriteBackupFile(path), 0);
    EXPECT_EQ(fs::file_size(path), 24u);
    MakePoints(3);
    g_pointsPresent = 0;
    ASSERT_EQ(ReadBackupFile(path), 0);
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(g_pointsPresent, -1);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_LT(g_points[1].hidden, 0);
}

TEST_F(BackupFile, BlockGrowsForALargeSnapshot) {
    MakePoints(300);
    const fs::path path = Dir() / "large.$BK";
    ASSERT_EQ(WriteBackupFile(path), 0);
    InitDataModel();
    g_pointCapacity = 50;
    ASSERT_EQ(GrowPointBlock(50), 0);
    ASSERT_EQ(ReadBackupFile(path), 0);
    EXPECT_EQ(g_pointCount, 300);
    EXPECT_EQ(g_pointCapacity, 400);
    EXPECT_STREQ(g_points[300].name, "P300");
}

// A truncated snapshot, or one whose counts do not fit its length, is refused with a
// message and the loaded data stay as they were.
TEST_F(BackupFile, DamagedSnapshotIsRefusedAndChangesNothing) {
    MakeDataSet();
    const fs::path good = Dir() / "good.$BK";
    ASSERT_EQ(WriteBackupFile(good), 0);
    const std::string bytes = Read(good);
    const size_t tinAt = 4 + 40 * 5, outlineAt = tinAt + 16 + 16 * 3;

    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"empty file", ""},
        {"cut in the count", bytes.substr(0, 3)},
        {"cut in a point", bytes.substr(0, 4 + 40 * 2 + 17)},
        {"cut in the TIN header", bytes.substr(0, tinAt + 9)},
        {"cut in an edge", bytes.substr(0, tinAt + 16 + 20)},
        {"no outline count", bytes.substr(0, outlineAt)},
        {"cut in the outline", bytes.substr(0, outlineAt + 4 + 6)},
    };
    std::string b = bytes;
    PutI32(b, 0, -1);
    cases.push_back({"negative point count", b});
    b = bytes;
    PutI32(b, 0, 2000000000);
    cases.push_back({"point count beyond the file", b});
    b = bytes;
    PutI32(b, tinAt + 8, 1000);
    cases.push_back({"edge count beyond the file", b});
    b = bytes;
    PutI32(b, outlineAt, 5000);
    cases.push_back({"outline count beyond the file", b});

    // Something different is loaded, so that any change would show.
    InitDataModel();
    MakePoints(7);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 9};
    g_tinEdgeCount = 1;
    SetTinEndRecord();
    g_tinPresent = -1;
    for (int v : {7, 6, 5}) g_outline.Append(v);
    g_outline.Close();
    const State before = Capture();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRecordedMessages();
        const fs::path path = Write("bad.$BK", c.bytes);
        EXPECT_EQ(ReadBackupFile(path), -1);
        ExpectUnchanged(before);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_NE(RecordedMessages()[0].text.find("bad.$BK"), std::string::npos);
    }

    // A missing file is quietly left alone.
    ClearRecordedMessages();
    EXPECT_EQ(ReadBackupFile(Dir() / "missing.$BK"), -1);
    ExpectUnchanged(before);
    EXPECT_TRUE(RecordedMessages().empty());
}

// Counts out of their range, with the file still long enough, are damage to one section
// only: no TIN, or an empty outline, and the rest loads.
TEST_F(BackupFile, OutOfRangeSectionCountsLeaveThatSectionEmpty) {
    MakePoints(4);
    g_tinPresent = -1;
    std::string bytes;
    ASSERT_EQ(WriteBackupFile(Dir() / "x.$BK"), 0);
    bytes = Read(Dir() / "x.$BK");  // 4 points, 0 edges, 0 outline
    const size_t tinAt = 4 + 40 * 4;
    PutI32(bytes, tinAt + 8, -5);
    PutI32(bytes, tinAt + 16, 250000);  // outline count
    bytes += std::string(16, '\0');
    InitDataModel();
    g_tinPresent = -1;
    g_outline.Append(9);
    ASSERT_EQ(ReadBackupFile(Write("y.$BK", bytes)), 0);
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinPresent, 0);  // no edges, no TIN
    EXPECT_EQ(g_outline.Count(), 0);
}

TEST_F(BackupFile, OutlineIndicesOutsideThePointsAreSkipped) {
    MakePoints(3);
    for (int v : {1, 2, 3}) g_outline.Append(v);
    ASSERT_EQ(WriteBackupFile(Dir() / "o.$BK"), 0);
    std::string bytes = Read(Dir() / "o.$BK");
    const size_t outlineAt = 4 + 40 * 3 + 16;
    PutI32(bytes, outlineAt + 8, 8);  // the second vertex names no point
    ASSERT_EQ(ReadBackupFile(Write("p.$BK", bytes)), 0);
    ASSERT_EQ(g_outline.Count(), 2);
    EXPECT_EQ(g_outline[1], 1);
    EXPECT_EQ(g_outline[2], 3);
    EXPECT_EQ(g_points[2].flags, 0);
}

TEST_F(BackupFile, ContourCopyBesideTheSnapshotIsRestored) {
    MakePoints(3);
    const fs::path path = Dir() / "DATA1.VEW";
    ASSERT_EQ(WriteBackupFile(path), 0);
    g_contourLinesPath = (Dir() / "_#ovk$1.$$$").string();

    g_drawingContoursLoaded = -1;
    g_showDrawingContours = -1;
    ASSERT_EQ(ReadBackupFile(path), 0);
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(g_showDrawingContours, 0);
    EXPECT_FALSE(fs::exists(g_contourLinesPath));

    const fs::path copy = Write("DATA1.CT1", "contour lines");
    fs::permissions(copy, fs::perms::owner_read, fs::perm_options::replace);
    ASSERT_EQ(ReadBackupFile(path), 0);
    EXPECT_EQ(g_drawingContoursLoaded, -1);
    EXPECT_EQ(g_showDrawingContours, 0);
    EXPECT_EQ(Read(g_contourLinesPath), "contour lines");
    EXPECT_NE(fs::status(g_contourLinesPath).permissions() & fs::perms::owner_write,
              fs::perms::none);
    g_contourLinesPath.clear();
}

TEST_F(BackupFile, FailedWriteIsNotSuccess) {
    MakePoints(5000);
    EXPECT_EQ(WriteBackupFile("/dev/full"), -1);
    EXPECT_EQ(WriteBackupFile(Dir() / "no_such_folder" / "b.$BK"), -1);
}

// The outline comes back closed or open as it was saved; an open one is written in the
// plain layout, byte for byte.
TEST_F(BackupFile, OutlineKeepsItsClosedState) {
    for (const bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "closed" : "open");
        InitDataModel();
        MakePoints(4);
        for (int v : {2, 4, 3}) g_outline.Append(v);
        if (closed) g_outline.Close();
        const fs::path path = Dir() / "o.$BK";
        ASSERT_EQ(WriteBackupFile(path), 0);
        std::string plain;
        auto put = [&](int32_t v) { plain.append(reinterpret_cast<const char*>(&v), 4); };
        for (int32_t v : {3, 2, 4, 3}) put(v);
        const std::string bytes = Read(path);
        ASSERT_EQ(bytes.size(), 4 + 40 * 4 + 16 + 16u + (closed ? 8 : 0));
        EXPECT_EQ(bytes.substr(4 + 40 * 4 + 16, 16), plain);
        if (closed) {
            EXPECT_EQ(bytes.substr(bytes.size() - 8), std::string("CLOS\x01\0\0\0", 8));
        }

        InitDataModel();
        ASSERT_EQ(ReadBackupFile(path), 0);
        ASSERT_EQ(g_outline.Count(), 3);
        EXPECT_EQ(g_outline.IsClosed(), closed);
        EXPECT_EQ(g_outline[4], closed ? 2 : 0);
    }
}

// A name field without its NUL is cut before the twelfth byte, never inside a double-byte
// character.
TEST_F(BackupFile, NameFieldWithoutItsEndIsCutOnACharacter) {
    MakePoints(2);
    const fs::path path = Dir() / "n.$BK";
    ASSERT_EQ(WriteBackupFile(path), 0);
    std::string bytes = Read(path);
    bytes.replace(4, 12, "ABCDEFGHIJKL");
    bytes.replace(44, 12, "ABCDEFGHIJ\x82\xA0");
    ASSERT_EQ(ReadBackupFile(Write("m.$BK", bytes)), 0);
    EXPECT_STREQ(g_points[1].name, "ABCDEFGHIJK");
    EXPECT_STREQ(g_points[2].name, "ABCDEFGHIJ");
}

// A coordinate that the document could not write back is damage: the snapshot is refused
// with a message naming the point, and the loaded data stay.
TEST_F(BackupFile, CoordinatesBeyondTheRndColumnsAreRefused) {
    struct Case {
        const char* what;
        double x, y, z;
    };
    const Case cases[] = {
        {"X 1e42", 1e42, 0, 0},         {"Y 1e308", 0, 1e308, 0},
        {"Z 1e6", 0, 0, 1e6},           {"X not a number", NAN, 0, 0},
        {"Y infinite", 0, -INFINITY, 0}, {"Y too far west", 0, -1e8, 0},
    };
    MakePoints(3);
    const fs::path path = Dir() / "v.$BK";
    ASSERT_EQ(WriteBackupFile(path), 0);
    const std::string good = Read(path);
    MakePoints(6);
    const State before = Capture();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRecordedMessages();
        std::string bytes = good;
        for (int k = 0; k < 3; ++k) {
            const double v = k == 0 ? c.x : k == 1 ? c.y : c.z;
            std::memcpy(&bytes[4 + 40 + 12 + 8 * k], &v, 8);  // point 2
        }
        EXPECT_EQ(ReadBackupFile(Write("bad.$BK", bytes)), -1);
        ExpectUnchanged(before);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_NE(RecordedMessages()[0].text.find("点 2 "), std::string::npos);
    }
}

// Inputs the fuzz targets found while the readers loaded them as points that no document
// could save (a ten-digit X from a short RND line, a NaN in a snapshot): both refused now,
// with the data as they were.
TEST_F(BackupFile, InputsFoundByFuzzingAreRefused) {
    struct Case {
        const char* file;
        int32_t (*read)(const fs::path&);
        const char* told;
    };
    const Case cases[] = {
        {"wide_x.RND",
         [](const fs::path& p) {
             g_currentDataPath = p.string();
             return ReadRndDocument() == -1 ? 0 : -1;
         },
         "行: 6"},
        {"far_point.$BK", ReadBackupFile, "点 1 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        InitDataModel();
        ClearRecordedMessages();
        MakePoints(4);
        const State before = Capture();
        EXPECT_EQ(c.read(fs::path(NOSTREL_SOURCE_DIR "/tests/data") / c.file), -1);
        ExpectUnchanged(before);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_NE(RecordedMessages()[0].text.find(c.told), std::string::npos)
            << RecordedMessages()[0].text;
    }
}
