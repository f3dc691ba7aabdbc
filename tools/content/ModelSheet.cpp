// The contact sheet: every model under Data/Model rendered by a small
// software rasteriser that lights it the way the game's model shader does
// (one directional light, ambient, Blinn-Phong, emissive), so the pictures
// in docs/ show what the game will show.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <map>
#include <memory>
#include <sys/stat.h>

#include <stb_image.h>
#include <tiny_gltf.h>

#include "tools/content/ModelKit.h"

namespace {

struct V3 {
    float x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Norm(V3 a) {
    float l = std::sqrt(Dot(a, a));
    return l > 0 ? a * (1.0f / l) : V3{0, 1, 0};
}

struct Image {
    int w = 0, h = 0;
    std::vector<unsigned char> px;  // RGBA8
    Rgba Sample(float u, float v) const {
        if (w == 0) return {1, 1, 1, 1};
        float x = (u - std::floor(u)) * w - 0.5f, y = (v - std::floor(v)) * h - 0.5f;
        int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        float fx = x - x0, fy = y - y0;
        auto at = [&](int xx, int yy) {
            xx = ((xx % w) + w) % w;
            yy = ((yy % h) + h) % h;
            const unsigned char* p = &px[(static_cast<size_t>(yy) * w + xx) * 4];
            return Rgba{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f};
        };
        return Mix(Mix(at(x0, y0), at(x0 + 1, y0), fx), Mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), fx), fy);
    }
};

struct Material {
    Rgba base{1, 1, 1, 1};
    float metallic = 1, roughness = 1;
    V3 emissive;
    const Image* baseTex = nullptr;
    const Image* emissiveTex = nullptr;
};

struct Vertex {
    V3 p, n;
    float u = 0, v = 0;
};

struct Tri {
    Vertex v[3];
    int material = 0;
};

// A model in game coordinates, ready to draw.
struct SceneModel {
    std::vector<Material> materials;
    std::vector<Tri> tris;  // in drawing order (node order, material order)
    std::map<std::string, std::unique_ptr<Image>> images;
    V3 min{1e30f, 1e30f, 1e30f}, max{-1e30f, -1e30f, -1e30f};
};

const Image* LoadImage(SceneModel& m, const std::string& dir, const tinygltf::Model& g, int textureIndex) {
    if (textureIndex < 0 || textureIndex >= static_cast<int>(g.textures.size())) return nullptr;
    int src = g.textures[textureIndex].source;
    if (src < 0 || src >= static_cast<int>(g.images.size())) return nullptr;
    const std::string& uri = g.images[src].uri;
    auto it = m.images.find(uri);
    if (it != m.images.end()) return it->second.get();
    auto img = std::make_unique<Image>();
    int n;
    unsigned char* data = stbi_load((dir + "/" + uri).c_str(), &img->w, &img->h, &n, 4);
    if (data) {
        img->px.assign(data, data + static_cast<size_t>(img->w) * img->h * 4);
        stbi_image_free(data);
    } else {
        img->w = img->h = 0;
    }
    return (m.images[uri] = std::move(img)).get();
}

template <typename T>
const T* AccessorData(const tinygltf::Model& g, int index, size_t components) {
    if (index < 0 || index >= static_cast<int>(g.accessors.size())) return nullptr;
    const auto& acc = g.accessors[index];
    if (acc.bufferView < 0 || acc.bufferView >= static_cast<int>(g.bufferViews.size())) return nullptr;
    const auto& view = g.bufferViews[acc.bufferView];
    const auto& buf = g.buffers[view.buffer].data;
    size_t start = view.byteOffset + acc.byteOffset;
    if (start + acc.count * components * sizeof(T) > buf.size()) return nullptr;
    return reinterpret_cast<const T*>(buf.data() + start);
}

bool LoadSceneModel(const std::string& path, SceneModel& out) {
    tinygltf::TinyGLTF loader;
    tinygltf::Model g;
    std::string err, warn;
    if (!loader.LoadASCIIFromFile(&g, &err, &warn, path)) {
        std::fprintf(stderr, "gv_content: contact sheet cannot read %s: %s\n", path.c_str(), err.c_str());
        return false;
    }
    std::string dir = path.substr(0, path.rfind('/'));
    for (const auto& gm : g.materials) {
        Material m;
        const auto& pbr = gm.pbrMetallicRoughness;
        if (pbr.baseColorFactor.size() == 4)
            m.base = {float(pbr.baseColorFactor[0]), float(pbr.baseColorFactor[1]), float(pbr.baseColorFactor[2]),
                      float(pbr.baseColorFactor[3])};
        m.metallic = float(pbr.metallicFactor);
        m.roughness = float(pbr.roughnessFactor);
        if (gm.emissiveFactor.size() == 3)
            m.emissive = {float(gm.emissiveFactor[0]), float(gm.emissiveFactor[1]), float(gm.emissiveFactor[2])};
        m.baseTex = LoadImage(out, dir, g, pbr.baseColorTexture.index);
        m.emissiveTex = LoadImage(out, dir, g, gm.emissiveTexture.index);
        out.materials.push_back(m);
    }
    if (out.materials.empty()) out.materials.emplace_back();
    // a model the game never draws (all materials invisible) is shown ghosted
    bool allHidden = std::all_of(out.materials.begin(), out.materials.end(), [](const Material& m) { return m.base.a <= 0.0f; });
    if (allHidden)
        for (auto& m : out.materials) m.base = {0.6f, 0.8f, 1.0f, 0.35f};
    for (const auto& node : g.nodes) {
        if (node.mesh < 0) continue;
        V3 t;
        if (node.translation.size() == 3) t = {float(node.translation[0]), float(node.translation[1]), float(node.translation[2])};
        std::vector<const tinygltf::Primitive*> prims;
        for (const auto& p : g.meshes[node.mesh].primitives) prims.push_back(&p);
        std::stable_sort(prims.begin(), prims.end(), [](auto* a, auto* b) { return std::max(a->material, 0) < std::max(b->material, 0); });
        for (const auto* p : prims) {
            if (p->mode != TINYGLTF_MODE_TRIANGLES || !p->attributes.count("POSITION")) continue;
            int posIdx = p->attributes.at("POSITION");
            size_t count = g.accessors[posIdx].count;
            const float* pos = AccessorData<float>(g, posIdx, 3);
            const float* nrm = p->attributes.count("NORMAL") ? AccessorData<float>(g, p->attributes.at("NORMAL"), 3) : nullptr;
            const float* uv = p->attributes.count("TEXCOORD_0") ? AccessorData<float>(g, p->attributes.at("TEXCOORD_0"), 2) : nullptr;
            const uint32_t* idx = AccessorData<uint32_t>(g, p->indices, 1);
            if (!pos || !idx || g.accessors[p->indices].componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) continue;
            size_t ni = g.accessors[p->indices].count;
            auto vert = [&](uint32_t i) {
                Vertex v;
                if (i >= count) return v;
                // glTF (right-handed) to game coordinates: negate z
                v.p = {pos[i * 3] + t.x, pos[i * 3 + 1] + t.y, -(pos[i * 3 + 2] + t.z)};
                if (nrm) v.n = {nrm[i * 3], nrm[i * 3 + 1], -nrm[i * 3 + 2]};
                if (uv) {
                    v.u = uv[i * 2];
                    v.v = uv[i * 2 + 1];
                }
                return v;
            };
            for (size_t k = 0; k + 2 < ni; k += 3) {
                Tri tri;
                tri.v[0] = vert(idx[k]);
                tri.v[1] = vert(idx[k + 2]);  // back to the game's winding
                tri.v[2] = vert(idx[k + 1]);
                tri.material = std::clamp(p->material, 0, static_cast<int>(out.materials.size()) - 1);
                for (const auto& v : tri.v) {
                    out.min = {std::min(out.min.x, v.p.x), std::min(out.min.y, v.p.y), std::min(out.min.z, v.p.z)};
                    out.max = {std::max(out.max.x, v.p.x), std::max(out.max.y, v.p.y), std::max(out.max.z, v.p.z)};
                }
                out.tris.push_back(tri);
            }
        }
    }
    return true;
}

struct Camera {
    V3 eye, target;
    float fovDeg = 60;
    float ambient = 0.4f;
};

// Draws the model into a supersampled colour and depth buffer.
class Rasteriser {
public:
    Rasteriser(int w, int h) : w_(w), h_(h), colour_(static_cast<size_t>(w) * h), depth_(static_cast<size_t>(w) * h, 1e30f) {
        std::fill(colour_.begin(), colour_.end(), V3{0.3f, 0.3f, 0.3f});
    }

    void Draw(const SceneModel& m, const Camera& cam) {
        f_ = Norm(cam.target - cam.eye);
        r_ = Norm(Cross({0, 1, 0}, f_));
        u_ = Cross(f_, r_);
        eye_ = cam.eye;
        focal_ = (h_ * 0.5f) / std::tan(cam.fovDeg * 0.5f * 3.14159265f / 180.0f);
        ambient_ = cam.ambient;
        for (const auto& t : m.tris) DrawTri(t, m.materials[t.material]);
    }

    Canvas Resolve(int factor) const {
        Canvas c(w_ / factor, h_ / factor);
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x) {
                V3 s;
                for (int j = 0; j < factor; ++j)
                    for (int i = 0; i < factor; ++i) s = s + colour_[static_cast<size_t>(y * factor + j) * w_ + x * factor + i];
                s = s * (1.0f / (factor * factor));
                c.At(x, y) = {std::min(s.x, 1.0f), std::min(s.y, 1.0f), std::min(s.z, 1.0f), 1.0f};
            }
        return c;
    }

private:
    struct CV {
        V3 c;  // camera space
        Vertex v;
    };

    void DrawTri(const Tri& t, const Material& mat) {
        CV cv[3];
        for (int i = 0; i < 3; ++i) {
            V3 d = t.v[i].p - eye_;
            cv[i] = {{Dot(d, r_), Dot(d, u_), Dot(d, f_)}, t.v[i]};
        }
        V3 n = Cross(cv[1].c - cv[0].c, cv[2].c - cv[0].c);
        if (Dot(n, cv[0].c) >= 0.0f) return;  // back face
        // clip against the near plane
        std::vector<CV> poly(cv, cv + 3), out;
        const float nearZ = 0.01f;
        for (size_t i = 0; i < poly.size(); ++i) {
            const CV& a = poly[i];
            const CV& b = poly[(i + 1) % poly.size()];
            bool ain = a.c.z >= nearZ, bin = b.c.z >= nearZ;
            if (ain) out.push_back(a);
            if (ain != bin) {
                float s = (nearZ - a.c.z) / (b.c.z - a.c.z);
                CV m;
                m.c = a.c + (b.c - a.c) * s;
                m.v.p = a.v.p + (b.v.p - a.v.p) * s;
                m.v.n = a.v.n + (b.v.n - a.v.n) * s;
                m.v.u = a.v.u + (b.v.u - a.v.u) * s;
                m.v.v = a.v.v + (b.v.v - a.v.v) * s;
                out.push_back(m);
            }
        }
        for (size_t i = 1; i + 1 < out.size(); ++i) Fill(out[0], out[i], out[i + 1], mat);
    }

    void Fill(const CV& a, const CV& b, const CV& c, const Material& mat) {
        auto sx = [&](const CV& v) { return w_ * 0.5f + v.c.x / v.c.z * focal_; };
        auto sy = [&](const CV& v) { return h_ * 0.5f - v.c.y / v.c.z * focal_; };
        float x0 = sx(a), y0 = sy(a), x1 = sx(b), y1 = sy(b), x2 = sx(c), y2 = sy(c);
        float area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
        if (std::fabs(area) < 1e-9f) return;
        int minX = std::max(0, static_cast<int>(std::floor(std::min({x0, x1, x2}))));
        int maxX = std::min(w_ - 1, static_cast<int>(std::ceil(std::max({x0, x1, x2}))));
        int minY = std::max(0, static_cast<int>(std::floor(std::min({y0, y1, y2}))));
        int maxY = std::min(h_ - 1, static_cast<int>(std::ceil(std::max({y0, y1, y2}))));
        float iz0 = 1 / a.c.z, iz1 = 1 / b.c.z, iz2 = 1 / c.c.z;
        for (int y = minY; y <= maxY; ++y)
            for (int x = minX; x <= maxX; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                float w0 = ((x1 - px) * (y2 - py) - (x2 - px) * (y1 - py)) / area;
                float w1 = ((x2 - px) * (y0 - py) - (x0 - px) * (y2 - py)) / area;
                float w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                float iz = w0 * iz0 + w1 * iz1 + w2 * iz2;
                float z = 1 / iz;
                size_t at = static_cast<size_t>(y) * w_ + x;
                if (z >= depth_[at]) continue;
                float k0 = w0 * iz0 * z, k1 = w1 * iz1 * z, k2 = w2 * iz2 * z;
                Vertex v;
                v.p = a.v.p * k0 + b.v.p * k1 + c.v.p * k2;
                v.n = a.v.n * k0 + b.v.n * k1 + c.v.n * k2;
                v.u = a.v.u * k0 + b.v.u * k1 + c.v.u * k2;
                v.v = a.v.v * k0 + b.v.v * k1 + c.v.v * k2;
                Rgba col = ShadePixel(v, mat);
                if (col.a <= 0.0f) continue;
                depth_[at] = z;
                V3 src = {col.r, col.g, col.b};
                colour_[at] = src * col.a + colour_[at] * (1 - col.a);
            }
    }

    // The game's model pixel shader, with its scene lighting.
    Rgba ShadePixel(const Vertex& v, const Material& m) const {
        Rgba tex = m.baseTex ? m.baseTex->Sample(v.u, v.v) : Rgba{1, 1, 1, 1};
        Rgba col = {tex.r * m.base.r, tex.g * m.base.g, tex.b * m.base.b, tex.a * m.base.a};
        V3 c = {col.r, col.g, col.b};
        V3 N = Norm(v.n);
        V3 V = Norm(eye_ - v.p);
        V3 L = Norm({-1, 1, 0});
        V3 D = c * (1 - m.metallic);
        V3 S = V3{0.04f, 0.04f, 0.04f} + (c - V3{0.04f, 0.04f, 0.04f}) * m.metallic;
        float P = std::pow(2.0f, 13.0f * (1 - m.roughness)), K = (P + 2) * 0.159155f;
        float ndl = std::clamp(Dot(N, L), 0.0f, 1.0f);
        V3 H = Norm(V + L);
        float highlight = std::pow(std::clamp(Dot(N, H), 0.0f, 1.0f), P) * K;
        V3 acc = (D * (ndl * 0.31831f * 3.0f) + S * (highlight * 3.0f)) * m.base.a;
        acc = acc + c * (ambient_ * m.base.a);
        Rgba e = m.emissiveTex ? m.emissiveTex->Sample(v.u, v.v) : Rgba{1, 1, 1, 1};
        acc = acc + V3{e.r * m.emissive.x, e.g * m.emissive.y, e.b * m.emissive.z} * m.base.a;
        return {acc.x, acc.y, acc.z, col.a};
    }

    int w_, h_;
    std::vector<V3> colour_;
    std::vector<float> depth_;
    V3 f_, r_, u_, eye_;
    float focal_ = 1, ambient_ = 0.4f;
};

void ListModels(const std::string& dir, const std::string& rel, std::vector<std::string>& out) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const auto& n : names) {
        std::string full = dir + "/" + n;
        struct stat st;
        if (stat(full.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            ListModels(full, rel.empty() ? n : rel + "/" + n, out);
        } else if (n.size() > 5 && n.substr(n.size() - 5) == ".gltf") {
            out.push_back(rel.empty() ? n : rel + "/" + n);
        }
    }
}

// A view that suits the model: rooms from the title camera, stages from
// high above, objects from the front-left and above (the player's side).
Camera ViewFor(const std::string& rel, const SceneModel& m) {
    Camera cam;
    V3 centre = (m.min + m.max) * 0.5f;
    float radius = std::sqrt(Dot(m.max - m.min, m.max - m.min)) * 0.5f;
    if (rel.find("TitleScene/") == 0 || rel.find("ClearScene/") == 0) {
        float a = 0.6f;
        cam.eye = {-2.3f * std::sin(a), 2.5f, -2.3f * std::cos(a)};
        cam.target = {0, 2.5f, 0};
        cam.ambient = 0.3f;
        return cam;
    }
    V3 dir = rel.find("Stage/") != std::string::npos ? Norm({-0.35f, 1.0f, -0.6f}) : Norm({-0.55f, 0.45f, -1.0f});
    // emitters and the hook show their working end, which faces +z
    if (rel.find("LaserBody") != std::string::npos || rel.find("Hook.gltf") != std::string::npos) dir.z = -dir.z;
    float dist = std::max(radius, 0.05f) / std::sin(cam.fovDeg * 0.5f * 3.14159265f / 180.0f) * 1.05f;
    cam.eye = centre + dir * dist;
    cam.target = centre;
    return cam;
}

}  // namespace

bool RenderModelPicture(const std::string& gltfPath, const std::string& relName, int w, int h, Canvas& out) {
    SceneModel m;
    if (!LoadSceneModel(gltfPath, m)) return false;
    const int ss = 2;
    Rasteriser r(w * ss, h * ss);
    r.Draw(m, ViewFor(relName, m));
    out = r.Resolve(ss);
    return true;
}

bool RenderArrangement(const std::string& modelDir, const std::vector<PlacedModel>& items, const CVec3& eye,
                       const CVec3& target, float fovDeg, float ambient, int w, int h, Canvas& out) {
    const int ss = 2;
    Rasteriser r(w * ss, h * ss);
    Camera cam;
    cam.eye = {eye[0], eye[1], eye[2]};
    cam.target = {target[0], target[1], target[2]};
    cam.fovDeg = fovDeg;
    cam.ambient = ambient;
    bool ok = true;
    for (const auto& item : items) {
        SceneModel m;
        if (!LoadSceneModel(modelDir + "/" + item.file, m)) {
            ok = false;
            continue;
        }
        // the game's yaw: rows (cos, 0, -sin), (0, 1, 0), (sin, 0, cos)
        float a = item.yawDeg * 3.14159265f / 180.0f, c = std::cos(a), s = std::sin(a);
        auto turn = [&](V3 v) { return V3{v.x * c + v.z * s, v.y, -v.x * s + v.z * c}; };
        for (auto& t : m.tris)
            for (auto& v : t.v) {
                v.p = turn(v.p) + V3{item.position[0], item.position[1], item.position[2]};
                v.n = turn(v.n);
            }
        r.Draw(m, cam);
    }
    out = r.Resolve(ss);
    return ok;
}

namespace {

// The gimmicks at their game sizes around a player standing at the origin
// (eye 3 above the floor), as a stage would place them.
bool WriteLineup(const ContentContext& ctx) {
    std::vector<PlacedModel> items = {
        {"GameScene/Gimmick/Door/DoorEdge.gltf", {0, 0, 30}, 0},
        {"GameScene/Gimmick/Door/Door.gltf", {0, 0, 30}, 0},
        {"GameScene/Gimmick/Door/Light_ON.gltf", {0, 8.5f, 30}, 0},
        {"GameScene/Gimmick/Door/DoorEdge.gltf", {-16, 0, 30}, 0},
        {"GameScene/Gimmick/Door/Door.gltf", {-16, 7.5f, 30}, 0},
        {"GameScene/Gimmick/Door/Clock.gltf", {-16, 8.5f, 30}, 0},
        {"GameScene/Gimmick/Button/Button_Edge.gltf", {-6, 0, 14}, 0},
        {"GameScene/Gimmick/Button/Button_Off.gltf", {-6, 0, 14}, 0},
        {"GameScene/Gimmick/Button/Button_Edge.gltf", {6, 0, 14}, 0},
        {"GameScene/Gimmick/Button/Button_On.gltf", {6, -0.3f, 14}, 0},
        {"GameScene/Gimmick/Box/newBox.gltf", {-3, 2.5f, 22}, 0},
        {"GameScene/Gimmick/Laser/LaserBody.gltf", {14, 3, 24}, -90},
        {"GameScene/Gimmick/Laser/LaserBody.gltf", {14, 7, 24}, -90},
        {"GameScene/Window/Window.gltf", {15, 5, 34}, 0},
        {"GameScene/Treasure/ShowCase/ShowCase.gltf", {9, 0, 40}, 0},
        {"GameScene/Treasure/Jewel/JewelMain.gltf", {9, 6, 40}, 0},
    };
    Canvas pic(1, 1);
    bool ok = RenderArrangement(ctx.dataDir + "/Model", items, {0, 3, 0}, {0, 3.5f, 20}, 60, 0.4f, 960, 540, pic);
    return pic.Save(ctx.docsDir + "/ModelLineup.png") && ok;
}

}  // namespace

bool WriteContactSheet(const ContentContext& ctx) {
    std::vector<std::string> models;
    ListModels(ctx.dataDir + "/Model", "", models);
    ContentFonts fonts;
    if (!fonts.Load()) return false;
    const int cellW = 320, cellH = 200, label = 24, cols = 4;
    int rows = static_cast<int>((models.size() + cols - 1) / cols);
    Canvas sheet(cols * cellW, std::max(rows, 1) * (cellH + label), Hex(0x1a1c20));
    bool ok = true;
    for (size_t i = 0; i < models.size(); ++i) {
        int cx = static_cast<int>(i % cols) * cellW, cy = static_cast<int>(i / cols) * (cellH + label);
        Canvas pic(cellW - 4, cellH - 4);
        if (!RenderModelPicture(ctx.dataDir + "/Model/" + models[i], models[i], cellW - 4, cellH - 4, pic)) {
            ok = false;
            continue;
        }
        sheet.Draw(pic, cx + 2, cy + 2);
        TextStyle s;
        s.pixelHeight = 15;
        s.top = s.bottom = Hex(0xe8e0c8);
        DrawText(sheet, fonts.sansBold, models[i], cx + cellW * 0.5f, cy + cellH + label * 0.5f, s, cellW - 8.0f);
    }
    ok = MakeDirs(ctx.docsDir) && ok;
    ok = sheet.Save(ctx.docsDir + "/ContactSheet.png") && ok;
    return WriteLineup(ctx) && ok;
}
