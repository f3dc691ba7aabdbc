#include "app/StageSelect.h"

#include "app/CursorOverRect.h"
#include "app/ScreenSprite.h"
#include "framework/audio/FwAudio.h"
#include "framework/platform/FwPlatform.h"
#include "framework/resource/FwResourceFactory.h"
#include "scene/KeyLatch.h"

namespace {
const Vector4 kHoverTint{0.0f, 1.0f, 1.0f, 1.0f};
const Vector4 kWhite{1.0f, 1.0f, 1.0f, 1.0f};
// Hover test order: the first button hit wins.
constexpr int kHoverOrder[] = {StageSelect::kPlayAgain, StageSelect::kTitle, StageSelect::kNextStage};
}  // namespace

StageSelect::StageSelect(bool hasNextStage) : hasNextStage_(hasNextStage) {
    FwResourceFactory& resources = FwResourceFactory::GetInstance();
    decideSound_ = resources.GetSound("Determination.wav", kSoundVolume, false);
    cursorSound_ = resources.GetSound("Cursor.wav", kSoundVolume, false);

    auto place = [this](int choice, FwTexture* texture, Vector2 size, float x) {
        Button& button = buttons_[choice];
        button.texture = texture;
        button.size = size;
        button.centre = Vector3{x, kRowY, 0.0f};
        button.transform = MatrixTranslation(x, kRowY, 0.0f);
        button.present = true;
    };
    if (hasNextStage_) {
        place(kNextStage, resources.GetTexture("ClearScene/NextStageTex.png"), kNextStageSize, kNextStageX);
        place(kPlayAgain, resources.GetTexture("ClearScene/PlayAgainTex.png"), kPlayAgainSize, kPlayAgainX);
        place(kTitle, resources.GetTexture("ClearScene/TitleTex.png"), kTitleSize, kTitleX);
    } else {
        place(kPlayAgain, resources.GetTexture("ClearScene/PlayAgainTex.png"), kPlayAgainSize, kPlayAgainAloneX);
        place(kTitle, resources.GetTexture("ClearScene/TitleTex.png"), kTitleSize, kTitleAloneX);
    }
}

bool StageSelect::HasButton(int choice) const {
    return choice >= 0 && choice < kButtonCount && buttons_[choice].present;
}

int StageSelect::HoveredButton() const {
    for (int choice : kHoverOrder) {
        const Button& button = buttons_[choice];
        if (button.present && CursorOverRect(button.centre, button.size.x, button.size.y)) return choice;
    }
    return kNone;
}

// Moving straight from one button to another does not replay the hover
// sound; it plays again only after the cursor was over no button.
void StageSelect::Update() {
    if (!accepting_) return;
    choice_ = HoveredButton();
    if (choice_ == kNone) {
        hoverSoundPlayed_ = false;
    } else if (!hoverSoundPlayed_) {
        cursorSound_->Play(false, true);
        hoverSoundPlayed_ = true;
    }
    // A button held down while the cursor moves onto a button decides at
    // once. The decision takes the shared latch, as the title's click does,
    // so a button still held when the next stage starts does not fire the
    // hook until it has been released.
    KeyLatch& latch = KeyLatch::GetInstance();
    if (!FwIsKeyDown(FwKey::LButton)) {
        latch.Set(KeyLatch::kLeftButton, false);
    } else if (choice_ != kNone) {
        latch.Set(KeyLatch::kLeftButton, true);
        accepting_ = false;
        decideSound_->Play(false, true);
    }
}

void StageSelect::Draw2D() const {
    for (const Button& button : buttons_) {
        if (!button.present) continue;
        const bool hovered = CursorOverRect(button.centre, button.size.x, button.size.y);
        // Whole pixels, as the texture holds them.
        const float width = static_cast<float>(static_cast<int>(button.size.x));
        const float height = static_cast<float>(static_cast<int>(button.size.y));
        DrawCentredSprite(button.texture, button.transform, width, height, hovered ? kHoverTint : kWhite);
    }
}
