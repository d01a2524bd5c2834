// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Shared set-up for the archive tests: a private working folder and temporary folder per test,
// and patterned data to pack.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/test_folder.h"
#include "tools/kqlpack/kql_format.h"

namespace archive_test {

inline std::vector<uint8_t> bytesOf(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

inline std::vector<uint8_t> patterned(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    uint32_t x = seed;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        // Runs and noise mixed, so the compressor has both kinds of work.
        v[i] = (i / 64) % 3 == 0 ? static_cast<uint8_t>(i / 64) : static_cast<uint8_t>(x >> 24);
    }
    return v;
}

inline bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// Runs each test in a fresh folder (the working directory) with TMPDIR pointing into it, so the
// per-user temporary folder, and every extracted file, is private to the test.
class ScratchFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = folder_.path();
        ASSERT_EQ(0, ::getcwd(oldCwd_, sizeof oldCwd_) == nullptr);
        ASSERT_EQ(0, ::chdir(root_.c_str()));
        const char* old = std::getenv("TMPDIR");
        hadTmp_ = old != nullptr;
        if (old) oldTmp_ = old;
        ASSERT_EQ(0, ::mkdir((root_ + "/tmp").c_str(), 0700));
        ::setenv("TMPDIR", (root_ + "/tmp").c_str(), 1);
    }
    void TearDown() override {
        if (hadTmp_) {
            ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
        if (::chdir(oldCwd_) != 0) ADD_FAILURE() << "cannot return to " << oldCwd_;
    }
    TestFolder folder_{"tovrik-archive-test"};
    std::string root_;

  private:
    char oldCwd_[4096] = {};
    std::string oldTmp_;
    bool hadTmp_ = false;
};

}  // namespace archive_test
