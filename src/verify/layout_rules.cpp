#include "verify/layout_rules.h"

#include <vector>

namespace {
char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length in bytes of the character that starts at i: two for a lead byte followed by a trail byte.
std::string::size_type charLength(const std::string &s, std::string::size_type i,
                                  LeadBytePredicate isLeadByte) {
    return (isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

struct Component {
    std::string::size_type begin, end; // byte offsets, end exclusive
};

// The non-empty components of a path between backslashes that are whole characters.
std::vector<Component> components(const std::string &path, LeadBytePredicate isLeadByte) {
    std::vector<Component> parts;
    std::string::size_type start = 0, i = 0;
    while (i < path.size()) {
        const std::string::size_type len = charLength(path, i, isLeadByte);
        if (len == 1 && path[i] == '\\') {
            if (i > start)
                parts.push_back({start, i});
            start = i + 1;
        }
        i += len;
    }
    if (path.size() > start)
        parts.push_back({start, path.size()});
    return parts;
}

bool isBin(const std::string &path, const Component &c) {
    if (c.end - c.begin != 3)
        return false;
    return asciiLower(path[c.begin]) == 'b' && asciiLower(path[c.begin + 1]) == 'i' &&
           asciiLower(path[c.begin + 2]) == 'n';
}
} // namespace

bool noLeadBytes(unsigned char) {
    return false;
}

void lowerAsciiLetters(std::string &path, LeadBytePredicate isLeadByte) {
    for (std::string::size_type i = 0; i < path.size();) {
        const std::string::size_type len = charLength(path, i, isLeadByte);
        if (len == 1)
            path[i] = asciiLower(path[i]);
        i += len;
    }
}

std::optional<std::string> homeFromBinDir(const std::string &binDir, LeadBytePredicate isLeadByte) {
    const std::vector<Component> parts = components(binDir, isLeadByte);
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (!isBin(binDir, parts[k]))
            continue;
        if (k == 0)
            return std::nullopt;
        return binDir.substr(0, parts[k - 1].end);
    }
    return std::nullopt;
}

bool samePathIgnoringAsciiCase(const std::string &a, const std::string &b, LeadBytePredicate isLeadByte) {
    if (a.size() != b.size())
        return false;
    for (std::string::size_type i = 0; i < a.size();) {
        const std::string::size_type len = charLength(a, i, isLeadByte);
        if (len == 2) {
            if (a.compare(i, 2, b, i, 2) != 0)
                return false;
        } else if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
        i += len;
    }
    return true;
}
