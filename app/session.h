// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Who plays this run: the player (recorded, for --record and for the proofs of high scores), a
// recording played back (--play: watched at normal speed; --timedemo: as fast as it goes, timed;
// --verify: unseen, its scores checked), or a driver script (--driver, app/driver.h). The game
// tells the session of its moments through the functions at the end; the session answers as the
// run's player does.
//
// A replay never touches the player folder: it runs on a private copy of its saves and settings
// in the process's temporary folder, which goes when the program ends.
#pragma once

#include <cstdint>
#include <string>

enum class SessionMode { Player, Record, Play, Timedemo, Verify };

struct SessionOptions {
    SessionMode mode = SessionMode::Player;
    std::string file;       // the recording written (Record) or replayed
    std::string tracePath;  // --trace; empty: none
};

// Before the folders are chosen and start-up changes the current folder: reads the recording a
// replay plays (a file that is not a readable recording ends the process with status 2 and the
// reason on standard error) and prepares the driver for it.
void configureSession(const SessionOptions& options);
// True for --play, --timedemo and --verify.
bool sessionReplays();
// A replay, after the folders are chosen: the player folder becomes a private copy of the real
// one's saves and settings. Does nothing otherwise.
void useReplayPlayerFolder();
// After startDriver: the recorder starts when the player plays, the clock of a timedemo starts.
void startSession();

// ---- The game's moments, each in the frame being worked out --------------------------------

// The name the game starts with: the profile's, or the one the replayed recording started with.
std::string sessionPlayerName(const std::string& profileName);
// A level was loaded from its files. A replay of other levels or of a changed recording ends
// here with status 2.
void sessionLevelStarted(int level, uint64_t contentHash);
// A finished level reached `score` under `name`, taking `place` in its table (1..8; 0: none).
void sessionLevelFinished(int level, const std::string& name, const std::string& score, int place);
// Whether the finished level closes in this frame: when its closing sound has ended, or in a
// replay, when the recording says it closed.
bool sessionFinishedLevelCloses(bool closingSoundEnded);
// The level loop ended, whatever ended it.
void sessionLevelEnded();
