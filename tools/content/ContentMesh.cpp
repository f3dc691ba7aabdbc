// Mesh authoring helpers and the glTF writer of the content tool.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include <tiny_gltf.h>

#include "tools/content/Content.h"

namespace {

constexpr float kPi = 3.14159265358979f;

CVec3 Sub(const CVec3& a, const CVec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
CVec3 Add(const CVec3& a, const CVec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
CVec3 Mul(const CVec3& a, float s) { return {a[0] * s, a[1] * s, a[2] * s}; }
CVec3 Cross(const CVec3& a, const CVec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float Dot(const CVec3& a, const CVec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
CVec3 Normalize(const CVec3& a) {
    float len = std::sqrt(Dot(a, a));
    return len > 0.0f ? Mul(a, 1.0f / len) : CVec3{0, 1, 0};
}

uint32_t PushVertex(CPrimitive& p, const CVec3& pos, const CVec3& n, const CVec2& uv) {
    p.positions.push_back(pos);
    p.normals.push_back(n);
    p.uvs.push_back(uv);
    return static_cast<uint32_t>(p.positions.size() - 1);
}

}  // namespace

// ---------------------------------------------------------------- transforms

CXform XTranslate(const CVec3& t) {
    CXform x;
    x.translate = t;
    return x;
}

CXform XScale(const CVec3& s) {
    CXform x;
    x.linear = {s[0], 0, 0, 0, s[1], 0, 0, 0, s[2]};
    return x;
}

CXform XRotateX(float degrees) {
    float a = degrees * kPi / 180.0f, c = std::cos(a), s = std::sin(a);
    CXform x;
    x.linear = {1, 0, 0, 0, c, -s, 0, s, c};
    return x;
}

CXform XRotateY(float degrees) {
    float a = degrees * kPi / 180.0f, c = std::cos(a), s = std::sin(a);
    CXform x;
    x.linear = {c, 0, s, 0, 1, 0, -s, 0, c};
    return x;
}

CXform XRotateZ(float degrees) {
    float a = degrees * kPi / 180.0f, c = std::cos(a), s = std::sin(a);
    CXform x;
    x.linear = {c, -s, 0, s, c, 0, 0, 0, 1};
    return x;
}

CXform XThen(const CXform& a, const CXform& b) {
    CXform r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            float v = 0;
            for (int k = 0; k < 3; ++k) v += b.linear[i * 3 + k] * a.linear[k * 3 + j];
            r.linear[i * 3 + j] = v;
        }
    }
    r.translate = XPoint(b, a.translate);
    return r;
}

CXform XAlignY(const CVec3& direction) {
    CVec3 d = Normalize(direction);
    CVec3 y = {0, 1, 0};
    float c = Dot(y, d);
    CVec3 axis = Cross(y, d);
    float s = std::sqrt(Dot(axis, axis));
    CXform x;
    if (s < 1e-6f) {
        if (c < 0.0f) x.linear = {1, 0, 0, 0, -1, 0, 0, 0, -1};  // half turn about x
        return x;
    }
    axis = Mul(axis, 1.0f / s);
    float t = 1.0f - c, ax = axis[0], ay = axis[1], az = axis[2];
    // Rodrigues' rotation about `axis` by the angle between y and d
    x.linear = {t * ax * ax + c,      t * ax * ay - s * az, t * ax * az + s * ay,
                t * ax * ay + s * az, t * ay * ay + c,      t * ay * az - s * ax,
                t * ax * az - s * ay, t * ay * az + s * ax, t * az * az + c};
    return x;
}

CVec3 XPoint(const CXform& x, const CVec3& p) {
    const auto& m = x.linear;
    return {m[0] * p[0] + m[1] * p[1] + m[2] * p[2] + x.translate[0],
            m[3] * p[0] + m[4] * p[1] + m[5] * p[2] + x.translate[1],
            m[6] * p[0] + m[7] * p[1] + m[8] * p[2] + x.translate[2]};
}

void AppendTransformed(CPrimitive& dst, const CPrimitive& src, const CXform& x) {
    const auto& m = x.linear;
    // cofactor matrix = det * inverse transpose: right direction for normals
    std::array<float, 9> cof = {
        m[4] * m[8] - m[5] * m[7], m[5] * m[6] - m[3] * m[8], m[3] * m[7] - m[4] * m[6],
        m[2] * m[7] - m[1] * m[8], m[0] * m[8] - m[2] * m[6], m[1] * m[6] - m[0] * m[7],
        m[1] * m[5] - m[2] * m[4], m[2] * m[3] - m[0] * m[5], m[0] * m[4] - m[1] * m[3]};
    float det = m[0] * cof[0] + m[1] * cof[1] + m[2] * cof[2];
    float sign = det < 0.0f ? -1.0f : 1.0f;
    uint32_t base = static_cast<uint32_t>(dst.positions.size());
    for (size_t i = 0; i < src.positions.size(); ++i) {
        const CVec3& n = src.normals[i];
        CVec3 tn = {cof[0] * n[0] + cof[1] * n[1] + cof[2] * n[2],
                    cof[3] * n[0] + cof[4] * n[1] + cof[5] * n[2],
                    cof[6] * n[0] + cof[7] * n[1] + cof[8] * n[2]};
        PushVertex(dst, XPoint(x, src.positions[i]), Normalize(Mul(tn, sign)), src.uvs[i]);
    }
    for (size_t i = 0; i + 2 < src.indices.size(); i += 3) {
        uint32_t a = src.indices[i], b = src.indices[i + 1], c = src.indices[i + 2];
        if (det < 0.0f) std::swap(b, c);
        dst.indices.insert(dst.indices.end(), {base + a, base + b, base + c});
    }
}

// ---------------------------------------------------------------- primitives

void AddTriangle(CPrimitive& p, const CVec3& a, const CVec3& b, const CVec3& c,
                 const CVec2& ta, const CVec2& tb, const CVec2& tc) {
    CVec3 n = Normalize(Cross(Sub(b, a), Sub(c, a)));
    uint32_t i0 = PushVertex(p, a, n, ta);
    uint32_t i1 = PushVertex(p, b, n, tb);
    uint32_t i2 = PushVertex(p, c, n, tc);
    p.indices.insert(p.indices.end(), {i0, i1, i2});
}

void AddQuad(CPrimitive& p, const CVec3& centre, const CVec3& right, const CVec3& up,
             const CVec2& uvMin, const CVec2& uvMax) {
    CVec3 n = Normalize(Mul(Cross(right, up), -1.0f));
    CVec3 bl = Sub(Sub(centre, right), up), tl = Add(Sub(centre, right), up);
    CVec3 tr = Add(Add(centre, right), up), br = Sub(Add(centre, right), up);
    uint32_t i0 = PushVertex(p, bl, n, {uvMin[0], uvMax[1]});
    uint32_t i1 = PushVertex(p, tl, n, {uvMin[0], uvMin[1]});
    uint32_t i2 = PushVertex(p, tr, n, {uvMax[0], uvMin[1]});
    uint32_t i3 = PushVertex(p, br, n, {uvMax[0], uvMax[1]});
    p.indices.insert(p.indices.end(), {i0, i1, i2, i0, i2, i3});
}

namespace {

// One face of an axis-aligned box with UVs either 0..1 or world-tiled.
void AddBoxFace(CPrimitive& p, const CVec3& centre, const CVec3& right, const CVec3& up,
                CUvMode uv) {
    if (uv.tile <= 0.0f) {
        AddQuad(p, centre, right, up);
        return;
    }
    // world tiling: u follows the right axis, v runs down the up axis
    CVec3 rd = Normalize(right), ud = Normalize(up);
    CVec3 tl = Add(Sub(centre, right), up);
    float u0 = Dot(tl, rd) / uv.tile;
    float v0 = -Dot(tl, ud) / uv.tile;
    float du = 2.0f * std::sqrt(Dot(right, right)) / uv.tile;
    float dv = 2.0f * std::sqrt(Dot(up, up)) / uv.tile;
    AddQuad(p, centre, right, up, {u0, v0}, {u0 + du, v0 + dv});
}

}  // namespace

void AddBoxFaces(CPrimitive& p, const CVec3& mn, const CVec3& mx, unsigned skipMask,
                 CUvMode uv) {
    CVec3 c = Mul(Add(mn, mx), 0.5f);
    CVec3 h = Mul(Sub(mx, mn), 0.5f);
    // (centre, right, up) per face as seen from outside
    const CVec3 faces[6][3] = {
        {{c[0] - h[0], c[1], c[2]}, {0, 0, -h[2]}, {0, h[1], 0}},  // -x
        {{c[0] + h[0], c[1], c[2]}, {0, 0, h[2]}, {0, h[1], 0}},   // +x
        {{c[0], c[1] - h[1], c[2]}, {h[0], 0, 0}, {0, 0, -h[2]}},  // -y
        {{c[0], c[1] + h[1], c[2]}, {h[0], 0, 0}, {0, 0, h[2]}},   // +y
        {{c[0], c[1], c[2] - h[2]}, {h[0], 0, 0}, {0, h[1], 0}},   // -z
        {{c[0], c[1], c[2] + h[2]}, {-h[0], 0, 0}, {0, h[1], 0}},  // +z
    };
    for (int f = 0; f < 6; ++f) {
        if (skipMask & (1u << f)) continue;
        AddBoxFace(p, faces[f][0], faces[f][1], faces[f][2], uv);
    }
}

void AddBox(CPrimitive& p, const CVec3& mn, const CVec3& mx, CUvMode uv) {
    AddBoxFaces(p, mn, mx, 0u, uv);
}

void AddBoxC(CPrimitive& p, const CVec3& centre, const CVec3& size, CUvMode uv) {
    CVec3 h = Mul(size, 0.5f);
    AddBox(p, Sub(centre, h), Add(centre, h), uv);
}

void AddFrustum(CPrimitive& p, float cx, float cz, float y0, float y1, float r0, float r1,
                int segments, bool smooth, bool capBottom, bool capTop) {
    segments = std::max(segments, 3);
    float slope = (r0 - r1) / std::max(y1 - y0, 1e-6f);
    auto dirAt = [&](float t) {
        float a = t * 2.0f * kPi;
        return CVec3{std::sin(a), 0.0f, std::cos(a)};  // turns +z toward +x
    };
    for (int i = 0; i < segments; ++i) {
        float t0 = float(i) / segments, t1 = float(i + 1) / segments;
        CVec3 d0 = dirAt(t0), d1 = dirAt(t1);
        CVec3 b0 = {cx + d0[0] * r0, y0, cz + d0[2] * r0}, b1 = {cx + d1[0] * r0, y0, cz + d1[2] * r0};
        CVec3 u0 = {cx + d0[0] * r1, y1, cz + d0[2] * r1}, u1 = {cx + d1[0] * r1, y1, cz + d1[2] * r1};
        CVec3 n0, n1;
        if (smooth) {
            n0 = Normalize({d0[0], slope, d0[2]});
            n1 = Normalize({d1[0], slope, d1[2]});
        } else {
            CVec3 dm = dirAt((t0 + t1) * 0.5f);
            n0 = n1 = Normalize({dm[0], slope, dm[2]});
        }
        // seen from outside, angle grows to the left: b1 is left of b0
        uint32_t ib0 = PushVertex(p, b0, n0, {1.0f - t0, 1});
        uint32_t iu0 = PushVertex(p, u0, n0, {1.0f - t0, 0});
        uint32_t iu1 = PushVertex(p, u1, n1, {1.0f - t1, 0});
        uint32_t ib1 = PushVertex(p, b1, n1, {1.0f - t1, 1});
        // outward: cross(u1 - b0, u0 - b0) points out for this ordering
        if (r1 > 0.0f) p.indices.insert(p.indices.end(), {ib0, iu1, iu0});
        if (r0 > 0.0f) p.indices.insert(p.indices.end(), {ib0, ib1, iu1});
        if (capTop && r1 > 0.0f) {
            uint32_t c = PushVertex(p, {cx, y1, cz}, {0, 1, 0}, {0.5f, 0.5f});
            uint32_t a = PushVertex(p, u0, {0, 1, 0}, {0.5f + d0[0] * 0.5f, 0.5f - d0[2] * 0.5f});
            uint32_t b = PushVertex(p, u1, {0, 1, 0}, {0.5f + d1[0] * 0.5f, 0.5f - d1[2] * 0.5f});
            p.indices.insert(p.indices.end(), {c, a, b});
        }
        if (capBottom && r0 > 0.0f) {
            uint32_t c = PushVertex(p, {cx, y0, cz}, {0, -1, 0}, {0.5f, 0.5f});
            uint32_t a = PushVertex(p, b0, {0, -1, 0}, {0.5f + d0[0] * 0.5f, 0.5f + d0[2] * 0.5f});
            uint32_t b = PushVertex(p, b1, {0, -1, 0}, {0.5f + d1[0] * 0.5f, 0.5f + d1[2] * 0.5f});
            p.indices.insert(p.indices.end(), {c, b, a});
        }
    }
}

void AddCylinder(CPrimitive& p, float cx, float cz, float y0, float y1, float radius,
                 int segments, bool smooth, bool caps) {
    AddFrustum(p, cx, cz, y0, y1, radius, radius, segments, smooth, caps, caps);
}

void AddPrismZ(CPrimitive& p, const std::vector<CVec2>& outline, float z0, float z1) {
    size_t n = outline.size();
    if (n < 3) return;
    float minX = outline[0][0], maxX = minX, minY = outline[0][1], maxY = minY;
    for (const auto& v : outline) {
        minX = std::min(minX, v[0]);
        maxX = std::max(maxX, v[0]);
        minY = std::min(minY, v[1]);
        maxY = std::max(maxY, v[1]);
    }
    auto uvOf = [&](const CVec2& v) {
        return CVec2{(v[0] - minX) / std::max(maxX - minX, 1e-6f),
                     (maxY - v[1]) / std::max(maxY - minY, 1e-6f)};
    };
    // front cap (z0, facing -z) and back cap (z1, facing +z) as fans
    for (size_t i = 1; i + 1 < n; ++i) {
        const CVec2 &a = outline[0], &b = outline[i], &c = outline[i + 1];
        AddTriangle(p, {a[0], a[1], z0}, {c[0], c[1], z0}, {b[0], b[1], z0}, uvOf(a), uvOf(c),
                    uvOf(b));
        CVec2 ma = uvOf(a), mb = uvOf(b), mc = uvOf(c);
        ma[0] = 1 - ma[0];
        mb[0] = 1 - mb[0];
        mc[0] = 1 - mc[0];
        AddTriangle(p, {a[0], a[1], z1}, {b[0], b[1], z1}, {c[0], c[1], z1}, ma, mb, mc);
    }
    for (size_t i = 0; i < n; ++i) {
        const CVec2& a = outline[i];
        const CVec2& b = outline[(i + 1) % n];
        CVec3 e = {b[0] - a[0], b[1] - a[1], 0};
        CVec3 nrm = Normalize({e[1], -e[0], 0});
        uint32_t i0 = PushVertex(p, {a[0], a[1], z0}, nrm, {0, 0});
        uint32_t i1 = PushVertex(p, {b[0], b[1], z0}, nrm, {1, 0});
        uint32_t i2 = PushVertex(p, {b[0], b[1], z1}, nrm, {1, 1});
        uint32_t i3 = PushVertex(p, {a[0], a[1], z1}, nrm, {0, 1});
        p.indices.insert(p.indices.end(), {i0, i1, i2, i0, i2, i3});
    }
}

void AddSphere(CPrimitive& p, const CVec3& centre, float radius, int slices, int stacks) {
    slices = std::max(slices, 3);
    stacks = std::max(stacks, 2);
    uint32_t base = static_cast<uint32_t>(p.positions.size());
    for (int j = 0; j <= stacks; ++j) {
        float v = float(j) / stacks;
        float phi = v * kPi;  // 0 at the top
        for (int i = 0; i <= slices; ++i) {
            float u = float(i) / slices;
            float th = u * 2.0f * kPi;
            CVec3 d = {std::sin(phi) * std::sin(th), std::cos(phi), std::sin(phi) * std::cos(th)};
            PushVertex(p, Add(centre, Mul(d, radius)), d, {1.0f - u, v});
        }
    }
    uint32_t row = static_cast<uint32_t>(slices + 1);
    for (int j = 0; j < stacks; ++j) {
        for (int i = 0; i < slices; ++i) {
            uint32_t a = base + j * row + i, b = a + 1, c = a + row, d = c + 1;
            // a top right, b top left (the angle grows to the left seen from
            // outside), c and d below them
            if (j != 0) p.indices.insert(p.indices.end(), {b, a, c});
            if (j != stacks - 1) p.indices.insert(p.indices.end(), {b, c, d});
        }
    }
}

void AddIcosphere(CPrimitive& p, const CVec3& centre, float radius, int subdivisions, bool flat) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<CVec3> v = {{-1, t, 0}, {1, t, 0},  {-1, -t, 0}, {1, -t, 0},
                            {0, -1, t}, {0, 1, t},  {0, -1, -t}, {0, 1, -t},
                            {t, 0, -1}, {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (auto& x : v) x = Normalize(x);
    std::vector<std::array<uint32_t, 3>> f = {
        {0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
        {3, 8, 9},  {4, 9, 5},  {2, 4, 11},  {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int s = 0; s < subdivisions; ++s) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> mid;
        auto midpoint = [&](uint32_t a, uint32_t b) {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            v.push_back(Normalize(Mul(Add(v[a], v[b]), 0.5f)));
            uint32_t idx = static_cast<uint32_t>(v.size() - 1);
            mid[key] = idx;
            return idx;
        };
        std::vector<std::array<uint32_t, 3>> next;
        for (const auto& tri : f) {
            uint32_t a = midpoint(tri[0], tri[1]), b = midpoint(tri[1], tri[2]),
                     c = midpoint(tri[2], tri[0]);
            next.push_back({tri[0], a, c});
            next.push_back({tri[1], b, a});
            next.push_back({tri[2], c, b});
            next.push_back({a, b, c});
        }
        f = std::move(next);
    }
    auto uvOf = [](const CVec3& d) {
        return CVec2{0.5f + std::atan2(d[0], d[2]) / (2.0f * kPi), std::acos(std::clamp(d[1], -1.0f, 1.0f)) / kPi};
    };
    for (const auto& tri : f) {
        CVec3 a = v[tri[0]], b = v[tri[1]], c = v[tri[2]];
        // the table above is wound for a right-handed viewer: fix per face
        if (Dot(Cross(Sub(b, a), Sub(c, a)), Add(Add(a, b), c)) < 0.0f) std::swap(b, c);
        CVec3 pa = Add(centre, Mul(a, radius)), pb = Add(centre, Mul(b, radius)),
              pc = Add(centre, Mul(c, radius));
        if (flat) {
            AddTriangle(p, pa, pb, pc, uvOf(a), uvOf(b), uvOf(c));
        } else {
            uint32_t i0 = PushVertex(p, pa, a, uvOf(a));
            uint32_t i1 = PushVertex(p, pb, b, uvOf(b));
            uint32_t i2 = PushVertex(p, pc, c, uvOf(c));
            p.indices.insert(p.indices.end(), {i0, i1, i2});
        }
    }
}

void AddTorus(CPrimitive& p, const CVec3& centre, float major, float minor, int majorSeg,
              int minorSeg) {
    majorSeg = std::max(majorSeg, 3);
    minorSeg = std::max(minorSeg, 3);
    uint32_t base = static_cast<uint32_t>(p.positions.size());
    for (int i = 0; i <= majorSeg; ++i) {
        float u = float(i) / majorSeg, a = u * 2.0f * kPi;
        CVec3 radial = {std::sin(a), 0, std::cos(a)};
        for (int j = 0; j <= minorSeg; ++j) {
            float v = float(j) / minorSeg, b = v * 2.0f * kPi;
            CVec3 n = Add(Mul(radial, std::cos(b)), CVec3{0, std::sin(b), 0});
            CVec3 pos = Add(centre, Add(Mul(radial, major), Mul(n, minor)));
            PushVertex(p, pos, n, {u, v});
        }
    }
    uint32_t row = static_cast<uint32_t>(minorSeg + 1);
    for (int i = 0; i < majorSeg; ++i) {
        for (int j = 0; j < minorSeg; ++j) {
            uint32_t a = base + i * row + j, b = a + 1, c = a + row, d = c + 1;
            CVec3 n = Cross(Sub(p.positions[c], p.positions[a]), Sub(p.positions[d], p.positions[a]));
            if (Dot(n, p.normals[a]) + Dot(n, p.normals[d]) >= 0.0f) {
                p.indices.insert(p.indices.end(), {a, c, d, a, d, b});
            } else {
                p.indices.insert(p.indices.end(), {a, d, c, a, b, d});
            }
        }
    }
}

void AddRingZ(CPrimitive& p, const CVec3& centre, float rInner, float rOuter, int segments) {
    segments = std::max(segments, 3);
    CVec3 n = {0, 0, -1};
    for (int i = 0; i < segments; ++i) {
        float a0 = 2.0f * kPi * i / segments, a1 = 2.0f * kPi * (i + 1) / segments;
        auto at = [&](float a, float r) {
            return CVec3{centre[0] + std::cos(a) * r, centre[1] + std::sin(a) * r, centre[2]};
        };
        auto uvAt = [&](float a, float r) {
            return CVec2{0.5f + 0.5f * std::cos(a) * r / rOuter, 0.5f - 0.5f * std::sin(a) * r / rOuter};
        };
        uint32_t i0 = PushVertex(p, at(a0, rInner), n, uvAt(a0, rInner));
        uint32_t i1 = PushVertex(p, at(a0, rOuter), n, uvAt(a0, rOuter));
        uint32_t i2 = PushVertex(p, at(a1, rOuter), n, uvAt(a1, rOuter));
        uint32_t i3 = PushVertex(p, at(a1, rInner), n, uvAt(a1, rInner));
        // counter-clockwise as seen from -z: reverse to face -z
        p.indices.insert(p.indices.end(), {i0, i2, i1});
        if (rInner > 0.0f) p.indices.insert(p.indices.end(), {i0, i3, i2});
    }
}

void AddLathe(CPrimitive& p, const std::vector<CVec2>& profile, float cx, float cz, int segments,
              bool smoothAround) {
    segments = std::max(segments, 3);
    // v runs along the profile by arc length
    std::vector<float> arc(profile.size(), 0.0f);
    for (size_t i = 1; i < profile.size(); ++i)
        arc[i] = arc[i - 1] + std::hypot(profile[i][0] - profile[i - 1][0], profile[i][1] - profile[i - 1][1]);
    float total = std::max(arc.empty() ? 0.0f : arc.back(), 1e-6f);
    auto dirAt = [&](float t) {
        float a = t * 2.0f * kPi;
        return CVec3{std::sin(a), 0.0f, std::cos(a)};
    };
    for (size_t k = 0; k + 1 < profile.size(); ++k) {
        const CVec2 &q0 = profile[k], &q1 = profile[k + 1];
        float dr = q1[0] - q0[0], dy = q1[1] - q0[1];
        if (dr == 0.0f && dy == 0.0f) continue;
        float len = std::hypot(dr, dy);
        float nr = dy / len, ny = -dr / len;  // right of the walking direction
        for (int i = 0; i < segments; ++i) {
            float t0 = float(i) / segments, t1 = float(i + 1) / segments;
            CVec3 d0 = dirAt(t0), d1 = dirAt(t1);
            CVec3 dm = dirAt((t0 + t1) * 0.5f);
            CVec3 n0 = smoothAround ? CVec3{d0[0] * nr, ny, d0[2] * nr} : CVec3{dm[0] * nr, ny, dm[2] * nr};
            CVec3 n1 = smoothAround ? CVec3{d1[0] * nr, ny, d1[2] * nr} : n0;
            n0 = Normalize(n0);
            n1 = Normalize(n1);
            auto at = [&](const CVec2& q, const CVec3& d) { return CVec3{cx + d[0] * q[0], q[1], cz + d[2] * q[0]}; };
            CVec3 a = at(q0, d0), b = at(q0, d1), c = at(q1, d1), d = at(q1, d0);
            float v0 = arc[k] / total, v1 = arc[k + 1] / total;
            uint32_t ia = PushVertex(p, a, n0, {1.0f - t0, 1.0f - v0});
            uint32_t ib = PushVertex(p, b, n1, {1.0f - t1, 1.0f - v0});
            uint32_t ic = PushVertex(p, c, n1, {1.0f - t1, 1.0f - v1});
            uint32_t id = PushVertex(p, d, n0, {1.0f - t0, 1.0f - v1});
            CVec3 want = Normalize(Add(n0, n1));
            auto tri = [&](uint32_t x, uint32_t y, uint32_t z) {
                CVec3 cr = Cross(Sub(p.positions[y], p.positions[x]), Sub(p.positions[z], p.positions[x]));
                if (Dot(cr, cr) < 1e-14f) return;  // on the axis
                if (Dot(cr, want) < 0.0f) std::swap(y, z);
                p.indices.insert(p.indices.end(), {x, y, z});
            };
            tri(ia, ib, ic);
            tri(ia, ic, id);
        }
    }
}

void AddTubeBetween(CPrimitive& p, const CVec3& a, const CVec3& b, float radius, int segments,
                    bool caps) {
    CVec3 d = Sub(b, a);
    float len = std::sqrt(Dot(d, d));
    if (len <= 0.0f) return;
    CPrimitive tube;
    AddCylinder(tube, 0, 0, 0, len, radius, segments, true, caps);
    AppendTransformed(p, tube, XThen(XAlignY(d), XTranslate(a)));
}

void AddFrameZ(CPrimitive& p, float cx, float cy, float hx, float hy, float border, float z0,
               float z1, CUvMode uv) {
    // top and bottom bars span the full width, the sides fill between them
    AddBox(p, {cx - hx, cy + hy - border, z0}, {cx + hx, cy + hy, z1}, uv);
    AddBox(p, {cx - hx, cy - hy, z0}, {cx + hx, cy - hy + border, z1}, uv);
    AddBox(p, {cx - hx, cy - hy + border, z0}, {cx - hx + border, cy + hy - border, z1}, uv);
    AddBox(p, {cx + hx - border, cy - hy + border, z0}, {cx + hx, cy + hy - border, z1}, uv);
}

std::array<CVec3, 2> PrimitiveBounds(const CPrimitive& p) {
    if (p.positions.empty()) return {CVec3{0, 0, 0}, CVec3{0, 0, 0}};
    CVec3 mn = p.positions[0], mx = mn;
    for (const auto& v : p.positions) {
        for (int k = 0; k < 3; ++k) {
            mn[k] = std::min(mn[k], v[k]);
            mx[k] = std::max(mx[k], v[k]);
        }
    }
    return {mn, mx};
}

// ---------------------------------------------------------------- glTF writer

namespace {

// The shortest decimal that reads back as the same float, as a double, so
// the JSON shows 0.1 rather than 0.10000000149011612.
double Tidy(float f) {
    if (f == 0.0f) return 0.0;  // also folds -0
    char buf[32];
    for (int prec = 6; prec <= 9; ++prec) {
        std::snprintf(buf, sizeof buf, "%.*g", prec, static_cast<double>(f));
        if (std::strtof(buf, nullptr) == f) break;
    }
    return std::strtod(buf, nullptr);
}

std::vector<double> TidyList(std::initializer_list<float> values) {
    std::vector<double> out;
    for (float v : values) out.push_back(Tidy(v));
    return out;
}

// The primitive with exactly equal vertices (position, normal, uv) merged,
// in order of first use: smooth surfaces then share their vertices.
CPrimitive Welded(const CPrimitive& in) {
    CPrimitive out;
    out.material = in.material;
    std::map<std::array<uint32_t, 8>, uint32_t> seen;
    std::vector<uint32_t> remap(in.positions.size());
    for (size_t i = 0; i < in.positions.size(); ++i) {
        std::array<float, 8> v = {in.positions[i][0], in.positions[i][1], in.positions[i][2], in.normals[i][0],
                                  in.normals[i][1],   in.normals[i][2],   in.uvs[i][0],       in.uvs[i][1]};
        std::array<uint32_t, 8> key;
        for (int k = 0; k < 8; ++k) {
            float f = v[k] == 0.0f ? 0.0f : v[k];  // -0 and +0 are one value
            std::memcpy(&key[k], &f, sizeof f);
        }
        auto it = seen.find(key);
        if (it == seen.end()) {
            it = seen.emplace(key, static_cast<uint32_t>(out.positions.size())).first;
            out.positions.push_back(in.positions[i]);
            out.normals.push_back(in.normals[i]);
            out.uvs.push_back(in.uvs[i]);
        }
        remap[i] = it->second;
    }
    for (uint32_t i : in.indices) out.indices.push_back(remap[i]);
    return out;
}

class GltfBuilder {
public:
    explicit GltfBuilder(tinygltf::Model& m) : m_(m) { m_.buffers.emplace_back(); }

    int AddImageTexture(const std::string& uri) {
        auto it = textures_.find(uri);
        if (it != textures_.end()) return it->second;
        if (m_.samplers.empty()) {
            tinygltf::Sampler s;
            s.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
            s.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
            s.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
            s.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
            m_.samplers.push_back(s);
        }
        tinygltf::Image img;
        img.uri = uri;
        m_.images.push_back(img);
        tinygltf::Texture tex;
        tex.sampler = 0;
        tex.source = static_cast<int>(m_.images.size() - 1);
        m_.textures.push_back(tex);
        int index = static_cast<int>(m_.textures.size() - 1);
        textures_[uri] = index;
        return index;
    }

    void AddMaterial(const CMaterial& c) {
        tinygltf::Material mat;
        mat.name = c.name;
        auto& pbr = mat.pbrMetallicRoughness;
        pbr.baseColorFactor = TidyList({c.baseColor[0], c.baseColor[1], c.baseColor[2], c.baseColor[3]});
        pbr.metallicFactor = Tidy(c.metallic);
        pbr.roughnessFactor = Tidy(c.roughness);
        if (!c.baseColorTexture.empty()) pbr.baseColorTexture.index = AddImageTexture(c.baseColorTexture);
        mat.emissiveFactor = TidyList({c.emissive[0], c.emissive[1], c.emissive[2]});
        if (!c.emissiveTexture.empty()) mat.emissiveTexture.index = AddImageTexture(c.emissiveTexture);
        mat.alphaMode = c.blend ? "BLEND" : "OPAQUE";
        mat.doubleSided = false;
        m_.materials.push_back(mat);
    }

    // Appends raw bytes as one buffer view; returns its index.
    int AddView(const void* data, size_t bytes, int target) {
        auto& buf = m_.buffers[0].data;
        while (buf.size() % 4) buf.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = buf.size();
        view.byteLength = bytes;
        view.target = target;
        const auto* b = static_cast<const unsigned char*>(data);
        buf.insert(buf.end(), b, b + bytes);
        m_.bufferViews.push_back(view);
        return static_cast<int>(m_.bufferViews.size() - 1);
    }

    int AddAccessor(int view, int componentType, int type, size_t count) {
        tinygltf::Accessor acc;
        acc.bufferView = view;
        acc.byteOffset = 0;
        acc.componentType = componentType;
        acc.type = type;
        acc.count = count;
        m_.accessors.push_back(acc);
        return static_cast<int>(m_.accessors.size() - 1);
    }

    tinygltf::Primitive AddPrimitive(const CPrimitive& input) {
        CPrimitive p = Welded(input);
        size_t n = p.positions.size();
        std::vector<float> pos, nrm, uv;
        pos.reserve(n * 3);
        nrm.reserve(n * 3);
        uv.reserve(n * 2);
        std::array<float, 3> mn{0, 0, 0}, mx{0, 0, 0};
        for (size_t i = 0; i < n; ++i) {
            // game (left-handed) to glTF (right-handed): negate z
            std::array<float, 3> v = {p.positions[i][0], p.positions[i][1], -p.positions[i][2]};
            for (int k = 0; k < 3; ++k) {
                mn[k] = i == 0 ? v[k] : std::min(mn[k], v[k]);
                mx[k] = i == 0 ? v[k] : std::max(mx[k], v[k]);
            }
            pos.insert(pos.end(), v.begin(), v.end());
            nrm.insert(nrm.end(), {p.normals[i][0], p.normals[i][1], -p.normals[i][2]});
            uv.insert(uv.end(), {p.uvs[i][0], p.uvs[i][1]});
        }
        std::vector<uint32_t> idx;
        idx.reserve(p.indices.size());
        for (size_t i = 0; i + 2 < p.indices.size(); i += 3) {
            idx.insert(idx.end(), {p.indices[i], p.indices[i + 2], p.indices[i + 1]});
        }
        tinygltf::Primitive prim;
        prim.mode = TINYGLTF_MODE_TRIANGLES;
        prim.material = p.material;
        int posAcc = AddAccessor(AddView(pos.data(), pos.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
                                 TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, n);
        m_.accessors[posAcc].minValues = TidyList({mn[0], mn[1], mn[2]});
        m_.accessors[posAcc].maxValues = TidyList({mx[0], mx[1], mx[2]});
        prim.attributes["POSITION"] = posAcc;
        prim.attributes["NORMAL"] =
            AddAccessor(AddView(nrm.data(), nrm.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
                        TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, n);
        prim.attributes["TEXCOORD_0"] =
            AddAccessor(AddView(uv.data(), uv.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
                        TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, n);
        prim.indices =
            AddAccessor(AddView(idx.data(), idx.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
                        TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, idx.size());
        return prim;
    }

    void AddNode(const CNode& c) {
        tinygltf::Node node;
        node.name = c.name;
        if (c.translation != std::array<float, 3>{0, 0, 0}) {
            node.translation = TidyList({c.translation[0], c.translation[1], -c.translation[2]});
        }
        if (!c.primitives.empty()) {
            tinygltf::Mesh mesh;
            mesh.name = c.name;
            for (const auto& p : c.primitives) mesh.primitives.push_back(AddPrimitive(p));
            m_.meshes.push_back(mesh);
            node.mesh = static_cast<int>(m_.meshes.size() - 1);
        }
        m_.nodes.push_back(node);
    }

private:
    tinygltf::Model& m_;
    std::map<std::string, int> textures_;
};

bool CheckModel(const std::string& path, const CModel& model) {
    int materials = static_cast<int>(model.materials.size());
    for (const auto& n : model.nodes) {
        for (const auto& p : n.primitives) {
            size_t v = p.positions.size();
            bool ok = p.normals.size() == v && p.uvs.size() == v && p.indices.size() % 3 == 0 &&
                      !p.indices.empty() && p.material >= 0 && p.material < materials;
            for (uint32_t i : p.indices) ok = ok && i < v;
            if (!ok) {
                std::fprintf(stderr, "gv_content: %s: node '%s' has a malformed primitive\n",
                             path.c_str(), n.name.c_str());
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool WriteGltf(const std::string& path, const CModel& model) {
    if (!CheckModel(path, model)) return false;
    tinygltf::Model m;
    m.asset.version = "2.0";
    m.asset.generator = "gv_content";
    GltfBuilder builder(m);
    for (const auto& mat : model.materials) builder.AddMaterial(mat);
    tinygltf::Scene scene;
    for (const auto& node : model.nodes) {
        builder.AddNode(node);
        scene.nodes.push_back(static_cast<int>(m.nodes.size() - 1));
    }
    m.scenes.push_back(scene);
    m.defaultScene = 0;

    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);  // images stay URIs of PNGs next to the file
    if (!writer.WriteGltfSceneToFile(&m, path, false, true, true, false)) {
        std::fprintf(stderr, "gv_content: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
