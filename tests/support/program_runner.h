// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The one way tests and benchmarks run the real `crumlet` program: a copy of it, with the media
// of the build's run folder, in a private game folder of fresh save files, started through its
// scripted driver and waited for with a deadline. Its saves stay in that folder
// (CRUMLET_SAVE_DIR), never in the player folder of whoever runs the tests.
//
//   TestFolder scratch{"crumlet-e2e"};
//   ASSERT_EQ(makeGameFolder(scratch.path()), "");
//   writeLevel(scratch.file("Maps"), 1, {...});          // levels of the test's own, if any
//   ProgramRun run = runProgram(scratch.path(), "seed 1\npacing off\nquit 50\n");
//   EXPECT_EQ(run.exitCode, 0) << run.describe();
//
// The script goes to <name>.txt in the folder, standard output and error to <name>.out and
// <name>.err. Without DISPLAY the program runs on SDL's offscreen video driver, and always with
// the dummy audio driver. Linked as tovrik_program_runner, which makes sure the program and its
// data are built first.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/files.h"  // the sessions' checks read what the program wrote

// The program and the run folder this build made.
const std::string& crumletProgram();
const std::string& crumletRunFolder();

// Fills `folder` (which must exist) with a copy of `program`, the media of the run folder
// (Media.kql, smalfont.bmp), a Maps folder with the shipped levels (the program does not start
// without every level the menu can reach; a test overwrites those it writes itself) and fresh
// save files: Player.bin naming `player`, empty Name.bin and Data.bin. Returns "" or what went
// wrong.
std::string makeGameFolder(const std::string& folder, const std::string& player = "eve",
                           const std::string& program = crumletProgram());

struct ProgramOptions {
    std::string name = "session";       // of the script and output files
    int seconds = 120;                  // the deadline; the program is killed after it
    std::vector<std::string> launcher;  // a command to start it under (strace ...), if any
    bool offscreen = false;             // no window even on a display
    // Command-line arguments after the program. With an empty script the driver stays off: the
    // player's keys (or a recording the arguments name) play.
    std::vector<std::string> arguments;
};

struct ProgramRun {
    int exitCode = -1;  // -1 when it did not start, was killed by a signal or ran out of time
    int signal = 0;     // the signal that ended it, if one did
    bool timedOut = false;
    double wallMs = 0;
    double cpuMs = 0;              // user + system time of every thread
    long peakKb = 0;               // peak resident memory
    std::string describe() const;  // "exit 3", "killed by signal 9", "no end within 120 s"
};

// Starts the program of `folder` with the script; returns its process id (-1 when it cannot).
pid_t startProgram(const std::string& folder, const std::string& script,
                   const ProgramOptions& options = {});
// Waits for a started program until the deadline, then kills it.
ProgramRun finishProgram(pid_t pid, int seconds = 120);
// Both at once.
ProgramRun runProgram(const std::string& folder, const std::string& script,
                      const ProgramOptions& options = {});
