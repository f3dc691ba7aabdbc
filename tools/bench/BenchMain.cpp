// gv_bench [--frames N] [--stage N [--after-title]] [--render-scale F] [--reference-shaders]
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
// game's option of the same name does; --reference-shaders draws with the
// general model shader and none of the drawing shortcuts (the cost of the
// same pixels without them).
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/SceneFactory.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwShaderManager.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BenchOptions {
    uint64_t frames = 600;
    int stage = 0;  // 0: title scene
    float renderScale = 1.0f;
    bool referenceShaders = false;
    bool afterTitle = false;
};

bool ParseArgs(int argc, char** argv, BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--reference-shaders" || name == "--after-title") {
            (name == "--after-title" ? options.afterTitle : options.referenceShaders) = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        char* end = nullptr;
        if (name == "--render-scale") {
            float scale = std::strtof(argv[++i], &end);
            if (*end != '\0' || !(scale >= 0.25f && scale <= 1.0f)) return false;
            options.renderScale = scale;
            continue;
        }
        long value = std::strtol(argv[++i], &end, 10);
        if (*end != '\0') return false;
        if (name == "--frames" && value >= 2) options.frames = static_cast<uint64_t>(value);
        else if (name == "--stage" && value >= 1 && value <= 2) options.stage = static_cast<int>(value);
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

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseArgs(argc, argv, options)) {
        std::fprintf(stderr, "usage: gv_bench [--frames N (>= 2)] [--stage 1|2] [--after-title] [--render-scale 0.25..1] [--reference-shaders]\n");
        return 2;
    }

    FwHeadlessPlatform platform;
    FwSetPlatform(&platform);
    FwDirect3D::GetInstance().SetRenderScale(options.renderScale);
    FwShaderManager::GetInstance().SetReferenceShading(options.referenceShaders);
    Application& app = Application::GetInstance();

    Stamp start = Stamp::Now(), sceneStart, sceneEnd, last;
    const int stage = options.stage;
    const bool afterTitle = options.afterTitle && stage > 0;
    app.SetFirstScene([&]() -> std::unique_ptr<BaseScene> {
        if (afterTitle) MakeScene(SceneRequest::Title());
        sceneStart = Stamp::Now();
        std::unique_ptr<BaseScene> scene = MakeScene(stage > 0 ? SceneRequest::Game(stage) : SceneRequest::Title());
        sceneEnd = last = Stamp::Now();
        return scene;
    });

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
    std::printf("gv_bench: %s%s, render scale %.2f, %zu measured frames (frame 1 reported apart), each finished with "
                "glFinish\n",
                stage > 0 ? ("stage " + std::to_string(stage)).c_str() : "title scene",
                options.referenceShaders ? " (reference shaders)" : "", options.renderScale,
                wallMs.size());
    PrintPhase(afterTitle ? "start-up and the title scene" : "start-up", start, sceneStart);
    PrintPhase(stage == 0 ? "title load (TitleScene)"
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
