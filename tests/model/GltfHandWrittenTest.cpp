// The glTF loader on files written by the test: primitive sorting and index
// offsets, interleaved buffers, attribute conversions, transforms, binary
// files, texture lookup next to the model.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/model/FwGLTF.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwDirect3D.h"
#include "tests/support/GltfTestSupport.h"

using namespace gltftest;

namespace {

// count vertices along x at height y, file z = zOf(i).
std::vector<float> Strip(size_t count, float y, float z) {
    std::vector<float> p;
    for (size_t i = 0; i < count; ++i) p.insert(p.end(), {float(i), y, z});
    return p;
}

// faces (i, i+1, i+2) for i < count
std::vector<uint16_t> FanIndices(size_t faces) {
    std::vector<uint16_t> idx;
    for (size_t i = 0; i < faces; ++i) idx.insert(idx.end(), {uint16_t(i), uint16_t(i + 1), uint16_t(i + 2)});
    return idx;
}

json Primitive(int position, int indices, int material) {
    json p = {{"attributes", {{"POSITION", position}}}, {"indices", indices}, {"mode", 4}};
    if (material >= 0) p["material"] = material;
    return p;
}

// One node, one mesh with the given primitives, one scene.
void SingleMeshNode(GltfBuilder& b, json primitives, int materials) {
    b.Doc()["meshes"] = json::array({{{"primitives", primitives}}});
    b.Doc()["nodes"] = json::array({{{"mesh", 0}, {"name", "Body"}}});
    b.Doc()["scenes"] = json::array({{{"nodes", {0}}}});
    b.Doc()["materials"] = json::array();
    for (int i = 0; i < materials; ++i) b.Doc()["materials"].push_back({{"name", "M" + std::to_string(i)}});
}

}  // namespace

// Primitive A (material 2, 4 faces, 10 vertices) then B (material 1, 6 faces,
// 12 vertices) in the file: B comes first, A's indices are raised by 12.
TEST(GltfHandWritten, PrimitivesAreSortedByMaterialAndIndicesOffset) {
    GltfBuilder b;
    const int posA = b.AddData(Strip(10, 1.0f, 5.0f), kFloat, "VEC3", 10);
    const int idxA = b.AddData(FanIndices(4), kUShort, "SCALAR", 12);
    const int posB = b.AddData(Strip(12, 2.0f, 7.0f), kFloat, "VEC3", 12);
    const int idxB = b.AddData(FanIndices(6), kUShort, "SCALAR", 18);
    SingleMeshNode(b, {Primitive(posA, idxA, 2), Primitive(posB, idxB, 1)}, 3);
    TempDir dir;
    WriteFile(dir.File("two.gltf"), b.ToText());

    auto gltf = FwLoadGLTFModel(dir.File("two.gltf"));
    ASSERT_TRUE(gltf);
    const FwGLTFNode& node = *gltf->nodes[0];
    EXPECT_EQ(node.name, "Body");
    ASSERT_EQ(node.vertices.size(), 22u);
    ASSERT_EQ(node.faces.size(), 10u);
    ASSERT_EQ(node.subsets.size(), 2u);
    EXPECT_EQ(node.subsets[0].materialIndex, 1);
    EXPECT_EQ(node.subsets[0].firstFace, 0);
    EXPECT_EQ(node.subsets[0].faceCount, 6);
    EXPECT_EQ(node.subsets[1].materialIndex, 2);
    EXPECT_EQ(node.subsets[1].firstFace, 6);
    EXPECT_EQ(node.subsets[1].faceCount, 4);
    // B's vertices first (y = 2, z = -7), then A's (y = 1, z = -5).
    EXPECT_EQ(node.vertices[0].position, Vector3(0, 2, -7));
    EXPECT_EQ(node.vertices[12].position, Vector3(0, 1, -5));
    // B's first face (0, 1, 2) -> (0, 2, 1); A's first face -> 12 + (0, 2, 1).
    EXPECT_EQ(node.faces[0].idx[0], 0u);
    EXPECT_EQ(node.faces[0].idx[1], 2u);
    EXPECT_EQ(node.faces[0].idx[2], 1u);
    EXPECT_EQ(node.faces[6].idx[0], 12u);
    EXPECT_EQ(node.faces[6].idx[1], 14u);
    EXPECT_EQ(node.faces[6].idx[2], 13u);
    EXPECT_EQ(node.faces[9].idx[0], 15u);
    ASSERT_EQ(gltf->materials.size(), 3u);
    EXPECT_EQ(gltf->materials[2].name, "M2");

    // The runtime model carries the same lists into its mesh.
    FwModel model;
    ASSERT_TRUE(model.Load(dir.File("two.gltf")));
    ASSERT_TRUE(model.Nodes()[0].mesh);
    EXPECT_EQ(model.Nodes()[0].mesh->Subsets()[1].firstFace, 6);
    EXPECT_EQ(model.Nodes()[0].mesh->Faces()[6].idx[0], 12u);
    EXPECT_EQ(model.Materials().size(), 3u);
}

// A primitive without material and one with material 0 both record 0;
// non-triangle primitives (lines here) are skipped.
TEST(GltfHandWritten, MissingMaterialIsZeroAndNonTrianglesAreSkipped) {
    GltfBuilder b;
    const int pos = b.AddData(Strip(3, 0, 0), kFloat, "VEC3", 3);
    const int idx = b.AddData(FanIndices(1), kUShort, "SCALAR", 3);
    json lines = Primitive(pos, idx, 0);
    lines["mode"] = 1;
    SingleMeshNode(b, {Primitive(pos, idx, -1), lines, Primitive(pos, idx, 0)}, 1);
    TempDir dir;
    WriteFile(dir.File("m.gltf"), b.ToText());
    auto gltf = FwLoadGLTFModel(dir.File("m.gltf"));
    ASSERT_TRUE(gltf);
    ASSERT_EQ(gltf->nodes[0]->subsets.size(), 2u);
    EXPECT_EQ(gltf->nodes[0]->subsets[0].materialIndex, 0);
    EXPECT_EQ(gltf->nodes[0]->subsets[1].materialIndex, 0);
    EXPECT_EQ(gltf->nodes[0]->vertices.size(), 6u);
}

// Position, normal and texture coordinate interleaved in one buffer view
// with a 32-byte stride: each vertex reads its own values.
TEST(GltfHandWritten, InterleavedBufferViewsUseTheByteStride) {
    std::vector<float> interleaved;
    for (int i = 0; i < 4; ++i) {
        const float f = float(i);
        interleaved.insert(interleaved.end(), {f, 10 + f, 20 + f,        // position
                                               0, 1, f,                  // normal
                                               0.25f * f, 1 - 0.25f * f});  // uv
    }
    GltfBuilder b;
    const int view = b.AddView(interleaved, 32);
    const int pos = b.AddAccessor(view, 0, kFloat, 4, "VEC3");
    const int nrm = b.AddAccessor(view, 12, kFloat, 4, "VEC3");
    const int uv = b.AddAccessor(view, 24, kFloat, 4, "VEC2");
    const int idx = b.AddData(std::vector<uint8_t>{0, 1, 2, 2, 1, 3}, kUByte, "SCALAR", 6);
    json primitive = Primitive(pos, idx, -1);
    primitive["attributes"]["NORMAL"] = nrm;
    primitive["attributes"]["TEXCOORD_0"] = uv;
    SingleMeshNode(b, {primitive}, 0);
    TempDir dir;
    WriteFile(dir.File("interleaved.gltf"), b.ToText());

    auto gltf = FwLoadGLTFModel(dir.File("interleaved.gltf"));
    ASSERT_TRUE(gltf);
    const auto& v = gltf->nodes[0]->vertices;
    ASSERT_EQ(v.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const float f = float(i);
        EXPECT_EQ(v[i].position, Vector3(f, 10 + f, -(20 + f)));
        EXPECT_EQ(v[i].normal, Vector3(0, 1, -f));
        EXPECT_EQ(v[i].uv.x, 0.25f * f);
        EXPECT_EQ(v[i].uv.y, 1 - 0.25f * f);
    }
    ASSERT_EQ(gltf->nodes[0]->faces.size(), 2u);
    EXPECT_EQ(gltf->nodes[0]->faces[1].idx[0], 2u);
    EXPECT_EQ(gltf->nodes[0]->faces[1].idx[1], 3u);
    EXPECT_EQ(gltf->nodes[0]->faces[1].idx[2], 1u);
}

// COLOR_0 (0.5, 1.2, -0.1) -> bytes (127, 255, 0), alpha 255; RGBA colours
// keep their alpha; normalised integer texture coordinates.
TEST(GltfHandWritten, ColorsClampAndTruncateTexcoordsNormalise) {
    GltfBuilder b;
    const int pos = b.AddData(Strip(3, 0, 0), kFloat, "VEC3", 3);
    const int rgb = b.AddData(std::vector<float>{0.5f, 1.2f, -0.1f, 0, 0, 0, 1, 1, 1}, kFloat, "VEC3", 3);
    const int rgba = b.AddData(std::vector<float>{0.5f, 1.2f, -0.1f, 0.5f, 0, 0, 0, 0, 1, 1, 1, 1}, kFloat, "VEC4", 3);
    const int uvShort = b.AddData(std::vector<uint16_t>{65535, 0, 32768, 65535, 0, 0}, kUShort, "VEC2", 3);
    const int uvByte = b.AddData(std::vector<int8_t>{-128, 127, 0, -127, 64, 0}, kByte, "VEC2", 3);
    const int idx = b.AddData(FanIndices(1), kUShort, "SCALAR", 3);
    json p1 = Primitive(pos, idx, -1), p2 = Primitive(pos, idx, -1);
    p1["attributes"]["COLOR_0"] = rgb;
    p1["attributes"]["TEXCOORD_0"] = uvShort;
    p2["attributes"]["COLOR_0"] = rgba;
    p2["attributes"]["TEXCOORD_0"] = uvByte;
    SingleMeshNode(b, {p1, p2}, 0);
    TempDir dir;
    WriteFile(dir.File("c.gltf"), b.ToText());

    auto gltf = FwLoadGLTFModel(dir.File("c.gltf"));
    ASSERT_TRUE(gltf);
    const auto& v = gltf->nodes[0]->vertices;
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(v[0].color, 0xFF00FF7Fu);  // r 127, g 255, b 0, a 255
    EXPECT_EQ(v[1].color, 0xFF000000u);
    EXPECT_EQ(v[2].color, 0xFFFFFFFFu);
    EXPECT_EQ(v[3].color, 0x7F00FF7Fu);  // alpha 0.5 -> 127
    EXPECT_EQ(v[4].color, 0x00000000u);
    EXPECT_FLOAT_EQ(v[0].uv.x, 1.0f);
    EXPECT_FLOAT_EQ(v[0].uv.y, 0.0f);
    EXPECT_FLOAT_EQ(v[1].uv.x, 32768.0f / 65535.0f);
    EXPECT_FLOAT_EQ(v[3].uv.x, -1.0f);  // -128 / 127 clamps to -1
    EXPECT_FLOAT_EQ(v[3].uv.y, 1.0f);
    EXPECT_FLOAT_EQ(v[4].uv.y, -1.0f);
    EXPECT_FLOAT_EQ(v[5].uv.x, 64.0f / 127.0f);
}

// Scale, rotation and translation compose in that order; the result is
// z-mirrored: translation (1, 2, 3) lands at (1, 2, -3).
TEST(GltfHandWritten, TrsTransformsComposeAndMirror) {
    GltfBuilder b;
    const float s = std::sqrt(0.5f);
    b.Doc()["nodes"] = json::array({{{"translation", {1, 2, 3}}},
                                    {{"scale", {2, 2, 2}}, {"rotation", {0, s, 0, s}}, {"translation", {1, 0, 0}}}});
    b.Doc()["scenes"] = json::array({{{"nodes", {0, 1}}}});
    TempDir dir;
    WriteFile(dir.File("t.gltf"), b.ToText());
    FwModel model;
    ASSERT_TRUE(model.Load(dir.File("t.gltf")));
    ASSERT_EQ(model.Nodes().size(), 2u);
    EXPECT_EQ(model.Nodes()[0].matrix.Translation(), Vector3(1, 2, -3));
    // File: +X scaled by 2, turned 90 degrees about +Y (right-handed: to -Z),
    // moved by (1, 0, 0) -> (1, 0, -2). Mirrored: (1, 0, 2).
    const Vector3 p = TransformCoord({1, 0, 0}, model.Nodes()[1].matrix);
    EXPECT_NEAR(p.x, 1.0f, 1e-5f);
    EXPECT_NEAR(p.y, 0.0f, 1e-5f);
    EXPECT_NEAR(p.z, 2.0f, 1e-5f);
    EXPECT_FALSE(model.Nodes()[0].mesh);
    EXPECT_EQ(model.MeshNodes().size(), 2u);
}

// Roots come from the first scene, whatever the default scene says; a file
// without scenes has no roots but still its nodes.
TEST(GltfHandWritten, RootsComeFromTheFirstScene) {
    GltfBuilder b;
    b.Doc()["nodes"] = json::array({json::object(), json::object(), {{"children", {0}}}});
    b.Doc()["scenes"] = json::array({{{"nodes", {2, 1}}}, {{"nodes", {1}}}});
    b.Doc()["scene"] = 1;
    TempDir dir;
    WriteFile(dir.File("s.gltf"), b.ToText());
    auto gltf = FwLoadGLTFModel(dir.File("s.gltf"));
    ASSERT_TRUE(gltf);
    ASSERT_EQ(gltf->rootNodes.size(), 2u);
    EXPECT_EQ(gltf->rootNodes[0]->index, 2);
    EXPECT_EQ(gltf->rootNodes[1]->index, 1);

    b.Doc().erase("scenes");
    b.Doc().erase("scene");
    WriteFile(dir.File("noscene.gltf"), b.ToText());
    FwModel model;
    ASSERT_TRUE(model.Load(dir.File("noscene.gltf")));
    EXPECT_EQ(model.Nodes().size(), 3u);
    EXPECT_TRUE(model.MeshNodes().empty());
}

// Binary glTF is recognised by its magic, whatever the extension says.
TEST(GltfHandWritten, BinaryGltfIsRecognisedByItsMagic) {
    GltfBuilder b;
    const int pos = b.AddData(Strip(3, 0, 4), kFloat, "VEC3", 3);
    const int idx = b.AddData(FanIndices(1), kUShort, "SCALAR", 3);
    SingleMeshNode(b, {Primitive(pos, idx, -1)}, 0);
    TempDir dir;
    for (const char* name : {"lower.glb", "UPPER.GLB", "Mixed.Glb", "binary-named.gltf"}) {
        SCOPED_TRACE(name);
        WriteFile(dir.File(name), b.ToGlb());
        testing::internal::CaptureStdout();
        FwModel model;
        const bool loaded = model.Load(dir.File(name));
        const std::string out = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(loaded) << model.LoadError();
        EXPECT_EQ(out, "");  // a model that loads says nothing
        ASSERT_TRUE(model.Nodes()[0].mesh);
        EXPECT_EQ(model.Nodes()[0].mesh->Positions()[2], Vector3(2, 0, -4));
    }
    WriteFile(dir.File("TEXT.GLB"), b.ToText());  // a text file behind a binary name
    FwModel text;
    EXPECT_TRUE(text.Load(dir.File("TEXT.GLB")));
}

// Textures are looked up next to the model; without a graphics device (or
// when the file is missing) the slots hold the renderer's default texture,
// the normal texture an empty one.
TEST(GltfHandWritten, MissingTexturesFallBack) {
    GltfBuilder b;
    b.Doc()["images"] = json::array({{{"uri", "missing.png"}}, {{"uri", "also-missing.png"}}});
    b.Doc()["textures"] = json::array({{{"source", 0}}, {{"source", 1}}, {{"source", 7}}});
    b.Doc()["materials"] = json::array({{{"name", "Stone"},
                                         {"pbrMetallicRoughness",
                                          {{"baseColorTexture", {{"index", 0}}},
                                           {"metallicFactor", 0.25},
                                           {"roughnessFactor", 0.75},
                                           {"metallicRoughnessTexture", {{"index", 2}}}}},
                                         {"normalTexture", {{"index", 1}}},
                                         {"emissiveFactor", {0.1, 0.2, 0.3}}}});
    TempDir dir;
    WriteFile(dir.File("tex.gltf"), b.ToText());
    auto gltf = FwLoadGLTFModel(dir.File("tex.gltf"));
    ASSERT_TRUE(gltf);
    EXPECT_EQ(gltf->materials[0].baseColorTexture, "missing.png");
    EXPECT_EQ(gltf->materials[0].normalTexture, "also-missing.png");
    EXPECT_TRUE(gltf->materials[0].metallicRoughnessTexture.empty());  // texture without an image

    FwModel model;
    ASSERT_TRUE(model.Load(dir.File("tex.gltf")));
    const FwModelMaterial& m = model.Materials()[0];
    EXPECT_EQ(m.name, "Stone");
    EXPECT_EQ(m.metallic, 0.25f);
    EXPECT_EQ(m.roughness, 0.75f);
    EXPECT_FLOAT_EQ(m.emissive.z, 0.3f);
    const auto defaultTexture = FwDirect3D::GetInstance().GetDefaultTexture();
    EXPECT_EQ(m.baseColorTexture, defaultTexture);
    EXPECT_EQ(m.metallicRoughnessTexture, defaultTexture);
    ASSERT_TRUE(m.normalTexture);
    EXPECT_NE(m.normalTexture, defaultTexture);
    EXPECT_TRUE(m.normalTexture->IsEmpty());
}
