// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Names of keyboard keys, shared by the scripted driver's key lines and the player's settings file.
#pragma once

#include <string>

// The scan code a key name stands for, or -1. Names are not case-sensitive: "Up", "Down", "Left",
// "Right", "Space", "Return" (or "Enter"), "Escape" (or "Esc"), "Backspace", "Tab", "Ctrl"
// (left Control), "RCtrl", "Shift" (left), "RShift", "Alt", "RAlt", "F1".."F12", "Home", "End",
// "PageUp", "PageDown", "Insert", "Delete", "Minus", "Comma", "Period", "Slash", the letters a..z
// and digits 0..9 (key positions of a US keyboard), and "@<code>" for a raw scan code 0..255.
int keyCodeForName(const std::string& name);
// A name keyCodeForName reads back as `code` (0..255): the common name where the key has one
// ("Right", "a", "F12"), else "@<code>".
std::string keyNameForCode(int code);
