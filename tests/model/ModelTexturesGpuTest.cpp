// Materials with a real (headless) GL device: textures next to the model are
// decoded, missing or refused ones (reported once each) fall back to the
// renderer's default texture, and a missing normal texture stays empty.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include "framework/model/FwModel.h"
#include "framework/platform/FwEglContext.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwTexture.h"
#include "tests/support/GltfTestSupport.h"

using namespace gltftest;

namespace {

class ModelTexturesGpu : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        if (!FwCreateHeadlessGLContext(64, 64, error)) GTEST_SKIP() << "no GL context: " << error;
        ASSERT_TRUE(FwDirect3D::GetInstance().Init(64, 64, false, error)) << error;
    }
    void TearDown() override {
        FwDirect3D::GetInstance().Release();
        FwDestroyHeadlessGLContext();
    }
    TempDir dir_;
};

}  // namespace

TEST_F(ModelTexturesGpu, TexturesNextToTheModelLoadMissingOnesFallBack) {
    const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    ASSERT_NE(stbi_write_png(dir_.File("wood.png").c_str(), 2, 2, 4, texels, 8), 0);
    ASSERT_NE(stbi_write_png(dir_.File("wood_n.png").c_str(), 2, 2, 4, texels, 8), 0);
    WriteFile(dir_.File("bark.png"), TinyBmp());  // a BMP behind a PNG name: refused
    GltfBuilder b;
    b.Doc()["images"] =
        json::array({{{"uri", "wood.png"}}, {{"uri", "gone.png"}}, {{"uri", "wood_n.png"}}, {{"uri", "bark.png"}}});
    b.Doc()["textures"] = json::array({{{"source", 0}}, {{"source", 1}}, {{"source", 2}}, {{"source", 3}}});
    b.Doc()["materials"] = json::array({
        {{"pbrMetallicRoughness", {{"baseColorTexture", {{"index", 0}}}, {"metallicRoughnessTexture", {{"index", 1}}}}},
         {"normalTexture", {{"index", 2}}},
         {"emissiveTexture", {{"index", 3}}}},
        {{"normalTexture", {{"index", 1}}}},
    });
    WriteFile(dir_.File("crate.gltf"), b.ToText());
    testing::internal::CaptureStderr();
    FwModel model;
    const bool loaded = model.Load(dir_.File("crate.gltf"));
    const std::string err = testing::internal::GetCapturedStderr();
    // Each image that does not load is reported once, however many
    // materials name it.
    EXPECT_EQ(err,
              "cannot load " + dir_.File("gone.png") +
                  ": cannot open the file (no such file) (the material goes without this image)\n"
                  "cannot load " + dir_.File("bark.png") + ": not a PNG file (the material goes without this image)\n");
    ASSERT_TRUE(loaded);
    ASSERT_EQ(model.Materials().size(), 2u);
    const auto defaultTexture = FwDirect3D::GetInstance().GetDefaultTexture();
    ASSERT_TRUE(defaultTexture);
    EXPECT_FALSE(defaultTexture->IsEmpty());

    const FwModelMaterial& first = model.Materials()[0];
    ASSERT_TRUE(first.baseColorTexture);
    EXPECT_NE(first.baseColorTexture, defaultTexture);
    EXPECT_EQ(first.baseColorTexture->Width(), 2);
    EXPECT_EQ(first.baseColorTexture->Path(), dir_.File("wood.png"));
    EXPECT_EQ(first.metallicRoughnessTexture, defaultTexture);  // gone.png
    EXPECT_EQ(first.emissiveTexture, defaultTexture);           // bark.png
    EXPECT_FALSE(first.normalTexture->IsEmpty());

    const FwModelMaterial& second = model.Materials()[1];
    EXPECT_EQ(second.baseColorTexture, defaultTexture);
    ASSERT_TRUE(second.normalTexture);
    EXPECT_TRUE(second.normalTexture->IsEmpty());  // no fallback for normals
}
