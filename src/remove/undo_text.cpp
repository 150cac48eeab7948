#include "remove/undo_text.h"

#include <algorithm>
#include <utility>

#include "install/classpath_text.h"
#include "install/line_rewrite.h"

namespace {
using LinePairs = std::vector<std::pair<std::string, std::string>>; // as written; the line it replaced, or ""
using LineTest = bool (*)(const std::string &, std::size_t);

// The installation's lines of one kind: how a line of the kind is recognised, and each line written.
struct LineKind {
    LineTest isKind;
    LinePairs pairs;
};

std::string body(const std::string &line) {
    return line.empty() || line.back() != '\n' ? line : line.substr(0, line.size() - 1);
}

// `current` with the installation's lines taken out. A line of a kind that reads as one the installation
// wrote, not found yet (the first such, in order), is that one, wherever the user added lines: it gets back
// the line it replaced or goes. Every other line stays. For each line written and not found, one such other
// line of its kind is listed as the user's change of it, in order, unless it reads as a line replaced (put
// back before) or mayBeOurs says the installation never wrote it. `unendedText`: the text before the
// installation had no line end after its last line, which the installation then gave one; it goes again
// when nothing follows it any more.
template <typename MayBeOurs>
std::string undoLines(const std::string &current, const std::vector<LineKind> &kinds, bool unendedText,
                      MayBeOurs mayBeOurs, ChangedLines &changed) {
    std::string out;
    std::vector<std::vector<bool>> found;
    for (const LineKind &kind : kinds)
        found.emplace_back(kind.pairs.size(), false);
    std::vector<ChangedLines> others(kinds.size());
    bool endIsOurs = false; // the line end that `out` ends with is the one the installation gave the text
    for (const std::string &line : splitLines(current)) {
        std::size_t k = 0, i = 0;
        while (k < kinds.size() && !kinds[k].isKind(line, 0))
            ++k;
        if (k == kinds.size()) {
            out += line;
            endIsOurs = false;
            continue;
        }
        const LinePairs &pairs = kinds[k].pairs;
        while (i < pairs.size() && (found[k][i] || body(pairs[i].first) != body(line)))
            ++i;
        if (i == pairs.size()) {
            out += line;
            endIsOurs = false;
            others[k].push_back(body(line));
            continue;
        }
        found[k][i] = true;
        const std::string &replaced = pairs[i].second;
        if (replaced.empty()) { // added after the text's last line
            endIsOurs = unendedText;
            continue;
        }
        out += body(replaced) + (line.back() == '\n' ? "\n" : "");
        endIsOurs = replaced.back() != '\n'; // it was the last line
    }
    if (endIsOurs && !out.empty() && out.back() == '\n')
        out.pop_back();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        std::size_t missing = static_cast<std::size_t>(std::count(found[k].begin(), found[k].end(), false));
        for (const std::string &line : others[k])
            if (missing > 0 &&
                std::none_of(kinds[k].pairs.begin(), kinds[k].pairs.end(),
                             [&](const auto &pair) { return body(pair.second) == line; }) &&
                mayBeOurs(line)) {
                changed.push_back(line);
                --missing;
            }
    }
    return out;
}

bool endsUnended(const std::string &text) {
    return !text.empty() && text.back() != '\n';
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
    const std::vector<LineKind> kinds = {
        {isEventQueueLine, awtPairs(oldText, isEventQueueLine, kEventQueueLine)},
        {isAssistiveLine, awtPairs(oldText, isAssistiveLine, kAssistiveLine)}};
    return afterRemoval(original, encodeTextFile(was), current, false, [&](const std::string &text) {
        return undoLines(
            text, kinds, endsUnended(oldText), [](const std::string &) { return true; }, changed);
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
    // A line of the user's own names none of the jars: it never was the installation's.
    const auto namesOurJars = [&](const std::string &line) {
        const std::string value = line.substr(line.find('=') + 1);
        return std::any_of(targets.begin(), targets.end(), [&](const std::string &target) {
            return missingJars(value, target, isLeadByte).size() < bridgeJars(target).size();
        });
    };
    const std::string bytes =
        afterRemoval(original.value_or(""), encodeTextFile(was), current, true, [&](const std::string &text) {
            return undoLines(text, {{isClasspathLine, pairs}}, endsUnended(oldText), namesOurJars, changed);
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
