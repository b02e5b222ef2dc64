// The reader against drawings written by ezdxf, and what ezdxf's and GDAL's geometry say
// those drawings hold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

#include "dxf/dxf_spline.h"
#include "dxf_test_support.h"

namespace {
namespace fs = std::filesystem;
using namespace dxftest;

constexpr double kTol = 1e-9;

fs::path g_fixtures;
bool g_fixturesMade = false;

std::string Script() { return std::string(NOSTREL_SOURCE_DIR) + "/tests/dxf/ezdxf_fixtures.py"; }

class EzdxfDrawings : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (g_fixturesMade || !HaveEzdxf()) return;
        g_fixtures = ScratchDir("ezdxf");
        g_fixturesMade = RunCommand("/usr/bin/python3 " + Script() + " " + g_fixtures.string());
    }
    static void TearDownTestSuite() {
        if (!g_fixtures.empty()) fs::remove_all(g_fixtures);
        g_fixtures.clear();
        g_fixturesMade = false;
    }
    void SetUp() override {
        if (!HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is missing: run scripts/install-deps.sh";
        ASSERT_TRUE(g_fixturesMade) << "ezdxf could not write the fixtures";
    }
};

std::vector<std::vector<std::string>> Expectations(const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(ReadBytes(g_fixtures / (name + ".exp")));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        std::string word;
        while (words >> word) w.push_back(word);
        if (!w.empty()) rows.push_back(w);
    }
    return rows;
}

double D(const std::string& s) { return std::stod(s); }

std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

enum class Check { kExact, kCircle, kBulges, kText, kSpline };

void CheckExact(const std::string& name) {
    const auto rows = Expectations(name);
    const auto got = Elements();
    ASSERT_EQ(got.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(got[i].pen, std::stoi(rows[i][1]));
        EXPECT_NEAR(got[i].x, D(rows[i][2]), kTol);
        EXPECT_NEAR(got[i].y, D(rows[i][3]), kTol);
        EXPECT_NEAR(got[i].z, D(rows[i][4]), kTol);
        EXPECT_EQ(got[i].sourceX, got[i].x);
        EXPECT_EQ(got[i].sourceY, got[i].y);
    }
}

// Points in drawing axes (x east, y north).
double OffCircle(double x, double y, double cx, double cy, double r) { return std::fabs(std::hypot(x - cx, y - cy) - r); }

void CheckCircle(const std::string& name) {
    std::map<std::string, std::vector<std::string>> rows;
    for (const auto& r : Expectations(name)) rows[r[0]] = r;
    const auto got = Elements();
    ASSERT_GE(got.size(), 2u);
    const double cx = D(rows["CIRCLE"][1]), cy = D(rows["CIRCLE"][2]), r = D(rows["CIRCLE"][3]);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].pen, i == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW);
        EXPECT_LE(OffCircle(got[i].y, got[i].x, cx, cy, r), kTol) << "point " << i + 1;
    }
    EXPECT_NEAR(got.front().y, D(rows["START"][1]), kTol);
    EXPECT_NEAR(got.front().x, D(rows["START"][2]), kTol);
    EXPECT_NEAR(got.back().y, D(rows["END"][1]), kTol);
    EXPECT_NEAR(got.back().x, D(rows["END"][2]), kTol);
    if (rows.count("COUNT")) {
        EXPECT_EQ(got.size(), std::stoul(rows["COUNT"][1]));
    }
}

void CheckBulges(const std::string& name) {
    const auto rows = Expectations(name);
    const auto got = Elements();
    size_t k = 0;  // next element
    const std::vector<std::string>* arc = nullptr;
    const std::vector<std::string>* previous = nullptr;
    for (const auto& row : rows) {
        if (row[0] == "A") {
            arc = &row;
            continue;
        }
        const double vx = D(row[1]), vy = D(row[2]), vz = D(row[3]);
        if (arc) {
            const double cx = D((*arc)[1]), cy = D((*arc)[2]), r = D((*arc)[3]);
            // The arc starts on the earlier vertex itself.
            ASSERT_LT(k, got.size());
            EXPECT_EQ(got[k].y, D((*previous)[1]));
            EXPECT_EQ(got[k].x, D((*previous)[2]));
            size_t arcPoints = 0;
            double lastX = got[k].y, lastY = got[k].x;
            ++k;
            while (k < got.size() && !(got[k].y == vx && got[k].x == vy)) {
                EXPECT_LE(OffCircle(got[k].y, got[k].x, cx, cy, r), kTol) << "element " << k + 1;
                const double sag = r - std::hypot((lastX + got[k].y) / 2 - cx, (lastY + got[k].x) / 2 - cy);
                EXPECT_LE(sag, 0.001 + kTol);
                lastX = got[k].y, lastY = got[k].x;
                ++k, ++arcPoints;
            }
            EXPECT_GT(arcPoints, 2u);
            EXPECT_LE(r - std::hypot((lastX + vx) / 2 - cx, (lastY + vy) / 2 - cy), 0.001 + kTol);
            arc = nullptr;
        }
        ASSERT_LT(k, got.size()) << "vertex " << vx << " " << vy << " missing";
        EXPECT_EQ(got[k].y, vx);
        EXPECT_EQ(got[k].x, vy);
        EXPECT_NEAR(got[k].z, vz, kTol);
        EXPECT_EQ(got[k].pen, k == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW);
        previous = &row;
        ++k;
    }
    EXPECT_EQ(k, got.size());
}

void CheckText(const std::string& name) {
    const auto got = Elements();
    size_t k = 0;
    for (const auto& row : Expectations(name)) {
        if (row[0] == "L") {
            const std::string stored = Unhex(row[1]) + "\n";
            bool found = false;
            for (int32_t i = 1; i <= g_dxfLayerCount; ++i) found = found || stored == g_dxfLayers[i].name;
            EXPECT_TRUE(found) << "layer bytes " << row[1];
            continue;
        }
        ASSERT_LT(k, got.size());
        const DxfElement& e = got[k++];
        EXPECT_EQ(e.pen, DXF_PEN_TEXT);
        EXPECT_NEAR(e.x, D(row[1]), kTol);
        EXPECT_NEAR(e.y, D(row[2]), kTol);
        EXPECT_NEAR(e.z, D(row[3]), kTol);
        EXPECT_NEAR(e.textHeight, D(row[4]), kTol);
        EXPECT_NEAR(e.textAngle, D(row[5]), kTol);
        EXPECT_EQ(std::string(e.text), Unhex(row[6]));
    }
    EXPECT_EQ(k, got.size());
}

void CheckSpline(const std::string& name) {
    int32_t order = 0;
    std::vector<double> knots;
    int32_t controls = 0;
    for (const auto& row : Expectations(name)) {
        if (row[0] == "SPLINE") order = std::stoi(row[1]);
        if (row[0] == "K")
            for (size_t i = 1; i < row.size(); ++i) knots.push_back(D(row[i]));
        if (row[0] == "C") ++controls;
    }
    ASSERT_EQ(static_cast<int32_t>(knots.size()) - controls, order);
    const std::vector<double> params = BSplineSampleParameters(controls, order, knots);
    std::string text;
    for (double t : params) {
        char b[64];
        std::snprintf(b, sizeof b, "%.17g\n", t);
        text += b;
    }
    const fs::path paramFile = g_fixtures / (name + ".t");
    WriteBytes(paramFile, text);
    std::string out;
    ASSERT_TRUE(RunCommand("/usr/bin/python3 " + Script() + " --bspline " + (g_fixtures / (name + ".exp")).string() +
                               " " + paramFile.string(),
                           &out));
    std::vector<DxfPoint3> curve;
    std::istringstream in(out);
    DxfPoint3 p;
    while (in >> p.x >> p.y >> p.z) curve.push_back(p);
    ASSERT_EQ(curve.size(), params.size());
    const auto got = Elements();
    ASSERT_GE(got.size(), 2u);
    // Thinning keeps a subsequence of the samples, the first and the last among them.
    size_t j = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        while (j < curve.size() && !(std::fabs(curve[j].x - got[i].y) <= kTol && std::fabs(curve[j].y - got[i].x) <= kTol &&
                                     std::fabs(curve[j].z - got[i].z) <= kTol))
            ++j;
        ASSERT_LT(j, curve.size()) << "element " << i + 1 << " is no point of the curve at the sampled parameters";
        if (i == 0) {
            EXPECT_EQ(j, 0u);
        }
        ++j;
    }
    EXPECT_EQ(j, curve.size());
}

struct Case {
    const char* name;
    Check check;
};

const Case kCases[] = {
    {"line_R12", Check::kExact},          {"line_R2000", Check::kExact},
    {"line_mirrored_R12", Check::kExact}, {"line_mirrored_R2000", Check::kExact},
    {"point_R12", Check::kExact},         {"point_R2000", Check::kExact},
    {"3dface_R12", Check::kExact},        {"3dface_R2000", Check::kExact},
    {"solid_R12", Check::kExact},         {"solid_R2000", Check::kExact},
    {"polyline3d_R12", Check::kExact},    {"polyline3d_R2000", Check::kExact},
    {"insert_R12", Check::kExact},        {"insert_R2000", Check::kExact},
    {"arc_R12", Check::kCircle},          {"arc_R2000", Check::kCircle},
    {"arc_mirrored_R12", Check::kCircle}, {"arc_mirrored_R2000", Check::kCircle},
    {"circle_R12", Check::kCircle},       {"circle_R2000", Check::kCircle},
    {"polyline_R12", Check::kBulges},     {"polyline_R2000", Check::kBulges},
    {"lwpolyline1_R2000", Check::kBulges}, {"lwpolyline129_R2000", Check::kBulges},
    {"text_R12", Check::kText},           {"text_R2000", Check::kText},
    {"mtext_R2000", Check::kText},        {"cp932_R12", Check::kText},
    {"cp932_R2000", Check::kText},        {"spline_R2000", Check::kSpline},
    {"spline_unit_R2000", Check::kSpline},
};

TEST_F(EzdxfDrawings, ElementsAgreeWithEzdxfGeometry) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ReadFresh(g_fixtures / (std::string(c.name) + ".dxf")), kDxfReadDone);
        EXPECT_TRUE(RecordedMessages().empty());
        switch (c.check) {
            case Check::kExact: CheckExact(c.name); break;
            case Check::kCircle: CheckCircle(c.name); break;
            case Check::kBulges: CheckBulges(c.name); break;
            case Check::kText: CheckText(c.name); break;
            case Check::kSpline: CheckSpline(c.name); break;
        }
    }
}

// The whole layer as read, screen fields aside (nothing projected it).
std::string Snapshot() {
    std::string s(reinterpret_cast<const char*>(g_dxfElementsBlock.Data() + 1), sizeof(DxfElement) * g_dxfElementCount);
    s.append(reinterpret_cast<const char*>(g_dxfLayers + 1), sizeof(DxfLayer) * g_dxfLayerCount);
    return s;
}

TEST_F(EzdxfDrawings, CrLfAndLfCopiesReadAlike) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const fs::path lf = g_fixtures / (std::string(c.name) + ".dxf");
        std::string bytes = ReadBytes(lf), crlf;
        for (char ch : bytes) {
            if (ch == '\n') crlf += '\r';
            crlf += ch;
        }
        ASSERT_NE(bytes, crlf);
        const fs::path crlfPath = g_fixtures / (std::string(c.name) + "_crlf.dxf");
        WriteBytes(crlfPath, crlf);
        ASSERT_EQ(ReadFresh(lf), kDxfReadDone);
        const std::string a = Snapshot();
        ASSERT_GT(g_dxfElementCount, 0);
        ASSERT_EQ(ReadFresh(crlfPath), kDxfReadDone);
        EXPECT_TRUE(a == Snapshot());
    }
}

// ogrinfo's geometry lines: "LINESTRING Z (x y z,...)", "POINT Z (x y z)", "POLYGON Z ((...))".
std::vector<DxfPoint3> OgrVertices(const fs::path& file) {
    std::string out;
    std::vector<DxfPoint3> points;
    if (!RunCommand("ogrinfo -al -q " + file.string() + " 2>/dev/null", &out)) return points;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const size_t open = line.find('(');
        if (open == std::string::npos ||
            (line.find("LINESTRING") == std::string::npos && line.find("POINT") == std::string::npos &&
             line.find("POLYGON") == std::string::npos))
            continue;
        std::string coords = line.substr(open);
        for (char& ch : coords)
            if (ch == '(' || ch == ')' || ch == ',') ch = ' ';
        std::istringstream c(coords);
        DxfPoint3 p;
        while (c >> p.x >> p.y >> p.z) points.push_back(p);
    }
    return points;
}

TEST_F(EzdxfDrawings, OgrinfoListsTheSameVertices) {
    if (!HaveOgrinfo()) GTEST_SKIP() << "gdal-bin is missing: run scripts/install-deps.sh";
    for (const char* name : {"line_R2000", "point_R12", "3dface_R12", "polyline3d_R2000"}) {
        SCOPED_TRACE(name);
        const fs::path file = g_fixtures / (std::string(name) + ".dxf");
        const auto ogr = OgrVertices(file);
        ASSERT_EQ(ReadFresh(file), kDxfReadDone);
        const auto got = Elements();
        ASSERT_FALSE(ogr.empty());
        // GDAL closes a face's ring with its first corner again.
        ASSERT_GE(ogr.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i].y, ogr[i].x, 1e-9);
            EXPECT_NEAR(got[i].x, ogr[i].y, 1e-9);
            EXPECT_NEAR(got[i].z, ogr[i].z, 1e-9);
        }
    }
}

}  // namespace
