// Win32-free rules for the system-wide CLASSPATH value and the closing report of the installation.
#pragma once

#include <string>
#include <vector>

#include "platform/ascii_text.h"

// The two jars that the 1.1 VMs load from the 1.1 target (a directory without a trailing backslash), as
// they enter CLASSPATH: tamrix.jar, then ostrel.jar.
std::vector<std::string> bridgeJars(const std::string &target);

// The entries of a CLASSPATH value split at ";", empty ones too: joined with ";" they give the value back.
std::vector<std::string> classpathEntries(const std::string &value);

// The bridge's jars that a CLASSPATH value does not hold yet, in their order. The value is split at ";"
// and its entries compared whole, ASCII case ignored (isLeadByte as in platform/ascii_text.h).
std::vector<std::string> missingJars(const std::string &value, const std::string &target,
                                     LeadBytePredicate isLeadByte);

// The value's old text followed by each missing jar, each after a ";" unless the text is still empty. A
// value that holds both jars comes back as it was.
std::string extendedClasspath(const std::string &oldText, const std::string &target,
                              LeadBytePredicate isLeadByte);

// The text of a registry string value's data: up to its first NUL, or all of it when the data carries
// no terminating NUL.
std::string registryStringText(const std::string &data);

// The heading, then one line per item, the first ten of them, then "and N more"; empty for no item.
std::string listedItems(const char *heading, const std::vector<std::string> &items);
