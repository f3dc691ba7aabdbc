#include <gtest/gtest.h>

#include <string>

#include "framework/platform/FwEglContext.h"

// Creating twice replaces the first context, and destroying twice is harmless:
// the harness and the test fixtures rely on both.
TEST(EglContext, CreateReplaceAndDestroy) {
    std::string error;
    if (!FwCreateHeadlessGLContext(16, 16, error)) GTEST_SKIP() << "no EGL context: " << error;
    EXPECT_TRUE(FwHasHeadlessGLContext());
    ASSERT_TRUE(FwCreateHeadlessGLContext(32, 8, error)) << error;
    EXPECT_TRUE(FwHasHeadlessGLContext());
    FwDestroyHeadlessGLContext();
    EXPECT_FALSE(FwHasHeadlessGLContext());
    FwDestroyHeadlessGLContext();
    EXPECT_FALSE(FwHasHeadlessGLContext());
}
