// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The player's settings file, settings.ini in the player folder: the keys for the game's actions,
// fullscreen and window scale, the sound volume, the game controllers and a level pack to play.
//
// The file is written with every setting at its default, explained in comments, when it is
// missing, and never written again: it belongs to the player. A line that cannot be understood
// is reported once on standard error with its line number and ignored; the file is never fatal.
#pragma once

#include <string>

#include "devices/player_keys.h"

struct PlayerSettings {
    KeyBindings keys = defaultKeyBindings();
    bool fullscreen = true;
    int scale = 0;  // window size as a whole multiple of the logical screen; 0: largest that fits
    int volume = 100;  // percent
    bool controllers = true;
    std::string levels;  // [game] levels: a level pack's folder or name; empty for the shipped set
};

// The name of the file in the player folder.
constexpr const char* kSettingsFileName = "settings.ini";

// Reads a settings file over `settings`, which keeps its value wherever a line is missing or bad.
// False when the file cannot be read.
bool readSettingsFile(const std::string& path, PlayerSettings& settings);
// Writes the file with the commented defaults, unless a file of that name exists already. False
// when it cannot be written (or exists).
bool writeDefaultSettingsFile(const std::string& path);
// settings.ini in the player folder, first written when missing, then read; the keys, the
// controller switch and the volume are handed to the input and sound services at once. The
// screen settings are left to the caller, because the command line may overrule them.
PlayerSettings loadPlayerSettings();
