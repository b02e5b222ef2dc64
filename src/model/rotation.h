#pragma once
// 3 x 3 rotation matrices for point rotation, the bird's-eye camera and rotation about an
// arbitrary axis. Stateless; nothing is allocated.

// Row-major: element (row r, column c) at index 3r + c. Vectors are column vectors (M · v).
struct Matrix3 {
    double m[9];
    double& operator[](int i) { return m[i]; }
    double operator[](int i) const { return m[i]; }
};

// X, Y, Z at index 0, 1, 2.
struct Vector3 {
    double v[3];
    double& operator[](int i) { return v[i]; }
    double operator[](int i) const { return v[i]; }
};

extern const Matrix3 IDENTITY3X3;

// R = A · B. R may be A or B.
void MultiplyMatrix3(Matrix3& r, const Matrix3& a, const Matrix3& b);
// R = A · Bᵀ. R may be A or B.
void MultiplyMatrix3Transposed(Matrix3& r, const Matrix3& a, const Matrix3& b);

// M = M · R(angle), angles in radians.
void RotationAboutX(double angle, Matrix3& m);
void RotationAboutY(double angle, Matrix3& m);
void RotationAboutZ(double angle, Matrix3& m);
// M = R(angle) · M.
void PreRotationAboutX(double angle, Matrix3& m);
void PreRotationAboutY(double angle, Matrix3& m);

// Right-handed rotation by `angle` about `axis`, which must already be a unit vector.
void AxisAngleMatrix(Matrix3& m, const Vector3& axis, double angle);

Matrix3& SetIdentity3x3(Matrix3& m);
Matrix3& Transpose3x3(Matrix3& m);

double DegToRad(double degrees);

// a: elevation above the X-Z plane; b: direction within that plane from X towards Z.
// Y is the vertical component.
void DirectionFromAngles(Vector3& v, double a, double b);
