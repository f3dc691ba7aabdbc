// The readable description of a stage's static geometry (tools/content/stages/
// stage<N>.txt), from which the content tool builds the stage mesh, checks the
// stage and draws its map. Header-only so that tests can parse descriptions
// without the tool.
//
// One statement per line; '#' starts a comment. Coordinates are world units:
// x to the right, z forward (the player starts at the origin looking along +z),
// y up; the floor is at y = 0.
//
//   stage N TITLE...                      the stage number and its title
//   ceiling Y                             height of every wall and of the ceiling
//   floor NAME x0 z0 x1 z1                walkable floor at y = 0 (top face only)
//   pit NAME x0 z0 x1 z1 DEPTH            a hole in the floor, rim walls down to
//                                         -DEPTH, open to the void below
//   wall NAME x0 z0 x1 z1                 a wall block from the floor to the ceiling
//   post NAME x0 z0 x1 z1                 a full-height hook post (pillar)
//   platform NAME x0 z0 x1 z1 TOP         a solid block from the floor up to TOP;
//                                         its top is walkable
//   door NAME WALL CENTRE                 a door opening (kDoorWidth x kDoorHeight)
//                                         through WALL (kDoorWallThickness thick),
//                                         centred at CENTRE along the wall's long
//                                         axis, from the floor up
//   arch NAME WALL CENTRE WIDTH HEIGHT    a plain opening from the floor up
//   window NAME WALL CENTRE WIDTH SILL TOP  an opening for a window panel
//
// The description holds geometry only. How the stage is played through is
// written in its design note (docs/stage<N>.md) and proven by the playthrough
// scripts under tests/playthroughs/, which the real game replays.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tools/content/Content.h"

namespace stagedesc {

// Limits of the numbers a description may hold: every coordinate and size
// within the distance the game draws, a ceiling a door fits under and a jump
// does not hit at once, stage numbers of one or two digits.
constexpr float kMaxCoordinate = 1000.0f;
constexpr float kMinCeiling = 8.0f;
constexpr float kMaxCeiling = 100.0f;
constexpr int kMaxStageNumber = 99;

// Door openings match the door models (content_sizes in Content.h): an
// opening through a wall of the door's thickness, centred on the door's base
// point; the panel covers it closed, and the frame reaches to each side.
constexpr float kDoorWidth = 2.0f * content_sizes::kDoorOpeningHalfWidth;
constexpr float kDoorHeight = content_sizes::kDoorOpeningHeight;
constexpr float kDoorWallThickness = content_sizes::kDoorWallThickness;
constexpr float kDoorFrameReach = content_sizes::kDoorFrameHalfWidth;

struct Rect {
    float x0 = 0, z0 = 0, x1 = 0, z1 = 0;
    bool Contains(float x, float z, float eps = 0.0f) const {
        return x >= x0 - eps && x <= x1 + eps && z >= z0 - eps && z <= z1 + eps;
    }
    float Width() const { return x1 - x0; }
    float Depth() const { return z1 - z0; }
};

inline bool Overlap(const Rect& a, const Rect& b, float eps = 1e-4f) {
    return a.x0 < b.x1 - eps && b.x0 < a.x1 - eps && a.z0 < b.z1 - eps && b.z0 < a.z1 - eps;
}

struct Area {
    std::string name;
    Rect rect;
    float value = 0;  // pit depth or platform top; unused for floors, walls, posts
    int line = 0;
};

enum class OpeningKind { Door, Arch, Window };

struct Opening {
    OpeningKind kind = OpeningKind::Door;
    std::string name;
    std::string wall;
    float centre = 0;  // along the wall's long axis
    float width = 0;
    float bottom = 0;
    float top = 0;
    int line = 0;
};

struct Description {
    int stage = 0;
    std::string title;
    float ceiling = 24.0f;
    int ceilingLine = 0;  // 0: not given, the default
    std::vector<Area> floors, pits, walls, posts, platforms;
    std::vector<Opening> openings;

    const Area* FindWall(const std::string& name) const {
        for (const Area& w : walls) {
            if (w.name == name) return &w;
        }
        return nullptr;
    }
};

// A wall runs along x when it is longer in x than in z; its openings are then
// placed by x and pass through it along z.
inline bool RunsAlongX(const Rect& r) { return r.Width() >= r.Depth(); }

// The box an opening cuts out of its wall: [min, max] in x, y, z.
struct Box3 {
    float min[3] = {0, 0, 0};
    float max[3] = {0, 0, 0};
};

inline Box3 OpeningBox(const Opening& o, const Rect& wall) {
    Box3 b;
    b.min[1] = o.bottom;
    b.max[1] = o.top;
    if (RunsAlongX(wall)) {
        b.min[0] = o.centre - o.width / 2;
        b.max[0] = o.centre + o.width / 2;
        b.min[2] = wall.z0;
        b.max[2] = wall.z1;
    } else {
        b.min[0] = wall.x0;
        b.max[0] = wall.x1;
        b.min[2] = o.centre - o.width / 2;
        b.max[2] = o.centre + o.width / 2;
    }
    return b;
}

namespace detail {

inline bool ToFloat(const std::string& s, float& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtof(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(out);
}

inline bool ToInt(const std::string& s, int& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (end != s.c_str() + s.size() || v < -1000000 || v > 1000000) return false;
    out = static_cast<int>(v);
    return true;
}

class LineParser {
public:
    LineParser(std::vector<std::string> words, int line, std::string& error)
        : words_(std::move(words)), line_(line), error_(error) {}

    bool Count(size_t n) {
        if (words_.size() == n) return true;
        return Fail("'" + words_[0] + "' takes " + std::to_string(n - 1) + " values, got " +
                    std::to_string(words_.size() - 1));
    }
    bool Float(size_t i, float& out) {
        if (!ToFloat(words_[i], out)) return Fail("'" + words_[i] + "' is not a number");
        if (std::fabs(out) > kMaxCoordinate) {
            return Fail(words_[i] + " is out of range (-" + Num(kMaxCoordinate) + " to " + Num(kMaxCoordinate) + ")");
        }
        return true;
    }
    static std::string Num(float v) {
        std::ostringstream s;
        s << v;
        return s.str();
    }
    bool Int(size_t i, int& out) {
        if (ToInt(words_[i], out)) return true;
        return Fail("'" + words_[i] + "' is not an integer");
    }
    bool Fail(const std::string& what) {
        error_ = "line " + std::to_string(line_) + ": " + what;
        return false;
    }
    const std::string& operator[](size_t i) const { return words_[i]; }
    size_t Size() const { return words_.size(); }
    int Line() const { return line_; }

private:
    std::vector<std::string> words_;
    int line_;
    std::string& error_;
};

inline bool ParseArea(LineParser& p, bool hasValue, Area& a) {
    if (!p.Count(hasValue ? 7 : 6)) return false;
    a.name = p[1];
    a.line = p.Line();
    if (!p.Float(2, a.rect.x0) || !p.Float(3, a.rect.z0) || !p.Float(4, a.rect.x1) ||
        !p.Float(5, a.rect.z1)) {
        return false;
    }
    if (hasValue && !p.Float(6, a.value)) return false;
    if (a.rect.x1 <= a.rect.x0 || a.rect.z1 <= a.rect.z0) {
        return p.Fail("'" + a.name + "' needs x0 < x1 and z0 < z1");
    }
    return true;
}

inline bool ParseOpening(LineParser& p, OpeningKind kind, Opening& o) {
    size_t n = kind == OpeningKind::Door ? 4 : kind == OpeningKind::Arch ? 6 : 7;
    if (!p.Count(n)) return false;
    o.kind = kind;
    o.name = p[1];
    o.wall = p[2];
    o.line = p.Line();
    if (!p.Float(3, o.centre)) return false;
    if (kind == OpeningKind::Door) {
        o.width = kDoorWidth;
        o.bottom = 0;
        o.top = kDoorHeight;
    } else if (kind == OpeningKind::Arch) {
        o.bottom = 0;
        if (!p.Float(4, o.width) || !p.Float(5, o.top)) return false;
    } else {
        if (!p.Float(4, o.width) || !p.Float(5, o.bottom) || !p.Float(6, o.top)) return false;
    }
    if (o.width <= 0 || o.top <= o.bottom || o.bottom < 0) {
        return p.Fail("opening '" + o.name + "' has no size");
    }
    return true;
}

inline bool ParseLine(LineParser& p, Description& d, bool& sawStage) {
    const std::string& key = p[0];
    if (key == "stage") {
        if (p.Size() < 2 || !p.Int(1, d.stage)) return p.Fail("'stage' needs a number and a title");
        if (d.stage < 1 || d.stage > kMaxStageNumber) {
            return p.Fail("the stage number " + p[1] + " is out of range (1 to " + std::to_string(kMaxStageNumber) + ")");
        }
        if (sawStage) return p.Fail("a second 'stage' statement");
        d.title.clear();
        for (size_t i = 2; i < p.Size(); ++i) d.title += (i > 2 ? " " : "") + p[i];
        sawStage = true;
        return true;
    }
    if (key == "ceiling") {
        if (!p.Count(2)) return false;
        if (!ToFloat(p[1], d.ceiling)) return p.Fail("'" + p[1] + "' is not a number");
        if (d.ceiling <= 0) return p.Fail("the ceiling must be above the floor");
        if (d.ceiling < kMinCeiling || d.ceiling > kMaxCeiling) {
            return p.Fail("the ceiling " + p[1] + " is out of range (" + LineParser::Num(kMinCeiling) + " to " +
                          LineParser::Num(kMaxCeiling) + ")");
        }
        d.ceilingLine = p.Line();
        return true;
    }
    Area a;
    if (key == "floor") return ParseArea(p, false, a) && (d.floors.push_back(a), true);
    if (key == "wall") return ParseArea(p, false, a) && (d.walls.push_back(a), true);
    if (key == "post") return ParseArea(p, false, a) && (d.posts.push_back(a), true);
    if (key == "pit") {
        if (!ParseArea(p, true, a)) return false;
        if (a.value <= 0) return p.Fail("pit '" + a.name + "' needs a positive depth");
        d.pits.push_back(a);
        return true;
    }
    if (key == "platform") {
        if (!ParseArea(p, true, a)) return false;
        if (a.value <= 0) return p.Fail("platform '" + a.name + "' needs a positive top");
        d.platforms.push_back(a);
        return true;
    }
    Opening o;
    if (key == "door") return ParseOpening(p, OpeningKind::Door, o) && (d.openings.push_back(o), true);
    if (key == "arch") return ParseOpening(p, OpeningKind::Arch, o) && (d.openings.push_back(o), true);
    if (key == "window") {
        return ParseOpening(p, OpeningKind::Window, o) && (d.openings.push_back(o), true);
    }
    return p.Fail("unknown statement '" + key + "'");
}

// Cross-references: unique names, openings inside their walls.
inline bool Validate(Description& d, std::string& error) {
    // (name, line) of every named statement, sorted by line
    std::vector<std::pair<int, std::string>> names;
    auto addNames = [&](const auto& list) {
        for (const auto& item : list) names.push_back({item.line, item.name});
    };
    addNames(d.floors);
    addNames(d.pits);
    addNames(d.walls);
    addNames(d.posts);
    addNames(d.platforms);
    addNames(d.openings);
    std::sort(names.begin(), names.end());
    for (size_t i = 0; i < names.size(); ++i) {
        for (size_t k = 0; k < i; ++k) {
            if (names[k].second == names[i].second) {
                error = "line " + std::to_string(names[i].first) + ": the name '" + names[i].second +
                        "' is used twice (first on line " + std::to_string(names[k].first) + ")";
                return false;
            }
        }
    }
    for (const Area& pf : d.platforms) {
        if (pf.value >= d.ceiling) {
            error = "line " + std::to_string(pf.line) + ": platform '" + pf.name + "' must end below the ceiling (" +
                    LineParser::Num(d.ceiling) + ")";
            return false;
        }
    }
    for (const Opening& o : d.openings) {
        const Area* wall = d.FindWall(o.wall);
        if (wall == nullptr) {
            error = "line " + std::to_string(o.line) + ": opening '" + o.name + "' names no wall '" +
                    o.wall + "'";
            return false;
        }
        bool alongX = RunsAlongX(wall->rect);
        float lo = alongX ? wall->rect.x0 : wall->rect.z0;
        float hi = alongX ? wall->rect.x1 : wall->rect.z1;
        if (o.centre - o.width / 2 < lo || o.centre + o.width / 2 > hi || o.top > d.ceiling) {
            error = "line " + std::to_string(o.line) + ": opening '" + o.name +
                    "' does not fit in wall '" + o.wall + "'";
            return false;
        }
    }
    if (d.floors.empty()) {
        error = "the stage has no floor";
        return false;
    }
    return true;
}

}  // namespace detail

// The content tool (per stage) and tests: parses a whole description. On
// failure returns false and names the line.
inline bool ParseDescription(const std::string& text, Description& out, std::string& error) {
    out = Description{};
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    bool sawStage = false;
    while (std::getline(in, raw)) {
        ++lineNo;
        size_t hash = raw.find('#');
        if (hash != std::string::npos) raw.resize(hash);
        std::istringstream words(raw);
        std::vector<std::string> list;
        for (std::string w; words >> w;) list.push_back(w);
        if (list.empty()) continue;
        detail::LineParser p(std::move(list), lineNo, error);
        if (!detail::ParseLine(p, out, sawStage)) return false;
    }
    if (!sawStage) {
        error = "no 'stage' statement";
        return false;
    }
    return detail::Validate(out, error);
}

}  // namespace stagedesc
