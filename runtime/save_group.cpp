// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Saves replaced together through an intent journal, and the start-up step that finishes a group
// a killed process had committed to.
#include "runtime/save_group.h"

#include <dirent.h>
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
#include "runtime/checksum.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/save_journal.h"

namespace {

const char kJournalName[] = ".tovrik-journal";
// Folders below the player folder whose side files are swept: deep enough for a level pack's own
// tables (packs/<pack>/Maps/).
constexpr int kSweepDepth = 3;

bool groupOpen = false;
std::vector<FileChannel> waiting;

// `path` as a plain name relative to the player folder; false when it lies elsewhere (a link
// written through, an absolute name the game gave).
bool relativeToPlayerFolder(std::string path, std::string& out) {
    const std::string& folder = playerFolder();
    if (!folder.empty()) {
        if (path.compare(0, folder.size(), folder) != 0) return false;
        path.erase(0, folder.size());
    } else if (!path.empty() && path[0] == '/') {
        return false;  // without a player folder only names relative to the current one
    }
    std::string clean;
    size_t at = 0;
    while (at < path.size()) {
        size_t slash = path.find('/', at);
        if (slash == std::string::npos) slash = path.size();
        std::string part = path.substr(at, slash - at);
        if (!part.empty() && part != ".") clean += (clean.empty() ? "" : "/") + part;
        at = slash + 1;
    }
    if (!isPlainRelativeName(clean)) return false;
    out = clean;
    return true;
}

std::string describeError(int error) { return std::strerror(error != 0 ? error : EIO); }

int openFolderOf(int base, const std::string& name);

// True when the folder of every entry is reached from the player folder without a link: the
// start that may finish the group looks only there, so a group it could not see is not begun.
bool reachableWithoutLinks(const std::vector<SaveJournalEntry>& entries, std::string& failed) {
    const std::string& player = playerFolder();
    int top = open(player.empty() ? "." : player.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const SaveJournalEntry& e : entries) {
        int folder = top >= 0 ? openFolderOf(top, e.target) : -1;
        if (folder < 0) {
            failed = e.target;
            if (top >= 0) close(top);
            return false;
        }
        close(folder);
    }
    close(top);
    return true;
}

void dropGroup() {
    for (FileChannel& c : waiting) abandonWriting(c);
    waiting.clear();
    groupOpen = false;
}

// Puts every waiting file in place; false, with one line on standard error naming the file and
// the reason, when the group could not be committed.
bool publishGroup() {
    groupOpen = false;
    bool ok = true;
    if (waiting.size() == 1) {
        ok = waiting[0].replacement.publish();
        if (!ok)
            std::fprintf(stderr, "Tovrik: %s: cannot be replaced (%s); the old file is kept\n",
                         waiting[0].replacement.target().c_str(), describeError(errno).c_str());
    } else if (!waiting.empty()) {
        std::vector<SaveJournalEntry> entries;
        for (const FileChannel& c : waiting) {
            SaveJournalEntry e;
            if (!relativeToPlayerFolder(c.replacement.sidePath(), e.side) ||
                !relativeToPlayerFolder(c.replacement.target(), e.target)) {
                std::fprintf(stderr,
                             "Tovrik: %s: outside the player folder %s, so it cannot be saved "
                             "together with the others; the old files are kept\n",
                             c.replacement.target().c_str(), playerFolder().c_str());
                dropGroup();
                return false;
            }
            e.size = c.replacement.writtenSize();
            e.checksum = c.replacement.writtenChecksum();
            entries.push_back(e);
        }
        std::string journal = saveJournalPath();
        std::string unreachable;
        if (!reachableWithoutLinks(entries, unreachable)) {
            std::fprintf(stderr,
                         "Tovrik: %s%s: its folder is a symbolic link or cannot be opened (%s), "
                         "so it cannot be saved together with the others; the old files are "
                         "kept\n",
                         playerFolder().c_str(), unreachable.c_str(), describeError(errno).c_str());
            dropGroup();
            return false;
        }
        std::string text = encodeSaveJournal(entries);
        std::string error;
        // Until the journal is in place nothing has changed: a failure keeps every old file. A
        // link in the journal's place is never written through.
        if (!replaceFile(journal, text.data(), text.size(), &error, false)) {
            std::fprintf(stderr,
                         "Tovrik: cannot write the save journal %s; the old files are kept\n",
                         error.c_str());
            dropGroup();
            return false;
        }
        // The renames follow each other directly, so the files differ on disk for as short a
        // time as can be; the folders are flushed after them.
        for (FileChannel& c : waiting) {
            if (ok && !c.replacement.publish(false)) {
                ok = false;
                std::fprintf(stderr,
                             "Tovrik: %s: cannot be replaced (%s); the next start finishes the "
                             "save from %s\n",
                             c.replacement.target().c_str(), describeError(errno).c_str(),
                             journal.c_str());
            }
        }
        for (FileChannel& c : waiting) syncFolderOf(c.replacement.target());
        // A rename that failed stays in the journal, with its side file, for the next start to
        // finish.
        if (ok) {
            unlink(journal.c_str());
            syncFolderOf(journal);
        }
        for (FileChannel& c : waiting)
            if (!ok && c.replacement.active()) c.replacement.leave();
    }
    dropGroup();
    return ok;
}

// ---- finishing at start-up, on the player folder's descriptor ----

// A descriptor of the folder part of `name` (relative to `base`), reached without following a
// link; -1 with errno set.
int openFolderOf(int base, const std::string& name) {
    int fd = dup(base);
    size_t at = 0;
    for (size_t slash; fd >= 0 && (slash = name.find('/', at)) != std::string::npos;
         at = slash + 1) {
        int next = openat(fd, name.substr(at, slash - at).c_str(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        int error = errno;
        close(fd);
        errno = error;
        fd = next;
    }
    return fd;
}

std::string baseOf(const std::string& name) { return name.substr(name.rfind('/') + 1); }

// True when `name` in `folder` is a regular file (never a link) holding exactly the content the
// journal recorded.
bool holdsContent(int folder, const std::string& name, const SaveJournalEntry& e) {
    int fd = openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok =
        fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) == e.size;
    uint64_t sum = kChecksumStart;
    char buffer[16384];
    for (ssize_t got; ok && (got = read(fd, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (ok) sum = addToChecksum(sum, buffer, static_cast<size_t>(got));
    }
    close(fd);
    return ok && sum == e.checksum;
}

// Removes every side file left by a killed writer in the player folder and the folders below it,
// `depth` levels down (links are not followed). Only a holder of the folder's lock may: no other
// writer lives.
void sweepSideFiles(int folder, int depth) {
    int fd = dup(folder);
    DIR* d = fd >= 0 ? fdopendir(fd) : nullptr;
    if (d == nullptr) {
        if (fd >= 0) close(fd);
        return;
    }
    std::vector<std::string> below;
    while (dirent* entry = readdir(d)) {
        const std::string name = entry->d_name;
        struct stat st;
        if (name == "." || name == ".." ||
            fstatat(dirfd(d), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(st.st_mode) && isSideFileName(name))
            unlinkat(dirfd(d), name.c_str(), 0);
        else if (S_ISDIR(st.st_mode) && depth > 0)
            below.push_back(name);
    }
    for (const std::string& name : below) {
        int sub = openat(dirfd(d), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0) continue;
        sweepSideFiles(sub, depth - 1);
        close(sub);
    }
    closedir(d);
}

enum class Journal { None, Finished, Kept };

void say(const std::string& journal, const std::string& what) {
    std::fprintf(stderr, "Tovrik: %s: %s\n", journal.c_str(), what.c_str());
}

void removeJournal(int folder) {
    unlinkat(folder, kJournalName, 0);
    fsync(folder);
}

// Rolls a journal forward or back; Kept when it must stay for a later start.
Journal settleJournal(int folder, const std::string& journal) {
    int fd = openat(folder, kJournalName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return Journal::None;
        if (errno == ELOOP) {
            say(journal,
                "a symbolic link, not a journal this program wrote; removed, the save "
                "files are as they were");
            removeJournal(folder);
            return Journal::Finished;
        }
        say(journal, "cannot read the save journal (" + describeError(errno) +
                         "); the save files are left as they are");
        return Journal::Kept;
    }
    struct stat st;
    std::string text, why;
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular && static_cast<uint64_t>(st.st_size) <= kMaxSaveJournalSize) {
        text.resize(static_cast<size_t>(st.st_size));
        if (readFully(fd, &text[0], text.size()) != text.size()) {
            int error = errno;
            close(fd);
            say(journal, "cannot read the save journal (" + describeError(error) +
                             "); the save files are left as they are");
            return Journal::Kept;
        }
    }
    close(fd);
    if (!regular) {
        // Never written by this program; a folder stays (a later save then names it).
        say(journal,
            "not a regular file, so not a save journal; ignored, the save files are as "
            "they were");
        if (!S_ISDIR(st.st_mode)) removeJournal(folder);
        return Journal::Finished;
    }
    std::vector<SaveJournalEntry> entries;
    if (static_cast<uint64_t>(st.st_size) > kMaxSaveJournalSize)
        why = "larger than " + std::to_string(kMaxSaveJournalSize / 1024) +
              " KiB, so not a save journal of this program";
    if (why.empty() && decodeSaveJournal(text, entries, why)) why.clear();
    if (!why.empty() && entries.empty()) {
        say(journal, why + "; rolled back, the old save files are kept");
        removeJournal(folder);
        return Journal::Finished;
    }

    // Each file's new content is either waiting in its side file or already in place.
    std::vector<int> folders;
    std::vector<bool> waitingSide;
    std::string lost, replaced;
    for (const SaveJournalEntry& e : entries) {
        int sub = openFolderOf(folder, e.target);
        folders.push_back(sub);
        bool side = sub >= 0 && holdsContent(sub, baseOf(e.side), e);
        bool done = !side && sub >= 0 && holdsContent(sub, baseOf(e.target), e);
        waitingSide.push_back(side);
        if (!side && !done && lost.empty()) lost = e.side;
        if (done && replaced.empty()) replaced = e.target;
    }
    bool forward = lost.empty() || !replaced.empty();
    std::string failed;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (folders[i] < 0 || !waitingSide[i]) continue;
        const std::string side = baseOf(entries[i].side);
        if (!forward) {
            unlinkat(folders[i], side.c_str(), 0);
        } else if (failed.empty() && renameat(folders[i], side.c_str(), folders[i],
                                              baseOf(entries[i].target).c_str()) != 0) {
            failed = entries[i].target + " (" + describeError(errno) + ")";
        }
        fsync(folders[i]);
    }
    for (int sub : folders)
        if (sub >= 0) close(sub);
    if (!failed.empty()) {
        say(journal, "cannot finish the save a crash interrupted: " + failed +
                         "; the journal is kept for the next start");
        return Journal::Kept;
    }
    removeJournal(folder);
    if (!forward)
        say(journal, "the side file " + lost +
                         " is missing or damaged; rolled back, the old save files are kept");
    else if (!lost.empty())
        say(journal, "the side file " + lost + " is missing or damaged but " + replaced +
                         " was already replaced; finished what could be, the save files may "
                         "not match");
    else
        say(journal,
            "finished the save a crash interrupted (" + std::to_string(entries.size()) + " files)");
    return Journal::Finished;
}

}  // namespace

std::string saveJournalPath() { return playerFolder() + kJournalName; }

void beginSaveGroup() {
    if (groupOpen) return;
    dropGroup();
    groupOpen = true;
}

void commitSaveGroup() {
    // A failure is said once by publishGroup, naming the file and the reason, and every old file
    // stays whole. The game goes on with its table in memory, which its next save offers again:
    // stopping here would lose the player's score for certain.
    publishGroup();
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

void finishInterruptedSaves(bool folderHeld) {
    const std::string journal = saveJournalPath();
    const std::string& player = playerFolder();
    int folder = open(player.empty() ? "." : player.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;  // no folder yet: nothing was saved
    if (settleJournal(folder, journal) != Journal::Kept && folderHeld)
        sweepSideFiles(folder, kSweepDepth);
    close(folder);
}
