// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The program's window under a real X server: F12 screenshots, Alt+Enter fullscreen, pause on
// focus loss, and an orderly end on a close request. Skipped without DISPLAY or xdotool.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "graphics/images.h"

#ifndef WINDOW_DEMO_PATH
#error WINDOW_DEMO_PATH must name the demo program
#endif

namespace {

std::string run(const std::string& cmd) {
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

// Generous: a loaded machine with software GL can take seconds per frame, and a passing check
// returns as soon as it holds.
bool waitFor(const std::function<bool()>& done, int ms = 30000) {
    for (int t = 0; t < ms; t += 50) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// Gives the window the keyboard and waits until the X server says it has it: without a window
// manager the focus must be set outright, and keys sent before it arrives go elsewhere.
bool focus(const std::string& id) {
    return waitFor([&] {
        run("xdotool windowfocus " + id + " 2>/dev/null");
        return run("xdotool getwindowfocus 2>/dev/null") == id;
    });
}

// Holds the keys ("alt Return") until the program shows it saw them, then lets them go: a short
// press could come and go between two frames of a busy program. (Held keys repeat, but the window
// handler ignores repeats.)
bool pressUntil(const std::string& keys, const std::function<bool()>& seen) {
    run("xdotool keydown " + keys);
    const bool ok = waitFor(seen);
    run("xdotool keyup " + keys);
    return ok;
}

// Kills the demo if the test ends early, so a failed check never leaves it holding the test's
// output open (ctest would then wait for it until the time-out).
struct ChildGuard {
    pid_t pid = -1;
    ~ChildGuard() {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

}  // namespace

TEST(WindowUnderX, ScreenshotsFullscreenPauseAndClose) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || std::system("command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs an X server and xdotool";
    const std::string demo = WINDOW_DEMO_PATH;
    const std::string shots = demo.substr(0, demo.find_last_of('/')) + "/Screenshots";
    ASSERT_EQ(std::system(("rm -rf '" + shots + "'").c_str()), 0);

    const std::string output = shots + "-demo-output.txt";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (!freopen(output.c_str(), "w", stdout)) _exit(126);
        execl(demo.c_str(), demo.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ChildGuard guard{pid};
    std::string id;
    // A software GL start on a busy machine can take many seconds.
    ASSERT_TRUE(waitFor(
        [&] {
            id = run("xdotool search --name '^Crumlet$' 2>/dev/null | head -1");
            return !id.empty();
        },
        60000))
        << "window did not appear";
    // The window exists from the loading screen on; keys for the checks below must reach the
    // demo's own frames, which begin after its first report.
    ASSERT_TRUE(waitFor(
        [&] { return run("grep -c '^fullscreen 0$' '" + output + "' 2>/dev/null") == "1"; }, 60000))
        << "the demo never reached its frames";
    ASSERT_TRUE(focus(id)) << "the demo's window never got the keyboard";

    // F12: a numbered PNG of the logical screen beside the program.
    const std::string shot = shots + "/shot0001.png";
    ASSERT_TRUE(pressUntil("F12", [&] { return access(shot.c_str(), R_OK) == 0; })) << shot;
    RgbaImage img;  // the name may appear before the whole picture is in the file
    ASSERT_TRUE(waitFor([&] { return decodePng(shot.c_str(), kNoColourKey, img); })) << shot;
    EXPECT_EQ(img.width, 320);
    EXPECT_EQ(img.height, 240);
    EXPECT_EQ(img.pixel(5, 5)[0], 255);  // orange bar
    EXPECT_EQ(img.pixel(5, 5)[1], 128);
    EXPECT_EQ(img.pixel(5, 230)[2], 200);  // blue bar
    EXPECT_TRUE(
        pressUntil("F12", [&] { return access((shots + "/shot0002.png").c_str(), R_OK) == 0; }));

    // Alt+Enter: desktop fullscreen, and back to the whole-factor window. (Without a window
    // manager the X server does not resize a fullscreen window, so the switch is read from what
    // the program reports.)
    auto reported = [&](const char* line) {
        return run("grep -c '^" + std::string(line) + "$' '" + output + "'");
    };
    const std::string geometry = run("xdotool getwindowgeometry " + id + " | grep Geometry");
    EXPECT_EQ(reported("fullscreen 0"), "1");
    EXPECT_TRUE(pressUntil("alt Return", [&] { return reported("fullscreen 1") == "1"; }))
        << "no switch to fullscreen";
    EXPECT_TRUE(pressUntil("alt Return", [&] { return reported("fullscreen 0") == "2"; }))
        << "no switch back";
    EXPECT_EQ(run("xdotool getwindowgeometry " + id + " | grep Geometry"), geometry);

    // Focus elsewhere: paused, " <pause>" in the title; focus back: running again.
    const std::string root = run("xdotool search --maxdepth 0 --name '' | head -1");
    run("xdotool windowfocus " + root);
    EXPECT_TRUE(waitFor([&] { return run("xdotool getwindowname " + id) == "Crumlet <pause>"; }))
        << run("xdotool getwindowname " + id);
    ASSERT_TRUE(focus(id));
    EXPECT_TRUE(waitFor([&] { return run("xdotool getwindowname " + id) == "Crumlet"; }));

    // A close request (SIGTERM arrives as one) ends the program through stopProgram: status 0.
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_TRUE(waitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
