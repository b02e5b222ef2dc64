#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "image/image_position.h"
#include "image/image_readers.h"
#include "image_test_support.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "view/view_state.h"

namespace {

namespace fs = std::filesystem;
using imagetest::HaveGdal;
using imagetest::ReadBytes;
using imagetest::RunCommand;
using imagetest::ScratchDir;
using imagetest::WriteBytes;

const std::string kDir = "tests/data/image/readers/";

class ImagePosition : public ::testing::Test {
protected:
    void SetUp() override {
        ResetImageSlots();
        ClearRecordedMessages();
    }
    void TearDown() override {
        ResetImageSlots();
        ClearRecordedMessages();
    }
    // `fixture` copied as `name` into the scratch folder and loaded as the active image.
    std::string Load(const std::string& fixture, const std::string& name) {
        const fs::path path = m_dir / name;
        fs::copy_file(kDir + fixture, path, fs::copy_options::overwrite_existing);
        EXPECT_TRUE(ReadImageFile(path.string(), ImageFileKindOf(fixture), true));
        return path.string();
    }
    void Write(const std::string& name, const std::string& text) { WriteBytes(m_dir / name, text); }

    ScratchDir m_dir;
};

const char* kRotatedWorld = "0.500000\r\n0.100000\r\n0.080000\r\n-0.450000\r\n12345.250000\r\n67890.750000\r\n";

// gdalinfo's corners of an image: upper left, upper right, lower left, lower right as
// (east, north).
bool GdalCorners(const std::string& path, double corners[4][2]) {
    std::string out;
    if (!RunCommand("gdalinfo -json '" + path + "' 2>/dev/null", &out)) return false;
    const char* names[4] = {"\"upperLeft\"", "\"upperRight\"", "\"lowerLeft\"", "\"lowerRight\""};
    for (int k = 0; k < 4; ++k) {
        const size_t at = out.find(names[k]);
        if (at == std::string::npos) return false;
        const size_t open = out.find('[', at);
        if (std::sscanf(out.c_str() + open, "[ %lf , %lf", &corners[k][0], &corners[k][1]) != 2) return false;
    }
    return true;
}

TEST_F(ImagePosition, WorldFilesPlaceTheImageWhereGdalDoes) {
    if (!HaveGdal()) GTEST_SKIP() << "gdal-bin is missing: run scripts/install-deps.sh";
    const struct {
        const char* fixture;
        const char* image;
        const char* world;
    } cases[] = {{"tif_rgb.tif", "site.tif", "site.tfw"},
                 {"jpeg_rgb.jpg", "site.jpg", "site.jgw"},
                 {"bmp24.bmp", "site.bmp", "site.bpw"},
                 {"bmp8.bmp", "other.bmp", "other.bmpw"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.image);
        const std::string path = Load(c.fixture, c.image);
        Write(c.world, kRotatedWorld);
        ClearRecordedMessages();
        PositionFileState state;
        ASSERT_EQ(ReadImagePositionFiles(1, {}, &state), 1);
        EXPECT_EQ(state, PositionFileState::Read);
        EXPECT_EQ(g_bgImage.positionKnown, 1);  // a world file places a parallelogram
        EXPECT_TRUE(RecordedMessages().empty());
        double gdal[4][2];
        ASSERT_TRUE(GdalCorners(path, gdal));
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(g_bgImage.corners[k][0], gdal[k][0], 0.001) << "corner " << k;
            EXPECT_NEAR(g_bgImage.corners[k][1], gdal[k][1], 0.001) << "corner " << k;
        }
        EXPECT_NEAR(g_bgImage.edgeLengths[1], 37 * std::hypot(0.5, 0.1), 1e-9);
        fs::remove(m_dir / c.world);
    }
}

TEST_F(ImagePosition, WhichFileIsRead) {
    // The position file wins over the world file.
    Load("jpeg_rgb.jpg", "site.jpg");
    Write("site.jgw", kRotatedWorld);
    Write("site.MPI",
          "*********************************\r\n*** title\r\n*********************************\r\n"
          "       2000.000       1000.000 \r\n       2000.000       1100.000 \r\n"
          "       1900.000       1000.000 \r\n       1900.000       1100.000 \r\n");
    ASSERT_EQ(ReadImagePositionFiles(0), 1);
    EXPECT_EQ(g_bgImage.positionKnown, 0);  // a probe reads nothing
    ASSERT_EQ(ReadImagePositionFiles(1), 1);
    EXPECT_EQ(g_bgImage.corners[0][0], 1000.0);
    EXPECT_EQ(g_bgImage.corners[0][1], 2000.0);
    EXPECT_EQ(g_bgImage.corners[3][0], 1100.0);
    EXPECT_EQ(g_bgImage.corners[3][1], 1900.0);
    EXPECT_EQ(g_bgImage.mapping.projectiveKind, 0);

    // ".tiff" has no world file: without a position file the image has no placement.
    Load("tif_rgb.tif", "plan.tiff");
    Write("plan.tfw", kRotatedWorld);
    EXPECT_EQ(ReadImagePositionFiles(1), 0);
    EXPECT_EQ(g_bgImage.positionKnown, 0);

    // Nothing without a loaded image.
    g_bgImage.loaded = 0;
    EXPECT_EQ(ReadImagePositionFiles(1), 0);
}

TEST_F(ImagePosition, UnusablePlacementFilesLeaveTheImageUnplaced) {
    const struct {
        const char* name;
        const char* text;
        int32_t result;
        PositionFileState state = PositionFileState::DamagedWorldFile;
    } cases[] = {
        {"site.jgw", "1\r\n0\r\n0\r\n-1\r\n5000\r\n", 0},                  // five lines
        {"site.jgw", "1\r\n0\r\n0\r\nnan\r\n5000\r\n6000\r\n", 0},          // not a number
        {"site.jgw", "1e308\r\n0\r\n0\r\n-1\r\n5000\r\n6000\r\n", 0},       // corners overflow
        {"site.MPI", "***\r\ngarbage\r\n\x01\x02\x03\r\n", 1, PositionFileState::Damaged},  // no corners
        {"site.MPI", "        100.000        200.000 \r\n        100.000        300.000 \r\n"
                     "          0.000        200.000 \r\n            nan            nan \r\n", 1,
         PositionFileState::Damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Load("jpeg_rgb.jpg", "site.jpg");
        fs::remove(m_dir / "site.jgw");
        fs::remove(m_dir / "site.MPI");
        Write(c.name, c.text);
        PositionFileState state;
        EXPECT_EQ(ReadImagePositionFiles(1, {}, &state), c.result);
        EXPECT_EQ(state, c.state);
        EXPECT_EQ(g_bgImage.positionKnown, 0);
        for (auto& corner : g_bgImage.corners) EXPECT_TRUE(std::isfinite(corner[0]) && std::isfinite(corner[1]));
    }
}

TEST_F(ImagePosition, LatitudeLongitudeQuestion) {
    Load("jpeg_rgb.jpg", "site.jpg");
    // 0.0001 degree pixels, the upper-left pixel's centre at 139.7 E, 35.6 N.
    Write("site.jgw", "0.0001\r\n0\r\n0\r\n-0.0001\r\n139.7\r\n35.6\r\n");
    QueueMessageAnswer(msg::kIdNo);
    ASSERT_EQ(ReadImagePositionFiles(1), 1);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text,
              "位置ファイル\n" + (m_dir / "site.jgw").string() +
                  "\nには画像左上の座標が以下の通り指定されています。\n\nX  :  139.70000\nY  :   35.60000\n\n"
                  "緯度経度として座標変換して読込ますか？");
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kYesNo | msg::kIconQuestion);
    // No: the values are metres; the corner is half a pixel out from the centre.
    EXPECT_NEAR(g_bgImage.corners[0][0], 139.7 - 0.00005, 1e-12);
    EXPECT_NEAR(g_bgImage.corners[0][1], 35.6 + 0.00005, 1e-12);

    // Yes, zone 9 in the world geodetic system: each corner projected, as PROJ does it.
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdYes);
    g_worldFileZone = 3;
    int32_t offeredZone = -1;
    ASSERT_EQ(ReadImagePositionFiles(1,
                                     [&](ZoneSelectValues& v) {
                                         offeredZone = v.m_zone;
                                         v.m_zone = 9;
                                         v.m_dataDatum = 1;
                                         return true;
                                     }),
              1);
    EXPECT_EQ(offeredZone, 3);
    EXPECT_EQ(g_worldFileZone, 9);
    EXPECT_EQ(g_worldFileDatum, 1);
    const double ulLon = 139.7 - 0.00005, ulLat = 35.6 + 0.00005;
    const double lonLat[4][2] = {{ulLon, ulLat},
                                 {ulLon + 37 * 0.0001, ulLat},
                                 {ulLon, ulLat - 23 * 0.0001},
                                 {ulLon + 37 * 0.0001, ulLat - 23 * 0.0001}};
    std::ostringstream in;
    in.precision(12);
    for (auto& p : lonLat) in << p[0] << ' ' << p[1] << '\n';
    std::ofstream(m_dir / "lonlat.txt") << in.str();
    std::string out;
    ASSERT_TRUE(RunCommand("cs2cs -f %.6f +proj=longlat +ellps=GRS80 +to +proj=tmerc +lat_0=36 "
                           "+lon_0=139.8333333333333 +k=0.9999 +x_0=0 +y_0=0 +ellps=GRS80 +units=m < '" +
                               (m_dir / "lonlat.txt").string() + "'",
                           &out));
    std::istringstream is(out);
    for (int k = 0; k < 4; ++k) {
        double e, n, z;
        ASSERT_TRUE(is >> e >> n >> z);
        EXPECT_NEAR(g_bgImage.corners[k][0], e, 0.005) << "corner " << k;
        EXPECT_NEAR(g_bgImage.corners[k][1], n, 0.005) << "corner " << k;
    }
    // Metre-sized edges, not degrees.
    EXPECT_NEAR(g_bgImage.edgeLengths[1], 37 * 0.0001 * 111000 * std::cos(35.6 * M_PI / 180), 5.0);
}

TEST_F(ImagePosition, WrittenFilesReadBackAndTheirFormat) {
    const std::string path = Load("jpeg_rgb.jpg", "view.jpg");
    // A rotated rectangle for a 1000 x 800 image.
    g_bgImage.width = 1000;
    g_bgImage.height = 800;
    const double ang = 0.3, px = 0.25;
    const double ul[2] = {-35000.125, 12000.5};
    const double right[2] = {px * std::cos(ang), px * std::sin(ang)}, down[2] = {px * std::sin(ang), -px * std::cos(ang)};
    const double want[4][2] = {{ul[0], ul[1]},
                               {ul[0] + 1000 * right[0], ul[1] + 1000 * right[1]},
                               {ul[0] + 800 * down[0], ul[1] + 800 * down[1]},
                               {ul[0] + 1000 * right[0] + 800 * down[0], ul[1] + 1000 * right[1] + 800 * down[1]}};
    std::copy(&want[0][0], &want[0][0] + 8, &g_bgImage.corners[0][0]);
    g_bgImage.positionKnown = 1;
    ASSERT_TRUE(WriteImagePositionFiles());
    ASSERT_TRUE(fs::exists(m_dir / "view.JGW"));
    const std::string mpi = ReadBytes(m_dir / "view.MPI");
    EXPECT_EQ(mpi.substr(0, 35 + 2 * 0), std::string("*********************************\r\n"));
    EXPECT_NE(mpi.find(Utf8ToCp932("********** 北西、北東、南西、南東") + "\r\n"), std::string::npos);
    char line[64];
    std::snprintf(line, sizeof line, "%15.3f%15.3f \r\n", want[0][1], want[0][0]);
    EXPECT_NE(mpi.find(line), std::string::npos);

    // The world file alone gives the corners back to its six decimals.
    fs::remove(m_dir / "view.MPI");
    ASSERT_EQ(ReadImagePositionFiles(1), 1);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(g_bgImage.corners[k][0], want[k][0], 1e-3) << k;
        EXPECT_NEAR(g_bgImage.corners[k][1], want[k][1], 1e-3) << k;
    }
    // Without a placement the position file is deleted and nothing written.
    ASSERT_TRUE(WriteImagePositionFiles());
    ASSERT_TRUE(fs::exists(m_dir / "view.MPI"));
    g_bgImage.positionKnown = 0;
    EXPECT_FALSE(WriteImagePositionFiles());
    EXPECT_FALSE(fs::exists(m_dir / "view.MPI"));

    // An explicit placement: the world file is ".BPW", sized by the given image.
    PlacementCorners corners{{200, 100, 200, 300, 100, 100, 100, 300}};
    ASSERT_TRUE(WriteImagePositionFiles((m_dir / "export.bmp").string(), corners, 400, 200));
    EXPECT_EQ(ReadBytes(m_dir / "export.BPW"),
              "0.500000\r\n0.000000\r\n0.000000\r\n-0.500000\r\n100.250000\r\n199.750000\r\n");
    EXPECT_FALSE(WriteImagePositionFiles("a.bm", corners, 400, 200));
    (void)path;
}

TEST_F(ImagePosition, FarAwayPlacementIsQuestioned) {
    Load("jpeg_rgb.jpg", "site.jpg");
    g_extentCenterX = 1000;  // north
    g_extentCenterY = 2000;  // east
    g_extentSize = 500;
    auto place = [](double east, double north) {
        const double c[4][2] = {{east, north + 100}, {east + 100, north + 100}, {east, north}, {east + 100, north}};
        std::copy(&c[0][0], &c[0][0] + 8, &g_bgImage.corners[0][0]);
        g_bgImage.positionKnown = 1;
    };
    place(2300, 1300);  // overlapping the data square
    EXPECT_EQ(CheckImagePosition(), 0);
    EXPECT_TRUE(RecordedMessages().empty());
    place(12000, 1000);  // 10 km east
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(CheckImagePosition(), 1);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text,
              "この画像データの位置情報は現在のランダム点と無関係と思われます\n位置情報を無視します");
    EXPECT_EQ(g_bgImage.positionKnown, 1);
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(CheckImagePosition(), 1);
    EXPECT_EQ(g_bgImage.positionKnown, 0);
    EXPECT_EQ(CheckImagePosition(), 0);
}

}  // namespace
