// The button row of the clear scene: next stage (only when there is one),
// play again and back to the title. Hovering a button tints it cyan and plays
// the cursor sound once; the left button held over a button decides, and
// from then on the menu stops reacting.
#pragma once

#include <array>
#include <memory>

#include "framework/math/FwMath.h"

class FwSoundInstance;
class FwTexture;

class StageSelect {
public:
    // Choices, also the indices of the buttons.
    static constexpr int kNone = -1;
    static constexpr int kNextStage = 0;
    static constexpr int kPlayAgain = 1;
    static constexpr int kTitle = 2;
    static constexpr int kButtonCount = 3;

    // Button sizes in pixels (also their source rectangles) and centres in
    // sprite coordinates; the row sits 200 pixels below the screen centre.
    static constexpr float kRowY = -200.0f;
    static constexpr Vector2 kNextStageSize{254.0f, 58.0f};
    static constexpr Vector2 kPlayAgainSize{257.0f, 57.0f};
    static constexpr Vector2 kTitleSize{120.0f, 47.0f};
    static constexpr float kNextStageX = -400.0f;
    static constexpr float kPlayAgainX = 0.0f;
    static constexpr float kTitleX = 400.0f;
    // Without a next stage the two remaining buttons move inwards.
    static constexpr float kPlayAgainAloneX = -200.0f;
    static constexpr float kTitleAloneX = 200.0f;
    static constexpr float kSoundVolume = 0.5f;

    // Clear scene's constructor: hasNextStage adds the next-stage button.
    explicit StageSelect(bool hasNextStage);

    // Clear scene's Update, every frame while accepting: hover test, hover
    // sound, decision on the left button.
    void Update();
    // Clear scene's Draw, inside its sprite pass: every present button,
    // cyan while the cursor is over it.
    void Draw2D() const;

    // Clear scene, every frame: the button under the cursor (kNone when
    // none); once no longer accepting, the decided one.
    int GetChoice() const { return choice_; }
    // Clear scene, every frame: false once a choice has been made.
    bool IsAccepting() const { return accepting_; }
    bool HasNextStage() const { return hasNextStage_; }
    // Tests and trace: whether the button of a choice exists, its centre and
    // its size (zero for an absent button).
    bool HasButton(int choice) const;
    const Vector3& ButtonCentre(int choice) const { return buttons_[choice].centre; }
    const Vector2& ButtonSize(int choice) const { return buttons_[choice].size; }

private:
    struct Button {
        FwTexture* texture = nullptr;
        Vector2 size;
        Vector3 centre;
        Matrix transform;
        bool present = false;
    };

    // The first button under the cursor in hover order (play again, title,
    // next stage), or kNone.
    int HoveredButton() const;

    std::shared_ptr<FwSoundInstance> decideSound_;
    std::shared_ptr<FwSoundInstance> cursorSound_;
    bool hoverSoundPlayed_ = false;
    bool hasNextStage_ = false;
    int choice_ = kNone;
    bool accepting_ = true;
    std::array<Button, kButtonCount> buttons_;
};
