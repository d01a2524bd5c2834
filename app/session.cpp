// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Recording, playing back, timing and verifying sessions (see session.h).
#include "app/session.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/driver.h"
#include "app/recorder.h"
#include "platform/platform.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/temp_folder.h"

namespace {

struct Reached {
    int level;
    std::string score, name;
};

struct Session {
    SessionOptions options;
    DriverScript recording;        // a replay's
    std::vector<Reached> reached;  // a replay's finished levels, in order
    double startMs = 0;
    bool failed = false;  // a replay that ended on a mismatch of levels
};

Session session;

bool replays(SessionMode mode) {
    return mode == SessionMode::Play || mode == SessionMode::Timedemo ||
           mode == SessionMode::Verify;
}

// Copies a small regular file; a missing one is no error.
void copyIfThere(const std::string& from, const std::string& to) {
    struct stat st;
    if (lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (1 << 20)) return;
    FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr) return;
    FILE* out = std::fopen(to.c_str(), "wb");
    if (out != nullptr) {
        char buf[16384];
        size_t got;
        while ((got = std::fread(buf, 1, sizeof buf, in)) > 0) std::fwrite(buf, 1, got, out);
        std::fclose(out);
    }
    std::fclose(in);
}

// --verify: each finished level with what the replay reached, and whether it is what the
// recording claims; the status says whether all of it matched.
void reportVerification() {
    if (session.failed) return;
    const std::vector<DriverScript::Claim>& claims = session.recording.claims;
    bool same = claims.size() == session.reached.size();
    for (size_t i = 0; i < session.reached.size(); ++i) {
        const Reached& r = session.reached[i];
        std::printf("level %d  name %s  score %s", r.level, r.name.empty() ? "-" : r.name.c_str(),
                    r.score.c_str());
        if (i >= claims.size()) {
            std::printf("  but the recording claims no such result\n");
            same = false;
            continue;
        }
        const DriverScript::Claim& c = claims[i];
        if (c.level == r.level && c.score == r.score && c.name == r.name) {
            std::printf("  as recorded\n");
        } else {
            std::printf("  but the recording claims level %d  name %s  score %s\n", c.level,
                        c.name.empty() ? "-" : c.name.c_str(), c.score.c_str());
            same = false;
        }
    }
    for (size_t i = session.reached.size(); i < claims.size(); ++i) {
        std::printf(
            "the recording claims level %d  name %s  score %s, the replay finished no "
            "such level\n",
            claims[i].level, claims[i].name.empty() ? "-" : claims[i].name.c_str(),
            claims[i].score.c_str());
    }
    if (session.reached.empty() && claims.empty()) std::printf("no level was finished\n");
    std::printf(same ? "verified: the replay reaches what the recording claims\n"
                     : "NOT verified: the replay does not reach what the recording claims\n");
    std::fflush(stdout);
    setNormalExitStatus(same ? 0 : 1);
}

void reportTimedemo() {
    if (session.failed) return;
    const double seconds = (timeStampMs() - session.startMs) / 1000;
    const int64_t frames = driverFramesPresented();
    std::printf("%lld frames in %.3f seconds: %.1f frames per second\n",
                static_cast<long long>(frames), seconds, seconds > 0 ? frames / seconds : 0.0);
    std::fflush(stdout);
}

}  // namespace

void configureSession(const SessionOptions& options) {
    session.options = options;
    const SessionMode mode = options.mode;
    // Relative names are relative to the folder the program was started from, which start-up
    // leaves.
    char cwd[4096];
    const std::string base = getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) + "/" : "";
    if (mode == SessionMode::Record && options.file[0] != '/')
        session.options.file = base + options.file;
    if (!replays(mode)) {
        setDriverTracePath(options.tracePath);
        return;
    }
    std::string error;
    DriverScript& r = session.recording;
    if (!loadDriverScript(options.file, base, r, error)) {
        std::fprintf(stderr, "crumlet: %s: not a recording the game can replay: %s\n",
                     options.file.c_str(), error.c_str());
        std::exit(2);
    }
    if (r.recordingVersion == 0) {
        std::fprintf(stderr,
                     "crumlet: %s: not a recording (a recording starts with a \"recording\" "
                     "line)\n",
                     options.file.c_str());
        std::exit(2);
    }
    if (r.quitFrame == 0) {
        std::fprintf(stderr, "crumlet: %s: the recording has no quit line\n", options.file.c_str());
        std::exit(2);
    }
    // A recording writes no files of its own: only what the command line asks for.
    DriverScript script = r;
    script.shots.clear();
    script.tracePath.clear();
    script.pacing = mode == SessionMode::Play;
    configureDriverScript(script);
    setDriverTracePath(options.tracePath);
    setDriverEndsOnBack(mode == SessionMode::Play);
    setSleepsSkipped(mode != SessionMode::Play);
    if (mode == SessionMode::Verify) platformRunUnseen();
}

bool sessionReplays() { return replays(session.options.mode); }

void useReplayPlayerFolder() {
    if (!sessionReplays()) return;
    const std::string real = playerFolder();
    const std::string temp = processTempFolder();
    if (temp.empty()) {
        std::fprintf(stderr, "crumlet: no temporary folder for the replay's saves\n");
        std::exit(1);
    }
    const std::string copy = temp + "player/";
    mkdir(copy.c_str(), 0700);
    mkdir((copy + "Maps").c_str(), 0700);
    // The saves (and any level files kept there), the settings and the controller map: the
    // replay sees the player folder as it is, and whatever it writes goes to the copy.
    if (DIR* maps = opendir((real + "Maps").c_str())) {
        while (dirent* entry = readdir(maps)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                copyIfThere(real + "Maps/" + name, copy + "Maps/" + name);
        }
        closedir(maps);
    }
    copyIfThere(real + "settings.ini", copy + "settings.ini");
    copyIfThere(real + "gamecontrollerdb.txt", copy + "gamecontrollerdb.txt");
    setPlayerFolder(copy);
}

void startSession() {
    session.startMs = timeStampMs();
    switch (session.options.mode) {
        case SessionMode::Player:
            if (!driverRunning()) startRecorder("");
            break;
        case SessionMode::Record:
            if (driverRunning()) {  // TOVRIK_DRIVER: a script would play, not the player
                std::fprintf(stderr,
                             "crumlet: --record records the player; a driver script "
                             "(TOVRIK_DRIVER) plays instead\n");
                setNormalExitStatus(2);
                endProgram();
            }
            startRecorder(session.options.file);
            break;
        case SessionMode::Play:
            break;
        case SessionMode::Timedemo:
            addExitCleanup(reportTimedemo);
            break;
        case SessionMode::Verify:
            addExitCleanup(reportVerification);
            break;
    }
}

std::string sessionPlayerName(const std::string& profileName) {
    std::string name = profileName;
    if (driverPlayerName(name)) return name;
    if (recorderRunning()) recorderPlayerName(profileName);
    return profileName;
}

void sessionLevelStarted(int level, uint64_t contentHash) {
    if (recorderRunning()) recorderLevelStarted(level, contentHash);
    std::string why;
    if (!driverPlaysRecording() || driverLevelMatches(level, contentHash, why)) return;
    const std::string& file = sessionReplays() ? session.options.file : std::string("the script");
    std::fprintf(stderr, "crumlet: %s: %s\n", file.c_str(), why.c_str());
    session.failed = true;
    setNormalExitStatus(2);
    endProgram();
}

void sessionLevelFinished(int level, const std::string& name, const std::string& score, int place) {
    if (recorderRunning()) recorderLevelFinished(level, name, score, place);
    if (sessionReplays()) session.reached.push_back({level, score, name});
}

bool sessionFinishedLevelCloses(bool closingSoundEnded) {
    if (driverPlaysRecording()) return driverClosesFinishedLevel();
    if (closingSoundEnded && recorderRunning()) recorderLevelClosed();
    return closingSoundEnded;
}

void sessionLevelEnded() {
    if (recorderRunning()) recorderLevelEnded();
}
