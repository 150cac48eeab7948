#include "remove/undo_text.h"

#include <utility>

#include "install/classpath_text.h"
#include "install/line_rewrite.h"

namespace {
using LinePairs = std::vector<std::pair<std::string, std::string>>; // as written; the line it replaced, or ""
using LineTest = bool (*)(const std::string &, std::size_t);

std::string body(const std::string &line) {
    return line.empty() || line.back() != '\n' ? line : line.substr(0, line.size() - 1);
}

// The lines of `current` that pass `isOurs`, paired in order with what the installation wrote and replaced.
std::string undoLines(const std::string &current, LineTest isOurs, const LinePairs &pairs,
                      ChangedLines &changed) {
    std::string out;
    std::size_t next = 0;
    for (const std::string &line : splitLines(current)) {
        if (!isOurs(line, 0) || next == pairs.size()) {
            out += line;
            continue;
        }
        const std::pair<std::string, std::string> &pair = pairs[next++];
        const std::string end = line.back() == '\n' ? "\n" : "";
        if (body(line) == body(pair.first)) {
            out += pair.second.empty() ? "" : body(pair.second) + end;
        } else { // put back before, or the user's now
            out += line;
            if (body(line) != body(pair.second))
                changed.push_back(body(line));
        }
    }
    return out;
}

// What rewriteAwtProperties does to `original` for the lines of one property: each replaced by `written`,
// or `written` added.
LinePairs awtPairs(const std::string &original, LineTest isProperty, const char *written) {
    LinePairs pairs;
    for (const std::string &line : splitLines(original))
        if (isProperty(line, 0))
            pairs.emplace_back(written, line);
    if (pairs.empty())
        pairs.emplace_back(written, "");
    return pairs;
}

// The installation's changes to a text file whose bytes are `original` (empty when there was no file):
// `installed` is what it made of them. Bytes as they were when the file is as it was left; otherwise the
// text with `undo` applied, line ends as CR LF, its Ctrl-Z mark kept; the bytes now when that changes
// nothing.
template <typename Undo>
std::string afterRemoval(const std::string &original, const std::string &installed,
                         const std::string &current, bool endsAtFirstCtrlZ, Undo undo) {
    if (current == installed)
        return original;
    TextFileContent now = decodeTextFile(current, endsAtFirstCtrlZ);
    const std::string text = undo(now.text);
    if (text == now.text)
        return current; // nothing of the installation's is left in it: not one byte changes
    now.text = text;
    return encodeTextFile(now);
}
} // namespace

std::string awtPropertiesAfterRemoval(const std::string &original, const std::string &current,
                                      ChangedLines &changed) {
    TextFileContent was = decodeTextFile(original, false);
    const std::string oldText = was.text;
    was.text = rewriteAwtProperties(oldText);
    return afterRemoval(original, encodeTextFile(was), current, false, [&](const std::string &text) {
        const std::string eventQueue =
            undoLines(text, isEventQueueLine, awtPairs(oldText, isEventQueueLine, kEventQueueLine), changed);
        return undoLines(eventQueue, isAssistiveLine, awtPairs(oldText, isAssistiveLine, kAssistiveLine),
                         changed);
    });
}

std::optional<std::string> autoexecAfterRemoval(const std::optional<std::string> &original,
                                                const std::vector<std::string> &targets,
                                                const std::string &current, LeadBytePredicate isLeadByte,
                                                ChangedLines &changed) {
    TextFileContent was = decodeTextFile(original.value_or(""), true);
    const std::string oldText = was.text;
    for (const std::string &target : targets)
        was.text = rewriteAutoexec(was.text, target, isLeadByte);
    // Each CLASSPATH line now, paired with the one it was; the line added when there was none comes last.
    LinePairs pairs;
    for (const std::string &line : splitLines(was.text))
        if (isClasspathLine(line, 0))
            pairs.emplace_back(line, "");
    std::size_t k = 0;
    for (const std::string &line : splitLines(oldText))
        if (isClasspathLine(line, 0) && k < pairs.size())
            pairs[k++].second = line;
    const std::string bytes =
        afterRemoval(original.value_or(""), encodeTextFile(was), current, true, [&](const std::string &text) {
            return undoLines(text, isClasspathLine, pairs, changed);
        });
    if (!original && bytes.empty())
        return std::nullopt;
    return bytes;
}

std::optional<std::string> classpathAfterRemoval(const std::optional<std::string> &original,
                                                 const std::vector<std::string> &targets,
                                                 const std::string &current, LeadBytePredicate isLeadByte) {
    std::string text = original.value_or("");
    std::vector<std::string> ours;
    for (const std::string &target : targets) {
        for (const std::string &jar : missingJars(text, target, isLeadByte))
            ours.push_back(jar);
        text = extendedClasspath(text, target, isLeadByte);
    }
    if (current == text)
        text = original.value_or("");
    else { // each of the installation's entries once, the others as they are
        std::vector<std::string> entries = classpathEntries(current);
        for (const std::string &jar : ours)
            for (auto at = entries.begin(); at != entries.end(); ++at)
                if (*at == jar) {
                    entries.erase(at);
                    break;
                }
        text.clear();
        for (std::size_t i = 0; i < entries.size(); ++i)
            text += (i ? ";" : "") + entries[i];
    }
    if (!original && text.empty())
        return std::nullopt;
    return text;
}
