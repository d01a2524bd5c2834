// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Frame-grid arithmetic with a fake clock, and the placement of the logical screen in a window.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics/present.h"
#include "platform/platform.h"

namespace {

// A clock that advances only when the code under test sleeps or polls, plus the time the "game"
// spends drawing each frame.
struct FakeClock {
    double now = 1000.0;
    double pollStep = 0.01;  // each busy poll costs this much
    int sleeps = 0;          // 1 ms sleeps
    int shortSleeps = 0;     // shorter ones
    int pendingEvents = 0;
    int serviced = 0;
};

double fakeNow(void* c) {
    auto* f = static_cast<FakeClock*>(c);
    f->now += f->pollStep;
    return f->now;
}
void fakeSleep(void* c, double ms) {
    auto* f = static_cast<FakeClock*>(c);
    f->now += ms;
    if (ms >= 1.0)
        ++f->sleeps;
    else
        ++f->shortSleeps;
}
bool fakeService(void* c) {
    auto* f = static_cast<FakeClock*>(c);
    if (f->pendingEvents == 0) return false;
    --f->pendingEvents;
    ++f->serviced;
    return true;
}

PacingClock clockFor(FakeClock& f) { return PacingClock{fakeNow, fakeSleep, fakeService, &f}; }

}  // namespace

TEST(FramePacing, SlowFramesSkipDeadlinesAndFastFramesDoNotBurst) {
    FakeClock f;
    const double interval = 1000.0 / 60;
    double next = f.now;  // as after construction
    PacingClock clock = clockFor(f);
    std::vector<double> frameStarts;
    // Ten frames that take 40 ms of game work each.
    for (int i = 0; i < 10; ++i) {
        f.now += 40;
        waitForFrameDeadline(next, interval, clock, true);
        frameStarts.push_back(f.now);
        // The deadline is on the grid and the first grid point after now.
        double k = (next - 1000.0) / interval;
        EXPECT_NEAR(k, std::round(k), 1e-6);
        EXPECT_GE(next, f.now);
        EXPECT_LT(next - f.now, interval + 1e-6);
    }
    // No waiting happened for the slow frames: one frame per 40 ms (plus the poll cost).
    for (size_t i = 1; i < frameStarts.size(); ++i)
        EXPECT_NEAR(frameStarts[i] - frameStarts[i - 1], 40.0, 0.1);

    // Fast frames (1 ms of work) are paced at once: every frame starts on its own grid point, one
    // interval after the previous one, never two close together to catch up.
    double previous = -1;
    for (int i = 0; i < 30; ++i) {
        f.now += 1;
        const double deadline = next;
        waitForFrameDeadline(next, interval, clock, true);
        EXPECT_GT(f.now, deadline);
        EXPECT_LT(f.now - deadline, 0.05) << "frame " << i << " left the grid";
        if (previous >= 0) {
            EXPECT_NEAR(f.now - previous, interval, 0.05);
        }
        previous = f.now;
    }
}

TEST(FramePacing, SleepsInStepsAndPollsOnlyTheLastQuarterMillisecond) {
    FakeClock f;
    f.pollStep = 0.001;
    double next = f.now + 10;
    PacingClock clock = clockFor(f);
    double waited = waitForFrameDeadline(next, 1000.0 / 60, clock, true);
    // 10 ms away: 8 one-millisecond sleeps down to 2 ms, about 18 short ones down to 0.25 ms.
    EXPECT_GE(f.sleeps, 7);
    EXPECT_LE(f.sleeps, 9);
    EXPECT_GE(f.shortSleeps, 16);
    EXPECT_LE(f.shortSleeps, 19);
    EXPECT_NEAR(waited, 10 + 1, 0.05);

    FakeClock busy;
    busy.pollStep = 0.001;
    double next2 = busy.now + 10;
    PacingClock clock2 = clockFor(busy);
    waitForFrameDeadline(next2, 1000.0 / 60, clock2, false);
    EXPECT_EQ(busy.sleeps + busy.shortSleeps, 0);
    EXPECT_GT(busy.now, 1000.0 + 10);
}

TEST(FramePacing, EventsAreServicedWhileWaitingAndTwoMsIntervalWithoutCap) {
    FakeClock f;
    f.pendingEvents = 5;
    double next = f.now + 5;
    PacingClock clock = clockFor(f);
    waitForFrameDeadline(next, 2.0, clock, true);
    EXPECT_EQ(f.serviced, 5);

    // An interval of 0 (no grid) does not loop forever.
    double n0 = f.now - 100;
    waitForFrameDeadline(n0, 0.0, clock, true);
    EXPECT_LT(n0, f.now);
}

TEST(LogicalPlacement, WholeFactorsCentredOnBlack) {
    PlatformPlacement p = platformPlacementFor(960, 720, 320, 240);
    EXPECT_EQ(p.scale, 3);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    p = platformPlacementFor(1920, 1080, 320, 240);  // 4 fits (960 high), 5 does not (1200)
    EXPECT_EQ(p.scale, 4);
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.left, 320);
    EXPECT_EQ(p.top, 60);
    p = platformPlacementFor(100, 50, 320, 240);  // smaller than the screen: factor 1, cut
    EXPECT_EQ(p.scale, 1);
    // 85% of a 1280x1024 desktop gives a factor of 3.
    p = platformPlacementFor(1280 * 85 / 100, 1024 * 85 / 100, 320, 240);
    EXPECT_EQ(p.scale, 3);
}

TEST(LogicalPlacement, WindowAndLogicalPixelsConvertBothWays) {
    platformSetLogicalSize(320, 240);
    // Without a window the drawing area is the logical size: factor 1.
    int lx = 0, ly = 0;
    platformWindowToLogical(10, 20, &lx, &ly);
    EXPECT_EQ(lx, 10);
    EXPECT_EQ(ly, 20);
    platformWindowToLogical(-1, -5, &lx, &ly);
    EXPECT_EQ(lx, -1);
    EXPECT_EQ(ly, -5);
    int wx = 0, wy = 0;
    platformLogicalToWindow(319, 239, &wx, &wy);
    EXPECT_EQ(wx, 319);
    EXPECT_EQ(wy, 239);
}
