// The runtime's millisecond clock (monotonic) and sleeping.
#include <time.h>

#include <cerrno>
#include <cmath>

#include "runtime/lifecycle.h"

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

void sleepMs(double ms) {
    if (!(ms >= 1)) return;
    double whole = std::trunc(ms > 2147483647.0 ? 2147483647.0 : ms);
    long long total = static_cast<long long>(whole);
    timespec wait{static_cast<time_t>(total / 1000), static_cast<long>((total % 1000) * 1000000)};
    timespec rest;
    while (nanosleep(&wait, &rest) != 0 && errno == EINTR) wait = rest;
}
