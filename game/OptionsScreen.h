// The options screen: the player's settings (mouse, sound, display,
// controller, key bindings) on one card drawn over the scene that opened it.
// The title and the game scene each own one and hand it their Update and
// their sprite pass while it is open; the scene decides what pausing means
// (the game scene stops updating its objects, its music keeps playing).
//
// Every change goes through Profile::Active() (saved at once) and is applied
// to the running game at once (ApplySettings). It is driven by the cursor
// and the left button, which a controller also moves and presses, and by the
// keyboard only while a key binding waits for its new key.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "framework/math/FwMath.h"
#include "framework/platform/FwKey.h"
#include "game/profile/Settings.h"

class FwSoundInstance;
class FwTexture;

// Puts the settings that act while playing into the framework: the sound
// volumes, the controller's look speed and its button and stick keys.
// Program entry after the audio starts, and the options screen on every change.
void ApplyPlaySettings(const Settings& settings);

class OptionsScreen {
public:
    // The rows, top to bottom in the left column then the right one, then BACK.
    enum Item {
        kMouseSensitivity,
        kInvertLook,
        kMusicVolume,
        kEffectsVolume,
        kFullscreen,
        kRenderScale,
        kControllerLook,
        kFirstKey,  // one row per InputAction, in its order
        kBack = kFirstKey + kInputActionCount,
        kItemCount,
        kNoItem = -1
    };
    // The key that opens and closes the screen (Escape quits the game).
    static constexpr int kToggleKey = FwKey::Tab;

    // Sprite coordinates (origin at the frame's centre, y up) of the card.
    static constexpr float kRowTopY = 190.0f;
    static constexpr float kRowStep = 62.0f;
    static constexpr float kLeftLabelX = -440.0f;
    static constexpr float kMinusX = -262.0f;
    static constexpr float kBarX = -150.0f;
    static constexpr float kBarWidth = 160.0f;
    static constexpr float kBarHeight = 24.0f;
    static constexpr float kPlusX = -38.0f;
    static constexpr float kSwitchX = -150.0f;
    static constexpr float kRightLabelX = 180.0f;
    static constexpr float kKeyCapX = 420.0f;
    static constexpr float kMessageY = -228.0f;
    static constexpr float kBackY = -286.0f;
    // The OPTIONS button the title shows beside its click prompt.
    static constexpr Vector2 kTitleButtonCentre{330.0f, -200.0f};
    static constexpr Vector2 kTitleButtonSize{200.0f, 52.0f};

    OptionsScreen();
    ~OptionsScreen();
    OptionsScreen(const OptionsScreen&) = delete;
    OptionsScreen& operator=(const OptionsScreen&) = delete;

    // Scenes, every frame whether open or not, before Update: true in the
    // frame the toggle key goes down. While a binding waits for its key the
    // toggle key is refused there instead and this stays false.
    bool TogglePressed();

    // The owning scene: shows the cursor (centred when centreCursor: the
    // game scene's was hidden). A button still held from the click that
    // opened the screen counts only after its release.
    void Open(bool centreCursor);
    // The owning scene, or the screen itself (BACK): the owner restores its
    // own cursor state after IsOpen() turns false.
    void Close();
    bool IsOpen() const { return open_; }

    // The owning scene's Update while open: hover, clicks, drags on the
    // bars, a waiting binding's new key.
    void Update();
    // The owning scene's sprite pass (Begin(false, true) ... End()), last.
    void Draw2D() const;
    // The owning scene's AppendTrace: "options": {"open", "item", "message"}
    // while open; nothing while closed.
    void AppendTrace(nlohmann::json& frame) const;

    // Tests and trace: the row under the cursor (kNoItem), the row waiting
    // for its key, the last refusal or prompt in words (empty: none).
    int HoveredItem() const { return hovered_; }
    std::optional<InputAction> WaitingAction() const { return waiting_; }
    const std::string& Message() const { return message_; }
    // The sprite-coordinate centre of an item's control (the bar for a
    // slider, the switch, the key cap, the BACK button); tests click there.
    static Vector2 ControlCentre(int item);
    // Trace name of an item ("mouseSensitivity", ..., "back", "none").
    static const char* ItemName(int item);

private:
    enum class Notice { None, PressKey, Reserved, CannotBind, AlreadyUsed, SaveFailed };

    // Open, the first time: the screen's images.
    void LoadImages();

    void Click(const Vector2& cursor);
    void Drag(const Vector2& cursor);
    void Step(int item, int direction);
    void SetFromBar(int item, float fraction);
    void ReadNewKey();
    void Change(const std::function<void(Settings&)>& mutator);
    void ShowMessage(Notice notice, const std::string& words);
    int ItemAt(const Vector2& cursor) const;
    void DrawRow(int item) const;
    void DrawNumber(float value, int decimals, float x, float y) const;

    bool open_ = false;
    bool leftHeld_ = false;      // the left button was down last frame
    bool toggleHeld_ = false;    // the toggle key was down last frame
    bool togglePressed_ = false; // it went down this frame
    int hovered_ = kNoItem;
    int dragging_ = kNoItem;     // a bar followed while the button is held
    std::optional<InputAction> waiting_;
    std::array<bool, 256> keysHeld_{};  // while waiting: keys down last frame
    Notice shown_ = Notice::None;
    std::optional<InputAction> usedBy_;  // Notice::AlreadyUsed: the action holding the key
    std::string message_;

    FwTexture* panel_ = nullptr;
    FwTexture* title_ = nullptr;
    FwTexture* labels_ = nullptr;
    FwTexture* keys_ = nullptr;
    FwTexture* messages_ = nullptr;
    FwTexture* digits_ = nullptr;
    FwTexture* minus_ = nullptr;
    FwTexture* plus_ = nullptr;
    FwTexture* barFrame_ = nullptr;
    FwTexture* barFill_ = nullptr;
    FwTexture* auto_ = nullptr;
    FwTexture* on_ = nullptr;
    FwTexture* off_ = nullptr;
    FwTexture* back_ = nullptr;
    std::shared_ptr<FwSoundInstance> clickSound_;
};

// The title's OPTIONS button and the stage's heads-up hint, drawn by their
// scenes in their sprite passes.
void DrawOptionsTitleButton(bool hovered);
void DrawOptionsHudHint();
// Title scene: whether the cursor is over its OPTIONS button.
bool CursorOverOptionsTitleButton();
