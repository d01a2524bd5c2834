// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The scripted driver (see driver.h and docs/driver.md).
#include "app/driver.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "devices/input.h"
#include "devices/key_names.h"
#include "graphics/present.h"
#include "graphics/screenshots.h"
#include "runtime/lifecycle.h"
#include "runtime/maths.h"
#include "runtime/regular_file.h"

namespace {

struct DriverRun {
    bool configured = false;
    bool started = false;
    DriverScript script;
    int64_t presented = 0;  // frames presented since startDriver
    FILE* trace = nullptr;
};

DriverRun run;

constexpr int kLeftShift = 42;

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool parseInt(const std::string& s, int64_t& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    out = v;
    return true;
}

bool parseFrame(const std::string& s, int64_t& frame) {
    return parseInt(s, frame) && frame >= 1 && frame <= kMaxDriverFrame;
}

bool parseFrameRange(const std::string& s, int64_t& from, int64_t& to) {
    size_t dash = s.find('-', 1);
    if (dash == std::string::npos) {
        if (!parseFrame(s, from)) return false;
        to = from;
    } else if (!parseFrame(s.substr(0, dash), from) || !parseFrame(s.substr(dash + 1), to)) {
        return false;
    }
    return to >= from;
}

// A word of the script for a message: bytes outside printable ASCII as \xHH, so that nothing
// invisible hides in "unknown directive".
std::string printable(const std::string& word) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (char ch : word) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F) {
            out += ch;
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

const std::string kFrameRange = "frame numbers run from 1 to " + std::to_string(kMaxDriverFrame);

std::string resolvePath(const std::string& baseDir, const std::string& name) {
    if (name.empty() || name[0] == '/') return name;
    return baseDir + name;
}

void writeTraceLine(const std::string& line) {
    if (run.trace == nullptr) return;
    std::fputs(line.c_str(), run.trace);
    std::fputc('\n', run.trace);
    std::fflush(run.trace);  // a killed run still leaves every line written so far
}

void closeTrace() {
    if (run.trace != nullptr) {
        std::fclose(run.trace);
        run.trace = nullptr;
    }
}

void injectFrameKeys(int64_t frame) {
    unsigned char keys[256];
    driverKeysForFrame(run.script, frame, keys);
    injectKeyboardSnapshot(keys);
}

// Runs inside every presentFrame: the frame just drawn is frame `presented`.
void onPresent() {
    run.presented += 1;
    int64_t frame = run.presented;
    for (const DriverScript::Shot& shot : run.script.shots) {
        if (shot.frame == frame && !saveScreenshot(shot.path.c_str())) {
            std::fprintf(stderr, "driver: cannot write screenshot %s\n", shot.path.c_str());
        }
    }
    if (run.script.quitFrame != 0 && frame >= run.script.quitFrame) {
        closeTrace();
        endProgram();
    }
    injectFrameKeys(frame + 1);
}

}  // namespace

bool parseDriverScript(const std::string& text, const std::string& baseDir, DriverScript& out,
                       std::string& error) {
    out = DriverScript();
    // A UTF-8 byte-order mark, as some editors write one, is not part of the first line.
    static const char kByteOrderMark[] = "\xEF\xBB\xBF";
    const bool marked = text.compare(0, 3, kByteOrderMark) == 0;
    std::istringstream lines(marked ? text.substr(3) : text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(lines, line)) {
        ++lineNumber;
        // A zero byte would end the word it is in for every number reader ("seed 1\0x" as 1).
        if (line.find('\0') != std::string::npos) return fail("a zero byte is not text");
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty()) continue;
        std::string cmd = lower(w[0]);
        if (cmd == "seed") {
            int64_t v;
            if (w.size() != 2 || !parseInt(w[1], v) || v < INT32_MIN || v > INT32_MAX) {
                return fail("seed takes one 32-bit whole number");
            }
            out.hasSeed = true;
            out.seed = static_cast<int32_t>(v);
        } else if (cmd == "pacing") {
            if (w.size() != 2 || (lower(w[1]) != "on" && lower(w[1]) != "off")) {
                return fail("pacing takes on or off");
            }
            out.pacing = lower(w[1]) == "on";
        } else if (cmd == "trace") {
            if (w.size() != 2) return fail("trace takes one file name");
            out.tracePath = resolvePath(baseDir, w[1]);
        } else if (cmd == "shot") {
            int64_t frame;
            if (w.size() != 3 || !parseFrame(w[1], frame)) {
                return fail("shot takes a frame number and a file name; " + kFrameRange);
            }
            out.shots.push_back({frame, resolvePath(baseDir, w[2])});
        } else if (cmd == "keys") {
            DriverScript::KeySpan span;
            if (w.size() < 2 || !parseFrameRange(w[1], span.from, span.to)) {
                return fail("keys takes a frame or frame range (10 or 10-20) and key names; " +
                            kFrameRange);
            }
            for (size_t i = 2; i < w.size(); ++i) {
                int code = keyCodeForName(w[i]);
                if (code < 0) return fail("unknown key \"" + printable(w[i]) + "\"");
                span.keys.push_back(code);
            }
            out.keys.push_back(span);
        } else if (cmd == "type") {
            // One letter every second frame, released in between, so repeated letters count.
            // A capital is typed as a player types it, with left Shift held.
            int64_t frame;
            if (w.size() != 3 || !parseFrame(w[1], frame)) {
                return fail("type takes a frame number and a word; " + kFrameRange);
            }
            if (frame + 2 * static_cast<int64_t>(w[2].size() - 1) > kMaxDriverFrame) {
                return fail("the word's last letter comes after frame " +
                            std::to_string(kMaxDriverFrame));
            }
            for (char c : w[2]) {
                int code = keyCodeForName(std::string(1, c));
                if (code < 0) return fail("cannot type \"" + printable(std::string(1, c)) + "\"");
                DriverScript::KeySpan letter{frame, frame, {code}};
                if (c >= 'A' && c <= 'Z') letter.keys.push_back(kLeftShift);
                out.keys.push_back(letter);
                frame += 2;
            }
        } else if (cmd == "quit") {
            int64_t frame;
            if (w.size() != 2 || !parseFrame(w[1], frame)) {
                return fail("quit takes a frame number; " + kFrameRange);
            }
            out.quitFrame = frame;
        } else {
            return fail("unknown directive \"" + printable(w[0]) + "\"");
        }
    }
    return true;
}

void driverKeysForFrame(const DriverScript& script, int64_t frame, unsigned char keys[256]) {
    std::memset(keys, 0, 256);
    for (const DriverScript::KeySpan& span : script.keys) {
        if (frame < span.from || frame > span.to) continue;
        for (int code : span.keys) keys[code & 255] = 0x80;
    }
}

bool loadDriverScript(const std::string& path, const std::string& baseDir, DriverScript& out,
                      std::string& error) {
    // Only a regular file: a folder would read as an empty script (a run without end), a FIFO
    // would wait for a writer.
    const int fd = openRegularFile(path.c_str());
    if (fd < 0) {
        error = errno == EISDIR || errno == ENXIO
                    ? "not a regular file"
                    : std::string("cannot read: ") + std::strerror(errno);
        return false;
    }
    std::string text;
    char chunk[16384];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = std::string("cannot read: ") + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (got == 0) break;
        text.append(chunk, static_cast<size_t>(got));
        if (text.size() > kMaxDriverScriptBytes) {
            error = "larger than " + std::to_string(kMaxDriverScriptBytes) + " bytes";
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    return parseDriverScript(text, baseDir, out, error);
}

void configureDriver(const std::string& commandLineScript) {
    std::string scriptPath = commandLineScript;
    const char* env = std::getenv("TOVRIK_DRIVER");
    if (scriptPath.empty() && env != nullptr) scriptPath = env;
    if (scriptPath.empty()) return;

    // Relative names are kept relative to the folder the program was started from: the
    // runtime's start-up moves into the program's own folder later.
    std::string baseDir;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) != nullptr) baseDir = std::string(cwd) + "/";
    std::string error;
    if (!loadDriverScript(scriptPath, baseDir, run.script, error)) {
        std::fprintf(stderr, "driver: %s: %s\n", scriptPath.c_str(), error.c_str());
        std::exit(2);
    }
    run.configured = true;
}

void startDriver() {
    if (!run.configured || run.started) return;
    run.started = true;
    if (run.script.hasSeed) seedRandom(run.script.seed);
    setPacingEnabled(run.script.pacing);
    setFocusPausing(false);
    if (!run.script.tracePath.empty()) {
        run.trace = std::fopen(run.script.tracePath.c_str(), "w");
        if (run.trace == nullptr) {
            std::fprintf(stderr, "driver: cannot write trace %s\n", run.script.tracePath.c_str());
            std::exit(2);
        }
        addExitCleanup(closeTrace);
    }
    injectFrameKeys(1);
    setPresentHook(onPresent);
}

bool driverTracing() { return run.trace != nullptr; }

bool driverConfigured() { return run.configured; }

void driverWriteTrace(const std::string& line) { writeTraceLine(line); }
