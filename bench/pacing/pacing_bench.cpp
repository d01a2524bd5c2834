// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Frame-interval measurement of presentFrame on a real window: 600 frames at a cap of 60, the
// game drawing nothing, so the process only presents frames. Reported per run:
//   mean_ms     mean interval between the starts of consecutive frames (16.67 expected)
//   p99_dev_ms  99th percentile of the distance of a frame start from its grid point
//   max_dev_ms  the largest such distance
//   cpu_pct     processor time of the whole process (all threads) over wall time, in % of a core
//   skipped     frames whose deadline was missed (the grid moved on by more than one interval)
// Two variants: the default wait (sleeps in 1 ms steps while more than 2 ms remain, then polls)
// and a pure busy wait for comparison. Runs headless (SDL's offscreen driver) without DISPLAY.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "graphics/present.h"
#include "graphics/renderer.h"
#include "runtime/lifecycle.h"

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
           u.ru_stime.tv_usec / 1e6;
}

bool openRenderer() {
    if (theRenderer) return true;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    theRenderer = new OpenGLPrismo;
    if (!theRenderer->openWindow(320, 240, 0, 60, 0)) {
        delete theRenderer;
        theRenderer = nullptr;
        return false;
    }
    theRenderer->enterWindowed();
    return true;
}

void measure(benchmark::State& state, bool sleeps) {
    if (!openRenderer()) {
        state.SkipWithError("no OpenGL window");
        return;
    }
    const int frames = 600;
    setPacingEnabled(true);
    setPacingSleeps(sleeps);
    setFrameRateCap(60);
    const double interval = 1000.0 / 60;
    for (auto _ : state) {
        // Settle on the grid first.
        for (int i = 0; i < 10; ++i) presentFrame();
        std::vector<double> starts;
        starts.reserve(frames + 1);
        const double cpu0 = cpuSeconds(), wall0 = timeStampMs();
        starts.push_back(timeStampMs());
        for (int i = 0; i < frames; ++i) {
            presentFrame();
            starts.push_back(timeStampMs());
        }
        const double cpu = cpuSeconds() - cpu0, wall = (timeStampMs() - wall0) / 1000.0;
        // Grid: the deadlines lie whole intervals apart; the frame starts are compared with the
        // grid through the first start.
        std::vector<double> deviation;
        int skipped = 0;
        for (size_t i = 1; i < starts.size(); ++i) {
            double k = std::round((starts[i] - starts[0]) / interval);
            deviation.push_back(std::fabs(starts[i] - starts[0] - k * interval));
            if (starts[i] - starts[i - 1] > 1.5 * interval) ++skipped;
        }
        std::sort(deviation.begin(), deviation.end());
        state.counters["mean_ms"] = (starts.back() - starts.front()) / frames;
        state.counters["p99_dev_ms"] = deviation[static_cast<size_t>(deviation.size() * 0.99)];
        state.counters["max_dev_ms"] = deviation.back();
        state.counters["cpu_pct"] = 100.0 * cpu / wall;
        state.counters["skipped"] = skipped;
    }
    setPacingSleeps(true);
}

void BM_Pacing60_SleepThenPoll(benchmark::State& state) { measure(state, true); }

// What presenting costs without any waiting: processor time per frame, with the enlarged copy
// made on the processor (the default) and drawn as a textured quad.
void presentUnpaced(benchmark::State& state, OpenGLPrismo::WindowCopy way) {
    if (!openRenderer()) {
        state.SkipWithError("no OpenGL window");
        return;
    }
    theRenderer->setWindowCopy(way);
    setPacingEnabled(false);
    const double cpu0 = cpuSeconds();
    for (auto _ : state) presentFrame();
    state.counters["cpu_ms_per_frame"] =
        1000.0 * (cpuSeconds() - cpu0) / static_cast<double>(state.iterations());
    state.counters["quad"] = theRenderer->windowCopyInUse() == OpenGLPrismo::WindowCopy::Quad;
    theRenderer->setWindowCopy(OpenGLPrismo::WindowCopy::Pixels);
    setPacingEnabled(true);
}
void BM_PresentUnpaced(benchmark::State& state) {
    presentUnpaced(state, OpenGLPrismo::WindowCopy::Pixels);
}
void BM_PresentUnpacedQuad(benchmark::State& state) {
    presentUnpaced(state, OpenGLPrismo::WindowCopy::Quad);
}
void BM_Pacing60_BusyWait(benchmark::State& state) { measure(state, false); }

}  // namespace

BENCHMARK(BM_Pacing60_SleepThenPoll)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pacing60_BusyWait)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PresentUnpaced)->Iterations(300)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PresentUnpacedQuad)->Iterations(300)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
