// The content files the game loads by name, shared by the content tests.
#pragma once

struct ContentImage {
    const char* name;
    int w, h;  // the pixel size the sprite's source rectangle assumes
};

// Sprites whose source rectangles fix their size.
inline constexpr ContentImage kSizedImages[] = {
    {"FadeBlack.png", 1280, 720},
    {"TitleScene/Logo.png", 945, 98},
    {"TitleScene/Logo_Click.png", 263, 64},
    {"ClearScene/GameClearLogo.png", 807, 117},
    {"ClearScene/NextStageTex.png", 254, 58},
    {"ClearScene/PlayAgainTex.png", 257, 57},
    {"ClearScene/TitleTex.png", 120, 47},
    {"ClearScene/TimePanel.png", 600, 180},
    {"ClearScene/TimeLabel.png", 150, 56},
    {"ClearScene/BestLabel.png", 150, 56},
    {"ClearScene/TimeDigits.png", 576, 64},
    {"ClearScene/NewBest.png", 180, 60},
    {"TitleScene/StageButton.png", 88, 76},
    {"TitleScene/StageDigits.png", 300, 40},
    {"GameScene/StageNo/Stage.png", 154, 74},
    {"GameScene/StageNo/1.png", 51, 54},
    {"GameScene/StageNo/2.png", 51, 54},
    {"GameScene/Staging/CutIn/CutIn_Up.png", 1280, 200},
    {"GameScene/Staging/CutIn/CutIn_Down.png", 1280, 200},
    {"GameScene/Staging/CutIn/JewelLogo.png", 244, 98},
    {"GameScene/Staging/CutIn/GetLogo.png", 208, 99},
    {"GameScene/HookGun/Sighting.png", 64, 64},
    {"GameScene/HookGun/NotShghting.png", 16, 16},
    {"GameScene/Guide/PlayerGuide.png", 300, 160},
    {"GameScene/Guide/HookGuide.png", 150, 160},
    {"GameScene/Guide/BoxMoveGuide.png", 420, 160},
    {"GameScene/Guide/HookMoveGuide.png", 300, 160},
};

// Textures drawn on game-built quads; their size is the artist's choice.
inline constexpr const char* kFreeSizeImages[] = {
    "GameScene/HookGun/TipEffect.png",
    "GameScene/Laser/NewLaser.png",
    "GameScene/TimeDoor/ClockHands.png",
};

// Every model but the stage meshes.
inline constexpr const char* kObjectModels[] = {
    "TitleScene/TitleRoom.gltf",
    "ClearScene/ClearRoom.gltf",
    "GameScene/Gimmick/Box/newBox.gltf",
    "GameScene/Gimmick/Button/Button_Off.gltf",
    "GameScene/Gimmick/Button/Button_On.gltf",
    "GameScene/Gimmick/Button/Button_Edge.gltf",
    "GameScene/Gimmick/Door/Door.gltf",
    "GameScene/Gimmick/Door/DoorEdge.gltf",
    "GameScene/Gimmick/Door/Light_ON.gltf",
    "GameScene/Gimmick/Door/Light_OFF.gltf",
    "GameScene/Gimmick/Door/Clock.gltf",
    "GameScene/Gimmick/Laser/LaserBody.gltf",
    "GameScene/Window/Window.gltf",
    "GameScene/Treasure/ShowCase/ShowCase.gltf",
    "GameScene/Treasure/Jewel/JewelMain.gltf",
    "GameScene/HookGun/Body.gltf",
    "GameScene/HookGun/OneChain.gltf",
    "GameScene/HookGun/Hook.gltf",
    "GameScene/Player/CollisionModel.gltf",
};

inline constexpr const char* kStageModels[] = {
    "GameScene/Stage/Stage_1.gltf",
    "GameScene/Stage/Stage_2.gltf",
};
