// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Shared pieces of the fuzzing harnesses (see support.h).
#include "fuzz/support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "runtime/lifecycle.h"

namespace fuzzing {
namespace {

void throwStop(int code) { throw RuntimeStop{code}; }

std::string folder;

void removeFolder() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

}  // namespace

void catchRuntimeErrors() { setRuntimeErrorHandler(throwStop); }

const std::string& usePrivateFolder() {
    if (!folder.empty()) return folder;
    // Harnesses write a file or more per input: memory is much faster than a disk, and fsync is
    // free.
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != '\0' && base == "/tmp")
        base = tmp;
    std::string pattern = base + "/tovrik-fuzz-XXXXXX";
    if (::mkdtemp(&pattern[0]) == nullptr) {
        std::perror("tovrik fuzz: cannot make a private folder");
        std::abort();
    }
    folder = pattern;
    std::atexit(removeFolder);
    const std::string tmp = folder + "/tmp";
    ::mkdir(tmp.c_str(), 0700);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    if (::chdir(folder.c_str()) != 0) {
        std::perror("tovrik fuzz: cannot enter the private folder");
        std::abort();
    }
    return folder;
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || (size > 0 && std::fwrite(data, 1, size, f) != size) ||
        std::fclose(f) != 0) {
        std::fprintf(stderr, "tovrik fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "tovrik fuzz: property broken: %s\n", what);
    std::abort();
}

}  // namespace fuzzing
