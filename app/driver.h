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
// A recording (app/recorder.h) is such a script too; played by the driver it also fixes the
// characters typed and the frames in which finished levels close, and checks the levels' content.
// The format is described in docs/driver.md.
#pragma once

#include <cstdint>
#include <string>

#include "app/driver_script.h"

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

// ---- Recordings and the program's own replays ----------------------------------------------

// Runs this already parsed script (a recording the program was asked to play back or check)
// instead of one named by --driver or TOVRIK_DRIVER.
void configureDriverScript(const DriverScript& script);
// Keeps a trace in this file (relative to the folder the program was started from) even when no
// script plays: a recorded session's trace. Before startDriver; empty: none.
void setDriverTracePath(const std::string& path);
// Playback: the player's back key (Escape) or the controller's Back ends the program.
void setDriverEndsOnBack(bool on);
// True while a script plays the keyboard; driverPlaysRecording while that script is a recording.
bool driverRunning();
bool driverPlaysRecording();
// Frames presented since startDriver.
int64_t driverFramesPresented();
// While a recording plays: true when the recording says the finished level closed in the frame
// being worked out (its closing sound is then not asked).
bool driverClosesFinishedLevel();
// While a recording plays: the game starts `level` with content `contentHash` in the frame being
// worked out. False with the reason when the recording started no such level there: it was made
// with other levels, or it was changed.
bool driverLevelMatches(int level, uint64_t contentHash, std::string& why);
// The name a script gives the player at start-up ("player"); false when it gives none.
bool driverPlayerName(std::string& name);
