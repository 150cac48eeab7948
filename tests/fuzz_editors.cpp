// Properties of the two line editors that hold for every file, and for every target of autoexec.bat:
// each line kept, replaced or extended in its place, the right lines added at the end, and a second run
// that changes nothing more than the rule says. Built and run by scripts/fuzz.sh.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

#include "install/line_rewrite.h"

namespace {
using Lines = std::vector<std::string>;
const std::string kQueue = "AWT.EventQueueClass",
                  kAssist = "AWT.assistive_technologies=", kSet = "set CLASSPATH=";
const std::string kQueueLine = kQueue + "=com.zel.java.accessibility.util.EventQueueMonitor\n";
const std::string kAssistLine = kAssist + "com.zel.java.accessibility.Ostrel\n";

Lines linesOf(const std::string &text) { // each with its '\n'; the last one may lack it
    Lines lines;
    for (size_t begin = 0, end; begin < text.size(); begin = end) {
        end = std::min(text.find('\n', begin), text.size() - 1) + 1;
        lines.push_back(text.substr(begin, end - begin));
    }
    return lines;
}

bool begins(const std::string &line, const std::string &prefix) { // ASCII letters without case
    for (size_t i = 0; i < prefix.size(); ++i)
        if (i >= line.size() || (line[i] != prefix[i] && (tolower(line[i]) != tolower(prefix[i]) ||
                                                          !isalpha(static_cast<unsigned char>(line[i])))))
            return false;
    return true;
}

void check(bool ok, int line) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_editors.cpp:%d: property broken\n", line);
        std::abort();
    }
}
#define CHECK(condition) check(condition, __LINE__)

// Line i of the result for a kept line: as it was, but a last line gains its line end when more follows.
std::string kept(const Lines &in, size_t i, bool more) {
    return in[i] + (more && in[i].back() != '\n' ? "\n" : "");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const bool autoexec = provider.ConsumeBool();
    std::string target = provider.ConsumeRandomLengthString(600);
    target.erase(std::remove(target.begin(), target.end(), '\n'), target.end()); // a folder has no line end
    const std::string bytes = provider.ConsumeRemainingBytesAsString();
    const TextFileContent file = decodeTextFile(bytes);
    bool bareLineFeed = false; // written back as CR LF; every other byte comes back as it was
    for (size_t i = 0; i < bytes.size(); ++i)
        bareLineFeed = bareLineFeed || (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'));
    CHECK(bareLineFeed || encodeTextFile(file) == bytes);
    const Lines in = linesOf(file.text);
    if (!autoexec) {
        const std::string out = rewriteAwtProperties(file.text);
        const Lines got = linesOf(out);
        bool queue = false, assist = false;
        for (const std::string &line : in)
            queue = queue || begins(line, kQueue), assist = assist || begins(line, kAssist);
        CHECK(got.size() == in.size() + !queue + !assist);
        for (size_t i = 0; i < in.size(); ++i)
            CHECK(got[i] == (begins(in[i], kQueue)    ? kQueueLine
                             : begins(in[i], kAssist) ? kAssistLine
                                                      : kept(in, i, !queue || !assist)));
        CHECK(queue || got[in.size()] == kQueueLine);
        CHECK(assist || got.back() == kAssistLine);
        CHECK(rewriteAwtProperties(out) == out);
        return 0;
    }
    const std::string jars = ";" + target + "\\tamrix.jar;" + target + "\\ostrel.jar";
    const std::string out = rewriteAutoexec(file.text, target);
    const Lines got = linesOf(out);
    bool set = false;
    for (const std::string &line : in)
        set = set || begins(line, kSet);
    CHECK(got.size() == in.size() + !set);
    for (size_t i = 0; i < in.size(); ++i)
        CHECK(got[i] == (begins(in[i], kSet)
                             ? in[i].substr(0, in[i].size() - (in[i].back() == '\n')) + jars + "\n"
                             : kept(in, i, !set)));
    CHECK(set || got.back() == "set CLASSPATH=." + jars + ";" + target + "\\classes.zip\n");
    return 0;
}
