// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: driver scripts, parsed as the program parses them, and the key snapshots of the
// frames they name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/driver.h"
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    DriverScript script;
    std::string error;
    if (!parseDriverScript(text, "/base/", script, error)) {
        fuzzing::require(error.compare(0, 5, "line ") == 0, "a refusal names its line");
        return 0;
    }
    unsigned char keys[256];
    for (const DriverScript::KeySpan& span : script.keys) {
        fuzzing::require(span.from >= 1 && span.to >= span.from, "a key span is a frame range");
        driverKeysForFrame(script, span.from, keys);
        driverKeysForFrame(script, span.to, keys);
    }
    for (const DriverScript::Shot& shot : script.shots)
        fuzzing::require(shot.frame >= 1, "a shot names a frame");
    return 0;
}
