#include "framework/render/FwShaders.h"

#include <string>

// Every program computes in single precision with row vectors: p x M is
// written vec4(p, 1) * M, and the blocks are row_major so the matrices arrive
// exactly as the game code built them.

namespace {

const char kVersion[] = "#version 450 core\n";

const char kCameraLight[] = R"(
layout(std140, row_major, binding = 7) uniform cbCamera {
    mat4 g_mV;
    mat4 g_mP;
    vec3 g_CamPos;
    int g_DistanceFogEnable;
    vec3 g_DistanceFogColor;
    float g_DistanceFogDensity;
};
struct PointLight {
    vec3 color;
    float radius;
    vec3 position;
    float filler;
};
layout(std140, row_major, binding = 8) uniform cbLight {
    vec3 g_AmbientLight;
    vec3 g_DL_Dir;
    vec3 g_DL_Color;
    PointLight g_PL[100];
    int g_PL_Num;
};
)";

const char kObject[] = R"(
layout(std140, row_major, binding = 0) uniform cbObject {
    mat4 g_mW;
    vec2 g_UVOffset;
    vec2 g_UVTiling;
    int g_LightEnable;
    float g_AlphaTestThreshold;
};
)";

const char kPerObject[] = R"(
layout(std140, row_major, binding = 2) uniform cbPerObject {
    mat4 g_mW;
    vec2 g_UVOffset;
    vec2 g_UVTiling;
    float g_AlphaTestThreshold;
};
)";

const char kSprite[] = R"(
layout(std140, row_major, binding = 3) uniform cbSprite {
    mat4 g_mTransform;
    vec4 g_color;
};
)";

}  // namespace

namespace FwShaders {

std::string ModelVertex() {
    return std::string(kVersion) + kCameraLight + kObject + R"(
layout(location = 0) in vec3 in_position;
layout(location = 1) in vec2 in_uv;
layout(location = 2) in vec3 in_normal;
layout(location = 3) in vec4 in_color;   // RGBA8 read as 0..1

out vec2 v_uv;
out vec3 v_normal;
out vec4 v_color;
out vec3 v_world;

void main() {
    vec4 w = vec4(in_position, 1.0) * g_mW;
    gl_Position = w * g_mV * g_mP;
    v_uv = in_uv * g_UVTiling + g_UVOffset;
    vec3 n = in_normal * mat3(g_mW);
    // A mesh without normals has zero normals; keep them zero instead of NaN.
    v_normal = dot(n, n) > 0.0 ? normalize(n) : vec3(0.0);
    v_color = in_color;
    v_world = w.xyz;
}
)";
}

}  // namespace FwShaders

namespace {

// Declarations and helpers shared by the general and the specialised model
// fragment shaders.
const char kModelFragmentCommon[] = R"(
struct Material {
    vec4 baseColor;
    vec3 emissive;
    float metallic;
    float roughness;
};
layout(std140, row_major, binding = 1) uniform cbMaterial {
    Material g_Material;
};

layout(binding = 0) uniform sampler2D g_baseTex;
layout(binding = 1) uniform sampler2D g_emissiveTex;
layout(binding = 2) uniform sampler2D g_mrTex;

in vec2 v_uv;
in vec3 v_normal;
in vec4 v_color;
in vec3 v_world;
layout(location = 0) out vec4 o_color;

float saturate(float x) { return clamp(x, 0.0, 1.0); }
// normalize that leaves a zero vector zero (degenerate inputs give no light
// instead of NaN).
vec3 safeNormalize(vec3 v) { float l = length(v); return l > 0.0 ? v / l : vec3(0.0); }

// Diffuse plus normalised Blinn-Phong highlight of one light arriving along L.
vec3 Shade(vec3 N, vec3 V, vec3 L, vec3 lightColor, vec3 D, vec3 S, float P, float K) {
    vec3 diffuse = saturate(dot(N, L)) * 0.31831 * lightColor * D;
    vec3 H = safeNormalize(V + L);
    vec3 specular = pow(saturate(dot(N, H)), P) * K * lightColor * S;
    return diffuse + specular;
}

)";

// The specialised main: the general one's statements in the same order and
// form (so the compiler emits the same arithmetic), with what a feature set
// leaves out replaced by the value the default would give.
const char kModelFragmentSpecialised[] = R"(
void main() {
    vec4 B = g_Material.baseColor;
#if BASE_TEXTURE
    vec4 base = texture(g_baseTex, v_uv);
    vec4 col = base * B * v_color;
#else
    vec4 col = B * v_color;
#endif
#if !NO_ALPHA_TEST
    if (g_AlphaTestThreshold >= col.a) discard;
#endif

    vec3 toCam = g_CamPos - v_world;
    float dist = length(toCam);
    vec3 V = dist > 0.0 ? toCam / dist : vec3(0.0);

    vec3 rgb;
    if (g_LightEnable == 0) {
        rgb = col.rgb * B.a;
    } else {
        vec3 N = safeNormalize(v_normal);
#if METAL_ROUGH_TEXTURE
        vec4 mr = texture(g_mrTex, v_uv);
        float metallic = mr.b * g_Material.metallic;
        float roughness = mr.g * g_Material.roughness;
#else
        float metallic = g_Material.metallic;
        float roughness = g_Material.roughness;
#endif
        vec3 D = col.rgb * (1.0 - metallic);
        vec3 S = vec3(0.04) + metallic * (col.rgb - vec3(0.04));
        float P = exp2(13.0 * (1.0 - roughness));
        float K = (P + 2.0) * 0.159155;

        vec3 acc = Shade(N, V, -g_DL_Dir, g_DL_Color, D, S, P, K) * B.a;
#if POINT_LIGHTS
        int count = min(g_PL_Num, 100);
        for (int i = 0; i < count; ++i) {
            vec3 Lv = g_PL[i].position - v_world;
            float d = length(Lv);
            if (d > 0.0 && d < g_PL[i].radius) {
                float a = saturate(1.0 - d / g_PL[i].radius);
                acc += Shade(N, V, Lv / d, a * g_PL[i].color, D, S, P, K) * B.a;
            }
        }
#endif
        acc += col.rgb * g_AmbientLight * B.a;
#if EMISSIVE_FACTOR
#if EMISSIVE_IS_BASE
        vec3 emissive = base.rgb * g_Material.emissive;
#elif EMISSIVE_TEXTURE
        vec3 emissive = texture(g_emissiveTex, v_uv).rgb * g_Material.emissive;
#else
        vec3 emissive = g_Material.emissive;
#endif
        rgb = acc + emissive * B.a;
#else
        rgb = acc;
#endif
    }

#if FOG
    if (g_DistanceFogEnable != 0) {
        float f = min(1.0, exp(-dist * g_DistanceFogDensity));
        rgb = g_DistanceFogColor + f * (rgb - g_DistanceFogColor);
    }
#endif
    o_color = vec4(rgb, col.a);
}
)";

const char* Flag(uint32_t features, uint32_t bit) { return (features & bit) ? " 1\n" : " 0\n"; }

}  // namespace

namespace FwShaders {

std::string ModelFragment() {
    return std::string(kVersion) + kCameraLight + kObject + kModelFragmentCommon + R"(void main() {
    vec4 B = g_Material.baseColor;
    vec4 col = texture(g_baseTex, v_uv) * B * v_color;
    if (g_AlphaTestThreshold >= col.a) discard;

    vec3 toCam = g_CamPos - v_world;
    float dist = length(toCam);
    vec3 V = dist > 0.0 ? toCam / dist : vec3(0.0);

    vec3 rgb;
    if (g_LightEnable == 0) {
        rgb = col.rgb * B.a;
    } else {
        vec3 N = safeNormalize(v_normal);
        vec4 mr = texture(g_mrTex, v_uv);
        float metallic = mr.b * g_Material.metallic;
        float roughness = mr.g * g_Material.roughness;
        vec3 D = col.rgb * (1.0 - metallic);
        vec3 S = vec3(0.04) + metallic * (col.rgb - vec3(0.04));
        float P = exp2(13.0 * (1.0 - roughness));
        float K = (P + 2.0) * 0.159155;

        vec3 acc = Shade(N, V, -g_DL_Dir, g_DL_Color, D, S, P, K) * B.a;
        int count = min(g_PL_Num, 100);
        for (int i = 0; i < count; ++i) {
            vec3 Lv = g_PL[i].position - v_world;
            float d = length(Lv);
            // d > 0 keeps a light sitting exactly on the pixel from dividing by zero.
            if (d > 0.0 && d < g_PL[i].radius) {
                float a = saturate(1.0 - d / g_PL[i].radius);
                acc += Shade(N, V, Lv / d, a * g_PL[i].color, D, S, P, K) * B.a;
            }
        }
        acc += col.rgb * g_AmbientLight * B.a;
        vec3 emissive = texture(g_emissiveTex, v_uv).rgb * g_Material.emissive;
        rgb = acc + emissive * B.a;
    }

    if (g_DistanceFogEnable != 0) {
        float f = min(1.0, exp(-dist * g_DistanceFogDensity));
        rgb = g_DistanceFogColor + f * (rgb - g_DistanceFogColor);
    }
    o_color = vec4(rgb, col.a);
}
)";
}

std::string ModelFragment(uint32_t features) {
    using namespace ModelFeature;
    // A base-sample emissive needs the base sample; without it the emissive
    // image is sampled on its own.
    if (!(features & BaseTexture) && (features & EmissiveIsBase))
        features = (features & ~EmissiveIsBase) | EmissiveTexture;
    std::string defines = std::string("#define BASE_TEXTURE") + Flag(features, BaseTexture) +
                          "#define METAL_ROUGH_TEXTURE" + Flag(features, MetalRoughTexture) +
                          "#define EMISSIVE_FACTOR" + Flag(features, EmissiveFactor) +
                          "#define EMISSIVE_TEXTURE" + Flag(features, EmissiveTexture) +
                          "#define EMISSIVE_IS_BASE" + Flag(features, EmissiveIsBase) +
                          "#define POINT_LIGHTS" + Flag(features, PointLights) + "#define FOG" + Flag(features, Fog) +
                          "#define NO_ALPHA_TEST" + Flag(features, NoAlphaTest);
    return std::string(kVersion) + defines + kCameraLight + kObject + kModelFragmentCommon + kModelFragmentSpecialised;
}

std::string ModelDepthFragment() {
    return std::string(kVersion) + R"(
void main() {
}
)";
}

std::string EffectVertex() {
    return std::string(kVersion) + kCameraLight + kPerObject + R"(
layout(location = 0) in vec3 in_position;
layout(location = 1) in vec2 in_uv;
layout(location = 3) in vec4 in_color;

out vec2 v_uv;
out vec4 v_color;

void main() {
    gl_Position = vec4(in_position, 1.0) * g_mW * g_mV * g_mP;
    v_uv = in_uv * g_UVTiling + g_UVOffset;
    v_color = in_color;
}
)";
}

std::string EffectFragment() {
    return std::string(kVersion) + kPerObject + R"(
layout(binding = 0) uniform sampler2D g_tex;

in vec2 v_uv;
in vec4 v_color;
layout(location = 0) out vec4 o_color;

void main() {
    vec4 c = texture(g_tex, v_uv) * v_color;
    if (g_AlphaTestThreshold >= c.a) discard;
    o_color = c;
}
)";
}

std::string SpriteVertex() {
    return std::string(kVersion) + kSprite + R"(
layout(std140, row_major, binding = 4) uniform cbProjection {
    mat4 g_mProj;
};

layout(location = 0) in vec3 in_position;
layout(location = 1) in vec2 in_uv;

out vec2 v_uv;

void main() {
    gl_Position = vec4(in_position, 1.0) * g_mTransform * g_mProj;
    v_uv = in_uv;
}
)";
}

std::string SpriteFragment() {
    return std::string(kVersion) + kSprite + R"(

layout(binding = 0) uniform sampler2D g_inputTex;

in vec2 v_uv;
layout(location = 0) out vec4 o_color;

void main() {
    vec4 t = texture(g_inputTex, v_uv);
    if (t.a < 0.1) discard;
    o_color = t * g_color;
}
)";
}

}  // namespace FwShaders
