// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Measures how long the input service takes to come up, with and without the
// joystick subsystem, over a number of rounds. Prints milliseconds per round.
// Usage: devices_startup_probe [rounds]
//        devices_startup_probe --runtime   (the whole runtime start-up once)
#include "app/startup.h"
#include "devices/input.h"
#include "devices/sound.h"
#include "platform/platform_input.h"
#include "runtime/lifecycle.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--runtime") == 0) {
        runtimeSettings.fullScreen = 0;
        const double t0 = nowMs();
        startRuntime("probe");
        const double t1 = nowMs();
        std::printf("runtime start-up %.3f ms\n", t1 - t0);
        std::fflush(stdout);
        shutdownRuntime();
        return 0;
    }
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    double keyboardMouse = 0, joysticks = 0, sound = 0;
    for (int i = 0; i < rounds; ++i) {
        double t0 = nowMs();
        platformKeyboardOpen();
        platformMouseOpen(false);
        double t1 = nowMs();
        platformJoysticksOpen(10);
        double t2 = nowMs();
        keyboardMouse += t1 - t0;
        joysticks += t2 - t1;
        platformJoysticksClose();
        platformMouseClose();
        platformKeyboardClose();
        t0 = nowMs();
        openSound();
        t1 = nowMs();
        closeSound();
        sound += t1 - t0;
    }
    std::printf(
        "rounds %d: keyboard+mouse %.3f ms, joystick subsystem + open %.3f ms, sound device %.3f "
        "ms\n",
        rounds, keyboardMouse / rounds, joysticks / rounds, sound / rounds);
    return 0;
}
