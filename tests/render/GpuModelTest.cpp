// Model drawing on a real (headless) GL context: the lighting terms of the
// model shader, material binding with the white default texture, the alpha
// factor, node matrices and the winding of meshes built in code.
#include <cmath>
#include <memory>

#include "GpuFixture.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"

namespace {

// A square facing the camera (normal toward -z), centred at the origin of its
// node, clockwise as seen from -z unless reversed.
std::shared_ptr<FwMesh> Square(float half, int32_t material, bool reversed = false) {
    std::vector<FwMeshVertex> v(4);
    const Vector3 corners[4] = {{-half, half, 0}, {half, half, 0}, {-half, -half, 0}, {half, -half, 0}};
    const Vector2 uvs[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        v[i].position = corners[i];
        v[i].uv = uvs[i];
        v[i].normal = {0, 0, -1};
    }
    std::vector<FwMeshFace> faces = reversed ? std::vector<FwMeshFace>{{{0, 2, 1}}, {{1, 2, 3}}}
                                             : std::vector<FwMeshFace>{{{0, 1, 2}}, {{1, 3, 2}}};
    auto mesh = std::make_shared<FwMesh>();
    mesh->Create(v, faces, {{material, 0, 2}});
    return mesh;
}

FwModelNode Node(int32_t index, std::shared_ptr<FwMesh> mesh, const Matrix& matrix) {
    FwModelNode node;
    node.name = "node" + std::to_string(index);
    node.index = index;
    node.matrix = matrix;
    node.mesh = std::move(mesh);
    return node;
}

FwModelMaterial Material(const Vector4& base, float metallic, float roughness) {
    FwModelMaterial m;
    m.baseColor = base;
    m.metallic = metallic;
    m.roughness = roughness;
    return m;  // no textures: the white default stands in
}

Rgba ToBytes(float r, float g, float b, float a) {
    auto byte = [](float v) { return static_cast<int>(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f)); };
    return {byte(r), byte(g), byte(b), byte(a)};
}

class ModelDrawing : public GpuTest {
protected:
    void SetUp() override {
        GpuTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        LookFromOrigin({0, 0, 1});
        Light({0, 0, 0}, {0, 0, 1}, {0, 0, 0});
        opaque_ = FwDirect3D::GetInstance().CreateBlendState(FwBlendMode::Opaque);
        FwDirect3D::GetInstance().SetBlendState(opaque_.get());  // read the shader output unblended
        ClearFrame(0, 0, 0, 0);
    }
    void TearDown() override { FwDirect3D::GetInstance().SetBlendState(nullptr); }

    static void Light(const Vector3& ambient, const Vector3& dir, const Vector3& color) {
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetAmbientLight(ambient);
        shaders.SetDirectionalLightDir(dir);
        shaders.SetDirectionalLightColor(color);
        shaders.UpdateLight();
    }
    static void Draw(const FwModel& model, float alpha = 1.0f, const Matrix* nodes = nullptr, size_t count = 0) {
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetModelShader();
        shaders.SetWorldMatrix(MatrixTranslation(0, 0, 5));
        shaders.DrawModel(&model, alpha, nodes, count);
    }
    static FwModel OneSquare(const FwModelMaterial& material) {
        FwModel model;
        model.AddMaterial(material);
        model.AddNode(Node(0, Square(1.0f, 0), Matrix::Identity()));
        return model;
    }
    static Rgba Centre() { return Pixel(ReadBack(), kWidth / 2, kHeight / 2); }

    std::shared_ptr<FwBlendState> opaque_;
};

}  // namespace

TEST_F(ModelDrawing, AmbientLightScalesTheBaseColour) {
    Light({0.5f, 0.5f, 0.5f}, {0, 0, 1}, {0, 0, 0});
    Draw(OneSquare(Material({1, 0.5f, 0.25f, 1}, 0, 1)));
    ExpectPixel(Centre(), ToBytes(0.5f, 0.25f, 0.125f, 1), 1, "ambient");
}

// Head-on directional light: diffuse = D / pi, highlight = K x S with
// P = 2^(13 (1 - roughness)), K = (P + 2) / 2 pi and N.H = 1 at the centre.
TEST_F(ModelDrawing, DirectionalLightGivesDiffuseAndNormalisedHighlight) {
    struct Case {
        float metallic, roughness;
    };
    for (Case c : {Case{0, 1}, Case{0, 0.5f}, Case{1, 1}}) {
        SCOPED_TRACE(testing::Message() << "metallic " << c.metallic << " roughness " << c.roughness);
        ClearFrame(0, 0, 0, 0);
        Light({0, 0, 0}, {0, 0, 1}, {1, 1, 1});
        Vector3 base{1, 0.5f, 0.25f};
        Draw(OneSquare(Material({base.x, base.y, base.z, 1}, c.metallic, c.roughness)));

        float P = std::exp2(13.0f * (1.0f - c.roughness));
        float K = (P + 2.0f) * 0.159155f;
        auto channel = [&](float col) {
            float D = col * (1 - c.metallic);
            float S = 0.04f + c.metallic * (col - 0.04f);
            return D * 0.31831f + K * S;
        };
        // The centre pixel looks 0.025 rad off axis: N.H^P dims a sharp highlight by under 1%.
        ExpectPixel(Centre(), ToBytes(channel(base.x), channel(base.y), channel(base.z), 1), 3, "lit");
    }
}

TEST_F(ModelDrawing, AlphaFactorScalesAlphaAndLighting) {
    Light({0.5f, 0.5f, 0.5f}, {0, 0, 1}, {0, 0, 0});
    FwModel model = OneSquare(Material({1, 0.5f, 0.25f, 1}, 0, 1));
    Draw(model, 0.5f);
    // rgb = col x ambient x B.a with B.a halved; output alpha = col.a.
    ExpectPixel(Centre(), ToBytes(0.25f, 0.125f, 0.0625f, 0.5f), 1, "half alpha");

    ClearFrame(0, 0, 0, 0);
    Draw(model, 0.0f);
    ExpectPixel(Centre(), {0, 0, 0, 0}, 0, "alpha 0 is discarded");
}

TEST_F(ModelDrawing, MaterialTexturesBindToTheirUnits) {
    const uint8_t green[4] = {0, 255, 0, 255};
    const uint8_t notMetal[4] = {255, 255, 0, 255};  // blue channel = metallic = 0
    auto emissive = std::make_shared<FwTexture>();
    auto mr = std::make_shared<FwTexture>();
    ASSERT_TRUE(emissive->CreateFromPixels(1, 1, green));
    ASSERT_TRUE(mr->CreateFromPixels(1, 1, notMetal));

    FwModelMaterial m = Material({1, 0.5f, 0.25f, 1}, 1.0f, 1.0f);
    m.emissiveTexture = emissive;
    m.emissive = {1, 0.5f, 1};
    m.metallicRoughnessTexture = mr;
    Light({0.5f, 0.5f, 0.5f}, {0, 0, 1}, {0, 0, 0});
    Draw(OneSquare(m));
    // metallic 1 x texture 0 keeps the diffuse colour; emissive green x 0.5 adds on top.
    ExpectPixel(Centre(), ToBytes(0.5f, 0.25f + 0.5f, 0.125f, 1), 1, "emissive and metallic-roughness");
}

TEST_F(ModelDrawing, NodeMatrixListOverridesOnlyTheNodesItCovers) {
    Light({1, 1, 1}, {0, 0, 1}, {0, 0, 0});
    FwModel model;
    model.AddMaterial(Material({1, 1, 1, 1}, 0, 1));
    model.AddNode(Node(0, Square(0.5f, 0), MatrixTranslation(-3, 0, 0)));
    model.AddNode(Node(1, Square(0.5f, 0), MatrixTranslation(3, 0, 0)));
    // x = +-3 at depth 5 lands about 16.6 pixels either side of the centre.
    Draw(model);
    auto px = ReadBack();
    EXPECT_EQ(Pixel(px, 15, 16).r, 255) << "node 0 by its own matrix";
    EXPECT_EQ(Pixel(px, 48, 16).r, 255) << "node 1 by its own matrix";
    EXPECT_EQ(Pixel(px, 32, 16).r, 0);

    ClearFrame(0, 0, 0, 0);
    const Matrix moved[1] = {Matrix::Identity()};
    Draw(model, 1.0f, moved, 1);
    px = ReadBack();
    EXPECT_EQ(Pixel(px, 32, 16).r, 255) << "node 0 placed by the list";
    EXPECT_EQ(Pixel(px, 15, 16).r, 0);
    EXPECT_EQ(Pixel(px, 48, 16).r, 255) << "node 1 beyond the list keeps its own matrix";
}

TEST_F(ModelDrawing, SubsetsWithoutAValidMaterialUseTheBoundOne) {
    Light({1, 1, 1}, {0, 0, 1}, {0, 0, 0});
    FwModel model;
    model.AddMaterial(Material({0, 0, 1, 1}, 0, 1));
    model.AddNode(Node(0, Square(0.5f, 0), MatrixTranslation(-3, 0, 0)));
    model.AddNode(Node(1, Square(0.5f, -1), Matrix::Identity()));
    model.AddNode(Node(2, Square(0.5f, 7), MatrixTranslation(3, 0, 0)));  // no material 7
    Draw(model);
    auto px = ReadBack();
    ExpectPixel(Pixel(px, 15, 16), {0, 0, 255, 255}, 0, "material 0");
    ExpectPixel(Pixel(px, 32, 16), {0, 0, 255, 255}, 0, "material -1 keeps it");
    ExpectPixel(Pixel(px, 48, 16), {0, 0, 255, 255}, 0, "out-of-range index keeps it");
}

TEST_F(ModelDrawing, BackFacingMeshesAreCulledAndEmptyModelsDrawNothing) {
    Light({1, 1, 1}, {0, 0, 1}, {0, 0, 0});
    FwModel reversed;
    reversed.AddMaterial(Material({1, 1, 1, 1}, 0, 1));
    reversed.AddNode(Node(0, Square(1.0f, 0, true), Matrix::Identity()));
    Draw(reversed);
    FwModel empty;
    Draw(empty);
    FwShaderManager::GetInstance().DrawModel(nullptr);
    ExpectPixel(Centre(), {0, 0, 0, 0}, 0, "nothing drawn");
}
