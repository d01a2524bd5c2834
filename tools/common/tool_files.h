#pragma once
// Files of the media and level tools: reading text sources, and writing outputs so that a failed
// build never leaves a short file behind.

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/atomic_file.h"

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

// Replaces `path` whole (the runtime's one file replacement): the old file stays until the new
// one is complete on disk.
inline bool writeFileReplacing(const std::string& path, const void* data, size_t size,
                               std::string& error) {
    return replaceFile(path, data, size, &error);
}

}  // namespace toolfiles
