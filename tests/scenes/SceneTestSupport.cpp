#include "tests/scenes/SceneTestSupport.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/SceneFactory.h"
#include "scene/KeyLatch.h"
#include "scene/SceneManager.h"
#include "framework/FwTrace.h"
#include "framework/audio/FwAudio.h"

namespace fs = std::filesystem;

namespace {

void PutLe(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A mono 16-bit PCM WAV of the given length (a quiet square wave).
void WriteWav(const fs::path& path, uint32_t lengthMs) {
    const uint32_t rate = 8000;
    const uint32_t frames = rate * lengthMs / 1000;
    const uint32_t dataBytes = frames * 2;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    PutLe(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);         // PCM
    PutLe(out, 1, 2);         // mono
    PutLe(out, rate, 4);
    PutLe(out, rate * 2, 4);  // byte rate
    PutLe(out, 2, 2);         // block align
    PutLe(out, 16, 2);
    out.write("data", 4);
    PutLe(out, dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i) PutLe(out, (i / 20) % 2 ? 0x0400 : 0xFC00, 2);
}

// A stage mesh of one floor square, 1000 across at height 0 (two triangles,
// buffer embedded): a game scene refuses a stage without triangles.
constexpr const char* kFloorGltf = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
"nodes":[{"mesh":0}],"meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],
"buffers":[{"byteLength":60,"uri":"data:application/octet-stream;base64,AAD6wwAAAAAAAPrDAAD6QwAAAAAAAPrDAAD6QwAAAAAAAPpDAAD6wwAAAAAAAPpDAAACAAEAAAADAAIA"}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":12}],
"accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3","min":[-500,0,-500],"max":[500,0,500]},
{"bufferView":1,"componentType":5123,"count":6,"type":"SCALAR"}]})";

// Runs the tests inside a scratch folder holding Data/Sound, so the resource
// factory (which resolves "Data/..." against the working directory) finds
// the music and the confirm sound, and the floor as both stage meshes; the
// other models and the textures stay missing and come back empty.
class SceneEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("gv_scenes_" + std::to_string(::getpid()));
        fs::create_directories(root_ / "Data" / "Sound");
        WriteWav(root_ / "Data" / "Sound" / "BGM.wav", 1000);
        WriteWav(root_ / "Data" / "Sound" / "GameBGM.wav", 1000);
        WriteWav(root_ / "Data" / "Sound" / "Determination.wav", 500);
        // Empty stages (no objects, a showcase far ahead) so game scenes build.
        fs::create_directories(root_ / "Data" / "CoordinateFile");
        fs::create_directories(root_ / "Data" / "Model" / "GameScene" / "Stage");
        for (int stage = 1; stage <= 2; ++stage) {
            const std::string number = std::to_string(stage);
            std::ofstream(root_ / "Data" / "CoordinateFile" / ("Stage_" + number + ".txt"))
                << "0\n0\n0\n0\n0\n0\n0.0,0.0,80.0\n";
            std::ofstream(root_ / "Data" / "Model" / "GameScene" / "Stage" / ("Stage_" + number + ".gltf")) << kFloorGltf;
        }
        previous_ = fs::current_path();
        fs::current_path(root_);
        FwSetPlatform(&TestPlatform());
        FwAudioManager::GetInstance().Init();
    }
    void TearDown() override {
        SceneManager::GetInstance().Clear();
        FwAudioManager::GetInstance().Release();
        FwSetPlatform(nullptr);
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

private:
    fs::path root_;
    fs::path previous_;
};

const bool kEnvironmentRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new SceneEnvironment);
    return true;
}();

}  // namespace

FakePlatform& TestPlatform() {
    static FakePlatform platform;
    return platform;
}

void SceneTest::SetUp() {
    platform_.held.clear();
    platform_.messages.clear();
    platform_.cursor = FwPoint{640, 360};
    platform_.active = true;
    platform_.cursorCalls.clear();
    KeyLatch::GetInstance().Reset();
    InstallSceneFactory();
    FwSetTraceSink([this](const std::string& event) { frameEvents_.push_back(event); });
}

void SceneTest::TearDown() {
    SceneManager::GetInstance().Clear();
    FwAudioManager::GetInstance().Update();
    FwSetTraceSink({});
}

std::vector<std::string> SceneTest::RunFrame() {
    FwAudioManager::GetInstance().Update();
    SceneManager::GetInstance().Update();
    platform_.clockMs += 16;
    std::vector<std::string> events;
    events.swap(frameEvents_);
    allEvents_.insert(allEvents_.end(), events.begin(), events.end());
    return events;
}

void SceneTest::RunFrames(int n) {
    for (int i = 0; i < n; ++i) RunFrame();
}

int SceneTest::CountEvents(const std::string& event) const {
    return static_cast<int>(std::count(allEvents_.begin(), allEvents_.end(), event)) +
           static_cast<int>(std::count(frameEvents_.begin(), frameEvents_.end(), event));
}
