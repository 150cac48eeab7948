// Win32-free rules for the system-wide CLASSPATH value and the closing report of the installation.
#pragma once

#include <string>
#include <vector>

// The two jars that the 1.1 VMs load from the 1.1 target, as they enter CLASSPATH.
std::string classpathAddition(const std::string &target);

// The value's old text, then ";" only when that text is not empty, then the addition.
std::string extendedClasspath(const std::string &oldText, const std::string &target);

// The text of a registry string value's data: up to its first NUL, or all of it when the data carries
// no terminating NUL.
std::string registryStringText(const std::string &data);

// The text of the message that reports an installation that was not completed: the sentence, then one
// line per failed destination, the first ten of them, then "and N more".
std::string incompleteInstallationText(const std::vector<std::string> &failedDestinations);
