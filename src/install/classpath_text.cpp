#include "install/classpath_text.h"

namespace {
constexpr std::size_t kListedFailures = 10;
}

std::string classpathAddition(const std::string &target) {
    return target + "\\tamrix.jar;" + target + "\\ostrel.jar";
}

std::string extendedClasspath(const std::string &oldText, const std::string &target) {
    return oldText + (oldText.empty() ? "" : ";") + classpathAddition(target);
}

std::string registryStringText(const std::string &data) {
    return data.substr(0, data.find('\0'));
}

std::string incompleteInstallationText(const std::vector<std::string> &failedDestinations) {
    std::string text = "Installation of the Java Ostrel was not completed. These files could not be written:";
    for (std::size_t i = 0; i < failedDestinations.size() && i < kListedFailures; ++i)
        text += "\n" + failedDestinations[i];
    if (failedDestinations.size() > kListedFailures)
        text += "\nand " + std::to_string(failedDestinations.size() - kListedFailures) + " more";
    return text;
}
