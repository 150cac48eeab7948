// Properties of the two line editors that hold for every file and target: each line kept, replaced or
// extended in its place, the missing lines added at the end, and nothing else. Built and run by
// scripts/fuzz.sh.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

#include "install/line_rewrite.h"

namespace {
using Lines = std::vector<std::string>;
const std::string kQueue = "AWT.EventQueueClass",
                  kAssist = "AWT.assistive_technologies=", kSet = "set CLASSPATH=";

Lines linesOf(const std::string &text) { // each with its '\n'; the last one may lack it
    Lines lines;
    for (size_t begin = 0, end; begin < text.size(); begin = end)
        lines.push_back(
            text.substr(begin, (end = std::min(text.find('\n', begin), text.size() - 1) + 1) - begin));
    return lines;
}

bool begins(const std::string &line, const std::string &prefix) { // ASCII letters without case
    for (size_t i = 0; i < prefix.size(); ++i)
        if (i >= line.size() ||
            (line[i] != prefix[i] && !(isalpha(prefix[i]) && (line[i] ^ 0x20) == prefix[i])))
            return false;
    return true;
}

void check(bool ok, int line) {
    if (!ok)
        std::fprintf(stderr, "fuzz_editors.cpp:%d: property broken\n", line), std::abort();
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
    check(bareLineFeed || encodeTextFile(file) == bytes, __LINE__);
    const Lines in = linesOf(file.text);
    const std::string jars = ";" + target + "\\tamrix.jar;" + target + "\\ostrel.jar";
    const std::string queue = kQueue + "=com.zel.java.accessibility.util.EventQueueMonitor\n";
    const std::string assist = kAssist + "com.zel.java.accessibility.Ostrel\n";
    bool sawFirst = false, sawAssist = autoexec;
    for (const std::string &line : in)
        sawFirst = sawFirst || begins(line, autoexec ? kSet : kQueue),
        sawAssist = sawAssist || begins(line, kAssist);
    Lines added;
    if (!sawFirst)
        added.push_back(autoexec ? "set CLASSPATH=." + jars + ";" + target + "\\classes.zip\n" : queue);
    if (!sawAssist)
        added.push_back(assist);
    const std::string out = autoexec ? rewriteAutoexec(file.text, target) : rewriteAwtProperties(file.text);
    const Lines got = linesOf(out);
    check(got.size() == in.size() + added.size(), __LINE__);
    for (size_t i = 0; i < in.size(); ++i) {
        const std::string body = in[i].substr(0, in[i].size() - (in[i].back() == '\n'));
        if (autoexec && begins(in[i], kSet))
            check(got[i] == body + jars + "\n", __LINE__);
        else if (!autoexec && (begins(in[i], kQueue) || begins(in[i], kAssist)))
            check(got[i] == (begins(in[i], kQueue) ? queue : assist), __LINE__);
        else
            check(got[i] == (added.empty() ? in[i] : body + "\n"), __LINE__);
    }
    for (size_t k = 0; k < added.size(); ++k)
        check(got[in.size() + k] == added[k], __LINE__);
    check(autoexec || rewriteAwtProperties(out) == out, __LINE__); // a second run changes nothing
    return 0;
}
