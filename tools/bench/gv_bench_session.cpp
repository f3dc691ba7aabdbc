// gv_bench_session [--loops N] [--frames N] [--no-draw]
//
// Memory over a whole session: the game on the headless platform (software
// OpenGL, virtual clock), drawn, goes title -> stage 1 -> clear -> stage 2 ->
// clear -> ... -> the last stage -> clear -> title, --loops times (default 3),
// each scene for --frames frames (default 30), every scene switched to the way
// the game does it (SceneManager::Request: the next scene loads while the old
// one still exists). Each frame ends with FwDirect3D::Finish, so the
// rasteriser's memory is counted while it is in use.
//
// Reports, per scene of the first and last loop: the resident memory when the
// scene has run (VmRSS) and the peak while it loaded and ran (VmHWM, reset at
// each switch through /proc/self/clear_refs); then the peak over the whole
// session, the process CPU time, and how long after the process started the
// title's first frame was finished (the kernel's start time of the process,
// 10 ms steps). --no-draw suppresses drawing (the logic-only figure).
//
// Run it from the repository root (it reads Data/). No settings or progress
// file is read or written.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/SceneFactory.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "framework/render/FwDirect3D.h"
#include "game/StageFile.h"
#include "scene/SceneManager.h"

namespace {

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when absent.
long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

// Starts a new peak: VmHWM falls back to the current VmRSS.
void ResetPeak() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
}

double Mib(long kb) { return static_cast<double>(kb) / 1024.0; }

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Milliseconds since this process started (the kernel's start time is kept
// in clock ticks since boot, 10 ms steps here).
double MsSinceProcessStart() {
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Field 22 (starttime), counted after the command name's closing parenthesis.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string value;
    for (int field = 3; field <= 22 && fields >> value; ++field) {
    }
    const double startMs = std::strtod(value.c_str(), nullptr) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6 - startMs;
}

std::string Name(const SceneRequest& r) {
    if (r.kind == SceneKind::Title) return "title";
    return (r.kind == SceneKind::Game ? "stage " : "clear ") + std::to_string(r.stage);
}

}  // namespace

int main(int argc, char** argv) {
    int loops = 3;
    uint64_t frames = 30;
    bool draw = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-draw") draw = false;
        else if (arg == "--loops" && i + 1 < argc) loops = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--frames" && i + 1 < argc) frames = static_cast<uint64_t>(std::max(2, std::atoi(argv[++i])));
        else {
            std::fprintf(stderr, "usage: gv_bench_session [--loops N] [--frames N (>= 2)] [--no-draw]\n");
            return 2;
        }
    }
    const double processMsAtMain = MsSinceProcessStart();

    std::vector<SceneRequest> session;
    const int stages = std::max(1, StageCount());
    for (int loop = 0; loop < loops; ++loop) {
        session.push_back(SceneRequest::Title());
        for (int stage = 1; stage <= stages; ++stage) {
            session.push_back(SceneRequest::Game(stage));
            session.push_back(SceneRequest::Clear(stage));
        }
    }
    const size_t perLoop = session.size() / static_cast<size_t>(loops);
    session.push_back(SceneRequest::Title());

    FwHeadlessPlatform platform;
    FwSetPlatform(&platform);
    FwDirect3D::GetInstance().SetDrawingSuppressed(!draw);
    Application& app = Application::GetInstance();

    size_t index = 0;
    uint64_t sceneFrames = 0;
    double titleShownMs = 0.0;
    long sessionPeakKb = 0;
    std::vector<std::string> lines;
    app.SetFrameObserver([&](uint64_t frame) {
        FwDirect3D::GetInstance().Finish();
        if (frame == 1) titleShownMs = MsSinceProcessStart();
        if (++sceneFrames < frames) return true;
        const long rss = StatusKb("VmRSS"), peak = StatusKb("VmHWM");
        sessionPeakKb = std::max(sessionPeakKb, peak);
        if (index < perLoop || index + perLoop >= session.size()) {
            char line[200];
            const std::string loop = index + 1 == session.size() ? "end" : "loop " + std::to_string(index / perLoop + 1);
            std::snprintf(line, sizeof line,
                          "  %-7s %-9s resident %6.1f MiB (heap and other anonymous %6.1f, files %5.1f)   peak %6.1f MiB",
                          loop.c_str(), Name(session[index]).c_str(), Mib(rss), Mib(StatusKb("RssAnon")),
                          Mib(StatusKb("RssFile")), Mib(peak));
            lines.push_back(line);
        }
        if (++index >= session.size()) return false;
        sceneFrames = 0;
        ResetPeak();
        SceneManager::GetInstance().Request(session[index]);
        return true;
    });
    const double cpuStart = CpuMs();
    const bool started = app.Run();
    const double cpu = CpuMs() - cpuStart;
    app.SetFrameObserver({});
    FwSetPlatform(nullptr);
    if (!started || index < session.size()) {
        std::fprintf(stderr, "gv_bench_session: the session did not run to its end\n");
        return 1;
    }
    std::printf("gv_bench_session: %s, %d loops of %zu scenes, %llu frames each, each finished with glFinish\n",
                draw ? "drawn" : "not drawn", loops, perLoop, static_cast<unsigned long long>(frames));
    for (const std::string& line : lines) std::puts(line.c_str());
    std::printf("  %-40s %8.1f MiB\n", "peak resident memory over the session", Mib(sessionPeakKb));
    std::printf("  %-40s %8.1f MiB\n", "resident memory at the end", Mib(StatusKb("VmRSS")));
    std::printf("  %-40s %8.0f ms\n", "process CPU time of the run", cpu);
    std::printf("  %-40s %8.0f ms (main entered at %.0f ms)\n", "title's first frame after process start",
                titleShownMs, processMsAtMain);
    return 0;
}
