// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The runtime's start-up: the window and every service, in a fixed order, before the game's main
// routine runs. The program entry fills runtimeSettings first.
#pragma once

#include <string>

// Brings the runtime up: renderer, window and OpenGL context, error log, input, sound, random
// seed, display mode, working directory (the program's folder), media archives, the default font
// and the "Loading..." screen, then prints "Init OK" on standard output. showCommand 0 starts with
// the window hidden. When no window with an OpenGL context can be made, the reason goes to
// standard error and the process ends with status 1 (the program cannot run without one), so
// start-up always returns with every service up.
void startRuntime(const char* applicationName, int showCommand = 1);

// A failure that ends the program before the game can start (no usable data folder, the player
// folder in use by another running program, no window): `line` (without its line end) goes to
// standard error. After showStartFailuresInBoxes (the program entry calls it; tests never do), the
// same text also goes into a message box with that title when standard error is not a terminal (a
// start from a desktop entry, whose output nobody reads), a display is there and no driver script
// runs; the call then returns when the player has closed the box.
void reportStartFailure(const std::string& line);
void showStartFailuresInBoxes(const char* title);
// The box alone, for a failure whose line is already on standard error.
void showStartFailureBox(const std::string& text);
