// FwMesh without a graphics device: the CPU copies, bounding box and sphere
// are built all the same; drawing calls are harmless. FwModel built in code.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/model/FwModel.h"

namespace {

std::vector<FwMeshVertex> VerticesAt(const std::vector<Vector3>& points) {
    std::vector<FwMeshVertex> v(points.size());
    for (size_t i = 0; i < points.size(); ++i) v[i].position = points[i];
    return v;
}

}  // namespace

TEST(Mesh, CreateKeepsCpuCopiesAndBoundsWithoutADevice) {
    FwMesh mesh;
    const std::vector<Vector3> points = {{-1, 2, 0}, {3, 2, 0}, {1, -4, 6}, {0, 0, -2}};
    const std::vector<FwMeshFace> faces = {{{0, 2, 1}}, {{1, 2, 3}}};
    const std::vector<FwMeshSubset> subsets = {{0, 0, 1}, {1, 1, 1}};
    EXPECT_TRUE(mesh.Create(VerticesAt(points), faces, subsets));
    ASSERT_EQ(mesh.Positions().size(), 4u);
    EXPECT_EQ(mesh.Positions()[2], Vector3(1, -4, 6));
    ASSERT_EQ(mesh.Faces().size(), 2u);
    EXPECT_EQ(mesh.Faces()[1].idx[2], 3u);
    ASSERT_EQ(mesh.Subsets().size(), 2u);
    EXPECT_EQ(mesh.Subsets()[1].materialIndex, 1);
    EXPECT_EQ(mesh.BoxCenter(), Vector3(1, -1, 2));
    EXPECT_EQ(mesh.BoxExtents(), Vector3(2, 3, 4));

    // Drawing without a device, or with a bad subset, does nothing.
    mesh.SetToDevice();
    mesh.DrawSubset(0);
    mesh.DrawSubset(-1);
    mesh.DrawSubset(2);

    mesh.Release();
    EXPECT_TRUE(mesh.Positions().empty());
    EXPECT_TRUE(mesh.Faces().empty());
    EXPECT_TRUE(mesh.Subsets().empty());
}

TEST(Mesh, CreateReplacesPreviousContentAndAcceptsEmptyLists) {
    FwMesh mesh;
    mesh.Create(VerticesAt({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), {{{0, 1, 2}}}, {{0, 0, 1}});
    EXPECT_TRUE(mesh.Create({}, {}, {}));
    EXPECT_TRUE(mesh.Positions().empty());
    EXPECT_TRUE(mesh.Faces().empty());
    EXPECT_TRUE(mesh.Subsets().empty());
    EXPECT_EQ(mesh.SphereRadius(), 0.0f);
}

// The farthest-apart pair of axis extremes starts the sphere; points
// outside then grow it. Here: x pair distance 2, y pair 0 (all y equal),
// z pair |(0,0,5) - (-1,0,0)| = 5.099 wins; (1,0,0) lies outside and pulls
// the sphere toward it.
TEST(Mesh, BoundingSphereStartsFromTheWidestPairAndGrows) {
    FwMesh mesh;
    const Vector3 a{-1, 0, 0}, b{1, 0, 0}, c{0, 0, 5};
    mesh.Create(VerticesAt({a, b, c}), {}, {});
    Vector3 center = (a + c) * 0.5f;
    float radius = Length(c - a) * 0.5f;
    const Vector3 delta = b - center;
    const float dist = Length(delta);
    radius = (radius + dist) * 0.5f;
    center += delta * (1.0f - radius / dist);
    EXPECT_NEAR(mesh.SphereRadius(), radius, 1e-5f);
    EXPECT_NEAR(mesh.SphereRadius(), 2.7325f, 1e-3f);
    EXPECT_NEAR(mesh.SphereCenter().x, center.x, 1e-5f);
    EXPECT_NEAR(mesh.SphereCenter().x, -0.4058f, 1e-3f);
    EXPECT_NEAR(mesh.SphereCenter().z, 2.3431f, 1e-3f);
    for (const Vector3& p : {a, b, c}) EXPECT_LE(Length(p - mesh.SphereCenter()), mesh.SphereRadius() + 1e-5f);

    // Equal x and y spans (2 each): the y pair starts the sphere, centre
    // (0.5, 5, 0) radius 1; then (-1, 5, 0) grows it to centre (0.25, 5, 0),
    // radius 1.25. Starting from the x pair would end elsewhere.
    FwMesh tie;
    tie.Create(VerticesAt({{-1, 5, 0}, {1, 5, 0}, {0.5f, 4, 0}, {0.5f, 6, 0}}), {}, {});
    EXPECT_NEAR(tie.SphereCenter().x, 0.25f, 1e-6f);
    EXPECT_NEAR(tie.SphereCenter().y, 5.0f, 1e-6f);
    EXPECT_NEAR(tie.SphereRadius(), 1.25f, 1e-6f);
}

TEST(Model, AddNodeAddMaterialAndClear) {
    FwModel model;
    auto mesh = std::make_shared<FwMesh>();
    FwModelNode root{"Root", 0, MatrixTranslation(1, 2, 3), mesh};
    FwModelNode child{"Child", 1, Matrix::Identity(), nullptr};
    model.AddNode(root);
    model.AddNode(child, false);
    model.AddMaterial(FwModelMaterial{});
    ASSERT_EQ(model.Nodes().size(), 2u);
    ASSERT_EQ(model.MeshNodes().size(), 1u);
    EXPECT_EQ(model.MeshNodes()[0].name, "Root");
    EXPECT_EQ(model.MeshNodes()[0].mesh, mesh);  // shared with the node list
    EXPECT_EQ(model.Nodes()[1].name, "Child");
    EXPECT_EQ(model.Materials().size(), 1u);
    model.Clear();
    EXPECT_TRUE(model.Nodes().empty());
    EXPECT_TRUE(model.MeshNodes().empty());
    EXPECT_TRUE(model.Materials().empty());
}
