// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The tests' private folders: mkdtemp under the temporary folder, removal with the object.
#include "tests/support/test_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

const std::string& temporaryFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        return std::string(base && *base ? base : "/tmp");
    }();
    return folder;
}

}  // namespace

TestFolder::TestFolder(const std::string& prefix) {
    std::string pattern = temporaryFolder() + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a test folder like " + pattern);
    }
    path_ = pattern;
}

TestFolder::~TestFolder() {
    if (keep_) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
