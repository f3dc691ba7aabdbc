#include "game/player/OperationGuide.h"

#include "scene/FadeStep.h"
#include "framework/collision/FwCollision.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"
#include "framework/resource/FwResourceFactory.h"

OperationGuide::OperationGuide(bool hasBox)
    : boxLessonPending_(hasBox), spriteTransform_(MatrixTranslation(kScreenPosition)) {
    auto& res = FwResourceFactory::GetInstance();
    pictures_[kPlayerGuide] = res.GetTexture("GameScene/Guide/PlayerGuide.png");
    pictures_[kHookGuide] = res.GetTexture("GameScene/Guide/HookGuide.png");
    pictures_[kBoxMoveGuide] = res.GetTexture("GameScene/Guide/BoxMoveGuide.png");
    pictures_[kHookMoveGuide] = res.GetTexture("GameScene/Guide/HookMoveGuide.png");
}

bool OperationGuide::FadeOut() {
    // A picture that already stood at 0 counts as faded out too, so a page
    // entered invisible can still move on.
    return FadeStep(alpha_, false, kFadeStep) || alpha_ <= 0.0f;
}

void OperationGuide::FadeIn() { FadeStep(alpha_, true, kFadeStep); }

void OperationGuide::Update(const Vector3& playerPosition, float playerRadius, bool boxInLine, int hookedBoxIndex,
                            const Vector3& firstBoxPosition, bool hookAttached, bool playerPulled) {
    auto near = [&](const Vector3& place, float radius) {
        return SphereOverlap(playerPosition, playerRadius, place, radius);
    };
    // Where the current lesson's hook is to strike: the first box while the
    // box lesson is pending, the pull spot after it.
    const bool atLessonSpot = boxLessonPending_ ? boxInLine && near(firstBoxPosition, kNearRadius)
                                                : near(kPullSpot, kPullSpotRadius);
    // A quick player may strike, reel the box in or be pulled over the pit
    // before a picture has faded: the actions are noted as they happen, so a
    // lesson done counts however fast it was done.
    if (page_ <= kHookGuide && atLessonSpot && hookAttached) lessonHooked_ = true;
    if (lessonHooked_ && (boxLessonPending_ ? !hookAttached && hookedBoxIndex >= 0 : playerPulled))
        lessonDone_ = true;
    switch (page_) {
        case kPlayerGuide:
            if (!near(kStartArea, kNearRadius) && FadeOut()) page_ = kHookGuide;
            break;
        case kHookGuide:
            if (lessonHooked_) {
                if (FadeOut()) page_ = boxLessonPending_ ? kBoxMoveGuide : kHookMoveGuide;
            } else if (atLessonSpot) {
                FadeIn();
            } else {
                FadeOut();
            }
            break;
        case kBoxMoveGuide:
            if (hookAttached) {
                FadeIn();
            } else {
                // Let go after reeling a box in: the box lesson is over.
                if (hookedBoxIndex >= 0 || lessonDone_) boxLessonPending_ = false;
                if (FadeOut()) NextLesson(kHookGuide);
            }
            break;
        case kHookMoveGuide:
            if (playerPulled) lessonDone_ = true;
            if (hookAttached) {
                FadeIn();
            } else if (FadeOut()) {
                NextLesson(lessonDone_ ? kFinished : kHookGuide);
            }
            break;
        default:
            break;
    }
}

void OperationGuide::NextLesson(int page) {
    page_ = page;
    lessonHooked_ = false;
    lessonDone_ = false;
}

float OperationGuide::PictureWidth(int page) {
    switch (page) {
        case kPlayerGuide: return 300.0f;
        case kHookGuide: return 150.0f;
        case kBoxMoveGuide: return 420.0f;
        case kHookMoveGuide: return 300.0f;
        default: return 0.0f;
    }
}

void OperationGuide::Draw2D() const {
    if (page_ < kPlayerGuide || page_ > kHookMoveGuide) return;
    const FwTexture* picture = pictures_[page_];
    if (!picture || picture->IsEmpty()) return;
    const float width = PictureWidth(page_);
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetSpriteWorld(spriteTransform_);
    const FwRect src{0.0f, 0.0f, width, kPictureHeight};
    const Vector4 color(1.0f, 1.0f, 1.0f, alpha_);
    shaders.DrawTex(picture, 0.0f, 0.0f, width, kPictureHeight, &src, &color, Vector2(0.5f, 0.5f));
}
