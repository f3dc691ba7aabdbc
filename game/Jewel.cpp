#include "game/Jewel.h"

#include "framework/audio/FwAudio.h"
#include "framework/collision/FwCollision.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"

Jewel::Jewel(const Vector3& showCasePosition)
    : position_(showCasePosition + Vector3(0.0f, kHeightAboveShowCase, 0.0f)) {
    auto& res = FwResourceFactory::GetInstance();
    getSound_ = res.GetSound("Jewel/JewelGet.wav", kGetVolume, false);
    model_ = res.GetModel("GameScene/Treasure/Jewel/JewelMain.gltf");
    // Placed at once: the hook's ray may test the jewel before its first
    // update in the scene's first frame.
    RebuildWorld();
}

void Jewel::Update(bool hookedNow, const Vector3& hookPosition, float hookRadius, const Vector3& objectPull) {
    if (caught_) {
        position_ += objectPull;
        taken_ = true;
    } else {
        spin_ = NextSpin(spin_);
        if (hookedNow) {
            caught_ = SphereOverlap(position_, kRadius, hookPosition, hookRadius);
            if (caught_) getSound_->Play(false, true);
        }
    }
    RebuildWorld();
}

// A float angle that only grows takes coarser steps as it grows: after a day
// at rest the jewel would turn unevenly, after four it would stand still. A
// thousand whole turns are dropped once the spin passes them (after about 17
// minutes at rest); until then every angle is the same sum as it always was,
// and the subtraction is exact, so the turn goes on without a jump.
float Jewel::NextSpin(float spin) {
    spin += kSpinStep;
    if (spin >= kSpinWrap) spin -= kSpinWrap;
    return spin;
}

void Jewel::RebuildWorld() {
    rotation_ = MatrixRotationY(spin_);
    world_ = rotation_ * MatrixTranslation(position_);
}

void Jewel::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(world_);
    shaders.DrawModel(model_, kOpacity);
}
