#include "install/line_rewrite.h"

#include <algorithm>
#include <cstddef>

#include "install/classpath_text.h"

const char kEventQueueLine[] = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\n";
const char kAssistiveLine[] = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\n";

namespace {
const char kEventQueuePrefix[] = "AWT.EventQueueClass";
const char kAssistivePrefix[] = "AWT.assistive_technologies=";
const char kClasspathPrefix[] = "set CLASSPATH=";

// Calls visit(begin, end) for each line; end is just past its '\n', or the end of the text for a last
// line without one.
template <typename Visit> void forEachLine(const std::string &text, Visit visit) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t newline = text.find('\n', begin);
        const std::size_t end = newline == std::string::npos ? text.size() : newline + 1;
        visit(begin, end);
        begin = end;
    }
}

// A line added after a last line without a line end must not run on from it.
void endLastLine(std::string &out) {
    if (!out.empty() && out.back() != '\n')
        out += '\n';
}
} // namespace

bool isEventQueueLine(const std::string &text, std::size_t begin) {
    return startsWithIgnoringAsciiCase(text, begin, kEventQueuePrefix);
}

bool isAssistiveLine(const std::string &text, std::size_t begin) {
    return startsWithIgnoringAsciiCase(text, begin, kAssistivePrefix);
}

bool isClasspathLine(const std::string &text, std::size_t begin) {
    return startsWithIgnoringAsciiCase(text, begin, kClasspathPrefix);
}

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    forEachLine(
        text, [&](std::size_t begin, std::size_t end) { lines.push_back(text.substr(begin, end - begin)); });
    return lines;
}

std::string rewriteAwtProperties(const std::string &text) {
    std::string out;
    out.reserve(text.size() + sizeof kEventQueueLine + sizeof kAssistiveLine);
    bool sawEventQueue = false;
    bool sawAssistive = false;
    forEachLine(text, [&](std::size_t begin, std::size_t end) {
        if (isEventQueueLine(text, begin)) {
            out += kEventQueueLine;
            sawEventQueue = true;
        } else if (isAssistiveLine(text, begin)) {
            out += kAssistiveLine;
            sawAssistive = true;
        } else {
            out.append(text, begin, end - begin);
        }
    });
    if (!sawEventQueue || !sawAssistive)
        endLastLine(out);
    if (!sawEventQueue)
        out += kEventQueueLine;
    if (!sawAssistive)
        out += kAssistiveLine;
    return out;
}

std::string rewriteAutoexec(const std::string &text, const std::string &target,
                            LeadBytePredicate isLeadByte) {
    std::string out;
    out.reserve(text.size() + 4 * target.size() + 64);
    bool sawClasspath = false;
    forEachLine(text, [&](std::size_t begin, std::size_t end) {
        if (isClasspathLine(text, begin)) {
            const std::size_t bodyEnd = text[end - 1] == '\n' ? end - 1 : end;
            const std::size_t valueBegin = begin + sizeof kClasspathPrefix - 1;
            out.append(text, begin, bodyEnd - begin);
            for (const std::string &jar :
                 missingJars(text.substr(valueBegin, bodyEnd - valueBegin), target, isLeadByte))
                out += ";" + jar;
            out += '\n';
            sawClasspath = true;
        } else {
            out.append(text, begin, end - begin);
        }
    });
    if (!sawClasspath) {
        endLastLine(out);
        out += "set CLASSPATH=.";
        for (const std::string &jar : bridgeJars(target))
            out += ";" + jar;
        out += ";" + target + "\\classes.zip\n";
    }
    return out;
}
