// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Debugging aids: debugger detection, debug texts, break points, command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/lifecycle.h"

namespace {
void (*debugBreakHook)() = nullptr;
TextValue storedCommandLine;
}  // namespace

bool debuggerAttached() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return false;
    char line[256];
    bool attached = false;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            attached = std::atoi(line + 10) != 0;
            break;
        }
    }
    std::fclose(status);
    return attached;
}

void debugPrint(const TextValue& text) {
    if (!debuggerAttached()) return;
    std::fprintf(stderr, "TX%s", textCString(text));
    std::fflush(stderr);
}

void setDebugBreakHook(void (*hook)()) { debugBreakHook = hook; }

void debugBreak(int value) {
    if (!debuggerAttached()) return;
    if (debugBreakHook) debugBreakHook();
    std::fprintf(stderr, "BP%x", static_cast<unsigned>(value));
    std::fflush(stderr);
    runtimeState.paused = 0;
}

void setCommandLine(const char* line) {
    textAssignChars(storedCommandLine, line);
    textReserve(storedCommandLine, 256);
}

TextValue commandLine() { return storedCommandLine; }
