// Win32-free rules of the PATH and registry scan.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Pieces of a PATH value split at ';'. Runs of separators count as one, so empty pieces yield nothing;
// every other character (blanks, quotes, trailing backslashes) stays in its piece.
std::vector<std::string> splitPathVariable(const std::string &value);

// True when the text begins with an ASCII letter: anything else cannot name a drive-letter path and is
// rejected without touching the disk.
bool startsWithLetter(const char *text);

// The directory that a JavaHome registry value names for its launchers: the value's text followed by
// "\bin". Only string values whose data holds a terminating NUL qualify; anything else gives nothing,
// so no unterminated or truncated text is ever used.
std::optional<std::string> javaHomeBinDir(const std::string &data, bool isStringType);
