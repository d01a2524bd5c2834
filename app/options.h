// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The program's command line: what the player or a packager can ask for when starting the game.
#pragma once

#include <string>

struct ProgramOptions {
    int fullScreen = -1;       // 1 --fullscreen, 0 --windowed or --scale, -1 not asked
    int windowScale = 0;       // --scale N; 0 when not given
    std::string saveDir;       // --save-dir; empty when not given
    std::string dataDir;       // --data-dir; empty when not given
    std::string driverScript;  // --driver; empty when not given
    std::string levels;        // --levels: a level pack's folder or name; empty when not given
    std::string checkLevels;   // --check-levels: a pack folder to check only; empty when not given
    // Recordings: at most one of --record, --play, --timedemo, --verify (and not with --driver).
    std::string recordFile, playFile, timedemoFile, verifyFile;
    std::string traceFile;  // --trace; empty when not given
};

// Reads the command line into `out`. Returns -1 when the game should start; otherwise the exit
// status the program ends with: 0 after --help (usage on standard output) or --version, 2 after
// an unknown option, a missing or bad value or a stray argument (one line with the reason, then
// "Try 'crumlet --help'.", on standard error).
int parseProgramOptions(int argc, char** argv, ProgramOptions& out);
