// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Splitting edited text files into lines and reporting their bad lines.
#include "runtime/text_lines.h"

#include <cstdio>
#include <cstring>

TextLines splitTextLines(const std::string& text) {
    TextLines result;
    bool sawLf = false, sawLoneCr = false;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            (c == '\r' && text[i] != '\n' ? sawLoneCr : sawLf) = true;
            result.lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) result.lines.push_back(line);
    result.crOnly = sawLoneCr && !sawLf;
    return result;
}

std::string printableText(const std::string& text, const char* alsoEscaped) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && std::strchr(alsoEscaped, ch) == nullptr) {
            out += ch;
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

void BadLineReport::line(int number, const std::string& why) {
    if (++count_ <= kMaxBadLineMessages)
        std::fprintf(stderr, "%s:%d: %s; line ignored\n", file_.c_str(), number, why.c_str());
}

void BadLineReport::note(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", file_.c_str(), what.c_str());
}

void BadLineReport::finish() {
    if (finished_) return;
    finished_ = true;
    if (count_ > kMaxBadLineMessages)
        std::fprintf(stderr, "%s: %d more lines ignored\n", file_.c_str(),
                     count_ - kMaxBadLineMessages);
}
