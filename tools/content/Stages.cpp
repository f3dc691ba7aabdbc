// The stages: for each stage, parse its description and its hand-written
// coordinate file, build and write the stage mesh, copy the coordinate file
// into Data/, check the geometry of both and draw the map.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <tiny_gltf.h>

#include "tools/content/Content.h"
#include "tools/content/StageBuild.h"

namespace {

using namespace stagebuild;

// Stage descriptions are numbered from 1 without a gap: stages/stage<N>.txt
// with its coordinate file stages/Stage_<N>.txt. No stage may go beyond the
// game's two-digit stage number.
constexpr int kMaxStages = 99;

bool ReadText(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "gv_content: cannot read %s\n", path.c_str());
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) {
        std::fprintf(stderr, "gv_content: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

void Grow(ModelBounds& b, const CVec3& p) {
    if (!b.present) {
        b.present = true;
        b.min = b.max = p;
        return;
    }
    for (int k = 0; k < 3; ++k) {
        b.min[k] = std::min(b.min[k], p[k]);
        b.max[k] = std::max(b.max[k], p[k]);
    }
}

// Rotates v by the unit quaternion q = (x, y, z, w).
CVec3 Rotate(const std::vector<double>& q, const CVec3& v) {
    if (q.size() != 4) return v;
    double x = q[0], y = q[1], z = q[2], w = q[3];
    double tx = 2 * (y * v[2] - z * v[1]), ty = 2 * (z * v[0] - x * v[2]), tz = 2 * (x * v[1] - y * v[0]);
    return {float(v[0] + w * tx + (y * tz - z * ty)), float(v[1] + w * ty + (z * tx - x * tz)),
            float(v[2] + w * tz + (x * ty - y * tx))};
}

// Bounds of one node's mesh (its POSITION min/max) under its own translation,
// rotation and scale and its parents', in glTF space.
void NodeBounds(const tinygltf::Model& m, int nodeIndex, const std::vector<const tinygltf::Node*>& parents,
                ModelBounds& out) {
    const tinygltf::Node& node = m.nodes[size_t(nodeIndex)];
    std::vector<const tinygltf::Node*> chain = parents;
    chain.push_back(&node);
    if (node.mesh >= 0) {
        for (const tinygltf::Primitive& p : m.meshes[size_t(node.mesh)].primitives) {
            auto it = p.attributes.find("POSITION");
            if (it == p.attributes.end()) continue;
            const tinygltf::Accessor& a = m.accessors[size_t(it->second)];
            if (a.minValues.size() != 3 || a.maxValues.size() != 3) continue;
            for (int c = 0; c < 8; ++c) {
                CVec3 v = {float(c & 1 ? a.maxValues[0] : a.minValues[0]), float(c & 2 ? a.maxValues[1] : a.minValues[1]),
                           float(c & 4 ? a.maxValues[2] : a.minValues[2])};
                for (auto n = chain.rbegin(); n != chain.rend(); ++n) {
                    const tinygltf::Node& t = **n;
                    if (t.scale.size() == 3) v = {float(v[0] * t.scale[0]), float(v[1] * t.scale[1]), float(v[2] * t.scale[2])};
                    v = Rotate(t.rotation, v);
                    if (t.translation.size() == 3) {
                        v = {float(v[0] + t.translation[0]), float(v[1] + t.translation[1]), float(v[2] + t.translation[2])};
                    }
                }
                Grow(out, {v[0], v[1], -v[2]});  // glTF is right-handed: the game's z is negated
            }
        }
    }
    for (int child : node.children) NodeBounds(m, child, chain, out);
}

// The local bounds of a model file the stages depend on, or "not present".
ModelBounds LoadBounds(const std::string& path) {
    ModelBounds b;
    if (!std::filesystem::exists(path)) return b;
    tinygltf::TinyGLTF loader;
    tinygltf::Model m;
    std::string err, warn;
    if (!loader.LoadASCIIFromFile(&m, &err, &warn, path)) {
        std::fprintf(stderr, "gv_content: cannot read %s: %s\n", path.c_str(), err.c_str());
        return b;
    }
    int scene = m.defaultScene >= 0 ? m.defaultScene : 0;
    if (size_t(scene) >= m.scenes.size()) return b;
    for (int n : m.scenes[size_t(scene)].nodes) NodeBounds(m, n, {}, b);
    return b;
}

// The door and window models the stages depend on, from a Data/ folder.
struct StageModels {
    ModelBounds door, window;
};

StageModels LoadStageModels(const std::string& dataDir) {
    StageModels m;
    m.door = LoadBounds(dataDir + "/Model/GameScene/Gimmick/Door/Door.gltf");
    m.window = LoadBounds(dataDir + "/Model/GameScene/Window/Window.gltf");
    if (!m.door.present) std::printf("  stages: no Door.gltf yet, assuming the door panel of content_sizes\n");
    if (!m.window.present) std::printf("  stages: no Window.gltf yet, assuming the window panel of content_sizes\n");
    return m;
}

// Reads and parses a description and a coordinate file; names the file that
// fails.
bool ReadStage(const std::string& descPath, const std::string& coordPath, Description& desc, Layout& layout) {
    std::string descText, coordText, error;
    if (!ReadText(descPath, descText) || !ReadText(coordPath, coordText)) return false;
    if (!stagedesc::ParseDescription(descText, desc, error)) {
        std::fprintf(stderr, "gv_content: %s: %s\n", descPath.c_str(), error.c_str());
        return false;
    }
    if (!ParseLayout(coordText, layout, error)) {
        std::fprintf(stderr, "gv_content: %s: %s\n", coordPath.c_str(), error.c_str());
        return false;
    }
    return true;
}

class StageWriter {
public:
    explicit StageWriter(const ContentContext& ctx) : ctx_(ctx) {}

    bool Prepare() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::create_directories(StageDir(), ec);
        fs::create_directories(ctx_.dataDir + "/CoordinateFile", ec);
        fs::create_directories(ctx_.docsDir, ec);
        models_ = LoadStageModels(ctx_.dataDir);
        return WriteStageTextures(StageDir());
    }

    bool Write(int n) {
        std::string src = ctx_.StagesDir() + "/";
        std::string coordPath = src + "Stage_" + std::to_string(n) + ".txt", coordText;
        Description desc;
        Layout layout;
        if (!ReadStage(src + "stage" + std::to_string(n) + ".txt", coordPath, desc, layout) ||
            !ReadText(coordPath, coordText)) {
            return false;
        }
        if (desc.stage != n) {
            std::fprintf(stderr, "gv_content: %sstage%d.txt describes stage %d\n", src.c_str(), n, desc.stage);
            return false;
        }
        CModel model = BuildStageModel(desc);
        std::vector<Triangle> tris = CollectTriangles(model);
        std::string name = "Stage_" + std::to_string(n);
        bool ok = WriteGltf(StageDir() + "/" + name + ".gltf", model);
        ok = WriteText(ctx_.dataDir + "/CoordinateFile/" + name + ".txt", coordText) && ok;
        CheckReport report;
        CheckInput in{&desc, &layout, &tris, models_.door, models_.window};
        if (!CheckStage(in, report)) {
            std::fprintf(stderr, "gv_content: stage %d breaks the design rules (see above)\n", n);
            ok = false;
        }
        ok = DrawStageMap(ctx_.docsDir + "/stage" + std::to_string(n) + "-map.png", desc, layout, report) && ok;
        std::printf("  stage %d: %zu triangles; boxes %zu, pushing doors %zu, return doors %zu, windows %zu, "
                    "time doors %zu, laser groups %zu\n",
                    n, tris.size(), layout.boxes.size(), layout.pushing.size(), layout.returning.size(),
                    layout.windows.size(), layout.timed.size(), layout.lasers.size());
        return ok;
    }

private:
    std::string StageDir() const { return ctx_.dataDir + "/Model/GameScene/Stage"; }

    const ContentContext& ctx_;
    StageModels models_;
};

}  // namespace

bool CheckStageFiles(const ContentContext& ctx, const std::string& descriptionPath,
                     const std::string& coordinatePath) {
    Description desc;
    Layout layout;
    if (!ReadStage(descriptionPath, coordinatePath, desc, layout)) return false;
    StageModels models = LoadStageModels(ctx.dataDir);
    std::vector<Triangle> tris = CollectTriangles(BuildStageModel(desc));
    CheckReport report;
    CheckInput in{&desc, &layout, &tris, models.door, models.window};
    if (!CheckStage(in, report)) {
        std::fprintf(stderr, "gv_content: stage %d breaks the design rules (see above)\n", desc.stage);
        return false;
    }
    std::printf("gv_content: stage %d passes the checks\n", desc.stage);
    return true;
}

bool WriteStages(const ContentContext& ctx) {
    StageWriter writer(ctx);
    bool ok = writer.Prepare();
    const std::string src = ctx.StagesDir() + "/";
    int n = 1;
    for (; n <= kMaxStages && std::filesystem::exists(src + "stage" + std::to_string(n) + ".txt"); ++n) {
        ok = writer.Write(n) && ok;
    }
    if (n == 1) {
        std::fprintf(stderr, "gv_content: no stage description %sstage1.txt\n", src.c_str());
        return false;
    }
    return ok;
}
