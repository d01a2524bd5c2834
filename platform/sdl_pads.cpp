// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Game controllers over SDL2's GameController layer, opened as they are plugged in.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform_input.h"

namespace {

struct OpenPad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
};

bool padsStarted = false;
std::vector<OpenPad> pads;
std::atomic<unsigned> pressesSinceTaken{0};

unsigned bitFor(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return kPadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return kPadDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return kPadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return kPadRight;
        case SDL_CONTROLLER_BUTTON_A:
            return kPadSouth;
        case SDL_CONTROLLER_BUTTON_B:
            return kPadEast;
        case SDL_CONTROLLER_BUTTON_BACK:
            return kPadBack;
        case SDL_CONTROLLER_BUTTON_START:
            return kPadStart;
        default:
            return 0;
    }
}

// Sees button presses as they are queued, so a press and release between two reads still
// counts (the pause button is read only once per frame, or every 100 ms while paused).
int SDLCALL watchPadEvents(void*, SDL_Event* event) {
    if (event->type == SDL_CONTROLLERBUTTONDOWN) pressesSinceTaken |= bitFor(event->cbutton.button);
    return 1;
}

bool isOpen(SDL_JoystickID id) {
    return std::any_of(pads.begin(), pads.end(), [id](const OpenPad& p) { return p.id == id; });
}

// Opens every attached controller not yet open and closes those that went away.
void followPlugging() {
    pads.erase(std::remove_if(pads.begin(), pads.end(),
                              [](OpenPad& p) {
                                  if (SDL_GameControllerGetAttached(p.controller)) return false;
                                  SDL_GameControllerClose(p.controller);
                                  return true;
                              }),
               pads.end());
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        if (!SDL_IsGameController(i)) continue;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
        if (id < 0 || isOpen(id)) continue;
        if (SDL_GameController* c = SDL_GameControllerOpen(i)) pads.push_back({c, id});
    }
}

// Keeps the reading with the larger magnitude.
int furthest(int a, int b) { return std::abs(b) > std::abs(a) ? b : a; }

}  // namespace

int platformPadAddMapping(const std::string& mapping, std::string& why) {
    // As SDL's own file reader does: a "platform:" field names the one platform the line is for.
    const size_t field = mapping.find("platform:");
    if (field != std::string::npos) {
        const size_t start = field + std::strlen("platform:");
        const std::string platform =
            mapping.substr(start, mapping.find(',', start) == std::string::npos
                                      ? std::string::npos
                                      : mapping.find(',', start) - start);
        if (SDL_strcasecmp(platform.c_str(), SDL_GetPlatform()) != 0) return 0;
    }
    SDL_ClearError();
    if (SDL_GameControllerAddMapping(mapping.c_str()) >= 0) return 1;
    why = SDL_GetError();
    if (why.empty()) why = "not a mapping SDL understands";
    return -1;
}

bool platformPadsOpen(const std::vector<PadMappingLine>& mappings,
                      std::vector<PadMappingLine>& refused) {
    if (padsStarted) return true;
    // Starting the layer reads SDL's built-in mappings and SDL_GAMECONTROLLERCONFIG.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    padsStarted = true;
    // SDL keeps the variable's mappings above any added later, so the file cannot override them.
    for (const PadMappingLine& line : mappings) {
        std::string why;
        if (platformPadAddMapping(line.text, why) < 0) refused.push_back({line.number, why});
    }
    SDL_AddEventWatch(watchPadEvents, nullptr);
    pressesSinceTaken = 0;
    followPlugging();
    return true;
}

void platformPadsClose() {
    if (!padsStarted) return;
    SDL_DelEventWatch(watchPadEvents, nullptr);
    for (OpenPad& p : pads) SDL_GameControllerClose(p.controller);
    pads.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    padsStarted = false;
}

void platformPadRead(PlatformPadSample& out) {
    out = PlatformPadSample();
    if (!padsStarted) return;
    followPlugging();
    for (const OpenPad& p : pads) {
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            if (SDL_GameControllerGetButton(p.controller, static_cast<SDL_GameControllerButton>(b)))
                out.held |= bitFor(b);
        }
        out.leftX =
            furthest(out.leftX, SDL_GameControllerGetAxis(p.controller, SDL_CONTROLLER_AXIS_LEFTX));
        out.leftY =
            furthest(out.leftY, SDL_GameControllerGetAxis(p.controller, SDL_CONTROLLER_AXIS_LEFTY));
    }
    out.controllers = static_cast<int>(pads.size());
}

unsigned platformPadTakePresses() {
    // A controller plugged in while the game waits in its pause can end the pause too.
    if (padsStarted) followPlugging();
    return pressesSinceTaken.exchange(0);
}
