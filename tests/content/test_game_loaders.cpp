// Every content file the game asks for opens with the game's own loaders:
// models through FwModel::Load (nodes with meshes and collision data), images
// through FwTexture::Load with the pixel sizes the sprites assume, sounds
// through FwLoadWav, and both coordinate files through the stage reader.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "framework/audio/FwAudioDevice.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwTexture.h"
#include "game/StageFile.h"
#include "tests/content/ContentFiles.h"
#include "framework/platform/FwEglContext.h"

namespace {
const std::string kData = std::string(GV_SOURCE_DIR) + "/Data/";



const char* const kSounds[] = {
    "BGM.wav", "GameBGM.wav", "Determination.wav", "Cursor.wav",
    "HookGun/Chain.wav", "HookGun/HookHit.wav", "HookGun/JewelHit.wav",
    "Box/BoxLanding.wav", "Button/Button.wav", "Jewel/JewelGet.wav",
    "Door/DoorOpen.wav", "Door/DoorClose.wav", "Door/Time/Timer1.wav",
    "Door/Time/Timer2.wav", "Door/Time/Bell.wav", "Laser/LaserHit.wav",
    "Laser/laser.wav", "Player/Landing.wav", "Player/FootStep.wav",
};
}  // namespace

TEST(GameLoaders, EveryModelParsesWithMeshNodesAndCollisionData) {
    std::vector<const char*> models(std::begin(kObjectModels), std::end(kObjectModels));
    models.insert(models.end(), std::begin(kStageModels), std::end(kStageModels));
    for (const char* name : models) {
        SCOPED_TRACE(name);
        FwModel model;
        ASSERT_TRUE(model.Load(kData + "Model/" + name));
        int meshNodes = 0;
        size_t faces = 0;
        for (const FwModelNode& node : model.Nodes()) {
            if (!node.mesh) continue;
            ++meshNodes;
            faces += node.mesh->Faces().size();
            EXPECT_EQ(node.mesh->Positions().empty(), false);
        }
        EXPECT_GT(meshNodes, 0);
        EXPECT_GT(faces, 0u);
        EXPECT_FALSE(model.Materials().empty());
    }
}

TEST(GameLoaders, BoxIsAFiveUnitCubeAboutItsCentre) {
    FwModel model;
    ASSERT_TRUE(model.Load(kData + "Model/GameScene/Gimmick/Box/newBox.gltf"));
    Vector3 lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
    for (const FwModelNode& node : model.Nodes()) {
        if (!node.mesh) continue;
        for (const Vector3& p0 : node.mesh->Positions()) {
            Vector3 p = TransformCoord(p0, node.matrix);
            lo = Vector3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
            hi = Vector3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
        }
    }
    EXPECT_NEAR(lo.x, -2.5f, 0.05f);
    EXPECT_NEAR(hi.x, 2.5f, 0.05f);
    EXPECT_NEAR(lo.y, -2.5f, 0.05f);
    EXPECT_NEAR(hi.y, 2.5f, 0.05f);
    EXPECT_NEAR(lo.z, -2.5f, 0.05f);
    EXPECT_NEAR(hi.z, 2.5f, 0.05f);
}

TEST(GameLoaders, EveryImageDecodesAtTheSizeItsSpriteAssumes) {
    std::string error;
    if (!FwCreateHeadlessGLContext(64, 64, error)) GTEST_SKIP() << "no GL context: " << error;
    FwDirect3D& d3d = FwDirect3D::GetInstance();
    ASSERT_TRUE(d3d.Init(64, 64, false, error)) << error;
    for (const ContentImage& image : kSizedImages) {
        SCOPED_TRACE(image.name);
        FwTexture texture;
        ASSERT_TRUE(texture.Load(kData + "Texture/" + image.name));
        EXPECT_EQ(texture.Width(), image.w);
        EXPECT_EQ(texture.Height(), image.h);
    }
    for (const char* name : kFreeSizeImages) {
        FwTexture texture;
        EXPECT_TRUE(texture.Load(kData + "Texture/" + name)) << name;
    }
    d3d.Release();
    FwDestroyHeadlessGLContext();
}

TEST(GameLoaders, EverySoundLoadsAsPcm) {
    for (const char* name : kSounds) {
        SCOPED_TRACE(name);
        FwPcmData pcm;
        std::string error;
        ASSERT_TRUE(FwLoadWav(kData + "Sound/" + name, pcm, error)) << error;
        EXPECT_GT(pcm.FrameCount(), 0u);
    }
}

TEST(GameLoaders, BothCoordinateFilesParseIntoTheirDesignedCounts) {
    // Boxes, pushing doors, return doors, windows, time doors, laser groups,
    // as docs/stage1.md and docs/stage2.md list them.
    const size_t expected[2][6] = {{1, 0, 1, 0, 0, 0}, {3, 1, 1, 5, 1, 2}};
    for (int stage = 1; stage <= 2; ++stage) {
        SCOPED_TRACE(stage);
        StageFileResult result = LoadStageFile(kData + "CoordinateFile/Stage_" + std::to_string(stage) + ".txt");
        ASSERT_TRUE(result.Ok()) << result.error.ToString();
        const StageLayout& l = *result.layout;
        const size_t* e = expected[stage - 1];
        EXPECT_EQ(l.boxes.size(), e[0]);
        EXPECT_EQ(l.pushingDoors.size(), e[1]);
        EXPECT_EQ(l.returnDoors.size(), e[2]);
        EXPECT_EQ(l.windows.size(), e[3]);
        EXPECT_EQ(l.timeDoors.size(), e[4]);
        EXPECT_EQ(l.returnLasers.size(), e[5]);
    }
}
