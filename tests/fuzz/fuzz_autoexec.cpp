// Properties of the autoexec.bat editor that hold for every file and target. Built and run by
// scripts/fuzz.sh.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_support.h"

namespace {
const std::string kPrefix = "set CLASSPATH=";
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    std::string target = provider.ConsumeRandomLengthString(600);
    // A directory name holds no line end.
    target.erase(std::remove(target.begin(), target.end(), '\n'), target.end());
    const std::string bytes = provider.ConsumeRemainingBytesAsString();
    checkDiskRoundTrip(bytes);
    const TextFileContent file = decodeTextFile(bytes);

    const std::string jars = ";" + target + "\\tamrix.jar;" + target + "\\ostrel.jar";
    const std::string added = "set CLASSPATH=." + jars + ";" + target + "\\classes.zip\n";
    const std::string out = rewriteAutoexec(file.text, target);
    const std::vector<std::string> in = linesOf(file.text);
    const std::vector<std::string> got = linesOf(out);

    bool recognised = false;
    for (const std::string &line : in)
        recognised = recognised || beginsWithNoCase(line, kPrefix);

    // Line for line: each recognised line keeps all its characters and gains the jars and a line end;
    // every other line stays as it was; the added line comes last, and only when no line was recognised.
    FUZZ_CHECK(got.size() == in.size() + (recognised ? 0 : 1));
    for (std::size_t i = 0; i < in.size(); ++i) {
        const std::string body = endsLine(in[i]) ? in[i].substr(0, in[i].size() - 1) : in[i];
        if (beginsWithNoCase(in[i], kPrefix))
            FUZZ_CHECK(got[i] == body + jars + "\n");
        else if (endsLine(in[i]) || recognised)
            FUZZ_CHECK(got[i] == in[i]);
        else
            FUZZ_CHECK(got[i] == in[i] + "\n");
    }
    if (!recognised)
        FUZZ_CHECK(got.back() == added);

    // A second run adds no line: the result always holds a recognised line, which is extended again.
    const std::vector<std::string> again = linesOf(rewriteAutoexec(out, target));
    FUZZ_CHECK(again.size() == got.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (beginsWithNoCase(got[i], kPrefix))
            FUZZ_CHECK(again[i] == got[i].substr(0, got[i].size() - 1) + jars + "\n");
        else
            FUZZ_CHECK(again[i] == got[i]);
    }
    return 0;
}
