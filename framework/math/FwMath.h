// Single-precision vector and matrix types of the game.
//
// Conventions (the whole game relies on them):
//  - Matrices are row-major and used with row vectors: p' = p x M. The
//    translation is the fourth row (m[3][0..2]); transforms compose left to
//    right (local x parent).
//  - The world is left-handed with y up. Angles in game data are degrees and
//    are converted with kDegToRad.
//  - A yaw turns +X toward -Z: RotationY(a) has rows (cos a, 0, -sin a) and
//    (sin a, 0, cos a).
#pragma once

#include <cmath>
#include <cstring>


constexpr float kDegToRad = 0.017453292f;
constexpr float kFloatMax = 3.4028235e38f;  // marks a miss in ray distances

struct Vector2 {
    float x = 0, y = 0;
    constexpr Vector2() = default;
    constexpr Vector2(float x_, float y_) : x(x_), y(y_) {}
};

struct Vector3 {
    float x = 0, y = 0, z = 0;
    constexpr Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    constexpr Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vector3 operator-() const { return {-x, -y, -z}; }
    constexpr Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr Vector3 operator/(float s) const { return {x / s, y / s, z / s}; }
    Vector3& operator+=(const Vector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vector3& operator-=(const Vector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    constexpr bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct Vector4 {
    float x = 0, y = 0, z = 0, w = 0;
    constexpr Vector4() = default;
    constexpr Vector4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};

inline float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vector3& v) { return std::sqrt(Dot(v, v)); }
// Zero vectors stay zero instead of turning into NaN.
inline Vector3 Normalize(const Vector3& v) {
    float len = Length(v);
    return len > 0.0f ? v * (1.0f / len) : Vector3{};
}

struct Matrix {
    float m[4][4];

    constexpr Matrix() : m{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}} {}
    constexpr Matrix(float a00, float a01, float a02, float a03, float a10, float a11, float a12, float a13,
                     float a20, float a21, float a22, float a23, float a30, float a31, float a32, float a33)
        : m{{a00, a01, a02, a03}, {a10, a11, a12, a13}, {a20, a21, a22, a23}, {a30, a31, a32, a33}} {}

    static constexpr Matrix Identity() { return Matrix(); }

    Matrix operator*(const Matrix& b) const {
        Matrix r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                r.m[i][j] = m[i][0] * b.m[0][j] + m[i][1] * b.m[1][j] + m[i][2] * b.m[2][j] + m[i][3] * b.m[3][j];
        return r;
    }
    bool operator==(const Matrix& o) const { return std::memcmp(m, o.m, sizeof(m)) == 0; }

    Vector3 Translation() const { return {m[3][0], m[3][1], m[3][2]}; }
    void SetTranslation(const Vector3& t) { m[3][0] = t.x; m[3][1] = t.y; m[3][2] = t.z; }
};

inline Matrix MatrixTranslation(float x, float y, float z) {
    Matrix r;
    r.m[3][0] = x; r.m[3][1] = y; r.m[3][2] = z;
    return r;
}
inline Matrix MatrixTranslation(const Vector3& t) { return MatrixTranslation(t.x, t.y, t.z); }

inline Matrix MatrixScaling(float x, float y, float z) {
    Matrix r;
    r.m[0][0] = x; r.m[1][1] = y; r.m[2][2] = z;
    return r;
}

// Rotations by an angle in radians, row-vector form.
inline Matrix MatrixRotationX(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r;
    r.m[1][1] = c; r.m[1][2] = s;
    r.m[2][1] = -s; r.m[2][2] = c;
    return r;
}
inline Matrix MatrixRotationY(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r;
    r.m[0][0] = c; r.m[0][2] = -s;
    r.m[2][0] = s; r.m[2][2] = c;
    return r;
}
inline Matrix MatrixRotationZ(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r;
    r.m[0][0] = c; r.m[0][1] = s;
    r.m[1][0] = -s; r.m[1][1] = c;
    return r;
}
// Pitch (x), yaw (y), roll (z) in radians, applied roll, then pitch, then yaw.
inline Matrix MatrixRotationRollPitchYaw(float pitch, float yaw, float roll) {
    return MatrixRotationZ(roll) * MatrixRotationX(pitch) * MatrixRotationY(yaw);
}
// Rotation of a unit quaternion (x, y, z, w), row-vector form.
inline Matrix MatrixRotationQuaternion(float x, float y, float z, float w) {
    Matrix r;
    r.m[0][0] = 1 - 2 * (y * y + z * z); r.m[0][1] = 2 * (x * y + z * w);     r.m[0][2] = 2 * (x * z - y * w);
    r.m[1][0] = 2 * (x * y - z * w);     r.m[1][1] = 1 - 2 * (x * x + z * z); r.m[1][2] = 2 * (y * z + x * w);
    r.m[2][0] = 2 * (x * z + y * w);     r.m[2][1] = 2 * (y * z - x * w);     r.m[2][2] = 1 - 2 * (x * x + y * y);
    return r;
}

inline Matrix MatrixTranspose(const Matrix& a) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = a.m[j][i];
    return r;
}

// General 4x4 inverse (cofactor expansion). A singular matrix yields identity,
// so a broken transform never spreads NaN through the camera or ray code.
Matrix MatrixInverse(const Matrix& a);
// The same inverse; false (out untouched) for a singular or non-finite matrix,
// for callers that must skip such a transform rather than use identity.
bool MatrixTryInverse(const Matrix& a, Matrix& out);

// Left-handed look-at: z = normalize(focus - eye), x = normalize(cross(up, z)),
// y = cross(z, x), translation (-x.eye, -y.eye, -z.eye).
Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& focus, const Vector3& up);

// Left-handed perspective with depth mapped to [0, 1].
// x scale = y scale / aspect, y scale = cos(fov/2) / sin(fov/2),
// depth scale = far / (far - near), depth offset = -near * far / (far - near).
Matrix MatrixPerspectiveFovLH(float fovYRadians, float aspect, float nearZ, float farZ);

// Orthographic projection used by the sprite pass: 2/width, 2/height, depth 0..1.
Matrix MatrixOrthographicLH(float width, float height, float nearZ, float farZ);

// p x M with the w divide (points).
inline Vector3 TransformCoord(const Vector3& p, const Matrix& M) {
    float x = p.x * M.m[0][0] + p.y * M.m[1][0] + p.z * M.m[2][0] + M.m[3][0];
    float y = p.x * M.m[0][1] + p.y * M.m[1][1] + p.z * M.m[2][1] + M.m[3][1];
    float z = p.x * M.m[0][2] + p.y * M.m[1][2] + p.z * M.m[2][2] + M.m[3][2];
    float w = p.x * M.m[0][3] + p.y * M.m[1][3] + p.z * M.m[2][3] + M.m[3][3];
    if (w != 1.0f && w != 0.0f) { x /= w; y /= w; z /= w; }
    return {x, y, z};
}
// v x upper 3x3 of M (directions; no translation).
inline Vector3 TransformNormal(const Vector3& v, const Matrix& M) {
    return {v.x * M.m[0][0] + v.y * M.m[1][0] + v.z * M.m[2][0],
            v.x * M.m[0][1] + v.y * M.m[1][1] + v.z * M.m[2][1],
            v.x * M.m[0][2] + v.y * M.m[1][2] + v.z * M.m[2][2]};
}


// Rotation by angle (radians) about a unit axis, row-vector form; turns
// vectors the same way as MatrixRotationY for the axis (0, 1, 0).
inline Matrix MatrixRotationNormal(const Vector3& n, float angle) {
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    Matrix r;
    r.m[0][0] = t * n.x * n.x + c;       r.m[0][1] = t * n.x * n.y + s * n.z; r.m[0][2] = t * n.x * n.z - s * n.y;
    r.m[1][0] = t * n.x * n.y - s * n.z; r.m[1][1] = t * n.y * n.y + c;       r.m[1][2] = t * n.y * n.z + s * n.x;
    r.m[2][0] = t * n.x * n.z + s * n.y; r.m[2][1] = t * n.y * n.z - s * n.x; r.m[2][2] = t * n.z * n.z + c;
    return r;
}

// Matrix with its translation row cleared (keeps rotation and scale).
inline Matrix WithoutTranslation(Matrix m) {
    m.m[3][0] = m.m[3][1] = m.m[3][2] = 0.0f;
    return m;
}
