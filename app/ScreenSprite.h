// Sprite helper of the menu scenes: one whole texture drawn centred on a
// world transform, inside a Begin(false, true) ... End() pass.
#pragma once

#include "framework/math/FwMath.h"
#include "framework/render/FwShaderManager.h"

class FwTexture;

// Clear scene and stage-select menu, in their 2D pass: draws width x height
// texels from the texture's top left at the transform's origin, pivot at the
// centre. A null texture draws nothing.
inline void DrawCentredSprite(const FwTexture* texture, const Matrix& world, float width, float height,
                              const Vector4& color = Vector4{1.0f, 1.0f, 1.0f, 1.0f}) {
    if (!texture) return;
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetSpriteWorld(world);
    const FwRect src{0.0f, 0.0f, width, height};
    shaders.DrawTex(texture, 0.0f, 0.0f, width, height, &src, &color, Vector2{0.5f, 0.5f});
}
