#include "model/rotation.h"

#include <cmath>
#include <utility>

const Matrix3 IDENTITY3X3 = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};

void MultiplyMatrix3(Matrix3& r, const Matrix3& a, const Matrix3& b) {
    Matrix3 t;  // r may alias a or b
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            t[3 * row + col] =
                a[3 * row] * b[col] + a[3 * row + 1] * b[3 + col] + a[3 * row + 2] * b[6 + col];
    r = t;
}

void MultiplyMatrix3Transposed(Matrix3& r, const Matrix3& a, const Matrix3& b) {
    Matrix3 t;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            t[3 * row + col] = a[3 * row] * b[3 * col] + a[3 * row + 1] * b[3 * col + 1] +
                               a[3 * row + 2] * b[3 * col + 2];
    r = t;
}

namespace {
Matrix3 AxisRotation(int axis, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    Matrix3 r = IDENTITY3X3;
    switch (axis) {
        case 0:
            r[4] = c;
            r[5] = -s;
            r[7] = s;
            r[8] = c;
            break;
        case 1:
            r[0] = c;
            r[2] = s;
            r[6] = -s;
            r[8] = c;
            break;
        default:
            r[0] = c;
            r[1] = -s;
            r[3] = s;
            r[4] = c;
            break;
    }
    return r;
}
}  // namespace

void RotationAboutX(double angle, Matrix3& m) { MultiplyMatrix3(m, m, AxisRotation(0, angle)); }
void RotationAboutY(double angle, Matrix3& m) { MultiplyMatrix3(m, m, AxisRotation(1, angle)); }
void RotationAboutZ(double angle, Matrix3& m) { MultiplyMatrix3(m, m, AxisRotation(2, angle)); }
void PreRotationAboutX(double angle, Matrix3& m) { MultiplyMatrix3(m, AxisRotation(0, angle), m); }
void PreRotationAboutY(double angle, Matrix3& m) { MultiplyMatrix3(m, AxisRotation(1, angle), m); }

void AxisAngleMatrix(Matrix3& m, const Vector3& axis, double angle) {
    const double x = axis[0], y = axis[1], z = axis[2];
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double k = 1.0 - c;
    m[0] = c + k * x * x;
    m[1] = k * x * y - s * z;
    m[2] = k * x * z + s * y;
    m[3] = k * x * y + s * z;
    m[4] = c + k * y * y;
    m[5] = k * y * z - s * x;
    m[6] = k * x * z - s * y;
    m[7] = k * y * z + s * x;
    m[8] = c + k * z * z;
}

Matrix3& SetIdentity3x3(Matrix3& m) {
    m = IDENTITY3X3;
    return m;
}

Matrix3& Transpose3x3(Matrix3& m) {
    std::swap(m[1], m[3]);
    std::swap(m[2], m[6]);
    std::swap(m[5], m[7]);
    return m;
}

double DegToRad(double degrees) { return degrees * 0.017453292519943295; }

void DirectionFromAngles(Vector3& v, double a, double b) {
    v[0] = std::cos(a) * std::cos(b);
    v[1] = std::sin(a);
    v[2] = std::cos(a) * std::sin(b);
}
