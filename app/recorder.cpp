// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The session recorder (see recorder.h; the format is in docs/driver.md).
#include "app/recorder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>
#include <vector>

#include "app/driver_script.h"
#include "devices/input.h"
#include "devices/key_names.h"
#include "graphics/present.h"
#include "runtime/atomic_file.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/maths.h"

namespace {

// A line of the recording's body, at the frame it starts with. A keys or typed line covers the
// frames `frame` to `to` and reads head + frames + tail; any other line is head alone (to 0).
struct BodyLine {
    int64_t frame;
    int64_t to;
    std::string head, tail;
};

// A pending proof: a finished level entered a table; kept once the level has closed.
struct Proof {
    bool pending = false;
    int level = 0, place = 0;
    std::string name;
};

struct Recorder {
    bool running = false;
    std::string file;  // --record; empty: proofs only
    int32_t seed = 0;
    std::string playerName;
    std::vector<BodyLine> body;
    int64_t presented = 0;  // frames presented since the start
    bool full = false;      // the recording reached the last frame a script may name

    // The keys held since frame keysFrom and the character typed since typedFrom.
    unsigned char keys[256] = {};
    int64_t keysFrom = 1;
    int typed = 0;
    int64_t typedFrom = 1;
    Proof proof;
};

Recorder rec;

std::string frames(int64_t from, int64_t to) {
    return from == to ? std::to_string(from) : std::to_string(from) + "-" + std::to_string(to);
}

void addKeys(const unsigned char keys[256], int64_t from, int64_t to) {
    std::string names;
    for (int code = 0; code < 256; ++code) {
        if (keys[code] & 0x80) names += " " + keyNameForCode(code);
    }
    if (!names.empty()) rec.body.push_back({from, to, "keys ", names});
}

void addTyped(int typed, int64_t from, int64_t to) {
    if (typed != 0) rec.body.push_back({from, to, "typed ", " " + std::to_string(typed)});
}

void addLine(int64_t frame, const std::string& text) { rec.body.push_back({frame, 0, text, ""}); }

// The keys and the typed character of frame `frame`, as the game is to read them all frame long.
void takeFrame(int64_t frame) {
    if (frame > kMaxDriverFrame) {
        rec.full = true;
        return;
    }
    const unsigned char* now = keyboardState();
    if (std::memcmp(now, rec.keys, sizeof rec.keys) != 0) {
        addKeys(rec.keys, rec.keysFrom, frame - 1);
        std::memcpy(rec.keys, now, sizeof rec.keys);
        rec.keysFrom = frame;
    }
    const int typed = heldKeysCharacter();
    injectTypedCharacter(typed);
    if (typed != rec.typed) {
        addTyped(rec.typed, rec.typedFrom, frame - 1);
        rec.typed = typed;
        rec.typedFrom = frame;
    }
}

// The frame being worked out.
int64_t currentFrame() { return rec.presented + 1; }

// The frame the program ends in when it ends now: the one just counted when the present that
// counted it is still under way, else the next.
int64_t endingFrame() {
    const int64_t frame = presentHookHasRun() ? rec.presented : rec.presented + 1;
    return std::min<int64_t>(std::max<int64_t>(frame, 1), kMaxDriverFrame);
}

std::string twoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::string error;
    if (replaceFile(path, text.data(), text.size(), &error)) return true;
    std::fprintf(stderr, "crumlet: cannot keep the recording: %s\n", error.c_str());
    return false;
}

void keepProof(int64_t quitFrame) {
    if (!rec.proof.pending || rec.full) return;
    rec.proof.pending = false;
    const std::string folder = playerFolder() + "Replays/";
    mkdir(folder.c_str(), 0700);
    std::string name;
    for (int n = 1;; ++n) {
        name = proofFileName(rec.proof.level, rec.proof.place, rec.proof.name, std::time(nullptr));
        if (n > 1) name.insert(name.size() - 7, "-" + std::to_string(n));
        struct stat st;
        if (lstat((folder + name).c_str(), &st) != 0 || n > 99) break;
    }
    if (writeFile(folder + name, recordingText(quitFrame))) pruneProofs(folder);
}

// At the end of the program, whatever ended it: the proof of a level whose close was not seen,
// and the recording the player asked for.
void finishRecording() {
    if (!rec.running) return;
    rec.running = false;
    const int64_t quit = endingFrame();
    keepProof(quit);
    if (!rec.file.empty()) writeFile(rec.file, recordingText(quit));
}

// The parts of a proof's name: level, place, name, date, time and the count of a same-second
// proof ("" for the first); false for any other name.
bool proofSortKey(const std::string& file, std::string& key) {
    static const char kEnd[] = ".replay";
    const size_t endLength = sizeof kEnd - 1;
    if (file.size() <= endLength || file.compare(0, 5, "level") != 0 ||
        file.compare(file.size() - endLength, endLength, kEnd) != 0) {
        return false;
    }
    std::vector<std::string> parts;
    std::istringstream in(file.substr(0, file.size() - endLength));
    for (std::string part; std::getline(in, part, '-');) parts.push_back(part);
    if (parts.size() < 5 || parts.size() > 6) return false;
    if (parts[3].size() != 8 || parts[4].size() != 6) return false;
    const std::string count = parts.size() == 6 ? parts[5] : "1";
    key = parts[3] + parts[4] + std::string(4 - std::min<size_t>(count.size(), 4), '0') + count;
    return true;
}

}  // namespace

void startRecorder(const std::string& recordFile) {
    if (rec.running) return;
    rec = Recorder();
    rec.running = true;
    rec.file = recordFile;
    // A seed of its own, so that it can be written down: the clock's milliseconds and the
    // process, as the clock seed would differ from run to run.
    rec.seed = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)) * 2654435761u ^
                                    static_cast<uint32_t>(timeStampMs() * 1000) ^
                                    static_cast<uint32_t>(getpid()));
    seedRandom(rec.seed);
    pollKeyboard();
    setKeysPerFrame(true);
    std::memset(rec.keys, 0, sizeof rec.keys);
    takeFrame(1);
    setPresentHook(recorderFrame);
    addExitCleanup(finishRecording);
}

void recorderFrame() {
    rec.presented += 1;
    takeFrame(rec.presented + 1);
}

bool recorderRunning() { return rec.running; }

void recorderPlayerName(const std::string& name) { rec.playerName = name; }

void recorderLevelStarted(int level, uint64_t contentHash) {
    char hash[24];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(contentHash));
    addLine(currentFrame(),
            "level " + std::to_string(currentFrame()) + " " + std::to_string(level) + " " + hash);
}

void recorderLevelFinished(int level, const std::string& name, const std::string& score,
                           int place) {
    addLine(currentFrame(), "# finished level " + std::to_string(level) + " score " + score +
                                " name" + (name.empty() ? "" : " " + encodeScriptName(name)));
    if (place >= 1) rec.proof = Proof{true, level, place, name};
}

void recorderLevelClosed() { addLine(currentFrame(), "close " + std::to_string(currentFrame())); }

void recorderLevelEnded() {
    // The menu presents the frame the level ended in; the proof ends with it.
    if (rec.running) keepProof(currentFrame());
}

std::string recordingText(int64_t quitFrame) {
    const size_t written = rec.body.size();
    // The keys and character of the frames still running, up to the end.
    addKeys(rec.keys, rec.keysFrom, quitFrame);
    addTyped(rec.typed, rec.typedFrom, quitFrame);
    std::vector<BodyLine> body;
    for (const BodyLine& line : rec.body) {
        if (line.frame <= quitFrame) body.push_back(line);
    }
    rec.body.resize(written);
    std::stable_sort(body.begin(), body.end(),
                     [](const BodyLine& a, const BodyLine& b) { return a.frame < b.frame; });

    std::vector<std::string> lines = {
        "recording " + std::to_string(kRecordingVersion), "seed " + std::to_string(rec.seed),
        rec.playerName.empty() ? "player" : "player " + encodeScriptName(rec.playerName)};
    for (const BodyLine& line : body) {
        // A span still running at the end is cut there.
        lines.push_back(line.to == 0
                            ? line.head
                            : line.head + frames(line.frame, std::min(line.to, quitFrame)) +
                                  line.tail);
    }
    lines.push_back("quit " + std::to_string(quitFrame));
    std::string text =
        "# A recorded session of CRUMLET DEMO: watch it with \"crumlet --play FILE\", check the\n"
        "# scores it reached with \"crumlet --verify FILE\".\n";
    uint32_t sum = 0;
    for (const std::string& line : lines) {
        text += line + "\n";
        if (line[0] == '#') continue;
        std::vector<std::string> words;
        std::istringstream in(line);
        for (std::string w; in >> w;) words.push_back(w);
        sum = scriptLineSum(sum, words);
    }
    char check[24];
    std::snprintf(check, sizeof check, "check %08x\n", sum);
    return text + check;
}

std::string proofFileName(int level, int place, const std::string& name, int64_t unixTime) {
    std::string who;
    for (char c : name) who += (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ? c : '_';
    if (who.empty()) who = "nobody";
    const time_t t = static_cast<time_t>(unixTime);
    struct tm utc;
    gmtime_r(&t, &utc);
    char when[32];
    std::strftime(when, sizeof when, "%Y%m%d-%H%M%S", &utc);
    return "level" + twoDigits(level) + "-place" + std::to_string(place) + "-" + who + "-" + when +
           ".replay";
}

void pruneProofs(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::pair<std::string, std::string>> proofs;  // key, file
    while (dirent* entry = readdir(dir)) {
        std::string key;
        if (proofSortKey(entry->d_name, key)) proofs.push_back({key, entry->d_name});
    }
    closedir(dir);
    if (proofs.size() <= static_cast<size_t>(kKeptProofs)) return;
    std::sort(proofs.begin(), proofs.end());
    const size_t extra = proofs.size() - kKeptProofs;
    for (size_t i = 0; i < extra; ++i) unlink((folder + proofs[i].second).c_str());
}
