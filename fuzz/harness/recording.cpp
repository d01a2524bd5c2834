// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Fuzzing harness: recordings, read as --play, --timedemo and --verify read them, and their keys
// and typed characters frame after frame as the replay walks them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/driver_script.h"
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    DriverScript script;
    std::string error;
    if (!parseDriverScript(text, "/base/", script, error)) {
        fuzzing::require(error.compare(0, 5, "line ") == 0, "a refusal names its line");
        return 0;
    }
    if (script.recordingVersion == 0) return 0;
    fuzzing::require(script.recordingVersion <= kRecordingVersion, "no newer format is read");
    for (size_t i = 1; i < script.closes.size(); ++i)
        fuzzing::require(script.closes[i - 1] < script.closes[i], "closes go forward");
    for (size_t i = 1; i < script.typed.size(); ++i)
        fuzzing::require(script.typed[i - 1].to < script.typed[i].from, "typed spans go forward");
    for (const DriverScript::Claim& claim : script.claims) {
        std::string back;
        fuzzing::require(decodeScriptName(encodeScriptName(claim.name), back) && back == claim.name,
                         "a claimed name is written back as it was read");
    }
    // The replay's walk through the frames gives what the plain lookup gives, at every frame where
    // a key or character span starts or ends (frames in order, as the replay asks for them).
    ScriptFrames frames(script);
    int64_t last = 0;
    auto visit = [&](int64_t frame) {
        if (frame <= last) return;
        last = frame;
        unsigned char walked[256], looked[256];
        int typed = -2;
        frames.at(frame, walked, typed);
        driverKeysForFrame(script, frame, looked);
        fuzzing::require(std::memcmp(walked, looked, 256) == 0, "the walk gives the script's keys");
        fuzzing::require(typed >= 0 && typed <= 255, "a recording fixes every frame's character");
    };
    std::vector<int64_t> edges;
    for (const DriverScript::KeySpan& span : script.keys) {
        edges.push_back(span.from);
        edges.push_back(span.to);
        edges.push_back(span.to + 1);
    }
    for (const DriverScript::TypedSpan& span : script.typed) {
        edges.push_back(span.from);
        edges.push_back(span.to + 1);
    }
    std::sort(edges.begin(), edges.end());
    for (int64_t frame : edges) visit(frame);
    return 0;
}
