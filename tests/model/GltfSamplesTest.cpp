// The glTF loader on real sample files: counts, the left-handed conversion
// (checked against the raw JSON values), transforms and materials.
#include <gtest/gtest.h>

#include <string>

#include "framework/model/FwGLTF.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwDirect3D.h"
#include "tests/support/GltfTestSupport.h"

using namespace gltftest;

namespace {

std::string Sample(const std::string& name) { return std::string(GV_SAMPLES_DIR) + "/" + name; }

struct SampleFacts {
    const char* file;
    size_t nodeCount;
    int meshNode;  // a node with a mesh
    size_t vertices;
    size_t triangles;
    size_t materials;
};

// From FACTS.txt next to the samples (tests/model/samples).
const SampleFacts kFacts[] = {
    {"Box.gltf", 2, 1, 24, 12, 1},
    {"BoxTextured.gltf", 3, 2, 24, 12, 1},
    {"BoxVertexColors.gltf", 1, 0, 24, 12, 0},
    {"Cameras.gltf", 3, 0, 4, 2, 0},
    {"SimpleMeshes.gltf", 2, 1, 3, 1, 0},
    {"Triangle.gltf", 1, 0, 3, 1, 0},
    {"TriangleWithoutIndices.gltf", 1, 0, 3, 1, 0},
};

// The mirror of z the loader applies to points.
Vector3 MirrorZ(const Vector3& p) { return {p.x, p.y, -p.z}; }

// The glTF node transform in row-vector form, right-handed, from the JSON.
Matrix RawNodeMatrix(const json& node) {
    Matrix s, r, t, m;
    if (node.contains("scale")) s = MatrixScaling(node["scale"][0], node["scale"][1], node["scale"][2]);
    if (node.contains("rotation")) {
        const json& q = node["rotation"];
        r = MatrixRotationQuaternion(q[0], q[1], q[2], q[3]);
    }
    if (node.contains("translation"))
        t = MatrixTranslation(node["translation"][0], node["translation"][1], node["translation"][2]);
    if (node.contains("matrix"))
        for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = node["matrix"][i];
    return s * r * t * m;
}

void ExpectNear(const Vector3& a, const Vector3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

}  // namespace

TEST(GltfSamples, NodeVertexAndTriangleCountsMatchTheFacts) {
    for (const SampleFacts& f : kFacts) {
        SCOPED_TRACE(f.file);
        FwModel model;
        ASSERT_TRUE(model.Load(Sample(f.file)));
        ASSERT_EQ(model.Nodes().size(), f.nodeCount);
        EXPECT_EQ(model.Materials().size(), f.materials);
        const FwModelNode& node = model.Nodes()[f.meshNode];
        EXPECT_EQ(node.index, f.meshNode);
        ASSERT_TRUE(node.mesh);
        EXPECT_EQ(node.mesh->Positions().size(), f.vertices);
        EXPECT_EQ(node.mesh->Faces().size(), f.triangles);
        ASSERT_EQ(node.mesh->Subsets().size(), 1u);
        EXPECT_EQ(node.mesh->Subsets()[0].firstFace, 0);
        EXPECT_EQ(node.mesh->Subsets()[0].faceCount, int(f.triangles));
        EXPECT_EQ(node.mesh->Subsets()[0].materialIndex, 0);  // material 0 or none
        for (const FwModelNode& other : model.Nodes()) {
            if (other.index != f.meshNode && std::string(f.file) != "SimpleMeshes.gltf") {
                EXPECT_FALSE(other.mesh);
            }
        }
    }
}

// Every position is the file's (x, y, -z) and every triangle (a, b, c) of
// the file becomes (a, c, b), compared with the values decoded from the JSON.
TEST(GltfSamples, PositionsAreZMirroredAndWindingIsSwapped) {
    for (const SampleFacts& f : kFacts) {
        SCOPED_TRACE(f.file);
        const RawGltf raw(Sample(f.file));
        const json& primitive = raw.Doc()["meshes"][0]["primitives"][0];
        const int posAccessor = primitive["attributes"]["POSITION"];
        FwModel model;
        ASSERT_TRUE(model.Load(Sample(f.file)));
        const FwMesh& mesh = *model.Nodes()[f.meshNode].mesh;
        ASSERT_EQ(mesh.Positions().size(), raw.Count(posAccessor));
        for (size_t i = 0; i < mesh.Positions().size(); ++i) {
            const Vector3 file{float(raw.Value(posAccessor, i, 0)), float(raw.Value(posAccessor, i, 1)),
                               float(raw.Value(posAccessor, i, 2))};
            EXPECT_EQ(mesh.Positions()[i], MirrorZ(file)) << "vertex " << i;
        }
        for (size_t t = 0; t < mesh.Faces().size(); ++t) {
            uint32_t a = uint32_t(3 * t), b = a + 1, c = a + 2;  // no index accessor: vertices in order
            if (primitive.contains("indices")) {
                const int idx = primitive["indices"];
                a = uint32_t(raw.Value(idx, 3 * t, 0));
                b = uint32_t(raw.Value(idx, 3 * t + 1, 0));
                c = uint32_t(raw.Value(idx, 3 * t + 2, 0));
            }
            const FwMeshFace& face = mesh.Faces()[t];
            EXPECT_EQ(face.idx[0], a);
            EXPECT_EQ(face.idx[1], c);
            EXPECT_EQ(face.idx[2], b);
        }
    }
}

TEST(GltfSamples, BoxZExtremesAreMirroredAndNormalsToo) {
    const RawGltf raw(Sample("Box.gltf"));
    auto gltf = FwLoadGLTFModel(Sample("Box.gltf"));
    ASSERT_TRUE(gltf);
    const FwGLTFNode& node = *gltf->nodes[1];
    const int normals = raw.Doc()["meshes"][0]["primitives"][0]["attributes"]["NORMAL"];
    for (size_t i = 0; i < node.vertices.size(); ++i) {
        const Vector3 n{float(raw.Value(normals, i, 0)), float(raw.Value(normals, i, 1)),
                        float(raw.Value(normals, i, 2))};
        EXPECT_EQ(node.vertices[i].normal, MirrorZ(n));
        EXPECT_EQ(node.vertices[i].color, 0xFFFFFFFFu);  // no COLOR_0: opaque white
        EXPECT_EQ(node.vertices[i].uv.x, 0.0f);          // no TEXCOORD_0
    }
    // A file z of +0.5 sits at -0.5: some vertex must be at each.
    int atMinus = 0, atPlus = 0;
    for (const auto& v : node.vertices) (v.position.z == -0.5f ? atMinus : atPlus)++;
    EXPECT_EQ(atMinus, 12);
    EXPECT_EQ(atPlus, 12);
}

// Box.gltf hangs its mesh under a parent node carrying a 16-value matrix.
// The parent's matrix is read row by row and z-mirrored; the mesh node keeps
// its own (identity) transform, and only the root is in the mesh-node list.
TEST(GltfSamples, BoxParentMatrixNode) {
    FwModel model;
    ASSERT_TRUE(model.Load(Sample("Box.gltf")));
    const Matrix expectedParent(1, 0, 0, 0,   //
                                0, 0, 1, 0,   // file row (0, 0, -1, 0), z column negated
                                0, -1, 0, 0,  // file row (0, 1, 0, 0), z row negated
                                0, 0, 0, 1);
    EXPECT_EQ(model.Nodes()[0].matrix, expectedParent);
    EXPECT_FALSE(model.Nodes()[0].mesh);
    EXPECT_EQ(model.Nodes()[1].matrix, Matrix::Identity());
    ASSERT_EQ(model.MeshNodes().size(), 1u);
    EXPECT_EQ(model.MeshNodes()[0].index, 0);

    auto gltf = FwLoadGLTFModel(Sample("Box.gltf"));
    ASSERT_TRUE(gltf);
    ASSERT_EQ(gltf->rootNodes.size(), 1u);
    EXPECT_EQ(gltf->rootNodes[0], gltf->nodes[0]);
    ASSERT_EQ(gltf->nodes[0]->children.size(), 1u);
    EXPECT_EQ(gltf->nodes[0]->children[0], gltf->nodes[1]);
    // The combined matrix of the child includes the parent's transform.
    EXPECT_EQ(gltf->nodes[1]->combinedMatrix, expectedParent);
}

// For every node of every sample, the converted matrix maps mirrored points
// exactly where the file's matrix maps the original points, mirrored.
TEST(GltfSamples, NodeTransformsAreTheMirrorOfTheFileTransforms) {
    const Vector3 probes[] = {{0.3f, -0.7f, 1.1f}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-2, 5, -3}};
    for (const SampleFacts& f : kFacts) {
        SCOPED_TRACE(f.file);
        const RawGltf raw(Sample(f.file));
        FwModel model;
        ASSERT_TRUE(model.Load(Sample(f.file)));
        for (const FwModelNode& node : model.Nodes()) {
            const Matrix file = RawNodeMatrix(raw.Doc()["nodes"][node.index]);
            for (const Vector3& p : probes)
                ExpectNear(TransformCoord(MirrorZ(p), node.matrix), MirrorZ(TransformCoord(p, file)));
        }
    }
    FwModel simple;
    ASSERT_TRUE(simple.Load(Sample("SimpleMeshes.gltf")));
    EXPECT_EQ(simple.Nodes()[1].matrix.Translation(), Vector3(1, 0, 0));
    ASSERT_EQ(simple.MeshNodes().size(), 2u);
    EXPECT_EQ(simple.MeshNodes()[0].mesh, simple.Nodes()[0].mesh);  // shared, not copied
}

TEST(GltfSamples, VertexColorsAndTexcoordsFollowTheFile) {
    {
        const RawGltf raw(Sample("BoxVertexColors.gltf"));
        const int colors = raw.Doc()["meshes"][0]["primitives"][0]["attributes"]["COLOR_0"];
        auto gltf = FwLoadGLTFModel(Sample("BoxVertexColors.gltf"));
        ASSERT_TRUE(gltf);
        const auto& vertices = gltf->nodes[0]->vertices;
        for (size_t i = 0; i < vertices.size(); ++i) {
            uint32_t expected = 0xFF000000u;  // RGB file colour: alpha stays 255
            for (int c = 0; c < 3; ++c) expected |= uint32_t(float(raw.Value(colors, i, c)) * 255.0f) << (8 * c);
            EXPECT_EQ(vertices[i].color, expected) << "vertex " << i;
        }
    }
    {
        const RawGltf raw(Sample("BoxTextured.gltf"));
        const int uvs = raw.Doc()["meshes"][0]["primitives"][0]["attributes"]["TEXCOORD_0"];
        auto gltf = FwLoadGLTFModel(Sample("BoxTextured.gltf"));
        ASSERT_TRUE(gltf);
        const auto& vertices = gltf->nodes[2]->vertices;
        for (size_t i = 0; i < vertices.size(); ++i) {
            EXPECT_EQ(vertices[i].uv.x, float(raw.Value(uvs, i, 0)));
            EXPECT_EQ(vertices[i].uv.y, float(raw.Value(uvs, i, 1)));  // not flipped
        }
    }
}

TEST(GltfSamples, MaterialsCopyFactorsAndFallBackToTheDefaultTexture) {
    FwModel box;
    ASSERT_TRUE(box.Load(Sample("Box.gltf")));
    ASSERT_EQ(box.Materials().size(), 1u);
    const FwModelMaterial& m = box.Materials()[0];
    EXPECT_FLOAT_EQ(m.baseColor.x, 0.8f);
    EXPECT_EQ(m.baseColor.y, 0.0f);
    EXPECT_EQ(m.baseColor.w, 1.0f);
    EXPECT_EQ(m.metallic, 1.0f);
    EXPECT_EQ(m.roughness, 1.0f);
    const auto defaultTexture = FwDirect3D::GetInstance().GetDefaultTexture();
    EXPECT_EQ(m.baseColorTexture, defaultTexture);
    EXPECT_EQ(m.metallicRoughnessTexture, defaultTexture);
    EXPECT_EQ(m.emissiveTexture, defaultTexture);
    ASSERT_TRUE(m.normalTexture);  // no fallback: an empty texture
    EXPECT_TRUE(m.normalTexture->IsEmpty());

    // BoxTextured's image is embedded (a data URI), not a file next to the
    // model: there is no texture file and the slot falls back.
    auto gltf = FwLoadGLTFModel(Sample("BoxTextured.gltf"));
    ASSERT_TRUE(gltf);
    EXPECT_TRUE(gltf->materials[0].baseColorTexture.empty());
    FwModel textured;
    ASSERT_TRUE(textured.Load(Sample("BoxTextured.gltf")));
    EXPECT_EQ(textured.Materials()[0].baseColorTexture, defaultTexture);
}

TEST(GltfSamples, MeshBoundsEncloseTheBox) {
    FwModel model;
    ASSERT_TRUE(model.Load(Sample("BoxVertexColors.gltf")));  // file box [0, 1]^3
    const FwMesh& mesh = *model.Nodes()[0].mesh;
    ExpectNear(mesh.BoxCenter(), {0.5f, 0.5f, -0.5f});
    ExpectNear(mesh.BoxExtents(), {0.5f, 0.5f, 0.5f});
    for (const Vector3& p : mesh.Positions()) EXPECT_LE(Length(p - mesh.SphereCenter()), mesh.SphereRadius() + 1e-5f);
    // The grown sphere of this vertex order, worked out independently from
    // the decoded file (the optimum would be the half diagonal, 0.866).
    EXPECT_NEAR(mesh.SphereRadius(), 1.07583f, 1e-4f);
    ExpectNear(mesh.SphereCenter(), {0.54680f, 0.28798f, -0.40716f}, 1e-4f);
}
