#pragma once
// Reading the text sources of the media and level tools: whole files and their lines.

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

}  // namespace toolfiles
