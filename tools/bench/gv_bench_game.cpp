// gv_bench_game [--update-runs N] [--render-frames N] [--no-aniso] [--size WxH]
//
// Also: GameScene::Update alone on stage 2 over the stage 2 part of the
// playthrough (tests/playthroughs/full_game.txt), in which every gimmick is
// worked: the return door held by a box, both laser groups live near the
// fence and then switched off, the pushing door, the time door and its clock.
// Frames in which laser groups are active (their beams cast a ray each per
// frame) are reported on their own.
//
// The game scene of stage 1 on the headless platform (software OpenGL,
// virtual clock), driven by a scripted play: walk, jump the barrier, look,
// hook box 0 and reel it in, hook a wall and reel in, walk into walls while
// turning. Two measurements:
//
//  1. GameScene::Update alone, per frame (no drawing): the frame logic with
//     all its ray and push-out queries. The script is played --update-runs
//     times (default 5), each time on a freshly built scene.
//  2. A whole rendered frame at 1280 x 720: message pump, audio update, the
//     scene's Frame (update, clears, camera, 3D pass, sprites) and present,
//     followed by a read-back of the back buffer so that the software
//     rasteriser has really finished the frame. The read-back's own cost is
//     measured separately (on an idle pipeline) and reported, so the net
//     frame time can be told apart. --render-frames (default 150) frames of
//     the same script.
//
// Diagnostics (not the game's configuration): --no-aniso replaces the
// device's default anisotropic samplers (slots 0 and 1) with plain trilinear
// ones; --size renders into a back buffer of another size (the scene's own
// targets stay 1280 x 720). Together they tell texture cost from fill cost.
//
// Run it from the repository root (it reads Data/). Reports median, 95th
// percentile and worst per frame, and frames per second.
#include <time.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "scene/KeyLatch.h"
#include "scene/SceneManager.h"
#include "framework/audio/FwAudio.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"
#include "app/SceneFactory.h"
#include "game/GameScene.h"
#include "game/gimmick/Box.h"
#include "game/player/HookGun.h"
#include "game/player/Player.h"

namespace {

using Clock = std::chrono::steady_clock;

// The scripted play (harness input format: frames, then the held tokens).
constexpr const char* kScript =
    "52 W\n"                // walk toward the barrier
    "1 W SPACE\n"           // jump it while walking
    "64 W\n"                // land and walk on, within the hook's range of box 0
    "3\n"
    "1 look:0,4\n"          // aim at box 0
    "1 LMB\n40\n"           // fire; the hook flies and attaches
    "1 LMB\n40\n"           // reel the box in
    "1 look:405,0\n1\n"     // turn to the east wall
    "1 LMB\n20\n"           // hook the wall
    "1 LMB\n20\n"           // reel in
    "60 W look:3,0\n"       // walk into the wall while turning (push-out)
    "30 A look:-4,1\n"      // strafe along it
    "1 SPACE\n40 S\n";      // jump and back off

struct Options {
    int updateRuns = 5;
    int renderFrames = 150;
    bool noAniso = false;
    int width = 1280;
    int height = 720;
};

bool ParseSize(const std::string& text, Options& options) {
    int w = 0, h = 0;
    char x = 0, extra = 0;
    std::istringstream in(text);
    if (!(in >> w >> x >> h) || x != 'x' || (in >> extra) || w < 16 || h < 16 || w > 4096 || h > 4096) return false;
    options.width = w;
    options.height = h;
    return true;
}

bool ParseArgs(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--no-aniso") {
            options.noAniso = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        if (name == "--size") {
            if (!ParseSize(argv[++i], options)) return false;
            continue;
        }
        char* end = nullptr;
        long value = std::strtol(argv[++i], &end, 10);
        if (*end != '\0' || value < 1 || value > 100000) return false;
        if (name == "--update-runs") options.updateRuns = static_cast<int>(value);
        else if (name == "--render-frames") options.renderFrames = static_cast<int>(value);
        else return false;
    }
    return true;
}

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of this thread or of the whole process (all rasteriser threads),
// in milliseconds. Unlike wall time it does not count waiting for a core on
// a busy machine.
double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
    size_t rank = static_cast<size_t>(p / 100.0 * static_cast<double>(sorted.size()) + 0.999999);
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

void PrintStats(const char* title, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    double total = 0.0;
    for (double v : ms) total += v;
    std::printf("%s (%zu frames)\n", title, ms.size());
    std::printf("  %-28s %10.4f ms\n", "median", Percentile(ms, 50.0));
    std::printf("  %-28s %10.4f ms\n", "95th percentile", Percentile(ms, 95.0));
    std::printf("  %-28s %10.4f ms\n", "worst", ms.back());
    std::printf("  %-28s %10.4f ms\n", "mean", total / static_cast<double>(ms.size()));
}

std::vector<FwInputSpan> Script() {
    std::istringstream in(kScript);
    std::vector<FwInputSpan> spans;
    std::string error;
    if (!FwParseInputScript(in, spans, error)) {
        std::fprintf(stderr, "gv_bench_game: internal script: %s\n", error.c_str());
        std::exit(1);
    }
    return spans;
}

// What the play did, so a run that silently missed its targets is noticed.
struct PlayCheck {
    bool hookedBox = false;
    bool hookedWall = false;
    float boxStartZ = 0.0f;
    float boxEndZ = 0.0f;

    void Observe(const GameScene& scene) {
        const HookGun& gun = *scene.GetHookGun();
        if (gun.GetState() == HookGun::kAttached) {
            if (gun.GetHookedBoxIndex() == 0) hookedBox = true;
            else hookedWall = true;
        }
        if (!scene.GetBoxes().empty()) boxEndZ = scene.GetBoxes()[0]->GetPosition().z;
    }
    bool Ok() const { return hookedBox && hookedWall && boxStartZ - boxEndZ > 20.0f; }
};

// A fresh stage 1 scene with the script rewound to its first frame.
std::unique_ptr<GameScene> NewScene(FwHeadlessPlatform& platform, PlayCheck& check) {
    KeyLatch::GetInstance().Reset();
    platform.SetScript(Script());
    auto scene = std::make_unique<GameScene>(1);
    if (scene->LayoutFailed() || scene->GetBoxes().empty()) {
        std::fprintf(stderr, "gv_bench_game: stage 1 did not load (run from the repository root)\n");
        std::exit(1);
    }
    check = PlayCheck{};
    check.boxStartZ = check.boxEndZ = scene->GetBoxes()[0]->GetPosition().z;
    return scene;
}

bool ReportCheck(const char* phase, const PlayCheck& check, const GameScene& scene) {
    std::printf("  play check (%s): box 0 hooked %s, wall hooked %s, box 0 z %.1f -> %.1f, player at z %.1f\n", phase,
                check.hookedBox ? "yes" : "NO", check.hookedWall ? "yes" : "NO", check.boxStartZ, check.boxEndZ,
                scene.GetPlayer()->GetPosition().z);
    if (SceneManager::GetInstance().HasPendingChange()) {
        std::fprintf(stderr, "gv_bench_game: the scene asked to leave during the play\n");
        return false;
    }
    return check.Ok();
}

// One frame's input, then GameScene::Update alone, timed: wall time and this
// thread's CPU time in milliseconds.
void TimedUpdate(FwHeadlessPlatform& platform, GameScene& scene, double& wallMs, double& cpuMs) {
    platform.ProcessMessages();
    FwAudioManager::GetInstance().Update();
    const double c0 = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    const Clock::time_point t0 = Clock::now();
    scene.Update();
    wallMs = Ms(t0, Clock::now());
    cpuMs = CpuMs(CLOCK_THREAD_CPUTIME_ID) - c0;
}

bool BenchUpdate(FwHeadlessPlatform& platform, int runs) {
    std::vector<double> ms;
    std::vector<double> cpu;
    PlayCheck check;
    std::unique_ptr<GameScene> scene;
    for (int run = 0; run < runs; ++run) {
        scene = NewScene(platform, check);
        const uint64_t frames = platform.ScriptFrames();
        for (uint64_t f = 0; f < frames; ++f) {
            double wall = 0.0, thread = 0.0;
            TimedUpdate(platform, *scene, wall, thread);
            ms.push_back(wall);
            cpu.push_back(thread);
            check.Observe(*scene);
        }
    }
    PrintStats("GameScene::Update alone, stage 1, scripted play, wall time", ms);
    PrintStats("GameScene::Update alone, thread CPU time", cpu);
    return ReportCheck("update", check, *scene);
}

// The stage 2 part of the playthrough: from its "# Stage 2." comment to the
// clear menu that follows it.
std::vector<FwInputSpan> Stage2Script() {
    const char* path = "tests/playthroughs/full_game.txt";
    std::ifstream in(path);
    std::string line, part;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind("# Stage 2.", 0) == 0) inside = true;
        else if (inside && line.rfind("# Clear menu", 0) == 0) break;
        if (inside) part += line + "\n";
    }
    std::vector<FwInputSpan> spans;
    std::string error;
    std::istringstream text(part);
    if (part.empty() || !FwParseInputScript(text, spans, error)) {
        std::fprintf(stderr, "gv_bench_game: no stage 2 part in %s (run from the repository root) %s\n", path,
                     error.c_str());
        std::exit(1);
    }
    return spans;
}

bool BenchUpdateStage2(FwHeadlessPlatform& platform, int runs) {
    std::vector<double> all, lasers, cpuAll;
    int maxActiveGroups = 0, maxBeams = 0;
    bool ticked = false, cleared = false;
    for (int run = 0; run < runs; ++run) {
        KeyLatch::GetInstance().Reset();
        platform.SetScript(Stage2Script());
        auto scene = std::make_unique<GameScene>(2);
        const uint64_t frames = platform.ScriptFrames();
        for (uint64_t f = 0; f < frames; ++f) {
            double wall = 0.0, thread = 0.0;
            TimedUpdate(platform, *scene, wall, thread);
            // The stage ends in the frame that builds the clear scene (loading
            // behind the black fade): not the gimmicks' cost, reported apart.
            if (SceneManager::GetInstance().HasPendingChange()) {
                std::printf("  frame %llu builds the clear scene: %.3f ms\n", static_cast<unsigned long long>(f + 1),
                            wall);
                SceneManager::GetInstance().Clear();
                cleared = true;
                break;
            }
            cpuAll.push_back(thread);
            all.push_back(wall);
            nlohmann::json state;
            scene->AppendTrace(state);
            int active = 0, beams = 0;
            for (const auto& group : state["lasers"])
                if (group["active"].get<bool>()) {
                    ++active;
                    beams += static_cast<int>(group["length"].size());
                }
            if (active > 0) lasers.push_back(all.back());
            maxActiveGroups = std::max(maxActiveGroups, active);
            maxBeams = std::max(maxBeams, beams);
            for (const auto& clock : state["clocks"]) ticked |= clock["ticking"].get<bool>();
        }
    }
    PrintStats("GameScene::Update alone, stage 2 playthrough part, wall time", all);
    PrintStats("GameScene::Update alone, stage 2, thread CPU time", cpuAll);
    if (!lasers.empty()) PrintStats("  of which frames with laser groups active, wall time", lasers);
    std::printf("  play check (stage 2): up to %d laser groups (%d beams) active, clock ticked %s, stage cleared %s\n",
                maxActiveGroups, maxBeams, ticked ? "yes" : "NO", cleared ? "yes" : "NO");
    return ticked && cleared && maxActiveGroups > 0;
}

// Median cost of reading the back buffer when nothing is left to render.
double ReadBackCostMs() {
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    FwDirect3D::GetInstance().ReadBackBuffer(rgba, w, h);
    std::vector<double> ms;
    for (int i = 0; i < 9; ++i) {
        Clock::time_point t0 = Clock::now();
        FwDirect3D::GetInstance().ReadBackBuffer(rgba, w, h);
        ms.push_back(Ms(t0, Clock::now()));
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

bool BenchRender(FwHeadlessPlatform& platform, int frames, const Options& options) {
    PlayCheck check;
    std::unique_ptr<GameScene> scene = NewScene(platform, check);
    FwDirect3D& d3d = FwDirect3D::GetInstance();
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    std::vector<double> ms;
    std::vector<double> cpu;
    for (int f = 0; f < frames; ++f) {
        platform.ProcessMessages();
        double c0 = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        Clock::time_point t0 = Clock::now();
        FwAudioManager::GetInstance().Update();
        scene->Frame();
        d3d.Present();
        d3d.ReadBackBuffer(rgba, w, h);  // waits for the rasteriser
        ms.push_back(Ms(t0, Clock::now()));
        cpu.push_back(CpuMs(CLOCK_PROCESS_CPUTIME_ID) - c0);
        check.Observe(*scene);
    }
    const double readBack = ReadBackCostMs();
    std::vector<double> net = ms;
    for (double& v : net) v = std::max(0.0, v - readBack);

    char title[160];
    std::snprintf(title, sizeof(title), "Whole rendered frame %dx%d%s, incl. back-buffer read-back", options.width,
                  options.height, options.noAniso ? " (trilinear samplers)" : "");
    PrintStats(title, ms);
    std::vector<double> sorted = net;
    std::sort(sorted.begin(), sorted.end());
    double total = 0.0;
    for (double v : net) total += v;
    std::printf("  %-28s %10.4f ms\n", "read-back alone (median)", readBack);
    std::printf("  %-28s %10.4f ms\n", "net frame, median", Percentile(sorted, 50.0));
    std::printf("  %-28s %10.4f ms\n", "net frame, worst", sorted.back());
    std::printf("  %-28s %10.1f\n", "net frames per second", 1000.0 * static_cast<double>(net.size()) / total);
    PrintStats("Whole rendered frame, process CPU time (all threads)", cpu);
    // The render phase covers only the start of the play when it is short.
    std::printf("  play check (render, %d frames): player at z %.1f, hook state %d\n", frames,
                scene->GetPlayer()->GetPosition().z, scene->GetHookGun()->GetState());
    return !SceneManager::GetInstance().HasPendingChange();
}

void Shutdown(FwHeadlessPlatform& platform) {
    SceneManager::GetInstance().Clear();
    FwShaderManager::GetInstance().Release();
    FwDirect3D::GetInstance().Release();
    FwAudioManager::GetInstance().Release();
    platform.DestroyGameWindow();
    FwSetPlatform(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArgs(argc, argv, options)) {
        std::fprintf(stderr, "usage: gv_bench_game [--update-runs N] [--render-frames N] [--no-aniso] [--size WxH]\n");
        return 2;
    }

    FwHeadlessPlatform platform;
    FwSetPlatform(&platform);
    InstallSceneFactory();
    if (!Application::GetInstance().Init(options.width, options.height)) {
        std::fprintf(stderr, "gv_bench_game: start-up failed\n");
        Shutdown(platform);
        return 1;
    }
    // Kept alive until shutdown: the device holds plain pointers to them.
    std::shared_ptr<FwSamplerState> trilinear[2];
    if (options.noAniso) {
        for (int slot = 0; slot < 2; ++slot) {
            trilinear[slot] = FwDirect3D::GetInstance().CreateSamplerState(FwFilter::Linear, static_cast<FwAddress>(slot), false);
            FwDirect3D::GetInstance().SetSampler(slot, trilinear[slot].get());
        }
    }

    bool ok = BenchUpdate(platform, options.updateRuns);
    ok = BenchUpdateStage2(platform, options.updateRuns) && ok;
    ok = BenchRender(platform, options.renderFrames, options) && ok;
    Shutdown(platform);
    trilinear[0].reset();
    trilinear[1].reset();
    if (!ok) {
        std::fprintf(stderr, "gv_bench_game: the scripted play did not go as planned; figures are suspect\n");
        return 1;
    }
    return 0;
}
