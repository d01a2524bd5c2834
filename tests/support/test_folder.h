// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The one private folder a test works in: made fresh under the temporary folder and removed with
// everything in it when the object goes away.
#pragma once

#include <string>

class TestFolder {
  public:
    // The folder's name starts with prefix. The temporary folder is TMPDIR (else /tmp) as it was
    // when the process made its first TestFolder, since tests point TMPDIR elsewhere for the
    // runtime. Throws std::runtime_error when no folder can be made.
    explicit TestFolder(const std::string& prefix = "tovrik-test");
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder, without a '/' at the end.
    const std::string& path() const { return path_; }
    // A name inside the folder.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Leaves the folder in place, for looking at after a failure.
    void keep() { keep_ = true; }

  private:
    std::string path_;
    bool keep_ = false;
};
