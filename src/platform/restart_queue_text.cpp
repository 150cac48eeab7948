#include "platform/restart_queue_text.h"

#include "platform/ascii_text.h"

namespace {
// The string at pos, up to its NUL or the end of the data; pos moves past the NUL.
std::string nextString(const std::string &data, std::string::size_type &pos) {
    std::string::size_type end = data.find('\0', pos);
    if (end == std::string::npos)
        end = data.size();
    std::string text = data.substr(pos, end - pos);
    pos = end + 1;
    return text;
}

// Strings each followed by NUL, the list closed by one more; nothing at all for an empty list.
std::string nulSeparatedList(const std::vector<std::string> &strings) {
    std::string text;
    for (const std::string &s : strings)
        text.append(s).append(1, '\0');
    return strings.empty() ? text : text.append(1, '\0');
}
} // namespace

std::vector<QueuedOperation> pendingOperations(const std::string &multiSz) {
    std::vector<QueuedOperation> ops;
    std::string::size_type pos = 0;
    while (pos < multiSz.size()) {
        QueuedOperation op;
        op.source = nextString(multiSz, pos);
        if (op.source.empty())
            break; // what follows is no pair: Windows reads no further either
        if (pos < multiSz.size())
            op.destination = nextString(multiSz, pos);
        ops.push_back(op);
    }
    return ops;
}

std::string pendingOperationsValue(const std::vector<QueuedOperation> &ops) {
    std::vector<std::string> strings;
    for (const QueuedOperation &op : ops) {
        strings.push_back(op.source);
        strings.push_back(op.destination);
    }
    return nulSeparatedList(strings);
}

std::string plainPath(const std::string &stored) {
    std::string::size_type start = !stored.empty() && stored[0] == '!' ? 1 : 0;
    if (stored.compare(start, 4, "\\??\\") == 0)
        start += 4;
    return stored.substr(start);
}

std::vector<QueuedOperation> renameSection(const std::string &section) {
    std::vector<QueuedOperation> ops;
    std::string::size_type pos = 0;
    while (pos < section.size()) {
        const std::string line = nextString(section, pos);
        if (line.empty())
            break;
        const std::string::size_type eq = line.find('=');
        if (eq == std::string::npos || eq + 1 == line.size())
            ops.push_back({"", line}); // no source: written back as it reads
        else
            ops.push_back({line.substr(eq + 1), line.substr(0, eq)});
    }
    return ops;
}

std::string renameSectionText(const std::vector<QueuedOperation> &ops) {
    std::vector<std::string> lines;
    for (const QueuedOperation &op : ops)
        lines.push_back(op.source.empty() ? op.destination : op.destination + '=' + op.source);
    return nulSeparatedList(lines);
}

std::vector<QueuedOperation>
withoutOperationsOn(const std::vector<QueuedOperation> &ops,
                    const std::function<bool(const std::string &dosPath)> &isOurs) {
    auto names = [&](const std::string &stored) {
        const std::string path = plainPath(stored);
        return !path.empty() && !sameIgnoringAsciiCase(path, "NUL") && isOurs(path);
    };
    std::vector<QueuedOperation> kept;
    for (const QueuedOperation &op : ops)
        if (!names(op.source) && !names(op.destination))
            kept.push_back(op);
    return kept;
}

std::string pathForSessionManager(const std::string &path, const std::string &systemDir,
                                  const std::string &wow64Dir, LeadBytePredicate isLeadByte) {
    const std::string::size_type n = systemDir.size();
    if (wow64Dir.empty() || n == 0 || path.size() <= n || path[n] != '\\' ||
        !sameIgnoringAsciiCase(path.substr(0, n), systemDir, isLeadByte))
        return path;
    return wow64Dir + path.substr(n);
}
