// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Text files the player edits (settings, controller mappings), taken apart into lines, and the
// report of their bad lines on standard error.
#pragma once

#include <string>
#include <vector>

struct TextLines {
    std::vector<std::string> lines;  // without their ends; a NUL byte stays in its line
    bool crOnly = false;             // lines ended by CR alone (old Mac files), read as line ends
};

// Splits at LF, CR LF and a CR alone.
TextLines splitTextLines(const std::string& text);

// The text as a message may quote it: every byte outside printable ASCII, and each byte of
// `alsoEscaped`, written as \xHH, so that nothing invisible hides in what the player reads.
std::string printableText(const std::string& text, const char* alsoEscaped = "");

// Says what is wrong with a file's lines, each with its number, and stops after the first 20 so
// that a huge damaged file cannot flood the terminal: the rest are counted and said in one line.
class BadLineReport {
  public:
    explicit BadLineReport(std::string file) : file_(std::move(file)) {}
    ~BadLineReport() { finish(); }
    BadLineReport(const BadLineReport&) = delete;
    BadLineReport& operator=(const BadLineReport&) = delete;

    // "<file>:<number>: <why>; line ignored"
    void line(int number, const std::string& why);
    // A remark on the whole file: "<file>: <what>".
    void note(const std::string& what);
    // "<file>: N more lines ignored", once, when lines went unsaid.
    void finish();
    int count() const { return count_; }

  private:
    std::string file_;
    int count_ = 0;
    bool finished_ = false;
};

constexpr int kMaxBadLineMessages = 20;
