// The long form of a path, free of Win32: a VM that PATH names by a short (8.3) name and the registry by
// its long name is known once, by the long one. Windows 95 and NT 4.0 have no GetLongPathNameA, so the
// caller looks up one component at a time (FindFirstFileA names the last component of a path).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/ascii_text.h"

// The long name of the last component of an absolute path as the file system knows it; nothing when it is
// not there or cannot be read.
using LongNameLookup = std::function<std::optional<std::string>(const std::string &path)>;

// fullPath ("X:\a\b") with each component replaced by its long name, looked up under the components before
// it in their long form. From a component that is not found, that holds '*' or '?' (FindFirstFileA would
// take it for a pattern and name some other file), or that is "." or "..", the rest stays as written; so do
// empty components and a trailing backslash. A path of another form (relative, UNC) comes back as it is.
std::string longForm(const std::string &fullPath, LeadBytePredicate isLeadByte, const LongNameLookup &nameOf);
