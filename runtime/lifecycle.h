// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The life of the process around the game: settings, runtime state, error codes, the orderly
// stop, the millisecond clock and the small debugging aids.
//
// Stopping: stopProgram releases the registered services in a fixed order (renderer, input,
// sound, archives, window), closes the file channels, runs the exit clean-ups, appends the
// error-code lines to the error log in debug mode and ends the process. A normal end (the
// game returns, endProgram, the window is closed) completes the saves still open and exits
// with status 0, whatever code an operation that went on recorded before; after a runtime
// error (runtimeError: code 3, 7, 9, 20) the open saves are dropped, the status is the error
// code and one line naming it (and what it concerned, when known) goes to standard error, so a
// failure never looks like success. A normal end whose saves cannot be completed is runtime
// error 3. Output streams are flushed; static destructors do not run.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/text.h"

struct RuntimeSettings {
    int32_t screenWidth = 320;
    int32_t screenHeight = 240;
    int32_t fullScreen = 1;
    int32_t frameRate = 60;
    int32_t multisample = 0;
    int32_t captureMouse = 0;
    int32_t debugMode = 0;
    int32_t windowScale =
        0;  // windowed size as this whole multiple of the screen; 0: largest that fits
};
extern RuntimeSettings runtimeSettings;

struct RuntimeState {
    double errorCode = 0;
    double errorLine = 0;
    double currentUnit = 0;
    double currentLine = 0;
    TextValue applicationName;
    void* mainWindow = nullptr;  // the platform's window, owned by the window service
    uint8_t autoPause = 0;
    uint8_t paused = 0;
    uint8_t escapeEnds = 1;
    uint8_t hasPerformanceCounter = 1;  // the monotonic clock is always there
    double counterFrequency = 1000.0;
    double startTime = 0;
    double frameTime = 0;
    double previousFrameTime = 0;
    uint8_t stopping = 0;  // set once stopProgram or endAndRun has begun
    uint8_t failed = 0;    // set by runtimeError: the stop that follows is a failure
};
extern RuntimeState runtimeState;

// Runtime error codes.
constexpr int kErrorNone = 0;
constexpr int kErrorFileTransfer = 3;
constexpr int kErrorRange = 7;  // argument out of range or no storage
constexpr int kErrorIndex = 9;
constexpr int kErrorNoData = 20;

// errorCode := code; errorLine := currentLine; returns the code.
double setErrorCode(double code);
void setSourcePosition(double unit, double line);
// setErrorCode(code), then stopProgram (or the runtime error handler, when one is set).
[[noreturn]] void runtimeError(double code);
// The same with what went wrong, for the line on standard error (for code 3 the file and the
// system's reason: "/home/ann/.local/share/crumlet/Maps/Data.bin: Permission denied").
[[noreturn]] void runtimeError(double code, const std::string& detail);
// Takes runtime errors over from stopProgram for code that must survive them, such as a fuzzing
// harness that feeds one damaged file after another to a reader: runtimeError records the code and
// calls the handler, which must not return (it throws back to its own loop). nullptr restores the
// stop. The game never sets one.
void setRuntimeErrorHandler(void (*handler)(int code));
// What the program keeps when it is stopped without going through its own way out (the window
// closed, Alt+F4, SIGTERM, a driver's quit): stopProgram runs it once, before the services are
// released, unless the stop follows a runtime error. nullptr removes it.
void setStopSave(void (*save)());
[[noreturn]] void stopProgram();
[[noreturn]] void endProgram();  // setErrorCode(0), stopProgram
// The status a normal end exits with (0 unless set): a run that checks something, such as a
// replay's verification, ends normally and still reports what it found.
void setNormalExitStatus(int status);
// Shuts the runtime down, runs `command` through /bin/sh in the current directory as a new
// process, and exits with status 0.
[[noreturn]] void endAndRun(const TextValue& command);

// ---- shutdown registry ----------------------------------------------------------------------
enum class ServiceStage { Renderer, Input, Sound, Archives, Window };
// Registers (or with nullptr removes) the release routine of a service.
void setServiceRelease(ServiceStage stage, void (*release)());
// Calls the registered releases in the fixed stage order, each at most once.
void shutdownRuntime();
// Routines run by stopProgram and endAndRun after shutdownRuntime, in registration order.
void addExitCleanup(void (*fn)());

// ---- flags ----------------------------------------------------------------------------------
void setAutoPause(double flag);
void setEscapeEnds(double flag);

// ---- clock ----------------------------------------------------------------------------------
// Monotonic clock in milliseconds.
double timeStampMs();
// Sets startTime, frameTime and previousFrameTime to the current time stamp.
void resetRuntimeClock();
// Milliseconds since startTime.
double elapsedMs();
// Blocks for the truncated number of milliseconds (nothing for 0 or less).
void sleepMs(double ms);
// On: sleepMs returns at once, for a run that goes as fast as it can (a replay timed or checked)
// and so must skip the waits the game makes between its frames too. Off by default.
void setSleepsSkipped(bool skipped);
// The same in microseconds, for the last fraction of a frame's wait.
void sleepMicroseconds(int microseconds);

// ---- debugging aids -------------------------------------------------------------------------
// True when a debugger (tracer) is attached to the process.
bool debuggerAttached();
// With a debugger attached: "TX" + text to standard error.
void debugPrint(const TextValue& text);
// With a debugger attached: runs the break hook (hide the window, reset input), sends "BP" +
// value in lower-case hex, clears `paused`.
void debugBreak(int value);
void setDebugBreakHook(void (*hook)());

// ---- call by name ---------------------------------------------------------------------------
struct RoutineEntry {
    const char* name;  // nullptr or "" ends the table
    void (*routine)();
};
// The game's routine table, sorted by name, ended by an empty entry.
void setRoutineTable(const RoutineEntry* table);
// Runs the routine of exactly that name and returns 1; 0 (and a debug text) when none matches.
double callByName(const TextValue& name);

// ---- command line ---------------------------------------------------------------------------
void setCommandLine(const char* line);
TextValue commandLine();

// ---- error log and temporary folder ---------------------------------------------------------
// The private per-user folder ${TMPDIR:-/tmp}/tovrik-<uid>/ (mode 0700, created when missing),
// with a final '/'. When that folder is refused, a fresh private folder for this run, said once on
// standard error (runtime/temp_folder.h); empty only when no folder at all can be made.
std::string userTempFolder();
// Full path of "ErrorLog.txt" in that folder (empty when there is no folder).
std::string errorLogPath();
// Deletes the error log (start-up does this).
void deleteErrorLog();
// Appends line + "\r\n" in one open-append-close cycle (5 attempts 100 ms apart).
void appendErrorLog(const char* line);
