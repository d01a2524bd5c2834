// Line-numbered data files: the cached file, its entries, and writing it back.
#include "commands/linefiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/archive.h"
#include "runtime/convert.h"
#include "runtime/files.h"
#include "runtime/lifecycle.h"

namespace {

LineFileCache cache;  // zero-initialised: no file held
bool cleanupRegistered = false;

void registerCleanup() {
  if (!cleanupRegistered) {
    addExitCleanup(flushLineFile);
    cleanupRegistered = true;
  }
}

// Entry numbers arrive as numbers and are truncated toward zero; -1 for anything outside 0..255.
int entryNumber(double line) {
  if (!(line > -1.0 && line < static_cast<double>(kLineFileEntries))) return -1;
  return static_cast<int>(line);
}

void storeEntry(int n, const char* text, size_t length) {
  if (length > kLineFileEntrySize - 1) length = kLineFileEntrySize - 1;
  std::memcpy(cache.lines[n], text, length);
  std::memset(cache.lines[n] + length, 0, kLineFileEntrySize - length);
}

bool writeAll(int fd, const char* data, size_t n) {
  while (n > 0) {
    ssize_t put = ::write(fd, data, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

// Mode for a file that replaces `path`: the old file's permissions, or the usual default.
mode_t replacementMode(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Writes entries 0..lastLine to a temporary file beside the target and renames it into place.
void writeBack() {
  std::string path;
  if (!toSystemPath(cache.fileName, path)) return;
  std::vector<char> tempName(path.begin(), path.end());
  static const char kSuffix[] = ".tmp-XXXXXX";
  tempName.insert(tempName.end(), kSuffix, kSuffix + sizeof kSuffix);  // with the terminator
  int fd = ::mkstemp(tempName.data());
  if (fd < 0) return;  // the folder cannot take the file: the changes are lost, the old file stays
  std::string text;
  for (int n = 0; n <= cache.lastLine && n < kLineFileEntries; ++n) {
    text.append(cache.lines[n], ::strnlen(cache.lines[n], kLineFileEntrySize));
    text += "\r\n";
  }
  bool ok = writeAll(fd, text.data(), text.size());
  ok = ok && ::fchmod(fd, replacementMode(path)) == 0;
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && std::rename(tempName.data(), path.c_str()) == 0;
  if (!ok) ::unlink(tempName.data());
}

void clearStore() {
  std::memset(cache.lines, 0, sizeof cache.lines);
  cache.dirty = 0;
  cache.fileName[0] = '\0';
  cache.lastLine = 0;
}

// Reads up to 256 lines ("\n" or "\r\n" ended; the last may have no line end) into the entries.
void loadLines(FILE* f) {
  std::vector<char> line;
  line.reserve(kLineFileEntrySize);
  for (int n = 0; n < kLineFileEntries; ++n) {
    line.clear();
    bool any = false;
    bool ended = false;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
      any = true;
      if (c == '\n') {
        ended = true;
        break;
      }
      // Characters past 1023 are skipped up to the line end; the entry keeps the first 1023.
      if (line.size() < kLineFileEntrySize) line.push_back(static_cast<char>(c));
    }
    if (!any) return;  // end of the file: no further line
    if (ended && !line.empty() && line.size() < kLineFileEntrySize && line.back() == '\r') line.pop_back();
    // A zero byte ends the entry's text, as it would in the file's line.
    size_t length = 0;
    while (length < line.size() && line[length] != '\0') ++length;
    storeEntry(n, line.data(), length);
    cache.lastLine = n;
    if (!ended) return;
  }
}

void trimTrailingControls(TextValue& t) {
  const char* s = textCString(t);
  uint32_t length = t.length;
  // Read as signed bytes, 128..255 are below 32 too.
  while (length > 0 && static_cast<signed char>(s[length - 1]) < 32) --length;
  if (length != t.length) textTruncate(t, length);
}

}  // namespace

const LineFileCache& lineFileCache() { return cache; }

double selectLineFile(const char* name) {
  registerCleanup();
  if (name != nullptr && std::strcmp(name, cache.fileName) == 0) return 0;

  if (cache.fileName[0] != '\0' && cache.dirty) writeBack();
  clearStore();
  if (name == nullptr) return 0;

  const size_t length = std::strlen(name);
  if (length >= sizeof cache.fileName) {  // not a name the runtime takes
    setErrorCode(kErrorFileTransfer);
    return 3;
  }
  std::memcpy(cache.fileName, name, length + 1);

  char resolved[kMediaPathSize];
  std::memcpy(resolved, name, length + 1);
  if (!resolveMediaFile(primaryMediaArchive(), resolved, resolved)) {
    setErrorCode(kErrorFileTransfer);
    return 3;
  }
  std::string path;
  FILE* f = toSystemPath(resolved, path) ? std::fopen(path.c_str(), "rb") : nullptr;
  if (f == nullptr) {
    setErrorCode(kErrorFileTransfer);
    return 3;
  }
  loadLines(f);
  std::fclose(f);
  return 0;
}

double selectLineFile(const TextValue& name) { return selectLineFile(textCString(name)); }

void flushLineFile() { selectLineFile(static_cast<const char*>(nullptr)); }

void lineFileGetText(const TextValue& name, double line, TextValue& out) {
  const int n = entryNumber(line);
  if (n < 0) {
    out = "NO_DATA";
    setErrorCode(kErrorRange);
    return;
  }
  if (selectLineFile(name) != 0) {
    out = "NO_FILE";
    return;
  }
  out = cache.lines[n];
  trimTrailingControls(out);
  if (out.length == 0) out = "NO_DATA";
}

void lineFileGetNumber(const TextValue& name, double line, double& out) {
  TextValue text;
  lineFileGetText(name, line, text);
  out = textToNumber(text);
}

void lineFileSetText(const TextValue& name, double line, const TextValue& text) {
  const int n = entryNumber(line);
  if (n < 0) {
    setErrorCode(kErrorRange);
    return;
  }
  selectLineFile(name);  // a file that cannot be read starts empty
  storeEntry(n, textCString(text), text.length);
  if (n > cache.lastLine) cache.lastLine = n;
  cache.dirty = 1;
}

void lineFileSetNumber(const TextValue& name, double line, double value) {
  char digits[64];
  numberToChars(value, digits);
  lineFileSetText(name, line, TextValue(digits));
}
