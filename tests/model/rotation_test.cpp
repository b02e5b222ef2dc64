#include "model/rotation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;

void ExpectMatrixNear(const Matrix3& got, const Matrix3& want, double tolerance = 1e-12) {
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "element " << i;
}

Vector3 Apply(const Matrix3& m, const Vector3& v) {
    Vector3 r;
    for (int row = 0; row < 3; ++row)
        r[row] = m[3 * row] * v[0] + m[3 * row + 1] * v[1] + m[3 * row + 2] * v[2];
    return r;
}

double Determinant(const Matrix3& m) {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
}

// A rotation with no zero element, for the tests that must tell left from right.
Matrix3 General() {
    Matrix3 m = IDENTITY3X3;
    RotationAboutZ(0.3, m);
    RotationAboutX(-1.1, m);
    RotationAboutY(0.7, m);
    return m;
}
}  // namespace

TEST(Rotation, ProductsAreRightAndMayOverwriteAnOperand) {
    const Matrix3 a = {{1, 2, 3, 4, 5, 6, 7, 8, 9}};
    const Matrix3 b = {{9, 8, 7, 6, 5, 4, 3, 2, 1}};
    const Matrix3 ab = {{30, 24, 18, 84, 69, 54, 138, 114, 90}};
    const Matrix3 abt = {{46, 28, 10, 118, 73, 28, 190, 118, 46}};  // A · Bᵀ

    Matrix3 r;
    MultiplyMatrix3(r, a, b);
    ExpectMatrixNear(r, ab, 0);
    Matrix3 left = a;
    MultiplyMatrix3(left, left, b);
    ExpectMatrixNear(left, ab, 0);
    Matrix3 right = b;
    MultiplyMatrix3(right, a, right);
    ExpectMatrixNear(right, ab, 0);

    MultiplyMatrix3Transposed(r, a, b);
    ExpectMatrixNear(r, abt, 0);
    left = a;
    MultiplyMatrix3Transposed(left, left, b);
    ExpectMatrixNear(left, abt, 0);
    right = b;
    MultiplyMatrix3Transposed(right, a, right);
    ExpectMatrixNear(right, abt, 0);

    Matrix3 square = a;
    MultiplyMatrix3(square, square, square);
    ExpectMatrixNear(square, Matrix3{{30, 36, 42, 66, 81, 96, 102, 126, 150}}, 0);
}

TEST(Rotation, AxisRotationsTurnRightHanded) {
    Matrix3 rz = IDENTITY3X3;
    RotationAboutZ(kPi / 2, rz);
    ExpectMatrixNear(rz, Matrix3{{0, -1, 0, 1, 0, 0, 0, 0, 1}});

    // A quarter turn about each axis carries the next axis into the one after it.
    struct Case {
        void (*rotate)(double, Matrix3&);
        Vector3 from, to;
    };
    const Case cases[] = {
        {RotationAboutX, {{0, 1, 0}}, {{0, 0, 1}}},
        {RotationAboutY, {{0, 0, 1}}, {{1, 0, 0}}},
        {RotationAboutZ, {{1, 0, 0}}, {{0, 1, 0}}},
        {PreRotationAboutX, {{0, 1, 0}}, {{0, 0, 1}}},
        {PreRotationAboutY, {{0, 0, 1}}, {{1, 0, 0}}},
    };
    for (const Case& c : cases) {
        Matrix3 m = IDENTITY3X3;
        c.rotate(kPi / 2, m);
        const Vector3 got = Apply(m, c.from);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], c.to[i], 1e-15);
    }
}

TEST(Rotation, PreAndPostRotationDifferOnlyOnAGeneralMatrix) {
    Matrix3 post = IDENTITY3X3, pre = IDENTITY3X3;
    RotationAboutX(0.4, post);
    PreRotationAboutX(0.4, pre);
    ExpectMatrixNear(pre, post, 0);

    // On a general matrix: post is M · R, pre is R · M.
    struct Case {
        void (*post)(double, Matrix3&);
        void (*pre)(double, Matrix3&);
    };
    for (const Case& c :
         {Case{RotationAboutX, PreRotationAboutX}, Case{RotationAboutY, PreRotationAboutY}}) {
        Matrix3 r = IDENTITY3X3;
        c.post(0.4, r);
        const Matrix3 m = General();
        Matrix3 mr, rm;
        MultiplyMatrix3(mr, m, r);
        MultiplyMatrix3(rm, r, m);
        Matrix3 gotPost = m, gotPre = m;
        c.post(0.4, gotPost);
        c.pre(0.4, gotPre);
        ExpectMatrixNear(gotPost, mr);
        ExpectMatrixNear(gotPre, rm);
        EXPECT_GT(std::fabs(gotPost[1] - gotPre[1]) + std::fabs(gotPost[5] - gotPre[5]), 1e-3);
    }
}

TEST(Rotation, AxisAngleMatrix) {
    for (double angle : {0.0, 0.25, -1.3, kPi, 2.9}) {
        Matrix3 rz = IDENTITY3X3;
        RotationAboutZ(angle, rz);
        Matrix3 m;
        AxisAngleMatrix(m, Vector3{{0, 0, 1}}, angle);
        ExpectMatrixNear(m, rz);
    }

    // A third of a turn about the space diagonal carries X to Y, Y to Z and Z to X.
    const double s = 1.0 / std::sqrt(3.0);
    Matrix3 m;
    AxisAngleMatrix(m, Vector3{{s, s, s}}, 2 * kPi / 3);
    ExpectMatrixNear(m, Matrix3{{0, 0, 1, 1, 0, 0, 0, 1, 0}});

    // Any unit axis gives a proper rotation that keeps the axis fixed.
    const double n = std::sqrt(0.04 + 0.49 + 0.25);
    const Vector3 axis = {{0.2 / n, -0.7 / n, 0.5 / n}};
    AxisAngleMatrix(m, axis, 1.234);
    Matrix3 mmt;
    MultiplyMatrix3Transposed(mmt, m, m);
    ExpectMatrixNear(mmt, IDENTITY3X3);
    EXPECT_NEAR(Determinant(m), 1.0, 1e-12);
    const Vector3 fixed = Apply(m, axis);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(fixed[i], axis[i], 1e-15);
}

TEST(Rotation, RotationTimesItsTransposeIsIdentity) {
    const Matrix3 m = General();
    Matrix3 mmt;
    MultiplyMatrix3Transposed(mmt, m, m);
    ExpectMatrixNear(mmt, IDENTITY3X3);

    Matrix3 t = m;
    Transpose3x3(t);
    Matrix3 mtm;
    MultiplyMatrix3(mtm, t, m);
    ExpectMatrixNear(mtm, IDENTITY3X3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(t[3 * r + c], m[3 * c + r]);

    Matrix3 x = m;
    EXPECT_EQ(&SetIdentity3x3(x), &x);
    ExpectMatrixNear(x, IDENTITY3X3, 0);
    EXPECT_EQ(&Transpose3x3(x), &x);
}

TEST(Rotation, DegreesAndDirections) {
    EXPECT_DOUBLE_EQ(DegToRad(180.0), kPi);
    EXPECT_DOUBLE_EQ(DegToRad(-90.0), -kPi / 2);

    struct Case {
        double a, b;
        Vector3 want;
    };
    const Case cases[] = {
        {0, 0, {{1, 0, 0}}},
        {kPi / 2, 0.7, {{0, 1, 0}}},  // straight up whatever the bearing
        {0, kPi / 2, {{0, 0, 1}}},
        {kPi / 6, kPi / 4, {{0.75 / std::sqrt(1.5), 0.5, 0.75 / std::sqrt(1.5)}}},
    };
    for (const Case& c : cases) {
        Vector3 v;
        DirectionFromAngles(v, c.a, c.b);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(v[i], c.want[i], 1e-15) << c.a << " " << c.b;
    }
}
