// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: settings.ini as the player may leave it. Every setting stays within its range
// and every action keeps at least one key, whatever the lines say.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/settings.h"
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlayerSettings settings;
    readSettingsText(std::string(reinterpret_cast<const char*>(data), size), "settings.ini",
                     settings);
    fuzzing::require(settings.volume >= 0 && settings.volume <= 100, "the volume is a percentage");
    fuzzing::require(settings.scale >= 0 && settings.scale <= 16, "the scale is 0 to 16");
    for (int a = 0; a < kGameActionCount; ++a)
        fuzzing::require(!settings.keys[static_cast<GameAction>(a)].empty(),
                         "every action keeps a key");
    return 0;
}
