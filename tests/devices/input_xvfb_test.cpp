// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Real key events from the X server (xdotool) through the platform's window.
#include "devices/input.h"
#include "platform/platform.h"
#include "tests/support/input_testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// How long an event may take to come round from the X server; generous, since a loaded machine
// can be slow to schedule it and a passing check returns as soon as it holds.
constexpr int kEventWait = 5000;

bool xdotool(const std::string& args) {
    const std::string command = "xdotool " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

class RealKeys : public ::testing::Test {
  protected:
    virtual bool capturesMouse() const { return false; }
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xdotool missing";
        ASSERT_TRUE(platformTestOpenWindow(640, 480)) << "no window, or it never got the keyboard";
        openInput(capturesMouse());
    }
    void TearDown() override {
        xdotool("keyup Up keyup a keyup 1 keyup shift");
        closeInput();
        platformTestCloseWindow();
    }
    // Polls until the condition holds, pumping events; true when it did.
    template <class F>
    static bool within(int milliseconds, F condition) {
        for (int t = 0; t < milliseconds; t += 10) {
            if (condition()) return true;
            platformTestPump(10);
        }
        return condition();
    }
};

TEST_F(RealKeys, UpArrowIsKey200WhileHeld) {
    EXPECT_EQ(isKeyDown(200), 0);
    ASSERT_TRUE(xdotool("keydown Up"));
    EXPECT_TRUE(within(kEventWait, [] { return isKeyDown(200) == 1; }));
    EXPECT_EQ(isKeyDown(203), 0);
    ASSERT_TRUE(xdotool("keyup Up"));
    EXPECT_TRUE(within(kEventWait, [] { return isKeyDown(200) == 0; }));
}

TEST_F(RealKeys, HeldATypesOneLetterAndShiftMakesItCapital) {
    ASSERT_TRUE(xdotool("keydown a"));
    int typed = 0;
    ASSERT_TRUE(within(kEventWait, [&] { return (typed = typedCharCode()) != 0; }));
    EXPECT_EQ(typed, 'a');
    for (int frame = 0; frame < 10; ++frame) {
        platformTestPump(10);
        EXPECT_EQ(typedCharCode(), 0) << "frame " << frame;
    }
    ASSERT_TRUE(xdotool("keyup a"));
    EXPECT_TRUE(within(kEventWait, [] { return isKeyDown(30) == 0; }));
    EXPECT_EQ(typedCharCode(), 0);

    ASSERT_TRUE(xdotool("keydown shift keydown a"));
    ASSERT_TRUE(within(kEventWait, [&] { return (typed = typedCharCode()) != 0; }));
    EXPECT_EQ(typed, 'A');
    EXPECT_EQ(isKeyDown(42), 1);
    ASSERT_TRUE(xdotool("keyup a keyup shift"));
}

TEST_F(RealKeys, ShiftedCharactersComeFromTheLayout) {
    // US layout: Shift with the 1 key types '!', with the minus key '_'.
    ASSERT_TRUE(xdotool("keydown shift keydown 1"));
    int typed = 0;
    ASSERT_TRUE(within(kEventWait, [&] { return (typed = typedCharCode()) != 0; }));
    EXPECT_EQ(typed, '!');
    ASSERT_TRUE(xdotool("keyup 1 keyup shift"));
    EXPECT_TRUE(within(kEventWait, [] { return isKeyDown(2) == 0 && isKeyDown(42) == 0; }));
    typedCharCode();
    // Without Shift the same key types its digit again.
    ASSERT_TRUE(xdotool("keydown 1"));
    ASSERT_TRUE(within(kEventWait, [&] { return (typed = typedCharCode()) != 0; }));
    EXPECT_EQ(typed, '1');
    ASSERT_TRUE(xdotool("keyup 1"));
    EXPECT_TRUE(within(kEventWait, [] { return isKeyDown(2) == 0; }));
}

TEST_F(RealKeys, ATapOfPPausesOnlyWhileALevelAllowsIt) {
    // A tap shorter than a frame: the press is remembered even though the key is up again.
    allowPauseKey(1);
    ASSERT_TRUE(xdotool("key p"));
    EXPECT_TRUE(within(kEventWait, [] { return takePauseRequest(); }));
    EXPECT_FALSE(takePauseRequest());  // once per press

    // In a menu P is a letter; its press does not wait for the next level either.
    allowPauseKey(0);
    ASSERT_TRUE(xdotool("key p keydown Up"));
    ASSERT_TRUE(within(kEventWait, [] { return isKeyDown(200) == 1; }));
    EXPECT_FALSE(takePauseRequest());
    allowPauseKey(1);
    EXPECT_FALSE(takePauseRequest());
    allowPauseKey(0);
}

}  // namespace

namespace {

// The pointer on a 640 x 480 window showing the 320 x 240 logical screen at
// twice its size.
class RealMouse : public RealKeys {
  protected:
    static bool moveTo(int windowX, int windowY) {
        return xdotool("mousemove --window $(xdotool search --name 'input test' | head -n 1) " +
                       std::to_string(windowX) + " " + std::to_string(windowY));
    }
    static void nextFrame() {
        platformTestPump(30);
        markMouseStale();
    }
};

TEST_F(RealMouse, PositionIsInLogicalPixelsAndClamped) {
    ASSERT_TRUE(moveTo(200, 100));
    double x = -1, y = -1, b1 = -1, b2 = -1;
    EXPECT_TRUE(within(kEventWait,
                       [&] {
                           nextFrame();
                           readMouse(x, y, b1, b2);
                           return x == 100 && y == 50;
                       }))
        << x << "," << y;
    EXPECT_EQ(b1, 0);
    EXPECT_EQ(b2, 0);
    // Moving 40 window pixels right is 20 logical pixels of motion.
    ASSERT_TRUE(moveTo(240, 100));
    double dx = 0;
    EXPECT_TRUE(within(kEventWait, [&] {
        nextFrame();
        dx = mouseAxis(0);
        return dx != 0;
    }));
    EXPECT_EQ(dx, 20);
    EXPECT_EQ(mouseAxis(0), 20);  // same frame: the remembered motion
    nextFrame();
    EXPECT_EQ(mouseAxis(0), 0);
    // A position set far outside comes back clamped to the screen when read
    // within the same frame (no new sample moves it).
    moveMouseTo(5000, -40);
    double cx = 0, cy = 0;
    readMouse(cx, cy, b1, b2);
    EXPECT_EQ(cx, 319);
    EXPECT_EQ(cy, 0);
}

TEST_F(RealMouse, BlackBordersAreLeftOutOfThePosition) {
    // 700 x 500 shows the screen twice as large with borders of 30 and 10.
    platformSetWindowSize(700, 500, false);
    platformTestPump(100);
    ASSERT_TRUE(moveTo(230, 110));
    double x = -1, y = -1, b1 = 0, b2 = 0;
    EXPECT_TRUE(within(kEventWait,
                       [&] {
                           nextFrame();
                           readMouse(x, y, b1, b2);
                           return x == 100 && y == 50;
                       }))
        << x << "," << y;
    // On the border the position is clamped to the screen's edge.
    ASSERT_TRUE(moveTo(5, 5));
    EXPECT_TRUE(within(kEventWait,
                       [&] {
                           nextFrame();
                           readMouse(x, y, b1, b2);
                           return x == 0 && y == 0;
                       }))
        << x << "," << y;
}

TEST_F(RealMouse, ButtonsAndWheel) {
    ASSERT_TRUE(moveTo(320, 240));
    platformTestPump(50);
    ASSERT_TRUE(xdotool("mousedown 1"));
    EXPECT_TRUE(within(kEventWait, [] { return mouseAxis(3) == 1; }));
    EXPECT_EQ(mouseAxis(4), 0);
    ASSERT_TRUE(xdotool("mouseup 1 mousedown 3"));
    EXPECT_TRUE(within(kEventWait, [] { return mouseAxis(4) == 1 && mouseAxis(3) == 0; }));
    ASSERT_TRUE(xdotool("mouseup 3"));
    EXPECT_TRUE(within(kEventWait, [] { return mouseAxis(4) == 0; }));

    nextFrame();
    mouseAxis(2);                     // take whatever wheel motion was pending
    ASSERT_TRUE(xdotool("click 4"));  // wheel away from the user
    double wheel = 0;
    EXPECT_TRUE(within(kEventWait, [&] {
        nextFrame();
        wheel = mouseAxis(2);
        return wheel != 0;
    }));
    EXPECT_EQ(wheel, 1);
    ASSERT_TRUE(xdotool("click 5 click 5"));
    EXPECT_TRUE(within(kEventWait, [&] {
        nextFrame();
        wheel = mouseAxis(2);
        return wheel != 0;
    }));
    EXPECT_EQ(wheel, -1);  // a direction, not a count
    EXPECT_EQ(mouseAxis(6), 0);
    EXPECT_EQ(mouseAxis(-1), 0);
}

TEST_F(RealMouse, HiddenPointerIsPutBackAndMeasured) {
    ASSERT_TRUE(moveTo(320, 240));
    platformTestPump(50);
    setPointerVisible(0);
    nextFrame();
    MouseState s;
    readMouseState(s);  // settles the pointer at the window's centre
    platformTestPump(50);
    nextFrame();
    readMouseState(s);
    platformTestPump(50);
    double x0 = 0, y0 = 0, b1 = 0, b2 = 0;
    moveMouseTo(150, 150);
    ASSERT_TRUE(moveTo(360, 220));  // 40 right, 20 up of the centre
    platformTestPump(50);
    nextFrame();
    ASSERT_TRUE(readMouseState(s));
    EXPECT_EQ(s.dx, 20);
    EXPECT_EQ(s.dy, -10);
    readMouse(x0, y0, b1, b2);
    EXPECT_EQ(x0, 170);
    EXPECT_EQ(y0, 140);
    // The pointer went back to the centre, so the next frame sees no motion.
    platformTestPump(50);
    nextFrame();
    ASSERT_TRUE(readMouseState(s));
    EXPECT_EQ(s.dx, 0);
    EXPECT_EQ(s.dy, 0);
    setPointerVisible(1);
}

}  // namespace

namespace {

// The captured mouse: relative motion, the pointer hidden, the runtime's
// position following the motion.
class CapturedMouse : public RealKeys {
  protected:
    bool capturesMouse() const override { return true; }
};

TEST_F(CapturedMouse, MotionMovesTheRuntimePosition) {
    moveMouseTo(100, 100);
    markMouseStale();
    MouseState s;
    readMouseState(s);  // start from here
    int total = 0;
    for (int i = 0; i < 100 && total < 15; ++i) {
        if (i % 20 == 0) xdotool("mousemove_relative -- 20 0");
        platformTestPump(10);
        markMouseStale();
        ASSERT_TRUE(readMouseState(s));
        total += s.dx;
    }
    EXPECT_GE(total, 10);
    double x = 0, y = 0, b1 = 0, b2 = 0;
    markMouseStale();
    readMouse(x, y, b1, b2);
    EXPECT_EQ(x, 100 + total);
    EXPECT_EQ(y, 100);
}

}  // namespace
