// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The scripted driver: runs the real program from a plain-text script instead of a player, for
// end-to-end tests and for watching a session frame by frame.
//
// Off unless asked for, by the environment variable TOVRIK_DRIVER=<script> or the command-line
// option "--driver <script>" (also "--driver=<script>"), which wins. While it is on:
// - the keyboard snapshot of every frame comes from the script, not from the device;
// - the random generator is seeded with the script's seed instead of the clock;
// - frame pacing can be switched off;
// - the logical screen is written to PNG files at the frames the script names;
// - a state trace gets the lines the program writes to it (the game: one per level frame).
// The format is described in docs/driver.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One directive of a parsed script. Frames count the presented frames from 1, starting with the
// first frame after start-up.
struct DriverScript {
    bool hasSeed = false;
    int32_t seed = 0;
    bool pacing = true;
    std::string tracePath;  // empty: no trace
    struct KeySpan {
        int64_t from, to;  // inclusive frame range
        std::vector<int> keys;
    };
    std::vector<KeySpan> keys;
    struct Shot {
        int64_t frame;
        std::string path;
    };
    std::vector<Shot> shots;
    int64_t quitFrame = 0;  // 0: never
};

// The last frame a script may name (about 46 hours at 60 frames per second).
constexpr int64_t kMaxDriverFrame = 10000000;
// No script comes near this size.
constexpr size_t kMaxDriverScriptBytes = 1024 * 1024;

// Parses a script. Relative file names are taken relative to baseDir (which ends in '/' or is
// empty). A UTF-8 byte-order mark at the start is skipped. False with a message naming the line
// when the script is not understood: an unknown directive or key, a frame number outside
// 1..kMaxDriverFrame, a zero byte.
bool parseDriverScript(const std::string& text, const std::string& baseDir, DriverScript& out,
                       std::string& error);

// Reads a script file (a regular file of at most kMaxDriverScriptBytes) and parses it. False with
// a message when the file cannot be read or the script is not understood.
bool loadDriverScript(const std::string& path, const std::string& baseDir, DriverScript& out,
                      std::string& error);

// The keyboard snapshot (bit 7 = held) the script gives for a frame.
void driverKeysForFrame(const DriverScript& script, int64_t frame, unsigned char keys[256]);

// Loads the script named on the command line (`--driver`, given here as commandLineScript) or
// else by the environment variable TOVRIK_DRIVER, before the runtime starts (file names are then
// still relative to the folder the program was started from). A script that cannot be read or
// parsed ends the process with status 2 and a message on standard error. Does nothing when the
// driver is not asked for.
void configureDriver(const std::string& commandLineScript);

// True once configureDriver has loaded a script: nobody is watching the run, and nothing may wait
// for a person (such as a message box).
bool driverConfigured();

// After the runtime's start-up: seeds the generator, sets pacing, injects the first frame's keys
// and hooks itself into the frame present. Does nothing when the driver is off.
void startDriver();

// True while the script asked for a trace; then driverWriteTrace appends one line (without its
// line end) to it, flushed at once so a killed run keeps every line written so far.
bool driverTracing();
void driverWriteTrace(const std::string& line);
