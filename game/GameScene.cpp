#include "game/GameScene.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "framework/FwFrameSize.h"
#include "framework/audio/FwAudio.h"
#include "framework/collision/FwCollision.h"
#include "framework/model/FwModel.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/GameTrace.h"
#include "game/Jewel.h"
#include "game/OptionsScreen.h"
#include "game/ShowCase.h"
#include "game/Stage.h"
#include "game/StagingManager.h"
#include "game/gimmick/Box.h"
#include "game/gimmick/HookEffect.h"
#include "game/profile/Profile.h"
#include "game/kinds/ShowCaseKind.h"
#include "game/player/HookGun.h"
#include "game/player/OperationGuide.h"
#include "game/player/Player.h"
#include "game/profile/Profile.h"
#include "scene/CameraUtil.h"
#include "scene/KeyLatch.h"
#include "scene/SceneManager.h"

namespace {
constexpr float kFar = kFloatMax;
// Pixels between the centres of the stage number's digits on the HUD.
constexpr float kStageDigitAdvance = 32.0f;
// Stage-number test for the operation guide: only the first stage teaches.
constexpr int kGuideStage = 1;
const Vector3 kUp(0.0f, 1.0f, 0.0f);
const Vector3 kDown(0.0f, -1.0f, 0.0f);
constexpr float kFrameW = static_cast<float>(kFwFrameWidth);
constexpr float kFrameH = static_cast<float>(kFwFrameHeight);

bool IsZero(const Vector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

// Why the stage mesh cannot be played on (empty when it can): the floor and
// walls the player stands on and hits; without a triangle of it the player
// would fall forever.
std::string StageMeshError(const FwModel& mesh) {
    if (!mesh.LoadError().empty()) return mesh.LoadError();
    if (mesh.TriangleCount() == 0) return mesh.Path() + ": the stage mesh holds no triangles";
    return {};
}

void DrawCaptionSprite(FwShaderManager& shaders, const FwTexture* tex, const Matrix& world, float w, float h) {
    if (!tex || tex->IsEmpty()) return;
    shaders.SetSpriteWorld(world);
    FwRect src{0.0f, 0.0f, w, h};
    Vector4 color(1.0f, 1.0f, 1.0f, 0.7f);
    shaders.DrawTex(tex, 0.0f, 0.0f, w, h, &src, &color, Vector2(0.5f, 0.5f));
}
}  // namespace

GameScene::GameScene(int stage) : stageNumber_(stage) {
    FwGetPlatform().ShowCursor(false);

    auto& res = FwResourceFactory::GetInstance();
    labelTexture_ = res.GetTexture("GameScene/StageNo/Stage.png");
    // One texture per digit, drawn side by side: stages 1 to 9 keep their
    // single sprite, stage 10 and on show two.
    for (char digit : std::to_string(stage))
        numberTextures_.push_back(res.GetTexture(std::string("GameScene/StageNo/") + digit + ".png"));
    labelTransform_ = MatrixTranslation(-550.0f, 300.0f, 0.0f);
    numberTransform_ = MatrixTranslation(-470.0f, 305.0f, 0.0f);

    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetDirectionalLightDir(Normalize(Vector3(1.0f, -1.0f, 0.0f)));
    shaders.SetDirectionalLightColor(Vector3(3.0f, 3.0f, 3.0f));
    shaders.SetAmbientLight(Vector3(0.4f, 0.4f, 0.4f));
    shaders.UpdateLight();

    FwDirect3D& d3d = FwDirect3D::GetInstance();
    additiveBlend_ = d3d.CreateBlendState(FwBlendMode::Additive);
    alphaBlend_ = d3d.CreateBlendState(FwBlendMode::Alpha);

    player_ = std::make_shared<Player>();
    hookGun_ = std::make_shared<HookGun>();
    stage_ = std::make_shared<Stage>(stageNumber_);

    StageFileResult file = LoadStageFile(StageFilePath(stageNumber_));
    const std::string meshError = StageMeshError(*stage_->GetModel());
    if (file.Ok() && meshError.empty()) {
        BuildFromLayout(*file.layout);
    } else {
        // A broken stage is never half built: report it and leave for the
        // title in the first frame.
        layoutFailed_ = true;
        std::string text = file.Ok() ? StageMeshRefusal(stageNumber_, meshError) : file.error.ToString();
        FwGetPlatform().MessageBox(text, file.Ok() ? "Gilded Vault: stage mesh error" : "Gilded Vault: stage file error",
                                   FwMessageIcon::Error);
    }

    hookEffects_ = std::make_shared<HookEffectManager>();
    staging_ = std::make_shared<StagingManager>();
    options_ = std::make_unique<OptionsScreen>();


    gameMusic_ = res.GetSound(StageMusicName(stageNumber_), 0.05f, false);
    gameMusic_->MarkAsMusic();
    gameMusic_->Play(true, true);
}

GameScene::~GameScene() {
    gameMusic_->Stop();
    sceneColor_.Release();
    sceneDepth_.Release();
}

void GameScene::BuildFromLayout(const StageLayout& layout) {
    objects_.Build(layout, solids_);
    // The jewel takes its place from the showcase object, 6 above it.
    jewel_ = std::make_shared<Jewel>(objects_.GetShowCaseKind()->GetShowCase().GetWorld().Translation());
    if (stageNumber_ == kGuideStage) operationGuide_ = std::make_shared<OperationGuide>(!GetBoxes().empty());
    RefreshSolids();
}

void GameScene::RefreshSolids() {
    objects_.RefreshSolids(solids_);
    if (jewel_) solids_.jewel = SceneSolid::FromWorld(jewel_->GetModel(), jewel_->GetWorld());
    solids_.stage = SceneSolid::FromWorld(stage_->GetModel(), stage_->GetWorld());
    solids_.playerEye = player_->GetPosition();
    solids_.playerEyeHeight = player_->GetEyeHeight();
    solids_.playerRadius = player_->GetRadius();
    solids_.boxRadius = Box::kRadius;
}

bool GameScene::IsJewelTaken() const { return jewel_ && jewel_->IsTaken(); }

void GameScene::Update() {
    if (UpdateOptions()) return;  // paused: the stage stays exactly as it is
    FadeIn();

    if (layoutFailed_) {
        SceneManager::GetInstance().Request(SceneRequest::Title());
        return;
    }

    // A clear time counts every frame of this attempt up to the catch; a
    // restart builds a new scene and so a new count.
    if (!clearTime_) ++playFrames_;
    UpdatePlayer();
    UpdateHookGun();
    hookEffects_->Update(hookGun_->IsHookedNow(), hookGun_->GetHookWorld());
    StageFrame frame{solids_, *player_, *hookGun_};
    objects_.Update(frame);
    jewel_->Update(hookGun_->IsHookedNow(), hookGun_->GetHookPosition(), hookGun_->GetRadius(),
                   hookGun_->GetObjectPull());
    solids_.jewel = SceneSolid::FromWorld(jewel_->GetModel(), jewel_->GetWorld());
    UpdateGuide();
    staging_->Update(jewel_->IsTaken());
    if (jewel_->IsTaken() && !clearTime_) RecordClear();

    SceneManager& scenes = SceneManager::GetInstance();
    if (staging_->IsFinished()) {
        FadeOut();
        if (IsBlack()) scenes.Request(SceneRequest::Clear(stageNumber_, clearTime_));
    }
    // A restart requested in the same frame as the clear is the later
    // request and wins.
    if (restartPending_) {
        FadeOut();
        if (IsBlack()) scenes.Request(SceneRequest::Game(stageNumber_));
    } else if (player_->IsFailed()) {
        restartPending_ = true;  // the fade-out starts next frame
    }

    if (FwIsKeyDown(Profile::Active().Current().Key(InputAction::BackToTitle))) scenes.Request(SceneRequest::Title());
}

// Tab opens the options over the stage and closes them again; BACK closes
// them too. True while they are open (or were this frame): nothing else runs.
// Once the jewel is taken the stage is ending and the key does nothing.
bool GameScene::UpdateOptions() {
    if (layoutFailed_) return false;
    const bool toggled = options_->TogglePressed();
    if (!options_->IsOpen()) {
        if (!toggled || IsJewelTaken()) return false;
        options_->Open(true);
        return true;
    }
    if (toggled) {
        options_->Close();
    } else {
        options_->Update();
    }
    if (!options_->IsOpen()) {
        // Back to mouse look from the centre the player measures from; a
        // left button still held from BACK must not shoot the hook.
        FwPlatform& platform = FwGetPlatform();
        platform.SetCursorPos(platform.ClientToScreen(FwPoint{kFwFrameWidth / 2, kFwFrameHeight / 2}));
        platform.ShowCursor(false);
        if (FwIsKeyDown(FwKey::LButton)) KeyLatch::GetInstance().Set(KeyLatch::kLeftButton, true);
    }
    return true;
}

// The stage counts as cleared once the jewel is taken: the time is kept then,
// so quitting with P during the cut-in does not lose it.
void GameScene::RecordClear() {
    Profile& profile = Profile::Active();
    const bool newBest = profile.RecordClear(stageNumber_, playFrames_);
    const uint64_t best = profile.CurrentProgress().BestFrames(stageNumber_).value_or(playFrames_);
    clearTime_ = ClearTime{playFrames_, best, newBest};
}

void GameScene::UpdatePlayer() {
    RefreshSolids();
    player_->Update(hookGun_->GetPlayerPull(), IsJewelTaken(), objects_.HasHitPlayer());
    // Buttons test the feet of this frame, also in a frame that failed.
    solids_.playerEye = player_->GetPosition();
    if (player_->IsFailed()) return;
    const Vector3 eye = player_->GetPosition();
    solids_.playerEye = eye;
    bool wallHit = false;
    Vector3 push;
    if (!IsZero(player_->GetMove())) {
        wallHit = PushOutOfWalls(solids_, eye, player_->GetMove(), player_->GetRadius(), push);
    }

    float ceiling = 0.0f;
    if (player_->IsJumping()) {
        float d = kFar;
        RayToMesh(stage_->GetModel(), stage_->GetWorld(), eye, kUp, d);
        ceiling = d - 1.0f;
        if (ceiling < 0.0f || d == kFar) ceiling = 0.0f;
    }
    player_->ApplyPushAndJump(wallHit, push, ceiling);

    Vector3 pos = player_->GetPosition();
    const Vector3 shove = ShoveFromClosingPanels(solids_, pos, player_->GetRadius(), pos.y - player_->GetEyeHeight(), pos.y);
    if (!IsZero(shove)) {
        player_->Shove(shove);
        pos = player_->GetPosition();
    }
    solids_.playerEye = pos;
    float floorDistance = kFar;
    bool floorHit = RayCastSolids(solids_, pos, kDown, player_->GetRadius(), floorDistance, -1);
    player_->ApplyGravity(floorHit, floorDistance);

    pos = player_->GetPosition();
    solids_.playerEye = pos;
    float aim = kFar;
    RayCastAimTargets(solids_, pos, player_->GetForward(), player_->GetRadius(), aim);
    player_->SetAimDistance(aim);
}

void GameScene::UpdateHookGun() {
    hookGun_->FollowPlayer(player_->GetCameraWorld(), player_->GetAimPoint());
    float hookRange = kFar;
    int32_t hitBox = -1;
    if (hookGun_->GetState() == HookGun::kReady) {
        RayCastAimTargets(solids_, hookGun_->GetGunPosition(), hookGun_->GetFlightDirection(),
                          hookGun_->GetRadius(), hookRange);
    } else if (hookGun_->GetState() == HookGun::kFlying) {
        RayCastHookTargets(solids_, hookGun_->GetHookPosition(), hookGun_->GetFlightDirection(),
                           hookGun_->GetRadius(), hookRange, hitBox);
    }
    float chainRange = kFar;
    RayCastSolids(solids_, hookGun_->GetGunPosition(), hookGun_->GetChainDirection(), hookGun_->GetRadius(),
                  chainRange, -1);
    hookGun_->Update(hookRange, hitBox, player_->GetForward(), player_->IsJumping(), chainRange, IsJewelTaken());
}

// Stage 1's guide reads box 0 and whether the chain points at it; a stage
// without boxes skips the box lesson.
void GameScene::UpdateGuide() {
    if (!operationGuide_) return;
    const auto& boxes = GetBoxes();
    bool aimsAtBox = false;
    Vector3 firstBox;
    if (!boxes.empty()) {
        float d = kFar;
        aimsAtBox = RayToMesh(boxes[0]->GetModel(), boxes[0]->GetWorld(), hookGun_->GetGunPosition(),
                              hookGun_->GetChainDirection(), d);
        firstBox = boxes[0]->GetPosition();
    }
    operationGuide_->Update(player_->GetPosition(), player_->GetRadius(), aimsAtBox, hookGun_->GetHookedBoxIndex(),
                            firstBox,
                            hookGun_->GetState() == HookGun::kAttached,
                            hookGun_->GetState() == HookGun::kPullingPlayer);
}

void GameScene::SetCamera() {
    const Vector3 eye = player_->GetPosition();
    PublishCamera(MatrixLookAtLH(eye, eye + Normalize(player_->GetForward()), kUp),
                  PerspectiveProjection(player_->GetFov()));
}

void GameScene::Frame() {
    FwDirect3D& d3d = FwDirect3D::GetInstance();
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    FwTexture* backBuffer = d3d.GetBackBuffer().get();
    FwTexture* zBuffer = d3d.GetZBuffer().get();

    Update();
    const bool taken = IsJewelTaken();
    if (!taken) d3d.ClearRenderTarget(backBuffer, 0.3f, 0.3f, 0.3f, 1.0f);
    SetCamera();

    UpdateListener();

    if (!taken) {
        d3d.ClearDepthStencil(zBuffer, 1.0f, 0);
        Draw();
        shaders.Begin(false, true);
        DrawFade();
        options_->Draw2D();
        shaders.End();
        return;
    }

    // Cut-in: the scene goes into its own target and is laid at 10 % over
    // what the back buffer still holds, so moving things leave trails.
    d3d.ClearDepthStencil(zBuffer, 1.0f, 0);
    // The afterimage targets are made when the cut-in first needs them: most
    // attempts never reach the jewel, and a restart then builds no targets.
    sceneColor_.EnsureTarget(kFwFrameWidth, kFwFrameHeight, FwTextureFormat::RGBA8);
    sceneDepth_.EnsureTarget(kFwFrameWidth, kFwFrameHeight, FwTextureFormat::Depth32F);
    d3d.SetRenderTargets(&sceneColor_, &sceneDepth_);
    d3d.ClearRenderTarget(&sceneColor_, 0.3f, 0.3f, 0.3f, 1.0f);
    d3d.ClearDepthStencil(&sceneDepth_, 1.0f, 0);
    d3d.SetViewport(0, 0, kFwFrameWidth, kFwFrameHeight);
    Draw();
    d3d.SetRenderTargets(backBuffer, zBuffer);
    shaders.Begin(false, true);
    shaders.SetSpriteWorld(Matrix::Identity());
    FwRect src{0.0f, 0.0f, kFrameW, kFrameH};
    Vector4 color(1.0f, 1.0f, 1.0f, 0.1f);
    shaders.DrawTex(&sceneColor_, 0.0f, 0.0f, kFrameW, kFrameH, &src, &color, Vector2(0.5f, 0.5f));
    staging_->Draw2D();
    DrawFade();
    shaders.End();
    shaders.SetModelShader();
    d3d.ClearDepthStencil(zBuffer, 1.0f, 0);
    hookGun_->Draw();
    jewel_->Draw();
    shaders.Begin(false, true);
    DrawFade();
    shaders.End();
}

void GameScene::UpdateListener() {
    // The listener follows the eye: front is the camera's forward axis, top
    // the view's up column.
    const Matrix& view = FwShaderManager::GetInstance().GetViewMatrix();
    const Matrix inverseView = MatrixInverse(view);
    FwAudioManager::GetInstance().SetListener(player_->GetPosition(),
                                              Vector3(inverseView.m[2][0], inverseView.m[2][1], inverseView.m[2][2]),
                                              Vector3(view.m[1][0], view.m[1][1], view.m[1][2]));
}

void GameScene::Draw() {
    FwDirect3D& d3d = FwDirect3D::GetInstance();
    FwShaderManager& shaders = FwShaderManager::GetInstance();

    shaders.SetModelShader();
    if (hookGun_->GetState() != HookGun::kReady) hookGun_->Draw();
    stage_->Draw();
    objects_.Draw(StageDrawPass::Models);
    if (jewel_) jewel_->Draw();
    objects_.Draw(StageDrawPass::LateModels);

    shaders.SetEffectShader();
    objects_.Draw(StageDrawPass::Effects);

    // Sparks and beams, then the windows over them, half transparent, depth
    // on: a beam behind the glass shows through it, dimmed by it. (Beams
    // write no depth, so one between the eye and a pane is dimmed the same
    // way; panes drawn first without depth writes would keep that one bright
    // but blend overlapping panes out of order.)
    DrawEffects();
    shaders.SetModelShader();
    objects_.Draw(StageDrawPass::Windows);

    if (!IsJewelTaken()) {
        // The gun in hand is drawn over the world so it never sinks into walls.
        d3d.ClearDepthStencil(d3d.GetZBuffer().get(), 1.0f, 0);
        shaders.SetModelShader();
        if (hookGun_->GetState() == HookGun::kReady) hookGun_->Draw();
        shaders.Begin(false, true);
        hookGun_->Draw2D();
        shaders.End();
    }

    shaders.Begin(false, true);
    DrawCaption();
    shaders.End();
}

// Sparks and beams add light: depth tested but not written, so they never
// hide each other; then the normal blend and depth states again. The depth
// states are made here every frame and released at once: the device keeps
// its own copy of what is bound.
void GameScene::DrawEffects() {
    FwDirect3D& d3d = FwDirect3D::GetInstance();
    std::shared_ptr<FwDepthStencilState> testOnly = d3d.CreateDepthStencilState(true, false);
    d3d.SetDepthStencilState(testOnly.get());
    d3d.SetBlendState(additiveBlend_.get());
    hookEffects_->Draw();
    objects_.Draw(StageDrawPass::Additive);
    d3d.SetBlendState(alphaBlend_.get());
    std::shared_ptr<FwDepthStencilState> testAndWrite = d3d.CreateDepthStencilState(true, true);
    d3d.SetDepthStencilState(testAndWrite.get());
}

void GameScene::DrawCaption() {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    DrawCaptionSprite(shaders, labelTexture_, labelTransform_, 154.0f, 74.0f);
    for (size_t i = 0; i < numberTextures_.size(); ++i)
        DrawCaptionSprite(shaders, numberTextures_[i],
                          numberTransform_ * MatrixTranslation(kStageDigitAdvance * static_cast<float>(i), 0.0f, 0.0f),
                          51.0f, 54.0f);
    if (operationGuide_) operationGuide_->Draw2D();
    DrawOptionsHudHint();
}

void GameScene::AppendTrace(nlohmann::json& frame) const {
    AppendGameTrace(*this, frame);
    options_->AppendTrace(frame);
}
