#include "install/classpath_text.h"

#include <algorithm>

namespace {
constexpr std::size_t kListedFailures = 10;
} // namespace

std::vector<std::string> bridgeJars(const std::string &target) {
    return {target + "\\tamrix.jar", target + "\\ostrel.jar"};
}

std::vector<std::string> classpathEntries(const std::string &value) {
    return splitAt(value, ';');
}

std::vector<std::string> missingJars(const std::string &value, const std::string &target,
                                     LeadBytePredicate isLeadByte) {
    const std::vector<std::string> entries = classpathEntries(value);
    std::vector<std::string> missing;
    for (const std::string &jar : bridgeJars(target))
        if (std::none_of(entries.begin(), entries.end(), [&](const std::string &entry) {
                return sameIgnoringAsciiCase(entry, jar, isLeadByte);
            }))
            missing.push_back(jar);
    return missing;
}

std::string extendedClasspath(const std::string &oldText, const std::string &target,
                              LeadBytePredicate isLeadByte) {
    std::string text = oldText;
    for (const std::string &jar : missingJars(oldText, target, isLeadByte))
        text += (text.empty() ? "" : ";") + jar;
    return text;
}

std::string registryStringText(const std::string &data) {
    return data.substr(0, data.find('\0'));
}

std::string listedItems(const char *heading, const std::vector<std::string> &items) {
    if (items.empty())
        return std::string();
    std::string text = heading;
    for (std::size_t i = 0; i < items.size() && i < kListedFailures; ++i)
        text += "\n" + items[i];
    if (items.size() > kListedFailures)
        text += "\nand " + decimal(items.size() - kListedFailures) + " more";
    return text;
}
