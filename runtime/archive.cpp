// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The media archive: reading the kql directory, resolving names and unpacking entries.
#include "runtime/archive.h"

#include <fcntl.h>
#include <lzo1x.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "runtime/files.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/regular_file.h"
#include "runtime/temp_folder.h"

namespace {

MediaArchive primaryArchive;
MediaArchive secondaryArchive;

constexpr size_t kTrailerSize = 7;

// Copies at most kMediaPathSize - 1 bytes; the buffers may overlap.
void storePath(char* dest, const char* src) {
    size_t n = std::strlen(src);
    if (n >= kMediaPathSize) n = kMediaPathSize - 1;
    std::memmove(dest, src, n);
    dest[n] = '\0';
}

void deleteExtracted(MediaArchive& a) {
    if (a.extractedPath[0] != '\0') {
        ::unlink(a.extractedPath);
        a.extractedPath[0] = '\0';
    }
}

void resetArchive(MediaArchive& a, const char* name) {
    a.enabled = 1;
    deleteExtracted(a);
    a.archivePath[0] = '\0';
    storePath(a.archivePath, name ? name : "");
}

int32_t le32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

bool readAt(int fd, int64_t pos, void* buf, size_t n) {
    uint8_t* out = static_cast<uint8_t*>(buf);
    size_t done = 0;
    while (done < n) {
        ssize_t got =
            ::pread(fd, out + done, n - done, static_cast<off_t>(pos + static_cast<int64_t>(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

// Sequential reads through the directory, a block at a time, never past the end of the file.
class DirectoryReader {
  public:
    DirectoryReader(int fd, int64_t pos, int64_t end) : fd_(fd), pos_(pos), end_(end) {}
    bool read(void* out, size_t n) {
        uint8_t* o = static_cast<uint8_t*>(out);
        while (n > 0) {
            if (at_ == filled_) {
                if (pos_ >= end_) return false;
                size_t want = sizeof buf_;
                if (static_cast<int64_t>(want) > end_ - pos_)
                    want = static_cast<size_t>(end_ - pos_);
                if (!readAt(fd_, pos_, buf_, want)) return false;
                pos_ += static_cast<int64_t>(want);
                at_ = 0;
                filled_ = want;
            }
            size_t take = filled_ - at_ < n ? filled_ - at_ : n;
            std::memcpy(o, buf_ + at_, take);
            at_ += take;
            o += take;
            n -= take;
        }
        return true;
    }

  private:
    int fd_;
    int64_t pos_, end_;
    uint8_t buf_[4096];
    size_t at_ = 0, filled_ = 0;
};

bool sameNameIgnoringCase(const char* a, size_t an, const char* b, size_t bn) {
    if (an != bn) return false;
    for (size_t i = 0; i < an; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// 0 when the path is a plain file that can be read, else the reason (an errno value).
int plainFileError(const char* path) {
    int fd = openRegularFile(path);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
}

// Each missing media file and each unusable archive is reported once on standard error: the game
// runs on without it (a blank sprite, a silent sound), so the player or packager needs the word.
std::set<std::string> reported;

void reportOnce(const std::string& message) {
    if (!reported.insert(message).second) return;
    std::fprintf(stderr, "Tovrik: %s\n", message.c_str());
}

bool archiveReported(const std::string& archiveName) {
    return reported.count("archive " + archiveName) != 0;
}

void reportArchive(const std::string& archiveName, const std::string& message) {
    if (reported.insert("archive " + archiveName).second)
        std::fprintf(stderr, "Tovrik: %s\n", message.c_str());
}

bool lzoReady() {
    static const bool ok = lzo_init() == LZO_E_OK;
    return ok;
}

bool writeNewFile(const std::string& path, const std::vector<uint8_t>& data) {
    ::unlink(path.c_str());
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < data.size()) {
        ssize_t put = ::write(fd, data.data() + done, data.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<size_t>(put);
    }
    bool ok = ::close(fd) == 0 && done == data.size();
    if (!ok) ::unlink(path.c_str());  // a partial file is worse than none
    return ok;
}

enum class Lookup { Found, NotFound, NotAnArchive };

struct FoundEntry {
    std::string name;
    int32_t rawOffset = 0;
    int32_t dataSize = 0;
    std::vector<uint8_t> unpacked;
};

// Finds `base` in the archive open on `fd` and unpacks it. Damage of any kind is NotFound.
Lookup lookUp(int fd, const char* base, FoundEntry& found) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return Lookup::NotAnArchive;
    const int64_t size = static_cast<int64_t>(st.st_size);
    uint8_t trailer[kTrailerSize];
    if (size < static_cast<int64_t>(kTrailerSize) ||
        !readAt(fd, size - static_cast<int64_t>(kTrailerSize), trailer, kTrailerSize))
        return Lookup::NotAnArchive;
    if (trailer[0] != 'k' || trailer[1] != 'q' || trailer[2] != 'L') return Lookup::NotAnArchive;

    const int32_t rawDirectory = le32(trailer + 3);
    const int64_t origin = rawDirectory < 0 ? size : 0;
    const int64_t directory = origin + rawDirectory;
    if (directory < 0 || directory >= size) return Lookup::NotFound;

    const size_t baseLength = std::strlen(base);
    DirectoryReader dir(fd, directory, size);
    for (;;) {
        uint8_t length = 0;
        if (!dir.read(&length, 1) || length == 0) return Lookup::NotFound;
        char name[256];
        uint8_t numbers[8];
        if (!dir.read(name, length) || !dir.read(numbers, sizeof numbers)) return Lookup::NotFound;
        if (length < baseLength || !sameNameIgnoringCase(name, length, base, baseLength)) continue;
        found.name.assign(name, length);
        found.rawOffset = le32(numbers);
        found.dataSize = le32(numbers + 4);
        break;
    }

    const int64_t position = origin + found.rawOffset;
    if (found.dataSize < 4 || position < 0 || position + found.dataSize > size)
        return Lookup::NotFound;
    std::vector<uint8_t> packed(static_cast<size_t>(found.dataSize));
    if (!readAt(fd, position, packed.data(), packed.size())) return Lookup::NotFound;

    const int32_t unpackedSize = le32(packed.data());
    const int32_t streamSize = found.dataSize - 4;
    if (!plausibleUnpackedSize(unpackedSize, streamSize) || !lzoReady()) return Lookup::NotFound;
    found.unpacked.assign(static_cast<size_t>(unpackedSize), 0);
    lzo_uint outLength = found.unpacked.size();
    uint8_t spare = 0;
    const int rc = lzo1x_decompress_safe(packed.data() + 4, static_cast<lzo_uint>(streamSize),
                                         found.unpacked.empty() ? &spare : found.unpacked.data(),
                                         &outLength, nullptr);
    if (rc != LZO_E_OK || outLength != found.unpacked.size()) return Lookup::NotFound;
    return Lookup::Found;
}

}  // namespace

MediaArchive& primaryMediaArchive() { return primaryArchive; }
MediaArchive& secondaryMediaArchive() { return secondaryArchive; }

void releaseMediaArchives() {
    for (MediaArchive* a : {&primaryArchive, &secondaryArchive}) {
        deleteExtracted(*a);
        a->enabled = 0;
        a->archivePath[0] = '\0';
    }
}

void setMediaArchives(const char* primary, const char* secondary) {
    reported.clear();  // newly named archives are reported afresh
    resetArchive(primaryArchive, primary);
    resetArchive(secondaryArchive, secondary);
    setServiceRelease(ServiceStage::Archives, releaseMediaArchives);
}

void setMediaArchives(const TextValue& primary, const TextValue& secondary) {
    setMediaArchives(textCString(primary), textCString(secondary));
}

namespace {

// The part of a name after its last folder separator: what an archive's entries are called.
const char* baseNameOf(const char* name) {
    const char* base = name;
    for (const char* p = name; *p; ++p) {
        if (*p == '/' || *p == '\\') base = p + 1;
    }
    return base;
}

// Opens the archive that may hold a file missing from the disk. -1, with the archive disabled
// and the failure reported once, when there is none to read.
int openArchive(MediaArchive& archive, const std::string& missing, std::string& archiveName) {
    if (!pathForReading(archive.archivePath, archiveName)) archive.enabled = 0;
    if (!archive.enabled || archiveName.empty()) {
        archive.enabled = 0;
        // An archive that could not be read has been reported already, and explains every file.
        if (!archiveReported(archiveName)) reportOnce(missing);
        return -1;
    }
    const int fd = openRegularFile(archiveName.c_str());
    if (fd < 0) {
        archive.enabled = 0;
        // Start-up names the archives after the program's folder until the game names its own: that
        // is no archive to report, only the file that is missing.
        if (errno == EISDIR)
            reportOnce(missing);
        else
            reportArchive(archiveName, "cannot read the media archive " + archiveName + ": " +
                                           std::strerror(errno));
    }
    return fd;
}

// Writes an unpacked entry into this process's private temporary folder: its path there, or ""
// once the reason is reported.
std::string unpackEntry(const FoundEntry& entry, const std::string& archiveName) {
    // The letters keep two entries of the same name from different archives apart; the folder is
    // this process's own, so another running program never deletes or overwrites the file.
    for (bool retried = false;; retried = true) {
        const std::string folder = processTempFolder();
        if (folder.empty()) {
            reportOnce("cannot unpack " + entry.name + ": no private temporary folder");
            return "";
        }
        std::string tempName = folder + "kql";
        tempName += static_cast<char>('A' + (static_cast<uint32_t>(entry.rawOffset) & 0xFFu) % 26);
        tempName += static_cast<char>('A' + (static_cast<uint32_t>(entry.dataSize) & 0xFFu) % 26);
        tempName += entry.name;
        errno = ENAMETOOLONG;
        if (tempName.size() < kMediaPathSize && writeNewFile(tempName, entry.unpacked))
            return tempName;
        const int error = errno;
        // A full temporary folder is left for a fresh one elsewhere, once.
        if (!retried && (error == ENOSPC || error == EDQUOT) && leaveFullTempFolder()) continue;
        reportOnce("cannot unpack " + entry.name + " from " + archiveName + " into " + folder +
                   ": " + std::strerror(error));
        return "";
    }
}

}  // namespace

int resolveMediaFile(MediaArchive& archive, const char* name, char* dest) {
    // Only the most recent extraction of each archive exists at any time.
    deleteExtracted(archive);

    if (name == nullptr || name[0] == '\0') {
        dest[0] = '\0';
        return 0;
    }
    std::string diskName;
    // 1024 characters or more: not a name the runtime takes.
    if (!pathForReading(name, diskName) || diskName.size() >= kMediaPathSize) {
        dest[0] = '\0';
        return 0;
    }
    const int diskError = plainFileError(diskName.c_str());
    if (diskError == 0) {
        // A name that no folder changed comes back as it was given.
        std::string asGiven;
        const bool unchanged = toSystemPath(name, asGiven) && asGiven == diskName;
        if (!unchanged)
            storePath(dest, diskName.c_str());
        else if (dest != name)
            storePath(dest, name);
        return 1;
    }
    const std::string missing = "media file " + diskName + ": " + std::strerror(diskError);

    std::string archiveName;
    const int fd = openArchive(archive, missing, archiveName);
    if (fd < 0) return 0;
    const char* base = baseNameOf(name);
    FoundEntry entry;
    const Lookup result = lookUp(fd, base, entry);
    ::close(fd);
    if (result == Lookup::NotAnArchive) {
        archive.enabled = 0;
        reportArchive(archiveName, archiveName + " is not a media archive");
        return 0;
    }
    if (result == Lookup::NotFound) {
        reportOnce(missing + ", and no intact " + base + " in " + archiveName);
        dest[0] = '\0';
        return 0;
    }
    const std::string unpacked = unpackEntry(entry, archiveName);
    if (unpacked.empty()) {
        dest[0] = '\0';
        return 0;
    }
    storePath(archive.extractedPath, unpacked.c_str());
    storePath(dest, unpacked.c_str());
    return 1;
}

bool resolveMediaFile(const char* name, std::string& path) {
    char buffer[kMediaPathSize];
    if (name == nullptr) name = "";
    storePath(buffer, name);
    if (std::strlen(name) >= kMediaPathSize) buffer[0] = '\0';  // never resolve a cut-off name
    if (!resolveMediaFile(primaryArchive, buffer, buffer)) {
        path.clear();
        return false;
    }
    return toSystemPath(buffer, path);
}

bool resolveMediaFile(const TextValue& name, std::string& path) {
    return resolveMediaFile(textCString(name), path);
}
