// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The operations that take or give the runtime's texts.
#include "devices/input.h"
#include "devices/sound.h"
#include "platform/platform_input.h"

#include "runtime/text.h"

namespace {
TextValue oneCharacter(int c) {
    if (c <= 0) return TextValue();
    const char s[2] = {static_cast<char>(c), 0};
    return TextValue(s);
}
}  // namespace

TextValue readTypedChar() { return oneCharacter(typedCharCode()); }

TextValue charForKey(double code) {
    if (!(code >= 0 && code < 256)) return TextValue();
    return oneCharacter(charCodeForKey(static_cast<int>(code)));
}

TextValue joystickName(double n) {
    if (!(n >= 0 && n < platformJoystickCount())) return TextValue();
    return TextValue(platformJoystickName(static_cast<int>(n)));
}

double loadSoundEffect(const TextValue& fileName, double slot, double voices) {
    return loadSoundEffect(fileName.c_str(), slot, voices);
}
