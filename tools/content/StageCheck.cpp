// The stage checker: verifies a stage description and its coordinate file
// against the numbers the game plays by (eye height, jump, wall push-out, hook
// reach, box and button sizes, door and window models) and replays the
// intended solution steps (reeling a box onto a button, the chain pull, the
// jewel shot) with the game's per-frame rules.
#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>

#include "tools/content/StageBuild.h"

namespace stagebuild {

namespace {

using stagedesc::Area;
using stagedesc::Opening;
using stagedesc::OpeningKind;
using stagedesc::Rect;
using stagedesc::Step;
using stagedesc::StepKind;

// The game's numbers.
constexpr float kEye = 3.0f;
constexpr float kWalk = 0.3f;
constexpr float kJumpSpeed = 1.5f;
constexpr float kPushRadius = 2.0f;
constexpr float kHookRange = 35.0f;
constexpr float kBoxHalf = 2.5f;
constexpr float kButtonRadius = 2.25f;
constexpr float kLaserActive = 75.0f;
constexpr float kJewelAbove = 6.0f;
constexpr float kMaxJumpable = 9.0f;  // platform tops a jump can reach (the feet peak at 9.42)
constexpr float kMiss = std::numeric_limits<float>::max();

constexpr float kPlayerHitRadius = content_sizes::kPlayerHitRadius;  // laser collision sphere about the eye
constexpr float kButtonClear = content_sizes::kButtonFrameRadius + 0.1f;  // floor around a button
constexpr float kShowcaseClear = content_sizes::kShowcaseHalfWidth * 1.4143f + 0.1f;

// Models the stage assumes when their files are not there yet (the sizes of
// content_sizes in Content.h).
constexpr CVec3 kDoorMin = {-content_sizes::kDoorPanelHalfWidth, 0.0f, -0.25f};
constexpr CVec3 kDoorMax = {content_sizes::kDoorPanelHalfWidth, content_sizes::kDoorPanelHeight, 0.25f};
constexpr CVec3 kWindowMin = {-content_sizes::kWindowHalfWidth, -content_sizes::kWindowHalfHeight,
                              -content_sizes::kWindowHalfDepth};
constexpr CVec3 kWindowMax = {content_sizes::kWindowHalfWidth, content_sizes::kWindowHalfHeight,
                              content_sizes::kWindowHalfDepth};

CVec3 Add(const CVec3& a, const CVec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
CVec3 Sub(const CVec3& a, const CVec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
CVec3 Mul(const CVec3& a, float s) { return {a[0] * s, a[1] * s, a[2] * s}; }
float Dot(const CVec3& a, const CVec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
CVec3 Cross(const CVec3& a, const CVec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float Len(const CVec3& a) { return std::sqrt(Dot(a, a)); }
CVec3 Norm(const CVec3& a) {
    float l = Len(a);
    return l > 0 ? Mul(a, 1.0f / l) : CVec3{0, 0, 0};
}
CVec3 ToC(const Vec3& v) { return {v.x, v.y, v.z}; }
float HorizDist(const CVec3& a, const CVec3& b) { return std::hypot(a[0] - b[0], a[2] - b[2]); }

// Both-sided ray/triangle test; distance along a unit direction.
bool RayTriangle(const CVec3& o, const CVec3& d, const Triangle& t, float& dist) {
    CVec3 e1 = Sub(t.b, t.a), e2 = Sub(t.c, t.a);
    CVec3 p = Cross(d, e2);
    float det = Dot(e1, p);
    if (std::fabs(det) < 1e-12f) return false;
    float inv = 1.0f / det;
    CVec3 s = Sub(o, t.a);
    float u = Dot(s, p) * inv;
    if (u < 0 || u > 1) return false;
    CVec3 q = Cross(s, e1);
    float v = Dot(d, q) * inv;
    if (v < 0 || u + v > 1) return false;
    dist = Dot(e2, q) * inv;
    return dist >= 0;
}

// Ray against an axis-aligned box from outside; the entry distance.
bool RayBox(const CVec3& o, const CVec3& d, const CVec3& mn, const CVec3& mx, float& dist) {
    float t0 = 0, t1 = kMiss;
    for (int k = 0; k < 3; ++k) {
        if (std::fabs(d[k]) < 1e-9f) {
            if (o[k] < mn[k] || o[k] > mx[k]) return false;
            continue;
        }
        float a = (mn[k] - o[k]) / d[k], b = (mx[k] - o[k]) / d[k];
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (t0 > t1) return false;
    }
    dist = t0;
    return true;
}

struct Box {
    CVec3 min, max;
};

// A model's local bounds turned by a yaw (degrees, the game's convention:
// local +x goes to (cos, 0, -sin)), scaled and moved; as world bounds.
Box PlacedBounds(const CVec3& lmin, const CVec3& lmax, const CVec3& scale, float yawDeg, const CVec3& pos) {
    float a = yawDeg * 0.017453292f, c = std::cos(a), s = std::sin(a);
    Box out{{kMiss, kMiss, kMiss}, {-kMiss, -kMiss, -kMiss}};
    for (int i = 0; i < 8; ++i) {
        CVec3 p = {(i & 1 ? lmax[0] : lmin[0]) * scale[0], (i & 2 ? lmax[1] : lmin[1]) * scale[1],
                   (i & 4 ? lmax[2] : lmin[2]) * scale[2]};
        CVec3 w = {p[0] * c + p[2] * s + pos[0], p[1] + pos[1], -p[0] * s + p[2] * c + pos[2]};
        for (int k = 0; k < 3; ++k) {
            out.min[k] = std::min(out.min[k], w[k]);
            out.max[k] = std::max(out.max[k], w[k]);
        }
    }
    return out;
}

// The first-person view the player holds while looking along `forward`.
struct View {
    CVec3 forward, right, up;
};

View ViewAlong(const CVec3& forwardIn) {
    CVec3 f = Norm(forwardIn);
    float yaw = std::atan2(f[0], f[2]);
    float pitch = -std::asin(std::clamp(f[1], -1.0f, 1.0f));
    float cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    View v;
    v.forward = {cp * sy, -sp, cp * cy};
    v.right = {cy, 0, -sy};
    v.up = {sp * sy, cp, sp * cy};
    return v;
}

// The hook gun hangs 1 right, 0.5 down and 1 ahead of the eye.
CVec3 GunAt(const CVec3& eye, const View& v) {
    return Add(Add(Add(eye, v.right), Mul(v.up, -0.5f)), v.forward);
}

class Checker {
public:
    Checker(const CheckInput& in, CheckReport& report)
        : d_(*in.desc), l_(*in.layout), tris_(*in.triangles), steps_(report.steps), beams_(report.beams),
          solids_(BuildSolids(d_)) {
        doorMin_ = in.door.present ? in.door.min : kDoorMin;
        doorMax_ = in.door.present ? in.door.max : kDoorMax;
        winMin_ = in.window.present ? in.window.min : kWindowMin;
        winMax_ = in.window.present ? in.window.max : kWindowMax;
        doorModel_ = in.door.present;
        windowModel_ = in.window.present;
    }

    bool Run() {
        CheckAreas();
        CheckSurfaces();
        CheckStart();
        CheckClosure();
        CheckBoxes();
        CheckButtonsAndShowcase();
        CheckDoors();
        CheckWindows();
        CheckLasers();
        CheckPits();
        CheckSteps();
        CheckChainNeeded();
        if (d_.stage == 1) CheckGuidePlaces();
        return errors_ == 0;
    }

private:
    void Error(const std::string& what) {
        std::fprintf(stderr, "gv_content: stage %d: %s\n", d_.stage, what.c_str());
        ++errors_;
    }
    void Note(const std::string& what) { std::printf("  stage %d: %s\n", d_.stage, what.c_str()); }

    static std::string P(float x, float z) {
        char b[64];
        std::snprintf(b, sizeof b, "(%.2f, %.2f)", x, z);
        return b;
    }
    static std::string P3(const CVec3& v) {
        char b[80];
        std::snprintf(b, sizeof b, "(%.2f, %.2f, %.2f)", v[0], v[1], v[2]);
        return b;
    }

    bool Floor(float x, float z, float& y) const { return FloorHeightAt(d_, x, z, y); }

    bool InSolid(float x, float y, float z) const {
        for (const Solid& s : solids_) {
            if (x > s.box.min[0] && x < s.box.max[0] && y > s.box.min[1] && y < s.box.max[1] &&
                z > s.box.min[2] && z < s.box.max[2]) {
                return true;
            }
        }
        return false;
    }

    // Horizontal distance from (x, z) to the nearest solid that stands at eye
    // height y.
    float ClearanceAt(float x, float y, float z) const {
        float best = kMiss;
        for (const Solid& s : solids_) {
            if (y < s.box.min[1] || y > s.box.max[1]) continue;
            float dx = std::max({s.box.min[0] - x, 0.0f, x - s.box.max[0]});
            float dz = std::max({s.box.min[2] - z, 0.0f, z - s.box.max[2]});
            best = std::min(best, std::hypot(dx, dz));
        }
        return best;
    }

    bool InsideStage(float x, float z) const {
        auto in = [&](const std::vector<Area>& list) {
            for (const Area& a : list) {
                if (a.rect.Contains(x, z)) return true;
            }
            return false;
        };
        return in(d_.floors) || in(d_.pits) || in(d_.platforms) || in(d_.walls) || in(d_.posts);
    }

    // Nearest stage surface along a unit ray, with the face's winding normal.
    float StageRay(const CVec3& o, const CVec3& dir, CVec3* normal = nullptr) const {
        float best = kMiss;
        for (const Triangle& t : tris_) {
            float dist;
            if (RayTriangle(o, dir, t, dist) && dist < best) {
                best = dist;
                if (normal) *normal = Norm(Cross(Sub(t.b, t.a), Sub(t.c, t.a)));
            }
        }
        return best;
    }

    // ---- the description itself ----
    void CheckAreas() {
        auto overlapList = [&](const std::vector<Area>& a, const std::vector<Area>& b, const char* what) {
            for (const Area& x : a) {
                for (const Area& y : b) {
                    if (&x != &y && stagedesc::Overlap(x.rect, y.rect)) {
                        Error(std::string(what) + ": '" + x.name + "' overlaps '" + y.name + "'");
                    }
                }
            }
        };
        std::vector<Area> ground = d_.floors;
        ground.insert(ground.end(), d_.pits.begin(), d_.pits.end());
        std::vector<Area> solid = d_.walls;
        solid.insert(solid.end(), d_.posts.begin(), d_.posts.end());
        solid.insert(solid.end(), d_.platforms.begin(), d_.platforms.end());
        overlapList(ground, ground, "floors and pits must not overlap");
        overlapList(ground, d_.walls, "floors and pits end at the walls");
        overlapList(solid, solid, "walls, posts and platforms must not overlap");
        std::vector<Area> standing = d_.platforms;
        standing.insert(standing.end(), d_.posts.begin(), d_.posts.end());
        for (const Area& pf : standing) {
            const Rect& r = pf.rect;
            for (float fx : {r.x0 + 0.01f, r.x1 - 0.01f}) {
                for (float fz : {r.z0 + 0.01f, r.z1 - 0.01f}) {
                    bool onFloor = false;
                    for (const Area& f : d_.floors) onFloor = onFloor || f.rect.Contains(fx, fz);
                    if (!onFloor) Error("'" + pf.name + "' must stand on floor");
                }
            }
        }
        for (const Opening& o : d_.openings) {
            const Area* wall = d_.FindWall(o.wall);
            if (o.top > d_.ceiling - 0.5f) Error("opening '" + o.name + "' must end below the ceiling");
            if (o.kind != OpeningKind::Door) continue;
            // the panel reaches into the wall and the frame over it on both sides
            bool alongX = stagedesc::RunsAlongX(wall->rect);
            float lo = alongX ? wall->rect.x0 : wall->rect.z0, hi = alongX ? wall->rect.x1 : wall->rect.z1;
            float reach = std::max({-doorMin_[0], doorMax_[0], stagedesc::kDoorFrameReach});
            if (o.centre - reach < lo - 0.01f || o.centre + reach > hi + 0.01f) {
                Error("door opening '" + o.name + "' needs wall beside it for the panel and the frame");
            }
            float thick = std::min(wall->rect.Width(), wall->rect.Depth());
            if (std::fabs(thick - stagedesc::kDoorWallThickness) > 0.01f) {
                Error("wall '" + wall->name + "' holds a door and must be " +
                      std::to_string(stagedesc::kDoorWallThickness) + " thick");
            }
        }
    }

    // Every triangle faces open space and has solid (or nothing) behind it:
    // walls are seen from inside the rooms, floors from above, the ceiling
    // from below, pit rims from the pit.
    void CheckSurfaces() {
        int wrong = 0;
        for (const Triangle& t : tris_) {
            CVec3 n = Norm(Cross(Sub(t.b, t.a), Sub(t.c, t.a)));
            CVec3 mid = Mul(Add(Add(t.a, t.b), t.c), 1.0f / 3.0f);
            CVec3 front = Add(mid, Mul(n, 0.02f)), back = Sub(mid, Mul(n, 0.02f));
            bool ok = IsAir(d_, solids_, front[0], front[1], front[2]) && !IsAir(d_, solids_, back[0], back[1], back[2]);
            if (!ok && ++wrong <= 5) Error("the triangle at " + P3(mid) + " faces away from the open space");
        }
        if (wrong > 5) Error(std::to_string(wrong) + " triangles face the wrong way");
    }

    void CheckStart() {
        float y;
        if (!Floor(0, 0, y) || std::fabs(y) > 1e-4f) Error("the player's start (0, 0, 0) must be on floor at y = 0");
        if (ClearanceAt(0, kEye, 0) < kPushRadius) Error("the start must be 2.0 or more from every wall");
    }

    // Nothing may leave the stage except by falling: the space around the
    // start, spreading through every gap at any height (openings, windows,
    // over platforms), stays within the stage's rooms.
    void CheckClosure() {
        Grid g = MakeGrid();
        std::vector<char> seen(size_t(g.w) * g.h, 0);
        std::deque<int> todo;
        int start = g.Index(0, 0);
        seen[size_t(start)] = 1;
        todo.push_back(start);
        while (!todo.empty()) {
            int c = todo.front();
            todo.pop_front();
            int cx = c % g.w, cz = c / g.w;
            float x = g.X(cx), z = g.Z(cz);
            if (!InsideStage(x, z) || cx == 0 || cz == 0 || cx == g.w - 1 || cz == g.h - 1) {
                Error("the stage is open at " + P(x, z));
                return;
            }
            for (auto [dx, dz] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
                int nx = cx + dx, nz = cz + dz;
                size_t n = size_t(nz) * g.w + nx;
                if (seen[n] || SolidColumn(g.X(nx), g.Z(nz))) continue;
                seen[n] = 1;
                todo.push_back(int(n));
            }
        }
    }

    // Whether blocks fill the whole height from the floor to the ceiling at
    // (x, z).
    bool SolidColumn(float x, float z) const {
        std::vector<std::pair<float, float>> spans;
        for (const Solid& s : solids_) {
            if (x > s.box.min[0] && x < s.box.max[0] && z > s.box.min[2] && z < s.box.max[2]) {
                spans.push_back({s.box.min[1], s.box.max[1]});
            }
        }
        std::sort(spans.begin(), spans.end());
        float covered = 0.0f;
        for (const auto& [lo, hi] : spans) {
            if (lo > covered + 1e-3f) return false;
            covered = std::max(covered, hi);
        }
        return covered >= d_.ceiling - 1e-3f;
    }

    // ---- objects of the coordinate file ----
    void CheckBoxes() {
        for (size_t i = 0; i < l_.boxes.size(); ++i) {
            const Vec3& b = l_.boxes[i];
            std::string name = "box " + std::to_string(i);
            float y;
            if (!Floor(b.x, b.z, y) || std::fabs(b.y - (y + kBoxHalf)) > 0.01f) {
                Error(name + " must rest on a floor (centre 2.5 above it)");
                continue;
            }
            for (float dx : {-kBoxHalf, 0.0f, kBoxHalf}) {
                for (float dz : {-kBoxHalf, 0.0f, kBoxHalf}) {
                    float yy;
                    if (!Floor(b.x + dx, b.z + dz, yy) || std::fabs(yy - y) > 1e-3f) {
                        Error(name + " must stand wholly on one floor, clear of walls and pits");
                    }
                }
            }
            for (size_t j = 0; j < i; ++j) {
                const Vec3& o = l_.boxes[j];
                if (std::fabs(o.x - b.x) < 5 && std::fabs(o.z - b.z) < 5 && std::fabs(o.y - b.y) < 5) {
                    Error(name + " overlaps box " + std::to_string(j));
                }
            }
        }
        if (l_.boxes.empty() && d_.stage == 1) Error("stage 1 needs box 0 for the operation guide");
    }

    void CheckOnFloor(const Vec3& p, float clearance, const std::string& name) {
        float y;
        if (!Floor(p.x, p.z, y) || std::fabs(p.y - y) > 0.01f) {
            Error(name + " at " + P(p.x, p.z) + " must stand on a floor");
            return;
        }
        for (int k = 0; k < 8; ++k) {
            float a = k * 0.785398f;
            float yy;
            if (!Floor(p.x + clearance * std::cos(a), p.z + clearance * std::sin(a), yy) || std::fabs(yy - y) > 1e-3f) {
                Error(name + " must have " + std::to_string(clearance) + " of floor around it");
                return;
            }
        }
    }

    void CheckButtonsAndShowcase() {
        auto doors = [&](const std::vector<DoorRec>& list, const char* kind) {
            for (size_t i = 0; i < list.size(); ++i) {
                CheckOnFloor(list[i].button, kButtonClear, std::string(kind) + " button " + std::to_string(i));
            }
        };
        doors(l_.pushing, "pushing");
        doors(l_.returning, "return");
        doors(l_.timed, "time");
        for (size_t i = 0; i < l_.lasers.size(); ++i) CheckOnFloor(l_.lasers[i].button, kButtonClear, "laser button " + std::to_string(i));
        CheckOnFloor(l_.showcase, kShowcaseClear, "the showcase");
        for (const DoorRec& t : l_.timed) {
            // the button takes ~15 frames to go down, the panel 15 to rise
            if (t.frames < 120 || t.frames > 3600) Error("a time door's open time must be 120 to 3600 frames");
        }
    }

    // A door stands in a door opening of the description, in the middle of
    // the wall, turned to face across it.
    void CheckDoors() {
        if (doorModel_) {
            // closed it covers the opening, raised by 7.5 it clears it, and it
            // hides inside the wall
            float half = stagedesc::kDoorWidth / 2, wall = stagedesc::kDoorWallThickness / 2;
            bool fills = doorMin_[0] <= -half + 0.01f && doorMax_[0] >= half - 0.01f && doorMin_[1] <= 0.5f &&
                         doorMax_[1] >= stagedesc::kDoorHeight - 0.01f;
            bool hides = doorMin_[2] >= -wall && doorMax_[2] <= wall && doorMin_[1] + 7.5f >= stagedesc::kDoorHeight - 0.01f;
            if (!fills || !hides) {
                Error("Door.gltf " + P3(doorMin_) + " - " + P3(doorMax_) + " must cover the " +
                      std::to_string(stagedesc::kDoorWidth) + " x " + std::to_string(stagedesc::kDoorHeight) +
                      " opening and fit in its wall");
            }
        }
        std::vector<int> used(d_.openings.size(), 0);
        // A door's base point lies on its wall's middle plane (a time door's
        // clock hand then floats 0.05 in front of the 0.8 wall).
        auto check = [&](const std::vector<DoorRec>& list, const char* kind) {
            for (size_t i = 0; i < list.size(); ++i) {
                std::string name = std::string(kind) + " door " + std::to_string(i);
                const Vec3& p = list[i].door;
                int match = -1;
                for (size_t k = 0; k < d_.openings.size(); ++k) {
                    const Opening& o = d_.openings[k];
                    if (o.kind != OpeningKind::Door) continue;
                    const Rect& w = d_.FindWall(o.wall)->rect;
                    bool alongX = stagedesc::RunsAlongX(w);
                    float along = alongX ? p.x : p.z, across = alongX ? p.z : p.x;
                    float expected = alongX ? (w.z0 + w.z1) / 2 : (w.x0 + w.x1) / 2;
                    if (std::fabs(along - o.centre) < 0.01f && std::fabs(across - expected) < 0.01f) match = int(k);
                }
                if (match < 0 || std::fabs(p.y) > 0.01f) {
                    Error(name + " at " + P(p.x, p.z) + " stands in no door opening");
                    continue;
                }
                ++used[match];
                const Rect& w = d_.FindWall(d_.openings[match].wall)->rect;
                float yaw = std::fmod(std::fabs(list[i].yaw), 180.0f);
                bool ok = stagedesc::RunsAlongX(w) ? yaw < 0.01f : std::fabs(yaw - 90.0f) < 0.01f;
                if (!ok) Error(name + " must be turned to lie along its wall (yaw 0/180 or 90/-90)");
            }
        };
        check(l_.pushing, "pushing");
        check(l_.returning, "return");
        check(l_.timed, "time");
        for (size_t k = 0; k < d_.openings.size(); ++k) {
            if (d_.openings[k].kind == OpeningKind::Door && used[k] != 1) {
                Error("door opening '" + d_.openings[k].name + "' needs exactly one door");
            }
        }
    }

    // Every window opening is filled by one window panel that stays inside
    // its wall; every window panel fills an opening.
    void CheckWindows() {
        std::vector<int> used(d_.openings.size(), 0);
        for (size_t i = 0; i < l_.windows.size(); ++i) {
            const WindowRec& w = l_.windows[i];
            Box b = PlacedBounds(winMin_, winMax_, ToC(w.scale), w.yaw, ToC(w.pos));
            int match = -1;
            for (size_t k = 0; k < d_.openings.size(); ++k) {
                const Opening& o = d_.openings[k];
                if (o.kind != OpeningKind::Window) continue;
                const Area* wall = d_.FindWall(o.wall);
                Box3 hole = stagedesc::OpeningBox(o, wall->rect);
                bool covers = true, inside = true;
                for (int a = 0; a < 3; ++a) {
                    bool thickness = stagedesc::RunsAlongX(wall->rect) ? a == 2 : a == 0;
                    if (thickness) {
                        inside = inside && b.min[a] >= hole.min[a] - 0.01f && b.max[a] <= hole.max[a] + 0.01f;
                    } else {
                        covers = covers && b.min[a] <= hole.min[a] + 0.01f && b.max[a] >= hole.max[a] - 0.01f;
                    }
                }
                float cx = (b.min[0] + b.max[0]) / 2, cz = (b.min[2] + b.max[2]) / 2;
                if (covers && inside && (std::fabs(cx - (hole.min[0] + hole.max[0]) / 2) < 1.0f) &&
                    std::fabs(cz - (hole.min[2] + hole.max[2]) / 2) < 1.0f) {
                    match = int(k);
                }
            }
            if (match < 0) {
                Error("window " + std::to_string(i) + " " + P3(b.min) + " - " + P3(b.max) +
                      " fills no window opening" + (windowModel_ ? " (with the bounds of Window.gltf)" : ""));
                continue;
            }
            ++used[match];
        }
        for (size_t k = 0; k < d_.openings.size(); ++k) {
            if (d_.openings[k].kind == OpeningKind::Window && used[k] != 1) {
                Error("window opening '" + d_.openings[k].name + "' needs exactly one window panel");
            }
        }
    }

    // Blockers the beams meet besides the stage: windows, closed door panels
    // and the boxes where they start.
    float ObjectRay(const CVec3& o, const CVec3& dir, std::string& what) const {
        float best = kMiss;
        auto test = [&](const Box& b, const std::string& name) {
            float t;
            if (RayBox(o, dir, b.min, b.max, t) && t < best) {
                best = t;
                what = name;
            }
        };
        for (size_t i = 0; i < l_.windows.size(); ++i) {
            const WindowRec& w = l_.windows[i];
            test(PlacedBounds(winMin_, winMax_, ToC(w.scale), w.yaw, ToC(w.pos)), "window " + std::to_string(i));
        }
        for (const auto* list : {&l_.pushing, &l_.returning, &l_.timed}) {
            for (const DoorRec& dr : *list) test(PlacedBounds(doorMin_, doorMax_, {1, 1, 1}, dr.yaw, ToC(dr.door)), "a door");
        }
        for (size_t i = 0; i < l_.boxes.size(); ++i) {
            CVec3 c = ToC(l_.boxes[i]);
            test(Box{Sub(c, {kBoxHalf, kBoxHalf, kBoxHalf}), Add(c, {kBoxHalf, kBoxHalf, kBoxHalf})}, "box " + std::to_string(i));
        }
        return best;
    }

    void CheckLasers() {
        for (size_t g = 0; g < l_.lasers.size(); ++g) {
            const LaserRec& lr = l_.lasers[g];
            if (lr.count <= 0) Error("laser group " + std::to_string(g) + " has no laser");
            float a = lr.yaw * 0.017453292f;
            CVec3 dir = {std::sin(a), 0, std::cos(a)};
            float shortest = kMiss, longest = 0;
            for (int i = 0; i < lr.count; ++i) {
                CVec3 pos = Add(ToC(lr.first), Mul(ToC(lr.step), float(i)));
                CVec3 start = Add(pos, dir);
                std::string name = "laser " + std::to_string(g) + "." + std::to_string(i);
                if (!InsideStage(pos[0], pos[2]) || InSolid(start[0], start[1], start[2]) || pos[1] <= 0 ||
                    pos[1] >= d_.ceiling) {
                    Error(name + " at " + P3(pos) + " must stand in the open, inside the stage");
                    continue;
                }
                float wall = StageRay(start, dir);
                if (wall > 1000.0f) {
                    Error(name + ": its beam's line must end on a wall");
                    continue;
                }
                std::string what = "the wall";
                float obj = ObjectRay(start, dir, what);
                float len = std::min(wall, obj);
                if (obj >= wall) what = "the wall";
                beams_.push_back({start, Add(start, Mul(dir, len))});
                // a player touching the beam anywhere is near enough to the
                // button for the group to be active
                for (const CVec3& end : {start, beams_.back()[1]}) {
                    if (Len(Sub(end, ToC(lr.button))) > kLaserActive - kPlayerHitRadius) {
                        Error(name + ": its beam reaches farther than " + std::to_string(kLaserActive) +
                              " from its button, where the group is off");
                    }
                }
                shortest = std::min(shortest, len);
                longest = std::max(longest, len);
                if (i == 0 || i == lr.count - 1) Note(name + " beam ends on " + what + " after " + std::to_string(len));
            }
            Note("laser group " + std::to_string(g) + ": beams " + std::to_string(shortest) + " to " +
                 std::to_string(longest) + " long");
        }
    }

    // A pit must be too wide to jump: the longest jump, counted generously
    // (gravity as over a floor, until the eye drops to the floor's level).
    static float JumpReach() {
        float rise = 0, js = kJumpSpeed, fall = 0;
        int frames = 0;
        do {
            ++frames;
            float a = js;
            rise += a;
            js = std::max(a - 0.1f, 0.0f);
            rise += fall;
            fall = std::max(fall - 0.03f, -1.0f);
        } while (rise > -kEye && frames < 1000);
        return frames * kWalk;
    }

    void CheckPits() {
        float reach = JumpReach();
        for (const Area& pit : d_.pits) {
            float span = std::min(pit.rect.Width(), pit.rect.Depth());
            if (span < reach + 3.0f) {
                Error("pit '" + pit.name + "' is " + std::to_string(span) + " wide; a jump covers " +
                      std::to_string(reach));
            }
        }
    }

    // ---- solution steps ----
    void CheckSteps() {
        for (const Step& s : d_.steps) {
            if (s.kind == StepKind::Reel) Reel(s);
            if (s.kind == StepKind::Pull) Pull(s);
            if (s.kind == StepKind::Jewel) JewelShot(s);
        }
    }

    bool StandEye(const Step& s, CVec3& eye) {
        float y;
        if (!Floor(s.standX, s.standZ, y)) {
            Error("line " + std::to_string(s.line) + ": " + P(s.standX, s.standZ) + " is not on floor");
            return false;
        }
        eye = {s.standX, y + kEye, s.standZ};
        if (ClearanceAt(eye[0], eye[1], eye[2]) < kPushRadius - 0.05f) {
            Error("line " + std::to_string(s.line) + ": the player cannot stand at " + P(s.standX, s.standZ) +
                  " (closer than 2.0 to a wall)");
            return false;
        }
        for (const auto& beam : beams_) {
            CVec3 ab = Sub(beam[1], beam[0]);
            float t = std::clamp(Dot(Sub(eye, beam[0]), ab) / std::max(Dot(ab, ab), 1e-6f), 0.0f, 1.0f);
            if (Len(Sub(eye, Add(beam[0], Mul(ab, t)))) < kPlayerHitRadius + 0.5f) {
                Error("line " + std::to_string(s.line) + ": " + P(s.standX, s.standZ) + " is within reach of a laser beam");
                return false;
            }
        }
        return true;
    }

    const Vec3* ButtonOf(const Step& s) {
        size_t i = static_cast<size_t>(s.button);
        if (s.buttonKind == "pushing" && i < l_.pushing.size()) return &l_.pushing[i].button;
        if (s.buttonKind == "return" && i < l_.returning.size()) return &l_.returning[i].button;
        if (s.buttonKind == "time" && i < l_.timed.size()) return &l_.timed[i].button;
        if (s.buttonKind == "laser" && i < l_.lasers.size()) return &l_.lasers[i].button;
        return nullptr;
    }

    // Flies the hook from the gun along the line to `aim` one unit per frame
    // until a surface is nearer than 3 (it then moves once more), against the
    // stage and, if given, one box. Returns false if it flies out of range.
    bool FlyHook(const CVec3& gun, const View& v, const CVec3& aim, const Box* box, CVec3& hook, bool& onBox,
                 int& frames) {
        hook = Add(gun, Mul(v.forward, 0.6f));
        CVec3 dir = Norm(Sub(aim, hook));
        for (int frame = 0; frame < 100; ++frame) {
            frames = frame + 1;
            float d = StageRay(hook, dir);
            float t;
            onBox = box && RayBox(hook, dir, box->min, box->max, t) && t < d;
            if (onBox) d = t;
            bool attach = d < 3.0f;
            hook = Add(hook, dir);
            if (attach) return Len(Sub(hook, gun)) <= kHookRange;
            if (Len(Sub(hook, gun)) > kHookRange) return false;
        }
        return false;
    }

    // The hook gun lets go when something lies between the gun and the hook.
    bool ChainClear(const CVec3& gun, const CVec3& hook) const {
        CVec3 d = Sub(hook, gun);
        return StageRay(gun, Norm(d)) >= Len(d);
    }

    // Stand, aim at the box centre, hook it and reel it in: the box must come
    // to rest on the named button.
    void Reel(const Step& s) {
        std::string where = "line " + std::to_string(s.line) + ": reel box " + std::to_string(s.box);
        const Vec3* button = ButtonOf(s);
        if (s.box < 0 || size_t(s.box) >= l_.boxes.size() || !button) {
            Error(where + " names a box or button that does not exist");
            return;
        }
        CVec3 eye;
        if (!StandEye(s, eye)) return;
        CVec3 box = ToC(l_.boxes[size_t(s.box)]);
        View v = ViewAlong(Sub(box, eye));
        CVec3 gun = GunAt(eye, v);
        Box bb{Sub(box, {kBoxHalf, kBoxHalf, kBoxHalf}), Add(box, {kBoxHalf, kBoxHalf, kBoxHalf})};
        float sight;
        if (!RayBox(eye, v.forward, bb.min, bb.max, sight) || StageRay(eye, v.forward) < sight) {
            Error(where + ": the box is not in sight from " + P(s.standX, s.standZ));
            return;
        }
        CVec3 hook;
        bool onBox = false;
        int flight = 0, reel = 0;
        if (!FlyHook(gun, v, Add(eye, Mul(v.forward, sight)), &bb, hook, onBox, flight) || !onBox) {
            Error(where + ": the hook does not reach the box (35 units from the gun)");
            return;
        }
        if (!ChainClear(gun, hook)) {
            Error(where + ": a wall comes between the gun and the hook");
            return;
        }
        // reel: hook and box move 1.5 per frame toward the gun until the hook
        // is within 2 of it
        for (int frame = 0; frame < 200 && Len(Sub(hook, gun)) >= 2.0f; ++frame) {
            reel = frame + 1;
            CVec3 vel = Mul(Norm(Sub(gun, hook)), 1.5f);
            hook = Add(hook, vel);
            box = Add(box, vel);
        }
        float floorY;
        CVec3 rest = box;
        if (!Floor(box[0], box[2], floorY)) {
            Error(where + ": the box ends over no floor at " + P(box[0], box[2]));
            return;
        }
        rest[1] = floorY + kBoxHalf;
        float off = HorizDist(rest, ToC(*button));
        // pressed when the centre is within 2.25 + 2.5 of the button; the
        // box may sit up to 0.5 higher on the button's top
        float limit = std::sqrt((kButtonRadius + kBoxHalf) * (kButtonRadius + kBoxHalf) - 9.0f);
        if (off > limit - 0.5f) {
            Error(where + " ends at " + P(rest[0], rest[2]) + ", " + std::to_string(off) + " from the " + s.buttonKind +
                  " button (needs < " + std::to_string(limit - 0.5f) + ")");
        }
        steps_.push_back({StepKind::Reel, eye, ToC(l_.boxes[size_t(s.box)]), rest,
                          "box " + std::to_string(s.box) + " onto " + s.buttonKind + " " + std::to_string(s.button)});
        Note(where + ": hook flies " + std::to_string(flight) + " frames, reels " + std::to_string(reel) +
             "; the box ends at " + P(rest[0], rest[2]) + ", " + std::to_string(off) + " from the button");
    }

    // Stand, hook the aim point, jump, click in the jump's third frame: the
    // chain drags the player 1.0 per frame until the gun is within 3 of the
    // hook; then he falls and must land on floor.
    void Pull(const Step& s) {
        std::string where = "line " + std::to_string(s.line) + ": pull '" + s.name + "'";
        CVec3 eye;
        if (!StandEye(s, eye)) return;
        CVec3 aim = {s.aimX, s.aimY, s.aimZ};
        View v = ViewAlong(Sub(aim, eye));
        float sight = StageRay(eye, v.forward);
        if (std::fabs(sight - Len(Sub(aim, eye))) > 0.1f) {
            Error(where + ": the aim point is not the first surface in sight");
            return;
        }
        CVec3 hook;
        bool onBox = false;
        int flight = 0, pulledFrames = 0, landFrame = 0;
        if (!FlyHook(GunAt(eye, v), v, aim, nullptr, hook, onBox, flight)) {
            Error(where + ": the aim point is out of the hook's reach");
            return;
        }
        if (Len(Sub(hook, aim)) > 3.0f) {
            Error(where + ": the hook strikes " + P3(hook) + " before it reaches the aim point");
            return;
        }
        if (!ChainClear(GunAt(eye, v), hook)) {
            Error(where + ": a wall comes between the gun and the hook");
            return;
        }
        CVec3 pos = eye;
        float js = kJumpSpeed, fall = 0;
        bool jumping = true, pulling = false, done = false;
        CVec3 pull = {0, 0, 0};
        const int clickFrame = 3;
        for (int frame = 1; frame < 400 && !done; ++frame) {
            // Player::Update: the pull of the previous frame's gun update
            bool pulled = Len(pull) > 0;
            pulledFrames += pulled ? 1 : 0;
            landFrame = frame;
            if (pulled) pos = Add(pos, pull);
            if (pulled) ApplyPush(pos, pull, where);
            if (jumping) {  // ApplyPushAndJump under the ceiling
                float up = StageRay(pos, {0, 1, 0});
                float ceil = up >= kMiss ? 0.0f : std::max(up - 1.0f, 0.0f);
                float a = std::min(js, ceil);
                pos[1] += a;
                js = std::max(a - 0.1f, 0.0f);
            }
            if (!pulled) {  // ApplyGravity
                float below = StageRay(pos, {0, -1, 0});
                if (below >= kMiss) {
                    pos[1] -= 1.0f;
                } else if (below > kEye + 0.5f) {
                    pos[1] += fall;
                    fall = std::max(fall - 0.03f, -1.0f);
                } else if (frame > 1) {
                    pos[1] += kEye - below;
                    done = true;  // landed
                }
            }
            if (pos[1] < -150.0f) break;
            // HookGun::Update
            CVec3 gun = GunAt(pos, v);
            if (frame == clickFrame) pulling = true;  // click in the air: state 3 from the next update
            else if (pulling) {
                pull = Mul(Norm(Sub(hook, gun)), 1.0f);
                if (Len(Sub(hook, gun)) < 3.0f) {
                    pull = {0, 0, 0};
                    pulling = false;
                }
            }
        }
        float y;
        if (!done || !Floor(pos[0], pos[2], y)) {
            Error(where + ": the player does not land on floor (ends at " + P3(pos) + ")");
            return;
        }
        for (const Area& pit : d_.pits) {
            Rect grown{pit.rect.x0 - 1.5f, pit.rect.z0 - 1.5f, pit.rect.x1 + 1.5f, pit.rect.z1 + 1.5f};
            if (grown.Contains(pos[0], pos[2])) Error(where + ": lands within 1.5 of pit '" + pit.name + "'");
        }
        steps_.push_back({StepKind::Pull, eye, aim, pos, s.name});
        Note(where + ": hook flies " + std::to_string(flight) + " frames to " + P3(hook) + "; pulled " +
             std::to_string(pulledFrames) + " frames, lands on frame " + std::to_string(landFrame) +
             " of the jump at " + P3(pos));
    }

    // The wall push-out of one pulled frame: a ray along the move from the
    // eye; a face within 2.0 of the eye pushes it back to 2.0.
    void ApplyPush(CVec3& pos, const CVec3& move, const std::string& where) {
        CVec3 dir = Norm(move);
        CVec3 n;
        float t = StageRay(pos, dir, &n);
        if (t >= kMiss) return;
        float k = -Dot(dir, n);
        if (k > 0 && 2.0f / k >= t) {
            pos = Add(pos, Mul(n, (2.0f / k - t) * k));
            ++pushes_;
            if (pushes_ == 1) Note(where + ": a wall pushes the player during the pull at " + P3(pos));
        }
    }

    void JewelShot(const Step& s) {
        std::string where = "line " + std::to_string(s.line) + ": jewel";
        CVec3 eye;
        if (!StandEye(s, eye)) return;
        CVec3 jewel = Add(ToC(l_.showcase), {0, kJewelAbove, 0});
        View v = ViewAlong(Sub(jewel, eye));
        CVec3 gun = GunAt(eye, v);
        float dist = Len(Sub(jewel, eye));
        if (StageRay(eye, v.forward) < dist || StageRay(gun, Norm(Sub(jewel, gun))) < Len(Sub(jewel, gun))) {
            Error(where + ": a wall hides the jewel from " + P(s.standX, s.standZ));
        }
        if (Len(Sub(jewel, gun)) > kHookRange - 3.0f) Error(where + ": the jewel is out of the hook's reach");
        steps_.push_back({StepKind::Jewel, eye, jewel, jewel, "jewel"});
    }

    // Walking and jumping alone (doors ignored, platforms up to a jump's
    // reach) must not lead from the start to the showcase: the chain is
    // needed; every pull step must cross what walking cannot.
    void CheckChainNeeded() {
        Grid g = MakeGrid();
        std::vector<int> comp(g.w * g.h, -1);
        auto passable = [&](int cx, int cz) {
            float y;
            return Floor(g.X(cx), g.Z(cz), y) && y <= kMaxJumpable;
        };
        int next = 0;
        auto label = [&](float x, float z) -> int {
            int c = g.Index(x, z);
            if (comp[c] >= 0 || !passable(c % g.w, c / g.w)) return comp[c];
            std::deque<int> todo{c};
            comp[c] = next;
            while (!todo.empty()) {
                int k = todo.front();
                todo.pop_front();
                int cx = k % g.w, cz = k / g.w;
                for (auto [dx, dz] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
                    int nx = cx + dx, nz = cz + dz;
                    if (nx < 0 || nz < 0 || nx >= g.w || nz >= g.h) continue;
                    int n = nz * g.w + nx;
                    if (comp[n] >= 0 || !passable(nx, nz)) continue;
                    comp[n] = next;
                    todo.push_back(n);
                }
            }
            return next++;
        };
        int start = label(0, 0);
        int vault = label(l_.showcase.x, l_.showcase.z);
        if (start == vault) Error("the showcase can be reached without the chain");
        for (const StepResult& r : steps_) {
            if (r.kind != StepKind::Pull) continue;
            if (label(r.stand[0], r.stand[2]) == label(r.result[0], r.result[2])) {
                Error("pull '" + r.label + "' lands where walking would lead as well");
            }
        }
    }

    void CheckGuidePlaces() {
        float y;
        if (!Floor(0, 7.5f, y)) Error("the guide's start area (0, 0, 7.5) must be floor");
        if (!Floor(-29, 76.5f, y)) Error("the guide's pull spot (-29, 0, 76.5) must be floor");
        bool nearPit = false;
        for (const Area& pit : d_.pits) {
            float dx = std::max({pit.rect.x0 + 29.0f, 0.0f, -29.0f - pit.rect.x1});
            float dz = std::max({pit.rect.z0 - 76.5f, 0.0f, 76.5f - pit.rect.z1});
            nearPit = nearPit || std::hypot(dx, dz) < 20.0f;
        }
        if (!nearPit) Error("the pull spot (-29, 0, 76.5) must lie within 20 of a pit");
        for (const StepResult& r : steps_) {
            if (r.kind == StepKind::Pull && HorizDist(r.stand, {-29, 0, 76.5f}) > 20.0f) {
                Error("the chain lesson must start within 20 of the pull spot");
            }
        }
    }

    // ---- grid over the stage ----
    struct Grid {
        float x0 = 0, z0 = 0, cell = 0.5f;
        int w = 0, h = 0;
        float X(int cx) const { return x0 + (cx + 0.5f) * cell; }
        float Z(int cz) const { return z0 + (cz + 0.5f) * cell; }
        int Index(float x, float z) const {
            int cx = std::clamp(int((x - x0) / cell), 0, w - 1), cz = std::clamp(int((z - z0) / cell), 0, h - 1);
            return cz * w + cx;
        }
    };

    Grid MakeGrid() const {
        float x0 = kMiss, z0 = kMiss, x1 = -kMiss, z1 = -kMiss;
        for (const auto* list : {&d_.floors, &d_.pits, &d_.walls, &d_.posts, &d_.platforms}) {
            for (const Area& a : *list) {
                x0 = std::min(x0, a.rect.x0);
                z0 = std::min(z0, a.rect.z0);
                x1 = std::max(x1, a.rect.x1);
                z1 = std::max(z1, a.rect.z1);
            }
        }
        Grid g;
        g.x0 = x0 - 2.0f;
        g.z0 = z0 - 2.0f;
        g.w = int((x1 - x0 + 4.0f) / g.cell) + 1;
        g.h = int((z1 - z0 + 4.0f) / g.cell) + 1;
        return g;
    }

    const Description& d_;
    const Layout& l_;
    const std::vector<Triangle>& tris_;
    std::vector<StepResult>& steps_;
    std::vector<std::array<CVec3, 2>>& beams_;
    std::vector<Solid> solids_;
    CVec3 doorMin_, doorMax_, winMin_, winMax_;
    bool doorModel_ = false, windowModel_ = false;
    int errors_ = 0;
    int pushes_ = 0;
};

}  // namespace

bool CheckStage(const CheckInput& in, CheckReport& report) {
    report = CheckReport{};
    Checker c(in, report);
    return c.Run();
}

}  // namespace stagebuild
