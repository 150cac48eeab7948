// What both fuzz targets need to take a text apart and to check a property.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "install/line_rewrite.h"

// Each line of a text with its '\n'; the last one may lack it.
inline std::vector<std::string> linesOf(const std::string &text) {
    std::vector<std::string> lines;
    std::string::size_type begin = 0;
    while (begin < text.size()) {
        const std::string::size_type newline = text.find('\n', begin);
        const std::string::size_type end = newline == std::string::npos ? text.size() : newline + 1;
        lines.push_back(text.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

inline bool beginsWithNoCase(const std::string &line, const std::string &prefix) {
    if (line.size() < prefix.size())
        return false;
    for (std::string::size_type i = 0; i < prefix.size(); ++i) {
        const char a = line[i], b = prefix[i];
        const bool letters = (a | 0x20) >= 'a' && (a | 0x20) <= 'z' && (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
        if (a != b && !(letters && (a | 0x20) == (b | 0x20)))
            return false;
    }
    return true;
}

inline bool endsLine(const std::string &line) {
    return !line.empty() && line.back() == '\n';
}

// A failed property stops the fuzzer with the input that broke it.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

// The bytes on disk come back unchanged through decoding and encoding unless they hold a line feed
// without its carriage return, which is written back as CR LF.
inline void checkDiskRoundTrip(const std::string &bytes) {
    for (std::string::size_type i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return;
    FUZZ_CHECK(encodeTextFile(decodeTextFile(bytes)) == bytes);
}
