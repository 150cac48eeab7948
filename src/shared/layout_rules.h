// Win32-free rules of layout resolution: the home directory of a VM's bin directory, whose path is in the
// machine's ANSI code page (see platform/ascii_text.h).
#pragma once

#include <optional>
#include <string>

#include "platform/ascii_text.h"

// The home directory of a VM whose launchers are in binDir: the text up to the end of the component
// that precedes the first component "bin" (ASCII case ignored). Components are separated by
// backslashes only, and empty components do not count. Nothing when there is no "bin" component, or
// when "bin" is the first component (there is no home before it).
std::optional<std::string> homeFromBinDir(const std::string &binDir, LeadBytePredicate isLeadByte);
