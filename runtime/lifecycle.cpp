// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Runtime state, error codes, the shutdown registry and the ways the program ends.
#include "runtime/lifecycle.h"

#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/convert.h"
#include "runtime/files.h"

extern char** environ;

RuntimeSettings runtimeSettings;
RuntimeState runtimeState;

namespace {

constexpr int kStageCount = 5;
void (*serviceReleases[kStageCount])() = {};

constexpr int kMaxExitCleanups = 32;
void (*exitCleanups[kMaxExitCleanups])() = {};
int exitCleanupCount = 0;
int normalExitStatus = 0;  // what a normal end exits with

std::string errorDetail;  // what the runtime error concerned; empty when nothing more is known
void (*errorHandler)(int code) = nullptr;
void (*stopSave)() = nullptr;

const char* errorMeaning(int code) {
    switch (code) {
        case kErrorFileTransfer:
            return "a file read or write transferred fewer bytes than asked";
        case kErrorRange:
            return "argument out of range or no storage";
        case kErrorIndex:
            return "array index out of range";
        case kErrorNoData:
            return "no data item left to read";
        default:
            return "error";
    }
}

// After the services are gone: close the file channels (a write in progress is completed
// only on a normal end) and run the exit clean-ups, each once. False when a save that a normal
// end completes could not be put in place.
bool finishRuntime(bool normalEnd) {
    bool saved = releaseFileChannels(normalEnd);
    for (int i = 0; i < exitCleanupCount; ++i) {
        void (*fn)() = exitCleanups[i];
        exitCleanups[i] = nullptr;
        if (fn) fn();
    }
    return saved;
}

// Ends the process at once after flushing every output stream. Static destructors are not
// run: services are already released, saves are committed and the clean-ups have run, and a
// destructor meeting a half-stopped library (an audio thread, a driver) must not turn the
// exit status into a crash.
[[noreturn]] void exitProcess(int status) {
    std::fflush(nullptr);
    _exit(status);
}

void logEndLines() {
    char line[32];
    const double values[4] = {runtimeState.errorCode, runtimeState.errorLine - 1,
                              runtimeState.currentLine, runtimeState.currentUnit};
    appendErrorLog("-End On Line");
    for (double v : values) {
        std::snprintf(line, sizeof line, "%d", static_cast<int>(truncateToInt32(v)));
        appendErrorLog(line);
    }
}

}  // namespace

double setErrorCode(double code) {
    runtimeState.errorCode = code;
    runtimeState.errorLine = runtimeState.currentLine;
    return code;
}

void setSourcePosition(double unit, double line) {
    runtimeState.currentUnit = unit;
    runtimeState.currentLine = line;
}

void runtimeError(double code) {
    setErrorCode(code);
    if (errorHandler) errorHandler(truncateToInt32(code));
    runtimeState.failed = 1;
    stopProgram();
}

void runtimeError(double code, const std::string& detail) {
    errorDetail = detail;
    runtimeError(code);
}

void setRuntimeErrorHandler(void (*handler)(int code)) { errorHandler = handler; }

void setStopSave(void (*save)()) { stopSave = save; }

void setServiceRelease(ServiceStage stage, void (*release)()) {
    int i = static_cast<int>(stage);
    if (i >= 0 && i < kStageCount) serviceReleases[i] = release;
}

void shutdownRuntime() {
    for (int i = 0; i < kStageCount; ++i) {
        void (*release)() = serviceReleases[i];
        serviceReleases[i] = nullptr;  // cleared first: a stop from inside a release skips it
        if (release) release();
    }
    runtimeState.mainWindow = nullptr;
}

void addExitCleanup(void (*fn)()) {
    if (fn == nullptr) return;
    for (int i = 0; i < exitCleanupCount; ++i)
        if (exitCleanups[i] == fn) return;
    if (exitCleanupCount < kMaxExitCleanups) exitCleanups[exitCleanupCount++] = fn;
}

void stopProgram() {
    runtimeState.stopping = 1;
    // Cleared before it runs: a runtime error inside it stops again, as the failure it is.
    if (void (*save)() = stopSave; save != nullptr && runtimeState.failed == 0) {
        stopSave = nullptr;
        save();
    }
    shutdownRuntime();
    // Only a runtime error makes the stop a failure. A code that an operation recorded before
    // going on (a line file that could not be read, an entry number out of range) leaves a
    // later normal end a normal end: the saves are completed and the status is 0.
    if (!finishRuntime(runtimeState.failed == 0)) {
        setErrorCode(kErrorFileTransfer);  // a save the normal end completes could not be kept
        runtimeState.failed = 1;
    }
    if (runtimeSettings.debugMode) logEndLines();
    int code = truncateToInt32(runtimeState.errorCode);
    int status = normalExitStatus;
    if (runtimeState.failed != 0 && code != 0) {
        status = (code > 0 && code < 256) ? code : 1;
        int line = truncateToInt32(runtimeState.currentLine);
        std::string where = line != 0 ? " at line " + std::to_string(line) : std::string();
        if (!errorDetail.empty()) where += ": " + errorDetail;
        std::fprintf(stderr, "Tovrik: runtime error %d (%s)%s\n", code, errorMeaning(code),
                     where.c_str());
    }
    exitProcess(status);
}

void setNormalExitStatus(int status) { normalExitStatus = status; }

void endProgram() {
    setErrorCode(0);
    stopProgram();
}

void endAndRun(const TextValue& command) {
    TextValue line(command);
    textReserve(line, 256);
    runtimeState.stopping = 1;
    shutdownRuntime();
    finishRuntime(true);
    std::fflush(nullptr);
    // The runtime's own descriptors are close-on-exec, so the new process inherits only the
    // standard streams.
    char shell[] = "/bin/sh";
    char flag[] = "-c";
    char* argv[] = {shell, flag, line.buffer, nullptr};
    pid_t pid;
    posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ);
    exitProcess(0);
}

void setAutoPause(double flag) { runtimeState.autoPause = flag != 0 ? 1 : 0; }
void setEscapeEnds(double flag) { runtimeState.escapeEnds = flag != 0 ? 1 : 0; }
