// gv_bench [--frames N] [--stage N [--after-title]] [--render-scale F] [--reference-shaders]
// gv_bench --playthrough FILE [--render-scale F] [--reference-shaders]
// gv_bench --floor [--frames N]
//
// --floor measures what any frame of ours costs at least on this renderer:
// one full-screen quad drawn with the game's model shader, lit by the
// stage's directional light and ambient, textured with the stage's floor
// image (mipmapped, the device's default anisotropic sampler), at 1280 x 720.
// The game's frames are reported as multiples of it.
//
// With --playthrough the harness input script FILE (tests/playthroughs/
// full_game.txt: title, every stage, every clear scene) is played with
// drawing, and the frames are reported per scene: title, each stage, the
// clear scenes together. A frame belongs to the scene that drew it; the
// frame in which the next scene is built (behind the black fade) counts to
// the scene that asked for it, as the player sees it.
//
// Runs a scene on the headless platform (software OpenGL, virtual clock, so
// the frame loop never sleeps) and reports, for every frame after the first:
// wall time and process CPU time (all threads, the rasteriser's included),
// median, 95th percentile and worst. Each frame ends with FwDirect3D::Finish,
// so its time includes the rasterising it caused: without that wait a
// software rasteriser queues many frames and stalls later, which makes short
// runs look cheaper than they are. Start-up (window, device, shaders, audio),
// the first scene's construction (for --stage: the stage load, cold: every
// file read for the first time and the rasteriser's one-time compiles) and
// the first frame (shader compiles) are reported separately; with --stage
// also a second construction of the same stage after the run (warm, as on a
// restart or the clear scene's replay), then peak resident memory. With
// --after-title the title scene is built (untimed) before the stage, as in the
// game, where the title has already read the shared files and started the
// rasteriser before the first stage loads.
// --render-scale draws the 3D pass at that fraction of the resolution, as the
// game's option of the same name does (auto: chosen from the measured frames
// as in the game, with a line per second of frames giving the scale); --reference-shaders draws with the
// general model shader and none of the drawing shortcuts (the cost of the
// same pixels without them).
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/SceneFactory.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"
#include "game/StageFile.h"
#include "scene/BaseScene.h"
#include "scene/SceneManager.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BenchOptions {
    uint64_t frames = 600;
    int stage = 0;  // 0: title scene
    float renderScale = 1.0f;
    bool autoScale = false;
    bool referenceShaders = false;
    bool afterTitle = false;
    bool floor = false;
    std::string playthrough;  // an input script to play instead of one scene
};

// A frame's budget at 60 frames a second.
constexpr double kBudgetMs = 1000.0 / 60.0;

bool ParseArgs(int argc, char** argv, BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--floor") {
            options.floor = true;
            continue;
        }
        if (name == "--reference-shaders" || name == "--after-title") {
            (name == "--after-title" ? options.afterTitle : options.referenceShaders) = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        if (name == "--playthrough") {
            options.playthrough = argv[++i];
            continue;
        }
        char* end = nullptr;
        if (name == "--render-scale" && std::string(argv[i + 1]) == "auto") {
            options.autoScale = true;
            ++i;
            continue;
        }
        if (name == "--render-scale") {
            float scale = std::strtof(argv[++i], &end);
            if (*end != '\0' || !(scale >= 0.25f && scale <= 1.0f)) return false;
            options.renderScale = scale;
            continue;
        }
        long value = std::strtol(argv[++i], &end, 10);
        if (*end != '\0') return false;
        if (name == "--frames" && value >= 2) options.frames = static_cast<uint64_t>(value);
        else if (name == "--stage" && value >= 1 && value <= StageCount()) options.stage = static_cast<int>(value);
        else return false;
    }
    return true;
}

// A moment on both clocks: wall and this process's CPU time (every thread).
struct Stamp {
    Clock::time_point wall;
    double cpuMs = 0.0;

    static Stamp Now() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return {Clock::now(), static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6};
    }
    double WallMsSince(const Stamp& from) const {
        return std::chrono::duration<double, std::milli>(wall - from.wall).count();
    }
    double CpuMsSince(const Stamp& from) const { return cpuMs - from.cpuMs; }
};

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
    size_t rank = static_cast<size_t>(p / 100.0 * static_cast<double>(sorted.size()) + 0.999999);
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // kilobytes on Linux
}

void PrintPhase(const char* name, const Stamp& from, const Stamp& to) {
    std::printf("  %-30s %10.2f ms wall %10.2f ms CPU\n", name, to.WallMsSince(from), to.CpuMsSince(from));
}

// frames[i] is frame i + 2 (frame 1 is reported on its own).
void PrintFrames(const char* clock, const std::vector<double>& frames) {
    std::vector<double> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    size_t worst = static_cast<size_t>(std::max_element(frames.begin(), frames.end()) - frames.begin());
    std::printf("  %-12s median %9.3f ms   95th percentile %9.3f ms   worst %9.3f ms (frame %zu)\n", clock,
                Percentile(sorted, 50.0), Percentile(sorted, 95.0), sorted.back(), worst + 2);
}


// --render-scale auto: the scale in use, and a line for every 60 frames
// (a second of play at full speed) with their median wall time.
class ScaleTimeline {
public:
    explicit ScaleTimeline(bool on) : on_(on) {
        if (on_) Application::GetInstance().SetRenderScaleMode(RenderScaleMode::Auto);
    }
    void OnFrame(uint64_t frame, double wallMs) {
        if (!on_) return;
        window_.push_back(wallMs);
        if (window_.size() < 60) return;
        std::sort(window_.begin(), window_.end());
        const float scale = Application::GetInstance().AutomaticScale().value_or(1.0f);
        std::printf("  frames %6llu to %6llu: render scale %.1f, wall median %6.1f ms, p95 %6.1f ms\n",
                    static_cast<unsigned long long>(frame - 59), static_cast<unsigned long long>(frame),
                    static_cast<double>(scale), Percentile(window_, 50.0), Percentile(window_, 95.0));
        std::fflush(stdout);
        window_.clear();
    }

private:
    bool on_;
    std::vector<double> window_;
};

// --floor: a scene that draws one lit, textured quad over the whole screen.
class FloorScene : public BaseScene {
public:
    FloorScene() {
        std::vector<FwMeshVertex> v(4);
        const Vector3 corners[4] = {{-1, 1, 0}, {1, 1, 0}, {-1, -1, 0}, {1, -1, 0}};
        const Vector2 uv[4] = {{0, 0}, {4, 0}, {0, 4}, {4, 4}};  // the image repeated, as on a floor
        for (int i = 0; i < 4; ++i) {
            v[i].position = corners[i];
            v[i].normal = {0, 0, -1};
            v[i].uv = uv[i];
        }
        auto mesh = std::make_shared<FwMesh>();
        mesh->Create(v, {{{0, 1, 2}}, {{1, 3, 2}}}, {{0, 0, 2}});
        FwModelMaterial material;
        material.baseColorTexture = FwTexture::LoadShared("Data/Model/GameScene/Stage/StageFloor.png");
        material.metallic = 0.0f;
        material.roughness = 0.8f;
        model_.AddMaterial(material);
        FwModelNode node;
        node.mesh = mesh;
        model_.AddNode(node);
    }
    const char* KindName() const override { return "floor"; }
    void Frame() override {
        FwDirect3D& device = FwDirect3D::GetInstance();
        FwShaderManager& shaders = FwShaderManager::GetInstance();
        device.ClearRenderTarget(device.GetBackBuffer().get(), 0, 0, 0, 1);
        device.ClearDepthStencil(device.GetZBuffer().get(), 1.0f, 0);
        // Eye at the origin looking along +z at the quad, which is sized to
        // overfill the 60-degree, 16:9 view at a distance of 1.
        shaders.SetViewMatrix(MatrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}));
        shaders.SetProjMatrix(MatrixPerspectiveFovLH(60.0f * 3.14159265f / 180.0f, 16.0f / 9.0f, 0.1f, 100.0f));
        shaders.UpdateCamera();
        shaders.SetAmbientLight({0.3f, 0.3f, 0.3f});
        shaders.SetDirectionalLightDir(Normalize(Vector3{0.3f, -0.5f, 0.8f}));
        shaders.SetDirectionalLightColor({1, 1, 1});
        shaders.UpdateLight();
        shaders.SetModelShader();
        shaders.SetWorldMatrix(MatrixScaling(1.2f, 0.7f, 1.0f) * MatrixTranslation(0, 0, 1));
        shaders.DrawModel(&model_);
    }

private:
    FwModel model_;
};

// The frames one scene drew during a playthrough.
struct SceneFrames {
    std::vector<double> wallMs, cpuMs;
};

// "title", "stage N" or "clear" for the scene that drew the frame.
std::string SceneLabel() {
    const BaseScene* scene = SceneManager::GetInstance().Current();
    if (!scene) return "none";
    const std::string kind = scene->KindName();
    if (kind == "game") return "stage " + std::to_string(scene->StageNumber());
    return kind;
}

void PrintSceneRow(const std::string& label, const SceneFrames& f) {
    std::vector<double> wall = f.wallMs, cpu = f.cpuMs;
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    const size_t over =
        static_cast<size_t>(std::count_if(wall.begin(), wall.end(), [](double ms) { return ms > kBudgetMs; }));
    std::printf("| %-8s | %6zu | %7.1f | %7.1f | %7.1f | %7.1f | %7.1f | %7.1f | %5zu (%4.1f %%) |\n", label.c_str(),
                wall.size(), Percentile(wall, 50.0), Percentile(wall, 95.0), wall.back(), Percentile(cpu, 50.0),
                Percentile(cpu, 95.0), cpu.back(), over, 100.0 * static_cast<double>(over) / static_cast<double>(wall.size()));
}

// Plays the script with drawing and prints the per-scene table.
int RunPlaythrough(const BenchOptions& options) {
    std::ifstream in(options.playthrough);
    std::vector<FwInputSpan> spans;
    std::string error;
    if (!in || !FwParseInputScript(in, spans, error)) {
        std::fprintf(stderr, "gv_bench: %s: %s\n", options.playthrough.c_str(), in ? error.c_str() : "cannot read it");
        return 2;
    }
    FwHeadlessPlatform platform;
    platform.SetScript(std::move(spans));
    const uint64_t frames = platform.ScriptFrames();
    FwSetPlatform(&platform);
    FwDirect3D::GetInstance().SetRenderScale(options.renderScale);
    FwShaderManager::GetInstance().SetReferenceShading(options.referenceShaders);
    Application& app = Application::GetInstance();

    std::map<std::string, SceneFrames> scenes;
    std::vector<std::string> order;
    ScaleTimeline timeline(options.autoScale);
    Stamp last = Stamp::Now();
    app.SetFrameObserver([&](uint64_t frame) {
        FwDirect3D::GetInstance().Finish();  // the frame is done only when the rasteriser is
        const Stamp now = Stamp::Now();
        if (frame > 1) {  // frame 1 holds start-up and the title's load
            std::string label = SceneLabel();
            if (label.rfind("clear", 0) == 0) label = "clear";
            if (!scenes.count(label)) order.push_back(label);
            scenes[label].wallMs.push_back(now.WallMsSince(last));
            scenes[label].cpuMs.push_back(now.CpuMsSince(last));
            timeline.OnFrame(frame, now.WallMsSince(last));
        }
        last = Stamp::Now();
        return frame < frames;
    });
    const bool started = app.Run();
    app.SetFrameObserver({});
    FwSetPlatform(nullptr);
    if (!started || scenes.empty()) {
        std::fprintf(stderr, "gv_bench: start-up failed\n");
        return 1;
    }
    std::printf("gv_bench: %s, %llu frames drawn at render scale %s%s, each finished with glFinish; budget %.1f ms\n",
                options.playthrough.c_str(), static_cast<unsigned long long>(frames),
                options.autoScale ? "auto" : std::to_string(options.renderScale).substr(0, 4).c_str(),
                options.referenceShaders ? " (reference shaders)" : "", kBudgetMs);
    std::printf("| scene    | frames | wall median | wall p95 | wall worst | CPU median | CPU p95 | CPU worst | over budget |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& label : order) PrintSceneRow(label, scenes[label]);
    std::printf("peak resident memory %.1f MiB\n", static_cast<double>(PeakRssKb()) / 1024.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseArgs(argc, argv, options)) {
        std::fprintf(stderr, "usage: gv_bench [--frames N (>= 2)] [--stage N] [--after-title] [--render-scale 0.25..1|auto] [--reference-shaders]\n"
                     "       gv_bench --playthrough FILE [--render-scale 0.25..1|auto] [--reference-shaders]\n");
        return 2;
    }
    if (!options.playthrough.empty()) return RunPlaythrough(options);

    FwHeadlessPlatform platform;
    FwSetPlatform(&platform);
    FwDirect3D::GetInstance().SetRenderScale(options.renderScale);
    FwShaderManager::GetInstance().SetReferenceShading(options.referenceShaders);
    Application& app = Application::GetInstance();

    Stamp start = Stamp::Now(), sceneStart, sceneEnd, last;
    const int stage = options.stage;
    const bool afterTitle = options.afterTitle && stage > 0;
    const bool floor = options.floor;
    app.SetFirstScene([&]() -> std::unique_ptr<BaseScene> {
        if (floor) {
            sceneStart = Stamp::Now();
            auto scene = std::make_unique<FloorScene>();
            sceneEnd = last = Stamp::Now();
            return scene;
        }
        if (afterTitle) MakeScene(SceneRequest::Title());
        sceneStart = Stamp::Now();
        std::unique_ptr<BaseScene> scene = MakeScene(stage > 0 ? SceneRequest::Game(stage) : SceneRequest::Title());
        sceneEnd = last = Stamp::Now();
        return scene;
    });

    ScaleTimeline timeline(options.autoScale);
    Stamp reloadStart, reloadEnd;
    std::vector<double> wallMs, cpuMs;
    wallMs.reserve(options.frames);
    cpuMs.reserve(options.frames);
    double firstWall = 0.0, firstCpu = 0.0;
    app.SetFrameObserver([&](uint64_t frame) {
        FwDirect3D::GetInstance().Finish();  // the frame is done only when the rasteriser is
        Stamp now = Stamp::Now();
        if (frame == 1) {
            firstWall = now.WallMsSince(last);
            firstCpu = now.CpuMsSince(last);
        } else {
            wallMs.push_back(now.WallMsSince(last));
            cpuMs.push_back(now.CpuMsSince(last));
            timeline.OnFrame(frame, wallMs.back());
        }
        last = now;
        if (frame < options.frames) return true;
        if (stage > 0) {
            reloadStart = Stamp::Now();
            MakeScene(SceneRequest::Game(stage));
            reloadEnd = Stamp::Now();
        }
        return false;
    });
    bool started = app.Run();
    app.SetFrameObserver({});
    app.SetFirstScene({});
    FwSetPlatform(nullptr);
    if (!started || wallMs.empty()) {
        std::fprintf(stderr, "gv_bench: start-up failed\n");
        return 1;
    }

    double totalWall = 0.0;
    for (double ms : wallMs) totalWall += ms;
    std::printf("gv_bench: %s%s, render scale %s, %zu measured frames (frame 1 reported apart), each finished with "
                "glFinish\n",
                floor ? "one lit, textured full-screen quad"
                : stage > 0 ? ("stage " + std::to_string(stage)).c_str() : "title scene",
                options.referenceShaders ? " (reference shaders)" : "",
                options.autoScale ? "auto" : std::to_string(options.renderScale).substr(0, 4).c_str(),
                wallMs.size());
    PrintPhase(afterTitle ? "start-up and the title scene" : "start-up", start, sceneStart);
    PrintPhase(floor ? "quad load" : stage == 0 ? "title load (TitleScene)"
                          : afterTitle ? "stage load, after the title" : "stage load, cold (GameScene)",
               sceneStart, sceneEnd);
    if (stage > 0) PrintPhase("stage load, warm (GameScene)", reloadStart, reloadEnd);
    std::printf("  %-30s %10.2f ms wall %10.2f ms CPU\n", "first frame", firstWall, firstCpu);
    std::printf("frame time, frames 2 to %llu:\n", static_cast<unsigned long long>(options.frames));
    PrintFrames("wall", wallMs);
    PrintFrames("process CPU", cpuMs);
    std::printf("  %-30s %10.1f\n", "frames per second (unpaced)", 1000.0 * static_cast<double>(wallMs.size()) / totalWall);
    std::printf("  %-30s %10.1f MiB\n", "peak resident memory", static_cast<double>(PeakRssKb()) / 1024.0);
    return 0;
}
