// The ES 3.00 form the web build compiles, made from the game's GLSL 4.50.
#include <gtest/gtest.h>

#include <string>

#include "framework/render/FwShaderDialect.h"
#include "framework/render/FwShaders.h"

namespace {

bool Has(const FwEsShader& es, const std::string& name, int binding, bool sampler) {
    for (const FwShaderBinding& b : es.bindings)
        if (b.name == name && b.binding == binding && b.sampler == sampler) return true;
    return false;
}

}  // namespace

// Every shader converts; the bindings move out of the text with their numbers,
// and only vertex shaders get the depth mapping; a foreign version is refused.
TEST(ShaderDialect, EsFormKeepsBindingsAndMapsClipDepth) {
    FwEsShader vertex, fragment, sprite;
    std::string error;
    ASSERT_TRUE(FwToEsShader(FwShaders::ModelVertex(), true, vertex, error)) << error;
    ASSERT_TRUE(FwToEsShader(FwShaders::ModelFragment(0xFFu), false, fragment, error)) << error;
    ASSERT_TRUE(FwToEsShader(FwShaders::SpriteFragment(), false, sprite, error)) << error;
    for (const FwEsShader* es : {&vertex, &fragment, &sprite}) {
        EXPECT_EQ(es->source.rfind("#version 300 es\nprecision highp float;", 0), 0u);
        EXPECT_EQ(es->source.find("binding"), std::string::npos);
        EXPECT_EQ(es->source.find("#version 450"), std::string::npos);
    }
    EXPECT_TRUE(Has(vertex, "cbCamera", 7, false));
    EXPECT_TRUE(Has(vertex, "cbLight", 8, false));
    EXPECT_TRUE(Has(vertex, "cbObject", 0, false));
    EXPECT_TRUE(Has(fragment, "cbMaterial", 1, false));
    EXPECT_TRUE(Has(fragment, "g_baseTex", 0, true));
    EXPECT_TRUE(Has(fragment, "g_mrTex", 2, true));
    EXPECT_EQ(sprite.bindings.size(), 2u);
    EXPECT_NE(vertex.source.find("void fw_main()"), std::string::npos);
    EXPECT_NE(vertex.source.find("gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;"), std::string::npos);
    EXPECT_EQ(fragment.source.find("gl_Position.z"), std::string::npos);
    EXPECT_FALSE(FwToEsShader("#version 330 core\nvoid main() {}\n", true, vertex, error));
    EXPECT_FALSE(error.empty());
}
