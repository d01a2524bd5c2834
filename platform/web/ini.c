// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A reader of INI text with inih's rules, for the browser build: blanks around names and values
// are dropped, whole-line comments start with ';' or '#', a ';' after a blank starts a comment
// at the end of a line, "name = value" and "name: value" both set a value, and "[name]" opens a
// section. Reading goes on after a line it does not understand; the first such line's number is
// returned.
#include "ini.h"

#include <string.h>

static char* skipBlanks(char* s) {
    while (*s == ' ' || *s == '\t' || *s == '\r' || *s == '\f' || *s == '\v') ++s;
    return s;
}

static void dropTrailingBlanks(char* s) {
    size_t n = strlen(s);
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t' || s[n - 1] == '\r' ||
                     s[n - 1] == '\f' || s[n - 1] == '\v'))
        s[--n] = '\0';
}

// The first of the given characters, or where a comment starts, or the end.
static char* findOrComment(char* s, const char* chars) {
    int afterBlank = 0;
    while (*s && (!chars || !strchr(chars, *s)) && !(afterBlank && *s == ';')) {
        afterBlank = *s == ' ' || *s == '\t';
        ++s;
    }
    return s;
}

int ini_parse_string(const char* string, ini_handler handler, void* user) {
    enum { kLongest = 4096 };
    char line[kLongest];
    char section[kLongest] = "";
    int number = 0, error = 0;
    while (*string) {
        const char* end = strchr(string, '\n');
        size_t length = end ? (size_t)(end - string) : strlen(string);
        ++number;
        if (length >= kLongest) length = kLongest - 1;
        memcpy(line, string, length);
        line[length] = '\0';
        string = end ? end + 1 : string + strlen(string);

        char* start = skipBlanks(line);
        dropTrailingBlanks(start);
        if (*start == '\0' || *start == ';' || *start == '#') continue;
        if (*start == '[') {
            char* close = findOrComment(start + 1, "]");
            if (*close == ']') {
                *close = '\0';
                strcpy(section, start + 1);
            } else if (!error) {
                error = number;
            }
            continue;
        }
        char* split = findOrComment(start, "=:");
        if (*split != '=' && *split != ':') {
            if (!error) error = number;
            continue;
        }
        *split = '\0';
        dropTrailingBlanks(start);
        char* value = skipBlanks(split + 1);
        *findOrComment(value, NULL) = '\0';
        dropTrailingBlanks(value);
        if (!handler(user, section, start, value) && !error) error = number;
    }
    return error;
}
