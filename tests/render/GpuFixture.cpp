#include "GpuFixture.h"

#include <cstdlib>

#include "framework/platform/FwEglContext.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"

void GpuTest::LookFromOrigin(const Vector3& forward) {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetViewMatrix(MatrixLookAtLH({0, 0, 0}, forward, {0, 1, 0}));
    shaders.SetProjMatrix(MatrixPerspectiveFovLH(60.0f * kDegToRad, float(kWidth) / kHeight, 0.01f, 1000.0f));
    shaders.UpdateCamera();
}

FwModel WhiteSquareModel() {
    std::vector<FwMeshVertex> v(4);
    const Vector3 corners[4] = {{-1, 1, 0}, {1, 1, 0}, {-1, -1, 0}, {1, -1, 0}};
    for (int i = 0; i < 4; ++i) {
        v[i].position = corners[i];
        v[i].normal = {0, 0, -1};
    }
    auto mesh = std::make_shared<FwMesh>();
    mesh->Create(v, {{{0, 1, 2}}, {{1, 3, 2}}}, {{0, 0, 2}});
    FwModel model;
    FwModelMaterial material;
    material.metallic = 0.0f;
    model.AddMaterial(material);
    FwModelNode node;
    node.mesh = mesh;
    model.AddNode(node);
    return model;
}

bool GpuTest::ready_ = false;
std::string GpuTest::error_;

void GpuTest::SetUpTestSuite() {
    ready_ = false;
    if (!FwCreateHeadlessGLContext(kWidth, kHeight, error_)) return;
    if (!FwDirect3D::GetInstance().Init(kWidth, kHeight, true, error_)) {
        error_ = "FwDirect3D::Init: " + error_;
        return;
    }
    if (!FwShaderManager::GetInstance().Init()) {
        error_ = "FwShaderManager::Init failed";
        return;
    }
    ready_ = true;
}

void GpuTest::TearDownTestSuite() {
    FwShaderManager::GetInstance().Release();
    FwDirect3D::GetInstance().Release();
    FwDestroyHeadlessGLContext();
}

void GpuTest::SetUp() {
    // A machine without EGL skips; a machine with a context but a failing
    // device is a real fault.
    if (!FwHasHeadlessGLContext()) GTEST_SKIP() << "no headless GL context: " << error_;
    ASSERT_TRUE(ready_) << error_;
}

void GpuTest::ClearFrame(float r, float g, float b, float a) {
    FwDirect3D& device = FwDirect3D::GetInstance();
    device.SetRenderTargets(device.GetBackBuffer().get(), device.GetZBuffer().get());
    device.ClearRenderTarget(device.GetBackBuffer().get(), r, g, b, a);
    device.ClearDepthStencil(device.GetZBuffer().get(), 1.0f, 0);
}

std::vector<uint8_t> GpuTest::ReadBack() {
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    EXPECT_TRUE(FwDirect3D::GetInstance().ReadBackBuffer(rgba, w, h));
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
    return rgba;
}

Rgba GpuTest::Pixel(const std::vector<uint8_t>& rgba, int x, int y) {
    size_t i = (static_cast<size_t>(y) * kWidth + x) * 4;
    if (i + 3 >= rgba.size()) return {-1, -1, -1, -1};
    return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

void ExpectPixel(const Rgba& actual, const Rgba& expected, int tolerance, const char* where) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << where;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << where;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << where;
    EXPECT_NEAR(actual.a, expected.a, tolerance) << where;
}
