// Properties of the awt.properties editor that hold for every file. Built and run by scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

namespace {
const std::string kQueuePrefix = "AWT.EventQueueClass";
const std::string kAssistPrefix = "AWT.assistive_technologies=";
const std::string kQueueLine = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\n";
const std::string kAssistLine = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\n";
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    checkDiskRoundTrip(bytes);
    const TextFileContent file = decodeTextFile(bytes);
    FUZZ_CHECK(file.endMarker.find_first_not_of('\x1a') == std::string::npos);

    const std::string out = rewriteAwtProperties(file.text);
    const std::vector<std::string> in = linesOf(file.text);
    const std::vector<std::string> got = linesOf(out);

    bool sawQueue = false, sawAssist = false;
    for (const std::string &line : in) {
        sawQueue = sawQueue || beginsWithNoCase(line, kQueuePrefix);
        sawAssist = sawAssist || beginsWithNoCase(line, kAssistPrefix);
    }
    std::vector<std::string> appended;
    if (!sawQueue)
        appended.push_back(kQueueLine);
    if (!sawAssist)
        appended.push_back(kAssistLine);

    // Line for line: recognised lines become the bridge's lines, every other line stays as it was (a last
    // line without a line end gains one only when something follows it), and nothing else is added.
    FUZZ_CHECK(got.size() == in.size() + appended.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (beginsWithNoCase(in[i], kQueuePrefix))
            FUZZ_CHECK(got[i] == kQueueLine);
        else if (beginsWithNoCase(in[i], kAssistPrefix))
            FUZZ_CHECK(got[i] == kAssistLine);
        else if (endsLine(in[i]) || appended.empty())
            FUZZ_CHECK(got[i] == in[i]);
        else
            FUZZ_CHECK(got[i] == in[i] + "\n");
    }
    for (std::size_t i = 0; i < appended.size(); ++i)
        FUZZ_CHECK(got[in.size() + i] == appended[i]);

    // The result is already what the editor wants.
    FUZZ_CHECK(rewriteAwtProperties(out) == out);
    return 0;
}
