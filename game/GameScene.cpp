#include "game/GameScene.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/SceneManager.h"
#include "app/TitleScene.h"
#include "framework/audio/FwAudio.h"
#include "framework/collision/FwCollision.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/Stage.h"
#include "game/gimmick/Box.h"
#include "game/player/HookGun.h"
#include "game/player/Player.h"

namespace {
constexpr float kFar = kFloatMax;
constexpr int kKeyP = 0x50;
const Vector3 kUp(0.0f, 1.0f, 0.0f);
const Vector3 kDown(0.0f, -1.0f, 0.0f);

bool IsZero(const Vector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

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
    char numberName[256];
    std::snprintf(numberName, sizeof(numberName), "GameScene/StageNo/%d.png", stage);
    numberTexture_ = res.GetTexture(numberName);
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
    if (file.Ok()) {
        BuildFromLayout(*file.layout);
    } else {
        // A broken stage is never half built: report it and leave for the
        // title in the first frame.
        layoutFailed_ = true;
        std::string text = file.error.ToString();
        FwGetPlatform().MessageBox(text, "Gilded Vault: stage file error", FwMessageIcon::Error);
    }

    sceneColor_.CreateTarget(1280, 720, FwTextureFormat::RGBA8);
    sceneDepth_.CreateTarget(1280, 720, FwTextureFormat::Depth32F);

    gameMusic_ = res.GetSound("GameBGM.wav", 0.05f, false);
    if (gameMusic_) gameMusic_->Play(true, true);
}

GameScene::~GameScene() {
    if (gameMusic_) gameMusic_->Stop();
    sceneColor_.Release();
    sceneDepth_.Release();
}

void GameScene::BuildFromLayout(const StageLayout& layout) {
    layout_ = layout;
    boxes_.reserve(layout.boxes.size());
    for (const StageBoxRecord& rec : layout.boxes) {
        boxes_.push_back(std::make_shared<Box>(rec.position, rec.index));
    }
    solids_.boxes.resize(boxes_.size());
    RefreshSolids();
}

void GameScene::RefreshSolids() {
    for (size_t i = 0; i < boxes_.size(); ++i) {
        solids_.boxes[i] = SceneSolid::FromWorld(boxes_[i]->GetModel(), boxes_[i]->GetWorld());
    }
    solids_.stage = SceneSolid::FromWorld(stage_->GetModel(), stage_->GetWorld());
    solids_.playerEye = player_->GetPosition();
    solids_.playerEyeHeight = player_->GetEyeHeight();
    solids_.playerRadius = player_->GetRadius();
    solids_.boxRadius = Box::kRadius;
}

void GameScene::Update() {
    FadeIn();

    if (layoutFailed_) {
        SceneManager::GetInstance().ChangeScene(new TitleScene());
        return;
    }

    UpdatePlayer();
    UpdateHookGun();
    UpdateBoxes();

    // A cleared stage (the jewel's cut-in finished, then a fade to the clear
    // scene) joins here with the jewel and the clear scene.

    if (restartPending_) {
        FadeOut();
        if (IsBlack()) SceneManager::GetInstance().ChangeScene(new GameScene(stageNumber_));
    } else if (player_->IsFailed()) {
        restartPending_ = true;  // the fade-out starts next frame
    }

    if (FwIsKeyDown(kKeyP)) SceneManager::GetInstance().ChangeScene(new TitleScene());
}

void GameScene::UpdatePlayer() {
    RefreshSolids();
    bool laserHit = false;  // no laser groups yet
    player_->Update(hookGun_->GetPlayerPull(), IsJewelTaken(), laserHit);
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
    RayCastSolids(solids_, pos, player_->GetForward(), player_->GetRadius(), aim, -1);
    player_->SetAimDistance(aim);
}

void GameScene::UpdateHookGun() {
    hookGun_->FollowPlayer(player_->GetCameraWorld(), player_->GetAimPoint());
    float hookRange = kFar;
    int32_t hitBox = -1;
    if (hookGun_->GetState() == HookGun::kReady) {
        RayCastSolids(solids_, hookGun_->GetGunPosition(), hookGun_->GetFlightDirection(), hookGun_->GetRadius(),
                      hookRange, -1);
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
    DrawFade();
    shaders.End();
    shaders.SetModelShader();
    d3d.ClearDepthStencil(zBuffer, 1.0f, 0);
    hookGun_->Draw();
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

    // Doors, showcase, jewel, lasers, clock hands, windows and the additive
    // effects (hook sparks, laser beams) join the pass here as they are built.

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

void GameScene::DrawCaption() {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    DrawCaptionSprite(shaders, labelTexture_, labelTransform_, 154.0f, 74.0f);
    DrawCaptionSprite(shaders, numberTexture_, numberTransform_, 51.0f, 54.0f);
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
}
