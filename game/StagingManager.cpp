#include "game/StagingManager.h"

#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"
#include "framework/resource/FwResourceFactory.h"

namespace {
float Pow5(float u) { return u * u * u * u * u; }
// Ease-out curve of the logos' opening: 0 at t = 0, 1 at t = duration.
float EaseOut(float t, float duration) { return Pow5(t / duration - 1.0f) + 1.0f; }
}  // namespace

JewelCutIn::JewelCutIn()
    : upperBandTransform_(MatrixTranslation(upperBandPosition_)),
      lowerBandTransform_(MatrixTranslation(lowerBandPosition_)),
      jewelLogoTransform_(MatrixTranslation(jewelLogoPosition_)),
      getLogoTransform_(MatrixTranslation(getLogoPosition_)) {}

void JewelCutIn::Update(bool start) {
    if (start && state_ == kWaiting) {
        // Loaded now, not with the stage: most of the stage's life the
        // cut-in waits, and its two screen-wide bands would lengthen the
        // stage's load and hold their memory all along.
        auto& res = FwResourceFactory::GetInstance();
        upperBandTexture_ = res.GetTexture("GameScene/Staging/CutIn/CutIn_Up.png");
        lowerBandTexture_ = res.GetTexture("GameScene/Staging/CutIn/CutIn_Down.png");
        jewelLogoTexture_ = res.GetTexture("GameScene/Staging/CutIn/JewelLogo.png");
        getLogoTexture_ = res.GetTexture("GameScene/Staging/CutIn/GetLogo.png");
        logoScale_ = 0.0f;
        jewelLogoPosition_.x = kJewelLogoStartX;
        getLogoPosition_.x = kGetLogoStartX;
        holdCounter_ = kHoldFrames;
        logoSpeed_ = kLogoSpeed;
        state_ = kLogosIn;
    }
    if (state_ == kLogosIn) {
        StepLogosIn();
    } else if (state_ == kLogosOut) {
        StepLogosOut();
    }
    if (state_ == kLogosIn || state_ == kLogosOut) {
        // The logos open and close vertically about their centres.
        const Matrix scale = MatrixScaling(1.0f, logoScale_, 1.0f);
        jewelLogoTransform_ = scale * MatrixTranslation(jewelLogoPosition_.x, jewelLogoPosition_.y, 0.0f);
        getLogoTransform_ = scale * MatrixTranslation(getLogoPosition_.x, getLogoPosition_.y, 0.0f);
    }
}

void JewelCutIn::StepLogosIn() {
    if (upperBandPosition_.x > 0.0f) {
        upperBandPosition_.x -= kBandSpeed;
        if (upperBandPosition_.x < 0.0f) upperBandPosition_.x = 0.0f;
    }
    upperBandTransform_ = MatrixTranslation(upperBandPosition_.x, kBandY, 0.0f);
    if (lowerBandPosition_.x < 0.0f) {
        lowerBandPosition_.x += kBandSpeed;
        if (lowerBandPosition_.x > 0.0f) lowerBandPosition_.x = 0.0f;
    }
    lowerBandTransform_ = MatrixTranslation(lowerBandPosition_.x, -kBandY, 0.0f);

    jewelLogoPosition_.x += static_cast<float>(logoSpeed_);
    getLogoPosition_.x += static_cast<float>(logoSpeed_);

    if (easeTime_ <= kEaseDuration) {
        logoScale_ = EaseOut(easeTime_, kEaseDuration);
        easeTime_ += kEaseStep;
    }

    if (holdCounter_ < kSlowBelow) logoSpeed_ = kLogoSlowSpeed;
    --holdCounter_;
    if (holdCounter_ < 0) {
        easeTime_ = 0.0f;
        logoSpeed_ = kLogoSpeed;
        state_ = kLogosOut;
    }
}

void JewelCutIn::StepLogosOut() {
    // The logos accelerate to the right: 25, 50, 75, ... pixels a frame.
    const int speed = logoSpeed_;
    logoSpeed_ = speed + kLogoSpeed;
    jewelLogoPosition_.x += static_cast<float>(speed);
    getLogoPosition_.x += static_cast<float>(speed);

    if (easeTime_ <= kEaseDuration) {
        logoScale_ = 1.0f - EaseOut(easeTime_, kEaseDuration);
        easeTime_ += kEaseStep;
    }

    if (jewelLogoPosition_.x > kLogoExitX) {
        state_ = kOver;
        finished_ = true;
    }
}

int JewelCutIn::SpritesToDraw(SpriteList& out) const {
    int count = 0;
    if (state_ != kWaiting) {
        out[count++] = {Sprite::UpperBand, upperBandTexture_, upperBandTransform_, kBandWidth, kBandHeight};
        out[count++] = {Sprite::LowerBand, lowerBandTexture_, lowerBandTransform_, kBandWidth, kBandHeight};
    }
    if (state_ == kLogosIn || state_ == kLogosOut) {
        out[count++] = {Sprite::JewelLogo, jewelLogoTexture_, jewelLogoTransform_, kJewelLogoWidth,
                        kJewelLogoHeight};
        out[count++] = {Sprite::GetLogo, getLogoTexture_, getLogoTransform_, kGetLogoWidth, kGetLogoHeight};
    }
    return count;
}

void JewelCutIn::Draw2D() const {
    SpriteList sprites;
    const int count = SpritesToDraw(sprites);
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    const Vector4 white(1.0f, 1.0f, 1.0f, 1.0f);
    for (int i = 0; i < count; ++i) {
        const SpriteDraw& s = sprites[i];
        if (!s.texture || s.texture->IsEmpty()) continue;
        shaders.SetSpriteWorld(s.transform);
        const FwRect src{0.0f, 0.0f, s.width, s.height};
        shaders.DrawTex(s.texture, 0.0f, 0.0f, s.width, s.height, &src, &white, Vector2(0.5f, 0.5f));
    }
}

StagingManager::StagingManager() : cutIn_(std::make_shared<JewelCutIn>()) {}

void StagingManager::Update(bool jewelTaken) { cutIn_->Update(jewelTaken); }

void StagingManager::Draw2D() const { cutIn_->Draw2D(); }

bool StagingManager::IsFinished() const { return cutIn_->IsFinished(); }

JewelCutIn::State StagingManager::GetState() const { return cutIn_->GetState(); }
