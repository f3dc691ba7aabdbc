#include "GpuFixture.h"

#include <cstdlib>

#include "framework/platform/FwEglContext.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"

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
