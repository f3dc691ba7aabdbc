// The content tool's glTF writer and mesh helpers. The tool is an executable,
// not a library, so its mesh source is compiled into this test directly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <tiny_gltf.h>

#include "tests/support/TempDir.h"
#include "tools/content/ContentMesh.cpp"

namespace fs = std::filesystem;

namespace {


std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Counts triangles whose own normal (cross(b - a, c - a)) disagrees with the
// vertex normals, and those facing toward `inside` (for closed convex shapes).
struct Orientation {
    int againstNormals = 0, inward = 0, triangles = 0;
};
Orientation Check(const CPrimitive& p, const CVec3& inside) {
    Orientation o;
    for (size_t i = 0; i + 2 < p.indices.size(); i += 3) {
        const CVec3& a = p.positions[p.indices[i]];
        const CVec3& b = p.positions[p.indices[i + 1]];
        const CVec3& c = p.positions[p.indices[i + 2]];
        CVec3 n = Cross(Sub(b, a), Sub(c, a));
        for (int k = 0; k < 3; ++k)
            if (Dot(n, p.normals[p.indices[i + k]]) <= 0.0f) ++o.againstNormals;
        CVec3 mid = Mul(Add(Add(a, b), c), 1.0f / 3.0f);
        if (Dot(n, Sub(mid, inside)) <= 0.0f) ++o.inward;
        ++o.triangles;
    }
    return o;
}

TEST(ContentMesh, ClosedShapesFaceOutwardWithMatchingNormals) {
    struct Case {
        const char* name;
        CPrimitive p;
        CVec3 inside;
    };
    std::vector<Case> cases(10);
    cases[0].name = "box";
    AddBox(cases[0].p, {-1, -2, -3}, {1, 2, 3}, CUvMode{2.0f});
    cases[1].name = "cylinder";
    AddCylinder(cases[1].p, 1, 2, 0, 3, 1, 12, true, true);
    cases[1].inside = {1, 1.5f, 2};
    cases[2].name = "cone";
    AddFrustum(cases[2].p, 0, 0, 0, 2, 1, 0, 10);
    cases[2].inside = {0, 0.5f, 0};
    cases[3].name = "prism";
    AddPrismZ(cases[3].p, {{0, 1}, {-1, -1}, {1, -1}}, -0.5f, 0.5f);
    cases[3].inside = {0, -0.3f, 0};
    cases[4].name = "sphere";
    AddSphere(cases[4].p, {1, 1, 1}, 2, 12, 8);
    cases[4].inside = {1, 1, 1};
    cases[5].name = "icosphere";
    AddIcosphere(cases[5].p, {0, 0, 0}, 2, 1, true);
    cases[6].name = "lathe";
    AddLathe(cases[6].p, {{0, 0}, {2, 0}, {2, 1}, {1.5f, 1.5f}, {0, 1.5f}}, 1, 1, 12, true);
    cases[6].inside = {1, 0.7f, 1};
    cases[7].name = "tube";
    AddTubeBetween(cases[7].p, {1, 1, 1}, {3, 2, 5}, 0.3f, 10);
    cases[7].inside = {2, 1.5f, 3};
    cases[8].name = "mirrored box";
    {
        CPrimitive box;
        AddBox(box, {-1, -1, -1}, {1, 1, 1});
        AppendTransformed(cases[8].p, box, XThen(XScale({1, 2, -1}), XRotateY(30)));
    }
    cases[9].name = "turned cylinder";
    {
        CPrimitive cyl;
        AddCylinder(cyl, 0, 0, 0, 2, 1, 8);
        AppendTransformed(cases[9].p, cyl, XThen(XRotateX(90), XTranslate({0, 0, 5})));
        cases[9].inside = {0, 0, 6};
    }
    for (const auto& c : cases) {
        Orientation o = Check(c.p, c.inside);
        EXPECT_GT(o.triangles, 0) << c.name;
        EXPECT_EQ(o.againstNormals, 0) << c.name;
        EXPECT_EQ(o.inward, 0) << c.name;
    }
    // a torus is not convex: only the normals are checked
    CPrimitive torus;
    AddTorus(torus, {0, 0, 0}, 2, 0.5f, 16, 8);
    EXPECT_EQ(Check(torus, {0, 0, 0}).againstNormals, 0);
}

TEST(ContentMesh, RotationsTurnTheWayTheirNamesSay) {
    auto near = [](const CVec3& a, const CVec3& b) {
        return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]) < 1e-5f;
    };
    EXPECT_TRUE(near(XPoint(XRotateX(90), {0, 1, 0}), {0, 0, 1}));
    EXPECT_TRUE(near(XPoint(XRotateY(90), {0, 0, 1}), {1, 0, 0}));
    EXPECT_TRUE(near(XPoint(XRotateZ(90), {1, 0, 0}), {0, 1, 0}));
    for (CVec3 d : {CVec3{1, 0, 0}, CVec3{0, -1, 0}, CVec3{0, 1, 0}, CVec3{1, 2, 3}}) {
        CVec3 unit = Normalize(d);
        EXPECT_TRUE(near(XPoint(XAlignY(d), {0, 1, 0}), unit));
    }
    // first a, then b
    EXPECT_TRUE(near(XPoint(XThen(XTranslate({1, 0, 0}), XRotateY(90)), {0, 0, 0}), {0, 0, -1}));
}

// The writer turns game coordinates into glTF's: z negated, triangles
// written (a, c, b); identical vertices are shared; materials and texture
// URIs come through; the bytes are the same on every run.
TEST(ContentMesh, WriterConvertsToGltfAndIsDeterministic) {
    CModel model;
    CMaterial stone;
    stone.name = "Stone";
    stone.baseColor = {0.5f, 0.25f, 0.125f, 1.0f};
    stone.metallic = 0.25f;
    stone.roughness = 0.75f;
    stone.baseColorTexture = "Stone.png";
    CMaterial glow;
    glow.name = "Glow";
    glow.emissive = {1.0f, 0.5f, 0.0f};
    glow.blend = true;
    model.materials = {stone, glow};
    CNode node;
    node.name = "Thing";
    node.translation = {1, 2, 3};
    CPrimitive tri;
    tri.material = 1;
    AddTriangle(tri, {0, 0, 1}, {0, 1, 1}, {1, 0, 1}, {0, 1}, {0, 0}, {1, 1});
    CPrimitive box;
    AddBox(box, {-1, -1, -1}, {1, 1, 1});
    node.primitives = {box, tri};
    model.nodes = {node, CNode{"Empty", {}, {0, 0, 0}}};

    TempDir tmp("gv_mesh");
    ASSERT_FALSE(tmp.path.empty());
    fs::path a = tmp.path / "a.gltf", b = tmp.path / "b.gltf";
    ASSERT_TRUE(WriteGltf(a.string(), model));
    ASSERT_TRUE(WriteGltf(b.string(), model));
    EXPECT_EQ(ReadAll(a), ReadAll(b));
    EXPECT_FALSE(fs::exists(tmp.path / "Stone.png"));  // images stay references

    tinygltf::TinyGLTF loader;
    tinygltf::Model g;
    std::string err, warn;
    ASSERT_TRUE(loader.LoadASCIIFromFile(&g, &err, &warn, a.string())) << err;
    ASSERT_EQ(g.buffers.size(), 1u);
    ASSERT_EQ(g.nodes.size(), 2u);
    ASSERT_EQ(g.scenes.size(), 1u);
    EXPECT_EQ(g.scenes[0].nodes, (std::vector<int>{0, 1}));
    EXPECT_EQ(g.nodes[0].translation, (std::vector<double>{1, 2, -3}));
    EXPECT_EQ(g.nodes[1].mesh, -1);
    ASSERT_EQ(g.meshes[g.nodes[0].mesh].primitives.size(), 2u);

    // the box shares nothing between faces (24 vertices), the triangle keeps 3
    const auto& boxPrim = g.meshes[0].primitives[0];
    EXPECT_EQ(g.accessors[boxPrim.attributes.at("POSITION")].count, 24u);
    const auto& triPrim = g.meshes[0].primitives[1];
    EXPECT_EQ(triPrim.material, 1);
    const auto& posAcc = g.accessors[triPrim.attributes.at("POSITION")];
    ASSERT_EQ(posAcc.count, 3u);
    EXPECT_EQ(posAcc.minValues, (std::vector<double>{0, 0, -1}));
    EXPECT_EQ(posAcc.maxValues, (std::vector<double>{1, 1, -1}));
    auto data = [&](int accessor) {
        const auto& acc = g.accessors[accessor];
        const auto& view = g.bufferViews[acc.bufferView];
        return g.buffers[0].data.data() + view.byteOffset + acc.byteOffset;
    };
    const float* pos = reinterpret_cast<const float*>(data(triPrim.attributes.at("POSITION")));
    const float* nrm = reinterpret_cast<const float*>(data(triPrim.attributes.at("NORMAL")));
    const uint32_t* idx = reinterpret_cast<const uint32_t*>(data(triPrim.indices));
    EXPECT_FLOAT_EQ(pos[2], -1.0f);  // z negated
    EXPECT_EQ(idx[0], 0u);
    EXPECT_EQ(idx[1], 2u);  // (a, c, b)
    EXPECT_EQ(idx[2], 1u);
    // the authored face points toward -z in the game (cross(b-a, c-a)),
    // so +z in glTF, and the written winding is counter-clockwise about +z
    EXPECT_FLOAT_EQ(nrm[2], 1.0f);
    float e1[2] = {pos[idx[1] * 3] - pos[idx[0] * 3], pos[idx[1] * 3 + 1] - pos[idx[0] * 3 + 1]};
    float e2[2] = {pos[idx[2] * 3] - pos[idx[0] * 3], pos[idx[2] * 3 + 1] - pos[idx[0] * 3 + 1]};
    EXPECT_GT(e1[0] * e2[1] - e1[1] * e2[0], 0.0f);

    ASSERT_EQ(g.materials.size(), 2u);
    const auto& m0 = g.materials[0];
    EXPECT_EQ(m0.pbrMetallicRoughness.baseColorFactor, (std::vector<double>{0.5, 0.25, 0.125, 1.0}));
    EXPECT_DOUBLE_EQ(m0.pbrMetallicRoughness.metallicFactor, 0.25);
    EXPECT_DOUBLE_EQ(m0.pbrMetallicRoughness.roughnessFactor, 0.75);
    ASSERT_GE(m0.pbrMetallicRoughness.baseColorTexture.index, 0);
    EXPECT_EQ(g.images[g.textures[m0.pbrMetallicRoughness.baseColorTexture.index].source].uri, "Stone.png");
    EXPECT_EQ(g.materials[1].alphaMode, "BLEND");
    EXPECT_EQ(g.materials[1].emissiveFactor, (std::vector<double>{1.0, 0.5, 0.0}));
}

TEST(ContentMesh, WriterRefusesMalformedPrimitives) {
    CModel model;
    model.materials = {CMaterial{}};
    CNode node;
    node.name = "Broken";
    CPrimitive p;
    AddBox(p, {0, 0, 0}, {1, 1, 1});
    p.indices.push_back(999);  // points past the vertices
    p.indices.push_back(0);
    p.indices.push_back(1);
    node.primitives = {p};
    model.nodes = {node};
    TempDir tmp("gv_mesh");
    fs::path out = tmp.path / "broken.gltf";
    EXPECT_FALSE(WriteGltf(out.string(), model));
    EXPECT_FALSE(fs::exists(out));

    model.nodes[0].primitives[0] = CPrimitive{};
    AddBox(model.nodes[0].primitives[0], {0, 0, 0}, {1, 1, 1});
    model.nodes[0].primitives[0].material = 3;  // no such material
    EXPECT_FALSE(WriteGltf(out.string(), model));
}

}  // namespace
