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
};

// Reads the command line into `out`. Returns -1 when the game should start; otherwise the exit
// status the program ends with: 0 after --help (usage on standard output) or --version, 2 after
// an unknown option, a missing or bad value or a stray argument (one line with the reason, then
// "Try 'crumlet --help'.", on standard error).
int parseProgramOptions(int argc, char** argv, ProgramOptions& out);
