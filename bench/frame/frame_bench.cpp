// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// What one level frame costs: the real program plays a fixed session of a busy level (ten
// baddies, a spiky bomb every third cell of the bug's way, a blast every few steps) with pacing
// off, through its scripted driver, and the processor time of the whole process (every thread,
// Mesa's rasteriser threads included) is measured against the same session that ends in the
// menu before the level starts.
//
// Printed: CPU ms per level frame (the whole process, and the game's own routines alone), level
// frames per second (wall clock; noisy on a shared machine), peak resident memory, the start-up
// run's CPU and wall time, and what recording the session costs: the recorder's work per frame
// (in this process, on the bot's keys as they would come from the keyboard) and the size of the
// recording.
//
// The keys come from a bot that walks the bug along its way in this process, frame by frame,
// through the routines of a level frame without a renderer (every drawing operation is then a
// no-op), so the same run also gives the game's own cost. The program must then produce the
// same trace, which shows that both played the same session.
//
// Usage: frame_bench [--frames N] [--runs N] [--program PATH] [--keep]
//   headless (SDL's offscreen video driver) unless DISPLAY is set; --program times another build
//   of the program (an older one, for figures side by side) with this build's media.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/recorder.h"
#include "devices/input.h"
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"
#include "game/trace.h"
#include "runtime/maths.h"
#include "tests/support/level_writer.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_folder.h"

using namespace crumlet;

namespace {

constexpr int kSeed = 12;

// The bench level: the bug's way snakes through five corridors with a spiky bomb every third
// cell and breakable blocks in the walls between them; below, two corridors of clovers with
// five baddies each keep the level from ever finishing.
const std::vector<std::string> kLevel = {
    "####################",  //
    "#@.s..s..s..s..s...#",  //
    "#x#x#x#x#x#x#x#x#x.#",  //
    "#..s..s..s..s..s...#",  //
    "#.#x#x#x#x#x#x#x#x##",  //
    "#..s..s..s..s..s...#",  //
    "#x#x#x#x#x#x#x#x#x.#",  //
    "#..s..s..s..s..s...#",  //
    "#.#x#x#x#x#x#x#x#x##",  //
    "#..s..s..s..s..s..c#",  //
    "####################",  //
    "#>c>c>cccccccc<c<c<#",  //
    "####################",  //
    "#>c>ccccccccccc<c<c#",  //
    "####################",  //
};

// The bug's way: row 1 to the right, down at the right end, row 3 to the left, and so on.
std::vector<int> snakeWay() {
    std::vector<int> way;
    for (int row = 1, k = 0; row <= 9; row += 2, ++k) {
        const bool right = k % 2 == 0;
        for (int i = 1; i <= 18; ++i) way.push_back((right ? i : 19 - i) + 40 * row);
        if (row < 9) way.push_back((right ? 18 : 1) + 40 * (row + 1));
    }
    return way;
}

// ---------------------------------------------------------------------------------------------
// The in-process session

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void holdOnly(double key) {
    unsigned char k[256] = {};
    if (key != 0) k[static_cast<int>(key)] = 0x80;
    injectKeyboardSnapshot(k);
}

// The key for the next level frame. Only a standing bug decides: it lays its bomb where the way
// runs straight on for three more cells (out of the blast's cross when it goes off), standing
// one frame first, since a bomb is laid only by a bug that stands; otherwise it steps on.
double botKey(const std::vector<int>& way) {
    GameGlobals& g = game;
    if (g.bugStep != 0 || g.bugDead != 0) return 0;
    const int cell =
        static_cast<int>(g.bugX / kCellSize) + 40 * static_cast<int>(g.bugY / kCellSize);
    const auto at = std::find(way.begin(), way.end(), cell);
    if (at == way.end() || at + 1 == way.end()) return 0;
    const size_t k = static_cast<size_t>(at - way.begin());
    const bool straight = k + 3 < way.size() && way[k + 3] - way[k + 2] == way[k + 1] - way[k] &&
                          way[k + 2] - way[k + 1] == way[k + 1] - way[k];
    if (g.bombStock > 0 && g.spikeyArmed == 0 && straight && k > 0) {
        return g.bugFacing >= 1 ? kKeySpace : 0;
    }
    const int step = way[k + 1] - way[k];
    return step == 1 ? kKeyRight : step == -1 ? kKeyLeft : step == 40 ? kKeyDown : kKeyUp;
}

// One level frame, as the level loop runs it, without presenting it (there is no renderer, so
// all drawing does nothing).
void levelFrame() {
    LevelFrame();
    ShowLevelTexts();
}

struct InProcessRun {
    std::vector<double> keys;        // keys[k]: held in level frame k + 1
    std::vector<std::string> trace;  // the trace line of every level frame
    double cpuMsPerFrame = 0;
    int blasts = 0;
};

void startLevel() {
    GameGlobals& g = game;
    g.level = 1;
    DataInit();
    LoadMaps();
    FindBug();
    seedRandom(kSeed);
}

// Plays the session once to find its keys, then again with those keys, timed, several times.
InProcessRun playInProcess(const std::string& runDir, int frames) {
    InProcessRun run;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd) || chdir(runDir.c_str()) != 0) return run;
    dimensionGameArrays();
    const std::vector<int> way = snakeWay();
    GameGlobals& g = game;
    startLevel();
    double lastArmed = 0;
    for (int f = 1; f <= frames; ++f) {
        // Level frame 1 is the menu pass in which Return starts the level: no key there.
        const double key = f == 1 ? 0 : botKey(way);
        run.keys.push_back(key);
        holdOnly(key);
        levelFrame();
        if (lastArmed == 1 && g.spikeyArmed == 0) ++run.blasts;
        lastArmed = g.spikeyArmed;
        LevelFrameState st{static_cast<double>(f),
                           g.bugX,
                           g.bugY,
                           g.bugDir,
                           g.score,
                           g.pickupsLeft,
                           g.bombStock,
                           g.bugDead,
                           g.levelDone,
                           &g.mapGrid,
                           &g.itemGrid};
        run.trace.push_back(levelTraceLine(st));
    }
    // The game's own cost: the same frames again, best of five.
    double best = 1e300;
    for (int repeat = 0; repeat < 5; ++repeat) {
        startLevel();
        const double start = processCpuMs();
        for (int f = 1; f <= frames; ++f) {
            holdOnly(run.keys[static_cast<size_t>(f - 1)]);
            levelFrame();
        }
        best = std::min(best, processCpuMs() - start);
    }
    run.cpuMsPerFrame = best / frames;
    holdOnly(0);
    if (chdir(cwd) != 0) std::perror("chdir");
    return run;
}

// ---------------------------------------------------------------------------------------------
// The real program

struct ProcessRun {
    bool ok = false;
    double cpuMs = 0;  // user + system, all threads
    double wallMs = 0;
    long peakKb = 0;
    double firstShotMs = -1;  // from the start to the screenshot of frame 1, when one was asked for
};

double realtimeMs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

ProcessRun timeProgram(const std::string& dir, const std::string& script) {
    const std::string shotPath = dir + "/first.png";
    std::remove(shotPath.c_str());
    ProgramOptions options;
    options.seconds = 600;
    const double startReal = realtimeMs();
    const ProgramRun run = runProgram(dir, script, options);
    ProcessRun r;
    r.ok = run.exitCode == 0;
    r.cpuMs = run.cpuMs;
    r.wallMs = run.wallMs;
    r.peakKb = run.peakKb;
    struct stat shot {};
    if (stat(shotPath.c_str(), &shot) == 0)
        r.firstShotMs = shot.st_mtim.tv_sec * 1e3 + shot.st_mtim.tv_nsec / 1e6 - startReal;
    return r;
}

// The recorder's cost per frame in microseconds: the bot's keys, as the keyboard would give them,
// sampled once per frame as the present does, with and without the recorder's frame work after
// the sample; the session played `rounds` times over for a measurable time. `bytes` gets the size
// of the recording of one round.
double recorderMicrosecondsPerFrame(const std::vector<double>& keys, int rounds, size_t& bytes) {
    auto play = [&](bool recording) {
        const double start = processCpuMs();
        for (int round = 0; round < rounds; ++round) {
            for (double key : keys) {
                unsigned char device[256] = {};
                if (key != 0) device[static_cast<int>(key)] = 0x80;
                injectDeviceKeys(device);
                pollKeyboard();
                if (recording) recorderFrame();
            }
        }
        return processCpuMs() - start;
    };
    clearInjectedKeyboard();  // the bot played through an injected snapshot
    startRecorder("");
    const double without = play(false);
    const double with = play(true);
    bytes = recordingText(static_cast<int64_t>(keys.size())).size();
    injectDeviceKeys(nullptr);
    return std::max(0.0, with - without) * 1000 / (static_cast<double>(keys.size()) * rounds);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 1500, runs = 3;
    bool keep = false;
    std::string program = crumletProgram();
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) {
            frames = std::max(10, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--program") && i + 1 < argc) {
            program = argv[++i];
        } else if (!std::strcmp(argv[i], "--keep")) {
            keep = true;
        } else {
            std::fprintf(stderr,
                         "usage: frame_bench [--frames N] [--runs N] [--program PATH] [--keep]\n");
            return 2;
        }
    }

    TestFolder scratch("crumlet-frame-bench");
    const std::string dir = scratch.path();
    const std::string made = makeGameFolder(dir, "bench", program);
    if (!made.empty()) return std::fprintf(stderr, "frame_bench: %s\n", made.c_str()), 1;
    if (keep) scratch.keep();
    writeLevel(dir + "/Maps", 1, kLevel);

    const InProcessRun bot = playInProcess(dir, frames);
    if (bot.trace.empty()) return std::fprintf(stderr, "frame_bench: in-process run failed\n"), 1;

    // Return in frame 3 starts the level: level frame F is frame F + 2.
    std::ostringstream level;
    level << "seed " << kSeed
          << "\npacing off\ntrace bench.trace\nshot 1 first.png\nkeys 3 Return\n";
    for (size_t k = 0; k < bot.keys.size(); ++k) {
        const double key = bot.keys[k];
        if (key == 0) continue;
        const char* name = key == kKeyRight  ? "Right"
                           : key == kKeyLeft ? "Left"
                           : key == kKeyUp   ? "Up"
                           : key == kKeyDown ? "Down"
                                             : "Space";
        level << "keys " << k + 3 << " " << name << "\n";
    }
    level << "quit " << frames + 2 << "\n";
    // The start-up run: the first menu frame, written as a screenshot as in the level run, then
    // the end.
    const std::string startUp =
        "seed " + std::to_string(kSeed) + "\npacing off\nshot 1 first.png\nquit 1\n";

    std::vector<double> perFrame, fps, startCpu, startWall, firstFrame;
    long peakKb = 0, startPeakKb = 0;
    bool same = true;
    for (int i = 0; i < runs; ++i) {
        const ProcessRun s = timeProgram(dir, startUp);
        const ProcessRun l = timeProgram(dir, level.str());
        if (!s.ok || !l.ok) return std::fprintf(stderr, "frame_bench: the program failed\n"), 1;
        perFrame.push_back((l.cpuMs - s.cpuMs) / frames);
        fps.push_back(frames * 1000.0 / std::max(1.0, l.wallMs - s.wallMs));
        startCpu.push_back(s.cpuMs);
        startWall.push_back(s.wallMs);
        firstFrame.push_back(s.firstShotMs);
        peakKb = std::max(peakKb, l.peakKb);
        startPeakKb = std::max(startPeakKb, s.peakKb);
        if (i == 0) same = readLines(dir + "/bench.trace") == bot.trace;
    }

    size_t recordingBytes = 0;
    const double recorderUs = recorderMicrosecondsPerFrame(bot.keys, 20, recordingBytes);

    const char* display = std::getenv("DISPLAY");
    std::printf("frame_bench: %d level frames, %d baddies, %d blasts, %s, median of %d runs\n",
                frames, 10, bot.blasts, display && *display ? "X display" : "headless", runs);
    std::printf("  CPU per level frame, whole process: %8.3f ms\n", median(perFrame));
    std::printf("  CPU per level frame, game's own:    %8.3f ms\n", bot.cpuMsPerFrame);
    std::printf("  level frames per second (wall):     %8.0f\n", median(fps));
    std::printf("  peak resident memory, level run:    %8.1f MB\n", peakKb / 1024.0);
    std::printf("  peak resident memory, start-up run: %8.1f MB\n", startPeakKb / 1024.0);
    std::printf("  start-up to the first menu frame and exit: %.0f ms CPU, %.0f ms wall\n",
                median(startCpu), median(startWall));
    std::printf("  start to the first menu frame (its screenshot written): %.0f ms wall\n",
                median(firstFrame));
    std::printf("  recording, the recorder's work per frame: %.2f us (%.3f %% of a level frame)\n",
                recorderUs, 100 * recorderUs / 1000 / std::max(1e-9, median(perFrame)));
    std::printf("  recording of the session: about %zu bytes for %d frames\n", recordingBytes,
                frames);
    std::printf("  all runs, ms per frame:");
    for (double v : perFrame) std::printf(" %.3f", v);
    std::printf("\n");
    if (!same) std::printf("  WARNING: the program's trace differs from the in-process session\n");
    if (keep) std::printf("  session kept in %s\n", dir.c_str());
    return same ? 0 : 1;
}
