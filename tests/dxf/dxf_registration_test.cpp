// Registration of the background drawing: the similarity fit, the four-pair perspective
// placement, the inverse mapping and the .DXI side file. numpy (python3-numpy) is the
// second opinion for the least-squares fit and the perspective map.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "dxf/dxf_registration.h"
#include "dxf_test_support.h"

using namespace dxftest;

namespace {

bool HaveNumpy() { return RunCommand("/usr/bin/python3 -c 'import numpy' 2>/dev/null"); }

std::vector<double> Numbers(const std::string& text) {
    std::istringstream in(text);
    std::vector<double> v;
    double d;
    while (in >> d) v.push_back(d);
    return v;
}

struct Pair {
    double sourceX, sourceY;  // north, east
    double publicX, publicY;
};

// A store of point elements at the given source positions (north, east).
void MakeElements(const std::vector<std::pair<double, double>>& sources) {
    InitDataModel();
    ClearRecordedMessages();
    DxfTarget target = DXF_TARGET_ENTITIES;
    ASSERT_EQ(EnsureDxfCapacity(target, static_cast<int32_t>(sources.size())), 1);
    for (const auto& [x, y] : sources) {
        DxfElement& e = AppendDxfRecord(target);
        e = DxfElement{};
        e.pen = DXF_PEN_POINT;
        e.x = e.sourceX = x;
        e.y = e.sourceY = y;
    }
    g_dxfFirstNewElement = 1;
    g_dxfRegistration.dxfLoaded = 1;
}

void SetPairs(const std::vector<Pair>& pairs, int firstFlag = 1) {
    DxfRegistration& r = g_dxfRegistration;
    std::fill(std::begin(r.vertexFlags), std::end(r.vertexFlags), 0);
    for (size_t i = 0; i < pairs.size(); ++i) {
        r.sourcePoint[i][0] = pairs[i].sourceX;
        r.sourcePoint[i][1] = pairs[i].sourceY;
        r.publicPoint[i][0] = pairs[i].publicY;
        r.publicPoint[i][1] = pairs[i].publicX;
        r.vertexFlags[i] = 1;
    }
    if (!pairs.empty()) r.vertexFlags[0] = firstFlag;
}

// The ground position of a source point under x = a Xs + b Ys + tx, y = a Ys - b Xs + ty.
Pair Similar(double a, double b, double tx, double ty, double xs, double ys) {
    return {xs, ys, a * xs + b * ys + tx, a * ys - b * xs + ty};
}

class DxfRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { MakeElements({{0, 0}, {10, 0}, {0, 10}, {123.25, -45.5}}); }
};

TEST_F(DxfRegistrationTest, ExactSimilarityIsRecoveredFromThreeOrFourPairs) {
    struct Case {
        double a, b, tx, ty;
        int pairs;
    };
    const double s = 0.75, t = 0.4;  // scale and turn (radians) of a general case
    const Case cases[] = {
        {1, 0, 5000.125, -32000.5, 3},
        {s * std::cos(t), s * std::sin(t), -12345.678, 98765.432, 3},
        {s * std::cos(t), s * std::sin(t), -12345.678, 98765.432, 4},
        {-2.5, 0.001, 0, 0, 4},
        {0, -1, 100, 200, 4},  // the drawing's north axis points east on the ground
    };
    const double sources[4][2] = {{12.5, 3.25}, {140.0, -20.0}, {75.5, 190.125}, {-30.0, 60.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "a " << c.a << " b " << c.b << " pairs " << c.pairs);
        std::vector<Pair> pairs;
        for (int i = 0; i < c.pairs; ++i) pairs.push_back(Similar(c.a, c.b, c.tx, c.ty, sources[i][0], sources[i][1]));
        SetPairs(pairs);
        ASSERT_EQ(ComputeDxfRegistration(0), kDxfRegistrationDone);
        const DxfRegistration& r = g_dxfRegistration;
        EXPECT_NEAR(r.a, c.a, 1e-9);
        EXPECT_NEAR(r.b, c.b, 1e-9);
        EXPECT_NEAR(r.tx, c.tx, 1e-9 * std::max(1.0, std::fabs(c.tx)));
        EXPECT_NEAR(r.ty, c.ty, 1e-9 * std::max(1.0, std::fabs(c.ty)));
        EXPECT_NEAR(r.scale, std::hypot(c.a, c.b), 1e-9);
        EXPECT_NEAR(r.rotation, std::atan2(-c.b, c.a) * 180.0 / M_PI, 1e-9);
        EXPECT_EQ(r.projective, 0);
        ApplyDxfRegistration(0);
        for (const DxfElement& e : Elements()) {
            const Pair p = Similar(c.a, c.b, c.tx, c.ty, e.sourceX, e.sourceY);
            EXPECT_NEAR(e.x, p.publicX, 1e-7);
            EXPECT_NEAR(e.y, p.publicY, 1e-7);
            double xs, ys;
            DxfShownToOriginal(e.y, e.x, xs, ys);
            EXPECT_NEAR(xs, e.sourceX, 1e-7);
            EXPECT_NEAR(ys, e.sourceY, 1e-7);
        }
    }
}

TEST_F(DxfRegistrationTest, QuarterTurnGivesRotation90) {
    SetPairs({Similar(0, -1, 0, 0, 0, 0), Similar(0, -1, 0, 0, 10, 0), Similar(0, -1, 0, 0, 0, 10)});
    ASSERT_EQ(ComputeDxfRegistration(0), kDxfRegistrationDone);
    EXPECT_NEAR(g_dxfRegistration.a, 0.0, 1e-12);
    EXPECT_NEAR(g_dxfRegistration.b, -1.0, 1e-12);
    EXPECT_NEAR(g_dxfRegistration.rotation, 90.0, 1e-12);
    EXPECT_NEAR(g_dxfRegistration.scale, 1.0, 1e-12);
    // A source point one north of the origin lands one east of it.
    ApplyDxfRegistration(0);
    EXPECT_NEAR(Elements()[1].x, 0.0, 1e-12);
    EXPECT_NEAR(Elements()[1].y, 10.0, 1e-12);
}

// One pair completed to three by shifting it the same in both systems, and two pairs
// completed by turning the second a right angle about the first in both systems.
TEST_F(DxfRegistrationTest, CompletedPairsGiveExactFitsAndZeroResiduals) {
    SetPairs({{5, 7, 1005, 2007}, {6, 7, 1006, 2007}, {5, 8, 1005, 2008}});
    ASSERT_EQ(ComputeDxfRegistration(1), kDxfRegistrationDone);
    EXPECT_NEAR(g_dxfRegistration.a, 1.0, 1e-12);
    EXPECT_NEAR(g_dxfRegistration.b, 0.0, 1e-12);
    EXPECT_NEAR(g_dxfRegistration.rotation, 0.0, 1e-12);
    EXPECT_NEAR(g_dxfRegistration.scale, 1.0, 1e-12);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    const std::string& report = RecordedMessages()[0].text;
    EXPECT_EQ(report.rfind("座標変換計算終了\n", 0), 0u) << report;
    EXPECT_NE(report.find("KEX=  0.000"), std::string::npos) << report;
    EXPECT_NE(report.find("KEY=  0.000"), std::string::npos) << report;
    EXPECT_NE(report.find("W=   0- 0- 0"), std::string::npos) << report;

    // Pair 2 is pair 1 plus (3, 4) in the drawing and plus (-8, 6) on the ground (scale 2).
    const Pair p1{10, 20, 500, 700}, p2{13, 24, 492, 706};
    const Pair p3{p1.sourceX - 4, p1.sourceY + 3, p1.publicX - 6, p1.publicY - 8};
    SetPairs({p1, p2, p3});
    ClearRecordedMessages();
    ASSERT_EQ(ComputeDxfRegistration(1), kDxfRegistrationDone);
    EXPECT_NEAR(g_dxfRegistration.scale, 2.0, 1e-12);
    const std::string& second = RecordedMessages().at(0).text;
    EXPECT_NE(second.find("KEX=  0.000"), std::string::npos) << second;
    EXPECT_NE(second.find("KEY=  0.000"), std::string::npos) << second;
}

TEST_F(DxfRegistrationTest, NoisyPairsMatchNumpyLeastSquares) {
    if (!HaveNumpy()) GTEST_SKIP() << "python3-numpy is missing: run scripts/install-deps.sh";
    const std::vector<Pair> pairs = {{1000.0, 2000.0, -35012.31, 12050.77},
                                     {1850.5, 2100.25, -34170.02, 12010.15},
                                     {1420.75, 2900.5, -34690.44, 12820.96},
                                     {980.25, 2750.0, -35110.88, 12790.03}};
    for (int n : {3, 4}) {
        SCOPED_TRACE(n);
        std::ostringstream script;
        script.precision(17);
        script << "import numpy as np\nrows=[];rhs=[]\n";
        for (int i = 0; i < n; ++i) {
            const Pair& p = pairs[i];
            script << "a,b,c,d=" << p.sourceX << "," << p.sourceY << "," << p.publicX << "," << p.publicY << "\n"
                   << "rows.append([a,b,1,0]);rhs.append(c)\nrows.append([b,-a,0,1]);rhs.append(d)\n";
        }
        script << "x=np.linalg.lstsq(np.array(rows),np.array(rhs),rcond=None)[0]\n"
               << "print(' '.join(repr(float(v)) for v in x))\n";
        const auto dir = ScratchDir("reg_lstsq");
        WriteBytes(dir / "fit.py", script.str());
        std::string out;
        ASSERT_TRUE(RunCommand("/usr/bin/python3 " + (dir / "fit.py").string(), &out));
        std::filesystem::remove_all(dir);
        const std::vector<double> x = Numbers(out);
        ASSERT_EQ(x.size(), 4u) << out;
        SetPairs(std::vector<Pair>(pairs.begin(), pairs.begin() + n));
        ASSERT_EQ(ComputeDxfRegistration(0), kDxfRegistrationDone);
        EXPECT_NEAR(g_dxfRegistration.a, x[0], 1e-9);
        EXPECT_NEAR(g_dxfRegistration.b, x[1], 1e-9);
        EXPECT_NEAR(g_dxfRegistration.tx, x[2], 1e-6);
        EXPECT_NEAR(g_dxfRegistration.ty, x[3], 1e-6);
    }
}

TEST_F(DxfRegistrationTest, CoincidentDrawingPointsAreRefusedAndTheRegistrationKept) {
    SetPairs({Similar(0.5, 0.5, 10, 20, 0, 0), Similar(0.5, 0.5, 10, 20, 30, 0), Similar(0.5, 0.5, 10, 20, 0, 40)});
    ASSERT_EQ(ComputeDxfRegistration(0), kDxfRegistrationDone);
    g_dxfRegistration.transformActive = 1;
    ApplyDxfRegistration(0);
    const DxfRegistration before = g_dxfRegistration;
    const std::vector<DxfElement> shown = Elements();
    for (int firstFlag : {1, 2}) {
        SCOPED_TRACE(firstFlag);
        SetPairs({{3, 3, 100, 200}, {3, 3, 150, 210}, {3, 3, 120, 260}, {3, 3, 90, 230}}, firstFlag);
        EXPECT_EQ(ComputeDxfRegistration(1), kDxfRegistrationDegenerate);
        EXPECT_EQ(g_dxfRegistration.a, before.a);
        EXPECT_EQ(g_dxfRegistration.b, before.b);
        EXPECT_EQ(g_dxfRegistration.tx, before.tx);
        EXPECT_EQ(g_dxfRegistration.ty, before.ty);
        EXPECT_EQ(g_dxfRegistration.projective, 0);
        EXPECT_EQ(g_dxfRegistration.transformActive, 1);
        EXPECT_TRUE(RecordedMessages().empty());
        ApplyDxfRegistration(0);
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(std::isfinite(Elements()[i].x));
            EXPECT_EQ(Elements()[i].x, shown[i].x);
            EXPECT_EQ(Elements()[i].y, shown[i].y);
        }
    }
}

TEST_F(DxfRegistrationTest, FourPairsPlaceTheDrawingAsNumpysPerspectiveMap) {
    if (!HaveNumpy()) GTEST_SKIP() << "python3-numpy is missing: run scripts/install-deps.sh";
    // numpy maps drawing (east, north) to the ground with its own matrix; the pairs and the
    // expected element positions both come from it.
    const std::vector<std::pair<double, double>> sources = {
        {0, 0}, {120, 0}, {0, 80}, {120, 80}, {60, 40}, {15.5, 70.25}, {-20, 130}, {101, 3}};
    MakeElements(sources);
    std::ostringstream script;
    script.precision(17);
    script << "import numpy as np\n"
              "H=np.array([[0.9,-0.35,-42100.0],[0.3,1.1,15300.0],[0.0004,-0.0002,1.0]])\n"
              "def m(e,n):\n p=H@np.array([e,n,1.0]);return p[0]/p[2],p[1]/p[2]\n"
              "pts=[";
    for (const auto& [x, y] : sources) script << "(" << y << "," << x << "),";
    script << "]\nfor e,n in pts:\n g=m(e,n);print(repr(float(g[0])),repr(float(g[1])))\n";
    const auto dir = ScratchDir("reg_homography");
    WriteBytes(dir / "map.py", script.str());
    std::string out;
    ASSERT_TRUE(RunCommand("/usr/bin/python3 " + (dir / "map.py").string(), &out));
    std::filesystem::remove_all(dir);
    const std::vector<double> ground = Numbers(out);
    ASSERT_EQ(ground.size(), 2 * sources.size()) << out;
    // Pairs: the four corners of the drawing's frame.
    std::vector<Pair> pairs;
    for (int i = 0; i < 4; ++i) pairs.push_back({sources[i].first, sources[i].second, ground[2 * i + 1], ground[2 * i]});
    SetPairs(pairs, 2);
    ASSERT_EQ(ComputeDxfRegistration(1), kDxfRegistrationDone);
    EXPECT_TRUE(RecordedMessages().empty());  // the perspective placement shows no report
    EXPECT_EQ(g_dxfRegistration.projective, -1);
    EXPECT_EQ(g_dxfRegistration.transformActive, 1);
    ApplyDxfRegistration(0);
    const std::vector<DxfElement> placed = Elements();
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(placed[i].y, ground[2 * i], 1e-6);
        EXPECT_NEAR(placed[i].x, ground[2 * i + 1], 1e-6);
        double xs, ys;
        DxfShownToOriginal(placed[i].y, placed[i].x, xs, ys);
        EXPECT_NEAR(xs, sources[i].first, 1e-6);
        EXPECT_NEAR(ys, sources[i].second, 1e-6);
    }
}

TEST_F(DxfRegistrationTest, ThreePairPerspectiveFallsBackToTheSimilarityWhenCollinear) {
    // Three drawing points on one line: the perspective attempt fails, the similarity fits.
    SetPairs({Similar(1, 0, 50, 60, 0, 0), Similar(1, 0, 50, 60, 10, 10), Similar(1, 0, 50, 60, 20, 20)}, 2);
    ASSERT_EQ(ComputeDxfRegistration(0), kDxfRegistrationDone);
    EXPECT_EQ(g_dxfRegistration.projective, 0);
    EXPECT_NEAR(g_dxfRegistration.tx, 50, 1e-9);
    EXPECT_NEAR(g_dxfRegistration.ty, 60, 1e-9);
    EXPECT_EQ(SolveDxfProjective(), -2);
    SetPairs({Similar(1, 0, 50, 60, 0, 0), Similar(1, 0, 50, 60, 0, 0), Similar(1, 0, 50, 60, 20, 20)}, 2);
    EXPECT_EQ(SolveDxfProjective(), -1);

    // Three general points: an affine placement through them.
    SetPairs({{0, 0, 100, 200}, {10, 0, 110, 205}, {0, 10, 98, 212}}, 2);
    ASSERT_EQ(ComputeDxfRegistration(0), kDxfRegistrationDone);
    EXPECT_EQ(g_dxfRegistration.projective, -1);
    ApplyDxfRegistration(0);
    EXPECT_NEAR(Elements()[1].x, 110, 1e-9);
    EXPECT_NEAR(Elements()[1].y, 205, 1e-9);
    EXPECT_NEAR(Elements()[2].x, 98, 1e-9);
    EXPECT_NEAR(Elements()[2].y, 212, 1e-9);
}

TEST_F(DxfRegistrationTest, FewerThanThreePairsChangeNothing) {
    g_dxfRegistration.a = 2;
    SetPairs({{1, 2, 3, 4}, {5, 6, 7, 8}});
    EXPECT_EQ(ComputeDxfRegistration(1), kDxfRegistrationDone);
    EXPECT_EQ(g_dxfRegistration.a, 2);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST(DxfRegistrationReset, EmptyStoreChangesNothingNotEvenTheFlags) {
    InitDataModel();
    g_dxfRegistration.vertexFlags[0] = 1;
    g_dxfRegistration.transformActive = 1;
    g_dxfRegistration.a = 3;
    EXPECT_EQ(ResetDxfRegistration(0), 0);
    EXPECT_EQ(g_dxfRegistration.vertexFlags[0], 1);
    EXPECT_EQ(g_dxfRegistration.transformActive, 1);
    EXPECT_EQ(g_dxfRegistration.a, 3);
}

class DxiFileTest : public DxfRegistrationTest {
protected:
    void SetUp() override {
        DxfRegistrationTest::SetUp();
        dir_ = ScratchDir("dxi");
        g_dxfSourcePath = (dir_ / "site plan.dxf").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path Dxi() const { return dir_ / "site plan.DXI"; }
    std::filesystem::path dir_;
};

TEST_F(DxiFileTest, WrittenColumnsReadBack) {
    SetPairs({{1234.5, -987.25, 45678.125, -123456.75}, {1, 2, 3, 4}, {-5.5, 6.5, 7.5, -8.5}, {0, 0, 0, 0}}, 2);
    g_dxfRegistration.vertexFlags[3] = 0;
    g_dxfRegistration.transformActive = 1;
    WriteDxiFile();
    const std::string asterisks = "*********************************\r\n";
    EXPECT_EQ(ReadBytes(Dxi()), asterisks + asterisks + asterisks +
                                    "      45678.125    -123456.750       -987.250       1234.500\r\n"
                                    "          3.000          4.000          2.000          1.000\r\n"
                                    "          7.500         -8.500          6.500         -5.500\r\n"
                                    "          0.000          0.000          0.000          0.000\r\n"
                                    " 2 1 1 0\r\n");
    const DxfRegistration written = g_dxfRegistration;
    SetPairs({});
    EXPECT_EQ(ReadDxiFile(0), 1);
    EXPECT_EQ(ReadDxiFile(1), 1);
    EXPECT_EQ(g_dxfRegistration.transformActive, 0);
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(g_dxfRegistration.publicPoint[i][k], written.publicPoint[i][k]);
            EXPECT_EQ(g_dxfRegistration.sourcePoint[i][k], written.sourcePoint[i][k]);
        }
    EXPECT_EQ(std::vector<int32_t>(g_dxfRegistration.vertexFlags, g_dxfRegistration.vertexFlags + 4),
              (std::vector<int32_t>{2, 1, 1, 0}));
}

TEST_F(DxiFileTest, ExtraAsterisksAndShortLinesRead) {
    WriteBytes(Dxi(), "*\n*****\n**\n*\n"
                      "       100.000       200.000        10.000        20.000\n"
                      "\n"
                      "         5.000\n");
    ASSERT_EQ(ReadDxiFile(1), 1);
    EXPECT_EQ(g_dxfRegistration.publicPoint[0][1], 100.0);
    EXPECT_EQ(g_dxfRegistration.publicPoint[0][0], 200.0);
    EXPECT_EQ(g_dxfRegistration.sourcePoint[0][1], 10.0);
    EXPECT_EQ(g_dxfRegistration.sourcePoint[0][0], 20.0);
    EXPECT_EQ(g_dxfRegistration.publicPoint[1][1], 0.0);
    EXPECT_EQ(g_dxfRegistration.publicPoint[2][1], 5.0);
    EXPECT_EQ(g_dxfRegistration.publicPoint[3][1], 0.0);
    EXPECT_EQ(g_dxfRegistration.vertexFlags[0], 0);  // the flags line is missing
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(DxiFileTest, DamagedFileIsReportedAndChangesNothing) {
    const std::string good = "          1.000          2.000          3.000          4.000\n";
    const std::string cases[] = {
        "***\n          1.0x0          2.000          3.000          4.000\n" + good + good + good + " 1 1 1 1\n",
        "***\n" + good + good + good + good + " 1 1 x 1\n",
        "***\n" + good + "            nan          2.000          3.000          4.000\n" + good + good + " 1 1 1 1\n",
        "***\n" + good + good + good + good + " 1 1 1 7\n",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        SetPairs({{9, 9, 9, 9}});
        ClearRecordedMessages();
        WriteBytes(Dxi(), text);
        EXPECT_EQ(ReadDxiFile(1), 0);
        EXPECT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(g_dxfRegistration.publicPoint[0][0], 9.0);
        EXPECT_EQ(g_dxfRegistration.vertexFlags[0], 1);
        EXPECT_EQ(g_dxfRegistration.vertexFlags[1], 0);
    }
}

TEST_F(DxiFileTest, OnlyAResetInThisRunRemovesTheFile) {
    WriteBytes(Dxi(), "kept\n");
    // A drawing shown unregistered (as read with a document) keeps its side file.
    g_dxfRegistration.transformActive = 0;
    WriteDxiFile();
    EXPECT_TRUE(std::filesystem::exists(Dxi()));
    // A reset of another drawing does not reach this one.
    const std::string path = g_dxfSourcePath;
    g_dxfSourcePath = (dir_ / "other.dxf").string();
    MarkDxfRegistrationReset();
    g_dxfSourcePath = path;
    WriteDxiFile();
    EXPECT_TRUE(std::filesystem::exists(Dxi()));
    MarkDxfRegistrationReset();
    g_dxfRegistration.dxfLoaded = 0;
    WriteDxiFile();
    EXPECT_TRUE(std::filesystem::exists(Dxi()));
    EXPECT_EQ(ReadDxiFile(0), 0);
    g_dxfRegistration.dxfLoaded = 1;
    WriteDxiFile();
    EXPECT_FALSE(std::filesystem::exists(Dxi()));
    EXPECT_EQ(ReadDxiFile(0), 0);
}

}  // namespace
