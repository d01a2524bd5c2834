// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Reading driver scripts and recordings (see driver_script.h and docs/driver.md).
#include "app/driver_script.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "devices/key_names.h"
#include "runtime/regular_file.h"
#include "runtime/text_lines.h"

namespace {

using Words = std::vector<std::string>;

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

bool parseHex(const std::string& s, size_t digits, uint64_t& out) {
    if (s.size() != digits) return false;
    out = 0;
    for (char c : s) {
        const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                                                                  : -1;
        if (v < 0) return false;
        out = out * 16 + static_cast<uint64_t>(v);
    }
    return true;
}

const std::string kFrameRange = "frame numbers run from 1 to " + std::to_string(kMaxDriverFrame);

std::string resolvePath(const std::string& baseDir, const std::string& name) {
    if (name.empty() || name[0] == '/') return name;
    return baseDir + name;
}

// What reading a script keeps between its lines.
struct ScriptReading {
    const std::string& baseDir;
    DriverScript& out;
    int directives = 0;    // directive lines read so far
    uint32_t sum = 0;      // scriptLineSum of those lines
    bool checked = false;  // a recording's check line was read
    int64_t keysTo = 0;    // the last frame of a recording's keys lines so far
    std::string why;       // what is wrong with the current line
    bool fail(const std::string& reason) {
        why = reason;
        return false;
    }
};

// ---- One routine per directive: false with the reason in `r.why` ----------------------------

bool readSeed(const Words& w, ScriptReading& r) {
    int64_t v;
    if (w.size() != 2 || !parseInt(w[1], v) || v < INT32_MIN || v > INT32_MAX) {
        return r.fail("seed takes one 32-bit whole number");
    }
    r.out.hasSeed = true;
    r.out.seed = static_cast<int32_t>(v);
    return true;
}

bool readPacing(const Words& w, ScriptReading& r) {
    if (w.size() != 2 || (lower(w[1]) != "on" && lower(w[1]) != "off")) {
        return r.fail("pacing takes on or off");
    }
    r.out.pacing = lower(w[1]) == "on";
    return true;
}

bool readTrace(const Words& w, ScriptReading& r) {
    if (w.size() != 2) return r.fail("trace takes one file name");
    r.out.tracePath = resolvePath(r.baseDir, w[1]);
    return true;
}

bool readShot(const Words& w, ScriptReading& r) {
    int64_t frame;
    if (w.size() != 3 || !parseFrame(w[1], frame)) {
        return r.fail("shot takes a frame number and a file name; " + kFrameRange);
    }
    r.out.shots.push_back({frame, resolvePath(r.baseDir, w[2])});
    return true;
}

bool readKeys(const Words& w, ScriptReading& r) {
    DriverScript::KeySpan span;
    if (w.size() < 2 || !parseFrameRange(w[1], span.from, span.to)) {
        return r.fail("keys takes a frame or frame range (10 or 10-20) and key names; " +
                      kFrameRange);
    }
    for (size_t i = 2; i < w.size(); ++i) {
        int code = keyCodeForName(w[i]);
        if (code < 0) return r.fail("unknown key \"" + printableText(w[i]) + "\"");
        span.keys.push_back(code);
    }
    // A recording holds one snapshot per frame: its keys lines never overlap, so that a replay
    // looks at one line at a time however long the recording is.
    if (r.out.recordingVersion != 0) {
        if (span.from <= r.keysTo) return r.fail("keys lines go forward in frames");
        r.keysTo = span.to;
    }
    r.out.keys.push_back(span);
    return true;
}

// One letter every second frame, released in between, so repeated letters count. A capital is
// typed as a player types it, with left Shift held.
bool readType(const Words& w, ScriptReading& r) {
    int64_t frame;
    if (w.size() != 3 || !parseFrame(w[1], frame)) {
        return r.fail("type takes a frame number and a word; " + kFrameRange);
    }
    if (frame + 2 * static_cast<int64_t>(w[2].size() - 1) > kMaxDriverFrame) {
        return r.fail("the word's last letter comes after frame " +
                      std::to_string(kMaxDriverFrame));
    }
    for (char c : w[2]) {
        int code = keyCodeForName(std::string(1, c));
        if (code < 0) return r.fail("cannot type \"" + printableText(std::string(1, c)) + "\"");
        DriverScript::KeySpan letter{frame, frame, {code}};
        if (c >= 'A' && c <= 'Z') letter.keys.push_back(kLeftShift);
        r.out.keys.push_back(letter);
        frame += 2;
    }
    return true;
}

bool readQuit(const Words& w, ScriptReading& r) {
    int64_t frame;
    if (w.size() != 2 || !parseFrame(w[1], frame)) {
        return r.fail("quit takes a frame number; " + kFrameRange);
    }
    r.out.quitFrame = frame;
    return true;
}

bool readPlayer(const Words& w, ScriptReading& r) {
    std::string name;
    if (w.size() > 2 || (w.size() == 2 && !decodeScriptName(w[1], name))) {
        return r.fail("player takes a name of up to 8 letters (other bytes as %HH), or nothing");
    }
    r.out.hasPlayerName = true;
    r.out.playerName = name;
    return true;
}

bool readRecording(const Words& w, ScriptReading& r) {
    int64_t version;
    if (w.size() != 2 || !parseInt(w[1], version) || version < 1) {
        return r.fail("recording takes the format's version number");
    }
    if (r.directives != 0) return r.fail("recording must be the first line of a recording");
    if (version > kRecordingVersion) {
        return r.fail("a recording of format " + std::to_string(version) +
                      " (made by a newer version of the game); this one reads format " +
                      std::to_string(kRecordingVersion));
    }
    r.out.recordingVersion = static_cast<int>(version);
    return true;
}

bool readTyped(const Words& w, ScriptReading& r) {
    DriverScript::TypedSpan span;
    int64_t code;
    if (w.size() != 3 || !parseFrameRange(w[1], span.from, span.to) || !parseInt(w[2], code) ||
        code < 1 || code > 255) {
        return r.fail("typed takes a frame or frame range and a character code 1 to 255");
    }
    if (!r.out.typed.empty() && span.from <= r.out.typed.back().to) {
        return r.fail("typed lines go forward in frames");
    }
    span.code = static_cast<int>(code);
    r.out.typed.push_back(span);
    return true;
}

bool readClose(const Words& w, ScriptReading& r) {
    int64_t frame;
    if (w.size() != 2 || !parseFrame(w[1], frame)) {
        return r.fail("close takes a frame number; " + kFrameRange);
    }
    if (!r.out.closes.empty() && frame <= r.out.closes.back()) {
        return r.fail("close lines go forward in frames");
    }
    r.out.closes.push_back(frame);
    return true;
}

bool readLevel(const Words& w, ScriptReading& r) {
    DriverScript::LevelStart start;
    int64_t level;
    if (w.size() != 4 || !parseFrame(w[1], start.frame) || !parseInt(w[2], level) || level < 1 ||
        level > 9999 || !parseHex(w[3], 16, start.contentHash)) {
        return r.fail("level takes a frame, a level number and 16 hexadecimal digits");
    }
    start.level = static_cast<int>(level);
    r.out.levels.push_back(start);
    return true;
}

bool readCheck(const Words& w, ScriptReading& r) {
    uint64_t sum;
    if (w.size() != 2 || !parseHex(w[1], 8, sum)) {
        return r.fail("check takes 8 hexadecimal digits");
    }
    if (sum != r.sum) {
        return r.fail(
            "the check line does not match the lines above it: the recording was "
            "changed or damaged");
    }
    r.checked = true;
    return true;
}

struct Directive {
    const char* name;
    bool (*read)(const Words& w, ScriptReading& r);
    bool recordingOnly;
};

const Directive kDirectives[] = {
    {"seed", readSeed, false},  {"pacing", readPacing, false}, {"trace", readTrace, false},
    {"shot", readShot, false},  {"keys", readKeys, false},     {"type", readType, false},
    {"quit", readQuit, false},  {"player", readPlayer, false}, {"recording", readRecording, false},
    {"typed", readTyped, true}, {"close", readClose, true},    {"level", readLevel, true},
    {"check", readCheck, true},
};

// "# finished level <n> score <s> name [<name>]": what the recorded run reached.
bool readClaim(const std::string& line, ScriptReading& r) {
    static const char kPrefix[] = "# finished ";
    if (line.compare(0, sizeof kPrefix - 1, kPrefix) != 0) return true;  // any other comment
    std::istringstream in(line.substr(sizeof kPrefix - 1));
    Words w;
    for (std::string s; in >> s;) w.push_back(s);
    int64_t level, score;
    std::string name;
    if (w.size() < 5 || w.size() > 6 || w[0] != "level" || !parseInt(w[1], level) || level < 1 ||
        w[2] != "score" || !parseInt(w[3], score) || w[4] != "name" ||
        (w.size() == 6 && !decodeScriptName(w[5], name))) {
        return r.fail("a claim reads \"# finished level <n> score <score> name <name>\"");
    }
    r.out.claims.push_back({static_cast<int>(level), w[3], name});
    return true;
}

// One line of the script: a comment (perhaps a claim), a blank line or a directive.
bool readLine(std::string line, ScriptReading& r) {
    // A zero byte would end the word it is in for every number reader ("seed 1\0x" as 1).
    if (line.find('\0') != std::string::npos) return r.fail("a zero byte is not text");
    if (!readClaim(line, r)) return false;
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream in(line);
    Words w;
    for (std::string s; in >> s;) w.push_back(s);
    if (w.empty()) return true;
    if (r.checked) return r.fail("nothing may follow a recording's check line");
    const std::string name = lower(w[0]);
    for (const Directive& d : kDirectives) {
        if (name != d.name) continue;
        if (d.recordingOnly && r.out.recordingVersion == 0) {
            return r.fail(name + " belongs to recordings (which start with a recording line)");
        }
        if (!d.read(w, r)) return false;
        if (name != "check") r.sum = scriptLineSum(r.sum, w);
        ++r.directives;
        return true;
    }
    return r.fail("unknown directive \"" + printableText(w[0]) + "\"");
}

}  // namespace

std::string encodeScriptName(const std::string& name) {
    static const char kHex[] = "0123456789abcdef";
    std::string word;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            word += ch;
        } else {
            word += '%';
            word += kHex[c >> 4];
            word += kHex[c & 15];
        }
    }
    return word;
}

bool decodeScriptName(const std::string& word, std::string& name) {
    name.clear();
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        uint64_t byte;
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            name += c;
        } else if (c == '%' && i + 2 < word.size() && parseHex(word.substr(i + 1, 2), 2, byte)) {
            name += static_cast<char>(byte);
            i += 2;
        } else {
            return false;
        }
    }
    return name.size() <= 8;
}

uint32_t scriptLineSum(uint32_t sum, const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) line += ' ';
        line += word;
    }
    line += '\n';
    return static_cast<uint32_t>(
        crc32(sum, reinterpret_cast<const Bytef*>(line.data()), static_cast<uInt>(line.size())));
}

bool parseDriverScript(const std::string& text, const std::string& baseDir, DriverScript& out,
                       std::string& error) {
    out = DriverScript();
    // A UTF-8 byte-order mark, as some editors write one, is not part of the first line.
    static const char kByteOrderMark[] = "\xEF\xBB\xBF";
    const bool marked = text.compare(0, 3, kByteOrderMark) == 0;
    std::istringstream lines(marked ? text.substr(3) : text);
    ScriptReading reading{baseDir, out, 0, 0, false, 0, std::string()};
    int lineNumber = 0;
    for (std::string line; std::getline(lines, line);) {
        ++lineNumber;
        if (!readLine(line, reading)) {
            error = "line " + std::to_string(lineNumber) + ": " + reading.why;
            return false;
        }
    }
    if (out.recordingVersion != 0 && !reading.checked) {
        error = "line " + std::to_string(lineNumber) +
                ": the recording ends before its check line: the file was cut short";
        return false;
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

ScriptFrames::ScriptFrames(const DriverScript& script) : script_(&script) {
    byStart_.resize(script.keys.size());
    for (size_t i = 0; i < byStart_.size(); ++i) byStart_[i] = i;
    std::stable_sort(byStart_.begin(), byStart_.end(),
                     [&](size_t a, size_t b) { return script.keys[a].from < script.keys[b].from; });
}

void ScriptFrames::at(int64_t frame, unsigned char keys[256], int& typed) {
    const std::vector<DriverScript::KeySpan>& spans = script_->keys;
    while (next_ < byStart_.size() && spans[byStart_[next_]].from <= frame) {
        active_.push_back(byStart_[next_++]);
    }
    active_.erase(std::remove_if(active_.begin(), active_.end(),
                                 [&](size_t i) { return spans[i].to < frame; }),
                  active_.end());
    std::memset(keys, 0, 256);
    for (size_t i : active_) {
        for (int code : spans[i].keys) keys[code & 255] = 0x80;
    }
    typed = -1;
    if (script_->recordingVersion == 0) return;
    const std::vector<DriverScript::TypedSpan>& chars = script_->typed;
    while (nextTyped_ < chars.size() && chars[nextTyped_].to < frame) ++nextTyped_;
    const bool covered = nextTyped_ < chars.size() && chars[nextTyped_].from <= frame;
    typed = covered ? chars[nextTyped_].code : 0;
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
