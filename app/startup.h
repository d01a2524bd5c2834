// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The runtime's start-up: the window and every service, in a fixed order, before the game's main
// routine runs. The program entry fills runtimeSettings first.
#pragma once

// Brings the runtime up: renderer, window and OpenGL context, error log, input, sound, random
// seed, display mode, working directory (the program's folder), media archives, the default font
// and the "Loading..." screen, then prints "Init OK" on standard output. showCommand 0 starts with
// the window hidden. When no window with an OpenGL context can be made, the reason goes to
// standard error and the process ends with status 1 (the program cannot run without one), so
// start-up always returns with every service up.
void startRuntime(const char* applicationName, int showCommand = 1);
