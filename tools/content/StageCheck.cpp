// The stage checker: verifies a stage description and its coordinate file as
// geometry. The stage is closed and its faces look into the rooms; door and
// window openings fit their models and the ways through them are open; pits
// have no floor and lie between the start and the showcase; boxes, buttons
// and the showcase stand on floors; every laser beam ends on a wall or a
// window near its button. That the stage can be played through is proven by
// the playthroughs, which the real game replays; the game numbers needed here
// come from the game's own headers.
#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>

#include "framework/collision/FwCollision.h"
#include "game/gimmick/Box.h"
#include "game/gimmick/Door.h"
#include "game/gimmick/Laser.h"
#include "game/player/HookGun.h"
#include "game/player/OperationGuide.h"
#include "game/player/Player.h"
#include "tools/content/StageBuild.h"

namespace stagebuild {

namespace {

using stagedesc::Area;
using stagedesc::Opening;
using stagedesc::OpeningKind;
using stagedesc::Rect;

constexpr float kMiss = std::numeric_limits<float>::max();

// Floor the models need around their base points.
constexpr float kButtonClear = content_sizes::kButtonFrameRadius + 0.1f;
constexpr float kShowcaseClear = content_sizes::kShowcaseHalfWidth * 1.4143f + 0.1f;
// The laser collision sphere about the player's eye (CollisionModel.gltf).
constexpr float kPlayerHitRadius = content_sizes::kPlayerHitRadius;
// Walkable openings: the wall push-out keeps the eye this far from a jamb,
// so an opening narrower than twice it pushes the player from side to side.
constexpr float kPassWidth = 2.0f * kFwPushOutRadius;
// Open floor the player needs on each side of a walkable opening to step up
// to it and out of it.
constexpr float kDoorwayDepth = 2.0f * kFwPushOutRadius;
// The chain carries the player across a pit this wide at most: the hook
// reaches HookGun::kMaxRange and needs something to bite beyond the edge.
constexpr float kMaxChainCrossing = 30.0f;
// A time door stays open long enough to be raced through (its button sinks
// and its panel rises first) and shuts within a minute.
constexpr int kMinTimeDoorFrames = 120;
constexpr int kMaxTimeDoorFrames = 3600;

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

struct Bounds {
    CVec3 min, max;
};

// A model's local bounds turned by a yaw (degrees, the game's convention:
// local +x goes to (cos, 0, -sin)), scaled and moved; as world bounds.
Bounds PlacedBounds(const CVec3& lmin, const CVec3& lmax, const CVec3& scale, float yawDeg, const CVec3& pos) {
    float a = yawDeg * 0.017453292f, c = std::cos(a), s = std::sin(a);
    Bounds out{{kMiss, kMiss, kMiss}, {-kMiss, -kMiss, -kMiss}};
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

class Checker {
public:
    Checker(const CheckInput& in, CheckReport& report)
        : d_(*in.desc), l_(*in.layout), tris_(*in.triangles), beams_(report.beams), solids_(BuildSolids(d_)) {
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
        CheckPits();
        CheckBoxes();
        CheckButtonsAndShowcase();
        CheckDoors();
        CheckDoorways();
        CheckWindows();
        CheckLasers();
        CheckWayToTheJewel();
        if (d_.stage == 1) CheckGuidePlaces();
        return errors_ == 0;
    }

private:
    void Error(const std::string& what) {
        std::fprintf(stderr, "gv_content: stage %d: %s\n", d_.stage, what.c_str());
        ++errors_;
    }
    void Note(const std::string& what) { std::printf("  stage %d: %s\n", d_.stage, what.c_str()); }
    // A broken rule of one statement of the description, named by its line.
    static std::string L(int line) { return line > 0 ? "line " + std::to_string(line) + ": " : ""; }

    static std::string P(float x, float z) {
        char b[64];
        std::snprintf(b, sizeof b, "(%.2f, %.2f)", x, z);
        return b;
    }
    static std::string Num(float v) {
        char b[32];
        std::snprintf(b, sizeof b, "%g", v);
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

    // Nearest stage surface along a unit ray; kMiss when there is none.
    float StageRay(const CVec3& o, const CVec3& dir) const {
        float best = kMiss;
        for (const Triangle& t : tris_) {
            float dist;
            if (RayTriangle(o, dir, t, dist) && dist < best) best = dist;
        }
        return best;
    }

    // ---- the description itself ----
    void CheckAreas() {
        auto overlapList = [&](const std::vector<Area>& a, const std::vector<Area>& b, const char* what) {
            for (const Area& x : a) {
                for (const Area& y : b) {
                    // each pair once, named by its later line
                    if (&x != &y && stagedesc::Overlap(x.rect, y.rect) && (&a != &b || x.line > y.line)) {
                        Error(L(x.line) + what + ": '" + x.name + "' overlaps '" + y.name + "' (line " +
                              std::to_string(y.line) + ")");
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
            bool onFloor = true;
            for (float fx : {r.x0 + 0.01f, r.x1 - 0.01f}) {
                for (float fz : {r.z0 + 0.01f, r.z1 - 0.01f}) {
                    bool corner = false;
                    for (const Area& f : d_.floors) corner = corner || f.rect.Contains(fx, fz);
                    onFloor = onFloor && corner;
                }
            }
            if (!onFloor) Error(L(pf.line) + "'" + pf.name + "' must stand on floor");
        }
        for (const Opening& o : d_.openings) {
            const Area* wall = d_.FindWall(o.wall);
            if (o.top > d_.ceiling - 0.5f) Error(L(o.line) + "opening '" + o.name + "' must end below the ceiling");
            if (o.kind != OpeningKind::Door) continue;
            // the panel reaches into the wall and the frame over it on both sides
            bool alongX = stagedesc::RunsAlongX(wall->rect);
            float lo = alongX ? wall->rect.x0 : wall->rect.z0, hi = alongX ? wall->rect.x1 : wall->rect.z1;
            float reach = std::max({-doorMin_[0], doorMax_[0], stagedesc::kDoorFrameReach});
            if (o.centre - reach < lo - 0.01f || o.centre + reach > hi + 0.01f) {
                Error(L(o.line) + "door opening '" + o.name + "' needs wall beside it for the panel and the frame");
            }
            float thick = std::min(wall->rect.Width(), wall->rect.Depth());
            if (std::fabs(thick - stagedesc::kDoorWallThickness) > 0.01f) {
                Error(L(o.line) + "wall '" + wall->name + "' holds door opening '" + o.name + "' and must be " +
                      Num(stagedesc::kDoorWallThickness) + " thick");
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
        if (ClearanceAt(0, Player::kEyeHeight, 0) < kFwPushOutRadius) {
            Error("the start must be " + Num(kFwPushOutRadius) + " or more from every wall");
        }
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

    // A pit is a hole to the void: nothing below it catches a fall. The pits
    // also cut the start off from the showcase, so the chain is needed: walking
    // (doors open, every platform climbed) does not lead there.
    void CheckPits() {
        for (const Area& pit : d_.pits) {
            const Rect& r = pit.rect;
            bool floored = false;
            for (float x = r.x0 + 0.5f; x < r.x1 && !floored; x += 2.0f) {
                for (float z = r.z0 + 0.5f; z < r.z1 && !floored; z += 2.0f) {
                    if (StageRay({x, 0.1f, z}, {0, -1, 0}) < kMiss) {
                        Error(L(pit.line) + "pit '" + pit.name + "' has something below it at " + P(x, z) +
                              "; it must open to the void");
                        floored = true;
                    }
                }
            }
        }
        Grid g = MakeGrid();
        std::vector<int> part(size_t(g.w) * g.h, -1);
        auto walkable = [&](int c) {
            float y;
            return Floor(g.X(c % g.w), g.Z(c / g.w), y);
        };
        int next = 0;
        auto label = [&](float x, float z) {
            int c = g.Index(x, z);
            if (part[size_t(c)] >= 0 || !walkable(c)) return part[size_t(c)];
            std::deque<int> todo{c};
            part[size_t(c)] = next;
            while (!todo.empty()) {
                int k = todo.front();
                todo.pop_front();
                int cx = k % g.w, cz = k / g.w;
                for (auto [dx, dz] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
                    int nx = cx + dx, nz = cz + dz;
                    if (nx < 0 || nz < 0 || nx >= g.w || nz >= g.h) continue;
                    int n = nz * g.w + nx;
                    if (part[size_t(n)] >= 0 || !walkable(n)) continue;
                    part[size_t(n)] = next;
                    todo.push_back(n);
                }
            }
            return next++;
        };
        int start = label(0, 0);
        if (start >= 0 && start == label(l_.showcase.x, l_.showcase.z)) {
            Error("the showcase can be walked to from the start; a pit must lie between them");
        }
    }

    // ---- objects of the coordinate file ----
    void CheckBoxes() {
        for (size_t i = 0; i < l_.boxes.size(); ++i) {
            const Vec3& b = l_.boxes[i];
            std::string name = "box " + std::to_string(i) + " at " + P3(ToC(b));
            float y;
            if (!Floor(b.x, b.z, y) || std::fabs(b.y - (y + Box::kHalfHeight)) > 0.01f) {
                Error(name + " must rest on a floor (centre " + Num(Box::kHalfHeight) + " above it)");
                continue;
            }
            bool whole = true;
            for (float dx : {-Box::kRadius, 0.0f, Box::kRadius}) {
                for (float dz : {-Box::kRadius, 0.0f, Box::kRadius}) {
                    float yy;
                    whole = whole && Floor(b.x + dx, b.z + dz, yy) && std::fabs(yy - y) <= 1e-3f;
                }
            }
            if (!whole) Error(name + " must stand wholly on one floor, clear of walls and pits");
            for (size_t j = 0; j < i; ++j) {
                const Vec3& o = l_.boxes[j];
                if (std::fabs(o.x - b.x) < 2 * Box::kRadius && std::fabs(o.z - b.z) < 2 * Box::kRadius &&
                    std::fabs(o.y - b.y) < 2 * Box::kHalfHeight) {
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
                Error(name + " at " + P(p.x, p.z) + " must have " + Num(clearance) + " of floor around it");
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
        for (size_t i = 0; i < l_.timed.size(); ++i) {
            int frames = l_.timed[i].frames;
            if (frames < kMinTimeDoorFrames || frames > kMaxTimeDoorFrames) {
                Error("time door " + std::to_string(i) + " stays open " + std::to_string(frames) + " frames; it must be " +
                      std::to_string(kMinTimeDoorFrames) + " to " + std::to_string(kMaxTimeDoorFrames));
            }
        }
    }

    // A door stands in a door opening of the description, in the middle of
    // the wall, turned to face across it.
    void CheckDoors() {
        if (doorModel_) {
            // closed it covers the opening, raised by its travel it clears it,
            // and it hides inside the wall
            float half = stagedesc::kDoorWidth / 2, wall = stagedesc::kDoorWallThickness / 2;
            bool fills = doorMin_[0] <= -half + 0.01f && doorMax_[0] >= half - 0.01f && doorMin_[1] <= 0.5f &&
                         doorMax_[1] >= stagedesc::kDoorHeight - 0.01f;
            bool hides = doorMin_[2] >= -wall && doorMax_[2] <= wall &&
                         doorMin_[1] + DoorPanel::kOpenTravel >= stagedesc::kDoorHeight - 0.01f;
            if (!fills || !hides) {
                Error("Door.gltf " + P3(doorMin_) + " - " + P3(doorMax_) + " must cover the " +
                      Num(stagedesc::kDoorWidth) + " x " + Num(stagedesc::kDoorHeight) +
                      " opening, clear it when raised by " + Num(DoorPanel::kOpenTravel) + " and fit in its wall");
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
                Error(L(d_.openings[k].line) + "door opening '" + d_.openings[k].name + "' needs exactly one door");
            }
        }
    }

    // The way through every door and arch: wide enough and higher than the
    // eye, with open floor at floor level on both sides, where no box stands.
    void CheckDoorways() {
        for (const Opening& o : d_.openings) {
            if (o.kind == OpeningKind::Window) continue;
            std::string name = "opening '" + o.name + "'";
            if (o.width < kPassWidth) {
                Error(L(o.line) + name + " is " + Num(o.width) + " wide; the player needs " + Num(kPassWidth));
            }
            if (o.top <= Player::kEyeHeight) {
                Error(L(o.line) + name + " is " + Num(o.top) + " high; the player's eye is at " + Num(Player::kEyeHeight));
            }
            const Rect& w = d_.FindWall(o.wall)->rect;
            bool alongX = stagedesc::RunsAlongX(w);
            float lo = o.centre - o.width / 2, hi = o.centre + o.width / 2;
            Rect sides[2];
            if (alongX) {
                sides[0] = {lo, w.z0 - kDoorwayDepth, hi, w.z0};
                sides[1] = {lo, w.z1, hi, w.z1 + kDoorwayDepth};
            } else {
                sides[0] = {w.x0 - kDoorwayDepth, lo, w.x0, hi};
                sides[1] = {w.x1, lo, w.x1 + kDoorwayDepth, hi};
            }
            for (const Rect& r : sides) {
                if (!OpenFloor(r, name, o.line)) continue;
                for (size_t i = 0; i < l_.boxes.size(); ++i) {
                    const Vec3& b = l_.boxes[i];
                    Rect box{b.x - Box::kRadius, b.z - Box::kRadius, b.x + Box::kRadius, b.z + Box::kRadius};
                    if (stagedesc::Overlap(box, r)) {
                        Error("box " + std::to_string(i) + " at " + P3(ToC(b)) + " stands in the way through " + name);
                    }
                }
            }
        }
    }

    // Whether all of `r` is floor at y = 0 (sampled every half unit, edges
    // included); names the first place that is not.
    bool OpenFloor(const Rect& r, const std::string& name, int line) {
        const float inset = 0.01f;
        float x0 = r.x0 + inset, z0 = r.z0 + inset, w = r.Width() - 2 * inset, h = r.Depth() - 2 * inset;
        int nx = std::max(1, int(std::ceil(w / 0.5f))), nz = std::max(1, int(std::ceil(h / 0.5f)));
        for (int i = 0; i <= nx; ++i) {
            for (int k = 0; k <= nz; ++k) {
                float x = x0 + w * float(i) / float(nx), z = z0 + h * float(k) / float(nz);
                float y;
                if (!Floor(x, z, y) || std::fabs(y) > 1e-4f) {
                    Error(L(line) + "the way through " + name + " is blocked at " + P(x, z) + ": no open floor there");
                    return false;
                }
            }
        }
        return true;
    }

    // Every window opening is filled by one window panel that stays inside
    // its wall; every window panel fills an opening.
    void CheckWindows() {
        std::vector<int> used(d_.openings.size(), 0);
        for (size_t i = 0; i < l_.windows.size(); ++i) {
            const WindowRec& w = l_.windows[i];
            Bounds b = PlacedBounds(winMin_, winMax_, ToC(w.scale), w.yaw, ToC(w.pos));
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
                Error(L(d_.openings[k].line) + "window opening '" + d_.openings[k].name +
                      "' needs exactly one window panel");
            }
        }
    }

    // Blockers the beams meet besides the stage: windows, closed door panels
    // and the boxes where they start.
    float ObjectRay(const CVec3& o, const CVec3& dir, std::string& what) const {
        float best = kMiss;
        auto test = [&](const Bounds& b, const std::string& name) {
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
            CVec3 half = {Box::kRadius, Box::kHalfHeight, Box::kRadius};
            test(Bounds{Sub(c, half), Add(c, half)}, "box " + std::to_string(i));
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
                CVec3 start = Add(pos, Mul(dir, Laser::kBeamStartOffset));
                std::string name = "laser " + std::to_string(g) + "." + std::to_string(i) + " at " + P3(pos);
                if (!InsideStage(pos[0], pos[2]) || InSolid(pos[0], pos[1], pos[2]) ||
                    InSolid(start[0], start[1], start[2]) || pos[1] <= 0 || pos[1] >= d_.ceiling) {
                    Error(name + " must stand in the open, inside the stage");
                    continue;
                }
                float wall = StageRay(start, dir);
                if (wall > Laser::kMaxBeamLength) {
                    Error(name + ": its beam meets no wall within " + Num(Laser::kMaxBeamLength));
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
                    if (Len(Sub(end, ToC(lr.button))) > Gimmick_ReturnLaser::kActivationRadius - kPlayerHitRadius) {
                        Error(name + ": its beam reaches farther than " + Num(Gimmick_ReturnLaser::kActivationRadius) +
                              " from its button, where the group is off");
                    }
                }
                shortest = std::min(shortest, len);
                longest = std::max(longest, len);
                if (i == 0 || i == lr.count - 1) {
                    Note("laser " + std::to_string(g) + "." + std::to_string(i) + " beam ends on " + what + " after " +
                         std::to_string(len));
                }
            }
            if (shortest < kMiss) {
                Note("laser group " + std::to_string(g) + ": beams " + std::to_string(shortest) + " to " +
                     std::to_string(longest) + " long");
            }
        }
    }

    // A rough way to the jewel, as far as geometry shows it: from the start,
    // over every floor, through every door and arch (doors are taken as
    // opened), up every platform (a jump or the chain), and on the chain
    // straight across any pit no wider than kMaxChainCrossing; then the jewel
    // must be within the hook's reach of a floor so reached, with nothing of
    // the stage in between. Buttons, boxes and lasers are not played; the
    // playthroughs prove the rest.
    void CheckWayToTheJewel() {
        Grid g = MakeGrid();
        std::vector<char> reached(size_t(g.w) * g.h, 0);
        std::vector<float> height(size_t(g.w) * g.h, 0.0f);
        auto walkable = [&](int cx, int cz, float& y) {
            return cx >= 0 && cz >= 0 && cx < g.w && cz < g.h && Floor(g.X(cx), g.Z(cz), y);
        };
        std::deque<int> todo;
        auto reach = [&](int cx, int cz) {
            float y;
            size_t n = size_t(cz) * g.w + cx;
            if (reached[n] || !walkable(cx, cz, y)) return;
            reached[n] = 1;
            height[n] = y;
            todo.push_back(int(n));
        };
        const int startCell = g.Index(0, 0);
        reach(startCell % g.w, startCell / g.w);
        std::vector<std::pair<const Area*, float>> tooWide;  // pits met but not crossed
        const int crossCells = int(kMaxChainCrossing / g.cell);
        while (!todo.empty()) {
            int c = todo.front();
            todo.pop_front();
            int cx = c % g.w, cz = c / g.w;
            for (auto [dx, dz] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
                float y;
                if (walkable(cx + dx, cz + dz, y)) {
                    reach(cx + dx, cz + dz);
                    continue;
                }
                const Area* pit = PitAt(g.X(cx + dx), g.Z(cz + dz));
                if (!pit) continue;
                // straight across the pit on the chain
                int k = 1;
                while (k <= crossCells + 1 && PitAt(g.X(cx + dx * k), g.Z(cz + dz * k))) ++k;
                if (k <= crossCells + 1 && walkable(cx + dx * k, cz + dz * k, y)) {
                    reach(cx + dx * k, cz + dz * k);
                } else if (k > crossCells + 1) {
                    float across = dx != 0 ? pit->rect.Width() : pit->rect.Depth();
                    bool known = false;
                    for (const auto& [p, a] : tooWide) known = known || p == pit;
                    if (!known) tooWide.push_back({pit, across});
                }
            }
        }
        // the jewel floats 6 above the showcase; the hook flies from near the eye
        const CVec3 jewel = {l_.showcase.x, l_.showcase.y + 6.0f, l_.showcase.z};
        const float range = HookGun::kMaxRange;
        for (int cz = 0; cz < g.h; ++cz) {
            for (int cx = 0; cx < g.w; ++cx) {
                size_t n = size_t(cz) * g.w + cx;
                if (!reached[n]) continue;
                CVec3 eye = {g.X(cx), height[n] + Player::kEyeHeight, g.Z(cz)};
                CVec3 to = Sub(jewel, eye);
                float dist = Len(to);
                if (dist > range) continue;
                if (StageRay(eye, Norm(to)) >= dist) return;  // a clear shot
            }
        }
        // Name the description's line: the floor the showcase stands on, and
        // any pit that was too wide to cross.
        int line = 0;
        std::string where;
        for (const Area& f : d_.floors) {
            if (f.rect.Contains(l_.showcase.x, l_.showcase.z)) {
                line = f.line;
                where = " on floor '" + f.name + "'";
            }
        }
        std::string why = "no floor the player can walk or chain to lies within " + Num(range) +
                          " of the jewel with nothing in between";
        for (const auto& [pit, across] : tooWide) {
            why += "; pit '" + pit->name + "' (line " + std::to_string(pit->line) + ") is " + Num(across) +
                   " across, the chain crosses at most " + Num(kMaxChainCrossing);
        }
        Error(L(line) + "the showcase" + where + " cannot be reached: " + why);
    }

    const Area* PitAt(float x, float z) const {
        for (const Area& pit : d_.pits) {
            if (pit.rect.Contains(x, z, -1e-4f)) return &pit;
        }
        return nullptr;
    }

    // The operation guide of stage 1 watches two places: the start area and
    // the pull spot, which must be floor, the pull spot near a pit.
    void CheckGuidePlaces() {
        const Vector3& start = OperationGuide::kStartArea;
        const Vector3& spot = OperationGuide::kPullSpot;
        float y;
        if (!Floor(start.x, start.z, y)) Error("the guide's start area " + P(start.x, start.z) + " must be floor");
        if (!Floor(spot.x, spot.z, y)) Error("the guide's pull spot " + P(spot.x, spot.z) + " must be floor");
        bool nearPit = false;
        for (const Area& pit : d_.pits) {
            float dx = std::max({pit.rect.x0 - spot.x, 0.0f, spot.x - pit.rect.x1});
            float dz = std::max({pit.rect.z0 - spot.z, 0.0f, spot.z - pit.rect.z1});
            nearPit = nearPit || std::hypot(dx, dz) < OperationGuide::kPullSpotRadius;
        }
        if (!nearPit) {
            Error("the guide's pull spot " + P(spot.x, spot.z) + " must lie within " +
                  Num(OperationGuide::kPullSpotRadius) + " of a pit");
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
    std::vector<std::array<CVec3, 2>>& beams_;
    std::vector<Solid> solids_;
    CVec3 doorMin_, doorMax_, winMin_, winMax_;
    bool doorModel_ = false, windowModel_ = false;
    int errors_ = 0;
};

}  // namespace

bool CheckStage(const CheckInput& in, CheckReport& report) {
    report = CheckReport{};
    Checker c(in, report);
    return c.Run();
}

}  // namespace stagebuild
