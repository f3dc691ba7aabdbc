// FwResourceFactory: per-kind folders under the working directory, one cached
// object per name, empty objects for missing files, a new sound instance per
// request. Each test runs inside its own temporary working directory holding
// a small Data/ tree it writes itself.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "framework/FwTrace.h"
#include "framework/audio/FwAudio.h"
#include "framework/model/FwModel.h"
#include "framework/platform/FwEglContext.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwTexture.h"
#include "framework/resource/FwResourceFactory.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/support/GltfTestSupport.h"

namespace {

class ResourceFactoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());
        const std::string gltf = gltftest::OneTriangle().ToText();
        audiotest::WriteBytes("Data/Model/Tri.gltf", std::vector<uint8_t>(gltf.begin(), gltf.end()));
        audiotest::WriteBytes("Data/Sound/HookGun/Chain.wav", audiotest::MonoWav(1000, 100));  // 100 ms
        audiotest::WriteBytes("Data/Sound/Determination.wav", audiotest::MonoWav(1000, 300));
        const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
        std::filesystem::create_directories("Data/Texture/TitleScene");
        stbi_write_png("Data/Texture/TitleScene/Logo.png", 2, 2, 4, texels, 8);
        FwAudioManager::GetInstance().Init(FwCreateVirtualAudioDevice(clock_.Function()));
        factory_.ClearForTests();
    }
    void TearDown() override {
        factory_.ClearForTests();
        FwAudioManager::GetInstance().Release();
        FwSetTraceSink({});
        std::filesystem::current_path(previousDir_);
    }

    FwResourceFactory& factory_ = FwResourceFactory::GetInstance();
    TempDir dir_;
    audiotest::ManualClock clock_;
    std::filesystem::path previousDir_;
};

}  // namespace

TEST_F(ResourceFactoryTest, ModelsAreLoadedOnceFromTheModelFolder) {
    FwModel* model = factory_.GetModel("Tri.gltf");
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->Nodes().size(), 1u);
    ASSERT_TRUE(model->Nodes()[0].mesh);
    EXPECT_EQ(model->Nodes()[0].mesh->Faces().size(), 1u);
    std::filesystem::remove("Data/Model/Tri.gltf");
    EXPECT_EQ(factory_.GetModel("Tri.gltf"), model);  // cached: the file is not read again
    EXPECT_EQ(model->Nodes().size(), 1u);
}

TEST_F(ResourceFactoryTest, MissingModelsAndTexturesAreEmptyCachedObjects) {
    testing::internal::CaptureStderr();
    FwModel* missing = factory_.GetModel("Nope.gltf");
    testing::internal::GetCapturedStderr();
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->Nodes().empty());
    EXPECT_EQ(factory_.GetModel("Nope.gltf"), missing);

    FwTexture* texture = factory_.GetTexture("Nope.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->IsEmpty());
    EXPECT_TRUE(texture->Path().empty());
    EXPECT_EQ(factory_.GetTexture("Nope.png"), texture);

    // Keys compare as byte strings: a different letter case is another entry.
    testing::internal::CaptureStderr();
    FwModel* otherCase = factory_.GetModel("tri.gltf");
    testing::internal::GetCapturedStderr();
    EXPECT_NE(otherCase, factory_.GetModel("Tri.gltf"));
    // A model and a texture of the same name live in different folders.
    EXPECT_NE(static_cast<void*>(factory_.GetTexture("Tri.gltf")), static_cast<void*>(factory_.GetModel("Tri.gltf")));
}

TEST_F(ResourceFactoryTest, EachSoundRequestIsANewInstanceOfOneEffect) {
    auto first = factory_.GetSound("Determination.wav", 0.5f, false);
    std::filesystem::remove("Data/Sound/Determination.wav");
    auto second = factory_.GetSound("Determination.wav", 0.5f, false);  // the cached effect
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->GetVolume(), 0.5f);
    first->Play(false, true);
    second->Play(false, true);
    first->Stop();
    EXPECT_TRUE(second->IsPlaying());  // independent voices
    EXPECT_EQ(factory_.GetSound("HookGun/Chain.wav", 0.4f, false)->GetVolume(), 0.4f);
}

// A silent stand-in is never null, never plays and is never kept alive.
static void ExpectSilent(const std::shared_ptr<FwSoundInstance>& sound) {
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound->IsSilent());
    const size_t before = FwAudioManager::GetInstance().PlayingCount();
    sound->Play(true, true);
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_EQ(FwAudioManager::GetInstance().PlayingCount(), before);
    sound->SetVolume(0.7f);
    sound->Stop();
    EXPECT_FALSE(sound->IsPlaying());
}

TEST_F(ResourceFactoryTest, MissingSoundsAreSilentEveryTime) {
    ExpectSilent(factory_.GetSound("Missing.wav", 1.0f, false));
    // Not retried: the failed effect stays cached even when the file appears.
    audiotest::WriteBytes("Data/Sound/Missing.wav", audiotest::MonoWav(1000, 100));
    ExpectSilent(factory_.GetSound("Missing.wav", 1.0f, false));
}

TEST_F(ResourceFactoryTest, WithoutAnAudioDeviceEverySoundIsSilent) {
    FwAudioManager::GetInstance().Init(nullptr);
    ExpectSilent(factory_.GetSound("Determination.wav", 0.5f, false));
    ExpectSilent(factory_.GetSound("HookGun/Chain.wav", 0.4f, false));
}

// Trace events name the sound by its path under the sound folder.
TEST_F(ResourceFactoryTest, PlayAndStopAreTracedByResourceName) {
    std::vector<std::string> events;
    FwSetTraceSink([&events](const std::string& e) { events.push_back(e); });
    auto chain = factory_.GetSound("HookGun/Chain.wav", 0.4f, false);
    chain->Play(true, true);
    chain->Stop();
    auto shot = factory_.GetSound("Determination.wav", 0.5f, false);
    shot->Play(false, true);
    clock_.now = 1000;  // ended by itself: no stop event
    shot->Stop();
    EXPECT_EQ(events, (std::vector<std::string>{"sound:play:HookGun/Chain.wav", "sound:stop:HookGun/Chain.wav",
                                                "sound:play:Determination.wav"}));
}

// With a real (headless) GL device: a texture is decoded once and served
// from the cache afterwards, even after its file is gone.
TEST_F(ResourceFactoryTest, TexturesAreDecodedOnceWithADevice) {
    std::string error;
    if (!FwCreateHeadlessGLContext(64, 64, error)) GTEST_SKIP() << "no GL context: " << error;
    ASSERT_TRUE(FwDirect3D::GetInstance().Init(64, 64, false, error)) << error;
    FwTexture* logo = factory_.GetTexture("TitleScene/Logo.png");
    ASSERT_FALSE(logo->IsEmpty());
    EXPECT_EQ(logo->Width(), 2);
    EXPECT_EQ(logo->Path(), "Data/Texture/TitleScene/Logo.png");
    std::filesystem::remove("Data/Texture/TitleScene/Logo.png");
    EXPECT_EQ(factory_.GetTexture("TitleScene/Logo.png"), logo);
    EXPECT_FALSE(logo->IsEmpty());
    factory_.ClearForTests();
    FwDirect3D::GetInstance().Release();
    FwDestroyHeadlessGLContext();
}

// After a scene switch the factory frees the models, textures and sound
// effects that no live scene asked for (requested only before the live scene's mark) and
// keeps what the live scene asked for again, pinned entries and anything
// requested since: a freed entry is read from its file anew, a kept one is
// the same object even though its file is gone.
TEST_F(ResourceFactoryTest, ReleaseUnusedFreesOnlyWhatNoLiveSceneAskedFor) {
    std::string error;
    if (!FwCreateHeadlessGLContext(64, 64, error)) GTEST_SKIP() << "no GL context: " << error;
    ASSERT_TRUE(FwDirect3D::GetInstance().Init(64, 64, false, error)) << error;
    std::filesystem::copy_file("Data/Texture/TitleScene/Logo.png", "Data/Texture/Pinned.png");
    std::filesystem::copy_file("Data/Texture/TitleScene/Logo.png", "Data/Texture/Shared.png");

    factory_.BeginSceneBuild();  // the old scene
    const std::shared_ptr<FwSoundInstance> chain = factory_.GetSound("HookGun/Chain.wav", 1.0f, false);
    FwModel* model = factory_.GetModel("Tri.gltf");
    FwTexture* oldOnly = factory_.GetTexture("TitleScene/Logo.png");
    FwTexture* shared = factory_.GetTexture("Shared.png");
    FwTexture* pinned = factory_.PinTexture("Pinned.png");
    ASSERT_FALSE(oldOnly->IsEmpty());
    const uint64_t newScene = factory_.BeginSceneBuild();
    EXPECT_EQ(factory_.GetModel("Tri.gltf"), model);
    EXPECT_EQ(factory_.GetTexture("Shared.png"), shared);
    EXPECT_EQ(factory_.TextureCount(), 3u);

    for (const char* file : {"Model/Tri.gltf", "Texture/TitleScene/Logo.png", "Texture/Shared.png",
                             "Texture/Pinned.png", "Sound/HookGun/Chain.wav"})
        std::filesystem::remove(std::string("Data/") + file);
    EXPECT_EQ(factory_.ReleaseUnused(newScene), 2u);  // the old scene's own texture and sound
    EXPECT_EQ(factory_.SoundCount(), 0u);
    chain->Play(false, false);  // the instance still holds its effect
    EXPECT_TRUE(chain->IsPlaying());
    EXPECT_EQ(factory_.ModelCount(), 1u);
    EXPECT_EQ(factory_.TextureCount(), 2u);
    EXPECT_EQ(factory_.GetModel("Tri.gltf"), model);
    EXPECT_EQ(model->Nodes().size(), 1u);
    EXPECT_EQ(factory_.GetTexture("Shared.png"), shared);
    EXPECT_FALSE(shared->IsEmpty());
    EXPECT_EQ(factory_.GetTexture("Pinned.png"), pinned);
    EXPECT_FALSE(pinned->IsEmpty());
    testing::internal::CaptureStderr();
    EXPECT_TRUE(factory_.GetTexture("TitleScene/Logo.png")->IsEmpty());  // freed: read again, and gone
    ExpectSilent(factory_.GetSound("HookGun/Chain.wav", 1.0f, false));
    testing::internal::GetCapturedStderr();

    // A later scene that asks for none of them: only the pinned one stays.
    EXPECT_EQ(factory_.ReleaseUnused(factory_.BeginSceneBuild()), 4u);
    EXPECT_EQ(factory_.ModelCount(), 0u);
    EXPECT_EQ(factory_.TextureCount(), 1u);
    EXPECT_EQ(factory_.GetTexture("Pinned.png"), pinned);
    factory_.ClearForTests();
    FwDirect3D::GetInstance().Release();
    FwDestroyHeadlessGLContext();
}

// A file that does not load is reported once, on standard error, naming the
// file and the reason, however often it is asked for; the empty or silent
// stand-in follows. Nothing goes to standard output.
TEST_F(ResourceFactoryTest, FailedFilesAreReportedOnceOnStandardError) {
    std::string error;
    if (!FwCreateHeadlessGLContext(64, 64, error)) GTEST_SKIP() << "no GL context: " << error;
    ASSERT_TRUE(FwDirect3D::GetInstance().Init(64, 64, false, error)) << error;
    audiotest::WriteBytes("Data/Texture/Jpeg.png", {0xff, 0xd8, 0xff, 0xc4, 0x00, 0x13, 0x13});
    audiotest::WriteBytes("Data/Sound/Broken.wav", {'R', 'I', 'F', 'F', 1, 2, 3});
    audiotest::WriteBytes("Data/Model/Broken.gltf", {'{', '"', 'a'});

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (int request = 0; request < 2; ++request) {
        EXPECT_TRUE(factory_.GetTexture("Jpeg.png")->IsEmpty());
        EXPECT_TRUE(factory_.GetTexture("Gone.png")->IsEmpty());
        EXPECT_TRUE(factory_.GetModel("Broken.gltf")->Nodes().empty());
        ExpectSilent(factory_.GetSound("Broken.wav", 1.0f, false));
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    factory_.ClearForTests();
    FwDirect3D::GetInstance().Release();
    FwDestroyHeadlessGLContext();

    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << err;
    EXPECT_EQ(lines[0], "cannot load Data/Texture/Jpeg.png: not a PNG file (an empty texture stands in)");
    EXPECT_EQ(lines[1], "cannot load Data/Texture/Gone.png: cannot open the file (no such file) (an empty texture stands in)");
    EXPECT_EQ(lines[2].rfind("cannot load Data/Model/Broken.gltf: ", 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find("(an empty model stands in)"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3].rfind("cannot load Data/Sound/Broken.wav: not a readable WAV file", 0), 0u) << lines[3];
    EXPECT_NE(lines[3].find("(it plays silent)"), std::string::npos) << lines[3];
}
