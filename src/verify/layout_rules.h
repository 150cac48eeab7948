// Win32-free rules of layout resolution: case, components and repeats of a VM's bin directory. Paths are
// in the machine's ANSI code page, where a character may take two bytes and its second byte may look
// like a backslash or an ASCII capital; isLeadByte tells which bytes begin such a character.
#pragma once

#include <optional>
#include <string>

using LeadBytePredicate = bool (*)(unsigned char);

// A single-byte code page: no byte begins a double-byte character.
bool noLeadBytes(unsigned char);

// Lower-cases the ASCII letters A to Z of a path, leaving every double-byte character untouched.
void lowerAsciiLetters(std::string &path, LeadBytePredicate isLeadByte);

// The home directory of a VM whose launchers are in binDir: the text up to the end of the component
// that precedes the first component "bin" (ASCII case ignored). Components are separated by
// backslashes only, and empty components do not count. Nothing when there is no "bin" component, or
// when "bin" is the first component (there is no home before it).
std::optional<std::string> homeFromBinDir(const std::string &binDir, LeadBytePredicate isLeadByte);

// True when the two paths are equal with ASCII case ignored; double-byte characters compare exactly.
bool samePathIgnoringAsciiCase(const std::string &a, const std::string &b, LeadBytePredicate isLeadByte);
