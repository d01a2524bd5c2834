// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Debugging aids: debugger detection, debug texts, break points, console, command line.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
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

void openConsole() {
    if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) return;
    int fd = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0) return;  // no terminal to bind to
    close(fd);
    // The terminal answered just above; a reopen that still fails leaves nothing else to try.
    if (!isatty(STDIN_FILENO) && std::freopen("/dev/tty", "r", stdin) == nullptr) return;
    if (!isatty(STDOUT_FILENO) && std::freopen("/dev/tty", "w", stdout) == nullptr) return;
}

void setCommandLine(const char* line) {
    textAssignChars(storedCommandLine, line);
    textReserve(storedCommandLine, 256);
}

TextValue commandLine() { return storedCommandLine; }
