#include "game/GameScene.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/ClearScene.h"
#include "app/SceneManager.h"
#include "app/TitleScene.h"
#include "framework/audio/FwAudio.h"
#include "framework/collision/FwCollision.h"
#include "framework/model/FwModel.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/Jewel.h"
#include "game/ShowCase.h"
#include "game/Stage.h"
#include "game/StagingManager.h"
#include "game/Window.h"
#include "game/gimmick/Box.h"
#include "game/gimmick/Button.h"
#include "game/gimmick/Door.h"
#include "game/gimmick/HookEffect.h"
#include "game/gimmick/Laser.h"
#include "game/gimmick/TimeDoor.h"
#include "game/player/HookGun.h"
#include "game/player/OperationGuide.h"
#include "game/player/Player.h"

namespace {
constexpr float kFar = kFloatMax;
// Broad-phase radius of a laser's blocking ray: everything within 100 + 15
// of the beam start may stop the beam.
constexpr float kLaserRayRadius = 100.0f;
// Pixels between the centres of the stage number's digits on the HUD.
constexpr float kStageDigitAdvance = 32.0f;
// Stage-number test for the operation guide: only the first stage teaches.
constexpr int kGuideStage = 1;
const Vector3 kUp(0.0f, 1.0f, 0.0f);
const Vector3 kDown(0.0f, -1.0f, 0.0f);

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
    additiveBlend_ = d3d.CreateBlendState(2);
    alphaBlend_ = d3d.CreateBlendState(1);

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


    gameMusic_ = res.GetSound(StageMusicName(stageNumber_), 0.05f, false);
    gameMusic_->Play(true, true);
}

GameScene::~GameScene() {
    gameMusic_->Stop();
    sceneColor_.Release();
    sceneDepth_.Release();
}

void GameScene::BuildFromLayout(const StageLayout& layout) {
    boxes_.reserve(layout.boxes.size());
    for (const StageBoxRecord& rec : layout.boxes) boxes_.push_back(std::make_shared<Box>(rec.position, rec.index));
    pushingDoors_.reserve(layout.pushingDoors.size());
    for (const StageDoorRecord& rec : layout.pushingDoors)
        pushingDoors_.push_back(
            std::make_shared<Gimmick_PushingDoor>(rec.buttonPosition, rec.doorPosition, rec.doorYawDeg));
    returnDoors_.reserve(layout.returnDoors.size());
    for (const StageDoorRecord& rec : layout.returnDoors)
        returnDoors_.push_back(
            std::make_shared<Gimmick_ReturnDoor>(rec.buttonPosition, rec.doorPosition, rec.doorYawDeg));
    windows_.reserve(layout.windows.size());
    for (const StageWindowRecord& rec : layout.windows)
        windows_.push_back(std::make_shared<Window>(rec.position, rec.scale, rec.yawDeg));
    timeDoors_.reserve(layout.timeDoors.size());
    for (const StageTimeDoorRecord& rec : layout.timeDoors)
        timeDoors_.push_back(std::make_shared<Gimmick_TimeDoor>(rec.buttonPosition, rec.doorPosition, rec.doorYawDeg,
                                                                rec.openFrames));
    returnLasers_.reserve(layout.returnLasers.size());
    for (const StageLaserGroupRecord& rec : layout.returnLasers)
        returnLasers_.push_back(std::make_shared<Gimmick_ReturnLaser>(rec.buttonPosition, rec.laserCount,
                                                                      rec.firstLaser, rec.step, rec.yawDeg));
    showCase_ = std::make_shared<ShowCase>(layout.showcase.position);
    // The jewel takes its place from the showcase object, 6 above it.
    jewel_ = std::make_shared<Jewel>(showCase_->GetWorld().Translation());
    if (stageNumber_ == kGuideStage) operationGuide_ = std::make_shared<OperationGuide>(!boxes_.empty());

    solids_.boxes.resize(boxes_.size());
    solids_.timeDoors.resize(timeDoors_.size());
    solids_.pushingDoors.resize(pushingDoors_.size());
    solids_.returnDoors.resize(returnDoors_.size());
    solids_.windows.resize(windows_.size());
    for (size_t i = 0; i < windows_.size(); ++i)
        solids_.windows[i] = SceneSolid::FromWorld(windows_[i]->GetModel(), windows_[i]->GetWorld());
    solids_.showcase = SceneSolid::FromWorld(showCase_->GetModel(), showCase_->GetWorld());
    RefreshSolids();
}

namespace {
template <typename Group>
SceneDoorGroup DoorSolids(const Group& group) {
    return {SceneSolid::FromWorld(group.GetDoor()->GetPanelModel(), group.GetDoor()->GetPanelWorld()),
            SceneSolid::FromWorld(group.GetButton()->GetOffModel(), group.GetButton()->GetTopWorld())};
}
}  // namespace

void GameScene::RefreshDoorSolids() {
    for (size_t i = 0; i < timeDoors_.size(); ++i) solids_.timeDoors[i] = DoorSolids(*timeDoors_[i]);
    for (size_t i = 0; i < pushingDoors_.size(); ++i) solids_.pushingDoors[i] = DoorSolids(*pushingDoors_[i]);
    for (size_t i = 0; i < returnDoors_.size(); ++i) solids_.returnDoors[i] = DoorSolids(*returnDoors_[i]);
}

void GameScene::RefreshSolids() {
    for (size_t i = 0; i < boxes_.size(); ++i) {
        solids_.boxes[i] = SceneSolid::FromWorld(boxes_[i]->GetModel(), boxes_[i]->GetWorld());
    }
    RefreshDoorSolids();
    if (jewel_) solids_.jewel = SceneSolid::FromWorld(jewel_->GetModel(), jewel_->GetWorld());
    solids_.stage = SceneSolid::FromWorld(stage_->GetModel(), stage_->GetWorld());
    solids_.playerEye = player_->GetPosition();
    solids_.playerEyeHeight = player_->GetEyeHeight();
    solids_.playerRadius = player_->GetRadius();
    solids_.boxRadius = Box::kRadius;
}

bool GameScene::IsJewelTaken() const { return jewel_ && jewel_->IsTaken(); }

void GameScene::Update() {
    FadeIn();

    if (layoutFailed_) {
        SceneManager::GetInstance().ChangeScene(new TitleScene());
        return;
    }

    UpdatePlayer();
    UpdateHookGun();
    hookEffects_->Update(hookGun_->IsHookedNow(), hookGun_->GetHookWorld());
    UpdateBoxes();
    UpdateGimmicks();
    UpdateLasers();
    jewel_->Update(hookGun_->IsHookedNow(), hookGun_->GetHookPosition(), hookGun_->GetRadius(),
                   hookGun_->GetObjectPull());
    solids_.jewel = SceneSolid::FromWorld(jewel_->GetModel(), jewel_->GetWorld());
    UpdateGuide();
    staging_->Update(jewel_->IsTaken());

    SceneManager& scenes = SceneManager::GetInstance();
    if (staging_->IsFinished()) {
        FadeOut();
        if (IsBlack()) scenes.ChangeScene(new ClearScene(stageNumber_));
    }
    // A restart requested in the same frame as the clear is the later
    // request and wins.
    if (restartPending_) {
        FadeOut();
        if (IsBlack()) scenes.ChangeScene(new GameScene(stageNumber_));
    } else if (player_->IsFailed()) {
        restartPending_ = true;  // the fade-out starts next frame
    }

    if (FwIsKeyDown(FwKey::P)) scenes.ChangeScene(new TitleScene());
}

void GameScene::UpdatePlayer() {
    RefreshSolids();
    bool laserHit = false;
    for (const auto& group : returnLasers_) {
        if (group->HasHitPlayer()) {
            laserHit = true;
            break;
        }
    }
    player_->Update(hookGun_->GetPlayerPull(), IsJewelTaken(), laserHit);
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

void GameScene::UpdateBoxes() {
    const Vector3 pull = hookGun_->GetObjectPull();
    const int hooked = hookGun_->GetHookedBoxIndex();
    for (size_t i = 0; i < boxes_.size(); ++i) {
        Box& box = *boxes_[i];
        box.Pull(pull, hooked);
        solids_.boxes[i] = SceneSolid::FromWorld(box.GetModel(), box.GetWorld());
        if (IsZero(pull)) {
            // Nothing below (not possible in a closed stage): fall freely.
            float below = kFar;
            RayCastSolids(solids_, box.GetPosition(), kDown, box.GetRadius(), below, box.GetIndex());
            box.Fall(below);
            solids_.boxes[i] = SceneSolid::FromWorld(box.GetModel(), box.GetWorld());
        }
    }
}

// Time doors, then pushing doors, then return doors, each group right after
// its own press test; a moved panel blocks the rays of the groups after it.
void GameScene::UpdateGimmicks() {
    for (size_t i = 0; i < timeDoors_.size(); ++i) {
        Gimmick_TimeDoor& group = *timeDoors_[i];
        group.Update(IsButtonPressed(solids_, group.GetButton()->GetTopPosition(), kSceneButtonRadius));
        solids_.timeDoors[i] = DoorSolids(group);
    }
    for (size_t i = 0; i < pushingDoors_.size(); ++i) {
        Gimmick_PushingDoor& group = *pushingDoors_[i];
        group.Update(IsButtonPressed(solids_, group.GetButton()->GetTopPosition(), kSceneButtonRadius));
        solids_.pushingDoors[i] = DoorSolids(group);
    }
    for (size_t i = 0; i < returnDoors_.size(); ++i) {
        Gimmick_ReturnDoor& group = *returnDoors_[i];
        group.Update(IsButtonPressed(solids_, group.GetButton()->GetTopPosition(), kSceneButtonRadius));
        solids_.returnDoors[i] = DoorSolids(group);
    }
}

// Laser groups: the button, then (only near the player) every beam cut at
// the first solid along it and tested against the player.
void GameScene::UpdateLasers() {
    for (const auto& groupPtr : returnLasers_) {
        Gimmick_ReturnLaser& group = *groupPtr;
        const bool pressed = IsButtonPressed(solids_, group.GetButton()->GetTopPosition(), kSceneButtonRadius);
        if (!group.UpdateButton(pressed, player_->GetPosition(), player_->GetRadius())) continue;
        for (int i = 0; i < group.GetLaserCount(); ++i) {
            const Laser& laser = *group.GetLaser(i);
            float blocked = kFar;
            RayCastSolids(solids_, laser.GetBeamStart(), laser.GetDirection(), kLaserRayRadius, blocked, -1);
            group.UpdateLaser(i, blocked, player_->GetForward(), player_->IsFailed(), player_->GetCollisionModel(),
                              player_->GetCameraWorld());
        }
    }
}

// Stage 1's guide reads box 0 and whether the chain points at it; a stage
// without boxes skips the box lesson.
void GameScene::UpdateGuide() {
    if (!operationGuide_) return;
    const bool hasBox = !boxes_.empty();
    bool aimsAtBox = false;
    Vector3 firstBox;
    if (hasBox) {
        float d = kFar;
        aimsAtBox = RayToMesh(boxes_[0]->GetModel(), boxes_[0]->GetWorld(), hookGun_->GetGunPosition(),
                              hookGun_->GetChainDirection(), d);
        firstBox = boxes_[0]->GetPosition();
    }
    operationGuide_->Update(player_->GetPosition(), player_->GetRadius(), aimsAtBox, hookGun_->GetHookedBoxIndex(),
                            firstBox,
                            hookGun_->GetState() == HookGun::kAttached,
                            hookGun_->GetState() == HookGun::kPullingPlayer);
}

void GameScene::SetCamera() {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    const Vector3 eye = player_->GetPosition();
    const Matrix view = MatrixLookAtLH(eye, eye + Normalize(player_->GetForward()), kUp);
    shaders.SetViewMatrix(view);
    shaders.SetCameraPos(MatrixInverse(view).Translation());
    shaders.SetProjMatrix(MatrixPerspectiveFovLH(player_->GetFov() * kDegToRad, 1.7777778f, 0.01f, 1000.0f));
    shaders.UpdateCamera();
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
        shaders.End();
        return;
    }

    // Cut-in: the scene goes into its own target and is laid at 10 % over
    // what the back buffer still holds, so moving things leave trails.
    d3d.ClearDepthStencil(zBuffer, 1.0f, 0);
    // The afterimage targets are made when the cut-in first needs them: most
    // attempts never reach the jewel, and a restart then builds no targets.
    sceneColor_.EnsureTarget(1280, 720, FwTextureFormat::RGBA8);
    sceneDepth_.EnsureTarget(1280, 720, FwTextureFormat::Depth32F);
    d3d.SetRenderTargets(&sceneColor_, &sceneDepth_);
    d3d.ClearRenderTarget(&sceneColor_, 0.3f, 0.3f, 0.3f, 1.0f);
    d3d.ClearDepthStencil(&sceneDepth_, 1.0f, 0);
    d3d.SetViewport(0, 0, 1280, 720);
    Draw();
    d3d.SetRenderTargets(backBuffer, zBuffer);
    shaders.Begin(false, true);
    shaders.SetSpriteWorld(Matrix::Identity());
    FwRect src{0.0f, 0.0f, 1280.0f, 720.0f};
    Vector4 color(1.0f, 1.0f, 1.0f, 0.1f);
    shaders.DrawTex(&sceneColor_, 0.0f, 0.0f, 1280.0f, 720.0f, &src, &color, Vector2(0.5f, 0.5f));
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
    for (const auto& box : boxes_) box->Draw();
    for (const auto& group : timeDoors_) group->Draw();
    for (const auto& group : pushingDoors_) group->Draw();
    for (const auto& group : returnDoors_) group->Draw();
    if (showCase_) showCase_->Draw();
    if (jewel_) jewel_->Draw();
    for (const auto& group : returnLasers_) group->Draw();

    shaders.SetEffectShader();
    for (const auto& group : timeDoors_) group->DrawClockHands();

    // Windows after every opaque object, half transparent, depth on.
    shaders.SetModelShader();
    for (const auto& window : windows_) window->Draw();
    shaders.SetEffectShader();
    DrawEffects();

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
    for (const auto& group : returnLasers_) group->DrawBeams();
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
}

void GameScene::AppendTrace(nlohmann::json& frame) const {
    auto vec = [](const Vector3& v) { return nlohmann::json::array({v.x, v.y, v.z}); };
    frame["player"] = {{"pos", vec(player_->GetPosition())},
                       {"yaw", player_->GetYaw()},
                       {"pitch", player_->GetPitch()},
                       {"fov", player_->GetFov()},
                       {"jumping", player_->IsJumping()},
                       {"failed", player_->IsFailed()}};
    frame["hook"] = {{"state", hookGun_->GetState()},
                     {"pos", vec(hookGun_->GetHookPosition())},
                     {"box", hookGun_->GetHookedBoxIndex()}};
    nlohmann::json boxes = nlohmann::json::array();
    for (const auto& box : boxes_) boxes.push_back(vec(box->GetPosition()));
    frame["boxes"] = boxes;

    // Buttons: pushing-door, return-door, time-door, then laser groups.
    nlohmann::json buttons = nlohmann::json::array();
    auto button = [&buttons](const char* kind, const ButtonBase& b) {
        buttons.push_back({{"kind", kind}, {"on", b.IsOn()}, {"top", b.GetTopY()}});
    };
    for (const auto& g : pushingDoors_) button("pushing", *g->GetButton());
    for (const auto& g : returnDoors_) button("return", *g->GetButton());
    for (const auto& g : timeDoors_) button("time", *g->GetButton());
    for (const auto& g : returnLasers_) button("laser", *g->GetButton());
    frame["buttons"] = buttons;

    nlohmann::json doors = nlohmann::json::array();
    for (const auto& g : pushingDoors_)
        doors.push_back({{"kind", "pushing"}, {"y", g->GetDoor()->GetPanelY()}, {"lamp", g->GetDoor()->IsLampOn()}});
    for (const auto& g : returnDoors_)
        doors.push_back({{"kind", "return"}, {"y", g->GetDoor()->GetPanelY()}, {"lamp", g->GetDoor()->IsLampOn()}});
    for (const auto& g : timeDoors_)
        doors.push_back({{"kind", "time"}, {"y", g->GetDoor()->GetPanelY()}, {"lamp", g->GetDoor()->IsOpen()}});
    frame["doors"] = doors;

    nlohmann::json clocks = nlohmann::json::array();
    for (const auto& g : timeDoors_)
        clocks.push_back({{"angle", g->GetDoor()->GetHandAngle()},
                          {"ticking", g->GetDoor()->IsTicking()},
                          {"remaining", g->GetButton()->GetRemainingFrames()}});
    frame["clocks"] = clocks;

    nlohmann::json lasers = nlohmann::json::array();
    for (const auto& g : returnLasers_) {
        nlohmann::json widths = nlohmann::json::array(), lengths = nlohmann::json::array();
        for (int i = 0; i < g->GetLaserCount(); ++i) {
            widths.push_back(g->GetLaser(i)->GetHalfWidth());
            lengths.push_back(g->GetLaser(i)->GetBeamLength());
        }
        lasers.push_back(
            {{"active", g->IsActive()}, {"hit", g->HasHitPlayer()}, {"width", widths}, {"length", lengths}});
    }
    frame["lasers"] = lasers;

    if (jewel_) {
        frame["jewel"] = {
            {"pos", vec(jewel_->GetPosition())}, {"caught", jewel_->IsCaught()}, {"taken", jewel_->IsTaken()}};
    }
    frame["cutin"] = {{"state", staging_->GetState()}, {"finished", staging_->IsFinished()}};
    frame["sparks"] = hookEffects_->VisibleCount();
    if (operationGuide_)
        frame["guide"] = {{"page", operationGuide_->GetPage()}, {"alpha", operationGuide_->GetAlpha()}};
}
