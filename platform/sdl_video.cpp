// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Window, OpenGL context and logical-screen placement over SDL2.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
bool videoStarted = false;
bool noDisplay = false;  // only SDL's invisible drivers could start
std::string lastError;
std::string titleCopy;
int logicalWidth = 320;
int logicalHeight = 240;
// Fullscreen without a window manager (a bare X server such as Xvfb): nobody honours the
// fullscreen request there, so the window itself goes borderless over the whole desktop.
bool emulatedFullscreen = false;
int savedX = 0, savedY = 0;

// Whether the window lives on an X server without a window manager. Xlib is reached through the
// library SDL itself loaded, so the program does not link against it.
bool bareXServer(SDL_Window* w) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    static void* xlib = SDL_LoadObject("libX11.so.6");
    if (!xlib) return false;
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    using GetProperty = int (*)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*,
                                unsigned long*, unsigned long*, unsigned char**);
    using Free = int (*)(void*);
    auto internAtom = reinterpret_cast<InternAtom>(SDL_LoadFunction(xlib, "XInternAtom"));
    auto getProperty = reinterpret_cast<GetProperty>(SDL_LoadFunction(xlib, "XGetWindowProperty"));
    auto xfree = reinterpret_cast<Free>(SDL_LoadFunction(xlib, "XFree"));
    if (!internAtom || !getProperty || !xfree) return false;
    Display* d = info.info.x11.display;
    Atom check = internAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0) return true;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int rc = getProperty(d, DefaultRootWindow(d), check, 0, 1, False, AnyPropertyType, &type,
                         &format, &count, &after, &data);
    bool manager = rc == 0 && data && count == 1;
    if (data) xfree(data);
    return !manager;
#else
    (void)w;
    return false;
#endif
}

// 32x32 icon: a green bug on a dark tile, drawn from a small mask so it needs no file.
void setOurIcon(SDL_Window* w) {
    static const char* const rows[16] = {
        "................", "....#......#....", ".....#....#.....", "......####......",
        ".....######.....", "...#.#OOOO#.#...", "..#..######..#..", ".....######.....",
        "...#.######.#...", "..#..######..#..", ".....######.....", "...#.######.#...",
        "..#...####...#..", "................", "................", "................"};
    static uint32_t pixels[32 * 32];
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            char c = rows[y / 2][x / 2];
            uint32_t argb = 0xFF202830u;       // background tile
            if (c == '#') argb = 0xFF30C040u;  // body
            if (c == 'O') argb = 0xFFF0F0F0u;  // eyes
            pixels[y * 32 + x] = argb;
        }
    }
    SDL_Surface* s = SDL_CreateRGBSurfaceFrom(pixels, 32, 32, 32, 32 * 4, 0x00FF0000u, 0x0000FF00u,
                                              0x000000FFu, 0xFF000000u);
    if (s) {
        SDL_SetWindowIcon(w, s);
        SDL_FreeSurface(s);
    }
}

SDL_Window* createWindow(int w, int h) {
    SDL_Window* created = SDL_CreateWindow(
        "Tovrik", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, std::max(1, w), std::max(1, h),
        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    // Smaller than the logical screen, the picture would be cut off.
    if (created) SDL_SetWindowMinimumSize(created, logicalWidth, logicalHeight);
    return created;
}

void setContextAttributes(int samples) {
    SDL_GL_ResetAttributes();
    // 2.1 compatibility gives every fixed-function 1.x call the renderer uses.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 0 ? samples : 0);
}

}  // namespace

bool platformStartVideo() {
    if (videoStarted) return true;
    // Mesa's software rasteriser hands every frame to worker threads by default. For a 320 x 240
    // picture the hand-over costs more than it saves: on one thread a level frame takes less
    // processor time and is done sooner (see bench/frame/RESULTS.md). A value the player set
    // stays; hardware drivers ignore the variable.
    setenv("LP_NUM_THREADS", "0", 0);
    // The runtime decides about quitting itself (close requests go through its window handler).
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        lastError = SDL_GetError();
        return false;
    }
    // Without a display SDL falls back to drawing nowhere; unless that was asked for, a program
    // that nobody can see or play must not start.
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const char* driver = SDL_GetCurrentVideoDriver();
    if ((asked == nullptr || asked[0] == '\0') && driver != nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        noDisplay = true;
        lastError = "there is no display to open a window on";
        return false;
    }
    videoStarted = true;
    return true;
}

void platformRunUnseen() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

bool platformNoDisplay() { return noDisplay; }

bool platformWindowIsSeen() {
    const char* driver = videoStarted ? SDL_GetCurrentVideoDriver() : nullptr;
    return driver == nullptr ||
           (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0);
}

void platformStopVideo() {
    if (!videoStarted) return;
    platformCloseWindow();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    videoStarted = false;
}

const char* platformLastError() { return lastError.c_str(); }

bool platformShowErrorBox(const char* title, const char* text) {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && value[0] != '\0';
    };
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY")) return false;
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
        return false;
    return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, nullptr) == 0;
}

bool platformOpenWindow(int clientWidth, int clientHeight, int samples, int* samplesGot) {
    if (samplesGot) *samplesGot = 0;
    if (!platformStartVideo()) return false;
    if (window) platformDestroyWindowOnly();

    if (context) {
        // A context exists: only a window is needed; the context keeps every texture.
        setContextAttributes(0);
        window = createWindow(clientWidth, clientHeight);
        if (!window) {
            lastError = SDL_GetError();
            return false;
        }
        if (SDL_GL_MakeCurrent(window, context) != 0) {
            // Not compatible with the new window: start over with a fresh context.
            SDL_GL_DeleteContext(context);
            context = SDL_GL_CreateContext(window);
            if (!context || SDL_GL_MakeCurrent(window, context) != 0) {
                lastError = SDL_GetError();
                platformCloseWindow();
                return false;
            }
        }
    } else {
        // Multisampling: halve the sample count until a window and context can be made.
        int n = samples > 0 ? samples : 0;
        for (;;) {
            setContextAttributes(n);
            window = createWindow(clientWidth, clientHeight);
            if (window) {
                context = SDL_GL_CreateContext(window);
                if (context && SDL_GL_MakeCurrent(window, context) == 0) break;
                if (context) SDL_GL_DeleteContext(context);
                context = nullptr;
                lastError = SDL_GetError();
                SDL_DestroyWindow(window);
                window = nullptr;
            } else {
                lastError = SDL_GetError();
            }
            if (n == 0) return false;
            n /= 2;
        }
        if (samplesGot) {
            int got = 0;
            if (n > 0 && SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &got) != 0) got = n;
            *samplesGot = n > 0 ? got : 0;
        }
    }
    setOurIcon(window);
    SDL_DisableScreenSaver();
    return true;
}

void platformDestroyWindowOnly() {
    if (!window) return;
    emulatedFullscreen = false;
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_DestroyWindow(window);
    window = nullptr;
}

void platformCloseWindow() {
    if (context) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    if (window) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    emulatedFullscreen = false;
    SDL_EnableScreenSaver();
}

bool platformWindowExists() { return window != nullptr; }

void platformSetWindowTitle(const char* title) {
    titleCopy = title ? title : "";
    if (window) SDL_SetWindowTitle(window, titleCopy.c_str());
}

const char* platformWindowTitle() {
    if (!window) return "";
    titleCopy = SDL_GetWindowTitle(window);
    return titleCopy.c_str();
}

void platformShowWindow() {
    if (window) SDL_ShowWindow(window);
}

void platformHideWindow() {
    if (window) SDL_HideWindow(window);
}

void platformRaiseWindow() {
    if (window) SDL_RaiseWindow(window);
}

bool platformWindowVisible() {
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) &&
           !(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN);
}

bool platformSetFullscreen(bool on) {
    if (!window) return false;
    if (on) {
        if (emulatedFullscreen || (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP))
            return true;
        if (bareXServer(window)) {
            int dw = 0, dh = 0;
            platformDesktopSize(&dw, &dh);
            SDL_GetWindowPosition(window, &savedX, &savedY);
            SDL_SetWindowBordered(window, SDL_FALSE);
            SDL_SetWindowPosition(window, 0, 0);
            SDL_SetWindowSize(window, dw, dh);
            emulatedFullscreen = true;
            return true;
        }
        if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            lastError = SDL_GetError();
            SDL_SetWindowFullscreen(window, 0);
            return false;
        }
        return true;
    }
    if (emulatedFullscreen) {
        emulatedFullscreen = false;
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowPosition(window, savedX, savedY);
        return true;
    }
    if (SDL_SetWindowFullscreen(window, 0) != 0) {
        lastError = SDL_GetError();
        return false;
    }
    return true;
}

bool platformIsFullscreen() {
    return window && (emulatedFullscreen ||
                      (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0);
}

void platformSetWindowSize(int clientWidth, int clientHeight, bool centre) {
    if (!window) return;
    SDL_SetWindowSize(window, std::max(1, clientWidth), std::max(1, clientHeight));
    if (centre) SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void platformDesktopSize(int* width, int* height) {
    SDL_DisplayMode mode;
    int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    if (display < 0) display = 0;
    if (videoStarted && SDL_GetDesktopDisplayMode(display, &mode) == 0 && mode.w > 0 &&
        mode.h > 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = 1024;
        *height = 768;
    }
}

void platformWindowSize(int* width, int* height) {
    *width = *height = 0;
    if (window) SDL_GetWindowSize(window, width, height);
}

void platformDrawableSize(int* width, int* height) {
    *width = *height = 0;
    if (window) SDL_GL_GetDrawableSize(window, width, height);
}

void platformSwapBuffers() {
    if (window) SDL_GL_SwapWindow(window);
}

bool platformSetSwapInterval(int interval) { return SDL_GL_SetSwapInterval(interval) == 0; }

void* platformGLProc(const char* name) {
    if (!videoStarted || !name) return nullptr;
    return SDL_GL_GetProcAddress(name);
}

void platformAllowScreenSaver(bool allow) {
    if (!videoStarted) return;
    if (allow)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

// ---------------------------------------------------------------------------------------------
// Placement

void platformSetLogicalSize(int width, int height) {
    logicalWidth = std::max(1, width);
    logicalHeight = std::max(1, height);
    if (window) SDL_SetWindowMinimumSize(window, logicalWidth, logicalHeight);
}

PlatformPlacement platformPlacementFor(int areaWidth, int areaHeight, int lw, int lh) {
    PlatformPlacement p{};
    lw = std::max(1, lw);
    lh = std::max(1, lh);
    p.scale = std::max(1, std::min(areaWidth / lw, areaHeight / lh));
    p.width = lw * p.scale;
    p.height = lh * p.scale;
    p.left = (areaWidth - p.width) / 2;
    p.top = (areaHeight - p.height) / 2;
    return p;
}

PlatformPlacement platformCurrentPlacement() {
    int w = 0, h = 0;
    platformWindowSize(&w, &h);
    if (w <= 0 || h <= 0) {
        w = logicalWidth;
        h = logicalHeight;
    }
    return platformPlacementFor(w, h, logicalWidth, logicalHeight);
}

static int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

void platformWindowToLogical(int windowX, int windowY, int* logicalX, int* logicalY) {
    PlatformPlacement p = platformCurrentPlacement();
    *logicalX = floorDiv(windowX - p.left, p.scale);
    *logicalY = floorDiv(windowY - p.top, p.scale);
}

void platformLogicalToWindow(int logicalX, int logicalY, int* windowX, int* windowY) {
    PlatformPlacement p = platformCurrentPlacement();
    *windowX = p.left + logicalX * p.scale;
    *windowY = p.top + logicalY * p.scale;
}
