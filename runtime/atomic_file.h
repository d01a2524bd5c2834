// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Replacing a file whole: the one way the runtime, the commands and the tools write a file.
//
// The new content goes into a side file created beside the target (mkstemp: a fresh name,
// opened exclusively, so a link planted under a guessed name is never followed), is flushed to
// disk, and then takes the target's place in one rename, which is flushed too. A reader sees the
// old file or the new one, never a part; a write that fails or a process that dies leaves the
// old file as it was (and at most a side file named ".<name>.tovrik-XXXXXX").
//
// Asking to replace a file that the user may not write (read-only permissions, a read-only file
// system) fails as opening it for writing would, and so does a target that is not a regular file
// (a folder, a FIFO, a device). A symbolic link as the target is written through: the file it
// names is replaced and the link stays.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

class FileReplacement {
  public:
    FileReplacement() = default;
    ~FileReplacement();  // discards the side file unless it was published
    FileReplacement(FileReplacement&& other) noexcept;
    FileReplacement& operator=(FileReplacement&& other) noexcept;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the side file for `target`. False (errno set, nothing created) when the target may
    // not be written or the folder cannot take a new file. Without followLinks a symbolic link as
    // the target is refused (ELOOP) instead of written through.
    bool begin(const std::string& target, bool followLinks = true);
    bool write(const void* data, size_t size);  // false on a short write (errno set)
    // Flushes the side file to disk and closes it; the target is untouched.
    bool finish();
    // Puts the finished side file in the target's place and makes the rename durable (unless
    // the caller flushes the folder itself, after several renames: syncFolderOf).
    bool publish(bool syncFolder = true);
    // finish() and publish().
    bool commit();
    // Removes the side file; the target keeps its old content.
    void discard();
    // Lets go of a finished side file without removing it, for a journal that names it to put in
    // place later.
    void leave();

    bool active() const { return !side_.empty(); }
    int fd() const { return fd_; }
    const std::string& target() const { return target_; }  // links resolved
    const std::string& sidePath() const { return side_; }
    // The size and checksum (runtime/checksum.h) of everything written since begin().
    uint64_t writtenSize() const { return written_; }
    uint64_t writtenChecksum() const { return checksum_; }

  private:
    std::string target_;
    std::string side_;
    int fd_ = -1;
    uint64_t written_ = 0;
    uint64_t checksum_ = 0;
};

// Replaces `path` with `size` bytes of `data`. On failure returns false, leaves the old file and
// names the file and the reason in `error` (when given).
bool replaceFile(const std::string& path, const void* data, size_t size,
                 std::string* error = nullptr, bool followLinks = true);

// The side files of `target`, created by a replacement that never finished. Only a caller that
// holds the sole right to write the target may remove them.
bool isSideFileOf(const std::string& sideName, const std::string& targetBase);
// A side file of any target (".<name>.tovrik-XXXXXX").
bool isSideFileName(const std::string& name);

// Flushes the folder holding `path`, so a rename or unlink in it survives a power cut.
void syncFolderOf(const std::string& path);
