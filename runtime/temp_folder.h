// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The temporary folders: the user's private folder (declared in runtime/lifecycle.h as
// userTempFolder) and, inside it, a folder of this process's own for unpacked media.
//
// The private folder is ${TMPDIR:-/tmp}/tovrik-<uid>/ (mode 0700, created when missing). When
// it is refused (a symbolic link, not a folder, another user's, it cannot be made, or it turns
// out to be full) the reason
// and the path go to standard error once, and a fresh private folder made with mkdtemp serves
// this run instead; it is removed at the end when empty.
//
// The process folder ("run-<pid>-XXXXXX" in the private folder) is made on first use, held
// locked while the process runs and removed with its content when the program ends, so that two
// running programs never unpack to the same file. Folders of processes that died without
// removing theirs are removed when the next process makes its own.
#pragma once

#include <string>

// This process's folder, ending in '/'; empty when no temporary folder can be had at all.
std::string processTempFolder();

// The private folder turned out to be full: it is refused for the rest of the run like one that
// could not be made (said once) and a fresh folder in /tmp takes its place. False when the run
// already left one folder, or no other can be made.
bool leaveFullTempFolder();
