// A fresh private folder per test, removed afterwards, and small file helpers.
#pragma once

#include <string>
#include <vector>

class TestDir {
public:
    TestDir();
    ~TestDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeBytesToFile(const std::string& path, const std::string& bytes);
std::string readFileBytes(const std::string& path);
bool pathExists(const std::string& path);
std::vector<std::string> listFolder(const std::string& path);
