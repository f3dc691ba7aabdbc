// The first stage's tutorial overlay: one picture at the lower left that
// explains the next thing to do (walk, aim the hook at a box, drag it, be
// pulled by the chain) and fades in and out as the player progresses. It
// reads the player and the hook gun each frame and never influences play.
#pragma once

#include "framework/math/FwMath.h"

class FwTexture;

class OperationGuide {
public:
    enum Page { kPlayerGuide = 0, kHookGuide = 1, kBoxMoveGuide = 2, kHookMoveGuide = 3, kFinished = 4 };

    static constexpr float kFadeStep = 0.1f;
    static constexpr float kNearRadius = 30.0f;      // around the start area and the first box
    static constexpr float kPullSpotRadius = 20.0f;
    static constexpr Vector3 kStartArea{0.0f, 0.0f, 7.5f};
    static constexpr Vector3 kPullSpot{-29.0f, 0.0f, 76.5f};
    static constexpr Vector3 kScreenPosition{-300.0f, -200.0f, 0.0f};
    static constexpr float kPictureHeight = 160.0f;

    // Game scene constructor of stage 1: loads the four pictures. hasBox is
    // false for a stage without boxes: the box lesson is skipped and the
    // first-box inputs of Update are never read.
    explicit OperationGuide(bool hasBox);

    // Game scene, each frame after the hook gun: the player's eye position
    // and radius; boxInLine = the hook gun's chain line meets the first box;
    // the hooked box index (-1 none); the first box's position; the hook
    // gun is attached (state 2) / pulling the player (state 3).
    void Update(const Vector3& playerPosition, float playerRadius, bool boxInLine, int hookedBoxIndex,
                const Vector3& firstBoxPosition, bool hookAttached, bool playerPulled);
    // Game scene sprite pass: the current page's picture at its alpha.
    void Draw2D() const;

    int GetPage() const { return page_; }
    float GetAlpha() const { return alpha_; }
    bool IsBoxLessonPending() const { return boxLessonPending_; }
    // Width in texels of a page's picture (0 for the finished page).
    static float PictureWidth(int page);

private:
    // One fade step toward 0; true once the picture is fully faded out.
    bool FadeOut();
    void FadeIn();
    // Turns to `page` with the next lesson's actions not yet seen.
    void NextLesson(int page);

    int page_ = kPlayerGuide;
    bool boxLessonPending_ = true;
    // The current lesson's hook has struck its target (the first box, or
    // anything from the pull spot) ...
    bool lessonHooked_ = false;
    // ... and the lesson's action followed: the box reeled in, the player
    // pulled by the chain.
    bool lessonDone_ = false;
    Matrix spriteTransform_;
    FwTexture* pictures_[4] = {nullptr, nullptr, nullptr, nullptr};
    float alpha_ = 1.0f;
};
