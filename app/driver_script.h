// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The scripted driver's script: its format read into a DriverScript, and the keys it gives each
// frame. A recording of a played session is a script too, with a few directives of its own (the
// typed characters, the frames in which a finished level closed, the levels' content, a check
// line). The format is described in docs/driver.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A parsed script. Frames count the presented frames from 1, starting with the first frame after
// start-up.
struct DriverScript {
    bool hasSeed = false;
    int32_t seed = 0;
    bool pacing = true;
    std::string tracePath;  // empty: no trace
    struct KeySpan {
        int64_t from, to;  // inclusive frame range
        std::vector<int> keys;
    };
    std::vector<KeySpan> keys;
    struct Shot {
        int64_t frame;
        std::string path;
    };
    std::vector<Shot> shots;
    int64_t quitFrame = 0;  // 0: never

    bool hasPlayerName = false;  // "player": the name the game starts with instead of the profile's
    std::string playerName;

    // A recording: a script that starts with "recording <version>" and ends with its check line.
    int recordingVersion = 0;  // 0: an ordinary script
    struct TypedSpan {
        int64_t from, to;
        int code;  // the character the held keys type in these frames
    };
    std::vector<TypedSpan> typed;
    std::vector<int64_t> closes;  // frames in which a finished level closed, ascending
    struct LevelStart {
        int64_t frame;
        int level;
        uint64_t contentHash;
    };
    std::vector<LevelStart> levels;
    // What the recorded run reached, from its "# finished" comment lines, in order.
    struct Claim {
        int level;
        std::string score;
        std::string name;
    };
    std::vector<Claim> claims;
};

// The last frame a script may name (about 46 hours at 60 frames per second).
constexpr int64_t kMaxDriverFrame = 10000000;
// A recording of many hours of play stays far below this.
constexpr size_t kMaxDriverScriptBytes = 16 * 1024 * 1024;
// The recording format this program writes and reads.
constexpr int kRecordingVersion = 1;

// Parses a script. Relative file names are taken relative to baseDir (which ends in '/' or is
// empty). A UTF-8 byte-order mark at the start is skipped. False with a message naming the line
// when the script is not understood: an unknown directive or key, a frame number outside
// 1..kMaxDriverFrame, a zero byte; for a recording also a newer format, a directive after the
// check line, a check line that does not match, or no check line at all (a file cut short).
bool parseDriverScript(const std::string& text, const std::string& baseDir, DriverScript& out,
                       std::string& error);

// Reads a script file (a regular file of at most kMaxDriverScriptBytes) and parses it. False with
// a message when the file cannot be read or the script is not understood.
bool loadDriverScript(const std::string& path, const std::string& baseDir, DriverScript& out,
                      std::string& error);

// The keyboard snapshot (bit 7 = held) the script gives for a frame.
void driverKeysForFrame(const DriverScript& script, int64_t frame, unsigned char keys[256]);

// The keys and typed characters of a script frame after frame, at a cost that does not grow with
// the length of the script (a recording of an hour holds thousands of key lines).
class ScriptFrames {
  public:
    explicit ScriptFrames(const DriverScript& script);
    // The snapshot of `frame` (frames asked for never go backwards) and the character its keys
    // type (0 for none; -1 where the script fixes no character: an ordinary script).
    void at(int64_t frame, unsigned char keys[256], int& typed);

  private:
    const DriverScript* script_;
    std::vector<size_t> byStart_;  // key spans in order of their first frame
    size_t next_ = 0;
    std::vector<size_t> active_;
    size_t nextTyped_ = 0;  // typed spans are kept in frame order
};

// The check line's sum: CRC-32 of every directive line before it, each as its words joined by
// one blank and ended by a line end (comments, blank lines and spacing play no part).
uint32_t scriptLineSum(uint32_t sum, const std::vector<std::string>& words);

// A player's name as one word of a script: lower-case letters and digits as they are, every other
// byte as %HH (two lower-case hexadecimal digits), so that a name from a damaged profile cannot
// break a line. decodeScriptName is false for a word that is not such an encoding of at most 8
// bytes.
std::string encodeScriptName(const std::string& name);
bool decodeScriptName(const std::string& word, std::string& name);
