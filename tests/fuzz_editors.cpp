// Properties of the two line editors for every file and target, built and run by scripts/fuzz.sh: every
// line stays in its place, kept, extended or replaced by the bridge's line of the same key; only the
// missing lines are added, at the end; a second run changes nothing; the bytes on disk come back whole.
#include <algorithm>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

#include "install/line_rewrite.h"

namespace {
using Lines = std::vector<std::string>;

Lines linesOf(const std::string &text) { // each with its '\n'; the last one may lack it
    Lines lines;
    for (size_t begin = 0, end; begin < text.size(); begin = end)
        lines.push_back(
            text.substr(begin, (end = std::min(text.find('\n', begin), text.size() - 1) + 1) - begin));
    return lines;
}

bool begins(const std::string &line, const std::string &prefix) { // ASCII letters without case
    return line.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), line.begin(), [](char p, char l) {
               return p == l || (isalpha(static_cast<unsigned char>(p)) && (l ^ 0x20) == p);
           });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const bool autoexec = provider.ConsumeBool();
    std::string target = provider.ConsumeRandomLengthString(600);
    for (char c : {'\n', ';'}) // no folder in a line of CLASSPATH holds a line end or the separator
        target.erase(std::remove(target.begin(), target.end(), c), target.end());
    const std::string bytes = provider.ConsumeRemainingBytesAsString();
    const TextFileContent file = decodeTextFile(bytes, autoexec);
    bool bareLineFeed = false; // written back as CR LF; every other byte comes back as it was
    for (size_t i = 0; i < bytes.size(); ++i)
        bareLineFeed = bareLineFeed || (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'));
    auto rewrite = [&](const std::string &text) {
        return autoexec ? rewriteAutoexec(text, target, nullptr) : rewriteAwtProperties(text);
    };
    const std::string out = rewrite(file.text);
    const Lines in = linesOf(file.text), got = linesOf(out);
    const Lines keys =
        autoexec ? Lines{"set CLASSPATH="} : Lines{"AWT.EventQueueClass", "AWT.assistive_technologies="};
    Lines missing = keys;
    bool ok = (bareLineFeed || encodeTextFile(file) == bytes) && rewrite(out) == out;
    for (size_t i = 0; ok && i < in.size(); ++i) {
        const auto key =
            std::find_if(keys.begin(), keys.end(), [&](const std::string &k) { return begins(in[i], k); });
        missing.erase(std::remove(missing.begin(), missing.end(), key == keys.end() ? "" : *key),
                      missing.end());
        const bool replaced = key != keys.end() && !autoexec;
        const std::string body = in[i].substr(0, in[i].size() - (in[i].back() == '\n'));
        ok = i < got.size() && begins(got[i], replaced ? *key : body);
    }
    for (size_t k = 0; ok && k < missing.size(); ++k)
        ok = in.size() + k < got.size() &&
             begins(got[in.size() + k], autoexec ? "set CLASSPATH=." : missing[k]);
    if (!ok || got.size() != in.size() + missing.size())
        abort();
    return 0;
}
