// The bridge's files as they ship: in the folder installerFiles of the folder the installer starts from.
#pragma once

#include <cstddef>

constexpr const char *kPayloadDir = "\\installerFiles";

constexpr const char *kAccessibilityProperties = "\\accessibility.properties";
constexpr const char *kTamrix14 = "\\tamrix-1_4.jar";
constexpr const char *kTamrix12 = "\\tamrix-1_2.jar";
constexpr const char *kTamrix11 = "\\tamrix-1_1.jar";
constexpr const char *kOstrelJar = "\\ostrel.jar";
// The name a VM's tamrix jar gets at its destination, whichever of the three it is.
constexpr const char *kTamrixJar = "\\tamrix.jar";
constexpr const char *kJavaOstrelDll = "\\JavaOstrel.dll";
constexpr const char *kWindowsOstrelDll = "\\WindowsOstrel.dll";
constexpr const char *kJawtOstrelDll = "\\JAWTOstrel.dll";
// The configuration file of a 1.1 VM that the installation edits, in its extension directory.
constexpr const char *kAwtProperties = "\\awt.properties";

constexpr const char *kPayloadFiles[] = {
    kAccessibilityProperties, kTamrix14,         kTamrix12,     kTamrix11, kOstrelJar,
    kJavaOstrelDll,           kWindowsOstrelDll, kJawtOstrelDll};

// The length of the longest payload path less the start folder's: kPayloadDir and the longest name.
constexpr std::size_t longestPayloadSuffix() {
    std::size_t longest = 0;
    for (const char *name : kPayloadFiles) {
        std::size_t length = 0;
        while (name[length] != '\0')
            ++length;
        longest = length > longest ? length : longest;
    }
    std::size_t dir = 0;
    while (kPayloadDir[dir] != '\0')
        ++dir;
    return dir + longest;
}
