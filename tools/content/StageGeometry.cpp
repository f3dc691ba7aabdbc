// Builds a stage mesh from its description: wall blocks with their openings
// cut out, floors, pit rims, hook posts, platforms and the ceiling. Every
// surface faces the space the player is in (walls into the rooms, floors up,
// the ceiling down, pit rims into the pit); texture coordinates follow world
// units so that all surfaces of one material share one texel density.
#include <algorithm>
#include <cmath>

#include "tools/content/StageBuild.h"

namespace stagebuild {

namespace {

using stagedesc::Area;
using stagedesc::Opening;
using stagedesc::OpeningKind;
using stagedesc::Rect;

constexpr float kWallTileU = 12.0f;  // one wall texture repeat per 12 units along a wall
constexpr float kFloorTile = 8.0f;   // floor texture: 2 x 2 stone tiles of 4 units
constexpr float kCeilingTile = 8.0f;
constexpr float kPitTile = 8.0f;
constexpr float kTrimTile = 2.0f;
constexpr float kPostTileU = 4.0f;
constexpr float kLedgeTile = 6.0f;
constexpr float kRimBand = 0.6f;  // metal band at the top of a pit rim
constexpr float kLipWidth = 0.8f;  // metal lip on the floor along a pit edge
constexpr float kLipHeight = 0.05f;

bool BoxesOverlap(const Box3& a, const Box3& b) {
    for (int k = 0; k < 3; ++k) {
        if (a.max[k] <= b.min[k] + 1e-4f || b.max[k] <= a.min[k] + 1e-4f) return false;
    }
    return true;
}

// a minus b as up to six boxes: slabs split off along x, then z, then y.
std::vector<Box3> Subtract(const Box3& a, const Box3& b) {
    if (!BoxesOverlap(a, b)) return {a};
    std::vector<Box3> out;
    Box3 rest = a;
    for (int axis : {0, 2, 1}) {
        if (rest.min[axis] < b.min[axis]) {
            Box3 part = rest;
            part.max[axis] = b.min[axis];
            out.push_back(part);
            rest.min[axis] = b.min[axis];
        }
        if (rest.max[axis] > b.max[axis]) {
            Box3 part = rest;
            part.min[axis] = b.max[axis];
            out.push_back(part);
            rest.max[axis] = b.max[axis];
        }
    }
    return out;  // what is left of `rest` lies inside b and is dropped
}

Box3 AreaBox(const Rect& r, float y0, float y1) {
    Box3 b;
    b.min[0] = r.x0;
    b.min[1] = y0;
    b.min[2] = r.z0;
    b.max[0] = r.x1;
    b.max[1] = y1;
    b.max[2] = r.z1;
    return b;
}

// How a face's corners map to texture coordinates.
struct UvMap {
    float tileU = 1.0f;
    // vertical faces: v = (vTop - y) / tileV; horizontal faces: by z
    float tileV = 1.0f;
    float vTop = 0.0f;
};

float Dot3(const CVec3& a, const CVec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A quad seen from its front: `right` and `up` are half extents. The texture's
// u follows `right` in world units; v follows world y on vertical faces and
// world z on horizontal ones, so neighbouring faces line up.
void EmitFace(CPrimitive& p, const CVec3& c, const CVec3& right, const CVec3& up, const UvMap& m) {
    float rl = std::sqrt(Dot3(right, right));
    CVec3 rd = {right[0] / rl, right[1] / rl, right[2] / rl};
    CVec3 tl = {c[0] - right[0] + up[0], c[1] - right[1] + up[1], c[2] - right[2] + up[2]};
    CVec3 br = {c[0] + right[0] - up[0], c[1] + right[1] - up[1], c[2] + right[2] - up[2]};
    float u0 = Dot3(tl, rd) / m.tileU;
    float u1 = u0 + 2.0f * rl / m.tileU;
    float v0, v1;
    if (std::fabs(up[1]) > 1e-6f) {  // vertical face
        v0 = (m.vTop - tl[1]) / m.tileV;
        v1 = (m.vTop - br[1]) / m.tileV;
    } else {  // horizontal face: v runs with the image's "down" axis
        float sign = up[2] > 0 ? -1.0f : 1.0f;
        v0 = sign * tl[2] / m.tileV;
        v1 = sign * br[2] / m.tileV;
    }
    AddQuad(p, c, right, up, {u0, v0}, {u1, v1});
}

// Face f of box b (0..5 = -x, +x, -y, +y, -z, +z), as seen from outside.
void EmitBoxFace(CPrimitive& p, const Box3& b, int f, const UvMap& m) {
    CVec3 c = {(b.min[0] + b.max[0]) / 2, (b.min[1] + b.max[1]) / 2, (b.min[2] + b.max[2]) / 2};
    CVec3 h = {(b.max[0] - b.min[0]) / 2, (b.max[1] - b.min[1]) / 2, (b.max[2] - b.min[2]) / 2};
    switch (f) {
        case 0: EmitFace(p, {c[0] - h[0], c[1], c[2]}, {0, 0, -h[2]}, {0, h[1], 0}, m); break;
        case 1: EmitFace(p, {c[0] + h[0], c[1], c[2]}, {0, 0, h[2]}, {0, h[1], 0}, m); break;
        case 2: EmitFace(p, {c[0], c[1] - h[1], c[2]}, {h[0], 0, 0}, {0, 0, -h[2]}, m); break;
        case 3: EmitFace(p, {c[0], c[1] + h[1], c[2]}, {h[0], 0, 0}, {0, 0, h[2]}, m); break;
        case 4: EmitFace(p, {c[0], c[1], c[2] - h[2]}, {h[0], 0, 0}, {0, h[1], 0}, m); break;
        default: EmitFace(p, {c[0], c[1], c[2] + h[2]}, {-h[0], 0, 0}, {0, h[1], 0}, m); break;
    }
}

bool Degenerate(const Box3& b) {
    for (int k = 0; k < 3; ++k) {
        if (b.max[k] - b.min[k] < 1e-4f) return true;
    }
    return false;
}

class MeshBuilder {
public:
    MeshBuilder(const Description& d, const std::vector<Solid>& solids)
        : d_(d), solids_(solids), ceiling_(d.ceiling) {
        for (int i = 0; i < kMaterialCount; ++i) prims_[i].material = i;
    }

    // A solid block: its side faces in its own material, tops and undersides
    // of wall pieces (sills, lintels) in trim. Only the parts of a face that
    // look into open space are kept: faces against other blocks, the floor,
    // the ceiling or the outside of the stage are never seen.
    void AddSolid(const Solid& s) {
        if (Degenerate(s.box)) return;
        for (int f = 0; f < 6; ++f) {
            bool horizontal = f == 2 || f == 3;
            Material mat = s.material;
            UvMap m;
            if (mat == kWall || mat == kPost) {
                float tileU = mat == kWall ? kWallTileU : kPostTileU;
                m = horizontal ? UvMap{kTrimTile, kTrimTile, 0} : UvMap{tileU, ceiling_, ceiling_};
                if (horizontal) mat = kTrim;
            } else if (mat == kTrim) {
                m = UvMap{kTrimTile, kTrimTile, 0};
            } else {
                m = UvMap{kLedgeTile, kLedgeTile, s.box.max[1]};
            }
            for (const Box3& part : VisibleParts(s.box, f)) EmitBoxFace(prims_[mat], part, f, m);
        }
    }

    // Floor at y = 0, left out where a platform or post stands on it.
    void AddFloor(const Rect& r, Material mat) {
        float tile = mat == kTrim ? kTrimTile : kFloorTile;
        Box3 slab = AreaBox(r, -1.0f, 0.0f);
        for (const Box3& part : VisibleParts(slab, 3)) EmitBoxFace(prims_[mat], part, 3, UvMap{tile, tile, 0});
    }

    void AddCeiling(const Rect& r) {
        CVec3 c = {(r.x0 + r.x1) / 2, ceiling_, (r.z0 + r.z1) / 2};
        EmitFace(prims_[kCeiling], c, {r.Width() / 2, 0, 0}, {0, 0, -r.Depth() / 2},
                 UvMap{kCeilingTile, kCeilingTile, 0});
    }

    // The four rim walls of a pit, facing into it: a metal band at the top,
    // dark stone below, down to the pit's depth.
    void AddPitRims(const Area& pit) {
        const Rect& r = pit.rect;
        float depth = pit.value;
        struct Band {
            float y0, y1;
            Material mat;
        };
        for (const Band& band : {Band{-kRimBand, 0.0f, kTrim}, Band{-depth, -kRimBand, kPit}}) {
            Material mat = band.mat;
            float cy = (band.y0 + band.y1) / 2, hy = (band.y1 - band.y0) / 2;
            UvMap m = mat == kTrim ? UvMap{kTrimTile, kTrimTile, 0} : UvMap{kPitTile, kPitTile, 0};
            float cx = (r.x0 + r.x1) / 2, cz = (r.z0 + r.z1) / 2;
            float hx = r.Width() / 2, hz = r.Depth() / 2;
            EmitFace(prims_[mat], {cx, cy, r.z0}, {-hx, 0, 0}, {0, hy, 0}, m);  // faces +z
            EmitFace(prims_[mat], {cx, cy, r.z1}, {hx, 0, 0}, {0, hy, 0}, m);   // faces -z
            EmitFace(prims_[mat], {r.x0, cy, cz}, {0, 0, hz}, {0, hy, 0}, m);   // faces +x
            EmitFace(prims_[mat], {r.x1, cy, cz}, {0, 0, -hz}, {0, hy, 0}, m);  // faces -x
        }
    }

    CModel Finish(int stage) {
        CModel model;
        model.materials = Materials();
        CNode node;
        node.name = "Stage_" + std::to_string(stage);
        for (auto& p : prims_) {
            if (!p.indices.empty()) node.primitives.push_back(std::move(p));
        }
        model.nodes.push_back(std::move(node));
        return model;
    }

private:
    static std::vector<CMaterial> Materials() {
        const auto& tex = StageTextureNames();
        std::vector<CMaterial> m(kMaterialCount);
        m[kFloor] = {"StageFloor", {1, 1, 1, 1}, 0.0f, 0.75f, {0, 0, 0}, tex[kFloor], "", false};
        m[kWall] = {"StageWall", {1, 1, 1, 1}, 0.0f, 0.85f, {0, 0, 0}, tex[kWall], "", false};
        m[kCeiling] = {"StageCeiling", {1, 1, 1, 1}, 0.0f, 0.9f, {0, 0, 0}, tex[kCeiling], "", false};
        m[kPit] = {"StagePit", {1, 1, 1, 1}, 0.0f, 0.95f, {0, 0, 0}, tex[kPit], "", false};
        m[kTrim] = {"StageTrim", {1, 1, 1, 1}, 0.8f, 0.35f, {0, 0, 0}, tex[kTrim], "", false};
        m[kPost] = {"StageHookPost", {1, 1, 1, 1}, 0.6f, 0.4f, {0, 0, 0}, tex[kPost], "", false};
        m[kLedge] = {"StageLedge", {1, 1, 1, 1}, 0.0f, 0.6f, {0, 0, 0}, tex[kLedge], "", false};
        return m;
    }

    // The face f of `box` cut into rectangles at every coordinate where what
    // lies in front of it may change; the cells in front of open space,
    // merged back into as few rectangles as possible.
    std::vector<Box3> VisibleParts(const Box3& box, int f) const {
        int axis = f / 2;
        float sign = (f % 2) ? 1.0f : -1.0f;
        int ua = axis == 0 ? 2 : 0, va = axis == 1 ? 2 : 1;
        std::vector<float> us = Breaks(box, ua), vs = Breaks(box, va);
        size_t nu = us.size() - 1, nv = vs.size() - 1;
        std::vector<char> open(nu * nv, 0);
        for (size_t j = 0; j < nv; ++j) {
            for (size_t i = 0; i < nu; ++i) {
                float p[3];
                p[axis] = (sign > 0 ? box.max[axis] : box.min[axis]) + sign * 0.02f;
                p[ua] = (us[i] + us[i + 1]) / 2;
                p[va] = (vs[j] + vs[j + 1]) / 2;
                open[j * nu + i] = IsAir(d_, solids_, p[0], p[1], p[2]);
            }
        }
        // strips along u per row, then equal strips of neighbouring rows joined
        struct Strip {
            size_t i0, i1, j0, j1;
        };
        std::vector<Strip> done, active;
        for (size_t j = 0; j < nv; ++j) {
            std::vector<Strip> row;
            for (size_t i = 0; i < nu; ++i) {
                if (!open[j * nu + i]) continue;
                if (!row.empty() && row.back().i1 == i) {
                    row.back().i1 = i + 1;
                } else {
                    row.push_back({i, i + 1, j, j + 1});
                }
            }
            std::vector<Strip> next;
            for (Strip s : row) {
                auto it = std::find_if(active.begin(), active.end(),
                                       [&](const Strip& a) { return a.i0 == s.i0 && a.i1 == s.i1; });
                if (it != active.end()) {
                    s.j0 = it->j0;
                    active.erase(it);
                }
                next.push_back(s);
            }
            done.insert(done.end(), active.begin(), active.end());
            active = next;
        }
        done.insert(done.end(), active.begin(), active.end());
        std::vector<Box3> out;
        for (const Strip& s : done) {
            Box3 part = box;
            part.min[ua] = us[s.i0];
            part.max[ua] = us[s.i1];
            part.min[va] = vs[s.j0];
            part.max[va] = vs[s.j1];
            out.push_back(part);
        }
        return out;
    }

    // Coordinates along `axis` inside the box's extent where a block, an
    // area or a level begins or ends.
    std::vector<float> Breaks(const Box3& box, int axis) const {
        std::vector<float> v = {box.min[axis], box.max[axis]};
        auto add = [&](float x) {
            if (x > box.min[axis] + 1e-4f && x < box.max[axis] - 1e-4f) v.push_back(x);
        };
        for (const Solid& s : solids_) {
            add(s.box.min[axis]);
            add(s.box.max[axis]);
        }
        if (axis == 1) {
            add(0.0f);
            add(ceiling_);
        } else {
            for (const auto* list : {&d_.floors, &d_.pits, &d_.walls, &d_.posts, &d_.platforms}) {
                for (const Area& a : *list) {
                    add(axis == 0 ? a.rect.x0 : a.rect.z0);
                    add(axis == 0 ? a.rect.x1 : a.rect.z1);
                }
            }
        }
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end(), [](float a, float b) { return b - a < 1e-4f; }), v.end());
        return v;
    }

    const Description& d_;
    const std::vector<Solid>& solids_;
    float ceiling_;
    CPrimitive prims_[kMaterialCount];
};

Rect OpeningFootprint(const Opening& o, const Rect& wall) {
    Box3 b = stagedesc::OpeningBox(o, wall);
    return Rect{b.min[0], b.min[2], b.max[0], b.max[2]};
}

}  // namespace

std::vector<Solid> BuildSolids(const Description& d) {
    std::vector<Solid> out;
    for (const Area& wall : d.walls) {
        std::vector<Box3> pieces = {AreaBox(wall.rect, 0.0f, d.ceiling)};
        for (const Opening& o : d.openings) {
            if (o.wall != wall.name) continue;
            Box3 hole = stagedesc::OpeningBox(o, wall.rect);
            std::vector<Box3> next;
            for (const Box3& p : pieces) {
                for (const Box3& q : Subtract(p, hole)) next.push_back(q);
            }
            pieces.swap(next);
        }
        for (const Box3& p : pieces) out.push_back({p, kWall});
    }
    for (const Area& post : d.posts) out.push_back({AreaBox(post.rect, 0.0f, d.ceiling), kPost});
    for (const Area& pf : d.platforms) out.push_back({AreaBox(pf.rect, 0.0f, pf.value), kLedge});
    // a thin metal lip on the floor along every pit edge that borders floor
    for (const Area& pit : d.pits) {
        const Rect& r = pit.rect;
        const Rect bands[4] = {
            {r.x0 - kLipWidth, r.z0 - kLipWidth, r.x1 + kLipWidth, r.z0},
            {r.x0 - kLipWidth, r.z1, r.x1 + kLipWidth, r.z1 + kLipWidth},
            {r.x0 - kLipWidth, r.z0, r.x0, r.z1},
            {r.x1, r.z0, r.x1 + kLipWidth, r.z1},
        };
        for (const Rect& band : bands) {
            for (const Area& f : d.floors) {
                Rect c{std::max(band.x0, f.rect.x0), std::max(band.z0, f.rect.z0), std::min(band.x1, f.rect.x1),
                       std::min(band.z1, f.rect.z1)};
                if (c.x1 - c.x0 > 1e-3f && c.z1 - c.z0 > 1e-3f) out.push_back({AreaBox(c, 0.0f, kLipHeight), kTrim});
            }
        }
    }
    return out;
}

bool IsAir(const Description& d, const std::vector<Solid>& solids, float x, float y, float z) {
    if (y >= d.ceiling) return false;
    for (const Solid& s : solids) {
        if (x > s.box.min[0] && x < s.box.max[0] && y > s.box.min[1] && y < s.box.max[1] && z > s.box.min[2] &&
            z < s.box.max[2]) {
            return false;
        }
    }
    for (const Area& pit : d.pits) {
        if (pit.rect.Contains(x, z, -1e-4f)) return y > -pit.value;
    }
    if (y < 0.0f) return false;
    for (const auto* list : {&d.floors, &d.walls, &d.posts, &d.platforms}) {
        for (const Area& a : *list) {
            if (a.rect.Contains(x, z)) return true;  // not inside a block: a room or an opening
        }
    }
    return false;
}

CModel BuildStageModel(const Description& d) {
    std::vector<Solid> solids = BuildSolids(d);
    MeshBuilder mb(d, solids);
    for (const Solid& s : solids) mb.AddSolid(s);
    for (const Area& f : d.floors) {
        mb.AddFloor(f.rect, kFloor);
        mb.AddCeiling(f.rect);
    }
    for (const Area& pit : d.pits) {
        mb.AddPitRims(pit);
        mb.AddCeiling(pit.rect);
    }
    for (const Opening& o : d.openings) {
        if (o.kind == OpeningKind::Window) continue;
        const Area* wall = d.FindWall(o.wall);
        mb.AddFloor(OpeningFootprint(o, wall->rect), kTrim);  // threshold
    }
    return mb.Finish(d.stage);
}

std::vector<Triangle> CollectTriangles(const CModel& model) {
    std::vector<Triangle> out;
    for (const CNode& n : model.nodes) {
        for (const CPrimitive& p : n.primitives) {
            for (size_t i = 0; i + 2 < p.indices.size(); i += 3) {
                CVec3 a = p.positions[p.indices[i]], b = p.positions[p.indices[i + 1]],
                      c = p.positions[p.indices[i + 2]];
                for (int k = 0; k < 3; ++k) {
                    a[k] += n.translation[k];
                    b[k] += n.translation[k];
                    c[k] += n.translation[k];
                }
                out.push_back({a, b, c});
            }
        }
    }
    return out;
}

bool FloorHeightAt(const Description& d, float x, float z, float& y) {
    bool found = false;
    for (const Area& pf : d.platforms) {
        if (pf.rect.Contains(x, z) && (!found || pf.value > y)) {
            y = pf.value;
            found = true;
        }
    }
    if (found) return true;
    for (const Area& solid : d.posts) {
        if (solid.rect.Contains(x, z)) return false;
    }
    for (const Area& wall : d.walls) {
        if (!wall.rect.Contains(x, z)) continue;
        for (const Opening& o : d.openings) {
            if (o.wall == wall.name && o.kind != OpeningKind::Window &&
                OpeningFootprint(o, wall.rect).Contains(x, z)) {
                y = 0.0f;
                return true;
            }
        }
        return false;
    }
    for (const Area& pit : d.pits) {
        if (pit.rect.Contains(x, z, -1e-4f)) return false;
    }
    for (const Area& f : d.floors) {
        if (f.rect.Contains(x, z)) {
            y = 0.0f;
            return true;
        }
    }
    return false;
}

}  // namespace stagebuild
