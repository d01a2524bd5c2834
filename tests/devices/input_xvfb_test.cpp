// Real key events from the X server (xdotool) through the platform's window.
#include "devices/input.h"
#include "platform/input_testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

bool xdotool(const std::string& args) {
    const std::string command = "xdotool " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

class RealKeys : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool missing";
        ASSERT_TRUE(platformTestOpenWindow(640, 480));
        openInput(false);
        platformTestFocusWindow();
    }
    void TearDown() override {
        xdotool("keyup Up keyup a keyup shift");
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
    EXPECT_TRUE(within(1000, [] { return isKeyDown(200) == 1; }));
    EXPECT_EQ(isKeyDown(203), 0);
    ASSERT_TRUE(xdotool("keyup Up"));
    EXPECT_TRUE(within(1000, [] { return isKeyDown(200) == 0; }));
}

TEST_F(RealKeys, HeldATypesOneLetterAndShiftMakesItCapital) {
    ASSERT_TRUE(xdotool("keydown a"));
    int typed = 0;
    ASSERT_TRUE(within(1000, [&] { return (typed = typedCharCode()) != 0; }));
    EXPECT_EQ(typed, 'a');
    for (int frame = 0; frame < 10; ++frame) {
        platformTestPump(10);
        EXPECT_EQ(typedCharCode(), 0) << "frame " << frame;
    }
    ASSERT_TRUE(xdotool("keyup a"));
    EXPECT_TRUE(within(1000, [] { return isKeyDown(30) == 0; }));
    EXPECT_EQ(typedCharCode(), 0);

    ASSERT_TRUE(xdotool("keydown shift keydown a"));
    ASSERT_TRUE(within(1000, [&] { return (typed = typedCharCode()) != 0; }));
    EXPECT_EQ(typed, 'A');
    EXPECT_EQ(isKeyDown(42), 1);
    ASSERT_TRUE(xdotool("keyup a keyup shift"));
}

}  // namespace
