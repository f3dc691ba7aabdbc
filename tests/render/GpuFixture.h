// Shared set-up of the GPU tests: a headless GL context with FwDirect3D and
// FwShaderManager initialised on a small back buffer. Every test skips when
// no context can be made (no EGL driver on the machine).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/math/FwMath.h"
#include "framework/model/FwModel.h"

struct Rgba {
    int r, g, b, a;
};

class GpuTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 32;

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // Clears back buffer (to colour) and Z buffer (to 1) and binds both.
    static void ClearFrame(float r, float g, float b, float a);
    // Reads the back buffer; (x, y) counts from the top-left pixel.
    static std::vector<uint8_t> ReadBack();
    static Rgba Pixel(const std::vector<uint8_t>& rgba, int x, int y);
    // Camera at the origin looking along `forward` (60 degree field of view
    // over the whole back buffer), uploaded.
    static void LookFromOrigin(const Vector3& forward);

    static bool ready_;
    static std::string error_;
};

// A 2 x 2 square facing -z at its node's origin, one plain white material.
FwModel WhiteSquareModel();

// Expects a pixel within tolerance of the given bytes.
void ExpectPixel(const Rgba& actual, const Rgba& expected, int tolerance, const char* where);
