// Internal interfaces of the content tool's stage part: building the stage mesh
// from its description, reading the coordinate file, checking the geometry of
// both, drawing the map and painting the stage textures.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/content/Content.h"
#include "tools/content/StageDescription.h"

namespace stagebuild {

using stagedesc::Box3;
using stagedesc::Description;

// Material slots of every stage mesh, in this order.
enum Material { kFloor = 0, kWall, kCeiling, kPit, kTrim, kPost, kLedge, kMaterialCount };

// One solid block of the stage after door and window openings were cut out.
struct Solid {
    Box3 box;
    Material material = kWall;
};

// Mesh builder, checker and map: walls minus their openings, posts,
// platforms and the metal lips along pits.
std::vector<Solid> BuildSolids(const Description& d);

// Mesh builder (which faces to keep) and checker (which way faces look):
// whether a point lies in the open space of the stage, inside its rooms,
// openings or pits, above the floor, below the ceiling, in no block.
bool IsAir(const Description& d, const std::vector<Solid>& solids, float x, float y, float z);

// WriteStages, once per stage: the stage mesh (one node, one primitive per
// material; textures named by StageTextureNames()).
CModel BuildStageModel(const Description& d);

// WriteStages, before checking: every triangle of a model in world space,
// for the checker's ray tests.
struct Triangle {
    CVec3 a, b, c;
};
std::vector<Triangle> CollectTriangles(const CModel& model);

// ---- coordinate file ----
struct Vec3 {
    float x = 0, y = 0, z = 0;
};
struct DoorRec {
    Vec3 button, door;
    float yaw = 0;
    int frames = 0;  // time doors only
};
struct WindowRec {
    Vec3 pos, scale;
    float yaw = 0;
};
struct LaserRec {
    Vec3 button;
    int count = 0;
    Vec3 first, step;
    float yaw = 0;
};
struct Layout {
    std::vector<Vec3> boxes;
    std::vector<DoorRec> pushing, returning, timed;
    std::vector<WindowRec> windows;
    std::vector<LaserRec> lasers;
    Vec3 showcase;
};

// WriteStages, on each hand-written coordinate file: reads the seven
// sections as the game's formatted reads do (a comma must follow its number
// at once; any white space elsewhere). Fails on anything the game would misread.
bool ParseLayout(const std::string& text, Layout& out, std::string& error);

// ---- checker ----
// Local bounds of a model the stage relies on, when the model file exists.
struct ModelBounds {
    bool present = false;
    CVec3 min{0, 0, 0}, max{0, 0, 0};
};

// What the checker found out, for the map.
struct CheckReport {
    std::vector<std::array<CVec3, 2>> beams;  // each laser beam, start to end
};

struct CheckInput {
    const Description* desc = nullptr;
    const Layout* layout = nullptr;
    const std::vector<Triangle>* triangles = nullptr;
    ModelBounds door, window;
};

// WriteStages after writing a stage, and CheckStageFiles: verifies the
// geometry rules, prints every broken rule to stderr (naming the stage and
// the object) and returns false if any is broken.
bool CheckStage(const CheckInput& in, CheckReport& report);

// Checker: height of the walkable surface under (x, z), or false over pits,
// walls and the void.
bool FloorHeightAt(const Description& d, float x, float z, float& y);

// ---- pictures ----
// WriteStages, after checking: the top-down map for the design notes.
bool DrawStageMap(const std::string& path, const Description& d, const Layout& layout,
                  const CheckReport& report);

// WriteStages, once: writes the stage textures into `dir`; names in Material
// order (also read by the mesh builder for its materials).
bool WriteStageTextures(const std::string& dir);
const std::array<const char*, kMaterialCount>& StageTextureNames();

}  // namespace stagebuild
