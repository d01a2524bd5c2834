// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Shared pieces of the fuzzing harnesses: surviving the runtime's error stop, a private working
// folder, and files that hold one input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// What a runtime error throws once catchRuntimeErrors has run: the reader stopped the way the
// program would stop, which is an outcome, not a finding.
struct RuntimeStop {
    int code;
};

// From now on runtime errors throw RuntimeStop instead of ending the process.
void catchRuntimeErrors();

// Makes a private folder (on a memory file system where there is one) the working folder and the
// runtime's temporary folder, and returns its path (ending without '/'). It is made on the first
// call and removed when the process ends.
const std::string& usePrivateFolder();

// Replaces the file at `path` with the bytes.
void writeFile(const std::string& path, const uint8_t* data, size_t size);

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);

// Ends the process with a message when a property of a reader's result does not hold: libFuzzer
// reports the input as a finding.
void require(bool holds, const char* what);

}  // namespace fuzzing
