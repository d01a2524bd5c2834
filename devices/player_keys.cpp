// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Folding the player's keys and the controller into the game's key codes (see player_keys.h).
#include "devices/player_keys.h"

#include <cstring>

#include "platform/platform_input.h"

namespace {

const char* const kActionNames[kGameActionCount] = {"up",   "down", "left",   "right",
                                                    "bomb", "back", "select", "pause"};

// The codes the game reads for each action (the arrows, Space and left Ctrl, Escape, Return);
// pausing is not a key the game reads. They are also the default keys.
struct FixedCodes {
    int first, second;  // -1: none
};
const FixedCodes kFixedCodes[kGameActionCount] = {
    {200, -1}, {208, -1}, {203, -1}, {205, -1}, {57, 29}, {1, -1}, {28, -1}, {-1, -1},
};
constexpr int kScanCodeP = 25;  // the default pause key

bool padWants(const PadActions& pad, GameAction action, bool startSelects) {
    switch (action) {
        case GameAction::Up:
            return pad.up;
        case GameAction::Down:
            return pad.down;
        case GameAction::Left:
            return pad.left;
        case GameAction::Right:
            return pad.right;
        case GameAction::Bomb:
            return pad.bomb;
        case GameAction::Back:
            return pad.back;
        case GameAction::Select:
            return startSelects && pad.start;
        case GameAction::Pause:
            return false;
    }
    return false;
}

}  // namespace

const char* gameActionName(GameAction action) { return kActionNames[static_cast<int>(action)]; }

KeyBindings defaultKeyBindings() {
    KeyBindings b;
    for (int a = 0; a < kGameActionCount; ++a) {
        for (int code : {kFixedCodes[a].first, kFixedCodes[a].second})
            if (code >= 0) b.keys[a].push_back(code);
    }
    b[GameAction::Pause] = {kScanCodeP};
    return b;
}

PadActions padActions(unsigned held, int stickX, int stickY) {
    PadActions a;
    a.up = (held & kPadUp) || stickY < -kStickDeadZone;
    a.down = (held & kPadDown) || stickY > kStickDeadZone;
    a.left = (held & kPadLeft) || stickX < -kStickDeadZone;
    a.right = (held & kPadRight) || stickX > kStickDeadZone;
    a.bomb = held & kPadSouth;
    a.back = held & (kPadEast | kPadBack);
    a.start = held & kPadStart;
    return a;
}

void foldPlayerKeys(const KeyBindings& bindings, const unsigned char device[256],
                    const PadActions& pad, bool startSelects, unsigned char out[256]) {
    // Read from the device's state only, so that swapped keys (up = Down, down = Up) work.
    unsigned char folded[256];
    std::memcpy(folded, device, sizeof folded);
    for (int a = 0; a < kGameActionCount; ++a) {
        const FixedCodes& fixed = kFixedCodes[a];
        if (fixed.first < 0) continue;
        bool held = padWants(pad, static_cast<GameAction>(a), startSelects);
        for (int code : bindings.keys[a]) held = held || (device[code & 0xFF] & 0x80) != 0;
        folded[fixed.first] = held ? 0x80 : 0;
        if (fixed.second >= 0) folded[fixed.second] = held ? 0x80 : 0;
    }
    std::memcpy(out, folded, sizeof folded);
}
