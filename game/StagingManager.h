// The jewel cut-in: once the jewel is taken, two bands slide in from the
// sides and stay, a jewel logo and a get logo slide in, open, hold, then
// accelerate away closing; the game scene leaves the stage when it has
// finished (102 frames after the start).
#pragma once

#include <array>
#include <memory>

#include "framework/math/FwMath.h"

class FwTexture;

class JewelCutIn {
public:
    enum State : int { kWaiting = 0, kLogosIn = 1, kLogosOut = 2, kOver = 3 };
    enum class Sprite { UpperBand, LowerBand, JewelLogo, GetLogo };

    // One sprite of the 2D pass: drawn at the transform's origin, pivot at
    // its centre, width x height texels from the texture's top left.
    struct SpriteDraw {
        Sprite sprite = Sprite::UpperBand;
        const FwTexture* texture = nullptr;
        Matrix transform;
        float width = 0.0f;
        float height = 0.0f;
    };
    using SpriteList = std::array<SpriteDraw, 4>;

    static constexpr float kBandWidth = 1280.0f;
    static constexpr float kBandHeight = 200.0f;
    static constexpr float kBandY = 260.0f;
    static constexpr float kBandSpeed = 200.0f;
    static constexpr float kJewelLogoWidth = 244.0f;
    static constexpr float kJewelLogoHeight = 98.0f;
    static constexpr float kGetLogoWidth = 208.0f;
    static constexpr float kGetLogoHeight = 99.0f;
    static constexpr float kJewelLogoStartX = -762.0f;
    static constexpr float kGetLogoStartX = -662.0f;
    static constexpr float kJewelLogoY = 200.0f;
    static constexpr float kGetLogoY = 100.0f;
    static constexpr int kLogoSpeed = 25;       // pixels a frame sliding in; also the acceleration going out
    static constexpr int kLogoSlowSpeed = 1;    // pixels a frame while the logos hold
    static constexpr int kHoldFrames = 90;
    static constexpr int kSlowBelow = 80;       // hold counter below which the logos slow down
    static constexpr float kEaseStep = 0.1f;
    static constexpr float kEaseDuration = 2.0f;
    static constexpr float kLogoExitX = 1000.0f;

    // Staging manager constructor: waits off screen. The four textures are
    // loaded when the cut-in starts.
    JewelCutIn();

    // Staging manager, once per frame: start is the jewel's taken flag; the
    // first true starts the cut-in, later ones change nothing.
    void Update(bool start);
    // Staging manager, inside the game scene's sprite pass: the bands once
    // started (also after finishing), the logos while they move.
    void Draw2D() const;
    // The sprites Draw2D lays this frame, in drawing order; returns how many
    // entries of out are used. A sprite whose texture did not load is listed
    // here but skipped by Draw2D.
    int SpritesToDraw(SpriteList& out) const;

    State GetState() const { return state_; }
    bool IsFinished() const { return finished_; }
    float GetLogoScale() const { return logoScale_; }
    const Vector3& GetUpperBandPosition() const { return upperBandPosition_; }
    const Vector3& GetLowerBandPosition() const { return lowerBandPosition_; }
    const Vector3& GetJewelLogoPosition() const { return jewelLogoPosition_; }
    const Vector3& GetGetLogoPosition() const { return getLogoPosition_; }

private:
    void StepLogosIn();
    void StepLogosOut();

    float easeTime_ = 0.0f;
    bool finished_ = false;
    State state_ = kWaiting;
    int holdCounter_ = 0;
    int logoSpeed_ = kLogoSpeed;
    float logoScale_ = 0.0f;
    FwTexture* upperBandTexture_ = nullptr;
    FwTexture* lowerBandTexture_ = nullptr;
    FwTexture* jewelLogoTexture_ = nullptr;
    FwTexture* getLogoTexture_ = nullptr;
    Vector3 upperBandPosition_{kBandWidth, kBandY, 0.0f};
    Vector3 lowerBandPosition_{-kBandWidth, -kBandY, 0.0f};
    Vector3 jewelLogoPosition_{kJewelLogoStartX, kJewelLogoY, 0.0f};
    Vector3 getLogoPosition_{kGetLogoStartX, kGetLogoY, 0.0f};
    Matrix upperBandTransform_;
    Matrix lowerBandTransform_;
    Matrix jewelLogoTransform_;
    Matrix getLogoTransform_;
};

// Owner of the end-of-stage staging; the game scene's only handle on it.
class StagingManager {
public:
    // Game scene constructor.
    StagingManager();
    // Game scene, each frame after the jewel: jewelTaken starts the cut-in.
    void Update(bool jewelTaken);
    // Game scene sprite pass (over the afterimage in the cut-in mode).
    void Draw2D() const;
    // Game scene, each frame: true once the cut-in is over (leave the stage).
    bool IsFinished() const;
    // Harness trace: the cut-in's state (0 waiting, 1 logos in, 2 logos out, 3 over).
    JewelCutIn::State GetState() const;
    const JewelCutIn& GetCutIn() const { return *cutIn_; }

private:
    std::shared_ptr<JewelCutIn> cutIn_;
};
