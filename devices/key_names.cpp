// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The table of key names (see key_names.h).
#include "devices/key_names.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace {

struct NamedKey {
    const char* name;
    int code;
};

const NamedKey kNamedKeys[] = {
    {"escape", 1},     {"esc", 1},      {"backspace", 14}, {"tab", 15},   {"return", 28},
    {"enter", 28},     {"ctrl", 29},    {"lctrl", 29},     {"shift", 42}, {"lshift", 42},
    {"rshift", 54},    {"alt", 56},     {"lalt", 56},      {"space", 57}, {"f1", 59},
    {"f2", 60},        {"f3", 61},      {"f4", 62},        {"f5", 63},    {"f6", 64},
    {"f7", 65},        {"f8", 66},      {"f9", 67},        {"f10", 68},   {"f11", 87},
    {"f12", 88},       {"rctrl", 157},  {"ralt", 184},     {"home", 199}, {"up", 200},
    {"pageup", 201},   {"left", 203},   {"right", 205},    {"end", 207},  {"down", 208},
    {"pagedown", 209}, {"insert", 210}, {"delete", 211},   {"minus", 12}, {"period", 52},
    {"comma", 51},     {"slash", 53},
};

// Scan codes of the letters a..z on a US layout.
const int kLetterCodes[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                              49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

}  // namespace

int keyCodeForName(const std::string& name) {
    std::string n = name;
    for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (n.size() == 1 && n[0] >= 'a' && n[0] <= 'z') return kLetterCodes[n[0] - 'a'];
    if (n.size() == 1 && n[0] >= '1' && n[0] <= '9') return 2 + (n[0] - '1');
    if (n == "0") return 11;
    if (n.size() >= 2 && n[0] == '@') {  // a raw scan code
        const std::string digits = n.substr(1);
        if (!std::isdigit(static_cast<unsigned char>(digits[0]))) return -1;
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(digits.c_str(), &end, 10);
        return errno == 0 && *end == '\0' && v <= 255 ? static_cast<int>(v) : -1;
    }
    for (const NamedKey& k : kNamedKeys) {
        if (n == k.name) return k.code;
    }
    return -1;
}

std::string keyNameForCode(int code) {
    code &= 0xFF;
    for (int i = 0; i < 26; ++i) {
        if (kLetterCodes[i] == code) return std::string(1, static_cast<char>('a' + i));
    }
    if (code >= 2 && code <= 10) return std::string(1, static_cast<char>('1' + code - 2));
    if (code == 11) return "0";
    static const char* const kShortNames[] = {
        "Escape",   "Backspace", "Tab",    "Return", "Ctrl",   "Shift", "RShift", "Alt", "Space",
        "RCtrl",    "RAlt",      "Home",   "Up",     "PageUp", "Left",  "Right",  "End", "Down",
        "PageDown", "Insert",    "Delete", "Minus",  "Period", "Comma", "Slash"};
    for (const char* name : kShortNames) {
        if (keyCodeForName(name) == code) return name;
    }
    if ((code >= 59 && code <= 68) || code == 87 || code == 88) {
        for (int f = 1; f <= 12; ++f) {
            const std::string name = "F" + std::to_string(f);
            if (keyCodeForName(name) == code) return name;
        }
    }
    return "@" + std::to_string(code);
}
