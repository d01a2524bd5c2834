// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Reading and first writing of the player's settings file (see settings.h). inih parses; each line
// is handed to it on its own, under the section it stands in, so that every bad line can be named.
#include "app/settings.h"

#include <ini.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "devices/input.h"
#include "devices/key_names.h"
#include "devices/sound.h"
#include "runtime/folders.h"

namespace {

const char kDefaultSettings[] =
    R"(# Crumlet settings. Lines starting with # or ; are comments. Delete a line to get its default back.
# The game writes this file only when it is missing; your changes stay as you make them. A line
# the game does not understand is reported when it starts and ignored.

[keys]
# One or more keys for each action, separated by blanks: the letters a to z, the digits 0 to 9,
# Up, Down, Left, Right, Space, Return, Escape, Backspace, Tab, Ctrl, RCtrl, Shift, RShift, Alt,
# RAlt, F1 to F12, Home, End, PageUp, PageDown, Insert, Delete, Minus, Comma, Period, Slash,
# or @ and a keyboard scan code (@57 is Space). For W A S D next to the arrows:
#   up = w Up
#   left = a Left
#   down = s Down
#   right = d Right
up = Up
down = Down
left = Left
right = Right
# lay a spiky bomb; also leaves the high-score table and the name entry
bomb = Space Ctrl
# leave a level
back = Escape
# pick the menu entry under the box
select = Return
# pause a level, and carry on
pause = p

[screen]
# yes: the whole screen; no: a window
fullscreen = yes
# the window's size as a whole multiple of 320 x 240; 0 picks the largest that fits the desktop
scale = 0

[sound]
# 0 (silent) to 100 (full)
volume = 100

[controller]
# yes: play with a game controller: d-pad or left stick to move, A (Cross) lays a bomb, B (Circle)
# or Back leaves, Start picks a menu entry and pauses a level. Mappings for controllers SDL does
# not know come from gamecontrollerdb.txt beside this file.
enabled = yes

[game]
# a level pack to play instead of the shipped levels: a folder (relative to this file's folder),
# or the name of a pack in the levels folder beside this file; --levels on the command line wins
#   levels = mypack
)";

// inih reads lines into a buffer of 200 bytes; anything longer would be cut into pieces.
constexpr size_t kLongestLine = 190;

bool sameName(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

bool parseWhole(const char* text, long low, long high, int& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    out = static_cast<int>(v);
    return true;
}

bool parseYesNo(const char* text, bool& out) {
    for (const char* yes : {"yes", "on", "true", "1"}) {
        if (sameName(text, yes)) {
            out = true;
            return true;
        }
    }
    for (const char* no : {"no", "off", "false", "0"}) {
        if (sameName(text, no)) {
            out = false;
            return true;
        }
    }
    return false;
}

// Applies one setting; an empty result, or what is wrong with it.
std::string applyKeys(PlayerSettings& s, const char* name, const char* value) {
    for (int a = 0; a < kGameActionCount; ++a) {
        const GameAction action = static_cast<GameAction>(a);
        if (!sameName(name, gameActionName(action))) continue;
        std::string names = value;
        for (char& c : names) {
            if (c == ',') c = ' ';
        }
        std::istringstream words(names);
        std::vector<int> codes;
        for (std::string word; words >> word;) {
            const int code = keyCodeForName(word);
            if (code < 0) return "unknown key name \"" + word + "\"";
            codes.push_back(code);
        }
        if (codes.empty()) return "no key given for " + std::string(name);
        s.keys[action] = codes;
        return "";
    }
    return "unknown action \"" + std::string(name) + "\"";
}

std::string applySetting(PlayerSettings& s, const char* section, const char* name,
                         const char* value) {
    if (sameName(section, "keys")) return applyKeys(s, name, value);
    if (sameName(section, "screen") && sameName(name, "fullscreen")) {
        return parseYesNo(value, s.fullscreen) ? "" : "fullscreen takes yes or no";
    }
    if (sameName(section, "screen") && sameName(name, "scale")) {
        return parseWhole(value, 0, 16, s.scale) ? "" : "scale takes a whole number from 0 to 16";
    }
    if (sameName(section, "sound") && sameName(name, "volume")) {
        return parseWhole(value, 0, 100, s.volume) ? ""
                                                   : "volume takes a whole number from 0 to 100";
    }
    if (sameName(section, "controller") && sameName(name, "enabled")) {
        return parseYesNo(value, s.controllers) ? "" : "enabled takes yes or no";
    }
    if (sameName(section, "game") && sameName(name, "levels")) {
        s.levels = value;
        return *value ? "" : "levels takes a folder or a pack name";
    }
    if (!*section) return "\"" + std::string(name) + "\" stands outside any [section]";
    return "unknown setting \"" + std::string(name) + "\" in [" + section + "]";
}

struct OneLine {
    PlayerSettings* settings = nullptr;
    bool hadValue = false;
    std::string problem;
};

int onValue(void* user, const char* section, const char* name, const char* value) {
    OneLine& line = *static_cast<OneLine*>(user);
    line.hadValue = true;
    line.problem = applySetting(*line.settings, section, name, value);
    return line.problem.empty() ? 1 : 0;
}

bool knownSection(const std::string& name) {
    for (const char* known : {"keys", "screen", "sound", "controller", "game"}) {
        if (sameName(name.c_str(), known)) return true;
    }
    return false;
}

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool readSettingsFile(const std::string& path, PlayerSettings& settings) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string section, text;
    int number = 0;
    auto report = [&](const std::string& why) {
        std::fprintf(stderr, "%s:%d: %s; line ignored\n", path.c_str(), number, why.c_str());
    };
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        if (line.size() > kLongestLine) {
            report("longer than " + std::to_string(kLongestLine) + " characters");
            continue;
        }
        OneLine one;
        one.settings = &settings;
        text = "[" + section + "]\n" + line + "\n";
        if (ini_parse_string(text.c_str(), onValue, &one) != 0) {
            report(one.problem.empty()
                       ? "neither a setting (name = value), a [section] nor a comment"
                       : one.problem);
            continue;
        }
        const std::string bare = trimmed(line);
        if (!one.hadValue && !bare.empty() && bare[0] == '[') {
            section = trimmed(bare.substr(1, bare.find(']') - 1));
            if (!knownSection(section)) report("unknown section [" + section + "]");
        }
    }
    return true;
}

bool writeDefaultSettingsFile(const std::string& path) {
    // Written under a private name and then linked into place, which fails rather than replace a
    // file of that name: the player's own file is never overwritten, not even half.
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    const size_t length = sizeof kDefaultSettings - 1;
    const bool written = write(fd, kDefaultSettings, length) == static_cast<ssize_t>(length);
    const bool closed = close(fd) == 0;
    const bool placed = written && closed && link(temporary.c_str(), path.c_str()) == 0;
    const int reason = errno;
    unlink(temporary.c_str());
    errno = reason;
    return placed;
}

PlayerSettings loadPlayerSettings() {
    PlayerSettings settings;
    const std::string path = playerFolder() + kSettingsFileName;
    if (access(path.c_str(), F_OK) != 0 && !writeDefaultSettingsFile(path)) {
        std::fprintf(stderr, "%s: cannot be written (%s); the defaults apply\n", path.c_str(),
                     std::strerror(errno));
    }
    readSettingsFile(path, settings);
    setPlayerKeys(settings.keys);
    setControllersEnabled(settings.controllers);
    setSoundVolume(settings.volume);
    return settings;
}
