// gv_bench [--frames N] [--stage N]
//
// Runs a scene on the headless platform (software OpenGL, virtual clock, so
// the frame loop never sleeps) and reports the wall time of each frame's work
// (message pump, audio, scene update and drawing, present), frames per
// second, start-up time and peak resident memory.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Application.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "game/GameScene.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BenchOptions {
    uint64_t frames = 600;
    int stage = 0;  // 0: title scene
};

bool ParseArgs(int argc, char** argv, BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (i + 1 >= argc) return false;
        long value = std::strtol(argv[++i], nullptr, 10);
        if (name == "--frames" && value >= 2) options.frames = static_cast<uint64_t>(value);
        else if (name == "--stage" && value >= 1 && value <= 2) options.stage = static_cast<int>(value);
        else return false;
    }
    return true;
}

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
    size_t rank = static_cast<size_t>(p / 100.0 * sorted.size() + 0.999999);
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // kilobytes on Linux
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseArgs(argc, argv, options)) {
        std::fprintf(stderr, "usage: gv_bench [--frames N (>= 2)] [--stage 1|2]\n");
        return 2;
    }

    FwHeadlessPlatform platform;
    FwSetPlatform(&platform);
    Application& app = Application::GetInstance();
    if (options.stage > 0) {
        int stage = options.stage;
        app.SetFirstScene([stage] { return new GameScene(stage); });
    }

    std::vector<double> frameMs;
    frameMs.reserve(options.frames);
    Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    double firstFrameMs = 0.0;
    app.SetFrameObserver([&](uint64_t frame) {
        Clock::time_point now = Clock::now();
        double ms = std::chrono::duration<double, std::milli>(now - last).count();
        last = now;
        // Frame 1 also carries start-up and the first scene's loading.
        if (frame == 1) firstFrameMs = ms;
        else frameMs.push_back(ms);
        return frame < options.frames;
    });
    bool started = app.Run();
    FwSetPlatform(nullptr);
    if (!started || frameMs.empty()) {
        std::fprintf(stderr, "gv_bench: start-up failed\n");
        return 1;
    }

    std::vector<double> sorted = frameMs;
    std::sort(sorted.begin(), sorted.end());
    double total = 0.0;
    for (double ms : frameMs) total += ms;

    std::printf("gv_bench: %s, %zu measured frames (frame 1 excluded)\n",
                options.stage > 0 ? ("stage " + std::to_string(options.stage)).c_str() : "title scene", frameMs.size());
    std::printf("  %-34s %10.2f ms\n", "start-up + first frame", firstFrameMs);
    std::printf("  %-34s %10.3f ms\n", "frame time, median", Percentile(sorted, 50.0));
    std::printf("  %-34s %10.3f ms\n", "frame time, 95th percentile", Percentile(sorted, 95.0));
    size_t worst = std::max_element(frameMs.begin(), frameMs.end()) - frameMs.begin();
    std::printf("  %-34s %10.3f ms (frame %zu)\n", "frame time, worst", sorted.back(), worst + 2);
    std::printf("  %-34s %10.1f\n", "frames per second (unpaced)", 1000.0 * frameMs.size() / total);
    std::printf("  %-34s %10.1f MiB\n", "peak resident memory", PeakRssKb() / 1024.0);
    return 0;
}
