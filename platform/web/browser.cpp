// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The game's loops block: a level waits for its next frame, the menu sleeps between its passes.
// A page gets nothing done (no drawing shown, no key delivered, no sound) until the program
// gives the browser its turn, so in the browser build every sleep hands control to the page for
// as long as it lasts (emscripten's asyncify unwinds and later resumes the program), and a frame
// presented without any sleep since the last one (a scripted run without pacing) gives the page
// one turn before the program goes on.
//
// Both are wrapped at link time (-Wl,--wrap=...), so no code above platform/ knows of them.
#include <SDL.h>
#include <emscripten.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cmath>

extern "C" void crumlet_web_link_sdl_needs();

// Hands the page each presented frame's script time (the program's own work since the last
// frame, sleeps left out) for the frame-time benchmark, and the moments of the first two frames
// (start-up's "Loading..." and the menu) for the load-time figure.
EM_JS(void, crumlet_web_frame_presented, (double workMs), {
    var c = Module.crumlet;
    if (!c) return;
    c.frames = (c.frames || 0) + 1;
    if (c.frames <= 2) (c.firstFrames = c.firstFrames || []).push(performance.now());
    if (c.frameTimes) {
        c.frameTimes.push(workMs);
        c.frameStamps.push(performance.now());
    }
});

namespace {
bool turnGivenSinceSwap = false;
double workSince = 0;  // when the program last got control back from the page
double workMs = 0;     // the program's work in this frame so far

// Before main: the library functions SDL needs (see library.js), and the file mode mask a login
// gives a program. Emscripten's C library starts with a mask of 0777, under which every new
// file would be made without any permission, and a save could not be read back.
struct BeforeMain {
    BeforeMain() {
        crumlet_web_link_sdl_needs();
        umask(022);
    }
} beforeMain;
}  // namespace

extern "C" {

void __real_SDL_GL_SwapWindow(SDL_Window* window);
int __wrap_nanosleep(const struct timespec* request, struct timespec* remaining);
int __wrap_link(const char* existing, const char* name);
void __wrap_SDL_GL_SwapWindow(SDL_Window* window);

int __wrap_nanosleep(const struct timespec* request, struct timespec* remaining) {
    if (remaining) *remaining = timespec{0, 0};
    const double ms =
        static_cast<double>(request->tv_sec) * 1000.0 + static_cast<double>(request->tv_nsec) / 1e6;
    workMs += emscripten_get_now() - workSince;
    // Whole milliseconds are all a page's timers know; a shorter sleep is one turn.
    emscripten_sleep(static_cast<unsigned>(std::lround(ms)));
    workSince = emscripten_get_now();
    turnGivenSinceSwap = true;
    return 0;
}

void __wrap_SDL_GL_SwapWindow(SDL_Window* window) {
    __real_SDL_GL_SwapWindow(window);
    const double now = emscripten_get_now();
    crumlet_web_frame_presented(workMs + (now - workSince));
    workMs = 0;
    workSince = now;
    if (!turnGivenSinceSwap) {
        emscripten_sleep(0);
        workSince = emscripten_get_now();
    }
    turnGivenSinceSwap = false;
}

// link() in emscripten's C library refuses every call; linkat() reaches the file system, where
// library.js gives it a meaning.
int __wrap_link(const char* existing, const char* name) {
    return linkat(AT_FDCWD, existing, AT_FDCWD, name, 0);
}

}  // extern "C"
