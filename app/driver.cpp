// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The scripted driver (see driver.h and docs/driver.md).
#include "app/driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "devices/input.h"
#include "graphics/present.h"
#include "graphics/screenshots.h"
#include "runtime/lifecycle.h"
#include "runtime/maths.h"

namespace {

struct DriverRun {
    bool configured = false;
    bool started = false;
    DriverScript script;
    int64_t presented = 0;  // frames presented since startDriver
    FILE* trace = nullptr;
    std::unique_ptr<ScriptFrames> frames;  // the script's keys, frame after frame
    bool endsOnBack = false;               // playback: the player's back key ends it
};

DriverRun run;

void writeTraceLine(const std::string& line) {
    if (run.trace == nullptr) return;
    std::fputs(line.c_str(), run.trace);
    std::fputc('\n', run.trace);
    std::fflush(run.trace);  // a killed run still leaves every line written so far
}

void closeTrace() {
    if (run.trace != nullptr) {
        std::fclose(run.trace);
        run.trace = nullptr;
    }
}

void injectFrameKeys(int64_t frame) {
    unsigned char keys[256];
    int typed = -1;
    run.frames->at(frame, keys, typed);
    injectKeyboardSnapshot(keys);
    if (typed >= 0) injectTypedCharacter(typed);
}

// Runs inside every presentFrame: the frame just drawn is frame `presented`.
void onPresent() {
    run.presented += 1;
    int64_t frame = run.presented;
    for (const DriverScript::Shot& shot : run.script.shots) {
        if (shot.frame == frame && !saveScreenshot(shot.path.c_str())) {
            std::fprintf(stderr, "driver: cannot write screenshot %s\n", shot.path.c_str());
        }
    }
    if ((run.script.quitFrame != 0 && frame >= run.script.quitFrame) ||
        (run.endsOnBack && playerBackHeld())) {
        closeTrace();
        endProgram();
    }
    injectFrameKeys(frame + 1);
}

// Relative names are kept relative to the folder the program was started from: the runtime's
// start-up moves into the program's own folder later.
std::string startFolder() {
    char cwd[4096];
    return getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) + "/" : std::string();
}

}  // namespace

void configureDriver(const std::string& commandLineScript) {
    std::string scriptPath = commandLineScript;
    const char* env = std::getenv("TOVRIK_DRIVER");
    if (scriptPath.empty() && env != nullptr) scriptPath = env;
    if (scriptPath.empty()) return;

    std::string error;
    if (!loadDriverScript(scriptPath, startFolder(), run.script, error)) {
        std::fprintf(stderr, "driver: %s: %s\n", scriptPath.c_str(), error.c_str());
        std::exit(2);
    }
    run.configured = true;
}

// The trace goes to a regular file or to a character device (a terminal, /dev/null, a console
// the platform provides). Never to a FIFO, socket or folder: a FIFO without a reader would hold
// the run before its first frame, so the open does not wait and then looks at what it got.
static int openTraceFile(const char* path) {
    const int fd =
        open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISCHR(st.st_mode))) {
        close(fd);
        errno = ENXIO;
        return -1;
    }
    const int status = fcntl(fd, F_GETFL);
    if (status >= 0) fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

void startDriver() {
    if (run.started) return;
    run.started = true;
    if (run.configured) {
        if (run.script.hasSeed) seedRandom(run.script.seed);
        setPacingEnabled(run.script.pacing);
        setFocusPausing(false);
    }
    if (!run.script.tracePath.empty()) {
        const int fd = openTraceFile(run.script.tracePath.c_str());
        run.trace = fd >= 0 ? fdopen(fd, "w") : nullptr;
        if (run.trace == nullptr) {
            const int error = errno;
            if (fd >= 0) close(fd);
            std::fprintf(stderr, "driver: cannot write trace %s (%s)\n",
                         run.script.tracePath.c_str(),
                         error == ENXIO ? "neither a regular file nor a terminal or device"
                                        : std::strerror(error));
            std::exit(2);
        }
        addExitCleanup(closeTrace);
    }
    if (!run.configured) return;  // a trace alone: the player plays
    run.frames.reset(new ScriptFrames(run.script));
    injectFrameKeys(1);
    setPresentHook(onPresent);
}

bool driverTracing() { return run.trace != nullptr; }

bool driverConfigured() { return run.configured; }

void driverWriteTrace(const std::string& line) { writeTraceLine(line); }

// ---- Recordings and the program's own replays ----------------------------------------------

void configureDriverScript(const DriverScript& script) {
    run.script = script;
    run.configured = true;
}

void setDriverTracePath(const std::string& path) {
    if (path.empty()) return;
    run.script.tracePath = path[0] == '/' ? path : startFolder() + path;
}

void setDriverEndsOnBack(bool on) { run.endsOnBack = on; }

bool driverRunning() { return run.configured && run.started; }

bool driverPlaysRecording() { return driverRunning() && run.script.recordingVersion != 0; }

int64_t driverFramesPresented() { return run.presented; }

bool driverClosesFinishedLevel() {
    const std::vector<int64_t>& closes = run.script.closes;
    return std::binary_search(closes.begin(), closes.end(), run.presented + 1);
}

bool driverLevelMatches(int level, uint64_t contentHash, std::string& why) {
    const int64_t frame = run.presented + 1;
    char here[24];
    std::snprintf(here, sizeof here, "%016llx", static_cast<unsigned long long>(contentHash));
    for (const DriverScript::LevelStart& start : run.script.levels) {
        if (start.frame != frame) continue;
        if (start.level == level && start.contentHash == contentHash) return true;
        char recorded[24];
        std::snprintf(recorded, sizeof recorded, "%016llx",
                      static_cast<unsigned long long>(start.contentHash));
        why = start.level == level
                  ? "level " + std::to_string(level) + " is not the level the recording was made " +
                        "with (content " + recorded + ", here " + here + ")"
                  : "in frame " + std::to_string(frame) + " the recording started level " +
                        std::to_string(start.level) + ", the replay level " +
                        std::to_string(level) + ": the recording was changed";
        return false;
    }
    why = "in frame " + std::to_string(frame) + " the replay started level " +
          std::to_string(level) + ", the recording started none: the recording was changed";
    return false;
}

bool driverPlayerName(std::string& name) {
    if (!run.configured || !run.script.hasPlayerName) return false;
    name = run.script.playerName;
    return true;
}
