// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Event pump, messages and program path over SDL2.
#include "platform/platform.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {
PlatformEventHandler handler = nullptr;

void deliver(PlatformEventKind kind, PlatformKey key = PlatformKey::None, bool alt = false,
             bool repeat = false) {
    if (!handler) return;
    PlatformEvent e{kind, key, alt, repeat};
    handler(e);
}

void translate(const SDL_Event& ev) {
    switch (ev.type) {
        case SDL_QUIT:
            deliver(PlatformEventKind::CloseRequest);
            break;
        case SDL_WINDOWEVENT:
            switch (ev.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    deliver(PlatformEventKind::FocusGained);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    deliver(PlatformEventKind::FocusLost);
                    break;
                case SDL_WINDOWEVENT_CLOSE:
                    deliver(PlatformEventKind::CloseRequest);
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    deliver(PlatformEventKind::Resized);
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_RESTORED:
                    deliver(PlatformEventKind::Exposed);
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN: {
            PlatformKey key = PlatformKey::None;
            SDL_Scancode sc = ev.key.keysym.scancode;
            if (sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER) key = PlatformKey::Return;
            if (sc == SDL_SCANCODE_F12) key = PlatformKey::F12;
            if (key != PlatformKey::None)
                deliver(PlatformEventKind::KeyDown, key, (ev.key.keysym.mod & KMOD_ALT) != 0,
                        ev.key.repeat != 0);
            break;
        }
        default:
            break;
    }
}
}  // namespace

void platformSetEventHandler(PlatformEventHandler h) { handler = h; }

int platformPumpEvents() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return 0;
    int count = 0;
    SDL_Event ev;
    // The handler may end the process (close request); every event before it is already handled.
    while (SDL_PollEvent(&ev)) {
        ++count;
        translate(ev);
    }
    return count;
}

bool platformEventsWaiting() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

void platformShowMessage(const char* caption, const char* text) {
    std::fprintf(stderr, "%s\n%s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
}

const char* platformProgramPath() {
    static std::string path;
    if (path.empty()) {
        char buffer[4096];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n > 0) path.assign(buffer, static_cast<size_t>(n));
    }
    return path.c_str();
}
