// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Saves replaced together through an intent journal, and the start-up step that finishes a group
// a killed process had committed to.
#include "runtime/save_group.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/atomic_file.h"
#include "runtime/channel_table.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/regular_file.h"

namespace {

const char kJournalHeader[] = "tovrik save journal 1\n";
constexpr size_t kMaxJournalSize = 64 * 1024;

bool groupOpen = false;
std::vector<FileChannel> waiting;

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return path;
    return std::string(cwd) + "/" + path;
}

std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }
std::string baseOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The journal: the header, then for every file its side file and its target, each ended by a
// zero byte (names may hold any other byte).
std::string journalText() {
    std::string text = kJournalHeader;
    for (const FileChannel& c : waiting) {
        text += absolutePath(c.replacement.sidePath()) + '\0';
        text += absolutePath(c.replacement.target()) + '\0';
    }
    return text;
}

// Reads the journal's pairs; false for anything that is not a journal this runtime wrote: a side
// file must be one of its target's own, in the target's folder.
bool parseJournal(const std::string& text,
                  std::vector<std::pair<std::string, std::string>>& pairs) {
    size_t headerLength = sizeof kJournalHeader - 1;
    if (text.compare(0, headerLength, kJournalHeader) != 0) return false;
    std::vector<std::string> names;
    size_t at = headerLength;
    while (at < text.size()) {
        size_t end = text.find('\0', at);
        if (end == std::string::npos) return false;
        names.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (names.size() % 2 != 0) return false;
    for (size_t i = 0; i < names.size(); i += 2) {
        const std::string& side = names[i];
        const std::string& target = names[i + 1];
        if (side.empty() || side[0] != '/' || folderOf(side) != folderOf(target) ||
            !isSideFileOf(baseOf(side), baseOf(target)))
            return false;
        pairs.emplace_back(side, target);
    }
    return true;
}

bool readJournal(const std::string& path, std::string& text) {
    struct stat st;
    int fd = openRegularFile(path.c_str(), O_RDONLY, &st);
    if (fd < 0) return false;
    bool ok = st.st_size <= static_cast<off_t>(kMaxJournalSize);
    if (ok) {
        text.resize(static_cast<size_t>(st.st_size));
        ok = readFully(fd, &text[0], text.size()) == text.size();
    }
    close(fd);
    return ok;
}

void removeJournal(const std::string& path) {
    unlink(path.c_str());
    syncFolderOf(path);
}

void dropGroup() {
    for (FileChannel& c : waiting) abandonWriting(c);
    waiting.clear();
    groupOpen = false;
}

// Puts every waiting file in place; false when the group could not be committed.
bool publishGroup() {
    groupOpen = false;
    bool ok = true;
    if (waiting.size() == 1) {
        ok = waiting[0].replacement.publish();
    } else if (!waiting.empty()) {
        std::string journal = saveJournalPath();
        std::string text = journalText();
        // Until the journal is in place nothing has changed: a failure keeps every old file.
        if (!replaceFile(journal, text.data(), text.size())) {
            dropGroup();
            return false;
        }
        // The renames follow each other directly, so the files differ on disk for as short a
        // time as can be; the folders are flushed after them.
        for (FileChannel& c : waiting) ok = c.replacement.publish(false) && ok;
        for (FileChannel& c : waiting) syncFolderOf(c.replacement.target());
        // A rename that failed stays in the journal, with its side file, for the next start to
        // finish.
        if (ok) removeJournal(journal);
        for (FileChannel& c : waiting)
            if (!ok && c.replacement.active()) c.replacement.leave();
    }
    dropGroup();
    return ok;
}

}  // namespace

std::string saveJournalPath() { return playerFolder() + ".tovrik-journal"; }

void beginSaveGroup() {
    if (groupOpen) return;
    dropGroup();
    groupOpen = true;
}

void commitSaveGroup() {
    if (!publishGroup()) runtimeError(kErrorFileTransfer);
}

bool saveGroupOpen() { return groupOpen; }

void holdInSaveGroup(FileChannel& c) {
    FileChannel held;
    held.replacement = std::move(c.replacement);
    held.targetLock = c.targetLock;
    held.createdTarget = c.createdTarget;
    c.targetLock = -1;
    c.handle = -1;
    waiting.push_back(std::move(held));
}

void dropWaitingSave(int fd) {
    struct stat file;
    if (waiting.empty() || fstat(fd, &file) != 0) return;
    for (size_t i = 0; i < waiting.size(); ++i) {
        struct stat held;
        if (fstat(waiting[i].targetLock, &held) == 0 && held.st_dev == file.st_dev &&
            held.st_ino == file.st_ino) {
            abandonWriting(waiting[i]);
            waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

bool finishSaveGroup(bool commit) {
    if (commit && groupOpen) return publishGroup();
    dropGroup();
    return true;
}

void finishInterruptedSaves() {
    std::string journal = saveJournalPath();
    std::string text;
    if (!readJournal(journal, text)) {
        if (errno != ENOENT)
            std::fprintf(stderr, "Tovrik: %s: cannot read the save journal (%s)\n", journal.c_str(),
                         std::strerror(errno));
        return;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    if (!parseJournal(text, pairs)) {
        std::fprintf(stderr, "Tovrik: %s: not a save journal; removed\n", journal.c_str());
        removeJournal(journal);
        return;
    }
    for (const auto& pair : pairs) {
        struct stat st;
        // A side file that is gone was renamed before the process was killed.
        if (lstat(pair.first.c_str(), &st) != 0 && errno == ENOENT) continue;
        if (rename(pair.first.c_str(), pair.second.c_str()) != 0) {
            std::fprintf(stderr, "Tovrik: %s: cannot finish an interrupted save (%s)\n",
                         pair.second.c_str(), std::strerror(errno));
            return;
        }
        syncFolderOf(pair.second);
    }
    removeJournal(journal);
}
