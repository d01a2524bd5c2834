// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The player's own keys and the game controller, folded into the fixed key codes the game asks
// for: the game always reads Up 200, Down 208, Left 203, Right 205, Space 57 (and left Ctrl 29)
// for a bomb, Escape 1 and Return 28, whatever the player presses to mean them.
#pragma once

#include <vector>

enum class GameAction { Up, Down, Left, Right, Bomb, Back, Select, Pause };
constexpr int kGameActionCount = 8;

// The name of an action in the settings file: "up", "down", "left", "right", "bomb", "back",
// "select", "pause".
const char* gameActionName(GameAction action);

// The scan codes the player chose for each action; several per action, none means the action
// has no key.
struct KeyBindings {
    std::vector<int> keys[kGameActionCount];
    std::vector<int>& operator[](GameAction a) { return keys[static_cast<int>(a)]; }
    const std::vector<int>& operator[](GameAction a) const { return keys[static_cast<int>(a)]; }
};
// The arrow keys, Space and left Ctrl for a bomb, Escape, Return, and P to pause.
KeyBindings defaultKeyBindings();

// What the controllers ask for, already reduced to the game's actions.
struct PadActions {
    bool up = false, down = false, left = false, right = false;
    bool bomb = false, back = false, start = false;
};
// Left-stick deflections within this distance of the centre (of 32767) count as centred, so a
// worn stick does not walk the bug by itself.
constexpr int kStickDeadZone = 12000;
// The d-pad or the left stick for the directions, south button (A / Cross) for a bomb, east
// button (B / Circle) and Back for back, Start as it is. `held` is a mask of PlatformPadButton
// bits; the stick is in -32768..32767 with y growing downwards.
PadActions padActions(unsigned held, int stickX, int stickY);

// The key state the game sees: the device's keys as they are, except the fixed codes of the
// actions, each held exactly while one of the action's chosen keys or the controller's matching
// input is held. Start counts as select only when startSelects (a level uses it to pause).
void foldPlayerKeys(const KeyBindings& bindings, const unsigned char device[256],
                    const PadActions& pad, bool startSelects, unsigned char out[256]);
