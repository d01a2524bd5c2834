// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Recording the session a player plays, as a driver script (a recording, docs/driver.md): the
// seed, the name the game started with, the key snapshot of every frame (after the player's keys
// and the controller are folded in) as ranges of frames, the characters the keys typed, the
// frames in which a finished level closed, each started level's content and what every finished
// level reached.
//
// The recorder holds the keys of every frame for the whole frame (setKeysPerFrame), so what the
// game read is exactly what is written down. It keeps the recording in memory; the file is
// written whole through the atomic writer when the program ends (also after the window is closed;
// a killed program leaves the file as it was). When a finished level enters a high-score table,
// the recording up to the level's end is kept as its proof in the player folder's Replays/.
#pragma once

#include <cstdint>
#include <string>

// Starts recording with the frame after start-up: seeds the random generator with a seed of its
// own, holds the keys per frame and hooks itself into the frame present. recordFile (a full path)
// is written at the end; empty: only proofs are kept.
void startRecorder(const std::string& recordFile);
bool recorderRunning();
// What the recorder does in every presented frame, right after the keys for the next frame were
// sampled (its present hook; public for the frame benchmark, which times it).
void recorderFrame();

// The game's moments, each in the frame being worked out.
void recorderPlayerName(const std::string& name);
void recorderLevelStarted(int level, uint64_t contentHash);
void recorderLevelFinished(int level, const std::string& name, const std::string& score, int place);
void recorderLevelClosed();
// The level loop ended (closed, or left with Escape while its closing sound played): a pending
// proof is kept now.
void recorderLevelEnded();

// The recording as written if the program ended after frame quitFrame (tests and proofs).
std::string recordingText(int64_t quitFrame);

// The proofs kept in Replays/: the newest this many.
constexpr int kKeptProofs = 40;
// "level03-place1-ann-20261209-041503.replay": level, place, name (or "nobody") and the time
// in UTC; a second proof in the same second gets "-2", "-3", ... before the extension.
std::string proofFileName(int level, int place, const std::string& name, int64_t unixTime);
// Removes the oldest proofs (by the time in their names) in `folder` beyond kKeptProofs; files
// not named like a proof are left alone.
void pruneProofs(const std::string& folder);
