#include "game/gimmick/HookEffect.h"

#include "framework/render/FwDirect3D.h"
#include "framework/resource/FwResourceFactory.h"

int HookEffectRandom::Next() {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) & static_cast<uint32_t>(kMax));
}

HookEffect::HookEffect() {
    // A 0.2 x 1.0 strip in the local XY plane along Y, as a triangle strip;
    // colour (0, 0, 0, 0) until the first trigger.
    const Vector4 none(0.0f, 0.0f, 0.0f, 0.0f);
    vertices_[0] = {Vector3(-kHalfWidth, kHalfLength, 0.0f), Vector2(0.0f, 0.0f), none};
    vertices_[1] = {Vector3(kHalfWidth, kHalfLength, 0.0f), Vector2(1.0f, 0.0f), none};
    vertices_[2] = {Vector3(-kHalfWidth, -kHalfLength, 0.0f), Vector2(0.0f, 1.0f), none};
    vertices_[3] = {Vector3(kHalfWidth, -kHalfLength, 0.0f), Vector2(1.0f, 1.0f), none};
    buffer_.Create(FwBind::Vertex, static_cast<uint32_t>(sizeof(vertices_)), FwUsage::Default, vertices_.data());
    texture_ = FwResourceFactory::GetInstance().GetTexture("GameScene/HookGun/TipEffect.png");
}

void HookEffect::Update(bool trigger, const Matrix& tipWorld, HookEffectRandom& random) {
    if (trigger) {
        const float angle = static_cast<float>(random.Next()) * kDegToRad;
        spin_ = MatrixRotationZ(angle);
        step_ = MatrixTranslation(GetDirection() * kSpeed);
        place_ = tipWorld;
        life_ = 1.0f;
    } else if (life_ <= 0.0f) {
        return;
    }
    life_ -= kLifeStep;
    for (FwEffectVertex& v : vertices_) v.color = Vector4(1.0f, 1.0f, 1.0f, life_);
    buffer_.Write(vertices_.data(), static_cast<uint32_t>(sizeof(vertices_)));
    place_ = step_ * place_;
    // The streak's long side points along its own direction of flight.
    world_ = spin_ * place_;
}

void HookEffect::Draw() const {
    if (!IsVisible()) return;
    FwDirect3D& d3d = FwDirect3D::GetInstance();
    d3d.SetVertexBuffer(&buffer_, kStride, 0);
    d3d.SetTopology(FwTopology::TriangleStrip);
    d3d.SetTexture(0, texture_);
    FwShaderManager::GetInstance().SetEffectWorld(world_);
    d3d.Draw(kVertexCount, 0);
}

HookEffectManager::HookEffectManager() {
    for (auto& effect : effects_) effect = std::make_shared<HookEffect>();
}

void HookEffectManager::Update(bool trigger, const Matrix& tipWorld) {
    for (auto& effect : effects_) effect->Update(trigger, tipWorld, random_);
}

void HookEffectManager::Draw() const {
    for (const auto& effect : effects_) effect->Draw();
}

int HookEffectManager::VisibleCount() const {
    int count = 0;
    for (const auto& effect : effects_) count += effect->IsVisible() ? 1 : 0;
    return count;
}
