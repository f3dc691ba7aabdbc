// Model drawing shortcuts on a real (headless) GL context: the specialised
// model shaders and the blending switched off for solid subsets give the
// pixels of the general path; see-through subsets follow the others, farthest
// first, without depth writes, unless the model is drawn faded; invisible
// sprites are skipped only where they are invisible. Also the pieces these
// rely on: shared texture loads, texture opacity, lazily made targets, subset
// centres and the glTF alpha mode.
#include <stb_image_write.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "tests/support/GltfTestSupport.h"
#include "GpuFixture.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"

namespace {

// A square of the given half size facing -z, centred at (x, y, z) in its
// node, with the given material and vertex colour (RGBA8, red lowest).
void AddSquare(std::vector<FwMeshVertex>& vertices, std::vector<FwMeshFace>& faces,
               std::vector<FwMeshSubset>& subsets, const Vector3& centre, float half, int32_t material,
               uint32_t color = 0xFFFFFFFF) {
    const uint32_t first = static_cast<uint32_t>(vertices.size());
    const Vector2 uvs[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    const Vector3 corners[4] = {{-half, half, 0}, {half, half, 0}, {-half, -half, 0}, {half, -half, 0}};
    for (int i = 0; i < 4; ++i) {
        FwMeshVertex v;
        v.position = centre + corners[i];
        v.uv = uvs[i];
        v.normal = {0, 0, -1};
        v.color = color;
        vertices.push_back(v);
    }
    subsets.push_back({material, static_cast<int32_t>(faces.size()), 2});
    faces.push_back({{first, first + 1, first + 2}});
    faces.push_back({{first + 1, first + 3, first + 2}});
}

// A square of n x n quads (2 n^2 triangles) facing -z, as one subset.
void AddGrid(std::vector<FwMeshVertex>& vertices, std::vector<FwMeshFace>& faces, std::vector<FwMeshSubset>& subsets,
             const Vector3& centre, float half, int n, int32_t material) {
    const uint32_t first = static_cast<uint32_t>(vertices.size());
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) {
            FwMeshVertex v;
            const float u = static_cast<float>(x) / n, w = static_cast<float>(y) / n;
            v.position = centre + Vector3{-half + 2 * half * u, half - 2 * half * w, 0};
            v.uv = {u, w};
            v.normal = {0, 0, -1};
            vertices.push_back(v);
        }
    subsets.push_back({material, static_cast<int32_t>(faces.size()), 2 * n * n});
    const uint32_t row = static_cast<uint32_t>(n) + 1;
    for (uint32_t y = 0; y < static_cast<uint32_t>(n); ++y)
        for (uint32_t x = 0; x < static_cast<uint32_t>(n); ++x) {
            const uint32_t a = first + y * row + x;
            faces.push_back({{a, a + 1, a + row}});
            faces.push_back({{a + 1, a + row + 1, a + row}});
        }
}

FwModelNode MeshNode(const std::vector<FwMeshVertex>& vertices, const std::vector<FwMeshFace>& faces,
                     const std::vector<FwMeshSubset>& subsets, const Matrix& matrix = Matrix::Identity()) {
    FwModelNode node;
    node.mesh = std::make_shared<FwMesh>();
    node.mesh->Create(vertices, faces, subsets);
    node.matrix = matrix;
    return node;
}

FwModelMaterial Plain(const Vector4& base) {
    FwModelMaterial m;
    m.baseColor = base;
    m.metallic = 0.0f;
    m.roughness = 1.0f;
    return m;
}

std::shared_ptr<FwTexture> Texture(int width, int height, uint8_t alphaOfLast = 255, uint32_t seed = 1) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>((i * 37 + seed * 91) % 256);
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    rgba.back() = alphaOfLast;
    auto texture = std::make_shared<FwTexture>();
    texture->CreateFromPixels(width, height, rgba.data());
    return texture;
}

class ModelShading : public GpuTest {
protected:
    void SetUp() override {
        GpuTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        LookFromOrigin({0, 0, 1});
        FwDirect3D::GetInstance().SetBlendState(nullptr);
        FwDirect3D::GetInstance().SetDepthStencilState(nullptr);
    }
    void TearDown() override {
        FwShaderManager::GetInstance().SetReferenceShading(false);
        FwDirect3D::GetInstance().SetBlendState(nullptr);
        FwDirect3D::GetInstance().SetDepthStencilState(nullptr);
    }
    static void Light(const Vector3& ambient, const Vector3& dir, const Vector3& color) {
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetAmbientLight(ambient);
        shaders.SetDirectionalLightDir(dir);
        shaders.SetDirectionalLightColor(color);
        shaders.UpdateLight();
    }
    static void Draw(const FwModel& model, float alpha, const Matrix& world) {
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        shaders.SetModelShader();
        shaders.SetWorldMatrix(world);
        shaders.DrawModel(&model, alpha);
    }
    // The back buffer after drawing model on a fixed background, by the
    // general (reference) or the specialised path.
    static std::vector<uint8_t> Render(const FwModel& model, float alpha, const Matrix& world, bool reference) {
        FwShaderManager::GetInstance().SetReferenceShading(reference);
        ClearFrame(0.2f, 0.3f, 0.4f, 1.0f);
        Draw(model, alpha, world);
        FwShaderManager::GetInstance().SetReferenceShading(false);
        return ReadBack();
    }
};

}  // namespace

TEST_F(ModelShading, SpecialisedShadersAndBlendingOffGiveTheGeneralPathsPixels) {
    Light({0.3f, 0.25f, 0.2f}, Normalize(Vector3{0.4f, -0.5f, 1.0f}), {2.0f, 1.8f, 1.5f});
    auto opaqueImage = Texture(8, 8);
    auto translucentImage = Texture(8, 8, 0);
    auto emissiveImage = Texture(4, 4, 255, 7);
    auto metalRough = Texture(4, 4, 255, 3);

    struct Case {
        const char* name;
        FwModelMaterial material;
        uint32_t vertexColor;
        float alpha;
    };
    std::vector<Case> cases;
    cases.push_back({"no textures, no emissive", Plain({0.9f, 0.6f, 0.3f, 1}), 0xFFFFFFFF, 1.0f});
    {
        FwModelMaterial m = Plain({1, 0.95f, 0.9f, 1});
        m.baseColorTexture = opaqueImage;
        m.emissiveTexture = opaqueImage;  // the same image as the base colour
        m.emissive = {0.3f, 0.25f, 0.2f};
        cases.push_back({"emissive from the base image", m, 0xFFFFFFFF, 1.0f});
    }
    {
        FwModelMaterial m = Plain({1, 1, 1, 1});
        m.baseColorTexture = opaqueImage;
        m.emissiveTexture = emissiveImage;
        m.emissive = {0.5f, 0.2f, 0.1f};
        m.metallicRoughnessTexture = metalRough;
        m.metallic = 0.7f;
        m.roughness = 0.4f;
        cases.push_back({"own emissive and metal-roughness images", m, 0xFFFFFFFF, 1.0f});
    }
    {
        FwModelMaterial m = Plain({0.8f, 0.8f, 1, 1});
        m.baseColorTexture = translucentImage;
        m.emissive = {0.1f, 0.1f, 0.1f};
        cases.push_back({"base image with see-through texels, emissive factor only", m, 0xFFFFFFFF, 1.0f});
    }
    {
        FwModelMaterial m = Plain({0.5f, 0.9f, 0.7f, 1});
        m.baseColorTexture = opaqueImage;
        cases.push_back({"vertex colours with alpha below 1", m, 0x80C08040, 1.0f});
    }
    {
        FwModelMaterial m = Plain({0.5f, 0.9f, 0.7f, 0.6f});
        m.baseColorTexture = opaqueImage;
        cases.push_back({"base colour alpha below 1", m, 0xFFFFFFFF, 1.0f});
    }
    cases.push_back({"drawn faded", Plain({0.9f, 0.2f, 0.4f, 1}), 0xFFFFFFFF, 0.5f});

    // Turned so that the highlight and the lighting vary across the square.
    const Matrix world = MatrixRotationY(35.0f * kDegToRad) * MatrixTranslation(0, 0, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<FwMeshVertex> v;
        std::vector<FwMeshFace> f;
        std::vector<FwMeshSubset> s;
        AddSquare(v, f, s, {0, 0, 0}, 1.6f, 0, c.vertexColor);
        FwModel model;
        model.AddMaterial(c.material);
        model.AddNode(MeshNode(v, f, s));
        std::vector<uint8_t> reference = Render(model, c.alpha, world, true);
        std::vector<uint8_t> specialised = Render(model, c.alpha, world, false);
        ASSERT_EQ(reference.size(), specialised.size());
        EXPECT_NE(Pixel(reference, kWidth / 2, kHeight / 2).b, Pixel(reference, 0, 0).b) << "the square was drawn";
        size_t differing = 0;
        for (size_t i = 0; i < reference.size(); ++i) differing += reference[i] != specialised[i];
        EXPECT_EQ(differing, 0u);
    }
}

// A detailed model (enough triangles for the depth pre-pass) whose parts
// overlap in every way: in front of and behind each other in file order,
// coplanar (the later one wins a tie), and a blended part between them.
TEST_F(ModelShading, DepthPrepassOfDetailedModelsKeepsEveryPixel) {
    Light({0.4f, 0.4f, 0.4f}, Normalize(Vector3{0.3f, -0.4f, 1.0f}), {1.5f, 1.5f, 1.5f});
    auto translucentImage = Texture(8, 8, 0);
    std::vector<FwMeshVertex> v;
    std::vector<FwMeshFace> f;
    std::vector<FwMeshSubset> s;
    AddGrid(v, f, s, {0.3f, 0, 6}, 2.0f, 24, 0);     // far, drawn first
    AddGrid(v, f, s, {-0.4f, 0.2f, 5}, 1.5f, 24, 1);  // nearer, drawn later
    AddSquare(v, f, s, {0.5f, -0.3f, 5}, 1.0f, 2);   // coplanar with the second: wins the tie
    AddSquare(v, f, s, {0, 0, 5.5f}, 1.2f, 3);       // blended, between the two grids
    AddSquare(v, f, s, {-0.8f, 0.5f, 7}, 1.5f, 0);   // behind everything, drawn last
    FwModel model;
    model.AddMaterial(Plain({0.9f, 0.5f, 0.2f, 1}));
    model.AddMaterial(Plain({0.2f, 0.6f, 0.9f, 1}));
    model.AddMaterial(Plain({0.3f, 0.9f, 0.3f, 1}));
    FwModelMaterial blended = Plain({1, 1, 1, 1});
    blended.baseColorTexture = translucentImage;
    model.AddMaterial(blended);
    model.AddNode(MeshNode(v, f, s));
    ASSERT_GE(f.size(), 2000u);

    const Matrix world = MatrixRotationY(20.0f * kDegToRad) * MatrixTranslation(0, 0, 1);
    std::vector<uint8_t> reference = Render(model, 1.0f, world, true);
    std::vector<uint8_t> specialised = Render(model, 1.0f, world, false);
    ASSERT_EQ(reference.size(), specialised.size());
    size_t differing = 0;
    for (size_t i = 0; i < reference.size(); ++i) differing += reference[i] != specialised[i];
    EXPECT_EQ(differing, 0u);
    ExpectPixel(Pixel(specialised, kWidth / 2 + 6, kHeight / 2 + 3), Pixel(reference, kWidth / 2 + 6, kHeight / 2 + 3),
                0, "coplanar tie");
}

// Three squares one behind the other in a single subset list: a red and a
// green half-transparent one, then a blue solid one farthest away. In file
// order the red one would hide the others by its depth writes.
TEST_F(ModelShading, SeeThroughSubsetsFollowTheSolidOnesFarthestFirstWithoutDepthWrites) {
    Light({1, 1, 1}, {0, 0, 1}, {0, 0, 0});
    std::vector<FwMeshVertex> v;
    std::vector<FwMeshFace> f;
    std::vector<FwMeshSubset> s;
    AddSquare(v, f, s, {0, 0, 4}, 1.0f, 0);  // red, nearest
    AddSquare(v, f, s, {0, 0, 6}, 2.0f, 1);  // green
    AddSquare(v, f, s, {0, 0, 8}, 3.0f, 2);  // blue, farthest
    FwModel model;
    FwModelMaterial red = Plain({1, 0, 0, 1});
    red.alphaMode = FwAlphaMode::Blend;  // see-through by its mode: drawn with alpha 1
    model.AddMaterial(red);
    model.AddMaterial(Plain({0, 1, 0, 0.5f}));  // see-through by its alpha
    model.AddMaterial(Plain({0, 0, 1, 1}));
    model.AddNode(MeshNode(v, f, s));

    for (bool reference : {false, true}) {
        SCOPED_TRACE(reference ? "general shader" : "specialised shaders");
        FwShaderManager::GetInstance().SetReferenceShading(reference);
        ClearFrame(0, 0, 0, 1);
        Draw(model, 1.0f, Matrix::Identity());
        // Blue, then green (lit colour x alpha, blended by alpha) over it,
        // then the opaque-alpha red on top.
        ExpectPixel(Pixel(ReadBack(), kWidth / 2, kHeight / 2), {255, 0, 0, 255}, 1, "red on top");
        std::vector<uint8_t> px = ReadBack();
        // Beside the red square: green over blue: (0, 0.25, 0.5).
        ExpectPixel(Pixel(px, kWidth / 2 + 7, kHeight / 2), {0, 64, 128, 255}, 2, "green blended over blue");

        // The see-through squares wrote no depth: a solid square between
        // red and green still covers the blue behind both.
        std::vector<FwMeshVertex> mv;
        std::vector<FwMeshFace> mf;
        std::vector<FwMeshSubset> ms;
        AddSquare(mv, mf, ms, {0, 0, 5}, 0.5f, 0);
        FwModel middle;
        middle.AddMaterial(Plain({1, 1, 1, 1}));
        middle.AddNode(MeshNode(mv, mf, ms));
        Draw(middle, 1.0f, Matrix::Identity());
        ExpectPixel(Pixel(ReadBack(), kWidth / 2, kHeight / 2), {255, 255, 255, 255}, 0, "behind red, in front of green");
    }
    FwShaderManager::GetInstance().SetReferenceShading(false);

    // Drawn faded the model keeps file order and depth writes: the red square
    // comes first and hides the others where it covers them.
    ClearFrame(0, 0, 0, 1);
    Draw(model, 0.999f, Matrix::Identity());
    Rgba centre = Pixel(ReadBack(), kWidth / 2, kHeight / 2);
    EXPECT_GT(centre.r, 200);
    EXPECT_EQ(centre.g, 0);
    EXPECT_EQ(centre.b, 0);
}

TEST_F(ModelShading, DrawModelGivesTheCallersBlendAndDepthStatesBack) {
    Light({1, 1, 1}, {0, 0, 1}, {0, 0, 0});
    std::vector<FwMeshVertex> v;
    std::vector<FwMeshFace> f;
    std::vector<FwMeshSubset> s;
    AddSquare(v, f, s, {0, 0, 4}, 1.0f, 0);
    AddSquare(v, f, s, {0, 0, 6}, 1.0f, 1);
    FwModel model;
    model.AddMaterial(Plain({1, 1, 1, 1}));
    model.AddMaterial(Plain({1, 1, 1, 0.5f}));
    model.AddNode(MeshNode(v, f, s));

    FwDirect3D& device = FwDirect3D::GetInstance();
    for (FwBlendMode mode : {FwBlendMode::Opaque, FwBlendMode::Alpha, FwBlendMode::Additive}) {
        auto blend = device.CreateBlendState(mode);
        auto depth = device.CreateDepthStencilState(true, true);
        device.SetBlendState(blend.get());
        device.SetDepthStencilState(depth.get());
        Draw(model, 1.0f, Matrix::Identity());
        ASSERT_NE(device.GetBlendState(), nullptr);
        EXPECT_EQ(device.GetBlendState()->mode, mode);
        EXPECT_TRUE(device.GetDepthStencilState()->depthTest);
        EXPECT_TRUE(device.GetDepthStencilState()->depthWrite);
    }
}

TEST_F(ModelShading, InvisibleSpritesAreSkippedOnlyUnderBlending) {
    const uint8_t white[4] = {255, 255, 255, 255};
    FwTexture texture;
    ASSERT_TRUE(texture.CreateFromPixels(1, 1, white));
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    FwDirect3D& device = FwDirect3D::GetInstance();
    const Vector4 clear{0, 1, 0, 0};
    for (FwBlendMode mode : {FwBlendMode::Alpha, FwBlendMode::Additive}) {
        auto blend = device.CreateBlendState(mode);
        device.SetBlendState(blend.get());
        ClearFrame(0, 0, 1, 1);
        shaders.DrawTex(&texture, 0, 0, kWidth, kHeight, nullptr, &clear, {0.5f, 0.5f});
        ExpectPixel(Pixel(ReadBack(), 3, 3), {0, 0, 255, 255}, 0, "an alpha 0 sprite leaves the pixel");
    }
    // Opaque blending writes even an alpha 0 colour.
    auto opaque = device.CreateBlendState(FwBlendMode::Opaque);
    device.SetBlendState(opaque.get());
    ClearFrame(0, 0, 1, 1);
    shaders.DrawTex(&texture, 0, 0, kWidth, kHeight, nullptr, &clear, {0.5f, 0.5f});
    ExpectPixel(Pixel(ReadBack(), 3, 3), {0, 255, 0, 0}, 0, "opaque blending writes it");
}

TEST_F(ModelShading, SharedTextureLoadsGiveOneTexturePerPathAndPerContent) {
    TempDir dir;
    const uint8_t red[4] = {255, 0, 0, 255}, blue[4] = {0, 0, 255, 128};
    ASSERT_NE(stbi_write_png(dir.File("a.png").c_str(), 1, 1, 4, red, 4), 0);
    std::filesystem::copy_file(dir.File("a.png"), dir.File("copy.png"));
    ASSERT_NE(stbi_write_png(dir.File("b.png").c_str(), 1, 1, 4, blue, 4), 0);

    std::shared_ptr<FwTexture> a = FwTexture::LoadShared(dir.File("a.png"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Path(), dir.File("a.png"));
    EXPECT_TRUE(a->IsOpaque());
    EXPECT_EQ(FwTexture::LoadShared(dir.File("a.png")), a);
    std::filesystem::create_directory(dir.File("sub"));
    EXPECT_EQ(FwTexture::LoadShared(dir.File("sub/../a.png")), a) << "the same file by another spelling";
    EXPECT_EQ(FwTexture::LoadShared(dir.File("copy.png")), a) << "another file of the same content";
    std::shared_ptr<FwTexture> b = FwTexture::LoadShared(dir.File("b.png"));
    ASSERT_TRUE(b);
    EXPECT_NE(b, a);
    EXPECT_FALSE(b->IsOpaque());
    EXPECT_EQ(FwTexture::LoadShared(dir.File("missing.png")), nullptr);
    EXPECT_EQ(FwTexture::LoadShared(""), nullptr);

    // Nothing keeps a texture alive but its users: once they are gone the
    // next request loads the file again.
    const FwTexture* old = a.get();
    a.reset();
    std::shared_ptr<FwTexture> again = FwTexture::LoadShared(dir.File("a.png"));
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->IsEmpty());
    (void)old;
}

TEST_F(ModelShading, TexturesKnowWhetherEveryTexelIsOpaque) {
    EXPECT_TRUE(Texture(4, 4)->IsOpaque());
    EXPECT_FALSE(Texture(4, 4, 254)->IsOpaque());
    FwTexture target;
    ASSERT_TRUE(target.CreateTarget(8, 8, FwTextureFormat::RGBA8));
    EXPECT_FALSE(target.IsOpaque()) << "a target's content is unknown";
    EXPECT_FALSE(FwTexture().IsOpaque());
}

TEST_F(ModelShading, EnsureTargetCreatesOnlyWhatIsMissing) {
    FwTexture target;
    ASSERT_TRUE(target.EnsureTarget(16, 8, FwTextureFormat::RGBA8));
    const uint32_t handle = target.Handle();
    EXPECT_TRUE(target.BottomUp());
    ASSERT_TRUE(target.EnsureTarget(16, 8, FwTextureFormat::RGBA8));
    EXPECT_EQ(target.Handle(), handle) << "kept as it was";
    ASSERT_TRUE(target.EnsureTarget(32, 8, FwTextureFormat::RGBA8));
    EXPECT_EQ(target.Width(), 32);
    ASSERT_TRUE(target.EnsureTarget(32, 8, FwTextureFormat::Depth32F));
    EXPECT_EQ(target.Format(), FwTextureFormat::Depth32F);
    EXPECT_FALSE(target.EnsureTarget(0, 8, FwTextureFormat::RGBA8));

    // An image is not a target, even of the same size.
    FwTexture image;
    const uint8_t white[4] = {255, 255, 255, 255};
    ASSERT_TRUE(image.CreateFromPixels(1, 1, white));
    ASSERT_TRUE(image.EnsureTarget(1, 1, FwTextureFormat::RGBA8));
    EXPECT_TRUE(image.BottomUp());
    EXPECT_NE(image.Framebuffer(), 0u);
}

TEST(ModelSubsets, CentresAndVertexColourOpacityComeFromTheMesh) {
    std::vector<FwMeshVertex> v;
    std::vector<FwMeshFace> f;
    std::vector<FwMeshSubset> s;
    AddSquare(v, f, s, {1, 2, 3}, 1.0f, 0);
    AddSquare(v, f, s, {-4, 0, 9}, 0.5f, 1, 0xFEFFFFFF);
    s.push_back({0, 4, 5});  // faces past the list
    FwMesh mesh;
    mesh.Create(v, f, s);
    const Vector3 a = mesh.SubsetCenter(0), b = mesh.SubsetCenter(1), none = mesh.SubsetCenter(2);
    EXPECT_FLOAT_EQ(a.x, 1);
    EXPECT_FLOAT_EQ(a.y, 2);
    EXPECT_FLOAT_EQ(a.z, 3);
    EXPECT_FLOAT_EQ(b.x, -4);
    EXPECT_FLOAT_EQ(b.z, 9);
    EXPECT_FLOAT_EQ(none.x, 0);
    EXPECT_FLOAT_EQ(mesh.SubsetCenter(7).z, 0) << "no such subset";
    EXPECT_FALSE(mesh.OpaqueVertexColors()) << "one vertex has alpha 254";

    FwMesh white;
    white.Create({v[0], v[1], v[2]}, {{{0, 1, 2}}}, {{0, 0, 1}});
    EXPECT_TRUE(white.OpaqueVertexColors());
}

TEST(ModelSubsets, AlphaModeComesFromTheGltfMaterial) {
    using namespace gltftest;
    GltfBuilder b;
    const int pos = b.AddData(std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}, kFloat, "VEC3", 3);
    json primitives = json::array();
    for (int m = 0; m < 4; ++m) primitives.push_back({{"attributes", {{"POSITION", pos}}}, {"material", m}});
    b.Doc()["meshes"] = json::array({{{"primitives", primitives}}});
    b.Doc()["nodes"] = json::array({{{"mesh", 0}}});
    b.Doc()["scenes"] = json::array({{{"nodes", json::array({0})}}});
    b.Doc()["materials"] = json::array({
        json::object(),
        {{"alphaMode", "MASK"}},
        {{"alphaMode", "BLEND"}},
        {{"pbrMetallicRoughness", {{"baseColorFactor", {1, 1, 1, 0.25}}}}},
    });
    TempDir dir;
    WriteFile(dir.File("m.gltf"), b.ToText());
    testing::internal::CaptureStdout();
    FwModel model;
    const bool loaded = model.Load(dir.File("m.gltf"));
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(loaded);
    ASSERT_EQ(model.Materials().size(), 4u);
    EXPECT_EQ(model.Materials()[0].alphaMode, FwAlphaMode::Opaque);
    EXPECT_EQ(model.Materials()[1].alphaMode, FwAlphaMode::Mask);
    EXPECT_EQ(model.Materials()[2].alphaMode, FwAlphaMode::Blend);
    EXPECT_FALSE(model.Materials()[0].IsSeeThrough());
    EXPECT_FALSE(model.Materials()[1].IsSeeThrough());
    EXPECT_TRUE(model.Materials()[2].IsSeeThrough());
    EXPECT_TRUE(model.Materials()[3].IsSeeThrough()) << "opaque mode, but alpha 0.25";
}
