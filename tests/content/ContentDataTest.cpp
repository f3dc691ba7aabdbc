// The committed Data/ folder: the content tool reproduces it exactly, every
// picture has the pixel size its sprite assumes, and every model parses with
// nodes, meshes, normals, texture coordinates, materials and its textures.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/content/ContentFiles.h"

#include <stb_image.h>
#include <tiny_gltf.h>

namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(GV_SOURCE_DIR) + "/Data";

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> FilesUnder(const fs::path& root) {
    std::set<std::string> out;
    if (!fs::exists(root)) return out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), root).generic_string());
    return out;
}


TEST(ContentTool, RegeneratesDataByteForByte) {
    fs::path tool = fs::path(GV_BINARY_DIR) / "tools/content/gv_content";
    ASSERT_TRUE(fs::exists(tool)) << "build the gv_content target first: " << tool;
    TempDir tmp("gv_content");
    ASSERT_FALSE(tmp.path.empty());
    std::string cmd = "\"" + tool.string() + "\" --out \"" + tmp.path.string() + "\" > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

    std::set<std::string> made = FilesUnder(tmp.path / "Data");
    std::set<std::string> committed = FilesUnder(kData);
    ASSERT_FALSE(made.empty());
    for (const auto& f : made) EXPECT_TRUE(committed.count(f)) << "not committed: Data/" << f;
    for (const auto& f : committed) EXPECT_TRUE(made.count(f)) << "not made by the tool: Data/" << f;
    for (const auto& f : made) {
        if (!committed.count(f)) continue;
        EXPECT_TRUE(ReadAll(tmp.path / "Data" / f) == ReadAll(fs::path(kData) / f))
            << "Data/" << f << " differs from what the tool writes";
    }
}



struct Pixels {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;
};

Pixels Load(const std::string& path) {
    Pixels p;
    int n = 0;
    unsigned char* d = stbi_load(path.c_str(), &p.w, &p.h, &n, 4);
    if (d) {
        p.rgba.assign(d, d + static_cast<size_t>(p.w) * p.h * 4);
        stbi_image_free(d);
    }
    return p;
}

TEST(ContentImages, SpritesHaveTheSizesTheGameDraws) {
    for (const auto& img : kSizedImages) {
        Pixels p = Load(kData + "/Texture/" + img.name);
        ASSERT_FALSE(p.rgba.empty()) << img.name << " missing or not a PNG";
        EXPECT_EQ(p.w, img.w) << img.name;
        EXPECT_EQ(p.h, img.h) << img.name;
        // a sprite that is entirely transparent shows nothing
        bool visible = false;
        for (size_t i = 3; i < p.rgba.size() && !visible; i += 4) visible = p.rgba[i] > 0;
        EXPECT_TRUE(visible) << img.name << " is fully transparent";
    }
}

TEST(ContentImages, FadeIsOpaqueBlackAndEffectsDecode) {
    Pixels fade = Load(kData + "/Texture/FadeBlack.png");
    ASSERT_EQ(fade.rgba.size(), 1280u * 720u * 4u);
    for (size_t i = 0; i < fade.rgba.size(); i += 4) {
        ASSERT_EQ(fade.rgba[i], 0);
        ASSERT_EQ(fade.rgba[i + 1], 0);
        ASSERT_EQ(fade.rgba[i + 2], 0);
        ASSERT_EQ(fade.rgba[i + 3], 255);
    }
    for (const char* name : {"GameScene/HookGun/TipEffect.png", "GameScene/Laser/NewLaser.png",
                             "GameScene/TimeDoor/ClockHands.png"}) {
        Pixels p = Load(kData + "/Texture/" + name);
        EXPECT_GT(p.w, 0) << name;
        EXPECT_GT(p.h, 0) << name;
    }
    // the clock hand points up from the quad's centre: ink above the centre,
    // (almost) none in the lower outer half
    Pixels hand = Load(kData + "/Texture/GameScene/TimeDoor/ClockHands.png");
    ASSERT_GT(hand.w, 0);
    auto alpha = [&](int x, int y) { return hand.rgba[(static_cast<size_t>(y) * hand.w + x) * 4 + 3]; };
    EXPECT_GT(alpha(hand.w / 2, hand.h / 4), 128);
    EXPECT_EQ(alpha(hand.w / 2, hand.h * 15 / 16), 0);
}

// ---------------------------------------------------------------- models



struct Tri {
    float p[3][3];
    float n[3][3];
};

// A model's triangles in game coordinates (z negated, winding (a, c, b)),
// the way the game's loader reads them.
struct GameMesh {
    std::vector<Tri> tris;
    float min[3] = {1e30f, 1e30f, 1e30f}, max[3] = {-1e30f, -1e30f, -1e30f};
};

template <typename T>
const T* Data(const tinygltf::Model& m, int accessor) {
    const auto& a = m.accessors.at(accessor);
    const auto& v = m.bufferViews.at(a.bufferView);
    return reinterpret_cast<const T*>(m.buffers.at(v.buffer).data.data() + v.byteOffset + a.byteOffset);
}

::testing::AssertionResult LoadModel(const std::string& rel, tinygltf::Model& m) {
    tinygltf::TinyGLTF loader;
    std::string err, warn;
    if (!loader.LoadASCIIFromFile(&m, &err, &warn, kData + "/Model/" + rel))
        return ::testing::AssertionFailure() << rel << ": " << err;
    return ::testing::AssertionSuccess();
}

GameMesh ToGame(const tinygltf::Model& m) {
    GameMesh g;
    for (const auto& node : m.nodes) {
        if (node.mesh < 0) continue;
        float t[3] = {0, 0, 0};
        for (size_t k = 0; k < node.translation.size() && k < 3; ++k) t[k] = float(node.translation[k]);
        for (const auto& prim : m.meshes[node.mesh].primitives) {
            const float* pos = Data<float>(m, prim.attributes.at("POSITION"));
            const float* nrm = Data<float>(m, prim.attributes.at("NORMAL"));
            const uint32_t* idx = Data<uint32_t>(m, prim.indices);
            size_t n = m.accessors[prim.indices].count;
            for (size_t i = 0; i + 2 < n; i += 3) {
                Tri tri;
                uint32_t order[3] = {idx[i], idx[i + 2], idx[i + 1]};
                for (int v = 0; v < 3; ++v)
                    for (int k = 0; k < 3; ++k) {
                        float s = k == 2 ? -1.0f : 1.0f;
                        tri.p[v][k] = s * (pos[order[v] * 3 + k] + t[k]);
                        tri.n[v][k] = s * nrm[order[v] * 3 + k];
                        g.min[k] = std::min(g.min[k], tri.p[v][k]);
                        g.max[k] = std::max(g.max[k], tri.p[v][k]);
                    }
                g.tris.push_back(tri);
            }
        }
    }
    return g;
}

TEST(ContentModels, EveryModelParsesWithMeshesMaterialsAndTextures) {
    for (const char* rel : kObjectModels) {
        SCOPED_TRACE(rel);
        tinygltf::Model m;
        ASSERT_TRUE(LoadModel(rel, m));
        ASSERT_FALSE(m.scenes.empty());
        EXPECT_FALSE(m.scenes[0].nodes.empty());
        EXPECT_FALSE(m.meshes.empty());
        EXPECT_FALSE(m.materials.empty());
        for (const auto& mesh : m.meshes)
            for (const auto& prim : mesh.primitives) {
                EXPECT_EQ(prim.mode, TINYGLTF_MODE_TRIANGLES);
                EXPECT_TRUE(prim.attributes.count("POSITION") && prim.attributes.count("NORMAL") &&
                            prim.attributes.count("TEXCOORD_0"));
                EXPECT_GE(prim.material, 0);
                EXPECT_LT(prim.material, static_cast<int>(m.materials.size()));
                ASSERT_GE(prim.indices, 0);
                const auto& acc = m.accessors[prim.indices];
                EXPECT_EQ(acc.componentType, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
                EXPECT_EQ(acc.count % 3, 0u);
                size_t verts = m.accessors[prim.attributes.at("POSITION")].count;
                const uint32_t* idx = Data<uint32_t>(m, prim.indices);
                for (size_t i = 0; i < acc.count; ++i) ASSERT_LT(idx[i], verts);
            }
        std::string dir = (fs::path(kData) / "Model" / rel).parent_path().string();
        for (const auto& img : m.images) {
            Pixels p = Load(dir + "/" + img.uri);
            EXPECT_GT(p.w, 0) << "texture " << img.uri << " missing next to the model";
        }
    }
}

// Faces are wound so the game's culling keeps the outside: the triangle's
// own normal agrees with its vertex normals.
TEST(ContentModels, FacesPointTheWayTheirNormalsDo) {
    for (const char* rel : kObjectModels) {
        SCOPED_TRACE(rel);
        tinygltf::Model m;
        ASSERT_TRUE(LoadModel(rel, m));
        GameMesh g = ToGame(m);
        size_t bad = 0;
        for (const auto& t : g.tris) {
            float e1[3], e2[3];
            for (int k = 0; k < 3; ++k) {
                e1[k] = t.p[1][k] - t.p[0][k];
                e2[k] = t.p[2][k] - t.p[0][k];
            }
            float c[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
            float avg[3] = {0, 0, 0};
            for (int v = 0; v < 3; ++v)
                for (int k = 0; k < 3; ++k) avg[k] += t.n[v][k];
            if (c[0] * avg[0] + c[1] * avg[1] + c[2] * avg[2] <= 0.0f) ++bad;
        }
        EXPECT_EQ(bad, 0u) << "of " << g.tris.size() << " triangles";
    }
}

GameMesh LoadGame(const std::string& rel) {
    tinygltf::Model m;
    EXPECT_TRUE(LoadModel(rel, m));
    return ToGame(m);
}

// The sizes that the game's constants assume of the models.
TEST(ContentModels, ModelsHaveTheSizesTheGameAssumes) {
    const float eps = 1e-3f;
    GameMesh box = LoadGame("GameScene/Gimmick/Box/newBox.gltf");
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(box.min[k], -2.5f, eps);  // half height 2.5, a 5 x 5 x 5 cube
        EXPECT_NEAR(box.max[k], 2.5f, eps);
    }
    GameMesh link = LoadGame("GameScene/HookGun/OneChain.gltf");
    EXPECT_NEAR(link.min[2], 0.0f, 0.05f);  // links are drawn 0.5 apart from the hook
    EXPECT_NEAR(link.max[2], 0.5f, 0.05f);

    GameMesh panel = LoadGame("GameScene/Gimmick/Door/Door.gltf");
    EXPECT_NEAR(panel.min[1], 0.0f, eps);  // closed, it stands on the floor
    EXPECT_GE(panel.max[1], 7.5f);        // and rises 7.5 to clear the opening
    EXPECT_GE(panel.max[0], 4.0f);
    EXPECT_LE(panel.min[0], -4.0f);

    // nothing of the clock stands in front of the hand (0.45 before the
    // door plane) where the hand turns
    GameMesh clock = LoadGame("GameScene/Gimmick/Door/Clock.gltf");
    for (const auto& t : clock.tris) {
        for (const auto& p : t.p) {
            if (p[2] < -0.45f) {
                EXPECT_GE(std::hypot(p[0], p[1]), 0.7f);
            }
        }
    }

    GameMesh top = LoadGame("GameScene/Gimmick/Button/Button_Off.gltf");
    EXPECT_GT(top.max[1], 0.3f);  // still above the base when pressed 0.3
    EXPECT_LT(top.max[1], 1.0f);

    // the jewel floats 6 above the showcase: the pedestal stays below it
    GameMesh jewel = LoadGame("GameScene/Treasure/Jewel/JewelMain.gltf");
    GameMesh showcase = LoadGame("GameScene/Treasure/ShowCase/ShowCase.gltf");
    EXPECT_LT(showcase.max[1], 6.0f + jewel.min[1]);
    EXPECT_LE(std::max(jewel.max[0], -jewel.min[0]), 2.5f);  // within the catch radius

    // the lasers' target: round about the eye, reaching down toward the feet
    GameMesh body = LoadGame("GameScene/Player/CollisionModel.gltf");
    EXPECT_LE(body.min[1], -2.4f);
    EXPECT_GE(body.max[1], 0.5f);
    EXPECT_NEAR(body.max[0], -body.min[0], 0.05f);
    EXPECT_NEAR(body.max[2], -body.min[2], 0.05f);

    // the emitter's body ends before the beam's start 1.0 ahead
    GameMesh laser = LoadGame("GameScene/Gimmick/Laser/LaserBody.gltf");
    EXPECT_LT(laser.max[2], 1.0f);
}

// ---------------------------------------------------------------- door views

using P3 = std::array<float, 3>;

P3 Sub(const P3& a, const P3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
P3 Cross(const P3& a, const P3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float Dot(const P3& a, const P3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Parameter t (in units of `dir`) of the nearest hit of o + t dir with any
// triangle of the mesh, both faces counted; a huge value on a miss.
float FirstHit(const GameMesh& g, const P3& o, const P3& dir) {
    float best = 3.4e38f;
    for (const auto& tri : g.tris) {
        P3 a = {tri.p[0][0], tri.p[0][1], tri.p[0][2]};
        P3 e1 = Sub({tri.p[1][0], tri.p[1][1], tri.p[1][2]}, a);
        P3 e2 = Sub({tri.p[2][0], tri.p[2][1], tri.p[2][2]}, a);
        P3 pv = Cross(dir, e2);
        float det = Dot(e1, pv);
        if (std::fabs(det) < 1e-12f) continue;
        P3 tv = Sub(o, a);
        float u = Dot(tv, pv) / det;
        if (u < 0.0f || u > 1.0f) continue;
        P3 qv = Cross(tv, e1);
        float v = Dot(dir, qv) / det;
        if (v < 0.0f || u + v > 1.0f) continue;
        float t = Dot(e2, qv) / det;
        if (t > 0.0f && t < best) best = t;
    }
    return best;
}

// The visible surface of a part seen straight on from the side z < 0 of the
// door (in the door's frame, the part's centre at (0, centreY)): for each
// sample point of a disc of the given radius, where a ray along +z first
// meets the part. Samples that miss the part are left out.
std::vector<P3> FrontSurface(const GameMesh& part, float centreY, float radius) {
    std::vector<P3> out;
    for (float r : {0.0f, radius * 0.5f, radius})
        for (int k = 0; k < (r > 0.0f ? 16 : 1); ++k) {
            float a = k * 6.2831853f / 16.0f;
            P3 o = {r * std::cos(a), centreY + r * std::sin(a), -5.0f};
            float t = FirstHit(part, {o[0], o[1] - centreY, o[2]}, {0, 0, 1});
            if (t < 1e30f) out.push_back({o[0], o[1], o[2] + t});
        }
    return out;
}

// Where a player's eye can be in front of a door (local z < 0): at least 2.0
// from the wall face (the wall push-out), 3.0 above the floor standing and up
// to about 12.4 at a jump's peak, seen within 70 degrees of straight on from
// the part at (0, centreY, 0). The closest standing spot right below the
// part (about 66 degrees up) is among them.
std::vector<P3> EyesInFront(float centreY) {
    std::vector<P3> eyes;
    for (float z : {-2.4f, -4.0f, -8.0f, -16.0f, -30.0f})
        for (float y : {3.0f, 7.0f, 12.4f})
            for (float x = -30.0f; x <= 30.0f; x += 1.5f) {
                P3 d = {x, y - centreY, z};
                if (-z >= std::cos(70.0f * 0.017453292f) * std::sqrt(Dot(d, d))) eyes.push_back({x, y, z});
            }
    return eyes;
}

// Counts the eye-to-target sight lines that the frame blocks before they
// reach the target (a hair short of it, so touching surfaces do not count).
int BlockedSightLines(const GameMesh& frame, const std::vector<P3>& eyes, const std::vector<P3>& targets,
                      std::string& example) {
    int blocked = 0;
    for (const P3& e : eyes)
        for (const P3& t : targets) {
            P3 d = Sub(t, e);
            float len = std::sqrt(Dot(d, d));
            if (FirstHit(frame, e, d) < 1.0f - 0.005f / len) {
                if (blocked++ == 0)
                    example = "eye (" + std::to_string(e[0]) + ", " + std::to_string(e[1]) + ", " +
                              std::to_string(e[2]) + ") to (" + std::to_string(t[0]) + ", " +
                              std::to_string(t[1]) + ", " + std::to_string(t[2]) + ")";
            }
        }
    return blocked;
}

GameMesh MirroredZ(GameMesh g) {
    for (auto& t : g.tris)
        for (auto& p : t.p) p[2] = -p[2];
    return g;
}

// The frame is drawn at the door's base point, the clock and the lamp 8.5
// above it in the same frame (all turned by the door's yaw), the clock's hand
// 0.45 in front of the door plane on the clock's side (local -z); the wall
// holding the door is 0.8 thick about the door plane. From wherever a player
// can look at the door, the frame must not hide the clock's face, the hand's
// reach or the lamp's lens, and those must stand proud of the wall.
TEST(ContentModels, DoorFrameLeavesClockAndLampInView) {
    const float partY = 8.5f, wallFace = -0.4f, handZ = -0.45f, handReach = 0.5f;
    GameMesh frame = LoadGame("GameScene/Gimmick/Door/DoorEdge.gltf");
    GameMesh clock = LoadGame("GameScene/Gimmick/Door/Clock.gltf");
    ASSERT_FALSE(frame.tris.empty());
    ASSERT_FALSE(clock.tris.empty());

    // still a door frame: proud of both wall faces, up to its full height
    EXPECT_LT(frame.min[2], wallFace);
    EXPECT_GT(frame.max[2], -wallFace);
    EXPECT_NEAR(frame.max[1], 10.2f, 1e-3f);

    std::vector<P3> eyes = EyesInFront(partY);
    ASSERT_GT(eyes.size(), 100u);

    std::vector<P3> dial = FrontSurface(clock, partY, 0.7f);
    ASSERT_EQ(dial.size(), 33u) << "the clock's face does not cover a disc of radius 0.7";
    for (const P3& p : dial) {
        EXPECT_LT(p[2], wallFace - 0.01f) << "the dial is not proud of the wall";
        EXPECT_GE(p[2], handZ) << "the clock stands in front of its hand";
    }
    std::vector<P3> hand;
    for (float r : {0.0f, handReach})
        for (int k = 0; k < 8; ++k)
            hand.push_back({r * std::cos(k * 0.785398f), partY + r * std::sin(k * 0.785398f), handZ});
    std::string example;
    EXPECT_EQ(BlockedSightLines(frame, eyes, dial, example), 0) << "the frame hides the dial: " << example;
    EXPECT_EQ(BlockedSightLines(frame, eyes, hand, example), 0) << "the frame hides the hand: " << example;

    // the lamp shows a lens on each face of the door
    for (const char* name : {"GameScene/Gimmick/Door/Light_ON.gltf", "GameScene/Gimmick/Door/Light_OFF.gltf"}) {
        GameMesh lamp = LoadGame(name);
        for (bool back : {false, true}) {
            const GameMesh& l = back ? MirroredZ(lamp) : lamp;
            const GameMesh& f = back ? MirroredZ(frame) : frame;
            std::vector<P3> lens = FrontSurface(l, partY, 0.3f);
            ASSERT_EQ(lens.size(), 33u) << name;
            for (const P3& p : lens) EXPECT_LT(p[2], wallFace - 0.01f) << name << " is buried in the wall";
            EXPECT_EQ(BlockedSightLines(f, eyes, lens, example), 0)
                << "the frame hides " << name << (back ? " (back)" : " (front)") << ": " << example;
        }
    }
}

}  // namespace
