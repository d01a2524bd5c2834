// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The eight numbered file channels and the small file-system commands.
//
// Values are stored little-endian: byte, 16-bit word, 32-bit long, 64-bit IEEE double.
// A channel opened for reading (mode != 0) takes the file's size; `position` counts the bytes
// consumed. A channel opened for writing (mode 0) writes through a buffer into a side file in
// the target's folder (runtime/atomic_file.h); closeChannel flushes it to disk and puts it in the
// target's place in one rename (or, inside a save group, with the group: runtime/save_group.h), so
// the old file stays whole until the new one is complete. A file the user may not write is not
// opened for writing (result 0). Files are opened "not shared" (an exclusive advisory lock): a
// second opener, on another channel or in another program, fails.
//
// Failures a game handles are results (openChannel 0, deleteFile 0). A short read or write, or
// a transfer on a closed channel, is runtime error 3, whose message names the file and the
// system's reason; a channel number outside 0..7 is error 7; both stop the program.
//
// Names accept '/' and '\' as separators; every '\' becomes '/' before a system call. Names of
// 1024 characters or more are refused (result 0). A relative name is read from the player folder
// or else the data folder, and written into the player folder (runtime/folders.h).
#pragma once

#include <cstdint>
#include <string>

#include "runtime/atomic_file.h"
#include "runtime/text.h"

constexpr int kFileChannelCount = 8;
constexpr size_t kMaxPathLength = 1023;

struct FileChannel {
    int handle = -1;              // file descriptor; -1 = closed
    uint32_t size = 0;            // size at opening for reading; 0 for writing channels
    uint32_t position = 0;        // bytes consumed by reads since opening
    int targetLock = -1;          // writing: descriptor holding the lock on the target file
    FileReplacement replacement;  // writing: the side file that replaces the target on close
    bool createdTarget = false;   // writing: the target did not exist before the open
    std::string pending;          // writing: bytes not yet handed to the side file
    std::string path;   // the file last opened, kept after a failed open for the error message
    int openError = 0;  // errno of a failed open
};

// Read-only view of a channel's state (for tests and diagnostics); nullptr outside 0..7.
const FileChannel* fileChannelState(int channel);

double openChannel(double channel, const TextValue& name, double mode);
double closeChannel(double channel);
double channelAtEnd(double channel);

void readByte(double channel, double& out);
void readWord(double channel, double& out);
void readLong(double channel, double& out);
void readDouble(double channel, double& out);
void readString(double channel, TextValue& out, double count);
void readLine(double channel, TextValue& out);
void readNumberLine(double channel, double& out);

void writeByte(double channel, double value);
void writeWord(double channel, double value);
void writeLong(double channel, double value);
void writeDouble(double channel, double value);
void writeBytes(double channel, const TextValue& text);
void writeLine(double channel, const TextValue& text);
void writeNumberLine(double channel, double value);

// Closes every open channel when the program ends: writing channels are committed when
// `commit` is true, otherwise their side files are removed and the old files stay. False when a
// commit failed.
bool releaseFileChannels(bool commit);

double deleteFile(const TextValue& name);
double fileExists(const TextValue& name);
double fileSize(const TextValue& name);
TextValue getCurrentDir();  // always ends with "/"
double setCurrentDir(const TextValue& name);
double copyFile(const TextValue& from, const TextValue& to);
double slashesToForward(TextValue& text);  // returns the length

// A game file name as a system path: every '\' becomes '/'. False (out untouched) when the
// name is 1024 characters or longer.
bool toSystemPath(const char* name, std::string& out);
