// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Keyboard, mouse and joysticks over SDL2.
//
// SDL reports keys by USB usage ("scancodes"); the runtime identifies keys by
// their classic PC scan codes 0..255, which are positions on the keyboard just
// like SDL's scancodes. The table below maps every SDL scancode that has a
// counterpart.
#include "platform/platform.h"
#include "platform/platform_input.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct ScanPair {
    SDL_Scancode sdl;
    unsigned char code;
};

// clang-format off
const ScanPair kScanTable[] = {
    {SDL_SCANCODE_ESCAPE, 1},
    {SDL_SCANCODE_1, 2}, {SDL_SCANCODE_2, 3}, {SDL_SCANCODE_3, 4}, {SDL_SCANCODE_4, 5}, {SDL_SCANCODE_5, 6},
    {SDL_SCANCODE_6, 7}, {SDL_SCANCODE_7, 8}, {SDL_SCANCODE_8, 9}, {SDL_SCANCODE_9, 10}, {SDL_SCANCODE_0, 11},
    {SDL_SCANCODE_MINUS, 12}, {SDL_SCANCODE_EQUALS, 13}, {SDL_SCANCODE_BACKSPACE, 14}, {SDL_SCANCODE_TAB, 15},
    {SDL_SCANCODE_Q, 16}, {SDL_SCANCODE_W, 17}, {SDL_SCANCODE_E, 18}, {SDL_SCANCODE_R, 19}, {SDL_SCANCODE_T, 20},
    {SDL_SCANCODE_Y, 21}, {SDL_SCANCODE_U, 22}, {SDL_SCANCODE_I, 23}, {SDL_SCANCODE_O, 24}, {SDL_SCANCODE_P, 25},
    {SDL_SCANCODE_LEFTBRACKET, 26}, {SDL_SCANCODE_RIGHTBRACKET, 27}, {SDL_SCANCODE_RETURN, 28},
    {SDL_SCANCODE_LCTRL, 29},
    {SDL_SCANCODE_A, 30}, {SDL_SCANCODE_S, 31}, {SDL_SCANCODE_D, 32}, {SDL_SCANCODE_F, 33}, {SDL_SCANCODE_G, 34},
    {SDL_SCANCODE_H, 35}, {SDL_SCANCODE_J, 36}, {SDL_SCANCODE_K, 37}, {SDL_SCANCODE_L, 38},
    {SDL_SCANCODE_SEMICOLON, 39}, {SDL_SCANCODE_APOSTROPHE, 40}, {SDL_SCANCODE_GRAVE, 41},
    {SDL_SCANCODE_LSHIFT, 42}, {SDL_SCANCODE_BACKSLASH, 43}, {SDL_SCANCODE_NONUSHASH, 43},
    {SDL_SCANCODE_Z, 44}, {SDL_SCANCODE_X, 45}, {SDL_SCANCODE_C, 46}, {SDL_SCANCODE_V, 47}, {SDL_SCANCODE_B, 48},
    {SDL_SCANCODE_N, 49}, {SDL_SCANCODE_M, 50},
    {SDL_SCANCODE_COMMA, 51}, {SDL_SCANCODE_PERIOD, 52}, {SDL_SCANCODE_SLASH, 53}, {SDL_SCANCODE_RSHIFT, 54},
    {SDL_SCANCODE_KP_MULTIPLY, 55}, {SDL_SCANCODE_LALT, 56}, {SDL_SCANCODE_SPACE, 57},
    {SDL_SCANCODE_CAPSLOCK, 58},
    {SDL_SCANCODE_F1, 59}, {SDL_SCANCODE_F2, 60}, {SDL_SCANCODE_F3, 61}, {SDL_SCANCODE_F4, 62},
    {SDL_SCANCODE_F5, 63}, {SDL_SCANCODE_F6, 64}, {SDL_SCANCODE_F7, 65}, {SDL_SCANCODE_F8, 66},
    {SDL_SCANCODE_F9, 67}, {SDL_SCANCODE_F10, 68},
    {SDL_SCANCODE_NUMLOCKCLEAR, 69}, {SDL_SCANCODE_SCROLLLOCK, 70},
    {SDL_SCANCODE_KP_7, 71}, {SDL_SCANCODE_KP_8, 72}, {SDL_SCANCODE_KP_9, 73}, {SDL_SCANCODE_KP_MINUS, 74},
    {SDL_SCANCODE_KP_4, 75}, {SDL_SCANCODE_KP_5, 76}, {SDL_SCANCODE_KP_6, 77}, {SDL_SCANCODE_KP_PLUS, 78},
    {SDL_SCANCODE_KP_1, 79}, {SDL_SCANCODE_KP_2, 80}, {SDL_SCANCODE_KP_3, 81}, {SDL_SCANCODE_KP_0, 82},
    {SDL_SCANCODE_KP_PERIOD, 83},
    {SDL_SCANCODE_NONUSBACKSLASH, 86}, {SDL_SCANCODE_F11, 87}, {SDL_SCANCODE_F12, 88},
    {SDL_SCANCODE_F13, 100}, {SDL_SCANCODE_F14, 101}, {SDL_SCANCODE_F15, 102},
    {SDL_SCANCODE_INTERNATIONAL2, 112}, {SDL_SCANCODE_INTERNATIONAL1, 115},
    {SDL_SCANCODE_INTERNATIONAL4, 121}, {SDL_SCANCODE_INTERNATIONAL5, 123}, {SDL_SCANCODE_INTERNATIONAL3, 125},
    {SDL_SCANCODE_KP_EQUALS, 141},
    {SDL_SCANCODE_AUDIOPREV, 144}, {SDL_SCANCODE_AUDIONEXT, 153},
    {SDL_SCANCODE_KP_ENTER, 156}, {SDL_SCANCODE_RCTRL, 157},
    {SDL_SCANCODE_AUDIOMUTE, 160}, {SDL_SCANCODE_MUTE, 160}, {SDL_SCANCODE_CALCULATOR, 161},
    {SDL_SCANCODE_AUDIOPLAY, 162}, {SDL_SCANCODE_AUDIOSTOP, 164},
    {SDL_SCANCODE_VOLUMEDOWN, 174}, {SDL_SCANCODE_VOLUMEUP, 176}, {SDL_SCANCODE_AC_HOME, 178},
    {SDL_SCANCODE_KP_COMMA, 179}, {SDL_SCANCODE_KP_DIVIDE, 181}, {SDL_SCANCODE_PRINTSCREEN, 183},
    {SDL_SCANCODE_RALT, 184}, {SDL_SCANCODE_PAUSE, 197},
    {SDL_SCANCODE_HOME, 199}, {SDL_SCANCODE_UP, 200}, {SDL_SCANCODE_PAGEUP, 201},
    {SDL_SCANCODE_LEFT, 203}, {SDL_SCANCODE_RIGHT, 205},
    {SDL_SCANCODE_END, 207}, {SDL_SCANCODE_DOWN, 208}, {SDL_SCANCODE_PAGEDOWN, 209},
    {SDL_SCANCODE_INSERT, 210}, {SDL_SCANCODE_DELETE, 211},
    {SDL_SCANCODE_LGUI, 219}, {SDL_SCANCODE_RGUI, 220}, {SDL_SCANCODE_APPLICATION, 221},
    {SDL_SCANCODE_POWER, 222}, {SDL_SCANCODE_SLEEP, 223},
    {SDL_SCANCODE_AC_SEARCH, 229}, {SDL_SCANCODE_AC_BOOKMARKS, 230}, {SDL_SCANCODE_AC_REFRESH, 231},
    {SDL_SCANCODE_AC_STOP, 232}, {SDL_SCANCODE_AC_FORWARD, 233}, {SDL_SCANCODE_AC_BACK, 234},
    {SDL_SCANCODE_COMPUTER, 235}, {SDL_SCANCODE_MAIL, 236}, {SDL_SCANCODE_MEDIASELECT, 237},
};
// clang-format on

struct ScanMaps {
    unsigned char toCode[SDL_NUM_SCANCODES] = {};
    int toScancode[256];
    ScanMaps() {
        std::fill(std::begin(toScancode), std::end(toScancode), -1);
        for (const ScanPair& p : kScanTable) {
            toCode[p.sdl] = p.code;
            if (toScancode[p.code] < 0) toScancode[p.code] = p.sdl;
        }
    }
};

const ScanMaps& scanMaps() {
    static const ScanMaps maps;
    return maps;
}

bool keyboardOpen = false;
bool videoStarted = false;
bool watchInstalled = false;
std::atomic<int> wheelSteps{0};

// The character each held key typed, as the layout produced it with the
// modifiers of the moment (Shift+1 types '!' on one layout, '+' on another).
// Filled from text events, cleared when the key goes up.
unsigned char typedByKey[SDL_NUM_SCANCODES] = {};
int lastKeyDown = -1;
// Keys that went down since platformTakeKeyPresses last looked.
unsigned char pressedSinceTaken[256] = {};

// Alt+Enter belongs to the window layer (it switches the display mode), never to the game: an
// Enter key pressed while Alt was held reads as up until it is released, even if Alt goes first.
bool enterWithAlt[2] = {false, false};  // Return, keypad Enter

int enterIndex(int scancode) {
    if (scancode == SDL_SCANCODE_RETURN) return 0;
    if (scancode == SDL_SCANCODE_KP_ENTER) return 1;
    return -1;
}

// The first character of a UTF-8 text as one byte of the runtime's 8-bit
// texts: ASCII and Latin-1; 0 for anything else.
int firstByteCharacter(const char* text) {
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    if (t[0] >= 32 && t[0] < 127) return t[0];
    if ((t[0] == 0xC2 || t[0] == 0xC3) && (t[1] & 0xC0) == 0x80) {
        const int c = ((t[0] & 0x1F) << 6) | (t[1] & 0x3F);
        return c >= 160 ? c : 0;
    }
    return 0;
}

// Watches events as they enter the queue, so the wheel and the typed
// characters are seen however the window layer drains its queue.
int SDLCALL watchEvents(void*, SDL_Event* event) {
    switch (event->type) {
        case SDL_MOUSEWHEEL: {
            int y = event->wheel.y;
            if (event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
            wheelSteps += y;
            break;
        }
        case SDL_KEYDOWN: {
            const int sc = event->key.keysym.scancode;
            if (sc >= 0 && sc < SDL_NUM_SCANCODES) {
                if (!event->key.repeat) {
                    typedByKey[sc] = 0;
                    if (const int code = scanMaps().toCode[sc]) pressedSinceTaken[code] = 0x80;
                }
                lastKeyDown = sc;
            }
            if (enterIndex(sc) >= 0 && (event->key.keysym.mod & KMOD_ALT) != 0)
                enterWithAlt[enterIndex(sc)] = true;
            break;
        }
        case SDL_KEYUP: {
            const int sc = event->key.keysym.scancode;
            if (sc >= 0 && sc < SDL_NUM_SCANCODES) typedByKey[sc] = 0;
            if (enterIndex(sc) >= 0) enterWithAlt[enterIndex(sc)] = false;
            if (lastKeyDown == sc) lastKeyDown = -1;
            break;
        }
        case SDL_TEXTINPUT:
            if (lastKeyDown >= 0) {
                typedByKey[lastKeyDown] =
                    static_cast<unsigned char>(firstByteCharacter(event->text.text));
            }
            break;
        default:
            break;
    }
    return 1;
}

void pump() {
    if (SDL_WasInit(SDL_INIT_EVENTS)) SDL_PumpEvents();
}

// The window the input belongs to: the program has exactly one.
SDL_Window* inputWindow() {
    if (SDL_Window* w = SDL_GetKeyboardFocus()) return w;
    if (SDL_Window* w = SDL_GetMouseFocus()) return w;
    if (SDL_Window* w = SDL_GL_GetCurrentWindow()) return w;
    for (Uint32 id = 1; id < 16; ++id) {
        if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
    }
    return nullptr;
}

bool mouseOpen = false;
bool mouseRelative = false;
// Fractions of logical pixels not yet reported, kept apart for captured
// motion and for the re-centred pointer.
struct Remainder {
    double x = 0, y = 0;
};
Remainder relativeRemainder, recentreRemainder;

}  // namespace

// ---- Keyboard ----------------------------------------------------------------------

int platformCodeForScancode(int scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return scanMaps().toCode[scancode];
}

int platformScancodeForCode(int code) {
    if (code < 0 || code > 255) return -1;
    return scanMaps().toScancode[code];
}

bool platformKeyboardOpen() {
    if (keyboardOpen) return true;
    // Key state and the layout's key map live in the video subsystem; the
    // window layer normally has it running already, this only counts up.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    videoStarted = true;
    if (!watchInstalled) {
        SDL_AddEventWatch(watchEvents, nullptr);
        watchInstalled = true;
    }
    keyboardOpen = true;
    return true;
}

void platformKeyboardClose() {
    if (watchInstalled) {
        SDL_DelEventWatch(watchEvents, nullptr);
        watchInstalled = false;
    }
    std::memset(typedByKey, 0, sizeof typedByKey);
    std::memset(pressedSinceTaken, 0, sizeof pressedSinceTaken);
    lastKeyDown = -1;
    enterWithAlt[0] = enterWithAlt[1] = false;
    if (videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted = false;
    }
    keyboardOpen = false;
}

void platformPumpInputEvents() { pump(); }

void platformTakeKeyPresses(unsigned char pressed[256]) {
    std::memcpy(pressed, pressedSinceTaken, sizeof pressedSinceTaken);
    std::memset(pressedSinceTaken, 0, sizeof pressedSinceTaken);
}

bool platformInputHasWindow() { return inputWindow() != nullptr; }

void platformReadKeyboard(unsigned char state[256]) {
    std::memset(state, 0, 256);
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    // Key events stay queued: the window layer acts on a few of them itself
    // (full-screen toggle and the like) when it drains the queue.
    SDL_PumpEvents();
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    const ScanMaps& maps = scanMaps();
    for (int sc = 0; sc < count && sc < SDL_NUM_SCANCODES; ++sc) {
        if (keys[sc] && maps.toCode[sc]) state[maps.toCode[sc]] = 0x80;
    }
    const bool altHeld = (SDL_GetModState() & KMOD_ALT) != 0;
    if (altHeld || enterWithAlt[0]) state[maps.toCode[SDL_SCANCODE_RETURN]] = 0;
    if (altHeld || enterWithAlt[1]) state[maps.toCode[SDL_SCANCODE_KP_ENTER]] = 0;
}

int platformKeyCharacter(int code) {
    const int sc = platformScancodeForCode(code);
    if (sc < 0) return 0;
    const SDL_Keycode key = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sc));
    switch (key) {
        // The keypad's operator keys type their characters on every layout.
        case SDLK_KP_DIVIDE:
            return '/';
        case SDLK_KP_MULTIPLY:
            return '*';
        case SDLK_KP_MINUS:
            return '-';
        case SDLK_KP_PLUS:
            return '+';
        default:
            break;
    }
    if (key & SDLK_SCANCODE_MASK) return 0;
    if ((key >= 32 && key < 127) || (key >= 160 && key <= 255)) return static_cast<int>(key);
    return 0;
}

int platformTypedCharacter(int code) {
    const int sc = platformScancodeForCode(code);
    if (sc < 0) return 0;
    return SDL_GetKeyboardState(nullptr)[sc] ? typedByKey[sc] : 0;
}

bool platformCapsLock() { return (SDL_GetModState() & KMOD_CAPS) != 0; }

// ---- Mouse ---------------------------------------------------------------------------

// Positions and motion use the same placement of the logical screen in the
// window as the picture does.
void platformMouseToLogical(int wx, int wy, int& lx, int& ly) {
    platformWindowToLogical(wx, wy, &lx, &ly);
}

namespace {
// Window-pixel motion to logical pixels, keeping the fractions so that slow
// motion on a large window still adds up.
void motionToLogical(int wdx, int wdy, Remainder& remainder, int& ldx, int& ldy) {
    const double scale = std::max(platformCurrentPlacement().scale, 1);
    remainder.x += wdx / scale;
    remainder.y += wdy / scale;
    ldx = static_cast<int>(remainder.x);
    ldy = static_cast<int>(remainder.y);
    remainder.x -= ldx;
    remainder.y -= ldy;
}
}  // namespace

bool platformMouseOpen(bool relative) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    mouseOpen = true;
    SDL_GetRelativeMouseState(nullptr, nullptr);  // start motion from here
    relativeRemainder = Remainder();
    recentreRemainder = Remainder();
    wheelSteps = 0;
    // Capturing needs a window to capture onto.
    if (relative) return inputWindow() != nullptr && platformMouseSetRelative(true);
    return true;
}

void platformMouseClose() {
    if (!mouseOpen) return;
    if (mouseRelative) platformMouseSetRelative(false);
    mouseOpen = false;
}

bool platformMouseRead(PlatformMouseSample& out, bool takeMotion) {
    out = PlatformMouseSample();
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    pump();
    int wx = 0, wy = 0;
    const Uint32 buttons = SDL_GetMouseState(&wx, &wy);
    platformMouseToLogical(wx, wy, out.x, out.y);
    out.left = (buttons & SDL_BUTTON_LMASK) != 0;
    out.right = (buttons & SDL_BUTTON_RMASK) != 0;
    out.middle = (buttons & SDL_BUTTON_MMASK) != 0;
    if (takeMotion) {
        int rx = 0, ry = 0;
        SDL_GetRelativeMouseState(&rx, &ry);
        motionToLogical(rx, ry, relativeRemainder, out.relX, out.relY);
        out.wheel = wheelSteps.exchange(0);
    }
    return true;
}

bool platformMouseSetRelative(bool on) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    if (SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) != 0) return false;
    mouseRelative = on;
    SDL_GetRelativeMouseState(nullptr, nullptr);
    return true;
}

void platformMouseShowPointer(bool visible) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void platformMouseWarpWindow(int x, int y) {
    if (SDL_Window* w = inputWindow()) SDL_WarpMouseInWindow(w, x, y);
}

void platformMouseWarpLogical(int x, int y) {
    // The middle of the logical pixel, so that reading it back gives x, y.
    int wx = 0, wy = 0;
    platformLogicalToWindow(x, y, &wx, &wy);
    const int half = std::max(platformCurrentPlacement().scale, 1) / 2;
    platformMouseWarpWindow(wx + half, wy + half);
}

bool platformMouseRecentre(int& dx, int& dy) {
    dx = dy = 0;
    SDL_Window* w = inputWindow();
    if (!w) return false;
    pump();
    int ww = 0, wh = 0;
    SDL_GetWindowSize(w, &ww, &wh);
    const int cx = ww / 2, cy = wh / 2;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    SDL_WarpMouseInWindow(w, cx, cy);
    motionToLogical(x - cx, y - cy, recentreRemainder, dx, dy);
    return true;
}

// ---- Joysticks -----------------------------------------------------------------------

namespace {

struct OpenJoystick {
    SDL_Joystick* joystick = nullptr;
    SDL_Haptic* haptic = nullptr;
    int effect = -1;
    std::string name;
};

OpenJoystick joysticks[kPlatformMaxJoysticks];
int joystickCount = 0;
bool joystickSubsystem = false;
bool hapticSubsystem = false;

unsigned int hatToPov(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP:
            return 0;
        case SDL_HAT_RIGHTUP:
            return 4500;
        case SDL_HAT_RIGHT:
            return 9000;
        case SDL_HAT_RIGHTDOWN:
            return 13500;
        case SDL_HAT_DOWN:
            return 18000;
        case SDL_HAT_LEFTDOWN:
            return 22500;
        case SDL_HAT_LEFT:
            return 27000;
        case SDL_HAT_LEFTUP:
            return 31500;
        default:
            return 0xFFFFFFFFu;
    }
}

}  // namespace

int platformJoysticksOpen(int maximum) {
    platformJoysticksClose();
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 0;
    joystickSubsystem = true;
    const int limit = std::min(maximum, kPlatformMaxJoysticks);
    const int available = SDL_NumJoysticks();
    for (int i = 0; i < available && joystickCount < limit; ++i) {
        SDL_Joystick* j = SDL_JoystickOpen(i);
        if (!j) continue;
        OpenJoystick& slot = joysticks[joystickCount++];
        slot.joystick = j;
        const char* product = SDL_JoystickName(j);
        const std::string productName = product ? product : "";
        // The platform has one name per device; it serves as instance and
        // product name alike. Each half is kept within 260 characters.
        slot.name = productName.substr(0, 260) + ", " + productName.substr(0, 259);
    }
    return joystickCount;
}

void platformJoysticksClose() {
    for (int i = 0; i < joystickCount; ++i) {
        OpenJoystick& j = joysticks[i];
        if (j.haptic) {
            SDL_HapticStopAll(j.haptic);
            if (j.effect >= 0) SDL_HapticDestroyEffect(j.haptic, j.effect);
            SDL_HapticClose(j.haptic);
        }
        if (j.joystick) SDL_JoystickClose(j.joystick);
        j = OpenJoystick();
    }
    joystickCount = 0;
    if (hapticSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_HAPTIC);
        hapticSubsystem = false;
    }
    if (joystickSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        joystickSubsystem = false;
    }
}

int platformJoystickCount() { return joystickCount; }

const char* platformJoystickName(int n) {
    if (n < 0 || n >= joystickCount) return "";
    return joysticks[n].name.c_str();
}

bool platformJoystickRead(int n, PlatformJoystickSample& out) {
    out = PlatformJoystickSample();
    if (n < 0 || n >= joystickCount || !joysticks[n].joystick) return false;
    SDL_Joystick* j = joysticks[n].joystick;
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(j)) return false;
    const int axes = SDL_JoystickNumAxes(j);
    for (int a = 0; a < axes && a < 8; ++a) {
        const int value = SDL_JoystickGetAxis(j, a);
        if (a < 6) {
            out.axes[a] = value;
        } else {
            out.sliders[a - 6] = value;
        }
    }
    const int hats = SDL_JoystickNumHats(j);
    for (int h = 0; h < hats && h < 4; ++h) out.pov[h] = hatToPov(SDL_JoystickGetHat(j, h));
    const int buttons = SDL_JoystickNumButtons(j);
    for (int b = 0; b < buttons && b < 32; ++b)
        out.buttons[b] = SDL_JoystickGetButton(j, b) ? 0x80 : 0;
    return true;
}

bool platformJoystickForce(int n, int milliseconds, double x, double y, int magnitude) {
    if (n < 0 || n >= joystickCount || !joysticks[n].joystick) return false;
    OpenJoystick& j = joysticks[n];
    if (!j.haptic) {
        // Force feedback is started only when a program asks for it, so that
        // opening joysticks stays cheap at start-up.
        if (!hapticSubsystem) {
            if (SDL_InitSubSystem(SDL_INIT_HAPTIC) != 0) return false;
            hapticSubsystem = true;
        }
        if (!SDL_JoystickIsHaptic(j.joystick)) return false;
        j.haptic = SDL_HapticOpenFromJoystick(j.joystick);
        if (!j.haptic) return false;
    }
    if (!(SDL_HapticQuery(j.haptic) & SDL_HAPTIC_CONSTANT)) return false;
    // Reset what the device is doing, then start one constant force.
    SDL_HapticStopAll(j.haptic);
    if (j.effect >= 0) {
        SDL_HapticDestroyEffect(j.haptic, j.effect);
        j.effect = -1;
    }
    SDL_HapticEffect effect;
    SDL_zero(effect);
    effect.type = SDL_HAPTIC_CONSTANT;
    effect.constant.direction.type = SDL_HAPTIC_CARTESIAN;
    effect.constant.direction.dir[0] = static_cast<Sint32>(x * 32767);
    effect.constant.direction.dir[1] = static_cast<Sint32>(y * 32767);
    effect.constant.length = static_cast<Uint32>(std::max(milliseconds, 0));
    effect.constant.level = static_cast<Sint16>(std::clamp(magnitude, 0, 10000) * 32767 / 10000);
    j.effect = SDL_HapticNewEffect(j.haptic, &effect);
    if (j.effect < 0) return false;
    return SDL_HapticRunEffect(j.haptic, j.effect, 1) == 0;
}
