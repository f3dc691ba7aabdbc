#include "game/OptionsScreen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "framework/audio/FwAudio.h"
#include "framework/platform/FwGamepad.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/profile/Profile.h"

namespace {

// Atlas cells, as the content tool paints them (tools/content/Images.cpp).
constexpr float kLabelW = 300.0f, kLabelH = 44.0f;
constexpr float kKeyW = 88.0f, kKeyH = 44.0f;
constexpr int kKeyColumns = 8;
constexpr int kKeyCellSpace = 36;     // after A..Z and 0..9
constexpr int kKeyCellAwaited = 37;   // the empty cap while a key is awaited
constexpr float kMessageW = 640.0f, kMessageH = 40.0f;
constexpr float kDigitW = 22.0f, kDigitH = 32.0f;
constexpr float kStepperSize = 44.0f;
constexpr float kSwitchW = 96.0f, kSwitchH = 44.0f;
constexpr float kBackW = 180.0f, kBackH = 52.0f;
constexpr float kPanelW = 1240.0f, kPanelH = 660.0f;
constexpr float kTitleW = 420.0f, kTitleH = 80.0f;
constexpr float kTitleY = 272.0f;
constexpr float kHintW = 200.0f, kHintH = 44.0f;
// The heads-up hint sits in the top right corner of the stage.
constexpr float kHintX = 520.0f, kHintY = 322.0f;

// Client pixel of the sprite origin, and half the box the cursor is taken as
// (as the menus take it).
constexpr int kClientCentreX = 640;
constexpr int kClientCentreY = 360;
constexpr float kCursorHalf = 16.0f;

const Vector4 kWhite{1.0f, 1.0f, 1.0f, 1.0f};
const Vector4 kHover{0.4f, 1.0f, 1.0f, 1.0f};  // the menus' cyan
constexpr float kSoundVolume = 0.5f;
// The render scale's bar ends one notch past 1.00 at AUTO.
constexpr float kRenderScaleAutoNotch = kRenderScaleRange.max + 0.05f;

// A slider's range, the step of its - and + buttons, and how it is shown.
struct Slider {
    float min, max, step;
    int decimals;
};
Slider SliderOf(int item) {
    switch (item) {
    case OptionsScreen::kMouseSensitivity: return {kMouseSensitivityRange.min, kMouseSensitivityRange.max, 0.25f, 2};
    case OptionsScreen::kMusicVolume:
    case OptionsScreen::kEffectsVolume: return {kVolumeRange.min, kVolumeRange.max, 10.0f, 0};
    case OptionsScreen::kRenderScale: return {kRenderScaleRange.min, kRenderScaleAutoNotch, 0.05f, 2};
    default: return {kControllerLookSpeedRange.min, kControllerLookSpeedRange.max, 0.25f, 2};
    }
}
bool IsSwitch(int item) { return item == OptionsScreen::kInvertLook || item == OptionsScreen::kFullscreen; }
bool IsKeyRow(int item) { return item >= OptionsScreen::kFirstKey && item < OptionsScreen::kBack; }

float SliderValue(const Settings& s, int item) {
    switch (item) {
    case OptionsScreen::kMouseSensitivity: return s.mouseSensitivity;
    case OptionsScreen::kMusicVolume: return static_cast<float>(s.musicVolume);
    case OptionsScreen::kEffectsVolume: return static_cast<float>(s.effectsVolume);
    case OptionsScreen::kRenderScale: return s.renderScaleAuto ? kRenderScaleAutoNotch : s.renderScale;
    default: return s.controllerLookSpeed;
    }
}
void SetSliderValue(Settings& s, int item, float value) {
    switch (item) {
    case OptionsScreen::kMouseSensitivity: s.mouseSensitivity = value; break;
    case OptionsScreen::kMusicVolume: s.musicVolume = static_cast<int>(std::lround(value)); break;
    case OptionsScreen::kEffectsVolume: s.effectsVolume = static_cast<int>(std::lround(value)); break;
    case OptionsScreen::kRenderScale:
        // Past 1.00 (half a notch or more) is AUTO, which starts from full scale.
        s.renderScaleAuto = value > kRenderScaleRange.max + 0.025f;
        s.renderScale = std::min(value, kRenderScaleRange.max);
        break;
    default: s.controllerLookSpeed = value; break;
    }
}

float RowY(int item) {
    const int row = item < OptionsScreen::kFirstKey ? item : item - OptionsScreen::kFirstKey;
    return OptionsScreen::kRowTopY - OptionsScreen::kRowStep * static_cast<float>(row);
}

void DrawCell(const FwTexture* texture, float x, float y, float width, float height, const FwRect& src,
              const Vector4& color = kWhite) {
    if (!texture) return;
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetSpriteWorld(MatrixTranslation(x, y, 0.0f));
    shaders.DrawTex(texture, 0.0f, 0.0f, width, height, &src, &color, Vector2{0.5f, 0.5f});
}
void DrawWhole(const FwTexture* texture, float x, float y, float width, float height, const Vector4& color = kWhite) {
    DrawCell(texture, x, y, width, height, FwRect{0.0f, 0.0f, width, height}, color);
}

// The cursor in sprite coordinates.
Vector2 CursorPoint() {
    FwPlatform& platform = FwGetPlatform();
    const FwPoint client = platform.ScreenToClient(platform.GetCursorPos());
    return Vector2{static_cast<float>(client.x - kClientCentreX), static_cast<float>(kClientCentreY - client.y)};
}
bool Over(const Vector2& cursor, float x, float y, float width, float height) {
    return cursor.x + kCursorHalf > x - width / 2 && x + width / 2 > cursor.x - kCursorHalf &&
           cursor.y + kCursorHalf > y - height / 2 && y + height / 2 > cursor.y - kCursorHalf;
}
bool PointIn(const Vector2& p, float x, float y, float width, float height) {
    return p.x >= x - width / 2 && p.x <= x + width / 2 && p.y >= y - height / 2 && p.y <= y + height / 2;
}

int KeyCell(int key) {
    if (key >= 'A' && key <= 'Z') return key - 'A';
    if (key >= '0' && key <= '9') return 26 + key - '0';
    if (key == FwKey::Space) return kKeyCellSpace;
    return kKeyCellAwaited;
}

// The keys a waiting binding listens for: every bindable one and the
// reserved ones it must refuse in words.
std::vector<int> ListenedKeys() {
    std::vector<int> keys;
    for (int k = 'A'; k <= 'Z'; ++k) keys.push_back(k);
    for (int k = '0'; k <= '9'; ++k) keys.push_back(k);
    keys.push_back(FwKey::Space);
    keys.push_back(FwKey::F11);
    keys.push_back(FwKey::Tab);
    return keys;
}

}  // namespace

void ApplyPlaySettings(const Settings& settings) {
    FwAudioManager::GetInstance().SetVolumes(static_cast<float>(settings.musicVolume) / 100.0f,
                                             static_cast<float>(settings.effectsVolume) / 100.0f);
    FwPadKeys pad;
    pad.walkForward = settings.Key(InputAction::WalkForward);
    pad.walkBack = settings.Key(InputAction::WalkBack);
    pad.walkLeft = settings.Key(InputAction::WalkLeft);
    pad.walkRight = settings.Key(InputAction::WalkRight);
    pad.jump = settings.Key(InputAction::Jump);
    pad.stopPull = settings.Key(InputAction::StopPull);
    pad.backToTitle = settings.Key(InputAction::BackToTitle);
    pad.lookSpeed = settings.controllerLookSpeed;
    FwGamepad::SetKeys(pad);
}

OptionsScreen::OptionsScreen() {
    clickSound_ = FwResourceFactory::GetInstance().GetSound("Cursor.wav", kSoundVolume, false);
}

// On the first Open: most scenes never open the screen, and its images
// (a panel nearly the size of the screen among them) would lengthen every
// scene's load and hold their memory all along.
void OptionsScreen::LoadImages() {
    FwResourceFactory& resources = FwResourceFactory::GetInstance();
    panel_ = resources.GetTexture("Options/Panel.png");
    title_ = resources.GetTexture("Options/Title.png");
    labels_ = resources.GetTexture("Options/Labels.png");
    keys_ = resources.GetTexture("Options/Keys.png");
    messages_ = resources.GetTexture("Options/Messages.png");
    digits_ = resources.GetTexture("Options/Digits.png");
    auto_ = resources.GetTexture("Options/Auto.png");
    minus_ = resources.GetTexture("Options/Minus.png");
    plus_ = resources.GetTexture("Options/Plus.png");
    barFrame_ = resources.GetTexture("Options/BarFrame.png");
    barFill_ = resources.GetTexture("Options/BarFill.png");
    on_ = resources.GetTexture("Options/On.png");
    off_ = resources.GetTexture("Options/Off.png");
    back_ = resources.GetTexture("Options/Back.png");
}

OptionsScreen::~OptionsScreen() = default;

bool OptionsScreen::TogglePressed() {
    const bool down = FwIsKeyDown(kToggleKey);
    togglePressed_ = down && !toggleHeld_;
    toggleHeld_ = down;
    return togglePressed_ && !waiting_;
}

void OptionsScreen::Open(bool centreCursor) {
    if (!panel_) LoadImages();
    open_ = true;
    leftHeld_ = true;  // the click that opened the screen is not a click on it
    hovered_ = kNoItem;
    dragging_ = kNoItem;
    waiting_.reset();
    ShowMessage(Notice::None, "");
    FwPlatform& platform = FwGetPlatform();
    if (centreCursor) platform.SetCursorPos(platform.ClientToScreen(FwPoint{kClientCentreX, kClientCentreY}));
    platform.ShowCursor(true);
}

void OptionsScreen::Close() {
    open_ = false;
    waiting_.reset();
    dragging_ = kNoItem;
}

void OptionsScreen::Update() {
    if (!open_) return;
    if (waiting_) {
        ReadNewKey();
        if (waiting_) {
            // A click elsewhere gives up waiting; on another key cap it
            // starts waiting for that one instead.
            const bool down = FwIsKeyDown(FwKey::LButton);
            if (down && !leftHeld_) {
                waiting_.reset();
                ShowMessage(Notice::None, "");
                const Vector2 cursor = CursorPoint();
                if (IsKeyRow(ItemAt(cursor))) Click(cursor);
            }
            leftHeld_ = down;
            return;
        }
    }
    const Vector2 cursor = CursorPoint();
    hovered_ = ItemAt(cursor);
    const bool down = FwIsKeyDown(FwKey::LButton);
    if (down && !leftHeld_) Click(cursor);
    if (down && dragging_ != kNoItem) Drag(cursor);
    if (!down) dragging_ = kNoItem;
    leftHeld_ = down;
}

// The card's rows sit close together, so its controls take the cursor's
// point itself rather than the menus' 32-pixel box.
int OptionsScreen::ItemAt(const Vector2& cursor) const {
    for (int item = 0; item < kItemCount; ++item) {
        const float y = item == kBack ? kBackY : RowY(item);
        if (item == kBack) {
            if (PointIn(cursor, 0.0f, y, kBackW, kBackH)) return item;
        } else if (IsKeyRow(item)) {
            if (PointIn(cursor, kKeyCapX, y, kKeyW, kKeyH)) return item;
        } else if (IsSwitch(item)) {
            if (PointIn(cursor, kSwitchX, y, kSwitchW, kSwitchH)) return item;
        } else {
            // From the - button's left edge to the + button's right edge.
            const float left = kMinusX - kStepperSize / 2, right = kPlusX + kStepperSize / 2;
            if (PointIn(cursor, (left + right) / 2, y, right - left, kStepperSize)) return item;
        }
    }
    return kNoItem;
}

void OptionsScreen::Click(const Vector2& cursor) {
    const int item = ItemAt(cursor);
    if (item == kNoItem) return;
    if (clickSound_) clickSound_->Play(false, true);
    if (item == kBack) {
        Close();
    } else if (IsKeyRow(item)) {
        waiting_ = static_cast<InputAction>(item - kFirstKey);
        keysHeld_.fill(false);
        for (int key : ListenedKeys()) keysHeld_[static_cast<size_t>(key)] = FwIsKeyDown(key);
        ShowMessage(Notice::PressKey, "press the new key");
    } else if (item == kInvertLook) {
        Change([](Settings& s) { s.invertLook = !s.invertLook; });
    } else if (item == kFullscreen) {
        Change([](Settings& s) { s.fullscreen = !s.fullscreen; });
    } else if (PointIn(cursor, kBarX, RowY(item), kBarWidth, kStepperSize)) {
        dragging_ = item;
        Drag(cursor);
    } else {
        Step(item, cursor.x < kBarX ? -1 : 1);
    }
}

void OptionsScreen::Drag(const Vector2& cursor) {
    const float fraction = std::clamp((cursor.x - (kBarX - kBarWidth / 2)) / kBarWidth, 0.0f, 1.0f);
    SetFromBar(dragging_, fraction);
}

void OptionsScreen::SetFromBar(int item, float fraction) {
    const Slider slider = SliderOf(item);
    // Bars move in steps of a fifth of the buttons' step: fine enough to
    // choose, coarse enough to land on round values.
    const float fine = slider.step / 5.0f;
    float value = slider.min + fraction * (slider.max - slider.min);
    value = slider.min + std::round((value - slider.min) / fine) * fine;
    if (SliderValue(Profile::Active().Current(), item) == value) return;
    Change([item, value](Settings& s) { SetSliderValue(s, item, value); });
}

void OptionsScreen::Step(int item, int direction) {
    const Slider slider = SliderOf(item);
    const float now = SliderValue(Profile::Active().Current(), item);
    // From an off-step value the first press lands on the step grid.
    float steps = (now - slider.min) / slider.step;
    steps = direction > 0 ? std::floor(steps + 1e-3f) + 1.0f : std::ceil(steps - 1e-3f) - 1.0f;
    const float value = std::clamp(slider.min + steps * slider.step, slider.min, slider.max);
    Change([item, value](Settings& s) { SetSliderValue(s, item, value); });
}

void OptionsScreen::ReadNewKey() {
    int pressed = -1;
    for (int key : ListenedKeys()) {
        const bool down = FwIsKeyDown(key);
        if (down && !keysHeld_[static_cast<size_t>(key)] && pressed < 0) pressed = key;
        keysHeld_[static_cast<size_t>(key)] = down;
    }
    if (pressed < 0) return;
    const InputAction action = *waiting_;
    std::string reason;
    Profile& profile = Profile::Active();
    if (!profile.Rebind(action, pressed, reason)) {
        // Which words to show follows from the key: the profile's reason is
        // kept for the trace.
        usedBy_.reset();
        for (int a = 0; a < kInputActionCount; ++a)
            if (profile.Current().keys[static_cast<size_t>(a)] == pressed) usedBy_ = static_cast<InputAction>(a);
        const bool reserved = pressed == FwKey::Escape || pressed == FwKey::F11 || pressed == FwKey::Tab;
        ShowMessage(reserved ? Notice::Reserved : usedBy_ ? Notice::AlreadyUsed : Notice::CannotBind, reason);
        return;  // still waiting for a key it may take
    }
    waiting_.reset();
    if (!reason.empty()) {
        ShowMessage(Notice::SaveFailed, reason);
    } else {
        ShowMessage(Notice::None, "");
    }
    ApplyPlaySettings(profile.Current());
}

void OptionsScreen::Change(const std::function<void(Settings&)>& mutator) {
    Profile& profile = Profile::Active();
    const Settings before = profile.Current();
    const bool saved = profile.Change(mutator);
    const Settings& now = profile.Current();
    ShowMessage(saved ? Notice::None : Notice::SaveFailed, saved ? "" : profile.LastWriteError());
    ApplyPlaySettings(now);
    FwPlatform& platform = FwGetPlatform();
    if (now.fullscreen != before.fullscreen) platform.SetFullscreen(now.fullscreen);
    // With AUTO the frame loop chooses the scale.
    if (now.renderScale != before.renderScale && !now.renderScaleAuto)
        FwDirect3D::GetInstance().SetRenderScale(now.renderScale);
}

void OptionsScreen::ShowMessage(Notice notice, const std::string& words) {
    shown_ = notice;
    message_ = words;
    if (notice != Notice::AlreadyUsed) usedBy_.reset();
}

Vector2 OptionsScreen::ControlCentre(int item) {
    if (item == kBack) return {0.0f, kBackY};
    if (IsKeyRow(item)) return {kKeyCapX, RowY(item)};
    if (IsSwitch(item)) return {kSwitchX, RowY(item)};
    if (item >= 0 && item < kItemCount) return {kBarX, RowY(item)};
    return {0.0f, 0.0f};
}

const char* OptionsScreen::ItemName(int item) {
    switch (item) {
    case kMouseSensitivity: return "mouseSensitivity";
    case kInvertLook: return "invertLook";
    case kMusicVolume: return "musicVolume";
    case kEffectsVolume: return "effectsVolume";
    case kFullscreen: return "fullscreen";
    case kRenderScale: return "renderScale";
    case kControllerLook: return "controllerLookSpeed";
    case kBack: return "back";
    default:
        if (IsKeyRow(item)) return InputActionName(static_cast<InputAction>(item - kFirstKey));
        return "none";
    }
}

void OptionsScreen::AppendTrace(nlohmann::json& frame) const {
    if (!open_) return;
    const int item = waiting_ ? kFirstKey + static_cast<int>(*waiting_) : hovered_;
    frame["options"] = {{"open", true}, {"item", ItemName(item)}, {"message", message_}};
}

void OptionsScreen::Draw2D() const {
    if (!open_) return;
    DrawWhole(panel_, 0.0f, 0.0f, kPanelW, kPanelH);
    DrawWhole(title_, 0.0f, kTitleY, kTitleW, kTitleH);
    for (int item = 0; item < kBack; ++item) DrawRow(item);
    DrawWhole(back_, 0.0f, kBackY, kBackW, kBackH, hovered_ == kBack ? kHover : kWhite);

    if (shown_ != Notice::None) {
        const int cell = static_cast<int>(shown_) - 1;
        const bool withAction = shown_ == Notice::AlreadyUsed && usedBy_;
        const float x = withAction ? -150.0f : 0.0f;
        DrawCell(messages_, x, kMessageY, kMessageW, kMessageH, FwRect{0.0f, kMessageH * cell, kMessageW, kMessageH});
        if (withAction) {
            const int row = kFirstKey + static_cast<int>(*usedBy_);
            DrawCell(labels_, x + kMessageW / 2 + kLabelW / 2 - 130.0f, kMessageY, kLabelW, kLabelH,
                     FwRect{0.0f, kLabelH * row, kLabelW, kLabelH});
        }
    }
}

void OptionsScreen::DrawRow(int item) const {
    const Settings& s = Profile::Active().Current();
    const float y = RowY(item);
    const bool left = item < kFirstKey;
    DrawCell(labels_, left ? kLeftLabelX : kRightLabelX, y, kLabelW, kLabelH,
             FwRect{0.0f, kLabelH * item, kLabelW, kLabelH});
    const Vector4& tint = hovered_ == item ? kHover : kWhite;
    if (IsKeyRow(item)) {
        const InputAction action = static_cast<InputAction>(item - kFirstKey);
        const bool awaited = waiting_ == action;
        const int cell = awaited ? kKeyCellAwaited : KeyCell(s.Key(action));
        const float u = kKeyW * static_cast<float>(cell % kKeyColumns);
        const float v = kKeyH * static_cast<float>(cell / kKeyColumns);
        DrawCell(keys_, kKeyCapX, y, kKeyW, kKeyH, FwRect{u, v, kKeyW, kKeyH}, awaited ? kWhite : tint);
    } else if (IsSwitch(item)) {
        const bool on = item == kInvertLook ? s.invertLook : s.fullscreen;
        DrawWhole(on ? on_ : off_, kSwitchX, y, kSwitchW, kSwitchH, tint);
    } else {
        const Slider slider = SliderOf(item);
        const float value = SliderValue(s, item);
        DrawWhole(minus_, kMinusX, y, kStepperSize, kStepperSize, tint);
        DrawWhole(plus_, kPlusX, y, kStepperSize, kStepperSize, tint);
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        const FwRect frameSrc{0.0f, 0.0f, 200.0f, 24.0f};
        shaders.SetSpriteWorld(MatrixTranslation(kBarX, y, 0.0f));
        shaders.DrawTex(barFrame_, 0.0f, 0.0f, kBarWidth, kBarHeight, &frameSrc, &kWhite, Vector2{0.5f, 0.5f});
        const float fraction = std::clamp((value - slider.min) / (slider.max - slider.min), 0.0f, 1.0f);
        const float fillWidth = (kBarWidth - 8.0f) * fraction;
        if (fillWidth > 0.0f && barFill_) {
            const FwRect fillSrc{0.0f, 0.0f, 200.0f * fraction, 24.0f};
            shaders.SetSpriteWorld(MatrixTranslation(kBarX - kBarWidth / 2 + 4.0f, y, 0.0f));
            shaders.DrawTex(barFill_, 0.0f, 0.0f, fillWidth, kBarHeight - 10.0f, &fillSrc, &kWhite,
                            Vector2{0.0f, 0.5f});
        }
        if (item == kRenderScale && s.renderScaleAuto)
            DrawCell(auto_, kBarX, y, kDigitW * 5 * 0.75f, kDigitH * 0.75f, FwRect{0.0f, 0.0f, kDigitW * 5, kDigitH});
        else
            DrawNumber(value, slider.decimals, kBarX, y);
    }
}

void OptionsScreen::DrawNumber(float value, int decimals, float x, float y) const {
    char text[16];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
    const std::string s(text);
    const float scale = 0.75f;
    const float w = kDigitW * scale, h = kDigitH * scale;
    float left = x - w * static_cast<float>(s.size()) / 2 + w / 2;
    for (char c : s) {
        const int cell = c == '.' ? 10 : c - '0';
        if (cell >= 0 && cell <= 10) DrawCell(digits_, left, y, w, h, FwRect{kDigitW * cell, 0.0f, kDigitW, kDigitH});
        left += w;
    }
}

void DrawOptionsTitleButton(bool hovered) {
    FwTexture* texture = FwResourceFactory::GetInstance().GetTexture("Options/OptionsButton.png");
    DrawWhole(texture, OptionsScreen::kTitleButtonCentre.x, OptionsScreen::kTitleButtonCentre.y,
              OptionsScreen::kTitleButtonSize.x, OptionsScreen::kTitleButtonSize.y, hovered ? kHover : kWhite);
}

void DrawOptionsHudHint() {
    FwTexture* texture = FwResourceFactory::GetInstance().GetTexture("Options/HudHint.png");
    DrawWhole(texture, kHintX, kHintY, kHintW, kHintH);
}

bool CursorOverOptionsTitleButton() {
    return Over(CursorPoint(), OptionsScreen::kTitleButtonCentre.x, OptionsScreen::kTitleButtonCentre.y,
                OptionsScreen::kTitleButtonSize.x, OptionsScreen::kTitleButtonSize.y);
}
