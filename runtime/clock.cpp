// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The runtime's one clock: monotonic milliseconds, the runtime clock's stamps, and sleeping.
#include <time.h>

#include <cerrno>
#include <cmath>

#include "runtime/lifecycle.h"

namespace {

bool sleepsSkipped = false;

void sleepNanoseconds(long long total) {
    timespec wait{static_cast<time_t>(total / 1000000000), static_cast<long>(total % 1000000000)};
    timespec rest;
    while (nanosleep(&wait, &rest) != 0 && errno == EINTR) wait = rest;
}

}  // namespace

double timeStampMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void resetRuntimeClock() {
    double now = timeStampMs();
    runtimeState.startTime = now;
    runtimeState.frameTime = now;
    runtimeState.previousFrameTime = now;
}

double elapsedMs() { return timeStampMs() - runtimeState.startTime; }

void setSleepsSkipped(bool skipped) { sleepsSkipped = skipped; }

void sleepMs(double ms) {
    if (!(ms >= 1) || sleepsSkipped) return;
    double whole = std::trunc(ms > 2147483647.0 ? 2147483647.0 : ms);
    sleepNanoseconds(static_cast<long long>(whole) * 1000000);
}

void sleepMicroseconds(int microseconds) {
    if (microseconds > 0) sleepNanoseconds(static_cast<long long>(microseconds) * 1000);
}
