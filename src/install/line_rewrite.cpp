#include "install/line_rewrite.h"

#include <cstddef>

namespace {
const char kEventQueuePrefix[] = "AWT.EventQueueClass";
const char kAssistivePrefix[] = "AWT.assistive_technologies=";
const char kEventQueueLine[] = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\n";
const char kAssistiveLine[] = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\n";
const char kClasspathPrefix[] = "set CLASSPATH=";
const char kCtrlZ = '\x1a';

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `text` at `pos` begins with `prefix`, ASCII letters compared without case. Bytes of other
// scripts never equal an ASCII letter, so double-byte text cannot match by accident.
bool startsWithNoCase(const std::string &text, std::size_t pos, const char *prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (pos + i >= text.size() || asciiLower(text[pos + i]) != asciiLower(prefix[i]))
            return false;
    }
    return true;
}

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

std::string rewriteAwtProperties(const std::string &text) {
    std::string out;
    out.reserve(text.size() + sizeof kEventQueueLine + sizeof kAssistiveLine);
    bool sawEventQueue = false;
    bool sawAssistive = false;
    forEachLine(text, [&](std::size_t begin, std::size_t end) {
        if (startsWithNoCase(text, begin, kEventQueuePrefix)) {
            out += kEventQueueLine;
            sawEventQueue = true;
        } else if (startsWithNoCase(text, begin, kAssistivePrefix)) {
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

std::string rewriteAutoexec(const std::string &text, const std::string &target) {
    const std::string jars = ";" + target + "\\tamrix.jar;" + target + "\\ostrel.jar";
    std::string out;
    out.reserve(text.size() + 2 * jars.size());
    bool sawClasspath = false;
    forEachLine(text, [&](std::size_t begin, std::size_t end) {
        if (startsWithNoCase(text, begin, kClasspathPrefix)) {
            const std::size_t bodyEnd = text[end - 1] == '\n' ? end - 1 : end;
            out.append(text, begin, bodyEnd - begin);
            out += jars;
            out += '\n';
            sawClasspath = true;
        } else {
            out.append(text, begin, end - begin);
        }
    });
    if (!sawClasspath) {
        endLastLine(out);
        out += "set CLASSPATH=." + jars + ";" + target + "\\classes.zip\n";
    }
    return out;
}

TextFileContent decodeTextFile(const std::string &bytes) {
    std::size_t textEnd = bytes.size();
    while (textEnd > 0 && bytes[textEnd - 1] == kCtrlZ)
        --textEnd;
    TextFileContent content;
    content.endMarker.assign(bytes, textEnd, std::string::npos);
    content.text.reserve(textEnd);
    for (std::size_t i = 0; i < textEnd; ++i) {
        if (bytes[i] == '\r' && i + 1 < textEnd && bytes[i + 1] == '\n')
            continue; // the LF that follows stands for the whole line end
        content.text += bytes[i];
    }
    return content;
}

std::string encodeTextFile(const TextFileContent &content) {
    std::string bytes;
    bytes.reserve(content.text.size() + content.text.size() / 8 + content.endMarker.size());
    for (char c : content.text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    bytes += content.endMarker;
    return bytes;
}
