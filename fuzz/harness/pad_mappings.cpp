// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: gamecontrollerdb.txt as the player may leave it, split into mapping lines and
// handed one by one to the controller layer (SDL's mapping parser).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "devices/pad_mappings.h"
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The layer keeps every mapping it took; starting it afresh now and then bounds its memory.
    static int runs = 0;
    if (runs++ % 500 == 0) {
        platformPadsClose();
        std::vector<PadMappingLine> none, refused;
        fuzzing::require(platformPadsOpen(none, refused), "the controller layer starts");
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    BadLineReport report("gamecontrollerdb.txt");
    const std::vector<PadMappingLine> lines = padMappingLines(text, report);
    int previous = 0;
    for (const PadMappingLine& line : lines) {
        fuzzing::require(line.number > previous, "lines keep their order and numbers");
        fuzzing::require(line.text.find('\0') == std::string::npos, "no NUL reaches the layer");
        fuzzing::require(line.text.find_first_of("\r\n") == std::string::npos,
                         "one line at a time");
        previous = line.number;
        std::string why;
        if (platformPadAddMapping(line.text, why) < 0)
            fuzzing::require(!why.empty(), "a refusal says why");
    }
    return 0;
}
