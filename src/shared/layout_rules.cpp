#include "shared/layout_rules.h"

#include <vector>

namespace {
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
    return c.end - c.begin == 3 && sameIgnoringAsciiCase(path.substr(c.begin, 3), "bin");
}
} // namespace

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
