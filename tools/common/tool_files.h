// Files of the media and level tools: reading text sources, and writing outputs so that a failed
// build never leaves a short file behind.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace toolfiles {

// Reads the whole file; on failure names it in `error`.
inline bool readTextFile(const std::string& path, std::string& text, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open";
    return false;
  }
  text.assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return true;
}

// Splits text into lines, accepting both "\n" and "\r\n" endings (sources edited anywhere).
inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string l;
  while (std::getline(in, l)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

// Writes to a side file and renames it over `path`: the old file stays whole until the new one is.
inline bool writeFileReplacing(const std::string& path, const void* data, size_t size, std::string& error) {
  const std::string tmp = path + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) {
    error = tmp + ": cannot create";
    return false;
  }
  const bool written = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) {
    std::remove(tmp.c_str());
    error = path + ": write failed";
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    error = path + ": cannot replace";
    return false;
  }
  return true;
}

}  // namespace toolfiles
